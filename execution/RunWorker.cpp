#include "execution/RunWorker.h"

#include <exception>
#include <string>

#include "execution/SequenceRunner.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

namespace {

constexpr char kCategory[] = "Sequence";

int RunGuarded(SequenceRunner& runner, const char* path, CTxt& text) {
  try {
    return runner.Run(path, "", text);
  } catch (const std::exception& e) {
    LogTrace(kCategory, 0, "Exception in the run of %s: %s", path, e.what());
  } catch (...) {
    LogTrace(kCategory, 0, "Unknown exception in the run of %s", path);
  }
  text.Format("Unexpeceted internal error (%s)", path);
  LogTrace(kCategory, 0, "%s", static_cast<const char*>(text));
  LogOutput("*FLUSH", "Saving Logfile...", 0);
  return kRunPreparationFailed;
}

}  // namespace

CTxt ExplorerLaunchText(const char* folder) {
  CTxt backslashed(folder ? folder : "");
  backslashed.MakeFnDOS();
  CTxt launch;
  launch.Format("@!explorer \"%s\"", static_cast<const char*>(backslashed));
  return launch;
}

int RunWorkerProcedure(SequenceRunner& runner, RunHost& host, const char* programFolder,
                       RunWorkerFlags& flags, CTxt& finalText) {
  flags.done = 0;
  flags.running = 1;
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
  Settings::WriteString("Tavrin", "CurrDef", name.c_str());
  CTxt path;
  path.Format("%s%s.%s", programFolder, name.c_str(), "tvd");
  host.SetAutoExit("1");
  LogTrace(kCategory, 2, "Starting Sequence: %s", name.c_str());
  runner.SetChartsOnly(host.ChartsOnly());
  CTxt text;
  int result = RunGuarded(runner, path, text);
  std::string folder = runner.RunFolder();
  if (!folder.empty()) {
    host.OpenRunFolder(ExplorerLaunchText(folder.c_str()));
    CTxt where;
    where.Format("\r\n\r\nBacktest Sequence Folder for this run:\r\n%s\r\n", folder.c_str());
    text += where;
  }
  LogTrace(kCategory, 0, "Completed Sequence: %s (%d) %s", name.c_str(), result,
           static_cast<const char*>(text));
  host.ShowFinalText(text, result < 0);
  host.RunEnded();
  host.SetAutoExit("0");
  if (result < 0 && host.AskShowLog("Errors occured - do you want to see the Log for details?"))
    host.ShowLog();
  finalText = text;
  flags.done = 1;
  flags.running = 0;
  return result;
}

int UnattendedExitCode(int runResult, int failedScripts) {
  if (runResult >= 0) return failedScripts > 0 ? kExitStepErrors : kExitCompleted;
  if (runResult == kRunStepErrors) return kExitStepErrors;
  if (runResult == kRunAborted || runResult == kRunDataDriveFull) return kExitAborted;
  return kExitNotStarted;
}
