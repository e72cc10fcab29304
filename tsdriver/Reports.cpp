// Report saving and the error watch: TradeStation's optimisation progress ("Abort" button) and its abort,
// the Strategy Performance and Optimization Report windows with their Save As dialogs, the result boxes
// left after a step, and the application error boxes that the error-watch thread closes.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";
constexpr char kSaveLog[] = "AutoSave";
constexpr int kIdYes = 6;
constexpr int kNumberedNames = 9999;

// A bounded sleep that only an immediate abort (request 1) cuts short: an abort after the step (2) lets the
// step's saving finish with its full waits.
bool StepSleep(const AbortRequest& abort, int ms) {
  return !WaitUntil([&] { return abort.load() == 1; }, ms, kAbortPollMs, nullptr);
}

std::vector<HWND> DialogsTitled(const char* part, HWND parent = nullptr) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.title = part;
  q.titleRule = TextRule::Contains;
  q.parent = parent;
  return FindWindows(q);
}

std::vector<HWND> ReportWindowsTitled(const char* part, TextRule rule) {
  WindowQuery q;
  q.cls = {tsfacts::kReportWindowClassPrefix, TextRule::Prefix};
  q.title = part;
  q.titleRule = rule;
  return FindWindows(q);
}

SPtrArray AsList(const std::vector<HWND>& windows) {
  SPtrArray out;
  for (HWND w : windows) out.Add(w);
  return out;
}

// The extension a save type gives its file.
const char* ExtensionOf(char type) {
  return type == 'X' ? "XLS" : type == 'C' ? "CSV" : "MHT";
}

// Characters a file name may not hold become '_' (the folder part is left alone).
void MaskFileNameChars(CTxt& path) {
  std::string s = path.ToStd();
  size_t start = s.find_last_of("/\\");
  start = start == std::string::npos ? 0 : start + 1;
  if (start == 0 && s.size() > 1 && s[1] == ':') start = 2;
  for (size_t i = start; i < s.size(); ++i)
    if (std::string("<>:\"|?*").find(s[i]) != std::string::npos || static_cast<unsigned char>(s[i]) < 32)
      s[i] = '_';
  path = s.c_str();
}

HWND FileNameBox(HWND dialog) {
  HWND box = GetDlgItem(dialog, tsfacts::kFileNameEditId);
  if (!box) box = GetDlgItem(dialog, tsfacts::kFileNameComboId);
  if (!box) {
    WindowQuery q;
    q.cls = {tsfacts::kEditClass, TextRule::Exact};
    q.ancestor = dialog;
    box = FindFirstWindow(q);
  }
  return box;
}

// IDOK, or else the visible button nearest the dialog's top.
HWND OkButton(HWND dialog) {
  HWND ok = GetDlgItem(dialog, tsfacts::kIdOk);
  if (ok) return ok;
  WindowQuery q;
  q.cls = {tsfacts::kButtonClass, TextRule::Exact};
  q.parent = dialog;
  q.visibleOnly = true;
  HWND best = nullptr;
  LONG top = 0;
  for (HWND b : FindWindows(q)) {
    RECT r;
    if (!GetWindowRect(b, &r)) continue;
    if (!best || r.top < top) {
      best = b;
      top = r.top;
    }
  }
  return best;
}

// A question box (with a Yes button) that the save dialog put up, e.g. whether to overwrite a file.
HWND QuestionOf(HWND dialog) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.parent = dialog;
  for (HWND box : FindWindows(q))
    if (GetDlgItem(box, kIdYes)) return box;
  return nullptr;
}

}  // namespace

// The steps of one report save, in the order TradeStation's Save As dialog asks for them.
class ReportSaving {
 public:
  ReportSaving(TsDriver& driver, CTxt& err) : d_(driver), err_(err) {}
  int Run(CTxt& outName, const char* name, char type);

 private:
  HWND OpenSaveDialog(char type);
  void ChooseFileType(HWND dialog, char type);
  int ChooseFileName(CTxt& fileName, const char* name, char type);
  int EnterFileName(HWND dialog, const CTxt& fileName, const CTxt& title);
  int ConfirmAndWait(HWND dialog, const CTxt& fileName, const CTxt& title, char type);
  bool Sleep(int ms) { return StepSleep(d_.m_abortRequest, ms); }

  TsDriver& d_;
  CTxt& err_;
};

int ReportSaving::Run(CTxt& outName, const char* name, char type) {
  HWND report = d_.m_reportWindow;
  if (!report || !IsWindow(report)) {
    err_ = "No Strategy Performance Report Window Found";
    return -1;
  }
  d_.CloseTsPopups(1);
  CTxt title = TitleOf(report).c_str();
  if (CompareNoCase(title, d_.m_savedReportTitle) != 0)
    LogTrace(kSaveLog, 0, "Title: %s", title.GetData());
  else
    LogTrace(kSaveLog, 0, "Same Title: %s", title.GetData());
  HWND dialog = OpenSaveDialog(type);
  if (!dialog) {
    if (d_.m_abortRequest.load() == 1) {
      err_ = kAbortedText;
      return -12;
    }
    err_.Format("No trades generated? - Did not find the Save As Box in Performance Report (Perf=%p, %s)",
                AsPtr(report), title.GetData());
    return 1;
  }
  LogTrace(kSaveLog, 0, "Save1: Dlg=%p", AsPtr(dialog));
  ChooseFileType(dialog, type);
  CTxt fileName;
  int r = ChooseFileName(fileName, name, type);
  if (r >= 0) r = EnterFileName(dialog, fileName, title);
  if (r >= 0) r = ConfirmAndWait(dialog, fileName, title, type);
  if (r < 0) {
    // A dialog left open would hold the report window (and the next attempt) behind it.
    if (IsWindow(dialog)) d_.CloseTsPopups(1);
    return r;
  }
  outName = fileName;
  outName.MakeFn();
  d_.m_savedReportWindow = report;
  d_.m_savedReportTitle = title;
  return 0;
}

// The save dialog after the save (or export) command; TradeStation shows none for a report without trades.
HWND ReportSaving::OpenSaveDialog(char type) {
  int command = type == 'C' ? tsfacts::kCmdReportExport : tsfacts::kCmdReportSaveAs;
  PostMessageA(d_.m_reportWindow, WM_COMMAND, static_cast<WPARAM>(command), 0);
  Sleep(500);
  HWND dialog = nullptr;
  auto found = [&] {
    SPtrArray dialogs;
    if (FindFileDialogs(dialogs) > 0) dialog = static_cast<HWND>(dialogs.GetAt(0));
    return dialog != nullptr;
  };
  WaitUntil(found, Setting("SaveDialogWaitMs", 2500), 100, nullptr);
  return dialog;
}

void ReportSaving::ChooseFileType(HWND dialog, char type) {
  HWND combo = GetDlgItem(dialog, tsfacts::kFileTypeComboId);
  int index = type == 'X' || type == 'C' ? 1 : 0;
  SetFocus(dialog);
  SetFocus(combo);
  std::string entry;
  ReadListEntry(combo, index, true, entry);
  SendBounded(combo, CB_SHOWDROPDOWN, 1, 0);
  SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageA(combo, WM_CHAR, 38, 0);
  PostMessageA(combo, WM_CHAR, 13, 0);
  ControlInput(combo, 1, 10, 30);
  if (!entry.empty()) SendBounded(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), (LPARAM)entry.c_str());
  SendBounded(combo, CB_SHOWDROPDOWN, 0, 0);
  if (type == 'C') {
    WindowQuery q;
    q.cls = {tsfacts::kButtonClass, TextRule::Exact};
    q.ancestor = dialog;
    for (HWND b : FindWindows(q)) {
      int id = GetDlgCtrlID(b);
      std::string text = TitleOf(b);
      if (id == tsfacts::kExportSpreadsheetOptionId &&
          CompareNoCase(text.c_str(), tsfacts::kExportSpreadsheetOptionText) == 0)
        SendBounded(b, BM_SETCHECK, BST_CHECKED, 0);
      else if (id == tsfacts::kExportReportOptionId &&
               CompareNoCase(text.c_str(), tsfacts::kExportReportOptionText) == 0)
        SendBounded(b, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  LogTrace(kSaveLog, 0, "Save2: hFileType=%p Dlg=%p", AsPtr(combo), AsPtr(dialog));
}

// A given name gets its type's extension and replaces a file of that name: the step's own result files are
// ours to replace, and a stale one left by an earlier attempt must not bring up an overwrite question.
int ReportSaving::ChooseFileName(CTxt& fileName, const char* name, char type) {
  if (!name || !name[0]) {
    CTxt folder;
    Settings::GetAppFolder(folder);
    folder.MakeFn();
    if (folder.IsFilled()) folder += "/";
    folder += "MhtSave";
    CreateFolderPath(folder, 0);
    for (int n = 1; n <= kNumberedNames; ++n) {
      fileName.Format("%s/Report%05d.%s", folder.GetData(), n, type == 'X' ? "xls" : "mht");
      if (FileSizeOf(fileName) < 0) break;
      if (n == kNumberedNames) {
        err_.Format("Empty your Performance Report save area in %s", folder.GetData());
        return -3;
      }
    }
  } else {
    fileName = name;
    MaskFileNameChars(fileName);
    fileName.MakeFileExt(ExtensionOf(type));
    DeleteFileForced(fileName, 1);
  }
  fileName.MakeFnDOS();
  LogTrace(kSaveLog, 0, "Save3: Fn=%s", fileName.GetData());
  Sleep(500);
  return 0;
}

int ReportSaving::EnterFileName(HWND dialog, const CTxt& fileName, const CTxt& title) {
  HWND box = FileNameBox(dialog);
  if (!box) {
    err_.Format("Missing Filename box in Save box (Dlg=%p, File=%s, Title=%s)", AsPtr(dialog),
                fileName.GetData(), title.GetData());
    LogTrace(kSaveLog, 0, "%s", err_.GetData());
    return -10;
  }
  for (int attempt = 1; attempt <= 4; ++attempt) {
    SendBounded(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.GetData()));
    Sleep(300);
    std::string back;
    ReadText(box, back);
    LogTrace(kSaveLog, 0, "Try#%d: Set Filename(%p/%p) to: %s -> %s", attempt, AsPtr(dialog), AsPtr(box),
             fileName.GetData(), back.c_str());
    if (CompareNoCase(back.c_str(), fileName) == 0) break;
  }
  LogTrace(kSaveLog, 0, "Save4: Fn=%s", fileName.GetData());
  return 0;
}

// Confirms the dialog, answers an overwrite question that still comes, and waits until the file's size
// stays the same over half a second.
int ReportSaving::ConfirmAndWait(HWND dialog, const CTxt& fileName, const CTxt& title, char type) {
  HWND ok = OkButton(dialog);
  LogTrace(kSaveLog, 0, "Saving Result (Type=%c, Save=%p, Dlg=%p, File=%s, Title=%s)", type, AsPtr(ok),
           AsPtr(dialog), fileName.GetData(), title.GetData());
  unsigned before = NotRespondingCount();
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(tsfacts::kIdOk, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  // The initial wait ends early once the dialog has gone and the file has appeared.
  bool answered = false;
  WaitUntil(
      [&] {
        HWND question = QuestionOf(dialog);
        if (question && !answered) {
          CTxt text;
          d_.ReadDialogText(question, text);
          LogTrace(kSaveLog, 0, "Answering overwrite question of the Save As box (%p): %s", AsPtr(question),
                   text.GetData());
          CTxt clickErr;
          ClickButton(question, -kIdYes, nullptr, clickErr, 0);
          answered = true;
        }
        return !IsWindow(dialog) && FileSizeOf(fileName) > 0;
      },
      1000 * Setting("WaitResultsSave", 5), 100, &d_.m_abortRequest);
  int64_t size = -1, previous = -1;
  for (int i = 0; i < 40; ++i) {
    size = FileSizeOf(fileName);
    if (size > 0 && size == previous) break;
    previous = size;
    if (!Sleep(500)) break;
  }
  if (size <= 0) {
    if (NotRespondingCount() != before || !IsWindow(d_.MainWindow())) {
      err_.Format("%s (report not saved to %s)", kTsNotRespondingText, fileName.GetData());
      return kTsNotResponding;
    }
    err_.Format("Report file %s was not written (Dlg=%p, Title=%s)", fileName.GetData(), AsPtr(dialog),
                title.GetData());
    return -11;
  }
  LogTrace(kSaveLog, 0, "Saved %d Bytes to File %s", static_cast<int>(size), fileName.GetData());
  return 0;
}

// ---- TsDriver operations
// ------------------------------------------------------------------------------------------

// TradeStation's "Abort" button by mode (see FindAbortButton): 0 found, or FindAbortButton's failure codes.
static int LocateAbortButton(HWND main, int mode, HWND& found) {
  found = nullptr;
  if (!main || !IsWindow(main)) return -4;
  if (mode == 0 || mode == 100) {
    WindowQuery q;
    q.cls = {tsfacts::kButtonClass, TextRule::Exact};
    q.title = tsfacts::kAbortButtonText;
    q.titleRule = TextRule::Exact;
    q.ancestor = main;
    if ((found = FindFirstWindow(q)) != nullptr) return 0;
    if (mode == 0) return -5;
  }
  // Every window: the progress may also sit in a pop-up that the main window owns.
  for (HWND button : AllWindows()) {
    if (CompareNoCase(ClassNameOf(button).c_str(), tsfacts::kButtonClass) != 0) continue;
    if (CompareNoCase(TitleOf(button).c_str(), tsfacts::kAbortButtonText) != 0) continue;
    HWND top = GetAncestor(button, GA_ROOT);
    if (!DescendsFrom(button, main) && !(top && SameLow16(GetWindow(top, GW_OWNER), main))) continue;
    found = button;
    return 0;
  }
  return -4;
}

int TsDriver::FindAbortButton(int mode) {
  HWND found = nullptr;
  int r = LocateAbortButton(m_mainWindow, mode, found);
  if (r == 0) m_abortButton = found;
  return r;
}

// Runs on the requesting thread: it keeps its own button instead of the worker's.
int TsDriver::AbortOptimization(CTxt& text) {
  HWND button = nullptr;
  if (LocateAbortButton(m_mainWindow, 100, button) != 0) return 0;
  HWND parent = ParentOf(button);
  CTxt err;
  ClickButton(parent, -tsfacts::kAbortButtonId, tsfacts::kAbortButtonText, err, 0);
  // The abort request is already set here: these waits must not end on it.
  HWND box = nullptr;
  for (int attempt = 0; attempt < 4 && !box; ++attempt) {
    WaitUntil(
        [&] {
          std::vector<HWND> found = DialogsTitled(tsfacts::kAbortOptimizationTitle);
          box = found.empty() ? nullptr : found.front();
          return box != nullptr;
        },
        1000, 50, nullptr);
  }
  if (!box) {
    text.Format("Abort: the '%s' box did not appear after clicking Abort (%p)",
                tsfacts::kAbortOptimizationTitle, AsPtr(button));
    LogTrace(kLog, 0, "%s", text.GetData());
    return -1;
  }
  CTxt boxText;
  ReadDialogText(box, boxText);
  LogTrace(kLog, 0, "Abort: Found Abort Box: %s", boxText.GetData());
  if (GetDlgItem(box, tsfacts::kAbortKeepResultsId)) {
    ClickButton(box, tsfacts::kAbortKeepResultsId, nullptr, err, 0);
    WaitUntil([] { return false; }, 500, 50, nullptr);
  }
  if (ClickButton(box, tsfacts::kIdOk, nullptr, text, 5) < 0) return -8;
  return 0;
}

int TsDriver::CheckApplicationErrors(const char* text) {
  int expected = -1;
  m_errorCheckBlock.compare_exchange_strong(expected, Setting("BlockACD", 1) == 1 ? 1 : 0);
  if (m_errorCheckBlock.load() == 1) return 1;
  std::vector<HWND> boxes = DialogsTitled(tsfacts::kApplicationErrorTitleMarker);
  for (size_t pass = 0, passes = boxes.size(); pass < passes && !boxes.empty(); ++pass) {
    SaveWindowSnapshot("ERROR SYS: %s", text ? text : "");
    for (HWND box : boxes) {
      if (m_errorCheckBlock.load() == 1) return 1;
      CTxt boxText;
      ReadDialogText(box, boxText);
      LogTrace(kLog, 0, "Format Chart system error XP (%p):\r\n%s", AsPtr(box), boxText.GetData());
      PostMessageA(box, WM_CLOSE, 0, 0);
      WaitUntil([box] { return !IsWindow(box); }, 1000, 50, &m_abortRequest);
      CTxt err;
      if (IsWindow(box)) ClickButton(box, tsfacts::kIdCancel, nullptr, err, 5);
      if (IsWindow(box)) ClickButton(box, tsfacts::kIdOk, nullptr, err, 5);
      Wait(500);
    }
    // Only with a known main window: the worker thread owns the discovery of TradeStation's windows.
    if (m_mainWindow && IsWindow(m_mainWindow)) CloseTsPopups(0);
    boxes = DialogsTitled(tsfacts::kApplicationErrorTitleMarker);
  }
  WindowQuery sinks;
  sinks.cls = {tsfacts::kCtrlNotifySinkClass, TextRule::Exact};
  std::vector<HWND> found = FindWindows(sinks);
  for (HWND sink : found) {
    if (m_errorCheckBlock.load() == 1) return 1;
    WindowQuery cancel;
    cancel.cls = {tsfacts::kButtonClass, TextRule::Exact};
    cancel.parent = sink;
    cancel.title = tsfacts::kCancelText;
    cancel.titleRule = TextRule::Prefix;
    HWND button = FindFirstWindow(cancel);
    if (!button) continue;
    LogTrace(kLog, 0, "Format Chart system error VISTA (%p):\r\n%s", AsPtr(sink), TitleOf(sink).c_str());
    SetFocus(sink);
    SetCapture(sink);
    PostMessageA(sink, WM_COMMAND, 0, reinterpret_cast<LPARAM>(button));
    Wait(500);
  }
  return static_cast<int>(found.size());
}

HWND TsDriver::FindReportWindow(CTxt& title, CTxt& err, const char* part) {
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) {
    err = kTsNotOpenedText;
    return nullptr;
  }
  for (HWND w : ReportWindowsTitled(part ? part : tsfacts::kPerformanceReportMarker, TextRule::Contains)) {
    std::string current = TitleOf(w);
    // A window counts as saved only while it is the very window saved last: another report may carry the
    // same title (the same symbol and interval, another optimisation set).
    if (w == m_savedReportWindow && CompareNoCase(current.c_str(), m_savedReportTitle) == 0) continue;
    if (!DescendsFrom(w, m_mainWindow) && FindNoCase(current.c_str(), "TradeStation ") < 0) continue;
    title = current.c_str();
    m_reportWindow = w;
    return w;
  }
  return nullptr;
}

int TsDriver::SaveReport(CTxt& outName, CTxt& err, const char* name, char type) {
  ReportSaving save(*this, err);
  return save.Run(outName, name, type);
}

int TsDriver::SaveReportWithRetry(CTxt& outName, CTxt& err, const char* name, char type) {
  int r = -1;
  for (int attempt = 1; attempt <= 3; ++attempt) {
    r = SaveReport(outName, err, name, type);
    if (r >= 0 || r == kTsNotResponding || m_abortRequest.load() == 1) break;
    LogTrace(kSaveLog, 0, "Retry#%d Fn=%s, Err=%s, Out=%s Save=%c", attempt, name ? name : "", err.GetData(),
             outName.GetData(), type);
  }
  return r;
}

namespace {

// What differs between saving the performance report and the optimisation list.
struct ReportKind {
  const char* logName;
  int command;
  const char* part;
  const char* closeTitle;
  int waitFloorSec;
  bool closeFollowUpBoxes;
};

const ReportKind kPerformance{"RemoteSaveTSResult",
                              tsfacts::kCmdPerformanceReport,
                              tsfacts::kPerformanceReportMarker,
                              tsfacts::kPerformanceReportTitlePrefix,
                              1,
                              true};
const ReportKind kOptimization{"RemoteSaveTSBest",
                               tsfacts::kCmdOptimizationReport,
                               tsfacts::kOptimizationReportMarker,
                               tsfacts::kOptimizationReportTitlePrefix,
                               10,
                               false};

// Shows the report through the chart view and finds its window: up to 4 attempts. Null when it never came.
HWND ShowReport(TsDriver& d, const ReportKind& kind, CTxt& err) {
  int waitMs = 1000 * std::max(kind.waitFloorSec, Setting("ChartWaitForLoad", 6));
  int findMs = 1000 * std::max(1, Setting("ReportFindSec", 10));
  for (int attempt = 0; attempt < 4 && d.AbortRequest().load() != 1; ++attempt) {
    HWND view = d.FindNthWindowOfClass(tsfacts::kChartViewClass, 1);
    if (!view) {
      LogTrace(kLog, 0, "%s: Error: Base Class not found%s", kind.logName,
               kind.closeFollowUpBoxes ? " - no workspace?" : "");
      StepSleep(d.AbortRequest(), 2000);
      continue;
    }
    if (!IsWindowEnabled(view)) {
      LogTrace(kLog, 0, "Base Class (%p) disabled", AsPtr(view));
      StepSleep(d.AbortRequest(), 2000);
      continue;
    }
    if (!SendBounded(view, WM_COMMAND, static_cast<WPARAM>(kind.command), 0)) {
      err.Format("%s (report command %d to %p)", kTsNotRespondingText, kind.command, AsPtr(view));
      LogTrace(kLog, 0, "%s", err.GetData());
      continue;
    }
    CTxt title;
    HWND report = nullptr;
    auto found = [&] { return (report = d.FindReportWindow(title, err, kind.part)) != nullptr; };
    WaitUntil(found, waitMs, 100, nullptr);
    if (kind.closeFollowUpBoxes) {
      for (int i = 0; i < 10; ++i)
        if (d.CloseDialogsByTitle(d.MainWindow(), tsfacts::kReportFollowUpBoxTitle, tsfacts::kIdCancel,
                                  nullptr, 0) == 0)
          break;
    }
    if (report || WaitUntil(found, findMs, 200, nullptr)) return report;
    LogTrace(kLog, 0, "%s: Error: Performance Window not found", kind.logName);
  }
  return nullptr;
}

void CloseReportWindows(const char* titlePrefix) {
  CloseWindows(AsList(ReportWindowsTitled(titlePrefix, TextRule::Prefix)));
}

// Holds the error-check block flag while a save works.
class ErrorWatchHold {
 public:
  explicit ErrorWatchHold(std::atomic<int>& flag) : flag_(flag) { flag_.store(1); }
  ~ErrorWatchHold() { flag_.store(0); }

 private:
  std::atomic<int>& flag_;
};

}  // namespace

int TsDriver::SaveStrategyReport(const char* symbol, int kind, const char* value, CTxt& err, int mode) {
  CloseTsPopups(0);
  if (Setting("SaveOPT", 1) == 0) return 0;
  ErrorWatchHold block(m_errorCheckBlock);
  // A report saved for an earlier step is never this step's (mode 3 saves none).
  m_lastReportPath.MakeEmpty();
  CTxt base;
  MakeResultFileName(symbol, kind, value, base);
  HWND report = ShowReport(*this, kPerformance, err);
  int result = -1;
  if (report) {
    result = 0;
    if (mode == 0 || mode == 1 || mode == 4) {
      CTxt name = base, out, saveErr;
      name += ".MHT";
      int r = SaveReportWithRetry(out, saveErr, name, 'M');
      if (r < 0) LogTrace(kSaveLog, 0, "AutoSaveError: Save MHT: %s (%s)", saveErr.GetData(), name.GetData());
      if (r == 0) m_lastReportPath = out;
      if (r == 1) m_lastReportPath.MakeEmpty();
    }
    if (mode == 0 || mode == 2 || mode == 5) {
      CTxt name = base, out, saveErr;
      name += ".XLS";
      int r = SaveReportWithRetry(out, saveErr, name, 'X');
      if (r < 0)
        LogTrace(kSaveLog, 0, "AutoSaveError: Save MHT: %s (%s)", saveErr.GetData(), name.GetData());
      else
        LogTrace(kSaveLog, 0, "AutoSave: Save MHT(%d): %s(%s)", r, out.GetData(), name.GetData());
      // Without a saved archive the remembered report keeps the archive's name; the step's reader falls
      // back to the spreadsheet page of the same name.
      if (r == 0 && m_lastReportPath.IsEmpty()) {
        m_lastReportPath = out;
        m_lastReportPath.MakeFileExt("MHT");
      }
    }
  } else {
    m_lastReportPath.MakeEmpty();
    if (err.IsEmpty() || m_abortRequest.load() == 1)
      err = m_abortRequest.load() == 1 ? kAbortedText : "Performance Window not found";
  }
  CloseReportWindows(tsfacts::kPerformanceReportTitlePrefix);
  return result;
}

int TsDriver::SaveOptimizationList(const char* symbol, int kind, const char* value, CTxt& err) {
  if (Setting("SaveOPT", 1) == 0) return 0;
  ErrorWatchHold block(m_errorCheckBlock);
  CTxt base;
  MakeResultFileName(symbol, kind, value, base);
  HWND report = ShowReport(*this, kOptimization, err);
  int result = -1;
  if (report) {
    result = 0;
    CTxt name = base, out, saveErr;
    name += "-OptList.CSV";
    int r = SaveReportWithRetry(out, saveErr, name, 'C');
    if (r < 0) LogTrace(kSaveLog, 0, "AutoSaveError: Save CSV: %s (%s)", saveErr.GetData(), name.GetData());
    if (r == 0) m_lastOptimizationList = out;
    if (r == 1) m_lastOptimizationList.MakeEmpty();
  } else {
    m_lastOptimizationList.MakeEmpty();
    if (err.IsEmpty()) err = "Optimization Report Window not found";
  }
  CloseReportWindows(tsfacts::kOptimizationReportTitlePrefix);
  CloseReportWindows(tsfacts::kOptimizationReportTitlePrefix);
  return result;
}

int TsDriver::WaitForResultBoxes(int closeWorkspace) {
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) return -1;
  if (closeWorkspace == 1) CloseCurrentWorkspace();
  const char* reportTitles[] = {"TradeStation Performance Report", tsfacts::kPerformanceReportTitlePrefix,
                                tsfacts::kOptimizationReportTitlePrefix};
  // Boxes that never close would keep this going for ever: the passes end after ResultBoxesMaxSec.
  long long deadline = SteadyMs() + 1000LL * std::max(1, Setting("ResultBoxesMaxSec", 120));
  int emptyPasses = 0;
  for (int pass = 1;; ++pass) {
    int found = 0, closed = 0;
    int saving = static_cast<int>(DialogsTitled(tsfacts::kSavingPerformanceTitle).size());
    if (saving) LogTrace("WAIT", 2, "Waiting for 'Saving Performance' box to close (%d)", saving);
    found += saving;
    std::vector<HWND> saveAs = DialogsTitled(tsfacts::kSaveAsTitle);
    if (!saveAs.empty()) {
      LogTrace("WAIT", 2, "Closing 'Save As' box (%d)", static_cast<int>(saveAs.size()));
      closed += CloseWindows(AsList(saveAs));
    }
    for (const char* title : reportTitles) {
      std::vector<HWND> reports = ReportWindowsTitled(title, TextRule::Contains);
      if (reports.empty()) continue;
      LogTrace("WAIT", 2, "Closing '%s' box (%d)", "TradeStation Performance Report",
               static_cast<int>(reports.size()));
      closed += CloseWindows(AsList(reports));
    }
    found += closed;
    LogTrace(kLog, 0, "Try#%d: Waiting for all Workspace windows to close (Found=%d, Close=%d)", pass, found,
             closed);
    if (closeWorkspace != 1) break;
    if (found == 0 && ++emptyPasses >= 4) break;
    if (SteadyMs() >= deadline) {
      LogTrace(kLog, 0, "Result boxes still open after %d passes - going on", pass);
      return -2;
    }
    if (!StepSleep(m_abortRequest, 1000)) break;
  }
  return 0;
}
