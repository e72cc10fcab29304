// Reading, removing and writing abort marks in definition files; the step listing and the two flows that
// ask the user about restart points.
#include "execution/AbortMarks.h"

#include <cstdlib>

#include "execution/RunScript.h"
#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "sequence/SequenceDefinition.h"

namespace {

constexpr const char* kLogCategory = "RemoteTS";
constexpr char kCommentChar = ';';

bool BeginsWith(const char* text, const char* prefix) {
  return text && CompareNoCase(prefix, text, 2) == 0;
}

int RemoveMarkLines(CTxtArray& lines) {
  int removed = 0;
  for (int i = lines.GetSize() - 1; i >= 0; --i) {
    if (BeginsWith(lines.GetAtTxt(i), kAbortKey)) {
      lines.RemoveAt(i);
      ++removed;
    }
  }
  return removed;
}

// Removes whole mark blocks (";", "; Aborted at ...", "Abort=...") walking up from the last line to the
// second; an "Abort=" line without its comments goes alone. Returns the number of marks removed.
int RemoveMarkBlocks(CTxtArray& lines) {
  CTxt timeComment;
  timeComment.Format("%c Aborted at", kCommentChar);
  int removed = 0;
  for (int i = lines.GetSize() - 1; i >= 1; --i) {
    if (!BeginsWith(lines.GetAtTxt(i), kAbortKey)) continue;
    lines.RemoveAt(i);
    ++removed;
    if (!BeginsWith(lines.GetAtTxt(i - 1), timeComment)) continue;
    lines.RemoveAt(--i);
    if (i >= 1 && lines.GetAtTxt(i - 1) && lines.GetAtTxt(i - 1)[0] == kCommentChar) lines.RemoveAt(--i);
  }
  return removed;
}

void AppendMark(CTxtArray& lines, int step, const char* description, bool manual) {
  CTxt now, line;
  CZELDateTime::GetCurrDateTimeCTxt(now);
  line.Format("%c", kCommentChar);
  lines.Add(line);
  line.Format(manual ? "%c Aborted at %s - Manual Entry" : "%c Aborted at %s", kCommentChar,
              (const char*)now);
  lines.Add(line);
  line.Format("%s%d=%s", kAbortKey, step, description ? description : "");
  lines.Add(line);
}

}  // namespace

// --- Marks
// ----------------------------------------------------------------------------------------------------

int ReadAbortMark(const char* definitionPath, CTxt& text) {
  CTxtArray lines;
  if (LoadDefinitionFile(definitionPath, lines, text) < 0) return -1;
  return FindAbortMark(lines, text);
}

int RemoveAbortMarks(const char* definitionPath, CTxt& text) {
  CTxtArray lines;
  text.MakeEmpty();
  if (LoadDefinitionFile(definitionPath, lines, text) < 0) return -1;
  int removed = RemoveMarkLines(lines);
  if (removed > 0 && lines.SaveToFile(definitionPath, text) < 0) return -4;
  return removed;
}

int SetAbortMark(const char* definitionPath, int step, const char* stepText, CTxt& resultText) {
  RunScript script;
  int runOpt = 0;
  int built = script.BuildRunScript(definitionPath, resultText, runOpt, 1);
  if (built < 0) return built;
  CTxtArray& lines = script.DefinitionLines();
  int removed = RemoveMarkBlocks(lines);
  CTxt saveMessage;
  if (step < 0) {
    if (removed > 0 && lines.SaveToFile(definitionPath, saveMessage) < 0) {
      resultText = saveMessage;
      return -1;
    }
    resultText.Format("Removed %d abort starting points\r\nFile:\r\n%s", removed, definitionPath);
    return removed;
  }
  AppendMark(lines, step, stepText, true);
  if (lines.SaveToFile(definitionPath, saveMessage) < 0) {
    resultText.Format("Saving new %s Mark failed: %s", kAbortKey, (const char*)saveMessage);
    LogTrace(kLogCategory, kLogNormal, "%s", (const char*)resultText);
    return -1;
  }
  resultText.Format("Set Starting point to Step#%d:\r\n%s\r\nFile:\r\n%s", step, stepText ? stepText : "",
                    definitionPath);
  return removed;
}

namespace {

// Reported as every failure of the run's mark: logged, and shown when there is someone to show it to.
int ReportMarkFailure(const CTxt& text, StepPrompts* prompts) {
  LogTrace(kLogCategory, kLogNormal, "%s", (const char*)text);
  if (prompts) prompts->ShowError(text);
  return -1;
}

}  // namespace

int WriteRunAbortMark(RunScript& script, const char* definitionPath, int step, CTxt& resultText,
                      StepPrompts* prompts) {
  CTxtArray& lines = script.DefinitionLines();
  CTxt text;
  int removed = RemoveAbortMarks(definitionPath, text);
  if (removed < 0) {
    resultText.Format("Removing of previous %s Mark failed: %s", kAbortKey, (const char*)text);
    // A definition that could not even be read is never written over with the build's copy of it.
    if (removed == -1) return ReportMarkFailure(resultText, prompts);
    LogTrace(kLogCategory, kLogNormal, "%s", (const char*)resultText);
    if (prompts) prompts->ShowError(resultText);
    // The build's lines stand in for the file; their old marks must not outrank the new one.
    RemoveMarkLines(lines);
  } else if (LoadDefinitionFile(definitionPath, lines, text) < 0) {
    resultText.Format("%s Mark not written: the definition could not be read again: %s", kAbortKey,
                      (const char*)text);
    return ReportMarkFailure(resultText, prompts);
  }
  const char* command = script.GetCommand(step - 1);
  AppendMark(lines, step, command, false);
  if (lines.SaveToFile(definitionPath, text) < 0) {
    resultText.Format("Saving new %s Mark failed: %s", kAbortKey, (const char*)text);
    return ReportMarkFailure(resultText, prompts);
  }
  LogTrace(kLogCategory, kLogNormal, "Added %s Mark: %s", kAbortKey, lines.GetAtTxt(lines.GetSize() - 1));
  return 0;
}

// --- Step listing
// ---------------------------------------------------------------------------------------------

int BuildStepList(const RunScript& script, const char* definitionPath, CTxtArray& lines) {
  lines.RemoveAll();
  CTxt line;
  line.Format("Script,\"%s\"", definitionPath);
  lines.Add(line);
  lines.Add("");
  lines.Add(kStepListHeader);
  for (int i = 0; i < script.GetCommandCount(); ++i) {
    script.GetRunCommand(i).ListingLine(i + 1, line);
    lines.Add(line);
  }
  return script.GetCommandCount();
}

int WriteStepList(const char* definitionPath, CTxtArray& lines, CTxt& resultText, int openViewer) {
  RunScript script;
  int runOpt = 0;
  int built = script.BuildRunScript(definitionPath, resultText, runOpt, 1);
  if (built < 0) return built;
  int count = BuildStepList(script, definitionPath, lines);
  if (lines.SaveToFile(kStepListFileName, resultText) < 0) return kStepListNotSaved;
  if (openViewer == 1) {
    CTxt viewer;
    Settings::GetString("SYS", "TabulonType", "N", viewer);
    Settings::WriteString("SYS", "TabulonType", viewer);
    OpenStepListViewer(kStepListFileName, viewer.IsFilled() ? viewer[0] : 'N');
  }
  return count;
}

// --- Interactive flows
// ----------------------------------------------------------------------------------------

int AskResumeRun(const char* definitionPath, const char* definitionName, StepPrompts& prompts) {
  CTxt mark;
  int step = ReadAbortMark(definitionPath, mark);
  if (step <= 0) return 0;
  CTxt question;
  question.Format(
      "Script %s has been aborted at:\r\nStep#%d (%s)\r\n\r\nDo you want to continue at the "
      "aborted Step:\r\n%s",
      definitionName, step, (const char*)mark, (const char*)mark);
  switch (prompts.AskYesNoCancel(question)) {
    case StepPrompts::Answer::Yes:
      return step;
    case StepPrompts::Answer::No: {
      CTxt text;
      if (RemoveAbortMarks(definitionPath, text) < 0) prompts.ShowError(text);
      return 0;
    }
    default:
      return -1;
  }
}

int SetStartingStep(const char* definitionPath, StepPrompts& prompts, int openViewer) {
  CTxtArray lines;
  CTxt text;
  int count = WriteStepList(definitionPath, lines, text, openViewer);
  if (count < 0) {
    prompts.ShowError(text);
    return count;
  }
  if (prompts.AskYesNo("Do you want to skip ahead in this Sequence on the next run?") !=
      StepPrompts::Answer::Yes)
    return 0;
  for (;;) {
    CTxt answer;
    if (!prompts.AskText("Set Starting Step", "Enter the Step# to start on next run:", "Step#:|4|Number",
                         answer))
      return 0;
    int step = std::atoi(answer);
    if (step < 2 || step > count) {
      text.Format("The Step# has to be between 2 and %d", count);
      prompts.ShowError(text);
      continue;
    }
    CTxt stepText(lines.GetAtTxt(step + 2));
    stepText.Replace(',', '|');
    CTxt question;
    question.Format("Start Run next time at Step#%d?:\r\n\r\n%s", step, (const char*)stepText);
    if (prompts.AskYesNo(question) != StepPrompts::Answer::Yes) continue;
    int result = SetAbortMark(definitionPath, step, stepText, text);
    if (result < 0) {
      prompts.ShowError(text);
      return result;
    }
    prompts.ShowInfo(text);
    return step;
  }
}
