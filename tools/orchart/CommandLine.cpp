// The command line tool bar and its commands.
#include "CommandLine.h"

#include <commctrl.h>

#include <memory>

#include "Chart.h"
#include "DialogKit.h"
#include "Popups.h"
#include "StandIn.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kCommandComboId = 1000;
constexpr UINT_PTR kSubclassId = 1;

std::string& PendingCommand() {
  static std::string pending;
  return pending;
}

// Enter, whether typed into the edit or sent to the combo box, leaves the text for the main window; the
// command runs after the sender's message returns, as a real tool bar would.
void QueueCommand(HWND combo) {
  PendingCommand() = WindowText(combo);
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  PostMessageA(App::Get().main, kRunCommandLineMessage, 0, 0);
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  (void)id, (void)data;
  if (msg == WM_CHAR && wp == VK_RETURN) {
    QueueCommand(hwnd);
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
  (void)id, (void)data;
  if ((msg == WM_CHAR || msg == WM_KEYDOWN) && wp == VK_RETURN) {
    if (msg == WM_CHAR) QueueCommand(GetParent(hwnd));
    return 0;
  }
  if (msg == WM_GETDLGCODE) return DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
  return DefSubclassProc(hwnd, msg, wp, lp);
}

class CommandBar : public Dialog {
 protected:
  void OnInit() override {
    HWND combo = Item(kCommandComboId);
    SetWindowSubclass(combo, ComboProc, kSubclassId, 0);
    HWND edit = GetDlgItem(combo, tsfacts::kComboEditId);
    if (edit) SetWindowSubclass(edit, EditProc, kSubclassId, 0);
  }
};

void ChangeActiveChart(const std::string& text) {
  App& app = App::Get();
  std::vector<std::string> words = SplitWords(text);
  std::string symbol = Upper(words[0]);
  Chart* chart = app.ActiveChart();
  if (!chart) {
    ShowCommandLineError("There is no active chart window for the command:\r\n" + text);
    return;
  }
  ChartSettings s = chart->Settings();
  size_t pos = 1;
  Interval interval = s.tracks.front().interval;
  bool hasInterval = ParseInterval(words, pos, interval);
  bool hasRange = ParseRange(words, pos, s.range);
  if (pos != words.size() || !LooksLikeSymbol(symbol)) {
    ShowCommandLineError("Invalid command: " + text);
    return;
  }
  if (IsInvalidSymbol(symbol)) {
    ShowChartAnalysisError(app.main, InvalidSymbolText(symbol));
    return;
  }
  s.tracks.front().symbol = symbol;
  if (hasInterval) s.tracks.front().interval = interval;
  app.Log("command line: %s (interval %s, range %s)", symbol.c_str(), hasInterval ? "given" : "kept",
          hasRange ? "given" : "kept");
  chart->Apply(s);
  if (app.options.Flag("SymbolLookup")) ShowSymbolLookup(symbol);
}

}  // namespace

HWND CreateCommandBar(HWND main) {
  DialogTemplate t("", WS_CHILD | WS_VISIBLE | DS_CONTROL | WS_CLIPSIBLINGS, 400, 16);
  t.Add("Static", "Command:", -1, WS_VISIBLE | SS_RIGHT, 2, 4, 34, 10);
  t.Add("ComboBox", "", kCommandComboId,
        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 40, 2, 200, 120);
  static std::unique_ptr<CommandBar> bar;  // lives as long as the main window
  bar = std::make_unique<CommandBar>();
  return bar->Create(t, main, false);
}

void RunPendingCommandLine() {
  std::string text = PendingCommand();
  PendingCommand().clear();
  RunCommandLine(text);
}

void RunCommandLine(const std::string& raw) {
  App& app = App::Get();
  std::string text = Trimmed(raw);
  if (text.empty()) return;
  app.Log("command line: '%s'", text.c_str());
  app.FaultPoint("CommandLine");
  std::string open = tsfacts::kCommandLineOpenCommand;
  if (text.size() >= open.size() && EqualNoCase(text.substr(0, open.size()), open) &&
      (text.size() == open.size() || text[open.size()] == ' ')) {
    std::string path = Trimmed(text.substr(open.size()));
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    if (path.empty()) {
      ShowCommandLineError("Missing file name: " + text);
      return;
    }
    std::string error;
    if (!OpenWorkspaceFile(path, error)) ShowCommandLineError("Cannot open the workspace.\r\n" + error);
    return;
  }
  if (text[0] == '.') {
    ShowCommandLineError("Unknown command: " + text);
    return;
  }
  ChangeActiveChart(text);
}

}  // namespace orchart
