// Tavrin's own window as the driver finds it around chart pictures: the main window's title ends in the
// application title; message boxes with the bare title, and windows that merely contain it, are left alone;
// minimised and restored without waiting for the thread that holds the window.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "DriverTestSupport.h"

using drivertest::DriverTest;

namespace {

struct WindowSpec {
  std::string title;
  bool sequenceList;  // a combo box inside, as the main window's sequence list
};

// Top-level dialogs on a thread of their own with its message loop, as Tavrin's interface thread holds
// its windows while the driver works on the worker thread.
class OwnWindows {
 public:
  explicit OwnWindows(const std::vector<WindowSpec>& specs) {
    thread_ = std::thread([this, specs] {
      for (const WindowSpec& spec : specs) {
        HWND w = CreateWindowExA(0, "#32770", spec.title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 200,
                                 320, 240, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (w && spec.sequenceList)
          CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 200, 120, w,
                          reinterpret_cast<HMENU>(1001), GetModuleHandleA(nullptr), nullptr);
        windows_.push_back(w);
      }
      threadId_ = GetCurrentThreadId();
      ready_ = true;
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      for (HWND w : windows_) DestroyWindow(w);
    });
    standin::WaitFor([this] { return ready_.load(); }, 5000);
  }
  ~OwnWindows() {
    if (ready_) PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND operator[](size_t i) const { return i < windows_.size() ? windows_[i] : nullptr; }

 private:
  std::thread thread_;
  std::atomic<bool> ready_{false};
  DWORD threadId_ = 0;
  std::vector<HWND> windows_;
};

constexpr char kMainTitle[] = "(1.5b Jan 11 2017 17:26:19) Tavrinex (Tavrin)";

// Minimises `marker` the way the driver does and waits for it: everything the driver asked of the
// windows' thread before has then been done.
bool Flushed(HWND marker, int show) {
  ShowWindowAsync(marker, show);
  return standin::WaitFor([&] { return (IsIconic(marker) != 0) == (show == SW_MINIMIZE); }, 5000);
}

class DriverProgramWindow : public DriverTest {};

TEST_F(DriverProgramWindow, FoundByTheTitleEndingInTheApplicationTitle) {
  {
    OwnWindows own({{"Tavrinex (Tavrin)", false}, {"Tavrinex notes", true}, {kMainTitle, true}});
    EXPECT_EQ(FindProgramWindow(), own[2]);
  }
  {
    // A message box of the program carries the bare title and no combo box; neither it nor a window that
    // only contains the title counts.
    OwnWindows own({{"Tavrinex (Tavrin)", false}, {"Tavrinex (Tavrin) - Symbols", true}});
    EXPECT_EQ(FindProgramWindow(), nullptr);
  }
  {
    // The main window before it is retitled.
    OwnWindows own({{"tavrinex (tavrin)", true}});
    EXPECT_EQ(FindProgramWindow(), own[0]);
  }
}

TEST_F(DriverProgramWindow, MinimisedOnlyWhenTavrinMinimizeSaysSo) {
  OwnWindows own({{kMainTitle, true}, {"Tavrinex (Tavrin)", false}, {"Tavrinex notes", false}});
  HWND main = own[0], box = own[1], marker = own[2];
  Set("TavrinMinimize", "0");
  MinimizeProgramWindows();
  ASSERT_TRUE(Flushed(marker, SW_MINIMIZE));
  EXPECT_FALSE(IsIconic(main));

  Set("TavrinMinimize", "1");
  MinimizeProgramWindows();
  EXPECT_TRUE(standin::WaitFor([&] { return IsIconic(main) != 0; }, 5000));
  ASSERT_TRUE(Flushed(marker, SW_RESTORE));
  EXPECT_FALSE(IsIconic(box)) << "the message box stays";
}

TEST_F(DriverProgramWindow, RestoredToTheStoredPositionWhenShowMgrSaysSo) {
  OwnWindows own({{kMainTitle, true}, {"Tavrinex notes", false}});
  HWND main = own[0], marker = own[1];
  Settings::WriteString("SYS", "MainWindowPos", "40,320,60,240");
  ShowWindowAsync(main, SW_MINIMIZE);
  ASSERT_TRUE(standin::WaitFor([&] { return IsIconic(main) != 0; }, 5000));

  Set("ShowMgr", "0");
  RestoreProgramWindow();
  ASSERT_TRUE(Flushed(marker, SW_MINIMIZE));
  EXPECT_TRUE(IsIconic(main)) << "ShowMgr 0 leaves the window minimised";

  Set("ShowMgr", "1");
  RestoreProgramWindow();
  RECT r{};
  EXPECT_TRUE(standin::WaitFor(
      [&] { return !IsIconic(main) && GetWindowRect(main, &r) && r.left == 40 && r.top == 60; }, 5000))
      << r.left << "," << r.top;
  EXPECT_EQ(r.right - r.left, 320) << "the size is kept";
}

}  // namespace
