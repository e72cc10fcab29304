// The questions of the resume prompt and "Set Starting Step" asked through the resource-less dialogs: message
// boxes captioned with the application title and CDlgPrompt, owned by a window of the application. (The main
// window's kit has its own GuiStepPrompts over its resource prompts.)
#pragma once

#include <windows.h>

#include "execution/AbortMarks.h"

class DialogStepPrompts : public StepPrompts {
 public:
  explicit DialogStepPrompts(HWND owner) : m_owner(owner) {}
  Answer AskYesNoCancel(const char* question) override;
  Answer AskYesNo(const char* question) override;
  // The prompt titled title with text as its note and one field; the answer is the field's text.
  bool AskText(const char* title, const char* text, const char* field, CTxt& answer) override;
  void ShowError(const char* text) override;
  void ShowInfo(const char* text) override;

 private:
  HWND m_owner;
};
