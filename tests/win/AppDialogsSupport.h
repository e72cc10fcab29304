// Driving Tavrin's own modal dialogs in-process the way a user does: the dialog runs on a thread of its own,
// the test finds it by title, types into controls by id, clicks buttons and answers message boxes. Every
// wait is a bounded poll.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "ToolSupport.h"
#include "tsdriver/TsDriver.h"

namespace appdialogs {

constexpr DWORD kWindowWaitMs = 10000;

// Runs body (which opens a modal dialog) on its own thread. The destructor cancels whatever the thread still
// shows and joins it.
class ModalThread {
 public:
  explicit ModalThread(std::function<void()> body) {
    m_thread = std::thread([this, body] {
      m_threadId = GetCurrentThreadId();
      body();
      m_done = true;
    });
    toolsupport::WaitUntil([this] { return m_threadId.load() != 0; }, kWindowWaitMs);
  }
  ~ModalThread() {
    for (int round = 0; round < 100 && !m_done; ++round) {
      EnumThreadWindows(
          m_threadId,
          [](HWND w, LPARAM) -> BOOL {
            PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(w, WM_COMMAND, IDNO, 0);  // a Yes/No box has no Cancel
            return TRUE;
          },
          0);
      toolsupport::WaitUntil([this] { return m_done.load(); }, 100);
    }
    if (m_thread.joinable()) m_thread.join();
  }
  ModalThread(const ModalThread&) = delete;
  ModalThread& operator=(const ModalThread&) = delete;

  bool WaitDone(DWORD ms = kWindowWaitMs) {
    return toolsupport::WaitUntil([this] { return m_done.load(); }, ms);
  }
  DWORD ThreadId() const { return m_threadId; }

 private:
  std::thread m_thread;
  std::atomic<DWORD> m_threadId{0};
  std::atomic<bool> m_done{false};
};

inline bool IsVisibleDialog(HWND w, const std::string& title) {
  return IsWindowVisible(w) && toolsupport::ClassOf(w) == "#32770" && toolsupport::WindowText(w) == title;
}

// A visible dialog of this process with exactly this title.
inline HWND WaitForDialog(const std::string& title, DWORD ms = kWindowWaitMs) {
  DWORD pid = GetCurrentProcessId();
  return toolsupport::WaitForTopWindow(
      [&](HWND w) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        return owner == pid && IsVisibleDialog(w, title);
      },
      ms);
}

// The application's message box; its text is the static control 0xFFFF.
inline HWND WaitForAppBox(DWORD ms = kWindowWaitMs) {
  return WaitForDialog(kTavrinCaption, ms);
}
inline std::string BoxText(HWND box) {
  return toolsupport::WindowText(GetDlgItem(box, 0xFFFF));
}
// Answers the next message box with button id and returns its text ("" when none appeared).
inline std::string AnswerBox(int button) {
  HWND box = WaitForAppBox();
  if (!box) return "";
  std::string text = BoxText(box);
  PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
  toolsupport::WaitUntil([box] { return !IsWindow(box); }, kWindowWaitMs);
  return text;
}

// Types text into a control as keystrokes (WM_CHAR), so the control's own filters apply.
inline void TypeInto(HWND dialog, int id, const std::string& text) {
  HWND control = GetDlgItem(dialog, id);
  for (unsigned char c : text) SendMessageA(control, WM_CHAR, c, 1);
}
inline void SetText(HWND dialog, int id, const std::string& text) {
  SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
inline std::string TextOf(HWND dialog, int id) {
  return toolsupport::WindowText(GetDlgItem(dialog, id));
}
// Clicks a button the way a click arrives (posted: the handler may open a modal box of its own).
inline void Click(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
// Clicks a check box: its state flips and its dialog is told.
inline void Toggle(HWND dialog, int id) {
  HWND box = GetDlgItem(dialog, id);
  bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SendMessageA(box, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
}
// Clicks and waits until the dialog has gone.
inline bool ClickAndWaitClosed(HWND dialog, int id) {
  Click(dialog, id);
  return toolsupport::WaitUntil([dialog] { return !IsWindow(dialog); }, kWindowWaitMs);
}

// List box helpers.
inline int ListCount(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LB_GETCOUNT, 0, 0));
}
inline std::string ListItem(HWND dialog, int id, int index) {
  char text[1024] = "";
  SendMessageA(GetDlgItem(dialog, id), LB_GETTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text));
  return text;
}
inline int ListSelection(HWND dialog, int id) {
  return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), LB_GETCURSEL, 0, 0));
}
inline void SelectListItem(HWND dialog, int id, int index) {
  HWND list = GetDlgItem(dialog, id);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// The work area of the monitor that holds most of the window.
inline RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}
inline bool InsideWorkArea(HWND window) {
  RECT r{}, work = WorkAreaOf(window);
  GetWindowRect(window, &r);
  return r.left >= work.left && r.top >= work.top && r.right <= work.right && r.bottom <= work.bottom;
}

}  // namespace appdialogs
