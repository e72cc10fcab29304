// The main window's other buttons: Show Steps, Skip Sym, Summary, the current lists, View Log, Configuration,
// the hidden Set Password and the About box.
#include <windows.h>
#include <wincrypt.h>

#include <cstdlib>

#include "app/MainDialog.h"
#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "execution/Summary.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/TxtArray.h"

#if __has_include("app/Dialogs/DlgCfg.h")
#include "app/Dialogs/DlgCfg.h"
#define TAVRIN_HAS_CONFIGURATION 1
#endif

namespace {

constexpr char kCategory[] = "Tavrin";

class AboutDialog : public ResourceDialog {
 public:
  explicit AboutDialog(const char* title) : ResourceDialog(IDD_ABOUT), m_title(title) {}

 protected:
  bool OnInit() override {
    SetDlgItemTextA(Handle(), IDC_ABOUT_VERSION, m_title);
    return true;
  }

 private:
  const char* m_title;
};

// The current working directory's file of a name ('/' form).
std::string InCurrentFolder(const char* name) {
  char folder[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, folder);
  CTxt path;
  path.Format("%s/%s", folder, name);
  path.MakeFn();
  return path.ToStd();
}

}  // namespace

void MainDialog::OnShowSteps() {
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
  SetStartingStep(DefinitionPath(name).c_str(), m_prompts);
}

void MainDialog::OnSkipSymbols() {
  if (AppBox(
          Handle(),
          "Add all symbols to the following list (line by line)\r\nwhich should be skipped from any symbol "
          "list (i.e GM)\r\n\r\nContinue?",
          MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  std::string path = InCurrentFolder("Skip.txt");
  if (IsFolder(path.c_str()) < 0) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  LaunchProcess(path.c_str(), 1);
}

void MainDialog::OnSummary() {
  CTxt base;
  m_driver.GetTsBaseFolder(base, 0, 0);
  CTxt defaultFolder;
  defaultFolder.Format("%s/MyWork/Tavrin", static_cast<const char*>(base));
  defaultFolder.MakeFnDOS();
  CTxt folder;
  Settings::GetString("Tavrin", "SummaryFolder", defaultFolder, folder);
  if (BrowseForFolder(folder, "Select the folder below for the Summary:", Handle()) <= 0) {
    if (!EqualNoCase(folder, "User aborted")) AppBox(Handle(), folder, MB_OK | MB_ICONSTOP);
    return;
  }
  if (EqualNoCase(folder, defaultFolder)) {
    AppBox(Handle(), "Enter the folder for your sequence (not the entire top branch)!", MB_OK | MB_ICONSTOP);
    return;
  }
  Settings::WriteString("Tavrin", "SummaryFolder", folder);
  CTxt text;
  int lines = WriteSummary(folder, text, 1);
  if (lines < 0) {
    AppBox(Handle(), text, MB_OK | MB_ICONSTOP);
  } else {
    SetStatus(text);
  }
}

void MainDialog::OnCurrentList(int id) {
  struct ListKind {
    int id;
    const char* kind;
    const char* file;
    const char* title;
    int request;  // the runner query that says the list belongs to the running sequence; 0: none
  };
  static const ListKind kKinds[] = {
      {IDC_CURRENT_SYMBOL, "S", "Symbols.txt", "Current Symbols", kRequestSymbolPosition},
      {IDC_CURRENT_TIMEFRAME, "F", "TimeFrames.txt", "Current Timeframes", kRequestTimeframePosition},
      {IDC_CURRENT_OPTIMIZATION, "O", "StrategyParameter.txt", "Current Strategy Parameters", 0}};
  const ListKind* kind = nullptr;
  for (const ListKind& k : kKinds)
    if (k.id == id) kind = &k;
  if (!kind) return;
  CTxtArray list;
  m_runner.GetList(kind->kind, list);
  CTxt text;
  list.SaveToFile(InCurrentFolder(kind->file).c_str(), text);
  bool current = kind->request ? m_runner.Request(kind->request, text) > 0 : list.GetSize() > 0;
  if (!current) {
    AppBox(Handle(), "Sequence not running yet!", MB_OK | MB_ICONINFORMATION);
    return;
  }
  std::vector<std::string> entries;
  for (int i = 0; i < list.GetSize(); ++i) entries.push_back(list.GetAtTxt(i));
  RECT button{};
  GetWindowRect(Item(id), &button);
  POINT at{(button.left + button.right) / 2 - 150, (button.top + button.bottom) / 2 - 90};
  PickFromList(Handle(), kind->title, kind->title, entries, &at);
}

// The editor is started without waiting for it, so neither the window nor a worker that offers the log at
// the end of a run stands still while the log is read.
void MainDialog::ViewLog() {
  const char* logPath = GetLogPath();
  if (!logPath || !*logPath) return;
  LogOutput("*FLUSH", "Saving Logfile...", 0);
  std::string copy = InCurrentFolder("Log.tmp");
  int copied = CopyFileTo(logPath, copy.c_str());
  if (copied < 0) {
    CTxt text;
    text.Format("Copy error %d (%s -> %s)", copied, logPath, copy.c_str());
    AppBox(nullptr, text, MB_OK | MB_ICONSTOP);
    return;
  }
  CTxt editor;
  Settings::GetString("Tavrin", "EDITOR", "NOTEPAD", editor);
  Settings::WriteString("Tavrin", "EDITOR", editor);
  CTxt target(copy.c_str());
  target.MakeFnDOS();
  CTxt command;
  command.Format("!%s \"%s\"", static_cast<const char*>(editor), static_cast<const char*>(target));
  LaunchProcess(command, 1);
}

void MainDialog::OnConfiguration() {
#ifdef TAVRIN_HAS_CONFIGURATION
  int changed = 0;
  RunConfigurationDialog(Handle(), m_programFolder.c_str(), changed);
#else
  CTxt iniPath;
  Settings::GetIniPath(iniPath);
  CTxt text;
  text.Format("The configuration dialog is not part of this build yet.\r\n\r\nThe settings are in %s.",
              static_cast<const char*>(iniPath));
  AppBox(Handle(), text, MB_OK | MB_ICONINFORMATION);
  if (Settings::GetBool("Tavrin", "DirectCfgEdit", false)) OpenInEditor(iniPath);
#endif
}

void MainDialog::ShowAbout() {
  char title[300] = "";
  GetWindowTextA(Handle(), title, sizeof title);
  AboutDialog about(title);
  about.RunModal(Handle());
}

// --- The TradeStation login
// ----------------------------------------------------------------------------------

bool ProtectForCurrentUser(const char* text, CTxt& hex) {
  DATA_BLOB in{static_cast<DWORD>(strlen(text)), reinterpret_cast<BYTE*>(const_cast<char*>(text))};
  DATA_BLOB out{};
  if (!CryptProtectData(&in, L"Tavrin", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  hex.Empty();
  for (DWORD i = 0; i < out.cbData; ++i) {
    CTxt pair;
    pair.Format("%02X", out.pbData[i]);
    hex += pair;
  }
  LocalFree(out.pbData);
  return true;
}

bool UnprotectForCurrentUser(const char* hex, CTxt& text) {
  size_t length = strlen(hex);
  if (length == 0 || length % 2 != 0) return false;
  std::string bytes;
  for (size_t i = 0; i < length; i += 2) {
    char pair[3] = {hex[i], hex[i + 1], 0};
    char* end = nullptr;
    long value = std::strtol(pair, &end, 16);
    if (end != pair + 2) return false;
    bytes.push_back(static_cast<char>(value));
  }
  DATA_BLOB in{static_cast<DWORD>(bytes.size()), reinterpret_cast<BYTE*>(&bytes[0])};
  DATA_BLOB out{};
  if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return false;
  text = std::string(reinterpret_cast<char*>(out.pbData), out.cbData).c_str();
  SecureZeroMemory(out.pbData, out.cbData);
  LocalFree(out.pbData);
  return true;
}

namespace {

// Asks for one login text until it is given and differs from the initial one; false when cancelled.
bool AskLoginText(HWND owner, const char* heading, const char* field, const char* initial, const char* empty,
                  const char* unchanged, CTxt& answer) {
  answer = initial;
  for (;;) {
    if (!PromptText(owner, heading, heading, field, answer)) return false;
    if (answer.IsEmpty()) {
      AppBox(owner, empty, MB_OK | MB_ICONSTOP);
    } else if (EqualNoCase(answer, initial)) {
      AppBox(owner, unchanged, MB_OK | MB_ICONSTOP);
    } else {
      return true;
    }
  }
}

}  // namespace

void MainDialog::OnSetPassword() {
  CTxt user, password;
  if (!AskLoginText(Handle(), "Enter your TS Login User Name", "User Name:|30", "(UserName)",
                    "Enter the user name!", "Choose a different user name!", user))
    return;
  if (!AskLoginText(Handle(), "Enter your TS Login Password", "Password:|30", "(Password)",
                    "Enter the password!", "Choose a different password!", password))
    return;
  CTxt userHex, passwordHex;
  if (!ProtectForCurrentUser(user, userHex) || !ProtectForCurrentUser(password, passwordHex)) {
    AppBox(Handle(), "The login could not be protected for this Windows user - nothing was stored",
           MB_OK | MB_ICONSTOP);
    return;
  }
  Settings::WriteString("Tavrin", "CurrUsr", userHex);
  Settings::WriteString("Tavrin", "CurrPwd", passwordHex);
  AppBox(Handle(), "Tradestation Login User name and Password established", MB_OK | MB_ICONINFORMATION);
}
