// Building the DLGTEMPLATE layout: header, three strings, the optional font, then items aligned to 4 bytes
// with their class and text as UTF-16 (the predefined classes as atoms) and their creation data.
#include "app/Dialogs/DynDlgTemplate.h"

#include <cstring>

namespace {

struct PredefinedClass {
  const wchar_t* name;
  WORD atom;
};
const PredefinedClass kPredefinedClasses[] = {{L"Button", 0x0080},    {L"Edit", 0x0081},
                                              {L"Static", 0x0082},    {L"ListBox", 0x0083},
                                              {L"ScrollBar", 0x0084}, {L"ComboBox", 0x0085}};

WORD AtomOf(const std::wstring& className) {
  for (const PredefinedClass& c : kPredefinedClasses)
    if (_wcsicmp(c.name, className.c_str()) == 0) return c.atom;
  return 0;
}

// Writes into a growing byte buffer.
class ByteWriter {
 public:
  std::vector<BYTE> bytes;
  void Raw(const void* data, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  template <class T>
  void Put(T value) {
    Raw(&value, sizeof value);
  }
  void Text(const std::wstring& s) { Raw(s.c_str(), (s.size() + 1) * sizeof(wchar_t)); }
  void Align(size_t to) {
    while (bytes.size() % to) bytes.push_back(0);
  }
  // A string block of the byte form: its size, then the UTF-16 characters without terminator.
  void Block(const std::wstring& s) {
    Put<uint32_t>(static_cast<uint32_t>(s.size() * sizeof(wchar_t)));
    Raw(s.data(), s.size() * sizeof(wchar_t));
  }
};

class ByteReader {
 public:
  explicit ByteReader(const std::vector<BYTE>& b) : m_bytes(b) {}
  bool ok = true;
  template <class T>
  T Get() {
    T value{};
    if (m_pos + sizeof value > m_bytes.size()) {
      ok = false;
      return value;
    }
    std::memcpy(&value, m_bytes.data() + m_pos, sizeof value);
    m_pos += sizeof value;
    return value;
  }
  std::wstring Block() {
    uint32_t size = Get<uint32_t>();
    if (!ok || size % sizeof(wchar_t) || size > m_bytes.size() - m_pos) {
      ok = false;
      return std::wstring();
    }
    std::wstring s(size / sizeof(wchar_t), L'\0');
    std::memcpy(&s[0], m_bytes.data() + m_pos, size);
    m_pos += size;
    return s;
  }
  std::vector<BYTE> Data(size_t size) {
    if (size > m_bytes.size() - m_pos) {
      ok = false;
      return {};
    }
    std::vector<BYTE> out(m_bytes.begin() + static_cast<long>(m_pos),
                          m_bytes.begin() + static_cast<long>(m_pos + size));
    m_pos += size;
    return out;
  }
  bool AtEnd() const { return m_pos == m_bytes.size(); }

 private:
  const std::vector<BYTE>& m_bytes;
  size_t m_pos = 0;
};

// A string of the template: none (a single 0), or the text.
void TemplateString(ByteWriter& w, const std::wstring& s) {
  if (s.empty())
    w.Put<WORD>(0);
  else
    w.Text(s);
}

}  // namespace

std::wstring WideFromAnsi(const char* text) {
  if (!text || !*text) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::string AnsiFromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

void CDynDlgTemplate::SetHeader(DWORD style, DWORD exStyle, short x, short y, short cx, short cy) {
  m_style = style;
  m_exStyle = exStyle;
  m_x = x;
  m_y = y;
  m_cx = cx;
  m_cy = cy;
}

void CDynDlgTemplate::SetMenu(const char* menu) {
  m_menu = WideFromAnsi(menu);
}

void CDynDlgTemplate::SetClass(const char* windowClass) {
  m_class = WideFromAnsi(windowClass);
}

void CDynDlgTemplate::SetTitle(const char* title) {
  m_title = WideFromAnsi(title);
}

void CDynDlgTemplate::SetFont(WORD pointSize, const char* face) {
  m_fontSize = pointSize;
  m_fontFace = WideFromAnsi(face);
}

int CDynDlgTemplate::AddItem(short x, short y, short cx, short cy, WORD id, DWORD style,
                             const char* className, const char* text, const void* creationData,
                             WORD creationSize) {
  Item item;
  item.x = x;
  item.y = y;
  item.cx = cx;
  item.cy = cy;
  item.id = id;
  item.style = style;
  item.className = WideFromAnsi(className);
  item.text = WideFromAnsi(text);
  if (creationData && creationSize) {
    const BYTE* p = static_cast<const BYTE*>(creationData);
    item.creationData.assign(p, p + creationSize);
  }
  m_items.push_back(std::move(item));
  return static_cast<int>(m_items.size()) - 1;
}

const DLGTEMPLATE* CDynDlgTemplate::GetTemplate() {
  if (m_built) return nullptr;
  ByteWriter w;
  DLGTEMPLATE header{};
  header.style = m_style;
  header.dwExtendedStyle = m_exStyle;
  header.cdit = static_cast<WORD>(m_items.size());
  header.x = m_x;
  header.y = m_y;
  header.cx = m_cx;
  header.cy = m_cy;
  w.Raw(&header, 18);
  TemplateString(w, m_menu);
  TemplateString(w, m_class);
  w.Text(m_title);
  if (m_style & DS_SETFONT) {
    w.Put<WORD>(m_fontSize);
    w.Text(m_fontFace);
  }
  for (const Item& item : m_items) {
    w.Align(4);
    DLGITEMTEMPLATE t{};
    t.style = item.style | WS_CHILD;
    t.x = item.x;
    t.y = item.y;
    t.cx = item.cx;
    t.cy = item.cy;
    t.id = item.id;
    w.Raw(&t, 18);
    if (WORD atom = AtomOf(item.className)) {
      w.Put<WORD>(0xFFFF);
      w.Put<WORD>(atom);
    } else {
      w.Text(item.className);
    }
    w.Text(item.text);
    if (item.creationData.empty()) {
      w.Put<WORD>(0);
    } else {
      w.Put<WORD>(static_cast<WORD>(item.creationData.size() + sizeof(WORD)));
      w.Raw(item.creationData.data(), item.creationData.size());
    }
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, w.bytes.size());
  if (!block) return nullptr;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(p, w.bytes.data(), w.bytes.size());
  m_built = block;
  return static_cast<const DLGTEMPLATE*>(p);
}

void CDynDlgTemplate::ReleaseTemplate() {
  if (!m_built) return;
  GlobalUnlock(m_built);
  GlobalFree(m_built);
  m_built = nullptr;
}

std::vector<BYTE> CDynDlgTemplate::Write() const {
  ByteWriter w;
  w.Put<DWORD>(m_style);
  w.Put<DWORD>(m_exStyle);
  w.Put<WORD>(static_cast<WORD>(m_items.size()));
  w.Put<short>(m_x);
  w.Put<short>(m_y);
  w.Put<short>(m_cx);
  w.Put<short>(m_cy);
  w.Block(m_menu);
  w.Block(m_class);
  w.Block(m_title);
  if (m_style & DS_SETFONT) {
    w.Put<WORD>(m_fontSize);
    w.Block(m_fontFace);
  }
  for (const Item& item : m_items) {
    w.Put<short>(item.x);
    w.Put<short>(item.y);
    w.Put<short>(item.cx);
    w.Put<short>(item.cy);
    w.Put<WORD>(item.id);
    w.Put<DWORD>(item.style);
    w.Block(item.className);
    w.Block(item.text);
    w.Put<uint32_t>(static_cast<uint32_t>(item.creationData.size()));
    w.Raw(item.creationData.data(), item.creationData.size());
  }
  return w.bytes;
}

bool CDynDlgTemplate::Read(const std::vector<BYTE>& bytes) {
  ByteReader r(bytes);
  DWORD style = r.Get<DWORD>();
  DWORD exStyle = r.Get<DWORD>();
  WORD count = r.Get<WORD>();
  short x = r.Get<short>(), y = r.Get<short>(), cx = r.Get<short>(), cy = r.Get<short>();
  std::wstring menu = r.Block(), cls = r.Block(), title = r.Block(), face;
  WORD fontSize = 8;
  if (style & DS_SETFONT) {
    fontSize = r.Get<WORD>();
    face = r.Block();
  }
  std::vector<Item> items;
  for (WORD i = 0; i < count && r.ok; ++i) {
    Item item;
    item.x = r.Get<short>();
    item.y = r.Get<short>();
    item.cx = r.Get<short>();
    item.cy = r.Get<short>();
    item.id = r.Get<WORD>();
    item.style = r.Get<DWORD>();
    item.className = r.Block();
    item.text = r.Block();
    uint32_t size = r.Get<uint32_t>();
    if (size > 0xFFFD) r.ok = false;
    if (r.ok) item.creationData = r.Data(size);
    items.push_back(std::move(item));
  }
  if (!r.ok || !r.AtEnd()) return false;
  ReleaseTemplate();
  SetHeader(style, exStyle, x, y, cx, cy);
  m_menu = menu;
  m_class = cls;
  m_title = title;
  m_fontSize = fontSize;
  m_fontFace = face;
  m_items = std::move(items);
  return true;
}
