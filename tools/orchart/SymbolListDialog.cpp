// The "Insert Symbol List" dialog.
#include "SymbolListDialog.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "DialogKit.h"
#include "ListViewKit.h"
#include "Market.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

struct SymbolList {
  const char* key;
  const char* title;
  std::vector<const char*> symbols;
};

const std::vector<SymbolList>& KnownLists() {
  static const std::vector<SymbolList> lists = {
      {"DJIA", "Dow Jones Industrial Average", {"AA",  "AXP", "BA",  "BAC", "CAT",  "CSCO", "CVX", "DD",
                                                "DIS", "GE",  "HD",  "HPQ", "IBM",  "INTC", "JNJ", "JPM",
                                                "KO",  "MCD", "MMM", "MRK", "MSFT", "PFE",  "PG",  "T",
                                                "TRV", "UNH", "UTX", "VZ",  "WMT",  "XOM"}},
      {"Futures",
       "Index and Commodity Futures",
       {"@ES", "@NQ", "@YM", "@ER2", "@CL", "@GC", "@EC", "@US", "@FDAX"}},
  };
  return lists;
}

// The rows the list shows: its title, then its symbols.
std::vector<std::vector<std::string>> RowsOf(const std::string& name) {
  for (const SymbolList& l : KnownLists()) {
    if (!EqualNoCase(name, l.key) && !EqualNoCase(name, l.title)) continue;
    std::vector<std::vector<std::string>> rows = {{l.title}};
    for (const char* s : l.symbols) rows.push_back({s});
    return rows;
  }
  return {{name}};
}

class SymbolListPage : public Dialog {};

class InsertSymbolListDialog : public Dialog {
 public:
  InsertSymbolListDialog(std::string name, bool inPage) : name_(std::move(name)), inPage_(inPage) {}

 protected:
  void OnInit() override {
    HWND list = Item(tsfacts::kSymbolListId);
    if (inPage_) {
      DialogTemplate t("", WS_CHILD | WS_VISIBLE | DS_CONTROL, 180, 130);
      t.Add(WC_LISTVIEWA, "", tsfacts::kSymbolListPageId,
            WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 180, 130);
      page_ = std::make_unique<SymbolListPage>();
      HWND page = page_->Create(t, Hwnd(), false);
      RECT area{8, 22, 188, 152};
      MapDialogRect(Hwnd(), &area);
      SetWindowPos(page, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top, 0);
      list = page_->Item(tsfacts::kSymbolListPageId);
    }
    SetListColumns(list, {{"Symbol", 220}});
    SetListRows(list, RowsOf(name_));
  }
  bool OnCommand(int id, int code, HWND control) override {
    (void)code, (void)control;
    if (id != IDOK) return false;
    End();
    return true;
  }

 private:
  std::string name_;
  bool inPage_;
  std::unique_ptr<SymbolListPage> page_;
};

void OpenInsertSymbolList(const std::string& name) {
  App& app = App::Get();
  app.OpenDialogLater("InsertSymbolList", [name] {
    App& app = App::Get();
    if (auto* open = DialogRegistry::Find<InsertSymbolListDialog>()) open->End();
    bool inPage = app.options.Flag("SymbolListInPage");
    DialogTemplate t(tsfacts::kInsertSymbolListTitle,
                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 260, 160);
    t.Add("Static", "Symbols of the list " + name + ":", -1, WS_VISIBLE, 8, 8, 180, 10);
    if (!inPage)
      t.Add(WC_LISTVIEWA, "", tsfacts::kSymbolListId, WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS,
            8, 22, 180, 130);
    t.Add("Button", "&View Symbols", 1010, WS_VISIBLE | WS_TABSTOP, 196, 22, 56, 14);
    t.Add("Button", "&Insert", IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 196, 120, 56, 14);
    t.Add("Button", tsfacts::kCloseText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 196, 138, 56, 14);
    app.Log("insert symbol list: %s", name.c_str());
    DialogRegistry::Show(std::make_unique<InsertSymbolListDialog>(name, inPage), t, app.main, false);
  });
}

void ApplySymbolListOption() {
  static std::string last;
  std::string name = App::Get().options.Text("SymbolList");
  if (name == last) return;
  last = name;
  if (!name.empty()) OpenInsertSymbolList(name);
}

}  // namespace

void RegisterSymbolListDialog() {
  App::Get().optionObservers.push_back(ApplySymbolListOption);
}

}  // namespace orchart
