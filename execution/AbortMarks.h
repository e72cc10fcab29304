// Abort marks: the restart point of an aborted sequence, kept at the end of the definition file itself as
// ";", "; Aborted at <time>[ - Manual Entry]" and "Abort=<step>=<description>"; and the numbered step
// listing ShowCmd.csv from which the user picks a starting step by hand. Every rewrite of a definition
// replaces the file atomically, so a mark is never the reason a definition is lost.
#pragma once

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

class RunScript;

constexpr const char* kStepListFileName = "ShowCmd.csv";  // in the current folder
constexpr const char* kStepListHeader = "SeqNbr,Symbol,Optimization,Interval,Duration,EndDate";
// WriteStepList's result when the listing file cannot be written.
constexpr int kStepListNotSaved = -6;

// The step number of the first "Abort=" line (any case), text = everything after its second '='. -2 when
// there is no such line, -1 (text = the reason) when the file cannot be read.
int ReadAbortMark(const char* definitionPath, CTxt& text);

// Removes every "Abort=" line (their comment lines stay) and saves the file when one was removed. Returns
// the number removed; -4 when saving failed, -1 when the file cannot be read (text = the reason).
int RemoveAbortMarks(const char* definitionPath, CTxt& text);

// Rebuilds the definition's run script (a failed build's code is returned as it is), removes every mark
// block from it and, when step is 0 or more, appends a "Manual Entry" mark for step with stepText. Returns
// the number of marks removed, or -1 when the file could not be saved. resultText says what was done.
int SetAbortMark(const char* definitionPath, int step, const char* stepText, CTxt& resultText);

// The step listing of a built script: "Script,"path"", an empty line, the header, then one line per step.
int BuildStepList(const RunScript& script, const char* definitionPath, CTxtArray& lines);

// Builds the definition's run script, fills lines with its listing and saves them as ShowCmd.csv; with
// openViewer = 1 the file is then shown in the viewer chosen by the setting "SYS"/"TabulonType". Returns the
// number of steps, a failed build's code (resultText = its message) or kStepListNotSaved.
int WriteStepList(const char* definitionPath, CTxtArray& lines, CTxt& resultText, int openViewer = 1);

// Shows the listing file in the CSV viewer of mode (ViewCSV's letters). Windows only; natively it is logged.
void OpenStepListViewer(const char* file, char mode);

// --- The interactive flows
// ------------------------------------------------------------------------------------

// The questions and boxes the resume prompt and "Set Starting Step" need; the application's dialogs
// implement it, tests answer from a script.
class StepPrompts {
 public:
  enum class Answer { Yes, No, Cancel };

  virtual ~StepPrompts() = default;
  virtual Answer AskYesNoCancel(const char* question) = 0;
  virtual Answer AskYesNo(const char* question) = 0;  // Yes or No
  // A prompt with one input field (field in the prompt dialog's language, e.g. "Step#:|4|Number").
  // False when the user cancels.
  virtual bool AskText(const char* title, const char* text, const char* field, CTxt& answer) = 0;
  virtual void ShowError(const char* text) = 0;
  virtual void ShowInfo(const char* text) = 0;
};

// Before a run starts: when the definition holds a mark for step k > 0, asks whether to continue there.
// Returns k (Yes: the mark stays and the run resumes at step k), 0 (no mark, or No: the marks are removed
// and the run starts at step 1) or -1 (Cancel: no run).
int AskResumeRun(const char* definitionPath, const char* definitionName, StepPrompts& prompts);

// "Set Starting Step": lists the steps, asks whether to skip ahead and for which step (2 to the number of
// steps), and writes a "Manual Entry" mark for it. Returns the step set, 0 when nothing was changed, or a
// negative code when the listing or the mark failed (shown as an error).
int SetStartingStep(const char* definitionPath, StepPrompts& prompts, int openViewer = 1);

// The mark written when a run ends on an abort request: previous "Abort=" lines are removed, then the block
// for step (1-based) with its command is appended and the file saved. Failures are logged and shown through
// prompts (when given). Returns 0, or -1 when the mark could not be saved (resultText = the message).
int WriteRunAbortMark(RunScript& script, const char* definitionPath, int step, CTxt& resultText,
                      StepPrompts* prompts);
