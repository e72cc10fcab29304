// Chart windows and views: creation, the simulated load, and drawing.
#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Popups.h"
#include "StandIn.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr UINT_PTR kLoadTimer = 1;
constexpr COLORREF kBackground = RGB(0, 0, 0);

std::map<int, ChartCommand>& Commands() {
  static std::map<int, ChartCommand> commands;
  return commands;
}

ChartOverlay& Overlay() {
  static ChartOverlay overlay;
  return overlay;
}

std::string Timestamp() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d.%03d", t.wMonth, t.wDay, t.wYear, t.wHour,
                t.wMinute, t.wSecond, t.wMilliseconds);
  return buf;
}

std::string CachePath(const std::string& symbol, const Interval& iv) {
  char letter = symbol.empty() ? '_' : static_cast<char>(toupper(static_cast<unsigned char>(symbol[0])));
  if (letter < 'A' || letter > 'Z') letter = '_';
  return App::Get().folder + "/" + tsfacts::kCacheFolder + "/" + std::string(1, letter) + "/" + symbol + "." +
         iv.CacheExtension();
}

}  // namespace

void RegisterChartCommand(int id, ChartCommand command) {
  Commands()[id] = std::move(command);
}

void SetChartOverlay(ChartOverlay overlay) {
  Overlay() = std::move(overlay);
}

bool IsChartCommand(int id) {
  return Commands().count(id) != 0;
}

bool RunChartCommand(int id, Chart& chart) {
  auto it = Commands().find(id);
  if (it == Commands().end()) return false;
  it->second(chart);
  return true;
}

Chart::Chart(Workspace& owner, ChartSettings settings, bool injected)
    : owner_(owner), settings_(std::move(settings)), injected_(injected) {
  if (settings_.tracks.empty()) settings_.tracks.push_back(DataTrack{"MSFT", Interval{}});
}

Chart::~Chart() {
  DestroyWindows();
}

std::string Chart::Title() const {
  const DataTrack& t = settings_.tracks.front();
  SymbolInfo info = LookupSymbol(t.symbol);
  return std::string(tsfacts::kChartTitlePrefix) + t.symbol + " " + t.interval.Text() + " [" + info.exchange +
         "] " + info.description;
}

void Chart::RegisterClasses(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.lpszClassName = tsfacts::kChartWindowClass8455;
  RegisterClassA(&wc);
  wc.lpszClassName = tsfacts::kChartWindowClass8655;
  RegisterClassA(&wc);
  WNDCLASSA vc{};
  vc.lpfnWndProc = ViewProc;
  vc.hInstance = instance;
  vc.hCursor = LoadCursor(nullptr, IDC_CROSS);
  vc.lpszClassName = tsfacts::kChartViewClass;
  RegisterClassA(&vc);
}

Chart* Chart::FromWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  return reinterpret_cast<Chart*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void Chart::CreateWindows(HWND mdiClient, bool maximized) {
  if (frame_) return;
  App& app = App::Get();
  const char* cls = app.options.Int("ChartClass", 8455) == 8655 ? tsfacts::kChartWindowClass8655
                                                                : tsfacts::kChartWindowClass8455;
  std::string title = Title();
  DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (maximized ? WS_MAXIMIZE : 0);
  MDICREATESTRUCTA mcs{};
  mcs.szClass = cls;
  mcs.szTitle = title.c_str();
  mcs.hOwner = app.instance;
  mcs.x = mcs.y = static_cast<int>(CW_USEDEFAULT);
  mcs.cx = 700;
  mcs.cy = 450;
  mcs.style = style;
  mcs.lParam = reinterpret_cast<LPARAM>(this);
  frame_ = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  if (!frame_) {
    app.Log("chart window not created (%lu)", GetLastError());
    return;
  }
  SetMaximized(maximized);
  EnableView(!app.options.Flag("DisableChartView"));
  if (!loaded_ && !loading_) StartLoad();
  PostMessageA(app.main, kUpdateTitleMessage, 0, 0);
}

void Chart::DestroyWindows() {
  if (!frame_) return;
  HWND frame = frame_;
  KillTimer(view_, kLoadTimer);
  SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
  if (view_) SetWindowLongPtrA(view_, GWLP_USERDATA, 0);
  frame_ = view_ = nullptr;
  loading_ = false;  // an unfinished load starts again when the windows come back
  HWND client = GetParent(frame);
  if (client) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(frame), 0);
  if (IsWindow(frame)) DestroyWindow(frame);
  if (App::Get().main) PostMessageA(App::Get().main, kUpdateTitleMessage, 0, 0);
}

void Chart::SetMaximized(bool maximized) {
  if (!frame_) return;
  HWND client = GetParent(frame_);
  if (maximized && !IsZoomed(frame_))
    SendMessageA(client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(frame_), 0);
  else if (!maximized && IsZoomed(frame_))
    SendMessageA(client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(frame_), 0);
  // WM_SIZE sets the style and the title follows.
}

void Chart::EnableView(bool enabled) {
  if (view_) EnableWindow(view_, enabled ? TRUE : FALSE);
}

void Chart::SetExtra(std::vector<std::pair<std::string, std::string>> extra) {
  settings_.extra = std::move(extra);
  owner_.modified = true;
  if (view_) InvalidateRect(view_, nullptr, TRUE);
}

void Chart::Apply(const ChartSettings& settings) {
  settings_ = settings;
  if (settings_.tracks.empty()) settings_.tracks.push_back(DataTrack{"MSFT", Interval{}});
  owner_.modified = true;
  loaded_ = false;
  bars_.clear();
  if (frame_) {
    SetWindowTextA(frame_, Title().c_str());
    StartLoad();
  }
  App::Get().Log("chart changed: %s", Title().c_str());
  PostMessageA(App::Get().main, kUpdateTitleMessage, 0, 0);
}

// ---- Loading -----------------------------------------------------------------------------------

void Chart::StartLoad() {
  App& app = App::Get();
  loaded_ = false;
  loading_ = true;
  loadStart_ = GetTickCount();
  loadTrack_ = 0;
  bars_.clear();
  // CachedLoadNoLog: data already in the cache is not downloaded, so the download log gets no lines.
  cachedLoad_ = app.options.Flag("CachedLoadNoLog");
  for (const DataTrack& t : settings_.tracks)
    cachedLoad_ = cachedLoad_ && FileExists(CachePath(t.symbol, t.interval));
  app.Log("chart loading: %s%s", Title().c_str(), cachedLoad_ ? " (from the cache)" : "");
  LogDownloadStart(0);
  if (app.options.Flag("ChartingBox")) ShowChartingBox(settings_.tracks.front().symbol);
  app.FaultPoint("ChartLoad");
  if (view_) {
    InvalidateRect(view_, nullptr, TRUE);
    SetTimer(view_, kLoadTimer, static_cast<UINT>(std::max(5, app.options.Ms("LoadTickMs", 250, 15))),
             nullptr);
  }
}

void Chart::LogDownloadStart(size_t track) {
  App& app = App::Get();
  if (!app.IsBeforeVersion91() || track >= settings_.tracks.size() || cachedLoad_) return;
  const DataTrack& t = settings_.tracks[track];
  AppendToFile(app.folder + "/" + tsfacts::kDownloadLog,
               Timestamp() + ", Downloading, request for " + t.symbol + ", " + t.interval.Text() + ", " +
                   std::to_string(settings_.range.barsBack ? settings_.range.bars : 5000) + " bars.\r\n");
}

void Chart::LogDownloadDone(size_t track) {
  App& app = App::Get();
  if (!app.IsBeforeVersion91() || track >= settings_.tracks.size()) return;
  const DataTrack& t = settings_.tracks[track];
  std::vector<Bar> bars = BuildBars(t.symbol, t.interval, settings_.range);
  std::string cache;
  for (const Bar& b : bars) {
    char line[160];
    std::snprintf(line, sizeof line, "%d,%04d,%.4f,%.4f,%.4f,%.4f,%.0f\r\n", b.date, b.time, b.open, b.high,
                  b.low, b.close, b.volume);
    cache += line;
  }
  std::string path = CachePath(t.symbol, t.interval);
  MakeFolders(path.substr(0, path.rfind('/')));
  WriteWholeFile(path, cache);
  if (cachedLoad_) return;
  AppendToFile(app.folder + "/" + tsfacts::kDownloadLog, Timestamp() + ", Success, request for " + t.symbol +
                                                             " (" + std::to_string(bars.size()) +
                                                             " bars).\r\n");
}

// The cache file of the track that is loading keeps changing.
void Chart::WriteCacheFiles() {
  App& app = App::Get();
  if (!app.IsBeforeVersion91() || loadTrack_ >= settings_.tracks.size()) return;
  const DataTrack& t = settings_.tracks[loadTrack_];
  std::string path = CachePath(t.symbol, t.interval);
  MakeFolders(path.substr(0, path.rfind('/')));
  char line[128];
  std::snprintf(line, sizeof line, "%s %s loading since %lu, now %lu\r\n", t.symbol.c_str(),
                t.interval.Text().c_str(), static_cast<unsigned long>(loadStart_),
                static_cast<unsigned long>(GetTickCount()));
  WriteWholeFile(path, line);
}

// The data tracks load one after the other, sharing the load time; each one is logged as it starts and
// as it ends.
void Chart::LoadTick() {
  App& app = App::Get();
  if (!loading_) {
    KillTimer(view_, kLoadTimer);
    return;
  }
  WriteCacheFiles();
  DWORD elapsed = GetTickCount() - loadStart_;
  if (PopupHoldsChartLoading()) {
    // The load stands still while the box is open: the time spent so far is kept, not counted on.
    if (!held_) app.Log("chart loading held by a modal pop-up");
    if (!held_) heldElapsed_ = elapsed;
    held_ = true;
    loadStart_ = GetTickCount() - heldElapsed_;
    return;
  }
  held_ = false;
  if (app.options.Flag("NeverLoad")) return;
  const DWORD total = static_cast<DWORD>(std::max(1, app.options.Ms("ChartLoadMs", 2500, 60)));
  const size_t tracks = settings_.tracks.size();
  while (loading_ && loadTrack_ < tracks && elapsed >= total * (loadTrack_ + 1) / tracks) {
    LogDownloadDone(loadTrack_);
    ++loadTrack_;
    if (loadTrack_ < tracks) {
      LogDownloadStart(loadTrack_);
      WriteCacheFiles();
    }
  }
  if (loadTrack_ >= tracks) FinishLoad();
}

void Chart::FinishLoad() {
  App& app = App::Get();
  KillTimer(view_, kLoadTimer);
  const DataTrack& data1 = settings_.tracks.front();
  bars_ = BuildBars(data1.symbol, data1.interval, settings_.range);
  loading_ = false;
  loaded_ = true;
  app.Log("chart loaded: %s (%zu bars)", Title().c_str(), bars_.size());
  if (view_) InvalidateRect(view_, nullptr, TRUE);
  app.FaultPoint("ChartLoaded");
}

// ---- Windows -----------------------------------------------------------------------------------

LRESULT CALLBACK Chart::FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  try {
    Chart* self = FromWindow(hwnd);
    switch (msg) {
      case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        auto* mcs = reinterpret_cast<MDICREATESTRUCTA*>(cs->lpCreateParams);
        self = reinterpret_cast<Chart*>(mcs->lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->frame_ = hwnd;
        RECT rc;
        GetClientRect(hwnd, &rc);
        self->view_ =
            CreateWindowExA(0, tsfacts::kChartViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                            rc.right, rc.bottom, hwnd, nullptr, App::Get().instance, self);
        break;
      }
      case WM_SIZE: {
        if (self && self->view_) MoveWindow(self->view_, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        if (self && (wp == SIZE_MAXIMIZED || wp == SIZE_RESTORED)) {
          // Only a maximised chart window lacks the system-menu style.
          LONG style = GetWindowLongA(hwnd, GWL_STYLE);
          LONG want = wp == SIZE_MAXIMIZED ? (style & ~WS_SYSMENU) : (style | WS_SYSMENU);
          if (want != style) SetWindowLongA(hwnd, GWL_STYLE, want);
        }
        PostMessageA(App::Get().main, kUpdateTitleMessage, 0, 0);
        break;
      }
      case WM_MDIACTIVATE:
        PostMessageA(App::Get().main, kUpdateTitleMessage, 0, 0);
        break;
      case WM_CLOSE:
        // Charts close with their workspace.
        return 0;
      default:
        break;
    }
  } catch (...) {
    App::Get().Log("exception in chart window");
  }
  return DefMDIChildProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Chart::ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  Chart* self = FromWindow(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
  try {
    return self->HandleView(hwnd, msg, wp, lp);
  } catch (const std::exception& e) {
    App::Get().Log("exception in chart view: %s", e.what());
  } catch (...) {
    App::Get().Log("exception in chart view");
  }
  return 0;
}

LRESULT Chart::HandleView(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
      if (wp == kLoadTimer) LoadTick();
      return 0;
    case WM_COMMAND:
      App::Get().Log("chart view command %d", LOWORD(wp));
      RunChartCommand(LOWORD(wp), *this);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1L, rc.right), std::max(1L, rc.bottom));
      HGDIOBJ old = SelectObject(mem, bmp);
      Paint(mem, rc);
      BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteObject(bmp);
      DeleteDC(mem);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

// While loading the view is one plain colour; once loaded: grid, candles, an average, a volume pane
// in graded colours and labels (many colours).
namespace {

// Draws text at (x, y) in `colour`.
void PaintText(HDC dc, int x, int y, COLORREF colour, const std::string& text) {
  SetTextColor(dc, colour);
  TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

std::string BarDate(const Bar& b) {
  return std::to_string(b.date / 100 % 100) + "/" + std::to_string(b.date % 100) + "/" +
         std::to_string(b.date / 10000);
}

// A loaded chart whose range holds no bars: its axes, grid and header are drawn all the same.
void PaintEmptyRange(HDC dc, const RECT& rc, const ChartSettings& settings, int axisWidth, int timeAxis,
                     int header) {
  const int right = std::max(10, static_cast<int>(rc.right) - axisWidth);
  const int bottom = std::max(header + 10, static_cast<int>(rc.bottom) - timeAxis);
  HPEN grid = CreatePen(PS_DOT, 1, RGB(70, 70, 70));
  HPEN axis = CreatePen(PS_SOLID, 1, RGB(160, 160, 160));
  HGDIOBJ oldPen = SelectObject(dc, grid);
  for (int k = 0; k <= 5; ++k) {
    int yy = header + (bottom - header) * k / 5;
    MoveToEx(dc, 0, yy, nullptr);
    LineTo(dc, right, yy);
  }
  SelectObject(dc, axis);
  MoveToEx(dc, right, header, nullptr);
  LineTo(dc, right, bottom);
  LineTo(dc, 0, bottom);
  SelectObject(dc, oldPen);
  DeleteObject(grid);
  DeleteObject(axis);
  const DataTrack& t = settings.tracks.front();
  PaintText(dc, 4, 2, RGB(255, 255, 255),
            t.symbol + " - " + t.interval.Text() + "   " + LookupSymbol(t.symbol).exchange +
                "   no bars in the date range");
  PaintText(dc, 4, bottom + 2, RGB(160, 160, 255), settings.range.LastOrToday().Text());
}

// Horizontal grid lines with their prices on the right axis.
void PaintPriceGrid(HDC dc, const ChartPlot& plot, int width) {
  HPEN grid = CreatePen(PS_DOT, 1, RGB(70, 70, 70));
  HGDIOBJ oldPen = SelectObject(dc, grid);
  for (int k = 0; k <= 5; ++k) {
    double p = plot.low + (plot.high - plot.low) * k / 5;
    int yy = plot.Y(p);
    MoveToEx(dc, 0, yy, nullptr);
    LineTo(dc, width, yy);
    char label[32];
    std::snprintf(label, sizeof label, "%.2f", p);
    PaintText(dc, width + 4, yy - 7, RGB(200, 200, 200), label);
  }
  SelectObject(dc, oldPen);
  DeleteObject(grid);
}

// Candles in green and red, and each bar's volume as a graded blue column between the two bottoms.
void PaintBars(HDC dc, const std::vector<Bar>& bars, const ChartPlot& plot, int volumeTop, int volumeBottom) {
  double maxVolume = 1;
  for (size_t i = plot.firstBar; i < bars.size(); ++i) maxVolume = std::max(maxVolume, bars[i].volume);
  HPEN up = CreatePen(PS_SOLID, 1, RGB(0, 210, 0));
  HPEN down = CreatePen(PS_SOLID, 1, RGB(230, 30, 30));
  HBRUSH upBrush = CreateSolidBrush(RGB(0, 210, 0));
  HBRUSH downBrush = CreateSolidBrush(RGB(230, 30, 30));
  HGDIOBJ oldPen = SelectObject(dc, up);
  for (size_t i = plot.firstBar; i < bars.size(); ++i) {
    const Bar& b = bars[i];
    int x = plot.X(i);
    bool rising = b.close >= b.open;
    SelectObject(dc, rising ? up : down);
    MoveToEx(dc, x, plot.Y(b.high), nullptr);
    LineTo(dc, x, plot.Y(b.low));
    RECT body{x - 2, plot.Y(std::max(b.open, b.close)), x + 3, plot.Y(std::min(b.open, b.close)) + 1};
    FillRect(dc, &body, rising ? upBrush : downBrush);
    int level = static_cast<int>(b.volume / maxVolume * 255);
    HBRUSH vb = CreateSolidBrush(RGB(40, 80 + level / 3, 110 + level * 145 / 255));
    RECT vr{x - 2, volumeBottom - static_cast<int>(b.volume / maxVolume * (volumeBottom - volumeTop)), x + 3,
            volumeBottom};
    FillRect(dc, &vr, vb);
    DeleteObject(vb);
  }
  SelectObject(dc, oldPen);
  DeleteObject(up);
  DeleteObject(down);
  DeleteObject(upBrush);
  DeleteObject(downBrush);
}

// A 10-bar average of the closes.
void PaintAverage(HDC dc, const std::vector<Bar>& bars, const ChartPlot& plot) {
  HPEN avg = CreatePen(PS_SOLID, 1, RGB(255, 215, 0));
  HGDIOBJ oldPen = SelectObject(dc, avg);
  const size_t first = plot.firstBar;
  double sum = 0;
  for (size_t i = first; i < bars.size(); ++i) {
    sum += bars[i].close;
    if (i >= first + 10) sum -= bars[i - 10].close;
    if (i < first + 9) continue;
    int yy = plot.Y(sum / 10);
    if (i == first + 9)
      MoveToEx(dc, plot.X(i), yy, nullptr);
    else
      LineTo(dc, plot.X(i), yy);
  }
  SelectObject(dc, oldPen);
  DeleteObject(avg);
}

// The header line (symbol, interval, exchange, last bar) and the first and last dates shown.
void PaintCaptions(HDC dc, const ChartSettings& settings, const std::vector<Bar>& bars, const ChartPlot& plot,
                   int width, int volumeBottom) {
  const Bar& lastBar = bars.back();
  const DataTrack& t = settings.tracks.front();
  char text[256];
  std::snprintf(text, sizeof text, "%s - %s   %s   O=%.2f H=%.2f L=%.2f C=%.2f   %zu bars", t.symbol.c_str(),
                t.interval.Text().c_str(), LookupSymbol(t.symbol).exchange.c_str(), lastBar.open,
                lastBar.high, lastBar.low, lastBar.close, bars.size());
  PaintText(dc, 4, 2, RGB(255, 255, 255), text);
  PaintText(dc, 4, volumeBottom + 2, RGB(160, 160, 255), BarDate(bars[plot.firstBar]));
  std::string last = BarDate(lastBar);
  SIZE sz;
  GetTextExtentPoint32A(dc, last.c_str(), static_cast<int>(last.size()), &sz);
  PaintText(dc, width - sz.cx - 2, volumeBottom + 2, RGB(160, 160, 255), last);
}

}  // namespace

void Chart::Paint(HDC dc, const RECT& rc) {
  HBRUSH back = CreateSolidBrush(kBackground);
  FillRect(dc, &rc, back);
  DeleteObject(back);
  // Not loaded yet, or recalculating after an optimisation: the view is one colour.
  if (!loaded_ || Recalculating()) return;
  const int axisWidth = 64, timeAxis = 18, header = 18;
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  if (bars_.empty()) {
    PaintEmptyRange(dc, rc, settings_, axisWidth, timeAxis, header);
    SelectObject(dc, oldFont);
    return;
  }
  const int width = std::max(10, static_cast<int>(rc.right) - axisWidth);
  const int priceTop = header, priceBottom = static_cast<int>(rc.bottom) - timeAxis - (rc.bottom / 5);
  const int volumeTop = priceBottom + 6, volumeBottom = static_cast<int>(rc.bottom) - timeAxis;
  const int barStep = 7;
  const size_t shown = std::min(bars_.size(), static_cast<size_t>(std::max(1, width / barStep)));
  const size_t first = bars_.size() - shown;
  double lo = 1e300, hi = -1e300;
  for (size_t i = first; i < bars_.size(); ++i) {
    lo = std::min(lo, bars_[i].low);
    hi = std::max(hi, bars_[i].high);
  }
  if (hi <= lo) hi = lo + 1;
  const ChartPlot plot{first, barStep, lo, hi, priceTop, priceBottom};
  PaintPriceGrid(dc, plot, width);
  PaintBars(dc, bars_, plot, volumeTop, volumeBottom);
  PaintAverage(dc, bars_, plot);
  if (Overlay()) Overlay()(*this, dc, plot);
  PaintCaptions(dc, settings_, bars_, plot, width, volumeBottom);
  SelectObject(dc, oldFont);
}

bool Chart::Recalculating() const {
  return recalculateUntil_ != 0 && static_cast<LONG>(GetTickCount() - recalculateUntil_) < 0;
}

void Chart::ShowRecalculating(int ms) {
  App& app = App::Get();
  recalculateUntil_ = GetTickCount() + static_cast<DWORD>(std::max(1, ms));
  app.Log("chart recalculating for %d ms", ms);
  if (view_) InvalidateRect(view_, nullptr, TRUE);
  const Chart* self = this;
  app.After(ms, [self] {
    App& app = App::Get();
    if (!app.IsOpenChart(self)) return;
    Chart* chart = const_cast<Chart*>(self);
    chart->recalculateUntil_ = 0;
    app.Log("chart recalculated");
    if (chart->view_) InvalidateRect(chart->view_, nullptr, TRUE);
  });
}

}  // namespace orchart
