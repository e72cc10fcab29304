// The report loader: archive decoding in place, a light tag scanner over the decoded page, and the trades
// table read row by row into the trade statistics.
#include "execution/ReportLoader.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"

namespace {

const size_t npos = std::string::npos;

inline char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
inline bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (Lower(c) >= 'a' && Lower(c) <= 'f');
}
inline int HexValue(char c) {
  return c <= '9' ? c - '0' : Lower(c) - 'a' + 10;
}

// Whether the n characters at p equal word (lower case) ignoring case.
bool MatchNoCase(const char* p, const char* word, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (Lower(p[i]) != word[i]) return false;
  return true;
}

bool EqualNoCase(const char* p, size_t n, const char* word) {
  return strlen(word) == n && MatchNoCase(p, word, n);
}

// First position of marker (lower case) in s[from, end) ignoring case; npos when none.
size_t FindNoCaseIn(const std::string& s, size_t from, size_t end, const char* marker) {
  size_t n = strlen(marker);
  for (size_t i = from; i + n <= end; ++i)
    if (Lower(s[i]) == marker[0] && MatchNoCase(s.data() + i, marker, n)) return i;
  return npos;
}

// ---------------------------------------------------------------------------------------------------------
// Archive decoding
// ---------------------------------------------------------------------------------------------------------

struct MimeHeaders {
  std::string contentType;  // lower case
  std::string encoding;     // lower case
  std::string boundary;     // as written
  bool sawMime = false;
};

std::string LowerTrimmed(const std::string& s, size_t from, size_t to) {
  while (from < to && IsSpace(s[from])) ++from;
  while (to > from && IsSpace(s[to - 1])) --to;
  std::string out = s.substr(from, to - from);
  for (char& c : out) c = Lower(c);
  return out;
}

std::string BoundaryOf(const std::string& header, size_t from, size_t to) {
  size_t at = FindNoCaseIn(header, from, to, "boundary=");
  if (at == npos) return std::string();
  size_t p = at + 9;
  if (p < to && header[p] == '"') {
    size_t close = header.find('"', p + 1);
    if (close == npos || close > to) return std::string();
    return header.substr(p + 1, close - p - 1);
  }
  size_t e = p;
  while (e < to && header[e] != ';' && !IsSpace(header[e])) ++e;
  return header.substr(p, e - p);
}

// Reads the header lines from pos up to the empty line; returns the position of the body after it, or
// npos when the headers never end. Folded lines (starting with a blank) continue the previous header.
size_t ReadHeaders(const std::string& d, size_t pos, MimeHeaders& h) {
  size_t fieldStart = npos, fieldEnd = npos;
  auto takeField = [&]() {
    if (fieldStart == npos) return;
    size_t colon = d.find(':', fieldStart);
    if (colon == npos || colon > fieldEnd) return;
    std::string name = LowerTrimmed(d, fieldStart, colon);
    if (name == "content-type") {
      h.contentType = LowerTrimmed(d, colon + 1, fieldEnd);
      h.boundary = BoundaryOf(d, colon + 1, fieldEnd);
      h.sawMime = true;
    } else if (name == "content-transfer-encoding") {
      h.encoding = LowerTrimmed(d, colon + 1, fieldEnd);
    } else if (name == "mime-version") {
      h.sawMime = true;
    }
  };
  while (pos < d.size()) {
    size_t eol = d.find('\n', pos);
    size_t next = eol == npos ? d.size() : eol + 1;
    size_t end = eol == npos ? d.size() : eol;
    if (end > pos && d[end - 1] == '\r') --end;
    if (end == pos) {  // the empty line
      takeField();
      return next;
    }
    if (IsSpace(d[pos]) && fieldStart != npos) {
      fieldEnd = end;  // a folded continuation
    } else {
      takeField();
      fieldStart = pos;
      fieldEnd = end;
    }
    pos = next;
  }
  return npos;
}

// A delimiter line "--boundary" at the start of a line, from pos on; npos when none.
size_t FindDelimiter(const std::string& d, size_t pos, const std::string& delimiter) {
  for (;;) {
    size_t at = d.find(delimiter, pos);
    if (at == npos || at == 0 || d[at - 1] == '\n') return at;
    pos = at + 1;
  }
}

// Whether data begins with message headers (and not with the page itself).
bool StartsWithMimeHeaders(const std::string& d) {
  size_t p = 0;
  while (p < d.size() && IsSpace(d[p])) ++p;
  if (p >= d.size() || d[p] == '<') return false;
  MimeHeaders h;
  return ReadHeaders(d, p, h) != npos && h.sawMime;
}

void DecodeBody(std::string& data, const std::string& encoding) {
  if (encoding == "quoted-printable")
    DecodeQuotedPrintable(data);
  else if (encoding == "base64")
    DecodeBase64(data);
}

// Keeps only data[from, to) (memmove, no second buffer).
void KeepRange(std::string& data, size_t from, size_t to) {
  data.erase(to);
  data.erase(0, from);
}

}  // namespace

void DecodeQuotedPrintable(std::string& d) {
  size_t w = 0, n = d.size();
  for (size_t r = 0; r < n;) {
    char c = d[r];
    if (c == '=') {
      if (r + 1 < n && d[r + 1] == '\n') {  // soft line break
        r += 2;
        continue;
      }
      if (r + 2 < n && d[r + 1] == '\r' && d[r + 2] == '\n') {
        r += 3;
        continue;
      }
      if (r + 2 < n && IsHex(d[r + 1]) && IsHex(d[r + 2])) {
        d[w++] = static_cast<char>(HexValue(d[r + 1]) * 16 + HexValue(d[r + 2]));
        r += 3;
        continue;
      }
      if (r + 1 == n || (r + 2 == n && d[r + 1] == '\r')) break;  // a soft break at the very end
    }
    d[w++] = c;
    ++r;
  }
  d.resize(w);
}

void DecodeBase64(std::string& d) {
  auto value = [](char c) -> int {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
  };
  size_t w = 0;
  unsigned bits = 0;
  int count = 0;
  for (size_t r = 0; r < d.size(); ++r) {
    if (d[r] == '=') break;
    int v = value(d[r]);
    if (v < 0) continue;
    bits = (bits << 6) | static_cast<unsigned>(v);
    if (++count == 4) {
      d[w++] = static_cast<char>((bits >> 16) & 0xFF);
      d[w++] = static_cast<char>((bits >> 8) & 0xFF);
      d[w++] = static_cast<char>(bits & 0xFF);
      bits = 0;
      count = 0;
    }
  }
  if (count == 3) {
    d[w++] = static_cast<char>((bits >> 10) & 0xFF);
    d[w++] = static_cast<char>((bits >> 2) & 0xFF);
  } else if (count == 2) {
    d[w++] = static_cast<char>((bits >> 4) & 0xFF);
  }
  d.resize(w);
}

void DecodeReportArchive(std::string& data) {
  if (!StartsWithMimeHeaders(data)) return;
  size_t p = 0;
  while (IsSpace(data[p])) ++p;
  MimeHeaders top;
  size_t body = ReadHeaders(data, p, top);
  if (top.contentType.compare(0, 10, "multipart/") != 0 || top.boundary.empty()) {
    KeepRange(data, body, data.size());
    DecodeBody(data, top.encoding);
    return;
  }
  // The parts: the first text/html part is the page (the first part when none says so).
  const std::string delimiter = "--" + top.boundary;
  size_t chosenFrom = npos, chosenTo = npos;
  std::string chosenEncoding;
  for (size_t at = FindDelimiter(data, body, delimiter); at != npos;) {
    size_t after = at + delimiter.size();
    if (data.compare(after, 2, "--") == 0) break;  // the closing delimiter
    size_t lineEnd = data.find('\n', after);
    if (lineEnd == npos) break;
    MimeHeaders part;
    size_t partBody = ReadHeaders(data, lineEnd + 1, part);
    if (partBody == npos) break;
    size_t next = FindDelimiter(data, partBody, delimiter);
    size_t partEnd = next == npos ? data.size() : next;
    if (partEnd > partBody && data[partEnd - 1] == '\n') --partEnd;  // the line end before the delimiter
    if (partEnd > partBody && data[partEnd - 1] == '\r') --partEnd;
    bool html = part.contentType.compare(0, 9, "text/html") == 0;
    if (chosenFrom == npos || html) {
      chosenFrom = partBody;
      chosenTo = partEnd;
      chosenEncoding = part.encoding;
    }
    if (html) break;
    at = next;
  }
  if (chosenFrom == npos) {  // no parts at all: the body as it is
    KeepRange(data, body, data.size());
    return;
  }
  KeepRange(data, chosenFrom, chosenTo);
  DecodeBody(data, chosenEncoding);
}

int LoadReportPage(const char* path, std::string& page, CTxt& msg) {
  CTxt reason;
  if (ReadWholeFile(path, page, reason) != FileReadResult::kRead) {
    page.clear();
    msg.Format("Cannot open '%s'", path ? path : "");
    return -1;
  }
  DecodeReportArchive(page);
  return 0;
}

// ---------------------------------------------------------------------------------------------------------
// The page
// ---------------------------------------------------------------------------------------------------------

namespace {

// One tag of the page: s[start, end) is "<...>", the name s[nameFrom, nameTo), attributes up to attrTo.
struct Tag {
  size_t start = 0, end = 0, nameFrom = 0, nameTo = 0, attrTo = 0;
  bool closing = false;
};

class TagScanner {
 public:
  explicit TagScanner(const std::string& s, size_t from = 0) : m_s(s), m_pos(from) {}

  bool Next(Tag& t) {
    for (;;) {
      size_t lt = m_s.find('<', m_pos);
      if (lt == npos) return false;
      if (m_s.compare(lt, 4, "<!--") == 0) {  // comments may hold anything
        size_t close = m_s.find("-->", lt + 4);
        m_pos = close == npos ? m_s.size() : close + 3;
        continue;
      }
      t.start = lt;
      size_t p = lt + 1;
      t.closing = p < m_s.size() && m_s[p] == '/';
      if (t.closing) ++p;
      t.nameFrom = p;
      while (p < m_s.size() && !IsSpace(m_s[p]) && m_s[p] != '>' && m_s[p] != '/' && m_s[p] != '<') ++p;
      t.nameTo = p;
      size_t gt = TagEnd(p);
      t.attrTo = gt;
      t.end = gt < m_s.size() ? gt + 1 : gt;
      m_pos = t.end;
      return true;
    }
  }

  bool Is(const Tag& t, const char* name) const {
    return EqualNoCase(m_s.data() + t.nameFrom, t.nameTo - t.nameFrom, name);
  }

  // The value of attribute name (lower case) of t, quoted or not; false when absent.
  bool Attr(const Tag& t, const char* name, size_t& from, size_t& to) const {
    size_t p = t.nameTo;
    while (p < t.attrTo) {
      while (p < t.attrTo && (IsSpace(m_s[p]) || m_s[p] == '/')) ++p;
      size_t nameFrom = p;
      while (p < t.attrTo && !IsSpace(m_s[p]) && m_s[p] != '=') ++p;
      size_t nameTo = p;
      while (p < t.attrTo && IsSpace(m_s[p])) ++p;
      size_t vFrom = p, vTo = p;
      if (p < t.attrTo && m_s[p] == '=') {
        ++p;
        while (p < t.attrTo && IsSpace(m_s[p])) ++p;
        if (p < t.attrTo && (m_s[p] == '"' || m_s[p] == '\'')) {
          char q = m_s[p++];
          vFrom = p;
          while (p < t.attrTo && m_s[p] != q) ++p;
          vTo = p;
          if (p < t.attrTo) ++p;
        } else {
          vFrom = p;
          while (p < t.attrTo && !IsSpace(m_s[p])) ++p;
          vTo = p;
        }
      }
      if (nameTo > nameFrom && EqualNoCase(m_s.data() + nameFrom, nameTo - nameFrom, name)) {
        from = vFrom;
        to = vTo;
        return true;
      }
      if (p == nameFrom) ++p;  // never stall on a stray character
    }
    return false;
  }

  bool AttrIs(const Tag& t, const char* name, const char* value) const {
    size_t from = 0, to = 0;
    return Attr(t, name, from, to) && EqualNoCase(m_s.data() + from, to - from, value);
  }

  size_t Position() const { return m_pos; }

 private:
  // The '>' of a tag whose name ends at p: quotes after '=' are honoured unless they run into another tag.
  size_t TagEnd(size_t p) const {
    size_t gt = m_s.find('>', p);
    if (gt == npos) return m_s.size();
    if (memchr(m_s.data() + p, '=', gt - p) == nullptr) return gt;  // no attribute value: nothing quoted
    for (size_t q = p; q < m_s.size(); ++q) {
      char c = m_s[q];
      if (c == '>') return q;
      if (c == '<') return gt;
      if ((c == '"' || c == '\'') && q > p && m_s[q - 1] == '=') {
        // The closing quote must come before the next tag starts.
        size_t nextLt = m_s.find('<', q + 1);
        size_t limit = nextLt == npos ? m_s.size() : nextLt;
        const void* close = memchr(m_s.data() + q + 1, c, limit - q - 1);
        if (!close) return gt;
        q = static_cast<size_t>(static_cast<const char*>(close) - m_s.data());
      }
    }
    return gt;
  }

  const std::string& m_s;
  size_t m_pos;
};

// Cell text: "&nbsp;" and "&amp;" decoded, blanks at both ends removed, in place.
void CleanCell(std::string& s) {
  size_t w = 0;
  for (size_t r = 0; r < s.size();) {
    if (s[r] == '&' && s.compare(r, 6, "&nbsp;") == 0) {
      s[w++] = ' ';
      r += 6;
    } else if (s[r] == '&' && s.compare(r, 5, "&amp;") == 0) {
      s[w++] = '&';
      r += 5;
    } else {
      s[w++] = s[r++];
    }
  }
  s.resize(w);
  size_t a = 0;
  while (a < s.size() && IsSpace(s[a])) ++a;
  size_t b = s.size();
  while (b > a && IsSpace(s[b - 1])) --b;
  s.erase(b);
  s.erase(0, a);
}

// The text from after a tag up to the next tag, cleaned.
void TextAfter(const std::string& page, const Tag& t, CTxt& out) {
  size_t end = page.find('<', t.end);
  std::string text = page.substr(t.end, (end == npos ? page.size() : end) - t.end);
  CleanCell(text);
  out = text.c_str();
}

// "$1,234.56", "($1,234.56)", "-12.5", "100": the number, negative with parentheses or a minus sign.
double ParseAmount(const std::string& s) {
  char digits[64];
  size_t n = 0;
  bool negative = false;
  for (char c : s) {
    if (c == '(' || c == '-') negative = true;
    if (((c >= '0' && c <= '9') || c == '.') && n + 1 < sizeof(digits)) digits[n++] = c;
  }
  digits[n] = '\0';
  double v = n ? strtod(digits, nullptr) : 0;
  return negative ? -v : v;
}

// Whether a time cell can be a clock time ("09:35", "9:35:10 PM", "0935"): digits, ':', blanks and the
// letters of AM/PM only, no run of more than six digits. Anything else is no time, so that a damaged
// cell never reaches the time parser as a number it cannot hold.
bool IsClockText(const std::string& s) {
  int digits = 0;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      if (++digits > 6) return false;
      continue;
    }
    digits = 0;
    if (c != ':' && !IsSpace(c) && !strchr("AaPpMm", c)) return false;
  }
  return true;
}

std::string LowerCopy(const std::string& s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

// Where the trades table keeps its fields; the report's own header row can move them.
struct TradeColumns {
  int number = 0, type = 1, date = 2, time = 3, shares = 6, profit = 7, commission = 11;

  // Takes the positions from a header row; false when the row is no header of a trades list.
  bool FromHeader(const std::vector<std::string>& cells, int count) {
    TradeColumns c;
    c.number = c.type = c.date = c.time = c.shares = c.profit = c.commission = -1;
    for (int i = 0; i < count; ++i) {
      std::string h = LowerCopy(cells[static_cast<size_t>(i)]);
      if (h == "#" || h == "trade #" || h == "trade#")
        c.number = i;
      else if (h == "type")
        c.type = i;
      else if (h == "date" || h == "date/time")
        c.date = i;
      else if (h == "time")
        c.time = i;
      else if (h.compare(0, 6, "shares") == 0 || h.compare(0, 9, "contracts") == 0 || h == "ctrts")
        c.shares = i;
      else if (h == "profit/loss" || h == "net profit" || h == "p/l")
        c.profit = i;
      else if (h.compare(0, 4, "comm") == 0)
        c.commission = i;
    }
    if (c.type < 0 || c.date < 0 || c.profit < 0) return false;
    *this = c;
    return true;
  }
};

// One side of a trade as read from its row.
struct TradeRow {
  bool valid = false;  // a row was read (for the open entry: an entry is waiting for its exit)
  bool dated = false;  // its date and time could be read
  std::string number;
  int direction = 1;
  double profit = 0, shares = 0, commission = 0;
  CZELDateTime when;
  std::string dateText;
};

class TradesReader {
 public:
  TradesReader(const char* name, const CTxt& symbol, TradeStatistics& stats)
      : m_name(name), m_symbol(symbol), m_stats(stats) {}

  void Row(const std::vector<std::string>& cells, int count, bool headerCells) {
    if (count == 0) return;
    if (headerCells || !m_sawHeader) {
      if (m_columns.FromHeader(cells, count) || headerCells) {
        m_sawHeader = true;
        return;
      }
      m_sawHeader = true;  // no header row: the standard layout
    }
    std::string type = LowerCopy(Cell(cells, count, m_columns.type));
    std::string number = Cell(cells, count, m_columns.number);
    bool exitType =
        type == "sell" || type.compare(0, 12, "buy to cover") == 0 || type.compare(0, 4, "exit") == 0;
    if (m_open.valid && (number.empty() || exitType)) {
      TradeRow exit = Read(cells, count, type);
      CloseTrade(exit);
    } else if (!number.empty() || !type.empty()) {
      if (m_open.valid) SkipOpen();
      m_open = Read(cells, count, type);
    }
  }

  void End() {
    if (m_open.valid) SkipOpen();
  }

  int Trades() const { return m_trades; }

 private:
  static const std::string& Cell(const std::vector<std::string>& cells, int count, int index) {
    static const std::string empty;
    return index >= 0 && index < count ? cells[static_cast<size_t>(index)] : empty;
  }

  TradeRow Read(const std::vector<std::string>& cells, int count, const std::string& type) {
    TradeRow r;
    r.number = Cell(cells, count, m_columns.number);
    r.direction = (type.find("short") != npos || type == "sell") ? -1 : 1;
    r.profit = ParseAmount(Cell(cells, count, m_columns.profit));
    r.shares = ParseAmount(Cell(cells, count, m_columns.shares));
    r.commission = ParseAmount(Cell(cells, count, m_columns.commission));
    std::string date = Cell(cells, count, m_columns.date);
    std::string time = Cell(cells, count, m_columns.time);
    size_t blank = date.find(' ');
    if (blank != npos) {  // date and time in one cell
      time = date.substr(blank + 1);
      date.erase(blank);
    }
    r.dateText = date + " " + time;
    int ymd = CZELDateTime::ParseDate(date.c_str());
    int hms = time.empty() ? 0 : IsClockText(time) ? CZELDateTime::ParseTime(time.c_str()) : -1;
    // A number is taken as a date without a calendar check ("20121345"): a day the calendar does not
    // have makes the row undated.
    r.dated = ymd > 0 && hms >= 0 && r.when.SetDT(ymd, hms) == 0 && r.when.IsValid();
    r.valid = true;
    return r;
  }

  void CloseTrade(const TradeRow& exit) {
    const TradeRow entry = m_open;
    m_open = TradeRow();
    if (!entry.dated || !exit.dated) {
      LogTrace("ZELTRD", 0, "Skipping trade #%s of %s: unreadable date '%s' / '%s'", entry.number.c_str(),
               m_name, entry.dateText.c_str(), exit.dateText.c_str());
      return;
    }
    double commission = entry.commission + exit.commission;
    if (!(std::fabs(entry.profit) <= FLT_MAX && std::fabs(commission) <= FLT_MAX)) {
      // A trade holds its amounts as float: a damaged cell with a run of digits would otherwise enter the
      // statistics as an infinite profit.
      LogTrace("ZELTRD", 0, "Skipping trade #%s of %s: amount out of range", entry.number.c_str(), m_name);
      return;
    }
    Trade t;
    t.direction = entry.direction;
    t.profit = static_cast<float>(entry.profit);
    t.commission = static_cast<float>(commission);
    t.entry = entry.when;
    t.exit = exit.when;
    m_stats.AddTrade(t);
    ++m_trades;
  }

  void SkipOpen() {
    LogTrace("ZELTRD", 0, "Skipping open position %s from %08d, %.0f Shares",
             static_cast<const char*>(m_symbol), m_open.when.GetDate(-2), m_open.shares);
    m_open = TradeRow();
  }

  const char* m_name;
  const CTxt& m_symbol;
  TradeStatistics& m_stats;
  TradeColumns m_columns;
  bool m_sawHeader = false;
  TradeRow m_open;
  int m_trades = 0;
};

// The header items up to the trades table; returns the position after the table's start tag, or npos.
size_t ReadHeaderItems(const std::string& page, ReportHeader& h) {
  TagScanner scan(page);
  Tag t;
  bool title = false, info = false, symbol = false;
  while (scan.Next(t)) {
    if (t.closing) continue;
    if (!title && scan.Is(t, "title")) {
      TextAfter(page, t, h.title);
      title = true;
    } else if (!info && scan.AttrIs(t, "class", "headerinfo")) {
      TextAfter(page, t, h.headerInfo);
      info = true;
    } else if (!symbol && scan.Is(t, "td") && scan.AttrIs(t, "id", "symbol")) {
      TextAfter(page, t, h.symbol);
      symbol = true;
    } else if (scan.Is(t, "table") && scan.AttrIs(t, "class", "tradestable")) {
      return t.end;
    }
  }
  return npos;
}

// Reads the rows of the trades table from tableStart up to its end tag or the first section after it.
void ReadTradeRows(const std::string& page, size_t tableStart, TradesReader& reader) {
  size_t limit = page.size();
  for (const char* marker : {"annual trading summary", "equity curve"}) {
    size_t at = FindNoCaseIn(page, tableStart, limit, marker);
    if (at != npos) limit = at;
  }
  TagScanner scan(page, tableStart);
  Tag t;
  std::vector<std::string> cells;  // reused row after row: no allocation once they have grown
  int count = 0, cell = -1, nested = 0;
  bool inRow = false, headerCells = false;
  size_t textFrom = tableStart;
  auto finishRow = [&]() {
    if (!inRow) return;
    for (int i = 0; i < count; ++i) CleanCell(cells[static_cast<size_t>(i)]);
    reader.Row(cells, count, headerCells);
    inRow = false;
    cell = -1;
  };
  while (scan.Next(t) && t.start < limit) {
    if (cell >= 0) cells[static_cast<size_t>(cell)].append(page, textFrom, t.start - textFrom);
    textFrom = t.end;
    if (scan.Is(t, "table")) {
      if (!t.closing) {
        ++nested;
      } else if (nested-- == 0) {
        break;
      }
    } else if (scan.Is(t, "tr")) {
      finishRow();
      if (!t.closing) {
        inRow = true;
        count = 0;
        headerCells = false;
      }
    } else if (scan.Is(t, "td") || scan.Is(t, "th")) {
      if (t.closing) {
        cell = -1;
      } else if (inRow) {
        cell = count++;
        if (cells.size() < static_cast<size_t>(count)) cells.emplace_back();
        cells[static_cast<size_t>(cell)].clear();
        if (scan.Is(t, "th")) headerCells = true;
      }
    }
  }
  finishRow();
  reader.End();
}

}  // namespace

int LoadTradesFromPage(const std::string& page, const char* name, TradeStatistics& stats, CTxt& msg,
                       ReportHeader* header) {
  stats.Reset(stats.GetCapital());
  ReportHeader local;
  ReportHeader& h = header ? *header : local;
  size_t tableStart = ReadHeaderItems(page, h);
  if (tableStart == npos) {
    msg.Format("Trade List was missing in MHT Archive file:\r\n%s\r\n(Save Trade List in MHT archive file)",
               name);
    stats.Finish();
    return -2;
  }
  TradesReader reader(name, h.symbol, stats);
  ReadTradeRows(page, tableStart, reader);
  stats.Finish();
  return reader.Trades();
}

int LoadTradeReport(const char* path, TradeStatistics& stats, CTxt& msg, ReportHeader* header) {
  int64_t bytes = path ? FileSizeOf(path) : -1;
  if (bytes >= 0)
    LogTrace("ZELTRD", 0, "Loading %s (%.1fMB) ...", path, static_cast<double>(bytes) / (1024.0 * 1024.0));
  std::string page;
  if (LoadReportPage(path, page, msg) < 0) return -1;
  int trades = LoadTradesFromPage(page, path, stats, msg, header);
  if (trades >= 0) Settings::WriteString("Yieldra", "CurrFile", path);
  return trades;
}
