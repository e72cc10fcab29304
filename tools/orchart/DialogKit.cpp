// Dialog templates, the dialog base class and message boxes.
#include "DialogKit.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "StandIn.h"

namespace orchart {

// ---- DialogTemplate ----------------------------------------------------------------------------

DialogTemplate::DialogTemplate(const std::string& title, DWORD style, short cx, short cy,
                               const char* windowClass) {
  style |= DS_SETFONT;
  words_.push_back(LOWORD(style));
  words_.push_back(HIWORD(style));
  words_.push_back(0);  // extended style
  words_.push_back(0);
  countOffset_ = words_.size();
  words_.push_back(0);  // item count
  words_.push_back(0);  // x
  words_.push_back(0);  // y
  words_.push_back(static_cast<WORD>(cx));
  words_.push_back(static_cast<WORD>(cy));
  words_.push_back(0);  // no menu
  if (windowClass)
    AddText(windowClass);
  else
    words_.push_back(0);
  AddText(title);
  words_.push_back(8);
  AddText("MS Shell Dlg");
}

void DialogTemplate::AlignToDword() {
  if (words_.size() % 2) words_.push_back(0);
}

void DialogTemplate::AddText(const std::string& s) {
  int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(std::max(n, 1)), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
  for (wchar_t c : w) {
    if (c == 0) break;
    words_.push_back(static_cast<WORD>(c));
  }
  words_.push_back(0);
}

DialogTemplate& DialogTemplate::Add(const char* windowClass, const std::string& text, int id, DWORD style,
                                    short x, short y, short cx, short cy, DWORD exStyle) {
  AlignToDword();
  style |= WS_CHILD;
  words_.push_back(LOWORD(style));
  words_.push_back(HIWORD(style));
  words_.push_back(LOWORD(exStyle));
  words_.push_back(HIWORD(exStyle));
  words_.push_back(static_cast<WORD>(x));
  words_.push_back(static_cast<WORD>(y));
  words_.push_back(static_cast<WORD>(cx));
  words_.push_back(static_cast<WORD>(cy));
  words_.push_back(static_cast<WORD>(id));
  static const std::map<std::string, WORD> atoms = {{"Button", 0x80},    {"Edit", 0x81},
                                                    {"Static", 0x82},    {"ListBox", 0x83},
                                                    {"ScrollBar", 0x84}, {"ComboBox", 0x85}};
  auto atom = atoms.find(windowClass);
  if (atom != atoms.end()) {
    words_.push_back(0xFFFF);
    words_.push_back(atom->second);
  } else {
    AddText(windowClass);
  }
  AddText(text);
  words_.push_back(0);  // no creation data
  words_[countOffset_]++;
  return *this;
}

// ---- Dialog ------------------------------------------------------------------------------------

namespace {
// How many open modal dialogs keep each owner disabled.
std::map<HWND, int>& DisabledOwners() {
  static std::map<HWND, int> owners;
  return owners;
}
}  // namespace

HWND Dialog::Create(const DialogTemplate& t, HWND parent, bool modal) {
  bool child = (t.Get()->style & WS_CHILD) != 0;
  owner_ = child ? nullptr : parent;
  modal_ = modal && !child && parent;
  HWND hwnd =
      CreateDialogIndirectParamA(App::Get().instance, t.Get(), parent, Proc, reinterpret_cast<LPARAM>(this));
  if (!hwnd) {
    App::Get().Log("CreateDialog failed (%lu)", GetLastError());
    return nullptr;
  }
  if (modal_) {
    if (DisabledOwners()[owner_]++ == 0) EnableWindow(owner_, FALSE);
  }
  if (!child) {
    ShowWindow(hwnd, SW_SHOW);
  }
  return hwnd;
}

std::string Dialog::ItemText(int id) const {
  char buf[1024] = "";
  GetDlgItemTextA(hwnd_, id, buf, sizeof buf);
  return buf;
}

void Dialog::ReleaseOwner() {
  if (!modal_) return;
  modal_ = false;
  int& count = DisabledOwners()[owner_];
  if (--count <= 0) {
    DisabledOwners().erase(owner_);
    if (IsWindow(owner_)) EnableWindow(owner_, TRUE);
  }
}

void Dialog::End() {
  if (!hwnd_) return;
  bool wasModal = modal_;
  ReleaseOwner();
  HWND h = hwnd_;
  if (wasModal && IsWindow(owner_) && IsWindowEnabled(owner_)) SetActiveWindow(owner_);
  DestroyWindow(h);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self = nullptr;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  try {
    return self->Handle(msg, wp, lp);
  } catch (const std::exception& e) {
    App::Get().Log("exception in dialog: %s", e.what());
  } catch (...) {
    App::Get().Log("exception in dialog");
  }
  return FALSE;
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  INT_PTR result = 0;
  switch (msg) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (OnCommand(id, HIWORD(wp), reinterpret_cast<HWND>(lp))) return TRUE;
      if (id == IDCANCEL && !(GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)) End();
      return TRUE;
    }
    case WM_CLOSE:
      if (OnMessage(msg, wp, lp, result)) return result;
      if (!(GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)) End();
      return TRUE;
    case WM_NOTIFY:
      SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, OnNotify(reinterpret_cast<NMHDR*>(lp)));
      return TRUE;
    case WM_TIMER:
      OnTimer(wp);
      return TRUE;
    case WM_NCDESTROY:
      ReleaseOwner();
      OnDestroyed();
      hwnd_ = nullptr;
      return FALSE;
    default:
      if (OnMessage(msg, wp, lp, result)) {
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
  }
}

// ---- DialogRegistry ----------------------------------------------------------------------------

std::vector<std::unique_ptr<Dialog>>& DialogRegistry::Items() {
  static std::vector<std::unique_ptr<Dialog>> items;
  return items;
}

void DialogRegistry::Keep(std::unique_ptr<Dialog> d) {
  Items().push_back(std::move(d));
}

bool DialogRegistry::Translate(MSG* msg) {
  for (auto& d : Items()) {
    HWND h = d->Hwnd();
    if (h && (msg->hwnd == h || IsChild(h, msg->hwnd)) && IsDialogMessageA(h, msg)) return true;
  }
  return false;
}

void DialogRegistry::Sweep() {
  auto& items = Items();
  items.erase(std::remove_if(items.begin(), items.end(),
                             [](const std::unique_ptr<Dialog>& d) { return !d->Alive(); }),
              items.end());
}

// ---- Message boxes -----------------------------------------------------------------------------

bool MessageBoxDialog::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (code != BN_CLICKED) return true;
  bool ours = id == IDCANCEL;
  for (const BoxButton& b : buttons_) ours = ours || b.id == id;
  if (ours) Finish(id);
  return true;
}

bool MessageBoxDialog::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  (void)wp, (void)lp;
  if (msg != WM_CLOSE) return false;
  Finish(IDCANCEL);
  result = 0;
  return true;
}

void MessageBoxDialog::Finish(int id) {
  if (finished_) return;
  finished_ = true;
  auto onClose = onClose_;
  End();
  if (onClose) onClose(id);
}

MessageBoxDialog* ShowBox(HWND owner, BoxSpec spec) {
  // Size the box to the text: about 4 dialog units per character, 60 characters a line.
  int lines = 0, longest = 0, current = 0;
  for (size_t i = 0; i <= spec.text.size(); ++i) {
    if (i == spec.text.size() || spec.text[i] == '\n') {
      lines += 1 + current / 60;
      longest = std::max(longest, std::min(current, 60));
      current = 0;
    } else if (spec.text[i] != '\r') {
      ++current;
    }
  }
  short buttonsWidth = static_cast<short>(spec.buttons.size() * 56);
  short cx = static_cast<short>(std::max<int>({longest * 4 + 24, buttonsWidth + 16, 150}));
  short textHeight = static_cast<short>(lines * 9);
  short cy = static_cast<short>(textHeight + 44);
  DialogTemplate t(spec.title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, cx, cy,
                   spec.windowClass);
  t.Add("Static", spec.text, spec.textId, WS_VISIBLE | SS_LEFT, 12, 10, static_cast<short>(cx - 24),
        textHeight);
  short x = static_cast<short>((cx - buttonsWidth) / 2 + 3);
  bool first = true;
  for (const BoxButton& b : spec.buttons) {
    t.Add("Button", b.text, b.id, WS_VISIBLE | WS_TABSTOP | (first ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), x,
          static_cast<short>(cy - 22), 50, 14);
    x = static_cast<short>(x + 56);
    first = false;
  }
  App::Get().Log("box '%s': %s", spec.title.c_str(), spec.text.c_str());
  return DialogRegistry::Show(std::make_unique<MessageBoxDialog>(spec.buttons, spec.onClose), t, owner,
                              spec.modal);
}

}  // namespace orchart

namespace orchart {
namespace {
bool gFileDialogOpen = false;
}  // namespace

bool FileDialogOpen() {
  return gFileDialogOpen;
}

bool RunFileDialog(const FileDialogSpec& spec, FileDialogChoice& choice) {
  if (gFileDialogOpen) return false;
  char file[MAX_PATH * 2] = "";
  spec.fileName.copy(file, sizeof file - 1);
  std::string folder = Backslashed(spec.folder);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = spec.owner;
  ofn.lpstrFilter = spec.filter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrTitle = spec.title;
  ofn.lpstrDefExt = spec.defaultExtension;
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | spec.flags;
  ofn.lCustData = spec.hookData;
  if (spec.hook) {
    ofn.Flags |= OFN_ENABLEHOOK;
    ofn.lpfnHook = spec.hook;
  }
  // The file dialog takes a child template from a memory handle; GMEM_FIXED handles are the memory itself.
  HGLOBAL memory = nullptr;
  if (spec.extra) {
    memory = GlobalAlloc(GMEM_FIXED, spec.extra->SizeInBytes());
    if (!memory) return false;
    std::memcpy(memory, spec.extra->Get(), spec.extra->SizeInBytes());
    ofn.hInstance = static_cast<HINSTANCE>(memory);
    ofn.Flags |= OFN_ENABLETEMPLATEHANDLE;
  }
  gFileDialogOpen = true;
  BOOL chosen = spec.save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
  gFileDialogOpen = false;
  if (memory) GlobalFree(memory);
  if (!chosen) return false;
  choice.path = Slashed(file);
  choice.filterIndex = ofn.nFilterIndex;
  return true;
}

}  // namespace orchart
