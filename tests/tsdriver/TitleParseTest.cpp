// The title parsers: TradeStation's main titles of versions 8.8, 9.1 and 9.5, titles without a workspace,
// chart window titles and broken titles.
#include <gtest/gtest.h>

#include "tsdriver/TitleParse.h"

namespace {

struct MainParts {
  int result = 0;
  std::string desktop, workspace, symbol, interval, product;
};

MainParts Split(const char* title) {
  CTxt d, w, s, i;
  MainParts p;
  p.result = SplitTSMainTitle(title, d, w, s, i);
  p.desktop = d.ToStd();
  p.workspace = w.ToStd();
  p.symbol = s.ToStd();
  p.interval = i.ToStd();
  return p;
}

MainParts SplitNoPrefix(const char* title) {
  CTxt d, w, s, i, product;
  MainParts p;
  p.result = SplitTSMainTitleNoPrefix(title, d, w, s, i, product);
  p.desktop = d.ToStd();
  p.workspace = w.ToStd();
  p.symbol = s.ToStd();
  p.interval = i.ToStd();
  p.product = product.ToStd();
  return p;
}

TEST(SplitTSMainTitle, Version95TitleGivesAllFourParts) {
  MainParts p =
      Split("TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - MSFT 5 min [NASDAQ] Microsoft]");
  EXPECT_EQ(p.result, 4);
  EXPECT_EQ(p.desktop, "Desktop");
  EXPECT_EQ(p.workspace, "Tavrin Sample");
  EXPECT_EQ(p.symbol, "MSFT");
  EXPECT_EQ(p.interval, "5 min");
}

TEST(SplitTSMainTitle, EveryProductPrefixIsStripped) {
  for (const char* prefix : {"TradeStation 9.0 - ", "TradeStation 9.1 - ", "TradeStation Version 9.1 - ",
                             "TradeStation 9.2 - ", "TradeStation 9.5 - "}) {
    std::string title = std::string(prefix) + "Desk - WS - [Chart Analysis - @ES 100 Tick Bar [CME] E-Mini]";
    MainParts p = Split(title.c_str());
    EXPECT_EQ(p.result, 4) << prefix;
    EXPECT_EQ(p.desktop, "Desk") << prefix;
    EXPECT_EQ(p.workspace, "WS") << prefix;
    EXPECT_EQ(p.symbol, "@ES") << prefix;
    EXPECT_EQ(p.interval, "100 Tick Bar") << prefix;
  }
}

TEST(SplitTSMainTitle, PrefixesAreCaseSensitive) {
  // A lower-case prefix is not stripped: its first segment becomes the desktop.
  MainParts p = Split("tradestation 9.5 - Desk - WS - [Chart Analysis - IBM Daily [NYSE]]");
  EXPECT_EQ(p.desktop, "tradestation 9.5");
  EXPECT_EQ(p.workspace, "Desk");
}

TEST(SplitTSMainTitle, Version8FirstSegmentIsSkipped) {
  MainParts p = Split("Tradestation 8.8 - Desk - WS - [Chart Analysis - IBM Daily [NYSE] IBM Corp]");
  EXPECT_EQ(p.result, 4);
  EXPECT_EQ(p.desktop, "Desk");
  EXPECT_EQ(p.workspace, "WS");
  EXPECT_EQ(p.symbol, "IBM");
  EXPECT_EQ(p.interval, "Daily");
}

TEST(SplitTSMainTitle, ChartAnalysisWithoutWorkspaceCountsSymbolAndInterval) {
  MainParts p = Split("Chart Analysis - MSFT 5 min [NASDAQ] Microsoft");
  EXPECT_EQ(p.result, 2);
  EXPECT_EQ(p.desktop, "Chart Analysis");
  EXPECT_EQ(p.workspace, "");
  EXPECT_EQ(p.symbol, "MSFT");
  EXPECT_EQ(p.interval, "5 min");
  MainParts withPrefix = Split("TradeStation 9.5 - Chart Analysis - MSFT 5 min [NASDAQ] Microsoft");
  EXPECT_EQ(withPrefix.result, 2);
  EXPECT_EQ(withPrefix.symbol, "MSFT");
}

TEST(SplitTSMainTitle, WorkspaceWithoutChartCountsTwo) {
  MainParts p = Split("TradeStation 9.5 - Desktop - Tavrin Sample - ");
  EXPECT_EQ(p.result, 2);
  EXPECT_EQ(p.workspace, "Tavrin Sample");
  EXPECT_EQ(p.symbol, "");
}

TEST(SplitTSMainTitle, MissingSeparatorsAreErrors) {
  MainParts noDash = Split("TradeStation");
  EXPECT_EQ(noDash.result, -1);
  EXPECT_EQ(noDash.desktop, "Desktop name is missing (TradeStation)");
  MainParts noWorkspaceEnd = Split("TradeStation 9.5 - Desktop - Tavrin Sample");
  EXPECT_EQ(noWorkspaceEnd.result, -2);
  EXPECT_EQ(noWorkspaceEnd.desktop, "Workspace name is missing (TradeStation 9.5 - Desktop - Tavrin Sample)");
  MainParts empty = Split(nullptr);
  EXPECT_EQ(empty.result, -1);
}

TEST(SplitTSMainTitleNoPrefix, Version8ProductIsReturned) {
  MainParts p = SplitNoPrefix("Tradestation 8.8 - Desk - WS - [Chart Analysis - IBM Daily [NYSE]]");
  EXPECT_EQ(p.result, 4);
  EXPECT_EQ(p.product, "Tradestation 8.8");
  EXPECT_EQ(p.desktop, "Desk");
  EXPECT_EQ(p.workspace, "WS");
  EXPECT_EQ(p.symbol, "IBM");
  EXPECT_EQ(p.interval, "Daily");
}

TEST(SplitTSMainTitleNoPrefix, Version9PrefixStaysTheDesktop) {
  MainParts p = SplitNoPrefix("TradeStation 9.5 - Desk - WS - [Chart Analysis - IBM Daily [NYSE]]");
  EXPECT_EQ(p.product, "");
  EXPECT_EQ(p.desktop, "TradeStation 9.5");
  EXPECT_EQ(p.workspace, "Desk");
}

TEST(SplitChartTitle, SymbolAndInterval) {
  CTxt symbol, interval;
  EXPECT_EQ(SplitChartTitle("Chart Analysis - @ES 100 Tick Bar [CME] E-Mini S&P", symbol, interval), 2);
  EXPECT_STREQ(symbol, "@ES");
  EXPECT_STREQ(interval, "100 Tick Bar");
  EXPECT_EQ(SplitChartTitle("Chart Analysis - MSFT", symbol, interval), 1);
  EXPECT_STREQ(symbol, "MSFT");
  EXPECT_STREQ(interval, "");
  EXPECT_EQ(SplitChartTitle("Chart Analysis", symbol, interval), -1);
  EXPECT_EQ(SplitChartTitle("chart analysis - aapl 1 min [NASDAQ]", symbol, interval), 2);
  EXPECT_STREQ(symbol, "aapl");
}

TEST(IntervalKindFromName, KindsOfChartIntervals) {
  EXPECT_EQ(IntervalKindFromName("Daily"), 2);
  EXPECT_EQ(IntervalKindFromName("weekly"), 3);
  EXPECT_EQ(IntervalKindFromName("Monthly"), 4);
  EXPECT_EQ(IntervalKindFromName("100TickBar"), 0);
  EXPECT_EQ(IntervalKindFromName("1000ShareBar"), 13);
  EXPECT_EQ(IntervalKindFromName("0.5KaseBar"), 9);
  EXPECT_EQ(IntervalKindFromName("5min"), 1);
  // The blanks must be gone: "Tick Bar" is not recognised as ticks.
  EXPECT_EQ(IntervalKindFromName("100 Tick Bar"), 1);
}

}  // namespace
