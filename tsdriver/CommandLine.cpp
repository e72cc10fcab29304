// TradeStation's command line: a combo box on a tool bar of the main window that runs typed commands.
#include <windows.h>

#include <string>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

HWND TsDriver::FindCommandLineEdit(CTxt& err) {
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) {
    err = "Could not find TS Command Edit Window";
    return nullptr;
  }
  WindowQuery q;
  q.cls = {tsfacts::kEditClass, TextRule::Exact};
  q.ancestor = m_mainWindow;
  HWND best = nullptr;
  LONG bestTop = 0;
  for (HWND edit : FindWindows(q)) {
    if (GetDlgCtrlID(edit) != tsfacts::kComboEditId) continue;
    HWND combo = ParentOf(edit);
    if (!HasClass(combo, tsfacts::kComboBoxClass) || !HasClass(ParentOf(combo), tsfacts::kDialogClass))
      continue;
    RECT r{};
    GetWindowRect(edit, &r);
    if (!best || r.top < bestTop) {
      best = edit;
      bestTop = r.top;
    }
  }
  if (!best) err = "Could not find TS Command Edit Window";
  return best;
}

int TsDriver::SendTSCmd(const char* command, CTxt& err) {
  LogTrace("RemoteTS", 0, "SendTSCmd: Cmd=%s", command);
  unsigned before = NotRespondingCount();
  CloseTsPopups(0);
  HWND edit = FindCommandLineEdit(err);
  if (!edit) return -1;
  SetFocus(edit);
  SetCapture(edit);
  SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command));
  Wait(100);
  HWND combo = ParentOf(edit);
  std::string cls = ClassNameOf(combo);
  if (cls.size() < 2) {
    err.Format("Cannot find Command pulldown1 (%p/%d)", AsPtr(combo), static_cast<int>(cls.size()));
    return -2;
  }
  if (CompareNoCase(cls.c_str(), tsfacts::kComboBoxClass, 1) != 0) {
    err.Format("Cannot find Command pulldown2 (%p/%d)", AsPtr(combo), static_cast<int>(cls.size()));
    return -2;
  }
  LPARAM text = reinterpret_cast<LPARAM>(command);
  LRESULT index = CB_ERR;
  SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text, &index);
  if (index < 0) SendBounded(combo, CB_ADDSTRING, 0, text, &index);
  SetFocus(combo);
  SetCapture(combo);
  SendBounded(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendBounded(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), text);
  SendBounded(combo, WM_CHAR, 13, 0);
  SendBounded(combo, CB_SHOWDROPDOWN, FALSE, 0);
  if (TsStoppedAnswering(before, err)) return kTsNotResponding;
  Wait(Settings::GetInt("Tavrin", "WaitTSCmd", 1000));
  HWND box = FindOwnedDialog(tsfacts::kCommandLineErrorTitle, m_mainWindow, nullptr);
  if (!box) return 0;
  err = ReadTextOrEmpty(GetDlgItem(box, tsfacts::kCommandLineErrorTextId)).c_str();
  CTxt clickErr;
  ClickButton(box, tsfacts::kIdOk, nullptr, clickErr, 500);
  return -5;
}
