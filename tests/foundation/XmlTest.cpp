// CXML's events and error messages, the PlainNode tree operations and the HTML tokenizer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/Xml.h"

namespace {

// Records every event as one short line: "0 tag", "1 name=value", "2 'text'", "3 tag", "4 tag".
struct EventLog {
  std::vector<std::string> lines;
  int stopAfter = -1;  // a negative callback result after this many events
};

int RecordEvent(CXML* x, void* context) {
  EventLog& log = *static_cast<EventLog*>(context);
  std::string line = std::to_string(x->GetXMLEvent()) + " ";
  switch (x->GetXMLEvent()) {
    case XMLEV_ATTRIBUTE:
      line += std::string(x->GetAttrID()) + "=" + x->GetAttrTxt();
      break;
    case XMLEV_CONTENT:
      line += "'" + std::string(x->GetAttrTxt()) + "'";
      break;
    default:
      line += x->GetCurrTag() ? x->GetCurrTag() : "?";
      break;
  }
  log.lines.push_back(line);
  if (log.stopAfter >= 0 && static_cast<int>(log.lines.size()) >= log.stopAfter) return -42;
  return 0;
}

int ReadText(CXML& x, const std::string& text, EventLog* log = nullptr) {
  EventLog scratch;
  x.SetFlg(x.GetFlg() | kXmlFlagSourceIsText);
  return x.LoadFile(text.c_str(), RecordEvent, log ? log : &scratch);
}

std::string FirstError(const CXML& x) {
  return x.GetErrors().empty() ? "" : x.GetErrors().front();
}

std::string Nested(int depth) {
  std::string doc;
  for (int i = 1; i <= depth; ++i) doc += "<t" + std::to_string(i) + ">";
  for (int i = depth; i >= 1; --i) doc += "</t" + std::to_string(i) + ">";
  return doc;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// CXML: limits and syntax errors, each with line and column
// ---------------------------------------------------------------------------------------------------------

TEST(XmlReaderLimits, TagNameOf65CharactersIsRejectedAnd64Accepted) {
  CXML x;
  std::string name64(64, 'n'), name65(65, 'n');
  EXPECT_EQ(0, ReadText(x, "<" + name64 + "/>"));
  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "<root>\n  <" + name65 + ">"));
  ASSERT_EQ(1u, x.GetErrors().size());
  EXPECT_EQ(
      "ERROR#1:\nTagname '" + name65 + "' is too long (max 64)\n\nLine 2, Column 68\nFile " + x.GetFileName(),
      FirstError(x));
}

TEST(XmlReaderLimits, TwentyOpenTagsAreFineTheTwentyFirstIsAnError) {
  CXML x;
  EXPECT_EQ(0, ReadText(x, Nested(20)));
  EXPECT_EQ(kXmlSyntaxError, ReadText(x, Nested(21)));
  std::string err = FirstError(x);
  EXPECT_NE(std::string::npos, err.find("Too many nested tags in 't21' (max depth 20)")) << err;
  // "<t1>...<t21" ends in column 4 * 9 + 5 * 11 + 4 = 95 on line 1.
  EXPECT_NE(std::string::npos, err.find("Line 1, Column 95")) << err;
}

TEST(XmlReaderLimits, AttributeValueLongerThanTheTextBufferIsAnError) {
  CXML x;
  std::string doc = "<a v=\"" + std::string(kXmlMaxText + 1, 'x') + "\"/>";
  EXPECT_EQ(kXmlSyntaxError, ReadText(x, doc));
  EXPECT_NE(std::string::npos, FirstError(x).find("Text is too long (max 99999)"));
  EXPECT_EQ(0, ReadText(x, "<a v=\"" + std::string(kXmlMaxText, 'x') + "\"/>"));
}

TEST(XmlReaderSyntax, AttributeValuesNeedQuotesOfEitherKind) {
  CXML x;
  EventLog log;
  EXPECT_EQ(0, ReadText(x, "<a b='one' c=\"two\"/>", &log));
  EXPECT_EQ((std::vector<std::string>{"0 a", "1 b=one", "1 c=two", "3 a", "4 a"}), log.lines);

  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "<a>\n<b c=x/></a>"));
  EXPECT_EQ(
      "ERROR#1:\nValue is missing opening quote, found 'x' in '<b c=x/></a>'\n\nLine 2, Column 5\nFile " +
          std::string(x.GetFileName()),
      FirstError(x));
}

TEST(XmlReaderSyntax, UnclosedTagsAreListedAtTheEnd) {
  CXML x;
  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "<outer>\n<inner>text"));
  std::string err = FirstError(x);
  EXPECT_EQ(0u, err.find("ERROR#1:\n2 Tag(s) not closed:\nouter, inner\n\nLine 2, Column 11")) << err;

  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "<only>"));
  EXPECT_EQ(0u, FirstError(x).find("ERROR#1:\nTag not closed: only\n\nLine 1, Column 6")) << FirstError(x);
}

TEST(XmlReaderSyntax, EndTagsMustMatchTheInnermostOpenTag) {
  CXML x;
  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "<a>\n<b>\n</a>"));
  EXPECT_NE(std::string::npos, FirstError(x).find("Closing Tag mismatch, expected 'b' in '</a>'"));
  EXPECT_NE(std::string::npos, FirstError(x).find("Line 3, Column 3"));

  EXPECT_EQ(kXmlSyntaxError, ReadText(x, "</a>"));
  EXPECT_NE(std::string::npos, FirstError(x).find("Closing Tag has no parent in '</a>'"));

  EXPECT_EQ(0, ReadText(x, "<Item></ITEM>")) << "end tags match ignoring case";
}

TEST(XmlReaderSyntax, MalformedTagNamesAndAttributes) {
  struct Case {
    const char* doc;
    const char* message;
  } cases[] = {
      {"<a>< b/></a>", "Missing tag in '< b/></a>'"},
      {"<-a/>", "Tag contains invalid character '-' in '<-a/>'"},
      {"<a/b>", "Invalid character 'b' after tag closing slash in '<a/b>'"},
      {"<a / >", "Invalid character ' ' after tag closing slash in '<a / >'"},
      {"<a b$=\"1\"/>", "Attribute contains invalid character '$' in '<a b$=\"1\"/>'"},
      {"<a b=\"1/>", "Value for attribute 'b' is  missing closing quote"},
      {"<a b=\"1<\"/>", "Value for attribute 'b' is  missing closing quote"},
  };
  for (const Case& c : cases) {
    CXML x;
    EXPECT_EQ(kXmlSyntaxError, ReadText(x, c.doc)) << c.doc;
    EXPECT_NE(std::string::npos, FirstError(x).find(c.message)) << c.doc << "\n" << FirstError(x);
    EXPECT_NE(std::string::npos, FirstError(x).find("Line 1, Column ")) << c.doc;
  }
}

// ---------------------------------------------------------------------------------------------------------
// CXML: events
// ---------------------------------------------------------------------------------------------------------

TEST(XmlReaderEvents, DeclarationAndCommentGiveOnlyStartAndComplete) {
  CXML x;
  EventLog log;
  EXPECT_EQ(0, ReadText(x, "<?xml version=\"1.0\"?>\n<!-- a > b -->\n<r/>", &log));
  EXPECT_EQ((std::vector<std::string>{"0 ?xml", "3 ?xml", "0 !--", "3 !--", "0 r", "3 r", "4 r"}), log.lines);
  EXPECT_EQ(0, x.GetDepth());
}

TEST(XmlReaderEvents, ContentIsReportedBeforeEveryTagInsideAnElementAndDecoded) {
  CXML x;
  EventLog log;
  EXPECT_EQ(0, ReadText(x, "<a k=\"&lt;&amp;&quot;\">x &gt; y&#x41;<b/></a>", &log));
  EXPECT_EQ(
      (std::vector<std::string>{"0 a", "1 k=<&\"", "3 a", "2 'x > yA'", "0 b", "3 b", "4 b", "2 ''", "4 a"}),
      log.lines);
}

TEST(XmlReaderEvents, NameEndingInSlashIsClosedAtOnce) {
  CXML x;
  EventLog log;
  EXPECT_EQ(0, ReadText(x, "<a><br/></a>", &log));
  EXPECT_EQ((std::vector<std::string>{"0 a", "3 a", "2 ''", "0 br", "3 br", "4 br", "2 ''", "4 a"}),
            log.lines);
}

TEST(XmlReaderEvents, NegativeCallbackResultEndsTheRead) {
  CXML x;
  EventLog log;
  log.stopAfter = 2;
  EXPECT_EQ(-42, ReadText(x, "<a b=\"1\"><c/></a>", &log));
  EXPECT_EQ(2u, log.lines.size());
}

TEST(XmlReaderEvents, StopsOnceTheHookNodeIsSet) {
  static int seen = 0;
  seen = 0;
  auto setHookAtB = [](CXML* x, void*) {
    ++seen;
    if (x->GetXMLEvent() == XMLEV_START_TAG && std::string(x->GetCurrTag()) == "b") x->SetNodeTop(x);
    return 0;
  };
  CXML x;
  x.SetFlg(kXmlFlagSourceIsText | kXmlFlagStopAtHook);
  EXPECT_EQ(0, x.LoadFile("<a><b><c/></b></a", setHookAtB, nullptr)) << "the broken end is never reached";
  EXPECT_EQ(4, seen);  // 0 a, 3 a, 2 '', 0 b
}

TEST(XmlReaderEvents, ProgressStartsAtMinusOneAndRisesToAtMostHundred) {
  static std::vector<float> calls;
  calls.clear();
  CXML x;
  x.SetProgressFunc([](float percent, const char*) { calls.push_back(percent); });
  std::string doc = "<a>" + std::string(50000, 'x') + "</a>";
  EXPECT_EQ(0, ReadText(x, doc));
  ASSERT_GT(calls.size(), 150u);
  EXPECT_EQ(-1.0f, calls.front());
  for (size_t i = 2; i < calls.size(); ++i) EXPECT_LT(calls[i - 1], calls[i]);
  EXPECT_LE(calls.back(), 100.0f);
}

TEST(XmlReaderFiles, FileProblemsHaveTheirCodesAndMessages) {
  std::string dir = testsupport::ScratchFolder();
  CXML x;
  EXPECT_EQ(-1, x.LoadFile((dir + "/missing.xml").c_str(), RecordEvent, nullptr));
  EXPECT_NE(std::string::npos, FirstError(x).find("LoadFile: File '" + dir + "/missing.xml' does not exist"));

  std::string empty = testsupport::WriteFile(dir + "/empty.xml", "");
  EXPECT_EQ(-5, x.LoadFile(empty.c_str(), RecordEvent, nullptr));
  EXPECT_NE(std::string::npos, FirstError(x).find("LoadFile: File '" + empty + "' is empty"));

  std::string good = testsupport::WriteFile(dir + "/good.xml", "<a>\r\n<b x=\"1\"/>\r\n</a>\r\n");
  EventLog log;
  EXPECT_EQ(0, x.LoadFile(good.c_str(), RecordEvent, &log));
  EXPECT_TRUE(x.GetErrors().empty());
  EXPECT_EQ(good, x.GetFileName());
  EXPECT_EQ(4, x.GetLine());
}

TEST(XmlReaderFiles, WarningsAreKeptUnlessSwitchedOff) {
  CXML x;
  x.AddWarn("odd %d", 7);
  ASSERT_EQ(1u, x.GetWarnings().size());
  EXPECT_EQ(0u, x.GetWarnings()[0].find("WARNING#1:\nodd 7\n\nLine 1, Column 0\nFile "));
  x.SetFlg(kXmlFlagNoWarnings);
  x.AddWarn("dropped");
  EXPECT_EQ(1u, x.GetWarnings().size());
  x.Clear();
  EXPECT_TRUE(x.GetWarnings().empty());
}

// ---------------------------------------------------------------------------------------------------------
// HTML tokenizer
// ---------------------------------------------------------------------------------------------------------

namespace {

std::string Tags(const RootPlainNode& root) {
  std::string out;
  for (int id = 1; id <= root.GetNumNode(); ++id) {
    if (!out.empty()) out += ",";
    out += static_cast<const char*>(root.GetNode(id)->GetTag());
  }
  return out;
}

}  // namespace

TEST(HtmlTokenizer, NestedTablesPairWithTheirOwnEndTags) {
  RootPlainNode root;
  CTxt msg;
  ASSERT_EQ(7, root.LoadHTM("<TABLE><tr><table></TABLE></tr></table></td>x", msg));
  EXPECT_EQ("TABLE,tr,table,/TABLE,/tr,/table,/td", Tags(root));
  EXPECT_EQ(4, root.GetNode(3)->GetParentID());  // inner table <-> first </TABLE>
  EXPECT_EQ(3, root.GetNode(4)->GetParentID());
  EXPECT_EQ(6, root.GetNode(1)->GetParentID());  // outer table <-> </table>
  EXPECT_EQ(5, root.GetNode(2)->GetParentID());
  EXPECT_EQ(0, root.GetNode(7)->GetParentID()) << "an end tag without a start tag stays unlinked";
  EXPECT_EQ("x", std::string(root.GetNode(7)->GetContent()));
}

TEST(HtmlTokenizer, AttributesQuotedAndUnquoted) {
  RootPlainNode root;
  CTxt msg;
  ASSERT_EQ(2, root.LoadHTM("<TD id=Symbol class=\"a b=c\" width = 5 nowrap title='x y'>MSFT</TD>", msg));
  const PlainNode* td = root.GetNode(1);
  CTxt list;
  EXPECT_EQ(5, td->GetAttrList(list));
  EXPECT_EQ("id=\"Symbol\" class=\"a b=c\" width=\"5\" nowrap=\"\" title=\"x y\"", std::string(list));
  CTxt v;
  td->GetAttrText("ID", v);
  EXPECT_EQ("Symbol", std::string(v));
  EXPECT_EQ("MSFT", std::string(td->GetContent()));
  EXPECT_EQ(0u, td->GetDataItem());
  EXPECT_EQ(61u, root.GetNode(2)->GetDataItem());  // the "<" of "</TD>"
}

TEST(HtmlTokenizer, ContentKeepsEntitiesAndDropsQuotesEqualsAndTextBeforeTheFirstTag) {
  RootPlainNode root;
  CTxt msg;
  ASSERT_EQ(2, root.LoadHTM("lost<p>a &amp; \"b\" = c</p>", msg));
  EXPECT_EQ("a &amp; b  c", std::string(root.GetNode(1)->GetContent()));
  CTxt decoded;
  root.GetNode(1)->GetContentBin(decoded);
  EXPECT_EQ("a & b  c", std::string(decoded));
}

TEST(HtmlTokenizer, MalformedPagesStillGiveNodes) {
  RootPlainNode root;
  CTxt msg;
  EXPECT_EQ(0, root.LoadHTM("", msg));
  EXPECT_EQ(0, root.LoadHTM("no tags at all", msg));
  EXPECT_EQ(2, root.LoadHTM("<a <b>x</a", msg));
  EXPECT_EQ("a", std::string(root.GetNode(1)->GetTag()));
  EXPECT_EQ("/a", std::string(root.GetNode(2)->GetTag()));
  EXPECT_EQ(1, root.LoadHTM("<td title=\"never closed>", msg));
  EXPECT_EQ("td", std::string(root.GetNode(1)->GetTag()));
}

TEST(HtmlTokenizer, SearchesOfTheFlatList) {
  RootPlainNode root;
  CTxt msg;
  root.LoadHTM("<tr><td>Total\r\nNet Profit</td><td>$5</td><TD>Gross Net Profit x</TD><td>Net Profit</td>",
               msg);
  EXPECT_EQ(1, root.FindContent("totalnet profit")) << "CR and LF are removed, blanks kept";
  EXPECT_EQ(-1, root.FindContent("Total Net Profit"));
  EXPECT_EQ(1, root.FindContentTag("TD", "<Net Profit"));
  EXPECT_EQ(5, root.FindContentTag("TD", "<net profit", 2));
  EXPECT_EQ(7, root.FindContentTag("td", "NetProfit", 2)) << "blanks are removed for the equality test";
  EXPECT_EQ(3, root.FindContentTag("td", nullptr, 2));
  EXPECT_EQ(-1, root.FindTag("td", 2, 3));
  EXPECT_EQ(3, root.FindTag("td", 2, 4));
}

// Nodes are made in blocks that grow with the page: every node keeps its place (and a pointer to it stays
// good) while more are added, and a root that loads page after page starts afresh each time.
TEST(HtmlTokenizer, LargePagesKeepEveryNodeInPlaceAndRootsLoadAgain) {
  std::string big;
  for (int i = 0; i < 2500; ++i) big += "<td>" + std::to_string(i) + "</td>";
  RootPlainNode root;
  CTxt msg;
  ASSERT_EQ(5000, root.LoadHTM(big.c_str(), msg));
  PlainNode* first = root.GetNode(1);
  PlainNode* added = root.AddNodeToRootList(0);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(5001, added->GetPlainID());
  EXPECT_EQ(first, root.GetNode(1));
  for (int id = 1; id <= 5000; id += 2) {
    ASSERT_EQ(id, root.GetNode(id)->GetPlainID());
    ASSERT_EQ(std::to_string((id - 1) / 2), std::string(root.GetNode(id)->GetContent()));
    ASSERT_EQ(id + 1, root.GetNode(id)->GetParentID());
  }
  EXPECT_EQ(2, root.LoadHTM("<b>x</b>", msg));
  EXPECT_EQ(nullptr, root.GetNode(3));
  EXPECT_EQ(2, root.GetNode(1)->GetParentID());
  ASSERT_EQ(5000, root.LoadHTM(big.c_str(), msg));
  EXPECT_EQ("2499", std::string(root.GetNode(4999)->GetContent()));
  EXPECT_EQ(4999, root.GetNode(5000)->GetParentID());
}

TEST(HtmlTokenizer, LoadFileReportsUnreadableFiles) {
  std::string dir = testsupport::ScratchFolder();
  RootPlainNode root;
  CTxt msg;
  EXPECT_EQ(-1, root.LoadFile((dir + "/none.htm").c_str(), msg));
  EXPECT_EQ(":Cannot read " + dir + "/none.htm (-1)", std::string(msg));
  std::string page = testsupport::WriteFile(dir + "/p.htm", "<b>x</b>");
  EXPECT_EQ(2, root.LoadFile(page.c_str(), msg));
}

// ---------------------------------------------------------------------------------------------------------
// Tree operations
// ---------------------------------------------------------------------------------------------------------

TEST(PlainNodeTree, XmlDocumentBecomesATree) {
  RootPlainNode root;
  CTxt msg;
  const char* doc =
      "<?xml version=\"1.0\"?><cfg><!-- c --><item name=\"SeqRetry\" n=\"12\" h=\"1F\">Retries</item>"
      "<group><item name=\"x\"/></group></cfg>";
  ASSERT_EQ(0, root.LoadXML(doc, msg, kXmlFlagSourceIsText)) << msg;
  ASSERT_EQ(1, root.GetNumChildren());
  PlainNode* cfg = root.GetChild(0);
  EXPECT_EQ("cfg", std::string(cfg->GetTag()));
  EXPECT_EQ(2, cfg->GetNumChildren());
  EXPECT_EQ(3, cfg->GetNumDesc());
  PlainNode* item = cfg->FindChild("ITEM", "seqretry");
  ASSERT_NE(nullptr, item);
  EXPECT_EQ("Retries", std::string(item->GetContent()));
  int n = 0, h = 0;
  EXPECT_EQ(0, item->GetAttrInt("n", n));
  EXPECT_EQ(12, n);
  EXPECT_EQ(0, item->GetAttrHex("h", h));
  EXPECT_EQ(31, h);
  EXPECT_EQ(-1, item->GetAttrInt("missing", n));
  EXPECT_EQ(12, n);
  EXPECT_EQ(cfg, item->GetParent());
  PlainNode* nested = cfg->FindTag("item");
  EXPECT_EQ(item, nested);
  EXPECT_EQ("x", [&] {
    CTxt v;
    cfg->GetChild(1)->GetChild(0)->GetAttrText("name", v);
    return std::string(v);
  }());
  EXPECT_EQ(2, cfg->GetChild(1)->GetChild(0)->GetNest());

  RootPlainNode broken;
  EXPECT_EQ(kXmlSyntaxError, broken.LoadXML("<a><b></a>", msg, kXmlFlagSourceIsText));
  EXPECT_NE(std::string::npos, std::string(msg).find("Closing Tag mismatch, expected 'b'"));
}

TEST(PlainNodeTree, InsertDeleteMoveAndSort) {
  static std::vector<std::string> deleted;
  deleted.clear();
  RootPlainNode root;
  root.SetIFDelNode([](PlainNode* n) { deleted.push_back(static_cast<const char*>(n->GetTag())); });
  PlainNode* a = root.AddNode("a");
  PlainNode* c = root.AddNode("c");
  PlainNode* b = c->InsertSibling("b", 1);
  ASSERT_NE(nullptr, b);
  PlainNode* d = root.InsertChild(99, "d");
  PlainNode* a1 = a->AddNode("a1");
  a1->AddNode("a1x");
  EXPECT_EQ("a", std::string(root.GetChild(0)->GetTag()));
  EXPECT_EQ("b", std::string(root.GetChild(1)->GetTag()));
  EXPECT_EQ("d", std::string(root.GetChild(3)->GetTag()));
  EXPECT_EQ(nullptr, root.InsertSibling("x")) << "the root has no parent";

  EXPECT_EQ(-2, root.MoveChild(a->GetPlainID(), a1->GetPlainID())) << "into its own subtree";
  EXPECT_EQ(0, root.MoveChild(d->GetPlainID(), a->GetPlainID(), 0));
  EXPECT_EQ(d, a->GetChild(0));
  EXPECT_EQ(a, d->GetParent());
  EXPECT_EQ(3, root.GetNumChildren());

  a->SortChildren([](const PlainNode* x, const PlainNode* y) {
    return strcmp(static_cast<const char*>(x->GetTag()), static_cast<const char*>(y->GetTag()));
  });
  EXPECT_EQ(a1, a->GetChild(0));

  int idsBefore = root.GetNumNode();
  EXPECT_EQ(0, root.DeleteChild(0));  // a with a1, a1x and d
  EXPECT_EQ(4u, deleted.size());
  EXPECT_EQ(nullptr, root.GetNode(a1->GetPlainID()));
  EXPECT_EQ(2, root.GetNumChildren());
  PlainNode* e = root.AddNode("e");
  EXPECT_EQ(idsBefore + 1, e->GetPlainID()) << "IDs are not reused";
  EXPECT_EQ(-1, root.DeleteNode(a->GetPlainID()));

  PlainNode orphan;
  EXPECT_EQ(nullptr, orphan.AddNode("x"));
}

TEST(PlainNodeTree, DiffCountsEveryDifference) {
  RootPlainNode one, two;
  CTxt msg;
  ASSERT_EQ(0, one.LoadXML("<a k=\"1\"><b>x</b><c/></a>", msg, kXmlFlagSourceIsText));
  ASSERT_EQ(0, two.LoadXML("<a k=\"2\"><b>y</b></a>", msg, kXmlFlagSourceIsText));
  CTxt report;
  EXPECT_EQ(0, one.GetDiff(one));
  EXPECT_EQ(3, one.GetDiff(two, &report));  // attribute, child count, content of b
  EXPECT_NE(std::string::npos, std::string(report).find("content: 'x' / 'y'"));
}

TEST(PlainNodeTree, EntityHelpers) {
  CTxt out;
  EXPECT_EQ(4, PlainNode::XML2Txt("&lt;a&gt; &amp;&#x41; &bogus;", out));
  EXPECT_EQ("<a> &A &bogus;", std::string(out));
  PlainNode::Txt2XML("<\"'&>", out);
  EXPECT_EQ("&lt;&quot;&apos;&amp;&gt;", std::string(out));
}

TEST(PlainNodeTree, LoadChildrenTakesTheTaggedNodesUpToTheEndTag) {
  RootPlainNode root;
  CTxt msg;
  root.LoadHTM("<table><tr><td>1</td></tr><tr><td>2</td></tr></table><tr>", msg);
  PlainNode* table = root.GetNode(1);
  EXPECT_EQ(2, table->LoadChildren("TR"));
  EXPECT_EQ("2", std::string(root.GetNode(table->GetChild(1)->GetPlainID() + 1)->GetContent()));
}
