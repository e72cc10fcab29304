// Fuzz target: a configuration description (Tavrin.xml) read into groups and items, and a typed value
// checked against every item it describes and applied through a store that cannot write. A value the
// check accepts must keep its normal form when checked again, and a refused or failed apply changes
// nothing stored.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "foundation/Txt.h"
#include "foundation/Xml.h"
#include "sequence/ConfigDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Reads come from the in-memory settings; writes go to a folder that does not exist and fail.
  const std::string ini = fuzzsupport::ProgramFolder() + "/absent/Fuzz.ini";
  std::vector<std::string> parts = fuzzsupport::SplitParts(fuzzsupport::Text(data, size), 3);
  parts.resize(3);
  fuzzsupport::PutFile(ini, parts[2]);
  ConfigStore store(ini.c_str());
  ConfigDescription description;
  CTxt message;
  int r = description.Load(parts[0].c_str(), store, message, kXmlFlagSourceIsText);
  if (r < 0 && message.IsEmpty()) std::abort();  // every failure says why
  for (ConfigGroup& group : description.Groups()) {
    for (ConfigItem& item : group.items) {
      std::string normal, again;
      CTxt reason;
      if (NormaliseConfigValue(item, parts[1], normal, reason) == 0) {
        if (NormaliseConfigValue(item, normal, again, reason) != 0 || again != normal) std::abort();
      } else if (reason.IsEmpty()) {
        std::abort();  // a refusal names its reason
      }
      std::string stored = item.storedText, old;
      EditConfigItem(item, parts[1]);
      int applied = ApplyConfigItem(item, store, old, reason);
      if (applied >= 0 || item.storedText != stored) std::abort();
      for (const std::string& line : WrapConfigDescription(item.description))
        if (line.find('\r') != std::string::npos) std::abort();
    }
  }
  if (description.ChangedCount() != 0) std::abort();
  std::string values;
  if (ExpandInputValueList(parts[1], values) > kConfigMaxInputValues) std::abort();
  fuzzsupport::ClearFiles();
  return 0;
}
