// The log writer's message box on Windows.
#include <windows.h>

#include "foundation/Log_platform.h"

namespace log_platform {

int ShowMessageBox(const char* text, const char* caption, unsigned style) {
  return MessageBoxA(nullptr, text, caption, style);
}

}  // namespace log_platform
