// Workspace operations: activating, listing, opening (with the chart load confirmation), closing and saving
// TradeStation's workspaces, confirmed through TradeStation's main title.
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "sequence/Timeframe.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";

// The workspace part of the main title when the title names one.
bool TitleShowsWorkspace(const CTxt& title, const char* name) {
  CTxt desktop, workspace, symbol, interval;
  return SplitTSMainTitle(title, desktop, workspace, symbol, interval) >= 2 &&
         CompareNoCase(workspace, name, 1) == 0;
}

// The non-empty entries, trimmed; `at` receives each one's index in the list.
int ReadListBoxEntries(HWND list, CTxtArray& out, bool& answered, std::vector<int>* at = nullptr) {
  LRESULT count = 0;
  answered = SendBounded(list, LB_GETCOUNT, 0, 0, &count);
  for (int i = 0; answered && i < static_cast<int>(count); ++i) {
    std::string entry;
    answered = ReadListEntry(list, i, false, entry);
    CTxt text = entry.c_str();
    text.Trim(' ');
    if (text.IsEmpty()) continue;
    out.Add(text);
    if (at) at->push_back(i);
  }
  return out.GetSize();
}

// The chart of the workspace being opened. With one chart window it is that one. Charts of workspaces in the
// background can keep their windows: then it is the chart that the main title shows as active, once the
// title names the workspace being opened (null until then).
HWND ActiveChartWindow(const CTxt& workspaceName, CTxt& title) {
  SPtrArray charts;
  if (FindChartWindows(charts) < 2) return FindChartWindow(title, 0);
  CTxt desktop, workspace, symbol, interval;
  WindowQuery q;
  q.cls = {tsfacts::kMainWindowClass, TextRule::Exact};
  CTxt mainTitle = TitleOf(FindFirstWindow(q)).c_str();
  int parts = SplitTSMainTitle(mainTitle, desktop, workspace, symbol, interval);
  if (parts < 2 || symbol.IsEmpty()) return FindChartWindow(title, 0);
  if (workspace.IsFilled() && CompareNoCase(workspace, workspaceName, 1) != 0) return nullptr;
  for (int i = 0; i < charts.GetSize(); ++i) {
    HWND chart = static_cast<HWND>(charts.GetAt(i));
    CTxt text = ReadTextOrEmpty(chart).c_str();
    CTxt chartSymbol, chartInterval;
    if (SplitChartTitle(text, chartSymbol, chartInterval) < 1) continue;
    if (CompareNoCase(chartSymbol, symbol, 1) == 0 && CompareNoCase(chartInterval, interval, 1) == 0) {
      title = text;
      return chart;
    }
  }
  return nullptr;
}

// A control of a dialog that was just found: the dialog's window may exist a moment before its controls.
HWND WaitForControl(HWND dialog, int id, const AbortRequest* abort) {
  HWND control = nullptr;
  WaitUntil([&] { return (control = GetDlgItem(dialog, id)) != nullptr || !IsWindow(dialog); }, 1000, 20,
            abort);
  return control;
}

HWND FileNameControl(HWND dialog, const AbortRequest* abort) {
  HWND field = nullptr;
  WaitUntil(
      [&] {
        field = GetDlgItem(dialog, tsfacts::kFileNameEditId);
        if (!field) field = GetDlgItem(dialog, tsfacts::kFileNameComboId);
        return field != nullptr || !IsWindow(dialog);
      },
      1000, 20, abort);
  return field;
}

}  // namespace

// ---- Activate and list
// ----------------------------------------------------------------------------------------

HWND TsDriver::FindMoreWorkspaces(int version) {
  // From 9.5 on the list may have its own window class; the title alone finds it then, and also when the
  // version is not known.
  const char* cls = version >= 95 || version < 0 ? tsfacts::kMoreWorkspacesName95 : nullptr;
  return FindTsDialog(tsfacts::kMoreWorkspacesTitle, nullptr, cls, 0);
}

void TsDriver::CloseWorkspaceDialogs(HWND main) {
  CloseDialogsByTitle(nullptr, tsfacts::kMoreWorkspacesTitle, 0, nullptr, 0);
  if (main) CloseDialogsByTitle(main, tsfacts::kMoreWorkspacesTitle, 0, tsfacts::kMoreWorkspacesName95, 0);
}

int TsDriver::ActivateWorkspace(const char* name, CTxt& err) {
  unsigned before = NotRespondingCount();
  if (!FindMainWindow(err)) return -1;
  if (TitleShowsWorkspace(m_mainTitle, name)) return 0;
  int version = GetTsVersion();
  HWND dialog = nullptr;
  for (int send = 0; send < 4 && !dialog && !Aborted(); ++send) {
    if (SendTsMenuCommand(tsfacts::kCmdMoreWorkspaces, Setting("FmtCmdWait", 500)) == -1) {
      err = kTsGoneText;
      return -1;
    }
    dialog = FindMoreWorkspaces(version);
  }
  if (!dialog) return DialogMissing("Cannot find WorkSpace Selection Box", -2, err);
  int result = 0;
  HWND list = WaitForControl(dialog, tsfacts::kWorkspaceListId, &m_abortRequest);
  if (!list) {
    err = "Cannot find WorkSpace Selection List";
    result = -3;
  } else {
    CTxtArray names;
    std::vector<int> at;
    bool answered = true;
    ReadListBoxEntries(list, names, answered, &at);
    int index = -1;
    for (int i = 0; i < names.GetSize() && index < 0; ++i)
      if (CompareNoCase(names.GetAtTxt(i), name, 1) == 0) index = i;
    if (!answered && TsStoppedAnswering(before, err)) {
      result = kTsNotResponding;
    } else if (index < 0) {
      err.Format("Cannot find Workspace(not activated yet): %s", name);
      result = -4;
    } else {
      SendBounded(list, LB_SETCURSEL, static_cast<WPARAM>(at[static_cast<size_t>(index)]), 0);
      Wait(500);
      int ok = ClickOk(dialog, err);
      if (ok == kTsNotResponding)
        result = ok;
      else if (ok < 0)
        result = -6;
    }
  }
  CloseWorkspaceDialogs(m_mainWindow);
  if (result < 0) return result;
  return WaitForWorkspaceTitle(name, err);
}

int TsDriver::WaitForWorkspaceTitle(const char* name, CTxt& err) {
  for (int check = 0; check < 100; ++check) {
    if (!FindMainWindow(err)) {
      err = kTsGoneText;
      return -1;
    }
    if (TitleShowsWorkspace(m_mainTitle, name)) return 0;
    if (!Wait(500)) {
      err = kAbortedText;
      return -1;
    }
  }
  err.Format("Workspace %s is not shown in TradeStation's title (%s)", name, m_mainTitle.GetData());
  return -1;
}

int TsDriver::ListOpenWorkspaces(CTxtArray& out, CTxt& err) {
  out.RemoveAll();
  unsigned before = NotRespondingCount();
  if (!FindMainWindow(err)) return -1;
  CloseWorkspaceDialogs(m_mainWindow);
  SendTsMenuCommand(tsfacts::kCmdMoreWorkspaces, Setting("FmtCmdWait", 500));
  int version = GetTsVersion();
  HWND dialog = nullptr;
  for (int attempt = 1; attempt <= 4 && !dialog; ++attempt) {
    dialog = FindMoreWorkspaces(version);
    if (dialog) break;
    if (!Wait(1000)) break;
    LogTrace("WAIT", 2, "WSLoadCurr: Try#%d: Waiting for '%s'", attempt, tsfacts::kMoreWorkspacesTitle);
  }
  if (!dialog) return DialogMissing("Cannot find WorkSpace Selection Box", -2, err);
  int result = 0;
  HWND list = WaitForControl(dialog, tsfacts::kWorkspaceListId, &m_abortRequest);
  bool answered = true;
  if (!list) {
    err = "Cannot find WorkSpace Selection List";
    result = -3;
  } else {
    result = ReadListBoxEntries(list, out, answered);
    if (!answered && TsStoppedAnswering(before, err)) result = kTsNotResponding;
  }
  CloseDialogsByTitle(m_mainWindow, tsfacts::kMoreWorkspacesTitle, 0, nullptr, 0);
  CloseWorkspaceDialogs(m_mainWindow);
  WaitForClose(dialog, Setting("CloseWait", 20));
  return result;
}

// ---- Open
// ---------------------------------------------------------------------------------------------------------

int TsDriver::OpenWorkspace(const char* path, CTxt& err, int activateFirst, int requireMaximised) {
  CTxt file = path ? path : "";
  bool skipConfirm = file.GetLength() > 0 && file[0] == '!';
  if (skipConfirm) file.RemoveRange(0, 1);
  if (file.IsEmpty() || IsFolder(file) != 0) {
    err.Format("Workspace not found: %s", file.GetData());
    return -1;
  }
  file.MakeFnDOS();
  CTxt name;
  file.GetFileTxt(2, name);
  bool verbose = Setting("NoColorCheck", 0) != 1;
  if (activateFirst == 1) {
    int r = ActivateWorkspace(name, err);
    if (verbose) LogTrace(kLog, 0, "Requested workspace: %s (%d,%s)", name.GetData(), r, err.GetData());
    if (r >= 0) {
      r = ConfirmWorkspaceLoad(file, skipConfirm, err, requireMaximised);
      return r < 0 ? r : FinishOpen(name, err);
    }
  }
  return StepsOfOpen(file, name, skipConfirm, err, requireMaximised);
}

int TsDriver::FinishOpen(const CTxt& name, CTxt& err) {
  RestoreProgramWindow();
  Wait(1000);
  CTxt activateErr;
  if (ActivateWorkspace(name, activateErr) < 0) {
    err = activateErr;
    return -11;
  }
  return 0;
}

HWND TsDriver::OpenWorkspaceDialog(CTxt& err) {
  // WaitForWSOpenMs, when set, gives the wait in milliseconds (tests); otherwise WaitForWSOpen seconds.
  int waitMs = Setting("WaitForWSOpenMs", 0);
  if (waitMs <= 0) waitMs = Setting("WaitForWSOpen", 2) * 1000;
  CloseDialogsByTitle(m_mainWindow, tsfacts::kOpenWorkspaceTitle, 0, nullptr, 0);
  for (int send = 1; send <= 4; ++send) {
    LogTrace(kLog, 0, "Send Open WorkSpace Command (Try#%d)", send);
    if (SendTsMenuCommand(tsfacts::kCmdOpenWorkspace, waitMs) == -1) {
      err = kTsGoneText;
      return nullptr;
    }
    for (int poll = 1; poll <= 20; ++poll) {
      HWND dialog = FindTsDialog(tsfacts::kOpenWorkspaceTitle, nullptr, nullptr, 0);
      if (dialog) return dialog;
      if (!Wait(waitMs)) {
        err = kAbortedText;
        return nullptr;
      }
      LogTrace(kLog, 0, "Waiting for Open WorkSpace Window (Try#%d/%d)", poll, send);
    }
    CloseDialogsByTitle(m_mainWindow, tsfacts::kOpenWorkspaceTitle, 0, nullptr, 0);
  }
  DialogMissing("Internal Error1: Didnt find 'Open Workspace' Dialog Box", -2, err);
  return nullptr;
}

int TsDriver::CloseErrorBoxAndDialog(HWND box, HWND dialog) {
  for (HWND w : {box, dialog}) {
    SendBounded(w, WM_CLOSE, 0, 0);
    CTxt ignored;
    ClickButton(w, tsfacts::kIdOk, nullptr, ignored, 5);
    Wait(500);
  }
  return 0;
}

int TsDriver::SubmitWorkspaceFile(HWND dialog, const CTxt& path, CTxt& err) {
  unsigned before = NotRespondingCount();
  HWND field = FileNameControl(dialog, &m_abortRequest);
  if (!field) {
    err.Format("Internal Error2: Didnt find Filename in '%s' Dialog Box", TitleOf(dialog).c_str());
    return -3;
  }
  LogTrace(kLog, 0, "Opening WorkSpace %s ", path.GetData());
  SendBounded(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.GetData()));
  if (TsStoppedAnswering(before, err)) return kTsNotResponding;
  if (ClickButton(dialog, -tsfacts::kIdOk, nullptr, err, 0) < 0) return -4;
  Wait(1000);
  WindowQuery boxes;
  boxes.cls = {tsfacts::kDialogClass, TextRule::Exact};
  boxes.parent = dialog;
  boxes.title = tsfacts::kOpenWorkspaceTitle;
  std::vector<HWND> inner = FindWindows(boxes);
  if (!inner.empty()) {
    LogTrace(kLog, 0, "Opening WorkSpace Children=%d", static_cast<int>(inner.size()));
    CTxt text;
    ReadDialogText(inner.front(), text);
    err.Format("Workspace load error1:\r\n%s", text.GetData());
    CloseErrorBoxAndDialog(inner.front(), dialog);
    return -5;
  }
  HWND box = FindOwnedDialog(tsfacts::kLoadErrorTitlePrefix, m_mainWindow, nullptr);
  if (box) {
    LogTrace(kLog, 0, "Opening WorkSpace ErrWnd=%p", AsPtr(box));
    CTxt text;
    ReadDialogText(box, text);
    err.Format("Workspace load error2:\r\n%s", text.GetData());
    SendBounded(box, WM_CLOSE, 0, 0);
    CTxt ignored;
    ClickButton(box, tsfacts::kLoadErrorOkId, tsfacts::kOkText, ignored, 5);
    Wait(500);
    return -6;
  }
  return 0;
}

int TsDriver::StepsOfOpen(const CTxt& path, const CTxt& name, bool skipConfirm, CTxt& err,
                          int requireMaximised) {
  LogTrace(kLog, 0, "Loading reqested initial workspace: %s (%s)", name.GetData(), path.GetData());
  HWND dialog = OpenWorkspaceDialog(err);
  if (!dialog) return Aborted() ? -14 : FindNoCase(err, kTsNotRespondingText) >= 0 ? kTsNotResponding : -2;
  int r = SubmitWorkspaceFile(dialog, path, err);
  if (r != 0) return r;
  r = ConfirmWorkspaceLoad(path, skipConfirm, err, requireMaximised);
  return r < 0 ? r : FinishOpen(name, err);
}

// Confirms that the opened workspace's chart has loaded: ChartLoadConfirm passes of chart title, picture and
// load waits. The chart scan, the title read and the picture loop end on an abort (-14) and after
// WSOpenChartWaitSec seconds (-13).
int TsDriver::ConfirmWorkspaceLoad(const CTxt& path, bool skipConfirm, CTxt& err, int requireMaximised) {
  int passes = Setting("ChartLoadConfirm", 3);
  HWND chart = nullptr;
  bool asked = false;
  for (int pass = 1; pass <= passes; ++pass) {
    int r = LoadPass(path, skipConfirm, pass, passes, chart, asked, requireMaximised, err);
    if (r != 0) return r > 0 ? 0 : r;
  }
  return 0;
}

// One pass; 1 when the confirmation ends early (the '!' mark), 0 for the next pass, negative on failure.
int TsDriver::LoadPass(const CTxt& path, bool skipConfirm, int pass, int passes, HWND& chart, bool& asked,
                       int requireMaximised, CTxt& err) {
  bool verbose = Setting("NoColorCheck", 0) != 1;
  long long deadline = SteadyMs() + 1000LL * Setting("WSOpenChartWaitSec", 120);
  CTxt title, symbol, interval;
  for (;;) {
    if (Aborted()) {
      err = kAbortedText;
      return -14;
    }
    if (SteadyMs() > deadline) {
      err.Format("The chart of workspace %s did not load within %d seconds (WSOpenChartWaitSec)",
                 path.GetData(), Setting("WSOpenChartWaitSec", 120));
      return -13;
    }
    CTxt main;
    if (!FindMainWindow(main)) {
      err = kTsGoneText;
      return -13;
    }
    if (!chart || !IsWindow(chart)) {
      if (verbose) LogTrace(kLog, 0, "Opening WorkSpace Scanning for Chart");
      CTxt name;
      path.GetFileTxt(2, name);
      chart = ActiveChartWindow(name, title);
      if (verbose) LogTrace(kLog, 0, "Opening WorkSpace Chart=%p (%s)", AsPtr(chart), title.GetData());
      Wait(1500);
      if (!chart) continue;
      if (requireMaximised == 1 && !asked && !IsMaximised(chart)) {
        LogTrace(
            kLog, 0, "Workspace Chart %p not maximized: %p (Max=%p, %s)", AsPtr(chart), AsPtr(chart),
            reinterpret_cast<void*>(static_cast<intptr_t>(GetWindowLongA(chart, GWL_STYLE) & WS_MAXIMIZE)),
            title.GetData());
        CTxt question;
        question.Format(
            "Workspace Chart needs to be maximized and\r\ncontain only ONE chart - continue "
            "anyway?\r\n\r\n%s\r\n\r\n%s",
            path.GetData(), title.GetData());
        if (!m_interaction->AskYesNo(kTavrinCaption, question)) {
          err = question;
          return -12;
        }
        asked = true;
      }
    }
    if (verbose) LogTrace(kLog, 0, "Opening WorkSpace Retrieving title for Chart=%p", AsPtr(chart));
    std::string text;
    if (!ReadText(chart, text) || text.empty()) {
      if (!IsWindow(chart)) chart = nullptr;
      Wait(100);
      continue;
    }
    if (verbose) LogTrace(kLog, 0, "Opening WorkSpace extracting symbol+Interval for Chart=%s", text.c_str());
    if (SplitChartTitle(text.c_str(), symbol, interval) < 0) {
      LogTrace(kLog, 0, "Opening WorkSpace incomplete Chart Title: %s", text.c_str());
      chart = nullptr;
      Wait(1000);
      continue;
    }
    interval.RemoveChar(' ');
    int kind = IntervalKindFromName(interval);
    if (verbose)
      LogTrace(kLog, 0, "Opening WorkSpace Sym=%s Int=%s (%d, %s)", symbol.GetData(), interval.GetData(),
               kind, text.c_str());
    if (skipConfirm) return 1;
    if (verbose) MinimizeProgramWindows();
    CloseDialogsByTitle(nullptr, tsfacts::kChartingBoxTitlePrefix, tsfacts::kChartingBoxButtonId, nullptr, 5);
    if (verbose) {
      CTxt pattern;
      pattern.Format("%s/ChartSave/WS_%s_%s_%%%%%%%%%%.bmp", m_baseFolder.GetData(), symbol.GetData(),
                     interval.GetData());
      int minColours = Setting("ChartMinColors", 3);
      int colours = m_chartLoadWaits->CountChartColours(*this, chart, err, pattern, 30);
      LogTrace(kLog, 0, "WSOpen: Wait for Chart to complete loading - Try#%d of %d (%p %d/%d)", pass, passes,
               AsPtr(chart), colours, minColours);
      if (colours < minColours) {
        // The picture is taken again after a pause rather than at once.
        Wait(500);
        continue;
      }
      m_chartLoadWaits->WaitForDownloadToComplete(*this, symbol, err, 0);
    }
    // The load wait lasts at least ChartLoadMinSec (10 s; a fast stand-in for TradeStation needs less).
    m_chartLoadWaits->WaitForSymbolToLoad(*this, symbol, kind, err, ChartLoadWaitSeconds());
    m_chartWindow = chart;
    return 0;
  }
}

// ---- Close
// ----------------------------------------------------------------------------------------------------

int TsDriver::CloseWorkspace(int save) {
  CTxt err;
  int r = CloseWorkspace(save, err);
  if (r < 0) LogTrace(kLog, 0, "%s", err.GetData());
  return r;
}

int TsDriver::CloseWorkspace(int save, CTxt& err) {
  CTxtArray open;
  int count = ListOpenWorkspaces(open, err);
  if (count == 0) {
    CTxt reason = err;
    err.Format("No Workspaces loaded (%s)", reason.GetData());
    return 100;
  }
  // A list that could not be read is a failure, not "nothing open".
  if (count < 0) return count == kTsNotResponding ? count : -1;
  int version = GetTsVersion();
  int button = save ? tsfacts::kSaveWorkspaceYesId : tsfacts::kSaveWorkspaceNoId;
  CTxt before = m_mainTitle;
  auto findPrompt = [&] {
    HWND prompt = FindTsDialog(tsfacts::kSaveWorkspaceTitle, m_mainWindow, nullptr, 1);
    if (!prompt && version >= 95)
      prompt = FindTsDialog(tsfacts::kSaveWorkspaceTitle, m_mainWindow, tsfacts::kSaveWorkspaceName95, 1);
    return prompt;
  };
  for (int attempt = 0; attempt <= 3; ++attempt) {
    HWND prompt = findPrompt();
    if (prompt) return ClickButton(prompt, -button, nullptr, err, 5);
    // The prompt is looked for once more after the last command, so that it is never left open.
    if (attempt == 3) break;
    if (SendTsMenuCommand(tsfacts::kCmdCloseWorkspace, 0) == -1) {
      err = kTsGoneText;
      return -1;
    }
    // A workspace without changes may close at once, without the prompt: another close command would then
    // close the next workspace. The wait ends as soon as either shows.
    bool closed = false;
    WaitUntil(
        [&] {
          CTxt title = TitleOf(m_mainWindow).c_str();
          closed = title.IsFilled() && CompareNoCase(title, before, 1) != 0 && !findPrompt();
          return closed || findPrompt() != nullptr;
        },
        Setting("FmtCmdWait", 500), 50, &m_abortRequest);
    if (closed) {
      FindMainWindow(err);
      err.Format("Workspace closed without a %s prompt", tsfacts::kSaveWorkspaceTitle);
      return 0;
    }
  }
  if (!TsAnswers()) {
    err.Format("%s (no %s prompt)", kTsNotRespondingText, tsfacts::kSaveWorkspaceTitle);
    return kTsNotResponding;
  }
  err.Format("Could not find %s Dialog - no save needed", tsfacts::kSaveWorkspaceTitle);
  return -1;
}

int TsDriver::CloseCurrentWorkspace() {
  LogTrace(kLog, 0, "Closing current workspace: %s", m_currentWorkspace.GetData());
  CTxt err;
  int r = CloseWorkspace(Setting("SaveOnCloseWS", 0), err);
  LogTrace(kLog, 0, "Closed  current workspace: (%d)%s (%s)", r, m_currentWorkspace.GetData(), err.GetData());
  return r;
}

// ---- Save
// ------------------------------------------------------------------------------------------------------

int TsDriver::MakeResultFileName(const char* symbol, int kind, const char* value, CTxt& out) {
  CTxt code;
  GetBarTypeCode(kind, value, code);
  code.RemoveCharList("-/\\");
  CTxt folder;
  if (m_currentWorkspace.IsFilled()) {
    CTxt path = m_currentWorkspace;
    path.MakeFn();
    path.GetFileTxt(4, folder);
    folder.MakeFn();
  } else {
    Settings::GetAppFolder(folder);
  }
  if (folder.IsFilled()) folder += "/";
  out.Format("%s%s_%s_%04d", folder.GetData(), symbol ? symbol : "", code.GetData(), m_currentStep + 1);
  return 0;
}

int TsDriver::SaveWorkspaceAs(const char* symbol, int kind, const char* value, const char* source,
                              CTxt& out) {
  CTxt name;
  MakeResultFileName(symbol, kind, value, name);
  name += tsfacts::kWorkspaceExtension;
  DeleteFileForced(name, 1);
  if (source) return SaveWorkspaceCopy(source, name, out);
  return SaveWorkspaceByDialog(name, out);
}

int TsDriver::SaveWorkspaceCopy(const char* source, const CTxt& name, CTxt& out) {
  for (int i = 0; i < 2; ++i) {
    SendTsMenuCommand(tsfacts::kCmdSaveWorkspace, Setting("FmtCmdWait", 500));
    Wait(2000);
  }
  int r = CopyFileTo(source, name);
  if (r != 0) {
    out.Format("Workspace save failed(%d) %s -> %s", r, source, name.GetData());
    return -1;
  }
  out.Format("Workspace saved %s -> %s", source, name.GetData());
  return 0;
}

int TsDriver::SaveWorkspaceByDialog(const CTxt& name, CTxt& out) {
  unsigned before = NotRespondingCount();
  HWND dialog = nullptr;
  for (int attempt = 0; attempt < 4 && !dialog && !Aborted(); ++attempt) {
    if (SendTsMenuCommand(tsfacts::kCmdSaveWorkspaceAs, Setting("FmtCmdWait", 500)) == -1) {
      out = kTsGoneText;
      return -6;
    }
    dialog = FindTsDialog(tsfacts::kSaveWorkspaceAsTitle, nullptr, nullptr, 0);
    if (!dialog) Wait(1000);
  }
  if (!dialog) return DialogMissing("Internal Error1: Didnt find 'Save Workspace' Dialog Box", -6, out);
  HWND field = FileNameControl(dialog, &m_abortRequest);
  if (!field) {
    out = "Internal Error2: Didnt find Filename in 'Open Workspace' Dialog Box";
    return -7;
  }
  CTxt dosName = name;
  dosName.MakeFnDOS();
  SendBounded(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(dosName.GetData()));
  if (TsStoppedAnswering(before, out)) return kTsNotResponding;
  WindowQuery boxes;
  boxes.cls = {tsfacts::kDialogClass, TextRule::Exact};
  boxes.parent = dialog;
  boxes.title = tsfacts::kSaveWorkspaceAsTitle;
  // Save is clicked again (up to ten times) while the dialog stays without an answer; a box inside the dialog
  // is its answer: another click would only try the same name again behind the box.
  HWND box = nullptr;
  for (int click = 0; click < 10; ++click) {
    if (ClickButton(dialog, -tsfacts::kIdOk, tsfacts::kSaveText, out, 0) < 0) return click == 0 ? -8 : -5;
    WaitUntil([&] { return !IsWindow(dialog) || (box = FindFirstWindow(boxes)) != nullptr; }, 1000, 50,
              &m_abortRequest);
    if (box || !IsWindow(dialog) || Aborted()) break;
  }
  if (box) {
    CTxt text;
    ReadDialogText(box, text);
    out.Format("Workspace load error:\r\n%s", text.GetData());
    CloseErrorBoxAndDialog(box, dialog);
    return -5;
  }
  // TradeStation answered without a box; the file must be there before this counts as saved.
  if (!WaitUntil([&] { return FileSizeOf(name) > 0; }, 5000, 100, &m_abortRequest)) {
    out.Format("Workspace not saved: %s was not written", name.GetData());
    return -9;
  }
  out = name;
  return 0;
}
