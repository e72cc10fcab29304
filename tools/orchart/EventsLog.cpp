// The events log, application error boxes and "CtrlNotifySink" windows.
#include "EventsLog.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <memory>
#include <vector>

#include "AfxWindow.h"
#include "DialogKit.h"
#include "ListViewKit.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kCollapsedHeight = 150, kExpandedHeight = 330, kLogWidth = 480;
constexpr char kCollapseText[] = "<<";

// The events log's "#32770" child: the expand button and, once expanded, the event rows.
class EventsPage : public Dialog {
 public:
  explicit EventsPage(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}

 protected:
  void OnInit() override { SetListColumns(Item(tsfacts::kEventsLogListId), {{"Field", 90}, {"Value", 600}}); }
  bool OnCommand(int id, int code, HWND control) override {
    (void)control;
    if (id != tsfacts::kEventsLogExpandId || code != BN_CLICKED) return false;
    expanded_ = !expanded_;
    SetDlgItemTextA(Hwnd(), id, expanded_ ? kCollapseText : tsfacts::kEventsLogExpandText);
    SetListRows(Item(tsfacts::kEventsLogListId), expanded_ ? rows_ : std::vector<std::vector<std::string>>{});
    HWND frame = GetParent(Hwnd());
    RECT rc;
    GetWindowRect(frame, &rc);
    SetWindowPos(frame, nullptr, 0, 0, rc.right - rc.left, expanded_ ? kExpandedHeight : kCollapsedHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
    App::Get().Log("events log %s", expanded_ ? "expanded" : "collapsed");
    return true;
  }

 private:
  std::vector<std::vector<std::string>> rows_;
  bool expanded_ = false;
};

struct EventsLogWindow {
  HWND frame = nullptr;
  std::unique_ptr<EventsPage> page;
};

EventsLogWindow& TheEventsLog() {
  static EventsLogWindow log;
  return log;
}

std::string Now(bool date) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char buf[32];
  if (date)
    std::snprintf(buf, sizeof buf, "%d/%d/%04d", t.wMonth, t.wDay, t.wYear);
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.wHour, t.wMinute, t.wSecond);
  return buf;
}

bool EventsLogHandler(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  (void)wp, (void)lp;
  EventsLogWindow& log = TheEventsLog();
  if (msg == WM_SIZE && log.page && log.page->Hwnd()) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    MoveWindow(log.page->Hwnd(), 0, 0, rc.right, rc.bottom, TRUE);
    MoveWindow(log.page->Item(tsfacts::kEventsLogListId), 8, 40, rc.right - 16, std::max(0L, rc.bottom - 48),
               TRUE);
    result = 0;
    return true;
  }
  if (msg == WM_NCDESTROY && log.frame == hwnd) log.frame = nullptr;
  return false;
}

// ---- Application errors ---------------------------------------------------------------------------

void ShowApplicationErrors(int count) {
  for (int i = 0; i < count; ++i) {
    BoxSpec box;
    box.title = std::string(tsfacts::kChartingProcessModule) + " - " + tsfacts::kApplicationErrorTitleMarker;
    box.text =
        "The instruction at 0x0041f2a8 referenced memory at 0x00000014. The memory could not be read.\r\n\r\n"
        "Click on OK to terminate the program\r\nClick on CANCEL to debug the program";
    box.buttons = {{IDOK, tsfacts::kOkText}, {IDCANCEL, tsfacts::kCancelText}};
    box.modal = false;
    ShowBox(nullptr, box);
  }
}

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      HINSTANCE inst = App::Get().instance;
      CreateWindowExA(0, "Static", "A charting component stopped responding.", WS_CHILD | WS_VISIBLE, 10, 10,
                      280, 20, hwnd, nullptr, inst, nullptr);
      CreateWindowExA(0, "Button", tsfacts::kCancelText, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 110, 40, 80,
                      24, hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), inst, nullptr);
      return 0;
    }
    case WM_COMMAND:
      // Any command from its own button closes it, whatever identifier the command carries.
      if (lp && GetParent(reinterpret_cast<HWND>(lp)) == hwnd) {
        App::Get().Log("CtrlNotifySink closed");
        DestroyWindow(hwnd);
      }
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void ShowCtrlNotifySinks(int count) {
  App& app = App::Get();
  for (int i = 0; i < count; ++i) {
    CreateWindowExA(WS_EX_TOOLWINDOW, tsfacts::kCtrlNotifySinkClass, "", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                    200 + 20 * i, 200 + 20 * i, 310, 110, nullptr, nullptr, app.instance, nullptr);
  }
  app.Log("%d CtrlNotifySink windows shown", count);
}

void ApplyErrorFaults() {
  static std::string lastErrors, lastSinks;
  App& app = App::Get();
  std::string errors = app.options.Text("ApplicationErrors"), sinks = app.options.Text("CtrlNotifySinks");
  if (errors != lastErrors) {
    lastErrors = errors;
    ShowApplicationErrors(app.options.Int("ApplicationErrors"));
  }
  if (sinks != lastSinks) {
    lastSinks = sinks;
    ShowCtrlNotifySinks(app.options.Int("CtrlNotifySinks"));
  }
}

}  // namespace

namespace {

void OpenEventsLog(const std::string& source, const std::string& event, const std::string& description) {
  App& app = App::Get();
  EventsLogWindow& log = TheEventsLog();
  if (log.frame) DestroyWindow(log.frame);
  std::vector<std::vector<std::string>> rows = {{"Date:", Now(true)},
                                                {"Time:", Now(false)},
                                                {"Source:", source},
                                                {tsfacts::kEventsLogEventRow, event},
                                                {"Description:", description}};
  log.frame =
      CreateAfxWindow(tsfacts::kEventsLogTitle, 160, 180, kLogWidth, kCollapsedHeight, EventsLogHandler);
  if (!log.frame) return;
  DialogTemplate t("", WS_CHILD | WS_VISIBLE | DS_CONTROL, 300, 150);
  t.Add("Static", "An error occurred. Expand for the details of the event.", -1, WS_VISIBLE, 6, 6, 200, 10);
  t.Add("Button", tsfacts::kEventsLogExpandText, tsfacts::kEventsLogExpandId, WS_VISIBLE | WS_TABSTOP, 230, 4,
        30, 14);
  t.Add(WC_LISTVIEWA, "", tsfacts::kEventsLogListId, WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_NOSORTHEADER,
        6, 24, 280, 100);
  log.page = std::make_unique<EventsPage>(std::move(rows));
  log.page->Create(t, log.frame, false);
  RECT rc;
  GetClientRect(log.frame, &rc);
  SendMessageA(log.frame, WM_SIZE, 0, MAKELPARAM(rc.right, rc.bottom));
  app.Log("events log: %s", event.c_str());
}

}  // namespace

void ShowEventsLog(const std::string& source, const std::string& event, const std::string& description) {
  App::Get().ShowNowOrLate("EventsLog",
                           [source, event, description] { OpenEventsLog(source, event, description); });
}

void RegisterErrorWindows() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = SinkProc;
  wc.hInstance = App::Get().instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = tsfacts::kCtrlNotifySinkClass;
  RegisterClassA(&wc);
  App::Get().optionObservers.push_back(ApplyErrorFaults);
}

}  // namespace orchart
