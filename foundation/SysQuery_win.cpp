// System queries and small window services on Windows: the folder picker, computer name, version,
// memory, special folders, window state and ancestry.
#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "foundation/SysWin.h"
#include "foundation/Txt.h"
#include "foundation/WinHandles.h"

namespace {

constexpr int kMaxWindowDepth = 256;

// COM for the shell's folder browser, released again only when this call started it.
class ComApartment {
 public:
  ComApartment() : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (m_started) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool m_started;
};

// The shell allocator; frees the item list it is given.
class ShellItemList {
 public:
  ShellItemList(IMalloc* allocator, LPITEMIDLIST list) : m_allocator(allocator), m_list(list) {}
  ~ShellItemList() {
    if (m_list) m_allocator->Free(m_list);
  }
  ShellItemList(const ShellItemList&) = delete;
  ShellItemList& operator=(const ShellItemList&) = delete;
  LPITEMIDLIST Get() const { return m_list; }

 private:
  IMalloc* m_allocator;
  LPITEMIDLIST m_list;
};

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM param, LPARAM startFolder) {
  if (message == BFFM_INITIALIZED && startFolder) SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, startFolder);
  if (message == BFFM_SELCHANGED) {
    char path[MAX_PATH] = "";
    if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(param), path))
      SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
  }
  return 0;
}

struct VersionNumbers {
  DWORD major = 0, minor = 0, platform = 0;
};

// The running system's true version (GetVersionEx reports an older one to programs without a manifest).
VersionNumbers RunningVersion() {
  VersionNumbers v;
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  auto query = ntdll ? reinterpret_cast<RtlGetVersionFunction>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                     : nullptr;
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (query && query(&info) == 0) {
    v.major = info.dwMajorVersion;
    v.minor = info.dwMinorVersion;
    v.platform = info.dwPlatformId;
  }
  return v;
}

bool EnvironmentSaysNt() {
  char os[64] = "";
  DWORD n = GetEnvironmentVariableA("OS", os, sizeof os);
  if (n == 0 || n >= sizeof os) return false;
  return CompareNoCase("WINDOWS_NT", os, 2) == 0;
}

using FolderPathFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

FolderPathFunction FolderPathQuery() {
  static LoadedModule library(LoadLibraryA("SHFolder.dll"));
  static FolderPathFunction query = library ? reinterpret_cast<FolderPathFunction>(reinterpret_cast<void*>(
                                                  GetProcAddress(library.Get(), "SHGetFolderPathA")))
                                            : nullptr;
  return query;
}

}  // namespace

int BrowseForFolder(CTxt& folder, const char* title, HWND owner, UINT flags) {
  ComApartment com;
  IMalloc* allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) {
    folder = "Out of Memory";
    return -1;
  }
  std::string start = folder.ToStd();
  if (start.empty()) {
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    start = current;
  }
  for (char& c : start)
    if (c == '/') c = '\\';
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = flags | BIF_STATUSTEXT;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  ShellItemList chosen(allocator, SHBrowseForFolderA(&info));
  int result = 0;
  if (!chosen.Get()) {
    folder = "User aborted";
  } else {
    char path[MAX_PATH] = "";
    if (!SHGetPathFromIDListA(chosen.Get(), path)) {
      folder = "Cannot get Directory(1)";
      result = -2;
    } else if (!*path) {
      folder = "Cannot get Directory (2)";
      result = -3;
    } else {
      folder = path;
      result = folder.GetLength();
    }
  }
  allocator->Release();
  return result;
}

int GetComputerNameText(CTxt& out) {
  char name[256] = "";
  DWORD n = GetEnvironmentVariableA("USERDOMAIN", name, sizeof name);
  if (n > 0 && n < sizeof name) {
    out = name;
    return out.GetLength();
  }
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", 0,
                    KEY_READ, key.Receive()) != ERROR_SUCCESS)
    return -1;
  DWORD size = sizeof name - 1, type = 0;
  if (RegQueryValueExA(key.Get(), "ComputerName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) !=
      ERROR_SUCCESS)
    return -2;
  name[size] = '\0';
  out = name;
  return out.GetLength();
}

int GetOsVersionCode() {
  VersionNumbers v = RunningVersion();
  // The environment's OS variable is the first sign; a process started with an emptied environment is
  // still recognised as the NT family by its platform id.
  if (EnvironmentSaysNt() || v.platform == VER_PLATFORM_WIN32_NT)
    return static_cast<int>(v.major * 100 + v.minor);
  if (v.major == 4 && v.minor == 10) return 9800;
  return static_cast<int>(9500 + v.minor);
}

uint64_t GetMemoryStatus(int selector) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  if (selector == 99) selector = GetOsVersionCode() < 600 ? 2 : 1;
  switch (selector) {
    case 2:
      return status.ullAvailVirtual;
    case 3:
      return status.ullTotalVirtual;
    case 4:
      return status.ullTotalPhys;
    default:
      return status.ullAvailPhys;
  }
}

double GetMemoryStatusMB(int selector) {
  return static_cast<double>(GetMemoryStatus(selector)) / 1048576.0;
}

int GetSystemPath(int id, CTxt& out) {
  FolderPathFunction query = FolderPathQuery();
  if (!query) {
    out = "GetSystemPath: Could not find Interface (SHFolder.dll missing)";
    return -1;
  }
  char path[MAX_PATH] = "";
  if (query(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
    out.Format("GetSystemPath: Could not find path type %p",
               reinterpret_cast<void*>(static_cast<intptr_t>(id)));
    return -3;
  }
  out = path;
  out.MakeFn();
  return out.GetLength();
}

int SetWindowState(HWND window, char letter, int value) {
  switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'D':
      return EnableWindow(window, value != 1);
    case 'L':
      return static_cast<int>(SendMessageA(window, EM_LIMITTEXT, static_cast<WPARAM>(value), 0));
    case 'R':
      return static_cast<int>(SendMessageA(window, EM_SETREADONLY, static_cast<WPARAM>(value), 0));
    case 'S':
      return ShowWindow(window, value);
    case 'T':
      return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    case 'V': {
      LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
      style = value == 1 ? (style | WS_VISIBLE) : (style & ~static_cast<LONG_PTR>(WS_VISIBLE));
      return static_cast<int>(SetWindowLongPtrA(window, GWL_STYLE, style) != 0);
    }
    default:
      return -1;
  }
}

int IsChildWindowOf(HWND window, HWND ancestor) {
  if (!window || !ancestor) return 0;
  HWND current = window;
  for (int depth = 0; depth < kMaxWindowDepth; ++depth) {
    current = GetParent(current);
    if (!current) return 0;
    if (current == ancestor) return 1;
  }
  return 0;
}
