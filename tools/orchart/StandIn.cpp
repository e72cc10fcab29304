// Process-wide state of the stand-in: start-up, options applied while running, timers, faults, log.
#include "StandIn.h"

#include <shlobj.h>

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "Chart.h"
#include "CommandLine.h"
#include "Popups.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {

// ---- Files -------------------------------------------------------------------------------------

std::string Slashed(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  while (path.size() > 3 && path.back() == '/') path.pop_back();
  return path;
}

std::string Backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(Backslashed(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::string& path) {
  std::string p = Backslashed(path);
  for (size_t i = 3; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '\\') {
      std::string part = p.substr(0, i);
      if (GetFileAttributesA(part.c_str()) == INVALID_FILE_ATTRIBUTES &&
          !CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    }
  }
  return true;
}

std::string ReadWholeFile(const std::string& path, bool* ok) {
  std::ifstream in(Backslashed(path), std::ios::binary);
  if (ok) *ok = static_cast<bool>(in);
  if (!in) return "";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(Backslashed(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool AppendToFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(Backslashed(path), std::ios::binary | std::ios::app);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string WindowText(HWND hwnd) {
  char buf[1024] = "";
  GetWindowTextA(hwnd, buf, sizeof buf);
  return buf;
}

// The top-level windows that end with the charting process. The system's helper windows of the main
// window's own controls (the command line's drop-down, tool tips, input method) stay.
static BOOL CALLBACK CollectChartingWindow(HWND h, LPARAM lp) {
  char cls[64] = "";
  GetClassNameA(h, cls, sizeof cls);
  bool helper = !lstrcmpiA(cls, "ComboLBox") || !lstrcmpiA(cls, "tooltips_class32") ||
                !lstrcmpiA(cls, "IME") || !lstrcmpiA(cls, "MSCTFIME UI");
  if (h != App::Get().main && !helper) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
  return TRUE;
}

// ---- App ---------------------------------------------------------------------------------------

App& App::Get() {
  static App app;
  return app;
}

std::string App::TitlePrefix() const {
  std::string prefix = options.Text("TitlePrefix");
  if (!prefix.empty()) return prefix;
  return std::string(IsVersion8() ? "Tradestation " : "TradeStation ") + versionText + " - ";
}

bool App::Start(HINSTANCE inst, const std::vector<std::string>& args) {
  instance = inst;
  options.SetCommandLine(args);
  versionText = options.Text("Version", "9.5");
  int major = 0, minor = 0;
  if (std::sscanf(versionText.c_str(), "%d.%d", &major, &minor) != 2 || major < 8 || major > 9 || minor < 0 ||
      minor > 9) {
    versionText = "9.5";
    major = 9;
    minor = 5;
  }
  version = major * 10 + minor;

  char programFiles[MAX_PATH] = "C:\\Program Files";
  SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, programFiles);
  std::string defaultFolder =
      Slashed(programFiles) + "/" + (IsVersion8() ? "Tradestation " : "TradeStation ") + versionText;
  folder = Slashed(options.Text("Folder", defaultFolder));
  controlPath = Slashed(options.Text("Control", folder + "/orchart-control.txt"));
  options.SetDefault("SubPages", IsVersion8() ? "0" : "1");
  options.SetDefault("DialogClasses95", "1");
  options.SetDefault("Samples", "1");
  options.SetDefault("TitleShowsWorkspace", "1");

  for (const char* sub : {tsfacts::kWorkspaceFolder, tsfacts::kLogFolder, tsfacts::kCacheFolder}) {
    if (!MakeFolders(folder + "/" + sub)) return false;
  }
  if (options.Flag("Samples")) WriteSampleWorkspaces();
  options.SetControlText(ReadWholeFile(controlPath));
  lastCommand_ = options.Text("Command");
  lastCommandLine_ = options.Text("CommandLine");
  lastChartingBox_ = options.Flag("ChartingBox");
  lastSymbolLookup_ = options.Flag("SymbolLookup");
  Log("started: version %s, folder %s, control %s", versionText.c_str(), folder.c_str(), controlPath.c_str());
  FaultPoint("Start");
  return true;
}

Chart* App::ActiveChart() const {
  if (!activeWorkspace) return nullptr;
  if (mdiClient) {
    HWND active = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
    for (auto& c : activeWorkspace->charts)
      if (c->Frame() && c->Frame() == active) return c.get();
  }
  return activeWorkspace->charts.empty() ? nullptr : activeWorkspace->charts.front().get();
}

bool App::IsOpenChart(const Chart* chart) const {
  for (auto& ws : workspaces)
    for (auto& c : ws->charts)
      if (c.get() == chart) return true;
  return false;
}

void App::After(int ms, std::function<void()> fn) {
  UINT_PTR id = nextTimer_++;
  deferred_[id] = std::move(fn);
  SetTimer(main, id, static_cast<UINT>(std::max(1, ms + Jitter())), nullptr);
}

int App::Jitter() {
  int most = options.Int("JitterMs");
  if (most <= 0) return 0;
  std::string setting = options.Text("JitterMs") + "/" + options.Text("JitterSeed");
  if (setting != lastJitter_) {
    lastJitter_ = setting;
    jitterState_ = static_cast<unsigned>(options.Int("JitterSeed", 1));
  }
  // A linear congruential step: the same seed gives the same delays on every platform and build.
  jitterState_ = jitterState_ * 1103515245u + 12345u;
  int jitter = static_cast<int>((jitterState_ >> 16) % static_cast<unsigned>(most + 1));
  Log("delay jitter %d ms", jitter);
  return jitter;
}

void App::RunTimer(UINT_PTR id) {
  KillTimer(main, id);
  auto it = deferred_.find(id);
  if (it == deferred_.end()) return;
  std::function<void()> fn = std::move(it->second);
  deferred_.erase(it);
  fn();
}

void App::ReloadControl() {
  if (options.SetControlText(ReadWholeFile(controlPath))) {
    Log("control file changed");
    ApplyOptions();
  }
}

void App::ApplyOptions() {
  if (options.Flag("Quit")) {
    Log("quit requested");
    PostMessageA(main, WM_CLOSE, 0, 0);
    return;
  }
  if (options.ListHas("CrashAt", "Now")) FaultPoint("Now");
  // "Now" in HangAt or ChartingEndsAt acts once each time the list changes, after this message: the
  // sender of the reload request gets its answer first.
  std::string hangAt = options.Text("HangAt"), chartingEndsAt = options.Text("ChartingEndsAt");
  // The change may have been seen by the control file poll just before the test's reload request came:
  // the hang waits a moment and answers a request already waiting before it starts.
  if (hangAt != lastHangAt_ && options.ListHas("HangAt", "Now"))
    After(100, [this] {
      MSG pending;
      PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      Hang("Now");
    });
  if (chartingEndsAt != lastChartingEndsAt_ && options.ListHas("ChartingEndsAt", "Now"))
    After(0, [this] { EndCharting("Now"); });
  lastHangAt_ = hangAt;
  lastChartingEndsAt_ = chartingEndsAt;
  RestartTimerOnChange("CrashAfterMs", lastCrashAfter_, kCrashTimer);
  RestartTimerOnChange("HangAfterMs", lastHangAfter_, kHangTimer);
  RestartTimerOnChange("ChartingEndsAfterMs", lastChartingEndsAfter_, kChartingEndsTimer);
  SetTimer(main, kControlPollTimer, static_cast<UINT>(std::max(5, options.Ms("ControlPollMs", 250, 25))),
           nullptr);
  if (activeWorkspace) {
    for (auto& c : activeWorkspace->charts) {
      c->SetMaximized(!options.Flag("NotMaximized"));
      c->EnableView(!options.Flag("DisableChartView"));
    }
  }
  SetSecondChart(options.Flag("SecondChart"));
  bool chartingBox = options.Flag("ChartingBox");
  if (chartingBox && !lastChartingBox_) {
    Chart* c = ActiveChart();
    ShowChartingBox(c ? c->Settings().tracks.front().symbol : "MSFT");
  }
  lastChartingBox_ = chartingBox;
  bool symbolLookup = options.Flag("SymbolLookup");
  if (symbolLookup && !lastSymbolLookup_) ShowSymbolLookup("");
  lastSymbolLookup_ = symbolLookup;
  // One-shot actions for demonstrations and manual checks: each runs when its value appears or changes.
  std::string command = options.Text("Command");
  if (command != lastCommand_) {
    lastCommand_ = command;
    // Chart commands go to the active chart's view, the others to the main window.
    Chart* chart = ActiveChart();
    HWND target = chart && chart->View() && IsChartCommand(options.Int("Command")) ? chart->View() : main;
    if (int id = options.Int("Command")) PostMessageA(target, WM_COMMAND, static_cast<WPARAM>(id), 0);
  }
  std::string commandLine = options.Text("CommandLine");
  if (commandLine != lastCommandLine_) {
    lastCommandLine_ = commandLine;
    if (!commandLine.empty()) RunCommandLine(commandLine);
  }
  for (auto& observer : optionObservers) observer();
  PostMessageA(main, kUpdateTitleMessage, 0, 0);
}

void App::RestartTimerOnChange(const char* key, std::string& last, UINT_PTR timer) {
  std::string value = options.Text(key);
  if (value == last) return;
  last = value;
  if (value.empty())
    KillTimer(main, timer);
  else
    SetTimer(main, timer, static_cast<UINT>(std::max(1, options.Int(key))), nullptr);
}

void App::FaultPoint(const char* moment) {
  if (options.ListHas("SignalAt", moment)) Signal(moment);
  if (options.ListHas("CrashAt", moment)) Crash(moment);
  // "Now" in these lists is handled when the options change, not at every fault point of the process.
  std::string name = moment;
  if (options.ListHas("HangAt", moment) && name != "Now") After(0, [this, name] { Hang(name.c_str()); });
  if (options.ListHas("ChartingEndsAt", moment) && name != "Now")
    After(0, [this, name] { EndCharting(name.c_str()); });
}

void App::Crash(const char* why) {
  Log("crash: %s", why);
  ExitProcess(3);
}

void App::Hang(const char* why) {
  int ms = options.Ms("HangMs", 5000, 3000);
  Log("hang: %s, %d ms", why, ms);
  // Sleep, not a message wait: nothing of this thread may answer while it lasts.
  Sleep(static_cast<DWORD>(ms));
  Log("hang over");
}

void App::Signal(const char* moment) {
  DWORD pid = GetCurrentProcessId();
  HANDLE reached = CreateEventA(nullptr, FALSE, FALSE, MomentEventName(pid, moment, "reached").c_str());
  HANDLE go = CreateEventA(nullptr, FALSE, FALSE, MomentEventName(pid, moment, "go").c_str());
  int holdMs = std::max(0, options.Int("SignalHoldMs", 5000));
  Log("moment: %s, holding up to %d ms", moment, holdMs);
  if (reached) SetEvent(reached);
  // A bounded hold inside the current message, not a hang: the test only sets what it needs and says go.
  bool released = go && WaitForSingleObject(go, static_cast<DWORD>(holdMs)) == WAIT_OBJECT_0;
  Log("moment: %s, %s", moment, released ? "released" : "not released");
  if (reached) CloseHandle(reached);
  if (go) CloseHandle(go);
}

void App::EndCharting(const char* why) {
  Log("charting ended: %s", why);
  std::vector<HWND> doomed;
  EnumThreadWindows(GetCurrentThreadId(), CollectChartingWindow, reinterpret_cast<LPARAM>(&doomed));
  for (HWND h : doomed)
    if (IsWindow(h)) DestroyWindow(h);
  for (auto& ws : workspaces)
    for (auto& c : ws->charts) c->DestroyWindows();
  EnableWindow(main, TRUE);
  PostMessageA(main, kUpdateTitleMessage, 0, 0);
}

void App::OpenDialogLater(const char* name, std::function<void()> open) {
  if (options.ListHas("MissingDialogs", name)) {
    Log("dialog %s withheld (MissingDialogs)", name);
    return;
  }
  int delay = options.Ms("DialogDelayMs", 150, 15);
  if (options.ListHas("LateDialogs", name)) delay += options.Ms("LateDialogMs", 4000, 400);
  After(delay, std::move(open));
}

void App::ShowNowOrLate(const char* name, std::function<void()> show) {
  if (options.ListHas("MissingDialogs", name)) {
    Log("window %s withheld (MissingDialogs)", name);
    return;
  }
  if (options.ListHas("LateDialogs", name)) {
    Log("window %s late (LateDialogs)", name);
    After(options.Ms("LateDialogMs", 4000, 400), std::move(show));
    return;
  }
  show();
}

void App::Log(const char* format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  SYSTEMTIME t;
  GetLocalTime(&t);
  char line[2200];
  std::snprintf(line, sizeof line, "%02d:%02d:%02d.%03d %s\r\n", t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds, text);
  if (!folder.empty()) AppendToFile(folder + "/" + tsfacts::kLogFolder + "/orchart.log", line);
}

}  // namespace orchart
