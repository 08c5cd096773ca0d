// Private folders for tests: each test's settings file and lock live apart.
#pragma once
#include <string>

// A new empty folder under /tmp; removed with its content at exit.
std::string MakeTempFolder();
// Points XDG_RUNTIME_DIR at a private folder, so single-instance locks of tests never meet.
void IsolateRuntimeFolder();
// Copies the built program into folder (with the engine library and the sky archive unless
// told otherwise) and returns the program's path there.
std::string InstallProgramCopy(const std::string& folder, bool withEngine = true);
std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
