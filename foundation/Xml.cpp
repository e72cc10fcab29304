// The strict XML reader (CXML), the PlainNode tree and the tolerant HTML tokenizer (LoadHTM).
#include "foundation/Xml.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>

#include "foundation/Log.h"

namespace {

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
inline bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool IsAlnum(char c) {
  return IsAlpha(c) || IsDigit(c);
}
inline bool IsHex(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline int HexValue(char c) {
  return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10;
}
inline char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A node's text as characters without giving it a buffer (the non-const conversion of CTxt allocates).
inline const char* Str(const CTxt& t) {
  return t;
}

std::string VFormat(const char* fmt, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = vsnprintf(nullptr, 0, fmt, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n) + 1, '\0');
  vsnprintf(&out[0], out.size(), fmt, args);
  out.resize(static_cast<size_t>(n));
  return out;
}

// The named entities both the reader and XML2Txt understand.
struct NamedEntity {
  const char* text;
  size_t length;
  char value;
};
const NamedEntity kEntities[] = {
    {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&amp;", 5, '&'}, {"&apos;", 6, '\''}, {"&quot;", 6, '"'},
};

// Decodes the entity at p (which points at '&', at most avail characters left). Returns the number of
// characters it spans and its byte in value, or 0 when p starts no known entity. "&#x" takes up to two
// hexadecimal digits (and a ';' after them); "&#" decimal digits and ';' give a byte below 256.
size_t DecodeEntity(const char* p, size_t avail, char& value) {
  for (const NamedEntity& e : kEntities) {
    if (avail >= e.length && memcmp(p, e.text, e.length) == 0) {
      value = e.value;
      return e.length;
    }
  }
  if (avail >= 4 && p[1] == '#' && (p[2] == 'x' || p[2] == 'X') && IsHex(p[3])) {
    size_t n = 3;
    int v = 0;
    while (n < avail && n < 5 && IsHex(p[n])) v = v * 16 + HexValue(p[n++]);
    if (n < avail && p[n] == ';') ++n;
    value = static_cast<char>(v);
    return n;
  }
  if (avail >= 4 && p[1] == '#' && IsDigit(p[2])) {
    size_t n = 2;
    int v = 0;
    while (n < avail && n < 6 && IsDigit(p[n])) v = v * 10 + (p[n++] - '0');
    if (n < avail && p[n] == ';' && v < 256) {
      value = static_cast<char>(v);
      return n + 1;
    }
  }
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// CXML
// ---------------------------------------------------------------------------------------------------------

// One pass over one document. Results of the steps: 0 go on, kStopAtHook stop without error, negative
// end the read with that code.
class CXML::Scanner {
 public:
  Scanner(CXML& reader, const char* doc, size_t length, XmlCallback callback, void* context)
      : m_x(reader), m_doc(doc), m_len(length), m_callback(callback), m_context(context) {}

  int Run() {
    m_x.m_line = 1;
    m_x.m_col = 0;
    m_x.m_pos = 0;
    m_x.m_text.clear();
    if (m_x.m_progress) {
      m_x.m_progress(-1.0f, m_x.GetFileName());
      m_progressStep = std::max<size_t>(m_len / 200, 100);
    }
    while (!AtEnd()) {
      int r = Peek() == '<' ? StartTag() : TakeContentChar();
      if (r == kStopAtHook) return 0;
      if (r < 0) return r;
    }
    return UnclosedTags();
  }

 private:
  static constexpr int kStopAtHook = 1;

  bool AtEnd() const { return m_i >= m_len; }
  char Peek(size_t ahead = 0) const { return m_i + ahead < m_len ? m_doc[m_i + ahead] : '\0'; }
  char Next() {
    char c = m_doc[m_i++];
    ++m_x.m_pos;
    if (c == '\n') {
      ++m_x.m_line;
      m_x.m_col = 0;
    } else {
      ++m_x.m_col;
    }
    if (m_x.m_progress && ++m_sinceProgress >= m_progressStep) {
      m_sinceProgress = 0;
      m_x.m_progress(static_cast<float>(100.0 * static_cast<double>(m_i) / static_cast<double>(m_len)),
                     m_x.GetFileName());
    }
    return c;
  }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) Next();
  }
  // The document from the '<' of the tag being read, for messages ("%-.50s" shows its start).
  const char* TagText() const { return m_doc + m_tagStart; }

  int Fire(int event) {
    m_x.m_event = event;
    if (m_callback) {
      int r = m_callback(&m_x, m_context);
      if (r < 0) return r;
    }
    if ((m_x.m_flags & kXmlFlagStopAtHook) && m_x.m_nodeTop) {
      LogTrace("XML", 0, "Exit after creating requested hook node");
      return kStopAtHook;
    }
    return 0;
  }

  // Appends one character or one entity at the current position to m_x.m_text.
  int TakeChar() {
    char value = 0;
    size_t span = Peek() == '&' ? DecodeEntity(m_doc + m_i, m_len - m_i, value) : 0;
    if (span == 0) {
      value = Peek();
      span = 1;
    }
    for (size_t k = 0; k < span; ++k) Next();
    if (m_x.m_text.size() >= static_cast<size_t>(kXmlMaxText)) {
      m_x.AddErr("Text is too long (max %d) in '%-.50s'", kXmlMaxText, m_x.m_text.c_str());
      return kXmlSyntaxError;
    }
    m_x.m_text.push_back(value);
    return 0;
  }

  // Content is kept only inside an element; text around the outermost element is skipped.
  int TakeContentChar() {
    if (m_x.m_depth == 0) {
      Next();
      return 0;
    }
    return TakeChar();
  }

  int StartTag() {
    if (m_x.m_depth > 0) {
      int r = Fire(XMLEV_CONTENT);
      if (r) return r;
    }
    m_x.m_text.clear();
    m_tagStart = m_i;
    Next();  // '<'
    if (Peek() == '!' && Peek(1) == '-' && Peek(2) == '-') return Comment();
    std::string name;
    while (!AtEnd() && IsTagNameChar(Peek())) name.push_back(Next());
    if (name.empty()) return Error("Missing tag in '%-.50s'", TagText());
    if (name[0] == '/') return EndTag(name.substr(1));
    if (!IsAlnum(name[0]) && name[0] != '?' && name[0] != '!')
      return Error("Tag contains invalid character '%c' in '%-.50s'", name[0], TagText());
    size_t slash = name.find('/');
    if (slash != std::string::npos && slash + 1 < name.size())
      return Error("Invalid character '%c' after tag closing slash in '%-.50s'", name[slash + 1], TagText());
    bool closedAtOnce = slash != std::string::npos;
    if (closedAtOnce) name.pop_back();
    if (m_x.AddTag(name.c_str()) < 0) return kXmlSyntaxError;
    int r = Fire(XMLEV_START_TAG);
    if (r) return r;
    if (name[0] == '!' || name[0] == '?') return Declaration();
    if (closedAtOnce) {
      if (Peek() != '>')
        return Error("Invalid character '%c' after tag closing slash in '%-.50s'", Shown(), TagText());
      Next();
      return CompleteAndClose();
    }
    return Attributes();
  }

  int EndTag(const std::string& name) {
    if (name.empty()) return Error("Missing tag in '%-.50s'", TagText());
    if (!IsAlnum(name[0]) && name[0] != '?' && name[0] != '!')
      return Error("Tag contains invalid character '%c' in '%-.50s'", name[0], TagText());
    size_t slash = name.find('/');
    if (slash != std::string::npos)
      return Error("Invalid character '%c' after tag closing slash in '%-.50s'",
                   slash + 1 < name.size() ? name[slash + 1] : Shown(), TagText());
    SkipSpace();
    if (AtEnd()) return 0;  // reported as an unclosed tag
    if (Peek() != '>') return Error("Tag contains invalid character '%c' in '%-.50s'", Peek(), TagText());
    if (m_x.m_depth == 0) return Error("Closing Tag has no parent in '%-.50s'", TagText());
    if (!EqualNoCase(name.c_str(), m_x.GetTag(0)))
      return Error("Closing Tag mismatch, expected '%s' in '%-.50s'", m_x.GetTag(0), TagText());
    Next();
    int r = Fire(XMLEV_TAG_CLOSED);
    m_x.CloseTag();
    return r;
  }

  // "<!..." and "<?...": skipped to their '>' ("?>" and "-->" for processing instructions and comments).
  int Declaration() {
    const char* end = m_x.GetTag(0)[0] == '?' ? "?>" : ">";
    if (!SkipPast(end)) return 0;  // reported as an unclosed tag
    int r = Fire(XMLEV_TAG_COMPLETE);
    m_x.CloseTag();
    return r;
  }

  int Comment() {
    for (int k = 0; k < 3; ++k) Next();  // "!--"
    if (m_x.AddTag("!--") < 0) return kXmlSyntaxError;
    int r = Fire(XMLEV_START_TAG);
    if (r) return r;
    if (!SkipPast("-->")) return 0;
    r = Fire(XMLEV_TAG_COMPLETE);
    m_x.CloseTag();
    return r;
  }

  bool SkipPast(const char* marker) {
    size_t n = strlen(marker);
    while (!AtEnd()) {
      if (m_len - m_i >= n && memcmp(m_doc + m_i, marker, n) == 0) {
        for (size_t k = 0; k < n; ++k) Next();
        return true;
      }
      Next();
    }
    return false;
  }

  int CompleteAndClose() {
    int r = Fire(XMLEV_TAG_COMPLETE);
    if (r) return r;
    r = Fire(XMLEV_TAG_CLOSED);
    m_x.CloseTag();
    return r;
  }

  int Attributes() {
    for (;;) {
      SkipSpace();
      if (AtEnd()) return 0;  // reported as an unclosed tag
      char c = Peek();
      if (c == '>') {
        Next();
        return Fire(XMLEV_TAG_COMPLETE);
      }
      if (c == '/') {
        Next();
        if (Peek() != '>')
          return Error("Invalid character '%c' after tag closing slash in '%-.50s'", Shown(), TagText());
        Next();
        return CompleteAndClose();
      }
      int r = Attribute();
      if (r) return r;
    }
  }

  int Attribute() {
    m_x.m_attrName.clear();
    while (!AtEnd() && IsAttrNameChar(Peek())) {
      if (m_x.m_attrName.size() >= static_cast<size_t>(kXmlMaxAttrName))
        return Error("Attribute name '%s' is too long (max %d)", m_x.m_attrName.c_str(), kXmlMaxAttrName);
      m_x.m_attrName.push_back(Next());
    }
    SkipSpace();
    if (AtEnd()) return 0;
    if (Peek() != '=' || m_x.m_attrName.empty())
      return Error("Attribute contains invalid character '%c' in '%-.50s'", Peek(), TagText());
    Next();
    SkipSpace();
    if (AtEnd()) return 0;
    char quote = Peek();
    if (quote != '"' && quote != '\'')
      return Error("Value is missing opening quote, found '%c' in '%-.50s'", quote, TagText());
    Next();
    m_x.m_text.clear();
    for (;;) {
      if (AtEnd() || Peek() == '<')
        return Error("Value for attribute '%s' is  missing closing quote", m_x.m_attrName.c_str());
      if (Peek() == quote) break;
      int r = TakeChar();
      if (r) return r;
    }
    Next();
    int r = Fire(XMLEV_ATTRIBUTE);
    m_x.m_text.clear();
    return r;
  }

  int UnclosedTags() {
    if (m_x.m_depth == 0) return 0;
    if (m_x.m_depth == 1) {
      m_x.AddErr("Tag not closed: %s", m_x.GetTag(0));
    } else {
      std::string names;
      for (int n = m_x.m_depth - 1; n >= 0; --n) {
        names += m_x.GetTag(n);
        if (n > 0) names += ", ";
      }
      m_x.AddErr("%d Tag(s) not closed:\n%s", m_x.m_depth, names.c_str());
    }
    return kXmlSyntaxError;
  }

  int Error(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(2, 3) {
    va_list args;
    va_start(args, fmt);
    std::string text = VFormat(fmt, args);
    va_end(args);
    m_x.AddErr("%s", text.c_str());
    return kXmlSyntaxError;
  }

  char Shown() const { return AtEnd() ? ' ' : Peek(); }
  static bool IsTagNameChar(char c) {
    return IsAlnum(c) || c == '-' || c == '.' || c == '_' || c == ':' || c == '/' || c == '?' || c == '!';
  }
  static bool IsAttrNameChar(char c) { return IsAlnum(c) || c == '-' || c == '.' || c == '_' || c == ':'; }

  CXML& m_x;
  const char* m_doc;
  size_t m_len;
  size_t m_i = 0;
  size_t m_tagStart = 0;
  XmlCallback m_callback;
  void* m_context;
  size_t m_progressStep = 0;
  size_t m_sinceProgress = 0;
};

CXML::CXML() {
  m_text.reserve(kXmlMaxText + 1);
  m_attrName.reserve(kXmlMaxAttrName + 1);
  memset(m_tags, 0, sizeof(m_tags));
}

void CXML::Clear() {
  m_errors.clear();
  m_warnings.clear();
  m_depth = 0;
  m_event = XMLEV_CONTENT;
  m_attrName.clear();
  m_text.clear();
  m_line = 1;
  m_col = 0;
  m_pos = 0;
}

int CXML::LoadFile(const char* source, XmlCallback callback, void* context) {
  Clear();
  if (!source) source = "";
  if (m_flags & kXmlFlagSourceIsText) {
    size_t length = strlen(source);
    char name[64];
    snprintf(name, sizeof(name), "(%d Bytes RAM, %p)", static_cast<int>(length),
             static_cast<const void*>(source));
    m_fileName = name;
    return Scanner(*this, source, length, callback, context).Run();
  }
  m_fileName.assign(source, std::min<size_t>(strlen(source), kXmlMaxFileName));
  struct stat st;
  if (stat(source, &st) != 0) {
    AddErr("LoadFile: File '%s' does not exist", source);
    return -1;
  }
  if (st.st_size == 0) {
    AddErr("LoadFile: File '%s' is empty", source);
    return -5;
  }
  size_t size = static_cast<size_t>(st.st_size);
  std::string doc;
  try {
    doc.resize(size + 10);
  } catch (const std::bad_alloc&) {
    AddErr("LoadFile: Out of memory, file '%s' (%d bytes)", source, static_cast<int>(size));
    return -2;
  }
  FILE* f = fopen(source, "rb");
  if (!f) {
    AddErr("LoadFile: Cannot open file '%s' (%s)", source, strerror(errno));
    return -3;
  }
  size_t got = fread(&doc[0], 1, size, f);
  fclose(f);
  if (got < size) {
    AddErr("LoadFile: Read error %d%%, file '%s' (%d bytes)", static_cast<int>(got * 100 / size), source,
           static_cast<int>(size));
    return -4;
  }
  doc[size] = '\0';  // messages show the document from a position with "%.50s"
  return Scanner(*this, doc.data(), size, callback, context).Run();
}

int CXML::AddTag(const char* name) {
  if (strlen(name) > static_cast<size_t>(kXmlMaxTagName)) {
    AddErr("Tagname '%s' is too long (max %d)", name, kXmlMaxTagName);
    return kXmlSyntaxError;
  }
  if (m_depth >= kXmlMaxDepth) {
    AddErr("Too many nested tags in '%s' (max depth %d)", name, kXmlMaxDepth);
    return kXmlSyntaxError;
  }
  XML_TAGITEM& item = m_tags[m_depth];
  snprintf(item.name, sizeof(item.name), "%s", name);
  item.flags = m_depth == 0 ? kXmlTagOutermost : 0;
  return ++m_depth;
}

const char* CXML::GetTag(int n) const {
  if (n < 0 || n >= m_depth) return nullptr;
  return m_tags[m_depth - 1 - n].name;
}

int CXML::CloseTag() {
  if (m_depth == 0) return -1;
  return --m_depth;
}

namespace {

// "ERROR#n:" or "WARNING#n:", the text, then where in which file it was met.
std::string LocatedMessage(const char* kind, size_t number, const std::string& text, int line, int col,
                           const std::string& fileName) {
  char head[64];
  snprintf(head, sizeof(head), "%s#%d:\n", kind, static_cast<int>(number));
  char tail[64];
  snprintf(tail, sizeof(tail), "\n\nLine %d, Column %d\nFile ", line, col);
  return head + text + tail + fileName;
}

}  // namespace

void CXML::AddErr(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = VFormat(fmt, args);
  va_end(args);
  std::string message = LocatedMessage("ERROR", m_errors.size() + 1, text, m_line, m_col, m_fileName);
  LogTrace("XML", 0, "%s", message.c_str());
  m_errors.push_back(message);
}

void CXML::AddWarn(const char* fmt, ...) {
  if (m_flags & kXmlFlagNoWarnings) return;
  va_list args;
  va_start(args, fmt);
  std::string text = VFormat(fmt, args);
  va_end(args);
  std::string message = LocatedMessage("WARNING", m_warnings.size() + 1, text, m_line, m_col, m_fileName);
  LogTrace("XML", 0, "%s", message.c_str());
  m_warnings.push_back(message);
}

// ---------------------------------------------------------------------------------------------------------
// PlainNode
// ---------------------------------------------------------------------------------------------------------

int PlainNode::GetContentBin(CTxt& out) const {
  XML2Txt(m_content, out);
  return out.GetLength();
}

PlainNode* PlainNode::GetChild(int index) const {
  if (!m_root || index < 0 || index >= GetNumChildren()) return nullptr;
  return m_root->GetNode(static_cast<int>(m_children[static_cast<size_t>(index)]));
}

int PlainNode::FindChild(const PlainNode* node) const {
  if (!node) return -1;
  for (size_t i = 0; i < m_children.size(); ++i)
    if (static_cast<int>(m_children[i]) == node->m_plainID) return static_cast<int>(i);
  return -1;
}

PlainNode* PlainNode::FindChild(const char* tag, const char* attrText) const {
  for (int i = 0; i < GetNumChildren(); ++i) {
    PlainNode* child = GetChild(i);
    if (!child || !EqualNoCase(Str(child->m_tag), tag)) continue;
    if (!attrText) return child;
    for (const PlainNodeAttr& a : child->m_attrs)
      if (EqualNoCase(Str(a.GetValue()), attrText)) return child;
  }
  return nullptr;
}

PlainNode* PlainNode::FindChildByTag(const char* tag) const {
  return FindChild(tag, nullptr);
}

int PlainNode::LoadChildren(const char* tag) {
  m_children.clear();
  if (!m_root) return 0;
  int count = m_root->GetNumNode();
  int end = count;
  // In a tokenized page the parent ID of a start tag names its end tag: children lie between the two.
  if (m_parentID > m_plainID && m_plainID > 0) end = m_parentID - 1;
  for (int i = m_plainID; i < end; ++i) {
    PlainNode* node = m_root->m_nodes[static_cast<size_t>(i)];
    if (node && EqualNoCase(Str(node->m_tag), tag))
      m_children.push_back(static_cast<uint32_t>(node->m_plainID));
  }
  return GetNumChildren();
}

PlainNode* PlainNode::GetParent() const {
  if (!m_root) return nullptr;
  if (m_parentID == 0) return m_plainID == 0 ? nullptr : m_root;
  return m_root->GetNode(m_parentID);
}

PlainNode* PlainNode::MakeChildAt(int pos, const char* tag) {
  if (!m_root) {
    LogTrace("PlainNode", 0, "Missing m_pRootPlain!");
    return nullptr;
  }
  PlainNode* node = m_root->NewNode(m_plainID);
  if (tag) node->m_tag = tag;
  pos = std::max(0, std::min(pos, GetNumChildren()));
  m_children.insert(m_children.begin() + pos, static_cast<uint32_t>(node->m_plainID));
  return node;
}

PlainNode* PlainNode::AddNode(const char* tag) {
  return MakeChildAt(GetNumChildren(), tag);
}

PlainNode* PlainNode::InsertChild(int pos, const char* tag) {
  return MakeChildAt(pos, tag);
}

PlainNode* PlainNode::InsertSibling(const char* tag, int before) {
  if (!m_root) {
    LogTrace("PlainNode", 0, "Missing m_pRootPlain!");
    return nullptr;
  }
  PlainNode* parent = GetParent();
  if (!parent) {
    LogTrace("PlainNode", 0, "No Parent!");
    return nullptr;
  }
  int index = parent->FindChild(this);
  if (index < 0) {
    LogTrace("PlainNode", 0, "Corrupted Child list!");
    return nullptr;
  }
  return parent->MakeChildAt(before ? index : index + 1, tag);
}

int PlainNode::DeleteChild(int index) {
  if (!m_root || index < 0 || index >= GetNumChildren()) return -1;
  return m_root->DeleteNode(static_cast<int>(m_children[static_cast<size_t>(index)]));
}

void PlainNode::SortChildren(int (*cmp)(const PlainNode* a, const PlainNode* b)) {
  if (!m_root || !cmp) return;
  RootPlainNode* root = m_root;
  std::stable_sort(m_children.begin(), m_children.end(), [root, cmp](uint32_t a, uint32_t b) {
    return cmp(root->GetNode(static_cast<int>(a)), root->GetNode(static_cast<int>(b))) < 0;
  });
}

const PlainNodeAttr* PlainNode::GetAttr(int index) const {
  if (index < 0 || index >= GetNumAttr()) return nullptr;
  return &m_attrs[static_cast<size_t>(index)];
}

const PlainNodeAttr* PlainNode::FindAttr(const char* name) const {
  for (const PlainNodeAttr& a : m_attrs)
    if (EqualNoCase(Str(a.GetName()), name)) return &a;
  return nullptr;
}

PlainNodeAttr* PlainNode::AddAttr(const char* name, const char* value) {
  m_attrs.emplace_back(name, value);
  return &m_attrs.back();
}

int PlainNode::GetAttrText(const char* name, CTxt& out) const {
  const PlainNodeAttr* a = FindAttr(name);
  out = a && a->GetValue().IsFilled() ? a->GetValue().GetData() : "";
  return out.GetLength();
}

int PlainNode::GetAttrInt(const char* name, int& value) const {
  const PlainNodeAttr* a = FindAttr(name);
  if (!a) return -1;
  value = atoi(a->GetValue());
  return 0;
}

int PlainNode::GetAttrHex(const char* name, int& value) const {
  const PlainNodeAttr* a = FindAttr(name);
  if (!a) return -1;
  value = HexToInt(a->GetValue());
  return 0;
}

int PlainNode::GetAttrList(CTxt& out) const {
  std::string list;
  for (const PlainNodeAttr& a : m_attrs) {
    if (!list.empty()) list += ' ';
    list += static_cast<const char*>(a.GetName());
    list += "=\"";
    list += static_cast<const char*>(a.GetValue());
    list += '"';
  }
  out = list.c_str();
  return GetNumAttr();
}

PlainNode* PlainNode::FindTag(const char* tag) const {
  for (int i = 0; i < GetNumChildren(); ++i) {
    PlainNode* child = GetChild(i);
    if (!child) continue;
    if (EqualNoCase(Str(child->m_tag), tag)) return child;
    if (PlainNode* found = child->FindTag(tag)) return found;
  }
  return nullptr;
}

int PlainNode::IterateNodes(int (*fn)(PlainNode* node, void* context), void* context) const {
  for (int i = 0; i < GetNumChildren(); ++i) {
    PlainNode* child = GetChild(i);
    if (!child) continue;
    if (int r = fn(child, context)) return r;
  }
  return 0;
}

int PlainNode::IterateNodesDescend(int (*fn)(PlainNode* node, void* context), void* context) const {
  for (int i = 0; i < GetNumChildren(); ++i) {
    PlainNode* child = GetChild(i);
    if (!child) continue;
    if (int r = fn(child, context)) return r;
    if (int r = child->IterateNodesDescend(fn, context)) return r;
  }
  return 0;
}

int PlainNode::GetNumDesc() const {
  int count = 0;
  for (int i = 0; i < GetNumChildren(); ++i)
    if (PlainNode* child = GetChild(i)) count += 1 + child->GetNumDesc();
  return count;
}

int PlainNode::GetDiff(const PlainNode& other, CTxt* report) const {
  if (report) report->MakeEmpty();
  return DiffInto(other, report, 0);
}

int PlainNode::DiffInto(const PlainNode& other, CTxt* report, int depth) const {
  int diffs = 0;
  auto note = [&](const char* what, const char* a, const char* b) {
    ++diffs;
    if (!report) return;
    CTxt line;
    line.Format("%*s<%s> %s: '%s' / '%s'\r\n", depth * 2, "", static_cast<const char*>(m_tag), what, a, b);
    report->AddTxt(line);
  };
  if (!EqualNoCase(m_tag, other.m_tag)) note("tag", m_tag, other.m_tag);
  if (strcmp(m_content, other.m_content) != 0) note("content", m_content, other.m_content);
  CTxt mine, theirs;
  GetAttrList(mine);
  other.GetAttrList(theirs);
  if (strcmp(mine, theirs) != 0) note("attributes", mine, theirs);
  if (GetNumChildren() != other.GetNumChildren()) {
    note("children", std::to_string(GetNumChildren()).c_str(),
         std::to_string(other.GetNumChildren()).c_str());
  }
  int common = std::min(GetNumChildren(), other.GetNumChildren());
  for (int i = 0; i < common; ++i) {
    PlainNode* a = GetChild(i);
    PlainNode* b = other.GetChild(i);
    if (a && b) diffs += a->DiffInto(*b, report, depth + 1);
  }
  return diffs;
}

int PlainNode::Txt2XML(const char* text, CTxt& out) {
  out = text ? text : "";
  out.ConvTxt2XML();
  return out.GetLength();
}

int PlainNode::XML2Txt(const char* text, CTxt& out) {
  std::string decoded;
  int entities = 0;
  size_t n = text ? strlen(text) : 0;
  decoded.reserve(n);
  for (size_t i = 0; i < n;) {
    char value = 0;
    size_t span = text[i] == '&' ? DecodeEntity(text + i, n - i, value) : 0;
    if (span > 0) {
      decoded.push_back(value);
      i += span;
      ++entities;
    } else {
      decoded.push_back(text[i++]);
    }
  }
  out = decoded.c_str();
  return entities;
}

void PlainNode::ReleaseContents() {
  m_tag.Empty();
  m_content.Empty();
  std::vector<uint32_t>().swap(m_children);
  std::vector<PlainNodeAttr>().swap(m_attrs);
}

// ---------------------------------------------------------------------------------------------------------
// RootPlainNode
// ---------------------------------------------------------------------------------------------------------

RootPlainNode::RootPlainNode() : PlainNode(nullptr) {
  m_root = this;
}

RootPlainNode::~RootPlainNode() {
  ReleaseAllNodes();
}

PlainNode* RootPlainNode::NewNode(int parentID) {
  if (m_usedInLastBlock == m_lastBlockSize) {
    m_lastBlockSize = m_blocks.empty() ? kFirstNodeBlock : std::min(2 * m_lastBlockSize, kNodeBlock);
    m_blocks.emplace_back(new PlainNode[static_cast<size_t>(m_lastBlockSize)]);
    m_usedInLastBlock = 0;
  }
  PlainNode* node = &m_blocks.back()[static_cast<size_t>(m_usedInLastBlock++)];
  node->m_root = this;
  node->m_plainID = static_cast<int>(m_nodes.size()) + 1;
  node->m_parentID = parentID;
  node->m_nest = m_nest;
  m_nodes.push_back(node);
  return node;
}

PlainNode* RootPlainNode::GetNode(int id) const {
  if (id == 0) return const_cast<RootPlainNode*>(this);
  if (id < 0 || id > GetNumNode()) return nullptr;
  return m_nodes[static_cast<size_t>(id - 1)];
}

PlainNode* RootPlainNode::AddNodeToRootList(int parentID) {
  PlainNode* parent = GetNode(parentID);
  if (!parent) return nullptr;
  return parent->AddNode();
}

int RootPlainNode::MoveChild(int id, int newParentID, int pos) {
  PlainNode* node = id > 0 ? GetNode(id) : nullptr;
  PlainNode* newParent = GetNode(newParentID);
  if (!node || !newParent) return -1;
  // The new parent must not lie inside the moved subtree (that would cut it off from the root).
  int steps = 0;
  for (PlainNode* p = newParent; p && p != this && steps <= GetNumNode(); p = p->GetParent(), ++steps)
    if (p == node) return -2;
  if (PlainNode* oldParent = node->GetParent()) {
    int index = oldParent->FindChild(node);
    if (index >= 0) oldParent->m_children.erase(oldParent->m_children.begin() + index);
  }
  int count = newParent->GetNumChildren();
  pos = (pos < 0 || pos > count) ? count : pos;
  newParent->m_children.insert(newParent->m_children.begin() + pos, static_cast<uint32_t>(id));
  node->m_parentID = newParentID;
  return 0;
}

int RootPlainNode::DeleteNode(int id) {
  PlainNode* node = id > 0 ? GetNode(id) : nullptr;
  if (!node) return -1;
  if (PlainNode* parent = node->GetParent()) {
    int index = parent->FindChild(node);
    if (index >= 0) parent->m_children.erase(parent->m_children.begin() + index);
  }
  DeleteSubtree(node);
  return 0;
}

void RootPlainNode::DeleteSubtree(PlainNode* node) {
  // Children first; a child list is walked by ID, so an inconsistent list cannot delete a node twice.
  std::vector<uint32_t> children;
  children.swap(node->m_children);
  for (uint32_t child : children)
    if (PlainNode* c = GetNode(static_cast<int>(child)); c && c != this) DeleteSubtree(c);
  if (m_onDelete) m_onDelete(node);
  int id = node->m_plainID;
  node->ReleaseContents();
  m_nodes[static_cast<size_t>(id - 1)] = nullptr;
}

void RootPlainNode::ReleaseAllNodes() {
  if (m_onDelete)
    for (PlainNode* node : m_nodes)
      if (node) m_onDelete(node);
  m_nodes.clear();
  m_blocks.clear();
  m_lastBlockSize = 0;
  m_usedInLastBlock = 0;
  m_children.clear();
  m_nest = 0;
}

int RootPlainNode::End(int to) const {
  int count = GetNumNode();
  return (to <= 0 || to > count) ? count : to;
}

int RootPlainNode::FindTag(const char* tag, int from, int to) const {
  for (int i = Index(from), end = End(to); i < end; ++i) {
    const PlainNode* node = m_nodes[static_cast<size_t>(i)];
    if (node && EqualNoCase(Str(node->m_tag), tag)) return i;
  }
  return -1;
}

namespace {

std::string Without(const char* text, const char* skip) {
  std::string kept;
  for (const char* c = text; *c; ++c)
    if (!strchr(skip, *c)) kept.push_back(*c);
  return kept;
}

// Content and text compared with the characters of skip left out of both, ignoring case (in place: the
// searches below run it on every node of a page).
bool EqualSkipping(const char* content, const char* text, const char* skip) {
  for (;; ++content, ++text) {
    while (*content && strchr(skip, *content)) ++content;
    while (*text && strchr(skip, *text)) ++text;
    if (!*content || !*text) return !*content && !*text;
    if (Upper(*content) != Upper(*text)) return false;
  }
}

bool ContainsSkipping(const char* content, const char* text, const char* skip) {
  std::string wanted = Without(text, skip);
  return !wanted.empty() && FindNoCase(Without(content, skip).c_str(), wanted.c_str()) >= 0;
}

}  // namespace

int RootPlainNode::FindContent(const char* text, int from, int to) const {
  if (!text) return -1;
  for (int i = Index(from), end = End(to); i < end; ++i) {
    const PlainNode* node = m_nodes[static_cast<size_t>(i)];
    if (node && EqualSkipping(Str(node->m_content), text, "\r\n\t")) return i;
  }
  return -1;
}

int RootPlainNode::FindContentTag(const char* tag, const char* text, int from, int to) const {
  for (int i = Index(from), end = End(to); i < end; ++i) {
    const PlainNode* node = m_nodes[static_cast<size_t>(i)];
    if (!node || !EqualNoCase(Str(node->m_tag), tag)) continue;
    if (!text) return i;
    bool match = text[0] == '<' ? ContainsSkipping(Str(node->m_content), text + 1, "\r\n\t ")
                                : EqualSkipping(Str(node->m_content), text, "\r\n\t ");
    if (match) return i;
  }
  return -1;
}

int RootPlainNode::LoadFile(const char* path, CTxt& msg) {
  CTxt text;
  int n = text.LoadFromFile(path);
  if (n < 1) {
    msg.Format(":Cannot read %s (%d)", path ? path : "", n);
    return -1;
  }
  return LoadHTM(text.GetData(), static_cast<size_t>(n), msg);
}

int RootPlainNode::LoadHTM(const char* text, CTxt& msg) {
  return LoadHTM(text, text ? strlen(text) : 0, msg);
}

namespace {

// The tokenizer's states.
enum HtmState { kContent, kTagName, kBeforeAttr, kAttrName, kBeforeValue, kQuotedValue };

// Start tags still waiting for their end tag, by upper-cased name, latest last.
class OpenTags {
 public:
  std::vector<int>& For(const std::string& name) {
    m_key.assign(name);
    for (char& c : m_key) c = Upper(c);
    return m_open[m_key];
  }

 private:
  std::string m_key;
  std::unordered_map<std::string, std::vector<int>> m_open;
};

}  // namespace

// The HTML tokenizer behind LoadHTM: one pass over the text, a node per tag with its attributes and the
// content after it; end tags are paired with the latest open start tag of the same name. Scratch buffers
// are reused for every node: each text is copied once, when its node is finished.
class HtmTokenizer {
 public:
  explicit HtmTokenizer(RootPlainNode& root) : m_root(root) {}

  void Run(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
      char c = text[i];
      if (m_state == kQuotedValue)
        QuotedValueChar(c);
      else if (m_state == kContent)
        ContentChar(c, i);
      else
        TagChar(c);
    }
    if (m_state != kContent)
      FinishTag();
    else
      FinishContent();
  }

 private:
  void QuotedValueChar(char c) {
    if (c == m_quote)
      m_state = kBeforeAttr;
    else
      m_attrValue.push_back(c);
  }

  void ContentChar(char c, size_t at) {
    if (c == '<') {
      FinishContent();
      m_node = m_root.NewNode(0);
      m_node->m_dataItem = static_cast<uint32_t>(at);
      m_tag.clear();
      m_state = kTagName;
    } else if (c != '"' && c != '=' && c != '>' && m_node) {
      m_content.push_back(c);
    }
  }

  void TagChar(char c) {
    if (c == '>') {
      FinishTag();
      return;
    }
    if (c == '<' || (c == '"' && m_state != kBeforeValue)) return;  // quotes are never stored
    bool blank = IsSpace(c);
    switch (m_state) {
      case kTagName:
        if (blank)
          m_state = kBeforeAttr;
        else if (c != '=')
          m_tag.push_back(c);
        break;
      case kBeforeAttr:
        if (!blank && c != '=') StartAttr(c);
        break;
      case kAttrName:
        AttrNameChar(c, blank);
        break;
      case kBeforeValue:
        ValueChar(c, blank);
        break;
      default:
        break;
    }
  }

  void AttrNameChar(char c, bool blank) {
    if (c == '=')
      m_state = kBeforeValue;
    else if (blank)
      m_attrNameEnded = true;  // "name =value" goes on; "name other" starts another attribute
    else if (m_attrNameEnded)
      StartAttr(c);
    else
      m_attrName.push_back(c);
  }

  void ValueChar(char c, bool blank) {
    if (c == '"' || (c == '\'' && m_attrValue.empty())) {
      m_quote = c;
      m_state = kQuotedValue;
    } else if (blank) {
      if (!m_attrValue.empty()) m_state = kBeforeAttr;  // an unquoted value ends at a blank
    } else if (c != '=') {
      m_attrValue.push_back(c);
    }
  }

  void CommitAttr() {
    if (m_attrPending) m_node->AddAttr(m_attrName.c_str(), m_attrValue.c_str());
    m_attrPending = false;
  }

  void StartAttr(char c) {
    CommitAttr();
    m_attrName.assign(1, c);
    m_attrValue.clear();
    m_attrPending = true;
    m_attrNameEnded = false;
    m_state = kAttrName;
  }

  void FinishTag() {
    CommitAttr();
    m_node->m_tag = m_tag.c_str();
    if (m_tag.size() > 1 && m_tag[0] == '/')
      PairEndTag();
    else if (!m_tag.empty())
      m_open.For(m_tag).push_back(m_node->m_plainID);
    m_state = kContent;
  }

  void PairEndTag() {
    std::vector<int>& waiting = m_open.For(m_tag.substr(1));
    if (waiting.empty()) return;
    PlainNode* partner = m_root.m_nodes[static_cast<size_t>(waiting.back() - 1)];
    waiting.pop_back();
    partner->m_parentID = m_node->m_plainID;
    m_node->m_parentID = partner->m_plainID;
  }

  void FinishContent() {
    if (m_node && !m_content.empty()) m_node->m_content = m_content.c_str();
    m_content.clear();
  }

  RootPlainNode& m_root;
  std::string m_tag, m_attrName, m_attrValue, m_content;
  bool m_attrPending = false, m_attrNameEnded = false;
  char m_quote = '"';
  PlainNode* m_node = nullptr;
  OpenTags m_open;
  HtmState m_state = kContent;
};

int RootPlainNode::LoadHTM(const char* text, size_t length, CTxt& msg) {
  ReleaseAllNodes();
  msg.MakeEmpty();
  m_nodes.reserve(kFirstNodeBlock);
  if (!text) return 0;
  HtmTokenizer(*this).Run(text, length);
  return GetNumNode();
}

// ---------------------------------------------------------------------------------------------------------
// XML into a tree
// ---------------------------------------------------------------------------------------------------------

namespace {

struct TreeBuilder {
  RootPlainNode* root;
  PlainNode* top;
};

bool IsDeclaration(const char* tag) {
  return tag && (tag[0] == '!' || tag[0] == '?');
}

bool IsBlankText(const char* text) {
  for (; *text; ++text)
    if (!IsSpace(*text)) return false;
  return true;
}

int BuildTree(CXML* reader, void* context) {
  TreeBuilder& b = *static_cast<TreeBuilder*>(context);
  const char* tag = reader->GetCurrTag();
  switch (reader->GetXMLEvent()) {
    case XMLEV_START_TAG:
      if (IsDeclaration(tag)) break;
      b.top = b.top->AddNode(tag);
      if (!b.top) return -1;
      b.root->NestIncr();
      break;
    case XMLEV_ATTRIBUTE:
      if (!IsDeclaration(tag)) b.top->AddAttr(reader->GetAttrID(), reader->GetAttrTxt());
      break;
    case XMLEV_CONTENT:
      if (!IsBlankText(reader->GetAttrTxt())) {
        CTxt content(b.top->GetContent());
        content.AddTxt(reader->GetAttrTxt());
        b.top->SetContent(content);
      }
      break;
    case XMLEV_TAG_CLOSED:
      b.root->NestDecr();
      if (PlainNode* parent = b.top->GetParent()) b.top = parent;
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace

int RootPlainNode::LoadXML(const char* source, CTxt& msg, int flags) {
  ReleaseAllNodes();
  CXML reader;
  reader.SetFlg(flags);
  TreeBuilder builder{this, this};
  int r = reader.LoadFile(source, BuildTree, &builder);
  m_nest = 0;
  if (r < 0) {
    msg = reader.GetErrors().empty() ? "XML document could not be read" : reader.GetErrors().front().c_str();
    return r;
  }
  msg.MakeEmpty();
  return 0;
}
