// CTxtArray's readers of Windows controls: combo and list boxes of this process, and list views of any
// process, read through that process's memory in the item record layout of its own bitness.
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "foundation/RemoteMemory.h"
#include "foundation/TxtArray.h"
#include "foundation/WinHandles.h"

namespace {

constexpr int kMaxItemChars = 99;           // combo and list box texts are cut here
constexpr int kListViewTextCapacity = 512;  // characters asked for per list-view cell
constexpr size_t kListViewTextBlock = 1000;
constexpr int kRowsWhenCountUnknown = 1000;
constexpr UINT kAnswerTimeoutMs = 5000;  // a list view that does not answer within this is given up
constexpr UINT kSelected = LVIS_SELECTED;
constexpr UINT kStateMaskAll = 15;

// The list-view item record (LVITEMA) as a 32-bit and as a 64-bit process lays it out.
struct ListViewItem32 {
  uint32_t mask;
  int32_t iItem;
  int32_t iSubItem;
  uint32_t state;
  uint32_t stateMask;
  uint32_t pszText;
  int32_t cchTextMax;
  int32_t iImage;
  uint32_t lParam;
  int32_t iIndent;
  int32_t iGroupId;
  uint32_t cColumns;
  uint32_t puColumns;
  uint32_t piColFmt;
  int32_t iGroup;
};

struct ListViewItem64 {
  uint32_t mask;
  int32_t iItem;
  int32_t iSubItem;
  uint32_t state;
  uint32_t stateMask;
  uint32_t padding0;
  uint64_t pszText;
  int32_t cchTextMax;
  int32_t iImage;
  uint64_t lParam;
  int32_t iIndent;
  int32_t iGroupId;
  uint32_t cColumns;
  uint32_t padding1;
  uint64_t puColumns;
  uint64_t piColFmt;
  int32_t iGroup;
  uint32_t padding2;
};

#if defined(_WIN64)
static_assert(sizeof(ListViewItem64) == sizeof(LVITEMA), "64-bit list-view item layout");
static_assert(offsetof(ListViewItem64, pszText) == offsetof(LVITEMA, pszText), "64-bit pszText offset");
static_assert(offsetof(ListViewItem64, cchTextMax) == offsetof(LVITEMA, cchTextMax),
              "64-bit cchTextMax offset");
#else
static_assert(sizeof(ListViewItem32) == sizeof(LVITEMA), "32-bit list-view item layout");
static_assert(offsetof(ListViewItem32, pszText) == offsetof(LVITEMA, pszText), "32-bit pszText offset");
#endif
static_assert(sizeof(ListViewItem32) == 60, "32-bit list-view item size");
static_assert(sizeof(ListViewItem64) == 88, "64-bit list-view item size");

// Whether a process runs as a 32-bit program, whatever the bitness of this one.
bool Is32BitProcess(HANDLE process) {
  BOOL wow = FALSE;
#if defined(_WIN64)
  return IsWow64Process(process, &wow) && wow;
#else
  BOOL selfWow = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &selfWow) || !selfWow) return true;  // a 32-bit system
  return IsWow64Process(process, &wow) && wow;
#endif
}

// One item record in the other process, written in that process's layout.
class RemoteItemRecord {
 public:
  RemoteItemRecord(HANDLE process, bool remote32)
      : m_remote32(remote32), m_block(process, remote32 ? sizeof(ListViewItem32) : sizeof(ListViewItem64)) {}

  explicit operator bool() const { return static_cast<bool>(m_block); }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(m_block.Address()); }

  bool WriteTextRequest(int subItem, uint64_t textAddress, int capacity) const {
    if (m_remote32) {
      ListViewItem32 item{};
      item.mask = LVIF_TEXT;
      item.iSubItem = subItem;
      item.pszText = static_cast<uint32_t>(textAddress);
      item.cchTextMax = capacity;
      return m_block.Write(&item, sizeof item);
    }
    ListViewItem64 item{};
    item.mask = LVIF_TEXT;
    item.iSubItem = subItem;
    item.pszText = textAddress;
    item.cchTextMax = capacity;
    return m_block.Write(&item, sizeof item);
  }

  bool WriteState(UINT state, UINT stateMask) const {
    if (m_remote32) {
      ListViewItem32 item{};
      item.mask = LVIF_STATE;
      item.state = state;
      item.stateMask = stateMask;
      return m_block.Write(&item, sizeof item);
    }
    ListViewItem64 item{};
    item.mask = LVIF_STATE;
    item.state = state;
    item.stateMask = stateMask;
    return m_block.Write(&item, sizeof item);
  }

  // The list view may answer by pointing the record at its own text instead of filling the buffer.
  bool ReadTextAddress(uint64_t& address) const {
    if (m_remote32) {
      ListViewItem32 item{};
      if (!m_block.Read(&item, sizeof item)) return false;
      address = item.pszText;
      return true;
    }
    ListViewItem64 item{};
    if (!m_block.Read(&item, sizeof item)) return false;
    address = item.pszText;
    return true;
  }

 private:
  bool m_remote32;
  RemoteMemory m_block;
};

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, kAnswerTimeoutMs,
                           &answer))
    return false;
  result = static_cast<LRESULT>(answer);
  return true;
}

bool HasClass(HWND hwnd, const char* className) {
  char name[64] = "";
  return hwnd && GetClassNameA(hwnd, name, sizeof name) > 0 && CompareNoCase(name, className, 1) == 0;
}

// Item data as at least eight hexadecimal digits (exactly eight for 32-bit values).
void AppendItemData(CTxt& line, LRESULT data) {
  CTxt hex;
  hex.Format("%08llX", static_cast<unsigned long long>(static_cast<uintptr_t>(data)));
  line += hex;
}

// The text of a combo-box or list-box item, cut to kMaxItemChars; the buffer is sized from the item's
// own length, so an item longer than the cut never writes past it.
// The item is asked for in UTF-16 and converted to the ANSI code page here: Wine answers the ANSI
// messages of another process's controls in UTF-16, while the wide messages read alike everywhere.
CTxt ItemText(HWND hwnd, UINT lengthMessage, UINT textMessage, int index) {
  LRESULT length = SendMessageW(hwnd, lengthMessage, index, 0);
  if (length < 0) return CTxt("");
  // List boxes without LBS_HASSTRINGS write their item data instead of a text.
  std::vector<wchar_t> wide(static_cast<size_t>(length) + sizeof(void*) + 1, 0);
  SendMessageW(hwnd, textMessage, index, reinterpret_cast<LPARAM>(wide.data()));
  wide.back() = 0;
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
  std::vector<char> ansi(static_cast<size_t>(bytes > 0 ? bytes : 1), 0);
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, ansi.data(), bytes, nullptr, nullptr);
  CTxt text(ansi.data());
  text.MakeLength(kMaxItemChars);
  return text;
}

}  // namespace

int CTxtArray::LoadFromCB(HWND__* hwnd, CTxt& msg) {
  if (!hwnd) return 0;
  RemoveAll();
  int count = static_cast<int>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0));
  int current = static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
  for (int i = 0; i < count; ++i) {
    LRESULT data = SendMessageA(hwnd, CB_GETITEMDATA, i, 0);
    CTxt line = ItemText(hwnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, i);
    line += "\t";
    AppendItemData(line, data);
    line += i == current ? "\t*\t" : "\t";
    Add(line);
  }
  msg.Format("hCB=%p Cnt=%d, iCurr=%d", static_cast<void*>(hwnd), count < 0 ? 0 : count, current);
  return GetSize();
}

int CTxtArray::LoadFromLB(HWND__* hwnd, CTxt& msg) {
  if (!hwnd) {
    msg = "Missing HWND";
    return -1;
  }
  if (!HasClass(hwnd, "ListBox")) {
    msg.Format("HWND %p not ListBox", static_cast<void*>(hwnd));
    return -1;
  }
  RemoveAll();
  int count = static_cast<int>(SendMessageA(hwnd, LB_GETCOUNT, 0, 0));
  int current = static_cast<int>(SendMessageA(hwnd, LB_GETCURSEL, 0, 0));
  char title[kMaxItemChars + 1] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  int extent = static_cast<int>(SendMessageA(hwnd, LB_GETHORIZONTALEXTENT, 0, 0));
  msg.Format("hLB=%04X Cnt=%d, iCurr=%d, '%s', ScrolY=%d",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(hwnd)), count, current, title, extent);
  for (int i = 0; i < count; ++i) {
    LRESULT data = SendMessageA(hwnd, LB_GETITEMDATA, i, 0);
    int height = static_cast<int>(SendMessageA(hwnd, LB_GETITEMHEIGHT, i, 0));
    CTxt line = ItemText(hwnd, LB_GETTEXTLEN, LB_GETTEXT, i);
    line += "\t";
    AppendItemData(line, data);
    CTxt tail;
    tail.Format("\t%d\t%s\t", height, i == current ? "*" : "");
    line += tail;
    Add(line);
  }
  return GetSize();
}

int CTxtArray::LoadFromLC(HWND__* hwnd, CTxt& msgOrSelect, int columns) {
  const int wish = std::atoi(msgOrSelect);  // 1-based row to select; 0 or less: none
  RemoveAll();
  // TradeStation's inputs list may call itself "SysTabControl32" while answering as a list view.
  if (!HasClass(hwnd, "SysListView32") && !HasClass(hwnd, "SysTabControl32")) {
    msgOrSelect.Format("HWND %p not SysListView32", static_cast<void*>(hwnd));
    return -1;
  }
  DWORD pid = m_ownerProcessId;
  if (!pid) GetWindowThreadProcessId(hwnd, &pid);
  if (!pid) msgOrSelect.Format("Cannot get PID for HWND %p", static_cast<void*>(hwnd));
  KernelHandle process(OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid));
  if (!process) {
    msgOrSelect.Format("Cannot access PID %d for HWND %p", static_cast<int>(pid), static_cast<void*>(hwnd));
    return -3;
  }
  const bool remote32 = Is32BitProcess(process.Get());
  RemoteItemRecord record(process.Get(), remote32);
  RemoteMemory text(process.Get(), kListViewTextBlock);
  if (!record || !text || (remote32 && text.AddressValue() > UINT32_MAX) ||
      (remote32 && static_cast<uint64_t>(record.Address()) > UINT32_MAX)) {
    msgOrSelect.Format("Cannot allocate memory in PID %d for HWND %p", static_cast<int>(pid),
                       static_cast<void*>(hwnd));
    return -4;
  }
  LRESULT rows = 0;
  if (!Send(hwnd, LVM_GETITEMCOUNT, 0, 0, rows) || rows < 1) rows = kRowsWhenCountUnknown;
  if (columns < 1) columns = 1;
  auto failed = [&](const char* what, int row) {
    msgOrSelect.Format("List view HWND %p of PID %d: %s failed at row %d", static_cast<void*>(hwnd),
                       static_cast<int>(pid), what, row + 1);
    return -5;
  };
  for (int row = 0; row < rows; ++row) {
    CTxt line("");
    for (int column = 0; column < columns; ++column) {
      LRESULT length = 0;
      if (!record.WriteTextRequest(column, text.AddressValue(), kListViewTextCapacity))
        return failed("writing", row);
      if (!Send(hwnd, LVM_GETITEMTEXTA, row, record.Address(), length)) return failed("LVM_GETITEMTEXT", row);
      char cell[kListViewTextCapacity + 1] = "";
      size_t n = length < 0 ? 0
                            : static_cast<size_t>(length < kListViewTextCapacity ? length
                                                                                 : kListViewTextCapacity - 1);
      uint64_t where = 0;
      if (n > 0 && record.ReadTextAddress(where)) {
        if (where == text.AddressValue()) {
          text.Read(cell, n);
        } else {
          SIZE_T done = 0;
          ReadProcessMemory(process.Get(), reinterpret_cast<const void*>(static_cast<uintptr_t>(where)), cell,
                            n, &done);
        }
      }
      cell[n] = 0;
      if (cell[0]) line += cell;
      if (columns > 1) line += "|";
    }
    if (wish > 0) {
      LRESULT ignored = 0;
      if (!record.WriteState(row + 1 == wish ? kSelected : 0, kStateMaskAll)) return failed("writing", row);
      if (!Send(hwnd, LVM_SETITEMSTATE, row, record.Address(), ignored))
        return failed("LVM_SETITEMSTATE", row);
    }
    Add(line);
  }
  return GetSize();
}
