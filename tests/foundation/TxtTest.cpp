// Unit tests of CTxt and the free text functions, natively and under Wine.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/AtomicFile.h"
#include "foundation/Txt.h"

namespace {

std::string S(const CTxt& t) {
  return t.ToStd();
}

std::string Field(const char* text, char delim, int first, int last, int* result = nullptr) {
  char out[200];
  int n = strfld(text, delim, first, last, out, sizeof(out));
  if (result) *result = n;
  return out;
}

// --- Content and assignment
// ----------------------------------------------------------------------------------

TEST(TxtContent, NewObjectHoldsNothingAndConvertsToAnAllocatedEmptyText) {
  CTxt t;
  EXPECT_EQ(t.GetData(), nullptr);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_FALSE(t.IsFilled());
  const char* p = t;
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(p, "");
  EXPECT_NE(t.GetData(), nullptr);  // the conversion allocated
  const CTxt c;
  EXPECT_STREQ(static_cast<const char*>(c), "");
  CTxt fromNull(static_cast<const char*>(nullptr));
  EXPECT_EQ(fromNull.GetData(), nullptr);
}

TEST(TxtContent, AssigningAnUnallocatedTxtLeavesTheTargetButANullPointerEmptiesIt) {
  CTxt filled("abc"), none;
  filled = none;
  EXPECT_EQ(S(filled), "abc");
  filled = filled;
  EXPECT_EQ(S(filled), "abc");
  filled = static_cast<const char*>(nullptr);
  EXPECT_EQ(filled.GetData(), nullptr);
  EXPECT_EQ(filled.GetLength(), 0);
  CTxt other("xy");
  filled = other;
  EXPECT_EQ(S(filled), "xy");
  EXPECT_NE(filled.GetData(), other.GetData());
}

TEST(TxtContent, MovesAreRealMovesSoVectorEraseWorks) {
  std::vector<CTxt> v;
  v.emplace_back("a");
  v.emplace_back();
  v.emplace_back("c");
  v.erase(v.begin());
  EXPECT_EQ(v[0].GetData(), nullptr);
  EXPECT_EQ(S(v[1]), "c");
}

TEST(TxtContent, AppendingAndInserting) {
  CTxt t;
  EXPECT_EQ(t.AddTxt("ab"), 2);
  EXPECT_EQ(t += "cd", 4);
  EXPECT_EQ(t.Add('e'), 5);
  EXPECT_EQ(t.AddTxt(nullptr), 5);
  EXPECT_EQ(t.InsertAt(-5, "X"), 6);
  EXPECT_EQ(S(t), "Xabcde");
  EXPECT_EQ(t.InsertAt(99, 'Y'), 7);
  EXPECT_EQ(S(t), "XabcdeY");
  EXPECT_EQ(t.InsertAt(3, "--"), 9);
  EXPECT_EQ(S(t), "Xab--cdeY");
  EXPECT_EQ(t.InsertAt(3, ""), 9);
  EXPECT_EQ(t.InsertAt(3, nullptr), 9);
  t.AddTxt(t);  // appending the object's own text
  EXPECT_EQ(S(t), "Xab--cdeYXab--cdeY");
  CTxt empty;
  EXPECT_EQ(empty.InsertAt(4, "q"), 1);
  EXPECT_EQ(S(empty), "q");
}

TEST(TxtContent, EmptyReleasesAndMakeEmptyKeepsTheBuffer) {
  CTxt t("abc");
  t.MakeEmpty();
  EXPECT_NE(t.GetData(), nullptr);
  EXPECT_EQ(t.GetLength(), 0);
  t.Empty();
  EXPECT_EQ(t.GetData(), nullptr);
  t.MakeEmpty();
  ASSERT_NE(t.GetData(), nullptr);
  EXPECT_STREQ(t.GetData(), "");
  t.ReleaseBuffer();
  EXPECT_EQ(t.GetData(), nullptr);
}

TEST(TxtContent, FixedLengthsAndFill) {
  CTxt t;
  EXPECT_EQ(t.SetTxtFixLen("abc  def", 5), 3);  // "abc  " then trailing blanks removed
  EXPECT_EQ(S(t), "abc");
  t.SetTxtFixLen("ab", 6);
  EXPECT_EQ(S(t), "ab");
  EXPECT_EQ(t.FillChar('*', 3), 3);
  EXPECT_EQ(S(t), "***");
  EXPECT_EQ(t.FillChar('-', 0), 1);
  EXPECT_EQ(t.MakeFixedLength(4), 4);
  EXPECT_EQ(S(t), "-   ");
  EXPECT_EQ(t.MakeFixedLength(2), 2);
  EXPECT_EQ(t.MakeLength(5), 2);
  EXPECT_EQ(t.MakeLength(1), 1);
  EXPECT_EQ(S(t), "-");
}

TEST(TxtContent, CaseConversionLeavesHighBytesAlone) {
  CTxt t("aBc\xE9z1");
  t.MakeUpper();
  EXPECT_EQ(S(t), "ABC\xE9Z1");
  t.MakeLower();
  EXPECT_EQ(S(t), "abc\xE9z1");
}

TEST(TxtFormat, PrintfStyleIsUnboundedAndMayUseItsOwnText) {
  CTxt t;
  EXPECT_EQ(t.Format("%s-%03d", "x", 7), 5);
  EXPECT_EQ(S(t), "x-007");
  t.Format("[%s]", static_cast<const char*>(t));
  EXPECT_EQ(S(t), "[x-007]");
  std::string big(150000, 'q');
  EXPECT_EQ(t.Format("%s!", big.c_str()), 150001);
}

TEST(TxtFormat, InsertStyleFormatting) {
  CTxt t;
  t.FormatMessageA("%2 and %1, 100%% %3", "one", "two", "three");
  EXPECT_EQ(S(t), "two and one, 100% three");
  t.FormatMessageA("n=%1!d! s=%2!-4s!|%3!04X!%0 ignored", 42, "ab", 255);
  EXPECT_EQ(S(t), "n=42 s=ab  |00FF");
  t.FormatMessageA("a%nb%1", "!");
  EXPECT_EQ(S(t), "a\r\nb!");
  // The test program has no string resources: an unknown resource id formats as an empty text.
  t.Format(4711u, 1);
  EXPECT_EQ(S(t), "");
  t = "x";
  t.FormatMessageA(4711u, "a");
  EXPECT_EQ(S(t), "");
}

TEST(TxtFormat, SystemErrorMessage) {
  CTxt t;
  EXPECT_GT(t.GetSysErrMsg(), 0);
  EXPECT_LE(t.GetLength(), 1000);
}

// --- Access and search
// ------------------------------------------------------------------------------------------

TEST(TxtSearch, CharactersAndTexts) {
  CTxt none, t("Hello World");
  EXPECT_EQ(none.FindChar('a'), -1);
  EXPECT_EQ(t.FindChar('o'), 4);
  EXPECT_EQ(t.FindChar('z'), -2);
  EXPECT_EQ(none.FindCharList("ab"), -1);
  EXPECT_EQ(t.FindCharList("dW"), 6);
  EXPECT_EQ(t.FindCharList("xyz"), -2);
  EXPECT_EQ(t.FindTextA("WORLD"), 6);
  EXPECT_EQ(t.FindTextA("worlds"), -1);
  EXPECT_EQ(none.FindTextA("a"), -1);
  EXPECT_EQ(t.GetAt(1), 'e');
  t.SetAt(0, 'J');
  t[1] = 'E';
  EXPECT_EQ(S(t), "JEllo World");
  std::vector<std::string> array = {"abc", "Def"};
  EXPECT_EQ(CTxt::FindStringArray(array, "DEF"), 1);
  EXPECT_EQ(CTxt::FindStringArray(array, "de"), -1);
  EXPECT_EQ(CTxt::FindStringArray({}, "x"), -1);
}

TEST(TxtFreeFunctions, CompareNoCaseModes) {
  EXPECT_EQ(CompareNoCase(nullptr, "a", 1), 3);
  EXPECT_EQ(CompareNoCase("a", nullptr, 0), 3);
  EXPECT_EQ(CompareNoCase("", "", 1), 0);
  EXPECT_EQ(CompareNoCase("abc", "ABC", 1), 0);
  EXPECT_EQ(CompareNoCase("abd", "ABC", 0), 1);
  EXPECT_EQ(CompareNoCase("ab", "ABC", 1), 2);
  EXPECT_EQ(CompareNoCase("ab", "ABC", 2), 0);
  EXPECT_EQ(CompareNoCase("abc", "AB", 2), 2);
  EXPECT_EQ(CompareNoCase("abc", "AB", 0), 0);
  EXPECT_EQ(CompareNoCase("ab", "ABC", 0), 0);
  EXPECT_EQ(CompareNoCase("\xE9", "\xC9", 1), 1);  // bytes above 127 have no case
  EXPECT_EQ(FindNoCase("xxAbC", "abc"), 2);
  EXPECT_EQ(FindNoCase("xxAb", "abc"), -1);
  EXPECT_EQ(FindNoCase("aAaB", "AAB"), 1) << "a partial match does not hide the next start";
  EXPECT_EQ(FindNoCase("abc", ""), 0);
  EXPECT_EQ(FindNoCase("", ""), -1);
  EXPECT_EQ(FindNoCase("", "a"), -1);
  EXPECT_EQ(FindNoCase(nullptr, "a"), -1);
  EXPECT_EQ(FindNoCase("\xE9t\xC9", "\xC9"), 2);
  EXPECT_EQ(FindCharInList('b', "abc"), 1);
  EXPECT_EQ(FindCharInList('z', "abc"), -1);
  EXPECT_EQ(FindCharInList('a', ""), -1);
  EXPECT_EQ(FindCharInList('a', nullptr), -1);
  EXPECT_EQ(HexToInt("1F"), 31);
  EXPECT_EQ(HexToInt(" a0 "), 160);
  EXPECT_EQ(HexToInt("zz"), 0);
  EXPECT_EQ(HexToInt(""), 0);
}

TEST(TxtFreeFunctions, CountFieldsRules) {
  EXPECT_EQ(CountFields("", '|'), 0);
  EXPECT_EQ(CountFields("   ", '|'), 0);
  EXPECT_EQ(CountFields(nullptr, '|'), 0);
  EXPECT_EQ(CountFields("a", '|'), 1);
  EXPECT_EQ(CountFields("a|b", '|'), 2);
  EXPECT_EQ(CountFields("a|b|", '|'), 2);
  EXPECT_EQ(CountFields("a|b|  ", '|'), 2);  // trailing blanks ignored for a non-blank delimiter
  EXPECT_EQ(CountFields("a||b", '|'), 3);
  EXPECT_EQ(CountFields("  a b", ' '), 2);
  EXPECT_EQ(CountFields("a    b   c", ' '), 3);
  EXPECT_EQ(CountFields("a b ", ' '), 2);
}

TEST(TxtFreeFunctions, StrfldFieldRanges) {
  int n = 0;
  EXPECT_EQ(Field("a|b|c", '|', 2, 3, &n), "b|c");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(Field("a|b|c", '|', -1, 0, &n), "c");
  EXPECT_EQ(Field("a|b|c", '|', 4, 0, &n), "");
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Field("a|b|c", '|', 3, 2, &n), "");
  EXPECT_EQ(n, -1);
  EXPECT_EQ(Field("a|b|c", '|', -1, -2, &n), "");
  EXPECT_EQ(n, -1);
  EXPECT_EQ(Field("a|b|c", '|', 99, 0), "c");
  EXPECT_EQ(Field("a|b|c", '|', -99, 0), "a");
  EXPECT_EQ(Field("a|b|c", '|', -2, -1), "b|c");
  EXPECT_EQ(Field("a|b|c", '|', 2, 9), "b|c");  // last clipped
  EXPECT_EQ(Field("a||c", '|', 1, 2), "a");     // a delimiter at the end of the copy is dropped
  EXPECT_EQ(Field("  a   b  c", ' ', 2, 0), "b");
  EXPECT_EQ(Field("  a   b  c", ' ', 1, 2), "a   b");
  EXPECT_EQ(Field("a|b|c", '|', 2, 0), "b");
  char small[3];
  EXPECT_EQ(strfld("abcdef|x", '|', 1, 0, small, sizeof(small)), 2);
  EXPECT_STREQ(small, "ab");
  CTxt out("a|b|c");
  EXPECT_EQ(strfld(out, '|', 2, 0, out), 1);  // the source may be the target
  EXPECT_EQ(S(out), "b");
  EXPECT_EQ(GetFieldInt("1|22|x", '|', 2), 22);
  EXPECT_EQ(GetFieldInt("1||x", '|', 2), 0);
  EXPECT_DOUBLE_EQ(GetFieldFloat("1|2.5", '|', 2), 2.5);
}

// Beyond 10000 delimiters the fields are no longer split: the last field holds the rest of the text, and
// every field number, the last (99) too, stays inside the fields there are.
TEST(TxtFreeFunctions, StrfldOnMoreFieldsThanItSplits) {
  std::string text = "0";
  for (int i = 1; i <= 10005; ++i) text += "|" + std::to_string(i);
  EXPECT_EQ(CountFields(text.c_str(), '|'), 10006);
  EXPECT_EQ(Field(text.c_str(), '|', 10000, 0), "9999");
  const std::string rest = "10000|10001|10002|10003|10004|10005";
  EXPECT_EQ(Field(text.c_str(), '|', 10001, 0), rest);
  EXPECT_EQ(Field(text.c_str(), '|', 99, 0), rest);
  EXPECT_EQ(Field(text.c_str(), '|', 10003, 0), "") << "beyond the split fields";
  EXPECT_EQ(Field(text.c_str(), '|', -1, 0), rest);
  CTxt out;
  EXPECT_EQ(strfld(text.c_str(), '|', 9999, 10006, out), static_cast<int>(("9998|9999|" + rest).size()));
  EXPECT_EQ(S(out), "9998|9999|" + rest);
  EXPECT_EQ(GetFieldInt(text.c_str(), '|', 10000), 9999);
}

// --- Editing
// ------------------------------------------------------------------------------------------------------

TEST(TxtEditing, EditingCodesOnEmptyObjects) {
  CTxt none;
  EXPECT_EQ(none.ReplaceInText("a", "b"), -1);
  EXPECT_EQ(none.RemoveFromText("a"), -1);
  EXPECT_EQ(none.RemoveChar('a'), -1);
  EXPECT_EQ(none.RemoveCharList("ab"), -1);
  EXPECT_EQ(none.ExtractChar("ab"), -1);
  EXPECT_EQ(none.RemoveRange(0, 1), -2);
  EXPECT_EQ(none.ExtractRange(1, 1), -1);
  EXPECT_EQ(none.Trim(' '), 0);
  EXPECT_EQ(none.TrimRight(' '), 0);
  EXPECT_EQ(none.TrimNum(0), 0);
  EXPECT_EQ(none.ConvHex(1), -1);
  EXPECT_EQ(none.MaskNonFilename(1, nullptr), -1);
  EXPECT_EQ(none.Replace('a', 'b'), 0);
  EXPECT_EQ(none.MaskNonPrintable(), 0);
  EXPECT_EQ(none.GetData(), nullptr);  // none of them allocated
  CTxt empty("");
  EXPECT_EQ(empty.ReplaceInText("a", "b"), -1);
  EXPECT_EQ(empty.ExtractRange(1, 1), -1);
}

TEST(TxtEditing, ReplaceAndRemove) {
  CTxt t("aXbxc");
  EXPECT_EQ(t.Replace('c', 'C'), 1);
  EXPECT_EQ(t.ReplaceInText("x", "--"), 7);
  EXPECT_EQ(S(t), "a--b--C");
  t = "aaa";
  EXPECT_EQ(t.ReplaceInText("a", "aa"), 6);  // scanning continues after the replacement
  t = "abab";
  EXPECT_EQ(t.ReplaceInText("AB", nullptr), 0);
  t = "one two one";
  EXPECT_EQ(t.RemoveFromText("ONE"), 5);
  EXPECT_EQ(S(t), " two ");
  std::string longer(5000, 'x');
  t = "a.b.c";
  t.ReplaceInText(".", longer.c_str());  // growth beyond the old length plus 1,000
  EXPECT_EQ(t.GetLength(), 3 + 2 * 5000);
  t = "a-b_c-d";
  EXPECT_EQ(t.RemoveChar('-'), 5);
  EXPECT_EQ(t.RemoveCharList("_d"), 3);
  EXPECT_EQ(S(t), "abc");
  t = "a1b2c3";
  EXPECT_EQ(t.ExtractChar("0123456789"), 3);
  EXPECT_EQ(S(t), "123");
}

TEST(TxtEditing, RangesAndTrims) {
  CTxt t("abcdef");
  EXPECT_EQ(t.RemoveRange(-1, 2), -1);
  EXPECT_EQ(t.RemoveRange(6, 1), -2);
  EXPECT_EQ(t.RemoveRange(1, 0), -3);
  EXPECT_EQ(t.RemoveRange(4, 10), 4);
  EXPECT_EQ(S(t), "abcd");
  EXPECT_EQ(t.RemoveRange(1, 2), 2);
  EXPECT_EQ(S(t), "ad");
  t = "abcdef";
  EXPECT_EQ(t.ExtractRange(7, 7), -2);
  EXPECT_EQ(t.ExtractRange(2, 7), -3);
  EXPECT_EQ(t.ExtractRange(4, 3), -4);
  EXPECT_EQ(t.ExtractRange(2, 4), 3);
  EXPECT_EQ(S(t), "bcd");
  t = "--ab--";
  EXPECT_EQ(t.Trim('-'), 2);
  EXPECT_EQ(S(t), "ab");
  t = "ab   ";
  EXPECT_EQ(t.TrimRight(' '), 3);
  t = "   ";
  EXPECT_EQ(t.Trim(' '), 0);
}

TEST(TxtEditing, TrimNumKeepsNumberCharacters) {
  CTxt t("(1,234.5)");
  EXPECT_EQ(t.TrimNum(0), 6);
  EXPECT_EQ(S(t), "1234.5");
  t = "(1,234.5)";
  t.TrimNum(1);
  EXPECT_EQ(S(t), "(1234.5)");
  t = "$1.5e+3 E";
  t.TrimNum(0);
  EXPECT_EQ(S(t), "1.5+3E");  // only the upper-case E
}

TEST(TxtEditing, GetField) {
  CTxt t("old");
  EXPECT_EQ(t.GetField("abc |def", '|', 1), 3);
  EXPECT_EQ(S(t), "abc");
  EXPECT_EQ(t.GetField("abc |def", '|', 0), 4);
  EXPECT_EQ(t.GetField("a|b", '\0', 0), 3);
  EXPECT_EQ(t.GetField("   |x", '|', 1), 0);  // blanks only
  EXPECT_TRUE(t.IsEmpty());
  t = "old";
  EXPECT_EQ(t.GetField("|x", '|', 0), 0);
  EXPECT_TRUE(t.IsEmpty());
}

TEST(TxtEditing, Masks) {
  CTxt t("a b/c");
  EXPECT_EQ(t.MaskNonFilename(0, nullptr), ' ');
  EXPECT_EQ(S(t), "a b/c");
  EXPECT_EQ(t.MaskNonFilename(1, "/"), 1);
  EXPECT_EQ(S(t), "a_b/c");
  EXPECT_EQ(t.MaskNonFilename(1, "/"), -1);
  EXPECT_EQ(t.MaskNonFilename(0, "/"), 0);
  t = "x~_+-#$(){}[]9";
  EXPECT_EQ(t.MaskNonFilename(0, nullptr), 0);
  t = "var.name-1";
  EXPECT_EQ(t.MaskNonVar(1, "."), 8);
  EXPECT_EQ(S(t), "var.name_1");
  t = "a\tb\x7F\xE9";
  EXPECT_EQ(t.MaskNonPrintable(), 3);
  EXPECT_EQ(S(t), "a+b++");
}

// --- Conversions
// -----------------------------------------------------------------------------------------------------

TEST(TxtConversions, LineEndsAndEscapes) {
  CTxt t("a\nb\r\nc\n");
  t.InsertCR();
  EXPECT_EQ(S(t), "a\r\nb\r\nc\r\n");
  t = "x\r\n\ty\\z";
  t.ConvCRLF(0);
  EXPECT_EQ(S(t), "x\\r\\n\\ty\\z");
  t = "a\\nb\\rc\\td\\qe\\";
  t.ConvCRLF(1);
  EXPECT_EQ(S(t), "a\nb\rc\tde");
}

TEST(TxtConversions, XmlAndHtml) {
  CTxt t("<a href='x'>\"&\"\x01\xE9</a>");
  t.ConvTxt2XML();
  EXPECT_EQ(S(t), "&lt;a href=&apos;x&apos;&gt;&quot;&amp;&quot;&#x01;&#xE9;&lt;/a&gt;");
  EXPECT_EQ(t.ConvXML2Txt(), 0);
  t = "a&NBSP;b&amp;c+d%%e%41\\+f%4";
  t.ConvHTM2TXT();
  EXPECT_EQ(S(t), "a b&c d%eA+f%4");
}

TEST(TxtConversions, HexRoundTrips) {
  CTxt t("\xE9");
  EXPECT_EQ(t.ConvHex(1), 2);
  EXPECT_EQ(S(t), "E9");
  EXPECT_EQ(t.ConvHex(0), 1);
  EXPECT_EQ(S(t), "\xE9");
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  t = all.c_str();
  t.ConvHex(1);
  t.ConvHex(0);
  EXPECT_EQ(S(t), all);
  t = "41a";  // a trailing single digit is ignored
  EXPECT_EQ(t.ConvHex(0), 1);
  EXPECT_EQ(S(t), "A");
  t = "4142";
  EXPECT_EQ(t.ConvHex(0), 2);
  EXPECT_EQ(S(t), "AB");
}

TEST(TxtConversions, ProtRotationRoundTrips) {
  std::string original = "Login Name ~!\x01\tZ\x7F\xE9 password123";
  for (int key : {-3, 0, 1, 7, 94, 95, 1000}) {
    CTxt t(original.c_str());
    t.ConvProt(1, key);
    for (size_t i = 0; i < original.size(); ++i) {
      char c = original[i];
      if (c >= 32 && c <= 126) {
        EXPECT_GE(t[static_cast<int>(i)], 32);
        EXPECT_LE(t[static_cast<int>(i)], 126);
      } else {
        EXPECT_EQ(t[static_cast<int>(i)], c) << "control or high byte changed at " << i;
      }
    }
    t.ConvProt(0, key);
    EXPECT_EQ(S(t), original) << "key " << key;
  }
  CTxt t("  ");
  t.ConvProt(1, 1);
  EXPECT_EQ(S(t), "!}");  // ' ' + 1, and ' ' - 2 wrapped by 95: blanks are rotated too
}

TEST(TxtConversions, NumbersAndHex) {
  CTxt t;
  EXPECT_EQ(t.MakeValueTxt(1.50, 4), 3);
  EXPECT_EQ(S(t), "1.5");
  t.MakeValueTxt(2.0, 2);
  EXPECT_EQ(S(t), "2");
  t.MakeValueTxt(120.0, 0);
  EXPECT_EQ(S(t), "120");
  t.MakeValueTxt(-2.5, 3);
  EXPECT_EQ(S(t), "-2.5");
  t.GetHex(0xABCDEFUL, 4);
  EXPECT_EQ(S(t), "00ABCDEF");
  t.GetHex(0xABCDEFUL, 1);
  EXPECT_EQ(S(t), "EF");
  t.GetHex(0xABCDEFUL, 3);
  EXPECT_EQ(S(t), "ABCDEF");
  EXPECT_EQ(t.MakeHexValue(255, 4), 4);
  EXPECT_EQ(S(t), "00FF");
  t.MakeHexValue(-1, 0);
  EXPECT_EQ(S(t), "FFFFFFFF");
  const unsigned char bytes[] = {0x0A, 0xFF};
  EXPECT_EQ(t.GetHexArray(bytes, 2), 6);
  EXPECT_EQ(S(t), "0A,FF,");
  t.GetHexArray(bytes, 0);
  EXPECT_EQ(S(t), "GetHexArray(0By)");
  t.GetHexArray(bytes, 1001);
  EXPECT_EQ(S(t), "GetHexArray(1001By)");
}

// --- Files
// ------------------------------------------------------------------------------------------------------------

TEST(TxtFiles, LoadFromEmptyAndMissingFiles) {
  std::string dir = testsupport::ScratchFolder();
  std::string empty = testsupport::WriteFile(dir + "/empty.txt", "");
  CTxt t("old");
  EXPECT_EQ(t.LoadFromFile(empty.c_str()), 0);
  ASSERT_NE(t.GetData(), nullptr);
  EXPECT_STREQ(t.GetData(), "");
  std::string missing = dir + "/missing.txt";
  EXPECT_EQ(t.LoadFromFile(missing.c_str()), -1);
  EXPECT_EQ(S(t), "Cannot open '" + missing + "' (" + strerror(ENOENT) + ")");
}

TEST(TxtFiles, SaveAndLoadKeepBytes) {
  std::string dir = testsupport::ScratchFolder();
  std::string path = dir + "/a.txt";
  CTxt t("line1\r\nline2\n");
  EXPECT_EQ(t.SaveToFile(path.c_str(), 0), 13);
  EXPECT_EQ(t.SaveToFileCommit(path.c_str(), 1), 13);
  EXPECT_EQ(testsupport::ReadFile(path), "line1\r\nline2\nline1\r\nline2\n");
  CTxt back;
  EXPECT_EQ(back.LoadFromFile(path.c_str()), 26);
  EXPECT_EQ(S(back), "line1\r\nline2\nline1\r\nline2\n");
  EXPECT_EQ(t.SaveToFile(path.c_str(), 2), 13);  // anything but 1 truncates
  EXPECT_EQ(testsupport::ReadFile(path), "line1\r\nline2\n");
  EXPECT_EQ(t.SaveToFile("", 0), -1);
  EXPECT_EQ(S(t), "Missing filename");
  t = "x";
  EXPECT_EQ(t.SaveToFile(nullptr, 0), -1);
  std::string bad = dir + "/no/such/folder/f.txt";
  t = "x";
  EXPECT_EQ(t.SaveToFileCommit(bad.c_str(), 0), -1);
  EXPECT_EQ(S(t), "Cannot open '" + bad + "' (" + strerror(ENOENT) + ")");
}

TEST(TxtFiles, ReplacingSaveIsAtomicAndAppendingAddsInPlace) {
  std::string dir = testsupport::ScratchFolder();
  std::string path = testsupport::WriteFile(dir + "/keep.txt", "old\r\n");
  CTxt t("new content");
  SetAtomicWriteInterruption([](const char*, const char*) { return false; });
  EXPECT_EQ(t.SaveToFile(path.c_str(), 0), -1) << "a write that dies before the rename";
  SetAtomicWriteInterruption(nullptr);
  EXPECT_EQ(testsupport::ReadFile(path), "old\r\n") << "the original stays whole";
  t = "new content";
  EXPECT_EQ(t.SaveToFileCommit(path.c_str(), 0), 11);
  EXPECT_EQ(testsupport::ReadFile(path), "new content");
  EXPECT_FALSE(testsupport::FileExists(path + ".tmp~"));
}

TEST(TxtFiles, LoadedNulEndsTheText) {
  std::string dir = testsupport::ScratchFolder();
  std::string path = testsupport::WriteFile(dir + "/embedded-zero.bin", std::string("ab\0cd", 5));
  CTxt t;
  EXPECT_EQ(t.LoadFromFile(path.c_str()), 5);
  EXPECT_STREQ(t.GetData(), "ab");
}

TEST(TxtFiles, ReadFromRam) {
  CTxt t;
  EXPECT_EQ(t.ReadFromRam("abc\0def", 7), 7);
  EXPECT_EQ(S(t), "abc");
  EXPECT_EQ(t.ReadFromRam("abcdef", 2), 2);
  EXPECT_EQ(S(t), "ab");
}

TEST(TxtFiles, BinarySaveAndReadRoundTrip) {
  std::string dir = testsupport::ScratchFolder();
  std::string path = dir + "/bin.dat";
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  CTxt a("hello"), none;
  EXPECT_EQ(a.BinarySave(f), 10);
  EXPECT_EQ(none.BinarySave(f), 5);
  fclose(f);
  std::string bytes = testsupport::ReadFile(path);
  EXPECT_EQ(bytes, std::string("\x06\0\0\0hello\0\x01\0\0\0\0", 15));

  f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  CTxt b, c("x"), d;
  EXPECT_EQ(b.BinaryRead(f), 0);
  EXPECT_EQ(S(b), "hello");
  EXPECT_EQ(b.GetLength(), 5);
  EXPECT_EQ(c.BinaryRead(f), 0);
  EXPECT_EQ(c.GetLength(), 0);
  EXPECT_EQ(d.BinaryRead(f), -1);  // end of file
  fclose(f);

  CTxt e;
  EXPECT_EQ(e.BinaryRead(reinterpret_cast<const unsigned char*>(bytes.data())), 10);
  EXPECT_EQ(S(e), "hello");

  testsupport::WriteFile(path, std::string("\x09\0\0\0abc", 7));  // truncated record
  f = fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  CTxt g("keep");
  EXPECT_EQ(g.BinaryRead(f), -1);
  EXPECT_EQ(S(g), "keep");
  fclose(f);
}

TEST(TxtFiles, GetNextFileFindsTheFirstFreeNumber) {
  std::string dir = testsupport::ScratchFolder();
  testsupport::WriteFile(dir + "/out01.txt", "1");
  testsupport::WriteFile(dir + "/out02.txt", "2");
  CTxt t;
  std::string pattern = dir + "/out%%.txt";
  EXPECT_EQ(t.GetNextFile(pattern.c_str()), 3);
  EXPECT_EQ(S(t), dir + "/out03.txt");
  pattern = dir + "/Shot%%%.bmp";
  EXPECT_EQ(t.GetNextFile(pattern.c_str()), 1);
  EXPECT_EQ(S(t), dir + "/Shot001.bmp");
  EXPECT_EQ(t.GetNextFile("out%.txt"), -1);
  EXPECT_EQ(S(t), "Missing Sequence Placeholder (%) in: out%.txt");
}

TEST(TxtFiles, ExecutableName) {
  CTxt name, folder, full;
  EXPECT_GT(CTxt::GetExeName(name, 5), 0);
  EXPECT_NE(name.FindTextA("tavrin_core_tests"), -1) << S(name);
  CTxt::GetExeName(folder, 4);
  CTxt::GetExeName(full, 7);
  EXPECT_EQ(S(full), S(folder) + S(name));
  EXPECT_EQ(full.FindChar('\\'), -2);  // '/' form
}

// --- File names
// ----------------------------------------------------------------------------------------------------------

struct PathCase {
  const char* path;
  const char* parts[8];
};

TEST(TxtFileNames, PathPartsOnBothSeparatorStyles) {
  const PathCase cases[] = {
      {"C:/x/y/a.csv", {"C:", "/x/y/", "a", "csv", "C:/x/y/", "a.csv", "C:/x/y/a", "C:/x/y/a.csv"}},
      {"C:\\x\\y\\a.b.csv",
       {"C:", "\\x\\y\\", "a.b", "csv", "C:\\x\\y\\", "a.b.csv", "C:\\x\\y\\a.b", "C:\\x\\y\\a.b.csv"}},
      {"dir\\sub/file", {"", "dir\\sub/", "file", "", "dir\\sub/", "file", "dir\\sub/file", "dir\\sub/file"}},
      {"\\\\srv\\share\\f.txt",
       {"", "\\\\srv\\share\\", "f", "txt", "\\\\srv\\share\\", "f.txt", "\\\\srv\\share\\f",
        "\\\\srv\\share\\f.txt"}},
      {"x.dir/noext", {"", "x.dir/", "noext", "", "x.dir/", "noext", "x.dir/noext", "x.dir/noext"}},
      {"C:a.txt", {"C:", "", "a", "txt", "C:", "a.txt", "C:a", "C:a.txt"}},
      {"/usr/bin/", {"", "/usr/bin/", "", "", "/usr/bin/", "", "/usr/bin/", "/usr/bin/"}},
  };
  for (const PathCase& c : cases) {
    CTxt path(c.path), out("stale");
    for (int part = 0; part < 8; ++part) {
      EXPECT_EQ(path.GetFileTxt(part, out), static_cast<int>(strlen(c.parts[part])));
      EXPECT_EQ(S(out), c.parts[part]) << c.path << " part " << part;
    }
    EXPECT_EQ(path.GetFileTxt(8, out), 0);
  }
  CTxt none, out("stale");
  EXPECT_EQ(none.GetFileTxt(7, out), 0);
  EXPECT_TRUE(out.IsEmpty());
  CTxt self("C:/a/b.txt");
  self.GetFileTxt(5, self);  // out may be the object itself
  EXPECT_EQ(S(self), "b.txt");
}

TEST(TxtFileNames, SeparatorNormalisation) {
  CTxt t("\\\\server\\share\\dir\\");
  EXPECT_EQ(t.MakeFn(), 18);
  EXPECT_EQ(S(t), "\\\\server/share/dir");
  t = "C:\\a\\b//";
  t.MakeFn();
  EXPECT_EQ(S(t), "C:/a/b");
  t = "\\\\server/share/dir/";
  t.MakeFnDOS();
  EXPECT_EQ(S(t), "\\\\server\\share\\dir");
  t = "C:/a/b/";
  t.MakeFnDOS();
  EXPECT_EQ(S(t), "C:\\a\\b");
  CTxt none;
  EXPECT_EQ(none.MakeFn(), 0);
  EXPECT_EQ(none.MakeFnDOS(), 0);
}

TEST(TxtFileNames, MakeFileNameAndExtensions) {
  CTxt t("C:/x/a.csv");
  EXPECT_EQ(t.MakeFileName("b", "txt"), 0);
  EXPECT_EQ(S(t), "C:/x/b.txt");
  t = "C:/x/a.csv";
  t.MakeFileName("b", nullptr);
  EXPECT_EQ(S(t), "C:/x/b.csv");
  t = "C:\\x\\a.csv";
  t.MakeFileName("b", nullptr);
  EXPECT_EQ(S(t), "C:/x/b.csv");
  t = "C:/x/a.csv";
  EXPECT_EQ(t.MakeFileExt("CSV"), 1);
  EXPECT_EQ(S(t), "C:/x/a.csv");
  EXPECT_EQ(t.MakeFileExt("txt"), 0);
  EXPECT_EQ(S(t), "C:/x/a.txt");
  t = "C:/x/a";
  EXPECT_EQ(t.MakeFileExt("ini"), 0);
  EXPECT_EQ(S(t), "C:/x/a.ini");
  t = "C:/x/a.csv";
  EXPECT_EQ(t.InsertToFn("pre", 1), 14);
  EXPECT_EQ(S(t), "C:/x/pre-a.csv");
  t = "C:/x/a.csv";
  t.AddToFn("post", 0);
  EXPECT_EQ(S(t), "C:/x/apost.csv");
  t = "C:/x/a.csv";
  t.AddToFn("2", 1);
  EXPECT_EQ(S(t), "C:/x/a-2.csv");
}

TEST(TxtFileNames, IsSameFileTxt) {
  CTxt t("C:\\X\\A.csv");
  EXPECT_EQ(t.IsSameFileTxt("c:/x/a.CSV", 7), 1);
  EXPECT_EQ(S(t), "C:/X/A.csv");  // normalised by the part 7 comparison
  EXPECT_EQ(t.IsSameFileTxt("D:/x/a.csv", 7), 0);
  EXPECT_EQ(t.IsSameFileTxt("D:/y/a.csv", 5), 1);
  EXPECT_EQ(t.IsSameFileTxt("D:/y/a.txt", 2), 1);
  EXPECT_EQ(t.IsSameFileTxt("D:/y/a.txt", 3), 0);
  EXPECT_EQ(t.IsSameFileTxt(nullptr, 7), 0);
}

TEST(TxtFileNames, AppendFileLocation) {
  CTxt t("Failed");
  t.AppendFileLocation("Txt.cpp", 12, nullptr);
  EXPECT_EQ(S(t), "Failed\r\n(File=Txt.cpp, Line=12)");
  t = "E";
  EXPECT_EQ(t.AppendFileLocation("f", 3, " @%s:%d"), 6);
  EXPECT_EQ(S(t), "E @f:3");
}

// --- Placeholders
// -----------------------------------------------------------------------------------------------------------

TEST(TxtPlaceholders, FillPlaceHolderCodes) {
  CTxt t("Hello @1, you are @2 (@1)");
  EXPECT_EQ(t.FillPlaceHolder("Ann|42", 0, '|'), 0);
  EXPECT_EQ(S(t), "Hello Ann, you are 42 (Ann)");

  t = "@1";
  EXPECT_EQ(t.FillPlaceHolder("", 0, '|'), -1);
  EXPECT_EQ(t.FillPlaceHolder(nullptr, 0, '|'), -1);
  CTxt empty;
  EXPECT_EQ(empty.FillPlaceHolder("a", 0, '|'), -2);

  t = "mail@home";
  EXPECT_EQ(t.FillPlaceHolder("a", 1, '|'), -3);
  EXPECT_EQ(S(t), "mail@home");

  t = "x@3y";
  EXPECT_EQ(t.FillPlaceHolder("a|b", 0, '|'), -4);
  EXPECT_EQ(S(t), "x@3y");  // unchanged
  t = "x@2y";
  EXPECT_EQ(t.FillPlaceHolder("a||c", 0, '|'), -4);  // empty field
  EXPECT_EQ(t.FillPlaceHolder("a||c", 1, '|'), 0);
  EXPECT_EQ(S(t), "xy");
  t = "x@3y@0";
  EXPECT_EQ(t.FillPlaceHolder("a|b", 1, '|'), 0);
  EXPECT_EQ(S(t), "xy");

  t = "@12-@2";
  EXPECT_EQ(t.FillPlaceHolder("1,2,3,4,5,6,7,8,9,10,11,twelve", 0, ','), 0);
  EXPECT_EQ(S(t), "twelve-2");
}

}  // namespace
