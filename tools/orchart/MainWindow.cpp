// The main window.
#include "MainWindow.h"

#include <windows.h>

#include <map>

#include "Chart.h"
#include "CommandLine.h"
#include "DateField.h"
#include "StandIn.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

// HangAfterMs and ChartingEndsAfterMs act once each time their value changes.
void OneShotFault(UINT_PTR timer) {
  App& app = App::Get();
  KillTimer(app.main, timer);
  if (timer == App::kHangTimer)
    app.Hang("HangAfterMs");
  else
    app.EndCharting("ChartingEndsAfterMs");
}

constexpr int kExitCommand = 57665;
constexpr int kCascadeCommand = 57650;
constexpr int kTileCommand = 57651;
constexpr int kFirstMdiChild = 50000;

std::map<int, MainCommand>& Commands() {
  static std::map<int, MainCommand> commands;
  return commands;
}

HMENU BuildMenu(HMENU& windowMenu) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, tsfacts::kCmdOpenWorkspace, "&Open Workspace...");
  AppendMenuA(file, MF_STRING, tsfacts::kCmdSaveWorkspace, "&Save Workspace");
  AppendMenuA(file, MF_STRING, tsfacts::kCmdSaveWorkspaceAs, "Save Workspace &As...");
  AppendMenuA(file, MF_STRING, tsfacts::kCmdCloseWorkspace, "&Close Workspace");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kExitCommand, "E&xit");
  HMENU view = CreatePopupMenu();
  AppendMenuA(view, MF_STRING, tsfacts::kCmdMoreWorkspaces, "&More Workspaces...");
  HMENU format = CreatePopupMenu();
  AppendMenuA(format, MF_STRING, tsfacts::kCmdFormatSymbol, "&Symbol...");
  windowMenu = CreatePopupMenu();
  AppendMenuA(windowMenu, MF_STRING, kCascadeCommand, "&Cascade");
  AppendMenuA(windowMenu, MF_STRING, kTileCommand, "&Tile");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&View");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(format), "F&ormat");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(windowMenu), "&Window");
  return bar;
}

void Layout(HWND hwnd) {
  App& app = App::Get();
  RECT rc;
  GetClientRect(hwnd, &rc);
  int barHeight = 0;
  if (app.commandBar) {
    RECT br;
    GetWindowRect(app.commandBar, &br);
    barHeight = br.bottom - br.top;
    MoveWindow(app.commandBar, 0, 0, rc.right, barHeight, TRUE);
  }
  if (app.mdiClient) MoveWindow(app.mdiClient, 0, barHeight, rc.right, rc.bottom - barHeight, TRUE);
}

void RunCommand(int id) {
  App& app = App::Get();
  // StrictCommandTargets: a main window disabled by a modal box takes no command, and chart commands
  // work only at the chart view.
  bool strict = app.options.Flag("StrictCommandTargets");
  if (strict && !IsWindowEnabled(app.main)) {
    app.Log("main window command %d ignored: a modal box disables the main window", id);
    return;
  }
  auto it = Commands().find(id);
  if (it != Commands().end()) {
    app.Log("main window command %d", id);
    it->second();
    return;
  }
  if (strict) {
    app.Log("main window command %d ignored: not a main window command", id);
    return;
  }
  if (Chart* chart = app.ActiveChart()) RunChartCommand(id, *chart);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  App& app = App::Get();
  try {
    switch (msg) {
      case WM_CREATE: {
        app.main = hwnd;
        CLIENTCREATESTRUCT ccs{};
        ccs.hWindowMenu = GetSubMenu(GetMenu(hwnd), 3);
        ccs.idFirstChild = kFirstMdiChild;
        app.mdiClient =
            CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE,
                            0, 0, 100, 100, hwnd, nullptr, app.instance, &ccs);
        app.commandBar = CreateCommandBar(hwnd);
        Layout(hwnd);
        return 0;
      }
      case WM_SIZE:
        Layout(hwnd);
        return 0;
      case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id == kExitCommand) {
          PostMessageA(hwnd, WM_CLOSE, 0, 0);
          return 0;
        }
        if (id == kCascadeCommand || id == kTileCommand) {
          SendMessageA(app.mdiClient, id == kCascadeCommand ? WM_MDICASCADE : WM_MDITILE, 0, 0);
          return 0;
        }
        if (id >= kFirstMdiChild) break;  // the Window menu's list of charts
        RunCommand(id);
        return 0;
      }
      case WM_TIMER:
        if (wp == App::kControlPollTimer)
          app.ReloadControl();
        else if (wp == App::kCrashTimer)
          app.Crash("CrashAfterMs");
        else if (wp == App::kHangTimer || wp == App::kChartingEndsTimer)
          OneShotFault(wp);
        else
          app.RunTimer(wp);
        return 0;
      case kUpdateTitleMessage:
        UpdateMainTitle();
        return 0;
      case kIdleProbeMessage:
        app.lastIdleProbe = wp;
        return 0;
      case kIdleQueryMessage:
        return app.lastIdleProbe == wp && app.Idle() ? 1 : 0;
      case kRunCommandLineMessage:
        RunPendingCommandLine();
        return 0;
      case kReloadControlMessage:
        app.ReloadControl();
        return 1;
      case WM_CLOSE:
        app.Log("main window closing");
        DestroyWindow(hwnd);
        return 0;
      case WM_DESTROY:
        app.workspaces.clear();
        app.activeWorkspace = nullptr;
        PostQuitMessage(0);
        return 0;
      default:
        break;
    }
  } catch (const std::exception& e) {
    app.Log("exception in main window: %s", e.what());
  } catch (...) {
    app.Log("exception in main window");
  }
  return DefFrameProcA(hwnd, app.mdiClient, msg, wp, lp);
}

}  // namespace

void RegisterMainCommand(int id, MainCommand command) {
  Commands()[id] = std::move(command);
}

bool CreateMainWindow() {
  App& app = App::Get();
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = app.instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = tsfacts::kMainWindowClass;
  if (!RegisterClassA(&wc)) return false;
  Chart::RegisterClasses(app.instance);
  RegisterDateField(app.instance);
  // On 9.5 two dialogs have classes of their own (named like their resources); they behave like "#32770".
  for (const char* name : {tsfacts::kMoreWorkspacesName95, tsfacts::kSaveWorkspaceName95}) {
    WNDCLASSA dc{};
    dc.lpfnWndProc = DefDlgProcA;
    dc.cbWndExtra = DLGWINDOWEXTRA;
    dc.hInstance = app.instance;
    dc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    dc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dc.lpszClassName = name;
    RegisterClassA(&dc);
  }
  HMENU windowMenu = nullptr;
  HMENU menu = BuildMenu(windowMenu);
  std::string title = app.TitlePrefix() + app.options.Text("Desktop", "Desktop");
  HWND hwnd =
      CreateWindowExA(0, tsfacts::kMainWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10,
                      10, 1180, 860, nullptr, menu, app.instance, nullptr);
  if (!hwnd) return false;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  UpdateMainTitle();
  return true;
}

void UpdateMainTitle() {
  App& app = App::Get();
  if (!app.main) return;
  std::string base = app.TitlePrefix() + app.options.Text("Desktop", "Desktop");
  if (app.activeWorkspace) base += tsfacts::kTitleSeparator + app.activeWorkspace->Name();
  std::string want = base;
  Chart* chart = app.ActiveChart();
  // The active chart's title stays in the main title whether or not its window is maximised.
  if (chart && chart->Frame()) {
    if (app.options.Flag("TitleShowsWorkspace"))
      want = base + " - [" + chart->Title() + "]";
    else
      want = app.TitlePrefix() + chart->Title();
  }
  if (WindowText(app.main) == want) return;
  // The MDI frame keeps `base` and adds the maximised child's title itself; make sure the result is exact.
  SetWindowTextA(app.main, base.c_str());
  if (WindowText(app.main) != want)
    DefWindowProcA(app.main, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(want.c_str()));
}

}  // namespace orchart
