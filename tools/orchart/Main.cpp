// orchart.exe, the stand-in TradeStation: one process hosting the main window, charts and dialogs that the
// driver meets in TradeStation. Options: see Options.h.
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <string>
#include <vector>

#include "ChartStrategy.h"
#include "CommandLine.h"
#include "DemoActions.h"
#include "DialogKit.h"
#include "EventsLog.h"
#include "FormatStrategy.h"
#include "FormatSymbol.h"
#include "MainWindow.h"
#include "ReportWindows.h"
#include "StandIn.h"
#include "SymbolListDialog.h"
#include "Workspace.h"
#include "WorkspaceDialogs.h"

namespace orchart {
namespace {

void OpenStartWorkspaces() {
  App& app = App::Get();
  std::string list = app.options.Text("Workspace");
  size_t pos = 0;
  while (pos <= list.size() && !list.empty()) {
    size_t end = list.find('|', pos);
    if (end == std::string::npos) end = list.size();
    std::string name = list.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty()) continue;
    std::string path = Slashed(name);
    bool absolute = path.size() > 1 && (path[1] == ':' || path[0] == '/');
    if (!absolute) path = app.WorkspaceFolder() + "/" + path;
    if (path.size() < 4 || Lower(path.substr(path.size() - 4)) != ".tsw") path += ".tsw";
    std::string error;
    if (!OpenWorkspaceFile(path, error)) app.Log("start workspace not opened: %s", error.c_str());
  }
}

int Run(HINSTANCE instance) {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  App& app = App::Get();
  if (!app.Start(instance, args)) return 2;

  INITCOMMONCONTROLSEX icc{sizeof icc,
                           ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterWorkspaceCommands();
  RegisterFormatSymbolCommands();
  RegisterFormatStrategyCommands();
  RegisterReportCommands();
  RegisterErrorWindows();
  RegisterSymbolListDialog();
  RegisterStrategyOverlay();
  RegisterDemoActions();
  if (!CreateMainWindow()) {
    app.Log("main window not created (%lu)", GetLastError());
    return 2;
  }
  OpenStartWorkspaces();
  SetTimer(app.main, App::kControlPollTimer, static_cast<UINT>(app.options.Ms("ControlPollMs", 250, 25)),
           nullptr);
  app.Log("ready");

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!DialogRegistry::Translate(&msg) && !TranslateMDISysAccel(app.mdiClient, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DialogRegistry::Sweep();
  }
  app.Log("ended");
  return static_cast<int>(msg.wParam);
}

}  // namespace
}  // namespace orchart

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    return orchart::Run(instance);
  } catch (const std::exception& e) {
    orchart::App::Get().Log("ended by exception: %s", e.what());
  } catch (...) {
    orchart::App::Get().Log("ended by exception");
  }
  return 1;
}
