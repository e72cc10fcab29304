#include "app/Unattended.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/RunnerApp.h"
#include "execution/AbortMarks.h"
#include "execution/RunWorker.h"
#include "execution/SequenceRunner.h"
#include "execution/Summary.h"
#include "foundation/Log.h"
#include "foundation/SysUtil.h"
#include "foundation/Txt.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/RunnerBinding.h"
#include "tsdriver/TsDriver.h"

namespace {

constexpr char kCategory[] = "Tavrin";
constexpr char kSampleChartTitle[] =
    "TradeStation Chart Analysis - @FDAX 60 Tick Bar [EUREX] DAX  Futures Continuous Contract [Sep12]";

std::atomic<bool> g_quiet{false};
std::atomic<int> g_interrupts{0};

// Standard output of a program without a console: the handle the caller redirected, else the console of the
// process that started it.
HANDLE StandardOutput() {
  static HANDLE out = [] {
    HANDLE handle = GetStdHandle(STD_OUTPUT_HANDLE);
    if (handle && handle != INVALID_HANDLE_VALUE) return handle;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return INVALID_HANDLE_VALUE;
    return CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
  }();
  return out;
}

void WriteStandardOutput(const char* text) {
  HANDLE out = StandardOutput();
  if (out == INVALID_HANDLE_VALUE) return;
  std::string line(text ? text : "");
  for (size_t at = 0; (at = line.find("\r\n", at)) != std::string::npos;) line.erase(at, 1);
  line += "\n";
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

int QuietMessageBox(const char* text, const char* caption, unsigned) {
  CTxt line;
  line.Format("%s: %s", caption ? caption : "", text ? text : "");
  WriteStandardOutput(line);
  return kLogBoxOk;
}

// The driver's questions in quiet mode: "continue anyway?" is answered No, stops are logged.
class QuietInteraction : public tsdriver::Interaction {
 public:
  bool AskYesNo(const char* caption, const char* text) override {
    LogTrace(kCategory, 0, "%s: %s - answered No (quiet run)", caption, text);
    WriteStandardOutput(text);
    return false;
  }
  void ShowStop(const char* caption, const char* text) override {
    LogTrace(kCategory, 0, "%s: %s", caption, text);
    WriteStandardOutput(text);
  }
};

// The abort marks' prompts without a person: errors are shown as texts, questions take the safe answer.
class TextStepPrompts : public StepPrompts {
 public:
  Answer AskYesNoCancel(const char* question) override { return Refuse(question, Answer::Cancel); }
  Answer AskYesNo(const char* question) override { return Refuse(question, Answer::No); }
  bool AskText(const char* title, const char*, const char*, CTxt&) override {
    Refuse(title, Answer::Cancel);
    return false;
  }
  void ShowError(const char* text) override { ShowAppText(text, true); }
  void ShowInfo(const char* text) override { ShowAppText(text, false); }

 private:
  Answer Refuse(const char* question, Answer answer) {
    LogTrace(kCategory, 0, "Not asked in an unattended run: %s", question);
    return answer;
  }
};

// A quiet run opens no summary viewer and shows no progress window.
class QuietSummaryUi : public SummaryUi {
 public:
  void ShowProgress(const char*, int, int) override {}
  void CloseProgress() override {}
  void OpenFile(const char* path) override { LogTrace(kCategory, 0, "Summary written: %s", path); }
};

BOOL WINAPI OnConsoleInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  ++g_interrupts;
  return TRUE;
}

// Asks the run to end after its step on Ctrl+C or a STOP file in the run folder; a second Ctrl+C aborts at
// once. Polls until stopped.
class StopWatch {
 public:
  explicit StopWatch(SequenceRunner& runner) : m_runner(runner), m_thread([this] { Watch(); }) {}
  ~StopWatch() {
    m_stop = true;
    m_thread.join();
  }

 private:
  void Watch() {
    bool afterStep = false, now = false;
    while (!m_stop) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      std::string folder = m_runner.RunFolder();
      bool stopFile = !folder.empty() && IsFolder((folder + "/" + kStopFileName).c_str()) == 0;
      if (!afterStep && (stopFile || g_interrupts > 0)) {
        afterStep = true;
        Request(kRequestAbortAfterStep, stopFile ? "a STOP file in the run folder" : "Ctrl+C");
      }
      if (!now && g_interrupts > 1) {
        now = true;
        Request(kRequestAbortNow, "a second Ctrl+C");
      }
    }
  }
  void Request(int code, const char* why) {
    CTxt text;
    m_runner.Request(code, text);
    CTxt line;
    line.Format("%s requested by %s: %s", code == kRequestAbortNow ? "Abort now" : "Abort after this step",
                why, static_cast<const char*>(text));
    LogTrace(kCategory, 0, "%s", static_cast<const char*>(line));
    if (g_quiet) WriteStandardOutput(line);
  }

  SequenceRunner& m_runner;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// The check before an unattended run: the driver splits a sample chart title and sets the current chart.
void CheckDriver(TsDriver& driver) {
  CTxt symbol, interval;
  SplitChartTitle(kSampleChartTitle, symbol, interval);
  LogTrace(kCategory, 0, "Sample chart title: symbol %s, interval %s", static_cast<const char*>(symbol),
           static_cast<const char*>(interval));
  CTxt err;
  if (!driver.FindMainWindow(err)) return;  // the run reports it
  if (driver.SetupChart(nullptr, nullptr, err, "SPY", "Intra/30", nullptr) < 0) {
    CTxt text;
    text.Format("Setting the chart to SPY Intra/30 failed: %s", static_cast<const char*>(err));
    ShowAppText(text, true);
  }
}

}  // namespace

void EnterQuietMode() {
  g_quiet = true;
  SetLogMessageBox(QuietMessageBox);
  static QuietSummaryUi summaryUi;
  SetSummaryUi(&summaryUi);
  GaugetteUpdate("", -300, 2);  // switches the progress window off for the process
  SetConsoleCtrlHandler(OnConsoleInterrupt, TRUE);
  StandardOutput();
}

bool QuietMode() {
  return g_quiet;
}

void ShowAppText(const char* text, bool isError) {
  if (g_quiet) {
    LogTrace(kCategory, 0, "%s", text);
    WriteStandardOutput(text);
    return;
  }
  LogTrace(kCategory, 0, "%s", text);
  MessageBoxA(nullptr, text, kAppTitle, (isError ? MB_ICONSTOP : MB_ICONINFORMATION) | MB_SETFOREGROUND);
}

std::string ResolveDefinitionPath(const std::string& value, const std::string& programFolder) {
  if (value.empty()) return "";
  std::string withExtension = value + "." + kDefinitionExtension;
  for (const std::string& candidate :
       {value, withExtension, programFolder + value, programFolder + withExtension}) {
    if (IsFolder(candidate.c_str()) != 0) continue;
    char full[MAX_PATH] = "";
    DWORD n = GetFullPathNameA(candidate.c_str(), MAX_PATH, full, nullptr);
    CTxt path(n > 0 && n < MAX_PATH ? full : candidate.c_str());
    path.MakeFn();
    return path.ToStd();
  }
  return "";
}

int RunUnattended(const std::string& definition, const std::string& programFolder, bool quiet) {
  std::string path = ResolveDefinitionPath(definition, programFolder);
  if (path.empty()) {
    CTxt text;
    text.Format("Cannot find the definition to run: \"%s\" (option /R needs a definition file or name)",
                definition.c_str());
    ShowAppText(text, true);
    return kExitNotStarted;
  }
  TsDriver driver;
  FullChartLoadWaits loadWaits;
  driver.SetChartLoadWaits(&loadWaits);
  tsdriver::MessageBoxInteraction boxes;
  QuietInteraction noQuestions;
  driver.SetInteraction(quiet ? static_cast<tsdriver::Interaction*>(&noQuestions) : &boxes);
  TextStepPrompts prompts;
  TsStepDriver steps(driver);
  SequenceRunner runner(steps, &prompts);
  if (quiet) WriteStandardOutput(("Running " + path).c_str());
  CheckDriver(driver);
  driver.Wait(1000);
  CTxt text;
  int result;
  {
    StopWatch stopWatch(runner);
    result = runner.Run(path.c_str(), programFolder.c_str(), text);
  }
  std::string folder = runner.RunFolder();
  if (!folder.empty()) {
    CTxt where;
    where.Format("\r\n\r\nBacktest Sequence Folder for this run:\r\n%s\r\n", folder.c_str());
    text += where;
  }
  LogTrace(kCategory, 0, "Completed Sequence: %s (%d) %s", path.c_str(), result,
           static_cast<const char*>(text));
  ShowAppText(text, result < 0);
  int code = UnattendedExitCode(result, runner.FailedScripts());
  LogOutput("*FLUSH", "Saving Logfile...", 0);
  return code;
}

void RunDriverSelfTest(const std::string& programFolder) {
  TsDriver driver;
  CTxt err;
  std::string workspace = programFolder + "RSISample.tsw";
  const std::string commands[] = {".Open ERR", ".Open " + workspace, "IBM Daily 250 days",
                                  "MSFT 5 min 10 days"};
  for (int round = 0; round < 10; ++round) {
    for (const std::string& command : commands) {
      int result = driver.SendTSCmd(command.c_str(), err);
      LogTrace(kCategory, 0, "Self test %d: \"%s\" (%d) %s", round + 1, command.c_str(), result,
               result < 0 ? static_cast<const char*>(err) : "");
    }
  }
}
