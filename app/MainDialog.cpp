// The main window's frame: initialisation, the definitions combo, the Run button with its confirmation and
// stop list, Exit, Edit, New and Delete. The other buttons, the timer and the start-up activities live in
// MainActions.cpp, MainProgress.cpp and MainStartup.cpp.
#include "app/MainDialog.h"

#include <chrono>
#include <exception>

#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/TxtArray.h"

#if __has_include("app/Dialogs/SequenceEditorDialog.h")
#include "app/Dialogs/SequenceEditorDialog.h"
#define TAVRIN_HAS_EDITOR 1
#endif

namespace {

constexpr char kCategory[] = "Tavrin";
constexpr char kVersion[] = "1.5b";
constexpr char kBuildDate[] = "Jan 11 2017";
constexpr char kBuildTime[] = "17:26:19";
constexpr int kStartPolls = 100;  // of 100 ms: the worker must say it runs within 10 seconds

const char* const kStopChoices[] = {"Abort immediately", "Abort when this Step is completed",
                                    "Pause when this Step is completed", "Continue after pause", "Continue"};

}  // namespace

MainDialog::MainDialog(RunnerApp& app)
    : ResourceDialog(IDD_MAIN),
      m_app(app),
      m_programFolder(app.ProgramFolder()),
      m_steps(m_driver),
      m_runner(m_steps, &m_prompts) {
  m_driver.SetChartLoadWaits(&m_loadWaits);
  m_driver.SetInteraction(&m_boxes);
  SetLogStatusSink(OnLogLine, this);
}

MainDialog::~MainDialog() {
  SetLogStatusSink(nullptr, nullptr);
  m_closing = true;
  if (m_detection.joinable()) m_detection.join();
  if (m_worker.joinable()) m_worker.join();
  for (HBITMAP picture : {m_pictureStart, m_pictureStop, m_pictureWait})
    if (picture) DeleteObject(picture);
}

int MainDialog::Run() {
  INT_PTR result = RunModal(nullptr);
  if (result == -1) {
    AppBox(nullptr, "The main window could not be created", MB_OK | MB_ICONSTOP);
    return 1;
  }
  m_closing = true;
  return m_exitCode;
}

bool MainDialog::OnInit() {
  m_prompts.SetOwner(Handle());
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  char about[64] = "&About Tavrin...";
  LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof about);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about);
  HINSTANCE instance = GetModuleHandleA(nullptr);
  m_bigIcon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                            GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  m_smallIcon =
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));

  CTxt title;
  title.Format("(%s %s %s) %s", kVersion, kBuildDate, kBuildTime, m_app.Title());
  SetWindowTextA(Handle(), title);
  LogTrace(kCategory, 0, "Loading: %s", static_cast<const char*>(title));
  FillDefinitions();
  InitProgressBars();
  CheckSampleImport();
  m_driver.GetTsVersion();
  StartDetection();
  BringTradeStationToFront();
  if (Settings::GetBool("SYS", "StayOnTop", true))
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EnableWindow(Item(IDC_SUMMARY), TRUE);
  ShowWindow(Item(IDC_SUMMARY), SW_SHOW);
  SetDlgItemTextA(Handle(), IDC_SUMMARY, "&Summary");
  LoadSymbolRoots();
  LoadRunPictures();
  ShowRunPicture(m_pictureWait);
  EnableWindow(Item(IDOK), TRUE);
  SetTimer(Handle(), kRefreshTimer, 1000, nullptr);
  m_state = kStateInitialised;
  RestoreWindowPosition();
  m_positionReady = true;
  return true;
}

bool MainDialog::OnCommand(int id, int code) {
  if (id == IDC_DEFINITIONS) {
    if (code == CBN_SELCHANGE) Settings::WriteString("Tavrin", "CurrDef", SelectedDefinition().c_str());
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDOK:
      OnRun();
      break;
    case IDCANCEL:
      OnExit();
      break;
    case IDC_EDIT:
      OnEdit();
      break;
    case IDC_NEW:
      OnNew();
      break;
    case IDC_DELETE:
      OnDelete();
      break;
    case IDC_SHOW_STEPS:
      OnShowSteps();
      break;
    case IDC_SKIP_SYMBOLS:
      OnSkipSymbols();
      break;
    case IDC_SUMMARY:
      OnSummary();
      break;
    case IDC_CURRENT_SYMBOL:
    case IDC_CURRENT_TIMEFRAME:
    case IDC_CURRENT_OPTIMIZATION:
      OnCurrentList(id);
      break;
    case IDC_CONFIGURATION:
      OnConfiguration();
      break;
    case IDC_HELP_ABOUT:
      ShowAbout();
      break;
    case IDC_VIEW_LOG:
      ViewLog();
      break;
    case IDC_SET_PASSWORD:
      OnSetPassword();
      break;
    default:
      return false;
  }
  return true;
}

bool MainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
  result = 0;
  switch (message) {
    case WM_TIMER:
      if (wParam != kRefreshTimer) return false;
      OnRefreshTimer();
      return true;
    case WM_MOVE:
      if (m_positionReady) StoreWindowPosition();
      return false;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != IDM_ABOUTBOX) return false;
      ShowAbout();
      return true;
    case WM_PAINT:
      if (!IsIconic(Handle())) return false;
      {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        DrawIcon(dc, 0, 0, m_bigIcon);
        EndPaint(Handle(), &paint);
      }
      return true;
    case kRunEndedMessage:  // the worker may still be asking about the log: it is joined at the next run
      ShowRunPicture(m_pictureStart);
      EnableWindow(Item(IDC_EDIT), TRUE);
      EnableWindow(Item(IDC_NEW), TRUE);
      return true;
    case kDetectedMessage:
      OnDetected();
      return true;
    case kDetectionFailedMessage:
      OnDetectionFailed();
      return true;
    default:
      return false;
  }
}

void MainDialog::SetStatus(const char* text) {
  if (EqualNoCase(text, m_statusShown.c_str())) return;
  m_statusShown = text;
  SetDlgItemTextA(Handle(), IDC_STATUS, text);
  LogTrace(kCategory, 0, "%s", text);
}

// --- Definitions -------------------------------------------------------------------------------------------

void MainDialog::FillDefinitions() {
  HWND combo = Item(IDC_DEFINITIONS);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  std::string current;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", current);
  Settings::WriteString("Tavrin", "CurrDef", current.c_str());
  CTxtArray files;
  std::string pattern = std::string("!") + m_app.DefinitionExtension();
  files.LoadFromDir(m_programFolder.c_str(), 0, 1, pattern.c_str());
  for (int i = 0; i < files.GetSize(); ++i) {
    CTxt name;
    CTxt(files.GetAtTxt(i)).GetFileTxt(2, name);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(name)));
  }
  LRESULT found =
      SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(current.c_str()));
  if (found != CB_ERR) SendMessageA(combo, CB_SETCURSEL, found, 0);
}

std::string MainDialog::SelectedDefinition() const {
  HWND combo = Item(IDC_DEFINITIONS);
  LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "";
  LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
  if (length <= 0) return "";
  std::string text(static_cast<size_t>(length) + 1, '\0');
  SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::string MainDialog::DefinitionPath(const std::string& name) const {
  return m_programFolder + name + "." + m_app.DefinitionExtension();
}

// --- Run ---------------------------------------------------------------------------------------------------

void MainDialog::LoadRunPictures() {
  auto load = [&](const char* file, int resource) {
    std::string path = m_programFolder + file;
    auto picture =
        static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!picture)
      picture = static_cast<HBITMAP>(
          LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, 0));
    return picture;
  };
  m_pictureStart = load("BtnStart.bmp", IDB_RUN_START);
  m_pictureStop = load("BtnStop.bmp", IDB_RUN_STOP);
  m_pictureWait = load("BtnWait.bmp", IDB_RUN_WAIT);
}

void MainDialog::ShowRunPicture(HBITMAP picture) {
  SendMessageA(Item(IDOK), BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

void MainDialog::OnRun() {
  if (m_state.load() != kStateReady) return;
  if (m_flags.running.load() == 1) {
    AskHowToStop();
    return;
  }
  std::string selected = SelectedDefinition();
  if (!selected.empty()) Settings::WriteString("Tavrin", "CurrDef", selected.c_str());
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
  std::string shown = name;
  if (IsDlgButtonChecked(Handle(), IDC_CHARTS_ONLY) == BST_CHECKED) shown += " (LOADING CHARTS ONLY MODE!)";
  CTxt question;
  question.Format(
      "Are you sure to start Backtesting Sequence:\r\n\r\n%s?\r\n\r\nBe Sure to Verify These Items:\r\n1. "
      "Chart is Maximized\r\n2. Only one Chart in the Workspace\r\n3. Only ONE Strategy in the Chart",
      shown.c_str());
  if (AppBox(Handle(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (!StartRun()) return;
  ShowRunPicture(m_pictureStop);
  EnableWindow(Item(IDC_EDIT), FALSE);
  EnableWindow(Item(IDC_NEW), FALSE);
}

bool MainDialog::StartRun() {
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
  std::string path = DefinitionPath(name);
  if (AskResumeRun(path.c_str(), name.c_str(), m_prompts) < 0) return false;
  if (m_worker.joinable()) m_worker.join();  // the previous run has ended (Run is enabled only then)
  m_sequenceName = name;
  m_chartsOnly = IsDlgButtonChecked(Handle(), IDC_CHARTS_ONLY) == BST_CHECKED;
  m_runStart.SetNow();
  m_firstStepSeen = m_latestStepSeen = 0;
  m_flags.done = 0;
  try {
    m_worker = std::thread([this] {
      CTxt finalText;
      RunWorkerProcedure(m_runner, *this, m_programFolder.c_str(), m_flags, finalText);
    });
  } catch (const std::exception&) {
    SetStatus("Starting Backtesting Thread failed");
    return false;
  }
  for (int poll = 0; poll < kStartPolls && m_flags.running.load() != 1 && m_flags.done.load() == 0; ++poll)
    Sleep(100);
  return true;
}

void MainDialog::AskHowToStop() {
  RECT frame{20, 20, 0, 0};
  MapDialogRect(Handle(), &frame);
  RECT window{};
  GetWindowRect(Handle(), &window);
  POINT at{window.left + frame.left, window.top + frame.top};
  CTxt title;
  title.Format("Abort Sequence %s?", m_sequenceName.c_str());
  std::vector<std::string> choices(std::begin(kStopChoices), std::end(kStopChoices));
  int choice = PickFromList(Handle(), title, "Select how to Stop:", choices, &at);
  static const struct {
    const char* log;
    int request;
  } kActions[] = {{"Aborting current Sequence: %s", kRequestAbortNow},
                  {"Waiting for Closing current Sequence: %s", kRequestAbortAfterStep},
                  {"Pausing current Sequence: %s", kRequestPause},
                  {"Continue after Pause current Sequence: %s", kRequestContinue}};
  if (choice < 0 || choice > 3) return;
  ShowRunPicture(m_pictureWait);
  LogTrace(kCategory, 0, kActions[choice].log, m_sequenceName.c_str());
  CTxt text;
  m_runner.Request(kActions[choice].request, text);
}

// --- The worker's host
// ---------------------------------------------------------------------------------------

void MainDialog::ShowFinalText(const char* text, bool isError) {
  AppBox(nullptr, text, MB_OK | MB_TOPMOST | (isError ? MB_ICONSTOP : MB_ICONINFORMATION));
}

bool MainDialog::AskShowLog(const char* question) {
  return AppBox(nullptr, question, MB_YESNO | MB_TOPMOST | MB_ICONQUESTION) == IDYES;
}

void MainDialog::OpenRunFolder(const char* launchText) {
  LaunchProcess(launchText, 0);
}

void MainDialog::RunEnded() {
  PostMessageA(Handle(), kRunEndedMessage, 0, 0);
}

void MainDialog::SetAutoExit(const char* value) {
  RegistryWrite("AUTOEXIT", value, "Morvane");
}

// --- Exit, Edit, New, Delete
// ---------------------------------------------------------------------------------

void MainDialog::OnExit() {
  if (AppBox(Handle(), "Are you sure you want to exit?", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  SetAutoExit("0");
  SetStatus("Exiting - please wait");
  LogTrace(kCategory, 0, "Aborting current Sequence: %s", m_sequenceName.c_str());
  CTxt text;
  m_runner.Request(kRequestAbortNow, text);
  m_closing = true;
  for (int poll = 0; poll < 20 && m_flags.running.load() == 1; ++poll) Sleep(100);
  SetStatus("Exiting - please wait ...");
  End(IDCANCEL);
}

void MainDialog::OnEdit() {
  std::string selected = SelectedDefinition();
  if (!selected.empty()) Settings::WriteString("Tavrin", "CurrDef", selected.c_str());
  OpenEditor(false);
}

void MainDialog::OpenEditor(bool isNew) {
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
#ifdef TAVRIN_HAS_EDITOR
  RunSequenceEditor(Handle(), m_programFolder.c_str(), name.c_str(), isNew, &m_driver);
#else
  (void)isNew;
  CTxt text;
  text.Format("The sequence editor is not part of this build yet.\r\n\r\nEdit %s in a text editor.",
              DefinitionPath(name).c_str());
  AppBox(Handle(), text, MB_OK | MB_ICONINFORMATION);
#endif
  FillDefinitions();
}

bool MainDialog::AskNewName(CTxt& name, CTxt& path) {
  name = "(NewDef)";
  for (;;) {
    if (!PromptText(Handle(), "Enter New Sequence Name", "Enter New Sequence Name", "New Name:|30", name))
      return false;
    name.Trim(' ');
    if (name.IsEmpty() || EqualNoCase(name, "(NewDef)")) {
      AppBox(Handle(), "Choose a different name!", MB_OK | MB_ICONSTOP);
      continue;
    }
    path = DefinitionPath(name.ToStd()).c_str();
    if (IsFolder(path) < 0) return true;
    CTxt text;
    text.Format("Definintion '%s' exists already - choose a different name\r\n(%s)",
                static_cast<const char*>(name), static_cast<const char*>(path));
    AppBox(Handle(), text, MB_OK | MB_ICONSTOP);
  }
}

void MainDialog::OnNew() {
  CTxt name, path;
  if (!AskNewName(name, path)) return;
  std::string current;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", current);
  CTxt question;
  question.Format("Do you want to copy the new Sequence from current sequence (%s)?", current.c_str());
  int answer = AppBox(Handle(), question, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return;
  CTxt text;
  if (answer == IDYES) {
    std::string source = DefinitionPath(current);
    int copied = CopyFileTo(source.c_str(), path);
    if (copied < 0) {
      text.Format("Copy Error (%d) %s -> %s", copied, source.c_str(), static_cast<const char*>(path));
      AppBox(Handle(), text, MB_OK | MB_ICONSTOP);
      return;
    }
  } else {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      CTxt reason;
      reason.GetSysErrMsg();
      text.Format("Copy Cannot open %s (%s)", static_cast<const char*>(path),
                  static_cast<const char*>(reason));
      AppBox(Handle(), text, MB_OK | MB_ICONSTOP);
      return;
    }
    CloseHandle(file);
  }
  Settings::WriteString("Tavrin", "CurrDef", name);
  FillDefinitions();
  OpenEditor(true);
}

void MainDialog::OnDelete() {
  std::string name;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", name);
  std::string selected = SelectedDefinition();
  if (!selected.empty()) name = selected;
  CTxt question;
  question.Format("Are you sure you want to delete Backtesting Sequence '%s'?", name.c_str());
  if (AppBox(Handle(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  std::string path = DefinitionPath(name);
  int deleted = DeleteFileForced(path.c_str(), 1);
  LogTrace(kCategory, 0, "Deleted %s (%d)", path.c_str(), deleted);
  FillDefinitions();
}

// --- The window as a whole
// -----------------------------------------------------------------------------------

int RunMainWindow(RunnerApp& app) {
  auto* window = new MainDialog(app);
  int code = window->Run();
  // A run still going after Exit (its abort requested) ends with the process: the runner and its window
  // must outlive the worker, so the window is not destroyed under it.
  if (!window->WorkerStopped()) ExitProcess(static_cast<UINT>(code));
  delete window;
  return code;
}
