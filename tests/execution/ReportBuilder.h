// Writes Strategy Performance Reports in the layout TradeStation saves them (a MIME web archive around the
// HTML page), for the loader's tests and the load benchmark. Header-only so the benchmark can share it.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace reportbuilder {

struct ReportTrade {
  bool isShort = false;
  std::string entryDate, entryTime;  // "M/D/YYYY", "HH:MM" (empty on daily charts)
  std::string exitDate, exitTime;
  double entryPrice = 0, exitPrice = 0;
  int shares = 100;
  double profit = 0;  // net, after commission
  double entryCommission = 0, exitCommission = 0;
  bool open = false;  // no exit row
};

using Inputs = std::vector<std::pair<std::string, std::string>>;

// "$1,234.56", negative as "($1,234.56)".
inline std::string Money(double v) {
  char digits[64];
  snprintf(digits, sizeof(digits), "%.2f", std::fabs(v));
  std::string whole(digits, std::string(digits).find('.'));
  std::string grouped;
  for (size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) grouped += ',';
    grouped += whole[i];
  }
  std::string text = "$" + grouped + (digits + whole.size());
  return v < 0 ? "(" + text + ")" : text;
}

inline std::string Cells(const std::vector<std::string>& cells) {
  std::string row = "<TR>";
  for (const std::string& c : cells) row += "<TD>" + c + "</TD>";
  return row + "</TR>\r\n";
}

// The decoded page: title, header, performance summary, trades list, annual summary, equity curve, inputs.
inline std::string ReportPage(const std::string& strategy, const std::string& symbol,
                              const std::string& interval, const std::vector<ReportTrade>& trades,
                              const Inputs& inputs) {
  std::string name = strategy + " " + symbol + "-" + interval;
  std::string first = trades.empty() ? "" : trades.front().entryDate;
  std::string last = trades.empty() ? "" : trades.back().exitDate;
  std::string page;
  page.reserve(trades.size() * 700 + 4000);
  page +=
      "<HTML><HEAD><TITLE>TradeStation Strategy Performance Report - " + name + "</TITLE></HEAD><BODY>\r\n";
  page += "<DIV class=HeaderInfo>" + name + " (" + first + " - " + last + ")</DIV>\r\n";
  page += "<TABLE><TR><TD>Symbol</TD><TD id=Symbol>" + symbol + "</TD></TR><TR><TD>Interval</TD><TD>" +
          interval + "</TD></TR></TABLE>\r\n";
  double net = 0;
  for (const ReportTrade& t : trades)
    if (!t.open) net += t.profit;
  page +=
      "<H2>Performance Summary</H2><TABLE><TR><TD></TD><TD>All Trades</TD><TD>Long Trades</TD>"
      "<TD>Short Trades</TD></TR>\r\n";
  page += Cells({"Total Net Profit", Money(net), Money(0), Money(0)}) + "</TABLE>\r\n";
  page +=
      "<H2>Trades List</H2><TABLE "
      "class=\"TradesTable\">\r\n<TR><TH>#</TH><TH>Type</TH><TH>Date</TH><TH>Time</TH>"
      "<TH>Signal</TH><TH>Price</TH><TH>Shares/Ctrts</TH><TH>Profit/Loss</TH><TH>Cum. Profit</TH>"
      "<TH>% Profit</TH><TH>Run-up/Drawdown</TH><TH>Comm.</TH></TR>\r\n";
  double cumulative = 0;
  char buf[64];
  for (size_t i = 0; i < trades.size(); ++i) {
    const ReportTrade& t = trades[i];
    snprintf(buf, sizeof(buf), "%.2f%%", t.profit * 100 / (t.entryPrice * t.shares));
    page += Cells({std::to_string(i + 1), t.isShort ? "Sell Short" : "Buy", t.entryDate, t.entryTime,
                   t.isShort ? "MA SE" : "MA LE", Money(t.entryPrice), std::to_string(t.shares),
                   Money(t.profit), "", buf, Money(std::fabs(t.profit) + 20), Money(t.entryCommission)});
    if (t.open) continue;
    cumulative += t.profit;
    double gross = t.profit + t.entryCommission + t.exitCommission;
    page += Cells({"", t.isShort ? "Buy to Cover" : "Sell", t.exitDate, t.exitTime,
                   t.isShort ? "MA SX" : "MA LX", Money(t.exitPrice), std::to_string(t.shares), Money(gross),
                   Money(cumulative), "", Money(-20), Money(t.exitCommission)});
  }
  page += "</TABLE>\r\n<H2>Annual Trading Summary</H2><TABLE><TR><TD>2012</TD><TD>" + Money(net) +
          "</TD></TR></TABLE>\r\n<H2>Equity Curve</H2><IMG src=\"equity.png\">\r\n";
  page +=
      "<H2>Settings</H2><TABLE><TR><TD>TradeStation Strategy Inputs</TD></TR></TABLE>\r\n"
      "<TABLE><TR><TD><TABLE>\r\n";
  for (size_t i = 0; i < inputs.size(); ++i) {
    std::string n = std::to_string(i + 1);
    page += "<TR><TD id=inputName" + n + ">" + strategy + " - " + inputs[i].first + "</TD><TD id=inputValue" +
            n + ">" + inputs[i].second + "</TD></TR>\r\n";
  }
  page += "</TABLE></TD></TR></TABLE>\r\n</BODY></HTML>\r\n";
  return page;
}

// Quoted-printable with CR LF lines of at most 76 characters ("=" soft breaks, "=3D" for '=').
inline std::string QuotedPrintable(const std::string& text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() + text.size() / 20);
  size_t column = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += "\r\n";
      column = 0;
      ++i;
      continue;
    }
    std::string piece;
    if (c == '=' || c < 32 || c > 126) {
      piece = {'=', hex[c >> 4], hex[c & 15]};
    } else {
      piece = std::string(1, static_cast<char>(c));
    }
    if (column + piece.size() > 75) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  }
  return out;
}

inline std::string Base64(const std::string& text) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < text.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) v |= static_cast<unsigned char>(text[i + 1]) << 8;
    if (i + 2 < text.size()) v |= static_cast<unsigned char>(text[i + 2]);
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < text.size() ? alphabet[(v >> 6) & 63] : '=';
    out += i + 2 < text.size() ? alphabet[v & 63] : '=';
    if ((column += 4) >= 76) {
      out += "\r\n";
      column = 0;
    }
  }
  return out;
}

// The web archive around a page; encoding "quoted-printable", "base64" or "8bit". With imageFirst an image
// part comes before the page.
inline std::string Archive(const std::string& page, const std::string& encoding, const std::string& title,
                           bool imageFirst = false) {
  const std::string boundary = "----=_NextPart_000_0000_01CDDA3C.5A3B1F20";
  std::string body = encoding == "quoted-printable" ? QuotedPrintable(page)
                     : encoding == "base64"         ? Base64(page)
                                                    : page;
  std::string out = "From: <Saved by TradeStation>\r\nSubject: " + title +
                    "\r\nDate: Fri, 14 Dec 2012 16:05:11 -0500\r\nMIME-Version: 1.0\r\n"
                    "Content-Type: multipart/related; type=\"text/html\";\r\n\tboundary=\"" +
                    boundary + "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n\r\n";
  if (imageFirst) {
    out += "--" + boundary +
           "\r\nContent-Type: image/png\r\nContent-Transfer-Encoding: base64\r\nContent-Location: "
           "equity.png\r\n\r\n" +
           Base64("\x89PNG not really") + "\r\n\r\n";
  }
  out += "--" + boundary +
         "\r\nContent-Type: text/html; charset=\"windows-1252\"\r\nContent-Transfer-Encoding: " + encoding +
         "\r\nContent-Location: "
         "file:///C:/Program%20Files/TradeStation%209.5/Program/Reports/Report.htm\r\n\r\n" +
         body + "\r\n\r\n--" + boundary + "--\r\n";
  return out;
}

}  // namespace reportbuilder
