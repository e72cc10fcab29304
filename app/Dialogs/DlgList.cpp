// The list dialog: a template built from the measured title and list size, filled and preselected on opening.
#include "app/Dialogs/DlgList.h"

#include "app/Dialogs/Dialog.h"
#include "app/Dialogs/DialogFont.h"
#include "app/Dialogs/DynDlgTemplate.h"
#include "sequence/PromptFields.h"

namespace {

constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
constexpr DWORD kPopupExStyle = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;

class ListDialog : public Dialog {
 public:
  ListDialog(const CDlgList& owner, const CTxt& selection, bool placed, int x, int y)
      : m_list(owner), m_selection(selection), m_placed(placed), m_x(x), m_y(y) {}
  CTxt chosen;

 protected:
  bool OnInit() override {
    RECT r{};
    GetWindowRect(Hwnd(), &r);
    MoveOntoWorkArea(Hwnd(), m_placed ? m_x : r.left, m_placed ? m_y : r.top);
    if (m_list.topmost) SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    HWND list = Item(kListControlId);
    if (m_list.items.GetSize() == 0)
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kEmptyListEntry));
    int selected = -1;
    for (int i = 0; i < m_list.items.GetSize(); ++i) {
      const char* item = m_list.items.GetAtTxt(i);
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item ? item : ""));
      if (selected < 0 && m_selection.IsFilled() && EqualNoCase(item, m_selection)) selected = i;
    }
    if (selected >= 0) {
      SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
      SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(selected), 0);
    }
    return true;
  }
  bool OnCommand(int id, int code, HWND) override {
    bool doubleClick = id == kListControlId && code == LBN_DBLCLK && m_list.okCaption.IsFilled();
    if (id == IDOK || doubleClick) {
      if (m_list.okCaption.IsEmpty()) return true;  // no OK button: Enter does not choose
      HWND list = Item(kListControlId);
      int index = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
      if (index < 0) return true;
      int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
      std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
      chosen = text.c_str();
      End(index);
      return true;
    }
    if (id == IDCANCEL) {
      End(-1);
      return true;
    }
    return false;
  }

 private:
  const CDlgList& m_list;
  const CTxt& m_selection;
  bool m_placed;
  int m_x, m_y;
};

}  // namespace

int CDlgList::DoModal(HWND owner, const char* title, CTxt& selection) {
  DialogFontMeasure measure;
  ListMeasures m;
  m.titleWidth = measure.Units(title);
  m.widthChars = widthChars;
  m.visibleLines = visibleLines;
  m.itemCount = items.GetSize() > 0 ? items.GetSize() : 1;
  m.okCaption = okCaption;
  m.requestedWidth = width;
  m.requestedHeight = height;
  m.heading = heading.IsFilled();
  ListLayout l = LayoutList(m);

  CDynDlgTemplate t;
  t.SetHeader(kPopupStyle, kPopupExStyle, 0, 0, static_cast<short>(l.width), static_cast<short>(l.height));
  t.SetTitle(title);
  t.SetFont(kDialogFontPoints, kDialogFontFace);
  if (m.heading)
    t.AddItem(static_cast<short>(l.listX), static_cast<short>(l.headingY), static_cast<short>(l.listWidth),
              kListHeadingHeight, kListHeadingId, WS_VISIBLE | SS_LEFT | SS_NOPREFIX, "Static", heading);
  DWORD listStyle = WS_VISIBLE | WS_TABSTOP | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (l.scrollBar) listStyle |= WS_VSCROLL;
  t.AddItem(static_cast<short>(l.listX), static_cast<short>(l.listY), static_cast<short>(l.listWidth),
            static_cast<short>(l.listHeight), kListControlId, listStyle, "ListBox", "");
  if (l.okWidth > 0)
    t.AddItem(static_cast<short>(l.okX), static_cast<short>(l.buttonY), static_cast<short>(l.okWidth),
              kButtonHeight, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, "Button", okCaption);
  t.AddItem(static_cast<short>(l.cancelX), static_cast<short>(l.buttonY), kCancelWidth, kButtonHeight,
            IDCANCEL, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, "Button",
            l.okWidth > 0 ? "&Cancel" : "&Close");

  ListDialog dialog(*this, selection, m_placed, m_x, m_y);
  INT_PTR result = dialog.RunModal(owner, t.GetTemplate());
  t.ReleaseTemplate();
  if (result < 0) return -1;
  selection = dialog.chosen;
  return static_cast<int>(result);
}
