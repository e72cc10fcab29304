// The window and control primitives every driver operation is built from: dialogs by class and title,
// buttons, list boxes, date fields, menu commands, the command line, and closing windows.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/DateTime.h"
#include "foundation/GaugetteProtocol.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

const AbortRequest* g_primitivesAbort = nullptr;

bool PrimitiveWait(int ms) {
  return WaitMs(ms, g_primitivesAbort);
}

// The class rule of the dialog searches: "#32770" exactly when none is given, else the given class as a
// prefix; the workspace list dialog is found by its title alone, whatever its real class.
ClassRule DialogClassRule(const char* cls) {
  if (!cls) return {tsfacts::kDialogClass, TextRule::Exact};
  if (CompareNoCase(cls, tsfacts::kMoreWorkspacesName95, 1) == 0) return {nullptr, TextRule::Exact};
  return {cls, TextRule::Prefix};
}

void PostClickAt(HWND control, int x, int y) {
  LPARAM point = MAKELPARAM(x, y);
  PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PrimitiveWait(10);
  PostMessageA(control, WM_LBUTTONUP, 0, point);
  PrimitiveWait(10);
}

void PostChars(HWND control, const char* text) {
  for (const char* p = text; *p; ++p) {
    PostMessageA(control, WM_CHAR, static_cast<unsigned char>(*p), 0);
    PrimitiveWait(10);
  }
}

void TypeDateFields(HWND control, const std::vector<std::string>& fields, int pauseMs) {
  for (const std::string& field : fields) {
    PostChars(control, field.c_str());
    PostMessageA(control, WM_KEYDOWN, VK_RIGHT, 0);
    PrimitiveWait(pauseMs);
  }
}

std::string Two(int v) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", v);
  return text;
}

int SelectedEntry(HWND list, std::string& text) {
  LRESULT current = LB_ERR;
  if (!SendBounded(list, LB_GETCURSEL, 0, 0, &current) || current < 0) return -1;
  ReadListEntry(list, static_cast<int>(current), false, text);
  return static_cast<int>(current);
}

}  // namespace

// ---- Helpers of every operation file
// -------------------------------------------------------------------------------------

namespace tsdriver {
int Setting(const char* key, int def) {
  return Settings::GetInt("Tavrin", key, def);
}

int LoadWaitLimitSec() {
  constexpr int kDefaultSec = 1800;
  int seconds = Setting("FmtWaitLoadWaitSec", kDefaultSec);
  return seconds >= 1 ? seconds : kDefaultSec;
}
}  // namespace tsdriver

void* tsdriver::AsPtr(HWND window) {
  return static_cast<void*>(window);
}

bool tsdriver::HasClass(HWND window, const char* cls) {
  return window && CompareNoCase(ClassNameOf(window).c_str(), cls, 1) == 0;
}

void tsdriver::FocusAndCapture(HWND window) {
  SetFocus(window);
  SetCapture(window);
}

void SetPrimitivesAbortRequest(const AbortRequest* abort) {
  g_primitivesAbort = abort;
}

// ---- Searches
// ---------------------------------------------------------------------------------------------------

HWND TsDriver::FindTsDialog(const char* title, HWND parent, const char* cls, int exactTitle) {
  WindowQuery q;
  q.cls = DialogClassRule(cls);
  q.parent = parent;
  q.title = title;
  q.titleRule = exactTitle == 1 ? TextRule::Exact : TextRule::Prefix;
  return FindFirstWindow(q);
}

HWND FindOwnedDialog(const char* title, HWND ancestor, const char* cls) {
  WindowQuery q;
  q.cls = DialogClassRule(cls);
  q.ancestor = ancestor;
  q.title = title;
  q.titleRule = TextRule::Prefix;
  return FindFirstWindow(q);
}

HWND FindWindowByClassTitle(const char* cls, const char* title, int matchMode, int n) {
  WindowQuery q;
  q.cls = {cls, TextRule::Exact};
  q.title = title;
  q.removeAmpersands = true;
  q.titleNonEmpty = false;
  q.visibleOnly = matchMode == 0;
  q.titleRule = matchMode == 1 ? TextRule::Prefix : matchMode == 2 ? TextRule::Exact : TextRule::Contains;
  std::vector<HWND> found = FindWindows(q, static_cast<size_t>(n > 0 ? n : 1));
  return static_cast<int>(found.size()) >= (n > 0 ? n : 1) ? found.back() : nullptr;
}

HWND TsDriver::FindNthWindowOfClass(const char* cls, int n) {
  return FindWindowByClassTitle(cls, nullptr, 3, n);
}

int ListWindows(HWND parent, SPtrArray& out, const char* cls, const char* title, int deep) {
  out.RemoveAll();
  WindowQuery q;
  if (cls) {
    q.cls = {cls, TextRule::Exact};
    q.title = title;
    q.titleRule = TextRule::Prefix;
  }
  if (parent && deep == 1)
    q.ancestor = parent;
  else
    q.parent = parent;
  std::vector<HWND> found;
  if (!parent) {
    for (HWND w : AllWindows())
      if (q.cls.Matches(ClassNameOf(w)) && (!q.title || MatchText(TitleOf(w).c_str(), q.title, q.titleRule)))
        found.push_back(w);
  } else {
    found = FindWindows(q);
  }
  for (HWND w : found) out.Add(w);
  return out.GetSize();
}

int FindFileDialogs(SPtrArray& out) {
  out.RemoveAll();
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  for (HWND dialog : FindWindows(q)) {
    if (!GetDlgItem(dialog, tsfacts::kFileTypeComboId)) continue;
    if (!GetDlgItem(dialog, tsfacts::kFileNameEditId) && !GetDlgItem(dialog, tsfacts::kFileNameComboId))
      continue;
    if (!GetDlgItem(dialog, tsfacts::kIdOk) || !GetDlgItem(dialog, tsfacts::kIdCancel)) continue;
    out.Add(dialog);
  }
  return out.GetSize();
}

// ---- Reading and clicking
// ---------------------------------------------------------------------------------------

int TsDriver::ReadDialogText(HWND dialog, CTxt& out) {
  out.MakeEmpty();
  WindowQuery statics;
  statics.cls = {tsfacts::kStaticClass, TextRule::Exact};
  statics.parent = dialog;
  for (HWND s : FindWindows(statics)) {
    CTxt text = TitleOf(s).c_str();
    text.Trim(' ');
    if (text.IsEmpty()) continue;
    out += text;
    out += "\r\n";
  }
  WindowQuery buttons;
  buttons.cls = {tsfacts::kButtonClass, TextRule::Exact};
  buttons.parent = dialog;
  HWND first = FindFirstWindow(buttons);
  return first ? GetDlgCtrlID(first) : 0;
}

int ClickOk(HWND dialog, CTxt& err) {
  HWND ok = GetDlgItem(dialog, tsfacts::kIdOk);
  if (!ok) {
    err = "Internal Error6: (Cannot find OK Control)";
    return -1;
  }
  if (CompareNoCase(ClassNameOf(ok).c_str(), tsfacts::kButtonClass) != 0 ||
      CompareNoCase(tsfacts::kOkText, TitleOf(ok).c_str()) != 0) {
    err = "Internal Error7: (Cannot find OK Control)";
    return -6;
  }
  FocusAndCapture(dialog);
  if (!SendBounded(dialog, WM_COMMAND, MAKEWPARAM(tsfacts::kIdOk, BN_CLICKED),
                   reinterpret_cast<LPARAM>(ok))) {
    err.Format("%s (OK of %p not answered)", kTsNotRespondingText, AsPtr(dialog));
    return kTsNotResponding;
  }
  return 0;
}

int ClickButton(HWND dialog, int id, const char* expectedText, CTxt& err, int repeats) {
  bool post = id < 0;
  int control = post ? -id : id;
  HWND button = GetDlgItem(dialog, control);
  if (!button) {
    err.Format("Internal Error: Cannot find %s Control (Dlg=%p, ID=%d)", expectedText ? expectedText : "",
               AsPtr(dialog), control);
    return -5;
  }
  std::string text = TitleOf(button);
  if (CompareNoCase(ClassNameOf(button).c_str(), tsfacts::kButtonClass) != 0 || text.empty() ||
      (expectedText && FindNoCase(text.c_str(), expectedText) < 0)) {
    err.Format("Internal Error: Cannot find %s Button (Dlg=%p, OK=%p, Title=%s)",
               expectedText ? expectedText : "", AsPtr(dialog), AsPtr(button), text.c_str());
    return -10;
  }
  int attempts = repeats < 1 ? 1 : 2 * repeats;
  LRESULT result = 0;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    FocusAndCapture(dialog);
    WPARAM command = MAKEWPARAM(control, BN_CLICKED);
    if (post) {
      result = PostMessageA(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(button));
    } else if (!SendBounded(dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(button), &result)) {
      err.Format("%s (button %d of %p not answered)", kTsNotRespondingText, control, AsPtr(dialog));
      return kTsNotResponding;
    }
    if (!PrimitiveWait(500) || repeats < 1) break;
    if (!IsWindow(dialog) || !GetDlgItem(dialog, control)) break;
  }
  return static_cast<int>(result < 0 ? 0 : result);
}

int ControlInput(HWND control, int action, int a, int b) {
  if (!control || !IsWindow(control)) return -1;
  if (a <= 0) a = 1;
  if (b <= 0) b = 1;
  switch (action) {
    case 1:
      PostClickAt(control, a, b);
      return 0;
    case 2:
      SetFocus(control);
      return 0;
    case 3:
      SetCapture(control);
      return 0;
    case 4:
      FocusAndCapture(control);
      return 0;
    case 5: {
      CZELDateTime date;
      if (!CZELDateTime::IsDate(a) || date.SetDate(a) < 0) return -2;
      int pause = b > 1 ? b : 1000;
      FocusAndCapture(control);
      PostClickAt(control, 1, 1);
      char year[16];
      std::snprintf(year, sizeof year, "%04d", date.GetYear());
      TypeDateFields(control, {Two(date.GetMonth()), Two(date.GetDay()), year}, pause);
      return 0;
    }
    case 7: {
      LRESULT result = 0;
      SendBounded(control, BM_SETCHECK, a > 0 ? BST_CHECKED : BST_UNCHECKED, 0, &result);
      return static_cast<int>(result);
    }
    case 8: {
      CZELDateTime when;
      char timeText[16];
      std::snprintf(timeText, sizeof timeText, "%d", b);
      if (!CZELDateTime::IsDate(a) || when.SetDate(a) < 0 || when.SetTime(timeText) < 0) return -2;
      FocusAndCapture(control);
      PostClickAt(control, 10, 20);
      char year[16];
      std::snprintf(year, sizeof year, "%04d", when.GetYear());
      TypeDateFields(control,
                     {Two(when.GetMonth()), Two(when.GetDay()), year, Two(when.GetHour()),
                      Two(when.GetMinute()), Two(when.GetSecond())},
                     300);
      PrimitiveWait(100);
      return 0;
    }
    default:
      return 0;
  }
}

int SelectListBoxItem(HWND list, const char* text, CTxt& err, int byClick) {
  std::string cls = ClassNameOf(list);
  if (cls.size() < 2) {
    err.Format("%p not a ListBox1", AsPtr(list));
    return -1;
  }
  if (CompareNoCase(cls.c_str(), tsfacts::kListBoxClass) != 0) {
    err.Format("%p not a ListBox", AsPtr(list));
    return -2;
  }
  FocusAndCapture(list);
  std::string current;
  if (SelectedEntry(list, current) >= 0 && CompareNoCase(current.c_str(), text) == 0) return 1;
  LRESULT count = 0;
  SendBounded(list, LB_GETCOUNT, 0, 0, &count);
  if (byClick != 1) {
    for (int i = 0; i < static_cast<int>(count); ++i) {
      SendBounded(list, LB_SETTOPINDEX, static_cast<WPARAM>(i), 0);
      std::string entry;
      ReadListEntry(list, i, false, entry);
      if (CompareNoCase(entry.c_str(), text) != 0) continue;
      SetFocus(list);
      SendBounded(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return 0;
    }
    err.Format("Selection %s not found in ListBox", text);
    return -3;
  }
  int y = 0;
  for (int i = 0; i < static_cast<int>(count); ++i) {
    std::string entry;
    ReadListEntry(list, i, false, entry);
    if (CompareNoCase(entry.c_str(), text) == 0) {
      FocusAndCapture(list);
      PostClickAt(list, 1, y);
      std::string after;
      SelectedEntry(list, after);
      return CompareNoCase(after.c_str(), text) == 0 ? 0 : -2;
    }
    LRESULT height = 0;
    SendBounded(list, LB_GETITEMHEIGHT, static_cast<WPARAM>(i), 0, &height);
    y += static_cast<int>(height);
  }
  err.Format("Selection %s not found in ListBox", text);
  return -1;
}

// ---- Closing and waiting
// ----------------------------------------------------------------------------------------

int CloseWindows(const SPtrArray& windows) {
  int count = 0;
  for (int i = 0; i < windows.GetSize(); ++i) {
    HWND w = static_cast<HWND>(windows.GetAt(i));
    LogTrace("WAIT", 2, "Closing '%s' (%p)", TitleOf(w).c_str(), AsPtr(w));
    SendBounded(w, WM_CLOSE, 0, 0);
    ++count;
    if (!PrimitiveWait(500)) break;
  }
  return count;
}

int WaitForClose(HWND window, int maxSeconds) {
  bool quiet = Settings::GetInt("Tavrin", "NoColorCheck", 0) != 0;
  int waited = 0;
  auto closed = [window] { return !IsWindowEnabled(window) || TitleOf(window).empty(); };
  for (int round = 0; round < maxSeconds; ++round) {
    std::string text = TitleOf(window);
    int enabled = IsWindowEnabled(window) ? 1 : 0;
    if (!quiet)
      LogTrace("RemoteTS", 0, "WaitForClose: Enabled=%d (%p) (%d,%s)", enabled, AsPtr(window), round,
               text.c_str());
    if (!enabled || text.empty()) break;
    ++waited;
    // The second ends early when the window closes within it.
    if (WaitUntil(closed, 1000, 50, g_primitivesAbort) || AbortRequested(g_primitivesAbort)) break;
  }
  return waited;
}

int MinimizeWindowByTitle(const char* title, const char* cls) {
  HWND w = FindWindowByClassTitle(cls ? cls : tsfacts::kDialogClass, title, 3, 1);
  if (!w) return -1;
  ShowWindow(w, SW_MINIMIZE);
  return 0;
}

namespace {

// Restores the window, then moves it to the stored MainWindowPos (left, width, top, height; left, width and
// height each 0 to 4096) keeping its size, and gives it focus and capture. Restored first: a minimised
// window that is moved keeps its old place once restored. Asynchronous: never waits for the window's thread
// (Tavrin's own window belongs to its interface thread); the system keeps the two requests in order.
void RestoreToStoredPosition(HWND w) {
  ShowWindowAsync(w, SW_RESTORE);
  CTxt position;
  Settings::GetString("SYS", "MainWindowPos", "", position);
  int v[4] = {-1, -1, -1, -1};
  if (std::sscanf(position, "%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3]) == 4) {
    auto inRange = [](int x) { return x >= 0 && x <= 4096; };
    if (inRange(v[0]) && inRange(v[1]) && inRange(v[3]))
      SetWindowPos(w, nullptr, v[0], v[2], 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_ASYNCWINDOWPOS);
  }
  FocusAndCapture(w);
}

bool HoldsComboBox(HWND window) {
  WindowQuery q;
  q.cls = {tsfacts::kComboBoxClass, TextRule::Exact};
  q.ancestor = window;
  return FindFirstWindow(q) != nullptr;
}

}  // namespace

int RestoreWindowByTitle(const char* title, const char* cls) {
  HWND w = FindWindowByClassTitle(cls ? cls : tsfacts::kDialogClass, title, 3, 1);
  if (!w) return -1;
  RestoreToStoredPosition(w);
  return 0;
}

HWND FindProgramWindow() {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.title = kTavrinCaption;
  q.titleRule = TextRule::Suffix;
  HWND other = nullptr;
  for (HWND w : FindWindows(q)) {
    if (ParentOf(w) || GetWindow(w, GW_OWNER)) continue;
    if (TitleOf(w).size() <= std::strlen(kTavrinCaption) && !HoldsComboBox(w)) continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return w;
    if (!other) other = w;
  }
  return other;
}

void MinimizeProgramWindows() {
  if (Setting("TavrinMinimize", 1) == 1)
    if (HWND w = FindProgramWindow()) ShowWindowAsync(w, SW_MINIMIZE);
  if (HWND progress = FindWindowByClassTitle(kGaugetteWindowClass, "Gaugette", 3, 1))
    ShowWindowAsync(progress, SW_MINIMIZE);
}

void RestoreProgramWindow() {
  if (Setting("ShowMgr", 0) != 1) return;
  if (HWND w = FindProgramWindow()) RestoreToStoredPosition(w);
}

// ---- Menu commands
// ----------------------------------------------------------------------------------------------

int TsDriver::SendTsMenuCommand(int id, int waitMs, HWND target) {
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) return -1;
  HWND to = target ? target : m_mainWindow;
  if (id >= 0) {
    if (!PostMessageA(to, WM_COMMAND, static_cast<WPARAM>(id), 0) && !IsWindow(to)) return -1;
  } else if (!SendBounded(to, WM_COMMAND, static_cast<WPARAM>(-id), 0)) {
    LogTrace("RemoteTS", 0, "%s (command %d to %p)", kTsNotRespondingText, -id, AsPtr(to));
    return kTsNotResponding;
  }
  if (waitMs > 0) Wait(waitMs);
  return 0;
}
