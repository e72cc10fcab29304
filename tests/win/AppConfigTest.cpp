// The configuration dialog as a user drives it: the tree, the input control of every item kind, Apply with
// the value written to the settings file or the registry, a refused value, Restore and Default, Close
// writing nothing pending, and the main window's entry with a malformed or the shipped description.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolSupport.h"
#include "app/Dialogs/DlgCfg.h"
#include "foundation/Settings.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"

using namespace testsupport;

namespace {

constexpr const char* kTitle = "Config Dialog Test";
constexpr const char* kApplication = "TavrinConfigTest";

struct ShownBox {
  std::string text;
  UINT style;
};
std::mutex g_boxLock;
std::vector<ShownBox> g_boxes;

int RecordBox(HWND, const char* text, const char*, UINT style) {
  std::lock_guard<std::mutex> guard(g_boxLock);
  g_boxes.push_back({text ? text : "", style});
  return IDOK;
}

std::vector<ShownBox> Boxes() {
  std::lock_guard<std::mutex> guard(g_boxLock);
  return g_boxes;
}

std::string Description() {
  return "<?xml version=\"1.0\"?>\r\n<Cfg>\r\n<SysDef><Title>" + std::string(kTitle) + "</Title><AppName>" +
         kApplication +
         "</AppName></SysDef>\r\n"
         "<CfgDef SectionName=\"Tavrin\" Intro=\"Test items of every kind.\" TreeWidth=\"40\" "
         "Size=\"55,60\">\r\n"
         "<Group Name=\"Numbers\">\r\n"
         " <Item Name=\"Retries\" Type=\"Int\" Dflt=\"3\" Min=\"1\" Max=\"100\">Attempts of a "
         "step.</Item>\r\n"
         " <Item Name=\"Offset\" Type=\"IntNeg\" Dflt=\"0\">May be negative.</Item>\r\n"
         " <Item Name=\"Rate\" Type=\"Float/2\" Dflt=\"1.5\" Min=\"0\" Max=\"10\">A rate.</Item>\r\n"
         "</Group>\r\n"
         "<Group Name=\"Texts\">\r\n"
         " <Item Name=\"Drive\" Type=\"Text/1/Upper\" Dflt=\"C\">A drive letter.</Item>\r\n"
         " <Item Name=\"Viewer\" Sect=\"SYS\" Type=\"Text/1/Upper\" Dflt=\"N\" Choices=\"N|S|X\">A "
         "viewer.</Item>\r\n"
         " <Item Name=\"Verbose\" Type=\"Bool\" Dflt=\"NO\">Talk more.</Item>\r\n"
         " <Item Name=\"Until\" Type=\"Date\" Dflt=\"1/2/2012\">An end date.</Item>\r\n"
         " <Item Name=\"Back\" Sect=\"SYS\" Type=\"Color\" Dflt=\"WHITE\">A colour.</Item>\r\n"
         " <Item Name=\"Secret\" Reg=\"CfgSecret\" Type=\"Txt/pwd\" Dflt=\"none\">Kept in the "
         "registry.</Item>\r\n"
         "</Group>\r\n"
         "<Group Name=\"Strategy\">\r\n"
         " <Item Name=\"Lengths\" Type=\"ParInt\" Dflt=\"10&gt;20/5\">Input values.</Item>\r\n"
         " <Item Name=\"Factor\" Type=\"ParFlt/3\" Dflt=\"0.5\">A factor.</Item>\r\n"
         " <Item Name=\"Label\" Type=\"ParTxt\" Dflt=\"Base\">A label.</Item>\r\n"
         " <Item Name=\"Price\" Type=\"ParSrc\" Dflt=\"1\">The price.</Item>\r\n"
         "</Group>\r\n"
         "</CfgDef></Cfg>\r\n";
}

// The dialog on a thread of its own, driven from the test's thread the way a user would.
class DialogSession {
 public:
  DialogSession(CDlgCfg& dialog)
      : m_result(std::async(std::launch::async, [&dialog] { return dialog.Run(nullptr); })) {
    DWORD process = GetCurrentProcessId();
    m_window = toolsupport::WaitForTopWindow([&](HWND w) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      return owner == process && IsWindowVisible(w) && toolsupport::WindowText(w) == kTitle;
    });
  }
  ~DialogSession() {
    if (m_result.valid() && m_window) Close();
  }
  HWND Window() const { return m_window; }
  HWND Control(int id) const { return GetDlgItem(m_window, id); }
  HWND Tree() const { return Control(kCfgTreeId); }

  // Every tree label, depth first.
  std::vector<std::string> Labels(HTREEITEM from = nullptr, std::vector<HTREEITEM>* handles = nullptr) const {
    std::vector<std::string> out;
    HTREEITEM item = from ? from : TreeView_GetRoot(Tree());
    for (; item; item = TreeView_GetNextSibling(Tree(), item)) {
      char text[512] = "";
      TVITEMA tv{};
      tv.mask = TVIF_TEXT;
      tv.hItem = item;
      tv.pszText = text;
      tv.cchTextMax = sizeof text;
      SendMessageA(Tree(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
      out.push_back(text);
      if (handles) handles->push_back(item);
      if (HTREEITEM child = TreeView_GetChild(Tree(), item)) {
        std::vector<std::string> below = Labels(child, handles);
        out.insert(out.end(), below.begin(), below.end());
      }
    }
    return out;
  }
  std::string LabelOf(const std::string& name) const {
    for (const std::string& label : Labels())
      if (label.rfind(name + "=", 0) == 0) return label;
    return "";
  }
  bool Select(const std::string& name) {
    std::vector<HTREEITEM> handles;
    std::vector<std::string> labels = Labels(nullptr, &handles);
    for (size_t i = 0; i < labels.size(); ++i)
      if (labels[i].rfind(name + "=", 0) == 0)
        return SendMessageA(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handles[i])) != 0;
    return false;
  }
  std::string Heading() const { return toolsupport::WindowText(Control(kCfgHeadingId)); }
  std::string Input() const { return toolsupport::WindowText(Control(kCfgInputId)); }
  std::string InputClass() const { return toolsupport::ClassOf(Control(kCfgInputId)); }

  // Types into the edit field, or picks the entry of the drop-down list, and leaves the field.
  void Enter(const std::string& text) {
    HWND input = Control(kCfgInputId);
    if (InputClass() == "ComboBox") {
      LRESULT index = SendMessageA(input, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(text.c_str()));
      SendMessageA(input, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(kCfgInputId, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(input));
    } else {
      SendMessageA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
      SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(kCfgInputId, EN_KILLFOCUS),
                   reinterpret_cast<LPARAM>(input));
    }
  }
  void Press(int id) {
    SendMessageA(m_window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
  }
  // Closes with "&Close" and returns the dialog's count; -100 when it did not end within 10 s.
  int Close() {
    PostMessageA(m_window, WM_COMMAND, MAKEWPARAM(kCfgCloseId, BN_CLICKED), 0);
    if (m_result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return -100;
    return m_result.get();
  }

 private:
  std::future<int> m_result;
  HWND m_window = nullptr;
};

class AppConfig : public ::testing::Test {
 protected:
  std::string folder = ScratchFolder();
  std::string ini = folder + "/Tavrin.ini";
  std::string xml = folder + "/Tavrin.xml";
  CDlgCfg dialog;

  void SetUp() override {
    {
      std::lock_guard<std::mutex> guard(g_boxLock);
      g_boxes.clear();
    }
    SetConfigDialogBoxFunction(RecordBox);
    RegistryWrite("CfgSecret", "none", kApplication);
    WriteFile(ini, "[Tavrin]\r\nRetries=3\r\n");
    WriteFile(xml, Description());
    CTxt message;
    ASSERT_EQ(dialog.Load(xml.c_str(), message, ini.c_str()), 0) << message.GetData();
  }
  void TearDown() override { SetConfigDialogBoxFunction(nullptr); }

  std::string Stored(const char* section, const char* key) {
    CTxt out;
    Settings::GetString(section, key, "<none>", out, ini.c_str());
    return out.ToStd();
  }
  std::string Registry(const char* name) {
    CTxt out;
    RegistryRead(name, out, "<none>", kApplication, 0);
    return out.ToStd();
  }
};

struct Edit {
  const char* name;
  const char* typed;
  const char* section;  // null: the registry
  const char* stored;
};

TEST_F(AppConfig, EveryItemKindIsEditedAndWrittenBack) {
  DialogSession session(dialog);
  ASSERT_NE(session.Window(), nullptr);
  std::vector<std::string> labels = session.Labels();
  ASSERT_EQ(labels.size(), 1u + 3u + 13u);  // root, groups, items
  EXPECT_EQ(labels[0], "Tavrin");
  EXPECT_EQ(session.LabelOf("Secret"), "Secret=*****");  // a password never shows in the tree

  const Edit edits[] = {
      {"Retries", "42", "Tavrin", "42"},
      {"Offset", "-7", "Tavrin", "-7"},
      {"Rate", "2.5", "Tavrin", "2.50"},
      {"Drive", "d", "Tavrin", "D"},
      {"Viewer", "X", "SYS", "X"},
      {"Verbose", "YES", "Tavrin", "YES"},
      {"Until", "12/31/2012", "Tavrin", "12/31/2012"},
      {"Back", "RED", "SYS", "255,0,0"},
      {"Secret", "hunter2", nullptr, "hunter2"},
      {"Lengths", "30>40/5,1", "Tavrin", "1,30,35,40"},
      {"Factor", "0.25", "Tavrin", "0.250"},
      {"Label", "Fast lane", "Tavrin", "Fast lane"},
      {"Price", "(H+L)/2(6)", "Tavrin", "6"},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.name);
    ASSERT_TRUE(session.Select(e.name));
    EXPECT_NE(session.Heading().find(std::string("Parameter '") + e.name + "':"), std::string::npos)
        << session.Heading();
    size_t boxesBefore = Boxes().size();
    session.Enter(e.typed);
    EXPECT_EQ(toolsupport::WindowText(session.Control(kCfgApplyId)), "&APPLY");
    session.Press(kCfgApplyId);
    EXPECT_EQ(e.section ? Stored(e.section, e.name) : Registry("CfgSecret"), e.stored);
    ASSERT_EQ(Boxes().size(), boxesBefore + 1);
    EXPECT_EQ(Boxes().back().style & MB_ICONINFORMATION, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_NE(Boxes().back().text.find(std::string("Parameter ") + e.name + ":\r\n"), std::string::npos);
    std::string shown = e.section ? e.stored : "*****";
    EXPECT_EQ(session.LabelOf(e.name), std::string(e.name) + "=" + shown + "*");
  }
  EXPECT_EQ(Stored("Tavrin", "Secret"), "<none>");  // the registry item never reaches the settings file
  EXPECT_EQ(session.Close(), 13);
  EXPECT_EQ(Stored("CFGDLG", "LastItemName"), "Price");
}

TEST_F(AppConfig, AValueOutOfRangeIsRefusedAndNothingIsWritten) {
  DialogSession session(dialog);
  ASSERT_NE(session.Window(), nullptr);
  ASSERT_TRUE(session.Select("Retries"));
  EXPECT_EQ(session.Input(), "3");
  EXPECT_EQ(toolsupport::WindowText(session.Control(kCfgDefaultId)), "&Default (3)");
  session.Enter("101");
  session.Press(kCfgApplyId);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Retries must lie between 1 and 100");
  EXPECT_EQ(Boxes()[0].style & MB_ICONSTOP, static_cast<UINT>(MB_ICONSTOP));
  EXPECT_EQ(Stored("Tavrin", "Retries"), "3");
  EXPECT_EQ(session.LabelOf("Retries"), "Retries=3");
  ASSERT_TRUE(session.Select("Rate"));
  session.Enter("ten");
  session.Press(kCfgApplyId);
  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(session.Close(), 0);
  EXPECT_EQ(Stored("Tavrin", "Retries"), "3");
}

TEST_F(AppConfig, CloseWritesNothingPendingAndRestoreUncounts) {
  DialogSession session(dialog);
  ASSERT_NE(session.Window(), nullptr);
  std::string rateBefore = Stored("Tavrin", "Rate");  // loading a floating item wrote its normal form
  // Applied, then restored: written twice, counted never.
  ASSERT_TRUE(session.Select("Retries"));
  session.Enter("9");
  session.Press(kCfgApplyId);
  EXPECT_EQ(Stored("Tavrin", "Retries"), "9");
  session.Press(kCfgRestoreId);
  EXPECT_EQ(Stored("Tavrin", "Retries"), "3");
  EXPECT_EQ(session.Input(), "3");
  EXPECT_EQ(toolsupport::WindowText(session.Control(kCfgApplyId)), "(&Apply)");
  // Edited but never applied.
  ASSERT_TRUE(session.Select("Drive"));
  session.Enter("Q");
  ASSERT_TRUE(session.Select("Secret"));
  session.Enter("typed");
  ASSERT_TRUE(session.Select("Verbose"));
  session.Enter("YES");
  EXPECT_EQ(session.Close(), 0);
  EXPECT_EQ(Stored("Tavrin", "Drive"), "<none>");
  EXPECT_EQ(Stored("Tavrin", "Verbose"), "<none>");
  EXPECT_EQ(Stored("Tavrin", "Rate"), rateBefore);
  EXPECT_EQ(Registry("CfgSecret"), "none");
}

TEST_F(AppConfig, DefaultAppliesTheDescribedDefault) {
  WriteFile(ini, "[Tavrin]\r\nRetries=50\r\n");
  CTxt message;
  ASSERT_EQ(dialog.Load(xml.c_str(), message, ini.c_str()), 0);
  DialogSession session(dialog);
  ASSERT_NE(session.Window(), nullptr);
  ASSERT_TRUE(session.Select("Retries"));
  EXPECT_EQ(session.Input(), "50");
  session.Press(kCfgDefaultId);
  EXPECT_EQ(Stored("Tavrin", "Retries"), "3");
  EXPECT_EQ(session.LabelOf("Retries"), "Retries=3*");
  EXPECT_EQ(session.Close(), 1);
}

TEST_F(AppConfig, TheMainWindowsEntryReportsAMalformedDescriptionWithLineAndColumn) {
  std::string program = ScratchFolder();
  WriteFile(program + "/Tavrin.xml",
            "<Cfg>\r\n<SysDef><Title>x</Title></SysDef>\r\n<CfgDef SectionName=Tavrin>\r\n");
  int changed = -1;
  EXPECT_EQ(RunConfigurationDialog(nullptr, program.c_str(), changed), kConfigParseError);
  EXPECT_EQ(changed, 0);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("Parse Erorr in '"), std::string::npos) << Boxes()[0].text;
  EXPECT_NE(Boxes()[0].text.find("Line 3, Column"), std::string::npos) << Boxes()[0].text;
  EXPECT_EQ(Boxes()[0].style & (MB_ICONSTOP | MB_TOPMOST), static_cast<UINT>(MB_ICONSTOP | MB_TOPMOST));
}

TEST_F(AppConfig, PicturesOfTheBaseFolderShowBelowTheDescription) {
  // A 1x1 GIF.
  const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80,
                               0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04,
                               0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01,
                               0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
  WriteFile(folder + "/chart.gif", std::string(reinterpret_cast<const char*>(gif), sizeof gif));
  WriteFile(xml, "<Cfg><SysDef><Title>" + std::string(kTitle) + "</Title><BaseDir>" + folder +
                     "</BaseDir></SysDef><CfgDef SectionName=\"Tavrin\"><Group Name=\"G\">"
                     "<Item Name=\"Shown\">Above {Pic:chart} below{Line}end</Item>"
                     "<Item Name=\"Missing\">No {Pic:nothing} here</Item></Group></CfgDef></Cfg>");
  CTxt message;
  ASSERT_EQ(dialog.Load(xml.c_str(), message, ini.c_str()), 0) << message.GetData();
  DialogSession session(dialog);
  ASSERT_NE(session.Window(), nullptr);
  HWND picture = session.Control(kCfgPictureId);
  ASSERT_TRUE(session.Select("Shown"));
  EXPECT_TRUE(IsWindowVisible(picture));
  EXPECT_NE(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  std::string text = toolsupport::WindowText(session.Control(kCfgDescriptionId));
  EXPECT_EQ(text.find("{Pic:"), std::string::npos) << text;
  EXPECT_NE(text.find("below----"), std::string::npos) << text;
  ASSERT_TRUE(session.Select("Missing"));
  EXPECT_FALSE(IsWindowVisible(picture));
  EXPECT_NE(toolsupport::WindowText(session.Control(kCfgDescriptionId)).find("[picture nothing missing]"),
            std::string::npos);
  EXPECT_EQ(session.Close(), 0);
}

// The shipped description opens with every item in the tree. With TAVRIN_CONFIG_SCREENSHOT naming a file,
// the dialog stays open (at most a minute) until that file is removed, so a screenshot can be taken.
TEST_F(AppConfig, TheShippedDescriptionShowsEveryItem) {
  std::string shipped = std::string(TAVRIN_SOURCE_DIR) + "/app/resources/Tavrin.xml";
  CDlgCfg real;
  CTxt message;
  ASSERT_EQ(real.Load(shipped.c_str(), message, ini.c_str()), 0) << message.GetData();
  EXPECT_TRUE(real.Description().ItemErrors().empty());
  Settings::WriteString("CFGDLG", "LastItemName", "ChartWaitForLoad", ini.c_str());
  std::string title = real.Description().Title();
  auto result = std::async(std::launch::async, [&real] { return real.Run(nullptr); });
  HWND window = toolsupport::WaitForTopWindow([&](HWND w) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    return owner == GetCurrentProcessId() && IsWindowVisible(w) && toolsupport::WindowText(w) == title;
  });
  ASSERT_NE(window, nullptr);
  HWND tree = GetDlgItem(window, kCfgTreeId);
  int groups = static_cast<int>(real.Description().Groups().size());
  EXPECT_EQ(static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)),
            1 + groups + real.Description().ItemCount());
  EXPECT_NE(toolsupport::WindowText(GetDlgItem(window, kCfgHeadingId)).find("'ChartWaitForLoad'"),
            std::string::npos);
  if (const char* marker = std::getenv("TAVRIN_CONFIG_SCREENSHOT")) {
    WriteFile(marker, "open\r\n");
    for (int i = 0; i < 600 && FileExists(marker); ++i) Sleep(100);
  }
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(kCfgCloseId, BN_CLICKED), 0);
  ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(result.get(), 0);
}

}  // namespace
