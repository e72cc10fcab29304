// The driver's one way to wait: every sleep and every poll goes through here, is bounded, and ends early when
// the runner asks for an abort. The abort request is a plain atomic integer the runner writes and the driver
// only reads (above 0: abort).
#pragma once

#include <atomic>
#include <functional>

namespace tsdriver {

using AbortRequest = std::atomic<int>;

// Slice of a wait between two looks at the abort request.
constexpr int kAbortPollMs = 20;

// Sleeps ms milliseconds (nothing for ms <= 0). Returns false when an abort was requested before or during
// the wait (it then ends within kAbortPollMs), true when the whole time passed.
bool WaitMs(int ms, const AbortRequest* abort);

// Checks condition, then every pollMs, until it holds (true) or boundMs passed or an abort was requested
// (false). The condition is checked at least once and once more at the end of the bound.
bool WaitUntil(const std::function<bool()>& condition, int boundMs, int pollMs, const AbortRequest* abort);

inline bool AbortRequested(const AbortRequest* abort) {
  return abort && abort->load() > 0;
}

// Milliseconds on a steady clock, for measuring bounds.
long long SteadyMs();

// Where the driver's time goes, summed over every thread since the start (or the last reset): sleeps of
// WaitMs outside a poll (the pauses the settings ask for), bounded polls of WaitUntil (waiting for
// TradeStation to show something), and bounded messages sent to TradeStation's windows (waiting for its
// answer).
struct WaitTotals {
  long long sleptMs = 0;
  long long polledMs = 0;
  long long sentMs = 0;
};
WaitTotals CurrentWaitTotals();
void ResetWaitTotals();
// Adds a bounded send's duration (the window-query layer calls it).
void CountSentMs(long long ms);

}  // namespace tsdriver
