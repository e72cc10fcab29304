// Closing TradeStation's stray dialogs and pop-ups, reading its events log, and the window listing kept for
// diagnosis.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

WindowQuery DialogTitleQuery(HWND parent, const char* title, const char* cls) {
  WindowQuery q;
  if (!cls)
    q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  else if (CompareNoCase(cls, tsfacts::kMoreWorkspacesName95, 1) == 0)
    q.cls = {nullptr, TextRule::Exact};
  else
    q.cls = {cls, TextRule::Prefix};
  q.parent = parent;
  q.title = title;
  q.titleRule = TextRule::Prefix;
  return q;
}

bool IsFileDialog(HWND dialog) {
  return GetDlgItem(dialog, tsfacts::kFileTypeComboId) &&
         (GetDlgItem(dialog, tsfacts::kFileNameEditId) || GetDlgItem(dialog, tsfacts::kFileNameComboId)) &&
         GetDlgItem(dialog, tsfacts::kIdOk) && GetDlgItem(dialog, tsfacts::kIdCancel);
}

}  // namespace

// Closes the matches of one title; `snapshot` (may be null) saves the enumeration when many titles are closed
// in a row. Returns how many were closed.
static int CloseMatches(TsDriver& driver, const WindowSnapshot* snapshot, HWND parent, const char* title,
                        int clickId, const char* cls, int repeats) {
  WindowQuery q = DialogTitleQuery(parent, title, cls);
  std::vector<HWND> found = snapshot ? snapshot->Match(q) : FindWindows(q);
  int closed = 0;
  for (HWND w : found) {
    SendBounded(w, WM_CLOSE, 0, 0);
    if (clickId) {
      CTxt err;
      ClickButton(w, clickId, nullptr, err, repeats);
    }
    ++closed;
    if (!driver.Wait(500)) break;
  }
  return closed;
}

int TsDriver::CloseDialogsByTitle(HWND parent, const char* title, int clickId, const char* cls, int repeats) {
  return CloseMatches(*this, nullptr, parent, title, clickId, cls, repeats);
}

int TsDriver::CloseTsPopups(int onlyFileDialogs) {
  CTxt text;
  if (!m_mainWindow || !IsWindow(m_mainWindow)) FindMainWindow(text);
  HWND main = m_mainWindow;
  auto snapshot = std::make_unique<WindowSnapshot>(main);
  WindowQuery dialogs;
  dialogs.cls = {tsfacts::kDialogClass, TextRule::Exact};
  int fileDialogs = 0;
  for (HWND dialog : snapshot->Match(dialogs)) {
    if (!IsFileDialog(dialog)) continue;
    CTxt err;
    ClickButton(dialog, tsfacts::kIdCancel, nullptr, err, 1);
    SendBounded(dialog, WM_CLOSE, 0, 0);
    ++fileDialogs;
    Wait(500);
  }
  if (onlyFileDialogs == 1) return fileDialogs;
  if (fileDialogs) snapshot = std::make_unique<WindowSnapshot>(main);

  struct Step {
    bool underMain;  // only among the main window's children
    const char* title;
    int clickId;
    const char* cls;
  };
  const char* afx = tsfacts::kReportWindowClassPrefix;
  const Step steps[] = {
      {false, tsfacts::kSymbolLookupTitle, 0, nullptr},
      {false, tsfacts::kFormatSymbolTitlePrefix, 0, nullptr},
      {false, tsfacts::kFormatSymbolTitlePrefix, 0, nullptr},
      {false, tsfacts::kPerformanceReportTitlePrefix, 0, afx},
      {false, tsfacts::kOptimizationReportTitlePrefix, 0, afx},
      {false, tsfacts::kChartErrorTitlePrefix, tsfacts::kMaxBarsBackYesId, nullptr},
      {false, tsfacts::kChartErrorTitlePrefix, 0, nullptr},
      {false, tsfacts::kOptimizeRangeTitlePrefix, 0, nullptr},
      {false, tsfacts::kFormatStrategyTitlePrefix, 0, nullptr},
      {false, tsfacts::kFormatStrategiesTitle, tsfacts::kIdOk, nullptr},
      {false, tsfacts::kSaveAsTitle, 0, nullptr},
      {true, tsfacts::kMoreWorkspacesTitle, 0, nullptr},
      {true, tsfacts::kMoreWorkspacesTitle, 0, tsfacts::kMoreWorkspacesName95},
      {false, tsfacts::kMoreWorkspacesTitle, 0, nullptr},
      {true, tsfacts::kOpenWorkspaceTitle, 0, nullptr},
      {true, tsfacts::kCommandLineErrorTitle, 0, nullptr},
      {false, tsfacts::kChartingBoxTitlePrefix, tsfacts::kChartingBoxButtonId, nullptr},
  };
  for (const Step& s : steps) {
    if (Aborted()) break;
    if (s.underMain && !main) continue;  // a null parent would mean any parent
    if (CloseMatches(*this, snapshot.get(), s.underMain ? main : nullptr, s.title, s.clickId, s.cls, 5) > 0)
      snapshot = std::make_unique<WindowSnapshot>(main);
  }
  CTxt err;
  CheckEventsLog(err, 0);
  return 0;
}

int TsDriver::CheckEventsLog(CTxt& err, int keepOpen) {
  WindowQuery q;
  q.cls = {tsfacts::kReportWindowClassPrefix, TextRule::Prefix};
  q.title = tsfacts::kEventsLogTitle;
  q.titleRule = TextRule::Prefix;
  HWND log = FindFirstWindow(q);
  if (!log) return 0;
  WindowQuery page;
  page.cls = {tsfacts::kDialogClass, TextRule::Exact};
  page.parent = log;
  HWND child = FindFirstWindow(page);
  CTxt eventText;
  if (child) {
    HWND expand = GetDlgItem(child, tsfacts::kEventsLogExpandId);
    std::string label = TitleOf(expand).substr(0, 20);
    if (expand && label.find(tsfacts::kEventsLogExpandText) != std::string::npos) {
      PostMessageA(child, WM_COMMAND, MAKEWPARAM(tsfacts::kEventsLogExpandId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(expand));
      Wait(1000);
    }
    CTxtArray rows;
    CTxt msg;
    HWND list = GetDlgItem(child, tsfacts::kEventsLogListId);
    if (list && rows.LoadFromLC(list, msg, 2) > 0) {
      for (int i = 0; i < rows.GetSize(); ++i) {
        CTxt field, value;
        strfld(rows.GetAtTxt(i), '|', 1, 1, field);
        if (CompareNoCase(field, tsfacts::kEventsLogEventRow, 1) != 0) continue;
        strfld(rows.GetAtTxt(i), '|', 2, 2, value);
        eventText = value;
        eventText += "\r\n";
        for (int j = 0; j < rows.GetSize(); ++j) {
          eventText += rows.GetAtTxt(j);
          eventText += "\r\n";
        }
        break;
      }
    }
  }
  if (eventText.IsEmpty()) eventText = "check message box for details";
  err.Format("An Error Event occured (%s)", eventText.GetData());
  LogTrace("RemoteTS", 0, "%s", err.GetData());
  if (!keepOpen) {
    SendBounded(log, WM_CLOSE, 0, 0);
    Wait(500);
  }
  return 1;
}

int TsDriver::SaveWindowSnapshot(const char* fmt, ...) {
  CTxt caption;
  va_list args;
  va_start(args, fmt);
  caption.FormatV(fmt, args);
  va_end(args);
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) return -1;
  LogTrace("SavePS", 0, "%s", caption.GetData());
  CTxtArray lines;
  lines.Add(caption);
  lines.Add(" HWND  PARENT THREAD    PID = CLASS:TITLE");
  lines.Add("==============================================================");
  int count = 0;
  for (HWND w : AllWindows()) {
    DWORD pid = 0;
    DWORD thread = GetWindowThreadProcessId(w, &pid);
    CTxt line;
    line.Format("%6X %6X %6lu %6lu = %s:%s", Low16(w), Low16(ParentOf(w)), thread, pid,
                ClassNameOf(w).c_str(), TitleOf(w).c_str());
    lines.Add(line);
    ++count;
  }
  CTxt folder = m_runFolder;
  if (folder.IsEmpty()) Settings::GetAppFolder(folder);
  CTxt pattern;
  pattern.Format("%s/PS%%%%%%%%%%%%%%%%.txt", folder.GetData());
  CTxt name, msg;
  if (name.GetNextFile(pattern) < 0 || lines.SaveToFile(name, msg) < 0) {
    LogTrace("SavePS", 0, "%s", msg.GetData());
    return 0;
  }
  LogTrace("SavePS", 0, "Written %d processes to %s", count, name.GetData());
  return count;
}
