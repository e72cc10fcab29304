// Option sources of the stand-in: defaults, command line, control file (see Options.h for the keys).
#include "Options.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "Market.h"

namespace orchart {

// What the strict preset switches on: everything that makes the stand-in harder in ways a real
// TradeStation plausibly is, with the value it takes. Keys set anywhere keep their value.
struct StrictKey {
  const char* key;
  const char* value;
};
const StrictKey kStrictKeys[] = {
    {"InactiveChartsStay", "1"},   {"UnchangedCloseNoPrompt", "1"},
    {"OverwritePrompt", "1"},      {"LoadErrorAfterClose", "1"},
    {"TimeZoneFromCombo", "1"},    {"StrictCommandTargets", "1"},
    {"ModalPopups", "1"},          {"ReportTitleRange", "1"},
    {"CachedLoadNoLog", "1"},      {"AbortStartMs", "300"},
    {"RecalcMs", "500"},           {"DateFieldsTypedOnly", "1"},
    {"ComboChangesNotified", "1"},
};

std::map<std::string, std::string> ParseKeyValueLines(const std::string& text, bool lowerKeys) {
  std::map<std::string, std::string> out;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = Trimmed(line.substr(0, eq));
    if (lowerKeys) key = Lower(key);
    out[key] = Trimmed(line.substr(eq + 1));
  }
  return out;
}

void Options::SetCommandLine(const std::vector<std::string>& args) {
  for (const std::string& raw : args) {
    std::string a = raw;
    if (a.rfind("--", 0) == 0) {
      a = a.substr(2);
      size_t eq = a.find('=');
      if (eq == std::string::npos)
        commandLine_[Lower(a)] = "1";
      else
        commandLine_[Lower(a.substr(0, eq))] = a.substr(eq + 1);
    } else if (a.size() > 4 && Lower(a.substr(a.size() - 4)) == ".tsw") {
      std::string& ws = commandLine_["workspace"];
      ws = ws.empty() ? a : ws + "|" + a;
    }
  }
}

bool Options::SetControlText(const std::string& text) {
  std::map<std::string, std::string> next = ParseKeyValueLines(text, true);
  if (next == control_) return false;
  control_ = std::move(next);
  return true;
}

bool Options::Has(const std::string& key) const {
  std::string k = Lower(key);
  return control_.count(k) || commandLine_.count(k) || defaults_.count(k);
}

std::string Options::Text(const std::string& key, const std::string& fallback) const {
  std::string k = Lower(key);
  for (const auto* source : {&control_, &commandLine_, &defaults_}) {
    auto it = source->find(k);
    if (it != source->end()) return it->second;
  }
  if (k != "strict" && Flag("Strict"))
    for (const StrictKey& strict : kStrictKeys)
      if (k == Lower(strict.key)) return strict.value;
  return fallback;
}

int Options::Int(const std::string& key, int fallback) const {
  std::string v = Text(key);
  if (v.empty()) return fallback;
  return std::atoi(v.c_str());
}

std::vector<std::string> Options::List(const std::string& key) const {
  std::vector<std::string> out;
  std::string v = Text(key);
  size_t pos = 0;
  while (pos <= v.size()) {
    size_t end = v.find(',', pos);
    if (end == std::string::npos) end = v.size();
    std::string item = Trimmed(v.substr(pos, end - pos));
    if (!item.empty()) out.push_back(item);
    pos = end + 1;
  }
  return out;
}

bool Options::ListHas(const std::string& key, const std::string& name) const {
  std::string want = Lower(name);
  for (const std::string& item : List(key)) {
    std::string l = Lower(item);
    if (l == want || l == "all") return true;
  }
  return false;
}

int Options::Ms(const std::string& key, int normal, int fast) const {
  if (!Text(key).empty()) return std::max(0, Int(key));
  return Flag("Fast") ? fast : normal;
}

void Options::SetDefault(const std::string& key, const std::string& value) {
  defaults_[Lower(key)] = value;
}

}  // namespace orchart
