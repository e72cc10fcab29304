// Helpers of the window-level tests: where the tool programs are in the build tree, bounded waits for
// windows of other processes, reading their texts, and capturing the message boxes the system shows.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/Log.h"

namespace toolsupport {

// Folder of the running test program ('\' form, no trailing separator).
inline std::string TestProgramFolder() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of("\\/"));
}

// A tool built beside the tests: <build>/tools/<folder>/<program>.
inline std::string ToolFolder(const char* folder) {
  return TestProgramFolder() + "\\..\\tools\\" + folder;
}
inline std::string ToolPath(const char* folder, const char* program) {
  return ToolFolder(folder) + "\\" + program;
}

// Text of any window, also of another process's controls (WM_GETTEXT is carried across processes).
inline std::string WindowText(HWND window) {
  char text[4096] = "";
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      &ignored);
  return text;
}

inline std::string ClassOf(HWND window) {
  char name[256] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

inline std::vector<HWND> TopWindows(const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>* match;
    std::vector<HWND> found;
  } search{&match, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if ((*s->match)(w)) s->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND w, LPARAM p) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Polls every 50 ms until a matching top-level window exists or timeoutMs pass; null on timeout.
inline HWND WaitForTopWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> found = TopWindows(match);
    if (!found.empty()) return found.front();
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

// Polls until condition holds or timeoutMs pass; returns the last result.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

// Collects the message boxes of the log writer instead of showing them, for the object's lifetime.
class BoxCapture {
 public:
  BoxCapture() {
    {
      std::lock_guard<std::mutex> guard(Lock());
      Boxes().clear();
    }
    SetLogMessageBox(&Record);
  }
  ~BoxCapture() { SetLogMessageBox(nullptr); }
  BoxCapture(const BoxCapture&) = delete;
  BoxCapture& operator=(const BoxCapture&) = delete;

  struct Box {
    std::string text, caption;
  };
  std::vector<Box> Shown() const {
    std::lock_guard<std::mutex> guard(Lock());
    return Boxes();
  }

 private:
  static std::mutex& Lock() {
    static std::mutex lock;
    return lock;
  }
  static std::vector<Box>& Boxes() {
    static std::vector<Box> boxes;
    return boxes;
  }
  static int Record(const char* text, const char* caption, unsigned) {
    std::lock_guard<std::mutex> guard(Lock());
    Boxes().push_back({text ? text : "", caption ? caption : ""});
    return kLogBoxOk;
  }
};

// Changes the current folder for the object's lifetime.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    char previous[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof previous, previous);
    m_previous = previous;
    SetCurrentDirectoryA(folder.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryA(m_previous.c_str()); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::string m_previous;
};

}  // namespace toolsupport
