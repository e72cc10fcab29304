// Reading CSV text into rows of fields for the CSV viewer: ',' separates fields, a field in double quotes
// may hold separators, line ends and doubled quotes; lines end in LF, CR LF or CR.
#pragma once

#include <string>
#include <vector>

using CsvRow = std::vector<std::string>;

inline std::vector<CsvRow> ParseCsv(const std::string& text, char separator = ',') {
  std::vector<CsvRow> rows;
  CsvRow row;
  std::string field;
  bool quoted = false;      // inside a quoted part
  bool rowStarted = false;  // the current line has content or a separator
  size_t i = 0;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) i = 3;  // UTF-8 byte order mark
  auto endRow = [&]() {
    row.push_back(field);
    field.clear();
    rows.push_back(row);
    row.clear();
    rowStarted = false;
  };
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (quoted) {
      if (c != '"') {
        field += c;
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
      continue;
    }
    if (c == '"') {
      quoted = true;
      rowStarted = true;
    } else if (c == separator) {
      row.push_back(field);
      field.clear();
      rowStarted = true;
    } else if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (rowStarted || !field.empty())
        endRow();
      else
        rows.push_back(CsvRow());  // an empty line is an empty row
    } else {
      field += c;
      rowStarted = true;
    }
  }
  if (rowStarted || !field.empty()) endRow();
  return rows;
}

// The number of columns a table of these rows needs: the widest row, not counting empty fields at its end
// (a line ending in a separator, as step listings do, opens no column).
inline size_t CsvColumnCount(const std::vector<CsvRow>& rows) {
  size_t columns = 0;
  for (const CsvRow& row : rows) {
    size_t used = row.size();
    while (used > 0 && row[used - 1].empty()) --used;
    if (used > columns) columns = used;
  }
  return columns;
}
