// Error boxes and pop-ups.
#include "Popups.h"

#include "DialogKit.h"
#include "Market.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {

std::string InvalidSymbolText(const std::string& symbol) {
  if (App::Get().options.Flag("IncorrectSymbolWording"))
    return std::string(tsfacts::kIncorrectSymbolText) + " '" + symbol + "'.\r\nPlease check the symbol.";
  return "'" + symbol + "' is " + tsfacts::kInvalidSymbolText + ".\r\nPlease enter a valid symbol.";
}

bool IsInvalidSymbol(const std::string& symbol) {
  if (!LooksLikeSymbol(symbol)) return true;
  for (const std::string& s : App::Get().options.List("InvalidSymbols"))
    if (EqualNoCase(s, symbol)) return true;
  return false;
}

void ShowChartAnalysisError(HWND owner, const std::string& text, std::function<void()> onClose) {
  BoxSpec spec;
  spec.title = tsfacts::kChartErrorTitlePrefix;
  spec.text = text;
  if (onClose) spec.onClose = [onClose](int) { onClose(); };
  ShowBox(owner, spec);
}

void ShowTradeStationError(HWND owner, const std::string& text) {
  BoxSpec spec;
  spec.title = tsfacts::kLoadErrorTitlePrefix;
  spec.text = text;
  spec.buttons = {{tsfacts::kLoadErrorOkId, tsfacts::kOkText}};
  ShowBox(owner, spec);
}

namespace {

class SymbolLookupDialog : public Dialog {
 public:
  explicit SymbolLookupDialog(std::string symbol) : symbol_(std::move(symbol)) {}

 protected:
  void OnInit() override {
    SetDlgItemTextA(Hwnd(), 100, symbol_.c_str());
    HWND list = Item(101);
    for (const char* s : {"MSFT", "IBM", "AAPL", "CSCO", "INTC", "SPY", "@ES", "@NQ", "@YM"})
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  }
  bool OnCommand(int id, int code, HWND control) override {
    (void)code, (void)control;
    if (id == IDOK) End();
    return id == IDOK;
  }

 private:
  std::string symbol_;
};

HWND chartingBoxShown = nullptr;

// ModalPopups: the "TradeStation Charting" box and "Symbol Lookup" are modal over the main window.
bool ModalPopups() {
  return App::Get().options.Flag("ModalPopups");
}

}  // namespace

void ShowChartingBox(const std::string& symbol) {
  if (chartingBoxShown && IsWindow(chartingBoxShown)) return;
  BoxSpec spec;
  spec.title = tsfacts::kChartingBoxTitlePrefix;
  spec.text = "Requesting data for " + symbol + ".\r\nThe data server is slow to respond.";
  spec.buttons = {{tsfacts::kChartingBoxButtonId, tsfacts::kOkText}};
  spec.modal = ModalPopups();
  MessageBoxDialog* box = ShowBox(App::Get().main, spec);
  chartingBoxShown = box ? box->Hwnd() : nullptr;
}

bool PopupHoldsChartLoading() {
  if (!ModalPopups()) return false;
  return (chartingBoxShown && IsWindow(chartingBoxShown)) || DialogRegistry::Find<SymbolLookupDialog>();
}

void ShowSymbolLookup(const std::string& symbol) {
  if (DialogRegistry::Find<SymbolLookupDialog>()) return;
  DialogTemplate t(tsfacts::kSymbolLookupTitle,
                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 200, 150);
  t.Add("Static", "Search for:", -1, WS_VISIBLE, 8, 10, 40, 10);
  t.Add("Edit", "", 100, WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 50, 8, 140, 12);
  t.Add("ListBox", "", 101, WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | WS_TABSTOP, 8, 26, 182, 94);
  t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 84, 128, 50, 14);
  t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | BS_PUSHBUTTON | WS_TABSTOP, 140, 128, 50, 14);
  App::Get().Log("symbol lookup for %s", symbol.c_str());
  DialogRegistry::Show(std::make_unique<SymbolLookupDialog>(symbol), t, App::Get().main, ModalPopups());
}

void ShowCommandLineError(const std::string& text) {
  App& app = App::Get();
  app.OpenDialogLater("CommandLineError", [text] {
    BoxSpec spec;
    spec.title = tsfacts::kCommandLineErrorTitle;
    spec.text = text;
    spec.textId = tsfacts::kCommandLineErrorTextId;
    ShowBox(App::Get().main, spec);
  });
}

}  // namespace orchart
