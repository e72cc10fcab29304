// Reading the prompt's field language and sizing the prompt and list dialogs.
#include "sequence/PromptFields.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kFieldSeparator = '\t';
constexpr const char* kDefaultOkCaption = "&SAVE";

CTxt Trimmed(const std::string& text) {
  return CTxt(TrimBlanks(text).c_str());
}

// The parts of text between separators, empty ones included (a text without separators is one part).
std::vector<std::string> Split(const char* text, char separator) {
  std::vector<std::string> parts;
  std::string current;
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == separator) {
      parts.push_back(current);
      current.clear();
    } else {
      current += *p;
    }
  }
  parts.push_back(current);
  return parts;
}

int CaptionWidth(const CTxt& caption) {
  return caption.GetLength() * kAverageCharUnits + 8;
}

}  // namespace

PromptInput PromptInputOfFlag(const char* flag) {
  CTxt f = Trimmed(flag ? flag : "");
  if (EqualNoCase(f, "CB")) return PromptInput::Combo;
  if (EqualNoCase(f, "Upper")) return PromptInput::Upper;
  if (EqualNoCase(f, "Lower")) return PromptInput::Lower;
  if (EqualNoCase(f, "password") || EqualNoCase(f, "pwd")) return PromptInput::Password;
  if (EqualNoCase(f, "Number")) return PromptInput::Number;
  return PromptInput::Edit;
}

int ParsePromptFields(const char* fieldText, std::vector<PromptField>& fields) {
  fields.clear();
  if (!fieldText || !*fieldText) return 0;
  for (const std::string& text : Split(fieldText, kFieldSeparator)) {
    std::vector<std::string> parts = Split(text.c_str(), '|');
    PromptField field;
    field.label = parts[0].c_str();
    field.width = parts.size() > 1 ? std::atoi(parts[1].c_str()) : 0;
    if (field.width < 1) field.width = kPromptDefaultWidth;
    field.input = PromptInputOfFlag(parts.size() > 2 ? parts[2].c_str() : "");
    fields.push_back(field);
  }
  return static_cast<int>(fields.size());
}

int SplitPromptValues(const char* values, int count, std::vector<CTxt>& out) {
  out.assign(static_cast<size_t>(std::max(0, count)), CTxt());
  std::vector<std::string> parts = Split(values, kFieldSeparator);
  for (size_t i = 0; i < out.size() && i < parts.size(); ++i) out[i] = parts[i].c_str();
  return count;
}

int JoinPromptValues(const std::vector<CTxt>& values, CTxt& out) {
  std::string joined;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) joined += kFieldSeparator;
    joined += values[i].GetData() ? values[i].GetData() : "";
  }
  out = joined.c_str();
  return out.GetLength();
}

int SplitComboChoices(const char* value, std::vector<CTxt>& choices) {
  choices.clear();
  for (const std::string& choice : Split(value, '|'))
    if (!choice.empty()) choices.push_back(CTxt(choice.c_str()));
  return static_cast<int>(choices.size());
}

PromptLayout LayoutPrompt(const std::vector<PromptField>& fields, const PromptMeasures& m) {
  PromptLayout l;
  for (int w : m.labelWidths) l.labelWidth = std::max(l.labelWidth, w);
  l.inputX = l.labelX + l.labelWidth + 8;
  int widestInput = 0;
  for (const PromptField& f : fields) {
    l.inputWidths.push_back(f.width * kAverageCharUnits);
    widestInput = std::max(widestInput, f.width * kAverageCharUnits);
  }
  l.okCaption = m.okCaption.IsEmpty() ? CTxt(kDefaultOkCaption) : m.okCaption;
  l.okWidth = m.okCaption.IsEmpty() ? kCancelWidth : std::max(kCancelWidth, CaptionWidth(m.okCaption));
  l.cancelX = l.okX + l.okWidth + 10;

  int titleMinimum = m.titleWidth + 20;
  int width = std::max(l.labelWidth + widestInput + 12, titleMinimum) * 21 / 30 + 120;
  // The scaled width alone cuts off wide inputs, the note or the buttons; never narrower than they need.
  int contentWidth = std::max({l.inputX + widestInput, l.labelX + m.noteWidth, l.cancelX + kCancelWidth}) + 6;
  l.width = m.requestedWidth > 0 ? m.requestedWidth : std::max(width, contentWidth);

  int count = static_cast<int>(fields.size());
  l.noteHeight = m.noteLines * kLineUnits;
  l.noteY = l.firstLineY + count * l.pitch;
  l.buttonY = l.noteY + l.noteHeight + (l.noteHeight > 0 ? 4 : 0);
  int height = (count + 1) * l.pitch + kLineUnits + l.noteHeight;
  height = std::max(height, l.buttonY + kButtonHeight + 4);
  l.height = m.requestedHeight > 0 ? m.requestedHeight : height;
  return l;
}

ListLayout LayoutList(const ListMeasures& m) {
  ListLayout l;
  int chars = std::min(100, std::max(15, m.widthChars));
  int lines = std::min(50, std::max(1, m.visibleLines));
  l.listWidth = chars * kAverageCharUnits + 8;
  l.listHeight = lines * 83 / 10 + (lines < 4 ? 4 - lines : 0);
  l.scrollBar = m.itemCount > lines;
  if (m.heading) l.listY = l.headingY + kListHeadingHeight + 2;
  l.buttonY = l.listY + l.listHeight + 5;
  int buttonsRight;
  if (m.okCaption.IsFilled()) {
    l.okWidth = std::max(kCancelWidth, CaptionWidth(m.okCaption));
    l.cancelX = l.okX + l.okWidth + 10;
  }
  buttonsRight = l.cancelX + kCancelWidth;
  int width = std::max({l.listX + l.listWidth, m.titleWidth + 20, buttonsRight}) + 5;
  l.width = m.requestedWidth > 0 ? m.requestedWidth : width;
  l.height = m.requestedHeight > 0 ? m.requestedHeight : l.buttonY + kButtonHeight + 5;
  return l;
}
