// The prompt dialog's field language and values text, and the sizes of the prompt and list dialogs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sequence/PromptFields.h"

namespace {

std::vector<std::string> Texts(const std::vector<CTxt>& values) {
  std::vector<std::string> out;
  for (const CTxt& v : values) out.push_back(v.GetData() ? v.GetData() : "");
  return out;
}

PromptMeasures Measures(int fields, int labelWidth = 40) {
  PromptMeasures m;
  m.titleWidth = 60;
  m.labelWidths.assign(static_cast<size_t>(fields), labelWidth);
  return m;
}

}  // namespace

TEST(PromptFieldLanguage, LabelWidthAndFlagOfEachTabSeparatedField) {
  std::vector<PromptField> fields;
  ASSERT_EQ(ParsePromptFields("Symbol:|15|Upper\tStep#:|4|Number\tPassword:|12|pwd\tNew Name:|30", fields),
            4);
  EXPECT_STREQ(fields[0].label, "Symbol:");
  EXPECT_EQ(fields[0].width, 15);
  EXPECT_EQ(fields[0].input, PromptInput::Upper);
  EXPECT_EQ(fields[1].input, PromptInput::Number);
  EXPECT_EQ(fields[2].input, PromptInput::Password);
  EXPECT_EQ(fields[3].width, 30);
  EXPECT_EQ(fields[3].input, PromptInput::Edit);
}

TEST(PromptFieldLanguage, FlagsAreWholeWordsInAnyCase) {
  EXPECT_EQ(PromptInputOfFlag("cb"), PromptInput::Combo);
  EXPECT_EQ(PromptInputOfFlag("LOWER"), PromptInput::Lower);
  EXPECT_EQ(PromptInputOfFlag("Password"), PromptInput::Password);
  EXPECT_EQ(PromptInputOfFlag(" number "), PromptInput::Number);
  EXPECT_EQ(PromptInputOfFlag("Uppercase"), PromptInput::Edit);
  EXPECT_EQ(PromptInputOfFlag("C"), PromptInput::Edit);
  EXPECT_EQ(PromptInputOfFlag(nullptr), PromptInput::Edit);
}

TEST(PromptFieldLanguage, NoFieldTextNoFieldsAndAMissingWidthStaysVisible) {
  std::vector<PromptField> fields;
  EXPECT_EQ(ParsePromptFields("", fields), 0);
  EXPECT_EQ(ParsePromptFields(nullptr, fields), 0);
  ASSERT_EQ(ParsePromptFields("Name:", fields), 1);
  EXPECT_EQ(fields[0].width, kPromptDefaultWidth);
  ASSERT_EQ(ParsePromptFields("Name:|0|Upper", fields), 1);
  EXPECT_EQ(fields[0].width, kPromptDefaultWidth);
}

TEST(PromptValues, OneValuePerFieldInOrder) {
  std::vector<CTxt> values;
  SplitPromptValues("John\t", 2, values);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"John", ""}));
  SplitPromptValues("only", 3, values);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"only", "", ""}));
  SplitPromptValues("a\tb\tc", 2, values);
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"a", "b"}));

  CTxt joined;
  JoinPromptValues({CTxt("John"), CTxt("secret")}, joined);
  EXPECT_STREQ(joined, "John\tsecret");
  JoinPromptValues({}, joined);
  EXPECT_STREQ(joined, "");
}

TEST(PromptValues, ComboChoicesDropEmptyOnes) {
  std::vector<CTxt> choices;
  EXPECT_EQ(SplitComboChoices("Exhaustive||Genetic|", choices), 2);
  EXPECT_EQ(Texts(choices), (std::vector<std::string>{"Exhaustive", "Genetic"}));
}

TEST(PromptSizes, WidthFollowsTheScaledFormulaForOrdinaryFields) {
  std::vector<PromptField> fields;
  ParsePromptFields("New Name:|30", fields);
  PromptLayout l = LayoutPrompt(fields, Measures(1, 36));
  EXPECT_EQ(l.width, (36 + 120 + 12) * 21 / 30 + 120);
  EXPECT_EQ(l.inputX, 4 + 36 + 8);
  EXPECT_EQ(l.inputWidths[0], 120);
  EXPECT_STREQ(l.okCaption, "&SAVE");
  EXPECT_EQ(l.okWidth, 30);
  EXPECT_EQ(l.cancelX, 5 + 30 + 10);
}

TEST(PromptSizes, LongTitlesWideInputsAndNotesWidenTheDialog) {
  std::vector<PromptField> fields;
  ParsePromptFields("Name:|10", fields);
  PromptMeasures m = Measures(1);
  int narrow = LayoutPrompt(fields, m).width;
  m.titleWidth = 600;
  EXPECT_EQ(LayoutPrompt(fields, m).width, (600 + 20) * 21 / 30 + 120);

  ParsePromptFields("Name:|100", fields);
  PromptLayout wide = LayoutPrompt(fields, Measures(1));
  EXPECT_GE(wide.width, wide.inputX + 400);  // the scaled formula alone would cut the input off
  EXPECT_GT(wide.width, narrow);

  ParsePromptFields("Name:|10", fields);
  m = Measures(1);
  m.noteWidth = 500;
  m.noteLines = 3;
  PromptLayout noted = LayoutPrompt(fields, m);
  EXPECT_GE(noted.width, 4 + 500);
  EXPECT_EQ(noted.noteHeight, 24);
  EXPECT_GE(noted.buttonY, noted.noteY + 24);
}

TEST(PromptSizes, HeightGrowsWithFieldsAndButtonsStayInside) {
  for (int count = 0; count <= 6; ++count) {
    std::vector<PromptField> fields(static_cast<size_t>(count));
    for (PromptField& f : fields) f.width = 10;
    PromptLayout l = LayoutPrompt(fields, Measures(count));
    EXPECT_GE(l.height, (count + 1) * 12 + 8) << count;
    EXPECT_GE(l.buttonY, 4 + count * 12) << count;
    EXPECT_LE(l.buttonY + kButtonHeight, l.height) << count;
    EXPECT_LE(l.cancelX + kCancelWidth, l.width) << count;
  }
}

TEST(PromptSizes, ShortOkCaptionsAreNotCutAndLongOnesPushCancel) {
  std::vector<PromptField> fields;
  ParsePromptFields("Symbol:|15|Upper", fields);
  PromptMeasures m = Measures(1);
  m.okCaption = "ADD";
  EXPECT_EQ(LayoutPrompt(fields, m).okWidth, 30);
  m.okCaption = "Load TimeFrames";
  PromptLayout l = LayoutPrompt(fields, m);
  EXPECT_GE(l.okWidth, 15 * kAverageCharUnits);
  EXPECT_EQ(l.cancelX, l.okX + l.okWidth + 10);
}

TEST(PromptSizes, GivenSizesAreKept) {
  std::vector<PromptField> fields;
  ParsePromptFields("Name:|10", fields);
  PromptMeasures m = Measures(1);
  m.requestedWidth = 333;
  m.requestedHeight = 77;
  PromptLayout l = LayoutPrompt(fields, m);
  EXPECT_EQ(l.width, 333);
  EXPECT_EQ(l.height, 77);
}

TEST(ListSizes, WidthAndLinesAreClampedAndScrollOnlyWhenNeeded) {
  ListMeasures m;
  m.widthChars = 10;
  m.visibleLines = 15;
  m.itemCount = 15;
  ListLayout l = LayoutList(m);
  EXPECT_EQ(l.listWidth, 15 * 4 + 8);
  EXPECT_EQ(l.listHeight, 15 * 83 / 10);
  EXPECT_FALSE(l.scrollBar);

  m.widthChars = 500;
  m.visibleLines = 80;
  m.itemCount = 51;
  l = LayoutList(m);
  EXPECT_EQ(l.listWidth, 100 * 4 + 8);
  EXPECT_EQ(l.listHeight, 50 * 83 / 10);
  EXPECT_TRUE(l.scrollBar);

  m.visibleLines = 10;
  m.itemCount = 12;
  EXPECT_TRUE(LayoutList(m).scrollBar);
  m.itemCount = 10;
  EXPECT_FALSE(LayoutList(m).scrollBar);

  m.visibleLines = 2;
  EXPECT_EQ(LayoutList(m).listHeight, 16 + 2);  // 16.6 rounded down, plus 4 - 2
  m.visibleLines = 0;
  EXPECT_EQ(LayoutList(m).listHeight, 8 + 3);
}

TEST(ListSizes, AHeadingMovesTheListAndTheButtonsDownByItsLine) {
  ListMeasures m;
  ListLayout plain = LayoutList(m);
  m.heading = true;
  ListLayout headed = LayoutList(m);
  EXPECT_EQ(headed.headingY, plain.listY);
  EXPECT_EQ(headed.listY, plain.listY + kListHeadingHeight + 2);
  EXPECT_EQ(headed.buttonY - plain.buttonY, headed.listY - plain.listY);
  EXPECT_EQ(headed.height - plain.height, headed.listY - plain.listY);
  EXPECT_EQ(headed.listHeight, plain.listHeight);
}

TEST(ListSizes, ButtonsByOkCaptionAndTitleMinimum) {
  ListMeasures m;
  ListLayout closeOnly = LayoutList(m);
  EXPECT_EQ(closeOnly.okWidth, 0);
  EXPECT_EQ(closeOnly.cancelX, 5);
  m.okCaption = "Load List";
  ListLayout withOk = LayoutList(m);
  EXPECT_GE(withOk.okWidth, 9 * 4);
  EXPECT_EQ(withOk.cancelX, withOk.okX + withOk.okWidth + 10);
  EXPECT_LE(withOk.cancelX + kCancelWidth, withOk.width);
  EXPECT_LE(withOk.buttonY + kButtonHeight, withOk.height);
  m.titleWidth = 700;
  EXPECT_GE(LayoutList(m).width, 720);
}
