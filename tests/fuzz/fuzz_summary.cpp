// Fuzz target: the results summary of a run folder. The folder holds one step file and its report; the
// input carries both as parts separated by a "--" line (step CSV, then the MHT report), put in memory under
// the names the folder listing gives.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "execution/Summary.h"
#include "foundation/SysUtil.h"

namespace {

// The folder and its two (empty) files exist on disk so that the listing finds them; their content comes
// from the input.
const std::string& RunFolder() {
  static const std::string folder = [] {
    std::string f = fuzzsupport::ScratchFolder() + "/SEQ_0001";
    CreateFolderPath(f.c_str(), 0);
    std::ofstream(f + "/ES_5min_1.csv");
    std::ofstream(f + "/ES_5min_1.MHT");
    return f;
  }();
  return folder;
}

class QuietUi : public SummaryUi {
 public:
  void ShowProgress(const char*, int, int) override {}
  void CloseProgress() override {}
  void OpenFile(const char*) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QuietUi ui;
  SetSummaryUi(&ui);
  const std::string& folder = RunFolder();
  std::vector<std::string> parts = fuzzsupport::SplitParts(fuzzsupport::Text(data, size), 2);
  fuzzsupport::PutFile(folder + "/ES_5min_1.csv", parts[0]);
  fuzzsupport::PutFile(folder + "/ES_5min_1.MHT", parts[1]);
  CTxt result;
  int lines = WriteSummary(folder.c_str(), result, 0);
  if (lines > 1) std::abort();  // one step file gives at most one data line
  fuzzsupport::ClearFiles();
  return 0;
}
