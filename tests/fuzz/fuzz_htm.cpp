// Fuzz target: an HTML page tokenized by LoadHTM and searched the way the report readers search it, and
// the strategy inputs table of a saved report (ReadStrategyInputs).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "execution/Summary.h"
#include "foundation/Xml.h"

namespace {

// Every end tag is linked with its start tag and the other way round; a link to a node that is not there
// would send the inputs reader outside the list.
void CheckPartners(const RootPlainNode& root) {
  for (int id = 1; id <= root.GetNumNode(); ++id) {
    const PlainNode* node = root.GetNode(id);
    if (!node) std::abort();
    int partner = node->GetParentID();
    if (partner != 0 && !root.GetNode(partner)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzsupport::ProgramFolder() + "/Inputs.MHT";
  std::string text = fuzzsupport::Text(data, size);

  RootPlainNode root;
  CTxt msg;
  root.LoadHTM(text.data(), text.size(), msg);
  CheckPartners(root);
  int marker = root.FindContent("TradeStation Strategy Inputs");
  root.FindTag("TABLE", marker + 1);
  root.FindContentTag("TD", "<Net Profit");
  root.FindContentTag("A", nullptr);

  fuzzsupport::PutFile(path, text);
  CTxt result;
  CTxtArray inputs;
  int count = ReadStrategyInputs(path.c_str(), result, inputs);
  if (count == -1) std::abort();  // the in-memory file is always there
  if (count >= 0 && count != inputs.GetSize()) std::abort();
  fuzzsupport::ClearFiles();
  return 0;
}
