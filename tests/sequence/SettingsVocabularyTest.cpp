// The shipped configuration description (app/resources/Tavrin.xml) against the product's sources: every
// setting the code reads is described, every described setting is read somewhere, and each is described
// with a kind its getter understands. The sources are scanned for the settings getters; a key passed
// through a wrapper's parameter is followed to the wrapper's callers, a key taken from a table to the
// table's rows, a key held in a named constant to its value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/Txt.h"
#include "sequence/ConfigDescription.h"

namespace fs = std::filesystem;

namespace {

// Sections whose keys are symbols, read with the symbol as key: any described key of them is read.
const char* const kPerSymbolSections[] = {"TickDailyVolume", "SharesDailyVolume"};

const char* const kReadingGetters[] = {"GetString", "GetStringRaw", "GetBool",   "GetInt",
                                       "GetFloat",  "GetColour",    "SetDefault"};
const char* const kWritingGetters[] = {"WriteString", "WriteInt", "WriteBool", "WriteFloat"};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct SourceFile {
  std::string path;  // relative to the source tree
  std::string code;  // comments blanked out, string literals and line breaks kept

  int LineAt(size_t pos) const {
    return 1 + static_cast<int>(std::count(code.begin(), code.begin() + pos, '\n'));
  }
};

std::string StripComments(const std::string& text) {
  std::string out = text;
  enum { kCode, kString, kChar, kLine, kBlock } state = kCode;
  for (size_t i = 0; i < out.size(); ++i) {
    char c = out[i], next = i + 1 < out.size() ? out[i + 1] : '\0';
    switch (state) {
      case kCode:
        if (c == '"') state = kString;
        if (c == '\'') state = kChar;
        if (c == '/' && next == '/') state = kLine, out[i] = ' ';
        if (c == '/' && next == '*') state = kBlock, out[i] = ' ', out[++i] = ' ';
        break;
      case kString:
      case kChar:
        if (c == '\\')
          ++i;
        else if ((state == kString && c == '"') || (state == kChar && c == '\''))
          state = kCode;
        break;
      case kLine:
        if (c == '\n')
          state = kCode;
        else
          out[i] = ' ';
        break;
      case kBlock:
        if (c == '*' && next == '/')
          state = kCode, out[i] = ' ', out[++i] = ' ';
        else if (c != '\n')
          out[i] = ' ';
        break;
    }
  }
  return out;
}

std::string TrimSpace(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// From the '(' at open, the top-level arguments up to the matching ')'; end is set after the ')'.
std::vector<std::string> Arguments(const std::string& code, size_t open, size_t* end = nullptr) {
  std::vector<std::string> args;
  std::string current;
  int depth = 0;
  for (size_t i = open; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"' || c == '\'') {
      size_t j = i + 1;
      while (j < code.size() && code[j] != c) j += code[j] == '\\' ? 2 : 1;
      current += code.substr(i, j - i + 1);
      i = j;
      continue;
    }
    if (c == '(' || c == '{' || c == '[') {
      if (depth++ == 0) continue;
    } else if (c == ')' || c == '}' || c == ']') {
      if (--depth == 0) {
        args.push_back(TrimSpace(current));
        if (end) *end = i + 1;
        return args;
      }
    } else if (c == ',' && depth == 1) {
      args.push_back(TrimSpace(current));
      current.clear();
      continue;
    }
    current += c;
  }
  return args;
}

bool IsLiteral(const std::string& expr) {
  return expr.size() >= 2 && expr.front() == '"' && expr.back() == '"';
}

bool IsIdentifier(const std::string& expr) {
  return std::regex_match(expr, std::regex("[A-Za-z_][A-Za-z0-9_]*"));
}

struct Function {
  std::string name;
  std::vector<std::string> params;  // parameter names
  size_t header = 0;                // position of the name
  size_t bodyBegin = 0, bodyEnd = 0;
};

// Function definitions: a '{' that follows a parameter list whose '(' follows a name (not a control
// keyword). Lambdas and constructors' initialiser lists are not told apart; neither reads settings here.
std::vector<Function> FindFunctions(const std::string& code) {
  static const std::set<std::string> kKeywords = {"if",    "for",    "while", "switch",
                                                  "catch", "return", "sizeof"};
  std::vector<Function> functions;
  std::vector<std::pair<size_t, int>> open;  // '{' positions with their function index (-1 none)
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"' || c == '\'') {
      size_t j = i + 1;
      while (j < code.size() && code[j] != c) j += code[j] == '\\' ? 2 : 1;
      i = j;
      continue;
    }
    if (c == '}') {
      if (!open.empty()) {
        if (open.back().second >= 0) functions[static_cast<size_t>(open.back().second)].bodyEnd = i;
        open.pop_back();
      }
      continue;
    }
    if (c != '{') continue;
    int index = -1;
    size_t k = i;
    while (k > 0 && std::isspace(static_cast<unsigned char>(code[k - 1]))) --k;
    for (const char* suffix : {"const", "noexcept", "override"}) {
      size_t n = std::strlen(suffix);
      if (k >= n && code.compare(k - n, n, suffix) == 0) {
        k -= n;
        while (k > 0 && std::isspace(static_cast<unsigned char>(code[k - 1]))) --k;
      }
    }
    if (k > 0 && code[k - 1] == ')') {
      int depth = 0;
      size_t p = k - 1;
      for (;; --p) {
        if (code[p] == ')') ++depth;
        if (code[p] == '(' && --depth == 0) break;
        if (p == 0) break;
      }
      size_t nameEnd = p;
      while (nameEnd > 0 && std::isspace(static_cast<unsigned char>(code[nameEnd - 1]))) --nameEnd;
      size_t nameBegin = nameEnd;
      while (nameBegin > 0 &&
             (std::isalnum(static_cast<unsigned char>(code[nameBegin - 1])) || code[nameBegin - 1] == '_'))
        --nameBegin;
      std::string name = code.substr(nameBegin, nameEnd - nameBegin);
      if (!name.empty() && !kKeywords.count(name) && !std::isdigit(static_cast<unsigned char>(name[0]))) {
        Function f;
        f.name = name;
        f.header = nameBegin;
        f.bodyBegin = i;
        for (const std::string& param : Arguments(code, p)) {
          std::smatch m;
          std::string decl = param.substr(0, param.find('='));
          if (std::regex_search(decl, m, std::regex("([A-Za-z_][A-Za-z0-9_]*)\\s*(\\[\\s*\\])?\\s*$")))
            f.params.push_back(m[1]);
          else
            f.params.push_back("");
        }
        functions.push_back(f);
        index = static_cast<int>(functions.size()) - 1;
      }
    }
    open.push_back({i, index});
  }
  return functions;
}

struct Read {
  std::string section, key;  // key "*": any key of a per-symbol section
  std::string getter;
  std::string where;
  std::string def;  // the default the code passes, "?" when it is not a constant
};

// A C++ string literal's text.
std::string Unescape(const std::string& literal) {
  std::string out;
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    char c = literal[i];
    if (c == '\\' && i + 2 < literal.size()) {
      char next = literal[++i];
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
    } else {
      out += c;
    }
  }
  return out;
}

constexpr const char* kUnknown = "?";
constexpr const char* kNoCell = "\x01";  // a table cell that holds no text literal

class SourceScan {
 public:
  std::vector<SourceFile> files;
  std::vector<Read> reads, writes;
  std::vector<std::string> unresolved;

  void Load(const fs::path& root) {
    for (const char* dir : {"foundation", "sequence", "execution", "tsdriver", "app"}) {
      if (!fs::exists(root / dir)) continue;
      for (const auto& entry : fs::recursive_directory_iterator(root / dir)) {
        std::string ext = entry.path().extension().string();
        std::string name = entry.path().filename().string();
        if (ext != ".cpp" && ext != ".h") continue;
        // The store itself, and the configuration description's store, which reads whatever key the
        // description names, are no readers of particular settings.
        if (name.rfind("Settings", 0) == 0 && entry.path().parent_path().filename() == "foundation") continue;
        if (name == "ConfigDescription.cpp") continue;
        files.push_back({fs::relative(entry.path(), root).generic_string(),
                         StripComments(testsupport::ReadFile(entry.path().generic_string()))});
      }
    }
  }

  void Scan() {
    for (const SourceFile& file : files) {
      std::vector<Function> functions = FindFunctions(file.code);
      std::regex call("Settings::([A-Za-z]+)\\s*\\(");
      for (auto it = std::sregex_iterator(file.code.begin(), file.code.end(), call);
           it != std::sregex_iterator(); ++it) {
        std::string getter = (*it)[1];
        bool reading = std::find(std::begin(kReadingGetters), std::end(kReadingGetters), getter) !=
                       std::end(kReadingGetters);
        bool writing = std::find(std::begin(kWritingGetters), std::end(kWritingGetters), getter) !=
                       std::end(kWritingGetters);
        if (!reading && !writing) continue;
        size_t open = static_cast<size_t>(it->position(0) + it->length(0) - 1);
        std::vector<std::string> args = Arguments(file.code, open);
        if (args.size() < 2) continue;
        std::string where = file.path + ":" + std::to_string(file.LineAt(open));
        std::vector<std::vector<std::string>> tuples;
        Resolve(file, functions, open, {args[0], args[1], args.size() > 2 ? args[2] : kUnknown}, tuples, 0,
                where);
        for (const auto& t : tuples) (reading ? reads : writes).push_back({t[0], t[1], getter, t[3], t[2]});
      }
    }
  }

 private:
  // Every (section, key, default, where) the three expressions take at position pos of file. Section and
  // key must be found; a default that is no constant stays unknown.
  void Resolve(const SourceFile& file, const std::vector<Function>& functions, size_t pos,
               std::vector<std::string> exprs, std::vector<std::vector<std::string>>& out, int depth,
               const std::string& where) {
    if (depth > 6) {
      unresolved.push_back(where + ": resolution too deep");
      return;
    }
    const Function* inside = nullptr;
    for (const Function& f : functions)
      if (pos > f.bodyBegin && pos < f.bodyEnd && (!inside || f.bodyBegin > inside->bodyBegin)) inside = &f;
    // A symbol's own key in a per-symbol section: whatever symbol it is.
    if (IsLiteral(exprs[0]))
      for (const char* perSymbol : kPerSymbolSections)
        if (exprs[0] == std::string("\"") + perSymbol + "\"") {
          out.push_back({perSymbol, "*", kUnknown, where});
          return;
        }
    // A parameter of the enclosing function: follow every call of it, in this file and (for a helper shared
    // through a header) in every other source.
    for (size_t e = 0; e < 2; ++e) {
      if (!inside || !IsIdentifier(exprs[e])) continue;
      auto param = std::find(inside->params.begin(), inside->params.end(), exprs[e]);
      if (param == inside->params.end()) continue;
      size_t index = static_cast<size_t>(param - inside->params.begin());
      int calls = 0;
      for (const SourceFile& caller : files) {
        bool same = &caller == &file;
        std::vector<Function> callerFunctions = same ? functions : FindFunctions(caller.code);
        for (size_t at : CallsOf(caller, callerFunctions, inside->name)) {
          std::vector<std::string> args = Arguments(caller.code, at);
          if (index >= args.size()) continue;
          std::vector<std::string> next = exprs;
          for (size_t k = 0; k < exprs.size(); ++k) {
            auto p = std::find(inside->params.begin(), inside->params.end(), exprs[k]);
            if (IsIdentifier(exprs[k]) && p != inside->params.end())
              next[k] = args[static_cast<size_t>(p - inside->params.begin())];
          }
          ++calls;
          Resolve(caller, callerFunctions, at, next, out, depth + 1,
                  where + " <- " + caller.path + ":" + std::to_string(caller.LineAt(at)));
        }
      }
      if (calls == 0) unresolved.push_back(where + ": " + inside->name + "() is never called with its key");
      return;
    }
    std::vector<std::string> sections = Values(file, exprs[0], false, exprs[0], where);
    std::vector<std::string> keys = Values(file, exprs[1], true, exprs[0], where);
    // Key and default from the same table's rows go together row by row.
    std::vector<std::string> keyColumn = FieldColumn(file, exprs[1]),
                             defaultColumn = FieldColumn(file, exprs[2]);
    bool rowWise = !keyColumn.empty() && keyColumn.size() == defaultColumn.size();
    for (const std::string& section : sections) {
      if (rowWise) {
        for (size_t row = 0; row < keyColumn.size(); ++row)
          if (keyColumn[row] != kNoCell)
            out.push_back({section, keyColumn[row],
                           defaultColumn[row] == kNoCell ? kUnknown : defaultColumn[row], where});
        continue;
      }
      std::string def = DefaultValue(exprs[2]);
      for (const std::string& key : keys) out.push_back({section, key, def, where});
    }
  }

  // Positions of the '(' of calls of name in file (its definition and declarations excluded).
  std::vector<size_t> CallsOf(const SourceFile& file, const std::vector<Function>& functions,
                              const std::string& name) {
    std::vector<size_t> at;
    std::regex call("\\b" + name + "\\s*\\(");
    for (auto it = std::sregex_iterator(file.code.begin(), file.code.end(), call);
         it != std::sregex_iterator(); ++it) {
      size_t begin = static_cast<size_t>(it->position(0));
      bool definition = std::any_of(functions.begin(), functions.end(),
                                    [&](const Function& f) { return f.header == begin; });
      // A declaration: the name follows a type word ("int Setting(") rather than an operator or "return".
      size_t k = begin;
      while (k > 0 && std::isspace(static_cast<unsigned char>(file.code[k - 1]))) --k;
      size_t w = k;
      while (w > 0 && (std::isalnum(static_cast<unsigned char>(file.code[w - 1])) || file.code[w - 1] == '_'))
        --w;
      std::string before = file.code.substr(w, k - w);
      bool declaration = !before.empty() && before != "return" && before != "else";
      if (!definition && !declaration) at.push_back(static_cast<size_t>(it->position(0) + it->length(0) - 1));
    }
    return at;
  }

  // The default a getter is given: a text, number or boolean constant, or unknown.
  std::string DefaultValue(const std::string& expr) {
    if (IsLiteral(expr)) return Unescape(expr);
    std::smatch m;
    if (std::regex_match(expr, m, std::regex("(-?[0-9]+(\\.[0-9]*)?)[fF]?"))) return m[1];
    if (expr == "true") return "YES";
    if (expr == "false") return "NO";
    if (!IsIdentifier(expr)) return kUnknown;
    std::regex text("(constexpr|const)\\s+char\\s*(\\*\\s*(const\\s*)?)?\\b" + expr +
                    "\\s*(\\[\\s*\\])?\\s*=\\s*(\"([^\"\\\\]|\\\\.)*\")");
    std::regex number("(constexpr|const)\\s+(int|long|float|double)\\s+" + expr +
                      "\\s*=\\s*(-?[0-9.]+)[fF]?\\s*;");
    for (const SourceFile& f : files) {
      if (std::regex_search(f.code, m, text)) return Unescape(m[5]);
      if (std::regex_search(f.code, m, number)) return m[3];
    }
    return kUnknown;
  }

  // The cells of a table column an expression "row.field" names, kNoCell where a cell holds no text.
  std::vector<std::string> FieldColumn(const SourceFile& file, const std::string& expr) {
    std::smatch m;
    if (!std::regex_match(expr, m,
                          std::regex("[A-Za-z_][A-Za-z0-9_]*\\s*(\\.|->)\\s*([A-Za-z_][A-Za-z0-9_]*)")))
      return {};
    return TableColumn(file, m[2], true);
  }

  // The literal values an expression may take: a literal, a named constant, or a field of a table's rows.
  std::vector<std::string> Values(const SourceFile& file, const std::string& expr, bool isKey,
                                  const std::string& sectionExpr, const std::string& where) {
    if (IsLiteral(expr)) return {expr.substr(1, expr.size() - 2)};
    std::smatch m;
    if (IsIdentifier(expr)) {
      // Only a declared text constant: a variable of the same name elsewhere says nothing.
      std::regex constant("(constexpr|const)\\s+char\\s*(\\*\\s*(const\\s*)?)?\\b" + expr +
                          "\\s*(\\[\\s*\\])?\\s*=\\s*\"([^\"]*)\"");
      for (const SourceFile& f : files)
        if (std::regex_search(f.code, m, constant)) return {m[5]};
    }
    if (std::regex_match(expr, m,
                         std::regex("[A-Za-z_][A-Za-z0-9_]*\\s*(\\.|->)\\s*([A-Za-z_][A-Za-z0-9_]*)"))) {
      std::vector<std::string> rows = TableColumn(file, m[2], false);
      if (!rows.empty()) return rows;
    }
    if (isKey && IsLiteral(sectionExpr)) {
      std::string section = sectionExpr.substr(1, sectionExpr.size() - 2);
      for (const char* perSymbol : kPerSymbolSections)
        if (section == perSymbol) return {"*"};
    }
    unresolved.push_back(where + ": cannot tell the value of '" + expr + "'");
    return {};
  }

  // The column of a table: the struct holding the field, its place among the struct's members, and that
  // place in every brace-initialised row of an array of the struct.
  std::vector<std::string> TableColumn(const SourceFile& file, const std::string& field, bool keepEmpty) {
    std::smatch m;
    std::regex structWithField("struct\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*\\{([^}]*\\b" + field + "\\b[^}]*)\\}");
    if (!std::regex_search(file.code, m, structWithField)) return {};
    std::string type = m[1], body = m[2];
    std::vector<std::string> members;
    std::regex member("([A-Za-z_][A-Za-z0-9_]*)\\s*(=[^;]*)?;");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), member); it != std::sregex_iterator(); ++it)
      members.push_back((*it)[1]);
    auto place = std::find(members.begin(), members.end(), field);
    if (place == members.end()) return {};
    size_t column = static_cast<size_t>(place - members.begin());
    std::vector<std::string> values;
    std::regex table("\\b" + type + "\\s+[A-Za-z_][A-Za-z0-9_]*\\s*\\[[^\\]]*\\]\\s*=\\s*\\{");
    for (auto it = std::sregex_iterator(file.code.begin(), file.code.end(), table);
         it != std::sregex_iterator(); ++it) {
      size_t open = static_cast<size_t>(it->position(0) + it->length(0) - 1);
      for (const std::string& row : Arguments(file.code, open)) {
        if (row.empty() || row[0] != '{') continue;
        std::vector<std::string> cells = Arguments(row, 0);
        if (column < cells.size() && IsLiteral(cells[column]))
          values.push_back(Unescape(cells[column]));
        else if (keepEmpty)
          values.push_back(kNoCell);
      }
    }
    return values;
  }
};

struct Described {
  std::string section, key;
  ConfigKind kind;
  ConfigItem item;
};

fs::path SourceRoot() {
  return fs::path(TAVRIN_SOURCE_DIR);
}

std::vector<Described> DescribedSettings(std::string& error) {
  ConfigStore store((testsupport::ScratchFolder() + "/Scratch.ini").c_str());
  ConfigDescription description;
  CTxt message;
  std::string path = (SourceRoot() / "app/resources/Tavrin.xml").generic_string();
  if (description.Load(path.c_str(), store, message) < 0) error = message.ToStd();
  for (const std::string& itemError : description.ItemErrors()) error += itemError + "\n";
  std::vector<Described> out;
  for (const ConfigGroup& group : description.Groups())
    for (const ConfigItem& item : group.items) out.push_back({item.section, item.name, item.kind, item});
  return out;
}

bool SameSetting(const std::string& section, const std::string& key, const Described& d) {
  return Lower(section) == Lower(d.section) && (key == "*" || Lower(key) == Lower(d.key));
}

// A getter's value only survives the description's kind when both write the same normal form: a flag
// read as a number must not be described as YES/NO, which the number getter reads as 0.
bool KindSuitsGetter(ConfigKind kind, const std::string& getter) {
  if (getter == "GetInt") return kind == ConfigKind::kInt || kind == ConfigKind::kIntNeg;
  if (getter == "GetBool") return kind == ConfigKind::kBool;
  if (getter == "GetFloat") return kind == ConfigKind::kFloat;
  if (getter == "GetColour") return kind == ConfigKind::kColour;
  return true;  // text getters read any kind's normal form as it is
}

// The scan and the description, made once for the suite.
struct Vocabulary {
  SourceScan scan;
  std::vector<Described> described;
  std::string loadError;
  Vocabulary() {
    scan.Load(SourceRoot());
    scan.Scan();
    described = DescribedSettings(loadError);
  }
};

class SettingsVocabulary : public ::testing::Test {
 protected:
  static const Vocabulary& Get() {
    static const Vocabulary vocabulary;
    return vocabulary;
  }
  const SourceScan* scan = &Get().scan;
  const std::vector<Described>* described = &Get().described;
  const std::string* loadError = &Get().loadError;
};

TEST_F(SettingsVocabulary, TheDescriptionLoadsWithEveryItem) {
  EXPECT_EQ(*loadError, "");
  EXPECT_GT(described->size(), 50u);
}

TEST_F(SettingsVocabulary, EveryReadOfTheSourcesIsFollowedToItsKey) {
  EXPECT_GT(scan->files.size(), 30u) << "the product sources were not found under " << SourceRoot();
  EXPECT_GT(scan->reads.size(), 80u);
  for (const std::string& problem : scan->unresolved) ADD_FAILURE() << problem;
  // The store is only reached through "Settings::": a using-declaration would hide reads from this scan.
  for (const SourceFile& file : scan->files)
    EXPECT_EQ(file.code.find("using namespace Settings"), std::string::npos) << file.path;
}

TEST_F(SettingsVocabulary, EverySettingTheCodeReadsIsDescribed) {
  std::set<std::string> reported;
  for (const Read& read : scan->reads) {
    auto found = std::find_if(described->begin(), described->end(),
                              [&](const Described& d) { return SameSetting(read.section, read.key, d); });
    if (found == described->end() && reported.insert(Lower(read.section + "/" + read.key)).second)
      ADD_FAILURE() << read.section << "/" << read.key << " is read (" << read.where << ") but not described";
  }
}

TEST_F(SettingsVocabulary, EveryDescribedSettingIsRead) {
  for (const Described& d : *described) {
    bool read = std::any_of(scan->reads.begin(), scan->reads.end(),
                            [&](const Read& r) { return SameSetting(r.section, r.key, d); });
    EXPECT_TRUE(read) << d.section << "/" << d.key << " is described but no code reads it";
  }
}

TEST_F(SettingsVocabulary, EachDescribedKindSuitsTheGettersThatReadIt) {
  for (const Described& d : *described)
    for (const Read& r : scan->reads)
      if (r.key != "*" && SameSetting(r.section, r.key, d)) {
        EXPECT_TRUE(KindSuitsGetter(d.kind, r.getter))
            << d.section << "/" << d.key << " is read with " << r.getter << " (" << r.where
            << ") but described with another kind";
      }
}

// The default the dialog's "Default" button writes is one the program itself uses when the key is missing.
TEST_F(SettingsVocabulary, EachDescribedDefaultIsADefaultTheCodeUses) {
  auto normal = [](const ConfigItem& item, const std::string& text) {
    std::string out;
    CTxt reason;
    return NormaliseConfigValue(item, text, out, reason) == 0 ? out : text;
  };
  for (const Described& d : *described) {
    std::set<std::string> codeDefaults;
    for (const Read& r : scan->reads)
      if (r.key != "*" && r.def != kUnknown && SameSetting(r.section, r.key, d))
        codeDefaults.insert(normal(d.item, r.def));
    if (codeDefaults.empty()) continue;
    std::string listed;
    for (const std::string& def : codeDefaults) listed += " '" + def + "'";
    EXPECT_TRUE(codeDefaults.count(normal(d.item, d.item.defaultText)))
        << d.section << "/" << d.key << " is described with the default '" << d.item.defaultText
        << "' but the code uses" << listed;
  }
}

// The scan itself: wrappers, tables and constants are followed, and an undescribed read is caught.
TEST(SettingsScan, FollowsWrappersTablesAndConstants) {
  SourceScan scan;
  scan.files.push_back({"sample.cpp", StripComments(R"(
constexpr char kKey[] = "Named";
struct Row {
  const char* name;
  const char* key;  // the setting
  const char* fallback;
};
const Row kRows[] = {
    {"a", "FromTable1", "one"},
    {"b", "FromTable2", nullptr},
};
int Setting(const char* key, int def) {
  return Settings::GetInt("Tavrin", key, def);
}
int Twice(const char* section, const char* key) { return Settings::GetInt(section, key, 0); }
void User(const Row& row) {
  const char* symbol = NextSymbol();
  Setting("ViaWrapper", 1);
  if (Setting("Second", 2) == 1) return;
  Twice("SYS", "Pair");
  Settings::GetString("Tavrin", row.key, row.fallback, out);
  Settings::GetBool("Tavrin", kKey, true);
  Settings::GetInt("TickDailyVolume", symbol, 1);
  Settings::WriteString("Tavrin", "OnlyWritten", x);  // Settings::GetInt("Commented", "Out", 0);
  Settings::GetInt("Tavrin", runtimeKey, 0);
}
)")});
  scan.Scan();
  std::set<std::string> found;
  for (const Read& r : scan.reads) found.insert(r.section + "/" + r.key + "/" + r.getter);
  std::set<std::string> defaults;
  for (const Read& r : scan.reads) defaults.insert(r.key + "=" + r.def);
  EXPECT_TRUE(defaults.count("ViaWrapper=1"));
  EXPECT_TRUE(defaults.count("Second=2"));
  EXPECT_TRUE(defaults.count("Pair=0"));
  EXPECT_TRUE(defaults.count("Named=YES"));
  EXPECT_TRUE(defaults.count("FromTable1=one"));
  EXPECT_TRUE(defaults.count("FromTable2=?"));
  EXPECT_EQ(found,
            (std::set<std::string>{"Tavrin/ViaWrapper/GetInt", "Tavrin/Second/GetInt", "SYS/Pair/GetInt",
                                   "Tavrin/FromTable1/GetString", "Tavrin/FromTable2/GetString",
                                   "Tavrin/Named/GetBool", "TickDailyVolume/*/GetInt"}));
  ASSERT_EQ(scan.writes.size(), 1u);
  EXPECT_EQ(scan.writes[0].key, "OnlyWritten");
  ASSERT_EQ(scan.unresolved.size(), 1u);
  EXPECT_NE(scan.unresolved[0].find("runtimeKey"), std::string::npos);
}

}  // namespace
