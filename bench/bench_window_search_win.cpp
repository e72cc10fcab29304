// The driver's window searches under Wine with the stand-in TradeStation showing a workspace and a few
// hundred other windows on the display: one class-and-title search and a stray pop-up sweep with nothing to
// close, each as milliseconds and as a ratio to one literal scan of the handle values 0..65535 in the same
// run. Usage: bench_window_search [ORCHART.EXE]; by default the stand-in built beside this program.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "foundation/Settings.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

namespace {

constexpr int kOtherWindows = 300;

double MsOf(const std::function<void()>& work, int rounds) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) work();
  std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / rounds;
}

// The search the driver's operations are described with: every handle value, its class name.
int LiteralScan(const char* wantedClass) {
  int answers = 0;
  HWND first = nullptr;
  for (uintptr_t v = 0; v < 65536; ++v) {
    char name[1000] = "";
    HWND h = reinterpret_cast<HWND>(v);
    if (GetClassNameA(h, name, sizeof name) < 2) continue;
    ++answers;
    if (!first && _stricmp(name, wantedClass) == 0) first = h;
  }
  return answers;
}

// A few hundred top-level windows of another kind, on a thread of their own that answers their messages.
void ShowOtherWindows(HANDLE ready) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "BenchOtherWindow";
  RegisterClassA(&wc);
  for (int i = 0; i < kOtherWindows; ++i) {
    char title[64];
    std::snprintf(title, sizeof title, "Other window %d", i);
    HWND w = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPED | WS_VISIBLE, 10 + i % 50, 10 + i % 40,
                             200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    CreateWindowExA(0, "STATIC", "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, w, nullptr, wc.hInstance,
                    nullptr);
  }
  SetEvent(ready);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

std::string DefaultStandIn() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir = dir.substr(0, dir.find_last_of("\\/"));
  return dir + "\\..\\tools\\orchart\\orchart.exe";
}

PROCESS_INFORMATION StartStandIn(const std::string& exe, const std::string& folder) {
  std::string command = "\"" + exe + "\" --fast \"--Folder=" + folder + "\" \"--Workspace=Tavrin Sample\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string buffer = command;
  CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  return pi;
}

}  // namespace

int main(int argc, char** argv) {
  std::string exe = argc > 1 ? argv[1] : DefaultStandIn();
  std::string scratch = (std::filesystem::temp_directory_path() / "tavrin-bench-window-search").string();
  std::filesystem::create_directories(scratch);
  Settings::OverrideAppFolder(scratch.c_str());
  Settings::WriteString("Tavrin", "NoColorCheck", "1");
  PROCESS_INFORMATION ts = StartStandIn(exe, scratch + "\\TradeStation 9.5");
  if (!ts.hProcess) {
    std::printf("cannot start the stand-in %s\n", exe.c_str());
    return 1;
  }
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread others(ShowOtherWindows, ready);
  others.detach();
  WaitForSingleObject(ready, 60000);

  TsDriver driver;
  CTxt title;
  bool up = tsdriver::WaitUntil(
      [&] { return driver.FindMainWindow(title) && FindChartWindow(title, 0) != nullptr; }, 30000, 100,
      nullptr);
  if (!up) {
    std::printf("the stand-in did not show its chart\n");
    TerminateProcess(ts.hProcess, 1);
    return 1;
  }
  int windows = static_cast<int>(tsdriver::AllWindows().size());

  int answers = 0;
  double literal = MsOf([&] { answers = LiteralScan(tsfacts::kDialogClass); }, 1);
  // Once for the class cache, then measured.
  driver.FindTsDialog(tsfacts::kMoreWorkspacesTitle, nullptr, nullptr, 0);
  double dialogSearch =
      MsOf([&] { driver.FindTsDialog(tsfacts::kMoreWorkspacesTitle, nullptr, nullptr, 0); }, 50);
  double chartSearch = MsOf([&] { FindChartWindow(title, 0); }, 50);
  driver.CloseTsPopups(0);
  double sweep = MsOf([&] { driver.CloseTsPopups(0); }, 20);

  std::printf("windows on the display: %d (literal scan: %d answers, each window at two handle values)\n",
              windows, answers);
  std::printf("literal scan 0..65535:                      %9.1f ms\n", literal);
  std::printf(
      "dialog search (class and title, no match):  %9.3f ms  = 1/%.0f of the literal scan (goal 5 ms)\n",
      dialogSearch, literal / dialogSearch);
  std::printf("chart window search (two classes, title):   %9.3f ms  = 1/%.0f of the literal scan\n",
              chartSearch, literal / chartSearch);
  std::printf(
      "CloseTsPopups(0), nothing to close:         %9.3f ms  = 1/%.0f of the literal scan (goal 100 ms)\n",
      sweep, literal / sweep);
  TerminateProcess(ts.hProcess, 0);
  WaitForSingleObject(ts.hProcess, 5000);
  return 0;
}
