// The settings store: typed options in the program's initialisation file ("Tavrin.ini" beside the
// program), read by section, key and default. Number, boolean, floating and colour getters write their
// normal form (or the default) back, so the file lists every option the program consulted.
//
// Behaviour is that of the Windows private-profile functions, built portably: sections and keys match
// without regard to case, values are trimmed, a missing file or key gives the default, writing a key
// creates section and file, writing a null value removes the key. Every call is atomic within the
// process, and every write replaces the file atomically, so no crash leaves a half-written file and no
// thread loses another's key.
#pragma once

#include <string>

class CTxt;

namespace Settings {

using Colour = unsigned long;  // red in the lowest byte, then green, then blue

// Program folder (no trailing separator; a last folder named Debug or Release is dropped) and the
// settings file "folder/ProgramName.ini". Computed once and cached; return the length.
int GetAppFolder(CTxt& out);
int GetIniPath(CTxt& out);
// The same two paths for a given program path (the rules above, applied to exePath).
void ProgramPathsOf(const char* exePath, CTxt& folder, CTxt& iniPath);
// Points the store (and everything built on the program folder) at another program folder, whose
// settings file is "folder/programName.ini"; an empty or null folder goes back to the running
// program's. For the console companion and tests.
void OverrideAppFolder(const char* folder, const char* programName = "Tavrin");

// iniFile: another settings file; null or empty uses the program's settings file.
bool WriteString(const char* section, const char* key, const char* value, const char* iniFile = nullptr);
int GetString(const char* section, const char* key, const char* def, CTxt& out,
              const char* iniFile = nullptr);
int GetString(const char* section, const char* key, const char* def, std::string& out,
              const char* iniFile = nullptr);
int GetStringRaw(const char* section, const char* key, const char* def, char* out, int outSize,
                 const char* iniFile = nullptr);
bool GetBool(const char* section, const char* key, bool def, const char* iniFile = nullptr);
int GetInt(const char* section, const char* key, int def, const char* iniFile = nullptr);
float GetFloat(const char* section, const char* key, float def, const char* iniFile = nullptr);
Colour GetColour(const char* section, const char* key, const char* def, const char* iniFile = nullptr);
bool SetDefault(const char* section, const char* key, const char* value, int overwrite,
                const char* iniFile = nullptr);
bool WriteInt(const char* section, const char* key, int value, const char* iniFile = nullptr);
bool WriteBool(const char* section, const char* key, bool value, const char* iniFile = nullptr);
bool WriteFloat(const char* section, const char* key, double value, int decimals,
                const char* iniFile = nullptr);

Colour ParseColour(const char* text);
inline Colour MakeColour(int r, int g, int b) {
  return static_cast<Colour>(r & 255) | (static_cast<Colour>(g & 255) << 8) |
         (static_cast<Colour>(b & 255) << 16);
}

// The colours of the names "MENU", "BORDER" and "TITLE": the system's on Windows, fixed defaults elsewhere.
Colour SystemColour(const char* name);

}  // namespace Settings
