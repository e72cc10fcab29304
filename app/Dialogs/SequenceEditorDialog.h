// SequenceEditorDialog ("Edit Backtesting Sequence"): the user edits one sequence definition (symbols,
// timeframe lines, strategy parameters, genetic values, end date, multi-data flag, workspace) and saves it
// under its name or as a new sequence. The editor works on copies; nothing reaches the definition file until
// a save passes every check, and a failed save keeps the dialog open with everything typed.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/Dialogs/Dialog.h"
#include "execution/RunState.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

class SequenceDefinition;
class TsDriver;

// Opens the editor modally for the definition definitionName (empty: the setting "Tavrin"/"CurrDef") in
// programFolder (empty: the settings' program folder). isNew: the definition was just created, so an empty
// file is no error. driver: the TradeStation driver to import symbol lists and strategy inputs with and to
// open workspaces (null: the editor uses one of its own). Returns IDOK after a save, IDCANCEL otherwise.
int RunSequenceEditor(HWND parent, const char* programFolder, const char* definitionName, bool isNew,
                      TsDriver* driver = nullptr);

class SequenceEditorDialog : public Dialog {
 public:
  SequenceEditorDialog(HWND mainWindow, TsDriver& driver, bool isNew);
  ~SequenceEditorDialog() override;
  // filePath: the definition to edit.
  INT_PTR Run(const char* filePath);

  // Opens files the user asks to see (symbol lists, the definition) in the text editor; tests replace it.
  static void SetFileLauncher(std::function<void(const char* file)> launcher);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void LoadDefinition();
  void FillList(int id, const CTxtArray& items, int select);
  int SelectedIndex(int id, CTxt& text) const;
  void ShowWorkspace();
  void ShowGeneticFields(bool on);
  void RefreshSize();
  void ReadEarlierRunTimes();
  SequenceDefinition CurrentDefinition() const;

  // Symbols
  void AddSymbol();
  void DeleteSymbol();
  void AddSymbolList();
  void ImportSymbolList();
  void SaveSymbols();
  void ViewSymbolList();
  void ShowListSymbols();
  // Timeframes
  void AddTimeframe();
  void EditTimeframe();
  void DeleteTimeframe();
  void AddFrameList();
  void SaveFrames();
  // Parameters
  void AddParameter();
  void EditParameter();
  void DeleteParameter();
  void ImportParameters();
  // Workspace, steps, saving
  void BrowseWorkspace();
  void OpenWorkspace();
  void ShowSteps();
  void EditDefinitionFile();
  void Save();
  bool AskNewName();

  // A prompt at the centre of the button that opened it: 0 after OK (value holds the answer), -1 cancelled.
  int Prompt(int buttonId, const char* title, const char* field, const char* okCaption, CTxt& value);

  HWND m_mainWindow;
  TsDriver& m_driver;
  bool m_isNew;
  CTxt m_name, m_filePath, m_workspace, m_endDate;
  CTxtArray m_symbols, m_template, m_optSet;
  std::unique_ptr<SequenceDefinition> m_loaded;  // as read from the file
  bool m_filling = false;
  // The steps of earlier runs of this definition, read once when the editor opens.
  RunTimings m_runTimings;
};
