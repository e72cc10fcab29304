// The shared fuzz environment: one private program folder per process and the in-memory input files.
#include "FuzzSupport.h"

#include <chrono>
#include <filesystem>
#include <sstream>

#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

namespace fs = std::filesystem;

namespace fuzzsupport {
namespace {

// The settings file of the program folder, in memory. It switches the day log off (which would otherwise
// open a file and write a line for many inputs) and holds, in their normal form, the options the readers
// consult, so that no getter writes back. The program folder itself does not exist: a write-back that still
// happens fails at once instead of touching the disk.
const char kSettings[] =
    "[RELEASE]\r\nWriteLog=NO\r\n"
    "[SYS]\r\nLogFileAppend=YES\r\nLogFileFlushOnEach=NO\r\n"
    "[Tavrin]\r\nRunOpt=YES\r\nScriptDefaultBars=5000 Bars\r\nCurrDef=DJ30\r\n"
    "[Yieldra]\r\nBaseRate=5.0000\r\nStartingCapital=5000.0000\r\n"
    "[TickDailyVolume]\r\nES=10000\r\n[SharesDailyVolume]\r\nES=10000\r\n";

struct Environment {
  std::string scratch;
  std::string program;
  Environment() {
    int local = 0;
    std::ostringstream name;
    name << "tavrin-fuzz-" << std::hex << std::chrono::steady_clock::now().time_since_epoch().count() << "-"
         << (reinterpret_cast<uintptr_t>(&local) & 0xFFFFFF);
    fs::path dir = fs::temp_directory_path() / name.str();
    fs::create_directories(dir);
    scratch = dir.generic_string();
    program = scratch + "/program";
    PutSettings();
    Settings::OverrideAppFolder(program.c_str(), "Tavrin");
    SetLogFolder(scratch.c_str());
    LogTrace("Fuzz", kLogNormal, "start");  // makes the log decide now, from these settings
  }
  ~Environment() {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  void PutSettings() const { SetMemoryFile(program + "/Tavrin.ini", kSettings); }
};

const Environment& Env() {
  static Environment env;
  return env;
}

}  // namespace

const std::string& ProgramFolder() {
  return Env().program;
}

const std::string& ScratchFolder() {
  return Env().scratch;
}

std::string Text(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

std::vector<std::string> SplitParts(const std::string& input, size_t maxParts) {
  static const std::string kSeparator = "\n--\n";
  std::vector<std::string> parts;
  size_t from = 0;
  while (parts.size() + 1 < maxParts) {
    size_t at = input.find(kSeparator, from);
    if (at == std::string::npos) break;
    parts.push_back(input.substr(from, at - from + 1));  // the part keeps its last line end
    from = at + kSeparator.size();
  }
  parts.push_back(input.substr(from));
  parts.resize(maxParts);
  return parts;
}

void PutFile(const std::string& path, const std::string& content) {
  SetMemoryFile(path, content);
}

void ClearFiles() {
  RemoveMemoryFiles();
  Env().PutSettings();
}

int Input::Byte() {
  if (m_size == 0) return 0;
  --m_size;
  return *m_data++;
}

std::string Input::Rest() {
  std::string rest(reinterpret_cast<const char*>(m_data), m_size);
  m_data += m_size;
  m_size = 0;
  return rest;
}

}  // namespace fuzzsupport
