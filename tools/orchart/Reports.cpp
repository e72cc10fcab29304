// Report pages, the web archive around them, and the optimisation list.
#include "Reports.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "Market.h"

namespace orchart {
namespace {

constexpr size_t kQuotedLineLength = 76;

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else
      out += c;
  }
  return out;
}

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return std::string(buf) == "-0.00" ? "0.00" : buf;
}

std::string Percent(double v) {
  return Fixed(v, 2) + "%";
}

std::string Cell(const std::string& text) {
  return "<TD>" + text + "</TD>";
}

std::string SummaryRow(const char* label, const std::string& all, const std::string& longs,
                       const std::string& shorts) {
  return "<TR>" + Cell(label) + Cell(all) + Cell(longs) + Cell(shorts) + "</TR>\r\n";
}

std::string SummaryTable(const BacktestResult& r) {
  PerformanceFigures f[3] = {r.Figures(TradeFilter::All), r.Figures(TradeFilter::Long),
                             r.Figures(TradeFilter::Short)};
  auto money = [&](double PerformanceFigures::*m) {
    return std::vector<std::string>{FormatMoney(f[0].*m), FormatMoney(f[1].*m), FormatMoney(f[2].*m)};
  };
  auto row = [](const char* label, const std::vector<std::string>& v) {
    return SummaryRow(label, v[0], v[1], v[2]);
  };
  std::vector<std::string> trades, winners, losers, factor, profitable;
  for (const PerformanceFigures& x : f) {
    trades.push_back(std::to_string(x.trades));
    winners.push_back(std::to_string(x.winners));
    losers.push_back(std::to_string(x.losers));
    factor.push_back(x.grossLoss < 0 ? Fixed(x.profitFactor, 2) : "n/a");
    profitable.push_back(Percent(x.percentProfitable));
  }
  std::string out = "<H2>Performance Summary</H2><TABLE>\r\n";
  out += SummaryRow("", "All Trades", "Long Trades", "Short Trades");
  out += row("Total Net Profit", money(&PerformanceFigures::netProfit));
  out += row("Gross Profit", money(&PerformanceFigures::grossProfit));
  out += row("Gross Loss", money(&PerformanceFigures::grossLoss));
  out += row("Profit Factor", factor);
  out += row("Total Number of Trades", trades);
  out += row("Percent Profitable", profitable);
  out += row("Winning Trades", winners);
  out += row("Losing Trades", losers);
  out += row("Avg. Trade Net Profit", money(&PerformanceFigures::averageTrade));
  out += row("Largest Winning Trade", money(&PerformanceFigures::largestWinner));
  out += row("Largest Losing Trade", money(&PerformanceFigures::largestLoser));
  out += row("Max. Drawdown (Intra-Day Peak to Valley)", money(&PerformanceFigures::maxIntradayDrawdown));
  out += row("Max Strategy Drawdown", money(&PerformanceFigures::maxDrawdown));
  out += row("Total Commission", money(&PerformanceFigures::commissions));
  out += SummaryRow("Open Position P/L", FormatMoney(r.OpenPositionProfit()), "", "");
  out += "</TABLE>\r\n";
  return out;
}

std::string TradeRows(const ReportSubject& s, const BacktestResult& r) {
  std::string out = "<H2>Trades List</H2><TABLE class=\"TradesTable\">\r\n";
  out +=
      "<TR><TH>#</TH><TH>Type</TH><TH>Date</TH><TH>Time</TH><TH>Signal</TH><TH>Price</TH>"
      "<TH>Shares/Ctrts</TH><TH>Profit/Loss</TH><TH>Cum. Profit</TH><TH>% Profit</TH>"
      "<TH>Run-up/Drawdown</TH><TH>Comm.</TH></TR>\r\n";
  double cumulative = 0;
  int number = 0;
  for (const StrategyTrade& t : r.trades) {
    ++number;
    bool isLong = t.direction > 0;
    std::string time = s.intraday ? FormatTradeTime(t.entry.time) : "";
    double value = t.entry.price * t.shares;
    out += "<TR>" + Cell(std::to_string(number)) + Cell(isLong ? "Buy" : "Sell Short") +
           Cell(FormatTradeDate(t.entry.date)) + Cell(time) + Cell(t.entry.signal) +
           Cell(FormatMoney(t.entry.price)) + Cell(std::to_string(t.shares)) + Cell(FormatMoney(t.net)) +
           Cell("") + Cell(Percent(value > 0 ? 100.0 * t.gross / value : 0)) + Cell(FormatMoney(t.runUp)) +
           Cell(FormatMoney(t.entry.commission)) + "</TR>\r\n";
    if (t.open) continue;  // an open position has no exit row
    cumulative += t.net;
    out += "<TR>" + Cell("") + Cell(isLong ? "Sell" : "Buy to Cover") + Cell(FormatTradeDate(t.exit.date)) +
           Cell(s.intraday ? FormatTradeTime(t.exit.time) : "") + Cell(t.exit.signal) +
           Cell(FormatMoney(t.exit.price)) + Cell(std::to_string(t.shares)) + Cell(FormatMoney(t.gross)) +
           Cell(FormatMoney(cumulative)) + Cell("") + Cell(FormatMoney(t.drawDown)) +
           Cell(FormatMoney(t.exit.commission)) + "</TR>\r\n";
  }
  out += "</TABLE>\r\n";
  return out;
}

std::string AnnualSummary(const BacktestResult& r) {
  std::map<int, std::pair<double, int>> years;
  for (const StrategyTrade& t : r.trades) {
    if (t.open) continue;
    auto& y = years[t.exit.date / 10000];
    y.first += t.net;
    ++y.second;
  }
  std::string out = "<H2>Annual Trading Summary</H2><TABLE>\r\n";
  out += "<TR><TD>Year</TD><TD>Net Profit</TD><TD># Trades</TD></TR>\r\n";
  for (const auto& [year, y] : years)
    out += "<TR>" + Cell(std::to_string(year)) + Cell(FormatMoney(y.first)) + Cell(std::to_string(y.second)) +
           "</TR>\r\n";
  out += "</TABLE>\r\n";
  return out;
}

std::string InputsSection(const ReportSubject& s) {
  std::string out = "<H2>Settings</H2><TABLE><TR><TD>TradeStation Strategy Inputs</TD></TR></TABLE>\r\n";
  out += "<TABLE><TR><TD><TABLE>\r\n";
  int n = 0;
  for (const auto& [name, value] : s.inputs) {
    ++n;
    out += "<TR><TD id=inputName" + std::to_string(n) + ">" + Escaped(s.strategy + " - " + name) +
           "</TD><TD id=inputValue" + std::to_string(n) + ">" + Escaped(value) + "</TD></TR>\r\n";
  }
  out += "</TABLE></TD></TR></TABLE>\r\n";
  return out;
}

char Hex(int v) {
  return "0123456789ABCDEF"[v & 15];
}

}  // namespace

std::string ReportCaption(const ReportSubject& s) {
  return s.strategy + " " + s.symbol + "-" + s.interval;
}

std::string PerformanceReportTitle(const ReportSubject& s) {
  return "TradeStation Strategy Performance Report - " + ReportCaption(s);
}

std::string OptimizationReportTitle(const ReportSubject& s) {
  return "TradeStation Strategy Optimization Report - " + ReportCaption(s);
}

std::string FormatMoney(double v) {
  long long cents = std::llround(std::fabs(v) * 100);
  std::string whole = std::to_string(cents / 100);
  for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3) whole.insert(static_cast<size_t>(i), ",");
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%02lld", cents % 100);
  std::string text = "$" + whole + fraction;
  return v < 0 && cents > 0 ? "(" + text + ")" : text;
}

std::string FormatTradeDate(int d) {
  return std::to_string(d / 100 % 100) + "/" + std::to_string(d % 100) + "/" + std::to_string(d / 10000);
}

std::string FormatTradeTime(int t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d", t / 100, t % 100);
  return buf;
}

std::string PerformanceReportPage(const ReportSubject& s, const BacktestResult& r) {
  std::string title = Escaped(PerformanceReportTitle(s));
  std::string out = "<HTML><HEAD><TITLE>" + title + "</TITLE></HEAD><BODY>\r\n";
  out += "<DIV class=HeaderInfo>" + Escaped(ReportCaption(s)) + " (" + FormatTradeDate(r.firstDate) + " - " +
         FormatTradeDate(r.lastDate) + ")</DIV>\r\n";
  out += "<TABLE><TR><TD>Symbol</TD><TD id=Symbol>" + Escaped(s.symbol) +
         "</TD></TR><TR><TD>Interval</TD><TD>" + Escaped(s.interval) + "</TD></TR><TR><TD>Bars</TD><TD>" +
         std::to_string(r.bars) + "</TD></TR></TABLE>\r\n";
  out += SummaryTable(r);
  out += TradeRows(s, r);
  out += AnnualSummary(r);
  out += "<H2>Equity Curve</H2><IMG src=\"equity.png\">\r\n";
  out += InputsSection(s);
  out += "</BODY></HTML>\r\n";
  return out;
}

std::string EncodeQuotedPrintable(const std::string& text) {
  std::string out;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    bool last = end == std::string::npos;
    if (last) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = end + 1;
    if (last && line.empty()) break;
    std::string current;
    for (size_t i = 0; i < line.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(line[i]);
      bool lineEnd = i + 1 == line.size();
      std::string piece;
      if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnd))
        piece = std::string(1, static_cast<char>(c));
      else
        piece = std::string("=") + Hex(c >> 4) + Hex(c);
      if (current.size() + piece.size() > kQuotedLineLength - 1) {
        out += current + "=\r\n";
        current.clear();
      }
      current += piece;
    }
    out += current + "\r\n";
    if (last) break;
  }
  return out;
}

std::string WebArchive(const std::string& page, const std::string& subject, const ArchiveEnvelope& e) {
  std::string out;
  out += "From: <Saved by TradeStation>\r\n";
  out += "Subject: " + subject + "\r\n";
  out += "Date: " + e.date + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  out += "Content-Type: multipart/related; type=\"text/html\"; boundary=\"" + e.boundary + "\"\r\n";
  out += "\r\nThis is a multi-part message in MIME format.\r\n\r\n";
  out += "--" + e.boundary + "\r\n";
  out += "Content-Type: text/html; charset=\"windows-1252\"\r\n";
  out += "Content-Transfer-Encoding: quoted-printable\r\n";
  out += "Content-Location: " + e.location + "\r\n\r\n";
  out += EncodeQuotedPrintable(page);
  out += "--" + e.boundary + "--\r\n";
  return out;
}

std::string OptimizationCsv(const OptimizationTable& table) {
  std::string out = "Test";
  for (const std::string& name : table.inputNames) out += "," + name;
  out +=
      ",All: Net Profit,All: Total Trades,All: Profit Factor,All: % Profitable,All: Max Strategy "
      "Drawdown\r\n";
  for (const OptimizationTest& t : table.tests) {
    out += std::to_string(t.number);
    for (double v : t.values) out += "," + FormatNumber(v);
    const PerformanceFigures& f = t.figures;
    out += "," + Fixed(f.netProfit, 2) + "," + std::to_string(f.trades) + "," + Fixed(f.profitFactor, 2) +
           "," + Fixed(f.percentProfitable, 2) + "," + Fixed(f.maxDrawdown, 2) + "\r\n";
  }
  return out;
}

std::string OptimizationReportPage(const ReportSubject& s, const OptimizationTable& table) {
  std::string out = "<HTML><HEAD><TITLE>" + Escaped(OptimizationReportTitle(s)) + "</TITLE></HEAD><BODY>\r\n";
  out += "<TABLE class=\"OptimizationTable\">\r\n<TR><TH>Test</TH>";
  for (const std::string& name : table.inputNames) out += "<TH>" + Escaped(name) + "</TH>";
  out +=
      "<TH>All: Net Profit</TH><TH>All: Total Trades</TH><TH>All: Profit Factor</TH><TH>All: % "
      "Profitable</TH>"
      "<TH>All: Max Strategy Drawdown</TH></TR>\r\n";
  for (const OptimizationTest& t : table.tests) {
    out += "<TR>" + Cell(std::to_string(t.number));
    for (double v : t.values) out += Cell(FormatNumber(v));
    const PerformanceFigures& f = t.figures;
    out += Cell(FormatMoney(f.netProfit)) + Cell(std::to_string(f.trades)) + Cell(Fixed(f.profitFactor, 2)) +
           Cell(Percent(f.percentProfitable)) + Cell(FormatMoney(f.maxDrawdown)) + "</TR>\r\n";
  }
  out += "</TABLE></BODY></HTML>\r\n";
  return out;
}

}  // namespace orchart
