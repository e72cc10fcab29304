// Gaugette.exe: the progress window. A small dialog with a bar and two lines of text; other programs fill
// its text control and send it commands (protocol in foundation/GaugetteProtocol.h). It never takes the
// keyboard focus from the program the system is driving.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/GaugetteProtocol.h"

namespace {

// Control ids of the visible parts; kGaugetteTextId is the hidden mailbox the callers write into.
constexpr int kLineId = 1010;
constexpr int kSecondLineId = 1011;
constexpr int kBarId = 1012;
constexpr int kPercentId = 1013;
constexpr int kBarSteps = 1000;  // tenths of a percent

// An in-memory dialog template: the dialog header, then DWORD-aligned items.
class DialogTemplate {
 public:
  DialogTemplate(const wchar_t* title, DWORD style, short cx, short cy) {
    AddDword(style);
    AddDword(0);
    m_countAt = m_words.size();
    m_words.push_back(0);
    for (short v : {short(0), short(0), cx, cy}) m_words.push_back(static_cast<WORD>(v));
    m_words.push_back(0);  // no menu
    m_words.push_back(0);  // the standard dialog class
    AddText(title);
    m_words.push_back(8);
    AddText(L"MS Shell Dlg");
  }
  void AddItem(const wchar_t* windowClass, int id, DWORD style, short x, short y, short cx, short cy) {
    if (m_words.size() % 2) m_words.push_back(0);
    AddDword(style | WS_CHILD);
    AddDword(0);
    for (short v : {x, y, cx, cy}) m_words.push_back(static_cast<WORD>(v));
    m_words.push_back(static_cast<WORD>(id));
    AddText(windowClass);
    AddText(L"");
    m_words.push_back(0);  // no creation data
    ++m_words[m_countAt];
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

 private:
  void AddDword(DWORD v) {
    m_words.push_back(LOWORD(v));
    m_words.push_back(HIWORD(v));
  }
  void AddText(const wchar_t* text) {
    for (; *text; ++text) m_words.push_back(static_cast<WORD>(*text));
    m_words.push_back(0);
  }
  std::vector<WORD> m_words;
  size_t m_countAt = 0;
};

std::string ItemText(HWND dialog, int id) {
  char text[4096] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

// Splits the mailbox text at its first TAB.
void SplitAtTab(const std::string& text, std::string& before, std::string& after) {
  size_t tab = text.find('\t');
  before = tab == std::string::npos ? text : text.substr(0, tab);
  after = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

void ShowUpdate(HWND dialog) {
  std::string number, line;
  SplitAtTab(ItemText(dialog, kGaugetteTextId), number, line);
  double percent = atof(number.c_str());
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  char shown[32];
  snprintf(shown, sizeof shown, "%.1f %%", percent);
  SetDlgItemTextA(dialog, kPercentId, shown);
  SetDlgItemTextA(dialog, kLineId, line.c_str());
  SendDlgItemMessageA(dialog, kBarId, PBM_SETPOS, static_cast<WPARAM>(percent * kBarSteps / 100 + 0.5), 0);
}

void ShowMessage(HWND dialog) {
  std::string first, second;
  SplitAtTab(ItemText(dialog, kGaugetteTextId), first, second);
  SetDlgItemTextA(dialog, kLineId, first.c_str());
  SetDlgItemTextA(dialog, kSecondLineId, second.c_str());
}

INT_PTR CALLBACK ProgressDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, kBarId, PBM_SETRANGE32, 0, kBarSteps);
      SetDlgItemTextA(dialog, kLineId, "Starting ...");
      return FALSE;  // no focus taken
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kGaugetteCmdUpdate:
          ShowUpdate(dialog);
          return TRUE;
        case kGaugetteCmdMessage:
          ShowMessage(dialog);
          return TRUE;
        case kGaugetteCmdClose:
        case IDCANCEL:
          DestroyWindow(dialog);
          return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  DialogTemplate form(L"Gaugette",
                      WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_SETFONT | DS_CENTER, 240, 58);
  form.AddItem(L"STATIC", kLineId, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 7, 6, 226, 10);
  form.AddItem(PROGRESS_CLASSW, kBarId, WS_VISIBLE | PBS_SMOOTH, 7, 20, 186, 12);
  form.AddItem(L"STATIC", kPercentId, WS_VISIBLE | SS_RIGHT | SS_NOPREFIX, 196, 22, 37, 10);
  form.AddItem(L"STATIC", kSecondLineId, WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 7, 38, 226, 10);
  form.AddItem(L"STATIC", kGaugetteTextId, SS_NOPREFIX, 0, 0, 1, 1);  // hidden mailbox
  HWND dialog = CreateDialogIndirectParamA(instance, form.Get(), nullptr, ProgressDialog, 0);
  if (!dialog) return 1;
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return 0;
}
