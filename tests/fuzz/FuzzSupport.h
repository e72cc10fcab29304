// What every fuzz target shares: a private program folder with quiet settings, in-memory input files for
// the readers that only take a path, and the small input helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzsupport {

// Once per process: the settings store pointed at a program folder that exists only as its in-memory
// settings file (day log off, the readers' options in normal form). Returns the folder ('/' separators).
const std::string& ProgramFolder();
// A real, empty folder of this process on disk (removed at exit), for what must exist there.
const std::string& ScratchFolder();

// The input as a text (cut at nothing: NUL bytes stay inside, the std::string is what the reader sees).
std::string Text(const uint8_t* data, size_t size);

// Splits the input into at most maxParts texts at the separator line "\n--\n" (see the dictionaries), so
// that one input can carry several files (a definition, its symbol list, its skip list).
std::vector<std::string> SplitParts(const std::string& input, size_t maxParts);

// Registers content as the in-memory file path (the whole-file reader answers with it instead of the disk).
void PutFile(const std::string& path, const std::string& content);
// Forgets every in-memory file but the settings file; each target calls it at the end of an input.
void ClearFiles();

// A consumable view of the input for targets that draw small choices (a delimiter, a field number) first.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  int Byte();  // the next byte, 0 when the input is used up
  std::string Rest();

 private:
  const uint8_t* m_data;
  size_t m_size;
};

}  // namespace fuzzsupport
