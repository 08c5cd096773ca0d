// OS services on Linux: program path, message boxes, the single-instance lock, the settings
// folders, safe file writes and shared libraries.
#include "platform/os.h"

#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {
std::string programPathOverride;
MessageBoxHandler messageBoxHandler = nullptr;
int instanceLock = -1;
constexpr int linkDepthLimit = 40;            // the kernel's own bound on links in one lookup
constexpr mode_t privateFolderMode = 0700;    // folders made for this user alone
const char* const userFolderName = "zelvaro"; // the settings folder in the user's config home

// The text of a symbolic link, however long; false when path is no link.
bool ReadLink(const std::string& path, std::string& text) {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0) return false;
        if (static_cast<size_t>(length) < buffer.size()) {
            text = buffer.substr(0, length);
            return true;
        }
        buffer.resize(buffer.size() * 2); // the path may be longer than any fixed room
    }
}

std::string FolderPart(const std::string& path) {
    size_t cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// An environment variable naming a folder counts only as an absolute path.
std::string AbsolutePathFrom(const char* variable) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string HomeFolder() {
    std::string home = AbsolutePathFrom("HOME");
    if (!home.empty()) return home;
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir && user->pw_dir[0] == '/' ? std::string(user->pw_dir) : std::string();
}

// Root may write anything: then the write bits say whether a file or folder is meant to be kept.
bool MayWrite(const struct stat& info, const std::string& path, int mode) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(path.c_str(), mode) == 0;
}

// The lock file inside a folder that this user owns and no one else may write; -1 when the
// folder is not such a one (missing, a link, another user's, open to others).
int OpenLockIn(const std::string& folder, const std::string& name) {
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return -1;
    struct stat info;
    int fd = -1;
    if (fstat(dir, &info) == 0 && info.st_uid == geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
        fd = openat(dir, (name + ".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())) {
            close(fd);
            fd = -1;
        }
    }
    close(dir);
    return fd;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

// The file that path finally names once its links are followed ("" for a loop): a link to
// the settings file is written through, never replaced by a plain file.
std::string FinalTarget(std::string path) {
    std::string target;
    for (int depth = 0; ReadLink(path, target); ++depth) {
        if (depth == linkDepthLimit) return std::string();
        path = target[0] == '/' ? target : FolderPart(path) + target;
    }
    return path;
}

// Overwrites an existing regular file where it lies, for a folder that takes no new file.
bool WriteInPlace(const std::string& path, const std::string& bytes) {
    int fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && WriteAll(fd, bytes) &&
              ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && fsync(fd) == 0;
    return close(fd) == 0 && ok;
}

mode_t CurrentUmask() {
    mode_t mask = umask(0);
    umask(mask);
    return mask;
}

} // namespace

bool SystemCommandLine(std::string&) { return false; } // the program gets its words in argv

std::string ProgramFilePath() {
    if (!programPathOverride.empty()) return programPathOverride;
    std::string path;
    return ReadLink("/proc/self/exe", path) ? path : std::string();
}

// Only "/" separates folders here: "\" is an ordinary character of a file name.
std::string ProgramFolder() {
    std::string folder = FolderPart(ProgramFilePath());
    if (folder.empty()) folder = "/";
    return folder;
}

void SetProgramFilePathForTests(const std::string& path) { programPathOverride = path; }

void SetMessageBoxHandler(MessageBoxHandler handler) { messageBoxHandler = handler; }

void ShowMessageBox(const std::string& title, const std::string& text) {
    if (messageBoxHandler) {
        messageBoxHandler(title, text);
        return;
    }
    // Without a usable display the box cannot show: the message still reaches the user.
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

bool AcquireSingleInstance(const std::string& name) {
    // The session's runtime folder; without a usable one, a private folder of this user in
    // the temporary folder. Each copy of the user walks the same way and meets the same lock.
    int fd = -1;
    std::string runtime = AbsolutePathFrom("XDG_RUNTIME_DIR");
    if (!runtime.empty()) fd = OpenLockIn(runtime, name);
    if (fd < 0) {
        std::string temporary = AbsolutePathFrom("TMPDIR");
        std::string folder = (temporary.empty() ? "/tmp" : temporary) + "/" + name + "-" + std::to_string(geteuid());
        mkdir(folder.c_str(), privateFolderMode); // another user's folder of that name is refused below
        fd = OpenLockIn(folder, name);
    }
    // Nowhere fit for a lock (another user took the private folder's name): run unguarded
    // rather than let anyone silence every copy.
    if (fd < 0) return true;
    // flock dies with the process, so a crash never leaves a stale lock behind.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bool heldByAnotherCopy = errno == EWOULDBLOCK;
        close(fd);
        return !heldByAnotherCopy;
    }
    instanceLock = fd;
    return true;
}

void ReleaseSingleInstance() {
    if (instanceLock >= 0) close(instanceLock);
    instanceLock = -1;
}

bool FileIsReadOnly(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !MayWrite(info, path, W_OK);
}

bool FileIsWritable(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && MayWrite(info, path, W_OK);
}

bool FolderIsWritable(const std::string& folder) {
    struct stat info;
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && MayWrite(info, folder, W_OK | X_OK);
}

// $XDG_CONFIG_HOME/zelvaro/, or ~/.config/zelvaro/ when the variable is unset.
std::string UserSettingsFolder() {
    std::string config = AbsolutePathFrom("XDG_CONFIG_HOME");
    if (config.empty()) {
        std::string home = HomeFolder();
        if (home.empty()) return std::string();
        config = home + "/.config";
    }
    if (config.back() != '/') config += '/';
    return config + userFolderName + "/";
}

bool MakeFolders(const std::string& folder) {
    for (size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1))
        mkdir(folder.substr(0, at).c_str(), privateFolderMode); // what exists already stays as it is
    mkdir(folder.c_str(), privateFolderMode);
    struct stat info;
    return !folder.empty() && stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    std::string target = FinalTarget(path);
    if (target.empty()) return false;
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    // A name no one can guess, made only where nothing of that name exists, never through a link.
    std::string temporary = target + ".XXXXXX";
    int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        bool folderRefuses = errno == EACCES || errno == EPERM;
        return exists && folderRefuses && WriteInPlace(target, bytes);
    }
    mode_t mode = exists ? old.st_mode & 07777 : 0666 & ~CurrentUmask();
    // Root gives the file back to its owner; for anyone else this changes nothing or fails harmlessly.
    if (exists && fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
    bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), target.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

bool ReadRegularFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char block[4096];
    while (ok) {
        ssize_t n = read(fd, block, sizeof block);
        if (n > 0) bytes.append(block, static_cast<size_t>(n));
        else if (n == 0) break;
        else ok = errno == EINTR;
    }
    close(fd);
    if (!ok) bytes.clear();
    return ok;
}

const char* const LibrarySuffix = ".so";

void* LoadSharedLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* SharedLibrarySymbol(void* library, const char* name) { return dlsym(library, name); }
void UnloadSharedLibrary(void* library) {
    if (library) dlclose(library);
}

void SetScreenSaverRunning(bool) {} // X11 has no such flag
