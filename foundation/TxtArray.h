// SPtrArray, a growable array of untyped pointers that never owns what they point to, and CTxtArray, the
// system's list of owned texts: file lines, folder listings, key|value tables and rows read from controls.
#pragma once

#include <string>
#include <vector>

#include "foundation/Txt.h"

#if defined(_WIN32)
struct HWND__;  // HWND without <windows.h>: the portable core must not include it
#endif

// Compares two slots (SPtrArray::Sort) or two fixed-width text records (CTxtArray::SortCust), qsort style.
using SlotCompare = int (*)(const void* a, const void* b);

class SPtrArray {
 public:
  SPtrArray() = default;
  SPtrArray(const SPtrArray& other);  // copies the pointers, not what they point to
  SPtrArray& operator=(const SPtrArray& other);
  SPtrArray(SPtrArray&& other) noexcept;
  SPtrArray& operator=(SPtrArray&& other) noexcept;
  ~SPtrArray();

  int GetSize() const { return m_size; }
  int GetUpperBound() const { return m_size - 1; }
  int GetCapacity() const { return m_capacity; }
  void** GetData() { return m_data; }
  void* const* GetData() const { return m_data; }

  void* GetAt(int index) const;                           // null outside 0..size-1
  int SetAt(int index, void* p);                          // -1 outside 0..size-1, else 0
  void*& ElementAt(int index) { return m_data[index]; }   // unchecked
  void*& operator[](int index) { return m_data[index]; }  // unchecked
  void* operator[](int index) const { return m_data[index]; }

  int Add(void* p);  // appends; the new index, or -1 when the storage cannot grow
  // Reserves room for n elements (the size never changes). Growth: the first allocation takes
  // max(initialCapacity, n) slots; later ones max(n, capacity + growBy), or with growBy 0 a quarter of the
  // capacity bounded to 4..1024. SetSize(0) releases the storage. -1 when allocation fails (array unchanged).
  int SetSize(int n);
  // Takes an initialCapacity above 0 and any growBy other than -1.
  void SetSizeInit(int initialCapacity, int growBy);
  int SetAtGrow(int index, void* p);  // size becomes at least index + 1; -1 for a negative index
  // Shifts the tail up and fills count slots with p (an index beyond the end first grows the array with
  // null slots). -1 for a negative index, a count below 1 or failed growth.
  int InsertAt(int index, void* p, int count = 1);
  int InsertAt(int index, const SPtrArray* other);
  int RemoveAt(int index, int count = 1);  // clipped at the end; -1 when index is outside the array
  void RemoveAll() { m_size = 0; }         // storage kept
  // Forgets the storage without releasing it: the caller took it with GetData and frees it with std::free.
  void DropData();
  int FreeExtra();                       // capacity down to size
  int Append(const SPtrArray& other);    // index of the first appended slot
  int Copy(const SPtrArray& other);      // 0, or -1 when the storage cannot grow
  int GetPtrIndex(const void* p) const;  // first slot equal to p, -1 when none

  // qsort of the slots; cmp receives pointers to two slots. Arrays of fewer than 2 elements are left alone.
  void Sort(SlotCompare cmp);
  // A sorted copy into dest, which is first resized to this size.
  int SortInto(SlotCompare cmp, SPtrArray& dest) const;

 private:
  int Grow(int n);
  int ResizeTo(int n);  // size becomes n, new slots null

  void** m_data = nullptr;
  int m_size = 0;
  int m_capacity = 0;
  int m_growBy = 0;
  int m_initialCapacity = 10;
};

class CTxtArray {
 public:
  CTxtArray() = default;
  CTxtArray(const CTxtArray& other);
  CTxtArray& operator=(const CTxtArray& other);
  CTxtArray(CTxtArray&& other) noexcept = default;
  CTxtArray& operator=(CTxtArray&& other) noexcept;
  ~CTxtArray();

  // --- Elements ----------------------------------------------------------------------------------------
  int Add(const char* text);                // a copy (null: an element with no buffer); its index
  int Insert(int index, const char* text);  // before index (clipped to 0..size); the new size
  int SetAt(int index,
            const char* text);  // creates the element (growing the array) when absent; -1 index < 0
  int RemoveAt(int index);      // -1 out of range, else 0
  void RemoveAll();
  CTxt* GetAt(int index);  // null out of range
  const CTxt* GetAt(int index) const;
  const char* GetAtTxt(int index) const;  // null out of range or when the element has no buffer
  int GetSize() const { return m_items.GetSize(); }
  void SetSizeInit(int initialCapacity, int growBy) { m_items.SetSizeInit(initialCapacity, growBy); }
  int GetDelimTxt(CTxt& out, char delim) const;  // every element followed by delim; the count
  int AddArray(const CTxtArray& other);
  int LoadFromTxtArray(const CTxtArray* other, int append = 0);
  int LoadFromStrArray(const std::vector<std::string>& strings);
  int AddIfNew(const char* text);     // 1 added, 0 already present (ignoring case)
  int AddIfNewIdx(const char* text);  // index of the element equal ignoring case, appended when absent
  int Compare(const CTxtArray* other) const;  // 0 equal ignoring case, -1 sizes differ, -2 an element differs

  // --- Search (ignoring case; -1 when none) ------------------------------------------------------------
  int FindString(const char* text) const;
  int FindStringStart(const char* prefix, int fromEnd = 0) const;
  int FindStringSegment(const char* text) const;

  // --- key|value tables (key = field 1, compared ignoring case, cut to 99 characters) ------------------
  // Index of the key's element with value = everything after the first '|' (a final '|' dropped, at most
  // 9,999 characters); -1 when absent, and then with report = 1 value = "<key> to found".
  int FindValue(const char* key, CTxt& value, int report = 0) const;
  int FindValueReset(const char* key, CTxt& value, int report = 0) const;  // empties value first
  int FindValueInt(const char* key) const;  // atoi of the value, -1 when the key is absent
  // Non-null value: replaces or appends "key|value" (index found or appended). Null: deletes the key's
  // element (index it had, -1 when absent).
  int SetValue(const char* key, const char* value);
  int AddCnt(const char* key);  // counter table: "key|n+1" (1 when new, appended); the index

  // --- Loading and saving ("msg" receives the error or report text) ----------------------------------
  int LoadFromTxt(const char* text);  // one element per line; CR dropped; the new size
  // Appends every non-empty field (trimmed of blanks), clearing first when clear = 1.
  int LoadFromFields(const char* text, char delim, int clear = 1);
  // Unbuffered lines: LF or CR (with its LF) end a line; the text after the last line end is added only
  // when keepLast is non-zero. -1 and "Cannot open %s (%s)" when the file cannot be read.
  int LoadFromFile(const char* path, CTxt& msg, int keepLast = 1);
  // Buffered lines (BGETLRAM bytes, default 300,000): LF, NUL or Ctrl-Z end a line, CR is dropped, a Ctrl-Z
  // at a line start ends the data. maxLines 0 clears and reads all, above 0 clears and stops at that size,
  // negative appends.
  int LoadFromFileBuf(const char* path, CTxt& msg, int maxLines = 0);
  // Comma-separated lines into TAB-separated elements; double quotes are dropped and protect commas.
  int LoadFromCSV(const char* path, CTxt& msg);
  // One CR LF line per element (the first maxLines when above 0), written atomically (append = 1 keeps the
  // file's content in front). 0 with "Saved %d line(s) to %s" (the array's size, whatever maxLines), or -1
  // with "Cannot open %s (%s)" (path, the system's error text).
  int SaveToFile(const char* path, CTxt& msg, int maxLines = 0, int append = 0) const;
  // SaveToFile to the next free numbered file of a pattern with a run of '%' (CTxt::GetNextFile); -10 when
  // the pattern has no placeholder.
  int SaveToNextFile(const char* pattern, CTxt& msg) const;

  // --- Folder listings -----------------------------------------------------------------------------------
  // pattern: null or "" every entry, "!ext" files of that extension, else a wildcard such as *.txt.
  // descend = 1 lists sub-folders too; noDirs = 1 leaves folders out. level is 0 at the top of a listing
  // (which clears the array first) and logLevel above 0 writes "LoadFromDir" log lines. Entries are
  // "dir/name", or with a time sort style "YYYYMMDD|HHMMSS.mmm|path" (1 creation, 2 last write, local time)
  // or "%09u|path" (3, modification seconds since 1970). Returns the size.
  int LoadFromDir(const char* dir, int descend = 0, int noDirs = 0, const char* pattern = nullptr,
                  int level = 0, int logLevel = 0);
  int LoadFromDirNoSort(const char* dir, int descend = 0, int noDirs = 0, const char* pattern = nullptr,
                        int level = 0, int logLevel = 0);
  int LoadFromDirSortTime(const char* dir, int descend = 0, int noDirs = 0, const char* pattern = nullptr,
                          int level = 0, int logLevel = 0);
  int LoadFromDirSortTimeStyle(int style, const char* dir, int descend = 0, int noDirs = 0,
                               const char* pattern = nullptr, int level = 0, int logLevel = 0);
  // Every file of the folder tree whose extension is in extensions (separated by ',', ';', '|' or blanks,
  // with or without the dot; null or "" takes every file), in the entry form of the time sort style.
  int LoadFromFilesFromTree(const char* dir, const char* extensions, int level = 0, int logLevel = 0);
  int GetTimeSortStyle() const { return m_timeSortStyle; }
  void SetTimeSortStyle(int style) { m_timeSortStyle = style; }

  // --- Sorting -------------------------------------------------------------------------------------------
  // Ignoring case; the order of equal elements is not kept. -1 (array unchanged) when the work table
  // cannot be allocated, else the size.
  int Sort();
  // The caller's comparison receives pointers to two NUL-terminated records (const char*).
  int SortCust(SlotCompare cmp);

  // --- Windows controls ----------------------------------------------------------------------------------
  unsigned GetOwnerProcessId() const { return m_ownerProcessId; }
  void SetOwnerProcessId(unsigned pid) { m_ownerProcessId = pid; }  // 0 = the list view's own process
#if defined(_WIN32)
  // Combo box items as "text\titemdata\t" ("*\t" appended for the selection). Null window gives 0.
  int LoadFromCB(HWND__* hwnd, CTxt& msg);
  // List box items as "text\titemdata\theight\t*\t" (selection) or "...\t\t"; msg gets a summary line.
  int LoadFromLB(HWND__* hwnd, CTxt& msg);
  // Rows of a list view of any process (32- or 64-bit): with columns above 1 every column text followed by
  // '|'. msgOrSelect holds on entry the 1-based row to select (0 or less: none) and receives the error text.
  // -1 not a list view, -3 the process cannot be accessed, -4 no memory in it, -5 the list view stopped
  // answering (each message waits at most 5 s; the rows read so far stay).
  int LoadFromLC(HWND__* hwnd, CTxt& msgOrSelect, int columns);
#endif

 private:
  int ListFolder(const char* dir, int descend, int noDirs, const char* pattern, int level, int logLevel);
  // Sorts a finished top-level listing, with its two log lines; returns the size.
  int SortListing(const char* dir, int descend, int noDirs, const char* pattern, int level, int logLevel);
  int ListTree(const char* dir, const std::vector<std::string>& extensions, int level, int logLevel);
  bool AddFolderEntry(const char* path, const struct FileStatus& status);
  int SortRecords(SlotCompare cmp);
  void DeleteElements();

  unsigned m_ownerProcessId = 0;
  SPtrArray m_items;  // CTxt*, owned
  int m_timeSortStyle = 0;
};
