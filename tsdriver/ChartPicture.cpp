// The colours of a chart's on-screen picture: a chart that has loaded its data shows bars, axes and text in
// several colours, a loading one only its background.
#include <windows.h>

#include <unordered_set>
#include <vector>

#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

int CountWindowColours(HWND window, int limit) {
  RECT r{};
  if (!window || !GetWindowRect(window, &r)) return 0;
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return 0;
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  std::vector<DWORD> pixels;
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
      pixels.clear();
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::unordered_set<DWORD> colours;
  for (DWORD p : pixels) {
    colours.insert(p & 0xFFFFFFu);
    if (limit > 0 && static_cast<int>(colours.size()) >= limit) break;
  }
  return static_cast<int>(colours.size());
}

int OnScreenChartLoadWaits::CountChartColours(TsDriver&, HWND chart, CTxt& err, const char*, int limit) {
  // The chart view alone: the frame around it has colours of its own whether or not data has loaded.
  WindowQuery q;
  q.cls = {tsfacts::kChartViewClass, TextRule::Exact};
  q.parent = chart;
  HWND view = FindFirstWindow(q);
  int colours = CountWindowColours(view ? view : chart, limit);
  if (colours == 0) err.Format("No picture of chart %p", static_cast<void*>(chart));
  return colours;
}
