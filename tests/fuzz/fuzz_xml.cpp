// Fuzz target: an XML document read by the streaming reader CXML (every event and getter) and into a
// document tree.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "foundation/Xml.h"

namespace {

// Touches what a configuration reader asks at each event, so that a dangling or unterminated text shows.
int OnEvent(CXML* reader, void* context) {
  size_t& seen = *static_cast<size_t*>(context);
  seen += std::strlen(reader->GetAttrID()) + std::strlen(reader->GetAttrTxt());
  const char* tag = reader->GetCurrTag();
  if (tag) seen += std::strlen(tag);
  if (reader->GetDepth() < 0 || reader->GetDepth() > kXmlMaxDepth) std::abort();
  return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::ProgramFolder();
  std::string text = fuzzsupport::Text(data, size);

  CXML reader;
  reader.SetFlg(kXmlFlagSourceIsText);
  size_t seen = 0;
  int result = reader.LoadFile(text.c_str(), OnEvent, &seen);
  // A failed read always says why, with the place it stopped.
  if (result < 0 && reader.GetErrors().empty()) std::abort();

  RootPlainNode root;
  CTxt msg;
  if (root.LoadXML(text.c_str(), msg, kXmlFlagSourceIsText) == 0) {
    CTxt report;
    if (root.GetDiff(root, &report) != 0) std::abort();  // a tree equals itself
    root.GetNumDesc();
  }
  return 0;
}
