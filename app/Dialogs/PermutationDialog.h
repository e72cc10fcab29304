// PermutationDialog ("Backtesting Manager"): a small tool window that remembers the permutation number last
// shown. Synchronising with TradeStation and the database overview belong to the analysis library's chart
// window, which Tavrin does not carry; their buttons say so.
#pragma once

#include "app/Dialogs/Dialog.h"

class PermutationDialog : public Dialog {
 public:
  INT_PTR Run(HWND owner);

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  // Called after "Show &Perm" stored the number; nothing further in this program.
  virtual void ShowPermutation(int) {}
};
