// The window-query layer: class-filtered enumeration, low-16-bit ordering, bounded sends.
#include "tsdriver/WindowQuery.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "foundation/Txt.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/Waits.h"

namespace tsdriver {
namespace {

constexpr int kTextMax = 1000;
int g_sendBoundMs = 5000;
thread_local unsigned t_notResponding = 0;

// Class names never change for a window, and a handle value is not given to another window while it stays in
// use, so classes are kept by handle value. The cache is dropped whole when it grows large.
class ClassCache {
 public:
  std::string Get(HWND window) {
    {
      std::lock_guard<std::mutex> guard(m_lock);
      auto it = m_classes.find(window);
      if (it != m_classes.end()) return it->second;
    }
    char name[kTextMax + 1] = "";
    if (GetClassNameA(window, name, kTextMax) <= 0) return std::string();  // gone: not cached
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_classes.size() > 20000) m_classes.clear();
    return m_classes[window] = name;
  }

 private:
  std::mutex m_lock;
  std::unordered_map<HWND, std::string> m_classes;
};

ClassCache& Classes() {
  static ClassCache cache;
  return cache;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

// Top-level windows; the system filters by an exact class itself.
std::vector<HWND> TopLevel(const ClassRule& cls) {
  std::vector<HWND> out;
  if (cls.IsExactName()) {
    HWND after = nullptr;
    while ((after = FindWindowExA(nullptr, after, cls.name, nullptr)) != nullptr) out.push_back(after);
  } else {
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&out));
  }
  return out;
}

// Direct children; the system filters by an exact class itself.
std::vector<HWND> Children(HWND parent, const ClassRule& cls) {
  std::vector<HWND> out;
  HWND after = nullptr;
  const char* name = cls.IsExactName() ? cls.name : nullptr;
  while ((after = FindWindowExA(parent, after, name, nullptr)) != nullptr) out.push_back(after);
  return out;
}

std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> out;
  if (root) EnumChildWindows(root, CollectWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::vector<HWND> MainWindows() {
  ClassRule main{tsfacts::kMainWindowClass, TextRule::Exact};
  return TopLevel(main);
}

void SortByLow16(std::vector<HWND>& windows) {
  std::unordered_set<HWND> seen;
  std::vector<HWND> unique;
  unique.reserve(windows.size());
  for (HWND w : windows)
    if (seen.insert(w).second) unique.push_back(w);
  std::stable_sort(unique.begin(), unique.end(), [](HWND a, HWND b) { return Low16(a) < Low16(b); });
  windows.swap(unique);
}

void Append(std::vector<HWND>& to, const std::vector<HWND>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

// The top-level windows whose parent (owner) chain reaches ancestor, with their descendants.
void AddOwnedTrees(HWND ancestor, std::vector<HWND>& out) {
  std::vector<HWND> tops;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&tops));
  for (HWND top : tops)
    if (DescendsFrom(top, ancestor)) {
      out.push_back(top);
      Append(out, Descendants(top));
    }
}

bool MatchesRest(const WindowQuery& q, HWND window, const std::string& cls) {
  if (!q.cls.Matches(cls)) return false;
  if (q.parent && !SameLow16(ParentOf(window), q.parent)) return false;
  if (q.ancestor && !DescendsFrom(window, q.ancestor)) return false;
  if (q.visibleOnly && !IsWindowVisible(window)) return false;
  if (!q.title) return true;
  std::string text = q.useMessageText ? ReadTextOrEmpty(window) : TitleOf(window);
  if (q.removeAmpersands) text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  if (text.empty() && (q.titleNonEmpty || q.title[0])) return false;
  return MatchText(text.c_str(), q.title, q.titleRule);
}

}  // namespace

bool MatchText(const char* text, const char* wanted, TextRule rule) {
  if (!wanted) return true;
  if (!text) text = "";
  if (wanted[0] == '*') return FindNoCase(text, wanted + 1) >= 0 || !wanted[1];
  switch (rule) {
    case TextRule::Exact:
      return CompareNoCase(wanted, text, 1) == 0;
    case TextRule::Prefix:
      return CompareNoCase(wanted, text, 2) == 0;
    case TextRule::Contains:
      return !wanted[0] || FindNoCase(text, wanted) >= 0;
    case TextRule::Suffix: {
      size_t length = std::strlen(text), tail = std::strlen(wanted);
      return tail <= length && CompareNoCase(wanted, text + (length - tail), 1) == 0;
    }
  }
  return false;
}

bool ClassRule::Matches(const std::string& cls) const {
  if (!name) return true;
  return !cls.empty() && MatchText(cls.c_str(), name, rule);
}

std::string ClassNameOf(HWND window) {
  char name[kTextMax + 1] = "";
  if (window) GetClassNameA(window, name, kTextMax);
  return name;
}

// The cached class: only for windows that an enumeration has just returned.
std::string EnumeratedClassOf(HWND window) {
  return Classes().Get(window);
}

std::string TitleOf(HWND window) {
  char text[kTextMax + 1] = "";
  if (window) GetWindowTextA(window, text, kTextMax);
  return text;
}

bool ReadText(HWND window, std::string& out) {
  char text[kTextMax + 1] = "";
  out.clear();
  if (!SendBounded(window, WM_GETTEXT, kTextMax, reinterpret_cast<LPARAM>(text))) return false;
  text[kTextMax] = 0;
  out = text;
  return true;
}

std::string ReadTextOrEmpty(HWND window) {
  std::string text;
  ReadText(window, text);
  return text;
}

bool ReadListEntry(HWND list, int index, bool comboBox, std::string& out) {
  out.clear();
  LRESULT length = 0;
  UINT lengthMessage = comboBox ? CB_GETLBTEXTLEN : LB_GETTEXTLEN;
  UINT textMessage = comboBox ? CB_GETLBTEXT : LB_GETTEXT;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(list, lengthMessage, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                           static_cast<UINT>(g_sendBoundMs), &answer)) {
    ++t_notResponding;
    return false;
  }
  length = static_cast<LRESULT>(answer);
  if (length < 0) return true;
  std::vector<wchar_t> wide(static_cast<size_t>(length) + sizeof(void*) + 1, 0);
  if (!SendMessageTimeoutW(list, textMessage, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(wide.data()), SMTO_ABORTIFHUNG | SMTO_NORMAL,
                           static_cast<UINT>(g_sendBoundMs), &answer)) {
    ++t_notResponding;
    return false;
  }
  wide.back() = 0;
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> ansi(static_cast<size_t>(bytes > 0 ? bytes : 1), 0);
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), bytes, nullptr, nullptr);
  out = ansi.data();
  return true;
}

HWND ParentOf(HWND window) {
  return window ? GetParent(window) : nullptr;
}

bool DescendsFrom(HWND window, HWND ancestor) {
  if (!window || !ancestor) return false;
  // A parent chain is short; the bound only guards against a cycle of low-16-bit look-alikes.
  HWND p = ParentOf(window);
  for (int depth = 0; p && depth < 64; ++depth, p = ParentOf(p))
    if (SameLow16(p, ancestor)) return true;
  return false;
}

bool IsMaximised(HWND window) {
  return window && (GetWindowLongA(window, GWL_STYLE) & WS_MAXIMIZE) != 0;
}

bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  DWORD_PTR answer = 0;
  long long start = SteadyMs();
  LRESULT ok = window ? SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                            static_cast<UINT>(g_sendBoundMs), &answer)
                      : 0;
  CountSentMs(SteadyMs() - start);
  if (result) *result = static_cast<LRESULT>(answer);
  if (!ok) ++t_notResponding;
  return ok != 0;
}

int SendBoundMs() {
  return g_sendBoundMs;
}
void SetSendBoundMs(int ms) {
  g_sendBoundMs = ms > 0 ? ms : 5000;
}
unsigned NotRespondingCount() {
  return t_notResponding;
}

std::vector<HWND> CandidateWindows(const WindowQuery& q) {
  std::vector<HWND> out;
  if (q.parent) {
    // Children of the parent, and top-level windows it owns (whose parent it is as well).
    Append(out, Children(q.parent, q.cls));
    for (HWND top : TopLevel(q.cls))
      if (SameLow16(ParentOf(top), q.parent)) out.push_back(top);
  } else if (q.ancestor) {
    Append(out, Descendants(q.ancestor));
    AddOwnedTrees(q.ancestor, out);
  } else {
    // Every top-level window and everything inside TradeStation's main windows. Controls and pages inside
    // other top-level windows are reached through the window that holds them (parent or ancestor searches).
    Append(out, TopLevel(q.cls));
    for (HWND main : MainWindows()) Append(out, Descendants(main));
  }
  SortByLow16(out);
  return out;
}

std::vector<HWND> AllWindows() {
  std::vector<HWND> out;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&out));
  size_t tops = out.size();
  for (size_t i = 0; i < tops; ++i) Append(out, Descendants(out[i]));
  SortByLow16(out);
  return out;
}

std::vector<HWND> FindWindows(const WindowQuery& q, size_t maxMatches) {
  std::vector<HWND> found;
  for (HWND w : CandidateWindows(q)) {
    if (found.size() >= maxMatches) break;
    if (MatchesRest(q, w, EnumeratedClassOf(w))) found.push_back(w);
  }
  return found;
}

HWND FindFirstWindow(const WindowQuery& q) {
  std::vector<HWND> found = FindWindows(q, 1);
  return found.empty() ? nullptr : found.front();
}

WindowSnapshot::WindowSnapshot(HWND alsoUnder) {
  std::vector<HWND> windows;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  if (alsoUnder) Append(windows, Descendants(alsoUnder));
  SortByLow16(windows);
  m_windows.reserve(windows.size());
  for (HWND w : windows) m_windows.push_back({w, EnumeratedClassOf(w)});
}

std::vector<HWND> WindowSnapshot::Match(const WindowQuery& q, size_t maxMatches) const {
  std::vector<HWND> found;
  for (const Entry& e : m_windows) {
    if (found.size() >= maxMatches) break;
    if (!q.cls.Matches(e.cls) || !IsWindow(e.window)) continue;
    if (MatchesRest(q, e.window, e.cls)) found.push_back(e.window);
  }
  return found;
}

}  // namespace tsdriver
