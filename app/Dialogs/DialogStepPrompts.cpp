// Message boxes and the prompt dialog behind the restart-point questions.
#include "app/Dialogs/DialogStepPrompts.h"

#include "app/Dialogs/Dialog.h"
#include "app/Dialogs/DlgPrompt.h"

StepPrompts::Answer DialogStepPrompts::AskYesNoCancel(const char* question) {
  switch (AppBox(m_owner, question, MB_YESNOCANCEL | MB_ICONQUESTION | MB_TOPMOST)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

StepPrompts::Answer DialogStepPrompts::AskYesNo(const char* question) {
  return AppBox(m_owner, question, MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDYES ? Answer::Yes
                                                                                     : Answer::No;
}

bool DialogStepPrompts::AskText(const char* title, const char* text, const char* field, CTxt& answer) {
  CDlgPrompt prompt;
  prompt.note = text;
  prompt.okCaption = "OK";
  CTxt values(answer);
  if (prompt.DoModal(m_owner, title, field, values) < 0) return false;
  answer = values;
  return true;
}

void DialogStepPrompts::ShowError(const char* text) {
  AppError(m_owner, text);
}

void DialogStepPrompts::ShowInfo(const char* text) {
  AppInfo(m_owner, text);
}
