// The message-box answerer of the driver's questions.
#include "tsdriver/Interaction.h"

#include <windows.h>

namespace tsdriver {

bool MessageBoxInteraction::AskYesNo(const char* caption, const char* text) {
  UINT style = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST;
  return MessageBoxA(nullptr, text, caption, style) == IDYES;
}

void MessageBoxInteraction::ShowStop(const char* caption, const char* text) {
  MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONSTOP | MB_TOPMOST);
}

}  // namespace tsdriver
