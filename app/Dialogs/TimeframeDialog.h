// TimeframeDialog ("Select Timeframe"): edits one timeframe line through its kind, interval value, Kase unit,
// range count and range unit, showing the composed line as the user changes any of them.
#pragma once

#include "app/Dialogs/Dialog.h"
#include "foundation/Txt.h"

class TimeframeDialog : public Dialog {
 public:
  // addMode: the OK button reads "&ADD", else "&MODIFY".
  TimeframeDialog(const char* line, bool addMode) : m_line(line), m_addMode(addMode) {}
  // IDOK (Line() holds the composed, valid line) or IDCANCEL.
  INT_PTR Run(HWND owner);
  const CTxt& Line() const { return m_line; }

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void ShowValueControls();
  void Recompose();
  int SelectedData(int id) const;

  CTxt m_line;
  bool m_addMode;
  bool m_composing = false;
};
