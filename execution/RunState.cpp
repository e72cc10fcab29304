// The run-state file: key|value lines, written through the atomic writer.
#include "execution/RunState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "foundation/AtomicFile.h"
#include "foundation/DateTime.h"
#include "foundation/FileRead.h"
#include "foundation/TxtArray.h"

namespace {

std::string StatePath(const char* runFolder) {
  CTxt folder(runFolder ? runFolder : "");
  folder.MakeFn();
  return folder.ToStd() + "/" + kRunStateFileName;
}

// Everything after "key|", exactly: a command's own final '|' is kept.
std::string ValueOf(const CTxtArray& lines, const char* key) {
  std::string prefix = std::string(key) + "|";
  for (int i = 0; i < lines.GetSize(); ++i) {
    const char* line = lines.GetAtTxt(i);
    if (line && StartsWithNoCase(line, prefix.c_str())) return line + prefix.size();
  }
  return std::string();
}

// n of a folder name "SEQ_nnnn" (any case), else 0.
int RunFolderNumber(const std::string& name) {
  if (name.size() != 8 || CompareNoCase("SEQ_", name.c_str(), 2) != 0) return 0;
  for (size_t i = 4; i < 8; ++i)
    if (name[i] < '0' || name[i] > '9') return 0;
  return std::atoi(name.c_str() + 4);
}

}  // namespace

int WriteRunState(const char* runFolder, const RunState& state, CTxt& err) {
  CZELDateTime now;
  now.SetNow();
  CTxt time;
  now.GetTxt(time, 0);
  std::string text = "Definition|" + state.definition + "\r\nState|" + state.state + "\r\nStep|" +
                     std::to_string(state.step) + "\r\nCommand|" + state.command + "\r\nTime|" +
                     time.ToStd() + "\r\nStepsTimed|" + std::to_string(state.stepsTimed) +
                     "\r\nStepSeconds|" + std::to_string(state.stepSeconds) + "\r\n";
  return WriteFileAtomically(StatePath(runFolder).c_str(), text.data(), text.size(), err, true);
}

int ReadRunState(const char* runFolder, RunState& state, CTxt& err) {
  std::string content;
  FileReadResult read = ReadWholeFile(StatePath(runFolder).c_str(), content, err);
  if (read == FileReadResult::kMissing) return 0;
  if (read == FileReadResult::kFailed) return -1;
  CTxtArray lines;
  lines.LoadFromTxt(content.c_str());
  state.definition = ValueOf(lines, "Definition");
  state.state = ValueOf(lines, "State");
  state.step = std::atoi(ValueOf(lines, "Step").c_str());
  state.command = ValueOf(lines, "Command");
  state.time = ValueOf(lines, "Time");
  // Run states written before steps were timed have neither line: nothing timed.
  state.stepsTimed = std::atoi(ValueOf(lines, "StepsTimed").c_str());
  state.stepSeconds = std::atoll(ValueOf(lines, "StepSeconds").c_str());
  return 1;
}

std::string DefinitionRunsFolder(const std::string& tsBaseFolder, const char* definitionPath) {
  CTxt base(tsBaseFolder.c_str());
  base.MakeFn();
  CTxt name;
  CTxt(definitionPath ? definitionPath : "").GetFileTxt(2, name);
  return base.ToStd() + "/MyWork/Tavrin/" + name.ToStd() + "/";
}

RunTimings ReadRunTimings(const std::string& runsFolder) {
  RunTimings timings;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(runsFolder, ec)) {
    if (!entry.is_directory(ec) || RunFolderNumber(entry.path().filename().string()) == 0) continue;
    RunState state;
    CTxt err;
    if (ReadRunState(entry.path().string().c_str(), state, err) < 1) continue;
    if (state.stepsTimed < 1 || state.stepSeconds < 0) continue;
    timings.runs++;
    timings.steps += state.stepsTimed;
    timings.seconds += state.stepSeconds;
  }
  return timings;
}

long long EstimateRunSeconds(const RunTimings& timings, int steps) {
  if (timings.steps < 1 || steps < 0) return -1;
  return timings.seconds * steps / timings.steps;
}

std::string FormatDuration(long long seconds) {
  if (seconds < 0) seconds = 0;
  char text[48];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string NewestRunFolder(const std::string& base) {
  std::error_code ec;
  int newest = 0;
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
    if (!entry.is_directory(ec)) continue;
    std::string name = entry.path().filename().string();
    int n = RunFolderNumber(name);
    if (n > newest) {
      newest = n;
      found = base + name;
    }
  }
  return found;
}
