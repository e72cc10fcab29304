// CTxt and the free text functions: the portable part (the operating-system services are in Txt_platform.h).
#include "foundation/Txt.h"

#include <errno.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/Txt_platform.h"

namespace {

// Character classes of the classic locale applied to the signed char value: bytes of 128 and above are
// negative and belong to no class. Written out so that no <cctype> call ever sees a negative value.
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
inline bool IsLower(char c) {
  return c >= 'a' && c <= 'z';
}
inline bool IsUpper(char c) {
  return c >= 'A' && c <= 'Z';
}
inline bool IsAlpha(char c) {
  return IsLower(c) || IsUpper(c);
}
inline bool IsAlnum(char c) {
  return IsAlpha(c) || IsDigit(c);
}
inline bool IsPrint(char c) {
  return c >= 32 && c <= 126;
}
inline char ToUpper(char c) {
  return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char ToLower(char c) {
  return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool InList(char c, const char* list) {
  return FindCharInList(c, list) >= 0;
}

const char kHexDigits[] = "0123456789ABCDEF";

char* Allocate(int bytes) {
  char* p = static_cast<char*>(malloc(static_cast<size_t>(bytes)));
  if (!p) throw std::bad_alloc();
  return p;
}

int Length(const char* s) {
  return s ? static_cast<int>(strlen(s)) : 0;
}

std::string VFormat(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n < 0) return std::string();
  std::string out(static_cast<size_t>(n) + 1, '\0');
  vsnprintf(&out[0], out.size(), fmt, args);
  out.resize(static_cast<size_t>(n));
  return out;
}

std::string StdFormat(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(1, 2);
std::string StdFormat(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string out = VFormat(fmt, args);
  va_end(args);
  return out;
}

// The path splitter, portable and with _splitpath's rules: a drive is the first two characters when the
// second is ':'; the directory runs to the last '/' or '\' inclusive; the extension starts at the last '.'
// of the rest and keeps the dot.
struct PathParts {
  std::string drive, dir, base, ext;
};

PathParts SplitPath(const char* path) {
  PathParts parts;
  if (!path) return parts;
  const char* p = path;
  if (p[0] && p[1] == ':') {
    parts.drive.assign(p, 2);
    p += 2;
  }
  const char* lastSep = nullptr;
  for (const char* q = p; *q; ++q)
    if (*q == '/' || *q == '\\') lastSep = q;
  if (lastSep) {
    parts.dir.assign(p, static_cast<size_t>(lastSep - p + 1));
    p = lastSep + 1;
  }
  const char* dot = strrchr(p, '.');
  if (dot) {
    parts.base.assign(p, static_cast<size_t>(dot - p));
    parts.ext = dot;
  } else {
    parts.base = p;
  }
  return parts;
}

std::string PathPart(const PathParts& parts, int part) {
  switch (part) {
    case 0:
      return parts.drive;
    case 1:
      return parts.dir;
    case 2:
      return parts.base;
    case 3:
      return parts.ext.empty() ? std::string() : parts.ext.substr(1);
    case 4:
      return parts.drive + parts.dir;
    case 5:
      return parts.base + parts.ext;
    case 6:
      return parts.drive + parts.dir + parts.base;
    case 7:
      return parts.drive + parts.dir + parts.base + parts.ext;
    default:
      return std::string();
  }
}

std::string OpenFailure(const char* path, int error) {
  return StdFormat("Cannot open '%s' (%s)", path ? path : "", strerror(error));
}

void PutLittleEndian32(unsigned char* p, unsigned v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
unsigned GetLittleEndian32(const unsigned char* p) {
  return static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 | static_cast<unsigned>(p[2]) << 16 |
         static_cast<unsigned>(p[3]) << 24;
}

// Field layout shared by CountFields and strfld: where each field starts and ends (end exclusive).
struct FieldSpan {
  int start, end;
};
const int kMaxDelimiters = 10000;

// Calls visit(number, span) for each of the count fields CountFields gave, in order (numbers from 1), until
// it returns false; after maxDelimiters delimiters the last field visited holds the rest of the text.
template <class Visit>
void VisitFields(const char* text, char delim, int count, int maxDelimiters, Visit visit) {
  if (count == 0) return;
  int i = 0;
  if (delim == ' ')
    while (text[i] == ' ') ++i;
  int start = i, delimiters = 0, visited = 0;
  while (text[i] && visited + 1 < count) {
    if (text[i] == delim && delimiters < maxDelimiters) {
      if (!visit(++visited, FieldSpan{start, i})) return;
      ++delimiters;
      if (delim == ' ')
        while (text[i + 1] == ' ') ++i;
      start = i + 1;
    }
    ++i;
  }
  // The last counted field runs to the next delimiter or the end of the text.
  int end = start;
  while (text[end] && !(text[end] == delim && delimiters < maxDelimiters)) ++end;
  visit(visited + 1, FieldSpan{start, end});
}

std::vector<FieldSpan> SplitFields(const char* text, char delim, int maxDelimiters) {
  std::vector<FieldSpan> fields;
  VisitFields(text, delim, CountFields(text, delim), maxDelimiters, [&fields](int, FieldSpan span) {
    fields.push_back(span);
    return true;
  });
  return fields;
}

// The number of fields strfld sees: every field CountFields counts up to the one that holds the rest.
int FieldCount(const char* text, char delim) {
  return std::min(CountFields(text, delim), kMaxDelimiters + 1);
}

// The characters strfld copies: from the start of field first to the end of field last (counted from 1,
// first <= last <= count, count as FieldCount gave it); no list of the fields is built.
FieldSpan FieldRange(const char* text, char delim, int count, int first, int last) {
  FieldSpan range{0, 0};
  VisitFields(text, delim, count, kMaxDelimiters, [&](int number, FieldSpan span) {
    if (number == first) range.start = span.start;
    range.end = span.end;
    return number < last;
  });
  return range;
}

}  // namespace

// --- Construction, assignment, content -------------------------------------------------------------------

CTxt::CTxt() = default;

CTxt::CTxt(const char* text) {
  if (text) Assign(text, Length(text));
}

CTxt::CTxt(const CTxt& other) {
  if (other.m_data) Assign(other.m_data, other.m_length);
}

CTxt::CTxt(CTxt&& other) noexcept
    : m_data(other.m_data), m_length(other.m_length), m_capacity(other.m_capacity) {
  other.Reset();
}

CTxt::~CTxt() {
  free(m_data);
}

CTxt& CTxt::operator=(const CTxt& other) {
  if (other.m_data && other.m_data != m_data) Assign(other.m_data, other.m_length);
  return *this;
}

CTxt& CTxt::operator=(CTxt&& other) noexcept {
  if (this != &other) {
    free(m_data);
    m_data = other.m_data;
    m_length = other.m_length;
    m_capacity = other.m_capacity;
    other.Reset();
  }
  return *this;
}

CTxt& CTxt::operator=(const char* text) {
  SetTxt(text);
  return *this;
}

int CTxt::SetTxt(const char* text) {
  if (!text)
    Empty();
  else
    Assign(text, Length(text));
  return m_length;
}

void CTxt::Assign(const char* text, int n) {
  if (!m_data || m_capacity < n + 2) {
    char* buffer = Allocate(n + 2);
    if (n > 0) memcpy(buffer, text, static_cast<size_t>(n));  // text may lie in the old buffer
    free(m_data);
    m_data = buffer;
    m_capacity = n + 2;
  } else if (n > 0) {
    memmove(m_data, text, static_cast<size_t>(n));
  }
  m_length = n;
  m_data[n] = '\0';
}

void CTxt::TakeOwnership(char* buffer, int length, int capacity) {
  free(m_data);
  m_data = buffer;
  m_length = length;
  m_capacity = capacity;
}

bool CTxt::Reserve(int bytes) {
  if (m_data && m_capacity >= bytes) return false;
  char* buffer = Allocate(bytes);
  if (m_data)
    memcpy(buffer, m_data, static_cast<size_t>(m_length) + 1);
  else
    buffer[0] = '\0';
  free(m_data);
  m_data = buffer;
  m_capacity = bytes;
  return true;
}

int CTxt::operator+=(const char* text) {
  return AddTxt(text);
}

int CTxt::AddTxt(const char* text) {
  int k = Length(text);
  if (!text) return m_length;
  if (!m_data || m_capacity < m_length + k + 2) {
    char* buffer = Allocate(m_length + k + 2);
    if (m_length > 0) memcpy(buffer, m_data, static_cast<size_t>(m_length));
    memcpy(buffer + m_length, text, static_cast<size_t>(k));  // before the old buffer (maybe text) goes
    free(m_data);
    m_data = buffer;
    m_capacity = m_length + k + 2;
  } else {
    memmove(m_data + m_length, text, static_cast<size_t>(k));
  }
  m_length += k;
  m_data[m_length] = '\0';
  return m_length;
}

int CTxt::Add(char c) {
  if (!m_data || m_capacity < m_length + 3) {
    char* buffer = Allocate(m_length + 3);
    if (m_length > 0) memcpy(buffer, m_data, static_cast<size_t>(m_length));
    TakeOwnership(buffer, m_length, m_length + 3);
  }
  m_data[m_length++] = c;
  m_data[m_length] = '\0';
  return m_length;
}

int CTxt::InsertAt(int pos, const char* text) {
  if (!text || !*text) return m_length;
  if (pos < 0) pos = 0;
  if (pos >= m_length) return AddTxt(text);
  std::string result(m_data, static_cast<size_t>(pos));
  result += text;
  result.append(m_data + pos, static_cast<size_t>(m_length - pos));
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::InsertAt(int pos, char c) {
  char text[2] = {c, '\0'};
  return InsertAt(pos, text);
}

void CTxt::Reset() {
  m_data = nullptr;
  m_length = 0;
  m_capacity = 0;
}

void CTxt::Empty() {
  free(m_data);
  Reset();
}

void CTxt::ReleaseBuffer() {
  Empty();
}

void CTxt::MakeEmpty() {
  if (!m_data) {
    m_data = Allocate(2);
    m_capacity = 2;
  }
  m_length = 0;
  m_data[0] = '\0';
}

int CTxt::SetTxtFixLen(const char* text, int n) {
  if (n < 0) n = 0;
  std::string result(static_cast<size_t>(n), ' ');
  for (int i = 0; text && i < n && text[i]; ++i) result[static_cast<size_t>(i)] = text[i];
  while (!result.empty() && result.back() == ' ') result.pop_back();
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::FillChar(char c, int n) {
  if (n < 1) n = 1;
  std::string result(static_cast<size_t>(n), c);
  Assign(result.data(), n);
  return m_length;
}

int CTxt::MakeLength(int n) {
  if (n < 0) n = 0;
  if (m_length > n) {
    m_length = n;
    m_data[n] = '\0';
  }
  return m_length;
}

int CTxt::MakeFixedLength(int n) {
  if (n < 0) n = 0;
  if (m_length > n) return MakeLength(n);
  if (m_length < n || !m_data) {
    int old = m_length;
    Reserve(n + 2);
    memset(m_data + old, ' ', static_cast<size_t>(n - old));
    m_length = n;
    m_data[n] = '\0';
  }
  return m_length;
}

int CTxt::MakeUpper() {
  for (int i = 0; i < m_length; ++i) m_data[i] = ToUpper(m_data[i]);
  return m_length;
}

int CTxt::MakeLower() {
  for (int i = 0; i < m_length; ++i) m_data[i] = ToLower(m_data[i]);
  return m_length;
}

int CTxt::Format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = FormatV(fmt, args);
  va_end(args);
  return n;
}

int CTxt::FormatV(const char* fmt, va_list args) {
  if (!fmt) {
    MakeEmpty();
    return 0;
  }
  // Formatted into a separate buffer first: the arguments may point into this object's text.
  std::string result = VFormat(fmt, args);
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::Format(unsigned id, ...) {
  std::string fmt;
  txt_platform::LoadResourceString(id, fmt);
  va_list args;
  va_start(args, id);
  int n = FormatV(fmt.c_str(), args);
  va_end(args);
  return n;
}

int CTxt::FormatMessageA(unsigned id, ...) {
  std::string fmt;
  txt_platform::LoadResourceString(id, fmt);
  va_list args;
  va_start(args, id);
  int n = FormatMessageV(fmt.c_str(), args);
  va_end(args);
  return n;
}

int CTxt::FormatMessageA(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = FormatMessageV(fmt, args);
  va_end(args);
  return n;
}

namespace {

// One %n insert of a FormatMessage format: its argument number and printf conversion ("s" by default).
struct InsertSpec {
  int number = 0;
  std::string conversion = "s";
};

enum class InsertType { kString, kInt, kLong, kLongLong, kDouble, kPointer };

InsertType TypeOfConversion(const std::string& spec) {
  char conv = spec.empty() ? 's' : spec.back();
  bool longLong = spec.find("ll") != std::string::npos || spec.find("I64") != std::string::npos;
  bool isLong = !longLong && spec.find('l') != std::string::npos;
  switch (conv) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
    case 'c':
      return longLong ? InsertType::kLongLong : isLong ? InsertType::kLong : InsertType::kInt;
    case 'e':
    case 'E':
    case 'f':
    case 'F':
    case 'g':
    case 'G':
    case 'a':
    case 'A':
      return InsertType::kDouble;
    case 'p':
      return InsertType::kPointer;
    default:
      return InsertType::kString;
  }
}

// Reads "%n" or "%n!spec!" at fmt[i] (fmt[i] is the first digit); advances i past it.
InsertSpec ParseInsert(const char* fmt, int& i) {
  InsertSpec spec;
  spec.number = fmt[i++] - '0';
  if (IsDigit(fmt[i])) spec.number = spec.number * 10 + (fmt[i++] - '0');
  if (fmt[i] == '!') {
    const char* close = strchr(fmt + i + 1, '!');
    if (close) {
      spec.conversion.assign(fmt + i + 1, static_cast<size_t>(close - fmt - i - 1));
      i = static_cast<int>(close - fmt) + 1;
    }
  }
  return spec;
}

struct InsertValue {
  InsertType type = InsertType::kString;
  const char* s = nullptr;
  long long i = 0;
  double d = 0;
  void* p = nullptr;
};

std::string FormatInsert(const InsertSpec& spec, const InsertValue& value) {
  std::string conversion = spec.conversion;
  size_t i64 = conversion.find("I64");
  if (i64 != std::string::npos) conversion.replace(i64, 3, "ll");
  std::string fmt = "%" + conversion;
  switch (value.type) {
    case InsertType::kString:
      return StdFormat(fmt.c_str(), value.s ? value.s : "");
    case InsertType::kInt:
      return StdFormat(fmt.c_str(), static_cast<int>(value.i));
    case InsertType::kLong:
      return StdFormat(fmt.c_str(), static_cast<long>(value.i));
    case InsertType::kLongLong:
      return StdFormat(fmt.c_str(), value.i);
    case InsertType::kDouble:
      return StdFormat(fmt.c_str(), value.d);
    case InsertType::kPointer:
      return StdFormat(fmt.c_str(), value.p);
  }
  return std::string();
}

}  // namespace

int CTxt::FormatMessageV(const char* fmt, va_list args) {
  if (!fmt) {
    MakeEmpty();
    return 0;
  }
  // First pass: the type of every argument, so they can be read from the va_list in order.
  std::vector<InsertType> types;
  for (int i = 0; fmt[i];) {
    if (fmt[i] == '%' && fmt[i + 1] >= '1' && fmt[i + 1] <= '9') {
      ++i;
      InsertSpec spec = ParseInsert(fmt, i);
      if (static_cast<int>(types.size()) < spec.number) types.resize(static_cast<size_t>(spec.number));
      types[static_cast<size_t>(spec.number - 1)] = TypeOfConversion(spec.conversion);
    } else {
      i += (fmt[i] == '%' && fmt[i + 1]) ? 2 : 1;
    }
  }
  std::vector<InsertValue> values(types.size());
  va_list copy;
  va_copy(copy, args);
  for (size_t k = 0; k < types.size(); ++k) {
    values[k].type = types[k];
    switch (types[k]) {
      case InsertType::kString:
        values[k].s = va_arg(copy, const char*);
        break;
      case InsertType::kInt:
        values[k].i = va_arg(copy, int);
        break;
      case InsertType::kLong:
        values[k].i = va_arg(copy, long);
        break;
      case InsertType::kLongLong:
        values[k].i = va_arg(copy, long long);
        break;
      case InsertType::kDouble:
        values[k].d = va_arg(copy, double);
        break;
      case InsertType::kPointer:
        values[k].p = va_arg(copy, void*);
        break;
    }
  }
  va_end(copy);

  std::string result;
  for (int i = 0; fmt[i];) {
    char c = fmt[i];
    if (c != '%') {
      result += c;
      ++i;
      continue;
    }
    char next = fmt[i + 1];
    if (next >= '1' && next <= '9') {
      ++i;
      InsertSpec spec = ParseInsert(fmt, i);
      result += FormatInsert(spec, values[static_cast<size_t>(spec.number - 1)]);
    } else if (next == '0') {
      break;  // %0 ends the message
    } else if (next == 'n') {
      result += "\r\n";
      i += 2;
    } else if (next == '\0') {
      result += '%';
      ++i;
    } else {
      result += next;  // %% %. %! "% " give the character itself
      i += 2;
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::GetSysErrMsg() {
  std::string text = txt_platform::LastErrorText();
  if (text.size() > 1000) text.resize(1000);
  Assign(text.data(), static_cast<int>(text.size()));
  return m_length;
}

// --- Access and search -------------------------------------------------------------------------------------

CTxt::operator const char*() {
  if (!m_data) MakeEmpty();
  return m_data;
}

CTxt::operator const char*() const {
  return m_data ? m_data : "";
}

std::string CTxt::ToStd() const {
  return m_data ? std::string(m_data) : std::string();
}

int CTxt::FindChar(char c) const {
  if (IsEmpty()) return -1;
  for (int i = 0; i < m_length; ++i)
    if (m_data[i] == c) return i;
  return -2;
}

int CTxt::FindCharList(const char* list) const {
  if (IsEmpty()) return -1;
  for (int i = 0; i < m_length; ++i)
    if (InList(m_data[i], list)) return i;
  return -2;
}

int CTxt::FindTextA(const char* text) const {
  if (IsEmpty()) return -1;
  return FindNoCase(m_data, text);
}

int CTxt::FindStringArray(const std::vector<std::string>& array, const char* text) {
  if (!text) return -1;
  for (size_t i = 0; i < array.size(); ++i)
    if (CompareNoCase(array[i].c_str(), text, 1) == 0) return static_cast<int>(i);
  return -1;
}

// --- Editing
// -------------------------------------------------------------------------------------------------

int CTxt::Replace(char a, char b) {
  int count = 0;
  for (int i = 0; i < m_length; ++i)
    if (m_data[i] == a) {
      m_data[i] = b;
      ++count;
    }
  return count;
}

int CTxt::ReplaceInText(const char* find, const char* repl) {
  if (IsEmpty()) return -1;
  int findLength = Length(find);
  if (findLength == 0) return m_length;
  std::string replacement = repl ? repl : "";  // repl may lie in this object's text
  std::string result;
  result.reserve(static_cast<size_t>(m_length) + 1000);
  int i = 0;
  while (i < m_length) {
    if (CompareNoCase(find, m_data + i, 2) == 0) {
      result += replacement;
      i += findLength;
    } else {
      result += m_data[i++];
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::RemoveFromText(const char* text) {
  return ReplaceInText(text, nullptr);
}

int CTxt::RemoveChar(char c) {
  if (IsEmpty()) return -1;
  int out = 0;
  for (int i = 0; i < m_length; ++i)
    if (m_data[i] != c) m_data[out++] = m_data[i];
  m_length = out;
  m_data[out] = '\0';
  return m_length;
}

int CTxt::RemoveCharList(const char* list) {
  if (IsEmpty()) return -1;
  int out = 0;
  for (int i = 0; i < m_length; ++i)
    if (!InList(m_data[i], list)) m_data[out++] = m_data[i];
  m_length = out;
  m_data[out] = '\0';
  return m_length;
}

int CTxt::ExtractChar(const char* list) {
  if (IsEmpty()) return -1;
  int out = 0;
  for (int i = 0; i < m_length; ++i)
    if (InList(m_data[i], list)) m_data[out++] = m_data[i];
  m_length = out;
  m_data[out] = '\0';
  return m_length;
}

int CTxt::RemoveRange(int start, int count) {
  if (start < 0) return -1;
  if (start >= m_length) return -2;
  if (count < 1) return -3;
  if (count > m_length - start) count = m_length - start;
  memmove(m_data + start, m_data + start + count, static_cast<size_t>(m_length - start - count) + 1);
  m_length -= count;
  return m_length;
}

int CTxt::ExtractRange(int from, int to) {
  if (IsEmpty()) return -1;
  if (from < 1) from = 1;
  if (from > m_length) return -2;
  if (to > m_length) return -3;
  if (from > to) return -4;
  int n = to - from + 1;
  memmove(m_data, m_data + from - 1, static_cast<size_t>(n));
  m_length = n;
  m_data[n] = '\0';
  return m_length;
}

int CTxt::Trim(char c) {
  if (IsEmpty()) return 0;
  TrimRight(c);
  int start = 0;
  while (start < m_length && m_data[start] == c) ++start;
  if (start > 0) {
    memmove(m_data, m_data + start, static_cast<size_t>(m_length - start) + 1);
    m_length -= start;
  }
  return m_length;
}

int CTxt::TrimRight(char c) {
  int removed = 0;
  while (m_length > 0 && m_data[m_length - 1] == c) {
    m_data[--m_length] = '\0';
    ++removed;
  }
  return removed;
}

int CTxt::TrimNum(int withParens) {
  if (!m_data) return 0;
  int out = 0;
  const char* allowed = withParens ? "0123456789.E+-()" : "0123456789.E+-";
  for (int i = 0; i < m_length; ++i)
    if (InList(m_data[i], allowed)) m_data[out++] = m_data[i];
  m_length = out;
  m_data[out] = '\0';
  return m_length;
}

int CTxt::GetField(const char* src, char delim, int trimBlanks) {
  int n = 0;
  if (src)
    while (src[n] && (delim == '\0' || src[n] != delim)) ++n;
  if (trimBlanks == 1)
    while (n > 0 && src[n - 1] == ' ') --n;
  if (n > 0) {
    Assign(src, n);
  } else if (m_data) {
    m_length = 0;
    m_data[0] = '\0';
  }
  return m_length;
}

namespace {

// The masking rule of MaskNonFilename and MaskNonVar: the characters for which allowed() holds stay.
template <typename Allowed>
int Mask(char* data, int length, int replace, Allowed allowed) {
  if (length < 1) return -1;
  int first = -1;
  for (int i = 0; i < length; ++i) {
    if (allowed(data[i])) continue;
    if (!replace) return static_cast<unsigned char>(data[i]);
    if (first < 0) first = i;
    data[i] = '_';
  }
  return replace ? first : 0;
}

}  // namespace

int CTxt::MaskNonFilename(int replace, const char* extra) {
  return Mask(m_data, m_length, replace,
              [extra](char c) { return IsAlnum(c) || InList(c, "~_+-#$(){}[]") || InList(c, extra); });
}

int CTxt::MaskNonVar(int replace, const char* extra) {
  return Mask(m_data, m_length, replace,
              [extra](char c) { return IsAlnum(c) || c == '_' || InList(c, extra); });
}

int CTxt::MaskNonPrintable() {
  int count = 0;
  for (int i = 0; i < m_length; ++i)
    if (static_cast<signed char>(m_data[i]) < 32 || m_data[i] == 127) {
      m_data[i] = '+';
      ++count;
    }
  return count;
}

// --- Conversions, numbers and hexadecimal
// -------------------------------------------------------------------

int CTxt::InsertCR() {
  if (IsEmpty()) return m_length;
  std::string result;
  result.reserve(static_cast<size_t>(m_length) * 2);
  for (int i = 0; i < m_length; ++i) {
    if (m_data[i] == '\n' && (i == 0 || m_data[i - 1] != '\r')) result += '\r';
    result += m_data[i];
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::ConvCRLF(int decode) {
  if (IsEmpty()) return m_length;
  std::string result;
  for (int i = 0; i < m_length; ++i) {
    char c = m_data[i];
    if (!decode) {
      if (c == '\r')
        result += "\\r";
      else if (c == '\n')
        result += "\\n";
      else if (c == '\t')
        result += "\\t";
      else
        result += c;
    } else if (c != '\\') {
      result += c;
    } else if (i + 1 < m_length) {
      char next = m_data[++i];
      if (next == 'n')
        result += '\n';
      else if (next == 'r')
        result += '\r';
      else if (next == 't')
        result += '\t';
      // any other escaped character is dropped with its backslash
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::ConvTxt2XML() {
  if (IsEmpty()) return m_length;
  std::string result;
  result.reserve(static_cast<size_t>(m_length) * 10 + 1);
  for (int i = 0; i < m_length; ++i) {
    char c = m_data[i];
    switch (c) {
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '&':
        result += "&amp;";
        break;
      case '\'':
        result += "&apos;";
        break;
      case '"':
        result += "&quot;";
        break;
      default:
        if (static_cast<signed char>(c) < 32 || c == 127) {
          unsigned char u = static_cast<unsigned char>(c);
          result += "&#x";
          result += kHexDigits[u >> 4];
          result += kHexDigits[u & 15];
          result += ';';
        } else {
          result += c;
        }
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::ConvXML2Txt() {
  return 0;
}

int CTxt::ConvHTM2TXT() {
  if (IsEmpty()) return m_length;
  std::string result;
  int i = 0;
  while (i < m_length) {
    char c = m_data[i];
    if (c == '&' && CompareNoCase("&nbsp;", m_data + i, 2) == 0) {
      result += ' ';
      i += 6;
    } else if (c == '&' && CompareNoCase("&amp;", m_data + i, 2) == 0) {
      result += '&';
      i += 5;
    } else if (c == '\\') {
      if (i + 1 < m_length) result += m_data[i + 1];
      i += 2;
    } else if (c == '+') {
      result += ' ';
      ++i;
    } else if (c == '%' && i + 1 < m_length && m_data[i + 1] == '%') {
      result += '%';
      i += 2;
    } else if (c == '%' && i + 2 < m_length) {
      char pair[3] = {m_data[i + 1], m_data[i + 2], '\0'};
      result += static_cast<char>(HexToInt(pair));
      i += 3;
    } else {
      result += c;  // includes a '%' with fewer than two characters after it
      ++i;
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::ConvHex(int toHex) {
  if (IsEmpty()) return -1;
  std::string result;
  if (toHex) {
    result.reserve(static_cast<size_t>(m_length) * 2);
    for (int i = 0; i < m_length; ++i) {
      unsigned char u = static_cast<unsigned char>(m_data[i]);
      result += kHexDigits[u >> 4];
      result += kHexDigits[u & 15];
    }
  } else {
    // A trailing single digit has no partner and is ignored.
    for (int i = 0; i + 1 < m_length; i += 2) {
      char pair[3] = {m_data[i], m_data[i + 1], '\0'};
      result += static_cast<char>(HexToInt(pair));
    }
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::ConvProt(int direction, int key) {
  long long k = key < 1 ? 1 : key;
  for (int i = 0; i < m_length; ++i) {
    char c = m_data[i];
    if (!IsPrint(c)) continue;
    long long s = k + i;
    bool plus = (i % 2 == 0) == (direction != 0);
    if (!plus) s = -s;
    long long r = c + s % 95;  // C++ remainder takes the sign of s
    if (r < 32) r += 95;
    if (r > 126) r -= 95;
    m_data[i] = static_cast<char>(r);
  }
  return m_length;
}

int CTxt::MakeValueTxt(double v, int decimals) {
  if (decimals < 0) decimals = 0;
  std::string text = StdFormat("%.*f", decimals, v);
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  size_t start = text.find_first_not_of(' ');
  text.erase(0, start == std::string::npos ? text.size() : start);
  Assign(text.data(), static_cast<int>(text.size()));
  return m_length;
}

int CTxt::GetHex(unsigned long v, int bytes) {
  std::string text = StdFormat("%08lX", v & 0xFFFFFFFFUL);
  if (bytes >= 1 && bytes <= 3) text.erase(0, text.size() - static_cast<size_t>(bytes) * 2);
  Assign(text.data(), static_cast<int>(text.size()));
  return m_length;
}

int CTxt::MakeHexValue(int v, int digits) {
  std::string text = StdFormat("%08X", static_cast<unsigned>(v));
  if (digits == 2 || digits == 4 || digits == 6) text.erase(0, text.size() - static_cast<size_t>(digits));
  Assign(text.data(), static_cast<int>(text.size()));
  return m_length;
}

int CTxt::GetHexArray(const unsigned char* p, int n) {
  if (!p || n < 1 || n > 1000) return Format("GetHexArray(%dBy)", n);
  std::string text;
  text.reserve(static_cast<size_t>(n) * 3);
  for (int i = 0; i < n; ++i) {
    text += kHexDigits[p[i] >> 4];
    text += kHexDigits[p[i] & 15];
    text += ',';
  }
  Assign(text.data(), static_cast<int>(text.size()));
  return m_length;
}

// --- Files and file names
// -------------------------------------------------------------------------------------

int CTxt::LoadFromFile(const char* path) {
  std::string name = path ? path : "";
  std::string memory;
  if (int fromMemory = ReadMemoryFile(name.c_str(), memory)) {  // a test's or fuzzer's in-memory file
    if (fromMemory != 1 || memory.size() > static_cast<size_t>(INT_MAX - 2)) {
      SetTxt(OpenFailure(name.c_str(), fromMemory != 1 ? fromMemory : EFBIG).c_str());
      return -1;
    }
    Assign(memory.data(), static_cast<int>(memory.size()));
    return m_length;
  }
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) {
    SetTxt(OpenFailure(name.c_str(), errno).c_str());
    return -1;
  }
  struct stat info;
  int error = 0;
  if (fstat(fileno(f), &info) != 0)
    error = errno;
  else if (!S_ISREG(info.st_mode))
    error = EISDIR;  // a folder opens on some systems but has no content to load
  else if (info.st_size > INT_MAX - 2)
    error = EFBIG;
  if (error) {
    fclose(f);
    SetTxt(OpenFailure(name.c_str(), error).c_str());
    return -1;
  }
  int size = static_cast<int>(info.st_size);
  Empty();
  char* buffer = Allocate(size + 2);
  size_t read = fread(buffer, 1, static_cast<size_t>(size), f);
  fclose(f);
  buffer[read] = '\0';
  TakeOwnership(buffer, static_cast<int>(read), size + 2);
  return m_length;
}

namespace {

// Appending adds to the file in place; any other write replaces the whole file atomically (temporary file,
// then rename), so a crash never leaves a user's file half-written.
int SaveFile(CTxt& txt, const char* path, int append, bool commit) {
  if (!path || !*path) {
    txt.SetTxt("Missing filename");
    return -1;
  }
  std::string name = path;  // path may lie in txt's own text
  size_t length = txt.GetLength() > 0 ? static_cast<size_t>(txt.GetLength()) : 0;
  if (append != 1) {
    CTxt reason;
    if (WriteFileAtomically(name.c_str(), txt.GetData(), length, reason, commit) < 0) {
      txt.Format("Cannot open '%s' (%s)", name.c_str(), static_cast<const char*>(reason));
      return -1;
    }
    return static_cast<int>(length);
  }
  FILE* f = fopen(name.c_str(), "ab");
  if (!f) {
    txt.SetTxt(OpenFailure(name.c_str(), errno).c_str());
    return -1;
  }
  size_t written = length ? fwrite(txt.GetData(), 1, length, f) : 0;
  if (commit) txt_platform::CommitToDisk(f);
  fclose(f);
  return static_cast<int>(written);
}

}  // namespace

int CTxt::SaveToFile(const char* path, int append) {
  return SaveFile(*this, path, append, false);
}

int CTxt::SaveToFileCommit(const char* path, int append) {
  return SaveFile(*this, path, append, true);
}

int CTxt::ReadFromRam(const void* p, int n) {
  if (!p || n < 1) {
    MakeEmpty();
    return n < 0 ? 0 : n;
  }
  const char* text = static_cast<const char*>(p);
  int length = 0;
  while (length < n && text[length]) ++length;
  Assign(text, length);
  return n;
}

int CTxt::BinarySave(FILE* f) const {
  unsigned n = static_cast<unsigned>(m_length) + 1;
  unsigned char count[4];
  PutLittleEndian32(count, n);
  if (!f || fwrite(count, 1, 4, f) != 4) return -1;
  const char* bytes = m_data ? m_data : "";
  if (fwrite(bytes, 1, n, f) != n) return -2;
  return static_cast<int>(n) + 4;
}

int CTxt::BinaryRead(FILE* f) {
  unsigned char count[4];
  if (!f || fread(count, 1, 4, f) != 4) return -1;
  unsigned n = GetLittleEndian32(count);
  if (n < 1 || n > static_cast<unsigned>(INT_MAX - 2)) return -1;
  char* buffer = static_cast<char*>(malloc(static_cast<size_t>(n) + 1));
  if (!buffer) return -1;
  if (fread(buffer, 1, n, f) != n) {
    free(buffer);
    return -1;
  }
  buffer[n - 1] = '\0';  // the stored terminator, enforced
  buffer[n] = '\0';
  TakeOwnership(buffer, static_cast<int>(n) - 1, static_cast<int>(n) + 1);
  return 0;
}

int CTxt::BinaryRead(const unsigned char* p) {
  if (!p) return -1;
  unsigned n = GetLittleEndian32(p);
  if (n < 1 || n > static_cast<unsigned>(INT_MAX - 4)) return -1;
  char* buffer = Allocate(static_cast<int>(n) + 1);
  memcpy(buffer, p + 4, n);
  buffer[n - 1] = '\0';
  buffer[n] = '\0';
  TakeOwnership(buffer, static_cast<int>(n) - 1, static_cast<int>(n) + 1);
  return static_cast<int>(n) + 4;
}

int CTxt::GetExeName(CTxt& out, int part) {
  std::string path;
  if (!txt_platform::ExecutablePath(path)) {
    out.MakeEmpty();
    return 0;
  }
  CTxt full(path.c_str());
  full.MakeFn();
  int release = FindNoCase(full, "/Release/");
  if (release > 0) full.RemoveRange(release, 8);  // "/Release"
  return full.GetFileTxt(part, out);
}

int CTxt::GetFileTxt(int part, CTxt& out) const {
  if (IsEmpty()) {
    out.MakeEmpty();
    return 0;
  }
  std::string result = PathPart(SplitPath(m_data), part);  // out may be this object
  out.Assign(result.data(), static_cast<int>(result.size()));
  return out.m_length;
}

int CTxt::MakeFn() {
  if (IsEmpty()) return m_length;
  for (int i = 0; i < m_length; ++i) {
    if (m_data[i] != '\\') continue;
    if (i + 1 < m_length && m_data[i + 1] == '\\')
      ++i;  // a backslash pair (network path prefix) stays
    else
      m_data[i] = '/';
  }
  TrimRight('/');
  return m_length;
}

int CTxt::MakeFnDOS() {
  if (IsEmpty()) return m_length;
  Replace('/', '\\');
  TrimRight('/');
  TrimRight('\\');
  return m_length;
}

int CTxt::MakeFileName(const char* name, const char* ext) {
  PathParts parts = SplitPath(m_data);
  std::string folder = PathPart(parts, 4);
  std::string extension = ext ? ext : PathPart(parts, 3);
  // The Part states the '/' form; a folder still in '\' form ends in a separator just as well.
  bool endsInSeparator = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
  std::string result = StdFormat(endsInSeparator ? "%s%s.%s" : "%s/%s.%s", folder.c_str(), name ? name : "",
                                 extension.c_str());
  Assign(result.data(), static_cast<int>(result.size()));
  MakeFn();
  return 0;
}

int CTxt::MakeFileExt(const char* ext) {
  PathParts parts = SplitPath(m_data);
  std::string current = PathPart(parts, 3);
  if (CompareNoCase(current.c_str(), ext ? ext : "", 1) == 0) return 1;
  std::string result = PathPart(parts, 6);
  if (ext && *ext) result += std::string(".") + ext;
  Assign(result.data(), static_cast<int>(result.size()));
  return 0;
}

int CTxt::InsertToFn(const char* text, int dash) {
  PathParts parts = SplitPath(m_data);
  std::string result =
      parts.drive + parts.dir + (text ? text : "") + (dash ? "-" : "") + parts.base + parts.ext;
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::AddToFn(const char* text, int dash) {
  PathParts parts = SplitPath(m_data);
  std::string result =
      parts.drive + parts.dir + parts.base + (dash ? "-" : "") + (text ? text : "") + parts.ext;
  Assign(result.data(), static_cast<int>(result.size()));
  return m_length;
}

int CTxt::IsSameFileTxt(const char* other, int part) {
  if (!other) return 0;
  CTxt otherPath(other);
  if (part == 7) {
    MakeFn();
    otherPath.MakeFn();
  }
  std::string mine = PathPart(SplitPath(m_data), part);
  std::string theirs = PathPart(SplitPath(otherPath.m_data), part);
  return CompareNoCase(mine.c_str(), theirs.c_str(), 1) == 0 ? 1 : 0;
}

int CTxt::AppendFileLocation(const char* file, int line, const char* fmt) {
  std::string location = StdFormat(fmt ? fmt : "\r\n(File=%s, Line=%d)", file ? file : "", line);
  return AddTxt(location.c_str());
}

int CTxt::GetNextFile(const char* pattern) {
  std::string text = pattern ? pattern : "";  // pattern may lie in this object's text
  size_t run = text.find("%%");
  if (run == std::string::npos) {
    Format("Missing Sequence Placeholder (%%) in: %s", text.c_str());
    return -1;
  }
  size_t runEnd = text.find_first_not_of('%', run);
  if (runEnd == std::string::npos) runEnd = text.size();
  int width = static_cast<int>(runEnd - run);
  std::string prefix = text.substr(0, run), rest = text.substr(runEnd);
  for (int number = 1; number < INT_MAX; ++number) {
    std::string candidate = StdFormat("%s%0*d%s", prefix.c_str(), width, number, rest.c_str());
    struct stat info;
    if (stat(candidate.c_str(), &info) != 0) {
      SetTxt(candidate.c_str());
      return number;
    }
  }
  return -1;
}

int CTxt::FillPlaceHolder(const char* values, int lenient, char delim) {
  int fields = values ? CountFields(values, delim) : 0;
  if (fields < 1) return -1;
  if (IsEmpty()) return -2;
  std::vector<FieldSpan> spans;
  std::string result;
  for (int i = 0; i < m_length;) {
    if (m_data[i] != '@') {
      result += m_data[i++];
      continue;
    }
    ++i;
    if (!IsDigit(m_data[i])) return -3;
    long long number = 0;
    while (IsDigit(m_data[i])) {
      if (number < 1000000) number = number * 10 + (m_data[i] - '0');
      ++i;
    }
    // Field numbers are plain here: strfld's special numbers (99, negatives) do not apply.
    if (spans.empty()) spans = SplitFields(values, delim, kMaxDelimiters);
    std::string field;
    if (number >= 1 && number <= static_cast<long long>(spans.size())) {
      const FieldSpan& span = spans[static_cast<size_t>(number - 1)];
      field.assign(values + span.start, static_cast<size_t>(span.end - span.start));
    }
    if (field.empty() && !lenient) return -4;
    result += field;
  }
  Assign(result.data(), static_cast<int>(result.size()));
  return 0;
}

void CTxt::Shutdown() {
  // The class keeps no shared scratch storage: every temporary buffer is released by its operation.
}

// --- Free text functions
// ------------------------------------------------------------------------------------------

int CompareNoCase(const char* a, const char* b, int mode) {
  if (!a || !b) return 3;
  if (!*a && !*b) return 0;
  int i = 0;
  for (; a[i] && b[i]; ++i)
    if (ToUpper(a[i]) != ToUpper(b[i])) return 1;
  switch (mode) {
    case 1:
      return (!a[i] && !b[i]) ? 0 : 2;
    case 2:
      return !a[i] ? 0 : 2;
    default:
      return 0;
  }
}

std::string TrimBlanks(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

int FindNoCase(const char* text, const char* pattern) {
  if (!text || !pattern) return -1;
  if (!*pattern) return *text ? 0 : -1;
  // Only where the first character matches (in either case) is the whole pattern compared.
  const char firsts[3] = {ToUpper(*pattern), ToLower(*pattern), '\0'};
  for (const char* at = strpbrk(text, firsts); at; at = strpbrk(at + 1, firsts))
    if (CompareNoCase(pattern, at, 2) == 0) return static_cast<int>(at - text);
  return -1;
}

int FindCharInList(char c, const char* list) {
  if (!list) return -1;
  for (int i = 0; list[i]; ++i)
    if (list[i] == c) return i;
  return -1;
}

int CountFields(const char* text, char delim) {
  if (!text) return 0;
  int start = 0;
  while (text[start] == ' ') ++start;
  int end = start + Length(text + start);
  if (end == start) return 0;  // empty or blanks only
  if (delim != ' ')
    while (end > start && text[end - 1] == ' ') --end;
  int delimiters = 0;
  for (int i = start; i < end; ++i) {
    if (text[i] != delim) continue;
    ++delimiters;
    if (delim == ' ')
      while (i + 1 < end && text[i + 1] == ' ') ++i;
  }
  bool endsInDelimiter = delim != '\0' && text[end - 1] == delim;
  return endsInDelimiter ? delimiters : delimiters + 1;
}

namespace {

// Resolves the field range of strfld; false with *code set when nothing is to be copied.
bool ResolveFieldRange(int count, int& first, int& last, int& code) {
  if (first == 0) {
    code = 0;
    return false;
  }
  if (last == 0) last = first;
  if ((first > 0 && last > 0 && first > last) || (first < 0 && last < 0 && first > last)) {
    code = -1;
    return false;
  }
  auto resolve = [count](int n) {
    if (n == 99) return count;
    if (n == -99) return 1;
    if (n < 0) n = count + 1 + n;
    return n < 1 ? 1 : n;
  };
  first = resolve(first);
  last = resolve(last);
  if (first > count || count == 0) {
    code = 0;
    return false;
  }
  if (last > count) last = count;
  if (first > last) {
    code = -1;
    return false;
  }
  return true;
}

}  // namespace

int strfld(const char* text, char delim, int first, int last, CTxt& out) {
  // text may be out's own text: out changes only once the result is complete.
  if (!text) {
    out.MakeEmpty();
    return 0;
  }
  int count = FieldCount(text, delim), code = 0;
  if (!ResolveFieldRange(count, first, last, code)) {
    out.MakeEmpty();
    return code;
  }
  FieldSpan range = FieldRange(text, delim, count, first, last);
  int n = range.end - range.start;
  if (n > 0 && text[range.start + n - 1] == delim) --n;
  out.ReadFromRam(text + range.start, n);  // copes with text inside out's own buffer
  return out.GetLength();
}

int strfld(const char* text, char delim, int first, int last, char* out, int outSize) {
  if (!out || outSize < 1) return 0;
  out[0] = '\0';
  if (!text) return 0;
  int count = FieldCount(text, delim), code = 0;
  if (!ResolveFieldRange(count, first, last, code)) return code;
  FieldSpan range = FieldRange(text, delim, count, first, last);
  int start = range.start;
  int n = range.end - start;
  if (n > outSize - 1) n = outSize - 1;
  if (n > 0 && text[start + n - 1] == delim) --n;
  memcpy(out, text + start, static_cast<size_t>(n));
  out[n] = '\0';
  return n;
}

int GetFieldInt(const char* text, char delim, int n) {
  char field[100];
  if (strfld(text, delim, n, 0, field, sizeof(field)) < 1) return 0;
  return atoi(field);
}

double GetFieldFloat(const char* text, char delim, int n) {
  char field[100];
  if (strfld(text, delim, n, 0, field, sizeof(field)) < 1) return 0;
  return atof(field);
}

int HexToInt(const char* text) {
  if (!text) return 0;
  unsigned value = 0;
  for (int i = 0; i < 98 && text[i]; ++i) {
    char c = text[i];
    unsigned digit;
    if (c == ' ')
      continue;
    else if (IsDigit(c))
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else
      break;
    value = value * 16 + digit;
  }
  return static_cast<int>(value);
}
