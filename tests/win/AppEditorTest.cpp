// The sequence editor driven in-process like a user drives it: a definition loaded into the dialog, symbols,
// timeframe lines through "Select Timeframe", parameters, genetic fields, the size shown as the user edits,
// and saving under the same or a new name, read back with the definition reader. Every refused input shows
// its message and changes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "AppDialogsSupport.h"
#include "TestSupport.h"
#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/Dialogs/SequenceEditorDialog.h"
#include "app/resources/EditorIds.h"
#include "execution/RunScript.h"
#include "foundation/Settings.h"
#include "sequence/SequenceDefinition.h"

using namespace appdialogs;

namespace {

std::string CrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::vector<std::string> Items(const CTxtArray& lines) {
  std::vector<std::string> out;
  for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAtTxt(i));
  return out;
}

class Editor : public testing::Test {
 protected:
  void SetUp() override {
    root_ = testsupport::ScratchFolder();
    program_ = root_ + "/program";
    work_ = root_ + "/work";
    CreateDirectoryA(program_.c_str(), nullptr);
    CreateDirectoryA(work_.c_str(), nullptr);
    folder_ = std::make_unique<toolsupport::CurrentFolder>(work_);
    Settings::OverrideAppFolder(program_.c_str());
    workspace_ = testsupport::WriteFile(root_ + "/Chart.tsw", "workspace");
    SequenceEditorDialog::SetFileLauncher([this](const char* file) { launched_.push_back(file); });
  }
  void TearDown() override {
    editor_.reset();
    SequenceEditorDialog::SetFileLauncher(nullptr);
    Settings::OverrideAppFolder(nullptr);
    folder_.reset();
  }

  std::string WriteDefinition(const std::string& name, const std::vector<std::string>& lines) {
    return testsupport::WriteFile(program_ + "/" + name + ".tvd", CrLf(lines));
  }
  std::string Sample() {
    return WriteDefinition("DJ30",
                           {"Workspace=" + workspace_, "Symbols=@ES,MSFT,List:SP500,", "EndDate=3/5/2017",
                            "MultiData=YES", "Genetic=20|0.10|50|0.50|", "", "Template=", "Daily",
                            "Intra/5|10 Days|1/5/2015", "", "OptSet=", "1/Len|10|20|5|", "2/Stop|100|"});
  }

  // Opens the editor on its own thread; returns its window.
  HWND Open(const std::string& name, bool isNew = false) {
    result_ = -99;
    editor_ = std::make_unique<ModalThread>(
        [this, name, isNew] { result_ = RunSequenceEditor(nullptr, program_.c_str(), name.c_str(), isNew); });
    return WaitForDialog("Backtesting Sequence: " + name);
  }
  bool Closed() { return editor_->WaitDone(); }

  std::vector<std::string> List(HWND editor, int id) {
    std::vector<std::string> out;
    for (int i = 0; i < ListCount(editor, id); ++i) out.push_back(ListItem(editor, id, i));
    return out;
  }
  bool WaitListCount(HWND editor, int id, int count) {
    return toolsupport::WaitUntil([&] { return ListCount(editor, id) == count; }, kWindowWaitMs);
  }
  // Clicks a button that opens a prompt; answers it with text (empty: unchanged) and OK, or cancels.
  std::string AnswerPrompt(const std::string& title, const char* text, bool ok = true) {
    HWND prompt = WaitForDialog(title);
    if (!prompt) return "<no prompt>";
    std::string initial = TextOf(prompt, kPromptFirstInputId);
    if (text) SetText(prompt, kPromptFirstInputId, text);
    ClickAndWaitClosed(prompt, ok ? IDOK : IDCANCEL);
    return initial;
  }
  SequenceDefinition ReadBack(const std::string& name) {
    SequenceDefinition def;
    RunScript script;
    CTxt error;
    script.LoadDefinition((program_ + "/" + name + ".tvd").c_str(), def, error);
    return def;
  }
  // Saves under the current name and confirms the result box; returns the result box's text.
  std::string SaveSameName(HWND editor) {
    Click(editor, IDOK);
    std::string question = AnswerBox(IDNO);
    EXPECT_EQ(question, "Do you want to save the changes as a new Sequence?");
    return AnswerBox(IDOK);
  }

  std::string root_, program_, work_, workspace_;
  std::unique_ptr<toolsupport::CurrentFolder> folder_;
  std::unique_ptr<ModalThread> editor_;
  std::vector<std::string> launched_;
  int result_ = -99;
};

// --- Loading ---------------------------------------------------------------------------------------------

TEST_F(Editor, ShowsTheDefinitionAsLoaded) {
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(List(editor, IDC_SYMBOLS), (std::vector<std::string>{"@ES", "MSFT", "List:SP500"}));
  // Ranges filled with the default, per-line end dates not shown.
  EXPECT_EQ(List(editor, IDC_TIMEFRAMES), (std::vector<std::string>{"Daily|5000 Bars", "Intra/5|10 Days"}));
  EXPECT_EQ(List(editor, IDC_PARAMETERS), (std::vector<std::string>{"1/Len|10|20|5|", "2/Stop|100|"}));
  EXPECT_EQ(TextOf(editor, IDC_END_DATE), "3/5/2017");
  EXPECT_EQ(TextOf(editor, IDC_WORKSPACE_GROUP), "Workspace: Chart");
  EXPECT_EQ(TextOf(editor, IDC_WORKSPACE_PATH), workspace_);
  EXPECT_EQ(SendMessageA(GetDlgItem(editor, IDC_MULTI_DATA), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(editor, IDC_GENETIC), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TextOf(editor, IDC_GENERATIONS), "20");
  EXPECT_EQ(TextOf(editor, IDC_MUTATION_RATE), "0.10");
  EXPECT_EQ(TextOf(editor, IDC_POPULATION), "50");
  EXPECT_EQ(TextOf(editor, IDC_CROSSOVER_RATE), "0.50");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(editor, IDC_POPULATION)));
  // SP500.lst is missing: two symbols of two timeframes; the genetic step runs 20 x 50 tests.
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE), "Steps: 4, largest: Step#1 with 1000 tests");
  for (int id :
       {IDC_SYMBOL_VIEW, IDC_SYMBOL_LIST_ADD, IDC_SYMBOL_LIST_SAVE, IDC_FRAME_LIST_ADD, IDC_FRAME_LIST_SAVE,
        IDC_PARAMETER_IMPORT, IDC_WORKSPACE_BROWSE, IDC_WORKSPACE_OPEN, IDC_SHOW_CMD, IDC_EDIT_DEFINITION})
    EXPECT_NE(GetDlgItem(editor, id), nullptr) << id;
  Click(editor, IDCANCEL);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(result_, IDCANCEL);
}

TEST_F(Editor, EstimatesTheRunFromTheStepTimesOfEarlierRuns) {
  Sample();
  std::string runs = root_ + "/TS/MyWork/Tavrin/DJ30";
  std::filesystem::create_directories(runs + "/SEQ_0001");
  std::filesystem::create_directories(runs + "/SEQ_0002");
  const std::string header = "Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),\r\n";
  testsupport::WriteFile(runs + "/SEQ_0001/ES_Daily.csv", header + "1,@ES,Daily1.00,1000,00:01:40,100,\r\n");
  testsupport::WriteFile(runs + "/SEQ_0002/ES_Daily.csv", header + "1,@ES,Daily1.00,1000,00:02:20,140,\r\n");
  Settings::WriteString("Tavrin", "TSHome", (root_ + "/TS").c_str());
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  // Two steps of 1000 tests took 240 s; four such steps take eight minutes.
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE),
            "Steps: 4, largest: Step#1 with 1000 tests\r\nAbout 00:08:00 to run (2 steps timed)");
  Click(editor, IDCANCEL);
  ASSERT_TRUE(Closed());
}

TEST_F(Editor, AMissingDefinitionIsReportedAndANewEmptyOneIsNot) {
  HWND editor = nullptr;
  result_ = -99;
  editor_ = std::make_unique<ModalThread>(
      [this] { result_ = RunSequenceEditor(nullptr, program_.c_str(), "Nowhere", false); });
  EXPECT_NE(AnswerBox(IDOK).find("Remote Script not found"), std::string::npos);
  editor = WaitForDialog("Backtesting Sequence: Nowhere");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(ListCount(editor, IDC_SYMBOLS), 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, IDC_GENERATIONS)));
  Click(editor, IDCANCEL);
  ASSERT_TRUE(Closed());

  WriteDefinition("Fresh", {});
  editor = Open("Fresh", true);
  ASSERT_NE(editor, nullptr) << "no error box for a definition just created";
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE), "Steps: 0");
}

// --- Symbols ---------------------------------------------------------------------------------------------

TEST_F(Editor, SymbolsAreAddedUpperCasedRefusedWhenTakenAndDeletedAfterAsking) {
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_SYMBOL_ADD);
  // The upper-casing field shows its initial text in capitals.
  EXPECT_TRUE(EqualNoCase(AnswerPrompt("Add Symbol", nullptr).c_str(), "(NewSymbol)"));
  EXPECT_EQ(AnswerBox(IDOK), "Enter a different name!");
  AnswerPrompt("Add Symbol", "msft");
  EXPECT_EQ(AnswerBox(IDOK), "Symbol 'MSFT' already in List");
  EXPECT_EQ(AnswerPrompt("Add Symbol", "es;x"), "MSFT") << "the prompt reopens with what was typed";
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 4));
  EXPECT_EQ(ListItem(editor, IDC_SYMBOLS, 3), "ES_X");
  EXPECT_EQ(ListSelection(editor, IDC_SYMBOLS), 3);

  SelectListItem(editor, IDC_SYMBOLS, 0);
  Click(editor, IDC_SYMBOL_DELETE);
  EXPECT_EQ(AnswerBox(IDNO), "Are you sure to delete Symbol @ES?");
  Click(editor, IDC_SYMBOL_DELETE);
  EXPECT_EQ(AnswerBox(IDYES), "Are you sure to delete Symbol @ES?");
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 3));
  EXPECT_EQ(List(editor, IDC_SYMBOLS), (std::vector<std::string>{"MSFT", "List:SP500", "ES_X"}));

  EXPECT_EQ(SaveSameName(editor).find("Save Backtesting Script to:\r\n"), 0u);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(result_, IDOK);
  EXPECT_EQ(Items(ReadBack("DJ30").symbols), (std::vector<std::string>{"MSFT", "List:SP500", "ES_X"}));
}

TEST_F(Editor, SymbolListsAreLoadedSavedViewedAndRefusedWhereTheyMakeNoSense) {
  testsupport::WriteFile(work_ + "/NDX.lst", CrLf({"AAPL", "MSFT"}));
  WriteDefinition("Lists",
                  {"Workspace=" + workspace_, "Symbols=", "", "Template=", "Daily", "", "OptSet=", "1/A|1|"});
  HWND editor = Open("Lists");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_SYMBOL_LIST_SAVE);
  EXPECT_EQ(AnswerBox(IDOK), "Add more symbols!");

  Click(editor, IDC_SYMBOL_LIST_ADD);
  HWND picker = WaitForDialog("Select the Symbol List");
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(List(picker, kListControlId),
            (std::vector<std::string>{"NDX", "(Import a SymbolList from TradeStation)"}));
  SelectListItem(picker, kListControlId, 0);
  ASSERT_TRUE(ClickAndWaitClosed(picker, IDOK));
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 1));
  EXPECT_EQ(ListItem(editor, IDC_SYMBOLS, 0), "List:NDX");
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE), "Steps: 2, largest: Step#1 with 1 tests");

  Click(editor, IDC_SYMBOL_LIST_SAVE);
  EXPECT_EQ(AnswerBox(IDOK), "Already a symbol list!");

  // Double-click shows the list's symbols.
  SelectListItem(editor, IDC_SYMBOLS, 0);
  PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_SYMBOLS, LBN_DBLCLK),
               reinterpret_cast<LPARAM>(GetDlgItem(editor, IDC_SYMBOLS)));
  HWND shown = WaitForDialog("Symbols in NDX");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(List(shown, kListControlId), (std::vector<std::string>{"AAPL", "MSFT"}));
  ASSERT_TRUE(ClickAndWaitClosed(shown, IDCANCEL));

  Click(editor, IDC_SYMBOL_VIEW);
  ASSERT_TRUE(toolsupport::WaitUntil([&] { return !launched_.empty(); }));
  EXPECT_EQ(launched_.back(), "NDX.lst");
  Click(editor, IDC_SYMBOL_ADD);
  AnswerPrompt("Add Symbol", "IBM");
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 2));
  SelectListItem(editor, IDC_SYMBOLS, 1);
  Click(editor, IDC_SYMBOL_VIEW);
  EXPECT_EQ(AnswerBox(IDOK), "IBM is not a Symbol List");
}

TEST_F(Editor, PlainSymbolsAreSavedAsANewListOnlyUnderAFreeName) {
  testsupport::WriteFile(work_ + "/Taken.lst", CrLf({"X"}));
  Sample();
  WriteDefinition("Plain", {"Workspace=" + workspace_, "Symbols=AA,BB,", "", "Template=", "Daily", "",
                            "OptSet=", "1/A|1|"});
  HWND editor = Open("Plain");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_SYMBOL_LIST_SAVE);
  EXPECT_EQ(AnswerPrompt("Enter new Symbol List Name", "Taken"), "(SymbolList)");
  EXPECT_EQ(AnswerBox(IDOK), "SymbolList 'Taken' exists already (Taken.lst)");
  AnswerPrompt("Enter new Symbol List Name", "Pair");
  EXPECT_EQ(AnswerBox(IDOK), "Saved 2 Symbols to Pair.lst");
  EXPECT_EQ(testsupport::ReadFile(work_ + "/Pair.lst"), "AA\r\nBB\r\n");
  EXPECT_EQ(testsupport::ReadFile(work_ + "/Taken.lst"), "X\r\n");
}

// --- Timeframes ------------------------------------------------------------------------------------------

class EditorTimeframes : public Editor {
 protected:
  void SelectCombo(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  bool WaitPreview(HWND dialog, const std::string& line) {
    return toolsupport::WaitUntil([&] { return TextOf(dialog, IDC_TF_PREVIEW) == line; }, kWindowWaitMs);
  }
};

TEST_F(EditorTimeframes, EveryKindComposesItsLineAndIsAddedOrModified) {
  WriteDefinition("Frames",
                  {"Workspace=" + workspace_, "Symbols=ES,", "", "Template=", "", "OptSet=", "1/A|1|"});
  HWND editor = Open("Frames");
  ASSERT_NE(editor, nullptr);
  struct Case {
    int kind;
    const char* value;  // null: a kind without a value
    int kaseUnit;
    const char* count;
    int unit;
    const char* line;
  };
  const Case cases[] = {
      {0, "", 0, "3", 0, "Ticks/100|3 Days"},        {1, "30", 0, "10", 0, "Intra/30|10 Days"},
      {2, nullptr, 0, "2", 3, "Daily|2 Years"},      {3, nullptr, 0, "52", 1, "Weekly|52 Weeks"},
      {4, nullptr, 0, "24", 2, "Monthly|24 Months"}, {5, "500", 0, "400", 4, "Volume/500|400 Bars"},
      {6, "0.5", 1, "30", 0, "Kase/0.5/T|30 Days"}};
  int added = 0;
  for (const Case& c : cases) {
    Click(editor, IDC_TIMEFRAME_ADD);
    HWND tf = WaitForDialog("Select Timeframe");
    ASSERT_NE(tf, nullptr);
    EXPECT_EQ(TextOf(tf, IDOK), "&ADD");
    EXPECT_EQ(TextOf(tf, IDC_TF_PREVIEW), "Daily|2 Years");
    SelectCombo(tf, IDC_TF_KIND, c.kind);
    // The change of kind has been handled once the preview names the new kind.
    std::string kindName = std::string(c.line).substr(0, std::string(c.line).find_first_of("/|"));
    ASSERT_TRUE(toolsupport::WaitUntil([&] { return TextOf(tf, IDC_TF_PREVIEW).rfind(kindName, 0) == 0; }))
        << c.line;
    EXPECT_EQ(IsWindowVisible(GetDlgItem(tf, IDC_TF_VALUE)) != FALSE, c.value != nullptr) << c.line;
    EXPECT_EQ(IsWindowVisible(GetDlgItem(tf, IDC_TF_KASE_UNIT)) != FALSE, c.kind == 6) << c.line;
    if (c.value) SetText(tf, IDC_TF_VALUE, c.value);
    if (c.kind == 6) SelectCombo(tf, IDC_TF_KASE_UNIT, c.kaseUnit);
    SetText(tf, IDC_TF_COUNT, c.count);
    SelectCombo(tf, IDC_TF_RANGE_UNIT, c.unit);
    EXPECT_TRUE(WaitPreview(tf, c.line)) << TextOf(tf, IDC_TF_PREVIEW);
    ASSERT_TRUE(ClickAndWaitClosed(tf, IDOK));
    ASSERT_TRUE(WaitListCount(editor, IDC_TIMEFRAMES, ++added));
    EXPECT_EQ(ListItem(editor, IDC_TIMEFRAMES, added - 1), c.line);
  }

  // Modify: the Kase line reads back with its unit, and an out-of-range interval keeps the dialog open.
  SelectListItem(editor, IDC_TIMEFRAMES, 6);
  Click(editor, IDC_TIMEFRAME_EDIT);
  HWND tf = WaitForDialog("Select Timeframe");
  ASSERT_NE(tf, nullptr);
  EXPECT_EQ(TextOf(tf, IDOK), "&MODIFY");
  EXPECT_EQ(TextOf(tf, IDC_TF_VALUE), "0.5");
  EXPECT_EQ(SendMessageA(GetDlgItem(tf, IDC_TF_KASE_UNIT), CB_GETCURSEL, 0, 0), 1);
  SelectCombo(tf, IDC_TF_KIND, 0);
  SetText(tf, IDC_TF_VALUE, "4001");
  ASSERT_TRUE(WaitPreview(tf, "Ticks/4001|30 Days"));
  Click(tf, IDOK);
  EXPECT_EQ(AnswerBox(IDOK), "Tick Interval 4001 out of Range in: Ticks/4001|30 Days");
  ASSERT_TRUE(IsWindow(tf));
  SetText(tf, IDC_TF_VALUE, "4000");
  ASSERT_TRUE(ClickAndWaitClosed(tf, IDOK));
  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return ListItem(editor, IDC_TIMEFRAMES, 6) == "Ticks/4000|30 Days"; }));
  EXPECT_EQ(ListCount(editor, IDC_TIMEFRAMES), 7);

  SaveSameName(editor);
  ASSERT_TRUE(Closed());
  std::vector<std::string> expected;
  for (const Case& c : cases) expected.push_back(c.line);
  expected[6] = "Ticks/4000|30 Days";
  EXPECT_EQ(Items(ReadBack("Frames").templateLines), expected);
}

TEST_F(EditorTimeframes, FrameListsAreSavedAndLoadedAndTimeframesDeletedAfterAsking) {
  testsupport::WriteFile(work_ + "/Short.frm", CrLf({"Intra/1|2 Days", "Intra/5|5 Days"}));
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_FRAME_LIST_SAVE);
  EXPECT_EQ(AnswerPrompt("Enter new TimeFrame List Name", "Short"), "(TimeFrameList)");
  EXPECT_EQ(AnswerBox(IDOK), "TimeFrameList 'Short' exists already (Short.frm)");
  AnswerPrompt("Enter new TimeFrame List Name", "Long");
  EXPECT_EQ(AnswerBox(IDOK), "Saved 2 TimeFrames to Long.frm");
  EXPECT_EQ(testsupport::ReadFile(work_ + "/Long.frm"), "Daily|5000 Bars\r\nIntra/5|10 Days\r\n");

  Click(editor, IDC_FRAME_LIST_ADD);
  HWND picker = WaitForDialog("Select the Time Frame List");
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(List(picker, kListControlId), (std::vector<std::string>{"Long", "Short"}));
  EXPECT_EQ(ListSelection(picker, kListControlId), 0);
  SelectListItem(picker, kListControlId, 1);
  ASSERT_TRUE(ClickAndWaitClosed(picker, IDOK));
  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return ListItem(editor, IDC_TIMEFRAMES, 0) == "Intra/1|2 Days"; }));

  SelectListItem(editor, IDC_TIMEFRAMES, 1);
  Click(editor, IDC_TIMEFRAME_DELETE);
  EXPECT_EQ(AnswerBox(IDYES), "Are you sure to delete TimeFrame Intra/5|5 Days?");
  ASSERT_TRUE(WaitListCount(editor, IDC_TIMEFRAMES, 1));
  EXPECT_EQ(ListItem(editor, IDC_TIMEFRAMES, 0), "Intra/1|2 Days");
}

// --- Parameters ------------------------------------------------------------------------------------------

TEST_F(Editor, ParametersAreCheckedOnAddAndModifyAndDeletedAfterAsking) {
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_PARAMETER_ADD);
  EXPECT_EQ(AnswerPrompt("Add Strategy Parameter", nullptr), "Seq/Name|Min|Max|Incr");
  EXPECT_EQ(AnswerBox(IDOK), "Enter a different Parameter!");
  AnswerPrompt("Add Strategy Parameter", "0/Len|5");
  EXPECT_EQ(AnswerBox(IDOK), "Parameter Number 0 out of Range in: 0/Len|5");
  AnswerPrompt("Add Strategy Parameter", "101/Len|5");
  EXPECT_EQ(AnswerBox(IDOK), "Parameter Number 101 out of Range in: 101/Len|5");
  AnswerPrompt("Add Strategy Parameter", "1/Len|");
  EXPECT_EQ(AnswerBox(IDOK), "Parameter (minimum) Value is missing in: 1/Len|");
  AnswerPrompt("Add Strategy Parameter", "1/Len|10|20|5|");
  EXPECT_EQ(AnswerBox(IDOK), "Parameter '1/Len|10|20|5|' already in List");
  AnswerPrompt("Add Strategy Parameter", nullptr, false);
  EXPECT_EQ(List(editor, IDC_PARAMETERS), (std::vector<std::string>{"1/Len|10|20|5|", "2/Stop|100|"}));

  Click(editor, IDC_PARAMETER_ADD);
  AnswerPrompt("Add Strategy Parameter", "3/Exit|1|4|1|");
  ASSERT_TRUE(WaitListCount(editor, IDC_PARAMETERS, 3));
  SelectListItem(editor, IDC_PARAMETERS, 1);
  Click(editor, IDC_PARAMETER_EDIT);
  EXPECT_EQ(AnswerPrompt("Modify Strategy Parameter", "2/Stop|"), "2/Stop|100|");
  EXPECT_EQ(AnswerBox(IDOK), "Parameter (minimum) Value is missing in: 2/Stop|");
  AnswerPrompt("Modify Strategy Parameter", "2/Stop|100|300|100|");
  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return ListItem(editor, IDC_PARAMETERS, 1) == "2/Stop|100|300|100|"; }));

  SelectListItem(editor, IDC_PARAMETERS, 0);
  Click(editor, IDC_PARAMETER_DELETE);
  EXPECT_EQ(AnswerBox(IDYES), "Are you sure you want to delete Parameter:\r\n\r\n1/Len|10|20|5|?");
  ASSERT_TRUE(WaitListCount(editor, IDC_PARAMETERS, 2));
  SaveSameName(editor);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(Items(ReadBack("DJ30").optSet),
            (std::vector<std::string>{"2/Stop|100|300|100|", "3/Exit|1|4|1|"}));
}

// --- Genetic fields, size, saving --------------------------------------------------------------------

TEST_F(Editor, GeneticFieldsFollowTheCheckBoxAndAreClampedOnSave) {
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Toggle(editor, IDC_GENETIC);  // off
  ASSERT_TRUE(toolsupport::WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(editor, IDC_GENERATIONS)); }));
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE), "Steps: 4, largest: Step#1 with 3 tests");
  Toggle(editor, IDC_GENETIC);  // on again
  ASSERT_TRUE(toolsupport::WaitUntil(
      [&] { return IsWindowEnabled(GetDlgItem(editor, IDC_CROSSOVER_RATE)) != FALSE; }));
  SetText(editor, IDC_GENERATIONS, "0");
  SetText(editor, IDC_MUTATION_RATE, "1.5");
  SetText(editor, IDC_POPULATION, "-3");
  SetText(editor, IDC_CROSSOVER_RATE, "0.256");
  Click(editor, IDOK);
  AnswerBox(IDNO);
  AnswerBox(IDOK);
  ASSERT_TRUE(Closed());
  std::string saved = testsupport::ReadFile(program_ + "/DJ30.tvd");
  EXPECT_NE(saved.find("\r\nGenetic=1|0.99|1|0.26|\r\n"), std::string::npos) << saved;

  HWND again = Open("DJ30");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(TextOf(again, IDC_MUTATION_RATE), "0.99");
  Toggle(again, IDC_GENETIC);
  ASSERT_TRUE(toolsupport::WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(again, IDC_GENERATIONS)); }));
  SaveSameName(again);
  ASSERT_TRUE(Closed());
  EXPECT_FALSE(ReadBack("DJ30").genetic.has_value());
}

TEST_F(Editor, SavedUnderANewNameTheFileReadsBackAsEnteredAndTheOldOneStays) {
  std::string original = testsupport::ReadFile(Sample());
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  SetText(editor, IDC_END_DATE, "2018-07-04");
  Toggle(editor, IDC_MULTI_DATA);
  Click(editor, IDOK);
  EXPECT_EQ(AnswerBox(IDYES), "Do you want to save the changes as a new Sequence?");
  EXPECT_EQ(AnswerPrompt("Enter New Sequence Name", nullptr), "(NewDef)");
  EXPECT_EQ(AnswerBox(IDOK), "Choose a different name!");
  AnswerPrompt("Enter New Sequence Name", "DJ30");
  EXPECT_EQ(AnswerBox(IDOK).find("Definintion 'DJ30' exists already - choose a different name\r\n("), 0u);
  AnswerPrompt("Enter New Sequence Name", "Copy 1");
  std::string path = program_ + "/Copy_1.tvd";
  EXPECT_EQ(AnswerBox(IDOK), "Save Backtesting Script to:\r\n" + path);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(result_, IDOK);

  EXPECT_EQ(testsupport::ReadFile(program_ + "/DJ30.tvd"), original);
  CTxt current;
  Settings::GetString("Tavrin", "CurrDef", "", current);
  EXPECT_EQ(current.ToStd(), "Copy_1");
  SequenceDefinition def = ReadBack("Copy_1");
  EXPECT_EQ(Items(def.symbols), (std::vector<std::string>{"@ES", "MSFT", "List:SP500"}));
  EXPECT_EQ(Items(def.templateLines), (std::vector<std::string>{"Daily|5000 Bars", "Intra/5|10 Days"}));
  EXPECT_EQ(Items(def.optSet), (std::vector<std::string>{"1/Len|10|20|5|", "2/Stop|100|"}));
  EXPECT_EQ(def.endDate.ToStd(), "7/4/2018");
  EXPECT_FALSE(def.multiData);
  ASSERT_TRUE(def.genetic.has_value());
  EXPECT_EQ(def.genetic->population, 50);
  EXPECT_EQ(def.workspace.ToStd(), workspace_);
}

TEST_F(Editor, AFailedSaveShowsWhyKeepsEverythingTypedAndWritesNothing) {
  std::string original = testsupport::ReadFile(Sample());
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_SYMBOL_ADD);
  AnswerPrompt("Add Symbol", "NQ");
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 4));
  SetText(editor, IDC_END_DATE, "13/45/2017");
  Click(editor, IDOK);
  AnswerBox(IDNO);
  EXPECT_EQ(AnswerBox(IDOK), "EndDate: 13/45/2017 is not valid - reenter");
  EXPECT_EQ(testsupport::ReadFile(program_ + "/DJ30.tvd"), original);
  ASSERT_TRUE(IsWindow(editor));
  EXPECT_EQ(ListCount(editor, IDC_SYMBOLS), 4);
  EXPECT_EQ(TextOf(editor, IDC_END_DATE), "13/45/2017");

  // The file held open without sharing by another program cannot be replaced: the reason is shown.
  SetText(editor, IDC_END_DATE, "1/2/2019");
  HANDLE held =
      CreateFileA((program_ + "/DJ30.tvd").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Click(editor, IDOK);
  AnswerBox(IDNO);
  std::string error = AnswerBox(IDOK);
  CloseHandle(held);
  EXPECT_EQ(error.find("Save Backtesting Script"), std::string::npos) << error;
  EXPECT_EQ(testsupport::ReadFile(program_ + "/DJ30.tvd"), original);
  ASSERT_TRUE(IsWindow(editor));

  // Cancelling the new-name prompt saves nothing either.
  Click(editor, IDOK);
  AnswerBox(IDYES);
  AnswerPrompt("Enter New Sequence Name", nullptr, false);
  EXPECT_TRUE(IsWindow(editor));
  SaveSameName(editor);
  ASSERT_TRUE(Closed());
  SequenceDefinition def = ReadBack("DJ30");
  EXPECT_EQ(def.symbols.GetSize(), 4);
  EXPECT_EQ(def.endDate.ToStd(), "1/2/2019");
}

TEST_F(Editor, TheSizeFollowsTheEditsAndAHugeStepIsQuestionedBeforeSaving) {
  std::string original = testsupport::ReadFile(
      WriteDefinition("Big", {"Workspace=" + workspace_, "Symbols=ES,", "EndDate=1/2/2019", "",
                              "Template=", "Daily", "", "OptSet=", "1/A|1|100|1|"}));
  HWND editor = Open("Big");
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(TextOf(editor, IDC_DEFINITION_SIZE), "Steps: 1, largest: Step#1 with 100 tests");
  Click(editor, IDC_PARAMETER_ADD);
  AnswerPrompt("Add Strategy Parameter", "2/B|1|101|1|");
  ASSERT_TRUE(toolsupport::WaitUntil([&] {
    return TextOf(editor, IDC_DEFINITION_SIZE) == "Steps: 1, largest: Step#1 with 10100 tests (too many!)";
  })) << TextOf(editor, IDC_DEFINITION_SIZE);
  Click(editor, IDOK);
  EXPECT_EQ(AnswerBox(IDNO).find("Step#1 of this Sequence runs 10100 optimization tests (more than 10000)."),
            0u);
  EXPECT_EQ(testsupport::ReadFile(program_ + "/Big.tvd"), original);
  ASSERT_TRUE(IsWindow(editor));

  Click(editor, IDC_TIMEFRAME_ADD);
  HWND tf = WaitForDialog("Select Timeframe");
  ASSERT_NE(tf, nullptr);
  ASSERT_TRUE(ClickAndWaitClosed(tf, IDOK));
  ASSERT_TRUE(toolsupport::WaitUntil([&] {
    return TextOf(editor, IDC_DEFINITION_SIZE).rfind("Steps: 2, largest: Step#1 with 10100", 0) == 0;
  }));
  Click(editor, IDOK);
  AnswerBox(IDYES);  // save anyway
  AnswerBox(IDNO);   // same name
  AnswerBox(IDOK);
  ASSERT_TRUE(Closed());
  EXPECT_EQ(ReadBack("Big").optSet.GetSize(), 2);
}

TEST_F(Editor, ShowCmdListsTheStepsOfTheFileOnDiskNotTheUnsavedEdits) {
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  Click(editor, IDC_SYMBOL_ADD);
  AnswerPrompt("Add Symbol", "NQ");
  ASSERT_TRUE(WaitListCount(editor, IDC_SYMBOLS, 4));
  Click(editor, IDC_SHOW_CMD);
  HWND steps = WaitForDialog("Backtesting Sequence");
  ASSERT_NE(steps, nullptr);
  EXPECT_EQ(List(steps, kListControlId),
            (std::vector<std::string>{
                "1. @ES|OptSet|Daily|5000 Bars|3/5/2017|", "2. @ES|OptSet|Intra/5|10 Days|1/5/2015|",
                "3. MSFT|OptSet|Daily|5000 Bars|3/5/2017|", "4. MSFT|OptSet|Intra/5|10 Days|1/5/2015|"}));
  RECT r{};
  GetWindowRect(steps, &r);
  RECT work = WorkAreaOf(steps);
  EXPECT_EQ(r.left, work.left);
  EXPECT_EQ(r.top, work.top);
  ASSERT_TRUE(ClickAndWaitClosed(steps, IDCANCEL));
  Click(editor, IDC_EDIT_DEFINITION);
  ASSERT_TRUE(toolsupport::WaitUntil([&] { return !launched_.empty(); }));
  EXPECT_EQ(launched_.back(), program_ + "/DJ30.tvd");
}

}  // namespace

namespace {

// Not a check: shows the editor and the timeframe dialog for the screenshots under docs/screenshots. Run with
// --gtest_also_run_disabled_tests and TAVRIN_SHOT_DIR set; for each picture the test writes NAME.ready in
// that folder and waits (at most a minute) for NAME.done, which the screenshot script writes after taking it.
bool HoldForScreenshot(const std::string& folder, const std::string& name) {
  testsupport::WriteFile(folder + "/" + name + ".ready", "");
  return toolsupport::WaitUntil([&] { return testsupport::FileExists(folder + "/" + name + ".done"); },
                                60000);
}

TEST_F(Editor, DISABLED_ScreenshotsForReview) {
  const char* folder = getenv("TAVRIN_SHOT_DIR");
  ASSERT_NE(folder, nullptr);
  testsupport::WriteFile(work_ + "/SP500.lst", CrLf({"AAPL", "MSFT", "IBM"}));
  Sample();
  HWND editor = Open("DJ30");
  ASSERT_NE(editor, nullptr);
  SetWindowPos(editor, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(HoldForScreenshot(folder, "editor"));
  SelectListItem(editor, IDC_TIMEFRAMES, 1);
  Click(editor, IDC_TIMEFRAME_EDIT);
  HWND tf = WaitForDialog("Select Timeframe");
  ASSERT_NE(tf, nullptr);
  SetWindowPos(tf, nullptr, 60, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ASSERT_TRUE(HoldForScreenshot(folder, "timeframe"));
  ClickAndWaitClosed(tf, IDCANCEL);
  Click(editor, IDC_SYMBOL_ADD);
  HWND prompt = WaitForDialog("Add Symbol");
  ASSERT_NE(prompt, nullptr);
  SetText(prompt, kPromptFirstInputId, "@NQ");
  ASSERT_TRUE(HoldForScreenshot(folder, "prompt"));
  ClickAndWaitClosed(prompt, IDCANCEL);
}

}  // namespace
