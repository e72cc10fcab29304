// The signals that a chart has loaded its data: the colours of its picture, TradeStation's download log and
// the symbol's cache file; the chart picture files; the futures roots' tick volumes; and taking over a
// symbol list that TradeStation shows.
#include "tsdriver/ChartLoad.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_set>
#include <vector>

#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";
constexpr int kMaxCountedColours = 1000;

// A picture of part of the screen as 32-bit pixels, top row first.
struct Picture {
  int width = 0, height = 0;
  std::vector<DWORD> pixels;
};

bool CapturePicture(const RECT& r, Picture& out, CTxt& err) {
  out.width = r.right - r.left;
  out.height = r.bottom - r.top;
  if (out.width <= 0 || out.height <= 0) {
    err.Format("Invalid Pixel Count (%d/%d)", out.width, out.height);
    return false;
  }
  size_t count = static_cast<size_t>(out.width) * static_cast<size_t>(out.height);
  try {
    out.pixels.assign(count, 0);
  } catch (const std::bad_alloc&) {
    err.Format("Unable to Allocate Bitmap Memory (%d Bytes)", static_cast<int>(count * 4));
    out.pixels.clear();
    return false;
  }
  HDC screen = GetDC(nullptr);
  HDC memory = screen ? CreateCompatibleDC(screen) : nullptr;
  HBITMAP bitmap = screen ? CreateCompatibleBitmap(screen, out.width, out.height) : nullptr;
  bool ok = false;
  if (memory && bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, out.width, out.height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(out.height), out.pixels.data(), &info,
                   DIB_RGB_COLORS) != 0;
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  if (screen) ReleaseDC(nullptr, screen);
  if (!ok) err = "Unable to read the chart picture";
  return ok;
}

// Writes the picture as a 32-bit bitmap file, atomically.
int WritePicture(const Picture& picture, const char* path, CTxt& reason) {
  CreateFolderPath(path, 1);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = picture.width;
  info.biHeight = -picture.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  DWORD bytes = static_cast<DWORD>(picture.pixels.size() * sizeof(DWORD));
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + bytes;
  std::string data(reinterpret_cast<const char*>(&file), sizeof file);
  data.append(reinterpret_cast<const char*>(&info), sizeof info);
  data.append(reinterpret_cast<const char*>(picture.pixels.data()), bytes);
  return WriteFileAtomically(path, data.data(), data.size(), reason);
}

// An optional non-negative number setting ("" when unset).
int OptionalSetting(const char* key) {
  CTxt text;
  Settings::GetString("Tavrin", key, "", text);
  text.Trim(' ');
  if (text.IsEmpty() || !std::isdigit(static_cast<unsigned char>(text.GetData()[0]))) return 0;
  return std::atoi(text);
}

int CountColours(const Picture& picture, int limit) {
  int cap = limit > 0 && limit < kMaxCountedColours ? limit : kMaxCountedColours;
  // Rows from the top and columns from the left that are left out (axes and title of the chart).
  int skipRows = OptionalSetting("ChartOffsetY"), skipColumns = OptionalSetting("ChartOffsetX");
  std::unordered_set<DWORD> colours;
  for (int y = skipRows; y < picture.height; ++y)
    for (int x = skipColumns; x < picture.width; ++x) {
      colours.insert(picture.pixels[static_cast<size_t>(y) * picture.width + x] & 0xFFFFFFu);
      if (static_cast<int>(colours.size()) >= cap) return cap;
    }
  return static_cast<int>(colours.size());
}

// The text after "request for", blanks skipped, up to any of `ends`, trimmed of blanks and a final '.'.
std::string SymbolAfterRequest(const std::string& line, const char* ends) {
  size_t at = line.find(tsfacts::kDownloadRequestMarker);
  if (at == std::string::npos) return "";
  at += std::strlen(tsfacts::kDownloadRequestMarker);
  while (at < line.size() && line[at] == ' ') ++at;
  size_t end = line.find_first_of(ends, at);
  std::string symbol = TrimBlanks(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
  while (!symbol.empty() && symbol.back() == '.') symbol.pop_back();
  return TrimBlanks(symbol);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

}  // namespace

CTxt DownloadLogSymbol(const char* line) {
  return SymbolAfterRequest(line ? line : "", ",").c_str();
}

// ---- The driver's default load waits
// ------------------------------------------------------------------------------------

int FullChartLoadWaits::CountChartColours(TsDriver& driver, HWND chart, CTxt& err, const char* pattern,
                                          int limit) {
  return driver.CountChartColours(chart, err, pattern, limit);
}

int FullChartLoadWaits::WaitForDownloadToComplete(TsDriver& driver, const char* symbol, CTxt& err, int flag) {
  return driver.WaitForDownloadToComplete(symbol, err, flag);
}

int FullChartLoadWaits::WaitForSymbolToLoad(TsDriver& driver, const char* symbol, int kind, CTxt& err,
                                            int seconds) {
  return driver.WaitForSymbolToLoad(symbol, kind, err, seconds);
}

int ChartLoadWaitSeconds() {
  int seconds = Setting("ChartWaitForLoad", 10);
  int floor = Setting("ChartLoadMinSec", 10);
  return seconds < floor ? floor : seconds;
}

// ---- Download log and cache file
// ---------------------------------------------------------------------------------

int TsDriver::WaitForDownloadToComplete(const char* symbol, CTxt& err, int flag) {
  (void)flag;
  if (m_baseFolder.IsEmpty()) {
    CTxt folder;
    if (GetTsBaseFolder(folder, 0, 1) < 0 || m_baseFolder.IsEmpty()) {
      err = folder;
      return -1;
    }
  }
  int version = GetTsVersion();
  if (version >= 91) return 0;
  CTxt path;
  path.Format("%s/%s", m_baseFolder.GetData(), tsfacts::kDownloadLog);
  // Ends on an abort and after FmtWaitLoadWaitSec at the latest (a log that never reports the download).
  int maxWaitSec = LoadWaitLimitSec();
  long long deadline = SteadyMs() + 1000LL * maxWaitSec;
  for (;;) {
    std::string content;
    CTxt reason;
    if (ReadWholeFile(path, content, reason) != FileReadResult::kRead) {
      err.Format("Cannot read %s (%s)", path.GetData(), reason.GetData());
      return -3;
    }
    std::vector<std::string> lines = SplitLines(content);
    bool reload = false;
    for (int i = static_cast<int>(lines.size()) - 1; i >= 0 && !reload; --i) {
      const std::string& line = lines[static_cast<size_t>(i)];
      if (line.find(tsfacts::kDownloadStartMarker) == std::string::npos ||
          line.find(tsfacts::kDownloadRequestMarker) == std::string::npos)
        continue;
      std::string found = SymbolAfterRequest(line, ",");
      if (!EqualNoCase(found.c_str(), symbol)) {
        err.Format("The newest download is for %s, not %s", found.c_str(), symbol);
        return 1;
      }
      LogTrace(kLog, 0, "WaitForDownloadToComplete: Line#%d, Sym=%s, Found: %s", i + 1, symbol, line.c_str());
      if (static_cast<size_t>(i) + 1 >= lines.size()) {
        reload = true;
        break;
      }
      const std::string& next = lines[static_cast<size_t>(i) + 1];
      if (next.find(tsfacts::kDownloadSuccessMarker) != std::string::npos &&
          EqualNoCase(SymbolAfterRequest(next, ",(").c_str(), symbol)) {
        LogTrace(kLog, 0, "WaitForDownloadToComplete: Line#%d, Sym=%s, Done: %s", i + 2, symbol,
                 next.c_str());
        return 2;
      }
    }
    if (SteadyMs() >= deadline) {
      err.Format("The download of %s did not finish within %d seconds", symbol, maxWaitSec);
      return -4;
    }
    if (!Wait(1000)) {
      err = kAbortedText;
      return -5;
    }
  }
}

int TsDriver::WaitForSymbolToLoad(const char* symbol, int kind, CTxt& err, int seconds) {
  if (!symbol || !symbol[0]) {
    err = "Symbol is missing";
    return -1;
  }
  if (kind == kBarInvalid) {
    err.Format("Interval is invalid (%d)", kind);
    return -2;
  }
  if (m_baseFolder.IsEmpty()) {
    CTxt folder;
    if (GetTsBaseFolder(folder, 0, 1) < 0 || m_baseFolder.IsEmpty()) {
      err = folder;
      return -3;
    }
  }
  bool quiet = Setting("NoColorCheck", 0) == 1;
  int version = GetTsVersion();
  if (version >= 91) {
    if (!quiet) LogTrace(kLog, 0, "WaitForSymbolToLoad: TS%d hidden cache(Wait=%d)", version, seconds);
    Wait(seconds * 1000);
    return seconds;
  }
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
  if (letter < 'A' || letter > 'Z') letter = '_';
  const char* ext = kind == kBarTick ? tsfacts::kCacheExtensionTicks
                    : kind == kBarDaily || kind == kBarWeekly || kind == kBarMonthly
                        ? tsfacts::kCacheExtensionDaily
                        : tsfacts::kCacheExtensionOther;
  CTxt path;
  path.Format("%s/%s/%c/%s.%s", m_baseFolder.GetData(), tsfacts::kCacheFolder, letter, symbol, ext);
  // A file that keeps changing ends the wait after FmtWaitLoadWaitSec; an abort ends it at once.
  long long start = SteadyMs();
  long long bound = 1000LL * LoadWaitLimitSec();
  int age = 0;
  for (;;) {
    int64_t modified = FileModTime(path);
    int elapsed = static_cast<int>((SteadyMs() - start) / 1000);
    if (modified >= 0) {
      age = static_cast<int>(static_cast<int64_t>(std::time(nullptr)) - modified);
      if (age > seconds) break;
    } else {
      age = elapsed;
      if (elapsed > seconds) break;
    }
    if (SteadyMs() - start >= bound || !Wait(1000)) break;
  }
  if (!quiet)
    LogTrace(kLog, 0, "WaitForSymbolToLoad: Loaded %s, AgeSec=%d(Min=%d), (%s)", symbol, age, seconds,
             path.GetData());
  if (Aborted()) err = kAbortedText;
  return age;
}

// ---- Chart picture
// ----------------------------------------------------------------------------------------------

int TsDriver::CountChartColours(HWND chart, CTxt& err, const char* pattern, int limit) {
  // The chart and its ancestors below the main window come to the top, so that nothing covers the picture.
  for (HWND w = chart; w && !SameLow16(w, m_mainWindow); w = ParentOf(w)) {
    if (FindNoCase(ClassNameOf(w).c_str(), "statusbar") >= 0) continue;
    SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetFocus(w);
    if (!Wait(500)) break;
    if (!m_mainWindow) break;
  }
  RECT r{};
  if (Setting("FullChartWindow", 0) == 1) {
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  } else {
    if (!GetWindowRect(chart, &r)) r = {0, 0, 0, 0};
    int margin = Setting("BottomMargin", 45);
    r = {r.left + margin, r.top + margin, r.right - margin, r.bottom - margin};
  }
  Picture picture;
  if (!CapturePicture(r, picture, err)) return picture.width <= 0 || picture.height <= 0 ? -2 : 0;
  int count = CountColours(picture, limit);
  if (Setting("SaveChartImage", 0) == 1) {
    CTxt base = pattern ? pattern : "";
    if (base.IsEmpty()) {
      CTxt desktop, workspace, symbol, interval;
      SplitTSMainTitle(m_mainTitle, desktop, workspace, symbol, interval);
      std::string sym = symbol.ToStd(), iv = interval.ToStd();
      std::replace(sym.begin(), sym.end(), ' ', '_');
      std::replace(iv.begin(), iv.end(), ' ', '_');
      base.Format("%s/ChartSave/CH_%s_%s_%%%%%%%%%%.bmp", m_baseFolder.GetData(), sym.c_str(), iv.c_str());
    }
    CTxt suffix, numbered, reason;
    suffix.Format("_Clr%04d", count);
    std::string withCount = base.ToStd();
    size_t dot = withCount.rfind('.');
    withCount.insert(dot == std::string::npos ? withCount.size() : dot, suffix.GetData());
    CreateFolderPath(withCount.c_str(), 1);
    if (numbered.GetNextFile(withCount.c_str()) >= 0) WritePicture(picture, numbered, reason);
  }
  return count;
}

int SaveChartPicture(TsDriver& driver, HWND chart, const char* file) {
  driver.Wait(4000);
  HWND parent = ParentOf(chart);
  RECT r{};
  if (!GetWindowRect(parent ? parent : chart, &r)) r = {0, 0, 0, 0};
  Picture picture;
  CTxt reason;
  if (!CapturePicture(r, picture, reason) || WritePicture(picture, file, reason) < 0) {
    LogTrace("TSLoad", 0, "Chart picture %s not saved (%s)", file, reason.GetData());
    return -1;
  }
  CTxt program, args;
  Settings::GetString("Tavrin", "ChartPictureConverter", "", program);
  Settings::GetString("Tavrin", "ChartPictureConverterArgs", "\"%in\" \"%out\"", args);
  program.Trim(' ');
  if (program.IsEmpty()) {
    LogTrace("TSLoad", 0, "Saved Chart to %s (%d Bytes, ret=%d)", file, static_cast<int>(FileSizeOf(file)),
             0);
    return 0;
  }
  CTxt converted = file;
  std::string out = converted.ToStd();
  size_t dot = out.rfind('.');
  out = (dot == std::string::npos ? out : out.substr(0, dot)) + ".png";
  std::string line = args.ToStd();
  for (const auto& [token, value] : {std::pair<std::string, std::string>{"%in", file}, {"%out", out}})
    for (size_t at; (at = line.find(token)) != std::string::npos;) line.replace(at, token.size(), value);
  CTxt command;
  command.Format("<!\"%s\" %s", program.GetData(), line.c_str());
  int result = LaunchProcess(command, 0, 60000);
  int64_t size = FileSizeOf(out.c_str());
  if (size < 100) {
    CTxt text;
    text.Format("Output Error %s (%d)", out.c_str(), static_cast<int>(size));
    LogTrace("TSLoad", 0, "%s", text.GetData());
  }
  LogTrace("TSLoad", 0, "Saved Chart to %s (%d Bytes, ret=%d)", out.c_str(), static_cast<int>(size), result);
  return result;
}

// ---- Symbol roots and symbol lists
// ------------------------------------------------------------------------------

int LoadSymbolRoots() {
  struct Root {
    const char* symbol;
    int volume;
  };
  static const Root kRoots[] = {
      {"@ES", 155000}, {"@ER2", 99500}, {"@YM", 68000}, {"@NQ", 85000}, {"@NK", 3400},  {"@EC", 40600},
      {"@E7", 1220},   {"@JY", 28800},  {"@J7", 60},    {"@BP", 23600}, {"@CD", 16100}, {"@SF", 11200},
      {"@AD", 17100},  {"@ED", 3500},   {"@TY", 23800}, {"@US", 12900}, {"@FV", 12200}, {"@CL", 64100},
      {"@QM", 8000},   {"@GC", 40000},  {"@YG", 3500},  {"@YI", 1270},
  };
  for (const Root& root : kRoots) Settings::WriteInt("TickDailyVolume", root.symbol, root.volume);
  return 0;
}

int TsDriver::ImportSymbolList(CTxtArray& symbols, CTxt& err, int removeFirst, const char* fileName) {
  symbols.RemoveAll();
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) {
    err = text;
    return -1;
  }
  HWND dialog = FindTsDialog(tsfacts::kInsertSymbolListTitle, m_mainWindow, nullptr, 1);
  // A dialog that TradeStation is still building (its list not yet filled) is shown once it is ready; two
  // seconds bound the wait.
  if (dialog && !IsWindowVisible(dialog))
    WaitUntil([dialog] { return !IsWindow(dialog) || IsWindowVisible(dialog); }, 2000, 25, &m_abortRequest);
  if (dialog && !IsWindowVisible(dialog)) dialog = nullptr;
  if (!dialog) {
    err =
        "To import a Symbol List:\r\na) Open Radarscreen\r\nb) Right click on Symbol Column and select "
        "\"Insert "
        "Symbol List\"\r\nc) Find your Symbol List and click on \"View Symbols\"\r\n(Example: TradeStation "
        "Symbol Lists/Index Components/S&P Indexes/SP100)\r\n\r\nRetry?";
    return -2;
  }
  HWND list = GetDlgItem(dialog, tsfacts::kSymbolListId);
  if (!list) {
    WindowQuery q;
    q.cls = {tsfacts::kDialogClass, TextRule::Exact};
    q.parent = dialog;
    HWND page = FindFirstWindow(q);
    if (page) list = GetDlgItem(page, tsfacts::kSymbolListPageId);
  }
  if (!list) {
    err.Format("Cannot find Symbol List Control (%p)", AsPtr(dialog));
    return -3;
  }
  CTxt msg;
  if (symbols.LoadFromLC(list, msg, 1) < 0) {
    err = msg;
    symbols.RemoveAll();
    return -4;
  }
  if (symbols.GetSize() < 2) {
    err.Format("No Symbols found (%p)", AsPtr(dialog));
    return -5;
  }
  CTxt path;
  if (fileName && fileName[0]) {
    path = fileName;
    if (removeFirst == 1) symbols.RemoveAt(0);
  } else {
    path = symbols.GetAtTxt(0);
    if (removeFirst == 1) symbols.RemoveAt(0);
  }
  symbols.Sort();
  std::string name = path.ToStd();
  if (!fileName || !fileName[0]) {
    name.erase(std::remove(name.begin(), name.end(), '|'), name.end());
    std::replace(name.begin(), name.end(), '.', '_');
    name += ".lst";
  } else {
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.erase(dot);
    name += ".lst";
  }
  CTxt saveMsg;
  if (symbols.SaveToFile(name.c_str(), saveMsg) < 0) {
    err = saveMsg;
    return -4;
  }
  err = name.c_str();
  return symbols.GetSize();
}
