// The run state: a small file in the run folder, replaced whole before and after every step, that says how
// far a run got. An abort mark is only written when a run ends; the run state also survives Tavrin,
// TradeStation or the machine dying mid-run, so the next run of the definition can resume at the interrupted
// step.
#pragma once

#include <string>

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

// The run folder "SEQ_nnnn" with the highest number under base ('/' form, ending in '/'), or "" when none.
std::string NewestRunFolder(const std::string& base);
