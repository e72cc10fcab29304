// Fuzz target: the line and field readers: text and file lines (plain, buffered, CSV), fields split at a
// delimiter, and the field functions strfld and CountFields. The first bytes choose the delimiter and the
// field numbers; the rest is the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

namespace {

// strfld into a small fixed buffer and into a CTxt must agree, and never write past outSize.
void CheckFields(const char* text, char delim, int first, int last) {
  char out[24];
  std::memset(out, 'x', sizeof out);
  int n = strfld(text, delim, first, last, out, 16);
  if (n > 15) std::abort();
  if (n >= 0 && out[n] != 0) std::abort();
  for (size_t i = 16; i < sizeof out; ++i)
    if (out[i] != 'x') std::abort();
  CTxt field;
  int m = strfld(text, delim, first, last, field);
  if (n >= 0 && m >= 0 && std::strncmp(out, field, static_cast<size_t>(n)) != 0) std::abort();
  GetFieldInt(text, delim, first);
  GetFieldFloat(text, delim, last);
}

void ReadFileForms(const std::string& path, const std::string& text) {
  fuzzsupport::PutFile(path, text);
  CTxt msg;
  CTxtArray lines;
  // The file is in memory: every reader finds it.
  int all = lines.LoadFromFile(path.c_str(), msg, 1);
  int withoutLast = lines.LoadFromFile(path.c_str(), msg, 0);
  if (all < 1 || withoutLast < 0 || withoutLast > all) std::abort();
  int buffered = lines.LoadFromFileBuf(path.c_str(), msg, 0);
  if (buffered < 0) std::abort();
  if (lines.LoadFromFileBuf(path.c_str(), msg, 3) > 3) std::abort();
  if (lines.LoadFromCSV(path.c_str(), msg) != buffered) std::abort();
  CTxt whole;
  int length = whole.LoadFromFile(path.c_str());
  if (length != static_cast<int>(text.size())) std::abort();  // every byte, NULs too
  fuzzsupport::ClearFiles();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzsupport::ProgramFolder() + "/Lines.txt";
  fuzzsupport::Input input(data, size);
  char delim = static_cast<char>(input.Byte());
  int first = static_cast<int8_t>(input.Byte());
  int last = static_cast<int8_t>(input.Byte());
  std::string text = input.Rest();
  const char* t = text.c_str();

  CTxtArray lines;
  lines.LoadFromTxt(t);
  lines.LoadFromFields(t, delim, 1);
  CTxt value;
  lines.FindValue("key", value);
  lines.Sort();
  int fields = CountFields(t, delim);
  if (fields < 0) std::abort();
  CheckFields(t, delim, first, last);
  CheckFields(t, delim, 99, 0);
  CheckFields(t, delim, -99, 0);
  ReadFileForms(path, text);
  return 0;
}
