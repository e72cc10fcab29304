// The "Afx:" window class and its per-window handlers.
#include "AfxWindow.h"

#include <map>

#include "StandIn.h"

namespace orchart {
namespace {

std::map<HWND, AfxHandler>& Handlers() {
  static std::map<HWND, AfxHandler> handlers;
  return handlers;
}

LRESULT CALLBACK AfxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    Handlers()[hwnd] = *static_cast<AfxHandler*>(cs->lpCreateParams);
  }
  auto it = Handlers().find(hwnd);
  if (it != Handlers().end()) {
    AfxHandler handler = it->second;  // a handler may destroy its window
    if (msg == WM_NCDESTROY) Handlers().erase(hwnd);
    try {
      LRESULT result = 0;
      if (handler(hwnd, msg, wp, lp, result)) return result;
    } catch (const std::exception& e) {
      App::Get().Log("exception in report window: %s", e.what());
    } catch (...) {
      App::Get().Log("exception in report window");
    }
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

const char* AfxWindowClass() {
  return "Afx:00400000:b:00010003:00000006:00000000";
}

void RegisterAfxWindowClass() {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = AfxProc;
  wc.hInstance = App::Get().instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = AfxWindowClass();
  RegisterClassA(&wc);
}

HWND CreateAfxWindow(const std::string& title, int x, int y, int width, int height, AfxHandler handler) {
  App& app = App::Get();
  HWND hwnd = CreateWindowExA(0, AfxWindowClass(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y,
                              width, height, app.main, nullptr, app.instance, &handler);
  if (!hwnd) {
    app.Log("window '%s' not created (%lu)", title.c_str(), GetLastError());
    return nullptr;
  }
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  return hwnd;
}

}  // namespace orchart
