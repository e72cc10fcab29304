// The start-up activities the main window launches when it opens (the first-run sample import, TradeStation
// brought to the front, the detection thread) and the window's stored position.
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/MainDialog.h"
#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"

namespace {

constexpr char kCategory[] = "Tavrin";
constexpr char kReadyText[] = "Select any of the Scripts and start the Backtesting Sequence ...";
constexpr int kImportAttempts = 3;
constexpr int kRemoveAttempts = 60;     // of a second each: the imported copy is given up after a minute
constexpr int kInitialisedPolls = 240;  // of 500 ms: the window has two minutes to finish its initialisation

// Copies the sample strategy file beside the program to a temporary place, has TradeStation import it (the
// file's registered program) and removes the copy again. Only logs.
void ImportSample(std::string programFolder) {
  std::string source = programFolder + "ZEL_SEQ.ELD";
  const char target[] = "C:/sZEL_SEQ.ELD";
  int copied = CopyFileTo(source.c_str(), target);
  LogTrace(kCategory, 0, "Importing %s (%s)", target, source.c_str());
  if (copied < 0) {
    LogTrace(kCategory, 0, "The sample file was not copied (%d): nothing imported", copied);
    return;
  }
  Sleep(2000);
  LaunchProcess(target, 0);
  Sleep(4000);
  for (int attempt = 0; attempt < kRemoveAttempts && IsFolder(target) == 0; ++attempt) {
    DeleteFileForced(target, 1);
    if (IsFolder(target) == 0) Sleep(1000);
  }
  if (IsFolder(target) == 0) {
    LogTrace(kCategory, 0, "Could not remove temp %s", target);
  } else {
    LogTrace(kCategory, 0, "Removed temp %s", target);
  }
  LogTrace(kCategory, 0, "%s", kReadyText);
}

}  // namespace

void MainDialog::CheckSampleImport() {
  if (!Settings::GetBool("Tavrin", "ImportAlert", true)) return;
  for (int attempt = 0; attempt < kImportAttempts; ++attempt) {
    CTxt text;
    if (m_driver.FindMainWindow(text)) {
      Settings::WriteBool("Tavrin", "ImportAlert", false);
      CTxt welcome;
      welcome.Format(
          "Welcome to the new %s\r\n\r\nIn a few seconds the Sample functions will be imported into "
          "Tradestation!\r\n(Start/Programs/Tavrinex (Tavrin)/Import Sample Logic into Tradestation)",
          m_app.Title());
      AppBox(Handle(), welcome, MB_OK | MB_ICONINFORMATION);
      std::thread(ImportSample, m_programFolder).detach();
      return;
    }
    AppBox(Handle(), text, MB_OK | MB_ICONINFORMATION);
    Sleep(2000);
  }
}

void MainDialog::BringTradeStationToFront() {
  CTxt text;
  HWND main = m_driver.FindMainWindow(text);
  if (!main) return;
  ShowWindow(main, SW_SHOWMAXIMIZED);
  Sleep(500);
  SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void MainDialog::StartDetection() {
  m_detection = std::thread([this] { Detect(); });
}

// On the detection thread: writes only the state and the texts the window picks up with the message.
void MainDialog::Detect() {
  for (int poll = 0; poll < kInitialisedPolls && m_state.load() < kStateInitialised; ++poll) {
    if (m_closing.load()) return;
    Sleep(500);
  }
  if (m_closing.load()) return;
  m_state = kStateDetecting;
  LogTrace(kCategory, 0, "Detecting your current TradeStation Version ...");
  CTxt folder;
  int result = m_driver.GetTsBaseFolder(folder, 1, 1);
  {
    std::lock_guard<std::mutex> guard(m_statusLock);
    m_detectionText = folder.ToStd();
  }
  if (result < 0) {
    PostMessageA(Handle(), kDetectionFailedMessage, 0, 0);
    return;
  }
  m_state = kStateReady;
  PostMessageA(Handle(), kDetectedMessage, 0, 0);
  LogTrace(kCategory, 0, "%s", kReadyText);
}

void MainDialog::OnDetected() {
  std::string folder;
  {
    std::lock_guard<std::mutex> guard(m_statusLock);
    folder = m_detectionText;
  }
  CTxt line;
  line.Format("Current TradeStation Location: %s", folder.c_str());
  SetDlgItemTextA(Handle(), IDC_BOTTOM_LINE, line);
  if (m_flags.running.load() != 1) ShowRunPicture(m_pictureStart);
}

void MainDialog::OnDetectionFailed() {
  std::string text;
  {
    std::lock_guard<std::mutex> guard(m_statusLock);
    text = m_detectionText;
  }
  AppBox(Handle(), text.c_str(), MB_OK | MB_ICONSTOP);
  m_exitCode = 2;
  End(IDABORT);
}

void MainDialog::RestoreWindowPosition() {
  std::string stored;
  Settings::GetString("SYS", "MainWindowPos", "", stored);
  StoredWindowPos pos;
  if (!stored.empty() && ParseMainWindowPos(stored.c_str(), pos))
    SetWindowPos(Handle(), nullptr, pos.left, pos.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT window{};
  GetWindowRect(Handle(), &window);
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", static_cast<int>(window.left),
                static_cast<int>(window.right - window.left), static_cast<int>(window.top),
                static_cast<int>(window.bottom - window.top));
  Settings::WriteString("SYS", "MainWindowPos", text);
}

void MainDialog::StoreWindowPosition() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  if (window.left < 0 || window.top < 0) return;
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", static_cast<int>(window.left),
                static_cast<int>(window.right - window.left), static_cast<int>(window.top),
                static_cast<int>(window.bottom - window.top));
  Settings::WriteString("SYS", "MainWindowPos", text);
}
