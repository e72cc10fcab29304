// The caller's side of the progress window: finds (or starts) the progress-window program and sends it
// texts and commands as GaugetteProtocol.h describes.
#include <windows.h>

#include <atomic>
#include <cctype>
#include <string>
#include <vector>

#include "foundation/GaugetteProtocol.h"
#include "foundation/Log.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"

namespace {

constexpr int kFindRetries = 100;
constexpr DWORD kFindRetryMs = 50;
constexpr UINT kSendTimeoutMs = 5000;  // a hung progress window never blocks the caller longer
constexpr int kCloseAttempts = 3;
constexpr DWORD kCloseWaitMs = 300;

std::atomic<bool> g_switchedOff{false};

bool IsProgressWindow(HWND window) {
  char className[64] = "";
  if (!GetClassNameA(window, className, sizeof className) || strcmp(className, kGaugetteWindowClass) != 0)
    return false;
  char title[256] = "";
  GetWindowTextA(window, title, sizeof title);
  return CompareNoCase(kGaugetteTitlePrefix, title, 2) == 0;
}

BOOL CALLBACK CollectProgressWindow(HWND window, LPARAM found) {
  if (IsProgressWindow(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> ProgressWindows() {
  std::vector<HWND> found;
  EnumWindows(CollectProgressWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindProgressWindow() {
  std::vector<HWND> found = ProgressWindows();
  return found.empty() ? nullptr : found.front();
}

// The dialog is listed by a window search as soon as it exists, before its controls are made and before it
// is shown; a text sent then would be lost, so a window counts only once its mailbox is there and it shows.
bool IsReadyProgressWindow(HWND window) {
  return GetDlgItem(window, kGaugetteTextId) != nullptr && IsWindowVisible(window);
}

HWND WaitForReadyProgressWindow() {
  for (int attempt = 0; attempt < kFindRetries; ++attempt) {
    HWND window = FindProgressWindow();
    if (window && IsReadyProgressWindow(window)) return window;
    Sleep(kFindRetryMs);
  }
  return nullptr;
}

HWND FindOrStartProgressWindow() {
  HWND window = FindProgressWindow();
  if (window && IsReadyProgressWindow(window)) return window;
  if (!window && LaunchProcess((std::string("!") + kGaugetteProgram).c_str(), 0) < 0) {
    LogTrace("Gaugette", kLogDetail, "Cannot start the progress window program %s", kGaugetteProgram);
    return nullptr;
  }
  return WaitForReadyProgressWindow();
}

void SendToProgressWindow(HWND window, const std::string& text, int command) {
  DWORD_PTR ignored = 0;
  HWND textControl = GetDlgItem(window, kGaugetteTextId);
  if (textControl)
    SendMessageTimeoutA(textControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &ignored);
  SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                      &ignored);
}

}  // namespace

int GaugetteUpdate(const char* text, int index, int count) {
  if (g_switchedOff) return 99;
  double percent = count > 1 ? (index + 1) * 100.0 / (count + 1) : 50.0;
  if (percent < -100) {
    g_switchedOff = true;
    GaugetteClose();
    return 99;
  }
  if (percent < 0) {
    GaugetteClose();
    return 1;
  }
  HWND window = FindOrStartProgressWindow();
  if (!window) return -1;
  CTxt line;
  if (text)
    line.Format("%.1f\t%d of %d - %s", percent, index + 1, count, text);
  else
    line.Format("%.1f\t%d of %d", percent, index + 1, count);
  SendToProgressWindow(window, line.ToStd(), kGaugetteCmdUpdate);
  return 0;
}

void GaugetteMessage(const char* first, const char* second) {
  if (g_switchedOff) return;
  HWND window = FindOrStartProgressWindow();
  if (!window) return;
  std::string text = std::string(first ? first : "") + "\t" + (second ? second : "");
  SendToProgressWindow(window, text, kGaugetteCmdMessage);
}

void GaugetteClose() {
  for (HWND window : ProgressWindows()) {
    for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(window, WM_COMMAND, MAKEWPARAM(kGaugetteCmdClose, 0), 0, SMTO_ABORTIFHUNG,
                          kSendTimeoutMs, &ignored);
      Sleep(kCloseWaitMs);
      if (!IsWindow(window) || !IsWindowVisible(window)) break;
    }
  }
}
