// Pieces of the tabbed dialogs: pages created as child dialogs into a tab control's area, pages that hand
// their commands to the dialog owning them, and the 9.5 page classes.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

#include "DialogKit.h"

namespace orchart {

// True when dialogs and pages carry the window classes of version 9.5 (named after their resources).
bool DialogClasses95();
// Registers a dialog class that behaves like "#32770".
void RegisterDialogClass(const char* name);

void AddTabs(HWND tab, std::initializer_list<const char*> names);
// Places a page into the tab control's display area.
void PlaceInTab(HWND dialog, HWND tab, HWND page);

// A page or sub-page that hands its commands to a handler (the dialog that owns it).
class CommandPage : public Dialog {
 public:
  using Handler = std::function<bool(int id, int code)>;
  explicit CommandPage(Handler handler = {}) : handler_(std::move(handler)) {}

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    (void)control;
    return handler_ && handler_(id, code);
  }

 private:
  Handler handler_;
};

}  // namespace orchart
