// OS services on Linux: program path, message boxes, the single-instance lock, safe file writes.
#include "platform/os.h"

#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
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
} // namespace

std::string ProgramFilePath() {
    if (!programPathOverride.empty()) return programPathOverride;
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < buffer.size()) return buffer.substr(0, length);
        buffer.resize(buffer.size() * 2); // the path may be longer than any fixed room
    }
}

std::string ProgramFolder() {
    std::string path = ProgramFilePath();
    size_t cut = path.find_last_of("\\/");
    std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    if (folder.empty() || folder.back() != '/') folder += '/';
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
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string path = runtime && *runtime ? std::string(runtime) + "/" + name + ".lock"
                                           : "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    // flock dies with the process, so a crash never leaves a stale lock behind.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
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
    if (stat(path.c_str(), &info) != 0) return false;
    // Root may write anything: the file's own write bits say whether it is meant to be kept.
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes) {
    std::string temporary = path + ".tmp-" + std::to_string(getpid());
    mode_t mode = 0644;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) mode = info.st_mode & 07777;
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    bool ok = written == bytes.size() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temporary.c_str(), path.c_str()) == 0) return true;
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

// The executable's run path ($ORIGIN) makes a bare name resolve beside the program.
void* LoadSharedLibrary(const std::string& fileName) { return dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* SharedLibrarySymbol(void* library, const char* name) { return dlsym(library, name); }
void UnloadSharedLibrary(void* library) {
    if (library) dlclose(library);
}

void SetScreenSaverRunning(bool) {} // X11 has no such flag
