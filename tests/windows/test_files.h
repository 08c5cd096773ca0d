// Files and folders for the Windows unit tests: each test gets its own folder in the system's
// temporary folder, gone again when the test ends.
#pragma once
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

inline std::wstring WideText(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

inline std::string Utf8(const std::wstring& text) {
    std::string narrow(text.size() * 3, '\0');
    narrow.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                          narrow.data(), static_cast<int>(narrow.size()), nullptr, nullptr)));
    return narrow;
}

class TestFolder {
public:
    TestFolder() {
        wchar_t temporary[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temporary);
        static unsigned counter = 0;
        path_ = std::filesystem::path(temporary) /
                ("zelvaro-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() {
        std::error_code ignored;
        // A read-only file would stay behind: the system refuses to delete it.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, or a name in it, as the program's services take paths (UTF-8, "\" between names).
    std::string Path(const std::string& name = "") const {
        std::string folder = Utf8(path_.wstring());
        return name.empty() ? folder : folder + "\\" + name;
    }
    int EntryCount() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(path_)) ++count;
        return count;
    }

private:
    std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(WideText(path)), std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(std::filesystem::path(WideText(path)), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return GetFileAttributesW(WideText(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void SetReadOnly(const std::string& path, bool readOnly) {
    SetFileAttributesW(WideText(path).c_str(), readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
}

// Another program's handle on a file, for as long as the object lives.
class HeldFile {
public:
    HeldFile(const std::string& path, DWORD access, DWORD share)
        : handle_(CreateFileW(WideText(path).c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {}
    ~HeldFile() {
        if (Held()) CloseHandle(handle_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};
