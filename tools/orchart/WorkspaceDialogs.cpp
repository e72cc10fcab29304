// Workspace dialogs.
#include "WorkspaceDialogs.h"

#include <windows.h>
// commdlg.h needs the types of windows.h
#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "DialogKit.h"
#include "MainWindow.h"
#include "Popups.h"
#include "StandIn.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr char kWorkspaceFilter[] = "TradeStation Workspaces (*.tsw)\0*.tsw\0All Files (*.*)\0*.*\0";

bool StillOpen(const Workspace* ws) {
  for (auto& w : App::Get().workspaces)
    if (w.get() == ws) return true;
  return false;
}

// "More Workspaces" and "Save Workspace" are "#32770" dialogs; on 9.5 they can be made to carry the
// window classes named after their resources instead (WorkspaceDialogClasses95=1).
const char* ClassOn95(const char* name) {
  App& app = App::Get();
  return app.version >= 95 && app.options.Flag("WorkspaceDialogClasses95") ? name : nullptr;
}

// ---- More Workspaces ---------------------------------------------------------------------------

class MoreWorkspacesDialog : public Dialog {
 protected:
  void OnInit() override {
    App& app = App::Get();
    HWND list = Item(tsfacts::kWorkspaceListId);
    for (size_t i = 0; i < app.workspaces.size(); ++i) {
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(app.workspaces[i]->Name().c_str()));
      if (app.workspaces[i].get() == app.activeWorkspace) SendMessageA(list, LB_SETCURSEL, i, 0);
    }
  }
  bool OnCommand(int id, int code, HWND control) override {
    (void)control;
    if (id == IDOK || (id == tsfacts::kWorkspaceListId && code == LBN_DBLCLK)) {
      App& app = App::Get();
      int sel = static_cast<int>(SendMessageA(Item(tsfacts::kWorkspaceListId), LB_GETCURSEL, 0, 0));
      Workspace* chosen =
          sel >= 0 && sel < static_cast<int>(app.workspaces.size()) ? app.workspaces[sel].get() : nullptr;
      End();
      if (chosen) ActivateWorkspace(chosen);
      return true;
    }
    return false;
  }
};

void ShowMoreWorkspaces() {
  App& app = App::Get();
  app.FaultPoint("MoreWorkspaces");
  app.OpenDialogLater("MoreWorkspaces", [] {
    if (auto* open = DialogRegistry::Find<MoreWorkspacesDialog>()) {
      SetForegroundWindow(open->Hwnd());
      return;
    }
    DialogTemplate t(tsfacts::kMoreWorkspacesTitle,
                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 220, 150,
                     ClassOn95(tsfacts::kMoreWorkspacesName95));
    t.Add("Static", "Open workspaces:", -1, WS_VISIBLE, 8, 6, 150, 10);
    t.Add("ListBox", "", tsfacts::kWorkspaceListId,
          WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 8, 18, 204,
          104);
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 106, 128, 50, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 162, 128, 50, 14);
    DialogRegistry::Show(std::make_unique<MoreWorkspacesDialog>(), t, App::Get().main, true);
  });
}

// ---- Open Workspace ----------------------------------------------------------------------------

UINT_PTR CALLBACK OpenHook(HWND hook, UINT msg, WPARAM wp, LPARAM lp) {
  (void)wp;
  if (msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(lp)->code != CDN_FILEOK) return 0;
  App& app = App::Get();
  auto* notify = reinterpret_cast<OFNOTIFYA*>(lp);
  std::string path = notify->lpOFN->lpstrFile;
  std::string error;
  if (EqualNoCase(app.options.Text("WorkspaceOpenError"), "dialog"))
    error = "Unable to open the workspace:\r\n" + path;
  else if (!FileExists(path))
    error = path + "\r\nFile not found.\r\nCheck the file name and try again.";
  if (error.empty()) return 0;
  BoxSpec spec;
  spec.title = tsfacts::kOpenWorkspaceTitle;
  spec.text = error;
  ShowBox(GetParent(hook), spec);
  SetWindowLongPtrA(hook, DWLP_MSGRESULT, 1);  // keep the file dialog open
  return 1;
}

void ShowOpenWorkspaceDialog() {
  App& app = App::Get();
  app.OpenDialogLater("OpenWorkspace", [] {
    App& app = App::Get();
    FileDialogSpec spec;
    spec.owner = app.main;
    spec.save = false;
    spec.title = tsfacts::kOpenWorkspaceTitle;
    spec.filter = kWorkspaceFilter;
    spec.defaultExtension = "tsw";
    spec.folder = app.WorkspaceFolder();
    spec.flags = OFN_ENABLESIZING;
    spec.hook = OpenHook;
    FileDialogChoice choice;
    if (!RunFileDialog(spec, choice)) {
      app.Log("open workspace cancelled");
      return;
    }
    std::string path = choice.path;
    app.Log("open workspace: %s", path.c_str());
    if (EqualNoCase(app.options.Text("WorkspaceOpenError"), "main")) {
      ShowTradeStationError(app.main, "Unable to open the workspace:\r\n" + path);
      return;
    }
    std::string error;
    if (!OpenWorkspaceFile(path, error))
      ShowTradeStationError(app.main, "Unable to open the workspace.\r\n" + error);
  });
}

// ---- Save, Save As, Close ----------------------------------------------------------------------

void SaveActiveWorkspace() {
  App& app = App::Get();
  Workspace* ws = app.activeWorkspace;
  if (!ws) return;
  app.FaultPoint("SaveWorkspace");
  std::string error;
  if (!ws->Save(ws->path, error))
    ShowTradeStationError(app.main, "Unable to save the workspace.\r\n" + error);
}

// The workspace is written while the file dialog is still up: a failure shows its box inside the dialog,
// which stays open for another name.
UINT_PTR CALLBACK SaveAsHook(HWND hook, UINT msg, WPARAM wp, LPARAM lp) {
  (void)wp;
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(hook, GWLP_USERDATA,
                      static_cast<LONG_PTR>(reinterpret_cast<OPENFILENAMEA*>(lp)->lCustData));
    return 0;
  }
  if (msg != WM_NOTIFY || reinterpret_cast<NMHDR*>(lp)->code != CDN_FILEOK) return 0;
  App& app = App::Get();
  auto* ws = reinterpret_cast<Workspace*>(GetWindowLongPtrA(hook, GWLP_USERDATA));
  if (!ws || !StillOpen(ws)) return 0;
  auto* notify = reinterpret_cast<OFNOTIFYA*>(lp);
  std::string path = notify->lpOFN->lpstrFile;
  app.FaultPoint("SaveWorkspace");
  std::string error;
  if (ws->Save(path, error)) return 0;
  BoxSpec spec;
  spec.title = tsfacts::kSaveWorkspaceAsTitle;
  spec.text = "Unable to save the workspace.\r\n" + error;
  ShowBox(GetParent(hook), spec);
  SetWindowLongPtrA(hook, DWLP_MSGRESULT, 1);  // keep the file dialog open
  return 1;
}

void ShowSaveWorkspaceAsDialog() {
  App& app = App::Get();
  if (!app.activeWorkspace) return;
  app.OpenDialogLater("SaveWorkspaceAs", [] {
    App& app = App::Get();
    Workspace* ws = app.activeWorkspace;
    if (!ws) return;
    FileDialogSpec spec;
    spec.owner = app.main;
    spec.title = tsfacts::kSaveWorkspaceAsTitle;
    spec.filter = kWorkspaceFilter;
    spec.defaultExtension = "tsw";
    spec.folder = ws->path.substr(0, ws->path.find_last_of('/'));
    spec.fileName = ws->Name();
    spec.flags = OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
    if (app.options.Int("OverwritePrompt", 1)) spec.flags |= OFN_OVERWRITEPROMPT;
    spec.hook = SaveAsHook;
    spec.hookData = reinterpret_cast<LPARAM>(ws);
    FileDialogChoice choice;
    if (!RunFileDialog(spec, choice)) return;
    app.Log("workspace saved as: %s", choice.path.c_str());  // written by the hook
    PostMessageA(app.main, kUpdateTitleMessage, 0, 0);
  });
}

class SaveWorkspacePrompt : public Dialog {
 public:
  explicit SaveWorkspacePrompt(Workspace* ws) : ws_(ws) {}

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    (void)code, (void)control;
    if (id != tsfacts::kSaveWorkspaceYesId && id != tsfacts::kSaveWorkspaceNoId) return false;
    End();
    if (!StillOpen(ws_)) return true;
    App& app = App::Get();
    if (id == tsfacts::kSaveWorkspaceYesId) {
      std::string error;
      if (!ws_->Save(ws_->path, error)) {
        ShowTradeStationError(app.main, "Unable to save the workspace.\r\n" + error);
        return true;
      }
    }
    CloseWorkspace(ws_);
    return true;
  }

 private:
  Workspace* ws_;
};

void CloseActiveWorkspace() {
  App& app = App::Get();
  Workspace* ws = app.activeWorkspace;
  if (!ws) return;
  app.FaultPoint("CloseWorkspace");
  // While the prompt is up (or about to be) a repeated close command does nothing. Unless told
  // otherwise the prompt comes for every workspace, changed or not; with UnchangedCloseNoPrompt a
  // workspace without changes closes at once, so a second close command closes the next workspace.
  if (DialogRegistry::Find<SaveWorkspacePrompt>()) return;
  if (!ws->modified && app.options.Flag("UnchangedCloseNoPrompt")) {
    app.Log("workspace unchanged: closed without asking");
    CloseWorkspace(ws);
    return;
  }
  app.OpenDialogLater("SaveWorkspace", [ws] {
    if (!StillOpen(ws) || DialogRegistry::Find<SaveWorkspacePrompt>()) return;
    DialogTemplate t(tsfacts::kSaveWorkspaceTitle,
                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 230, 70,
                     ClassOn95(tsfacts::kSaveWorkspaceName95));
    t.Add("Static", "Do you want to save the changes to the workspace '" + ws->Name() + "'?", -1, WS_VISIBLE,
          10, 10, 210, 24);
    t.Add("Button", "&Yes", tsfacts::kSaveWorkspaceYesId, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 48, 46,
          50, 14);
    t.Add("Button", "&No", tsfacts::kSaveWorkspaceNoId, WS_VISIBLE | WS_TABSTOP, 104, 46, 50, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 160, 46, 50, 14);
    DialogRegistry::Show(std::make_unique<SaveWorkspacePrompt>(ws), t, App::Get().main, true);
  });
}

}  // namespace

void RegisterWorkspaceCommands() {
  RegisterMainCommand(tsfacts::kCmdMoreWorkspaces, ShowMoreWorkspaces);
  RegisterMainCommand(tsfacts::kCmdOpenWorkspace, ShowOpenWorkspaceDialog);
  RegisterMainCommand(tsfacts::kCmdSaveWorkspace, SaveActiveWorkspace);
  RegisterMainCommand(tsfacts::kCmdCloseWorkspace, CloseActiveWorkspace);
  RegisterMainCommand(tsfacts::kCmdSaveWorkspaceAs, ShowSaveWorkspaceAsDialog);
}

}  // namespace orchart
