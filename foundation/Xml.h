// Markup reading: CXML, the strict streaming XML reader that reports events to a callback and stops at the
// first syntax error (line and column in every message), and the PlainNode document tree with LoadHTM, the
// tolerant tokenizer that turns every tag of an HTML page into a node of a flat list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Txt.h"

// ---------------------------------------------------------------------------------------------------------
// CXML
// ---------------------------------------------------------------------------------------------------------

// What the reader has just read when it calls the callback.
enum XMLEvent {
  XMLEV_START_TAG = 0,     // a start tag's name was read (GetCurrTag)
  XMLEV_ATTRIBUTE = 1,     // an attribute was read (GetAttrID, GetAttrTxt)
  XMLEV_CONTENT = 2,       // the text before a '<' (GetAttrTxt), also when empty, while a tag is open
  XMLEV_TAG_COMPLETE = 3,  // the start tag's '>' (or the '/' of an empty tag) was reached
  XMLEV_TAG_CLOSED = 4,    // an end tag or "/>" closed the innermost tag (still GetCurrTag)
};

// Reader flags (GetFlg/SetFlg).
constexpr int kXmlFlagSourceIsText = 0x1000;  // LoadFile's argument is the document text itself
constexpr int kXmlFlagStopAtHook = 0x8;       // stop as soon as the callback has set the node top
constexpr int kXmlFlagNoWarnings = 0x20;      // record no warnings

constexpr int kXmlMaxDepth = 20;       // open tags at once
constexpr int kXmlMaxTagName = 64;     // characters of a tag name
constexpr int kXmlMaxAttrName = 63;    // characters of an attribute name
constexpr int kXmlMaxText = 99999;     // characters of one attribute value or content text
constexpr int kXmlMaxFileName = 259;   // characters of the document name kept for messages
constexpr int kXmlSyntaxError = -103;  // LoadFile's result for a syntax error or unclosed tags

// One open tag of the reader's stack.
struct XML_TAGITEM {
  char name[kXmlMaxTagName + 1];
  int flags;  // kXmlTagOutermost for the document's outermost element
};
constexpr int kXmlTagOutermost = 0x1;

class CXML;
// Called for every event; a negative result ends the read with that result.
using XmlCallback = int (*)(CXML* reader, void* context);
// Called with -1.0 when reading starts, then with the percentage read every 1/200 of the document.
using XmlProgressFunc = void (*)(float percent, const char* fileName);

class CXML {
 public:
  CXML();
  CXML(const CXML&) = delete;
  CXML& operator=(const CXML&) = delete;

  // Reads a document (a file, or with kXmlFlagSourceIsText the text itself) and reports its events.
  // 0 at the end of a well-formed document; -1 missing file, -2 no memory, -3 not opened, -4 short read,
  // -5 empty file, -103 syntax error or unclosed tags, or the callback's negative result. Every problem is
  // also in GetErrors() with line and column.
  int LoadFile(const char* source, XmlCallback callback, void* context);
  void Clear();  // empties errors, warnings and the tag stack

  int GetXMLEvent() const { return m_event; }
  const char* GetAttrID() const { return m_attrName.c_str(); }  // current attribute name
  const char* GetAttrTxt() const { return m_text.c_str(); }     // attribute value or content, decoded
  int GetDepth() const { return m_depth; }                      // open tags
  int GetLine() const { return m_line; }
  int GetCol() const { return m_col; }
  const char* GetFileName() const { return m_fileName.c_str(); }
  int GetFlg() const { return m_flags; }
  void SetFlg(int flags) { m_flags = flags; }
  void* GetNodeTop() const { return m_nodeTop; }
  void SetNodeTop(void* node) { m_nodeTop = node; }
  void SetProgressFunc(XmlProgressFunc func) { m_progress = func; }

  // Tag stack. AddTag pushes a name (-103 with an error when it is longer than 64 characters or 20 tags
  // are open, else the new depth); GetTag(0) is the innermost open tag, GetTag(1) its parent ... (null
  // beyond the stack); CloseTag pops the innermost (-1 when none, else the new depth).
  int AddTag(const char* name);
  const char* GetTag(int n) const;
  const char* GetCurrTag() const { return GetTag(0); }
  int CloseTag();

  // Records "ERROR#n:\n<text>\n\nLine l, Column c\nFile f" in the error list and the log (category "XML");
  // warnings likewise, unless kXmlFlagNoWarnings is set.
  void AddErr(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(2, 3);
  void AddWarn(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(2, 3);
  const std::vector<std::string>& GetErrors() const { return m_errors; }
  const std::vector<std::string>& GetWarnings() const { return m_warnings; }

 private:
  class Scanner;
  friend class Scanner;

  std::vector<std::string> m_errors;
  std::vector<std::string> m_warnings;
  int m_event = XMLEV_CONTENT;
  std::string m_attrName;
  std::string m_text;
  std::string m_fileName;
  int m_flags = 0;
  int m_line = 1;
  int m_col = 0;
  long long m_pos = 0;
  XML_TAGITEM m_tags[kXmlMaxDepth];
  int m_depth = 0;
  void* m_nodeTop = nullptr;
  XmlProgressFunc m_progress = nullptr;
};

// ---------------------------------------------------------------------------------------------------------
// PlainNode tree
// ---------------------------------------------------------------------------------------------------------

class RootPlainNode;

class PlainNodeAttr {
 public:
  PlainNodeAttr() = default;
  PlainNodeAttr(const char* name, const char* value) : m_name(name), m_value(value) {}
  const CTxt& GetName() const { return m_name; }
  const CTxt& GetValue() const { return m_value; }
  void SetName(const char* name) { m_name = name; }
  void SetValue(const char* value) { m_value = value; }

 private:
  CTxt m_name;
  CTxt m_value;
};

// A node of a document: tag, content, attributes and children (the children are plain IDs looked up in
// the owning root's node list). Nodes are made and owned by a RootPlainNode and never copied.
class PlainNode {
 public:
  explicit PlainNode(RootPlainNode* root = nullptr) : m_root(root) {}
  PlainNode(const PlainNode&) = delete;
  PlainNode& operator=(const PlainNode&) = delete;

  const CTxt& GetTag() const { return m_tag; }
  void SetTag(const char* tag) { m_tag = tag; }
  const CTxt& GetContent() const { return m_content; }
  void SetContent(const char* content) { m_content = content; }
  // The content with the entities &lt; &gt; &amp; &apos; &quot; &#xHH; decoded; returns out's length.
  int GetContentBin(CTxt& out) const;
  uint32_t GetDataItem() const { return m_dataItem; }
  void SetDataItem(uint32_t value) { m_dataItem = value; }
  int GetPlainID() const { return m_plainID; }
  int GetParentID() const { return m_parentID; }
  void SetParentID(int id) { m_parentID = id; }
  int GetNest() const { return m_nest; }
  int NestIncr() { return ++m_nest; }
  int NestDecr() { return --m_nest; }
  RootPlainNode* GetRootPlain() const { return m_root; }
  void SetRootPlain(RootPlainNode* root) { m_root = root; }

  // Children, in order.
  int GetNumChildren() const { return static_cast<int>(m_children.size()); }
  PlainNode* GetChild(int index) const;        // null outside the list
  int FindChild(const PlainNode* node) const;  // index in the child list, -1 when not a child
  // The first child with that tag (ignoring case) having an attribute whose value equals attrText
  // (ignoring case); a null attrText accepts any child with the tag.
  PlainNode* FindChild(const char* tag, const char* attrText) const;
  PlainNode* FindChildByTag(const char* tag) const;
  // Rebuilds the child list from the nodes that follow this one in the root's list and carry that tag;
  // returns the number of children.
  int LoadChildren(const char* tag);
  PlainNode* GetParent() const;  // the node whose plain ID is the parent ID; null for 0 or none

  // New nodes in the root's list, with this node as parent and the root's current nest. AddNode appends
  // the child; InsertChild puts it at index pos of the child list (clipped); InsertSibling puts it next to
  // this node in the parent's child list (before it when before is non-zero). Null when there is no root
  // or the tree is inconsistent (logged in category "PlainNode").
  PlainNode* AddNode(const char* tag = nullptr);
  PlainNode* InsertChild(int pos, const char* tag = nullptr);
  PlainNode* InsertSibling(const char* tag = nullptr, int before = 0);
  // Removes the child at index from the list and deletes it and its descendants. -1 outside the list.
  int DeleteChild(int index);
  // Sorts the child list; cmp returns <0, 0, >0 like strcmp.
  void SortChildren(int (*cmp)(const PlainNode* a, const PlainNode* b));

  // Attributes, in the order added.
  int GetNumAttr() const { return static_cast<int>(m_attrs.size()); }
  const PlainNodeAttr* GetAttr(int index) const;
  const PlainNodeAttr* FindAttr(const char* name) const;  // by name ignoring case
  PlainNodeAttr* AddAttr(const char* name, const char* value);
  // The value of the attribute, empty when absent; returns out's length.
  int GetAttrText(const char* name, CTxt& out) const;
  // atoi / hexadecimal value of the attribute: -1 when absent (value unchanged), else 0.
  int GetAttrInt(const char* name, int& value) const;
  int GetAttrHex(const char* name, int& value) const;
  // All attributes as name="value" pairs separated by blanks; returns the number of attributes.
  int GetAttrList(CTxt& out) const;

  // Walks. FindTag searches the descendants depth-first (ignoring case). IterateNodes calls fn for every
  // child, IterateNodesDescend for every descendant (depth-first, parents first); a non-zero result of fn
  // stops the walk and is returned. GetNumDesc counts the descendants.
  PlainNode* FindTag(const char* tag) const;
  int IterateNodes(int (*fn)(PlainNode* node, void* context), void* context) const;
  int IterateNodesDescend(int (*fn)(PlainNode* node, void* context), void* context) const;
  int GetNumDesc() const;
  // Number of differences between the two subtrees (tag, content, attributes, child count, and the
  // children pairwise); each one is described on a line of report when it is given.
  int GetDiff(const PlainNode& other, CTxt* report = nullptr) const;

  // Entities: Txt2XML encodes as CTxt::ConvTxt2XML; XML2Txt decodes &lt; &gt; &amp; &apos; &quot; and
  // &#x<hex>; and returns the number of entities decoded.
  static int Txt2XML(const char* text, CTxt& out);
  static int XML2Txt(const char* text, CTxt& out);

 protected:
  friend class RootPlainNode;
  friend class HtmTokenizer;
  void ReleaseContents();  // frees text, attributes and child list (a deleted node keeps its slot)
  PlainNode* MakeChildAt(int pos, const char* tag);
  int DiffInto(const PlainNode& other, CTxt* report, int depth) const;

  CTxt m_tag;
  CTxt m_content;
  int m_plainID = 0;
  int m_parentID = 0;
  uint32_t m_dataItem = 0;
  int m_nest = 0;
  std::vector<uint32_t> m_children;
  std::vector<PlainNodeAttr> m_attrs;
  RootPlainNode* m_root = nullptr;
};

// The document: a PlainNode (plain ID 0) that also owns the list of all nodes. A node's plain ID is its
// index in that list + 1, so GetNode is a direct lookup; IDs are never reused while the root lives.
class RootPlainNode : public PlainNode {
  friend class HtmTokenizer;  // LoadHTM's scanner adds the nodes

 public:
  RootPlainNode();
  ~RootPlainNode();

  // Loads a whole file and tokenizes it with LoadHTM. The number of nodes, or -1 with
  // msg = ":Cannot read %s (%d)" when the file cannot be read or is empty.
  int LoadFile(const char* path, CTxt& msg);
  // Tokenizes an HTML page into a flat node list (never fails; builds what it can). Every tag becomes a
  // node (tag name, attributes, the text up to the next tag as content, the position of its '<' as data
  // item); an end tag is linked with the nearest earlier unpartnered start tag of the same name, each
  // holding the other's plain ID as parent ID. Returns the number of nodes.
  int LoadHTM(const char* text, CTxt& msg);
  int LoadHTM(const char* text, size_t length, CTxt& msg);
  // Reads an XML document with CXML into a tree under this root (each element a child of the element it
  // is in, attributes as attributes, its text as content). source is a path, or the document text with
  // kXmlFlagSourceIsText in flags. 0, or CXML's negative result with its first error in msg.
  int LoadXML(const char* source, CTxt& msg, int flags = 0);

  int GetNumNode() const { return static_cast<int>(m_nodes.size()); }
  PlainNode* GetNode(int id) const;  // null for an unknown or deleted id
  // A new node with the given parent (0 = the root), appended to the list and to the parent's children.
  PlainNode* AddNodeToRootList(int parentID);
  // Moves node id into the child list of newParentID at pos (-1 = at the end). -1 unknown node or parent,
  // -2 the new parent lies inside the node's own subtree; else 0.
  int MoveChild(int id, int newParentID, int pos = -1);
  // Deletes node id and its descendants (the delete callback is called for each); -1 unknown id, else 0.
  int DeleteNode(int id);
  void ReleaseAllNodes();

  // Searches of the flat list between 0-based indices from and to (to <= 0: to the end); each returns
  // the 0-based index of the first match, -1 when none.
  // FindTag: tag equal ignoring case.
  int FindTag(const char* tag, int from = 0, int to = 0) const;
  // FindContent: content without CR, LF, TAB equal to text ignoring case.
  int FindContent(const char* text, int from = 0, int to = 0) const;
  // FindContentTag: that tag and content without CR, LF, TAB and blanks equal to text ignoring case; a text
  // beginning with '<' matches content containing the rest (ignoring case); a null text any content.
  int FindContentTag(const char* tag, const char* text, int from = 0, int to = 0) const;

  using DeleteNodeFunc = void (*)(PlainNode* node);
  void SetIFDelNode(DeleteNodeFunc func) { m_onDelete = func; }

 private:
  friend class PlainNode;
  PlainNode* NewNode(int parentID);
  void DeleteSubtree(PlainNode* node);
  int Index(int from) const { return from < 0 ? 0 : from; }
  int End(int to) const;

  // Nodes live in blocks (never moved, so node pointers stay valid), the first of kFirstNodeBlock nodes and
  // each next one twice the size, up to kNodeBlock: a small page builds no more nodes than it holds.
  // m_nodes[id - 1] points at node id, or is null once the node is deleted.
  static constexpr int kFirstNodeBlock = 16;
  static constexpr int kNodeBlock = 1024;
  std::vector<std::unique_ptr<PlainNode[]>> m_blocks;
  int m_lastBlockSize = 0;
  int m_usedInLastBlock = 0;
  std::vector<PlainNode*> m_nodes;
  DeleteNodeFunc m_onDelete = nullptr;
};
