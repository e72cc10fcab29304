// System colours on Windows: the user's current menu, active border and active caption colours.
#include <windows.h>

#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace Settings {

Colour SystemColour(const char* name) {
  if (CompareNoCase(name, "MENU", 1) == 0) return GetSysColor(COLOR_MENU);
  if (CompareNoCase(name, "BORDER", 1) == 0) return GetSysColor(COLOR_ACTIVEBORDER);
  if (CompareNoCase(name, "TITLE", 1) == 0) return GetSysColor(COLOR_ACTIVECAPTION);
  return 0;
}

}  // namespace Settings
