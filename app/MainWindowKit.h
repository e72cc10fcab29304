// The small window kit of the main window: a dialog base over a resource template (this stored at
// WM_INITDIALOG, virtual handlers, no exception ever reaching Windows), the progress bar wrapper, the list
// picker with a heading and a prompt line (the stop list, the current lists), the text prompt and the GUI
// answers of the abort marks' questions.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "execution/AbortMarks.h"
#include "foundation/Txt.h"

// A modal dialog from a resource of Tavrin.exe. Subclasses handle what they need; anything not handled
// gets the dialog manager's default.
class ResourceDialog {
 public:
  explicit ResourceDialog(int resourceId) : m_resourceId(resourceId) {}
  virtual ~ResourceDialog() = default;
  ResourceDialog(const ResourceDialog&) = delete;
  ResourceDialog& operator=(const ResourceDialog&) = delete;

  // Runs modally; EndDialog's result, -1 when the template could not be loaded.
  INT_PTR RunModal(HWND owner);
  HWND Handle() const { return m_hwnd; }

 protected:
  virtual bool OnInit() { return true; }     // false: the focus was set
  virtual bool OnCommand(int id, int code);  // default: IDOK and IDCANCEL end the dialog
  virtual bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }
  HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
  std::string ItemText(int id) const;
  void End(INT_PTR result) { EndDialog(m_hwnd, result); }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int m_resourceId;
  HWND m_hwnd = nullptr;
};

// A progress control whose position setter also makes it visible.
class CProgressBar {
 public:
  void Attach(HWND bar) { m_bar = bar; }
  void SetRange(int low, int high) { SendMessageA(m_bar, 0x0406 /* PBM_SETRANGE32 */, low, high); }
  void SetStep(int step) { SendMessageA(m_bar, 0x0404 /* PBM_SETSTEP */, step, 0); }
  void SetBarColour(COLORREF colour) { SendMessageA(m_bar, 0x0409 /* PBM_SETBARCOLOR */, 0, colour); }
  void SetBkColour(COLORREF colour) { SendMessageA(m_bar, 0x2001 /* PBM_SETBKCOLOR */, 0, colour); }
  void SetPos(int position);
  int GetPos() const { return static_cast<int>(SendMessageA(m_bar, 0x0408 /* PBM_GETPOS */, 0, 0)); }

 private:
  HWND m_bar = nullptr;
};

// The list picker (CDlgList): a heading, the entries and OK/Cancel, its top left at `at` (screen pixels;
// null: centred). Returns the chosen entry's index, -1 when cancelled or nothing was chosen.
int PickFromList(HWND owner, const char* title, const char* heading, const std::vector<std::string>& entries,
                 const POINT* at = nullptr);

// The prompt dialog (CDlgPrompt) with fields in its language ("New Name:|30"), heading shown as its note when
// it says more than the title. answer holds the initial text and receives the typed one. False when
// cancelled.
bool PromptText(HWND owner, const char* title, const char* heading, const char* field, CTxt& answer);

// The abort marks' questions as message boxes and prompts owned by the main window.
class GuiStepPrompts : public StepPrompts {
 public:
  void SetOwner(HWND owner) { m_owner = owner; }
  Answer AskYesNoCancel(const char* question) override;
  Answer AskYesNo(const char* question) override;
  bool AskText(const char* title, const char* text, const char* field, CTxt& answer) override;
  void ShowError(const char* text) override;
  void ShowInfo(const char* text) override;

 private:
  HWND m_owner = nullptr;
};

// A message box captioned with the application title, logged first (category "Tavrin").
int AppBox(HWND owner, const char* text, UINT style);
