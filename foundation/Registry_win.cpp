// The registry on Windows: the file-type registration and the program's own string store. Both write
// under HKEY_LOCAL_MACHINE and fall back to the same key paths under HKEY_CURRENT_USER when the machine
// hive refuses the write (a user without administrator rights).
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "foundation/Log.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"
#include "foundation/WinHandles.h"

namespace {

constexpr const char* kKeyClass = "Application Global Data";
constexpr DWORD kMaxValueBytes = 10000;

LONG CreateKey(HKEY root, const std::string& path, RegKey& key) {
  return RegCreateKeyExA(root, path.c_str(), 0, const_cast<char*>(kKeyClass), REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr);
}

LONG SetText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1));
}

// Sets one string value, creating the key. 0, -2 key not created, -3 value not written.
int WriteValue(HKEY root, const std::string& path, const char* name, const std::string& text) {
  RegKey key;
  if (CreateKey(root, path, key) != ERROR_SUCCESS) return -2;
  return SetText(key.Get(), name, text) == ERROR_SUCCESS ? 0 : -3;
}

// Reads a string value (at most kMaxValueBytes); false when the key or the value is missing.
bool ReadValue(HKEY root, const std::string& path, const char* name, std::string& out) {
  RegKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::string data(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) !=
      ERROR_SUCCESS)
    return false;
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number = 0;
    memcpy(&number, data.data(), sizeof number);
    out = std::to_string(number);
    return true;
  }
  data.resize(size < kMaxValueBytes ? size : kMaxValueBytes);
  out = data.c_str();  // up to the terminating NUL
  return true;
}

bool KeyExists(HKEY root, const std::string& path) {
  RegKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

// Where the system's keys can be written: the machine hive, or the user's when the machine refuses.
HKEY WritableRoot(const std::string& probePath) {
  RegKey key;
  if (CreateKey(HKEY_LOCAL_MACHINE, probePath, key) == ERROR_SUCCESS) return HKEY_LOCAL_MACHINE;
  LogTrace("Registry", kLogDetail, "HKEY_LOCAL_MACHINE\\%s not writable: using HKEY_CURRENT_USER",
           probePath.c_str());
  return HKEY_CURRENT_USER;
}

std::string StoreKeyPath(const char* application) {
  std::string app;
  if (application && *application) {
    app = application;
  } else {
    CTxt name;
    CTxt::GetExeName(name, 2);
    app = name.ToStd();
  }
  return "Software\\ZEL\\" + app;
}

std::string FileNameOf(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The shell's caches of programs and of the extension's "open with" lists.
void UpdateShellCaches(HKEY root, const std::string& ext, const std::string& programPath,
                       const std::string& typeName, const char* description) {
  const std::string fileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + ext;
  WriteValue(root, "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", programPath.c_str(), description);
  WriteValue(root, fileExts + "\\OpenWithList", "a", FileNameOf(programPath));
  WriteValue(root, fileExts + "\\OpenWithList", "MRUList", "a");
  RegKey progids;
  if (CreateKey(HKEY_CURRENT_USER, fileExts + "\\OpenWithProgids", progids) == ERROR_SUCCESS)
    RegSetValueExA(progids.Get(), typeName.c_str(), 0, REG_NONE, nullptr, 0);
}

}  // namespace

int RegisterFileType(const char* ext, const char* program, const char* description, CTxt& msg,
                     const char* programName, int refresh) {
  if (!program || IsFolder(program) != 0) {
    msg.Format("Cannot find EXE %s", program ? program : "");
    return -1;
  }
  std::string extension = ext ? ext : "";
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  const std::string desc = description ? description : "";
  const std::string typeName = extension + ".Document";
  CTxt dosPath(program);
  dosPath.MakeFnDOS();
  const std::string programPath = dosPath.ToStd();
  const std::string quoted = "\"" + programPath + "\"";
  const std::string openCommand = quoted + " \"%1\"";
  const std::string typeKey = "Software\\Classes\\" + typeName;

  HKEY root = WritableRoot("Software\\Classes\\." + extension);
  int r = WriteValue(root, "Software\\Classes\\." + extension, nullptr, typeName);
  if (r != 0) return r;
  std::string current;
  if (ReadValue(root, typeKey, nullptr, current) && CompareNoCase(current.c_str(), desc.c_str(), 1) == 0 &&
      refresh == 0)
    return 2;
  int results[] = {
      WriteValue(root, typeKey, nullptr, desc),
      WriteValue(root, typeKey, "AlwaysShowExt", ""),
      WriteValue(root, typeKey + "\\DefaultIcon", nullptr, quoted + ",0"),
      WriteValue(root,
                 "Software\\Classes\\Applications\\" + FileNameOf(programPath) + "\\shell\\open\\Command",
                 nullptr, openCommand),
      WriteValue(root, typeKey + "\\shell\\open\\command", nullptr, openCommand),
  };
  for (int result : results)
    if (result != 0) return result;
  if (programName && *programName) {
    // The further verb carries the program's name, so "open with" lists show it by name.
    const std::string verbText = std::string("&Open with ") + programName;
    int named[] = {
        WriteValue(root, typeKey + "\\shell\\open", nullptr, verbText),
        WriteValue(root, typeKey + "\\shell\\" + programName, nullptr, verbText),
        WriteValue(root, typeKey + "\\shell\\" + programName + "\\command", nullptr, openCommand),
    };
    for (int result : named)
      if (result != 0) return result;
  }
  UpdateShellCaches(root, extension, programPath, typeName, desc.c_str());
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
  msg.Format("Registered .%s for %s", extension.c_str(), programPath.c_str());
  return 0;
}

int RegistryWrite(const char* name, const char* text, const char* application) {
  const std::string path = StoreKeyPath(application);
  const std::string value = text ? text : "";
  int r = WriteValue(HKEY_LOCAL_MACHINE, path, name, value);
  if (r == 0) {
    // A copy left in the user's hive by an earlier refused write would hide this value from RegistryRead.
    RegKey user;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, user.Receive()) == ERROR_SUCCESS)
      RegDeleteValueA(user.Get(), name);
    return 0;
  }
  r = WriteValue(HKEY_CURRENT_USER, path, name, value);
  return r == 0 ? 0 : (r == -2 ? -1 : -2);
}

int RegistryRead(const char* name, CTxt& out, const char* def, const char* application, int create) {
  const std::string path = StoreKeyPath(application);
  std::string value;
  // The user's hive holds what the machine refused, so it is the newer of the two.
  if (ReadValue(HKEY_CURRENT_USER, path, name, value) || ReadValue(HKEY_LOCAL_MACHINE, path, name, value)) {
    out = value.c_str();
    return 0;
  }
  out = def ? def : "";
  if (create == 1) {
    RegKey key;
    if (CreateKey(HKEY_LOCAL_MACHINE, path, key) != ERROR_SUCCESS &&
        CreateKey(HKEY_CURRENT_USER, path, key) != ERROR_SUCCESS)
      return -1;
  } else if (!KeyExists(HKEY_CURRENT_USER, path) && !KeyExists(HKEY_LOCAL_MACHINE, path)) {
    return -1;
  }
  return RegistryWrite(name, def ? def : "", application) == 0 ? 0 : -2;
}
