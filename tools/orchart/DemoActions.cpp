// Demonstration actions of the control file.
#include "DemoActions.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "StandIn.h"

namespace orchart {
namespace {

std::vector<std::string> Fields(const std::string& value, size_t count) {
  std::vector<std::string> out;
  size_t pos = 0;
  while (out.size() + 1 < count) {
    size_t bar = value.find('|', pos);
    if (bar == std::string::npos) break;
    out.push_back(value.substr(pos, bar - pos));
    pos = bar + 1;
  }
  out.push_back(value.substr(pos));
  return out;
}

// Enumeration callbacks are named functions: a 32-bit build needs their stdcall convention, which a
// lambda does not convert to.
struct TitleSearch {
  std::string title;
  HWND found;
};

BOOL CALLBACK MatchTitle(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<TitleSearch*>(lp);
  if (!IsWindowVisible(h) || WindowText(h).rfind(s->title, 0) != 0) return TRUE;
  s->found = h;
  return FALSE;
}

HWND WindowTitled(const std::string& title) {
  TitleSearch search{title, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchTitle, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<IdSearch*>(lp);
  if (GetDlgCtrlID(h) != s->id) return TRUE;
  s->found = h;
  return FALSE;
}

// Control `id` of the window or of any window inside it.
HWND ControlOf(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  IdSearch search{id, nullptr};
  EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Finds the window and control of "TITLE|ID|..."; false (logged) when either is missing.
bool Target(const std::vector<std::string>& f, HWND& window, HWND& control) {
  App& app = App::Get();
  window = f.size() >= 2 ? WindowTitled(f[0]) : nullptr;
  control = window ? ControlOf(window, std::atoi(f[1].c_str())) : nullptr;
  if (!control)
    app.Log("demo action: no control %s in '%s'", f.size() >= 2 ? f[1].c_str() : "?", f[0].c_str());
  return control != nullptr;
}

void Click(const std::string& value) {
  HWND window = nullptr, control = nullptr;
  std::vector<std::string> f = Fields(value, 2);
  if (!Target(f, window, control)) return;
  int id = GetDlgCtrlID(control);
  PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
  App::Get().Log("demo action: click %d in '%s'", id, f[0].c_str());
}

void SetText(const std::string& value) {
  HWND window = nullptr, control = nullptr;
  std::vector<std::string> f = Fields(value, 3);
  if (f.size() < 3 || !Target(f, window, control)) return;
  SetWindowTextA(control, f[2].c_str());
}

void Key(const std::string& value) {
  HWND window = nullptr, control = nullptr;
  std::vector<std::string> f = Fields(value, 3);
  if (f.size() < 3 || !Target(f, window, control)) return;
  WPARAM key = static_cast<WPARAM>(std::atoi(f[2].c_str()));
  PostMessageA(control, WM_KEYDOWN, key, 1);
  PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void RunChangedActions() {
  struct Action {
    const char* key;
    void (*run)(const std::string&);
    std::string last;
  };
  static Action actions[] = {{"Click", Click, ""}, {"SetText", SetText, ""}, {"Key", Key, ""}};
  App& app = App::Get();
  for (Action& a : actions) {
    std::string value = app.options.Text(a.key);
    if (value == a.last) continue;
    a.last = value;
    if (!value.empty()) a.run(value);
  }
}

}  // namespace

void RegisterDemoActions() {
  App::Get().optionObservers.push_back(RunChangedActions);
}

}  // namespace orchart
