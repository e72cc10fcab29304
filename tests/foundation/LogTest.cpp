// The day log: file place and name, the line layout, the settings that shape it, the commands, the flush
// policy, the hooks, and lines of two threads that never mix.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace fs = std::filesystem;

namespace {

// Every line that any test of this program logs goes to a temporary folder, not beside the program.
std::string& ProgramLogFolder() {
  static std::string folder;
  return folder;
}

class LogFolderForTheTestProgram : public testing::Environment {
 public:
  void SetUp() override {
    fs::path dir =
        fs::temp_directory_path() /
        ("tavrin-test-log-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    ProgramLogFolder() = dir.generic_string();
    SetLogFolder(ProgramLogFolder().c_str());
  }
  void TearDown() override {
    ResetLogForTests();
    SetLogFolder(nullptr);
    std::error_code ec;
    fs::remove_all(ProgramLogFolder(), ec);
  }
};
testing::Environment* const g_logEnvironment =
    testing::AddGlobalTestEnvironment(new LogFolderForTheTestProgram);

std::vector<std::string> SplitLines(const std::string& all) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(all.substr(start));  // a last line without its CR LF: the checks below catch it
      break;
    }
    lines.push_back(all.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// One line of the full layout: 16-character category, '|', YYMMDD, '|', hh:mm:ss.mmm, level, '|', text.
struct LogLine {
  std::string category, date, time;
  char level = '?';
  std::string text;
};

bool Digits(const std::string& s, size_t from, size_t count) {
  for (size_t i = from; i < from + count; ++i)
    if (i >= s.size() || s[i] < '0' || s[i] > '9') return false;
  return true;
}

// Read by hand: the texts run to 10,000 characters, too long for a backtracking regular expression.
bool ParseFullLine(const std::string& line, LogLine& out) {
  if (line.size() < 38 || line[16] != '|' || !Digits(line, 17, 6) || line[23] != '|') return false;
  if (!Digits(line, 24, 2) || line[26] != ':' || !Digits(line, 27, 2) || line[29] != ':' ||
      !Digits(line, 30, 2) || line[32] != '.' || !Digits(line, 33, 3) || line[37] != '|')
    return false;
  out.category = line.substr(0, 16);
  out.date = line.substr(17, 6);
  out.time = line.substr(24, 12);
  out.level = line[36];
  out.text = line.substr(38);
  return true;
}

std::string Padded16(const std::string& category) {
  std::string c = category.substr(0, 16);
  c.resize(16, ' ');
  return c;
}

struct CapturedBox {
  int calls = 0;
  std::string text, caption;
  unsigned style = 0;
};
CapturedBox g_box;
int CaptureBox(const char* text, const char* caption, unsigned style) {
  ++g_box.calls;
  g_box.text = text;
  g_box.caption = caption;
  g_box.style = style;
  return 7;  // IDNO: shows that the button is passed through
}

class LogFile : public testing::Test {
 protected:
  void SetUp() override {
    m_folder = testsupport::ScratchFolder();
    // Under Wine a scratch folder of an earlier run may come back with the same name: start it empty.
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(m_folder, ec)) fs::remove_all(e.path(), ec);
    Settings::OverrideAppFolder(m_folder.c_str());
    SetLogFolder(nullptr);
    ResetLogForTests();
    g_box = CapturedBox();
  }
  void TearDown() override {
    ResetLogForTests();
    Settings::OverrideAppFolder(nullptr);
    SetLogFolder(ProgramLogFolder().c_str());
    SetLogMessageBox(nullptr);
    SetLogStatusSink(nullptr, nullptr);
  }

  static void Set(const char* section, const char* key, bool value) {
    Settings::WriteBool(section, key, value);
  }

  // Today's file under the program folder; the day is read before and after the lines were logged.
  std::string DayFile(int yyyymmdd) const {
    CTxt program;
    CTxt::GetExeName(program, 2);
    program.MakeLower();
    return m_folder + "/logs/" + std::to_string(yyyymmdd) + "/" + program.ToStd() + ".log";
  }
  static int Today() {
    CZELDateTime now;
    now.SetNow();
    return now.GetDate();
  }

  // The lines on disk now (the log may still be open).
  std::vector<std::string> DiskLines() const { return SplitLines(testsupport::ReadFile(GetLogPath())); }
  std::vector<std::string> ClosedLines() const {
    LogOutput("*CLOSE", nullptr, 0);
    return DiskLines();
  }

  std::string m_folder;
};

// --- Place, name and layout -------------------------------------------------------------------------------

TEST_F(LogFile, OpensTheDayFileUnderTheProgramFolder) {
  int before = Today();
  EXPECT_GT(LogTrace("Tavrin", kLogNormal, "hello %d", 5), 0);
  int after = Today();
  std::string path = GetLogPath();
  EXPECT_TRUE(path == DayFile(before) || path == DayFile(after)) << path;
  ASSERT_TRUE(testsupport::FileExists(path));

  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  LogLine opening, hello;
  ASSERT_TRUE(ParseFullLine(lines[0], opening)) << lines[0];
  EXPECT_EQ("ACTION-INIT     ", opening.category);
  EXPECT_EQ("====== Opening " + path + " ======", opening.text);
  ASSERT_TRUE(ParseFullLine(lines[1], hello)) << lines[1];
  EXPECT_EQ("Tavrin          ", hello.category);
  EXPECT_EQ(' ', hello.level);
  EXPECT_EQ("hello 5", hello.text);
  EXPECT_TRUE(hello.date == std::to_string(before).substr(2) ||
              hello.date == std::to_string(after).substr(2));
}

TEST_F(LogFile, CategoryIsPaddedOrCutToSixteen) {
  const std::vector<std::string> categories = {
      "", "A", "RemoteTS", "ExactlySixteen16", "SeventeenChars-17", "AVeryLongCategoryNameIndeed"};
  for (const std::string& c : categories) LogTrace(c.c_str(), kLogNormal, "text of %s", c.c_str());
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(categories.size() + 1, lines.size());
  for (size_t i = 0; i < categories.size(); ++i) {
    const std::string& line = lines[i + 1];
    ASSERT_GT(line.size(), 17u);
    EXPECT_EQ('|', line[16]) << line;
    EXPECT_EQ(Padded16(categories[i]), line.substr(0, 16));
    LogLine parsed;
    ASSERT_TRUE(ParseFullLine(line, parsed)) << line;
    EXPECT_EQ("text of " + categories[i], parsed.text);
  }
}

TEST_F(LogFile, LevelLetters) {
  const std::vector<std::pair<int, char>> levels = {{-3, ' '}, {0, ' '}, {1, 'a'}, {2, 'b'}, {12, 'l'}};
  for (const auto& l : levels) LogTrace("Level", l.first, "level %d", l.first);
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(levels.size() + 1, lines.size());
  for (size_t i = 0; i < levels.size(); ++i) {
    LogLine parsed;
    ASSERT_TRUE(ParseFullLine(lines[i + 1], parsed)) << lines[i + 1];
    EXPECT_EQ(levels[i].second, parsed.level) << levels[i].first;
  }
}

TEST_F(LogFile, LineEndsInTheTextBecomePlus) {
  LogTrace("Multi", kLogNormal, "first\r\nsecond\nthird\r");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  LogLine parsed;
  ASSERT_TRUE(ParseFullLine(lines[1], parsed)) << lines[1];
  EXPECT_EQ("first++second+third+", parsed.text);
  // Every line on disk ends in CR LF and holds no other line end.
  std::string all = testsupport::ReadFile(GetLogPath());
  EXPECT_EQ("\r\n", all.substr(all.size() - 2));
  for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find_first_of("\r\n"));
}

TEST_F(LogFile, NullCategoryHasNoCategoryAndNoDate) {
  LogTrace(nullptr, 2, "bare %s", "line");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(^\d\d:\d\d:\d\d\.\d{3}b\|bare line$)"))) << lines[1];
}

TEST_F(LogFile, WithoutTimeOnlyTheLevelColumnRemains) {
  Set("SYS", "LogShowTime", false);
  LogTrace("NoTime", 0, "zero");
  LogTrace("NoTime", 2, "two");
  LogTrace(nullptr, 1, "bare");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(4u, lines.size());
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(^NoTime          \|\d{6}\| \|zero$)"))) << lines[1];
  EXPECT_TRUE(std::regex_match(lines[2], std::regex(R"(^NoTime          \|\d{6}\|b\|two$)"))) << lines[2];
  EXPECT_EQ("a|bare", lines[3]);
}

TEST_F(LogFile, WithoutDateTheTimeFollowsTheCategory) {
  Set("SYS", "LogShowDate", false);
  LogTrace("NoDate", 1, "text");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_TRUE(std::regex_match(lines[1], std::regex(R"(^NoDate          \|\d\d:\d\d:\d\d\.\d{3}a\|text$)")))
      << lines[1];
}

TEST_F(LogFile, ShowSettingsAreReadOnceAtTheFirstLine) {
  Set("SYS", "LogShowTime", true);
  LogTrace("Once", 0, "with time");
  Set("SYS", "LogShowTime", false);
  LogTrace("Once", 0, "still with time");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(3u, lines.size());
  LogLine parsed;
  EXPECT_TRUE(ParseFullLine(lines[2], parsed)) << lines[2];
}

// --- Opening, appending and the commands ------------------------------------------------------------------

TEST_F(LogFile, WriteLogNoCreatesNothingAndDropsLines) {
  Set("RELEASE", "WriteLog", false);
  EXPECT_EQ(0, LogTrace("Dropped", 0, "nothing"));
  EXPECT_EQ(0, LogTrace("Dropped", 0, "at all"));
  EXPECT_STREQ("", GetLogPath());
  EXPECT_FALSE(testsupport::FileExists(m_folder + "/logs"));
}

// With WriteLog=NO a log opened before the first line is closed too, not left writing.
TEST_F(LogFile, WriteLogNoClosesALogOpenedBeforeTheFirstLine) {
  Set("RELEASE", "WriteLog", false);
  std::string path = m_folder + "/early.log";
  ASSERT_EQ(1, LogOutput("*OPENLOG", path.c_str(), 1));
  EXPECT_EQ(0, LogTrace("Dropped", 0, "after the decision"));
  EXPECT_EQ(std::string::npos, testsupport::ReadFile(path).find("after the decision"));
}

// A day log that cannot be opened is said on the status line (and the standard error), not kept silent.
TEST_F(LogFile, AnUnopenableDayLogIsReportedOnTheStatusLine) {
  testsupport::WriteFile(m_folder + "/logs", "a file where the log folder belongs");
  std::vector<std::string> seen;
  SetLogStatusSink(
      [](void* context, const char* category, const char* text, int) {
        static_cast<std::vector<std::string>*>(context)->push_back(std::string(category) + "|" + text);
      },
      &seen);
  EXPECT_EQ(0, LogTrace("Lost", 0, "no log"));
  SetLogStatusSink(nullptr, nullptr);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(0u, seen[0].rfind("Log|Cannot open the log file " + m_folder + "/logs/", 0)) << seen[0];
}

TEST_F(LogFile, AppendKeepsTheDaysEarlierLines) {
  std::string path = DayFile(Today());
  fs::create_directories(fs::path(path).parent_path());
  testsupport::WriteFile(path, "earlier line\r\n");
  LogTrace("Append", 0, "later line");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("earlier line", lines[0]);
  EXPECT_NE(std::string::npos, lines[1].find("====== Opening "));
}

TEST_F(LogFile, AppendNoStartsTheFileEmpty) {
  Set("SYS", "LogFileAppend", false);
  std::string path = DayFile(Today());
  fs::create_directories(fs::path(path).parent_path());
  testsupport::WriteFile(path, "earlier line\r\n");
  LogTrace("Fresh", 0, "only line");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("====== Opening "));
}

TEST_F(LogFile, SecondOpenIsRefusedAndChangesNothing) {
  LogTrace("First", 0, "line one");
  std::string other = m_folder + "/other.log";
  EXPECT_EQ(-1, LogOutput("*OPENLOG", other.c_str(), 1));
  EXPECT_EQ(-1, LogOutput("*openlog", other.c_str(), 0));  // commands ignore case
  EXPECT_FALSE(testsupport::FileExists(other));
  LogTrace("First", 0, "line two");
  EXPECT_EQ(3u, ClosedLines().size());
}

TEST_F(LogFile, ExplicitOpenAndItsFailure) {
  EXPECT_EQ(-2, LogOutput("*OPENLOG", (m_folder + "/no/such/folder/x.log").c_str(), 1));
  EXPECT_EQ(0, LogOutput("Cat", "dropped", 0));
  std::string path = m_folder + "/explicit.log";
  EXPECT_EQ(1, LogOutput("*OPENLOG", path.c_str(), 1));
  EXPECT_GT(LogOutput("Cat", "kept", 0), 0);
  LogOutput("*CLOSE", nullptr, 0);
  std::vector<std::string> lines = SplitLines(testsupport::ReadFile(path));
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find("====== Opening " + path + " ======"));
}

TEST_F(LogFile, ClosedLogIsNotReopenedByLaterLines) {
  LogTrace("Close", 0, "before");
  EXPECT_EQ(0, LogOutput("*CLOSE", nullptr, 0));
  EXPECT_EQ(0, LogTrace("Close", 0, "after"));
  EXPECT_EQ(0, LogOutput("*FLUSH", nullptr, 0));
  EXPECT_EQ(2u, DiskLines().size());
}

TEST_F(LogFile, OtherStarCategoriesAreOrdinary) {
  LogTrace("*CLOSELOG", 0, "not a command");
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ(Padded16("*CLOSELOG"), lines[1].substr(0, 16));
}

TEST_F(LogFile, CopyGoesToTheCurrentFolder) {
  LogTrace("Copy", 0, "copied line");
  fs::path previous = fs::current_path();
  fs::current_path(m_folder);
  EXPECT_EQ(0, LogOutput("*COPY", nullptr, 0));
  fs::current_path(previous);
  std::string copy = testsupport::ReadFile(m_folder + "/LogCpy.tmp");
  EXPECT_EQ(testsupport::ReadFile(GetLogPath()), copy);
  EXPECT_NE(std::string::npos, copy.find("copied line"));

  // A copy that cannot be made (a folder stands where the copy goes) fails and says so in the log.
  fs::create_directories(m_folder + "/blocked/LogCpy.tmp");
  fs::current_path(m_folder + "/blocked");
  EXPECT_EQ(-1, LogOutput("*COPY", nullptr, 0));
  fs::current_path(previous);
  LogOutput("*FLUSH", nullptr, 0);
  EXPECT_NE(std::string::npos, testsupport::ReadFile(GetLogPath()).find("to LogCpy.tmp failed: "));
}

// --- Flushing -------------------------------------------------------------------------------------------

TEST_F(LogFile, FlushesAfterMoreThanTwentyLines) {
  LogTrace("Flush", 0, "line 1");
  ASSERT_EQ(1u, DiskLines().size());  // the opening line is flushed at once, the first line waits
  for (int i = 2; i <= 20; ++i) LogTrace("Flush", 0, "line %d", i);
  EXPECT_EQ(1u, DiskLines().size());
  LogTrace("Flush", 0, "line 21");
  EXPECT_EQ(22u, DiskLines().size());
  LogTrace("Flush", 0, "line 22");
  EXPECT_EQ(22u, DiskLines().size());
  LogOutput("*FLUSH", nullptr, 0);
  EXPECT_EQ(23u, DiskLines().size());
}

TEST_F(LogFile, FlushOnEachWritesEveryLineThrough) {
  Set("SYS", "LogFileFlushOnEach", true);
  for (int i = 1; i <= 3; ++i) {
    LogTrace("Each", 0, "line %d", i);
    EXPECT_EQ(static_cast<size_t>(i + 1), DiskLines().size());
  }
}

// --- Formatting, boxes and hooks -------------------------------------------------------------------------

TEST_F(LogFile, EmptyTextWritesNothing) {
  LogTrace("Start", 0, "x");
  EXPECT_EQ(0, LogTrace("Empty", 0, "%s", ""));
  EXPECT_EQ(2u, ClosedLines().size());
}

TEST_F(LogFile, OverrunIsReportedAndLoggedCut) {
  SetLogMessageBox(&CaptureBox);
  std::string longText(kLogTextMax + 50, 'x');
  EXPECT_GT(LogTrace("Long", 0, "%s", longText.c_str()), 0);
  EXPECT_EQ(1, g_box.calls);
  EXPECT_EQ("LOGTRACE Buffer overrun!", g_box.caption);
  EXPECT_EQ(kLogBoxErrorIcon, g_box.style & kLogBoxErrorIcon);
  EXPECT_EQ(static_cast<size_t>(kLogTextMax), g_box.text.size());
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  LogLine parsed;
  ASSERT_TRUE(ParseFullLine(lines[1], parsed));
  EXPECT_EQ(std::string(kLogTextMax, 'x'), parsed.text);
  // A text of exactly the buffer's size is no overrun.
  ResetLogForTests();
  LogTrace("Long", 0, "%s", std::string(kLogTextMax, 'y').c_str());
  EXPECT_EQ(1, g_box.calls);
}

TEST_F(LogFile, LogBoxLogsThenShows) {
  SetLogMessageBox(&CaptureBox);
  EXPECT_EQ(7, LogBox("Tavrin", "Run %d finished", 3));
  EXPECT_EQ("Tavrin", g_box.caption);
  EXPECT_EQ("Run 3 finished", g_box.text);
  EXPECT_EQ(kLogBoxPlain, g_box.style);
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u, lines.size());
  LogLine parsed;
  ASSERT_TRUE(ParseFullLine(lines[1], parsed));
  EXPECT_EQ("MessageBox      ", parsed.category);
  EXPECT_EQ("Tavrin: Run 3 finished", parsed.text);
}

#if !defined(_WIN32)
TEST_F(LogFile, LogBoxNativelyOnlyLogs) {
  EXPECT_EQ(kLogBoxOk, LogBox("Caption", "text"));
  EXPECT_EQ(2u, ClosedLines().size());
}
#endif

TEST_F(LogFile, StatusSinkReceivesEveryLineEvenWithoutALog) {
  Set("RELEASE", "WriteLog", false);
  std::vector<std::string> seen;
  SetLogStatusSink(
      [](void* context, const char* category, const char* text, int level) {
        static_cast<std::vector<std::string>*>(context)->push_back(
            std::string(category ? category : "(null)") + "|" + text + "|" + std::to_string(level));
      },
      &seen);
  LogTrace("Tavrin", 1, "status %d", 1);
  LogTrace(nullptr, 0, "status 2");
  SetLogStatusSink(nullptr, nullptr);
  LogTrace("Tavrin", 0, "not seen");
  EXPECT_EQ((std::vector<std::string>{"Tavrin|status 1|1", "(null)|status 2|0"}), seen);
}

// --- Two threads
// ----------------------------------------------------------------------------------------------

// Two threads log thousands of lines of different lengths at once; reading the file back finds every line
// whole, in order per thread, with the category in columns 1-16 and '|' in column 17.
TEST_F(LogFile, LinesOfTwoThreadsNeverMix) {
  constexpr int kLines = 5000;
  const std::string categories[2] = {"Worker", "UserInterfaceThread"};  // the second is cut
  auto writer = [&](int t) {
    const char fill = t == 0 ? 'w' : 'u';
    for (int i = 0; i < kLines; ++i)
      LogTrace(categories[t].c_str(), t, "#%d %s end", i, std::string(i % 300, fill).c_str());
  };
  LogTrace("Start", 0, "two threads");
  std::thread a(writer, 0), b(writer, 1);
  a.join();
  b.join();
  std::vector<std::string> lines = ClosedLines();
  ASSERT_EQ(2u + 2 * kLines, lines.size());

  int next[2] = {0, 0};
  for (size_t n = 2; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    ASSERT_GT(line.size(), 17u) << n;
    ASSERT_EQ('|', line[16]) << line;
    LogLine parsed;
    ASSERT_TRUE(ParseFullLine(line, parsed)) << line;
    int t = parsed.category == Padded16(categories[0]) ? 0 : 1;
    ASSERT_EQ(Padded16(categories[t]), parsed.category) << line;
    ASSERT_EQ(t == 0 ? ' ' : 'a', parsed.level) << line;
    // "#<n> <fill> end" with exactly n % 300 fill characters of this thread.
    std::string expected =
        "#" + std::to_string(next[t]) + " " + std::string(next[t] % 300, t == 0 ? 'w' : 'u') + " end";
    ASSERT_EQ(expected, parsed.text) << line;
    ++next[t];
  }
  EXPECT_EQ(kLines, next[0]);
  EXPECT_EQ(kLines, next[1]);
}

}  // namespace
