// "tavrinc settings FOLDER": reads the options of a program folder's settings file the way the program
// does (typed, with defaults written back) and prints the file afterwards.
#include <cstdio>

#include "Commands.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace {

void ShowTyped(const char* section, const char* key) {
  CTxt raw;
  Settings::GetString(section, key, "(missing)", raw);
  std::printf("  %-8s %-20s stored %-14s", section, key, static_cast<const char*>(raw));
}

int ShowSettings(const std::vector<const char*>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tavrinc settings FOLDER\n");
    return 2;
  }
  Settings::OverrideAppFolder(args[0]);
  CTxt ini;
  Settings::GetIniPath(ini);
  std::printf("Settings file: %s\n", static_cast<const char*>(ini));
  ShowTyped("Tavrin", "SeqRetry");
  std::printf(" -> %d\n", Settings::GetInt("Tavrin", "SeqRetry", 3));
  ShowTyped("Tavrin", "SaveWS");
  std::printf(" -> %s\n", Settings::GetBool("Tavrin", "SaveWS", true) ? "true" : "false");
  ShowTyped("Tavrin", "RunOpt");
  std::printf(" -> %s\n", Settings::GetBool("Tavrin", "RunOpt", true) ? "true" : "false");
  ShowTyped("Yieldra", "BaseRate");
  std::printf(" -> %.4f\n", Settings::GetFloat("Yieldra", "BaseRate", 0.0f));
  ShowTyped("SYS", "ProgressColor");
  Settings::Colour c = Settings::GetColour("SYS", "ProgressColor", "BLUE");
  std::printf(" -> RGB %lu,%lu,%lu\n", c & 255, (c >> 8) & 255, (c >> 16) & 255);
  CTxt def;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", def);
  std::printf("  Tavrin   CurrDef              %s (strings are never written back)\n",
              static_cast<const char*>(def));
  CTxt text;
  if (text.LoadFromFile(ini) < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(text));
    return 1;
  }
  std::printf("--- %s after reading ---\n", static_cast<const char*>(ini));
  PrintText(text);
  return 0;
}

CommandRegistration registration({"settings", "FOLDER", ShowSettings});

}  // namespace
