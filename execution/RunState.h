// The run state: a small file in the run folder, replaced whole before and after every step, that says how
// far a run got. An abort mark is only written when a run ends; the run state also survives Tavrin,
// TradeStation or the machine dying mid-run, so the next run of the definition can resume at the interrupted
// step.
#pragma once

#include <string>
#include <vector>

#include "foundation/Txt.h"

constexpr const char* kRunStateFileName = "RunState.txt";

// What a run state says. state: "Running" (step started), "StepDone" (step ended), "Finished" (the run came
// to its end: its summary and marks were written), "Resumed" (a later run took over from it).
struct RunState {
  std::string definition;
  std::string state;
  int step = 0;  // 1-based
  std::string command;
  std::string time;

  bool Unfinished() const { return state == "Running" || state == "StepDone"; }
  // The step a later run resumes at: the interrupted one, or the one after a step that had ended.
  int ResumeStep() const { return state == "StepDone" ? step + 1 : step; }
};

// Replaces "RunState.txt" of the run folder atomically (time = now). 0, or -1 with the reason in err.
int WriteRunState(const char* runFolder, const RunState& state, CTxt& err);
// 1 read, 0 no run state there, -1 the file cannot be read (err says why).
int ReadRunState(const char* runFolder, RunState& state, CTxt& err);

// The folder that holds a definition's run folders: TSBASE/MyWork/Tavrin/NAME/ ('/' form, ending in '/').
std::string DefinitionRunsFolder(const std::string& tsBaseFolder, const char* definitionPath);

// What earlier runs of a definition took: every step file of its run folders records the step's
// optimisation tests ("Permutations") and its duration in seconds.
struct TimedStep {
  long long tests = 1;  // at least 1: a step without a range runs one test
  long long seconds = 0;
};
using RunTimings = std::vector<TimedStep>;
// The timed steps of every run folder ("SEQ_nnnn") under runsFolder (DefinitionRunsFolder).
RunTimings ReadRunTimings(const std::string& runsFolder);
// The first line of every step file; its second line holds the step's figures in the same order.
constexpr const char* kStepFileHeader = "Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),";
// A step file's figures from its first two lines (kStepFileHeader and the step's line); false when the text
// is no step file's.
bool ReadStepTime(const char* stepFileText, TimedStep& step);
// Seconds a run of `steps` steps with `tests` tests in all would take: a time per step plus a time per test,
// fitted to the timed steps (by least squares when they differ in tests, else all of it per test); -1 before
// any step was timed.
long long EstimateRunSeconds(const RunTimings& timings, long long steps, long long tests);

// Hours, minutes and seconds as "%02lld:%02lld:%02lld", the form of the step's own clock (below 0: zero).
std::string FormatDuration(long long seconds);

// The run folder "SEQ_nnnn" with the highest number under base ('/' form, ending in '/'), or "" when none.
std::string NewestRunFolder(const std::string& base);
