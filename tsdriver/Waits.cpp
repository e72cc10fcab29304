// The abortable sleep and the bounded poll of the driver.
#include "tsdriver/Waits.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tsdriver {

namespace {

std::atomic<long long> g_sleptMs{0};
std::atomic<long long> g_polledMs{0};
std::atomic<long long> g_sentMs{0};
thread_local bool t_inPoll = false;

}  // namespace

WaitTotals CurrentWaitTotals() {
  return {g_sleptMs.load(), g_polledMs.load(), g_sentMs.load()};
}

void ResetWaitTotals() {
  g_sleptMs = 0;
  g_polledMs = 0;
  g_sentMs = 0;
}

void CountSentMs(long long ms) {
  g_sentMs += ms;
}

long long SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

namespace {

bool SleepAbortably(int ms, const AbortRequest* abort) {
  if (AbortRequested(abort)) return false;
  long long end = SteadyMs() + std::max(ms, 0);
  for (;;) {
    long long left = end - SteadyMs();
    if (left <= 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, kAbortPollMs)));
    if (AbortRequested(abort)) return false;
  }
}

bool Poll(const std::function<bool()>& condition, int boundMs, int pollMs, const AbortRequest* abort) {
  long long end = SteadyMs() + std::max(boundMs, 0);
  for (;;) {
    if (condition()) return true;
    long long left = end - SteadyMs();
    if (left <= 0 || AbortRequested(abort)) return false;
    if (!SleepAbortably(static_cast<int>(std::min<long long>(left, std::max(pollMs, 1))), abort))
      return false;
  }
}

}  // namespace

bool WaitMs(int ms, const AbortRequest* abort) {
  long long start = SteadyMs();
  bool whole = SleepAbortably(ms, abort);
  if (!t_inPoll) g_sleptMs += SteadyMs() - start;
  return whole;
}

bool WaitUntil(const std::function<bool()>& condition, int boundMs, int pollMs, const AbortRequest* abort) {
  bool outermost = !t_inPoll;
  t_inPoll = true;
  long long start = SteadyMs();
  bool held = Poll(condition, boundMs, pollMs, abort);
  if (outermost) {
    g_polledMs += SteadyMs() - start;
    t_inPoll = false;
  }
  return held;
}

}  // namespace tsdriver
