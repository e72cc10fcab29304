// The day log: formatting, the open-on-first-use front end, the line writer with its flush policy, and
// the log commands. One process-wide state, guarded by one lock; every line is one write.
#include "foundation/Log.h"

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>

#include "foundation/DateTime.h"
#include "foundation/Log_platform.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"
#include "foundation/Txt_platform.h"

namespace {

constexpr int kFlushAfterLines = 20;    // a flush once more lines than this were written
constexpr int kFlushAfterSeconds = 11;  // or once this much time has passed since the last flush

struct LogState {
  // Recursive: the settings read inside the lock may themselves log.
  std::recursive_mutex lock;
  FILE* file = nullptr;
  std::string openPath;
  int linesSinceFlush = 0;
  std::time_t lastFlush = 0;
  bool flushOnEachKnown = false;
  bool flushOnEach = false;
  int showDate = -1;  // -1 not read yet
  int showTime = -1;
  bool started = false;  // the front end has decided about opening
  std::string folderOverride;
  char appLogPath[kLogPathMax + 1] = {0};  // what the main window opens
};

// Never destroyed: lines logged by static destructors at exit still find the state.
LogState& State() {
  static LogState* state = new LogState;
  return *state;
}

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}
LogStatusSink g_statusSink = nullptr;
void* g_statusContext = nullptr;
std::atomic<LogMessageBoxFunction> g_messageBox{nullptr};

LogStatusSink CurrentStatusSink(void*& context) {
  std::lock_guard<std::mutex> guard(HookLock());
  context = g_statusContext;
  return g_statusSink;
}

int ShowBox(const char* text, const char* caption, unsigned style) {
  LogMessageBoxFunction show = g_messageBox.load();
  return show ? show(text, caption, style) : log_platform::ShowMessageBox(text, caption, style);
}

bool ReadSysFlag(int& cache, const char* key) {
  if (cache < 0) cache = Settings::GetBool("SYS", key, true) ? 1 : 0;
  return cache == 1;
}

void Flush(LogState& s) {
  std::fflush(s.file);
  txt_platform::CommitToDisk(s.file);
  s.linesSinceFlush = 0;
  s.lastFlush = std::time(nullptr);
}

void CloseFile(LogState& s) {
  if (!s.file) return;
  Flush(s);
  std::fclose(s.file);
  s.file = nullptr;
}

std::string ComposeLine(LogState& s, const char* category, const char* text, int level) {
  const char levelChar = level <= 0 ? ' ' : static_cast<char>('a' + level - 1);
  CZELDateTime::Clock c = CZELDateTime::ReadLocalClock();
  char date[16] = "";
  if (ReadSysFlag(s.showDate, "LogShowDate"))
    std::snprintf(date, sizeof date, "%02d%02d%02d|", c.year % 100, c.month, c.day);
  char time[32];
  if (ReadSysFlag(s.showTime, "LogShowTime"))
    std::snprintf(time, sizeof time, "%02d:%02d:%02d.%03d%c|", c.hour, c.minute, c.second, c.millisecond,
                  levelChar);
  else
    std::snprintf(time, sizeof time, "%c|", levelChar);

  std::string body = text ? text : "";
  for (char& ch : body)
    if (ch == '\r' || ch == '\n') ch = '+';

  std::string line;
  if (category) {
    char head[20];
    std::snprintf(head, sizeof head, "%-*.*s|", 16, 16, category);
    line = std::string(head) + date + time + body;
  } else {
    line = std::string(time) + body;
  }
  line += "\r\n";
  return line;
}

int WriteLine(LogState& s, const char* category, const char* text, int level) {
  if (!s.file) return 0;
  std::string line = ComposeLine(s, category, text, level);
  std::fwrite(line.data(), 1, line.size(), s.file);  // write errors are ignored: the run goes on
  ++s.linesSinceFlush;
  std::time_t now = std::time(nullptr);
  if (!s.flushOnEachKnown) {
    s.flushOnEach = Settings::GetBool("SYS", "LogFileFlushOnEach", false);
    s.flushOnEachKnown = true;
    s.lastFlush = now;
  }
  if (s.flushOnEach || s.linesSinceFlush > kFlushAfterLines || now - s.lastFlush >= kFlushAfterSeconds)
    Flush(s);
  return static_cast<int>(line.size());
}

int OpenLog(LogState& s, const char* path, int truncate) {
  if (s.file) return -1;
  FILE* f = std::fopen(path ? path : "", truncate == 1 ? "wb" : "ab");
  if (!f) return -2;
  s.file = f;
  s.openPath = path;
  s.flushOnEachKnown = false;
  s.linesSinceFlush = 0;
  s.lastFlush = 0;
  std::string opening = "====== Opening " + s.openPath + " ======";
  WriteLine(s, "ACTION-INIT", opening.c_str(), kLogNormal);
  Flush(s);
  return 1;
}

// 0, or -1 when the copy failed (said in the log itself).
int CopyLog(LogState& s) {
  if (s.file) Flush(s);
  if (s.openPath.empty()) return 0;
  std::error_code ec;
  std::filesystem::copy_file(s.openPath, "LogCpy.tmp", std::filesystem::copy_options::overwrite_existing, ec);
  if (!ec) return 0;
  std::string failure = "Copy of " + s.openPath + " to LogCpy.tmp failed: " + ec.message();
  WriteLine(s, "ACTION-INIT", failure.c_str(), kLogNormal);
  return -1;
}

// The day's log file of this run: FOLDER/logs/YYYYMMDD/<program name in lower case>.log.
std::string DayLogPath(const LogState& s) {
  CTxt folder;
  if (!s.folderOverride.empty())
    folder = s.folderOverride.c_str();
  else
    Settings::GetAppFolder(folder);
  folder.MakeFn();
  CTxt program;
  CTxt::GetExeName(program, 2);
  program.MakeLower();
  CZELDateTime::Clock c = CZELDateTime::ReadLocalClock();
  CTxt day;
  day.Format("%s/logs/%04d%02d%02d", static_cast<const char*>(folder), c.year, c.month, c.day);
  std::error_code ec;
  std::filesystem::create_directories(static_cast<const char*>(day), ec);  // an existing folder is fine
  CTxt path;
  path.Format("%s/%s.log", static_cast<const char*>(day), static_cast<const char*>(program));
  return path.ToStd();
}

// Without a log the only places left to say so are the status line and the standard error.
void ReportUnopenedLog(const std::string& path, int error) {
  std::string text =
      "Cannot open the log file " + path + " (" + std::strerror(error) + "): nothing is logged";
  std::fprintf(stderr, "%s\n", text.c_str());
  void* context = nullptr;
  LogStatusSink sink = CurrentStatusSink(context);
  if (sink) sink(context, "Log", text.c_str(), kLogNormal);
}

void StartOnce(LogState& s) {
  if (s.started) return;
  s.started = true;
  if (!Settings::GetBool("RELEASE", "WriteLog", true)) {
    LogOutput("*CLOSE", "", 0);  // also a log opened before the first line: with WriteLog=NO none is kept
    return;
  }
  std::string path = DayLogPath(s);
  bool append = Settings::GetBool("SYS", "LogFileAppend", true);
  int opened = LogOutput("*OPENLOG", path.c_str(), append ? 0 : 1);
  std::snprintf(s.appLogPath, sizeof s.appLogPath, "%s", path.c_str());
  if (opened == -2) ReportUnopenedLog(path, errno);
}

bool IsCommand(const char* category, const char* name) {
  return category && category[0] == '*' && CompareNoCase(category, name, 1) == 0;
}

// Formats into a buffer of kLogTextMax characters; an overrun is shown in a box and the text kept cut.
int FormatBounded(std::string& out, const char* overrunCaption, const char* fmt, va_list args) {
  static thread_local char buffer[kLogTextMax + 1];
  int n = std::vsnprintf(buffer, sizeof buffer, fmt ? fmt : "", args);
  if (n < 1) return n;
  if (n > kLogTextMax) ShowBox(buffer, overrunCaption, kLogBoxErrorIcon);
  out.assign(buffer);
  return n;
}

}  // namespace

int LogTrace(const char* category, int level, const char* fmt, ...) {
  std::string text;
  va_list args;
  va_start(args, fmt);
  int n = FormatBounded(text, "LOGTRACE Buffer overrun!", fmt, args);
  va_end(args);
  if (n < 1) return n;
  return WriteLogLine(category, text.c_str(), level);
}

int WriteLogLine(const char* category, const char* text, int level) {
  LogState& s = State();
  {
    std::lock_guard<std::recursive_mutex> guard(s.lock);
    StartOnce(s);
  }
  void* context = nullptr;
  LogStatusSink sink = CurrentStatusSink(context);
  if (sink) sink(context, category, text, level);
  return LogOutput(category, text, level);
}

int LogOutput(const char* category, const char* text, int levelOrOption) {
  LogState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  if (IsCommand(category, "*OPENLOG")) return OpenLog(s, text, levelOrOption);
  if (IsCommand(category, "*FLUSH")) {
    if (s.file) Flush(s);
    return 0;
  }
  if (IsCommand(category, "*CLOSE")) {
    CloseFile(s);
    return 0;
  }
  if (IsCommand(category, "*COPY")) return CopyLog(s);
  return WriteLine(s, category, text, levelOrOption);
}

int LogBox(const char* caption, const char* fmt, ...) {
  std::string text;
  va_list args;
  va_start(args, fmt);
  int n = FormatBounded(text, "LOGBOX Buffer overrun!", fmt, args);
  va_end(args);
  if (n < 0) text.clear();
  std::string line = std::string(caption ? caption : "") + ": " + text;
  WriteLogLine("MessageBox", line.c_str(), kLogNormal);
  return ShowBox(text.c_str(), caption ? caption : "", kLogBoxPlain);
}

const char* GetLogPath() {
  return State().appLogPath;
}

void SetLogStatusSink(LogStatusSink sink, void* context) {
  std::lock_guard<std::mutex> guard(HookLock());
  g_statusSink = sink;
  g_statusContext = context;
}

void SetLogFolder(const char* folder) {
  LogState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  s.folderOverride = folder ? folder : "";
}

void SetLogMessageBox(LogMessageBoxFunction show) {
  g_messageBox.store(show);
}

void ResetLogForTests() {
  LogState& s = State();
  std::lock_guard<std::recursive_mutex> guard(s.lock);
  CloseFile(s);
  s.openPath.clear();
  s.started = false;
  s.showDate = -1;
  s.showTime = -1;
  s.flushOnEachKnown = false;
  s.appLogPath[0] = 0;
}
