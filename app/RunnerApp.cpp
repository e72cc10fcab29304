#include "app/RunnerApp.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "app/MainDialog.h"
#include "app/Unattended.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"

namespace {

constexpr char kCategory[] = "Tavrin";

bool IsOption(const std::string& arg, char letter) {
  return arg.size() >= 2 && (arg[0] == '-' || arg[0] == '/') &&
         toupper(static_cast<unsigned char>(arg[1])) == letter;
}

bool StartsLikeOption(const std::string& arg) {
  return !arg.empty() && (arg[0] == '-' || arg[0] == '/');
}

bool IsDefinitionFile(const std::string& arg) {
  if (IsFolder(arg.c_str()) != 0) return false;
  CTxt extension;
  CTxt(arg.c_str()).GetFileTxt(3, extension);
  return EqualNoCase(extension, kDefinitionExtension);
}

}  // namespace

AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args) {
  AppCommandLine command;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsOption(arg, 'R')) {
      command.run = true;
      command.runValue = arg.substr(2);
      if (command.runValue.empty() && i + 1 < args.size() && !StartsLikeOption(args[i + 1]))
        command.runValue = args[++i];
    } else if (IsOption(arg, 'X') && arg.size() == 2) {
      command.selfTest = true;
    } else if (IsOption(arg, 'Q') && arg.size() == 2) {
      command.quiet = true;
    } else if (!StartsLikeOption(arg) && IsDefinitionFile(arg)) {
      CTxt name;
      CTxt(arg.c_str()).GetFileTxt(2, name);
      command.selectDefinition = name.ToStd();
    }
  }
  return command;
}

std::vector<std::string> ProcessArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) {
    int size = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_ACP, 0, wide[i], -1, &arg[0], size, nullptr, nullptr);
    args.push_back(arg);
  }
  LocalFree(wide);
  return args;
}

RunnerApp::RunnerApp() = default;

void RunnerApp::DeterminePaths() {
  CTxt folder;
  Settings::GetAppFolder(folder);
  m_programFolder = folder.ToStd() + "/";
  CTxt name;
  CTxt::GetExeName(name, 2);
  m_programName = name.ToStd();
  m_executablePath = m_programFolder + m_programName + ".exe";
}

void RunnerApp::RegisterDefinitionType() {
  CTxt message;
  int refresh = Settings::GetBool("SYS", "RefreshFileAssociations", false) ? 1 : 0;
  int result = RegisterFileType(kDefinitionExtension, m_executablePath.c_str(), "Tavrin Definition File",
                                message, m_programName.c_str(), refresh);
  if (result < 0)
    LogTrace(kCategory, 0, "File type .%s not registered (%d): %s", kDefinitionExtension, result,
             static_cast<const char*>(message));
}

void RunnerApp::ApplyCommandLine(const AppCommandLine& command) {
  if (!command.selectDefinition.empty())
    Settings::WriteString("Tavrin", "CurrDef", command.selectDefinition.c_str());
}

// A sample data file shipped in the program folder moves to its place under Data/ on the first start.
void RunnerApp::RelocateSampleData() {
  std::string sample = m_programFolder + "CLH6_Intra0010.txt";
  if (IsFolder(sample.c_str()) != 0) return;
  std::string target = m_programFolder + "Data/CLH6/CLH6_Intra0010.txt";
  CreateFolderPath(target.c_str(), 1);
  DeleteFileForced(target.c_str(), 1);
  int moved = MoveFileTo(sample.c_str(), target.c_str());
  LogTrace(kCategory, 0, "Sample data moved to %s (%d)", target.c_str(), moved);
}

int RunnerApp::Run(const std::vector<std::string>& args) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  AppCommandLine command = ParseAppCommandLine(args);
  if (command.quiet) EnterQuietMode();
  DeterminePaths();
  RegisterDefinitionType();
  ApplyCommandLine(command);
  RelocateSampleData();
  if (command.selfTest) RunDriverSelfTest(m_programFolder);
  if (command.run) return RunUnattended(command.runValue, m_programFolder, command.quiet);
  return RunMainWindow(*this);
}
