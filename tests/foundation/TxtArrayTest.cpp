// SPtrArray growth and editing; CTxtArray elements, key|value tables, line files, saving, folder listings
// and sorting.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Elements(const CTxtArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(a.GetAtTxt(i) ? a.GetAtTxt(i) : "<null>");
  return out;
}

CTxtArray Of(std::initializer_list<const char*> texts) {
  CTxtArray a;
  for (const char* t : texts) a.Add(t);
  return a;
}

int ComparePointedInts(const void* a, const void* b) {
  int x = **static_cast<int*const*>(a), y = **static_cast<int*const*>(b);
  return x - y;
}

int CompareRecordsDescending(const void* a, const void* b) {
  return std::strcmp(static_cast<const char*>(b), static_cast<const char*>(a));
}

void SetEnv(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

}  // namespace

// --- SPtrArray -------------------------------------------------------------------------------------------

TEST(PtrArrayGrowth, FirstAllocationThenQuarterOfCapacityBoundedTo4And1024) {
  SPtrArray a;
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.Add(nullptr), 0);
  EXPECT_EQ(a.GetCapacity(), 10);  // initial capacity after construction
  for (int i = 1; i < 11; ++i) a.Add(&a);
  EXPECT_EQ(a.GetCapacity(), 14);  // 10 + max(10/4, 4)
  ASSERT_EQ(a.SetSize(101), 0);
  EXPECT_EQ(a.GetCapacity(), 101);  // n beats capacity + 4
  EXPECT_EQ(a.GetSize(), 11);       // reserving never changes the size
  ASSERT_EQ(a.SetSize(102), 0);
  EXPECT_EQ(a.GetCapacity(), 126);  // 101 + 101/4
  ASSERT_EQ(a.SetSize(8000), 0);
  ASSERT_EQ(a.SetSize(8001), 0);
  EXPECT_EQ(a.GetCapacity(), 9024);  // the step is capped at 1024
  for (int i = 1; i < 11; ++i) EXPECT_EQ(a.GetAt(i), &a) << "elements survive every growth";
  EXPECT_EQ(a.SetSize(0), 0);
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(PtrArrayGrowth, SizeInitTakesPositiveInitialAndAnyGrowByButMinusOne) {
  SPtrArray a;
  a.SetSizeInit(50, 7);
  a.Add(nullptr);
  EXPECT_EQ(a.GetCapacity(), 50);
  a.SetSize(51);
  EXPECT_EQ(a.GetCapacity(), 57);
  a.SetSizeInit(0, -1);  // neither taken
  a.SetSize(58);
  EXPECT_EQ(a.GetCapacity(), 64);
  SPtrArray b;
  b.SetSizeInit(-3, 0);
  b.SetSize(2);
  EXPECT_EQ(b.GetCapacity(), 10);
}

TEST(PtrArrayEditing, InsertRemoveAndGrowKeepOrder) {
  int v[6] = {0, 1, 2, 3, 4, 5};
  SPtrArray a;
  for (int i = 0; i < 4; ++i) a.Add(&v[i]);
  ASSERT_EQ(a.InsertAt(1, &v[5], 2), 0);
  ASSERT_EQ(a.GetSize(), 6);
  EXPECT_EQ(a.GetAt(0), &v[0]);
  EXPECT_EQ(a.GetAt(1), &v[5]);
  EXPECT_EQ(a.GetAt(2), &v[5]);
  EXPECT_EQ(a.GetAt(3), &v[1]);
  EXPECT_EQ(a.GetAt(5), &v[3]);
  EXPECT_EQ(a.GetAt(6), nullptr);
  EXPECT_EQ(a.GetAt(-1), nullptr);
  EXPECT_EQ(a.GetPtrIndex(&v[5]), 1);
  EXPECT_EQ(a.GetPtrIndex(&v[4]), -1);
  ASSERT_EQ(a.RemoveAt(1, 2), 0);
  EXPECT_EQ(a.GetAt(1), &v[1]);
  EXPECT_EQ(a.RemoveAt(2, 100), 0);  // clipped at the end
  EXPECT_EQ(a.GetSize(), 2);
  EXPECT_EQ(a.RemoveAt(2, 1), -1);
  EXPECT_EQ(a.SetAtGrow(4, &v[4]), 0);
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.GetAt(3), nullptr);
  EXPECT_EQ(a.InsertAt(7, &v[2]), 0);  // beyond the end: null slots in between
  EXPECT_EQ(a.GetSize(), 8);
  EXPECT_EQ(a.GetAt(5), nullptr);
  EXPECT_EQ(a.GetAt(7), &v[2]);
  EXPECT_EQ(a.SetAt(8, &v[0]), -1);
  EXPECT_EQ(a.SetAtGrow(-1, &v[0]), -1);
}

TEST(PtrArrayEditing, InsertingAnArrayIntoItselfAndCopies) {
  int v[3];
  SPtrArray a;
  for (int& x : v) a.Add(&x);
  ASSERT_EQ(a.InsertAt(1, &a), 0);
  ASSERT_EQ(a.GetSize(), 6);
  const void* expected[] = {&v[0], &v[0], &v[1], &v[2], &v[1], &v[2]};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(a.GetAt(i), expected[i]) << i;
  SPtrArray b(a);
  b.SetAt(0, nullptr);
  EXPECT_EQ(a.GetAt(0), &v[0]) << "a copy has its own slots";
  EXPECT_EQ(b.Append(a), 6);
  EXPECT_EQ(b.GetSize(), 12);
  ASSERT_EQ(b.FreeExtra(), 0);
  EXPECT_EQ(b.GetCapacity(), 12);
  b.RemoveAll();
  EXPECT_EQ(b.GetSize(), 0);
  EXPECT_EQ(b.GetCapacity(), 12);
}

TEST(PtrArrayEditing, DropDataHandsTheStorageOver) {
  SPtrArray a;
  a.SetSizeInit(30, 0);
  a.Add(&a);
  void** data = a.GetData();
  a.DropData();
  EXPECT_EQ(a.GetSize(), 0);
  EXPECT_EQ(data[0], &a);
  std::free(data);
  a.Add(nullptr);
  EXPECT_EQ(a.GetCapacity(), 10) << "initial capacity back to 10";
}

TEST(PtrArraySort, SortsInPlaceAndIntoAnotherArray) {
  int v[5] = {4, 1, 3, 0, 2};
  SPtrArray a;
  for (int& x : v) a.Add(&x);
  SPtrArray sorted;
  ASSERT_EQ(a.SortInto(ComparePointedInts, sorted), 0);
  ASSERT_EQ(sorted.GetSize(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(*static_cast<int*>(sorted.GetAt(i)), i);
  EXPECT_EQ(*static_cast<int*>(a.GetAt(0)), 4) << "the source keeps its order";
  a.Sort(ComparePointedInts);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(*static_cast<int*>(a.GetAt(i)), i);
}

// --- CTxtArray elements and search -----------------------------------------------------------------------

TEST(TxtArrayElements, OwnsCopiesAndGrowsOnSetAt) {
  std::string source = "alpha";
  CTxtArray a;
  EXPECT_EQ(a.Add(source.c_str()), 0);
  source[0] = 'X';
  EXPECT_STREQ(a.GetAtTxt(0), "alpha");
  EXPECT_EQ(a.Add(nullptr), 1);
  ASSERT_NE(a.GetAt(1), nullptr) << "elements are never null";
  EXPECT_EQ(a.GetAtTxt(1), nullptr) << "an element without buffer has no characters";
  EXPECT_EQ(a.SetAt(4, "five"), 0);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"alpha", "<null>", "", "", "five"}));
  EXPECT_EQ(a.SetAt(-1, "x"), -1);
  EXPECT_EQ(a.Insert(0, "zero"), 6) << "the new size";
  EXPECT_EQ(a.Insert(99, "last"), 7);
  EXPECT_EQ(a.RemoveAt(1), 0);
  EXPECT_EQ(a.RemoveAt(6), -1);
  EXPECT_EQ(a.GetAt(6), nullptr);
  EXPECT_EQ(a.GetAtTxt(-1), nullptr);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"zero", "<null>", "", "", "five", "last"}));

  CTxtArray copy(a);
  copy.GetAt(0)->SetTxt("changed");
  EXPECT_STREQ(a.GetAtTxt(0), "zero") << "copies are deep";
  CTxtArray moved(std::move(copy));
  EXPECT_STREQ(moved.GetAtTxt(0), "changed");
  a = moved;
  EXPECT_EQ(a.Compare(&moved), 0);
}

TEST(TxtArrayElements, AddIfNewAndCompareIgnoreCase) {
  CTxtArray a = Of({"ES", "nq"});
  EXPECT_EQ(a.AddIfNew("es"), 0);
  EXPECT_EQ(a.AddIfNew("YM"), 1);
  EXPECT_EQ(a.AddIfNewIdx("NQ"), 1);
  EXPECT_EQ(a.AddIfNewIdx("CL"), 3);
  EXPECT_EQ(a.GetSize(), 4);
  CTxtArray b = Of({"es", "NQ", "ym", "cl"});
  EXPECT_EQ(a.Compare(&b), 0);
  b.GetAt(2)->SetTxt("YMX");
  EXPECT_EQ(a.Compare(&b), -2);
  b.Add("extra");
  EXPECT_EQ(a.Compare(&b), -1);
  CTxt joined;
  EXPECT_EQ(a.GetDelimTxt(joined, ','), 4);
  EXPECT_STREQ(joined, "ES,nq,YM,CL,");
  CTxt lines;
  EXPECT_EQ(lines.LoadFromArray(&a, nullptr), 4);
  EXPECT_STREQ(lines, "ES\r\nnq\r\nYM\r\nCL\r\n");
  EXPECT_EQ(lines.LoadFromArray(&a, ";"), 4);
  EXPECT_STREQ(lines, "ES;nq;YM;CL;");
}

TEST(TxtArraySearch, WholePrefixFromEitherEndAndSegment) {
  CTxtArray a = Of({"Symbols=ES", "Template=", "symbols=NQ", "Workspace=c:/x.tsw"});
  EXPECT_EQ(a.FindString("TEMPLATE="), 1);
  EXPECT_EQ(a.FindString("Template"), -1);
  EXPECT_EQ(a.FindStringStart("SYMBOLS="), 0);
  EXPECT_EQ(a.FindStringStart("SYMBOLS=", 1), 2);
  EXPECT_EQ(a.FindStringStart("Abort="), -1);
  EXPECT_EQ(a.FindStringSegment("X.TSW"), 3);
  EXPECT_EQ(a.FindStringSegment("nothing"), -1);
}

// --- key|value tables ------------------------------------------------------------------------------------

TEST(TxtArrayKeyValue, FindValueTakesEverythingAfterTheFirstBar) {
  CTxtArray a = Of({"Alpha|1|2", "Gamma|x|", "Plain"});
  CTxt value;
  EXPECT_EQ(a.FindValue("alpha", value), 0);
  EXPECT_STREQ(value, "1|2");
  EXPECT_EQ(a.FindValue("GAMMA", value), 1);
  EXPECT_STREQ(value, "x") << "a final bar is dropped";
  EXPECT_EQ(a.FindValue("plain", value), 2);
  EXPECT_STREQ(value, "");
  value = "kept";
  EXPECT_EQ(a.FindValue("Delta", value), -1);
  EXPECT_STREQ(value, "kept");
  EXPECT_EQ(a.FindValue("Delta", value, 1), -1);
  EXPECT_STREQ(value, "Delta to found");
  value = "kept";
  EXPECT_EQ(a.FindValueReset("Delta", value), -1);
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_EQ(a.FindValueInt("Alpha"), 1);
  EXPECT_EQ(a.FindValueInt("Delta"), -1);
}

TEST(TxtArrayKeyValue, KeysAreCutTo99AndValuesTo9999Characters) {
  std::string key(120, 'k');
  CTxtArray a;
  a.Add((key + "|" + std::string(12000, 'v')).c_str());
  CTxt value;
  EXPECT_EQ(a.FindValue(key.substr(0, 99).c_str(), value), 0);
  EXPECT_EQ(value.GetLength(), 9999);
  EXPECT_EQ(a.FindValue((key.substr(0, 99) + "other").c_str(), value), 0) << "compared on 99 characters";
}

TEST(TxtArrayKeyValue, SetValueAndCounters) {
  CTxtArray a = Of({"Alpha|1|2"});
  EXPECT_EQ(a.AddCnt("Beta"), 1);
  EXPECT_STREQ(a.GetAtTxt(1), "Beta|1");
  EXPECT_EQ(a.AddCnt("beta"), 1);
  EXPECT_STREQ(a.GetAtTxt(1), "beta|2");
  EXPECT_EQ(a.SetValue("ALPHA", "9"), 0);
  EXPECT_STREQ(a.GetAtTxt(0), "ALPHA|9");
  EXPECT_EQ(a.SetValue("Gamma", "g"), 2);
  EXPECT_EQ(a.SetValue("Missing", nullptr), -1);
  EXPECT_EQ(a.GetSize(), 3) << "deleting an absent key changes nothing";
  EXPECT_EQ(a.SetValue("alpha", nullptr), 0);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"beta|2", "Gamma|g"}));
}

// --- Text and field loading ----------------------------------------------------------------------------

TEST(TxtArrayText, LinesAndFields) {
  CTxtArray a = Of({"old"});
  EXPECT_EQ(a.LoadFromTxt("one\r\ntwo\n\nthree"), 4);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"one", "two", "", "three"}));
  EXPECT_EQ(a.LoadFromTxt("one\n"), 1) << "no element for an empty last line";
  EXPECT_EQ(a.LoadFromFields(" ES , NQ,, YM ", ',', 1), 3);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"ES", "NQ", "YM"}));
  EXPECT_EQ(a.LoadFromFields("CL|  ", '|', 0), 4);
  EXPECT_STREQ(a.GetAtTxt(3), "CL");
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "S" + std::to_string(i) + (i % 2 ? " ,  " : ",");
  EXPECT_EQ(a.LoadFromFields(many.c_str(), ',', 1), 20000) << "a long symbol line loses no symbol";
  EXPECT_STREQ(a.GetAtTxt(19999), "S19999");
  EXPECT_EQ(a.LoadFromFields("ES  NQ   YM ", ' ', 1), 3);
  EXPECT_STREQ(a.GetAtTxt(2), "YM");
}

// --- Line files ------------------------------------------------------------------------------------------

class TxtArrayFiles : public ::testing::Test {
 protected:
  std::string dir = ScratchFolder();
  std::string Write(const std::string& name, const std::string& bytes) {
    return WriteFile(dir + "/" + name, bytes);
  }
  void TearDown() override { SetEnv("BGETLRAM", nullptr); }
};

TEST_F(TxtArrayFiles, UnbufferedReadingKeepsTheLastLineOnlyWhenAsked) {
  std::string path = Write("a.txt", "one\r\ntwo\rthree\nfour");
  CTxtArray a;
  CTxt msg;
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg, 1), 4);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"one", "two", "three", "four"}))
      << "a bare CR ends a line without eating the next character";
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg, 0), 3);
  path = Write("b.txt", "x\r\n");
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg, 1), 2) << "a final line end then gives an empty element";
  path = Write("long.txt", std::string(100005, 'L') + "\nnext\n");
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg, 0), 2);
  EXPECT_EQ(a.GetAt(0)->GetLength(), 99999);
  EXPECT_STREQ(a.GetAtTxt(1), "next");
}

TEST_F(TxtArrayFiles, MissingFileReportsAndKeepsTheElements) {
  CTxtArray a = Of({"kept"});
  CTxt msg;
  std::string path = dir + "/missing.txt";
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg), -1);
  EXPECT_EQ(msg.ToStd().rfind("Cannot open " + path + " (", 0), 0u) << msg.ToStd();
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), -1);
  EXPECT_EQ(msg.ToStd().rfind("Cannot open " + path + " (", 0), 0u) << msg.ToStd();
  EXPECT_EQ(a.LoadFromCSV(path.c_str(), msg), -1);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"kept"}));
}

// The fuzz targets and tests hand files to the readers through the in-memory table: every line reader must
// take the table's content (and its planted failures) before the disk, with the disk's line rules.
TEST_F(TxtArrayFiles, LineReadersTakeInMemoryFilesBeforeTheDisk) {
  std::string path = Write("shadowed.txt", "on disk\n");
  SetMemoryFile(path, std::string("one\r\ntwo\0three\n\x1a"
                                  "after",
                                  21));
  CTxtArray a;
  CTxt msg;
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 3);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg, 1), 3);
  EXPECT_STREQ(a.GetAtTxt(0), "one");
  CTxt whole;
  EXPECT_EQ(whole.LoadFromFile(path.c_str()), 21) << "every byte, the NUL too";

  SetFileReadFailure(path, EACCES);
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), -1);
  EXPECT_NE(msg.ToStd().find(std::strerror(EACCES)), std::string::npos) << msg.ToStd();
  EXPECT_EQ(a.LoadFromFile(path.c_str(), msg), -1);
  EXPECT_EQ(whole.LoadFromFile(path.c_str()), -1);
  RemoveMemoryFiles();
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 1);
  EXPECT_STREQ(a.GetAtTxt(0), "on disk");
}

TEST_F(TxtArrayFiles, BufferedReadingEndsLinesAtLfNulAndCtrlZ) {
  const char bytes[] =
      "one\r\ntwo\0three\x1A"
      "four\n\nsix";
  std::string path = Write("b.txt", std::string(bytes, sizeof bytes - 1));
  CTxtArray a;
  CTxt msg;
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 6);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
  path = Write("z.txt", "one\n\x1Atwo\nthree\n");
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 1) << "a Ctrl-Z at a line start ends the data";
  path = Write("e.txt", "one\ntwo\n");
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 2) << "no element for the empty end after the last LF";
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg, 1), 1);
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg, -1), 3) << "a negative limit appends";
  path = Write("empty.txt", "");
  EXPECT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 0);
}

TEST_F(TxtArrayFiles, BufferedReadingAcrossManyRefillsOfASmallBuffer) {
  SetEnv("BGETLRAM", "10");  // raised to the smallest buffer, 1010 bytes
  std::string content;
  std::vector<std::string> expected;
  for (int i = 0; i < 3000; ++i) {
    expected.push_back("line " + std::to_string(i) + std::string(static_cast<size_t>(i % 37), '#'));
    content += expected.back() + "\r\n";
  }
  std::string path = Write("many.txt", content);
  CTxtArray a;
  CTxt msg;
  ASSERT_EQ(a.LoadFromFileBuf(path.c_str(), msg), 3000);
  EXPECT_EQ(Elements(a), expected);
}

TEST_F(TxtArrayFiles, CsvQuotesProtectCommasAndAreDropped) {
  std::string path = Write("s.csv", "a,b,c\r\n\"1,5\",x,\"q\"\n");
  CTxtArray a;
  CTxt msg;
  EXPECT_EQ(a.LoadFromCSV(path.c_str(), msg), 2);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"a\tb\tc", "1,5\tx\tq"}));
}

TEST_F(TxtArrayFiles, SavingWritesCrLfLinesAndReports) {
  std::string path = dir + "/out.txt";
  CTxtArray a = Of({"one"});
  a.Add(nullptr);
  a.Add("three");
  CTxt msg;
  ASSERT_EQ(a.SaveToFile(path.c_str(), msg), 0);
  EXPECT_EQ(ReadFile(path), "one\r\n\r\nthree\r\n");
  EXPECT_EQ(msg.ToStd(), "Saved 3 lines to " + path);
  ASSERT_EQ(a.SaveToFile(path.c_str(), msg, 1, 1), 0);
  EXPECT_EQ(ReadFile(path), "one\r\n\r\nthree\r\none\r\n") << "append keeps the content";
  EXPECT_EQ(msg.ToStd(), "Saved 3 lines to " + path) << "the report names the array's size";
  CTxtArray one = Of({"single"});
  ASSERT_EQ(one.SaveToFile(path.c_str(), msg), 0);
  EXPECT_EQ(msg.ToStd(), "Saved 1 line to " + path);
  CTxtArray empty;
  ASSERT_EQ(empty.SaveToFile(path.c_str(), msg), 0);
  EXPECT_EQ(ReadFile(path), "") << "an empty array truncates";
  EXPECT_EQ(msg.ToStd(), "Saved 0 line to " + path);
  EXPECT_FALSE(FileExists(path + ".tmp~"));
  CTxtArray back;
  ASSERT_EQ(a.SaveToFile(path.c_str(), msg), 0);
  EXPECT_EQ(back.LoadFromFileBuf(path.c_str(), msg), 3);
  EXPECT_EQ(Elements(back), (std::vector<std::string>{"one", "", "three"}));
}

TEST_F(TxtArrayFiles, FailedSaveReportsAndInterruptedSaveLeavesTheFileWhole) {
  CTxtArray a = Of({"new"});
  CTxt msg;
  std::string bad = dir + "/no/such/folder/x.txt";
  EXPECT_EQ(a.SaveToFile(bad.c_str(), msg), -1);
  EXPECT_EQ(msg.ToStd(), "Cannot open " + bad + " (" + std::strerror(ENOENT) + ")");
  std::string path = Write("keep.txt", "old\r\n");
  SetAtomicWriteInterruption([](const char*, const char*) { return false; });
  EXPECT_EQ(a.SaveToFile(path.c_str(), msg), -1);
  SetAtomicWriteInterruption(nullptr);
  EXPECT_EQ(ReadFile(path), "old\r\n");
}

TEST_F(TxtArrayFiles, NextNumberedFile) {
  CTxtArray a = Of({"x"});
  CTxt msg;
  std::string pattern = dir + "/run%%.txt";
  ASSERT_EQ(a.SaveToNextFile(pattern.c_str(), msg), 0);
  ASSERT_EQ(a.SaveToNextFile(pattern.c_str(), msg), 0);
  EXPECT_EQ(msg.ToStd(), "Saved 1 line to " + dir + "/run02.txt");
  EXPECT_TRUE(FileExists(dir + "/run01.txt"));
  std::string plain = dir + "/run.txt";
  EXPECT_EQ(a.SaveToNextFile(plain.c_str(), msg), -10);
  EXPECT_EQ(msg.ToStd(), "Missing Sequence Placeholder (%) in: " + plain);
}

// --- Folder listings -------------------------------------------------------------------------------------

class TxtArrayFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir + "/b.txt", "b");
    WriteFile(dir + "/A.TXT", "a");
    WriteFile(dir + "/c.csv", "c");
    fs::create_directories(dir + "/sub");
    WriteFile(dir + "/sub/d.txt", "d");
    WriteFile(dir + "/sub/e.log", "e");
    fs::create_directories(dir + "/notes.txt");  // a folder whose name matches the pattern
    // Distinct write times, oldest first: c.csv, b.txt, A.TXT.
    auto now = fs::last_write_time(dir + "/b.txt");
    fs::last_write_time(dir + "/c.csv", now - std::chrono::hours(72));
    fs::last_write_time(dir + "/b.txt", now - std::chrono::hours(48));
    fs::last_write_time(dir + "/A.TXT", now - std::chrono::hours(24));
  }
  std::string dir = ScratchFolder();
  std::string P(const std::string& name) const { return dir + "/" + name; }
};

TEST_F(TxtArrayFolders, SortedListingWithAndWithoutFolders) {
  CTxtArray a = Of({"stale"});
  EXPECT_EQ(a.LoadFromDir(dir.c_str()), 5);
  EXPECT_EQ(Elements(a),
            (std::vector<std::string>{P("A.TXT"), P("b.txt"), P("c.csv"), P("notes.txt"), P("sub")}));
  EXPECT_EQ(a.LoadFromDir(dir.c_str(), 0, 1), 3);
  EXPECT_EQ(a.LoadFromDir(dir.c_str(), 0, 0, "*.TXT"), 3);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{P("A.TXT"), P("b.txt"), P("notes.txt")}));
  EXPECT_EQ(a.LoadFromDir((dir + "/missing").c_str()), 0);
}

TEST_F(TxtArrayFolders, DescendingFindsMatchingFilesInEverySubFolder) {
  CTxtArray a;
  EXPECT_EQ(a.LoadFromDir(dir.c_str(), 1, 1, "*.txt"), 3);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{P("A.TXT"), P("b.txt"), P("sub/d.txt")}));
  EXPECT_EQ(a.LoadFromDir(dir.c_str(), 1, 0, "!TXT"), 3) << "an extension filter lists no folders";
  EXPECT_EQ(a.LoadFromDirNoSort(dir.c_str(), 1, 1, "!log"), 1);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{P("sub/e.log")}));
  EXPECT_EQ(a.LoadFromFilesFromTree(dir.c_str(), ".log;csv"), 2);
  a.Sort();
  EXPECT_EQ(Elements(a), (std::vector<std::string>{P("c.csv"), P("sub/e.log")}));
}

TEST_F(TxtArrayFolders, TimeStylesPrefixEntriesAndSortOldestFirst) {
  CTxtArray a;
  EXPECT_EQ(a.LoadFromDirSortTimeStyle(2, dir.c_str(), 0, 1), 3);
  std::vector<std::string> files;
  for (int i = 0; i < 3; ++i) {
    CTxt time, path;
    strfld(a.GetAtTxt(i), '|', 2, 0, time);
    strfld(a.GetAtTxt(i), '|', 3, 0, path);
    EXPECT_EQ(time.GetLength(), 10) << "HHMMSS.mmm";
    files.push_back(path.ToStd());
  }
  EXPECT_EQ(files, (std::vector<std::string>{P("c.csv"), P("b.txt"), P("A.TXT")}));
  EXPECT_EQ(a.LoadFromDir(dir.c_str(), 0, 1), 3);
  EXPECT_EQ(CountFields(a.GetAtTxt(0), '|'), 3) << "a later listing keeps the style";

  // Style 3: seconds since 1970, at least nine digits; b.txt was written 24 hours before A.TXT.
  EXPECT_EQ(a.LoadFromDirSortTimeStyle(3, dir.c_str(), 0, 1, "*.txt"), 2);
  EXPECT_EQ(CTxt(a.GetAtTxt(0)).FindChar('|'), CTxt(a.GetAtTxt(1)).FindChar('|'));
  CTxt older, newer;
  strfld(a.GetAtTxt(0), '|', 2, 0, older);
  strfld(a.GetAtTxt(1), '|', 2, 0, newer);
  EXPECT_EQ(older.ToStd(), P("b.txt"));
  EXPECT_EQ(newer.ToStd(), P("A.TXT"));
  EXPECT_EQ(std::atoll(a.GetAtTxt(1)) - std::atoll(a.GetAtTxt(0)), 24 * 3600);
  EXPECT_GE(CTxt(a.GetAtTxt(0)).FindChar('|'), 9);

  EXPECT_EQ(a.LoadFromDirSortTime(dir.c_str(), 0, 1), 3);
  EXPECT_EQ(a.GetTimeSortStyle(), 1);
  EXPECT_EQ(CountFields(a.GetAtTxt(2), '|'), 3);
}

class TxtArrayFolderLog : public TxtArrayFolders {
 protected:
  void SetUp() override {
    TxtArrayFolders::SetUp();
    Settings::OverrideAppFolder(logDir.c_str());
    ResetLogForTests();
    SetLogFolder(logDir.c_str());
    SetLogStatusSink(&Capture, &lines);
  }
  void TearDown() override {
    SetLogStatusSink(nullptr, nullptr);
    ResetLogForTests();
    SetLogFolder(nullptr);
    Settings::OverrideAppFolder(nullptr);
  }
  static void Capture(void* context, const char* category, const char* text, int) {
    if (category && std::string(category) == "LoadFromDir")
      static_cast<std::vector<std::string>*>(context)->push_back(text);
  }
  int Count(const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  std::string logDir = ScratchFolder();
  std::vector<std::string> lines;
};

TEST_F(TxtArrayFolderLog, LogLinesFollowTheLogLevel) {
  CTxtArray a;
  a.LoadFromDir(dir.c_str(), 0, 1, "*.txt", 0, 0);
  EXPECT_TRUE(lines.empty());
  a.LoadFromDir(dir.c_str(), 0, 1, "*.txt", 0, 1);
  EXPECT_EQ(Count("Found File="), 2);
  EXPECT_EQ(Count("Dir=" + dir + ", Desc=0, File=1, Path=*.txt, nLev=0, hFindFn="), 1);
  EXPECT_EQ(Count("Sort 2 Files"), 2);
  EXPECT_EQ(Count("Sort 2 Files - Completed"), 1);
  lines.clear();
  a.LoadFromDir(dir.c_str(), 0, 1, "*.txt", 0, 2);
  EXPECT_EQ(Count(", nLev=0, File=" + dir + "/"), 5) << "every entry looked at, folders included";
}

// --- Sorting ---------------------------------------------------------------------------------------------

TEST(TxtArraySort, IgnoresCaseAsTheRuntimeCompareDoes) {
  CTxtArray a = Of({"b", "A", "c"});
  EXPECT_EQ(a.Sort(), 3);
  EXPECT_EQ(Elements(a), (std::vector<std::string>{"A", "b", "c"}));
  // Letters fold to lower case, so '_' (0x5F) sorts before every letter.
  a = Of({"b", "_x", "Zed", "", "a longer text than the others"});
  a.Add(nullptr);
  a.Sort();
  EXPECT_EQ(Elements(a),
            (std::vector<std::string>{"", "", "_x", "a longer text than the others", "b", "Zed"}));
  EXPECT_EQ(a.SortCust(CompareRecordsDescending), 6);
  EXPECT_EQ(Elements(a),
            (std::vector<std::string>{"b", "a longer text than the others", "_x", "Zed", "", ""}));
  CTxtArray one = Of({"only"});
  EXPECT_EQ(one.Sort(), 1);
}
