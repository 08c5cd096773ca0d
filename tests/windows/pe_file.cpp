#include "pe_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

constexpr uint32_t subdirectoryBit = 0x80000000u;
constexpr uint32_t namedEntryBit = 0x80000000u;
constexpr uint16_t pe32PlusMagic = 0x20B;
constexpr size_t resourceDirectoryIndex = 2;
constexpr uint32_t fixedInfoSignature = 0xFEEF04BD;
constexpr uint16_t textValue = 1;

uint32_t Read(const std::string& bytes, size_t at, int width) {
    uint32_t value = 0;
    if (at + width > bytes.size()) return 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}
uint16_t U16(const std::string& bytes, size_t at) { return static_cast<uint16_t>(Read(bytes, at, 2)); }
uint32_t U32(const std::string& bytes, size_t at) { return Read(bytes, at, 4); }
size_t Align4(size_t at) { return (at + 3) & ~size_t(3); }

// Where an address of the loaded image lies in the file.
size_t FileOffset(const PeFile& file, uint32_t address) {
    for (const PeFile::Section& section : file.sections)
        if (address >= section.address && address < section.address + section.size)
            return section.fileOffset + (address - section.address);
    return file.bytes.size();
}

// A resource directory's entries: (name or number, offset of the entry's target).
std::vector<std::pair<std::string, uint32_t>> Entries(const PeFile& file, size_t directory) {
    const size_t base = FileOffset(file, file.resourceAddress);
    const size_t at = base + directory;
    const int count = U16(file.bytes, at + 12) + U16(file.bytes, at + 14);
    std::vector<std::pair<std::string, uint32_t>> entries;
    for (int i = 0; i < count; ++i) {
        const uint32_t id = U32(file.bytes, at + 16 + 8 * i), target = U32(file.bytes, at + 20 + 8 * i);
        std::string name;
        if (id & namedEntryBit) { // a counted UTF-16 name
            const size_t text = base + (id & ~namedEntryBit);
            for (int c = 0; c < U16(file.bytes, text); ++c) name += static_cast<char>(U16(file.bytes, text + 2 + 2 * c));
        } else {
            name = std::to_string(id);
        }
        entries.push_back({name, target});
    }
    return entries;
}

// The first data entry under a directory entry's target, however deep.
std::string FirstData(const PeFile& file, uint32_t target) {
    while (target & subdirectoryBit) {
        auto entries = Entries(file, target & ~subdirectoryBit);
        if (entries.empty()) return std::string();
        target = entries.front().second;
    }
    const size_t entry = FileOffset(file, file.resourceAddress) + target;
    const size_t data = FileOffset(file, U32(file.bytes, entry));
    const uint32_t size = U32(file.bytes, entry + 4);
    return data + size <= file.bytes.size() ? file.bytes.substr(data, size) : std::string();
}

// One block of the version record and its children: a length, a value length, a type, a
// UTF-16 key, then the value and the child blocks, each on a 32-bit boundary.
void WalkVersionBlock(const std::string& data, size_t at, size_t end, int depth, VersionRecord& record) {
    while (at + 6 <= end) {
        const uint16_t length = U16(data, at), valueLength = U16(data, at + 2), type = U16(data, at + 4);
        if (length == 0) return;
        const size_t blockEnd = std::min(at + length, end);
        std::string key;
        size_t p = at + 6;
        for (; p + 2 <= blockEnd && U16(data, p) != 0; p += 2) key += static_cast<char>(U16(data, p));
        p = Align4(p + 2);
        if (depth == 0 && U32(data, p) == fixedInfoSignature) {
            for (int i = 0; i < 2; ++i) {
                record.fileVersion[2 * i] = U16(data, p + 8 + 4 * i + 2);
                record.fileVersion[2 * i + 1] = U16(data, p + 8 + 4 * i);
                record.productVersion[2 * i] = U16(data, p + 16 + 4 * i + 2);
                record.productVersion[2 * i + 1] = U16(data, p + 16 + 4 * i);
            }
            record.found = true;
            p += valueLength;
        } else if (type == textValue) { // the length counts characters
            std::string value;
            for (int c = 0; c < valueLength && U16(data, p + 2 * c) != 0; ++c)
                value += static_cast<char>(U16(data, p + 2 * c));
            record.strings[key] = value;
            p += 2 * valueLength;
        } else {
            p += valueLength;
        }
        WalkVersionBlock(data, Align4(p), blockEnd, depth + 1, record);
        at = Align4(blockEnd);
    }
}

} // namespace

bool ReadPeFile(const std::string& path, PeFile& file) {
    std::ifstream in(path, std::ios::binary);
    file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const std::string& b = file.bytes;
    if (b.size() < 64 || b.compare(0, 2, "MZ") != 0) return false;
    const size_t pe = U32(b, 0x3C);
    if (b.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
    const size_t coff = pe + 4, optional = coff + 20;
    const int sectionCount = U16(b, coff + 2);
    const size_t optionalSize = U16(b, coff + 16);
    if (U16(b, optional) != pe32PlusMagic) return false;
    file.subsystem = U16(b, optional + 68);
    file.resourceAddress = U32(b, optional + 112 + 8 * resourceDirectoryIndex);
    for (int i = 0; i < sectionCount; ++i) {
        const size_t s = optional + optionalSize + 40 * i;
        file.sections.push_back({U32(b, s + 12), std::max(U32(b, s + 8), U32(b, s + 16)), U32(b, s + 20)});
    }
    return true;
}

std::vector<Resource> Resources(const PeFile& file, uint32_t type) {
    std::vector<Resource> found;
    if (!file.resourceAddress) return found;
    for (const auto& [typeName, typeTarget] : Entries(file, 0)) {
        if (typeName != std::to_string(type) || !(typeTarget & subdirectoryBit)) continue;
        for (const auto& [name, target] : Entries(file, typeTarget & ~subdirectoryBit))
            found.push_back({name, FirstData(file, target)});
    }
    return found;
}

VersionRecord ReadVersionRecord(const std::string& data) {
    VersionRecord record;
    WalkVersionBlock(data, 0, data.size(), 0, record);
    return record;
}
