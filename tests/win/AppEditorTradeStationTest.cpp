// The sequence editor asking the stand-in TradeStation: a symbol list imported from its "Insert Symbol List"
// window, and the current strategy's inputs imported as parameters (names already present and non-numeric
// values skipped).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AppDialogsSupport.h"
#include "DriverChartSupport.h"
#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/Dialogs/SequenceEditorDialog.h"
#include "app/resources/EditorIds.h"
#include "tsdriver/TsFacts.h"

using namespace appdialogs;

namespace {

class EditorWithTradeStation : public drivertest::ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    work_ = folder_ + "/work";
    CreateDirectoryA(work_.c_str(), nullptr);
    current_ = std::make_unique<toolsupport::CurrentFolder>(work_);
    workspace_ = testsupport::WriteFile(folder_ + "/Chart.tsw", "workspace");
    testsupport::WriteFile(
        folder_ + "/DJ30.tvd",
        "Workspace=" + workspace_ +
            "\r\nSymbols=@ES,\r\nEndDate=1/2/2019\r\n\r\nTemplate=\r\nDaily\r\n\r\nOptSet=\r\n"
            "1/fastlength|10|20|1|\r\n");
    SequenceEditorDialog::SetFileLauncher([this](const char* file) { launched_.push_back(file); });
  }
  void TearDown() override {
    editor_.reset();
    SequenceEditorDialog::SetFileLauncher(nullptr);
    current_.reset();
    ChartTest::TearDown();
  }
  HWND OpenEditor() {
    editor_ = std::make_unique<ModalThread>(
        [this] { RunSequenceEditor(nullptr, folder_.c_str(), "DJ30", false, driver_.get()); });
    return WaitForDialog("Backtesting Sequence: DJ30");
  }
  std::vector<std::string> List(HWND dialog, int id) {
    std::vector<std::string> out;
    for (int i = 0; i < ListCount(dialog, id); ++i) out.push_back(ListItem(dialog, id, i));
    return out;
  }

  std::string work_, workspace_;
  std::unique_ptr<toolsupport::CurrentFolder> current_;
  std::unique_ptr<ModalThread> editor_;
  std::vector<std::string> launched_;
};

TEST_F(EditorWithTradeStation, StrategyInputsAreImportedSkippingKnownNamesAndNonNumericValues) {
  auto ts = Start("9.5");
  HWND editor = OpenEditor();
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_PARAMETER_IMPORT);
  EXPECT_EQ(AnswerBox(IDYES), "Start importing Parameters from the current Tradestation Strategy?");
  EXPECT_EQ(AnswerBox(IDNO),
            "Do you want to replace the current Parameter List?\r\n(No=will add only new parameter)?");
  std::string result = AnswerBox(IDOK);
  EXPECT_EQ(result.rfind(
                "Imported 2 numeric Strategy Parameter from a total of 4\r\nFrom Strategy:\r\nStrategy ", 0),
            0u)
      << result;
  EXPECT_EQ(List(editor, IDC_PARAMETERS),
            (std::vector<std::string>{"1/fastlength|10|20|1|", "2/SlowLength|18", "4/StopLoss|250"}));

  Click(editor, IDC_PARAMETER_IMPORT);
  AnswerBox(IDYES);
  AnswerBox(IDYES);  // replace
  result = AnswerBox(IDOK);
  EXPECT_EQ(result.rfind("Imported 3 numeric Strategy Parameter from a total of 4", 0), 0u) << result;
  EXPECT_EQ(List(editor, IDC_PARAMETERS),
            (std::vector<std::string>{"1/FastLength|9", "2/SlowLength|18", "4/StopLoss|250"}));
}

TEST_F(EditorWithTradeStation, ASymbolListIsImportedFromInsertSymbolListIntoANewFile) {
  auto ts = Start("9.5");
  testsupport::WriteFile(work_ + "/Taken.lst", "X\r\n");
  HWND editor = OpenEditor();
  ASSERT_NE(editor, nullptr);

  // Without the window in TradeStation the driver's instructions are shown; No ends the import.
  Click(editor, IDC_SYMBOL_LIST_ADD);
  HWND picker = WaitForDialog("Select the Symbol List");
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(List(picker, kListControlId),
            (std::vector<std::string>{"Taken", "(Import a SymbolList from TradeStation)"}));
  SelectListItem(picker, kListControlId, 1);
  ASSERT_TRUE(ClickAndWaitClosed(picker, IDOK));
  HWND prompt = WaitForDialog("Enter New SymbolList Name");
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(TextOf(prompt, kPromptFirstInputId), "(SymbolList)");
  SetText(prompt, kPromptFirstInputId, "Taken");
  ClickAndWaitClosed(prompt, IDOK);
  EXPECT_EQ(AnswerBox(IDOK), "SymbolList 'Taken' exists already (Taken.lst)");
  prompt = WaitForDialog("Enter New SymbolList Name");
  ASSERT_NE(prompt, nullptr);
  SetText(prompt, kPromptFirstInputId, "Dow");
  ClickAndWaitClosed(prompt, IDOK);
  EXPECT_NE(AnswerBox(IDNO).find("Insert Symbol List"), std::string::npos);
  EXPECT_EQ(List(editor, IDC_SYMBOLS), (std::vector<std::string>{"@ES"}));

  ts->SetControl("SymbolListInPage=0\nSymbolList=DJIA");
  ASSERT_TRUE(standin::WaitFor([&] {
    HWND shown = standin::WaitOwned(ts->Pid(), ts->Main(), tsfacts::kInsertSymbolListTitle, 0);
    return shown && IsWindowVisible(shown);
  }));
  Click(editor, IDC_SYMBOL_LIST_ADD);
  picker = WaitForDialog("Select the Symbol List");
  ASSERT_NE(picker, nullptr);
  SelectListItem(picker, kListControlId, 1);
  ASSERT_TRUE(ClickAndWaitClosed(picker, IDOK));
  prompt = WaitForDialog("Enter New SymbolList Name");
  ASSERT_NE(prompt, nullptr);
  SetText(prompt, kPromptFirstInputId, "Dow");
  ClickAndWaitClosed(prompt, IDOK);
  std::string imported = AnswerBox(IDOK);
  EXPECT_EQ(imported.rfind("Imported ", 0), 0u) << imported;
  EXPECT_NE(imported.find(" Symbols to Dow.lst"), std::string::npos) << imported;
  EXPECT_EQ(List(editor, IDC_SYMBOLS), (std::vector<std::string>{"List:Dow"}));
  ASSERT_FALSE(launched_.empty());
  EXPECT_EQ(launched_.back(), "Dow.lst");
  std::string saved = testsupport::ReadFile(work_ + "/Dow.lst");
  EXPECT_GT(saved.size(), 10u);
  EXPECT_EQ(std::stoi(imported.substr(9)), static_cast<int>(std::count(saved.begin(), saved.end(), '\n')));
}

}  // namespace
