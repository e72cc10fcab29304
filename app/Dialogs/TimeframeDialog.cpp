// The timeframe dialog: reading a line into its controls and composing it back on every change.
#include "app/Dialogs/TimeframeDialog.h"

#include <cstdlib>

#include "app/resources/EditorIds.h"
#include "sequence/Timeframe.h"

namespace {

void AddItem(HWND combo, const char* text, int data) {
  LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

void SelectByData(HWND combo, int data) {
  int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == data) {
      SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
}

}  // namespace

INT_PTR TimeframeDialog::Run(HWND owner) {
  return RunModal(owner, IDD_TIMEFRAME);
}

int TimeframeDialog::SelectedData(int id) const {
  HWND combo = Item(id);
  LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return 0;
  return static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool TimeframeDialog::OnInit() {
  m_composing = true;  // filling the controls is no edit
  for (int k = 0; k < kTimeframeKindCount; ++k)
    AddItem(Item(IDC_TF_KIND), TimeframeKindName(static_cast<TimeframeKind>(k)), k);
  AddItem(Item(IDC_TF_KASE_UNIT), "Minute", 'M');
  AddItem(Item(IDC_TF_KASE_UNIT), "Tick", 'T');
  for (int u = 0; u < kRangeUnitCount; ++u)
    AddItem(Item(IDC_TF_RANGE_UNIT), RangeUnitDialogText(static_cast<RangeUnit>(u)), u);

  TimeframeSpec spec;
  ReadTimeframeLine(m_line, spec);
  SelectByData(Item(IDC_TF_KIND), static_cast<int>(spec.kind));
  SelectByData(Item(IDC_TF_KASE_UNIT), spec.kaseUnit == 'T' ? 'T' : 'M');
  SelectByData(Item(IDC_TF_RANGE_UNIT), static_cast<int>(spec.rangeUnit));
  SetItemText(IDC_TF_VALUE, spec.value);
  CTxt count;
  count.Format("%d", spec.rangeCount);
  SetItemText(IDC_TF_COUNT, count);
  SetItemText(IDC_TF_PREVIEW, m_line);
  SetItemText(IDC_TF_VALUE_LABEL, TimeframeKindValueLabel(spec.kind));
  SetItemText(IDOK, m_addMode ? "&ADD" : "&MODIFY");
  ShowValueControls();
  m_composing = false;
  return true;
}

void TimeframeDialog::ShowValueControls() {
  TimeframeKind kind = static_cast<TimeframeKind>(SelectedData(IDC_TF_KIND));
  bool hasValue = TimeframeKindHasValue(kind);
  ShowItem(IDC_TF_VALUE, hasValue);
  ShowItem(IDC_TF_VALUE_LABEL, hasValue);
  ShowItem(IDC_TF_KASE_UNIT, kind == TimeframeKind::Kase);
}

void TimeframeDialog::Recompose() {
  if (m_composing) return;
  m_composing = true;
  TimeframeSpec spec;
  spec.kind = static_cast<TimeframeKind>(SelectedData(IDC_TF_KIND));
  spec.value = ItemText(IDC_TF_VALUE).c_str();
  spec.value.Trim(' ');
  spec.kaseUnit = SelectedData(IDC_TF_KASE_UNIT) == 'T' ? 'T' : 'M';
  spec.rangeCount = std::atoi(ItemText(IDC_TF_COUNT).c_str());
  spec.rangeUnit = static_cast<RangeUnit>(SelectedData(IDC_TF_RANGE_UNIT));
  CTxt label;
  ComposeTimeframeLine(spec, m_line, &label);
  SetItemText(IDC_TF_VALUE_LABEL, label);
  SetItemText(IDC_TF_PREVIEW, m_line);
  m_composing = false;
}

bool TimeframeDialog::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_TF_KIND:
      if (code != CBN_SELCHANGE) return false;
      ShowValueControls();
      Recompose();
      SetFocus(Item(IDC_TF_VALUE));
      return true;
    case IDC_TF_RANGE_UNIT:
      if (code != CBN_SELCHANGE) return false;
      Recompose();
      SetFocus(Item(IDC_TF_COUNT));
      return true;
    case IDC_TF_KASE_UNIT:
      if (code == CBN_SELCHANGE) Recompose();
      return code == CBN_SELCHANGE;
    case IDC_TF_VALUE:
    case IDC_TF_COUNT:
      if (code == EN_CHANGE) Recompose();
      return code == EN_CHANGE;
    case IDOK: {
      Recompose();
      CTxt msg;
      if (ValidateTimeframeLine(m_line, msg) < 0) {
        AppError(Hwnd(), msg);
        return true;
      }
      End(IDOK);
      return true;
    }
    default:
      return false;
  }
}
