// System colours where there is no Windows: the usual Windows defaults, so settings read the same.
#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace Settings {

Colour SystemColour(const char* name) {
  if (CompareNoCase(name, "MENU", 1) == 0) return MakeColour(240, 240, 240);
  if (CompareNoCase(name, "BORDER", 1) == 0) return MakeColour(180, 180, 180);
  if (CompareNoCase(name, "TITLE", 1) == 0) return MakeColour(153, 180, 209);
  return 0;
}

}  // namespace Settings
