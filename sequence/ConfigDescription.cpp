// The configuration description: reading Tavrin.xml into groups and items, the value checks and normal
// forms of each kind, and the write-back of applied values.
#include "sequence/ConfigDescription.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "foundation/DateTime.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/Txt.h"
#include "foundation/Xml.h"

const char* const kConfigPriceSources[kConfigPriceSourceCount] = {
    "Close(1)", "High(2)", "Low(3)", "Open(4)", "Track(5)", "(H+L)/2(6)", "(H+L+C)/3(7)", "(H+L+C+O)/4(8)"};

namespace {

constexpr int kWrapColumn = 80;
constexpr int kParIntWidth = 30;  // characters of the strategy-input fields
constexpr int kParTextWidth = 45;

bool Equal(const std::string& a, const std::string& b) {
  return EqualNoCase(a.c_str(), b.c_str());
}

std::vector<std::string> Split(const std::string& text, char delim) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(delim, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

// A whole decimal number (optional sign, digits, optional fraction, optional exponent) and nothing else.
bool ParseNumber(const std::string& text, double& value) {
  std::string t = TrimBlanks(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  value = std::strtod(t.c_str(), &end);
  return end && *end == '\0' && errno != ERANGE && std::isfinite(value) &&
         t.find_first_of("xXnN") == std::string::npos;  // no hexadecimal, infinity or NaN spellings
}

bool ParseWhole(const std::string& text, bool allowNegative, long long& value) {
  std::string t = TrimBlanks(text);
  size_t i = t.size() > 0 && (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == 1 && (t[0] == '-' && !allowNegative)) return false;
  if (i >= t.size() || t.size() - i > 10) return false;
  for (size_t k = i; k < t.size(); ++k)
    if (!std::isdigit(static_cast<unsigned char>(t[k]))) return false;
  value = std::atoll(t.c_str());
  return value >= -2147483647LL - 1 && value <= 2147483647LL;
}

std::string FormatNumber(double value, int decimals) {
  CTxt out;
  out.Format("%.*f", decimals, value);
  return out.ToStd();
}

std::string Limit(const ConfigItem& item, double value) {
  bool whole = item.kind == ConfigKind::kInt || item.kind == ConfigKind::kIntNeg;
  if (whole) return FormatNumber(value, 0);
  CTxt out;
  out.MakeValueTxt(value, item.decimals < 0 ? 4 : item.decimals);
  return out.ToStd();
}

int RefuseOutOfRange(const ConfigItem& item, double value, CTxt& reason) {
  bool below = item.hasMinimum && value < item.minimum;
  bool above = item.hasMaximum && value > item.maximum;
  if (!below && !above) return 0;
  if (item.hasMinimum && item.hasMaximum)
    reason.Format("%s must lie between %s and %s", item.name.c_str(), Limit(item, item.minimum).c_str(),
                  Limit(item, item.maximum).c_str());
  else if (below)
    reason.Format("%s must be at least %s", item.name.c_str(), Limit(item, item.minimum).c_str());
  else
    reason.Format("%s must be at most %s", item.name.c_str(), Limit(item, item.maximum).c_str());
  return kConfigRefused;
}

int NormaliseWhole(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  long long value = 0;
  bool negative = item.kind == ConfigKind::kIntNeg;
  if (!ParseWhole(text, negative, value)) {
    reason.Format("%s must be a whole number%s: '%s'", item.name.c_str(), negative ? "" : " of 0 or more",
                  text.c_str());
    return kConfigRefused;
  }
  if (RefuseOutOfRange(item, static_cast<double>(value), reason) < 0) return kConfigRefused;
  normal = std::to_string(value);
  return 0;
}

int NormaliseFloat(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  double value = 0;
  if (!ParseNumber(text, value)) {
    reason.Format("%s must be a number: '%s'", item.name.c_str(), text.c_str());
    return kConfigRefused;
  }
  if (RefuseOutOfRange(item, value, reason) < 0) return kConfigRefused;
  normal = FormatNumber(value, item.decimals);
  return 0;
}

int NormaliseText(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  std::string value = text;
  if (item.kind == ConfigKind::kText && static_cast<int>(value.size()) > item.maxLength)
    value.resize(static_cast<size_t>(item.maxLength));
  value = TrimBlanks(value);
  if (item.inputStyle & kConfigUpper)
    for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (item.inputStyle & kConfigLower)
    for (char& c : value) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (item.inputStyle & kConfigDigitsOnly) {
    for (char c : value)
      if (!std::isdigit(static_cast<unsigned char>(c))) {
        reason.Format("%s accepts digits only: '%s'", item.name.c_str(), text.c_str());
        return kConfigRefused;
      }
  }
  if (!item.choices.empty()) {
    auto match = std::find_if(item.choices.begin(), item.choices.end(),
                              [&](const std::string& choice) { return Equal(choice, value); });
    if (match == item.choices.end()) {
      std::string list;
      for (const std::string& choice : item.choices) list += (list.empty() ? "" : ", ") + choice;
      reason.Format("%s must be one of %s: '%s'", item.name.c_str(), list.c_str(), text.c_str());
      return kConfigRefused;
    }
    value = *match;
  }
  normal = value;
  return 0;
}

int NormaliseBool(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  std::string t = TrimBlanks(text);
  static const char* const kFalse[] = {"N", "NO", "FALSE", "OFF"};
  double number = 0;
  bool known = TextToBool(t.c_str()) == 1 || ParseNumber(t, number) ||
               std::any_of(std::begin(kFalse), std::end(kFalse), [&](const char* w) { return Equal(w, t); });
  if (!known) {
    reason.Format("%s must be YES or NO: '%s'", item.name.c_str(), text.c_str());
    return kConfigRefused;
  }
  normal = TextToBool(t.c_str()) == 1 ? "YES" : "NO";
  return 0;
}

int NormaliseDate(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  CZELDateTime date;
  std::string t = TrimBlanks(text);
  if (t.empty() || date.SetDTCheck(t.c_str()) < 0 || !date.IsValid()) {
    reason.Format("%s must be a date (month/day/year): '%s'", item.name.c_str(), text.c_str());
    return kConfigRefused;
  }
  CTxt out;
  out.Format("%d/%d/%04d", date.GetMonth(), date.GetDay(), date.GetYear());
  normal = out.ToStd();
  return 0;
}

// Colours are numbers "r,g,b" of 0 to 255, "0x" and a hexadecimal value, or a colour name.
int NormaliseColour(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  std::string t = TrimBlanks(text);
  bool valid = !t.empty();
  if (StartsWithNoCase(t.c_str(), "0x")) {
    valid = t.size() > 2 && t.size() <= 8 &&
            t.find_first_not_of("0123456789abcdefABCDEF", 2) == std::string::npos;
  } else if (valid && std::isdigit(static_cast<unsigned char>(t[0]))) {
    std::vector<std::string> fields = Split(t, ',');
    long long part = 0;
    valid = fields.size() <= 3;
    for (const std::string& field : fields) valid = valid && ParseWhole(field, false, part) && part <= 255;
  } else if (valid) {
    // A name: anything ParseColour does not know reads as black, which only "BLACK" may mean.
    valid = Settings::ParseColour(t.c_str()) != 0 || Equal(t, "BLACK");
  }
  if (!valid) {
    reason.Format("%s must be a colour (red,green,blue of 0 to 255, or a colour name): '%s'",
                  item.name.c_str(), text.c_str());
    return kConfigRefused;
  }
  Settings::Colour rgb = Settings::ParseColour(t.c_str());
  CTxt out;
  out.Format("%lu,%lu,%lu", rgb & 255, (rgb >> 8) & 255, (rgb >> 16) & 255);
  normal = out.ToStd();
  return 0;
}

int NormaliseParInt(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  std::string values;
  int n = ExpandInputValueList(text, values);
  if (n == 0 || n == -1) {
    reason.Format(
        n == 0 ? "Missing Strategy Input Value(s) in %s" : "%s: a strategy-input value is no number",
        item.name.c_str());
    return kConfigRefused;
  }
  if (n < 0) {
    reason.Format("%s yields more than %d strategy-input values", item.name.c_str(), kConfigMaxInputValues);
    return kConfigRefused;
  }
  normal = values;
  return 0;
}

// "Close(1)" ... or the number itself.
int NormalisePriceSource(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  std::string t = TrimBlanks(text);
  size_t open = t.rfind('(');
  std::string number = open == std::string::npos ? t : t.substr(open + 1);
  if (!number.empty() && number.back() == ')') number.pop_back();
  long long value = 0;
  if (!ParseWhole(number, false, value) || value < 1 || value > kConfigPriceSourceCount) {
    reason.Format("%s must be a price source from 1 to %d: '%s'", item.name.c_str(), kConfigPriceSourceCount,
                  text.c_str());
    return kConfigRefused;
  }
  normal = std::to_string(value);
  return 0;
}

bool IsNumberWord(const std::string& word) {
  long long value = 0;
  return ParseWhole(word, false, value);
}

std::string Attr(const PlainNode& node, const char* name) {
  CTxt value;
  node.GetAttrText(name, value);
  return value.ToStd();
}

int ReadLimits(const PlainNode& node, ConfigItem& item, CTxt& reason) {
  struct Limit {
    const char* attr;
    bool* has;
    double* value;
  } limits[] = {{"Min", &item.hasMinimum, &item.minimum}, {"Max", &item.hasMaximum, &item.maximum}};
  for (const Limit& limit : limits) {
    if (!node.FindAttr(limit.attr)) continue;
    if (!ParseNumber(Attr(node, limit.attr), *limit.value)) {
      reason.Format("Invalid %s attribute in %s", limit.attr, item.name.c_str());
      return -1;
    }
    *limit.has = true;
  }
  std::string choices = Attr(node, "Choices");
  if (!choices.empty())
    for (const std::string& choice : Split(choices, '|')) item.choices.push_back(TrimBlanks(choice));
  return 0;
}

std::string DescriptionOf(const PlainNode& node, const std::string& baseDir, const std::string& name) {
  std::string text = TrimBlanks(node.GetContent().ToStd());
  if (!text.empty() || baseDir.empty()) return text;
  std::string content;
  CTxt reason;
  if (ReadWholeFile((baseDir + name + ".txt").c_str(), content, reason) == FileReadResult::kRead)
    return content;
  return "";
}

// The stored value of a freshly described item in its normal form.
int LoadValue(ConfigItem& item, ConfigStore& store, CTxt& reason) {
  std::string stored;
  if (item.kind == ConfigKind::kFloat || item.kind == ConfigKind::kParFloat) {
    double value = 0;
    if (!store.ReadFloat(item, value)) {
      reason = "Cannot read the stored value";
      return -1;
    }
    stored = FormatNumber(value, item.decimals);
  } else if (!store.Read(item, stored)) {
    reason = "Cannot read the stored value";
    return -1;
  }
  std::string normal;
  if (NormaliseConfigValue(item, stored, normal, reason) < 0) {
    // A stored value the item refuses (a hand-edited file) shows as it is, for the user to mend; a
    // strategy-input list without a value is no item at all.
    if (item.kind == ConfigKind::kParInt) return -1;
    normal = stored;
  }
  item.loadedText = item.storedText = item.currentText = normal;
  item.changed = false;
  return 0;
}

int LoadItem(const PlainNode& node, const std::string& group, const std::string& section,
             const std::string& baseDir, ConfigStore& store, ConfigItem& item, CTxt& reason) {
  item.name = Attr(node, "Name");
  item.section = node.FindAttr("Sect") ? Attr(node, "Sect") : section;
  item.registryName = Attr(node, "Reg");
  item.defaultText = Attr(node, "Dflt");
  item.group = group;
  std::string type = node.FindAttr("Type") ? Attr(node, "Type") : "Int";
  if (ParseConfigType(type.c_str(), item, reason) < 0) return -1;
  if (ReadLimits(node, item, reason) < 0) return -1;
  item.description = DescriptionOf(node, baseDir, item.name);
  return LoadValue(item, store, reason);
}

int Fail(CTxt& message, int code, const char* fmt, const std::string& a, const std::string& b = "") {
  message.Format(fmt, a.c_str(), b.c_str());
  return code;
}

bool IsAbsolute(const std::string& path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

}  // namespace

// --- Store -------------------------------------------------------------------------------------------------

bool ConfigStore::Read(const ConfigItem& item, std::string& out) {
  if (!item.registryName.empty()) return ReadRegistry(item.registryName, item.defaultText, out);
  Settings::GetString(item.section.c_str(), item.name.c_str(), item.defaultText.c_str(), out, IniFile());
  return true;
}

bool ConfigStore::ReadFloat(const ConfigItem& item, double& value) {
  if (!item.registryName.empty()) {
    std::string text;
    if (!ReadRegistry(item.registryName, item.defaultText, text)) return false;
    value = std::atof(text.c_str());
    return true;
  }
  value = Settings::GetFloat(item.section.c_str(), item.name.c_str(),
                             static_cast<float>(std::atof(item.defaultText.c_str())), IniFile());
  return true;
}

bool ConfigStore::Write(const ConfigItem& item, const std::string& text) {
  if (!item.registryName.empty()) return WriteRegistry(item.registryName, text);
  return Settings::WriteString(item.section.c_str(), item.name.c_str(), text.c_str(), IniFile());
}

bool ConfigStore::ReadRegistry(const std::string&, const std::string&, std::string&) {
  return false;
}

bool ConfigStore::WriteRegistry(const std::string&, const std::string&) {
  return false;
}

// --- Description -------------------------------------------------------------------------------------------

int ConfigDescription::Load(const char* path, ConfigStore& store, CTxt& message, int xmlFlags) {
  *this = ConfigDescription();
  std::string file = path ? path : "";
  RootPlainNode root;
  CTxt error;
  int r = root.LoadXML(file.c_str(), error, xmlFlags);
  if (xmlFlags & kXmlFlagSourceIsText) file = "(text)";
  if (r < 0 && r >= -5) {
    message = error;
    return kConfigReadError;
  }
  if (r < 0) {
    message.Format("Parse Erorr in '%s' (%d)\r\n%s", file.c_str(), r, static_cast<const char*>(error));
    return kConfigParseError;
  }
  const PlainNode& document = root;  // the tree search, not the flat list's
  const PlainNode* sysDef = document.FindTag("SysDef");
  if (!sysDef)
    return Fail(message, kConfigSysDefMissing, "Incomplete System Definition file - SysDef missing (%s)",
                file);
  const PlainNode* title = sysDef->FindChildByTag("Title");
  if (!title)
    return Fail(message, kConfigTitleMissing,
                "Incomplete System Definition file - Title missing in SysDef (%s)", file);
  const PlainNode* cfgDef = document.FindTag("CfgDef");
  if (!cfgDef)
    return Fail(message, kConfigCfgDefMissing,
                "Incomplete System Definition file - CfgDef Section missing (%s)", file);

  m_title = TrimBlanks(title->GetContent().ToStd());
  if (const PlainNode* app = sysDef->FindChildByTag("AppName"))
    m_appName = TrimBlanks(app->GetContent().ToStd());
  store.UseApplication(m_appName);
  if (const PlainNode* base = sysDef->FindChildByTag("BaseDir")) {
    std::string dir = TrimBlanks(base->GetContent().ToStd());
    if (!dir.empty() && !IsAbsolute(dir)) {
      size_t slash = file.find_last_of("/\\");
      if (slash != std::string::npos) dir = file.substr(0, slash + 1) + dir;
    }
    if (!dir.empty() && IsFolder(dir.c_str()) != 1)
      return Fail(message, kConfigBadBaseOrSection, "Invalid Base Foldder %s\r\n(%s)", dir, file);
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    m_baseDir = dir;
  }
  if (!cfgDef->FindAttr("SectionName")) {
    message.Format("Missing %s attribute %s\r\n(%s)", "CfgDef", "SectionName", file.c_str());
    return kConfigBadBaseOrSection;
  }
  m_sectionName = Attr(*cfgDef, "SectionName");
  m_intro = Attr(*cfgDef, "Intro");
  m_treeWidth = std::atoi(Attr(*cfgDef, "TreeWidth").c_str());
  std::string size = Attr(*cfgDef, "Size");
  m_width = std::atoi(size.c_str());
  m_height = size.find(',') == std::string::npos ? 0 : std::atoi(size.c_str() + size.find(',') + 1);

  for (int g = 0; g < cfgDef->GetNumChildren(); ++g) {
    const PlainNode* groupNode = cfgDef->GetChild(g);
    if (!groupNode || Attr(*groupNode, "Name").empty()) continue;
    ConfigGroup group;
    group.name = Attr(*groupNode, "Name");
    for (int i = 0; i < groupNode->GetNumChildren(); ++i) {
      const PlainNode* itemNode = groupNode->GetChild(i);
      if (!itemNode || Attr(*itemNode, "Name").empty()) continue;
      ConfigItem item;
      CTxt reason;
      if (LoadItem(*itemNode, group.name, m_sectionName, m_baseDir, store, item, reason) < 0) {
        LogTrace("DlgCfg", kLogNormal, "Item Load error: %s (%s)", static_cast<const char*>(reason),
                 item.name.c_str());
        m_itemErrors.push_back(reason.ToStd() + " (" + item.name + ")");
        continue;
      }
      group.items.push_back(std::move(item));
    }
    m_groups.push_back(std::move(group));
  }
  message.MakeEmpty();
  return 0;
}

ConfigItem* ConfigDescription::FindItem(const std::string& name, const std::string& section) {
  for (ConfigGroup& group : m_groups)
    for (ConfigItem& item : group.items)
      if (Equal(item.name, name) && (section.empty() || Equal(item.section, section))) return &item;
  return nullptr;
}

int ConfigDescription::ItemCount() const {
  int n = 0;
  for (const ConfigGroup& group : m_groups) n += static_cast<int>(group.items.size());
  return n;
}

int ConfigDescription::ChangedCount() const {
  int n = 0;
  for (const ConfigGroup& group : m_groups)
    for (const ConfigItem& item : group.items) n += Equal(item.storedText, item.loadedText) ? 0 : 1;
  return n;
}

// --- Types and values --------------------------------------------------------------------------------------

int ParseConfigType(const char* typeWords, ConfigItem& item, CTxt& reason) {
  struct Kind {
    const char* word;
    ConfigKind kind;
  };
  static const Kind kKinds[] = {
      {"Int", ConfigKind::kInt},         {"IntNeg", ConfigKind::kIntNeg},   {"Float", ConfigKind::kFloat},
      {"Flt", ConfigKind::kFloat},       {"Text", ConfigKind::kText},       {"Txt", ConfigKind::kText},
      {"Bool", ConfigKind::kBool},       {"Date", ConfigKind::kDate},       {"Color", ConfigKind::kColour},
      {"ParInt", ConfigKind::kParInt},   {"ParFlt", ConfigKind::kParFloat}, {"ParTxt", ConfigKind::kParText},
      {"ParSrc", ConfigKind::kParSource}};
  struct Modifier {
    const char* word;
    int style;
  };
  static const Modifier kModifiers[] = {{"Upper", kConfigUpper},
                                        {"Lower", kConfigLower},
                                        {"password", kConfigPassword},
                                        {"pwd", kConfigPassword},
                                        {"Number", kConfigDigitsOnly}};
  std::vector<std::string> words = Split(typeWords ? typeWords : "", '/');
  bool haveKind = false;
  for (size_t i = 0; i < words.size(); ++i) {
    std::string word = TrimBlanks(words[i]);
    const Kind* kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](const Kind& k) { return Equal(k.word, word); });
    const Modifier* modifier = std::find_if(std::begin(kModifiers), std::end(kModifiers),
                                            [&](const Modifier& m) { return Equal(m.word, word); });
    if (kind != std::end(kKinds)) {
      item.kind = kind->kind;
      haveKind = true;
      bool takesNumber = item.kind == ConfigKind::kFloat || item.kind == ConfigKind::kParFloat ||
                         item.kind == ConfigKind::kText;
      if (takesNumber && i + 1 < words.size() && IsNumberWord(words[i + 1])) {
        int n = std::atoi(words[++i].c_str());
        if (item.kind == ConfigKind::kText)
          item.maxLength = std::max(1, n);
        else
          item.decimals = std::min(n, 10);
      }
    } else if (modifier != std::end(kModifiers)) {
      item.inputStyle |= modifier->style;
    } else {
      haveKind = false;
      break;
    }
  }
  if (!haveKind) {
    reason.Format("Unknown Type in %s", item.name.c_str());
    return -1;
  }
  if (item.kind == ConfigKind::kParInt || item.kind == ConfigKind::kParFloat ||
      item.kind == ConfigKind::kParText)
    item.inputStyle |= kConfigHorizontalScroll;
  if (item.kind == ConfigKind::kInt) item.inputStyle |= kConfigDigitsOnly;
  if (item.kind == ConfigKind::kParText) item.maxLength = std::max(item.maxLength, kParTextWidth);
  if (item.kind == ConfigKind::kParInt) item.maxLength = std::max(item.maxLength, kParIntWidth);
  return 0;
}

int NormaliseConfigValue(const ConfigItem& item, const std::string& text, std::string& normal, CTxt& reason) {
  switch (item.kind) {
    case ConfigKind::kInt:
    case ConfigKind::kIntNeg:
      return NormaliseWhole(item, text, normal, reason);
    case ConfigKind::kFloat:
    case ConfigKind::kParFloat:
      return NormaliseFloat(item, text, normal, reason);
    case ConfigKind::kText:
    case ConfigKind::kParText:
      return NormaliseText(item, text, normal, reason);
    case ConfigKind::kBool:
      return NormaliseBool(item, text, normal, reason);
    case ConfigKind::kDate:
      return NormaliseDate(item, text, normal, reason);
    case ConfigKind::kColour:
      return NormaliseColour(item, text, normal, reason);
    case ConfigKind::kParInt:
      return NormaliseParInt(item, text, normal, reason);
    case ConfigKind::kParSource:
      return NormalisePriceSource(item, text, normal, reason);
  }
  return kConfigRefused;
}

int ExpandInputValueList(const std::string& text, std::string& out) {
  std::vector<double> values;
  for (const std::string& raw : Split(text, ',')) {
    std::string element = TrimBlanks(raw);
    if (element.empty()) continue;
    size_t arrow = element.find('>');
    if (arrow == std::string::npos) {
      double v = 0;
      if (!ParseNumber(element, v)) return -1;
      values.push_back(v);
    } else {
      std::string rest = element.substr(arrow + 1);
      size_t slash = rest.find('/');
      double from = 0, to = 0, step = 0;
      if (!ParseNumber(element.substr(0, arrow), from) || !ParseNumber(rest.substr(0, slash), to)) return -1;
      if (slash != std::string::npos && !ParseNumber(rest.substr(slash + 1), step)) return -1;
      step = std::fabs(step);
      if (step == 0) step = 1;
      if (to < from) continue;
      // Counted before anything is stored: a tiny step over a wide range must not exhaust the memory.
      double count = std::floor((to - from) / step + 1e-9) + 1;
      if (count + static_cast<double>(values.size()) > kConfigMaxInputValues) return -2;
      for (int k = 0; k < static_cast<int>(count); ++k) values.push_back(from + k * step);
    }
    if (values.size() > static_cast<size_t>(kConfigMaxInputValues)) return -2;
  }
  std::sort(values.begin(), values.end());
  out.clear();
  for (double v : values) {
    CTxt one;
    one.MakeValueTxt(v, 2);
    out += (out.empty() ? "" : ",") + one.ToStd();
  }
  return static_cast<int>(values.size());
}

void EditConfigItem(ConfigItem& item, const std::string& text) {
  item.currentText = text;
  item.changed = item.currentText != item.loadedText;
}

int ApplyConfigItem(ConfigItem& item, ConfigStore& store, std::string& oldText, CTxt& reason) {
  std::string normal;
  if (NormaliseConfigValue(item, item.currentText, normal, reason) < 0) return kConfigRefused;
  if (!store.Read(item, oldText)) oldText = item.storedText;
  if (!store.Write(item, normal)) {
    reason.Format("%s could not be written (%s)", item.name.c_str(),
                  item.registryName.empty() ? item.section.c_str() : "registry");
    return kConfigWriteFailed;
  }
  item.storedText = normal;
  EditConfigItem(item, normal);
  return Equal(oldText, normal) ? kConfigAppliedSame : kConfigAppliedChanged;
}

std::vector<std::string> WrapConfigDescription(const std::string& text) {
  std::vector<std::string> lines;
  std::string clean;
  for (char c : text)
    if (c != '\n') clean += c;
  for (const std::string& paragraph : Split(clean, '\r')) {
    std::string rest = paragraph;
    for (;;) {
      size_t blank = rest.size() > kWrapColumn ? rest.find(' ', kWrapColumn) : std::string::npos;
      if (blank == std::string::npos) break;
      lines.push_back(rest.substr(0, blank));
      rest = rest.substr(blank + 1);
    }
    lines.push_back(rest);
  }
  return lines;
}

std::string FindConfigPicture(const std::string& baseDir, const std::string& name) {
  std::string folder = baseDir;
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  for (const char* ext : {".gif", ".jpg", ".jpeg"}) {
    std::string path = folder + name + ext;
    if (IsFolder(path.c_str()) == 0) return path;
  }
  return "";
}
