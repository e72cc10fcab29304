// CDlgList: the resource-less modal list picker; it sizes itself from its title and list and stays on the
// monitor's work area.
#pragma once

#include <windows.h>

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

constexpr int kListControlId = 1001;
constexpr int kListHeadingId = 1002;
constexpr const char* kEmptyListEntry = "(Empty)";

class CDlgList {
 public:
  void SetPosition(int x, int y) {
    m_x = x;
    m_y = y;
    m_placed = true;
  }
  int width = 0, height = 0;  // dialog units; below 1 computed
  int widthChars = 20;        // clamped to 15..100
  int visibleLines = 10;      // clamped to 1..50
  CTxtArray items;
  CTxt okCaption;  // filled: an OK button with this caption (and Cancel); empty: a single "&Close"
  CTxt heading;    // filled: a line of text above the list
  bool topmost = true;

  // selection: in, the entry to preselect (ignoring case); out after OK, the chosen entry's text. Returns the
  // chosen index, or -1 after Cancel or Close (or when the dialog could not be shown).
  int DoModal(HWND owner, const char* title, CTxt& selection);

 private:
  int m_x = 0, m_y = 0;
  bool m_placed = false;
};
