// TradeStation's MFC frame windows (report windows, the events log): one "Afx:..." window class, each
// window with a message handler of its own. They are top-level windows owned by the main window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orchart {

// Returns true when it handled the message (the result in `result`).
using AfxHandler = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;

const char* AfxWindowClass();
void RegisterAfxWindowClass();
// Creates and shows the window; nullptr on failure.
HWND CreateAfxWindow(const std::string& title, int x, int y, int width, int height, AfxHandler handler);

}  // namespace orchart
