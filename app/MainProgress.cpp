// Timer 1969 of the main window: the clock, the four progress bars with their texts, the step line with the
// estimated time left, and the status line.
#include <cstdio>
#include <cstdlib>

#include "app/MainDialog.h"
#include "app/resources/resource.h"
#include "foundation/Settings.h"

namespace {

constexpr int kBarEnd = 10000;
constexpr int kSecondsPerDay = 86400;

}  // namespace

int ProgressPosition(int done, int total) {
  if (done < 1 || total < 1) return 0;
  if (done >= total) return kBarEnd;
  return static_cast<int>(static_cast<long long>(kBarEnd) * done / total);
}

int StepTimeBarPosition(int seconds) {
  return ProgressPosition(seconds, kSecondsPerDay);
}

bool ParseMainWindowPos(const char* text, StoredWindowPos& pos) {
  if (!text) return false;
  int values[4];
  const char* at = text;
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    long value = std::strtol(at, &end, 10);
    if (end == at || value < -100000 || value > 100000) return false;
    values[i] = static_cast<int>(value);
    at = end;
    if (i < 3) {
      if (*at != ',') return false;
      ++at;
    }
  }
  pos = {values[0], values[1], values[2], values[3]};
  auto inScreen = [](int v) { return v >= 0 && v <= 4096; };
  return inScreen(pos.left) && inScreen(pos.width) && inScreen(pos.height);
}

int EstimateSecondsLeft(int doneSteps, int doneSeconds, int stepsLeft, int currentStepSeconds) {
  if (doneSteps < 1 || doneSeconds < 0 || stepsLeft < 1) return -1;
  long long left = static_cast<long long>(doneSeconds) * stepsLeft / doneSteps - currentStepSeconds;
  if (left < 0) return 0;
  return left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
}

void MainDialog::InitProgressBars() {
  Settings::Colour bar = Settings::GetColour("SYS", "ProgressColor", "45,49,106");
  Settings::Colour background = Settings::GetColour("SYS", "ProgressBkColour", "255,255,255");
  struct {
    CProgressBar& bar;
    int id;
  } bars[] = {{m_symbolBar, IDC_SYMBOL_BAR},
              {m_timeframeBar, IDC_TIMEFRAME_BAR},
              {m_stepBar, IDC_STEP_BAR},
              {m_stepTimeBar, IDC_STEP_TIME_BAR}};
  for (auto& entry : bars) {
    entry.bar.Attach(Item(entry.id));
    entry.bar.SetRange(0, kBarEnd);
    entry.bar.SetStep(1);
    entry.bar.SetBarColour(bar);
    entry.bar.SetBkColour(background);
    entry.bar.SetPos(0);
  }
}

void MainDialog::SetText(int id, const char* text) {
  char shown[1024] = "";
  GetDlgItemTextA(Handle(), id, shown, sizeof shown);
  if (strcmp(shown, text) != 0) SetDlgItemTextA(Handle(), id, text);
}

void MainDialog::OnRefreshTimer() {
  ShowClock();
  RefreshProgress();
  ShowStatusText();
}

void MainDialog::ShowClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[64];
  std::snprintf(text, sizeof text, "%d/%d/%04d\r\n%02d:%02d:%02d", now.wMonth, now.wDay, now.wYear, now.wHour,
                now.wMinute, now.wSecond);
  SetText(IDC_CLOCK, text);
}

void MainDialog::RefreshProgress() {
  if (m_flags.running.load() != 1) {
    if (!m_sequenceName.empty()) SetText(IDC_SEQUENCE_GROUP, ("Aborted: " + m_sequenceName).c_str());
    for (CProgressBar* bar : {&m_symbolBar, &m_timeframeBar, &m_stepBar, &m_stepTimeBar})
      if (bar->GetPos() != 0) bar->SetPos(0);
    return;
  }
  SetText(IDC_SEQUENCE_GROUP, m_sequenceName.c_str());
  RefreshPositions();
  RefreshStepLine();
  CTxt text;
  int seconds = m_runner.Request(kRequestStepElapsed, text);
  if (seconds > 0) {
    SetText(IDC_STEP_ELAPSED, text);
    m_stepTimeBar.SetPos(StepTimeBarPosition(seconds));
  }
  if (m_runner.Request(kRequestListPosition, text) > 0) SetText(IDC_BOTTOM_LINE, text);
}

void MainDialog::RefreshPositions() {
  CTxt text;
  int symbol = m_runner.Request(kRequestSymbolPosition, text);
  CTxt symbolText = text;
  int timeframe = m_runner.Request(kRequestTimeframePosition, text);
  SequenceRunner::ProgressTotals totals = m_runner.Totals();
  char position[64];
  if (symbol > 0) {
    std::snprintf(position, sizeof position, "(%d of %d)", symbol, totals.symbols);
    SetText(IDC_SYMBOL_POS, position);
    SetText(IDC_CURRENT_SYMBOL, symbolText);
  }
  m_symbolBar.SetPos(ProgressPosition(symbol, totals.symbols));
  if (timeframe > 0) {
    std::snprintf(position, sizeof position, "(%d of %d)", timeframe, totals.commandsOfSymbol);
    SetText(IDC_TIMEFRAME_POS, position);
    SetText(IDC_CURRENT_TIMEFRAME, text);
  }
  m_timeframeBar.SetPos(ProgressPosition(timeframe, totals.commandsOfSymbol));
  if (m_runner.Request(kRequestOptimizationSet, text) > 0) {
    CTxt permutations;
    m_runner.Request(kRequestPermutations, permutations);
    CTxt caption;
    caption.Format("%s/%s", static_cast<const char*>(text), static_cast<const char*>(permutations));
    SetText(IDC_CURRENT_OPTIMIZATION, caption);
  }
}

// The step line: "Step s of N: elapsed", and once a step has finished in this run, the time left estimated
// from the average time of the finished steps (each step's start is seen by this timer, within a second).
void MainDialog::RefreshStepLine() {
  CTxt text;
  int step = m_runner.Request(kRequestStepNumber, text);
  int steps = m_runner.Totals().commands;
  int elapsed = m_runStart.GetDiffSec();
  if (step < 1) {
    SetText(IDC_STEP_LINE, FormatDuration(elapsed).c_str());
    m_stepBar.SetPos(0);
    return;
  }
  if (m_firstStepSeen == 0) {
    m_firstStepSeen = m_latestStepSeen = step;
    m_firstStepAt = m_latestStepAt = elapsed;
  } else if (step != m_latestStepSeen) {
    m_latestStepSeen = step;
    m_latestStepAt = elapsed;
  }
  CTxt line;
  line.Format("Step %d of %d: %s", step, steps, FormatDuration(elapsed).c_str());
  int left = EstimateSecondsLeft(m_latestStepSeen - m_firstStepSeen, m_latestStepAt - m_firstStepAt,
                                 steps - step + 1, elapsed - m_latestStepAt);
  if (left >= 0) {
    CTxt estimate;
    estimate.Format(" (about %s left)", FormatDuration(left).c_str());
    line += estimate;
  }
  SetText(IDC_STEP_LINE, line);
  m_stepBar.SetPos(ProgressPosition(step, steps));
}

void MainDialog::ShowStatusText() {
  std::string status;
  {
    std::lock_guard<std::mutex> guard(m_statusLock);
    status = m_statusText;
  }
  if (!status.empty() && !EqualNoCase(status.c_str(), m_statusShown.c_str())) {
    m_statusShown = status;
    SetDlgItemTextA(Handle(), IDC_STATUS, status.c_str());
  }
}

void MainDialog::OnLogLine(void* context, const char*, const char* text, int) {
  auto* self = static_cast<MainDialog*>(context);
  std::lock_guard<std::mutex> guard(self->m_statusLock);
  self->m_statusText = text ? text : "";
}
