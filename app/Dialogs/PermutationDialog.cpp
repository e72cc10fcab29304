// The permutation tool window.
#include "app/Dialogs/PermutationDialog.h"

#include <cstdlib>
#include <string>

#include "app/resources/EditorIds.h"
#include "foundation/Settings.h"

namespace {
constexpr const char* kSection = "ZELTRD";
constexpr const char* kKey = "CurrPermID";
}  // namespace

INT_PTR PermutationDialog::Run(HWND owner) {
  return RunModal(owner, IDD_PERMUTATION);
}

bool PermutationDialog::OnInit() {
  SetItemText(IDC_PERM_NUMBER, std::to_string(Settings::GetInt(kSection, kKey, 0)).c_str());
  return true;
}

bool PermutationDialog::OnCommand(int id, int, HWND) {
  switch (id) {
    case IDC_PERM_SHOW: {
      int number = std::atoi(ItemText(IDC_PERM_NUMBER).c_str());
      Settings::WriteInt(kSection, kKey, number);
      SetItemText(IDC_PERM_INFO, ("Permutation# " + std::to_string(number)).c_str());
      ShowPermutation(number);
      return true;
    }
    case IDC_PERM_SYNC_TS:
    case IDC_PERM_DATABASE:
      SetItemText(IDC_PERM_INFO,
                  "Not available: the chart window of the analysis library is not part of Tavrin.");
      return true;
    default:
      return false;
  }
}
