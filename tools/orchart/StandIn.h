// The stand-in's process-wide state: options, version, installation folder, the main window, the open
// workspaces; deferred actions, crash points and the activity log. One UI thread owns all of it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Options.h"

namespace orchart {

class Workspace;
class Chart;

// Private messages of the main window.
constexpr UINT kUpdateTitleMessage = WM_APP + 0x302;     // recompose the main title
constexpr UINT kRunCommandLineMessage = WM_APP + 0x303;  // run the command line's text (posted by the combo)
// A test's way to wait until the stand-in has nothing left to do, instead of sleeping: it posts
// kIdleProbeMessage (wParam: a token) behind its own posted messages, then sends kIdleQueryMessage with
// the same token until the answer is 1: the probe came through and no deferred action is pending.
constexpr UINT kIdleProbeMessage = WM_APP + 0x304;
constexpr UINT kIdleQueryMessage = WM_APP + 0x305;

class App {
 public:
  static App& Get();

  // Reads the version, folder and control file, prepares the installation folder. False: cannot start.
  bool Start(HINSTANCE instance, const std::vector<std::string>& args);

  Options options;
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  HWND mdiClient = nullptr;
  HWND commandBar = nullptr;

  int version = 95;         // 88, 91, 95 ...
  std::string versionText;  // "9.5"
  std::string folder;       // installation folder, '/' separators, no trailing '/'
  std::string controlPath;

  bool IsVersion8() const { return version < 90; }
  // Versions before 9.1 call the minute bar kind "Intra-day", write the download log (archmsgs.log) and
  // keep the symbol data cache files; 9.1 and later say "Minute" and do neither.
  bool IsBeforeVersion91() const { return version < 91; }
  // The product part of the main title: "TradeStation 9.5 - " or, on 8.x, "Tradestation 8.8 - ".
  std::string TitlePrefix() const;
  std::string WorkspaceFolder() const { return folder + "/MyWork"; }

  // ---- Workspaces ----
  std::vector<std::unique_ptr<Workspace>> workspaces;
  Workspace* activeWorkspace = nullptr;
  Chart* ActiveChart() const;
  // False once the chart's workspace has closed (dialogs keep chart pointers while open).
  bool IsOpenChart(const Chart* chart) const;

  // ---- Time ----
  // Runs `fn` on the UI thread after `ms` milliseconds.
  void After(int ms, std::function<void()> fn);
  void RunTimer(UINT_PTR id);  // called by the main window's WM_TIMER
  bool Idle() const { return deferred_.empty(); }
  WPARAM lastIdleProbe = 0;
  static constexpr UINT_PTR kFirstDeferredTimer = 1000;
  static constexpr UINT_PTR kControlPollTimer = 10;
  static constexpr UINT_PTR kCrashTimer = 11;         // CrashAfterMs
  static constexpr UINT_PTR kHangTimer = 12;          // HangAfterMs
  static constexpr UINT_PTR kChartingEndsTimer = 13;  // ChartingEndsAfterMs

  // ---- Control file ----
  // Re-reads the control file; applies changed options.
  void ReloadControl();

  // ---- Faults ----
  // The faults listed for `moment`: CrashAt ends the process (code 3), HangAt stops answering messages for
  // HangMs, ChartingEndsAt ends the charting part (right after the current message).
  void FaultPoint(const char* moment);
  [[noreturn]] void Crash(const char* why);
  // The UI thread takes no message for HangMs: every window of the process is hung meanwhile.
  void Hang(const char* why);
  // SignalAt: tells a waiting test that the moment has come and holds until it says go (bounded).
  void Signal(const char* moment);
  // What another program sees when TradeStation's charting process ends: every chart window and every
  // dialog, box and report window goes at once, without a prompt; the main window stays with its
  // workspaces, whose charts come back when a workspace is activated or opened again.
  void EndCharting(const char* why);
  // Opens a dialog after DialogDelayMs (plus LateDialogMs when listed in LateDialogs), or never when listed
  // in MissingDialogs.
  void OpenDialogLater(const char* name, std::function<void()> open);
  // For windows that appear at once by default (error boxes, the in-place editor, the events log, the
  // report boxes): now, LateDialogMs later when listed in LateDialogs, never when in MissingDialogs.
  void ShowNowOrLate(const char* name, std::function<void()> show);

  // ---- Log: Logs/orchart.log under the installation folder ----
  void Log(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

  // Called whenever the options changed; later parts add their own reactions.
  std::vector<std::function<void()>> optionObservers;

 private:
  void ApplyOptions();
  // JitterMs: a seeded random 0..JitterMs added to every deferred action's delay (JitterSeed, default 1;
  // the sequence starts again whenever either value changes, so a failing run can be repeated).
  int Jitter();
  std::string lastJitter_;
  unsigned jitterState_ = 1;
  std::map<UINT_PTR, std::function<void()>> deferred_;
  UINT_PTR nextTimer_ = kFirstDeferredTimer;
  void RestartTimerOnChange(const char* key, std::string& last, UINT_PTR timer);
  std::string lastCrashAfter_, lastHangAfter_, lastChartingEndsAfter_, lastHangAt_, lastChartingEndsAt_;
  std::string lastCommand_, lastCommandLine_;
  bool lastChartingBox_ = false;
  bool lastSymbolLookup_ = false;
};

// Paths: '/' separators inside the stand-in, backslashes only for the system.
std::string Slashed(std::string path);
std::string Backslashed(std::string path);
bool FileExists(const std::string& path);
bool MakeFolders(const std::string& path);
std::string ReadWholeFile(const std::string& path, bool* ok = nullptr);
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool AppendToFile(const std::string& path, const std::string& bytes);
std::string WindowText(HWND hwnd);

}  // namespace orchart
