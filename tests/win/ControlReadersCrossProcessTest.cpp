// The list-box reader against another process's control: the stand-in TradeStation's open-workspaces list.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

using namespace standin;

TEST(ControlReadersCrossProcess, ListBoxOfAnotherProcessReadsWholeTexts) {
  StartOptions start;
  start.workspace = "Tavrin Sample|Sample IBM Daily";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17529);
  HWND dialog = WaitTop(ts.Pid(), "", "More Workspaces");
  ASSERT_TRUE(dialog);
  HWND list = GetDlgItem(dialog, 17169);
  ASSERT_TRUE(list);

  CTxtArray items;
  CTxt msg;
  ASSERT_EQ(items.LoadFromLB(list, msg), 2) << msg.ToStd();
  CTxt first, second;
  first.GetField(items.GetAtTxt(0), '\t');
  second.GetField(items.GetAtTxt(1), '\t');
  EXPECT_STREQ(first, "Tavrin Sample");
  EXPECT_STREQ(second, "Sample IBM Daily");
  PostClick(dialog, IDCANCEL);
}
