// Abort marks in definition files (read, removed, written by the runner and by hand), the step listing
// ShowCmd.csv, the resume prompt and "Set Starting Step" answered from a script, and rewrites that are
// interrupted part-way.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "TestSupport.h"
#include "execution/AbortMarks.h"
#include "execution/RunScript.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "sequence/DefinitionTestSupport.h"

using namespace testsupport;
using namespace definitiontest;

namespace {

using Answer = StepPrompts::Answer;

class Marks : public DefinitionFolders {
 protected:
  // Three steps: ES and NQ on Daily, NQ on Intra/5.
  std::string ThreeSteps() {
    return Definition(
        "DJ30", "ES/Short,NQ",
        {"Template=", "Daily", "Intra/5|10 Days", "", "Short=", "Daily", "", "OptSet=", "1/A|1|9"});
  }
  std::vector<std::string> Lines(const std::string& path) { return LinesOf(ReadFile(path)); }
  static int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    int n = 0;
    for (const std::string& line : lines) n += line.rfind(prefix, 0) == 0;
    return n;
  }
  // The runner's end of an aborted run at step.
  int RunnerAbortsAt(const std::string& path, int step) {
    RunScript script;
    CTxt error;
    int runOpt = 0;
    EXPECT_GT(script.BuildRunScript(path.c_str(), error, runOpt, 1), 0) << error.ToStd();
    CTxt result;
    return WriteRunAbortMark(script, path.c_str(), step, result, &prompts);
  }
  ScriptedPrompts prompts;
};

}  // namespace

// --- Reading and removing
// ----------------------------------------------------------------------------------------

TEST_F(Marks, ReadingGivesTheFirstMarkOrTheReasonThereIsNone) {
  CTxt text;
  EXPECT_EQ(ReadAbortMark((program + "/Missing.tvd").c_str(), text), -1);
  EXPECT_NE(text.ToStd().find("Cannot open"), std::string::npos);
  std::string path = ThreeSteps();
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), -2);
  WriteFile(path, ReadFile(path) + CrLf({";Abort=9=old", "abort=7=ES|OptSet|Daily|x=y|", "Abort=8=later"}));
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 7);
  EXPECT_EQ(text.ToStd(), "ES|OptSet|Daily|x=y|");
}

TEST_F(Marks, RemovingDeletesOnlyTheMarkLinesAndLeavesAnUnmarkedFileAlone) {
  std::string path = ThreeSteps();
  std::string unmarked = ReadFile(path);
  CTxt text;
  EXPECT_EQ(RemoveAbortMarks(path.c_str(), text), 0);
  EXPECT_EQ(ReadFile(path), unmarked);

  WriteFile(path, unmarked + CrLf({";", "; Aborted at 1/2/2020 10:00:00", "Abort=2=x", "ABORT=3=y"}));
  EXPECT_EQ(RemoveAbortMarks(path.c_str(), text), 2);
  EXPECT_EQ(ReadFile(path), unmarked + CrLf({";", "; Aborted at 1/2/2020 10:00:00"}));
  EXPECT_EQ(RemoveAbortMarks((program + "/Missing.tvd").c_str(), text), -1);
}

// --- Marks written by the runner and by hand
// ------------------------------------------------------------------------

TEST_F(Marks, RunnerAbortingTwiceKeepsBothCommentsButOnlyTheNewestMark) {
  std::string path = ThreeSteps();
  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  ASSERT_EQ(RunnerAbortsAt(path, 3), 0);
  std::vector<std::string> lines = Lines(path);
  EXPECT_EQ(Count(lines, "Abort="), 1);
  EXPECT_EQ(Count(lines, "; Aborted at "), 2);
  EXPECT_EQ(lines.back(), "Abort=3=NQ|OptSet|Intra/5|10 Days|10/12/2012|");
  EXPECT_EQ(lines[lines.size() - 3], ";");
  EXPECT_TRUE(prompts.errors.empty());

  // The marks change nothing in the steps, and the next run resumes at the newest one.
  RunScript script;
  CTxt error, text;
  int runOpt = 0;
  EXPECT_EQ(script.BuildRunScript(path.c_str(), error, runOpt, 1), 3);
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 3);
}

// A definition that cannot be read when the run ends (another program holds it) is never replaced by the
// build's copy: the mark is not written, and the failure is logged and shown.
TEST_F(Marks, RunnerMarkOnAnUnreadableDefinitionWritesNothing) {
  std::string path = ThreeSteps();
  RunScript script;
  CTxt error, result;
  int runOpt = 0;
  ASSERT_EQ(script.BuildRunScript(path.c_str(), error, runOpt, 1), 3);
  WriteFile(path, ReadFile(path) + "; edited by the user during the run\r\n");
  const std::string during = ReadFile(path);
  SetFileReadFailure(path, EACCES);
  int written = WriteRunAbortMark(script, path.c_str(), 2, result, &prompts);
  RemoveMemoryFiles();
  EXPECT_EQ(written, -1);
  EXPECT_EQ(ReadFile(path), during);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0].rfind("Removing of previous Abort= Mark failed: ", 0), 0u) << prompts.errors[0];
}

TEST_F(Marks, ManualEntryReplacesTheWholeRunnerBlock) {
  std::string path = ThreeSteps();
  std::string unmarked = ReadFile(path);
  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  CTxt result;
  EXPECT_EQ(SetAbortMark(path.c_str(), 3, "3|NQ|OptSet|Daily|5000 Bars|10/12/2012|", result), 1);
  std::vector<std::string> lines = Lines(path);
  std::vector<std::string> before = LinesOf(unmarked);
  ASSERT_EQ(lines.size(), before.size() + 3);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), lines.begin()));
  EXPECT_EQ(lines[before.size()], ";");
  EXPECT_EQ(lines[before.size() + 1].rfind("; Aborted at ", 0), 0u);
  EXPECT_NE(lines[before.size() + 1].find(" - Manual Entry"), std::string::npos);
  EXPECT_EQ(lines.back(), "Abort=3=3|NQ|OptSet|Daily|5000 Bars|10/12/2012|");
  EXPECT_EQ(result.ToStd(),
            "Set Starting point to Step#3:\r\n3|NQ|OptSet|Daily|5000 Bars|10/12/2012|\r\nFile:\r\n" + path);

  // Step -1 removes every block and says so.
  EXPECT_EQ(SetAbortMark(path.c_str(), -1, "", result), 1);
  EXPECT_EQ(ReadFile(path), unmarked);
  EXPECT_EQ(result.ToStd(), "Removed 1 abort starting points\r\nFile:\r\n" + path);
}

TEST_F(Marks, MarkTimeFollowsTheDateTimeForm) {
  std::string path = ThreeSteps();
  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  std::string comment = Lines(path)[Lines(path).size() - 2];
  int month = 0, day = 0, year = 0, h = 0, m = 0, s = 0;
  ASSERT_EQ(std::sscanf(comment.c_str(), "; Aborted at %d/%d/%d %d:%d:%d", &month, &day, &year, &h, &m, &s),
            6)
      << comment;
  EXPECT_GE(year, 2020);
  EXPECT_EQ(comment.substr(comment.size() - 9, 1), " ");  // hh:mm:ss at the end, two digits each
}

TEST_F(Marks, SettingAMarkOnADefinitionThatDoesNotBuildChangesNothing) {
  std::string path = ThreeSteps();
  std::remove(workspace.c_str());
  std::string before = ReadFile(path);
  CTxt result;
  EXPECT_EQ(SetAbortMark(path.c_str(), 2, "x", result), -4);
  EXPECT_EQ(result.ToStd().rfind("Workspace ", 0), 0u);
  EXPECT_EQ(ReadFile(path), before);
}

// --- Interrupted rewrites
// -----------------------------------------------------------------------------------------------

namespace {
int g_interruptions = 0;
// Stops every rewrite of a definition; other files (the settings) are written as usual.
bool Interrupt(const char*, const char* target) {
  std::string path(target);
  if (path.size() < 4 || path.substr(path.size() - 4) != ".tvd") return true;
  ++g_interruptions;
  return false;
}
}  // namespace

TEST_F(Marks, InterruptedMarkWritesLeaveTheDefinitionWhole) {
  std::string path = ThreeSteps();
  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  std::string marked = ReadFile(path);
  g_interruptions = 0;
  SetAtomicWriteInterruption(Interrupt);

  CTxt result;
  EXPECT_EQ(SetAbortMark(path.c_str(), 3, "x", result), -1);
  EXPECT_EQ(result.ToStd().rfind("Saving new Abort= Mark failed: ", 0), 0u) << result.ToStd();
  EXPECT_EQ(RemoveAbortMarks(path.c_str(), result), -4);
  EXPECT_EQ(RunnerAbortsAt(path, 3), -1);
  ASSERT_EQ(prompts.errors.size(), 2u);  // removing the old mark, then saving the new one
  EXPECT_EQ(prompts.errors[0].rfind("Removing of previous Abort= Mark failed: ", 0), 0u);
  EXPECT_EQ(prompts.errors[1].rfind("Saving new Abort= Mark failed: ", 0), 0u);
  EXPECT_EQ(g_interruptions, 4);

  SetAtomicWriteInterruption(nullptr);
  EXPECT_EQ(ReadFile(path), marked);
  EXPECT_TRUE(FileExists(path + ".tmp~"));
}

TEST_F(Marks, LongLinesSurviveMarksWholeAndKeepTheirLastSymbol) {
  // A symbols line far longer than the 99,999 characters the buffered line reader keeps of a line.
  std::string path = Definition("Wide", "ES," + std::string(120000, ' ') + "NQ,",
                                {"Template=", "Daily", "", "OptSet=", "1/A|1|9"});
  std::string unmarked = ReadFile(path);

  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  CTxt text;
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 2);
  EXPECT_EQ(text.ToStd(), "NQ|OptSet|Daily|5000 Bars|10/12/2012|");
  CTxt result;
  EXPECT_EQ(SetAbortMark(path.c_str(), 1, "x", result), 1);
  EXPECT_EQ(RemoveAbortMarks(path.c_str(), result), 1);
  // The whole original, then the comments of the manual mark, which RemoveAbortMarks leaves.
  std::string now = ReadFile(path);
  ASSERT_EQ(now.compare(0, unmarked.size(), unmarked), 0);
  std::vector<std::string> added = LinesOf(now.substr(unmarked.size()));
  ASSERT_EQ(added.size(), 2u);
  EXPECT_EQ(added[0], ";");
  EXPECT_EQ(added[1].rfind("; Aborted at ", 0), 0u);
}

// --- Step listing
// ---------------------------------------------------------------------------------------------------------

TEST_F(Marks, StepListIsWrittenToTheCurrentFolderWithATrailingCommaPerStep) {
  std::string path = Definition("L", "ES", {"Template=", "5 min", "", "OptSet=", "1/A|1|"});
  CTxtArray lines;
  CTxt result;
  EXPECT_EQ(WriteStepList(path.c_str(), lines, result, 0), 1);
  std::string expected =
      CrLf({"Script,\"" + path + "\"", "", "SeqNbr,Symbol,Optimization,Interval,Duration,EndDate",
            "1,ES,OptSet,5 min,5000 Bars,10/12/2012,"});
  EXPECT_EQ(ReadFile(work + "/ShowCmd.csv"), expected);
  EXPECT_EQ(lines.GetSize(), 4);
}

TEST_F(Marks, StepListOfABrokenDefinitionReturnsTheBuildersCodeAndWritesNothing) {
  CTxtArray lines;
  CTxt result;
  std::string path = WriteFile(program + "/Bad.tvd", CrLf({"Workspace=" + workspace}));
  EXPECT_EQ(WriteStepList(path.c_str(), lines, result, 0), -4);
  EXPECT_EQ(result.ToStd(), "No symbols defined in Sequence " + path + " (Symbols=)");
  EXPECT_FALSE(FileExists(work + "/ShowCmd.csv"));
}

// --- Resume prompt
// --------------------------------------------------------------------------------------------------------

TEST_F(Marks, ResumePromptAsksOnlyWhenThereIsAMark) {
  std::string path = ThreeSteps();
  EXPECT_EQ(AskResumeRun(path.c_str(), "DJ30", prompts), 0);
  EXPECT_TRUE(prompts.questions.empty());

  ASSERT_EQ(RunnerAbortsAt(path, 2), 0);
  prompts.answers = {Answer::Yes};
  EXPECT_EQ(AskResumeRun(path.c_str(), "DJ30", prompts), 2);
  ASSERT_EQ(prompts.questions.size(), 1u);
  const std::string command = "NQ|OptSet|Daily|5000 Bars|10/12/2012|";
  EXPECT_EQ(prompts.questions[0], "Script DJ30 has been aborted at:\r\nStep#2 (" + command +
                                      ")\r\n\r\nDo you want to continue at the aborted Step:\r\n" + command);
  CTxt text;
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 2);

  prompts.answers = {Answer::Cancel};
  EXPECT_EQ(AskResumeRun(path.c_str(), "DJ30", prompts), -1);
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 2);

  prompts.answers = {Answer::No};
  EXPECT_EQ(AskResumeRun(path.c_str(), "DJ30", prompts), 0);
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), -2);
  EXPECT_TRUE(prompts.errors.empty());
}

// --- Set Starting Step
// -------------------------------------------------------------------------------------------------------

TEST_F(Marks, StartingStepIsAskedUntilInRangeAndConfirmed) {
  std::string path = ThreeSteps();
  prompts.answers = {Answer::Yes, Answer::No, Answer::Yes};
  prompts.texts = {"1", "4", "abc", "2", "3"};
  EXPECT_EQ(SetStartingStep(path.c_str(), prompts, 0), 3);
  EXPECT_EQ(prompts.errors, std::vector<std::string>(3, "The Step# has to be between 2 and 3"));
  EXPECT_EQ(prompts.questions[1], "Set Starting Step|Enter the Step# to start on next run:|Step#:|4|Number");
  EXPECT_EQ(prompts.questions[5],
            "Start Run next time at Step#2?:\r\n\r\n2|NQ|OptSet|Daily|5000 Bars|10/12/2012|");
  ASSERT_EQ(prompts.infos.size(), 1u);
  EXPECT_EQ(
      prompts.infos[0].rfind("Set Starting point to Step#3:\r\n3|NQ|OptSet|Intra/5|10 Days|10/12/2012|", 0),
      0u);
  CTxt text;
  EXPECT_EQ(ReadAbortMark(path.c_str(), text), 3);
  EXPECT_EQ(text.ToStd(), "3|NQ|OptSet|Intra/5|10 Days|10/12/2012|");
}

TEST_F(Marks, SingleStepDefinitionAcceptsNoStartingStep) {
  std::string path = Definition("One", "ES", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  std::string before = ReadFile(path);
  prompts.answers = {Answer::Yes};
  prompts.texts = {"1", "2", "0"};
  EXPECT_EQ(SetStartingStep(path.c_str(), prompts, 0), 0);
  EXPECT_EQ(prompts.errors, std::vector<std::string>(3, "The Step# has to be between 2 and 1"));
  EXPECT_EQ(ReadFile(path), before);
}

TEST_F(Marks, StartingStepStopsOnNoOrOnAListingFailure) {
  std::string path = ThreeSteps();
  std::string before = ReadFile(path);
  prompts.answers = {Answer::No};
  EXPECT_EQ(SetStartingStep(path.c_str(), prompts, 0), 0);
  EXPECT_EQ(prompts.questions,
            std::vector<std::string>{"Do you want to skip ahead in this Sequence on the next run?"});
  EXPECT_EQ(ReadFile(path), before);

  std::remove(workspace.c_str());
  EXPECT_EQ(SetStartingStep(path.c_str(), prompts, 0), -4);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errors[0].rfind("Workspace ", 0), 0u);
}
