// SPtrArray and CTxtArray: growth, element ownership, key|value tables, line files, folder listings, sorting.
#include "foundation/TxtArray.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/FolderScan.h"
#include "foundation/Log.h"

// ============================================================================================ SPtrArray

namespace {

constexpr int kDefaultInitialCapacity = 10;
constexpr int kMinAutoGrowth = 4;
constexpr int kMaxAutoGrowth = 1024;

void** AllocateSlots(int count) {
  return static_cast<void**>(std::calloc(static_cast<size_t>(count), sizeof(void*)));
}

}  // namespace

SPtrArray::SPtrArray(const SPtrArray& other) {
  Copy(other);
}

SPtrArray& SPtrArray::operator=(const SPtrArray& other) {
  if (this != &other) Copy(other);
  return *this;
}

SPtrArray::SPtrArray(SPtrArray&& other) noexcept
    : m_data(other.m_data),
      m_size(other.m_size),
      m_capacity(other.m_capacity),
      m_growBy(other.m_growBy),
      m_initialCapacity(other.m_initialCapacity) {
  other.m_data = nullptr;
  other.m_size = other.m_capacity = 0;
}

SPtrArray& SPtrArray::operator=(SPtrArray&& other) noexcept {
  if (this != &other) {
    std::free(m_data);
    m_data = other.m_data;
    m_size = other.m_size;
    m_capacity = other.m_capacity;
    m_growBy = other.m_growBy;
    m_initialCapacity = other.m_initialCapacity;
    other.m_data = nullptr;
    other.m_size = other.m_capacity = 0;
  }
  return *this;
}

SPtrArray::~SPtrArray() {
  std::free(m_data);
}

void* SPtrArray::GetAt(int index) const {
  return index >= 0 && index < m_size ? m_data[index] : nullptr;
}

int SPtrArray::SetAt(int index, void* p) {
  if (index < 0 || index >= m_size) return -1;
  m_data[index] = p;
  return 0;
}

int SPtrArray::Add(void* p) {
  if (m_size == INT_MAX || Grow(m_size + 1) < 0) return -1;
  m_data[m_size] = p;
  return m_size++;
}

int SPtrArray::SetSize(int n) {
  if (n < 0) return -1;
  if (n == 0) {
    std::free(m_data);
    m_data = nullptr;
    m_size = m_capacity = 0;
    return 0;
  }
  return Grow(n);
}

int SPtrArray::Grow(int n) {
  if (n <= m_capacity) return 0;
  if (static_cast<size_t>(n) > SIZE_MAX / sizeof(void*)) return -1;
  if (!m_data) {
    int capacity = n > m_initialCapacity ? n : m_initialCapacity;
    void** data = AllocateSlots(capacity);
    if (!data) return -1;
    m_data = data;
    m_capacity = capacity;
    return 0;
  }
  int step = m_growBy;
  if (step <= 0) {
    step = m_capacity / 4;
    if (step < kMinAutoGrowth) step = kMinAutoGrowth;
    if (step > kMaxAutoGrowth) step = kMaxAutoGrowth;
  }
  long long wanted = static_cast<long long>(m_capacity) + step;
  int capacity = wanted > INT_MAX ? INT_MAX : static_cast<int>(wanted);
  if (capacity < n) capacity = n;
  void** data = AllocateSlots(capacity);
  if (!data) return -1;
  if (m_size > 0) std::memcpy(data, m_data, static_cast<size_t>(m_size) * sizeof(void*));
  std::free(m_data);
  m_data = data;
  m_capacity = capacity;
  return 0;
}

int SPtrArray::ResizeTo(int n) {
  if (Grow(n) < 0) return -1;
  for (int i = m_size; i < n; ++i) m_data[i] = nullptr;
  m_size = n;
  return 0;
}

void SPtrArray::SetSizeInit(int initialCapacity, int growBy) {
  if (initialCapacity > 0) m_initialCapacity = initialCapacity;
  if (growBy != -1) m_growBy = growBy;
}

int SPtrArray::SetAtGrow(int index, void* p) {
  if (index < 0) return -1;
  if (index >= m_size && (index == INT_MAX || ResizeTo(index + 1) < 0)) return -1;
  m_data[index] = p;
  return 0;
}

int SPtrArray::InsertAt(int index, void* p, int count) {
  if (index < 0 || count < 1) return -1;
  int oldSize = m_size > index ? m_size : index;
  if (static_cast<long long>(oldSize) + count > INT_MAX) return -1;
  if (ResizeTo(oldSize + count) < 0) return -1;
  if (index < oldSize)
    std::memmove(m_data + index + count, m_data + index,
                 static_cast<size_t>(oldSize - index) * sizeof(void*));
  for (int i = 0; i < count; ++i) m_data[index + i] = p;
  return 0;
}

int SPtrArray::InsertAt(int index, const SPtrArray* other) {
  if (!other || index < 0) return -1;
  int count = other->m_size;
  if (count == 0) return 0;
  SPtrArray source(*other);  // other may be this very array
  if (InsertAt(index, nullptr, count) < 0) return -1;
  std::memcpy(m_data + index, source.m_data, static_cast<size_t>(count) * sizeof(void*));
  return 0;
}

int SPtrArray::RemoveAt(int index, int count) {
  if (index < 0 || index >= m_size || count < 1) return -1;
  if (count > m_size - index) count = m_size - index;
  std::memmove(m_data + index, m_data + index + count,
               static_cast<size_t>(m_size - index - count) * sizeof(void*));
  m_size -= count;
  return 0;
}

void SPtrArray::DropData() {
  m_data = nullptr;
  m_size = m_capacity = 0;
  m_initialCapacity = kDefaultInitialCapacity;
}

int SPtrArray::FreeExtra() {
  if (m_size == m_capacity) return 0;
  if (m_size == 0) return SetSize(0);
  void** data = AllocateSlots(m_size);
  if (!data) return -1;
  std::memcpy(data, m_data, static_cast<size_t>(m_size) * sizeof(void*));
  std::free(m_data);
  m_data = data;
  m_capacity = m_size;
  return 0;
}

int SPtrArray::Append(const SPtrArray& other) {
  int first = m_size;
  if (InsertAt(m_size, &other) < 0) return -1;
  return first;
}

int SPtrArray::Copy(const SPtrArray& other) {
  if (this == &other) return 0;
  if (Grow(other.m_size) < 0) return -1;
  if (other.m_size > 0) std::memcpy(m_data, other.m_data, static_cast<size_t>(other.m_size) * sizeof(void*));
  m_size = other.m_size;
  return 0;
}

int SPtrArray::GetPtrIndex(const void* p) const {
  for (int i = 0; i < m_size; ++i)
    if (m_data[i] == p) return i;
  return -1;
}

void SPtrArray::Sort(SlotCompare cmp) {
  if (m_size < 2 || !cmp) return;
  std::qsort(m_data, static_cast<size_t>(m_size), sizeof(void*), cmp);
}

int SPtrArray::SortInto(SlotCompare cmp, SPtrArray& dest) const {
  if (&dest == this) {
    dest.Sort(cmp);
    return 0;
  }
  if (dest.Copy(*this) < 0) return -1;
  dest.Sort(cmp);
  return 0;
}

// ============================================================================================ CTxtArray

namespace {

constexpr int kMaxLineChars = 99999;  // longer lines are cut
constexpr int kMaxKeyChars = 99;
constexpr int kMaxValueChars = 9999;
constexpr int kDefaultReadBuffer = 300000;
constexpr int kMinReadBuffer = 1010;
constexpr int kMaxFolderDepth = 64;  // bounds the descent through looping links
constexpr char kCtrlZ = 26;
const char* const kLogCategory = "LoadFromDir";

// The text of an element; never null (an element without buffer reads as "").
const char* TextOf(const CTxt* t) {
  return t ? static_cast<const char*>(*t) : "";
}

// The key of a key|value line: the text before the first '|', cut to 99 characters.
std::string KeyOf(const char* line) {
  const char* bar = std::strchr(line, '|');
  size_t n = bar ? static_cast<size_t>(bar - line) : std::strlen(line);
  return std::string(line, n < kMaxKeyChars ? n : kMaxKeyChars);
}

std::string CutKey(const char* key) {
  size_t n = std::strlen(key);
  return std::string(key, n < kMaxKeyChars ? n : kMaxKeyChars);
}

// Case-insensitive record comparison as the C runtime's _strcmpi does it (letters folded to lower case).
int CompareRecordsNoCase(const void* a, const void* b) {
  const unsigned char* x = static_cast<const unsigned char*>(a);
  const unsigned char* y = static_cast<const unsigned char*>(b);
  for (;; ++x, ++y) {
    int cx = std::tolower(*x), cy = std::tolower(*y);
    if (cx != cy || cx == 0) return cx - cy;
  }
}

void FormatOpenError(CTxt& msg, const char* path, int error) {
  msg.Format("Cannot open %s (%s)", path ? path : "", std::strerror(error));
}

// The reader behind LoadFromFileBuf. One per call, so two threads may read files at the same time.
class BufferedLineReader {
 public:
  BufferedLineReader() = default;
  BufferedLineReader(const BufferedLineReader&) = delete;
  BufferedLineReader& operator=(const BufferedLineReader&) = delete;
  ~BufferedLineReader() {
    if (m_file) std::fclose(m_file);
  }

  // 0, or the errno value of the failure.
  int Open(const char* path) {
    if (!path || !*path) return ENOENT;
    int memory = ReadMemoryFile(path, m_memory);  // tests and fuzzers: the whole file is the buffer
    if (memory == 1) {
      m_inMemory = true;
      m_length = m_memory.size();
      return 0;
    }
    if (memory) return memory;
    m_file = std::fopen(path, "rb");
    if (!m_file) return errno;
    if (!AllocateBuffer()) return ENOMEM;
    return 0;
  }

  // The next line without its end; false when the data has ended.
  bool ReadLine(std::string& line) {
    line.clear();
    for (;;) {
      int c = NextByte();
      if (c < 0) return !line.empty();
      if (c == kCtrlZ && line.empty()) {
        m_ended = true;
        return false;
      }
      if (c == '\n' || c == 0 || c == kCtrlZ) return true;
      if (c == '\r') continue;
      if (line.size() < static_cast<size_t>(kMaxLineChars)) line += static_cast<char>(c);
    }
  }

 private:
  bool AllocateBuffer() {
    long size = kDefaultReadBuffer;
    if (const char* wanted = std::getenv("BGETLRAM")) {
      size = std::atol(wanted);
      if (size < kMinReadBuffer) size = kMinReadBuffer;
    }
    if (TryAllocate(size)) return true;
    return TryAllocate(FileSize() + 1);  // a buffer of the file's size, when the large one is not to be had
  }

  bool TryAllocate(long size) {
    if (size <= 0) return false;
    m_buffer.reset(new (std::nothrow) char[static_cast<size_t>(size)]);
    m_capacity = m_buffer ? static_cast<size_t>(size) : 0;
    return m_buffer != nullptr;
  }

  long FileSize() {
    long here = std::ftell(m_file);
    if (std::fseek(m_file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(m_file);
    std::fseek(m_file, here, SEEK_SET);
    return size;
  }

  int NextByte() {
    if (m_ended) return -1;
    if (m_inMemory) {
      if (m_pos < m_length) return static_cast<unsigned char>(m_memory[m_pos++]);
      m_ended = true;
      return -1;
    }
    if (m_pos == m_length) {
      m_length = std::fread(m_buffer.get(), 1, m_capacity, m_file);
      m_pos = 0;
      if (m_length == 0) {
        m_ended = true;
        return -1;
      }
    }
    return static_cast<unsigned char>(m_buffer[m_pos++]);
  }

  FILE* m_file = nullptr;
  std::string m_memory;
  bool m_inMemory = false;
  std::unique_ptr<char[]> m_buffer;
  size_t m_capacity = 0;
  size_t m_length = 0;
  size_t m_pos = 0;
  bool m_ended = false;
};

// Windows-style wildcard match ignoring case: '*' any run, '?' one character; "*.*" matches every name.
bool WildcardMatch(const char* pattern, const char* name) {
  if (std::strcmp(pattern, "*.*") == 0) return true;
  const char* star = nullptr;
  const char* resume = nullptr;
  while (*name) {
    if (*pattern == '*') {
      star = pattern++;
      resume = name;
    } else if (*pattern == '?' || std::toupper(static_cast<unsigned char>(*pattern)) ==
                                      std::toupper(static_cast<unsigned char>(*name))) {
      ++pattern;
      ++name;
    } else if (star) {
      pattern = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == 0;
}

std::string ExtensionOf(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string WithoutDot(const char* ext) {
  return std::string(ext[0] == '.' ? ext + 1 : ext);
}

std::vector<std::string> SplitExtensions(const char* list) {
  std::vector<std::string> out;
  std::string current;
  for (const char* p = list ? list : "";; ++p) {
    if (*p == 0 || std::strchr(",;| ", *p)) {
      if (!current.empty()) out.push_back(WithoutDot(current.c_str()));
      current.clear();
      if (*p == 0) break;
    } else {
      current += *p;
    }
  }
  return out;
}

const char* OrEmpty(const char* s) {
  return s ? s : "";
}

// An empty folder name lists the current folder (not the root that "/name" would mean).
std::string FolderOrCurrent(const char* dir) {
  return dir && *dir ? std::string(dir) : std::string(".");
}

// The whole content of a file that is to be appended to; 0 (and nothing) when there is no such file yet,
// else the errno value of the failure.
int ReadExistingFile(const char* path, std::string& content) {
  content.clear();
  if (!path || !*path) return 0;  // the atomic writer reports the missing name
  FILE* f = std::fopen(path, "rb");
  if (!f) return errno == ENOENT ? 0 : errno;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, n);
  int error = std::ferror(f) ? EIO : 0;
  std::fclose(f);
  return error;
}

}  // namespace

CTxtArray::CTxtArray(const CTxtArray& other)
    : m_ownerProcessId(other.m_ownerProcessId), m_timeSortStyle(other.m_timeSortStyle) {
  AddArray(other);
}

CTxtArray& CTxtArray::operator=(const CTxtArray& other) {
  if (this != &other) {
    LoadFromTxtArray(&other, 0);
    m_ownerProcessId = other.m_ownerProcessId;
    m_timeSortStyle = other.m_timeSortStyle;
  }
  return *this;
}

CTxtArray& CTxtArray::operator=(CTxtArray&& other) noexcept {
  if (this != &other) {
    DeleteElements();
    m_items = std::move(other.m_items);
    m_ownerProcessId = other.m_ownerProcessId;
    m_timeSortStyle = other.m_timeSortStyle;
  }
  return *this;
}

CTxtArray::~CTxtArray() {
  DeleteElements();
}

void CTxtArray::DeleteElements() {
  for (int i = 0; i < m_items.GetSize(); ++i) delete static_cast<CTxt*>(m_items[i]);
  m_items.RemoveAll();
}

// --- Elements ------------------------------------------------------------------------------------------

int CTxtArray::Add(const char* text) {
  std::unique_ptr<CTxt> element(new CTxt(text));
  int index = m_items.Add(element.get());
  if (index >= 0) element.release();
  return index;
}

int CTxtArray::Insert(int index, const char* text) {
  if (index < 0) index = 0;
  if (index > GetSize()) index = GetSize();
  std::unique_ptr<CTxt> element(new CTxt(text));
  if (m_items.InsertAt(index, element.get(), 1) < 0) return -1;
  element.release();
  return GetSize();
}

int CTxtArray::SetAt(int index, const char* text) {
  if (index < 0) return -1;
  if (index < GetSize()) {
    static_cast<CTxt*>(m_items[index])->SetTxt(text);
    return 0;
  }
  while (GetSize() < index) {
    if (Add("") < 0) return -1;
  }
  return Add(text) < 0 ? -1 : 0;
}

int CTxtArray::RemoveAt(int index) {
  if (index < 0 || index >= GetSize()) return -1;
  delete static_cast<CTxt*>(m_items[index]);
  return m_items.RemoveAt(index, 1);
}

void CTxtArray::RemoveAll() {
  DeleteElements();
}

CTxt* CTxtArray::GetAt(int index) {
  return static_cast<CTxt*>(m_items.GetAt(index));
}

const CTxt* CTxtArray::GetAt(int index) const {
  return static_cast<const CTxt*>(m_items.GetAt(index));
}

const char* CTxtArray::GetAtTxt(int index) const {
  const CTxt* t = GetAt(index);
  return t ? t->GetData() : nullptr;
}

int CTxtArray::GetDelimTxt(CTxt& out, char delim) const {
  std::string all;
  for (int i = 0; i < GetSize(); ++i) {
    all += TextOf(GetAt(i));
    all += delim;
  }
  out = all.c_str();
  return GetSize();
}

int CTxtArray::AddArray(const CTxtArray& other) {
  if (&other == this) {
    CTxtArray copy(other);
    return AddArray(copy);
  }
  for (int i = 0; i < other.GetSize(); ++i) Add(other.GetAtTxt(i));
  return GetSize();
}

int CTxtArray::LoadFromTxtArray(const CTxtArray* other, int append) {
  if (other == this) return GetSize();
  if (!append) RemoveAll();
  return other ? AddArray(*other) : GetSize();
}

int CTxtArray::LoadFromStrArray(const std::vector<std::string>& strings) {
  RemoveAll();
  for (const std::string& s : strings) Add(s.c_str());
  return GetSize();
}

int CTxtArray::AddIfNew(const char* text) {
  if (FindString(text) >= 0) return 0;
  Add(text);
  return 1;
}

int CTxtArray::AddIfNewIdx(const char* text) {
  int index = FindString(text);
  return index >= 0 ? index : Add(text);
}

int CTxtArray::Compare(const CTxtArray* other) const {
  if (!other || other->GetSize() != GetSize()) return -1;
  for (int i = 0; i < GetSize(); ++i)
    if (!EqualNoCase(TextOf(GetAt(i)), TextOf(other->GetAt(i)))) return -2;
  return 0;
}

// --- Search ----------------------------------------------------------------------------------------------

int CTxtArray::FindString(const char* text) const {
  for (int i = 0; i < GetSize(); ++i)
    if (EqualNoCase(TextOf(GetAt(i)), OrEmpty(text))) return i;
  return -1;
}

int CTxtArray::FindStringStart(const char* prefix, int fromEnd) const {
  if (!prefix) return -1;
  int n = GetSize();
  for (int k = 0; k < n; ++k) {
    int i = fromEnd ? n - 1 - k : k;
    if (CompareNoCase(prefix, TextOf(GetAt(i)), 2) == 0) return i;
  }
  return -1;
}

int CTxtArray::FindStringSegment(const char* text) const {
  if (!text) return -1;
  for (int i = 0; i < GetSize(); ++i)
    if (FindNoCase(TextOf(GetAt(i)), text) >= 0) return i;
  return -1;
}

// --- key|value tables ------------------------------------------------------------------------------------

int CTxtArray::FindValue(const char* key, CTxt& value, int report) const {
  std::string wanted = CutKey(OrEmpty(key));
  for (int i = 0; i < GetSize(); ++i) {
    const char* line = TextOf(GetAt(i));
    if (!EqualNoCase(KeyOf(line).c_str(), wanted.c_str())) continue;
    const char* bar = std::strchr(line, '|');
    std::string v = bar ? bar + 1 : "";
    if (!v.empty() && v.back() == '|') v.pop_back();
    if (v.size() > static_cast<size_t>(kMaxValueChars)) v.resize(kMaxValueChars);
    value = v.c_str();
    return i;
  }
  if (report == 1) value.Format("%s to found", OrEmpty(key));
  return -1;
}

int CTxtArray::FindValueReset(const char* key, CTxt& value, int report) const {
  value.Empty();
  return FindValue(key, value, report);
}

int CTxtArray::FindValueInt(const char* key) const {
  CTxt value;
  if (FindValue(key, value, 0) < 0) return -1;
  return std::atoi(value);
}

int CTxtArray::SetValue(const char* key, const char* value) {
  CTxt existing;
  int index = FindValue(key, existing, 0);
  if (!value) {
    if (index >= 0) RemoveAt(index);
    return index;
  }
  CTxt line;
  line.Format("%s|%s", OrEmpty(key), value);
  if (index < 0) return Add(line);
  SetAt(index, line);
  return index;
}

int CTxtArray::AddCnt(const char* key) {
  CTxt existing;
  int index = FindValue(key, existing, 0);
  int count = index >= 0 ? std::atoi(existing) + 1 : 1;
  CTxt line;
  line.Format("%s|%d", OrEmpty(key), count);
  if (index < 0) return Add(line);
  SetAt(index, line);
  return index;
}

// --- Loading and saving ----------------------------------------------------------------------------------

int CTxtArray::LoadFromTxt(const char* text) {
  RemoveAll();
  std::string line;
  for (const char* p = OrEmpty(text); *p; ++p) {
    if (*p == '\n') {
      Add(line.c_str());
      line.clear();
    } else if (*p != '\r') {
      line += *p;
    }
  }
  if (!line.empty()) Add(line.c_str());
  return GetSize();
}

int CTxtArray::LoadFromFields(const char* text, char delim, int clear) {
  if (clear == 1) RemoveAll();
  if (!text) return GetSize();
  // One pass over the text: empty fields are dropped and each field is trimmed, so splitting at every
  // delimiter gives the fields strfld would, without its cost per field or its limit on delimiters.
  std::string field;
  auto flush = [&]() {
    CTxt f(field.c_str());
    f.Trim(' ');
    if (f.IsFilled()) Add(f);
    field.clear();
  };
  for (const char* p = text; *p; ++p) {
    if (*p == delim) {
      flush();
    } else {
      field += *p;
    }
  }
  flush();
  return GetSize();
}

int CTxtArray::LoadFromFile(const char* path, CTxt& msg, int keepLast) {
  std::string content;
  CTxt reason;
  FileReadResult read = ReadWholeFile(path, content, reason);
  if (read == FileReadResult::kMissing) {
    FormatOpenError(msg, path, ENOENT);
    return -1;
  }
  if (read == FileReadResult::kFailed) {
    msg.Format("Cannot open %s (%s)", path ? path : "", static_cast<const char*>(reason));
    return -1;
  }
  RemoveAll();
  std::string line;
  for (size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c == '\r' || c == '\n') {
      // A CR is taken together with the LF after it. A CR followed by anything else (a file with bare CR
      // line ends) keeps that character for the next line.
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
      Add(line.c_str());
      line.clear();
    } else if (line.size() < static_cast<size_t>(kMaxLineChars)) {
      line += c;
    }
  }
  if (keepLast) Add(line.c_str());
  return GetSize();
}

int CTxtArray::LoadFromFileBuf(const char* path, CTxt& msg, int maxLines) {
  BufferedLineReader reader;
  if (int error = reader.Open(path)) {
    FormatOpenError(msg, path, error);
    return -1;
  }
  if (maxLines >= 0) RemoveAll();
  std::string line;
  while ((maxLines <= 0 || GetSize() < maxLines) && reader.ReadLine(line)) Add(line.c_str());
  return GetSize();
}

int CTxtArray::LoadFromCSV(const char* path, CTxt& msg) {
  int lines = LoadFromFileBuf(path, msg, 0);
  if (lines <= 0) return lines;
  for (int i = 0; i < lines; ++i) {
    CTxt* element = GetAt(i);
    std::string converted;
    bool quoted = false;
    for (const char* p = TextOf(element); *p; ++p) {
      if (*p == '"')
        quoted = !quoted;
      else if (*p == ',' && !quoted)
        converted += '\t';
      else
        converted += *p;
    }
    element->SetTxt(converted.c_str());
  }
  return lines;
}

int CTxtArray::SaveToFile(const char* path, CTxt& msg, int maxLines, int append) const {
  std::string content;
  if (append == 1) {
    int error = ReadExistingFile(path, content);
    if (error) {
      FormatOpenError(msg, path, error);
      return -1;
    }
  }
  int count = GetSize();
  if (maxLines > 0 && maxLines < count) count = maxLines;
  for (int i = 0; i < count; ++i) {
    content += TextOf(GetAt(i));
    content += "\r\n";
  }
  CTxt reason;
  if (WriteFileAtomically(path, content.data(), content.size(), reason) < 0) {
    msg.Format("Cannot open %s (%s)", OrEmpty(path), static_cast<const char*>(reason));
    return -1;
  }
  // The report names the array's size, also when maxLines wrote fewer.
  msg.Format(GetSize() < 2 ? "Saved %d line to %s" : "Saved %d lines to %s", GetSize(), path);
  return 0;
}

int CTxtArray::SaveToNextFile(const char* pattern, CTxt& msg) const {
  CTxt name;
  if (name.GetNextFile(pattern) < 0) {
    msg.Format("Missing Sequence Placeholder (%%) in: %s", OrEmpty(pattern));
    return -10;
  }
  return SaveToFile(name, msg, 0, 0);
}

// --- Folder listings --------------------------------------------------------------------------------------

int CTxtArray::LoadFromDirNoSort(const char* dir, int descend, int noDirs, const char* pattern, int level,
                                 int logLevel) {
  if (level == 0) RemoveAll();
  ListFolder(dir, descend, noDirs, pattern, level, logLevel);
  return GetSize();
}

int CTxtArray::LoadFromDir(const char* dir, int descend, int noDirs, const char* pattern, int level,
                           int logLevel) {
  LoadFromDirNoSort(dir, descend, noDirs, pattern, level, logLevel);
  if (level != 0) return GetSize();
  return SortListing(dir, descend, noDirs, pattern, level, logLevel);
}

int CTxtArray::SortListing(const char* dir, int descend, int noDirs, const char* pattern, int level,
                           int logLevel) {
  if (logLevel > 0)
    LogTrace(kLogCategory, kLogDetail, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, Sort %d Files",
             OrEmpty(dir), descend, noDirs, OrEmpty(pattern), level, GetSize());
  Sort();
  if (logLevel > 0)
    LogTrace(kLogCategory, kLogDetail,
             "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, Sort %d Files - Completed", OrEmpty(dir), descend,
             noDirs, OrEmpty(pattern), level, GetSize());
  return GetSize();
}

int CTxtArray::LoadFromDirSortTime(const char* dir, int descend, int noDirs, const char* pattern, int level,
                                   int logLevel) {
  return LoadFromDirSortTimeStyle(1, dir, descend, noDirs, pattern, level, logLevel);
}

int CTxtArray::LoadFromDirSortTimeStyle(int style, const char* dir, int descend, int noDirs,
                                        const char* pattern, int level, int logLevel) {
  m_timeSortStyle = style;
  // The listing itself runs without log lines; the sort logs as LoadFromDir does.
  LoadFromDirNoSort(dir, descend, noDirs, pattern, level, 0);
  if (level != 0) return GetSize();
  return SortListing(dir, descend, noDirs, pattern, level, logLevel);
}

int CTxtArray::ListFolder(const char* dir, int descend, int noDirs, const char* pattern, int level,
                          int logLevel) {
  const char* pat = OrEmpty(pattern);
  if (logLevel > 0)
    LogTrace(kLogCategory, kLogDetail, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d", OrEmpty(dir), descend,
             noDirs, pat, level);
  std::string extension;    // "!ext": files of that extension only
  std::string names = "*";  // otherwise a wildcard for the names
  if (pat[0] == '!')
    extension = WithoutDot(pat + 1);
  else if (*pat)
    names = pat;
  // A pattern with a folder part ("sub/*.txt") searches that sub-folder.
  std::string folder = FolderOrCurrent(dir);
  size_t slash = names.find_last_of("/\\");
  if (slash != std::string::npos) {
    folder += "/" + names.substr(0, slash);
    names = names.substr(slash + 1);
  }
  std::string search = folder + "/" + names;
  FolderScan scan;
  bool opened = scan.Open(folder.c_str());
  if (logLevel > 0)
    LogTrace(kLogCategory, kLogDetail, "Dir=%s, Desc=%d, File=%d, Path=%s, nLev=%d, hFindFn=%p, File=%s",
             OrEmpty(dir), descend, noDirs, pat, level, scan.Handle(), search.c_str());
  if (!opened) return GetSize();
  // Sub-folders are descended into whatever the name pattern, so that *.txt also finds the files of
  // sub-folders whose own names do not end in .txt.
  const std::string subPattern = extension.empty() ? names : std::string(pat);
  for (std::string name; scan.Next(name);) {
    std::string path = folder + "/" + name;
    if (logLevel > 1)
      LogTrace(kLogCategory, kLogDebug, "Dir=%s, nLev=%d, File=%s", OrEmpty(dir), level, path.c_str());
    FileStatus status;
    if (ReadFileStatus(path.c_str(), status) < 0) continue;
    bool nameMatches = WildcardMatch(names.c_str(), name.c_str());
    if (status.isFolder) {
      if (nameMatches && noDirs != 1 && extension.empty()) {
        CTxt entry(path.c_str());
        entry.MakeFn();
        Add(entry);
      }
      if (descend == 1 && level < kMaxFolderDepth)
        ListFolder(path.c_str(), descend, noDirs, subPattern.c_str(), level + 1, logLevel);
      continue;
    }
    if (!nameMatches) continue;
    if (!extension.empty() && !EqualNoCase(ExtensionOf(name).c_str(), extension.c_str())) continue;
    if (AddFolderEntry(path.c_str(), status) && logLevel > 0)
      LogTrace(kLogCategory, kLogDetail, "Dir=%s, nLev=%d, Found File=%s", OrEmpty(dir), level,
               GetAtTxt(GetSize() - 1));
  }
  return GetSize();
}

// Adds one file in the entry form of the time sort style; false when its time cannot be read.
bool CTxtArray::AddFolderEntry(const char* path, const FileStatus& status) {
  CTxt file(path);
  file.MakeFn();
  CTxt entry;
  if (m_timeSortStyle == 1 || m_timeSortStyle == 2) {
    bool known = m_timeSortStyle == 1 ? status.hasCreated : status.hasWritten;
    if (!known) return false;
    const LocalStamp& t = m_timeSortStyle == 1 ? status.created : status.written;
    entry.Format("%04d%02d%02d|%02d%02d%02d.%03d|%s", t.year, t.month, t.day, t.hour, t.minute, t.second,
                 t.millisecond, static_cast<const char*>(file));
  } else if (m_timeSortStyle == 3) {
    CTxt name;
    file.GetFileTxt(5, name);
    int64_t seconds = EqualNoCase(name, "NUL") ? 0 : status.modifiedSeconds;
    entry.Format("%09u|%s", static_cast<unsigned>(seconds), static_cast<const char*>(file));
  } else {
    entry = file;
  }
  return Add(entry) >= 0;
}

int CTxtArray::LoadFromFilesFromTree(const char* dir, const char* extensions, int level, int logLevel) {
  if (level == 0) RemoveAll();
  return ListTree(dir, SplitExtensions(extensions), level, logLevel);
}

int CTxtArray::ListTree(const char* dir, const std::vector<std::string>& extensions, int level,
                        int logLevel) {
  if (logLevel > 0) LogTrace(kLogCategory, kLogDetail, "Tree=%s, nLev=%d", OrEmpty(dir), level);
  FolderScan scan;
  if (!scan.Open(FolderOrCurrent(dir).c_str())) return GetSize();
  for (std::string name; scan.Next(name);) {
    std::string path = FolderOrCurrent(dir) + "/" + name;
    FileStatus status;
    if (ReadFileStatus(path.c_str(), status) < 0) continue;
    if (status.isFolder) {
      if (level < kMaxFolderDepth) ListTree(path.c_str(), extensions, level + 1, logLevel);
      continue;
    }
    bool wanted = extensions.empty();
    for (const std::string& ext : extensions)
      wanted = wanted || EqualNoCase(ExtensionOf(name).c_str(), ext.c_str());
    if (wanted && AddFolderEntry(path.c_str(), status) && logLevel > 0)
      LogTrace(kLogCategory, kLogDetail, "Dir=%s, nLev=%d, Found File=%s", OrEmpty(dir), level,
               GetAtTxt(GetSize() - 1));
  }
  return GetSize();
}

// --- Sorting
// ------------------------------------------------------------------------------------------------

int CTxtArray::Sort() {
  int result = SortRecords(CompareRecordsNoCase);
  if (result >= 0) m_items.SetSizeInit(GetSize() + 100, GetSize() + 100);
  return result;
}

int CTxtArray::SortCust(SlotCompare cmp) {
  return cmp ? SortRecords(cmp) : -1;
}

// All texts go into one zero-filled table of fixed-width records, which qsort orders; the elements then take
// the records back in order.
int CTxtArray::SortRecords(SlotCompare cmp) {
  int n = GetSize();
  if (n < 2) return n;
  size_t longest = 0;
  for (int i = 0; i < n; ++i) {
    size_t length = std::strlen(TextOf(GetAt(i)));
    if (length > longest) longest = length;
  }
  size_t width = longest + 1;
  size_t records = static_cast<size_t>(n) + 10;
  if (width > SIZE_MAX / records) return -1;
  std::unique_ptr<char, decltype(&std::free)> table(static_cast<char*>(std::calloc(records, width)),
                                                    &std::free);
  if (!table) return -1;
  for (int i = 0; i < n; ++i) {
    const char* text = TextOf(GetAt(i));
    std::memcpy(table.get() + static_cast<size_t>(i) * width, text, std::strlen(text));
  }
  std::qsort(table.get(), static_cast<size_t>(n), width, cmp);
  for (int i = 0; i < n; ++i) GetAt(i)->SetTxt(table.get() + static_cast<size_t>(i) * width);
  return n;
}

// --- CTxt's reader of a text list ------------------------------------------------------------------------

int CTxt::LoadFromArray(CTxtArray* array, const char* sep) {
  if (!sep) sep = "\r\n";
  std::string all;
  int n = array ? array->GetSize() : 0;
  for (int i = 0; i < n; ++i) {
    const char* text = array->GetAtTxt(i);
    all += text ? text : "";
    all += sep;
  }
  SetTxt(all.c_str());
  return n;
}
