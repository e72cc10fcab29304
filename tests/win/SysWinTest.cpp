// The Windows system services against real processes and windows: launch prefixes, the progress window
// (the real Gaugette.exe), the registry store and file-type registration with the per-user fallback,
// the viewers, searches, system queries and window helpers.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <thread>

#include "TestSupport.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"
#include "win/ToolSupport.h"

using namespace toolsupport;
using testsupport::ScratchFolder;
using testsupport::WriteFile;

namespace {

std::string Dos(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// Every test gets its own settings file, so launch settings (editor, viewers) never leak between tests.
class SysWinTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder = ScratchFolder();
    Settings::OverrideAppFolder(m_folder.c_str());
  }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
  std::string m_folder;
};

// --- Launching ------------------------------------------------------------------------------------------

using LaunchProcessTest = SysWinTest;

TEST_F(LaunchProcessTest, WaitedProgramReturnsItsExitCode) {
  EXPECT_EQ(7, LaunchProcess("<!cmd /C exit 7", 1));
  EXPECT_EQ(0, LaunchProcess("<!cmd /C exit 0", 1));
}

TEST_F(LaunchProcessTest, WaitedFileIsOpenedByTheShellEvenWithBlanksInItsPath) {
  std::string folder = m_folder + "/with blank";
  ASSERT_EQ(0, CreateFolderPath(folder.c_str(), 0));
  std::string script = WriteFile(folder + "/exit9.bat", "@exit 9\r\n");
  EXPECT_EQ(9, LaunchProcess(("<" + Dos(script)).c_str(), 1));
}

TEST_F(LaunchProcessTest, StartWithoutWaitReturnsOne) {
  std::string marker = Dos(m_folder + "/started.txt");
  EXPECT_EQ(1, LaunchProcess(("~!cmd /C echo x> \"" + marker + "\"").c_str(), 1));
  EXPECT_TRUE(WaitUntil([&] { return FileSizeOf(marker.c_str()) > 0; }));
}

TEST_F(LaunchProcessTest, MissingFileShowsLaunchErrorAndStartsNothing) {
  BoxCapture boxes;
  std::string missing = Dos(m_folder + "/missing.csv");
  EXPECT_EQ(-1, LaunchProcess(missing.c_str(), 0));
  ASSERT_EQ(1u, boxes.Shown().size());
  std::string text = boxes.Shown()[0].text;
  EXPECT_EQ(0u, text.find("File Launch Error (2) in:\r\n" + missing + "\r\n")) << text;
}

TEST_F(LaunchProcessTest, ProgramThatCannotStartGivesMinusTheSystemError) {
  BoxCapture boxes;
  EXPECT_EQ(-2, LaunchProcess("!no_such_program_4711.exe", 0));
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(-2, LaunchProcess("!no_such_program_4711.exe", 1));
  ASSERT_EQ(1u, boxes.Shown().size());
  EXPECT_EQ(0u, boxes.Shown()[0].text.find("File Launch Error (2) in:\r\nno_such_program_4711.exe\r\n"));
}

TEST_F(LaunchProcessTest, WaitEndsAtItsLimit) {
  std::string gauge = ToolPath("gaugette", "Gaugette.exe");
  DWORD start = GetTickCount();
  EXPECT_EQ(-static_cast<int>(WAIT_TIMEOUT), LaunchProcess(("<!" + gauge).c_str(), 1, 300));
  EXPECT_LT(GetTickCount() - start, 5000u);
  GaugetteClose();
}

TEST_F(LaunchProcessTest, EditorPrefixStartsTheConfiguredEditorWithTheFileInBackslashForm) {
  std::string seen = Dos(m_folder + "/seen.txt");
  std::string editor = WriteFile(m_folder + "/editor.bat", "@echo %~1> \"" + seen + "\"\r\n");
  Settings::WriteString("SYS", "EDITOR", Dos(editor).c_str());
  std::string file = WriteFile(m_folder + "/notes.txt", "text");
  EXPECT_EQ(1, OpenInEditor(file.c_str()));
  ASSERT_TRUE(WaitUntil([&] { return FileSizeOf(seen.c_str()) > 0; }));
  std::string echoed = testsupport::ReadFile(seen);
  EXPECT_EQ(Dos(file), echoed.substr(0, echoed.find_first_of("\r\n")));
}

TEST_F(LaunchProcessTest, EditorForAMissingFileStartsNothing) {
  EXPECT_EQ(0, OpenInEditor((m_folder + "/missing.txt").c_str()));
  CTxt editor;
  EXPECT_EQ(0, Settings::GetString("SYS", "EDITOR", "", editor));  // nothing was looked up
}

TEST_F(LaunchProcessTest, DefaultEditorIsNotepadAndIsWrittenBack) {
  std::string file = WriteFile(m_folder + "/n.txt", "x");
  auto isNotepad = [](HWND w) { return ClassOf(w) == "Notepad"; };
  EXPECT_EQ(1, LaunchProcess(("^" + file).c_str(), 1));
  CTxt editor;
  Settings::GetString("SYS", "EDITOR", "", editor);
  EXPECT_STREQ("NOTEPAD", static_cast<const char*>(editor));
  HWND notepad = WaitForTopWindow(isNotepad);
  EXPECT_NE(nullptr, notepad);
  for (HWND w : TopWindows(isNotepad)) PostMessageA(w, WM_CLOSE, 0, 0);
}

TEST(BrowserCommandTest, KeepsTheProgramAndItsOptionsOnly) {
  CTxt browser;
  BrowserFromOpenCommand("\"C:\\Program Files\\Fox\\fox.exe\" -osint -url \"%1\"", browser);
  EXPECT_STREQ("\"C:/Program Files/Fox/fox.exe\" -osint -url", static_cast<const char*>(browser));
  BrowserFromOpenCommand("C:\\web\\view.exe %1 http://start.example", browser);
  EXPECT_STREQ("C:/web/view.exe", static_cast<const char*>(browser));
}

// --- Progress window --------------------------------------------------------------------------------------

bool IsProgressWindow(HWND w) {
  return ClassOf(w) == "#32770" && CompareNoCase("GAUGETTE", WindowText(w).c_str(), 2) == 0;
}

// The texts the window shows (its static controls), and its progress bar position (0-1000).
std::string ShownTexts(HWND window) {
  std::string all;
  for (HWND child : ChildWindows(window))
    if (ClassOf(child) == "Static" && IsWindowVisible(child)) all += WindowText(child) + "|";
  return all;
}

int BarPosition(HWND window) {
  for (HWND child : ChildWindows(window))
    if (ClassOf(child) == PROGRESS_CLASSA) return static_cast<int>(SendMessageA(child, PBM_GETPOS, 0, 0));
  return -1;
}

std::string MailboxText(HWND window) {
  return WindowText(GetDlgItem(window, 1004));
}

// The window is listed before its mailbox exists and before it shows; the first text must not be lost.
TEST(GaugetteTest, TheFirstTextWaitsUntilASlowProgressWindowIsReady) {
  GaugetteClose();
  CurrentFolder slowTools(ToolFolder("slowgaugette"));
  ASSERT_EQ(0, GaugetteUpdate("Late", 4, 9));
  HWND window = WaitForTopWindow(IsProgressWindow, 10000);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ("50.0\t5 of 9 - Late", WindowText(GetDlgItem(window, 1010)));  // the line it showed on update
  GaugetteClose();
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 2000));
}

TEST(GaugetteTest, DrivesTheRealProgressWindow) {
  GaugetteClose();
  {
    CurrentFolder elsewhere(ScratchFolder());  // no Gaugette.exe here
    DWORD start = GetTickCount();
    EXPECT_EQ(-1, GaugetteUpdate("nothing", 1, 3));
    EXPECT_LT(GetTickCount() - start, 6000u);
  }
  CurrentFolder tools(ToolFolder("gaugette"));
  ASSERT_EQ(0, GaugetteUpdate("Running", 4, 9));
  HWND window = WaitForTopWindow(IsProgressWindow, 10000);  // a new process: seconds on a busy machine
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ("50.0\t5 of 9 - Running", MailboxText(window));
  EXPECT_NE(std::string::npos, ShownTexts(window).find("5 of 9 - Running|"));
  EXPECT_NE(std::string::npos, ShownTexts(window).find("50.0"));
  EXPECT_EQ(500, BarPosition(window));

  EXPECT_EQ(0, GaugetteUpdate(nullptr, 7, 1));
  EXPECT_EQ("50.0\t8 of 1", MailboxText(window));
  EXPECT_EQ(0, GaugetteUpdate("quarter", 0, 3));
  EXPECT_EQ(250, BarPosition(window));
  EXPECT_NE(std::string::npos, ShownTexts(window).find("25.0"));

  GaugetteMessage("First line", "Second line");
  EXPECT_NE(std::string::npos, ShownTexts(window).find("First line|"));
  EXPECT_NE(std::string::npos, ShownTexts(window).find("Second line|"));
  EXPECT_EQ(1u, TopWindows(IsProgressWindow).size());

  GaugetteClose();
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window); }, 2000));

  // A negative percentage closes (and starts nothing); below -100 the feature is off for good.
  EXPECT_EQ(1, GaugetteUpdate("closing", -5, 9));
  EXPECT_TRUE(TopWindows(IsProgressWindow).empty());
  EXPECT_EQ(99, GaugetteUpdate("off", -300, 9));
  EXPECT_EQ(99, GaugetteUpdate("still off", 1, 9));
  EXPECT_FALSE(WaitUntil([&] { return !TopWindows(IsProgressWindow).empty(); }, 300));
}

// --- Registry ------------------------------------------------------------------------------------------

std::string ReadRaw(HKEY root, const std::string& path, const char* name, bool* found = nullptr) {
  char value[1024] = "";
  DWORD size = sizeof value;
  LONG r = RegGetValueA(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
  if (found) *found = r == ERROR_SUCCESS;
  return r == ERROR_SUCCESS ? value : "";
}

// Makes HKEY_LOCAL_MACHINE refuse new keys for this process, as it does for a user without administrator
// rights: it is pointed at a volatile key, under which no lasting key can be created.
class MachineHiveRefused {
 public:
  MachineHiveRefused() {
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TavrinTests\\RefusedMachine", 0, nullptr,
                    REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_volatile, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_volatile);
  }
  ~MachineHiveRefused() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(m_volatile);
  }
  MachineHiveRefused(const MachineHiveRefused&) = delete;
  MachineHiveRefused& operator=(const MachineHiveRefused&) = delete;

 private:
  HKEY m_volatile = nullptr;
};

std::string UniqueName(const char* stem) {
  return stem + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
}

TEST(RegistryStoreTest, RoundTripUnderCurrentUserWhenTheMachineRefuses) {
  const std::string app = UniqueName("TavrinTestApp");
  const std::string path = "Software\\ZEL\\" + app;
  {
    MachineHiveRefused refused;
    ASSERT_EQ(0, RegistryWrite("AUTOEXIT", "1", app.c_str()));
    CTxt value;
    ASSERT_EQ(0, RegistryRead("AUTOEXIT", value, "0", app.c_str(), 0));
    EXPECT_STREQ("1", static_cast<const char*>(value));
    EXPECT_EQ(0, RegistryRead("Missing", value, "fallback", app.c_str(), 1));
    EXPECT_STREQ("fallback", static_cast<const char*>(value));
  }
  EXPECT_EQ("1", ReadRaw(HKEY_CURRENT_USER, path, "AUTOEXIT"));
  EXPECT_EQ("fallback", ReadRaw(HKEY_CURRENT_USER, path, "Missing"));
  bool inMachine = true;
  ReadRaw(HKEY_LOCAL_MACHINE, path, "AUTOEXIT", &inMachine);
  EXPECT_FALSE(inMachine);

  // Once the machine hive takes the value again, the user's older copy must not hide it.
  ASSERT_EQ(0, RegistryWrite("AUTOEXIT", "0", app.c_str()));
  CTxt value;
  ASSERT_EQ(0, RegistryRead("AUTOEXIT", value, "x", app.c_str(), 0));
  EXPECT_STREQ("0", static_cast<const char*>(value));
  RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

TEST(RegistryStoreTest, MissingValueGivesTheDefaultAndIsCreatedWithIt) {
  const std::string app = UniqueName("TavrinTestApp");
  const std::string path = "Software\\ZEL\\" + app;
  CTxt value;
  EXPECT_EQ(-1, RegistryRead("Name", value, "d", app.c_str(), 0));  // no key, not to be created
  EXPECT_STREQ("d", static_cast<const char*>(value));
  EXPECT_EQ(0, RegistryRead("Name", value, "first default", app.c_str(), 1));
  EXPECT_STREQ("first default", static_cast<const char*>(value));
  EXPECT_EQ("first default", ReadRaw(HKEY_LOCAL_MACHINE, path, "Name"));
  EXPECT_EQ(0, RegistryRead("Name", value, "other default", app.c_str(), 1));
  EXPECT_STREQ("first default", static_cast<const char*>(value));
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
}

TEST(RegisterFileTypeTest, RegistersUnderCurrentUserWhenTheMachineRefuses) {
  const std::string ext = UniqueName("tvt");
  const std::string type = ext + ".Document";
  std::string program = ToolPath("gaugette", "Gaugette.exe");
  CTxt msg;
  {
    MachineHiveRefused refused;
    ASSERT_EQ(0, RegisterFileType(("." + ext).c_str(), program.c_str(), "Tavrin Test", msg, "Tavrin", 0));
    EXPECT_EQ(2, RegisterFileType(ext.c_str(), program.c_str(), "TAVRIN TEST", msg, "Tavrin", 0));
    EXPECT_EQ(0, RegisterFileType(ext.c_str(), program.c_str(), "Tavrin Test", msg, "Tavrin", 1));
  }
  const std::string classes = "Software\\Classes\\";
  EXPECT_EQ(type, ReadRaw(HKEY_CURRENT_USER, classes + "." + ext, nullptr));
  EXPECT_EQ("Tavrin Test", ReadRaw(HKEY_CURRENT_USER, classes + type, nullptr));
  const std::string command = "\"" + program + "\" \"%1\"";
  EXPECT_EQ(command, ReadRaw(HKEY_CURRENT_USER, classes + type + "\\shell\\open\\command", nullptr));
  EXPECT_EQ(command, ReadRaw(HKEY_CURRENT_USER, classes + type + "\\shell\\Tavrin\\command", nullptr));
  EXPECT_EQ("&Open with Tavrin", ReadRaw(HKEY_CURRENT_USER, classes + type + "\\shell\\open", nullptr));
  EXPECT_EQ("\"" + program + "\",0", ReadRaw(HKEY_CURRENT_USER, classes + type + "\\DefaultIcon", nullptr));
  bool inMachine = true;
  ReadRaw(HKEY_LOCAL_MACHINE, classes + "." + ext, nullptr, &inMachine);
  EXPECT_FALSE(inMachine);
  RegDeleteTreeA(HKEY_CURRENT_USER, (classes + "." + ext).c_str());
  RegDeleteTreeA(HKEY_CURRENT_USER, (classes + type).c_str());
}

TEST(RegisterFileTypeTest, MissingProgramIsReported) {
  CTxt msg;
  EXPECT_EQ(-1, RegisterFileType("tvd", "C:\\no\\such\\Tavrin.exe", "Tavrin Sequence", msg, nullptr, 0));
  EXPECT_STREQ("Cannot find EXE C:\\no\\such\\Tavrin.exe", static_cast<const char*>(msg));
}

// --- Viewers and searches
// -----------------------------------------------------------------------------------

bool IsTableViewer(HWND w) {
  return ClassOf(w) == "TabulonWindow";
}

void CloseTableViewers() {
  for (HWND w : TopWindows(IsTableViewer)) PostMessageA(w, WM_CLOSE, 0, 0);
  WaitUntil([] { return TopWindows(IsTableViewer).empty(); }, 5000);
}

using ViewCsvTest = SysWinTest;

TEST_F(ViewCsvTest, LocalViewerOfTheCurrentFolderShowsTheFile) {
  std::string csv = WriteFile(m_folder + "/steps.csv", "Step,Symbol\r\n1,ES\r\n");
  CurrentFolder viewerFolder(ToolFolder("csvview"));
  EXPECT_EQ(1, ViewCSV(csv.c_str(), 0, 's'));
  HWND viewer = WaitForTopWindow(IsTableViewer);
  ASSERT_NE(nullptr, viewer);
  EXPECT_NE(std::string::npos, WindowText(viewer).find("steps.csv"));
  CloseTableViewers();
}

TEST_F(ViewCsvTest, ConfiguredSpreadsheetProgramIsUsed) {
  std::string csv = WriteFile(m_folder + "/sum.csv", "A,B\r\n1,2\r\n");
  Settings::WriteString("SYS", "CSVEXE", ToolPath("csvview", "Tabulon.exe").c_str());
  EXPECT_EQ(1, ViewCSV(csv.c_str(), 0, 'X'));
  HWND viewer = WaitForTopWindow(IsTableViewer);
  ASSERT_NE(nullptr, viewer);
  EXPECT_NE(std::string::npos, WindowText(viewer).find("sum.csv"));
  CloseTableViewers();
}

TEST_F(ViewCsvTest, MissingSpreadsheetIsSearchedForAndRemembered) {
  // A stand-in EXCEL.EXE (the table viewer) where the search looks first.
  std::string office = "C:/Program Files (x86)/TavrinTestOffice" + std::to_string(GetCurrentProcessId());
  ASSERT_EQ(0, CreateFolderPath(office.c_str(), 0));
  std::string planted = office + "/excel.exe";
  ASSERT_EQ(0, CopyFileTo(ToolPath("csvview", "Tabulon.exe").c_str(), planted.c_str()));
  std::string csv = WriteFile(m_folder + "/found.csv", "A\r\n1\r\n");
  Settings::WriteString("SYS", "CSVEXE", "C:/no/such/EXCEL.EXE");
  EXPECT_EQ(1, ViewCSV(csv.c_str(), 0, 'x'));
  HWND viewer = WaitForTopWindow(IsTableViewer);
  EXPECT_NE(nullptr, viewer);
  CloseTableViewers();
  CTxt remembered;
  Settings::GetString("SYS", "CSVEXE", "", remembered);
  EXPECT_EQ(0, CompareNoCase(planted.c_str(), remembered, 1)) << static_cast<const char*>(remembered);
  DeleteFileForced(planted.c_str(), 1);
  RemoveDirectoryA(office.c_str());
}

TEST(FindFileInTreeTest, FindsIgnoringCaseWithinItsFolderLimit) {
  std::string root = ScratchFolder();
  ASSERT_EQ(0, CreateFolderPath((root + "/a/b/c").c_str(), 0));
  ASSERT_EQ(0, CreateFolderPath((root + "/d").c_str(), 0));
  WriteFile(root + "/a/b/c/Excel.Exe", "x");
  CTxt found;
  ASSERT_GT(FindFileInTree(root.c_str(), "EXCEL.EXE", found), 0);
  EXPECT_EQ(0, CompareNoCase((root + "/a/b/c/Excel.Exe").c_str(), found, 1))
      << static_cast<const char*>(found);
  EXPECT_EQ(-3, FindFileInTree(root.c_str(), "EXCEL.EXE", found, 2));
  EXPECT_EQ(-1, FindFileInTree(root.c_str(), "WORD.EXE", found));
  EXPECT_EQ(-2, FindFileInTree((root + "/missing").c_str(), "EXCEL.EXE", found));
}

TEST(FindProgramInPathTest, FindsProgramsOnTheSearchPath) {
  CTxt found;
  ASSERT_GT(FindProgramInPath("cmd", found), 0);
  EXPECT_EQ(0, IsFolder(found));
  EXPECT_EQ(-1, FindProgramInPath("no_such_program_4711", found));
  EXPECT_EQ(-1, FindProgramInPath("", found));
}

// --- System queries and windows
// ---------------------------------------------------------------------------------

TEST(SystemQueryTest, VersionIsKnownWithoutTheEnvironmentVariable) {
  int code = GetOsVersionCode();
  EXPECT_GE(code, 500);
  EXPECT_LT(code, 9000);
  char saved[64] = "";
  GetEnvironmentVariableA("OS", saved, sizeof saved);
  SetEnvironmentVariableA("OS", nullptr);
  EXPECT_EQ(code, GetOsVersionCode());
  SetEnvironmentVariableA("OS", saved);
}

TEST(SystemQueryTest, MemoryComputerNameAndSpecialFolders) {
  EXPECT_GT(GetMemoryStatus(1), 0u);
  EXPECT_GE(GetMemoryStatus(4), GetMemoryStatus(1));
  EXPECT_NEAR(GetMemoryStatusMB(4), GetMemoryStatus(4) / 1048576.0, 1.0);

  CTxt name;
  SetEnvironmentVariableA("USERDOMAIN", "TESTDOMAIN");
  EXPECT_EQ(10, GetComputerNameText(name));
  EXPECT_STREQ("TESTDOMAIN", static_cast<const char*>(name));
  SetEnvironmentVariableA("USERDOMAIN", nullptr);
  EXPECT_GT(GetComputerNameText(name), 0);

  CTxt folder;
  ASSERT_GT(GetSystemPath(CSIDL_WINDOWS, folder), 0);
  EXPECT_EQ(1, IsFolder(folder));
  EXPECT_LT(folder.FindChar('\\'), 0);  // '/' form
  EXPECT_EQ(-3, GetSystemPath(0x7777, folder));
  EXPECT_EQ(0, FindNoCase(folder, "GetSystemPath: Could not find path type"));
}

// The text of the folder tree's selected entry, read inside this process.
std::string SelectedFolderEntry(HWND picker) {
  for (HWND child : ChildWindows(picker)) {
    if (ClassOf(child) != "SysTreeView32") continue;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(child, TVM_GETNEXTITEM, TVGN_CARET, 0));
    char text[MAX_PATH] = "";
    TVITEMA entry{};
    entry.mask = TVIF_TEXT;
    entry.hItem = item;
    entry.pszText = text;
    entry.cchTextMax = sizeof text;
    if (item && SendMessageA(child, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry))) return text;
  }
  return "";
}

// Answers the folder picker of this process with a button once it shows, on a thread of its own; with
// `selected` given, once the picker has selected the entry of that name (the start folder is selected
// after the dialog appears).
class PickerAnswer {
 public:
  explicit PickerAnswer(int button, std::string selected = "")
      : m_thread(std::thread([button, selected] {
          HWND picker = WaitForTopWindow([](HWND w) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            return pid == GetCurrentProcessId() && ClassOf(w) == "#32770" && IsWindowVisible(w);
          });
          if (!picker) return;
          if (!selected.empty())
            WaitUntil(
                [&] { return CompareNoCase(SelectedFolderEntry(picker).c_str(), selected.c_str()) == 0; },
                5000);
          PostMessageA(picker, WM_COMMAND, button, 0);
        })) {}
  ~PickerAnswer() { m_thread.join(); }

 private:
  std::thread m_thread;
};

TEST(BrowseForFolderTest, StartsInTheGivenFolderAndReturnsTheChoice) {
  // A system folder: Wine's picker cannot reach folders below the user profile by path.
  char system[MAX_PATH] = "";
  GetSystemDirectoryA(system, sizeof system);
  std::string start = system;
  std::string slashed = start;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  CTxt folder(slashed.c_str());
  int length;
  {
    PickerAnswer ok(IDOK, start.substr(start.find_last_of("\\/") + 1));
    length = BrowseForFolder(folder, "Select the data folder", nullptr);
  }
  EXPECT_EQ(static_cast<int>(start.size()), length);
  EXPECT_EQ(0, CompareNoCase(start.c_str(), folder, 1)) << static_cast<const char*>(folder);
}

TEST(BrowseForFolderTest, CancelReportsUserAborted) {
  CTxt folder;
  int result;
  {
    PickerAnswer cancel(IDCANCEL);
    result = BrowseForFolder(folder, "Select", nullptr);
  }
  EXPECT_EQ(0, result);
  EXPECT_STREQ("User aborted", static_cast<const char*>(folder));
}

class WindowHelpersTest : public testing::Test {
 protected:
  void SetUp() override {
    m_top = CreateWindowExA(0, "STATIC", "top", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                            nullptr, nullptr);
    m_child = CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, m_top, nullptr,
                              nullptr, nullptr);
    m_edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, m_child, nullptr, nullptr,
                             nullptr);
  }
  void TearDown() override { DestroyWindow(m_top); }
  HWND m_top = nullptr, m_child = nullptr, m_edit = nullptr;
};

TEST_F(WindowHelpersTest, AncestryAtAnyDepth) {
  ASSERT_NE(nullptr, m_edit);
  EXPECT_EQ(1, IsChildWindowOf(m_edit, m_top));
  EXPECT_EQ(1, IsChildWindowOf(m_edit, m_child));
  EXPECT_EQ(0, IsChildWindowOf(m_top, m_edit));
  EXPECT_EQ(0, IsChildWindowOf(m_edit, m_edit));
  EXPECT_EQ(0, IsChildWindowOf(nullptr, m_top));
}

TEST_F(WindowHelpersTest, StateLetters) {
  SetWindowState(m_edit, 'D', 1);
  EXPECT_FALSE(IsWindowEnabled(m_edit));
  SetWindowState(m_edit, 'd', 0);
  EXPECT_TRUE(IsWindowEnabled(m_edit));
  SetWindowState(m_edit, 'L', 12);
  EXPECT_EQ(12, static_cast<int>(SendMessageA(m_edit, EM_GETLIMITTEXT, 0, 0)));
  SetWindowState(m_edit, 'R', 1);
  EXPECT_TRUE(GetWindowLongA(m_edit, GWL_STYLE) & ES_READONLY);
  SetWindowState(m_top, 'V', 1);
  EXPECT_TRUE(GetWindowLongA(m_top, GWL_STYLE) & WS_VISIBLE);
  SetWindowState(m_top, 'V', 0);
  EXPECT_FALSE(GetWindowLongA(m_top, GWL_STYLE) & WS_VISIBLE);
  SetWindowState(m_top, 'S', SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(m_top));
  EXPECT_EQ(-1, SetWindowState(m_top, 'Q', 0));
}

}  // namespace
