#include "app/MainWindowKit.h"

#include <cstdlib>
#include <exception>

#include "app/Dialogs/DlgPrompt.h"
#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "foundation/Log.h"

namespace {

constexpr char kCategory[] = "Tavrin";

void LogException(const char* what) {
  LogTrace(kCategory, 0, "Unexpected error in a dialog: %s", what);
}

class ListDialog : public ResourceDialog {
 public:
  ListDialog(const char* title, const char* heading, const std::vector<std::string>& entries, const POINT* at)
      : ResourceDialog(IDD_PICK_LIST), m_title(title), m_heading(heading), m_entries(entries), m_at(at) {}

 protected:
  bool OnInit() override {
    SetWindowTextA(Handle(), m_title);
    SetDlgItemTextA(Handle(), IDC_PROMPT_HEADING, m_heading);
    for (const std::string& entry : m_entries)
      SendMessageA(Item(IDC_PROMPT_LIST), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    if (m_at) {
      SetWindowPos(Handle(), nullptr, m_at->x, m_at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    } else {
      CenterOnOwner();
    }
    return true;
  }
  bool OnCommand(int id, int code) override {
    if (id == IDOK || (id == IDC_PROMPT_LIST && code == LBN_DBLCLK)) {
      End(SendMessageA(Item(IDC_PROMPT_LIST), LB_GETCURSEL, 0, 0));
      return true;
    }
    if (id == IDCANCEL) {
      End(-1);
      return true;
    }
    return false;
  }

 private:
  void CenterOnOwner() {
    HWND owner = GetWindow(Handle(), GW_OWNER);
    RECT outer{}, own{};
    GetWindowRect(Handle(), &own);
    if (!owner || !GetWindowRect(owner, &outer)) return;
    int x = (outer.left + outer.right - (own.right - own.left)) / 2;
    int y = (outer.top + outer.bottom - (own.bottom - own.top)) / 2;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }

  const char* m_title;
  const char* m_heading;
  const std::vector<std::string>& m_entries;
  const POINT* m_at;
};

}  // namespace

INT_PTR ResourceDialog::RunModal(HWND owner) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_resourceId), owner, Procedure,
                         reinterpret_cast<LPARAM>(this));
}

std::string ResourceDialog::ItemText(int id) const {
  char buffer[2048] = "";
  GetDlgItemTextA(m_hwnd, id, buffer, sizeof buffer);
  return buffer;
}

bool ResourceDialog::OnCommand(int id, int) {
  if (id != IDOK && id != IDCANCEL) return false;
  End(id);
  return true;
}

INT_PTR CALLBACK ResourceDialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    reinterpret_cast<ResourceDialog*>(lParam)->m_hwnd = hwnd;
  }
  auto* self = reinterpret_cast<ResourceDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  try {
    return self->Dispatch(message, wParam, lParam);
  } catch (const std::exception& e) {
    LogException(e.what());
  } catch (...) {
    LogException("unknown exception");
  }
  return FALSE;
}

INT_PTR ResourceDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default: {
      INT_PTR result = 0;
      if (!OnMessage(message, wParam, lParam, result)) return FALSE;
      SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

void CProgressBar::SetPos(int position) {
  if (!IsWindowVisible(m_bar)) ShowWindow(m_bar, SW_SHOWNA);
  SendMessageA(m_bar, 0x0402 /* PBM_SETPOS */, position, 0);
}

int PickFromList(HWND owner, const char* title, const char* heading, const std::vector<std::string>& entries,
                 const POINT* at) {
  ListDialog dialog(title, heading, entries, at);
  return static_cast<int>(dialog.RunModal(owner));
}

bool PromptText(HWND owner, const char* title, const char* heading, const char* field, CTxt& answer) {
  CDlgPrompt prompt;
  if (heading && !EqualNoCase(heading, title)) prompt.note = heading;
  prompt.okCaption = "OK";
  return prompt.DoModal(owner, title, field, answer) >= 0;
}

int AppBox(HWND owner, const char* text, UINT style) {
  LogTrace(kCategory, 0, "%s", text);
  return MessageBoxA(owner, text, kAppTitle, style | MB_SETFOREGROUND);
}

StepPrompts::Answer GuiStepPrompts::AskYesNoCancel(const char* question) {
  switch (AppBox(m_owner, question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

StepPrompts::Answer GuiStepPrompts::AskYesNo(const char* question) {
  return AppBox(m_owner, question, MB_YESNO | MB_ICONQUESTION) == IDYES ? Answer::Yes : Answer::No;
}

bool GuiStepPrompts::AskText(const char* title, const char* text, const char* field, CTxt& answer) {
  return PromptText(m_owner, title, text, field, answer);
}

void GuiStepPrompts::ShowError(const char* text) {
  AppBox(m_owner, text, MB_OK | MB_ICONSTOP);
}

void GuiStepPrompts::ShowInfo(const char* text) {
  AppBox(m_owner, text, MB_OK | MB_ICONINFORMATION);
}
