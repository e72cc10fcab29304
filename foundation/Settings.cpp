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
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Txt.h"

namespace Settings {
namespace {

constexpr int kMaxStringValue = 1000;
constexpr int kMaxNumberValue = 100;

std::recursive_mutex& StoreLock() {
  static std::recursive_mutex lock;
  return lock;
}

// Failures are logged after the store's lock is released: the log reads its own options through the
// store, under its own lock, so logging while holding ours could deadlock two threads. A report made
// while one is being written (the log's option read failing too) is dropped instead of recursing, and
// the same text is not repeated line after line while a file stays unreadable.
struct PendingReports {
  int depth = 0;
  bool reporting = false;
  std::vector<std::string> texts;
};
thread_local PendingReports t_pending;

void Report(std::string text) {
  t_pending.texts.push_back(std::move(text));
}

void FlushReports() {
  if (t_pending.reporting || t_pending.texts.empty()) return;
  static std::mutex lastLock;
  static std::string last;
  t_pending.reporting = true;
  std::vector<std::string> texts;
  texts.swap(t_pending.texts);
  for (const std::string& text : texts) {
    {
      std::lock_guard<std::mutex> guard(lastLock);
      if (text == last) continue;
      last = text;
    }
    LogTrace("Settings", 0, "%s", text.c_str());
  }
  t_pending.reporting = false;
}

// Every public call holds one: the store's lock, and on leaving the outermost call the reports made.
class StoreCall {
 public:
  StoreCall() : guard_(StoreLock()) { ++t_pending.depth; }
  ~StoreCall() {
    --t_pending.depth;
    bool outermost = t_pending.depth == 0;
    guard_.unlock();
    if (outermost) FlushReports();
  }
  StoreCall(const StoreCall&) = delete;
  StoreCall& operator=(const StoreCall&) = delete;

 private:
  std::unique_lock<std::recursive_mutex> guard_;
};

// --- The file as lines --------------------------------------------------------------------------

// The file's lines; false when it exists but cannot be read (a missing file has no lines).
bool LoadLines(const char* path, std::vector<std::string>& lines) {
  lines.clear();
  std::string all;
  CTxt reason;
  if (ReadWholeFile(path, all, reason) == FileReadResult::kFailed) {
    Report(std::string("Cannot read the settings file ") + path + " (" + reason.ToStd() +
           "): defaults used, nothing written");
    return false;
  }
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string::npos) end = all.size();
    std::string line = all.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return true;
}

bool IsSectionLine(const std::string& line, std::string* name) {
  std::string t = TrimBlanks(line);
  if (t.empty() || t[0] != '[') return false;
  size_t close = t.find(']');
  if (name) *name = TrimBlanks(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

int FindSection(const std::vector<std::string>& lines, const char* section) {
  std::string name;
  for (size_t i = 0; i < lines.size(); ++i)
    if (IsSectionLine(lines[i], &name) && EqualNoCase(name.c_str(), section)) return static_cast<int>(i);
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
  std::string k = TrimBlanks(line.substr(0, eq));
  if (k.empty() || k[0] == ';') return false;
  if (key) *key = k;
  if (value) *value = TrimBlanks(line.substr(eq + 1));
  return true;
}

int FindKey(const std::vector<std::string>& lines, int header, const char* key) {
  int end = SectionEnd(lines, header);
  std::string k;
  for (int i = header + 1; i < end; ++i)
    if (SplitKeyLine(lines[i], &k, nullptr) && EqualNoCase(k.c_str(), key)) return i;
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
  CTxt reason;
  if (WriteFileAtomically(path, all.data(), all.size(), reason) == 0) return true;
  Report(std::string("Cannot write the settings file ") + path + " (" + reason.ToStd() + ")");
  return false;
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
  StoreCall call;
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

// --- Searching the file's text in place --------------------------------------------------------
// Every getter reads the whole file afresh (another program or another instance may have changed it), so
// the search walks the text as it was read, line by line, without copying a line: the same lines, sections
// and keys as the line list above, found in one pass.

// A line of the text without its line end (one '\r' before the '\n' belongs to the end).
struct LineView {
  const char* begin;
  const char* end;
};

// The text's next line from at (at < stop); at moves past its line end.
LineView NextLine(const char*& at, const char* stop) {
  const char* begin = at;
  const char* nl = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(stop - at)));
  const char* end = nl ? nl : stop;
  at = nl ? nl + 1 : stop;
  if (end > begin && end[-1] == '\r') --end;
  return {begin, end};
}

LineView TrimmedView(LineView v) {
  while (v.begin < v.end && (*v.begin == ' ' || *v.begin == '\t')) ++v.begin;
  while (v.end > v.begin && (v.end[-1] == ' ' || v.end[-1] == '\t')) --v.end;
  return v;
}

// EqualNoCase of the view's text taken as a C string (it ends at a NUL byte) and name.
bool ViewEqualNoCase(LineView v, const char* name) {
  if (!name) return false;
  const char* nul =
      static_cast<const char*>(std::memchr(v.begin, '\0', static_cast<size_t>(v.end - v.begin)));
  if (nul) v.end = nul;
  // name as a prefix of the text from the view's start, of the view's length: exactly the view's text.
  return std::strlen(name) == static_cast<size_t>(v.end - v.begin) && CompareNoCase(name, v.begin, 2) == 0;
}

// As IsSectionLine: a line whose first non-blank is '['; name is the text up to the first ']', trimmed.
bool SectionOf(LineView line, LineView* name) {
  LineView t = TrimmedView(line);
  if (t.begin == t.end || *t.begin != '[') return false;
  const char* close =
      static_cast<const char*>(std::memchr(t.begin, ']', static_cast<size_t>(t.end - t.begin)));
  *name = TrimmedView({t.begin + 1, close ? close : t.end});
  return true;
}

// As SplitKeyLine: the key and value of a "key=value" line whose key is neither empty nor a comment.
bool KeyOf(LineView line, LineView* key, LineView* value) {
  const char* eq =
      static_cast<const char*>(std::memchr(line.begin, '=', static_cast<size_t>(line.end - line.begin)));
  if (!eq) return false;
  *key = TrimmedView({line.begin, eq});
  if (key->begin == key->end || *key->begin == ';') return false;
  *value = TrimmedView({eq + 1, line.end});
  return true;
}

// The value of key in the first section named section, as FindSection and FindKey find it.
bool FindStored(const std::string& all, const char* section, const char* key, std::string* value) {
  const char* at = all.data();
  const char* stop = at + all.size();
  LineView name{at, at}, k{at, at}, v{at, at};
  bool inSection = false;
  while (at < stop && !inSection)
    inSection = SectionOf(NextLine(at, stop), &name) && ViewEqualNoCase(name, section);
  if (!inSection) return false;
  while (at < stop) {
    LineView line = NextLine(at, stop);
    if (SectionOf(line, &name)) return false;
    if (KeyOf(line, &k, &v) && ViewEqualNoCase(k, key)) {
      *value = Unquoted(std::string(v.begin, v.end));
      return true;
    }
  }
  return false;
}

// Whether the key is stored; readable says whether the file could be read at all (a missing file can).
bool ReadStored(const char* section, const char* key, const char* iniFile, std::string* value,
                bool* readable = nullptr) {
  std::string path = IniPathFor(iniFile);
  std::string all;
  CTxt reason;
  bool ok = ReadWholeFile(path.c_str(), all, reason) != FileReadResult::kFailed;
  if (!ok)
    Report(std::string("Cannot read the settings file ") + path + " (" + reason.ToStd() +
           "): defaults used, nothing written");
  if (readable) *readable = ok;
  return ok && FindStored(all, section, key, value);
}

std::string ReadOrDefault(const char* section, const char* key, const char* def, const char* iniFile,
                          size_t limit) {
  std::string value;
  if (!ReadStored(section, key, iniFile, &value)) value = TrimBlanks(def ? def : "");
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
  StoreCall call;
  CTxt f(folder);
  f.MakeFn();
  FolderOverride() = f.ToStd();
  ProgramNameOverride() = programName && *programName ? programName : "Tavrin";
}

int GetAppFolder(CTxt& out) {
  StoreCall call;
  out = FolderOverride().empty() ? CachedPaths().folder.c_str() : FolderOverride().c_str();
  return out.GetLength();
}

int GetIniPath(CTxt& out) {
  StoreCall call;
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
  StoreCall call;
  std::string path = IniPathFor(iniFile);
  std::vector<std::string> lines;
  if (!LoadLines(path.c_str(), lines)) {
    Report(std::string("Not written: ") + section + "/" + key + " in " + path);
    return false;
  }
  int header = FindSection(lines, section);
  if (header < 0) {
    if (!value) return true;  // removing a key that is not there
    if (!lines.empty() && !TrimBlanks(lines.back()).empty()) lines.emplace_back();
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
    while (insert - 1 > header && TrimBlanks(lines[static_cast<size_t>(insert - 1)]).empty()) --insert;
    lines.insert(lines.begin() + insert, line);
  } else {
    return true;
  }
  return SaveLines(path.c_str(), lines);
}

int GetString(const char* section, const char* key, const char* def, CTxt& out, const char* iniFile) {
  StoreCall call;
  out = ReadOrDefault(section, key, def, iniFile, kMaxStringValue).c_str();
  return out.GetLength();
}

int GetString(const char* section, const char* key, const char* def, std::string& out, const char* iniFile) {
  StoreCall call;
  out = ReadOrDefault(section, key, def, iniFile, kMaxStringValue);
  return static_cast<int>(out.size());
}

int GetStringRaw(const char* section, const char* key, const char* def, char* out, int outSize,
                 const char* iniFile) {
  if (!out || outSize < 1) return 0;
  StoreCall call;
  std::string v = ReadOrDefault(section, key, def, iniFile, static_cast<size_t>(outSize - 1));
  std::memcpy(out, v.c_str(), v.size() + 1);
  return static_cast<int>(v.size());
}

bool SetDefault(const char* section, const char* key, const char* value, int overwrite, const char* iniFile) {
  StoreCall call;
  if (overwrite) return WriteString(section, key, value, iniFile);
  std::string current = ReadOrDefault(section, key, value, iniFile, kMaxStringValue);
  return WriteString(section, key, current.c_str(), nullptr);
}

// --- Typed getters: read, normalise, write the normal form back when it differs ----------------

bool GetBool(const char* section, const char* key, bool def, const char* iniFile) {
  StoreCall call;
  std::string stored;
  bool readable = true;
  bool exists = ReadStored(section, key, iniFile, &stored, &readable);
  bool found = exists && !stored.empty();
  // The default applies only to a missing key: a key stored empty reads as its empty text, so as NO.
  std::string text = exists ? stored.substr(0, kMaxNumberValue) : (def ? "YES" : "NO");
  bool value = EqualNoCase(text.c_str(), "YES") || EqualNoCase(text.c_str(), "TRUE");
  const char* normal = value ? "YES" : "NO";
  if (readable && (!found || !EqualNoCase(text.c_str(), normal))) WriteString(section, key, normal, iniFile);
  return value;
}

int GetInt(const char* section, const char* key, int def, const char* iniFile) {
  StoreCall call;
  std::string stored;
  bool readable = true;
  bool found = ReadStored(section, key, iniFile, &stored, &readable) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : std::to_string(def);
  int value = LongOf(text.c_str());
  std::string normal = std::to_string(value);
  if (readable && (!found || !EqualNoCase(text.c_str(), normal.c_str())))
    WriteString(section, key, normal.c_str(), iniFile);
  return value;
}

float GetFloat(const char* section, const char* key, float def, const char* iniFile) {
  StoreCall call;
  std::string stored;
  bool readable = true;
  bool found = ReadStored(section, key, iniFile, &stored, &readable) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : Formatted("%.*f", def, 4);
  float value = static_cast<float>(std::atof(text.c_str()));
  std::string normal = Formatted("%.*f", value, 4);
  if (readable && (!found || !EqualNoCase(text.c_str(), normal.c_str())))
    WriteString(section, key, normal.c_str(), iniFile);
  return value;
}

Colour GetColour(const char* section, const char* key, const char* def, const char* iniFile) {
  StoreCall call;
  std::string stored;
  bool readable = true;
  bool found = ReadStored(section, key, iniFile, &stored, &readable) && !stored.empty();
  std::string text = found ? stored.substr(0, kMaxNumberValue) : TrimBlanks(def ? def : "");
  Colour value = ParseColour(text.c_str());
  char normal[40];
  std::snprintf(normal, sizeof normal, "%d,%d,%d", static_cast<int>(value & 255),
                static_cast<int>((value >> 8) & 255), static_cast<int>((value >> 16) & 255));
  // A missing key is written too, so that the file lists the colour in effect.
  if (readable && (!found || !EqualNoCase(text.c_str(), normal))) WriteString(section, key, normal, iniFile);
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
  std::string name = TrimBlanks(text);
  for (const char* system : {"MENU", "BORDER", "TITLE"})
    if (EqualNoCase(name.c_str(), system)) return SystemColour(system);
  for (const NamedColour& c : kNamedColours)
    if (EqualNoCase(name.c_str(), c.name)) return MakeColour(c.r, c.g, c.b);
  return 0;
}

}  // namespace Settings
