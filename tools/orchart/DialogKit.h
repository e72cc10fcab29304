// Resource-less dialogs of the stand-in: an in-memory template builder, one dialog base class, and the
// message boxes TradeStation shows (any title, any button identifiers, "#32770" unless told otherwise).
//
// Every top-level dialog is modeless; a "modal" one disables its owner until it closes, which is what
// another program sees of a modal dialog. Dialog objects are kept by a registry until their window is
// destroyed, and the message loop gives them keyboard navigation (DialogRegistry::Translate).
#pragma once

#include <windows.h>
// commdlg.h needs the types of windows.h
#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orchart {

// Builds a DLGTEMPLATE in memory (dialog units, font "MS Shell Dlg" 8).
class DialogTemplate {
 public:
  DialogTemplate(const std::string& title, DWORD style, short cx, short cy,
                 const char* windowClass = nullptr);
  // `windowClass` is a registered class name or one of "Button", "Edit", "Static", "ListBox",
  // "ScrollBar", "ComboBox" (written as their atoms) or any other class name.
  DialogTemplate& Add(const char* windowClass, const std::string& text, int id, DWORD style, short x, short y,
                      short cx, short cy, DWORD exStyle = 0);
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
  size_t SizeInBytes() const { return words_.size() * sizeof(WORD); }

 private:
  void AlignToDword();
  void AddText(const std::string& s);
  std::vector<WORD> words_;
  size_t countOffset_ = 0;
};

class Dialog {
 public:
  Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog() = default;

  // Creates the window from the template: a child page when `style` of the template has WS_CHILD,
  // else a top-level dialog owned by `parent` (disabling it while open when `modal`).
  HWND Create(const DialogTemplate& t, HWND parent, bool modal);
  HWND Hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::string ItemText(int id) const;
  // Closes the dialog: re-enables the owner (modal), then destroys the window.
  void End();
  bool Alive() const { return hwnd_ != nullptr; }

 protected:
  virtual void OnInit() {}
  // Return true when handled. IDCANCEL that is not handled ends the dialog.
  virtual bool OnCommand(int id, int code, HWND control) {
    (void)id, (void)code, (void)control;
    return false;
  }
  virtual LRESULT OnNotify(NMHDR* header) {
    (void)header;
    return 0;
  }
  virtual void OnTimer(UINT_PTR id) { (void)id; }
  // Any other message; return true and set `result` when handled.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
    (void)msg, (void)wp, (void)lp, (void)result;
    return false;
  }
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  INT_PTR Handle(UINT msg, WPARAM wp, LPARAM lp);
  void ReleaseOwner();
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  bool modal_ = false;
};

// Keeps top-level dialogs until their windows are gone.
class DialogRegistry {
 public:
  // Takes the dialog, creates its window; returns the dialog (nullptr when the window failed).
  template <class D>
  static D* Show(std::unique_ptr<D> dialog, const DialogTemplate& t, HWND owner, bool modal) {
    D* raw = dialog.get();
    if (!raw->Create(t, owner, modal)) return nullptr;
    Keep(std::move(dialog));
    return raw;
  }
  // IsDialogMessage for every open dialog; true when the message was consumed.
  static bool Translate(MSG* msg);
  // Deletes the objects of destroyed dialogs.
  static void Sweep();
  // The open dialog of type D, if any.
  template <class D>
  static D* Find() {
    for (auto& d : Items())
      if (auto* p = dynamic_cast<D*>(d.get()); p && p->Alive()) return p;
    return nullptr;
  }

 private:
  static void Keep(std::unique_ptr<Dialog> d);
  static std::vector<std::unique_ptr<Dialog>>& Items();
};

struct BoxButton {
  int id;
  std::string text;
};

// A message box: static text (control `textId`, default 0xFFFF as in system message boxes) and buttons.
// Any of its buttons, IDCANCEL or WM_CLOSE closes it; `onClose` gets the button (IDCANCEL for WM_CLOSE).
class MessageBoxDialog : public Dialog {
 public:
  MessageBoxDialog(std::vector<BoxButton> buttons, std::function<void(int)> onClose)
      : buttons_(std::move(buttons)), onClose_(std::move(onClose)) {}

 protected:
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  void Finish(int id);
  std::vector<BoxButton> buttons_;
  std::function<void(int)> onClose_;
  bool finished_ = false;
};

struct BoxSpec {
  std::string title;
  std::string text;
  std::vector<BoxButton> buttons{{IDOK, "OK"}};
  int textId = 0xFFFF;
  bool modal = true;
  const char* windowClass = nullptr;  // nullptr: "#32770"
  std::function<void(int)> onClose;
};
MessageBoxDialog* ShowBox(HWND owner, BoxSpec spec);

// The system's file dialogs as TradeStation opens them: explorer style, no read-only box, the working
// folder left alone. One file dialog at a time in the whole process (each is modal to its owner).
struct FileDialogSpec {
  HWND owner = nullptr;
  bool save = true;  // GetSaveFileName, else GetOpenFileName
  const char* title = "";
  const char* filter = "";  // pairs of texts, ending with an empty one
  const char* defaultExtension = "";
  std::string folder;    // initial folder, '/' separators
  std::string fileName;  // initial file name
  DWORD flags = 0;       // further OFN_ flags (OFN_OVERWRITEPROMPT, OFN_PATHMUSTEXIST, OFN_ENABLESIZING ...)
  LPOFNHOOKPROC hook = nullptr;
  LPARAM hookData = 0;                    // the hook's OPENFILENAME::lCustData
  const DialogTemplate* extra = nullptr;  // a child template below the system's controls
};
struct FileDialogChoice {
  std::string path;  // '/' separators
  DWORD filterIndex = 0;
};
// False when cancelled, or when another file dialog is already open.
bool RunFileDialog(const FileDialogSpec& spec, FileDialogChoice& choice);
bool FileDialogOpen();

}  // namespace orchart
