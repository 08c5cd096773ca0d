// The OS services on Windows, against the system itself: the command line as the system keeps
// it, the program path and folder, the named mutex, the screen-saver flag, message boxes and
// their owner, files and folders for the settings, and DLLs.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/os.h"
#include "test_files.h"

namespace {

constexpr double boxDeadlineSeconds = 60;

std::string ThisProgram() {
    wchar_t path[MAX_PATH + 1];
    GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    return Utf8(path);
}

// ---- the command line ----

// Started again by the command-line test with this variable set: writes what the service reads
// after the program path, and ends before any test runs.
const char* const reportVariable = "ZELVARO_REPORT_COMMAND_LINE";
const bool commandLineReported = [] {
    const char* report = std::getenv(reportVariable);
    if (!report) return false;
    std::string text;
    const bool kept = SystemCommandLine(text);
    WriteBytes(report, kept ? text : "(none)");
    std::exit(0);
}();

// Runs this program with exactly that command line; what it read after the program path.
std::string ReadBackCommandLine(const std::string& commandLine) {
    TestFolder folder;
    const std::string report = folder.Path("line.txt");
    SetEnvironmentVariableA(reportVariable, report.c_str());
    std::wstring line = WideText(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(WideText(ThisProgram()).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableA(reportVariable, nullptr);
    if (!started) return "(not started)";
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ReadBytes(report);
}

TEST(SystemCommandLine, IsWhatFollowsTheProgramPathAsTheSystemWritesIt) {
    const std::string program = ThisProgram();
    ASSERT_EQ(program.find(' '), std::string::npos) << "an unquoted program path needs no blank in it";
    const struct {
        std::string commandLine, afterProgramPath;
    } cases[] = {
        {"\"" + program + "\" /p 1234", "/p 1234"},
        {"\"" + program + "\"   \t /s", "/s"},
        {"\"" + program + "\"/c", "/c"},
        {program + " /p:5678 x", "/p:5678 x"},
        {"\"" + program + "\" \"/p 1234\" x", "\"/p 1234\" x"}, // quotes are the program's own to read
        {"\"" + program + "\"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(ReadBackCommandLine(c.commandLine), c.afterProgramPath);
    }
}

// ---- the program path and folder ----

TEST(ProgramPath, IsTheRunningFileAndItsFolderEndsWithABackslash) {
    EXPECT_EQ(ProgramFilePath(), ThisProgram());
    const std::string folder = ProgramFolder();
    EXPECT_EQ(folder, ThisProgram().substr(0, ThisProgram().rfind('\\') + 1));
}

TEST(ProgramPath, FolderIsCutAfterTheLastSeparatorWithABackslashAppended) {
    const struct {
        const char *path, *folder;
    } cases[] = {
        {"C:\\Windows\\System32\\Zelvaro.scr", "C:\\Windows\\System32\\"},
        {"C:\\Zelvaro.scr", "C:\\"},
        {"\\\\server\\share\\Zelvaro.scr", "\\\\server\\share\\"},
        {"C:\\Savers/Zelvaro.scr", "C:\\Savers/\\"}, // cut at "/", then the "\" it lacks
        {"Zelvaro.scr", "\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SetProgramFilePathForTests(c.path);
        EXPECT_EQ(ProgramFolder(), c.folder);
    }
    SetProgramFilePathForTests("");
}

// ---- the named mutex ----

std::wstring UniqueName() { return L"ZelvaroTest-" + std::to_wstring(GetCurrentProcessId()); }

bool MutexExists(const std::wstring& name) {
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex) CloseHandle(mutex);
    return mutex != nullptr;
}

// Whether another thread finds the mutex free: a copy that holds it owns it from the start.
bool FreeForAnotherThread(const std::wstring& name) {
    bool free = false;
    std::thread other([&] {
        HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
        if (!mutex) return;
        free = WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
        if (free) ReleaseMutex(mutex);
        CloseHandle(mutex);
    });
    other.join();
    return free;
}

TEST(SingleInstance, TheNamedMutexIsOwnedFromTheStartAndASecondTakerIsRefused) {
    const std::wstring name = UniqueName();
    const std::string narrowName = Utf8(name);
    ASSERT_FALSE(MutexExists(name));
    ASSERT_TRUE(AcquireSingleInstance(narrowName));
    EXPECT_TRUE(MutexExists(name));
    EXPECT_FALSE(FreeForAnotherThread(name));
    EXPECT_FALSE(AcquireSingleInstance(narrowName)); // it exists already: a second copy
    EXPECT_TRUE(MutexExists(name));                  // and the refusal left the first one in place
    ReleaseSingleInstance();
    EXPECT_FALSE(MutexExists(name));
    EXPECT_TRUE(AcquireSingleInstance(narrowName));
    ReleaseSingleInstance();
}

// ---- the screen-saver flag ----

bool SystemSaysASaverRuns() {
    BOOL flag = FALSE;
    EXPECT_TRUE(SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &flag, 0));
    return flag != FALSE;
}

void SetFlagAsAnotherProgram(bool running) {
    UINT previous = 0;
    SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running, &previous, 0);
}

TEST(ScreenSaverFlag, IsSetAndResetInTheSystem) {
    SetScreenSaverRunning(true);
    EXPECT_TRUE(SystemSaysASaverRuns());
    SetScreenSaverRunning(false);
    EXPECT_FALSE(SystemSaysASaverRuns());
}

TEST(ScreenSaverFlag, AResetLeavesAFlagThatThisProcessDidNotSet) {
    SetFlagAsAnotherProgram(true);
    SetScreenSaverRunning(false); // as every end of the program does
    EXPECT_TRUE(SystemSaysASaverRuns());
    SetFlagAsAnotherProgram(false);
}

// ---- message boxes ----

struct SeenBox {
    bool found = false;
    HWND owner = nullptr;
    std::string text;
};

// Waits on another thread for the box titled so, notes what it shows and presses its OK.
std::thread WatchBox(const std::wstring& title, SeenBox& seen) {
    return std::thread([title, &seen] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(boxDeadlineSeconds);
        HWND box = nullptr;
        while (!(box = FindWindowW(L"#32770", title.c_str())) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!box) return;
        seen.found = true;
        seen.owner = GetWindow(box, GW_OWNER);
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t text[256] = {};
            GetWindowTextW(child, text, 256);
            seen.text += Utf8(text) + "|";
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
}

HWND OpenOwnWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ZelvaroTestWindow";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"own window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                  10, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    SetForegroundWindow(window);
    return window;
}

TEST(MessageBoxes, ShowsTitleTextAndOkAndIsOwnedByTheProgramsWindowInFront) {
    const struct {
        const char* what;
        bool ownWindowInFront;
    } cases[] = {{"the program's window in front", true}, {"no window of the program", false}};
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HWND own = c.ownWindowInFront ? OpenOwnWindow() : nullptr;
        if (own) ASSERT_EQ(GetForegroundWindow(), own);
        const std::string title = "Zelvaro test box " + std::to_string(++round);
        SeenBox seen;
        std::thread watcher = WatchBox(WideText(title), seen);
        ShowMessageBox(title, "Can't save preferences !");
        watcher.join();
        ASSERT_TRUE(seen.found) << "no box titled " << title;
        EXPECT_EQ(seen.owner, own);
        EXPECT_NE(seen.text.find("Can't save preferences !"), std::string::npos) << seen.text;
        EXPECT_NE(seen.text.find("OK|"), std::string::npos) << seen.text;
        if (own) DestroyWindow(own);
    }
}

// ---- reading the settings file ----

TEST(ReadRegularFile, ReadsAFileThatOthersHoldUnlessTheyShareNoReading) {
    TestFolder folder;
    const std::string path = folder.Path("Zelvaro.ini");
    WriteBytes(path, "[PARAM]\r\nShape = 3\r\n");
    const struct {
        const char* what;
        DWORD access, share;
        bool readable;
    } cases[] = {
        {"a reader letting others read", GENERIC_READ, FILE_SHARE_READ, true},
        {"a writer letting others read and write", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {"a writer letting others read", GENERIC_WRITE, FILE_SHARE_READ, true},
        {"a reader sharing nothing", GENERIC_READ, 0, false},
        {"a writer sharing nothing", GENERIC_WRITE, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        HeldFile other(path, c.access, c.share);
        ASSERT_TRUE(other.Held());
        std::string bytes = "left over";
        EXPECT_EQ(ReadRegularFile(path, bytes), c.readable);
        EXPECT_EQ(bytes, c.readable ? "[PARAM]\r\nShape = 3\r\n" : "");
    }
}

TEST(ReadRegularFile, ReadsAReadOnlyFileAndNothingThatIsNoFile) {
    TestFolder folder;
    WriteBytes(folder.Path("locked.ini"), "Shape = 1\r\n");
    SetReadOnly(folder.Path("locked.ini"), true);
    std::string bytes;
    EXPECT_TRUE(ReadRegularFile(folder.Path("locked.ini"), bytes));
    EXPECT_EQ(bytes, "Shape = 1\r\n");
    CreateDirectoryW(WideText(folder.Path("folder.ini")).c_str(), nullptr);
    EXPECT_FALSE(ReadRegularFile(folder.Path("folder.ini"), bytes));
    EXPECT_FALSE(ReadRegularFile(folder.Path("missing.ini"), bytes));
    EXPECT_EQ(bytes, "");
}

// ---- writing it whole ----

TEST(ReplaceFileContents, WritesANewFileOrReplacesTheOldOneAndLeavesNothingElse) {
    TestFolder folder;
    const std::string path = folder.Path("Zelvaro.ini");
    ASSERT_TRUE(ReplaceFileContents(path, "first\r\n"));
    EXPECT_EQ(ReadBytes(path), "first\r\n");
    ASSERT_TRUE(ReplaceFileContents(path, "second, longer\r\n"));
    EXPECT_EQ(ReadBytes(path), "second, longer\r\n");
    ASSERT_TRUE(ReplaceFileContents(path, "3\r\n"));
    EXPECT_EQ(ReadBytes(path), "3\r\n"); // nothing of the longer file is left at its end
    EXPECT_EQ(folder.EntryCount(), 1);   // no temporary file stays behind
}

TEST(ReplaceFileContents, AFailedReplaceLeavesTheOldFileWholeAndNoTemporary) {
    TestFolder folder;
    const std::string path = folder.Path("Zelvaro.ini");
    WriteBytes(path, "old\r\n");
    {
        HeldFile reader(path, GENERIC_READ, FILE_SHARE_READ); // another program reads it, sharing no deletion
        ASSERT_TRUE(reader.Held());
        EXPECT_FALSE(ReplaceFileContents(path, "new\r\n"));
    }
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(folder.EntryCount(), 1);
    EXPECT_FALSE(ReplaceFileContents(folder.Path("no such folder\\Zelvaro.ini"), "new\r\n"));
    EXPECT_EQ(folder.EntryCount(), 1);
}

TEST(FileChecks, ReadOnlyAndWritableFilesAndFolders) {
    TestFolder folder;
    WriteBytes(folder.Path("plain.ini"), "x");
    WriteBytes(folder.Path("locked.ini"), "x");
    SetReadOnly(folder.Path("locked.ini"), true);
    CreateDirectoryW(WideText(folder.Path("folder.ini")).c_str(), nullptr);
    const struct {
        const char* name;
        bool readOnly, writable;
    } cases[] = {
        {"plain.ini", false, true},
        {"locked.ini", true, false},
        {"folder.ini", true, false}, // a folder in the file's place takes no settings
        {"missing.ini", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileIsReadOnly(folder.Path(c.name)), c.readOnly);
        EXPECT_EQ(FileIsWritable(folder.Path(c.name)), c.writable);
    }
    const int entries = folder.EntryCount();
    EXPECT_TRUE(FolderIsWritable(folder.Path()));
    EXPECT_TRUE(FolderIsWritable(folder.Path() + "\\"));
    EXPECT_EQ(folder.EntryCount(), entries); // the try left no file behind
    EXPECT_FALSE(FolderIsWritable(folder.Path("missing")));
    EXPECT_FALSE(FolderIsWritable(folder.Path("plain.ini")));
}

TEST(Folders, MakeFoldersMakesEveryMissingFolderOnTheWay) {
    TestFolder folder;
    EXPECT_TRUE(MakeFolders(folder.Path("a\\b\\c\\")));
    EXPECT_TRUE(Exists(folder.Path("a\\b\\c")));
    EXPECT_TRUE(MakeFolders(folder.Path("a\\b"))); // already there
    WriteBytes(folder.Path("file"), "x");
    EXPECT_FALSE(MakeFolders(folder.Path("file\\d")));
}

TEST(Folders, UserSettingsFolderIsZelvaroInTheRoamingApplicationData) {
    TestFolder folder;
    char saved[MAX_PATH + 1] = {};
    const bool hadAppData = GetEnvironmentVariableA("APPDATA", saved, sizeof saved) > 0;
    SetEnvironmentVariableA("APPDATA", folder.Path().c_str());
    EXPECT_EQ(UserSettingsFolder(), folder.Path("Zelvaro\\"));
    // A relative name is no folder of anyone's: the system's own record of the folder counts.
    SetEnvironmentVariableA("APPDATA", "relative\\folder");
    const std::string fromSystem = UserSettingsFolder();
    EXPECT_EQ(fromSystem.find("relative"), std::string::npos) << fromSystem;
    EXPECT_EQ(fromSystem.substr(fromSystem.size() - 9), "\\Zelvaro\\") << fromSystem;
    SetEnvironmentVariableA("APPDATA", hadAppData ? saved : nullptr);
}

// ---- DLLs ----

TEST(SharedLibraries, TheEngineLoadsByFullPathAndWhatIsNoLibraryIsMissing) {
    EXPECT_STREQ(LibrarySuffix, ".dll");
    // The build puts the tests beside bin\, where the engine lies.
    const std::string builtEngine = ThisProgram().substr(0, ThisProgram().rfind('\\')) + "\\..\\bin\\Zelvaro.dll";
    void* engine = LoadSharedLibrary(builtEngine);
    ASSERT_NE(engine, nullptr);
    EXPECT_NE(SharedLibrarySymbol(engine, "ZelvaroGetEngine"), nullptr);
    EXPECT_EQ(SharedLibrarySymbol(engine, "NoSuchEntry"), nullptr);
    UnloadSharedLibrary(engine);

    void* system = LoadSharedLibrary("kernel32.dll"); // a bare name: the system's search
    EXPECT_NE(system, nullptr);
    UnloadSharedLibrary(system);

    TestFolder folder;
    EXPECT_EQ(LoadSharedLibrary(folder.Path("Zelvaro.dll")), nullptr);
    WriteBytes(folder.Path("Zelvaro.dll"), "not a library"); // no system box may wait for a user here
    EXPECT_EQ(LoadSharedLibrary(folder.Path("Zelvaro.dll")), nullptr);
}

} // namespace
