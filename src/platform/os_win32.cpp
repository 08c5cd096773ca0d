// OS services on Windows: the system's command line, the program path, message boxes, the named
// mutex, the screen-saver flag, the settings folders, safe file writes and DLLs. Paths and texts
// cross this face as UTF-8 and meet the system as UTF-16.
#include "platform/os.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

namespace {
std::string programPathOverride;
MessageBoxHandler messageBoxHandler = nullptr;
HANDLE instanceMutex = nullptr;
bool screenSaverFlagSet = false; // by this process, and not reset yet
const wchar_t* const userFolderName = L"Zelvaro"; // the settings folder in the user's application data
constexpr int newNameAttempts = 100;             // names tried for a new file beside another
constexpr DWORD readBlockBytes = 4096;

std::wstring Wide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A drive path ("C:\...") or a network path ("\\server\..."); anything else is relative.
bool IsAbsolute(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && IsSeparator(path[2]);
    return drive || (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

std::wstring WithSeparator(std::wstring folder) {
    if (folder.empty() || !IsSeparator(folder.back())) folder += L'\\';
    return folder;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }
bool Exists(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES; }
bool IsFolder(DWORD attributes) { return Exists(attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Opening for writing asks the file system itself, whatever the attributes say (access rights,
// a read-only volume). Nothing is changed: the file is opened as it is and closed again.
bool OpensForWriting(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// A file made new under a name no file has yet, beside base: CREATE_NEW never opens what is
// already there, links included. The last error tells why when no name would do.
HANDLE CreateNewFileBeside(const std::wstring& base, DWORD share, DWORD flags, std::wstring& name) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < newNameAttempts; ++attempt) {
        name = base + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()) +
               L"-" + std::to_wstring(++counter) + L".tmp";
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, share, nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, MAXDWORD));
        if (!WriteFile(file, bytes.data() + written, chunk, &n, nullptr) || n == 0) return false;
        written += n;
    }
    return true;
}

// Overwrites an existing file where it lies, for a folder that takes no new file.
bool WriteInPlace(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK && WriteAll(file, bytes) && SetEndOfFile(file) &&
              FlushFileBuffers(file);
    return CloseHandle(file) && ok;
}

} // namespace

bool SystemCommandLine(std::string& afterProgramPath) {
    // The program path comes first, as the system writes it: quoted up to the closing quote,
    // otherwise up to the first blank.
    const wchar_t* at = GetCommandLineW();
    if (*at == L'"') {
        for (++at; *at && *at != L'"'; ++at) {
        }
        if (*at) ++at;
    } else {
        while (*at && *at != L' ' && *at != L'\t') ++at;
    }
    while (*at == L' ' || *at == L'\t') ++at;
    afterProgramPath = Narrow(at);
    return true;
}

std::string ProgramFilePath() {
    if (!programPathOverride.empty()) return programPathOverride;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        path.resize(path.size() * 2); // the path may be longer than any fixed room
    }
}

// Cut after the last "\" or "/", then "\" appended when the rest does not end with one.
std::string ProgramFolder() {
    const std::string path = ProgramFilePath();
    const size_t cut = path.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

void SetProgramFilePathForTests(const std::string& path) { programPathOverride = path; }

void SetMessageBoxHandler(MessageBoxHandler handler) { messageBoxHandler = handler; }

void ShowMessageBox(const std::string& title, const std::string& text) {
    if (messageBoxHandler) {
        messageBoxHandler(title, text);
        return;
    }
    // The box belongs to the window in front when that window is one of this program's, else to none.
    HWND owner = GetForegroundWindow();
    DWORD ownerProcess = 0;
    if (owner) GetWindowThreadProcessId(owner, &ownerProcess);
    if (ownerProcess != GetCurrentProcessId()) owner = nullptr;
    if (MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK) == 0)
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

bool AcquireSingleInstance(const std::string& name) {
    SetLastError(0);
    HANDLE mutex = CreateMutexW(nullptr, TRUE, Wide(name).c_str());
    // A mutex that existed already comes back with a last-error code: another copy holds it.
    if (!mutex || GetLastError() != 0) {
        if (mutex) CloseHandle(mutex);
        return false;
    }
    instanceMutex = mutex;
    return true;
}

void ReleaseSingleInstance() {
    if (instanceMutex) {
        ReleaseMutex(instanceMutex);
        CloseHandle(instanceMutex);
    }
    instanceMutex = nullptr;
}

bool FileIsReadOnly(const std::string& path) {
    const std::wstring file = Wide(path);
    const DWORD attributes = Attributes(file);
    if (!Exists(attributes)) return false;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return true;
    // A file in use by another program is not read-only: its save fails on its own.
    return !OpensForWriting(file) && GetLastError() == ERROR_ACCESS_DENIED;
}

bool FileIsWritable(const std::string& path) {
    const std::wstring file = Wide(path);
    const DWORD attributes = Attributes(file);
    return Exists(attributes) && !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) &&
           OpensForWriting(file);
}

// Access rights decide, and only a try tells them: a file made there and gone again at once.
bool FolderIsWritable(const std::string& folder) {
    const std::wstring place = WithSeparator(Wide(folder));
    if (!IsFolder(Attributes(place))) return false;
    std::wstring probe;
    HANDLE file = CreateNewFileBeside(place + userFolderName, 0,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, probe);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// %APPDATA%\Zelvaro\: the user's roaming application data, where programs keep their settings.
std::string UserSettingsFolder() {
    std::wstring base(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"APPDATA", base.data(), static_cast<DWORD>(base.size()));
    base.resize(length < base.size() ? length : 0);
    if (!IsAbsolute(base)) {
        base.assign(MAX_PATH, L'\0');
        if (SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base.data()) != S_OK) return std::string();
        base.resize(wcslen(base.c_str()));
    }
    if (!IsAbsolute(base)) return std::string();
    return Narrow(WithSeparator(base) + userFolderName + L"\\");
}

bool MakeFolders(const std::string& folder) {
    const std::wstring path = Wide(folder);
    // Each folder on the way; what exists already, the drive and a network share's name fail harmlessly.
    for (size_t at = path.find_first_of(L"\\/", 1); at != std::wstring::npos; at = path.find_first_of(L"\\/", at + 1))
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(path.c_str(), nullptr);
    return !path.empty() && IsFolder(Attributes(path));
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    const std::wstring target = Wide(path);
    const bool exists = Exists(Attributes(target));
    std::wstring temporary;
    HANDLE file = CreateNewFileBeside(target, FILE_SHARE_READ, FILE_ATTRIBUTE_NORMAL, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        const bool folderRefuses = GetLastError() == ERROR_ACCESS_DENIED;
        return exists && folderRefuses && WriteInPlace(target, bytes);
    }
    bool ok = WriteAll(file, bytes) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    // One rename: the file is either the old one or the new one, never a part of either.
    if (ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

bool ReadRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    // Three ways to open it, in turn: reading and writing while others read; reading while
    // others read; reading while others read and write (another program is writing it).
    const struct {
        DWORD access, share;
    } attempts[] = {
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ},
        {GENERIC_READ, FILE_SHARE_READ},
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE},
    };
    const std::wstring name = Wide(path);
    HANDLE file = INVALID_HANDLE_VALUE;
    for (const auto& attempt : attempts) {
        file = CreateFileW(name.c_str(), attempt.access, attempt.share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
        if (file != INVALID_HANDLE_VALUE) break;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileType(file) == FILE_TYPE_DISK; // a device or a pipe is no settings file
    char block[readBlockBytes];
    while (ok) {
        DWORD n = 0;
        if (!ReadFile(file, block, sizeof block, &n, nullptr)) ok = false;
        else if (n == 0) break;
        else bytes.append(block, n);
    }
    CloseHandle(file);
    if (!ok) bytes.clear();
    return ok;
}

const char* const LibrarySuffix = ".dll";

void* LoadSharedLibrary(const std::string& path) {
    // A damaged or foreign file must not bring up the system's own error box: it is just missing.
    DWORD previousMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
    HMODULE library = LoadLibraryW(Wide(path).c_str());
    SetThreadErrorMode(previousMode, nullptr);
    return reinterpret_cast<void*>(library);
}

void* SharedLibrarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadSharedLibrary(void* library) {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

void SetScreenSaverRunning(bool running) {
    if (!running && !screenSaverFlagSet) return; // the flag is another program's
    UINT previousState = 0; // the system hands the earlier state back here
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previousState, 0);
    screenSaverFlagSet = running;
}
