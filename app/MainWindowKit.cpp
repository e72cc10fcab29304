#include "app/MainWindowKit.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "foundation/Log.h"

namespace {

constexpr char kCategory[] = "Tavrin";

void LogException(const char* what) {
  LogTrace(kCategory, 0, "Unexpected error in a dialog: %s", what);
}

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
  CDlgList list;
  size_t longest = 0;
  for (const std::string& entry : entries) {
    list.items.Add(entry.c_str());
    longest = std::max(longest, entry.size());
  }
  list.heading = heading ? heading : "";
  list.okCaption = "OK";
  list.widthChars = static_cast<int>(std::min<size_t>(longest + 4, 100));
  if (at) list.SetPosition(at->x, at->y);
  CTxt selection;
  int chosen = list.DoModal(owner, title, selection);
  // An empty list shows "(Empty)", which is no entry.
  return chosen < static_cast<int>(entries.size()) ? chosen : -1;
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
