// The field language of the prompt dialog ("New Name:|30", "Symbol:|15|Upper", fields separated by TAB),
// its values text (one value per field, TAB-separated; a combo box's value lists its choices with '|'),
// and the arithmetic that sizes the prompt and the list dialog from measured texts. Portable, so that the
// rules are tested without windows; the dialogs themselves live in app/Dialogs.
#pragma once

#include <vector>

#include "foundation/Txt.h"

// The kind of input a field's flag asks for.
enum class PromptInput { Edit, Combo, Upper, Lower, Password, Number };

struct PromptField {
  CTxt label;
  int width = 0;  // in average characters
  PromptInput input = PromptInput::Edit;
};

// An input without a width (or a width below 1) is this many characters wide, so that it can be seen.
constexpr int kPromptDefaultWidth = 20;

// The input of a flag (the whole text, ignoring case and surrounding blanks): "CB", "Upper", "Lower",
// "password"/"pwd", "Number"; anything else (and none) a plain edit field.
PromptInput PromptInputOfFlag(const char* flag);

// Splits a field text into fields (TAB-separated, each label "|" width "|" flag). Empty field text:
// no fields. Returns the number of fields.
int ParsePromptFields(const char* fieldText, std::vector<PromptField>& fields);

// The value of each field, in field order (missing values are empty; a value text without TABs is the first
// field's value). Returns count.
int SplitPromptValues(const char* values, int count, std::vector<CTxt>& out);
// The texts of the inputs joined by TAB, as OK leaves them in the values text. Returns the length.
int JoinPromptValues(const std::vector<CTxt>& values, CTxt& out);
// A combo box's choices ('|'-separated, empty ones dropped).
int SplitComboChoices(const char* value, std::vector<CTxt>& choices);

// --- Sizes, in dialog units -----------------------------------------------------------------------------
// Texts are measured with the dialog font and converted to dialog units: the average character (the width of
// "A".."Z" over 26) is 4 units wide and a line of text 8 units high.
constexpr int kAverageCharUnits = 4;
constexpr int kLineUnits = 8;
constexpr int kButtonHeight = 14;
constexpr int kCancelWidth = 30;

struct PromptMeasures {
  int titleWidth = 0;            // the title's text
  std::vector<int> labelWidths;  // one per field
  int noteLines = 0;             // lines of the note text (0: no note)
  int noteWidth = 0;             // its widest line
  CTxt okCaption;                // empty: "&SAVE"
  int requestedWidth = 0;        // the caller's size; below 1 computed
  int requestedHeight = 0;
};

struct PromptLayout {
  int width = 0, height = 0;
  int labelX = 4, labelWidth = 0;  // the label column
  int inputX = 0;
  int pitch = kLineUnits + 4;  // from one field's line to the next
  int firstLineY = 4;
  int inputHeight = kLineUnits + 4;
  std::vector<int> inputWidths;
  int noteY = 0, noteHeight = 0;
  int buttonY = 0;
  int okX = 5, okWidth = 0;
  int cancelX = 0;
  CTxt okCaption;
};

// The prompt's layout: the label column as wide as the widest label, inputs 8 units to its right, the
// dialog as wide as the larger of (labels + widest input + 12) and the title plus 20 (scaled by 21/30, plus
// 120) but never narrower than its inputs and buttons need; fields + 1 lines of line height + 4, plus a
// line, plus the note. The OK button is 30 units with "&SAVE", otherwise as wide as its caption (at least
// as wide as Cancel, so a short caption is not cut).
PromptLayout LayoutPrompt(const std::vector<PromptField>& fields, const PromptMeasures& measures);

struct ListMeasures {
  int titleWidth = 0;
  int widthChars = 20;    // clamped to 15..100
  int visibleLines = 10;  // clamped to 1..50
  int itemCount = 0;
  CTxt okCaption;  // empty: a single "&Close" button
  int requestedWidth = 0;
  int requestedHeight = 0;
  bool heading = false;  // a line of text above the list
};

// Height of the heading line above a list, in dialog units.
constexpr int kListHeadingHeight = 10;

struct ListLayout {
  int width = 0, height = 0;
  int headingY = 5;  // the heading's line, when there is one (as wide as the list)
  int listX = 5, listY = 5, listWidth = 0, listHeight = 0;
  bool scrollBar = false;
  int buttonY = 0;
  int okX = 5, okWidth = 0;  // okWidth 0: no OK button
  int cancelX = 5;           // "&Cancel", or "&Close" without an OK button
};

// The list is widthChars average characters wide plus 8, visibleLines x 8.3 units high (rounded down; lines
// below 4 add 4 - lines units) and scrolls only when there are more items than visible lines.
ListLayout LayoutList(const ListMeasures& measures);
