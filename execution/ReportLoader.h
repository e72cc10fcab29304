// The report loader: reads a saved Strategy Performance Report (a MIME web archive, or a plain HTML page),
// takes its header items and its trades list, and hands the closed trades in list order to the trade
// statistics. Works in one buffer the size of the file: the archive is decoded in place and the page is
// scanned without building a document tree.
#pragma once

#include <string>

#include "execution/TradeStats.h"
#include "foundation/Txt.h"

// Header items of a report.
struct ReportHeader {
  CTxt title;       // the page's <title>
  CTxt headerInfo;  // "STRATEGY SYMBOL-INTERVAL (FIRSTDATE - LASTDATE)"
  CTxt symbol;      // the cell <TD id=Symbol>
};

// Reads a report file and leaves its decoded HTML page in page. 0, or -1 with msg "Cannot open '%s'".
int LoadReportPage(const char* path, std::string& page, CTxt& msg);

// Decodes a whole archive held in data, in place: the HTML part of a multipart archive (or the body of a
// single-part one) in its transfer encoding (quoted-printable, base64, 7bit/8bit/binary). Data that does
// not start with MIME headers is taken as the page itself and left alone.
void DecodeReportArchive(std::string& data);
void DecodeQuotedPrintable(std::string& data);  // in place
void DecodeBase64(std::string& data);           // in place; characters outside the alphabet are skipped

// Resets stats, reads the report and adds every closed trade; an open last position is skipped (logged).
// Then finishes the statistics and stores the file name under "CurrFile" in section "Yieldra". Returns the
// number of trades, -1 ("Cannot open '%s'") or -2 ("Trade List was missing in MHT Archive file: ...").
int LoadTradeReport(const char* path, TradeStatistics& stats, CTxt& msg, ReportHeader* header = nullptr);

// The same from a decoded page already in memory (name is used in messages and log lines).
int LoadTradesFromPage(const std::string& page, const char* name, TradeStatistics& stats, CTxt& msg,
                       ReportHeader* header = nullptr);
