// The prompt dialog: a template built from the measured field line, filled on opening, read on OK.
#include "app/Dialogs/DlgPrompt.h"

#include <vector>

#include "app/Dialogs/Dialog.h"
#include "app/Dialogs/DialogFont.h"
#include "app/Dialogs/DynDlgTemplate.h"
#include "sequence/PromptFields.h"

namespace {

constexpr const char* kUserCancelled = "User cancelled";
constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr DWORD kPopupExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
constexpr int kComboLines = 4;

DWORD InputStyle(PromptInput input) {
  DWORD base = WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
  switch (input) {
    case PromptInput::Upper:
      return base | ES_UPPERCASE;
    case PromptInput::Lower:
      return base | ES_LOWERCASE;
    case PromptInput::Password:
      return base | ES_PASSWORD;
    case PromptInput::Number:
      return base | ES_NUMBER;
    case PromptInput::Combo:
      return WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
    case PromptInput::Edit:
      break;
  }
  return base;
}

class PromptDialog : public Dialog {
 public:
  PromptDialog(const std::vector<PromptField>& fields, const std::vector<CTxt>& values, bool placed, int x,
               int y)
      : m_fields(fields), m_values(values), m_placed(placed), m_x(x), m_y(y) {}
  CTxt answer;

 protected:
  bool OnInit() override {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    MoveOntoWorkArea(Hwnd(), m_placed ? m_x : r.left, m_placed ? m_y : r.top);
    for (size_t i = 0; i < m_fields.size(); ++i) {
      if (m_fields[i].input != PromptInput::Combo) continue;
      HWND combo = Item(kPromptFirstInputId + static_cast<int>(i));
      std::vector<CTxt> choices;
      SplitComboChoices(m_values[i], choices);
      for (const CTxt& c : choices)
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.GetData()));
      if (!choices.empty()) SendMessageA(combo, CB_SETCURSEL, 0, 0);
    }
    return true;
  }
  bool OnCommand(int id, int, HWND) override {
    if (id == IDOK) {
      std::vector<CTxt> texts;
      for (size_t i = 0; i < m_fields.size(); ++i)
        texts.push_back(CTxt(ItemText(kPromptFirstInputId + static_cast<int>(i)).c_str()));
      JoinPromptValues(texts, answer);
      End(0);
      return true;
    }
    if (id == IDCANCEL) {
      End(-1);
      return true;
    }
    return false;
  }

 private:
  const std::vector<PromptField>& m_fields;
  const std::vector<CTxt>& m_values;
  bool m_placed;
  int m_x, m_y;
};

}  // namespace

int CDlgPrompt::DoModal(HWND owner, const char* title, const char* fields, CTxt& values) {
  std::vector<PromptField> parsed;
  ParsePromptFields(fields, parsed);
  std::vector<CTxt> initial;
  SplitPromptValues(values, static_cast<int>(parsed.size()), initial);

  DialogFontMeasure measure;
  PromptMeasures m;
  m.titleWidth = measure.Units(title);
  for (const PromptField& f : parsed) m.labelWidths.push_back(measure.Units(f.label));
  if (note.IsFilled()) m.noteWidth = measure.WidestLine(note, &m.noteLines);
  m.okCaption = okCaption;
  m.requestedWidth = width;
  m.requestedHeight = height;
  PromptLayout l = LayoutPrompt(parsed, m);

  CDynDlgTemplate t;
  t.SetHeader(kPopupStyle, kPopupExStyle, 0, 0, static_cast<short>(l.width), static_cast<short>(l.height));
  t.SetTitle(title);
  t.SetFont(kDialogFontPoints, kDialogFontFace);
  for (size_t i = 0; i < parsed.size(); ++i) {
    short y = static_cast<short>(l.firstLineY + static_cast<int>(i) * l.pitch);
    t.AddItem(static_cast<short>(l.labelX), static_cast<short>(y + 2), static_cast<short>(l.labelWidth),
              kLineUnits, 0xFFFF, WS_VISIBLE | SS_LEFT, "Static", parsed[i].label);
    bool combo = parsed[i].input == PromptInput::Combo;
    short cy = static_cast<short>(combo ? l.inputHeight + kComboLines * kLineUnits + 2 : l.inputHeight);
    t.AddItem(static_cast<short>(l.inputX), y, static_cast<short>(l.inputWidths[i]), cy,
              static_cast<WORD>(kPromptFirstInputId + static_cast<int>(i)), InputStyle(parsed[i].input),
              combo ? "ComboBox" : "Edit", combo ? "" : initial[i].GetData());
  }
  if (l.noteHeight > 0)
    t.AddItem(static_cast<short>(l.labelX), static_cast<short>(l.noteY), static_cast<short>(l.width - 8),
              static_cast<short>(l.noteHeight), kPromptNoteId, WS_VISIBLE | SS_LEFT, "Static", note);
  t.AddItem(static_cast<short>(l.okX), static_cast<short>(l.buttonY), static_cast<short>(l.okWidth),
            kButtonHeight, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "Button", l.okCaption);
  t.AddItem(static_cast<short>(l.cancelX), static_cast<short>(l.buttonY), kCancelWidth, kButtonHeight,
            IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "Button", "&Cancel");

  PromptDialog dialog(parsed, initial, m_placed, m_x, m_y);
  INT_PTR result = dialog.RunModal(owner, t.GetTemplate());
  t.ReleaseTemplate();
  if (result == 0) {
    values = dialog.answer;
    return 0;
  }
  values = kUserCancelled;
  return -1;
}
