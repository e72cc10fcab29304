// The rows the list-view host shows, shared with the tests that read them from another process.
#pragma once

#include <string>

namespace listviewhost {

constexpr const char* kWindowClass = "TavrinListViewHost";
constexpr const char* kWindowTitle = "Tavrin List View Host";
constexpr int kListId = 100;
constexpr int kColumnCount = 3;
constexpr int kRowCount = 4;
constexpr int kLongCellChars = 600;  // longer than the 511 characters one cell read returns
constexpr int kLifetimeMs = 120000;  // the host closes itself after this, whoever forgot it

inline const char* const kColumnTitles[kColumnCount] = {"Symbol", "Interval", "Net Profit"};

// Cell text; row 3, column 2 is the long cell.
inline std::string Cell(int row, int column) {
  static const char* const kCells[kRowCount][kColumnCount] = {
      {"ES", "Intra/5", "1250.50"},
      {"NQ", "", "-300.00"},
      {"", "Daily", ""},
      {"YM", "Ticks/100", nullptr},
  };
  const char* text = kCells[row][column];
  return text ? std::string(text) : std::string(kLongCellChars, 'L');
}

}  // namespace listviewhost
