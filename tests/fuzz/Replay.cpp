// Replays every file of the given corpus folders through the target's LLVMFuzzerTestOneInput, without
// libFuzzer: the ordinary (and sanitizer) builds run the checked-in corpora and reproducers as a test.
// A crash or sanitizer report ends the program; an argument that is no folder with files is a failure,
// so that a moved corpus cannot make the test pass by replaying nothing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesOf(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder, ec))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER...\n", argv[0]);
    return 2;
  }
  size_t total = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<fs::path> files = FilesOf(argv[i]);
    if (files.empty()) {
      std::fprintf(stderr, "no inputs in %s\n", argv[i]);
      return 1;
    }
    for (const fs::path& file : files) {
      // Named before it runs: a crash or an abort shows which input it was.
      std::fprintf(stderr, "%s\n", file.generic_string().c_str());
      std::fflush(stderr);
      std::string bytes = Bytes(file);
      // A copy of exactly the file's size, so that the sanitizers see a read past the input's end.
      std::vector<uint8_t> input(bytes.begin(), bytes.end());
      static const uint8_t kNoByte = 0;
      LLVMFuzzerTestOneInput(input.empty() ? &kNoByte : input.data(), input.size());
    }
    total += files.size();
  }
  std::printf("replayed %zu inputs\n", total);
  return 0;
}
