// Parsers of TradeStation's main and chart window titles.
#include "tsdriver/TitleParse.h"

#include <cstring>
#include <string>

#include "tsdriver/TsFacts.h"

namespace {

// Text from `from` up to (not including) `to`, trimmed of blanks.
void TakeTrimmed(const char* from, size_t length, CTxt& out) {
  out = std::string(from, length).c_str();
  out.Trim(' ');
}

// Behind the chart marker: the first blank-separated word is the symbol, the rest up to '[' the interval.
int ReadSymbolAndInterval(const char* behindMarker, CTxt& symbol, CTxt& interval) {
  const char* p = behindMarker;
  while (*p == ' ') ++p;
  const char* wordEnd = p;
  while (*wordEnd && *wordEnd != ' ') ++wordEnd;
  TakeTrimmed(p, static_cast<size_t>(wordEnd - p), symbol);
  p = wordEnd;
  while (*p == ' ') ++p;
  const char* bracket = std::strchr(p, '[');
  TakeTrimmed(p, bracket ? static_cast<size_t>(bracket - p) : std::strlen(p), interval);
  return (symbol.IsFilled() ? 1 : 0) + (interval.IsFilled() ? 1 : 0);
}

// The desktop segment: the text up to the first '-' of `text`, trimmed.
void TakeDesktop(const char* text, CTxt& desktop) {
  const char* dash = std::strchr(text, '-');
  TakeTrimmed(text, dash ? static_cast<size_t>(dash - text) : std::strlen(text), desktop);
}

int SplitAfterPrefix(const char* title, const char* text, CTxt& desktop, CTxt& workspace, CTxt& symbol,
                     CTxt& interval, CTxt* product) {
  desktop.MakeEmpty();
  workspace.MakeEmpty();
  symbol.MakeEmpty();
  interval.MakeEmpty();
  if (product) product->MakeEmpty();
  int at = FindNoCase(text, tsfacts::kTitleSeparator);
  if (at < 0) {
    desktop.Format("Desktop name is missing (%s)", title);
    return -1;
  }
  TakeDesktop(text, desktop);
  if (CompareNoCase(tsfacts::kVersion8TitleMarker, desktop, 2) == 0) {
    if (product) *product = desktop;
    text += at + 3;
    TakeDesktop(text, desktop);
  }
  int found = 0;
  const char* marker = tsfacts::kChartTitlePrefix;
  if (CompareNoCase(desktop, tsfacts::kChartTitleMarker, 1) != 0) {
    if (desktop.IsFilled()) ++found;
    int next = FindNoCase(text, tsfacts::kTitleSeparator);
    if (next >= 0 && std::strlen(text) > static_cast<size_t>(next) + 3) text += next + 3;
    int end = FindNoCase(text, "- ");
    if (end < 0) {
      desktop.Format("Workspace name is missing (%s)", title);
      return -2;
    }
    TakeTrimmed(text, static_cast<size_t>(end > 0 ? end - 1 : 0), workspace);
    if (workspace.IsFilled()) ++found;
    text += end + 2;
    marker = tsfacts::kMainTitleChartMarker;
  }
  int m = FindNoCase(text, marker);
  if (m >= 0) found += ReadSymbolAndInterval(text + m + std::strlen(marker), symbol, interval);
  return found;
}

}  // namespace

int SplitTSMainTitle(const char* title, CTxt& desktop, CTxt& workspace, CTxt& symbol, CTxt& interval) {
  if (!title) title = "";
  const char* text = title;
  for (const char* prefix : tsfacts::kTitlePrefixes) {
    size_t n = std::strlen(prefix);
    if (std::strncmp(text, prefix, n) == 0) text += n;
  }
  return SplitAfterPrefix(title, text, desktop, workspace, symbol, interval, nullptr);
}

int SplitTSMainTitleNoPrefix(const char* title, CTxt& desktop, CTxt& workspace, CTxt& symbol, CTxt& interval,
                             CTxt& product) {
  if (!title) title = "";
  return SplitAfterPrefix(title, title, desktop, workspace, symbol, interval, &product);
}

int SplitChartTitle(const char* title, CTxt& symbol, CTxt& interval) {
  symbol.MakeEmpty();
  interval.MakeEmpty();
  if (!title) return -1;
  int m = FindNoCase(title, tsfacts::kChartTitlePrefix);
  if (m < 0) return -1;
  ReadSymbolAndInterval(title + m + std::strlen(tsfacts::kChartTitlePrefix), symbol, interval);
  return 1 + (interval.IsFilled() ? 1 : 0);
}

int IntervalKindFromName(const char* interval) {
  if (!interval) return 1;
  struct Kind {
    const char* marker;
    int kind;
  };
  static const Kind kinds[] = {{"Daily", 2},   {"Weekly", 3},    {"Monthly", 4},
                               {"TickBar", 0}, {"ShareBar", 13}, {"KaseBar", 9}};
  for (const Kind& k : kinds)
    if (FindNoCase(interval, k.marker) >= 0) return k.kind;
  return 1;
}
