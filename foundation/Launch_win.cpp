// Starting programs on Windows: the launch prefix language, the text editor, the web browser and the
// CSV viewers (with the bounded search for the spreadsheet program).
#include <windows.h>

#include <cctype>
#include <deque>
#include <string>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"
#include "foundation/WinHandles.h"

namespace {

constexpr DWORD kWaitPollMs = 100;
constexpr WORD kShowNormal = 5;     // SW_SHOW
constexpr WORD kShowMinimised = 6;  // SW_MINIMIZE
constexpr const char* kExcelName = "EXCEL.EXE";
constexpr const char* kExcelMissingFallback = "C:/Windows/System32/NOTEPAD.EXE";

struct LaunchOptions {
  bool wait = false;
  bool raw = false;  // '!': the rest is the command line
  DWORD startFlags = 0;
  WORD show = kShowNormal;
  DWORD creationFlags = DETACHED_PROCESS | NORMAL_PRIORITY_CLASS;
};

std::string AppTitle() {
  CTxt name;
  CTxt::GetExeName(name, 2);
  return name.ToStd();
}

std::string SystemMessage(DWORD error) {
  char text[1001] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                           text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) text[--n] = '\0';
  return text;
}

void ShowLaunchError(DWORD error, const char* what) {
  LogBox(AppTitle().c_str(), "File Launch Error (%d) in:\r\n%s\r\n%s", static_cast<int>(error), what,
         SystemMessage(error).c_str());
}

// '^' rewrites the command into "!EDITOR \"FILE\"" with the configured editor.
std::string EditorCommand(const char* file) {
  CTxt editor;
  Settings::GetString("SYS", "EDITOR", "NOTEPAD", editor);
  Settings::WriteString("SYS", "EDITOR", editor);
  CTxt path(file);
  path.MakeFnDOS();
  CTxt command;
  command.Format("!%s \"%s\"", static_cast<const char*>(editor), static_cast<const char*>(path));
  return command.ToStd();
}

const char* ReadPrefixes(const char* command, LaunchOptions& options, std::string& rewritten) {
  const char* p = command;
  if (*p == '^') {
    rewritten = EditorCommand(p + 1);
    p = rewritten.c_str();
  }
  if (*p == '<') options.wait = true, ++p;
  if (*p == '#') {
    options.startFlags |= STARTF_USESHOWWINDOW | STARTF_RUNFULLSCREEN;
    options.creationFlags = NORMAL_PRIORITY_CLASS;
    ++p;
  }
  if (*p == '~') options.startFlags |= STARTF_USESHOWWINDOW, options.show = kShowMinimised, ++p;
  if (*p == '@') {
    options.startFlags |= STARTF_USESHOWWINDOW;
    options.creationFlags = NORMAL_PRIORITY_CLASS;
    ++p;
  }
  if (*p == '!') options.raw = true, ++p;
  return p;
}

// Polls the program every 100 ms until it ends or the limit passes (the program then keeps running).
int WaitForExit(HANDLE process, const char* commandLine, DWORD limitMs) {
  DWORD started = GetTickCount();
  DWORD code = STILL_ACTIVE;
  while (GetExitCodeProcess(process, &code) && code == STILL_ACTIVE) {
    if (GetTickCount() - started >= limitMs) {
      LogTrace("Launch", kLogNormal, "Stopped waiting after %lu ms for: %s",
               static_cast<unsigned long>(limitMs), commandLine);
      return -static_cast<int>(WAIT_TIMEOUT);
    }
    WaitForSingleObject(process, kWaitPollMs);
  }
  return static_cast<int>(code);
}

// Starts the command line; fills process with its handle. 0 or the system error.
DWORD StartProgram(const std::string& commandLine, const LaunchOptions& options, KernelHandle& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = options.startFlags;
  startup.wShowWindow = options.show;
  PROCESS_INFORMATION info{};
  std::string buffer = commandLine;  // CreateProcessA may write into the command line
  if (!CreateProcessA(nullptr, &buffer[0], nullptr, nullptr, FALSE, options.creationFlags, nullptr, nullptr,
                      &startup, &info))
    return GetLastError();
  KernelHandle thread(info.hThread);
  process.Reset(info.hProcess);
  return 0;
}

std::string Quoted(const std::string& program) {
  if (program.empty() || program.front() == '"' || program.find(' ') == std::string::npos) return program;
  return "\"" + program + "\"";
}

bool FileExists(const char* path) {
  return IsFolder(path) == 0;
}

// The keep rule for the browser command: no argument placeholder, no address.
bool KeepBrowserWord(const std::string& word) {
  if (word.empty() || word[0] == '%') return false;
  if (word.size() > 1 && word[0] == '"' && word[1] == '%') return false;
  return CompareNoCase("http:", word.c_str(), 2) != 0;
}

void StoreBrowserFromRegistry() {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\http\\shell\\open\\command", 0, KEY_READ,
                    key.Receive()) != ERROR_SUCCESS)
    return;
  char value[2048] = "";
  DWORD size = sizeof value - 1, type = 0;
  if (RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
      ERROR_SUCCESS)
    return;
  value[size < sizeof value ? size : sizeof value - 1] = '\0';
  CTxt browser;
  if (BrowserFromOpenCommand(value, browser) > 0) Settings::WriteString("INTERNET", "Browser", browser);
}

// Viewer program of the current folder ("!.\\NAME \"FILE\""), when it is there.
int LaunchLocalViewer(const char* viewer, const char* file, const std::string& waitPrefix) {
  if (!FileExists(viewer)) return LaunchProcess((waitPrefix + file).c_str(), 1);
  CTxt command;
  command.Format("%s!.\\%s \"%s\"", waitPrefix.c_str(), viewer, file);
  return LaunchProcess(command, 1);
}

std::string SearchForSpreadsheet() {
  struct Place {
    const char* root;
    const char* shown;
  };
  static const Place kPlaces[] = {{"C:/Program Files (x86)", "C:/Program Files (x86)"},
                                  {"C:/Program Files", "C:/Program Files"},
                                  {"C:", "C:/"}};
  GaugetteUpdate("Scanning for Spreadsheet program ...", 0, 1);
  CTxt found;
  for (const Place& place : kPlaces) {
    LogTrace("ViewCSV", kLogNormal, "Initial search in %s for EXCEL.EXE ...", place.shown);
    if (FindFileInTree(place.root, kExcelName, found) > 0) break;
    found.Empty();
  }
  GaugetteClose();
  if (found.IsFilled()) return found.ToStd();
  LogBox(AppTitle().c_str(), "Cannot find the Microsoft Excel file (EXCEL.EXE) on the C Drive!");
  // A program that exists: a missing one would only lead to the same long search at every later call.
  return kExcelMissingFallback;
}

int ViewInSpreadsheet(const char* file, const std::string& waitPrefix) {
  CTxt configured;
  Settings::GetString("SYS", "CSVEXE", "", configured);
  Settings::WriteString("SYS", "CSVEXE", configured);
  if (CompareNoCase(configured, "DEFAULT", 1) == 0) return LaunchProcess((waitPrefix + file).c_str(), 1);
  CTxt program;
  if (FindProgramInPath(configured, program) < 0) {
    program = SearchForSpreadsheet().c_str();
    Settings::WriteString("SYS", "CSVEXE", program);
  }
  CTxt path(file);
  path.MakeFnDOS();
  if (!FileExists(path)) {
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    CTxt inFolder;
    inFolder.Format("%s\\%s", folder, static_cast<const char*>(path));
    path = inFolder;
  }
  LogTrace("ViewCSV", kLogNormal, "Open: %s (%s)", static_cast<const char*>(program),
           static_cast<const char*>(path));
  CTxt command;
  command.Format("%s!%s \"%s\"", waitPrefix.c_str(), Quoted(program.ToStd()).c_str(),
                 static_cast<const char*>(path));
  return LaunchProcess(command, 1);
}

}  // namespace

int LaunchProcess(const char* command, int showError, DWORD waitLimitMs) {
  if (!command || !*command) return -1;
  LaunchOptions options;
  std::string rewritten;
  const char* target = ReadPrefixes(command, options, rewritten);
  std::string commandLine = target;
  if (!options.raw) {
    if (GetOsVersionCode() >= 9000) return OpenBrowser(target, options.wait ? 1 : 0);
    if (!FileExists(target)) {
      ShowLaunchError(ERROR_FILE_NOT_FOUND, target);
      return -1;
    }
    // Doubled quotes: cmd strips the outer pair, so a path with blanks stays one word.
    commandLine = "cmd /C \"\"" + commandLine + "\"\"";
  }
  LogTrace("Launch", kLogDetail, "Start: %s", commandLine.c_str());
  KernelHandle process;
  DWORD error = StartProgram(commandLine, options, process);
  if (error != 0) {
    LogTrace("Launch", kLogNormal, "Cannot start (%lu): %s", static_cast<unsigned long>(error),
             commandLine.c_str());
    if (showError == 1) ShowLaunchError(error, commandLine.c_str());
    return -static_cast<int>(error);
  }
  if (!options.wait) return 1;
  return WaitForExit(process.Get(), commandLine.c_str(), waitLimitMs);
}

int OpenInEditor(const char* file) {
  if (!file || !FileExists(file)) return 0;
  return LaunchProcess((std::string("^") + file).c_str(), 1);
}

int BrowserFromOpenCommand(const char* registryText, CTxt& out) {
  std::string kept;
  std::string text = registryText ? registryText : "";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(pos, end - pos);
    pos = end + 1;
    if (!KeepBrowserWord(word)) continue;
    if (!kept.empty()) kept += ' ';
    kept += word;
  }
  for (char& c : kept)
    if (c == '\\') c = '/';
  out = kept.c_str();
  return static_cast<int>(kept.size());
}

int OpenBrowser(const char* target, int wait) {
  StoreBrowserFromRegistry();
  CTxt browser;
  Settings::GetString("INTERNET", "Browser", "", browser);
  // Without a registered browser the shell's explorer hands the address to the user's default one.
  if (browser.IsEmpty()) browser = "explorer";
  CTxt where(target ? target : "");
  where.Replace('\\', '/');
  CTxt command;
  command.Format("%s \"%s\"", static_cast<const char*>(browser), static_cast<const char*>(where));
  LogTrace("Test", kLogNormal, "HELP: Cmd=%s<", static_cast<const char*>(command));
  LaunchOptions options;
  KernelHandle process;
  DWORD error = StartProgram(command.ToStd(), options, process);
  if (error != 0) {
    LogBox("View Error", "Cannot start '%s' (%d)\r\n", static_cast<const char*>(command),
           static_cast<int>(error));
    return -1;
  }
  if (wait == 1) WaitForExit(process.Get(), command, kLaunchWaitLimitMs);
  return 0;
}

int ViewCSV(const char* file, int wait, char mode) {
  if (!file) return -1;
  std::string waitPrefix = wait == 1 ? "<" : "";
  switch (std::toupper(static_cast<unsigned char>(mode))) {
    case 'N':
      return OpenInEditor(file);
    case 'S':
      return LaunchLocalViewer("Tabulon.exe", file, waitPrefix);
    case 'I': {
      CTxt viewer;
      Settings::GetString("SYS", "Tabuloner", "Tabulon.exe", viewer);
      Settings::WriteString("SYS", "Tabuloner", viewer);
      return LaunchLocalViewer(viewer, file, waitPrefix);
    }
    case 'X':
      return ViewInSpreadsheet(file, waitPrefix);
    default:
      return LaunchProcess((waitPrefix + file).c_str(), 1);
  }
}

int FindProgramInPath(const char* name, CTxt& out) {
  std::string program = name ? name : "";
  if (program.size() >= 2 && program.front() == '"' && program.back() == '"')
    program = program.substr(1, program.size() - 2);
  if (program.empty()) return -1;
  if (FileExists(program.c_str())) {
    out = program.c_str();
    return out.GetLength();
  }
  char found[MAX_PATH] = "";
  DWORD n = SearchPathA(nullptr, program.c_str(), ".exe", sizeof found, found, nullptr);
  if (n == 0 || n >= sizeof found || !FileExists(found)) return -1;
  out = found;
  return out.GetLength();
}

int FindFileInTree(const char* root, const char* name, CTxt& out, int maxFolders, const char* category) {
  if (!root || !name || IsFolder(root) != 1) return -2;
  std::deque<std::string> pending{root};
  int visited = 0;
  while (!pending.empty()) {
    if (++visited > maxFolders) {
      LogTrace(category, kLogNormal, "Scan: stopped after %d folders", maxFolders);
      return -3;
    }
    std::string folder = pending.front();
    pending.pop_front();
    LogTrace(category, kLogDetail, "Scan: New Folder: %s", folder.c_str());
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA((folder + "/*").c_str(), &entry));
    if (!find) continue;
    do {
      std::string entryName = entry.cFileName;
      if (entryName == "." || entryName == "..") continue;
      bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      // Junctions and links lead back into the tree (or elsewhere): never followed.
      if (isFolder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        pending.push_back(folder + "/" + entryName);
      } else if (!isFolder && CompareNoCase(entryName.c_str(), name, 1) == 0) {
        out = (folder + "/" + entryName).c_str();
        out.MakeFn();
        return out.GetLength();
      }
    } while (FindNextFileA(find.Get(), &entry));
  }
  return -1;
}
