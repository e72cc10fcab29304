// TradeStation's outside facts: window classes, titles, control and command identifiers, files.
// The driver finds TradeStation by these; the stand-in (tools/orchart) presents exactly these. Constants
// only.
#pragma once

namespace tsfacts {

// ---- Processes, classes and the main window ----------------------------------------------------
inline constexpr char kChartingProcessModule[] = "orchart.exe";  // module name of the charting process
inline constexpr char kMainWindowClass[] = "ORPLAT.EXE TRADESTATION";
inline constexpr char kChartWindowClass8455[] = "ORContainerMDIChildFrame:8455";
inline constexpr char kChartWindowClass8655[] = "ORContainerMDIChildFrame:8655";
inline constexpr char kChartViewClass[] =
    "ORInPlaceFrame";  // the chart's drawing window, child of a chart window
inline constexpr char kDialogClass[] = "#32770";
inline constexpr char kListBoxClass[] = "ListBox";
inline constexpr char kComboBoxClass[] = "ComboBox";
inline constexpr char kEditClass[] = "Edit";
inline constexpr char kButtonClass[] = "Button";
inline constexpr char kStaticClass[] = "Static";
inline constexpr char kListViewClass[] = "SysListView32";
inline constexpr char kHeaderClass[] = "SysHeader32";
inline constexpr char kReportWindowClassPrefix[] = "Afx:";  // report and events-log windows

// A chart window's style lacks the system-menu bit exactly while it is maximised.
inline constexpr unsigned long kSystemMenuStyleBit = 0x00080000UL;

// ---- Titles ------------------------------------------------------------------------------------
// Main title: PREFIX DESKTOP " - " WORKSPACE " - [" CHART-TITLE "]"; version 8 has no prefix and starts
// with "Tradestation 8.N - " instead. Without a workspace shown: PREFIX "Chart Analysis - " SYMBOL ...
inline constexpr char kTitlePrefix90[] = "TradeStation 9.0 - ";
inline constexpr char kTitlePrefix91[] = "TradeStation 9.1 - ";
inline constexpr char kTitlePrefixVersion91[] = "TradeStation Version 9.1 - ";
inline constexpr char kTitlePrefix92[] = "TradeStation 9.2 - ";
inline constexpr char kTitlePrefix95[] = "TradeStation 9.5 - ";
// Stripped in this order.
inline constexpr const char* kTitlePrefixes[] = {kTitlePrefix90, kTitlePrefix91, kTitlePrefixVersion91,
                                                 kTitlePrefix92, kTitlePrefix95};
inline constexpr char kVersion8TitleMarker[] = "Tradestation 8.";  // first segment of a version 8 title
inline constexpr char kTitleSeparator[] = " - ";
inline constexpr char kChartTitleMarker[] = "Chart Analysis";  // a chart window's title contains it
inline constexpr char kChartTitlePrefix[] =
    "Chart Analysis - ";  // chart title: this, SYMBOL INTERVAL [EXCH] ...
inline constexpr char kMainTitleChartMarker[] = "[Chart Analysis - ";  // the chart segment of the main title
inline constexpr char kProductLabel[] = "TradeStation";

// ---- Installation folder -----------------------------------------------------------------------
inline constexpr char kInstallFolderMarker8[] = "Tradestation 8.";  // folder name contains one of these
inline constexpr char kInstallFolderMarker9[] = "Tradestation 9.";
inline constexpr char kVersionMarker[] = "TradeStation ";  // the three characters after it give the version
inline constexpr char kInstallFolderName95[] = "TradeStation 9.5";
inline constexpr char kInstallFolderName91[] = "TradeStation 9.1";
inline constexpr char kInstallFolderName88[] = "Tradestation 8.8";
inline constexpr char kLogFolder[] = "Logs";
inline constexpr char kDownloadLog[] = "Logs/archmsgs.log";  // version 8 only
inline constexpr char kCacheFolder[] = "Program/Cache";      // Program/Cache/L/SYMBOL.EXT, version 8 only
inline constexpr char kCacheExtensionTicks[] = "tik";
inline constexpr char kCacheExtensionDaily[] = "eod";  // daily, weekly, monthly
inline constexpr char kCacheExtensionOther[] = "min";
inline constexpr char kWorkspaceFolder[] = "MyWork";
inline constexpr char kWorkspaceExtension[] = ".tsw";
// Download log lines: "DATE TIME, Downloading, request for SYMBOL, ..." then "DATE TIME, Success, request for
// SYMBOL (N bars)."
inline constexpr char kDownloadStartMarker[] = "Downloading,";
inline constexpr char kDownloadSuccessMarker[] = "Success,";
inline constexpr char kDownloadRequestMarker[] = "request for";

// ---- Menu commands (WM_COMMAND) ----------------------------------------------------------------
inline constexpr int kCmdMoreWorkspaces = 17529;  // main window: "More Workspaces"
inline constexpr int kCmdOpenWorkspace = 17530;   // main window: "Open Workspace" file dialog
inline constexpr int kCmdSaveWorkspace = 17531;   // main window: save the active workspace in place
inline constexpr int kCmdCloseWorkspace =
    17532;  // main window: close the active workspace ("Save Workspace")
inline constexpr int kCmdSaveWorkspaceAs = 17793;     // main window: "Save Workspace As" file dialog
inline constexpr int kCmdFormatSymbol = 17556;        // chart view: "Format Symbol" or "Format Symbols"
inline constexpr int kCmdFormatStrategies = 17852;    // chart view: "Format Analysis Techniques & Strategies"
inline constexpr int kCmdPerformanceReport = 17542;   // chart view (sent): Strategy Performance Report
inline constexpr int kCmdOptimizationReport = 17545;  // chart view (sent): Strategy Optimization Report

// ---- Standard identifiers ----------------------------------------------------------------------
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr char kOkText[] = "OK";
inline constexpr char kCancelText[] = "Cancel";
inline constexpr char kCloseText[] = "Close";
inline constexpr char kSaveText[] = "Save";

// ---- Workspace dialogs -------------------------------------------------------------------------
inline constexpr char kMoreWorkspacesTitle[] = "More Workspaces";
inline constexpr char kMoreWorkspacesName95[] =
    "TS_IDD_CURRENT_WORKSPACES_DIALOG";         // its window class on 9.5
inline constexpr int kWorkspaceListId = 17169;  // list box of open workspaces
inline constexpr char kOpenWorkspaceTitle[] = "Open Workspace";
inline constexpr char kSaveWorkspaceAsTitle[] = "Save Workspace As";
inline constexpr char kSaveWorkspaceTitle[] = "Save Workspace";  // the prompt on closing a changed workspace
inline constexpr char kSaveWorkspaceName95[] = "TS_IDD_PROMPT_SAVE";  // the prompt's window class on 9.5
inline constexpr int kSaveWorkspaceYesId = 17212;
inline constexpr int kSaveWorkspaceNoId = 17213;
inline constexpr int kFileNameEditId = 1152;   // file dialogs: file name edit ...
inline constexpr int kFileNameComboId = 1148;  // ... or combo
inline constexpr int kFileTypeComboId = 1136;
inline constexpr char kLoadErrorTitlePrefix[] =
    "TradeStation";                       // workspace load error box under the main window
inline constexpr int kLoadErrorOkId = 0;  // its OK button's identifier

// ---- Format Symbol ------------------------------------------------------------------------------
inline constexpr char kFormatSymbolTitlePrefix[] = "Format Symbol -";  // single data track
inline constexpr char kFormatSymbolsTitle[] = "Format Symbols";        // several data tracks
inline constexpr int kDataTrackListId = 6528;                          // list view of the data tracks
inline constexpr int kRemoveTrackId = 6547;
inline constexpr int kFormatTrackId = 6635;
inline constexpr int kBarKindListId = 7272;  // list box; the page holding it is the symbol page
inline constexpr int kTimeZoneComboId = 6589;
inline constexpr char kTimeZoneExchange[] = "Exchange";
inline constexpr char kTimeZoneLocal[] = "Local";
inline constexpr int kApplyRangeCheckId = 7427;
inline constexpr int kSymbolComboId = 6629;
inline constexpr int kComboEditId = 1001;  // the edit inside a combo box (symbol combo, command line)
// Interval edits on the symbol page's sub-pages, and the labels that tell what each one serves.
inline constexpr int kSubPageIntervalEditId = 6544;
inline constexpr int kSubPageRangeEditId = 7562;
inline constexpr int kIntervalLabelIds[] = {6574, 7145, 6572, 7577};
inline constexpr char kMinuteBarLabel[] = "Minute Bar";
inline constexpr char kShareBarLabel[] = "Share Bar";
inline constexpr char kTickBarLabel[] = "Tick Bar";
inline constexpr char kTargetRangeLabel[] = "Target Range:";  // Kase
inline constexpr char kReversalLabel[] = "Reversal:";
// Labels of the sub-pages of the other value kinds.
inline constexpr char kBoxSizeLabel[] = "Box Size:";      // Point & Figure
inline constexpr char kLineBreakLabel[] = "Lines:";       // Line Break
inline constexpr char kMomentumLabel[] = "Momentum:";     // Momentum
inline constexpr char kRangeLabel[] = "Range:";           // Range
inline constexpr char kBrickSizeLabel[] = "Brick Size:";  // Renko
// Interval edits when the symbol page has no sub-pages.
inline constexpr int kMinuteEditId = 6543;
inline constexpr int kTickEditId = 6544;
inline constexpr int kShareEditId = 7146;
inline constexpr int kKaseEditId = 7562;
inline constexpr int kKaseUnitComboId = 7563;
inline constexpr char kKaseUnitMinute[] = "1  Minute";  // two blanks
inline constexpr char kKaseUnitTick[] = "1  Tick";
// Date range. Date fields take typed digits field by field (month, day, year), VK_RIGHT between fields.
inline constexpr int kLastDateIds[] = {6531, 3585, 7279};
inline constexpr int kLastDateId = 6531;
inline constexpr int kFirstDateCheckId = 7252;
inline constexpr int kFirstDateId = 6675;
inline constexpr int kBarsBackOptionId = 7251;
inline constexpr int kBarsBackEditId = 7254;
inline constexpr int kBarsBackMinimum = 200;
inline constexpr int kBarsBackMaximum = 60000;
// Entries of the bar kind list; version 9.1 and later say "Minute" where earlier versions say "Intra-day".
inline constexpr char kBarKindTick[] = "Tick";
inline constexpr char kBarKindVolume[] = "Volume";
inline constexpr char kBarKindIntraday[] = "Intra-day";
inline constexpr char kBarKindMinute[] = "Minute";
inline constexpr char kBarKindDaily[] = "Daily";
inline constexpr char kBarKindWeekly[] = "Weekly";
inline constexpr char kBarKindMonthly[] = "Monthly";
inline constexpr char kBarKindKase[] = "Kase";
inline constexpr char kBarKindKagi[] = "Kagi";
inline constexpr char kBarKindPointFigure[] = "Point & Figure";
inline constexpr char kBarKindLineBreak[] = "Line Break";
inline constexpr char kBarKindMomentum[] = "Momemntum";  // TradeStation's own spelling
inline constexpr char kBarKindRange[] = "Range";
inline constexpr char kBarKindRenko[] = "Renko";
// Interval texts in chart titles: "5 min", "100 Tick Bar", "1000 Share Bar", "Daily", "0.5 Kase Bar".
inline constexpr char kIntervalMinuteUnit[] = "min";
inline constexpr char kIntervalTickUnit[] = "Tick Bar";
inline constexpr char kIntervalShareUnit[] = "Share Bar";
inline constexpr char kIntervalKaseUnit[] = "Kase Bar";
inline constexpr char kIntervalKagiUnit[] = "Kagi Bar";
// ... and "3 Point & Figure", "3 Line Break", "2 Momentum", "3 Range", "4 Renko".
inline constexpr char kIntervalPointFigureUnit[] = "Point & Figure";
inline constexpr char kIntervalLineBreakUnit[] = "Line Break";
inline constexpr char kIntervalMomentumUnit[] = "Momentum";
inline constexpr char kIntervalRangeUnit[] = "Range";
inline constexpr char kIntervalRenkoUnit[] = "Renko";

// ---- Error boxes and pop-ups ---------------------------------------------------------------------
inline constexpr char kChartErrorTitlePrefix[] = "Chart Analysis";  // chart load error boxes ("#32770")
inline constexpr char kInvalidSymbolText[] = "not a valid symbol";
inline constexpr char kIncorrectSymbolText[] = "Incorrect symbol";
inline constexpr char kTimeZonesText[] = "different time zones";
inline constexpr char kChartingBoxTitlePrefix[] = "TradeStation Charting";
inline constexpr int kChartingBoxButtonId = 1010;
inline constexpr char kSymbolLookupTitle[] = "Symbol Lookup";

// ---- Command line --------------------------------------------------------------------------------
// A "#32770" tool bar under the main window holds a "ComboBox" whose edit (kComboEditId) takes commands;
// Enter (WM_CHAR 13 to the combo box) runs them: ".Open PATH", "SYMBOL [INTERVAL] [RANGE]".
inline constexpr char kCommandLineOpenCommand[] = ".Open";
inline constexpr char kCommandLineErrorTitle[] = "Command Line Error";
inline constexpr int kCommandLineErrorTextId = 3509;

// ---- Strategies: "Format Analysis Techniques & Strategies" (command 17852 to the chart view) --------
inline constexpr char kFormatStrategiesTitle[] = "Format Analysis Techniques & Strategies";  // owned by main
inline constexpr char kFormatStrategiesPageClass95[] = "TS_IDD_PAGE_FORMATSTRATEGY";  // its pages on 9.5
inline constexpr char kStrategiesPageTitle[] = "Strategies";
inline constexpr char kIndicatorsPageTitle[] = "Indicators";
inline constexpr int kStrategyListId = 7080;          // on the strategies page ("SysListView32")
inline constexpr int kStrategyListId95 = 12320;       // on 9.5: a control of the dialog itself
inline constexpr int kStrategyStatusButtonId = 6575;  // toggles the selected strategy's status
inline constexpr int kStrategyFormatButtonId = 6635;  // disabled while the status is OFF
inline constexpr char kStrategyFormatButtonText[] = "&Format";
inline constexpr char kStrategyStatusOn[] = "On";
inline constexpr char kStrategyStatusOff[] = "Off";
// Optimisation method, on a "#32770" sub-page of the strategies page.
inline constexpr int kOptimizationCheckId = 7539;        // "Report best test only"; the driver clears it
inline constexpr int kOptimizationMethodComboId = 6673;  // "Exhaustive" / "Genetic"
inline constexpr char kOptimizationExhaustive[] = "Exhaustive";
inline constexpr char kOptimizationGenetic[] = "Genetic";
inline constexpr int kGeneticGenerationsId = 7588;
inline constexpr int kGeneticPopulationId = 7589;
inline constexpr int kGeneticMutationRateId = 7590;
inline constexpr int kGeneticCrossoverRateId = 7591;
inline constexpr int kGeneticAdvancedButtonId = 7598;  // when the fields are not on the sub-page (9.5)
inline constexpr char kAdvancedSettingsTitle[] = "Advanced Settings";

// ---- "Format Strategy: NAME" -----------------------------------------------------------------------
inline constexpr char kFormatStrategyTitlePrefix[] = "Format Strategy:";  // the strategy's name follows
inline constexpr char kInputsPageTitle[] = "Inputs";
inline constexpr char kInputsPageClass95[] = "TS_IDD_PAGE_STRAT_INPUTS";  // the inputs page's class on 9.5
inline constexpr int kInputsListId = 8311;       // "SysListView32" with a "SysHeader32": name, value
inline constexpr int kInputsListIdOther = 6608;  // the same list under its other identifier
inline constexpr int kOptimizeButtonId = 8330;
inline constexpr char kOptimizeButtonText[] = "&Optimize";
inline constexpr char kOptimizeRangeTitlePrefix[] =
    "Optimize";  // the range dialog, owned by "Format Strategy:"
inline constexpr int kRangeStartId = 8280;
inline constexpr int kRangeStopId = 8281;
inline constexpr int kRangeIncrementId = 8282;
// Range errors: "Chart Analysis" boxes owned by the range dialog; one asks to raise MaxBarsBack.
inline constexpr char kMaxBarsBackText[] = "too large for the current MaxBar";
inline constexpr int kMaxBarsBackYesId = 6;
inline constexpr int kMaxBarsBackNoId = 7;

// ---- Optimisation --------------------------------------------------------------------------------------
// While tests run, a "Button" titled "Abort" (control kAbortButtonId) is among the main window's windows.
inline constexpr char kAbortButtonText[] = "Abort";
inline constexpr int kAbortButtonId = 3787;
inline constexpr char kAbortOptimizationTitle[] = "Abort Optimization";
inline constexpr int kAbortKeepResultsId = 8341;  // check box of the abort box: keep the tests run so far

// ---- Report windows (class beginning "Afx:") ------------------------------------------------------------
inline constexpr char kPerformanceReportTitlePrefix[] = "TradeStation Strategy Performance Report ";
inline constexpr char kOptimizationReportTitlePrefix[] = "TradeStation Strategy Optimization Report ";
inline constexpr char kPerformanceReportMarker[] = "Strategy Performance Report";
inline constexpr char kOptimizationReportMarker[] = "Strategy Optimization Report";
inline constexpr int kCmdReportSaveAs = 7002;  // posted to a report window: "Save As" (MHT, XLS)
inline constexpr int kCmdReportExport = 7025;  // posted to the optimisation report: export (CSV)
inline constexpr char kSaveAsTitle[] = "Save As";
inline constexpr int kExportReportOptionId = 7646;  // option buttons of the export dialog
inline constexpr int kExportSpreadsheetOptionId = 7647;
inline constexpr char kExportReportOptionText[] = "Report";
inline constexpr char kExportSpreadsheetOptionText[] = "Spreadsheet";
inline constexpr char kSavingPerformanceTitle[] = "Saving Performance";  // shown while a report is written
inline constexpr char kReportFollowUpBoxTitle[] = "Tradestation";        // boxes after showing a report

// ---- Events log and application errors ------------------------------------------------------------
inline constexpr char kEventsLogTitle[] = "TradeStation Events Log";  // class beginning "Afx:"
inline constexpr int kEventsLogExpandId = 1002;                       // text ">>" while collapsed
inline constexpr char kEventsLogExpandText[] = ">>";
inline constexpr int kEventsLogListId = 1003;  // "SysListView32": field, value
inline constexpr char kEventsLogEventRow[] = "Event:";
inline constexpr char kApplicationErrorTitleMarker[] = "Application Error";
inline constexpr char kCtrlNotifySinkClass[] = "CtrlNotifySink";  // holds a "Button" titled "Cancel"

// ---- Symbol lists --------------------------------------------------------------------------------------
inline constexpr char kInsertSymbolListTitle[] = "Insert Symbol List";  // owned by the main window
inline constexpr int kSymbolListId = 21536;      // "SysListView32": the list's name, then its symbols
inline constexpr int kSymbolListPageId = 23709;  // the same list on the dialog's first "#32770" page

}  // namespace tsfacts
