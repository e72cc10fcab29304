// Tavrin's resource-less dialogs driven in-process like a user drives them: the in-memory template, the
// prompt with its field language, the list picker, their sizes on screen, and the restart-point questions
// through them.
#include <gtest/gtest.h>

#include <string>

#include "AppDialogsSupport.h"
#include "app/Dialogs/Dialog.h"
#include "app/Dialogs/DialogStepPrompts.h"
#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/Dialogs/DynDlgTemplate.h"

using namespace appdialogs;

namespace {

constexpr int kFirst = kPromptFirstInputId;

// Runs a prompt on its own thread; result and values are read after it ended.
struct PromptRun {
  CDlgPrompt prompt;
  CTxt values;
  int result = -99;
  std::unique_ptr<ModalThread> thread;
  void Start(const char* title, const char* fields, const char* initial) {
    values = initial;
    std::string t = title, f = fields;
    thread = std::make_unique<ModalThread>(
        [this, t, f] { result = prompt.DoModal(nullptr, t.c_str(), f.c_str(), values); });
  }
  bool Finish() { return thread->WaitDone(); }
};

struct ListRun {
  CDlgList list;
  CTxt selection;
  int result = -99;
  std::unique_ptr<ModalThread> thread;
  void Start(const char* title, const char* preselect) {
    selection = preselect;
    std::string t = title;
    thread =
        std::make_unique<ModalThread>([this, t] { result = list.DoModal(nullptr, t.c_str(), selection); });
  }
};

int WidthOf(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return r.right - r.left;
}

bool HasStyle(HWND w, LONG style) {
  return (GetWindowLongA(w, GWL_STYLE) & style) == style;
}

// A dialog shown from a template, recording the control it found.
class TemplateProbe : public Dialog {
 protected:
  bool OnInit() override {
    End(42);
    return true;
  }
};

}  // namespace

// --- The in-memory template -----------------------------------------------------------------------------

TEST(DynamicTemplate, BuildsADialogWithItsControlsTitleAndFont) {
  CDynDlgTemplate t;
  t.SetHeader(WS_POPUP | WS_CAPTION | DS_SETFONT, WS_EX_CONTROLPARENT, 10, 20, 200, 100);
  t.SetTitle("Template Probe");
  t.SetFont(8, "MS Sans Serif");
  t.AddItem(5, 5, 100, 12, 1001, WS_VISIBLE | WS_BORDER, "Edit", "typed");
  t.AddItem(5, 20, 100, 40, 1002, WS_VISIBLE | LBS_NOTIFY, "ListBox", "");
  t.AddItem(5, 70, 40, 14, IDOK, WS_VISIBLE, "Button", "&Go");
  const DLGTEMPLATE* built = t.GetTemplate();
  ASSERT_NE(built, nullptr);
  EXPECT_EQ(built->cdit, 3);
  EXPECT_EQ(t.GetTemplate(), nullptr) << "a second template while the first is not released";

  HWND dialog = CreateDialogIndirectParamA(
      GetModuleHandleA(nullptr), built, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; },
      0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(toolsupport::WindowText(dialog), "Template Probe");
  EXPECT_EQ(toolsupport::ClassOf(GetDlgItem(dialog, 1001)), "Edit");
  EXPECT_EQ(TextOf(dialog, 1001), "typed");
  EXPECT_EQ(toolsupport::ClassOf(GetDlgItem(dialog, 1002)), "ListBox");
  EXPECT_EQ(TextOf(dialog, IDOK), "&Go");
  DestroyWindow(dialog);
  t.ReleaseTemplate();
  EXPECT_NE(t.GetTemplate(), nullptr);
}

TEST(DynamicTemplate, ByteFormRoundTripsAndRefusesDamagedInput) {
  CDynDlgTemplate t;
  t.SetHeader(WS_POPUP | DS_SETFONT, 0, 1, 2, 3, 4);
  t.SetTitle("Round trip \xe4");
  t.SetFont(9, "Tahoma");
  BYTE data[] = {1, 2, 3};
  t.AddItem(5, 6, 7, 8, 1001, WS_BORDER, "MyClass", "text", data, sizeof data);
  t.AddItem(0, 0, 1, 1, 2, 0, "Button", "");
  std::vector<BYTE> bytes = t.Write();

  CDynDlgTemplate copy;
  ASSERT_TRUE(copy.Read(bytes));
  EXPECT_EQ(copy.Write(), bytes);
  EXPECT_EQ(copy.Title(), t.Title());
  EXPECT_EQ(copy.FontFace(), L"Tahoma");
  ASSERT_EQ(copy.Items().size(), 2u);
  EXPECT_EQ(copy.Items()[0].creationData, std::vector<BYTE>(data, data + 3));
  EXPECT_EQ(copy.Items()[0].className, L"MyClass");

  for (size_t cut : {size_t(0), size_t(17), bytes.size() / 2, bytes.size() - 1}) {
    std::vector<BYTE> damaged(bytes.begin(), bytes.begin() + static_cast<long>(cut));
    EXPECT_FALSE(copy.Read(damaged)) << cut;
  }
  std::vector<BYTE> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(copy.Read(longer));
  EXPECT_EQ(copy.Write(), bytes) << "a refused form leaves the template unchanged";
}

TEST(DynamicTemplate, TheDialogBaseRunsATemplateModallyAndReturnsItsResult) {
  CDynDlgTemplate t;
  t.SetHeader(WS_POPUP | WS_CAPTION | DS_SETFONT, 0, 0, 0, 100, 50);
  t.SetFont(8, "MS Sans Serif");
  t.SetTitle("Probe");
  TemplateProbe probe;
  EXPECT_EQ(probe.RunModal(nullptr, t.GetTemplate()), 42);
  EXPECT_EQ(probe.RunModal(nullptr, nullptr), -1);
}

// --- The prompt ---------------------------------------------------------------------------------------

TEST(PromptDialog, UpperFieldCapitalisesAsTypedAndOkReturnsTheValue) {
  PromptRun run;
  run.prompt.okCaption = "ADD";
  run.Start("Add Symbol", "Symbol:|15|Upper", "");
  HWND dialog = WaitForDialog("Add Symbol");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog, IDOK), "ADD");
  EXPECT_EQ(TextOf(dialog, IDCANCEL), "&Cancel");
  TypeInto(dialog, kFirst, "es.x");
  EXPECT_EQ(TextOf(dialog, kFirst), "ES.X");
  Click(dialog, IDOK);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.result, 0);
  EXPECT_STREQ(run.values, "ES.X");
}

TEST(PromptDialog, NumberFieldRefusesLettersAndLowerFieldLowers) {
  PromptRun run;
  run.Start("Numbers", "Step#:|4|Number\tName:|10|Lower", "7\t");
  HWND dialog = WaitForDialog("Numbers");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog, kFirst), "7");
  TypeInto(dialog, kFirst, "1a2");
  TypeInto(dialog, kFirst + 1, "MiXed");
  // The first field opens with its text selected, so typing replaces it.
  EXPECT_EQ(TextOf(dialog, kFirst), "12");
  Click(dialog, IDOK);
  ASSERT_TRUE(run.Finish());
  EXPECT_STREQ(run.values, "12\tmixed");
}

TEST(PromptDialog, PlainAndPasswordFieldsReturnBothValuesJoinedByTab) {
  PromptRun run;
  run.Start("Set Password", "User:|20\tPassword:|20|password", "John\t");
  HWND dialog = WaitForDialog("Set Password");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(HasStyle(GetDlgItem(dialog, kFirst + 1), ES_PASSWORD));
  EXPECT_FALSE(HasStyle(GetDlgItem(dialog, kFirst), ES_PASSWORD));
  TypeInto(dialog, kFirst + 1, "s3cret");
  Click(dialog, IDOK);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.result, 0);
  EXPECT_STREQ(run.values, "John\ts3cret");
}

TEST(PromptDialog, CancelReturnsMinusOneAndUserCancelled) {
  PromptRun run;
  run.Start("Cancel Me", "Name:|10", "kept?");
  HWND dialog = WaitForDialog("Cancel Me");
  ASSERT_NE(dialog, nullptr);
  TypeInto(dialog, kFirst, "typed");
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.result, -1);
  EXPECT_STREQ(run.values, "User cancelled");
}

TEST(PromptDialog, ComboFieldOffersTheChoicesWithTheFirstSelected) {
  PromptRun run;
  run.Start("Method", "Method:|12|CB\tNote:|10", "Exhaustive|Genetic\tx");
  HWND dialog = WaitForDialog("Method");
  ASSERT_NE(dialog, nullptr);
  HWND combo = GetDlgItem(dialog, kFirst);
  EXPECT_EQ(toolsupport::ClassOf(combo), "ComboBox");
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
  Click(dialog, IDOK);
  ASSERT_TRUE(run.Finish());
  EXPECT_STREQ(run.values, "Exhaustive\tx");
}

TEST(PromptDialog, WithoutFieldsOkStillAnswersWithAnEmptyText) {
  PromptRun run;
  run.Start("Nothing To Ask", "", "something");
  HWND dialog = WaitForDialog("Nothing To Ask");
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(GetDlgItem(dialog, IDOK), nullptr);
  EXPECT_EQ(TextOf(dialog, IDOK), "&SAVE");
  Click(dialog, IDOK);
  ASSERT_TRUE(run.Finish());
  EXPECT_EQ(run.result, 0);
  EXPECT_STREQ(run.values, "");
}

TEST(PromptDialog, InputsAreAsWideAsTheirCharacterCountsAndFitTheDialog) {
  PromptRun run;
  run.Start("Widths", "Short:|5\tLonger label here:|30\tMiddle:|15", "");
  HWND dialog = WaitForDialog("Widths");
  ASSERT_NE(dialog, nullptr);
  int w5 = WidthOf(GetDlgItem(dialog, kFirst)), w30 = WidthOf(GetDlgItem(dialog, kFirst + 1)),
      w15 = WidthOf(GetDlgItem(dialog, kFirst + 2));
  EXPECT_NEAR(w30, 6 * w5, 6);
  EXPECT_NEAR(w15, 3 * w5, 4);
  RECT client{};
  GetClientRect(dialog, &client);
  for (int id : {kFirst, kFirst + 1, kFirst + 2, IDOK, IDCANCEL}) {
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_LE(r.right, client.right) << id;
    EXPECT_LE(r.bottom, client.bottom) << id;
  }
  // Labels do not run into the inputs: every input starts right of the widest label.
  RECT input{}, label{};
  GetWindowRect(GetDlgItem(dialog, kFirst), &input);
  HWND child = GetWindow(dialog, GW_CHILD);
  for (; child; child = GetWindow(child, GW_HWNDNEXT))
    if (toolsupport::WindowText(child) == "Longer label here:") GetWindowRect(child, &label);
  EXPECT_LE(label.right, input.left);
}

TEST(PromptDialog, LongTitlesAndNotesGrowTheDialogButItStaysOnScreen) {
  PromptRun shortRun;
  shortRun.Start("Short", "Name:|10", "");
  HWND small = WaitForDialog("Short");
  ASSERT_NE(small, nullptr);
  int smallWidth = WidthOf(small);
  Click(small, IDCANCEL);
  ASSERT_TRUE(shortRun.Finish());

  std::string title = "A long title " + std::string(60, 'W');
  PromptRun longRun;
  longRun.prompt.note = "First line of a note\r\nSecond line, rather longer than the first one is\nThird";
  RECT work = WorkAreaOf(GetDesktopWindow());
  longRun.prompt.SetPosition(work.right - 20, work.bottom - 20);  // as if opened at a button near the corner
  longRun.Start(title.c_str(), "Name:|10", "");
  HWND big = WaitForDialog(title);
  ASSERT_NE(big, nullptr);
  EXPECT_GT(WidthOf(big), smallWidth);
  EXPECT_TRUE(InsideWorkArea(big));
  EXPECT_NE(TextOf(big, kPromptNoteId).find("Second line"), std::string::npos);

  PromptRun hugeRun;
  hugeRun.Start("Huge", "Name:|100\tOther:|100", "");
  HWND huge = WaitForDialog("Huge");
  ASSERT_NE(huge, nullptr);
  EXPECT_TRUE(InsideWorkArea(huge));
}

TEST(PromptDialog, OpensWithItsCornerAtTheGivenPoint) {
  PromptRun run;
  run.prompt.SetPosition(40, 50);
  run.Start("Placed", "Name:|10", "");
  HWND dialog = WaitForDialog("Placed");
  ASSERT_NE(dialog, nullptr);
  RECT r{};
  GetWindowRect(dialog, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
}

// --- The list ---------------------------------------------------------------------------------------

TEST(ListDialog, PreselectsIgnoringCaseAndOkReturnsIndexAndText) {
  ListRun run;
  for (const char* s : {"DJ30", "SP500", "NDX"}) run.list.items.Add(s);
  run.list.okCaption = "Load List";
  run.Start("Select the Symbol List", "sp500");
  HWND dialog = WaitForDialog("Select the Symbol List");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ListCount(dialog, kListControlId), 3);
  EXPECT_EQ(ListSelection(dialog, kListControlId), 1);
  EXPECT_EQ(TextOf(dialog, IDOK), "Load List");
  SelectListItem(dialog, kListControlId, 2);
  Click(dialog, IDOK);
  ASSERT_TRUE(run.thread->WaitDone());
  EXPECT_EQ(run.result, 2);
  EXPECT_STREQ(run.selection, "NDX");
}

TEST(ListDialog, OkWithoutASelectionDoesNothingAndCancelReturnsMinusOne) {
  ListRun run;
  run.list.items.Add("A");
  run.list.okCaption = "OK";
  run.Start("No Choice", "nothing matches");
  HWND dialog = WaitForDialog("No Choice");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ListSelection(dialog, kListControlId), LB_ERR);
  Click(dialog, IDOK);
  EXPECT_FALSE(run.thread->WaitDone(300)) << "OK without a selection must not close the list";
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(run.thread->WaitDone());
  EXPECT_EQ(run.result, -1);
  EXPECT_STREQ(run.selection, "nothing matches");
}

TEST(ListDialog, AnEmptyListOffersEmptyWhichCanBeChosen) {
  ListRun run;
  run.list.okCaption = "OK";
  run.Start("Empty", "");
  HWND dialog = WaitForDialog("Empty");
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(ListCount(dialog, kListControlId), 1);
  EXPECT_EQ(ListItem(dialog, kListControlId, 0), "(Empty)");
  SelectListItem(dialog, kListControlId, 0);
  Click(dialog, IDOK);
  ASSERT_TRUE(run.thread->WaitDone());
  EXPECT_EQ(run.result, 0);
  EXPECT_STREQ(run.selection, "(Empty)");
}

TEST(ListDialog, ScrollBarOnlyWithMoreItemsThanVisibleLines) {
  for (int count : {10, 12}) {
    ListRun run;
    for (int i = 0; i < count; ++i) run.list.items.Add(std::to_string(i).c_str());
    std::string title = "Lines " + std::to_string(count);
    run.Start(title.c_str(), "");
    HWND dialog = WaitForDialog(title);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(HasStyle(GetDlgItem(dialog, kListControlId), WS_VSCROLL), count > 10) << count;
    EXPECT_EQ(GetDlgItem(dialog, IDOK), nullptr) << "without an OK caption only Close";
    EXPECT_EQ(TextOf(dialog, IDCANCEL), "&Close");
    Click(dialog, IDCANCEL);
    ASSERT_TRUE(run.thread->WaitDone());
    EXPECT_EQ(run.result, -1);
  }
}

TEST(ListDialog, TopmostWideAndTallListsStayOnScreen) {
  ListRun run;
  for (int i = 0; i < 200; ++i)
    run.list.items.Add(("Item " + std::to_string(i) + std::string(90, 'x')).c_str());
  run.list.widthChars = 100;
  run.list.visibleLines = 50;
  run.list.SetPosition(-500, -500);
  run.Start("Huge List", ("item 150" + std::string(90, 'X')).c_str());
  HWND dialog = WaitForDialog("Huge List");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(InsideWorkArea(dialog));
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_EQ(ListSelection(dialog, kListControlId), 150);
}

// --- The restart-point questions through the dialogs ------------------------------------------------------

TEST(DialogStepPromptsTest, TheStepNumberPromptShowsItsTextAndReturnsTheNumber) {
  DialogStepPrompts prompts(nullptr);
  CTxt answer;
  bool ok = false;
  ModalThread thread([&] {
    ok = prompts.AskText("Set Starting Step", "Enter the Step# to start on next run:", "Step#:|4|Number",
                         answer);
  });
  HWND dialog = WaitForDialog("Set Starting Step");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(TextOf(dialog, kPromptNoteId), "Enter the Step# to start on next run:");
  TypeInto(dialog, kFirst, "x12");
  Click(dialog, IDOK);
  ASSERT_TRUE(thread.WaitDone());
  EXPECT_TRUE(ok);
  EXPECT_STREQ(answer, "12");
}

TEST(DialogStepPromptsTest, QuestionsAndBoxesAreAnsweredInMessageBoxes) {
  DialogStepPrompts prompts(nullptr);
  StepPrompts::Answer a1 = StepPrompts::Answer::Yes, a2 = StepPrompts::Answer::Yes;
  ModalThread thread([&] {
    a1 = prompts.AskYesNoCancel("Continue at the aborted Step?");
    a2 = prompts.AskYesNo("Skip ahead?");
    prompts.ShowError("The Step# has to be between 2 and 5");
  });
  EXPECT_EQ(AnswerBox(IDNO), "Continue at the aborted Step?");
  EXPECT_EQ(AnswerBox(IDNO), "Skip ahead?");
  EXPECT_EQ(AnswerBox(IDOK), "The Step# has to be between 2 and 5");
  ASSERT_TRUE(thread.WaitDone());
  EXPECT_EQ(a1, StepPrompts::Answer::No);
  EXPECT_EQ(a2, StepPrompts::Answer::No);

  DialogStepPrompts cancelled(nullptr);
  CTxt answer("unchanged");
  bool ok = true;
  ModalThread second([&] { ok = cancelled.AskText("Ask", "", "Step#:|4|Number", answer); });
  HWND dialog = WaitForDialog("Ask");
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDCANCEL);
  ASSERT_TRUE(second.WaitDone());
  EXPECT_FALSE(ok);
  EXPECT_STREQ(answer, "unchanged");
}
