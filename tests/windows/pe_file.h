// Reading a Windows program file (PE format) for the tests of the Windows build: its subsystem
// and its resources, with the version record's fields.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

constexpr uint16_t windowsGuiSubsystem = 2;
constexpr uint32_t iconResource = 3;       // RT_ICON
constexpr uint32_t groupIconResource = 14; // RT_GROUP_ICON
constexpr uint32_t versionResource = 16;   // RT_VERSION
constexpr uint32_t manifestResource = 24;  // RT_MANIFEST

struct PeFile {
    std::string bytes;
    uint16_t subsystem = 0;
    uint32_t resourceAddress = 0; // where the resource directory lies in memory (RVA)
    struct Section {
        uint32_t address, size, fileOffset;
    };
    std::vector<Section> sections;
};

// False when the file is missing or no 64-bit PE file.
bool ReadPeFile(const std::string& path, PeFile& file);

struct Resource {
    std::string name; // a named resource's name, or its number in decimal
    std::string data; // of its first language
};
// The resources of one type, in the order of the resource directory (named ones first).
std::vector<Resource> Resources(const PeFile& file, uint32_t type);

struct VersionRecord {
    bool found = false;
    uint16_t fileVersion[4] = {}, productVersion[4] = {};
    std::map<std::string, std::string> strings; // e.g. "ProductName" -> "..."
};
VersionRecord ReadVersionRecord(const std::string& data);
