// Fuzz target: a settings file read by every getter of the settings store. The file is in memory; the
// getters' write-backs go to a folder that does not exist and fail, so every getter reads the fuzzed text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace {

const char* const kSections[] = {"Tavrin", "SYS", "Yieldra", "RELEASE"};
const char* const kKeys[] = {"RunOpt", "SeqRetry", "BaseRate", "Colour", "CurrDef", "WriteLog"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string ini = fuzzsupport::ProgramFolder() + "/absent/Fuzz.ini";
  fuzzsupport::Input input(data, size);
  // The first byte chooses the section and key, so that one input asks every getter once.
  int choice = input.Byte();
  const char* section = kSections[choice % 4];
  const char* key = kKeys[(choice / 4) % 6];
  std::string text = input.Rest();
  fuzzsupport::PutFile(ini, text);
  const char* file = ini.c_str();

  CTxt value;
  Settings::GetString(section, key, "default", value, file);
  if (value.GetLength() != static_cast<int>(std::strlen(value))) std::abort();
  std::string str;
  Settings::GetString(section, key, " spaced ", str, file);
  char raw[16];
  int n = Settings::GetStringRaw(section, key, "", raw, sizeof raw, file);
  if (n < 0 || n >= static_cast<int>(sizeof raw) || raw[n] != 0) std::abort();
  Settings::GetBool(section, key, true, file);
  Settings::GetInt(section, key, -7, file);
  Settings::GetFloat(section, key, 1.5f, file);
  Settings::GetColour(section, key, "RED", file);
  Settings::ParseColour(text.c_str());
  fuzzsupport::ClearFiles();
  return 0;
}
