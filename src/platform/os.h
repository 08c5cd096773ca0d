// Operating-system services the program relies on (posix or win32 behind one face).
#pragma once
#include <string>

// The command line after the program's own path as the system keeps it (Windows hands a
// program one line of text); false where the system hands over separate words instead.
bool SystemCommandLine(std::string& afterProgramPath);

// Full path of the running program file, no length limit.
std::string ProgramFilePath();
// The program's folder with its trailing separator: the path up to its last separator ("/";
// on Windows "\" as well, with "\" appended when the folder does not end with one).
std::string ProgramFolder();
// Tests run several programs from one folder: they point the program path elsewhere.
void SetProgramFilePathForTests(const std::string& path);

// Modal box with one OK button. Tests replace it with a recorder.
void ShowMessageBox(const std::string& title, const std::string& text);
using MessageBoxHandler = void (*)(const std::string& title, const std::string& text);
void SetMessageBoxHandler(MessageBoxHandler handler); // nullptr restores the real box

// Per-user single-instance lock, released by the kernel if the process dies; other users can
// neither take nor fake it. Returns false when another copy of this user holds it (on Windows,
// the named mutex of the session, also when the system gives no mutex at all).
bool AcquireSingleInstance(const std::string& name);
void ReleaseSingleInstance();

// Writes a file whole: a new file beside it renamed over it, so a failure never leaves it
// truncated, with the old file's permissions. A link is followed and its target written. Where
// the folder takes no new file, an existing file is overwritten in place. False on any failure.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);
// True if the file exists and this process may not write it.
bool FileIsReadOnly(const std::string& path);
// Reads a regular file whole into bytes. False for anything else in its place (a folder, a
// FIFO, a device), which is never waited on, and on any error while reading.
bool ReadRegularFile(const std::string& path, std::string& bytes);
// True if the file is an existing regular file that this process may write.
bool FileIsWritable(const std::string& path);
// True if this process may make files in the folder.
bool FolderIsWritable(const std::string& folder);
// The user's own folder for the program's settings, with its trailing separator; "" if the
// system names none.
std::string UserSettingsFolder();
// Makes the folder and those above it that are missing; true if it exists afterwards.
bool MakeFolders(const std::string& folder);

// Shared libraries. The path is a full path or a bare file name for the system's search.
extern const char* const LibrarySuffix; // ".so" or ".dll"
void* LoadSharedLibrary(const std::string& path);
void* SharedLibrarySymbol(void* library, const char* name);
void UnloadSharedLibrary(void* library);

// Tells the system a screen saver runs (Windows only; nothing elsewhere). Telling it that none
// runs changes nothing unless this process told it that one does.
void SetScreenSaverRunning(bool running);
