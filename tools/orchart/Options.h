// The stand-in's options: command line, and a control file re-read while it runs.
//
// Two builds: TradeStation is a 32-bit program, so a 64-bit build tree also makes the 32-bit stand-in
// (<build>/tools/orchart/x86/orchart.exe, beside the 64-bit <build>/tools/orchart/orchart.exe; both keep
// the module name "orchart.exe"). The window-level tests' harness (tests/win/StandInHarness.h) starts
// the 32-bit one by default, copied to "<installation>/Program/orchart.exe" in a fresh installation
// folder under "Program Files (x86)"; StartOptions::bits = 64 chooses the 64-bit one.
//
// Every option is a `Key=Value` pair (keys without regard to case). They come from three places, later
// ones winning: built-in defaults, the command line (`--Key=Value`; `--fast` means `--Fast=1`; a bare
// argument ending in ".tsw" means `--Workspace=...`), and the control file. The control file is a text
// file of `Key=Value` lines (blank lines and lines starting with '#' or ';' are ignored); it is re-read
// whenever its content changes (checked every `ControlPollMs`) and at once when the main window receives
// kReloadControlMessage (a test sends it after writing the file). Removing a key from the file gives the
// command-line or default value back.
//
// The strict preset: `Strict=1` switches on every option marked [strict] below that is not set anywhere
// (a key set to 0 stays off), with 1 or the value named there ([strict 300]). Today's defaults stay as they
// are without it.
//
// Fixed at start (command line only):
//   Version=9.5            8.8, 9.0, 9.1 or 9.5: titles and folder name (8.x), "Intra-day" or "Minute",
//                          archmsgs.log and cache files (before 9.1), the 9.5 dialog classes, sub-pages
//   Folder=PATH            installation folder; default "<Program Files>/TradeStation 9.5",
//                          ".../TradeStation 9.1" or ".../Tradestation 8.8"; created with MyWork/, Logs/,
//                          Program/Cache/ and the sample workspaces
//   Control=PATH           the control file; default "<Folder>/orchart-control.txt"
//   Workspace=NAME|NAME    workspaces opened at start (a name under MyWork/ or a full path)
//   Samples=1              write the sample workspaces into MyWork/ when missing
// Read again on every change:
//   Fast=0                 1: every delay is tens of milliseconds (the defaults below in brackets)
//   ChartLoadMs=2500 [60]  time a chart takes to load its data
//   LoadTickMs=250 [15]    cache file rewrite period while loading (before 9.1)
//   DialogDelayMs=150 [15] time between a command and its dialog appearing
//   LateDialogMs=4000 [400] extra delay for the dialogs named in LateDialogs
//   ControlPollMs=250 [25] control file check period
//   Desktop=Desktop        desktop name in the main title
//   TitlePrefix=...        product prefix of the main title (default by version: "TradeStation 9.5 - ",
//                          "TradeStation 9.1 - "; 8.x: first segment "Tradestation 8.8 - ")
//   TitleShowsWorkspace=1  0: the main title shows PREFIX "Chart Analysis - SYMBOL INTERVAL ..." instead
//   ChartClass=8455        8455 or 8655: class of chart windows created from now on
//   SubPages=1             symbol page with interval sub-pages (default 1 on 9.x, 0 on 8.x)
//   DialogClasses95=1      on 9.5, the strategy dialogs' pages use the TS_IDD_ window classes (and the
//                          strategy list is the dialog's 12320)
//   WorkspaceDialogClasses95=0  1: on 9.5, "More Workspaces" and the "Save Workspace" prompt use the
//                          TS_IDD_ window classes instead of "#32770"
//   OptTestMs=250 [20]     time one optimisation test takes
//   SavingMs=800 [60]      time the "Saving Performance" box stays while a report is written
//   GeneticFieldsOnPage=   1: the genetic fields are on the method sub-page; 0: behind "Advanced Settings"
//                          (default 0 on 9.5, 1 before)
//   InputsListId=8311      8311 or 6608: identifier of the inputs list of "Format Strategy:"
//   ProgressPopup=0        1: the optimisation progress (with "Abort") is an owned pop-up, not a child
//                          of the main window
//   InactiveChartsStay=0   [strict] 1: the charts of a workspace that goes to the background keep their
//                          windows, behind the active workspace's (else they lose them until activated)
//   UnchangedCloseNoPrompt=0 [strict] 1: closing a workspace without changes closes it at once, without
//                          the "Save Workspace" prompt (else the prompt comes for every workspace)
//   OverwritePrompt=       [strict] 1: the report and workspace Save As dialogs ask before overwriting an
//                          existing file; 0: neither asks; unset: only the workspace Save As asks
//   LastDateId=6531        6531, 3585 or 7279: identifier of the symbol page's last date field
//   MethodCheckOnPage=0    1: "Report best test only" (7539) is on the strategies page itself, not on its
//                          method sub-page
//   InputsListClass=SysListView32  or SysTabControl32: the class name the inputs list shows (the same
//                          list view inside, with its "SysHeader32")
//   IncorrectSymbolWording=0  1: an invalid symbol's box says "Incorrect symbol 'X'." instead of "'X' is
//                          not a valid symbol."
//   LoadErrorAfterClose=0  [strict] 1: Format Symbol's OK closes the dialog even for an invalid symbol or
//                          a time zone clash; the "Chart Analysis" box follows DialogDelayMs later, under
//                          the main window (late/missing as "ChartLoadError")
//   TimeZoneFromCombo=0    [strict] 1: with TimeZoneError, the symbol page opens with time zone "Local"
//                          and only OK with "Local" in combo 6589 raises the "different time zones" box
//   StrictCommandTargets=0 [strict] 1: chart view commands (17556, 17852, 17542, 17545) posted to the main
//                          window do nothing, and the main window takes no command while a modal box
//                          has disabled it
//   ModalPopups=0          [strict] 1: the "TradeStation Charting" box and "Symbol Lookup" are modal over
//                          the main window, and a chart's loading stands still while one is open
//   AbortStartMs=0         [strict 300] the optimisation's Abort button comes N ms after the start
//   AbortGapMs=0           N: between two tests the Abort button is gone for N ms (the optimisation goes on)
//   RecalcMs=0             [strict 500] after an optimisation the chart view shows one colour for N ms
//                          while it recalculates with the best inputs
//   ReportGrowMs=0         N: a saved report or exported list is written in four writes spread over N ms;
//                          the "Saving Performance" box goes after the last
//   CachedLoadNoLog=0      [strict] 1: a chart load whose data are all in the cache (before 9.1) writes no
//                          download log lines (the cache files are written as before)
//   ComboChangesNotified=0 [strict] 1: the optimisation method combo (6673) and the report Save As file
//                          type combo (1136) count only as they announced their choice (CBN_SELCHANGE; for
//                          the file dialog the CDN_TYPECHANGE it sends then): a selection set from outside
//                          without the notification (CB_SETCURSEL alone) is not seen at OK, nor does the
//                          file name's extension choose the report's format
//   DateFieldsTypedOnly=0  [strict] 1: the date fields refuse WM_SETTEXT sent from another program; only
//                          typed digits (WM_CHAR field by field) change them
//   ReportTitleRange=0     [strict] 1: the performance report window's title ends with the date range of
//                          its header, " (M/D/YYYY - M/D/YYYY)" (the saved page's title stays without)
//   SymbolList=NAME        opens "Insert Symbol List" for that list whenever the value changes (DJIA,
//                          Futures; other names: a list with its name only); SymbolListInPage=1 puts the
//                          list (23709) on a page of the dialog
// Faults:
//   InvalidSymbols=A,B     symbols that are "not a valid symbol" (a "Chart Analysis" error box)
//   TimeZoneError=0        1: Format Symbol OK raises the "different time zones" box (see TimeZoneFromCombo)
//   NeverLoad=0            1: charts never finish loading (the view keeps fewer than 3 colours)
//   NotMaximized=0         1: chart windows are restored (not maximised), including the open ones
//   SecondChart=0          1: the active workspace gets a second chart (also every workspace opened)
//   DisableChartView=0     1: chart views are disabled
//   LateDialogs=NAME,...   dialogs that appear LateDialogMs late; MissingDialogs=NAME,...: never appear.
//                          Names: FormatSymbol, FormatSymbols, MoreWorkspaces, OpenWorkspace,
//                          SaveWorkspaceAs, SaveWorkspace, CommandLineError, FormatStrategies,
//                          FormatStrategy, OptimizeRange, AdvancedSettings, PerformanceReport,
//                          OptimizationReport, SaveReport, ExportReport, InsertSymbolList,
//                          ChartLoadError, or "All"; these appear at once by default and only come
//                          late or never when named: ChartLoadError (the "Chart Analysis" box of an
//                          invalid symbol or time zone clash), InPlaceEditor (F2 in the inputs list),
//                          EventsLog, ReportBoxes
//   JitterMs=0             a random 0..N ms added to every delay (dialogs, boxes, loads, timers of the
//                          stand-in), the same sequence for the same JitterSeed=1
//   FormatOkLateMs=0       N: Format Symbol's OK button has no text (and does nothing) for N ms
//   FormatCancelLateMs=0   N: Format Symbol's Cancel button is disabled for N ms
//   StrategyOff=0          1: the strategy is found switched off when "Format Analysis Techniques &
//                          Strategies" opens (one status click turns it on)
//   StrategyStaysOff=0     1: the status button does not turn a switched-off strategy on
//   NoTrades=0             1: the strategy generates no trades (reports without trades, no save dialog)
//   EventsLogError=N       the optimisation's test N raises an error event: the optimisation stops, the
//                          strategy turns off, the "TradeStation Events Log" shows the event
//   ApplicationErrors=N    N "orchart.exe - Application Error" boxes, each time the value changes
//   CtrlNotifySinks=N      N "CtrlNotifySink" windows with a "Cancel" button, each time the value changes
//   ReportBoxes=N          N "Tradestation" boxes (OK, Cancel) after each performance report shown
//   ChartingBox=0          1: a "TradeStation Charting" box (button 1010) whenever a chart starts loading
//   SymbolLookup=0         1: a "Symbol Lookup" pop-up whenever a symbol is entered
//   WorkspaceOpenError=    "dialog": an "Open Workspace" box inside the file dialog; "main": a
//                          "TradeStation" box under the main window after it
//   CrashAt=MOMENT,...     the process exits (code 3) at that moment: Start, FormatSymbol, FormatOk,
//                          ChartLoad, ChartLoaded, OpenWorkspace, SaveWorkspace, CloseWorkspace,
//                          MoreWorkspaces, CommandLine, FormatStrategies, StrategyOk, Optimization (the
//                          second test), PerformanceReport, SaveReport (before the file is written)
//   CrashAfterMs=N         the process exits N ms after this value appears or changes
//   HangAt=MOMENT,...      the process stops answering messages for HangMs at that moment (the CrashAt
//                          moments, acting right after the current message; "Now": when the value appears
//                          or changes, after the reload request was answered)
//   HangAfterMs=N          hangs N ms after this value appears or changes
//   HangMs=5000 [3000]     how long a hang lasts
//   ChartingEndsAt=MOMENT,... the charting process ends at that moment (the CrashAt moments and "Now"):
//                          every chart window, dialog, box and report window vanishes at once; the main
//                          window stays with its workspaces, whose charts come back when one is
//                          activated or opened again
//   ChartingEndsAfterMs=N  the charting process ends N ms after this value appears or changes
//   SignalAt=MOMENT,...    at that moment (the CrashAt moments) the UI thread sets the named event
//                          MomentEventName(pid, MOMENT, "reached") and holds, inside the message in which
//                          the moment happened, until MomentEventName(pid, MOMENT, "go") is set or
//                          SignalHoldMs (default 5000) has passed: a test acts at a repeatable moment. The
//                          test creates both events before it sets the option.
//   Quit=0                 1: close every window and end the process with code 0
// Actions (run once each time the value changes; for demonstrations and checks by hand):
//   Command=ID             a command as if posted to the main window (17556 and other chart commands go
//                          to the active chart's view)
//   CommandLine=TEXT       runs TEXT on the command line
//   Click=, SetText=, Key= clicks, texts and keys for the stand-in's own windows (DemoActions.h)
#pragma once

#include <map>
#include <string>
#include <vector>

namespace orchart {

// Sent (or posted) to the main window: re-read the control file now.
constexpr unsigned kReloadControlMessage = 0x8000 + 0x301;  // WM_APP + 0x301

// The name of a SignalAt event of the stand-in with process id `pid` (`which`: "reached" or "go").
inline std::string MomentEventName(unsigned long pid, const std::string& moment, const std::string& which) {
  return "Local\\orchart-moment-" + std::to_string(pid) + "-" + moment + "-" + which;
}

class Options {
 public:
  // Parses `--Key=Value` arguments (argv[0] excluded).
  void SetCommandLine(const std::vector<std::string>& args);
  // Replaces the control file's values with the key=value lines of `text`; returns true when any
  // effective value changed.
  bool SetControlText(const std::string& text);

  std::string Text(const std::string& key, const std::string& fallback = "") const;
  int Int(const std::string& key, int fallback = 0) const;
  bool Flag(const std::string& key) const { return Int(key, 0) != 0; }
  // A ','-separated list; true when it holds `name` (without regard to case) or "All".
  bool ListHas(const std::string& key, const std::string& name) const;
  std::vector<std::string> List(const std::string& key) const;
  bool Has(const std::string& key) const;

  // Milliseconds for a timing key: its value when set, else `normal` or, in fast mode, `fast`.
  int Ms(const std::string& key, int normal, int fast) const;

  // Built-in defaults that depend on others (version), set once at start.
  void SetDefault(const std::string& key, const std::string& value);

 private:
  std::map<std::string, std::string> defaults_, commandLine_, control_;
};

// Parses key=value lines into a map with lower-case keys (comments and blanks skipped).
std::map<std::string, std::string> ParseKeyValueLines(const std::string& text, bool lowerKeys);

}  // namespace orchart
