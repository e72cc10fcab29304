// The abortable sleep and the bounded poll of the driver.
#include "tsdriver/Waits.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tsdriver {

long long SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool WaitMs(int ms, const AbortRequest* abort) {
  if (AbortRequested(abort)) return false;
  long long end = SteadyMs() + std::max(ms, 0);
  for (;;) {
    long long left = end - SteadyMs();
    if (left <= 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, kAbortPollMs)));
    if (AbortRequested(abort)) return false;
  }
}

bool WaitUntil(const std::function<bool()>& condition, int boundMs, int pollMs, const AbortRequest* abort) {
  long long end = SteadyMs() + std::max(boundMs, 0);
  for (;;) {
    if (condition()) return true;
    long long left = end - SteadyMs();
    if (left <= 0 || AbortRequested(abort)) return false;
    if (!WaitMs(static_cast<int>(std::min<long long>(left, std::max(pollMs, 1))), abort)) return false;
  }
}

}  // namespace tsdriver
