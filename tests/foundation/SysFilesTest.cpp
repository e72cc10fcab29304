// The portable file utilities: copy, move, delete, folder paths, file status, free disk space and the
// plain-buffer separator rules. Runs natively and under Wine with the same expectations.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <ctime>
#include <string>

#include "TestSupport.h"
#include "foundation/SysUtil.h"
#include "foundation/Txt.h"

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::ScratchFolder;
using testsupport::WriteFile;

namespace {

// Content larger than the copy buffer, with every byte value (CR, LF and NUL included).
std::string LargeContent() {
  std::string bytes;
  for (int i = 0; i < 150000; ++i) bytes += static_cast<char>((i * 7 + i / 256) & 0xFF);
  return bytes;
}

}  // namespace

TEST(CopyFileToTest, CopiesEveryByteAcrossTheBufferAndReplacesTheTarget) {
  std::string dir = ScratchFolder();
  std::string source = WriteFile(dir + "/source.bin", LargeContent());
  std::string target = WriteFile(dir + "/target.bin", std::string(200000, 'x'));
  ASSERT_EQ(0, CopyFileTo(source.c_str(), target.c_str()));
  EXPECT_EQ(LargeContent(), ReadFile(target));
  EXPECT_EQ(LargeContent(), ReadFile(source));
}

TEST(CopyFileToTest, CopyOntoItselfChangesNothing) {
  std::string dir = ScratchFolder();
  std::string file = WriteFile(dir + "/Same.txt", "keep me");
  EXPECT_EQ(0, CopyFileTo(file.c_str(), (dir + "/SAME.TXT").c_str()));
  EXPECT_EQ(0, CopyFileTo(file.c_str(), (dir + "/./Same.txt").c_str()));
  EXPECT_EQ("keep me", ReadFile(file));
}

TEST(CopyFileToTest, ReportsMissingSourceAndUnopenableTarget) {
  std::string dir = ScratchFolder();
  std::string target = WriteFile(dir + "/target.txt", "old");
  EXPECT_EQ(-1, CopyFileTo((dir + "/missing.txt").c_str(), target.c_str()));
  EXPECT_EQ("old", ReadFile(target));
  std::string source = WriteFile(dir + "/source.txt", "new");
  EXPECT_EQ(-5, CopyFileTo(source.c_str(), (dir + "/no/such/folder/t.txt").c_str()));
}

TEST(MoveFileToTest, MovesAndReplaces) {
  std::string dir = ScratchFolder();
  std::string from = WriteFile(dir + "/from.txt", "moved text");
  std::string to = WriteFile(dir + "/to.txt", "replaced");
  ASSERT_EQ(0, MoveFileTo(from.c_str(), to.c_str()));
  EXPECT_FALSE(FileExists(from));
  EXPECT_EQ("moved text", ReadFile(to));
}

TEST(MoveFileToTest, MissingSourceLeavesTheTargetAlone) {
  std::string dir = ScratchFolder();
  std::string to = WriteFile(dir + "/to.txt", "precious");
  EXPECT_EQ(-1, MoveFileTo((dir + "/missing.txt").c_str(), to.c_str()));
  EXPECT_EQ("precious", ReadFile(to));
}

TEST(MoveFileToTest, MoveOntoItselfKeepsTheFile) {
  std::string dir = ScratchFolder();
  std::string file = WriteFile(dir + "/self.txt", "still here");
  EXPECT_EQ(0, MoveFileTo(file.c_str(), (dir + "/SELF.txt").c_str()));
  EXPECT_EQ("still here", ReadFile(file));
}

TEST(DeleteFileForcedTest, DeletesReadOnlyFilesAndReportsMissingOnes) {
  std::string dir = ScratchFolder();
  EXPECT_EQ(1, DeleteFileForced((dir + "/missing.txt").c_str(), 1));
  std::string plain = WriteFile(dir + "/plain.txt", "x");
  EXPECT_EQ(0, DeleteFileForced(plain.c_str(), 0));
  EXPECT_FALSE(FileExists(plain));
  std::string locked = WriteFile(dir + "/locked.txt", "x");
  ASSERT_EQ(0, chmod(locked.c_str(), 0444));
  EXPECT_EQ(0, DeleteFileForced(locked.c_str(), 1));
  EXPECT_FALSE(FileExists(locked));
}

TEST(CreateFolderPathTest, CreatesEveryLevelAndAcceptsExistingOnes) {
  std::string dir = ScratchFolder();
  std::string deep = dir + "/a/b/c";
  ASSERT_EQ(0, CreateFolderPath(deep.c_str(), 0));
  EXPECT_EQ(1, IsFolder(deep.c_str()));
  EXPECT_EQ(0, CreateFolderPath((deep + "/").c_str(), 0));
}

TEST(CreateFolderPathTest, LastComponentCanBeAFileName) {
  std::string dir = ScratchFolder();
  ASSERT_EQ(0, CreateFolderPath((dir + "/x/y/report.csv").c_str(), 1));
  EXPECT_EQ(1, IsFolder((dir + "/x/y").c_str()));
  EXPECT_EQ(-2, IsFolder((dir + "/x/y/report.csv").c_str()));
}

TEST(CreateFolderPathTest, AFileInTheWayIsAnError) {
  std::string dir = ScratchFolder();
  WriteFile(dir + "/blocker", "a file, not a folder");
  EXPECT_LT(CreateFolderPath((dir + "/blocker/sub").c_str(), 0), 0);
  EXPECT_EQ(0, IsFolder((dir + "/blocker").c_str()));
}

TEST(FileStatusTest, FolderSizeAndTimeOfFiles) {
  std::string dir = ScratchFolder();
  std::string file = WriteFile(dir + "/f.txt", std::string(12345, 'z'));
  EXPECT_EQ(1, IsFolder(dir.c_str()));
  EXPECT_EQ(0, IsFolder(file.c_str()));
  EXPECT_EQ(-1, IsFolder(""));
  EXPECT_EQ(-2, IsFolder((dir + "/missing").c_str()));
  EXPECT_EQ(12345, FileSizeOf(file.c_str()));
  EXPECT_EQ(-1, FileSizeOf((dir + "/missing").c_str()));
  EXPECT_EQ(-2, FileSizeOf(""));
  int64_t now = static_cast<int64_t>(time(nullptr));
  EXPECT_NEAR(static_cast<double>(now), static_cast<double>(FileModTime(file.c_str())), 60.0);
  EXPECT_EQ(0, FileModTime("NUL"));
  EXPECT_EQ(0, FileModTime("nul"));
  EXPECT_EQ(-1, FileModTime((dir + "/missing").c_str()));
}

TEST(GetDiskFreeTest, UnitsAndDriveNamesAgree) {
  double bytes = GetDiskFree(3, 'B');
  ASSERT_GT(bytes, 0);
  double gigabytes = GetDiskFree(3, 'G');
  double megabytes = GetDiskFree('C', 'M');
  // Free space moves while the test runs: compare with a tolerance of 1%.
  EXPECT_NEAR(bytes / (1024.0 * 1024 * 1024), gigabytes, gigabytes * 0.01 + 0.01);
  EXPECT_NEAR(gigabytes * 1024, megabytes, megabytes * 0.01 + 1);
  EXPECT_NEAR(GetDiskFree('c', 'G'), gigabytes, gigabytes * 0.01 + 0.01);
}

TEST(GetDiskFreeTest, RejectsBadDrives) {
  EXPECT_EQ(-1, GetDiskFree(0, 'G'));
  EXPECT_EQ(-1, GetDiskFree(27, 'G'));
  EXPECT_EQ(-1, GetDiskFree('1', 'G'));
}

TEST(SeparatorCharsTest, FollowTheTextBufferRules) {
  const char* samples[] = {
      "C:\\data\\file.csv", "\\\\server\\share\\dir\\", "a/b//", "C:/x\\y/", "plain", "", "\\", "dir\\\\"};
  for (const char* sample : samples) {
    std::string chars = sample;
    chars.resize(chars.size() + 1);
    int n = MakeFnChars(&chars[0]);
    CTxt txt(sample);
    txt.MakeFn();
    EXPECT_EQ(txt.ToStd(), std::string(chars.c_str())) << sample;
    EXPECT_EQ(txt.GetLength(), n) << sample;
    std::string dos = sample;
    dos.resize(dos.size() + 1);
    n = MakeFnDOSChars(&dos[0]);
    CTxt txtDos(sample);
    txtDos.MakeFnDOS();
    EXPECT_EQ(txtDos.ToStd(), std::string(dos.c_str())) << sample;
    EXPECT_EQ(txtDos.GetLength(), n) << sample;
  }
}

TEST(TextToBoolTest, WordsAndNumbers) {
  for (const char* yes : {"Y", "yes", "True", "ON", "1", "7", "0.5"}) EXPECT_EQ(1, TextToBool(yes)) << yes;
  for (const char* no : {"N", "NO", "false", "off", "0", "-3", "", "YESNO"})
    EXPECT_EQ(0, TextToBool(no)) << no;
  EXPECT_EQ(0, TextToBool(nullptr));
}
