// CDlgPrompt: the resource-less modal prompt for one or more text values described by the field language
// ("New Name:|30", "Symbol:|15|Upper", fields separated by TAB); it sizes itself from its texts and stays
// on the monitor's work area.
#pragma once

#include <windows.h>

#include "foundation/Txt.h"

constexpr int kPromptFirstInputId = 1001;  // inputs are 1001, 1002, ... in field order
constexpr int kPromptNoteId = 1000;

class CDlgPrompt {
 public:
  // Where the dialog's top-left corner goes when it opens (screen coordinates); without it, centred.
  void SetPosition(int x, int y) {
    m_x = x;
    m_y = y;
    m_placed = true;
  }
  int width = 0, height = 0;  // dialog units; below 1 computed
  CTxt note;                  // shown under the fields; "\r\n" and "\n" break lines
  CTxt okCaption;             // empty: "&SAVE"

  // values: in, one per field separated by TAB (a combo box field lists its choices with '|'); out after OK,

  // the dialog could not be shown (values unchanged).
  int DoModal(HWND owner, const char* title, const char* fields, CTxt& values);

 private:
  int m_x = 0, m_y = 0;
  bool m_placed = false;
};
