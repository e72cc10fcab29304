// The one service of the log writer that differs per platform: the default message box.
#pragma once

namespace log_platform {

// Shows a message box (Windows MessageBox style flags); natively shows nothing. Returns the button.
int ShowMessageBox(const char* text, const char* caption, unsigned style);

}  // namespace log_platform
