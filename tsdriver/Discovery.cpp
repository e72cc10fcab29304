// Finding TradeStation: its main and chart windows, its installation folder, its version, and the process
// that owns the charts.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/WinHandles.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLogCategory[] = "RemoteTS";
constexpr int kProgramFilesId = 0x0026;     // CSIDL_PROGRAM_FILES
constexpr int kProgramFilesX86Id = 0x002a;  // CSIDL_PROGRAM_FILESX86

// The chart windows of both classes, in low-16-bit order.
std::vector<HWND> ChartWindowCandidates() {
  std::vector<HWND> all;
  for (const char* cls : {tsfacts::kChartWindowClass8455, tsfacts::kChartWindowClass8655}) {
    WindowQuery q;
    q.cls = {cls, TextRule::Exact};
    std::vector<HWND> found = FindWindows(q);
    all.insert(all.end(), found.begin(), found.end());
  }
  std::stable_sort(all.begin(), all.end(), [](HWND a, HWND b) { return Low16(a) < Low16(b); });
  return all;
}

// Both program files folders ('/' form), each once: a 64-bit Tavrin sees "Program Files" while a 32-bit
// TradeStation is installed under "Program Files (x86)".
std::vector<std::string> ProgramFilesFolders() {
  std::vector<std::string> out;
  for (int id : {kProgramFilesId, kProgramFilesX86Id}) {
    CTxt path;
    if (GetSystemPath(id, path) <= 0) continue;
    bool seen = false;
    for (const std::string& f : out) seen = seen || CompareNoCase(f.c_str(), path) == 0;
    if (!seen) out.push_back(path.ToStd());
  }
  return out;
}

bool IsInstallationName(const char* name) {
  return FindNoCase(name, tsfacts::kInstallFolderMarker8) >= 0 ||
         FindNoCase(name, tsfacts::kInstallFolderMarker9) >= 0;
}

// The time of the newest entry of FOLDER/Logs ("YYYYMMDD|HHMMSS.mmm"), empty when there is none.
std::string NewestLogTime(const std::string& folder) {
  CTxtArray listing;
  std::string logs = folder + "/" + tsfacts::kLogFolder;
  listing.LoadFromDirSortTimeStyle(2, logs.c_str());
  for (int i = listing.GetSize() - 1; i >= 0; --i) {
    const char* entry = listing.GetAtTxt(i);
    if (!entry || CountFields(entry, '|') < 3) continue;
    CTxt stamp;
    strfld(entry, '|', 1, 2, stamp);
    return stamp.ToStd();
  }
  return std::string();
}

}  // namespace

int FindChartWindows(SPtrArray& out) {
  out.RemoveAll();
  for (HWND chart : ChartWindowCandidates()) {
    std::string text;
    if (!ReadText(chart, text) || text.empty()) continue;
    if (FindNoCase(text.c_str(), tsfacts::kChartTitleMarker) >= 0) out.Add(chart);
  }
  return out.GetSize();
}

HWND FindChartWindow(CTxt& title, int requireMaximised) {
  title.MakeEmpty();
  for (HWND chart : ChartWindowCandidates()) {
    std::string text;
    if (!ReadText(chart, text) || text.empty()) continue;
    if (requireMaximised == 1 && (GetWindowLongA(chart, GWL_STYLE) & tsfacts::kSystemMenuStyleBit)) continue;
    title = text.c_str();
    return chart;
  }
  return nullptr;
}

unsigned FindProcessId(const char* namePart) {
  if (!namePart || !namePart[0]) return 0;
  DWORD ids[1024];
  DWORD bytes = 0;
  if (!EnumProcesses(ids, sizeof ids, &bytes)) return 0;
  for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]));
    if (!process) continue;
    char name[261] = "";
    // The main module's name; for a 32-bit process seen from 64-bit code the image name serves as well.
    if (GetModuleBaseNameA(process.Get(), nullptr, name, 260) == 0) {
      DWORD size = 260;
      char full[261] = "";
      if (!QueryFullProcessImageNameA(process.Get(), 0, full, &size)) continue;
      CTxt path = full;
      CTxt base;
      path.GetFileTxt(5, base);
      lstrcpynA(name, base, 261);
    }
    if (FindNoCase(name, namePart) >= 0) return ids[i];
  }
  return 0;
}

TsDriver::TsDriver() {
  SetPrimitivesAbortRequest(&m_abortRequest);
}

void TsDriver::SetInteraction(Interaction* interaction) {
  m_interaction = interaction ? interaction : &m_messageBoxes;
}

void TsDriver::SetChartLoadWaits(ChartLoadWaits* waits) {
  m_chartLoadWaits = waits ? waits : &m_fullWaits;
}

void TsDriver::SetBaseFolder(const char* folder) {
  m_baseFolder = folder;
  m_baseFolder.MakeFn();
  m_cachedVersion = -1;
}

HWND TsDriver::FindMainWindow(CTxt& titleOrError) {
  m_productLabel = tsfacts::kProductLabel;
  WindowQuery q;
  q.cls = {tsfacts::kMainWindowClass, TextRule::Exact};
  m_mainWindow = FindFirstWindow(q);
  if (!m_mainWindow) {
    titleOrError = kTsNotOpenedText;
    return nullptr;
  }
  m_mainTitle = TitleOf(m_mainWindow).c_str();
  titleOrError = m_mainTitle;
  return m_mainWindow;
}

int TsDriver::CheckMainWindow() {
  if (!m_mainWindow) return -1;
  std::string cls = ClassNameOf(m_mainWindow);
  if (cls.size() < 2 || CompareNoCase(cls.c_str(), tsfacts::kMainWindowClass) != 0) return -2;
  return 0;
}

int TsDriver::GetTsBaseFolder(CTxt& folderOrError, int rescan, int needMainWindow) {
  if (needMainWindow == 1 && !FindMainWindow(folderOrError)) return -3;
  if (m_baseFolder.IsFilled() && rescan == 0) {
    folderOrError = m_baseFolder;
    return 0;
  }
  CTxt home;
  Settings::GetString("Tavrin", "TSHome", "", home);
  home.Trim(' ');
  home.MakeFn();
  if (home.IsFilled()) {
    if (IsFolder(home) == 1) {
      SetBaseFolder(home);
      Settings::WriteString("Tavrin", "TSCurr", m_baseFolder);
      Settings::WriteString("Tavrin", "TSHome", m_baseFolder);
      LogTrace(kLogCategory, 0, "Fixed TS Base set to: %s", m_baseFolder.GetData());
      folderOrError = m_baseFolder;
      return 0;
    }
    GetFileAttributesA(home);
    CTxt reason;
    reason.GetSysErrMsg();
    LogTrace(
        kLogCategory, 0,
        "Cannot find fixed TradeSTtaion folder(TSHome) %s (%s) - scanning for current Tradestation location",
        home.GetData(), reason.GetData());
  }
  return ScanForBaseFolder(folderOrError);
}

int TsDriver::ScanForBaseFolder(CTxt& folderOrError) {
  std::vector<std::string> candidates;
  for (const std::string& root : ProgramFilesFolders()) {
    CTxtArray entries;
    entries.LoadFromDirNoSort(root.c_str());
    for (int i = 0; i < entries.GetSize(); ++i) {
      CTxt path = entries.GetAtTxt(i);
      CTxt name;
      path.GetFileTxt(5, name);
      if (IsInstallationName(name) && IsFolder(path) == 1) candidates.push_back(path.ToStd());
    }
  }
  if (candidates.empty()) {
    folderOrError = "Could not find Tradestation current base folder";
    return -2;
  }
  std::string winner = candidates.front();
  if (candidates.size() > 1) {
    std::stable_sort(candidates.begin(), candidates.end(), [](const std::string& a, const std::string& b) {
      CTxt na, nb;
      CTxt(a.c_str()).GetFileTxt(5, na);
      CTxt(b.c_str()).GetFileTxt(5, nb);
      return CompareNoCase(na, nb) != 0 && _stricmp(na, nb) < 0;
    });
    std::string best;
    winner = candidates.front();
    for (size_t i = 0; i < candidates.size(); ++i) {
      LogTrace("Tavrin", 0, "%d of %d Checking TradeStation %s ...", static_cast<int>(i + 1),
               static_cast<int>(candidates.size()), candidates[i].c_str());
      std::string stamp = NewestLogTime(candidates[i]);
      if (!stamp.empty() && (best.empty() || _stricmp(stamp.c_str(), best.c_str()) > 0)) {
        best = stamp;
        winner = candidates[i];
      }
    }
  }
  SetBaseFolder(winner.c_str());
  Settings::WriteString("Tavrin", "TSCurr", m_baseFolder);
  LogTrace(kLogCategory, 0, "Current TS Base: %s", m_baseFolder.GetData());
  folderOrError = m_baseFolder;
  return 0;
}

int TsDriver::GetTsVersion() {
  if (m_cachedVersion >= 0) return m_cachedVersion;
  if (m_baseFolder.IsEmpty()) {
    CTxt err;
    if (GetTsBaseFolder(err, 0, 1) < 0) return -1;
  }
  int at = FindNoCase(m_baseFolder, tsfacts::kVersionMarker);
  if (at < 0) return -2;
  std::string digits;
  const char* p = m_baseFolder.GetData() + at + std::strlen(tsfacts::kVersionMarker);
  for (int i = 0; i < 3 && p[i]; ++i)
    if (p[i] != '.') digits += p[i];
  m_cachedVersion = std::atoi(digits.c_str());
  return m_cachedVersion;
}

bool TsDriver::TsStoppedAnswering(unsigned before, CTxt& err) const {
  if (NotRespondingCount() == before) return false;
  if (m_mainWindow && !IsWindow(m_mainWindow))
    err.Format("%s (%p)", kTsGoneText, static_cast<void*>(m_mainWindow));
  else
    err.Format("%s (a message to it was not answered within %d ms)", kTsNotRespondingText, SendBoundMs());
  LogTrace(kLogCategory, 0, "%s", err.GetData());
  return true;
}

bool TsDriver::TsAnswers() {
  if (!m_mainWindow || !IsWindow(m_mainWindow)) return false;
  DWORD_PTR answer = 0;
  int bound = Settings::GetInt("Tavrin", "TsAnswerWaitMs", 5000);
  return SendMessageTimeoutA(m_mainWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                             static_cast<UINT>(bound > 0 ? bound : 5000), &answer) != 0;
}

int TsDriver::DialogMissing(const char* text, int code, CTxt& err) {
  if (Aborted()) {
    err = kAbortedText;
    return code;
  }
  if (m_mainWindow && !IsWindow(m_mainWindow)) {
    err.Format("%s (%s)", kTsGoneText, text);
    return kTsNotResponding;
  }
  if (!TsAnswers()) {
    err.Format("%s (%s)", kTsNotRespondingText, text);
    return kTsNotResponding;
  }
  err = text;
  return code;
}
