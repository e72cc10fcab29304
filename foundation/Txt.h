// CTxt, the system's owned, growable 8-bit text buffer, and the free text functions.
// Every operation that can fail returns a negative code and, for file operations, leaves the message in the
// object itself; nothing here throws for an ordinary failure.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

class CTxtArray;  // foundation/TxtArray.h

#if defined(__GNUC__) && !defined(__clang__)
#define TAVRIN_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(gnu_printf, fmtIndex, firstArg)))
#elif defined(__clang__)
#define TAVRIN_PRINTF_FORMAT(fmtIndex, firstArg) __attribute__((format(printf, fmtIndex, firstArg)))
#else
#define TAVRIN_PRINTF_FORMAT(fmtIndex, firstArg)
#endif

class CTxt {
 public:
  // --- Construction, assignment, content -------------------------------------------------------
  CTxt();
  CTxt(const char* text);  // null gives an empty object (no buffer)
  CTxt(const CTxt& other);
  // Moves take the source's buffer and leave the source with no buffer. Unlike the copy assignment, a move
  // assignment from an object with no buffer does empty the target: containers (std::vector::erase) rely on
  // moves being real moves.
  CTxt(CTxt&& other) noexcept;
  ~CTxt();

  // Copies the characters; when the source holds no buffer, or is the same buffer, the target is unchanged.
  CTxt& operator=(const CTxt& other);
  CTxt& operator=(CTxt&& other) noexcept;
  // Replaces the content; a null pointer releases the buffer.
  CTxt& operator=(const char* text);
  int SetTxt(const char* text);  // as operator=(const char*); returns the length

  int operator+=(const char* text);  // appends; returns the length
  int AddTxt(const char* text);      // appends; returns the length
  int Add(char c);                   // appends one character; returns the length
  // Inserts before pos (below 0: 0; beyond the end: appends); null or empty text changes nothing.
  int InsertAt(int pos, const char* text);
  int InsertAt(int pos, char c);

  void Reset();          // forgets the buffer without releasing it (freshly constructed storage only)
  void Empty();          // releases the buffer, all fields zero
  void ReleaseBuffer();  // same as Empty
  void MakeEmpty();      // keeps the buffer, text empty; with no buffer allocates an empty text

  int SetTxtFixLen(const char* text, int n);  // first n chars, blank-padded to n, trailing blanks removed
  int FillChar(char c, int n);                // n copies of c (n < 1: one copy); returns the length
  int MakeLength(int n);                      // cuts to n when longer; returns the length
  int MakeFixedLength(int n);                 // cuts to n or pads with blanks to n; returns the length
  int MakeUpper();                            // in place; returns the length
  int MakeLower();                            // in place; returns the length

  // printf-style formatting, unbounded. The arguments may point into this object's own text.
  int Format(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(2, 3);
  int FormatV(const char* fmt, va_list args);
  // The same with the format taken from the program's string resource id (Windows; natively there are no
  // string resources, so the format and the text are empty).
  int Format(unsigned id, ...);
  // Insert-style formatting as the operating system's message formatter does it with the format as the
  // message source: %1 .. %99 insert the (const char*) arguments, %n!format! formats argument n with
  // that printf format (the argument then has its type), %% % and %. %! %space give the character, %n a CR
  // LF, %0 ends the text. Built portably. The id overload takes the format from the string resource id.
  int FormatMessageA(const char* fmt, ...);
  int FormatMessageA(unsigned id, ...);
  int FormatMessageV(const char* fmt, va_list args);
  // The operating system's text for the calling thread's last error (errno natively, GetLastError on
  // Windows), at most 1,000 characters; returns the length.
  int GetSysErrMsg();

  // --- Access and search --------------------------------------------------------------------------
  int GetLength() const { return m_length; }
  bool IsEmpty() const { return m_length < 1; }
  bool IsFilled() const { return m_length > 0; }
  char* GetData() { return m_data; }  // null when there is no buffer
  const char* GetData() const { return m_data; }
  // Never null: with no buffer, the non-const conversion first allocates an empty text; the const one
  // returns a static empty text.
  operator const char*();
  operator const char*() const;
  std::string ToStd() const;  // a copy of the text (up to the first NUL)

  char GetAt(int i) const { return m_data[i]; }  // unchecked
  char& operator[](int i) { return m_data[i]; }  // unchecked
  char operator[](int i) const { return m_data[i]; }
  void SetAt(int i, char c) { m_data[i] = c; }  // unchecked

  int FindChar(char c) const;                // index, -1 empty, -2 not found
  int FindCharList(const char* list) const;  // index, -1 empty, -2 none
  int FindTextA(const char* text) const;     // case-insensitive; index or -1
  // Index of the first element equal to text ignoring case; -1 when none or the array is empty.
  static int FindStringArray(const std::vector<std::string>& array, const char* text);

  // --- Editing (new length unless said otherwise; -1 on an empty object where listed) -------------
  int Replace(char a, char b);                            // returns the number replaced
  int ReplaceInText(const char* find, const char* repl);  // case-insensitive; -1 empty
  int RemoveFromText(const char* text);                   // case-insensitive; -1 empty
  int RemoveChar(char c);                                 // -1 empty
  int RemoveCharList(const char* list);                   // -1 empty
  int ExtractChar(const char* list);                      // keeps the chars in list; -1 empty
  int RemoveRange(int start, int count);  // 0-based; -1 start < 0, -2 start >= length, -3 count < 1
  int ExtractRange(int from, int to);     // 1-based inclusive; -1 empty, -2/-3 beyond length, -4 from > to
  int Trim(char c = ' ');                 // run of c at both ends; 0 when empty
  int TrimRight(char c = ' ');            // returns the number of characters removed
  int TrimNum(int withParens = 0);        // keeps "0123456789.E+-" (and "()"); 0 with no buffer
  // The characters of src up to the first delim (delim 0: all); trimBlanks = 1 drops trailing blanks.
  int GetField(const char* src, char delim, int trimBlanks = 0);
  int MaskNonFilename(int replace = 1, const char* extra = nullptr);
  int MaskNonVar(int replace = 1, const char* extra = nullptr);
  int MaskNonPrintable();  // returns the number changed

  // --- Conversions, numbers and hexadecimal ----------------------------------------------------------
  int InsertCR();                                  // lone LF -> CR LF
  int ConvCRLF(int decode);                        // CR LF TAB <-> \r \n \t
  int ConvTxt2XML();                               // XML escaping
  int ConvXML2Txt();                               // unchanged, returns 0 (the XML document decodes entities)
  int ConvHTM2TXT();                               // &nbsp; &amp; \x + %% %XX
  int ConvHex(int toHex);                          // bytes <-> upper-case hex pairs; -1 empty
  int ConvProt(int direction, int key);            // rotation of printable characters; returns the length
  int MakeValueTxt(double v, int decimals);        // at most decimals decimals, no trailing zeros; the length
  int GetHex(unsigned long v, int bytes = 4);      // last 2/4/6 of eight hex digits for bytes 1/2/3; length
  int MakeHexValue(int v, int digits = 8);         // last 2/4/6 of eight hex digits for digits 2/4/6; length
  int GetHexArray(const unsigned char* p, int n);  // "0A,FF," ... for 1..1000 bytes; the length

  // --- Files and file names -------------------------------------------------------------------------
  int LoadFromFile(const char* path);  // the length, or -1 with the message in the object
  // The length written, or -1 with the message. append = 1 appends in place; otherwise the file is
  // replaced atomically (temporary file beside it, then a rename).
  int SaveToFile(const char* path, int append = 0);
  int SaveToFileCommit(const char* path, int append = 0);  // the same, forced down to the device
  // Every element followed by sep (null: CR LF); returns the number of elements. Defined with CTxtArray
  // (foundation/TxtArray.cpp), not in Txt.cpp.
  int LoadFromArray(CTxtArray* array, const char* sep = nullptr);
  int ReadFromRam(const void* p, int n);           // the n bytes as text (ends at the first NUL); returns n
  int BinarySave(FILE* f) const;                   // n + 4, -1 count not written, -2 bytes not written
  int BinaryRead(FILE* f);                         // 0, or -1 when incomplete
  int BinaryRead(const unsigned char* p);          // n + 4, the bytes consumed
  static int GetExeName(CTxt& out, int part = 7);  // path part of the running program; out's length
  int GetFileTxt(int part, CTxt& out) const;  // 0 drive, 1 folder, 2 base name, 3 extension, 4 drive+folder,
                                              // 5 file name, 6 no extension, 7 all
  int MakeFn();     // '\' -> '/' (a "\\" pair kept), trailing '/' removed; returns the length
  int MakeFnDOS();  // '/' -> '\' (a "\\" pair kept), trailing separators removed; returns the length
  int MakeFileName(const char* name, const char* ext = nullptr);  // folder/name.ext; returns 0
  int MakeFileExt(const char* ext);                               // 1 when already ext (no change), else 0
  int InsertToFn(const char* text, int dash = 0);      // drive dir text[-]base ext; returns the length
  int AddToFn(const char* text, int dash = 0);         // drive dir base[-]text ext; returns the length
  int IsSameFileTxt(const char* other, int part = 7);  // 1 equal ignoring case, else 0
  int AppendFileLocation(const char* file, int line, const char* fmt = nullptr);  // returns the length
  int GetNextFile(const char* pattern);  // number of the first free file, or -1
  int FillPlaceHolder(const char* values, int lenient = 0, char delim = '|');  // 0 or -1..-4
  static void Shutdown();

 private:
  bool Reserve(int bytes);               // buffer of at least bytes, content kept
  void Assign(const char* text, int n);  // replaces the content by n characters
  void TakeOwnership(char* buffer, int length, int capacity);

  char* m_data = nullptr;
  int m_length = 0;
  int m_capacity = 0;
};

// --- Free text functions ------------------------------------------------------------------------------
// Case-insensitive comparison: 3 a null pointer, 0 equal (per mode), 1 a character differs, 2 one text ended
// first. mode 1 whole text, 2 a is a prefix of b, 0 either is a prefix of the other.
int CompareNoCase(const char* a, const char* b, int mode = 1);
int FindNoCase(const char* text, const char* pattern);  // first index, -1 none
inline bool EqualNoCase(const char* a, const char* b) {
  return CompareNoCase(a, b, 1) == 0;
}
inline bool StartsWithNoCase(const char* text, const char* prefix) {
  return CompareNoCase(prefix, text, 2) == 0;
}
// The text without the blanks and tabs at both ends (CTxt::Trim trims one character in place).
std::string TrimBlanks(const std::string& text);
int FindCharInList(char c, const char* list);  // index in list, -1 none
int CountFields(const char* text, char delim);
// Fields first..last (1-based; last 0 = first; 99 the last field, -99 the first counted from the end, other
// negatives count from the end) into out (at most outSize - 1 characters). Returns the length copied, 0 when
// first lies beyond the fields, -1 when first is above last.
int strfld(const char* text, char delim, int first, int last, char* out, int outSize);
int strfld(const char* text, char delim, int first, int last, CTxt& out);  // the same into a CTxt
int GetFieldInt(const char* text, char delim, int n);
double GetFieldFloat(const char* text, char delim, int n);
int HexToInt(const char* text);  // leading hexadecimal digits (blanks allowed); 0 when none
