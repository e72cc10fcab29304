// Strategy, optimisation and report window helpers for the stand-in tests.
#include "StandInStrategyHarness.h"

// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include "TestSupport.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

// TradeStation's texts and numbers are written out here on purpose, as in StandInHarness.cpp.
namespace standin {
namespace {

// Posted messages reach the stand-in's one thread in order: no pause is needed between them.
void PostKey(HWND hwnd, UINT key) {
  PostMessageA(hwnd, WM_KEYDOWN, key, 1);
  PostMessageA(hwnd, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

HWND PageTitled(HWND dialog, const std::string& title) {
  for (HWND h = GetWindow(dialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
    std::string cls = ClassOf(h);
    if ((cls == "#32770" || cls.rfind("TS_IDD_", 0) == 0) && TextOf(h) == title) return h;
  }
  return nullptr;
}

long long FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(Backslashed(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

std::string Backslashed(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

StrategiesDialog OpenStrategies(const StandIn& ts) {
  StrategiesDialog s;
  HWND view = FirstChartView(ts);
  if (!view) return s;
  PostCommand(view, 17852);
  s.dialog = WaitTop(ts.Pid(), "#32770", "Format Analysis Techniques & Strategies");
  if (!s.dialog) return s;
  s.page = PageTitled(s.dialog, "Strategies");
  if (!s.page) return s;
  s.list = GetDlgItem(s.page, 7080);
  if (!s.list) s.list = GetDlgItem(s.dialog, 12320);
  std::vector<HWND> subPages = ChildrenOfClass(s.page, "#32770");
  if (!subPages.empty()) s.method = subPages[0];
  return s;
}

InputsDialog OpenInputs(const StandIn& ts, const StrategiesDialog& strategies) {
  InputsDialog in;
  PostClick(strategies.page, 6635);
  in.dialog = WaitTop(ts.Pid(), "#32770", "Format Strategy:");
  if (!in.dialog) return in;
  WaitFor([&] { return (in.page = PageTitled(in.dialog, "Inputs")) != nullptr; }, 2000);
  if (!in.page) return in;
  in.list = GetDlgItem(in.page, 8311);
  if (!in.list) in.list = GetDlgItem(in.page, 6608);
  return in;
}

std::vector<std::string> ListRows(HWND list, int columns) {
  CTxtArray rows;
  CTxt msg;
  rows.LoadFromLC(list, msg, columns);
  std::vector<std::string> out;
  for (int i = 0; i < rows.GetSize(); ++i) out.push_back(rows.GetAtTxt(i) ? rows.GetAtTxt(i) : "");
  return out;
}

void SelectRowByKeys(HWND list, int row) {
  PostKey(list, VK_HOME);
  for (int i = 0; i < row; ++i) PostKey(list, VK_DOWN);
  WaitFor([&] { return SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == row; },
          2000);
}

bool TypeInPlace(HWND list, const std::string& text) {
  PostKey(list, VK_F2);
  HWND edit = nullptr;
  if (!WaitFor([&] { return (edit = FindWindowExA(list, nullptr, "Edit", nullptr)) != nullptr; }, 2000))
    return false;
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  PostKey(edit, VK_RETURN);
  return WaitGone(edit, 2000);
}

HWND OptimizeSelectedRow(const StandIn& ts, const InputsDialog& inputs, const std::string& start,
                         const std::string& stop, const std::string& increment) {
  PostClick(inputs.page, 8330);
  HWND range = WaitOwned(ts.Pid(), inputs.dialog, "Optimize");
  if (!range) return nullptr;
  SendMessageA(GetDlgItem(range, 8280), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(start.c_str()));
  SendMessageA(GetDlgItem(range, 8281), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(stop.c_str()));
  SendMessageA(GetDlgItem(range, 8282), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(increment.c_str()));
  PostClick(range, IDOK);
  // Taken (the dialog closes) or refused (a "Chart Analysis" box over it).
  WaitFor([&] { return !IsWindow(range) || WaitOwned(ts.Pid(), range, "Chart Analysis", 0) != nullptr; },
          2000);
  return range;
}

void ConfirmStrategies(const InputsDialog& inputs, const StrategiesDialog& strategies,
                       const std::string& method) {
  SendMessageA(inputs.dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(inputs.dialog, IDOK)));
  WaitGone(inputs.dialog, 2000);
  if (strategies.method) {
    SendMessageA(GetDlgItem(strategies.method, 7539), BM_SETCHECK, BST_UNCHECKED, 0);
    HWND combo = GetDlgItem(strategies.method, 6673);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(method.c_str()));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index < 0 ? 0 : index), 0);
  }
  SendMessageA(strategies.dialog, WM_COMMAND, IDOK,
               reinterpret_cast<LPARAM>(GetDlgItem(strategies.dialog, IDOK)));
  WaitGone(strategies.dialog, 2000);
}

HWND FindAbortButton(const StandIn& ts) {
  for (HWND h : Descendants(ts.Main()))
    if (ClassOf(h) == "Button" && TextOf(h) == "Abort") return h;
  for (HWND top : TopWindows(ts.Pid())) {
    if (GetParent(top) != ts.Main()) continue;
    for (HWND h : Descendants(top))
      if (ClassOf(h) == "Button" && TextOf(h) == "Abort") return h;
  }
  return nullptr;
}

bool WaitOptimization(const StandIn& ts, int ms) {
  WaitFor([&] { return FindAbortButton(ts) != nullptr; }, 1000);
  return WaitFor([&] { return FindAbortButton(ts) == nullptr; }, ms);
}

HWND ShowPerformanceReport(const StandIn& ts) {
  HWND view = FirstChartView(ts);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(view, WM_COMMAND, 17542, 0, SMTO_ABORTIFHUNG, 5000, &result);
  HWND report = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopWindows(ts.Pid()))
          if (IsWindowVisible(h) && ClassOf(h).rfind("Afx:", 0) == 0 &&
              TextOf(h).find("Strategy Performance Report") != std::string::npos)
            return (report = h) != nullptr;
        return false;
      },
      3000);
  return report;
}

HWND ShowOptimizationReport(const StandIn& ts, int ms) {
  HWND view = FirstChartView(ts);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(view, WM_COMMAND, 17545, 0, SMTO_ABORTIFHUNG, 5000, &result);
  HWND report = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopWindows(ts.Pid()))
          if (IsWindowVisible(h) && ClassOf(h).rfind("Afx:", 0) == 0 &&
              TextOf(h).find("Strategy Optimization Report") != std::string::npos)
            return (report = h) != nullptr;
        return false;
      },
      ms);
  return report;
}

HWND FileNameControl(HWND dialog) {
  HWND h = GetDlgItem(dialog, 1152);
  return h ? h : GetDlgItem(dialog, 1148);
}

HWND WaitFileDialog(DWORD pid, int ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND h : TopWindows(pid))
          if (IsWindowVisible(h) && ClassOf(h) == "#32770" && GetDlgItem(h, 1136) && FileNameControl(h) &&
              GetDlgItem(h, IDOK) && GetDlgItem(h, IDCANCEL))
            return (found = h) != nullptr;
        return false;
      },
      ms);
  return found;
}

bool SaveReport(const StandIn& ts, HWND report, char type, const std::string& path) {
  PostCommand(report, type == 'C' ? 7025 : 7002);
  HWND dialog = WaitFileDialog(ts.Pid());
  if (!dialog) return false;
  // The type is chosen by keys, as a user does, so the combo announces it (a selection set from outside
  // alone goes unseen where the combo's notifications decide).
  HWND fileType = GetDlgItem(dialog, 1136);
  int index = type == 'M' ? 0 : 1;
  for (int tries = 0; tries < 4; ++tries) {
    LRESULT current = SendMessageA(fileType, CB_GETCURSEL, 0, 0);
    if (current == index) break;
    WPARAM key = current < index ? VK_DOWN : VK_UP;
    SendMessageA(fileType, WM_KEYDOWN, key, 0);
    SendMessageA(fileType, WM_KEYUP, key, 0);
  }
  if (SendMessageA(fileType, CB_GETCURSEL, 0, 0) != index) return false;
  if (type == 'C') {
    for (HWND h : Descendants(dialog)) {
      if (ClassOf(h) != "Button") continue;
      if (GetDlgCtrlID(h) == 7647 && TextOf(h) == "Spreadsheet") SendMessageA(h, BM_SETCHECK, BST_CHECKED, 0);
      if (GetDlgCtrlID(h) == 7646 && TextOf(h) == "Report") SendMessageA(h, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  std::string name = Backslashed(path);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  if (!WaitGone(dialog)) return false;
  // Complete once the size is above 0 and has held still for 200 ms.
  long long last = -1;
  DWORD changed = GetTickCount();
  return WaitFor(
      [&] {
        long long size = FileSize(path);
        if (size != last) {
          last = size;
          changed = GetTickCount();
        }
        return size > 0 && GetTickCount() - changed >= 200;
      },
      10000);
}

}  // namespace standin
