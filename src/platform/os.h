// Operating-system services the program relies on (posix or win32 behind one face).
#pragma once
#include <string>

// Full path of the running program file, no length limit.
std::string ProgramFilePath();
// The program's folder with its trailing separator.
std::string ProgramFolder();
// Tests run several programs from one folder: they point the program path elsewhere.
void SetProgramFilePathForTests(const std::string& path);

// Modal box with one OK button. Tests replace it with a recorder.
void ShowMessageBox(const std::string& title, const std::string& text);
using MessageBoxHandler = void (*)(const std::string& title, const std::string& text);
void SetMessageBoxHandler(MessageBoxHandler handler); // nullptr restores the real box

// Per-user single-instance lock, released by the kernel if the process dies.
// Returns false when another copy holds it.
bool AcquireSingleInstance(const std::string& name);
void ReleaseSingleInstance();

// Writes a file whole: a temporary file in the same folder renamed over the target, so a
// failure never leaves it truncated. False on any failure, the old file untouched.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);
// True if the file exists and this process may not write it.
bool FileIsReadOnly(const std::string& path);
// Reads a regular file whole into bytes. False for anything else in its place (a folder, a
// FIFO, a device), which is never waited on, and on any error while reading.
bool ReadRegularFile(const std::string& path, std::string& bytes);

// Shared libraries, found by bare file name from the program's own folder first.
extern const char* const LibrarySuffix; // ".so" or ".dll"
void* LoadSharedLibrary(const std::string& fileName);
void* SharedLibrarySymbol(void* library, const char* name);
void UnloadSharedLibrary(void* library);

// Tells the system a screen saver runs (Windows only; nothing elsewhere).
void SetScreenSaverRunning(bool running);
