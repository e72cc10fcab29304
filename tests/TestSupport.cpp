// Scratch folders and file helpers for the tests; identical behaviour natively and under Wine.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testsupport {
namespace {

std::string Slashed(std::string p) {
  for (char& c : p)
    if (c == '\\') c = '/';
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

fs::path& RunRoot() {
  static fs::path root;
  return root;
}

// Constructing the root first makes it outlive the cleaner (statics die in reverse order).
struct RootCleaner {
  RootCleaner() { RunRoot(); }
  ~RootCleaner() {
    std::error_code ec;
    if (!RunRoot().empty()) fs::remove_all(RunRoot(), ec);
  }
} cleaner;

}  // namespace

std::string ScratchFolder() {
  static std::atomic<int> counter{0};
  if (RunRoot().empty()) {
    // Unique per run: a clock reading and the address of a stack object (randomised per process).
    int local = 0;
    std::ostringstream name;
    name << "tavrin-test-" << std::hex << std::chrono::steady_clock::now().time_since_epoch().count() << "-"
         << (reinterpret_cast<uintptr_t>(&local) & 0xFFFFFF);
    RunRoot() = fs::temp_directory_path() / name.str();
    fs::create_directories(RunRoot());
  }
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string stem = info ? std::string(info->test_suite_name()) + "." + info->name() : "global";
  for (char& c : stem)
    if (c == '/') c = '_';
  fs::path dir = RunRoot() / (stem + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  return Slashed(dir.string());
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::string DataFolder() {
  return Slashed(TAVRIN_TEST_DATA);
}

}  // namespace testsupport
