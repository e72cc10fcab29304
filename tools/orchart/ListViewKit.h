// One-line helpers over the list view ("SysListView32") messages the stand-in's dialogs use.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orchart {

// Report style with whole-row selection; the columns' titles and widths in pixels.
void SetListColumns(HWND list, const std::vector<std::pair<std::string, int>>& columns);
// Replaces row `row` (appending when it is the next one) with the cells.
void SetListRow(HWND list, int row, const std::vector<std::string>& cells);
void SetListRows(HWND list, const std::vector<std::vector<std::string>>& rows);
// The selected row, else the focused one, else -1.
int SelectedListRow(HWND list);
void SelectListRow(HWND list, int row);

// A list view whose class name reads `className` (e.g. "SysTabControl32", as some TradeStation lists do):
// a superclass of the list view, registered for this process under a module of its own so that the
// dialogs' real controls of that name stay what they are. Same messages, same "SysHeader32" header.
HWND CreateListViewNamed(const char* className, HWND parent, int id, const RECT& area, DWORD style);

}  // namespace orchart
