// The settings store over our own initialisation-file reader and writer (identical on every platform).
#include "foundation/Settings.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "foundation/AtomicFile.h"
#include "foundation/Txt.h"

namespace Settings {
namespace {

constexpr int kMaxStringValue = 1000;
constexpr int kMaxNumberValue = 100;

std::recursive_mutex& StoreLock() {
  static std::recursive_mutex lock;
  return lock;
}

// --- The file as lines --------------------------------------------------------------------------

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool SameNoCase(const std::string& a, const char* b) {
  return CompareNoCase(a.c_str(), b, 1) == 0;
}

std::vector<std::string> LoadLines(const char* path) {
  std::vector<std::string> lines;
  FILE* f = std::fopen(path, "rb");
  if (!f) return lines;
  std::string all;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) all.append(chunk, n);
  std::fclose(f);
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool IsSectionLine(const std::string& line, std::string* name) {
  std::string t = Trimmed(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  if (name) *name = Trimmed(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

int FindSection(const std::vector<std::string>& lines, const char* section) {
  std::string name;
  for (size_t i = 0; i < lines.size(); ++i)
    if (IsSectionLine(lines[i], &name) && SameNoCase(name, section)) return static_cast<int>(i);
  return -1;
}

// Index after the section's last line (the next section header, or the end).
int SectionEnd(const std::vector<std::string>& lines, int header) {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < lines.size() && !IsSectionLine(lines[i], nullptr)) ++i;
  return static_cast<int>(i);
}

bool SplitKeyLine(const std::string& line, std::string* key, std::string* value) {
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  std::string k = Trimmed(line.substr(0, eq));
  if (k.empty() || k[0] == ';') return false;
  if (key) *key = k;
  if (value) *value = Trimmed(line.substr(eq + 1));
  return true;
}

int FindKey(const std::vector<std::string>& lines, int header, const char* key) {
  int end = SectionEnd(lines, header);
  std::string k;
  for (int i = header + 1; i < end; ++i)
    if (SplitKeyLine(lines[i], &k, nullptr) && SameNoCase(k, key)) return i;
  return -1;
}

// A value in matching quotes is given without them, as the profile functions do.
std::string Unquoted(const std::string& v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
  return v;
}

bool SaveLines(const char* path, const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\r\n";
  CTxt err;
  return WriteFileAtomically(path, all.data(), all.size(), err) == 0;
}

// --- Paths ------------------------------------------------------------------------------------

struct Paths {
  std::string folder;
  std::string ini;
};

std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

std::string& ProgramNameOverride() {
  static std::string name;
  return name;
}

bool EndsWithNoCase(const std::string& s, const char* tail) {
  size_t n = std::strlen(tail);
  return s.size() >= n && CompareNoCase(s.c_str() + s.size() - n, tail, 1) == 0;
}

std::string RunningProgramPath() {
  CTxt exe;
  CTxt::GetExeName(exe, 7);
  return exe.ToStd();
}

const Paths& CachedPaths() {
  static Paths paths;
  static bool done = false;
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  if (!done) {
    CTxt folder, ini;
    ProgramPathsOf(RunningProgramPath().c_str(), folder, ini);
    paths.folder = folder.ToStd();
    paths.ini = ini.ToStd();
    done = true;
  }
  return paths;
}

std::string IniPathFor(const char* iniFile) {
  if (iniFile && *iniFile) return iniFile;
  CTxt path;
  GetIniPath(path);
  return path.ToStd();
}

// --- Raw reading and writing -------------------------------------------------------------------

bool ReadStored(const char* section, const char* key, const char* iniFile, std::string* value) {
  std::vector<std::string> lines = LoadLines(IniPathFor(iniFile).c_str());
  int header = FindSection(lines, section);
  if (header < 0) return false;
  int at = FindKey(lines, header, key);
  if (at < 0) return false;
  SplitKeyLine(lines[static_cast<size_t>(at)], nullptr, value);
  *value = Unquoted(*value);
  return true;
}

std::string ReadOrDefault(const char* section, const char* key, const char* def, const char* iniFile,
                          size_t limit) {
  std::string value;
  if (!ReadStored(section, key, iniFile, &value)) value = Trimmed(def ? def : "");
  if (value.size() > limit) value.resize(limit);
  return value;
}

// atol as the Windows runtime has it (32-bit long, clamped at its limits on overflow), so that a number
// too large for the file's integers reads and is written back the same on every platform.
int LongOf(const char* text) {
  long long v = std::strtoll(text, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

std::string Formatted(const char* fmt, double v, int decimals) {
  char buf[400];
  std::snprintf(buf, sizeof buf, fmt, decimals, v);
  return buf;
}

}  // namespace

// --- Paths ------------------------------------------------------------------------------------

void ProgramPathsOf(const char* exePath, CTxt& folder, CTxt& iniPath) {
  CTxt exe(exePath);
  exe.MakeFn();
  exe.GetFileTxt(4, folder);
  folder.MakeFn();  // no trailing separator
  std::string f = folder.ToStd();
  for (const char* tail : {"/Debug", "/Release"})
    if (EndsWithNoCase(f, tail)) f.resize(f.size() - std::strlen(tail));
  folder = f.c_str();
  CTxt base;
  exe.GetFileTxt(2, base);
  std::string name = base.ToStd();
  for (const char* tail : {"Debug", "Release"})
    if (EndsWithNoCase(name, tail) && name.size() > std::strlen(tail))
      name.resize(name.size() - std::strlen(tail));
  iniPath = (f + "/" + name + ".ini").c_str();
  iniPath.Replace('\\', '/');
}

void OverrideAppFolder(const char* folder, const char* programName) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  CTxt f(folder);
  f.MakeFn();
  FolderOverride() = f.ToStd();
  ProgramNameOverride() = programName && *programName ? programName : "Tavrin";
}

int GetAppFolder(CTxt& out) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  out = FolderOverride().empty() ? CachedPaths().folder.c_str() : FolderOverride().c_str();
  return out.GetLength();
}

int GetIniPath(CTxt& out) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  if (FolderOverride().empty()) {
    out = CachedPaths().ini.c_str();
  } else {
    out = (FolderOverride() + "/" + ProgramNameOverride() + ".ini").c_str();
  }
  return out.GetLength();
}

// --- Strings ----------------------------------------------------------------------------------

bool WriteString(const char* section, const char* key, const char* value, const char* iniFile) {
  if (!section || !key) return false;
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string path = IniPathFor(iniFile);
  std::vector<std::string> lines = LoadLines(path.c_str());
  int header = FindSection(lines, section);
  if (header < 0) {
    if (!value) return true;  // removing a key that is not there
    if (!lines.empty() && !Trimmed(lines.back()).empty()) lines.emplace_back();
    lines.push_back(std::string("[") + section + "]");
    header = static_cast<int>(lines.size()) - 1;
  }
  int at = FindKey(lines, header, key);
  std::string line = std::string(key) + "=" + (value ? value : "");
  if (at >= 0 && value) {
    lines[static_cast<size_t>(at)] = line;
  } else if (at >= 0) {
    lines.erase(lines.begin() + at);
  } else if (value) {
    // After the section's last non-blank line, so a blank line before the next section stays there.
    int insert = SectionEnd(lines, header);
    while (insert - 1 > header && Trimmed(lines[static_cast<size_t>(insert - 1)]).empty()) --insert;
    lines.insert(lines.begin() + insert, line);
  } else {
    return true;
  }
  return SaveLines(path.c_str(), lines);
}

int GetString(const char* section, const char* key, const char* def, CTxt& out, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  out = ReadOrDefault(section, key, def, iniFile, kMaxStringValue).c_str();
  return out.GetLength();
}

int GetString(const char* section, const char* key, const char* def, std::string& out, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  out = ReadOrDefault(section, key, def, iniFile, kMaxStringValue);
  return static_cast<int>(out.size());
}

int GetStringRaw(const char* section, const char* key, const char* def, char* out, int outSize,
                 const char* iniFile) {
  if (!out || outSize < 1) return 0;
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string v = ReadOrDefault(section, key, def, iniFile, static_cast<size_t>(outSize - 1));
  std::memcpy(out, v.c_str(), v.size() + 1);
  return static_cast<int>(v.size());
}

bool SetDefault(const char* section, const char* key, const char* value, int overwrite, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  if (overwrite) return WriteString(section, key, value, iniFile);
  std::string current = ReadOrDefault(section, key, value, iniFile, kMaxStringValue);
  return WriteString(section, key, current.c_str(), nullptr);
}

// --- Typed getters: read, normalise, write the normal form back when it differs ----------------

bool GetBool(const char* section, const char* key, bool def, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string stored;
  bool exists = ReadStored(section, key, iniFile, &stored);
  bool found = exists && !stored.empty();
  // The default applies only to a missing key: a key stored empty reads as its empty text, so as NO.
  std::string text = exists ? stored.substr(0, kMaxNumberValue) : (def ? "YES" : "NO");
  bool value = SameNoCase(text, "YES") || SameNoCase(text, "TRUE");
  const char* normal = value ? "YES" : "NO";
  if (!found || !SameNoCase(text, normal)) WriteString(section, key, normal, iniFile);
  return value;
}

int GetInt(const char* section, const char* key, int def, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string stored;
  bool found = ReadStored(section, key, iniFile, &stored) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : std::to_string(def);
  int value = LongOf(text.c_str());
  std::string normal = std::to_string(value);
  if (!found || !SameNoCase(text, normal.c_str())) WriteString(section, key, normal.c_str(), iniFile);
  return value;
}

float GetFloat(const char* section, const char* key, float def, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string stored;
  bool found = ReadStored(section, key, iniFile, &stored) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : Formatted("%.*f", def, 4);
  float value = static_cast<float>(std::atof(text.c_str()));
  std::string normal = Formatted("%.*f", value, 4);
  if (!found || !SameNoCase(text, normal.c_str())) WriteString(section, key, normal.c_str(), iniFile);
  return value;
}

Colour GetColour(const char* section, const char* key, const char* def, const char* iniFile) {
  std::lock_guard<std::recursive_mutex> guard(StoreLock());
  std::string stored;
  bool found = ReadStored(section, key, iniFile, &stored) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : Trimmed(def ? def : "");
  Colour value = ParseColour(text.c_str());
  char normal[40];
  std::snprintf(normal, sizeof normal, "%d,%d,%d", static_cast<int>(value & 255),
                static_cast<int>((value >> 8) & 255), static_cast<int>((value >> 16) & 255));
  // A missing key is written too, so that the file lists the colour in effect.
  if (!found || !SameNoCase(text, normal)) WriteString(section, key, normal, iniFile);
  return value;
}

bool WriteInt(const char* section, const char* key, int value, const char* iniFile) {
  return WriteString(section, key, std::to_string(value).c_str(), iniFile);
}

bool WriteBool(const char* section, const char* key, bool value, const char* iniFile) {
  return WriteString(section, key, value ? "YES" : "NO", iniFile);
}

bool WriteFloat(const char* section, const char* key, double value, int decimals, const char* iniFile) {
  return WriteString(section, key, Formatted("%.*f", value, decimals).c_str(), iniFile);
}

// --- Colours ----------------------------------------------------------------------------------

namespace {

struct NamedColour {
  const char* name;
  int r, g, b;
};

const NamedColour kNamedColours[] = {
    {"BLACK", 0, 0, 0},           {"RED", 255, 0, 0},           {"GREEN", 0, 255, 0},
    {"OLIVE", 0, 178, 0},         {"BLUE", 0, 0, 255},          {"YELLOW", 255, 255, 0},
    {"CYAN", 0, 255, 255},        {"LIGHTCYAN", 192, 255, 255}, {"DARKCYAN", 64, 128, 128},
    {"MAGENTA", 255, 0, 255},     {"DARKMAGENTA", 128, 0, 64},  {"WHITE", 255, 255, 255},
    {"LIGHTGRAY", 230, 230, 230}, {"LIGHTGREY", 230, 230, 230}, {"GRAY", 192, 192, 192},
    {"GREY", 192, 192, 192},      {"ORANGE", 255, 128, 0},      {"BROWN", 128, 128, 0},
};

bool InByteRange(int v) {
  return v >= 0 && v <= 255;
}

Colour ParseNumericColour(const char* text) {
  int red = GetFieldInt(text, ',', 1);
  int green = GetFieldInt(text, ',', 2);
  int blue = GetFieldInt(text, ',', 3);
  if (!InByteRange(red)) red = 0;
  if (!InByteRange(green)) {
    green = 0;
    if (!InByteRange(blue)) blue = 0;
  } else if (!InByteRange(blue)) {
    blue = 0;
  }
  return MakeColour(red, green, blue);
}

}  // namespace

Colour ParseColour(const char* text) {
  if (!text) return 0;
  while (*text == ' ' || *text == '\t') ++text;
  if (CompareNoCase("0x", text, 2) == 0) return static_cast<Colour>(HexToInt(text + 2));
  if (*text >= '0' && *text <= '9') return ParseNumericColour(text);
  std::string name = Trimmed(text);
  for (const char* system : {"MENU", "BORDER", "TITLE"})
    if (SameNoCase(name, system)) return SystemColour(system);
  for (const NamedColour& c : kNamedColours)
    if (SameNoCase(name, c.name)) return MakeColour(c.r, c.g, c.b);
  return 0;
}

}  // namespace Settings
