// The files TradeStation writes from its report windows: the Strategy Performance Report as a web archive
// (MHT: multipart/related, the page quoted-printable) or as a spreadsheet (XLS: the page itself), and the
// Strategy Optimization Report as CSV ("Spreadsheet") or as an HTML table ("Report").
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Optimization.h"
#include "StrategyEngine.h"

namespace orchart {

// What a report is about.
struct ReportSubject {
  std::string strategy;                                     // "MovAvg Cross"
  std::string symbol;                                       // "MSFT"
  std::string interval;                                     // "5 min"
  bool intraday = true;                                     // trade times are shown
  std::vector<std::pair<std::string, std::string>> inputs;  // name, value as applied
};

// "MovAvg Cross MSFT-5 min"
std::string ReportCaption(const ReportSubject& s);
// "TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min"
std::string PerformanceReportTitle(const ReportSubject& s);
// "TradeStation Strategy Optimization Report - MovAvg Cross MSFT-5 min"
std::string OptimizationReportTitle(const ReportSubject& s);

// "$1,234.56", "($1,234.56)"
std::string FormatMoney(double v);
// 20120103 -> "1/3/2012"; 935 -> "09:35"
std::string FormatTradeDate(int yyyymmdd);
std::string FormatTradeTime(int hhmm);

// The decoded page: title, header, performance summary, trades list, annual summary, equity curve,
// settings with the strategy inputs.
std::string PerformanceReportPage(const ReportSubject& s, const BacktestResult& r);

// The archive's envelope: its date header ("Fri, 14 Dec 2012 16:05:11 -0500"), the part boundary and the
// page's Content-Location.
struct ArchiveEnvelope {
  std::string date;
  std::string boundary;
  std::string location;
};
std::string WebArchive(const std::string& page, const std::string& subject, const ArchiveEnvelope& e);
// Quoted-printable with CR LF line ends: lines of at most 76 characters ending in '=' where soft-broken.
std::string EncodeQuotedPrintable(const std::string& text);

// "Test,NAME...,All: Net Profit,All: Total Trades,All: Profit Factor,All: % Profitable,All: Max Strategy
// Drawdown" and one line per test, CR LF.
std::string OptimizationCsv(const OptimizationTable& table);
std::string OptimizationReportPage(const ReportSubject& s, const OptimizationTable& table);

}  // namespace orchart
