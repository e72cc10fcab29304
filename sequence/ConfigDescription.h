// The configuration description (Tavrin.xml): the groups and items of the configuration dialog, each
// item's kind, limits and value, the check a typed value must pass, and the write-back of applied values
// into the settings file or the registry's application data. Portable; the dialog (app/Dialogs/DlgCfg)
// shows it.
//
// Description vocabulary: a "SysDef" element (with "Title", optional "BaseDir" and "AppName") and a
// "CfgDef" element (attributes "SectionName", "Intro", "TreeWidth", "Size") whose children are groups
// (attribute "Name") of items. An item's attributes are "Name", "Sect", "Reg", "Dflt", "Type" ('/'-separated
// type words) and, beyond those, "Min" and "Max" (inclusive limits of a number) and "Choices" (the
// '|'-separated values a text may take, shown as a drop-down list); its content is its description.
#pragma once

#include <string>
#include <vector>

class CTxt;

enum class ConfigKind {
  kInt,        // "Int": digits only, "%d"
  kIntNeg,     // "IntNeg": "%d", may be negative
  kFloat,      // "Float"/"Flt" [/decimals]: "%.*f"
  kText,       // "Text"/"Txt" [/maximum length, 20 unless given]
  kBool,       // "Bool": "YES" or "NO"
  kDate,       // "Date": month/day/year
  kColour,     // "Color": "r,g,b"
  kParInt,     // "ParInt": a list of strategy-input values and ranges, expanded and sorted
  kParFloat,   // "ParFlt": as Float, in a wide field
  kParText,    // "ParTxt": a strategy-input text
  kParSource,  // "ParSrc": a price source 1 to 8, chosen from a drop-down list
};

// Input styles of an item's edit field (bits of ConfigItem::inputStyle).
constexpr int kConfigUpper = 0x1;              // typed letters become capitals
constexpr int kConfigLower = 0x2;              // typed letters become small letters
constexpr int kConfigPassword = 0x4;           // the field hides its text
constexpr int kConfigDigitsOnly = 0x8;         // the field accepts digits only
constexpr int kConfigHorizontalScroll = 0x10;  // wide values scroll sideways

// The price sources of a "ParSrc" item, in the order of the drop-down list; the value is the number in
// the last parentheses.
constexpr int kConfigPriceSourceCount = 8;
extern const char* const kConfigPriceSources[kConfigPriceSourceCount];

struct ConfigItem {
  std::string name;          // key in the settings file
  std::string section;       // settings section ("Sect", else the description's SectionName)
  std::string registryName;  // "Reg": when filled the value lives in the registry's application data
  std::string group;
  std::string defaultText;
  std::string description;  // the element's content, else the text file "<BaseDir>/<name>.txt"
  ConfigKind kind = ConfigKind::kInt;
  int decimals = 4;    // floating kinds
  int maxLength = 20;  // text kinds: the value is cut to this length
  int inputStyle = 0;  // kConfig... bits
  bool hasMinimum = false, hasMaximum = false;
  double minimum = 0, maximum = 0;
  std::vector<std::string> choices;  // "Choices": the only values a text may take (ignoring case)

  std::string loadedText;   // normal form of the stored value when the item was loaded
  std::string storedText;   // what is stored now: loadedText, or the last value applied
  std::string currentText;  // what the input shows
  bool changed = false;     // currentText differs from loadedText
};

struct ConfigGroup {
  std::string name;
  std::vector<ConfigItem> items;
};

// Where item values live: the settings file (section, name, default), or the registry's application data
// for items with a registry name. The registry exists only on Windows: the base class has none (a registry
// item then fails to load), the dialog's store supplies it, tests plant their own.
class ConfigStore {
 public:
  explicit ConfigStore(const char* iniFile = nullptr) : m_iniFile(iniFile ? iniFile : "") {}
  virtual ~ConfigStore() = default;

  // The stored text (the default when nothing is stored); false when the value cannot be read.
  bool Read(const ConfigItem& item, std::string& out);
  // Floating items are read with the settings store's floating getter, which writes its normal form back.
  bool ReadFloat(const ConfigItem& item, double& value);
  bool Write(const ConfigItem& item, const std::string& text);
  // Told the description's application name ("AppName") before any value is read: the registry key.
  virtual void UseApplication(const std::string& name) { (void)name; }

 protected:
  // Registry application data: false when there is no registry or the value cannot be read or written.
  virtual bool ReadRegistry(const std::string& name, const std::string& def, std::string& out);
  virtual bool WriteRegistry(const std::string& name, const std::string& text);

 private:
  const char* IniFile() const { return m_iniFile.empty() ? nullptr : m_iniFile.c_str(); }
  std::string m_iniFile;
};

// Load codes.
constexpr int kConfigReadError = -1;         // the file's read error
constexpr int kConfigParseError = -2;        // not well-formed; the message names line and column
constexpr int kConfigSysDefMissing = -3;     // no SysDef element
constexpr int kConfigTitleMissing = -4;      // no Title in SysDef
constexpr int kConfigCfgDefMissing = -5;     // no CfgDef element
constexpr int kConfigBadBaseOrSection = -6;  // BaseDir names no folder, or SectionName is missing

// Apply results.
constexpr int kConfigAppliedSame = 0;     // written; equal to the stored text ignoring case
constexpr int kConfigAppliedChanged = 1;  // written; the stored text was different
constexpr int kConfigRefused = -1;        // the text is not a valid value of the item; nothing written
constexpr int kConfigWriteFailed = -2;    // the store refused the write

class ConfigDescription {
 public:
  // Reads the description and loads every item's value from the store. 0, or a load code with the
  // message. An item that fails to load is left out, logged in category "DlgCfg" and listed in
  // ItemErrors().
  // xmlFlags: kXmlFlagSourceIsText reads path as the document text itself (fuzzing, tests).
  int Load(const char* path, ConfigStore& store, CTxt& message, int xmlFlags = 0);

  const std::string& Title() const { return m_title; }
  const std::string& BaseDir() const { return m_baseDir; }  // '/' at the end when filled
  const std::string& AppName() const { return m_appName; }
  const std::string& SectionName() const { return m_sectionName; }
  const std::string& Intro() const { return m_intro; }
  int TreeWidthPercent() const { return m_treeWidth; }  // 0 when not given
  int WidthPercent() const { return m_width; }          // "Size"; 0 or less keeps the computed size
  int HeightPercent() const { return m_height; }

  std::vector<ConfigGroup>& Groups() { return m_groups; }
  const std::vector<ConfigGroup>& Groups() const { return m_groups; }
  const std::vector<std::string>& ItemErrors() const { return m_itemErrors; }
  ConfigItem* FindItem(const std::string& name, const std::string& section = "");
  int ItemCount() const;

  // Items whose stored value differs (ignoring case) from the value they had when loaded: values applied
  // and kept. Edits that were never applied wrote nothing and do not count.
  int ChangedCount() const;

 private:
  std::string m_title, m_baseDir, m_appName, m_sectionName, m_intro;
  int m_treeWidth = 0, m_width = 0, m_height = 0;
  std::vector<ConfigGroup> m_groups;
  std::vector<std::string> m_itemErrors;
};

// Reads an item's type words into kind, decimals, maximum length and input style. 0, or -1 with
// "Unknown Type in <name>" when the words name no kind or hold a word that is no type word.
int ParseConfigType(const char* typeWords, ConfigItem& item, CTxt& reason);

// The normal form of a typed value, or kConfigRefused with the reason (not a number, out of range, not one
// of the choices, not a date, no strategy-input value ...).
int NormaliseConfigValue(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason);

// Strategy-input value lists: elements separated by ',', each a number or a range from>to[/step]; the values
// sorted ascending with at most two decimals, joined by ','. The number of values, 0 when the text yields
// none, -1 when an element is no number, -2 beyond kConfigMaxInputValues values.
constexpr int kConfigMaxInputValues = 10000;
int ExpandInputValueList(const std::string& text, std::string& out);

// Makes text the item's current text and updates its changed flag (an edit, nothing written).
void EditConfigItem(ConfigItem& item, const std::string& text);
// Checks the item's current text, reads the stored value into oldText, writes the normal form and makes
// it the current and stored text. An apply result; nothing is written when the text is refused.
int ApplyConfigItem(ConfigItem& item, ConfigStore& store, std::string& oldText, CTxt& reason);

// The description as lines: broken at CR (LF dropped) and wrapped at the first blank after 80 characters.
std::vector<std::string> WrapConfigDescription(const std::string& text);
// The picture of a "{Pic:NAME}" word: the first of BaseDir/NAME.gif, .jpg, .jpeg that exists, else "".
std::string FindConfigPicture(const std::string& baseDir, const std::string& name);
