// The one dialog base class of Tavrin's own windows: the object is stored at WM_INITDIALOG and the
// dialog procedure dispatches to virtual handlers; no exception leaves a handler. Dialogs run modally from a
// resource or from an in-memory template (CDynDlgTemplate); typed one-line helpers read and write controls.
#pragma once

#include <windows.h>

#include <string>

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog() = default;

  // Runs the dialog modally; the value passed to End, or -1 when the window could not be created.
  INT_PTR RunModal(HWND owner, const DLGTEMPLATE* dialogTemplate);
  INT_PTR RunModal(HWND owner, int resourceId);

  HWND Hwnd() const { return m_hwnd; }
  HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
  std::string ItemText(int id) const;
  void SetItemText(int id, const char* text) const { SetDlgItemTextA(m_hwnd, id, text); }
  bool IsChecked(int id) const { return IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
  void SetChecked(int id, bool on) const { CheckDlgButton(m_hwnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
  void EnableItem(int id, bool on) const { EnableWindow(Item(id), on ? TRUE : FALSE); }
  void ShowItem(int id, bool on) const { ShowWindow(Item(id), on ? SW_SHOW : SW_HIDE); }
  void End(INT_PTR result);

  // The centre of a control in screen coordinates (where the prompts a button opens are placed).
  POINT ItemCentre(int id) const;

 protected:
  // WM_INITDIALOG; return false when the focus was set.
  virtual bool OnInit() { return true; }
  // Return true when handled. An unhandled IDCANCEL ends the dialog with IDCANCEL.
  virtual bool OnCommand(int id, int code, HWND control) {
    (void)id, (void)code, (void)control;
    return false;
  }
  virtual LRESULT OnNotify(NMHDR* header) {
    (void)header;
    return 0;
  }
  virtual void OnTimer(UINT_PTR id) { (void)id; }
  // Any other message; return true and set result when handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    (void)msg, (void)wp, (void)lp, (void)result;
    return false;
  }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
  HWND m_hwnd = nullptr;
};

// --- Message boxes captioned with the application title -----------------------------------------------
// Every box goes through the application's AppBox (app/MainWindowKit.h: logged, captioned with the title);
// the dialogs' boxes are topmost, so a box never hides behind TradeStation.
int AppBox(HWND owner, const char* text, UINT style);
inline void AppError(HWND owner, const char* text) {
  AppBox(owner, text, MB_OK | MB_ICONSTOP | MB_TOPMOST);
}
inline void AppInfo(HWND owner, const char* text) {
  AppBox(owner, text, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}
// Yes/No with No as the default; true for Yes.
inline bool AppConfirm(HWND owner, const char* text) {
  return AppBox(owner, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST) == IDYES;
}
// Yes/No/Cancel with No as the default: IDYES, IDNO or IDCANCEL.
inline int AppYesNoCancel(HWND owner, const char* text) {
  return AppBox(owner, text, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST);
}

// Moves a window's top-left corner to (x, y) keeping the whole window on its monitor's work area (shrunk
// to the work area when larger). Size and z-order otherwise unchanged.
void MoveOntoWorkArea(HWND window, int x, int y);
