// The window-level test harness for the stand-in TradeStation.
#include "StandInHarness.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "Options.h"
#include "StandIn.h"
#include "TestSupport.h"

// The texts and numbers here are TradeStation's, written out on purpose: the tests check the stand-in
// (and the shared facts header) against them, not against the header.
namespace standin {
namespace {

std::string OrchartBuildFolder() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir = dir.substr(0, dir.find_last_of("\\/"));
  return dir + "\\..\\tools\\orchart";
}

std::string Slashed(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

// A folder name of the installation that no real one has: "TradeStation 9.5 (stand-in 4711-3)".
std::string FreshInstallationFolder(const std::string& version) {
  static std::atomic<int> counter{0};
  bool v8 = version.rfind("8.", 0) == 0;
  return ProgramFilesX86() + (v8 ? "/Tradestation " : "/TradeStation ") + version + " (stand-in " +
         std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++) + ")";
}

// The 32-bit program is copied into the installation's Program folder, where TradeStation keeps its own.
std::string Install32(const std::string& folder) {
  std::string source = StandIn32Exe();
  if (source.empty()) return "";
  std::error_code ignored;
  std::filesystem::create_directories(folder + "/Program", ignored);
  std::string target = folder + "/Program/orchart.exe";
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return "";
  return target;
}

// Without a window manager on the virtual display, Wine waits up to two seconds each time a managed
// top-level window hides. Unmanaged windows (drawn by Wine itself) do not wait; only orchart.exe is told so.
void PreferUnmanagedWindowsUnderWine() {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\orchart.exe\\X11 Driver", 0, nullptr,
                      0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
    RegCloseKey(key);
  }
}

}  // namespace

std::string ProgramFilesX86() {
  char path[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("ProgramFiles(x86)", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "C:/Program Files (x86)";
  return Slashed(path);
}

std::string StandIn32Exe() {
  std::string exe = OrchartBuildFolder() + "\\x86\\orchart.exe";
  return GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : exe;
}

bool Runs32BitPrograms() {
  static const bool runs = [] {
    std::string exe = StandIn32Exe();
    if (exe.empty()) return false;
    // Started with a crash point at the end of its start-up: exit code 3 proves it ran.
    std::string folder = testsupport::ScratchFolder() + "/TradeStation 9.5";
    std::string command = "\"" + exe + "\" --fast \"--Folder=" + folder + "\" --Samples=0 --CrashAt=Start";
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back(0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0)
      GetExitCodeProcess(pi.hProcess, &code);
    else
      TerminateProcess(pi.hProcess, 9);
    CloseHandle(pi.hProcess);
    return code == 3;
  }();
  return runs;
}

StandIn::StandIn(const StartOptions& setup) {
  PreferUnmanagedWindowsUnderWine();
  std::string scratch = testsupport::ScratchFolder();
  bool v8 = setup.version.rfind("8.", 0) == 0;
  bits_ = setup.bits == 32 && Runs32BitPrograms() ? 32 : 64;
  folder_ = setup.folder;
  if (folder_.empty() && bits_ == 32) {
    folder_ = FreshInstallationFolder(setup.version);
    removeFolder_ = true;
  } else if (folder_.empty()) {
    folder_ = scratch + (v8 ? "/Tradestation " : "/TradeStation ") + setup.version;
  }
  controlPath_ = scratch + "/control.txt";
  testsupport::WriteFile(controlPath_, setup.control);
  std::vector<std::string> args = {"--fast", "--Version=" + setup.version, "--Folder=" + folder_,
                                   "--Control=" + controlPath_};
  if (!setup.workspace.empty()) args.push_back("--Workspace=" + setup.workspace);
  args.insert(args.end(), setup.extraArgs.begin(), setup.extraArgs.end());
  std::string exe = bits_ == 32 ? Install32(folder_) : OrchartBuildFolder() + "\\orchart.exe";
  if (exe.empty()) return;
  std::string command = "\"" + exe + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::vector<char> buffer(command.begin(), command.end());
  buffer.push_back(0);
  if (!CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  WaitFor(
      [&] { return (main_ = FindTop(pid_, "ORPLAT.EXE TRADESTATION", "")) != nullptr || WaitExit(0) >= 0; },
      20000);
  // Tests of refused command lines expect the end; for any other test it is the reason Main() is null.
  if (!main_ && WaitExit(0) >= 0)
    std::fprintf(stderr, "the stand-in ended while starting, exit code 0x%X: %s\n",
                 static_cast<unsigned>(WaitExit(0)), command.c_str());
}

StandIn::~StandIn() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 9);
      WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
  }
  if (removeFolder_) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
}

void StandIn::SetControl(const std::string& lines) {
  // Replaced whole, never rewritten in place: the stand-in's poll would otherwise read a half-written file,
  // take the keys not written yet for removed ones and act again when they come back. The stand-in may hold
  // the file open for a moment while it reads it.
  std::string next = controlPath_ + ".new";
  testsupport::WriteFile(next, lines);
  WaitFor([&] { return MoveFileExA(next.c_str(), controlPath_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; });
  DWORD_PTR result = 0;
  SendMessageTimeoutA(main_, orchart::kReloadControlMessage, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
}

bool StandIn::WaitSettled(int ms) const {
  static std::atomic<WPARAM> tokens{0};
  WPARAM token = ++tokens;
  if (!PostMessageA(main_, orchart::kIdleProbeMessage, token, 0)) return false;
  return WaitFor(
      [&] {
        DWORD_PTR idle = 0;
        return SendMessageTimeoutA(main_, orchart::kIdleQueryMessage, token, 0, SMTO_ABORTIFHUNG, 1000,
                                   &idle) &&
               idle == 1;
      },
      ms);
}

bool StandIn::WaitFirstChartLoaded(int ms) const {
  return WaitFor([&] { return ActivityLog().find("chart loaded: ") != std::string::npos; }, ms);
}

int StandIn::WaitExit(int ms) {
  if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return static_cast<int>(code);
}

std::string StandIn::ActivityLog() const {
  return testsupport::ReadFile(folder_ + "/Logs/orchart.log");
}

// ---- Looking at windows ------------------------------------------------------------------------

std::string ClassOf(HWND hwnd) {
  char buf[1000] = "";
  GetClassNameA(hwnd, buf, sizeof buf);
  return buf;
}

std::string TextOf(HWND hwnd) {
  char buf[1000] = "";
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                           3000, &result))
    return "";
  return buf;
}

std::vector<HWND> TopWindows(DWORD pid) {
  struct Ctx {
    DWORD pid;
    std::vector<HWND> out;
  } ctx{pid, {}};
  EnumWindows(
      [](HWND h, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(lp);
        DWORD p = 0;
        GetWindowThreadProcessId(h, &p);
        if (p == c->pid) c->out.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.out;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM lp) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FindTop(DWORD pid, const std::string& cls, const std::string& title) {
  for (HWND h : TopWindows(pid)) {
    if (!IsWindowVisible(h)) continue;
    if (!cls.empty() && ClassOf(h) != cls) continue;
    if (TextOf(h).rfind(title, 0) == 0) return h;
  }
  return nullptr;
}

HWND WaitTop(DWORD pid, const std::string& cls, const std::string& title, int ms) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTop(pid, cls, title)) != nullptr; }, ms);
  return found;
}

HWND FindDescendant(HWND parent, const std::string& cls, int n) {
  for (HWND h : Descendants(parent))
    if (ClassOf(h) == cls && n-- == 0) return h;
  return nullptr;
}

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls) {
  std::vector<HWND> out;
  for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
    if (ClassOf(h) == cls) out.push_back(h);
  return out;
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= static_cast<DWORD>(ms)) return false;
    Sleep(10);
  }
}

bool WaitGone(HWND hwnd, int ms) {
  return WaitFor([&] { return !IsWindow(hwnd); }, ms);
}

bool WaitTitle(HWND hwnd, const std::string& expected, int ms) {
  return WaitFor([&] { return TextOf(hwnd) == expected; }, ms);
}

std::vector<HWND> ChartWindows(DWORD pid, HWND main) {
  (void)pid;
  std::vector<HWND> out;
  for (HWND h : Descendants(main)) {
    std::string c = ClassOf(h);
    if (c == "ORContainerMDIChildFrame:8455" || c == "ORContainerMDIChildFrame:8655") out.push_back(h);
  }
  return out;
}

HWND ChartView(HWND chart) {
  return FindDescendant(chart, "ORInPlaceFrame");
}

HWND FirstChartView(const StandIn& ts) {
  HWND view = nullptr;
  WaitFor([&] {
    auto charts = ChartWindows(ts.Pid(), ts.Main());
    return !charts.empty() && (view = ChartView(charts[0])) != nullptr;
  });
  return view;
}

std::string FirstChartTitle(const StandIn& ts) {
  auto charts = ChartWindows(ts.Pid(), ts.Main());
  return charts.empty() ? "" : TextOf(charts[0]);
}

bool DescendsFrom(HWND window, HWND ancestor) {
  for (HWND h = GetParent(window); h; h = GetParent(h))
    if (h == ancestor) return true;
  return false;
}

std::string StaticTexts(HWND box) {
  std::string out;
  for (HWND h : ChildrenOfClass(box, "Static")) out += TextOf(h) + "\n";
  return out;
}

// ---- Acting on windows -------------------------------------------------------------------------

void PostCommand(HWND target, int id) {
  PostMessageA(target, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

void PostClick(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

namespace {
// Entry texts are read as UTF-16: under Wine 8, LB_GETTEXT and CB_GETLBTEXT sent with SendMessageA to
// another process come back as UTF-16 whatever the caller asked for (WM_GETTEXT is not affected).
std::string EntryText(HWND control, UINT lengthMessage, UINT textMessage, int index) {
  LRESULT len = SendMessageW(control, lengthMessage, static_cast<WPARAM>(index), 0);
  if (len < 0) return "";
  std::wstring wide(static_cast<size_t>(len) + 1, L'\0');
  SendMessageW(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
  wide.resize(wcslen(wide.c_str()));
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &text[0], n, nullptr, nullptr);
  text.resize(strlen(text.c_str()));
  return text;
}
}  // namespace

std::string ListBoxText(HWND list, int index) {
  return EntryText(list, LB_GETTEXTLEN, LB_GETTEXT, index);
}

std::string ComboText(HWND combo, int index) {
  return EntryText(combo, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

HWND WaitOwned(DWORD pid, HWND parent, const std::string& title, int ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopWindows(pid))
          if (IsWindowVisible(h) && GetParent(h) == parent && ClassOf(h) == "#32770" &&
              TextOf(h).rfind(title, 0) == 0)
            return (found = h) != nullptr;
        return false;
      },
      ms);
  return found;
}

// Under Wine the very first click into a freshly shown dialog of a new process is now and then lost
// (the window is still being activated), so the click is repeated, a bounded number of times, until
// the selection shows it.
bool ClickListBoxEntry(HWND list, const std::string& text) {
  if (!WaitFor([&] { return IsWindowVisible(list) != FALSE; }, 2000)) return false;
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  int y = 0;
  for (int i = 0; i < count; ++i) {
    if (ListBoxText(list, i) == text) {
      for (int attempt = 0; attempt < 3; ++attempt) {
        PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, y));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(1, y));
        if (WaitFor([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == i; }, 1000)) return true;
      }
      return false;
    }
    y += static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0));
  }
  return false;
}

void TypeDate(HWND field, int month, int day, int year) {
  PostMessageA(field, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  PostMessageA(field, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  char parts[3][8];
  snprintf(parts[0], sizeof parts[0], "%02d", month);
  snprintf(parts[1], sizeof parts[1], "%02d", day);
  snprintf(parts[2], sizeof parts[2], "%04d", year);
  for (auto& part : parts) {
    for (const char* p = part; *p; ++p) PostMessageA(field, WM_CHAR, static_cast<WPARAM>(*p), 0);
    PostMessageA(field, WM_KEYDOWN, VK_RIGHT, 0);
  }
}

int CountColours(HWND hwnd) {
  RECT rc;
  GetWindowRect(hwnd, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (w <= 0 || h <= 0) return 0;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
  GetDIBits(mem, bmp, 0, static_cast<UINT>(h), pixels.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  std::set<DWORD> colours;
  for (DWORD p : pixels) {
    colours.insert(p & 0xFFFFFF);
    if (colours.size() >= 1000) break;
  }
  return static_cast<int>(colours.size());
}

bool RunCommandLine(HWND main, const std::string& command) {
  // The command line's edit: identifier 1001, in a "ComboBox" inside a "#32770" under the main window.
  HWND edit = nullptr;
  for (HWND h : Descendants(main)) {
    if (ClassOf(h) != "Edit" || GetDlgCtrlID(h) != 1001) continue;
    HWND combo = GetParent(h);
    if (ClassOf(combo) == "ComboBox" && ClassOf(GetParent(combo)) == "#32770") {
      edit = h;
      break;
    }
  }
  if (!edit) return false;
  HWND combo = GetParent(edit);
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command.c_str()));
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(command.c_str()));
  if (index < 0) index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(command.c_str()));
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(command.c_str()));
  SendMessageA(combo, WM_CHAR, 13, 0);
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  return true;
}

// ---- Moments
// -------------------------------------------------------------------------------------------------------

Moment::Moment(const StandIn& ts, const std::string& name) {
  reached_ = CreateEventA(nullptr, FALSE, FALSE, orchart::MomentEventName(ts.Pid(), name, "reached").c_str());
  go_ = CreateEventA(nullptr, TRUE, FALSE, orchart::MomentEventName(ts.Pid(), name, "go").c_str());
}

Moment::~Moment() {
  Release();
  if (reached_) CloseHandle(reached_);
  if (go_) CloseHandle(go_);
}

bool Moment::WaitReached(int ms) {
  return reached_ && WaitForSingleObject(reached_, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

void Moment::Release() {
  if (go_) SetEvent(go_);
}

}  // namespace standin
