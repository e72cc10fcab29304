// The driver's one window-query layer. Every search of every driver operation goes through here; it is the
// only code that enumerates windows.
//
// TradeStation's windows are found by the rules of a scan of handle values in ascending order: the first
// match is the one with the lowest low 16 bits of its handle, and parents and "descends from" are compared by
// the low 16 bits. The searches keep those results but enumerate the real windows (each counted once) instead
// of trying 65,536 handle values: the system filters by class where it can (one call per match), and a search
// descends only into the subtree it needs. Class names never change for a window; texts are always re-read.
//
// Messages into TradeStation that wait for an answer go through SendBounded: a window that does not answer
// within the bound (or has gone) fails the send instead of blocking the caller, and is counted, so that the
// operation can report that TradeStation is not responding.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tsdriver {

inline unsigned Low16(HWND window) {
  return static_cast<unsigned>(reinterpret_cast<uintptr_t>(window) & 0xFFFFu);
}
inline bool SameLow16(HWND a, HWND b) {
  return Low16(a) == Low16(b);
}

// ---- Matching (all without regard to case) --------------------------------------------------------------
enum class TextRule { Exact, Prefix, Contains, Suffix };
// A wanted text beginning with '*' means: contains the rest (the star form), whatever the rule.
bool MatchText(const char* text, const char* wanted, TextRule rule);

struct ClassRule {
  const char* name = nullptr;  // null: any class
  TextRule rule = TextRule::Exact;
  bool Matches(const std::string& cls) const;
  // True when the system can filter by this class itself (an exact name without the star form).
  bool IsExactName() const { return name && name[0] && name[0] != '*' && rule == TextRule::Exact; }
};

// ---- Reading windows
// ----------------------------------------------------------------------------------------
// Up to 1000 characters, asked of the system each time (empty for a window that has gone). Searches keep the
// classes of the windows they enumerate instead.
std::string ClassNameOf(HWND window);
// The title as the system keeps it (never waits for the window's thread); up to 1000 characters.
std::string TitleOf(HWND window);
// The text by WM_GETTEXT (1000 characters), bounded; false (out empty) when the window did not answer.
bool ReadText(HWND window, std::string& out);
std::string ReadTextOrEmpty(HWND window);
// One entry of another process's list box (or combo box list), asked for in UTF-16 (Wine answers the ANSI
// messages of another process's controls in UTF-16) and bounded; false when the control did not answer.
bool ReadListEntry(HWND list, int index, bool comboBox, std::string& out);
HWND ParentOf(HWND window);
// True when following the parents of window reaches ancestor's low 16 bits (the window itself does not
// count).
bool DescendsFrom(HWND window, HWND ancestor);
bool IsMaximised(HWND window);

// ---- Bounded sends
// --------------------------------------------------------------------------------------------
// SendMessageTimeout with abort-if-hung and the bound (default 5000 ms). False when the window did not answer
// in time or does not exist; each such failure counts on the calling thread (NotRespondingCount).
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr);
int SendBoundMs();
void SetSendBoundMs(int ms);
// Sends on this thread that failed so far; an operation compares it before and after its work.
unsigned NotRespondingCount();

// ---- Searches
// -------------------------------------------------------------------------------------------------
struct WindowQuery {
  ClassRule cls;
  const char* title = nullptr;  // null: any text (the text is not read)
  TextRule titleRule = TextRule::Prefix;
  bool titleNonEmpty = true;  // a wanted title never matches an empty text
  bool removeAmpersands = false;
  bool visibleOnly = false;
  bool useMessageText = false;  // WM_GETTEXT (bounded) instead of the title the system keeps
  HWND parent = nullptr;        // the window's parent must be this one (low 16 bits)
  HWND ancestor = nullptr;      // the window must descend from this one
};

// Every match, each window once, in ascending order of the low 16 bits of the handles.
std::vector<HWND> FindWindows(const WindowQuery& query, size_t maxMatches = SIZE_MAX);
HWND FindFirstWindow(const WindowQuery& query);

// The windows a query looks at, before class and title are compared (exposed for the window listing).
std::vector<HWND> CandidateWindows(const WindowQuery& query);
// Every window: top-level windows and all their descendants, once each, in low-16-bit order.
std::vector<HWND> AllWindows();

// One enumeration of the windows and their classes for an operation that makes many searches in a row
// (closing stray pop-ups walks about twenty titles). Texts are re-read at each match.
class WindowSnapshot {
 public:
  // Top-level windows, plus the descendants of `alsoUnder` (e.g. TradeStation's main window) when given.
  explicit WindowSnapshot(HWND alsoUnder);
  std::vector<HWND> Match(const WindowQuery& query, size_t maxMatches = SIZE_MAX) const;
  size_t Size() const { return m_windows.size(); }

 private:
  struct Entry {
    HWND window;
    std::string cls;
  };
  std::vector<Entry> m_windows;
};

}  // namespace tsdriver
