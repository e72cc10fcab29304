// The sequence editor: loading a definition into the dialog, every button, and saving with its checks.
#include "app/Dialogs/SequenceEditorDialog.h"

#include <commdlg.h>

#include <string>

#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/Dialogs/TimeframeDialog.h"
#include "app/resources/EditorIds.h"
#include "execution/RunScript.h"
#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "sequence/DefinitionSize.h"
#include "sequence/EditorRules.h"
#include "sequence/SequenceDefinition.h"
#include "sequence/Timeframe.h"
#include "tsdriver/TsDriver.h"

namespace {

constexpr const char* kLogCategory = "Tavrin";
constexpr const char* kImportListEntry = "(Import a SymbolList from TradeStation)";
constexpr int kOffsetFromMainWindow = 20;

std::function<void(const char*)>& FileLauncher() {
  static std::function<void(const char*)> launcher = [](const char* file) { OpenInEditor(file); };
  return launcher;
}

// The base names of the files "*.ext" in the current folder, sorted.
CTxtArray ListFileNames(const char* extension) {
  CTxt folder;
  CurrentFolder(folder);
  CTxt pattern;
  pattern.Format("*.%s", extension);
  CTxtArray files, names;
  files.LoadFromDir(folder, 0, 1, pattern);
  for (int i = 0; i < files.GetSize(); ++i) {
    CTxt name;
    CTxt(files.GetAtTxt(i)).GetFileTxt(2, name);
    names.Add(name);
  }
  return names;
}

CTxt Today() {
  CZELDateTime now;
  now.SetNow();
  CTxt out;
  out.Format("%d/%d/%04d", now.GetMonth(), now.GetDay(), now.GetYear());
  return out;
}

bool BeginsWithList(const char* entry) {
  return StartsWithNoCase(entry, kSymbolListPrefix);
}

}  // namespace

int RunSequenceEditor(HWND parent, const char* programFolder, const char* definitionName, bool isNew,
                      TsDriver* driver) {
  CTxt name(definitionName ? definitionName : "");
  if (name.IsEmpty()) CurrentDefinitionName(name);
  CTxt path;
  if (programFolder && *programFolder) {
    CTxt folder(programFolder);
    folder.MakeFn();
    path.Format("%s/%s.%s", (const char*)folder, (const char*)name, kDefinitionExtension);
  } else {
    DefinitionPath(name, path);
  }
  std::unique_ptr<TsDriver> own;
  if (!driver) {
    own = std::make_unique<TsDriver>();
    driver = own.get();
  }
  SequenceEditorDialog editor(parent, *driver, isNew);
  return static_cast<int>(editor.Run(path));
}

SequenceEditorDialog::SequenceEditorDialog(HWND mainWindow, TsDriver& driver, bool isNew)
    : m_mainWindow(mainWindow),
      m_driver(driver),
      m_isNew(isNew),
      m_loaded(std::make_unique<SequenceDefinition>()) {}

SequenceEditorDialog::~SequenceEditorDialog() = default;

void SequenceEditorDialog::SetFileLauncher(std::function<void(const char*)> launcher) {
  FileLauncher() = launcher ? std::move(launcher) : [](const char* file) { OpenInEditor(file); };
}

INT_PTR SequenceEditorDialog::Run(const char* filePath) {
  m_filePath = filePath;
  m_filePath.GetFileTxt(2, m_name);
  return RunModal(m_mainWindow, IDD_SEQUENCE_EDITOR);
}

// --- Opening ------------------------------------------------------------------------------------------

bool SequenceEditorDialog::OnInit() {
  m_filling = true;
  LoadDefinition();
  CTxt caption;
  caption.Format("Backtesting Sequence: %s", (const char*)m_name);
  SetWindowTextA(Hwnd(), caption);
  FillList(IDC_SYMBOLS, m_symbols, 0);
  FillList(IDC_TIMEFRAMES, m_template, 0);
  FillList(IDC_PARAMETERS, m_optSet, 0);
  ShowWorkspace();
  SetChecked(IDC_MULTI_DATA, m_loaded->multiData);
  SetItemText(IDC_END_DATE, m_endDate.IsFilled() ? m_endDate.GetData() : Today().GetData());
  CTxt fields[4];
  FormatGeneticFields(m_loaded->genetic ? *m_loaded->genetic : GeneticSettings(), fields);
  const int ids[4] = {IDC_GENERATIONS, IDC_MUTATION_RATE, IDC_POPULATION, IDC_CROSSOVER_RATE};
  for (int i = 0; i < 4; ++i) SetItemText(ids[i], m_loaded->genetic ? fields[i].GetData() : "");
  SetChecked(IDC_GENETIC, m_loaded->genetic.has_value());
  ShowGeneticFields(m_loaded->genetic.has_value());
  if (m_mainWindow) {
    RECT r{};
    GetWindowRect(m_mainWindow, &r);
    MoveOntoWorkArea(Hwnd(), r.left + kOffsetFromMainWindow, r.top + kOffsetFromMainWindow);
  }
  m_filling = false;
  ReadEarlierRunTimes();
  RefreshSize();
  return true;
}

// The step times recorded in this definition's earlier run folders (none without TradeStation's folder).
void SequenceEditorDialog::ReadEarlierRunTimes() {
  CTxt base;
  if (m_driver.GetTsBaseFolder(base, 0, 0) < 0 || base.IsEmpty()) return;
  m_runTimings = ReadRunTimings(DefinitionRunsFolder(base.ToStd(), m_filePath));
}

void SequenceEditorDialog::LoadDefinition() {
  RunScript script;
  CTxt error;
  int result = script.LoadDefinition(m_filePath, *m_loaded, error);
  bool emptyNew = m_isNew && result == -2;
  if (result < 0 && !emptyNew) AppError(Hwnd(), error);
  m_symbols = m_loaded->symbols;
  m_template = m_loaded->templateLines;
  m_optSet = m_loaded->optSet;
  m_workspace = m_loaded->workspace;
  m_endDate = m_loaded->endDate;
}

void SequenceEditorDialog::FillList(int id, const CTxtArray& items, int select) {
  HWND list = Item(id);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items.GetSize(); ++i) {
    const char* item = items.GetAtTxt(i);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item ? item : ""));
  }
  if (items.GetSize() > 0) {
    if (select < 0 || select >= items.GetSize()) select = items.GetSize() - 1;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
  }
  RefreshSize();
}

int SequenceEditorDialog::SelectedIndex(int id, CTxt& text) const {
  HWND list = Item(id);
  int index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (index < 0) return -1;
  int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
  std::string buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buffer[0]));
  text = buffer.c_str();
  return index;
}

void SequenceEditorDialog::ShowWorkspace() {
  CTxt base, group;
  m_workspace.GetFileTxt(2, base);
  group.Format("Workspace: %s", (const char*)base);
  SetItemText(IDC_WORKSPACE_GROUP, group);
  SetItemText(IDC_WORKSPACE_PATH, m_workspace);
}

void SequenceEditorDialog::ShowGeneticFields(bool on) {
  for (int id : {IDC_GENERATIONS, IDC_MUTATION_RATE, IDC_POPULATION, IDC_CROSSOVER_RATE}) EnableItem(id, on);
}

SequenceDefinition SequenceEditorDialog::CurrentDefinition() const {
  SequenceDefinition def;
  def.SetFilePath(m_filePath);
  def.workspace = m_workspace;
  def.symbols = m_symbols;
  def.templateLines = m_template;
  def.optSet = m_optSet;
  CTxt msg;
  if (NormalizeEndDate(ItemText(IDC_END_DATE).c_str(), def.endDate, msg) < 0)
    def.endDate = ItemText(IDC_END_DATE).c_str();
  def.multiData = IsChecked(IDC_MULTI_DATA);
  if (IsChecked(IDC_GENETIC)) {
    CTxt normal[4];
    def.genetic = NormalizeGeneticFields(
        ItemText(IDC_GENERATIONS).c_str(), ItemText(IDC_MUTATION_RATE).c_str(),
        ItemText(IDC_POPULATION).c_str(), ItemText(IDC_CROSSOVER_RATE).c_str(), normal);
  }
  return def;
}

// The steps the definition expands to as edited, and the optimisation tests of its largest step.
void SequenceEditorDialog::RefreshSize() {
  if (m_filling || !Hwnd()) return;
  DefinitionSize size;
  CTxt error, text;
  if (ComputeDefinitionSize(CurrentDefinition(), size, error) < 0) {
    CTxt firstLine;
    strfld(error, '\r', 1, 0, firstLine);
    text.Format("Steps: - (%s)", (const char*)firstLine);
  } else if (size.steps == 0) {
    text = "Steps: 0";
  } else {
    text.Format("Steps: %d, largest: Step#%d with %lld tests%s", size.steps, size.largestStep,
                static_cast<long long>(size.largestStepTests),
                size.largestStepTests > kLargeStepTests ? " (too many!)" : "");
    long long seconds = EstimateRunSeconds(m_runTimings, size.steps, size.totalTests);
    if (seconds >= 0) {
      CTxt estimate;
      estimate.Format("\r\nAbout %s to run (%d step%s timed)", FormatDuration(seconds).c_str(),
                      static_cast<int>(m_runTimings.size()), m_runTimings.size() == 1 ? "" : "s");
      text += estimate;
    }
  }
  SetItemText(IDC_DEFINITION_SIZE, text);
}

int SequenceEditorDialog::Prompt(int buttonId, const char* title, const char* field, const char* okCaption,
                                 CTxt& value) {
  CDlgPrompt prompt;
  POINT at = ItemCentre(buttonId);
  prompt.SetPosition(at.x, at.y);
  prompt.okCaption = okCaption;
  return prompt.DoModal(Hwnd(), title, field, value);
}

// --- Commands -------------------------------------------------------------------------------------------

bool SequenceEditorDialog::OnCommand(int id, int code, HWND) {
  if (id == IDC_SYMBOLS && code == LBN_DBLCLK) {
    ShowListSymbols();
    return true;
  }
  if (code == EN_CHANGE) {
    if (id == IDC_END_DATE || (id >= IDC_GENERATIONS && id <= IDC_CROSSOVER_RATE)) RefreshSize();
    return false;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_SYMBOL_ADD:
      AddSymbol();
      return true;
    case IDC_SYMBOL_DELETE:
      DeleteSymbol();
      return true;
    case IDC_SYMBOL_LIST_ADD:
      AddSymbolList();
      return true;
    case IDC_SYMBOL_LIST_SAVE:
      SaveSymbols();
      return true;
    case IDC_SYMBOL_VIEW:
      ViewSymbolList();
      return true;
    case IDC_TIMEFRAME_ADD:
      AddTimeframe();
      return true;
    case IDC_TIMEFRAME_EDIT:
      EditTimeframe();
      return true;
    case IDC_TIMEFRAME_DELETE:
      DeleteTimeframe();
      return true;
    case IDC_FRAME_LIST_ADD:
      AddFrameList();
      return true;
    case IDC_FRAME_LIST_SAVE:
      SaveFrames();
      return true;
    case IDC_PARAMETER_ADD:
      AddParameter();
      return true;
    case IDC_PARAMETER_EDIT:
      EditParameter();
      return true;
    case IDC_PARAMETER_DELETE:
      DeleteParameter();
      return true;
    case IDC_PARAMETER_IMPORT:
      ImportParameters();
      return true;
    case IDC_GENETIC:
      ShowGeneticFields(IsChecked(IDC_GENETIC));
      RefreshSize();
      return true;
    case IDC_MULTI_DATA:
      RefreshSize();
      return true;
    case IDC_WORKSPACE_BROWSE:
      BrowseWorkspace();
      return true;
    case IDC_WORKSPACE_OPEN:
      OpenWorkspace();
      return true;
    case IDC_SHOW_CMD:
      ShowSteps();
      return true;
    case IDC_EDIT_DEFINITION:
      EditDefinitionFile();
      return true;
    case IDOK:
      Save();
      return true;
    default:
      return false;
  }
}

// --- Symbols --------------------------------------------------------------------------------------------

void SequenceEditorDialog::AddSymbol() {
  CTxt value(kNewSymbolText);
  for (;;) {
    if (Prompt(IDC_SYMBOL_ADD, "Add Symbol", "Symbol:|15|Upper", "ADD", value) < 0) return;
    NormalizeSymbol(value);
    CTxt msg;
    if (CheckNewSymbol(m_symbols, value, msg) < 0) {
      AppError(Hwnd(), msg);
      continue;
    }
    m_symbols.Add(value);
    FillList(IDC_SYMBOLS, m_symbols, -1);
    return;
  }
}

void SequenceEditorDialog::DeleteSymbol() {
  CTxt symbol, question;
  if (SelectedIndex(IDC_SYMBOLS, symbol) < 0) return;
  question.Format("Are you sure to delete Symbol %s?", (const char*)symbol);
  if (!AppConfirm(Hwnd(), question)) return;
  int index = m_symbols.FindString(symbol);
  if (index < 0) {
    CTxt msg;
    msg.Format("Symbol '%s' not found in List", (const char*)symbol);
    AppError(Hwnd(), msg);
    return;
  }
  m_symbols.RemoveAt(index);
  FillList(IDC_SYMBOLS, m_symbols, 0);
}

void SequenceEditorDialog::AddSymbolList() {
  CDlgList list;
  list.items = ListFileNames(kSymbolListExtension);
  list.items.Add(kImportListEntry);
  list.okCaption = "Load List";
  CTxt choice("SP500");
  if (list.DoModal(Hwnd(), "Select the Symbol List", choice) < 0) return;
  if (CompareNoCase(choice, kImportListEntry) == 0) {
    ImportSymbolList();
    return;
  }
  CTxt entry;
  entry.Format("%s%s", kSymbolListPrefix, (const char*)choice);
  m_symbols.Add(entry);
  FillList(IDC_SYMBOLS, m_symbols, -1);
}

void SequenceEditorDialog::ImportSymbolList() {
  CTxt name(kNewSymbolListText), path, msg;
  for (;;) {
    if (Prompt(IDC_SYMBOL_LIST_ADD, "Enter New SymbolList Name", "New List Name:|30", "", name) < 0) return;
    if (CheckNewSymbolListName(name, path, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  for (;;) {
    CTxtArray symbols;
    CTxt err;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    int count = m_driver.ImportSymbolList(symbols, err, 1, path);
    SetCursor(previous);
    if (count < 0) {
      if (AppYesNoCancel(Hwnd(), err) == IDYES) continue;
      return;
    }
    m_symbols.RemoveAll();
    CTxt entry;
    entry.Format("%s%s", kSymbolListPrefix, (const char*)name);
    m_symbols.Add(entry);
    FillList(IDC_SYMBOLS, m_symbols, 0);
    msg.Format("Imported %d Symbols to %s", count, (const char*)path);
    AppInfo(Hwnd(), msg);
    FileLauncher()(path);
    return;
  }
}

void SequenceEditorDialog::SaveSymbols() {
  if (m_symbols.GetSize() == 0) {
    AppError(Hwnd(), "Add more symbols!");
    return;
  }
  if (BeginsWithList(m_symbols.GetAtTxt(0))) {
    AppError(Hwnd(), "Already a symbol list!");
    return;
  }
  CTxt name(kNewSymbolListText), path, msg;
  for (;;) {
    if (Prompt(IDC_SYMBOL_LIST_SAVE, "Enter new Symbol List Name", "Name:|20", "SAVE", name) < 0) return;
    if (CheckNewSymbolListName(name, path, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  if (SaveSymbolList(name, m_symbols, msg) < 0) {
    AppError(Hwnd(), msg);
    return;
  }
  msg.Format("Saved %d Symbols to %s", m_symbols.GetSize(), (const char*)path);
  AppInfo(Hwnd(), msg);
}

void SequenceEditorDialog::ViewSymbolList() {
  CTxt entry;
  if (SelectedIndex(IDC_SYMBOLS, entry) < 0) return;
  if (!BeginsWithList(entry)) {
    CTxt msg;
    msg.Format("%s is not a Symbol List", (const char*)entry);
    AppInfo(Hwnd(), msg);
    return;
  }
  CTxt path;
  SymbolListFile(entry.GetData() + CTxt(kSymbolListPrefix).GetLength(), path);
  FileLauncher()(path);
}

void SequenceEditorDialog::ShowListSymbols() {
  CTxt entry;
  if (SelectedIndex(IDC_SYMBOLS, entry) < 0 || !BeginsWithList(entry)) return;
  CTxt name(entry.GetData() + CTxt(kSymbolListPrefix).GetLength()), msg, title;
  CDlgList list;
  if (LoadSymbolList(name, list.items, msg) < 0) {
    AppError(Hwnd(), msg);
    return;
  }
  RECT r{};
  GetWindowRect(Item(IDC_SYMBOLS), &r);
  list.SetPosition(r.left + 10, r.top + 10);
  list.widthChars = 10;
  list.visibleLines = 15;
  title.Format("Symbols in %s", (const char*)name);
  CTxt none;
  list.DoModal(Hwnd(), title, none);
}

// --- Timeframes -----------------------------------------------------------------------------------------

void SequenceEditorDialog::AddTimeframe() {
  TimeframeDialog dialog(kNewTimeframeLine, true);
  if (dialog.Run(Hwnd()) != IDOK) return;
  m_template.Add(dialog.Line());
  FillList(IDC_TIMEFRAMES, m_template, -1);
}

void SequenceEditorDialog::EditTimeframe() {
  CTxt line;
  int index = SelectedIndex(IDC_TIMEFRAMES, line);
  if (index < 0) return;
  if (CompareNoCase(m_template.GetAtTxt(index), line) != 0) {
    CTxt msg;
    msg.Format("TimeFrame '%s' not found in List", (const char*)line);
    AppError(Hwnd(), msg);
    return;
  }
  TimeframeDialog dialog(line, false);
  if (dialog.Run(Hwnd()) != IDOK) return;
  m_template.SetAt(index, dialog.Line());
  FillList(IDC_TIMEFRAMES, m_template, index);
}

void SequenceEditorDialog::DeleteTimeframe() {
  CTxt line, question;
  int index = SelectedIndex(IDC_TIMEFRAMES, line);
  if (index < 0) return;
  question.Format("Are you sure to delete TimeFrame %s?", (const char*)line);
  if (!AppConfirm(Hwnd(), question)) return;
  if (CompareNoCase(m_template.GetAtTxt(index), line) != 0) {
    CTxt msg;
    msg.Format("TimeFrame '%s' not found in List", (const char*)line);
    AppError(Hwnd(), msg);
    return;
  }
  m_template.RemoveAt(index);
  FillList(IDC_TIMEFRAMES, m_template, 0);
}

void SequenceEditorDialog::AddFrameList() {
  CDlgList list;
  list.items = ListFileNames(kTimeframeListExtension);
  list.okCaption = "Load TimeFrames";
  CTxt choice(list.items.GetSize() > 0 ? list.items.GetAtTxt(0) : "");
  if (list.DoModal(Hwnd(), "Select the Time Frame List", choice) < 0) return;
  MakeFileSafeName(choice);
  CTxt msg;
  CTxtArray lines;
  if (LoadTimeframeList(choice, lines, msg) < 0) {
    m_template.RemoveAll();
    FillList(IDC_TIMEFRAMES, m_template, 0);
    AppError(Hwnd(), msg);
    return;
  }
  m_template = lines;
  FillList(IDC_TIMEFRAMES, m_template, 0);
}

void SequenceEditorDialog::SaveFrames() {
  if (m_template.GetSize() == 0) {
    AppError(Hwnd(), "Add more TimeFrames!");
    return;
  }
  CTxt name(kNewTimeframeListText), path, msg;
  for (;;) {
    if (Prompt(IDC_FRAME_LIST_SAVE, "Enter new TimeFrame List Name", "Name:|20", "SAVE", name) < 0) return;
    if (CheckNewTimeframeListName(name, path, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  if (SaveTimeframeList(name, m_template, msg) < 0) {
    AppError(Hwnd(), msg);
    return;
  }
  msg.Format("Saved %d TimeFrames to %s", m_template.GetSize(), (const char*)path);
  AppInfo(Hwnd(), msg);
}

// --- Parameters -----------------------------------------------------------------------------------------

void SequenceEditorDialog::AddParameter() {
  CTxt line(kNewParameterText), msg;
  for (;;) {
    if (Prompt(IDC_PARAMETER_ADD, "Add Strategy Parameter", "Parameter:|15", "ADD", line) < 0) return;
    line.Trim(' ');
    if (CheckNewParameter(m_optSet, line, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  m_optSet.Add(line);
  FillList(IDC_PARAMETERS, m_optSet, -1);
}

void SequenceEditorDialog::EditParameter() {
  CTxt selected, msg;
  int index = SelectedIndex(IDC_PARAMETERS, selected);
  if (index < 0) return;
  if (CompareNoCase(m_optSet.GetAtTxt(index), selected) != 0) {
    msg.Format("Parameter '%s' not found in List", (const char*)selected);
    AppError(Hwnd(), msg);
    return;
  }
  CTxt line(selected);
  for (;;) {
    if (Prompt(IDC_PARAMETER_EDIT, "Modify Strategy Parameter", "Parameter:|15", "MODIFY", line) < 0) return;
    line.Trim(' ');
    if (CheckParameterLine(line, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  m_optSet.SetAt(index, line);
  FillList(IDC_PARAMETERS, m_optSet, index);
}

void SequenceEditorDialog::DeleteParameter() {
  CTxt line, question;
  int index = SelectedIndex(IDC_PARAMETERS, line);
  if (index < 0) return;
  question.Format("Are you sure you want to delete Parameter:\r\n\r\n%s?", (const char*)line);
  if (!AppConfirm(Hwnd(), question)) return;
  if (CompareNoCase(m_optSet.GetAtTxt(index), line) != 0) {
    CTxt msg;
    msg.Format("Parameter '%s' not found in List", (const char*)line);
    AppError(Hwnd(), msg);
    return;
  }
  m_optSet.RemoveAt(index);
  FillList(IDC_PARAMETERS, m_optSet, 0);
}

void SequenceEditorDialog::ImportParameters() {
  for (;;) {
    if (!AppConfirm(Hwnd(), "Start importing Parameters from the current Tradestation Strategy?")) return;
    bool replace = AppConfirm(
        Hwnd(), "Do you want to replace the current Parameter List?\r\n(No=will add only new parameter)?");
    CTxtArray rows;
    CTxt text;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    int total = m_driver.ReadStrategyInputs(rows, text, 0, 0, nullptr);
    SetCursor(previous);
    if (total < 1) {
      if (AppYesNoCancel(Hwnd(), text) == IDYES) continue;
      return;
    }
    if (replace) m_optSet.RemoveAll();
    int imported = ImportStrategyInputs(m_optSet, rows, !replace);
    FillList(IDC_PARAMETERS, m_optSet, 0);
    CTxt msg;
    msg.Format("Imported %d numeric Strategy Parameter from a total of %d\r\nFrom Strategy:\r\n%s", imported,
               total, (const char*)text);
    AppInfo(Hwnd(), msg);
    return;
  }
}

// --- Workspace, steps, the file itself ------------------------------------------------------------------

void SequenceEditorDialog::BrowseWorkspace() {
  CTxt start(m_workspace);
  if (IsFolder(start) != 0) {
    CTxt base;
    m_driver.GetTsBaseFolder(base, 0, 0);
    start.Format("%s/MyWork/*.tsw", (const char*)base);
  }
  start.MakeFnDOS();
  char file[MAX_PATH] = "";
  lstrcpynA(file, start, MAX_PATH);
  static const char kFilter[] = "TradeStation Workspace\0*.tsw\0All Files (*.*)\0*.*\0";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Hwnd();
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = "tsw";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return;
  m_workspace = file;
  m_workspace.MakeFn();
  ShowWorkspace();
}

void SequenceEditorDialog::OpenWorkspace() {
  CTxt path, err;
  path.Format("!%s", (const char*)m_workspace);
  LogTrace(kLogCategory, 0, "Opening Workspace: %s", (const char*)path);
  HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  int result = m_driver.OpenWorkspace(path, err, 1, 0);
  SetCursor(previous);
  LogTrace(kLogCategory, 0, "Opened Workspace(%d): %s (%s)", result, (const char*)path, (const char*)err);
}

void SequenceEditorDialog::ShowSteps() {
  RunScript script;
  CTxt error;
  int runOpt = 1;
  int count = script.BuildRunScript(m_filePath, error, runOpt, 1);
  if (count < 0) {
    AppError(Hwnd(), error);
    return;
  }
  CDlgList list;
  for (int i = 0; i < count; ++i) {
    CTxt line;
    line.Format("%d. %s", i + 1, script.GetCommand(i));
    list.items.Add(line);
  }
  list.widthChars = 32;
  list.SetPosition(0, 0);
  CTxt none;
  list.DoModal(Hwnd(), "Backtesting Sequence", none);
}

void SequenceEditorDialog::EditDefinitionFile() {
  FileLauncher()(m_filePath);
}

// --- Saving ---------------------------------------------------------------------------------------------

bool SequenceEditorDialog::AskNewName() {
  CTxt name(kNewDefinitionText), path, msg;
  for (;;) {
    if (Prompt(IDOK, "Enter New Sequence Name", "New Name:|30", "", name) < 0) return false;
    if (CheckNewDefinitionName(name, path, msg) == 0) break;
    AppError(Hwnd(), msg);
  }
  Settings::WriteString("Tavrin", "CurrDef", name);
  m_name = name;
  m_filePath = path;
  CTxt caption;
  caption.Format("Backtesting Sequence: %s", (const char*)m_name);
  SetWindowTextA(Hwnd(), caption);
  return true;
}

void SequenceEditorDialog::Save() {
  // Before anything is asked: a step the optimiser cannot finish in reasonable time is worth a second look.
  DefinitionSize size;
  CTxt error;
  if (ComputeDefinitionSize(CurrentDefinition(), size, error) > 0 &&
      size.largestStepTests > kLargeStepTests) {
    CTxt question;
    question.Format(
        "Step#%d of this Sequence runs %lld optimization tests (more than %lld).\r\n"
        "The optimizer becomes impractically slow with so many.\r\n\r\nSave anyway?",
        size.largestStep, static_cast<long long>(size.largestStepTests),
        static_cast<long long>(kLargeStepTests));
    if (!AppConfirm(Hwnd(), question)) return;
  }
  int answer = AppYesNoCancel(Hwnd(), "Do you want to save the changes as a new Sequence?");
  if (answer == IDCANCEL) return;
  if (answer == IDYES && !AskNewName()) return;

  CTxt endDate, msg;
  std::string typedDate = ItemText(IDC_END_DATE);
  if (NormalizeEndDate(typedDate.c_str(), endDate, msg) < 0) {
    AppError(Hwnd(), msg);
    return;
  }
  SetItemText(IDC_END_DATE, endDate);
  if (IsChecked(IDC_GENETIC)) {
    CTxt normal[4];
    NormalizeGeneticFields(ItemText(IDC_GENERATIONS).c_str(), ItemText(IDC_MUTATION_RATE).c_str(),
                           ItemText(IDC_POPULATION).c_str(), ItemText(IDC_CROSSOVER_RATE).c_str(), normal);
    const int ids[4] = {IDC_GENERATIONS, IDC_MUTATION_RATE, IDC_POPULATION, IDC_CROSSOVER_RATE};
    for (int i = 0; i < 4; ++i) SetItemText(ids[i], normal[i]);
  }
  SequenceDefinition def = CurrentDefinition();
  if (def.Save(msg) < 0) {
    AppError(Hwnd(), msg);
    return;
  }
  AppInfo(Hwnd(), msg);
  End(IDOK);
}
