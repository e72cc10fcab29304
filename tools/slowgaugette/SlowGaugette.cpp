// A progress window that takes its time: its dialog is listed by window searches for a while before its
// mailbox control exists, and for a while more before it is shown. On the update command it copies the
// mailbox into a visible line, so a test sees whether a text sent too early was lost.
#include <windows.h>

#include <string>

#include "foundation/GaugetteProtocol.h"

namespace {

constexpr int kShownLineId = 1010;
constexpr DWORD kWithoutMailboxMs = 800;
constexpr DWORD kHiddenMs = 300;

std::string ItemText(HWND dialog, int id) {
  char text[1024] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

INT_PTR CALLBACK SlowDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == kGaugetteCmdUpdate) {
    SetDlgItemTextA(dialog, kShownLineId, ItemText(dialog, kGaugetteTextId).c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == kGaugetteCmdClose || LOWORD(wParam) == IDCANCEL)) {
    DestroyWindow(dialog);
    return TRUE;
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return FALSE;
}

// An empty dialog template (no controls, no font): header, no menu, the standard class, the caption the
// callers look for.
struct EmptyDialog {
  alignas(DWORD) WORD words[20] = {};
  EmptyDialog() {
    DWORD style = WS_POPUP | WS_CAPTION;
    words[0] = LOWORD(style);
    words[1] = HIWORD(style);
    words[7] = 200;  // cx; x, y, item count and extended style stay 0
    words[8] = 40;   // cy
    const wchar_t title[] = L"Gaugette";
    for (int i = 0; title[i]; ++i) words[11 + i] = static_cast<WORD>(title[i]);
  }
};

HWND AddStatic(HWND dialog, int id, DWORD style, int top) {
  return CreateWindowExA(0, "STATIC", "", WS_CHILD | style, 4, top, 300, 16, dialog,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                         nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static EmptyDialog form;
  HWND dialog = CreateDialogIndirectParamA(instance, reinterpret_cast<DLGTEMPLATE*>(form.words), nullptr,
                                           SlowDialog, 0);
  if (!dialog) return 1;
  Sleep(kWithoutMailboxMs);
  AddStatic(dialog, kGaugetteTextId, 0, 0);
  AddStatic(dialog, kShownLineId, WS_VISIBLE, 20);
  Sleep(kHiddenMs);
  ShowWindow(dialog, SW_SHOWNOACTIVATE);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
