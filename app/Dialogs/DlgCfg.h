// CDlgCfg, the configuration dialog: the settings described by a configuration description (Tavrin.xml)
// as a tree of groups and items, the selected item's description and input control, and Apply, Restore
// and Default, which write one item at once into the settings file or the registry's application data.
// Closing writes nothing that was not applied.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/Dialogs/Dialog.h"
#include "sequence/ConfigDescription.h"

// Control ids.
constexpr int kCfgTreeId = 1001;
constexpr int kCfgCloseId = IDCANCEL;  // "&Close"; Esc closes too
constexpr int kCfgInputId = 1100;
constexpr int kCfgApplyId = 1101;
constexpr int kCfgRestoreId = 1102;
constexpr int kCfgDefaultId = 1103;
constexpr int kCfgHeadingId = 1110;
constexpr int kCfgDescriptionId = 1111;
constexpr int kCfgPictureId = 1112;  // the description's first "{Pic:NAME}", below its text

// The store of the dialog: the settings file, and the registry's application data under the
// description's application name (the program's own key when it names none).
class RegistryConfigStore : public ConfigStore {
 public:
  explicit RegistryConfigStore(const char* iniFile = nullptr) : ConfigStore(iniFile) {}
  void UseApplication(const std::string& name) override { m_application = name; }

 protected:
  bool ReadRegistry(const std::string& name, const std::string& def, std::string& out) override;
  bool WriteRegistry(const std::string& name, const std::string& text) override;

 private:
  std::string m_application;
};

// Message boxes of the dialog (the refusal of a value, the "Updated" note, load failures). Tests plug in a
// function that records them instead of showing them; null restores MessageBox.
using ConfigBoxFunction = int (*)(HWND owner, const char* text, const char* caption, UINT style);
void SetConfigDialogBoxFunction(ConfigBoxFunction show);

class CDlgCfg : public Dialog {
 public:
  // Reads the description and every item's value; 0 or a load code of ConfigDescription with the message.
  // iniFile: another settings file than the program's (tests).
  int Load(const char* descriptionPath, CTxt& message, const char* iniFile = nullptr);
  // Shows the dialog modally; the number of items whose value was applied and now differs from the value
  // they had when loaded. -1 when the dialog could not be created.
  int Run(HWND owner);

  ConfigDescription& Description() { return m_description; }

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
  void Command(int id, int code, HWND sender);
  void Layout();
  void CreateFonts();
  void FillTree();
  void ShowSelection();
  void ShowItem(ConfigItem& item);
  void ShowIntro(const std::string& heading);
  void ShowPicture(const std::string& description);
  void CreateInput(ConfigItem& item);
  void TakeInput();
  void DestroyInput();
  void UpdateButtons();
  void Apply(const std::string* replacement);
  void RefreshLabel(ConfigItem& item, bool star);
  ConfigItem* ItemOf(LPARAM data);
  int Box(const char* text, UINT style);

  ConfigDescription m_description;
  std::unique_ptr<RegistryConfigStore> m_store;
  HWND m_dialog = nullptr;
  HWND m_tree = nullptr;
  HWND m_heading = nullptr, m_line = nullptr, m_text = nullptr, m_input = nullptr;
  HWND m_apply = nullptr, m_restore = nullptr, m_default = nullptr, m_close = nullptr;
  HWND m_picture = nullptr;
  HBITMAP m_pictureBitmap = nullptr;
  HFONT m_editFont = nullptr, m_textFont = nullptr;
  ConfigItem* m_current = nullptr;
  std::string m_iniFile;
};

// The main window's use: loads "Tavrin.xml" from programFolder (a failure is shown as a topmost error box
// and returned), runs the dialog, logs "%d Items updated" (category "Tavrin"), tells the user when the
// changes take effect, and opens the settings file in the editor when "Tavrin"/"DirectCfgEdit" is YES.
// 0 with changedCount set, or the negative load code.
int RunConfigurationDialog(HWND parent, const char* programFolder, int& changedCount);
