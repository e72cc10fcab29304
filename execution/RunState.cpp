// The run-state file: key|value lines, written through the atomic writer.
#include "execution/RunState.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/AtomicFile.h"
#include "foundation/DateTime.h"
#include "foundation/FileRead.h"
#include "foundation/FolderScan.h"
#include "foundation/TxtArray.h"

namespace {

std::string StatePath(const char* runFolder) {
  CTxt folder(runFolder ? runFolder : "");
  folder.MakeFn();
  return folder.ToStd() + "/" + kRunStateFileName;
}

// The path of `name` inside `folder`, which may or may not end with a separator.
std::string InFolder(const std::string& folder, const std::string& name) {
  bool separated = folder.empty() || folder.back() == '/' || folder.back() == '\\';
  return separated ? folder + name : folder + "/" + name;
}

// The names of one folder's entries of one kind (folders or files); none when it cannot be read.
std::vector<std::string> EntriesOf(const std::string& folder, bool folders) {
  std::vector<std::string> names;
  FolderScan scan;
  if (!scan.Open(folder.c_str())) return names;
  std::string name;
  while (scan.Next(name)) {
    FileStatus status;
    if (ReadFileStatus(InFolder(folder, name).c_str(), status) == 0 && status.isFolder == folders)
      names.push_back(name);
  }
  return names;
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

bool IsDigits(const CTxt& text) {
  if (text.IsEmpty() || text.GetLength() > 15) return false;
  for (const char* c = text; *c; ++c)
    if (*c < '0' || *c > '9') return false;
  return true;
}

}  // namespace

int WriteRunState(const char* runFolder, const RunState& state, CTxt& err) {
  CZELDateTime now;
  now.SetNow();
  CTxt time;
  now.GetTxt(time, 0);
  std::string text = "Definition|" + state.definition + "\r\nState|" + state.state + "\r\nStep|" +
                     std::to_string(state.step) + "\r\nCommand|" + state.command + "\r\nTime|" +
                     time.ToStd() + "\r\n";
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
  return 1;
}

std::string DefinitionRunsFolder(const std::string& tsBaseFolder, const char* definitionPath) {
  CTxt base(tsBaseFolder.c_str());
  base.MakeFn();
  CTxt name;
  CTxt(definitionPath ? definitionPath : "").GetFileTxt(2, name);
  return base.ToStd() + "/MyWork/Tavrin/" + name.ToStd() + "/";
}

bool ReadStepTime(const char* stepFileText, TimedStep& step) {
  if (!stepFileText || !StartsWithNoCase(stepFileText, kStepFileHeader)) return false;
  const char* line = std::strchr(stepFileText, '\n');
  if (!line) return false;
  CTxt first;
  strfld(line + 1, '\n', 1, 0, first);
  CTxt tests, seconds;
  strfld(first, ',', 4, 0, tests);
  strfld(first, ',', 6, 0, seconds);
  tests.Trim(' ');
  seconds.Trim('\r');
  seconds.Trim(' ');
  if (!IsDigits(tests) || !IsDigits(seconds)) return false;
  step.tests = std::max(1LL, std::atoll(tests));
  step.seconds = std::atoll(seconds);
  return true;
}

RunTimings ReadRunTimings(const std::string& runsFolder) {
  RunTimings timings;
  for (const std::string& run : EntriesOf(runsFolder, true)) {
    if (RunFolderNumber(run) == 0) continue;
    std::string runFolder = InFolder(runsFolder, run);
    for (const std::string& file : EntriesOf(runFolder, false)) {
      std::string text;
      CTxt err;
      TimedStep step;
      if (file.size() > 4 && EqualNoCase(file.c_str() + file.size() - 4, ".csv") &&
          ReadWholeFile(InFolder(runFolder, file).c_str(), text, err) == FileReadResult::kRead &&
          ReadStepTime(text.c_str(), step))
        timings.push_back(step);
    }
  }
  return timings;
}

long long EstimateRunSeconds(const RunTimings& timings, long long steps, long long tests) {
  if (timings.empty() || steps < 0 || tests < 0) return -1;
  double n = static_cast<double>(timings.size()), sumTests = 0, sumSeconds = 0;
  for (const TimedStep& t : timings) {
    sumTests += static_cast<double>(t.tests);
    sumSeconds += static_cast<double>(t.seconds);
  }
  double meanTests = sumTests / n, meanSeconds = sumSeconds / n, covariance = 0, variance = 0;
  for (const TimedStep& t : timings) {
    covariance += (static_cast<double>(t.tests) - meanTests) * (static_cast<double>(t.seconds) - meanSeconds);
    variance += (static_cast<double>(t.tests) - meanTests) * (static_cast<double>(t.tests) - meanTests);
  }
  // Steps alike in tests cannot tell the two apart: the time is taken as all per test.
  double perTest = variance > 0 ? covariance / variance : sumSeconds / sumTests;
  double perStep = variance > 0 ? meanSeconds - perTest * meanTests : 0;
  if (perTest < 0) {  // more tests never take less time: what differs is chance
    perTest = 0;
    perStep = meanSeconds;
  } else if (perStep < 0) {
    perStep = 0;
    perTest = sumSeconds / sumTests;
  }
  double seconds = perStep * static_cast<double>(steps) + perTest * static_cast<double>(tests);
  return seconds >= 9.2e18 ? INT64_MAX : static_cast<long long>(seconds + 0.5);
}

std::string FormatDuration(long long seconds) {
  if (seconds < 0) seconds = 0;
  char text[48];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

std::string NewestRunFolder(const std::string& base) {
  int newest = 0;
  std::string found;
  for (const std::string& name : EntriesOf(base, true)) {
    int n = RunFolderNumber(name);
    if (n > newest) {
      newest = n;
      found = InFolder(base, name);
    }
  }
  return found;
}
