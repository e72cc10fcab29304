// CDlgCfg: the configuration dialog, built in memory (a resizable popup with its controls created at
// WM_INITDIALOG), over the portable configuration description of sequence/ConfigDescription.
#include "app/Dialogs/DlgCfg.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "app/Dialogs/DynDlgTemplate.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysWin.h"
#include "foundation/Txt.h"

namespace {

constexpr int kMargin = 8;
constexpr int kButtonHeight = 26;
constexpr int kInputHeight = 24;
constexpr int kDefaultTreePercent = 35;
constexpr int kDefaultWidthPercent = 60;
constexpr int kDefaultHeightPercent = 70;
constexpr int kMinimumWidthUnits = 500;  // dialog units
constexpr LPARAM kRootData = -1;
constexpr const char* kPasswordMask = "*****";

std::atomic<ConfigBoxFunction> g_showBox{nullptr};

std::wstring Wide(const std::string& text) {
  if (text.empty()) return L"";
  int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], n);
  out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return out;
}

std::string WindowText(HWND window) {
  int n = GetWindowTextLengthA(window);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  GetWindowTextA(window, &text[0], n + 1);
  text.resize(static_cast<size_t>(std::max(0, n)));
  return text;
}

// "Face|Height" of a font setting of the dialog, read and written back.
HFONT FontSetting(const char* key, const char* def, const char* iniFile) {
  CTxt text;
  Settings::GetString("CFGDLG", key, def, text, iniFile);
  Settings::WriteString("CFGDLG", key, text, iniFile);
  CTxt face, height;
  strfld(text, '|', 1, 1, face);
  strfld(text, '|', 2, 2, height);
  int pixels = std::max(6, std::min(72, std::atoi(height)));
  return CreateFontA(-pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

int AverageCharWidth(HWND window, HFONT font) {
  HDC dc = GetDC(window);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return std::max(4, static_cast<int>(metrics.tmAveCharWidth));
}

// The description as the panel shows it: wrapped lines, "{Line}" words drawn as a line of dashes, and
// "{Pic:NAME}" words left out (the picture shows below the text) or named when the picture is missing.
std::string PanelText(const ConfigItem& item, const std::string& baseDir) {
  std::string out;
  for (const std::string& line : WrapConfigDescription(item.description)) {
    std::string shown = line;
    size_t at;
    while ((at = shown.find("{Line}")) != std::string::npos) shown.replace(at, 6, std::string(40, '-'));
    while ((at = shown.find("{Pic:")) != std::string::npos) {
      size_t end = shown.find('}', at);
      if (end == std::string::npos) break;
      std::string name = shown.substr(at + 5, end - at - 5);
      std::string picture = FindConfigPicture(baseDir, name);
      // A picture that exists is shown below the text; a missing one is named where it would be.
      shown.replace(at, end - at + 1, picture.empty() ? "[picture " + name + " missing]" : "");
    }
    out += shown + "\r\n";
  }
  return out;
}

// The first "{Pic:NAME}" word of a description, "" when there is none.
std::string FirstPictureName(const std::string& description) {
  size_t at = description.find("{Pic:");
  size_t end = at == std::string::npos ? at : description.find('}', at);
  return end == std::string::npos ? "" : description.substr(at + 5, end - at - 5);
}

// A GIF or JPEG file as a bitmap of our own (the picture object's handle goes with the object); null when
// it cannot be read.
HBITMAP LoadPictureFile(const std::string& path) {
  char full[MAX_PATH] = "";
  if (!GetFullPathNameA(path.c_str(), sizeof full, full, nullptr)) return nullptr;
  std::wstring wide = Wide(full);
  IPicture* picture = nullptr;
  if (FAILED(OleLoadPicturePath(const_cast<LPOLESTR>(wide.c_str()), nullptr, 0, 0, IID_IPicture,
                                reinterpret_cast<void**>(&picture))) ||
      !picture)
    return nullptr;
  OLE_HANDLE handle = 0;
  short type = PICTYPE_NONE;
  HBITMAP copy = nullptr;
  if (SUCCEEDED(picture->get_Type(&type)) && type == PICTYPE_BITMAP &&
      SUCCEEDED(picture->get_Handle(&handle)))
    copy = static_cast<HBITMAP>(
        CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)), IMAGE_BITMAP, 0, 0, 0));
  picture->Release();
  return copy;
}

bool IsListKind(const ConfigItem& item) {
  return item.kind == ConfigKind::kBool || item.kind == ConfigKind::kParSource || !item.choices.empty();
}

std::vector<std::string> ListEntries(const ConfigItem& item) {
  if (item.kind == ConfigKind::kBool) return {"YES", "NO"};
  if (item.kind == ConfigKind::kParSource)
    return {std::begin(kConfigPriceSources), std::end(kConfigPriceSources)};
  return item.choices;
}

// The entry of a drop-down list that shows the item's text.
int ListIndexOf(const ConfigItem& item, const std::string& text) {
  std::vector<std::string> entries = ListEntries(item);
  std::string normal;
  CTxt reason;
  if (NormaliseConfigValue(item, text, normal, reason) < 0) return -1;
  if (item.kind == ConfigKind::kParSource) return std::atoi(normal.c_str()) - 1;
  for (size_t i = 0; i < entries.size(); ++i)
    if (EqualNoCase(entries[i].c_str(), normal.c_str())) return static_cast<int>(i);
  return -1;
}

}  // namespace

void SetConfigDialogBoxFunction(ConfigBoxFunction show) {
  g_showBox.store(show);
}

// --- Registry store
// ------------------------------------------------------------------------------------------

bool RegistryConfigStore::ReadRegistry(const std::string& name, const std::string& def, std::string& out) {
  CTxt value;
  int r =
      RegistryRead(name.c_str(), value, def.c_str(), m_application.empty() ? nullptr : m_application.c_str());
  out = value.ToStd();
  return r == 0 || r == -2;  // -2: read as the default, which could not be stored
}

bool RegistryConfigStore::WriteRegistry(const std::string& name, const std::string& text) {
  return RegistryWrite(name.c_str(), text.c_str(), m_application.empty() ? nullptr : m_application.c_str()) ==
         0;
}

// --- Dialog
// ----------------------------------------------------------------------------------------------------

int CDlgCfg::Load(const char* descriptionPath, CTxt& message, const char* iniFile) {
  m_iniFile = iniFile ? iniFile : "";
  m_store.reset(new RegistryConfigStore(iniFile));
  return m_description.Load(descriptionPath, *m_store, message);
}

int CDlgCfg::Run(HWND owner) {
  if (!m_store) return -1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // Pictures are read by the system's picture object, which needs COM on this thread.
  HRESULT com = CoInitialize(nullptr);
  // An empty resizable popup: the controls are created at WM_INITDIALOG, where fonts and sizes are known.
  CDynDlgTemplate dialogTemplate;
  dialogTemplate.SetHeader(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN | DS_CENTER,
                           0, 0, 0, static_cast<short>(kMinimumWidthUnits), 300);
  dialogTemplate.SetTitle(m_description.Title().c_str());
  INT_PTR r = RunModal(owner, dialogTemplate.GetTemplate());
  if (m_editFont) DeleteObject(m_editFont);
  if (m_textFont) DeleteObject(m_textFont);
  if (m_pictureBitmap) DeleteObject(m_pictureBitmap);
  m_editFont = m_textFont = nullptr;
  m_pictureBitmap = nullptr;
  if (SUCCEEDED(com)) CoUninitialize();
  return static_cast<int>(r);
}

bool CDlgCfg::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR& result) {
  if (message == WM_SIZE) {
    Layout();
    result = TRUE;
    return true;
  }
  if (message == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = 480;
    info->ptMinTrackSize.y = 320;
    result = TRUE;
    return true;
  }
  return false;
}

void CDlgCfg::CreateFonts() {
  const char* ini = m_iniFile.empty() ? nullptr : m_iniFile.c_str();
  m_editFont = FontSetting("EditFont", "Courier New|16", ini);
  m_textFont = FontSetting("TextFont", "Arial|12", ini);
}

bool CDlgCfg::OnInit() {
  m_dialog = Hwnd();
  CreateFonts();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  auto child = [&](const char* cls, const char* text, DWORD style, int id) {
    HWND w = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, m_dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont), FALSE);
    return w;
  };
  m_tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS |
                               TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                           0, 0, 10, 10, m_dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCfgTreeId)),
                           instance, nullptr);
  SendMessageA(m_tree, WM_SETFONT, reinterpret_cast<WPARAM>(m_textFont), FALSE);
  m_heading = child("STATIC", "", SS_LEFT | SS_NOPREFIX, kCfgHeadingId);
  m_line = child("STATIC", "", SS_ETCHEDHORZ, -1);
  m_text = child("EDIT", "", ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL, kCfgDescriptionId);
  m_picture = child("STATIC", "", SS_BITMAP | SS_CENTERIMAGE, kCfgPictureId);
  ShowWindow(m_picture, SW_HIDE);
  m_apply = child("BUTTON", "(&Apply)", WS_TABSTOP | BS_PUSHBUTTON, kCfgApplyId);
  m_restore = child("BUTTON", "(&Restore)", WS_TABSTOP | BS_PUSHBUTTON, kCfgRestoreId);
  m_default = child("BUTTON", "&Default", WS_TABSTOP | BS_PUSHBUTTON, kCfgDefaultId);
  m_close = child("BUTTON", "&Close", WS_TABSTOP | BS_PUSHBUTTON, kCfgCloseId);

  // Size: percentages of the usable screen, at least 500 dialog units wide.
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  int widthPercent = m_description.WidthPercent() > 0 ? m_description.WidthPercent() : kDefaultWidthPercent;
  int heightPercent =
      m_description.HeightPercent() > 0 ? m_description.HeightPercent() : kDefaultHeightPercent;
  RECT units{0, 0, kMinimumWidthUnits, 0};
  MapDialogRect(m_dialog, &units);
  int width = std::max<int>(units.right, (work.right - work.left) * std::min(widthPercent, 100) / 100);
  width = std::min<int>(width, work.right - work.left);
  int height = (work.bottom - work.top) * std::min(heightPercent, 100) / 100;
  SetWindowPos(m_dialog, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, std::max(height, 320), SWP_NOZORDER);
  FillTree();
  Layout();
  SetFocus(m_tree);
  return false;  // the focus is on the tree
}

void CDlgCfg::FillTree() {
  auto insert = [&](HTREEITEM parent, const std::string& text, LPARAM data) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(m_tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  };
  std::string rootLabel = m_description.SectionName().empty() ? "Root" : m_description.SectionName();
  HTREEITEM root = insert(TVI_ROOT, rootLabel, kRootData);
  CTxt last;
  Settings::GetString("CFGDLG", "LastItemName", "", last, m_iniFile.empty() ? nullptr : m_iniFile.c_str());
  HTREEITEM select = root;
  std::vector<ConfigGroup>& groups = m_description.Groups();
  for (size_t g = 0; g < groups.size(); ++g) {
    HTREEITEM group = insert(root, groups[g].name, static_cast<LPARAM>(g << 16));
    for (size_t i = 0; i < groups[g].items.size(); ++i) {
      ConfigItem& item = groups[g].items[i];
      std::string value = item.inputStyle & kConfigPassword ? kPasswordMask : item.currentText;
      HTREEITEM node = insert(group, item.name + "=" + value, static_cast<LPARAM>((g << 16) | (i + 1)));
      if (select == root && last.IsFilled() && EqualNoCase(item.name.c_str(), last)) select = node;
    }
  }
  SendMessageA(m_tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(select));
  ShowSelection();
}

ConfigItem* CDlgCfg::ItemOf(LPARAM data) {
  if (data == kRootData) return nullptr;
  size_t g = static_cast<size_t>(data) >> 16, i = static_cast<size_t>(data) & 0xFFFF;
  std::vector<ConfigGroup>& groups = m_description.Groups();
  if (g >= groups.size() || i == 0 || i > groups[g].items.size()) return nullptr;
  return &groups[g].items[i - 1];
}

void CDlgCfg::ShowSelection() {
  HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  TVITEMA tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = selected;
  if (!selected || !SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return;
  ConfigItem* item = ItemOf(tv.lParam);
  if (item) {
    ShowItem(*item);
    return;
  }
  std::vector<ConfigGroup>& groups = m_description.Groups();
  size_t g = static_cast<size_t>(tv.lParam) >> 16;
  ShowIntro(tv.lParam != kRootData && g < groups.size() ? groups[g].name : m_description.SectionName());
}

void CDlgCfg::ShowIntro(const std::string& heading) {
  if (m_current) TakeInput();
  m_current = nullptr;
  DestroyInput();
  SetWindowTextA(m_heading, heading.c_str());
  ConfigItem intro;
  intro.description = m_description.Intro();
  SetWindowTextA(m_text, PanelText(intro, m_description.BaseDir()).c_str());
  ShowPicture(intro.description);
  for (HWND button : {m_apply, m_restore, m_default}) ShowWindow(button, SW_HIDE);
}

void CDlgCfg::ShowItem(ConfigItem& item) {
  if (m_current && m_current != &item) TakeInput();
  m_current = &item;
  CTxt heading;
  heading.Format("%s Parameter '%s':", item.group.c_str(), item.name.c_str());
  SetWindowTextA(m_heading, heading);
  SetWindowTextA(m_text, PanelText(item, m_description.BaseDir()).c_str());
  ShowPicture(item.description);
  CreateInput(item);
  CTxt caption;
  caption.Format("&Default (%s)",
                 item.inputStyle & kConfigPassword ? kPasswordMask : item.defaultText.c_str());
  SetWindowTextA(m_default, caption);
  for (HWND button : {m_apply, m_restore, m_default}) ShowWindow(button, SW_SHOW);
  UpdateButtons();
  Layout();
}

void CDlgCfg::ShowPicture(const std::string& description) {
  std::string name = FirstPictureName(description);
  std::string path = name.empty() ? "" : FindConfigPicture(m_description.BaseDir(), name);
  HBITMAP bitmap = path.empty() ? nullptr : LoadPictureFile(path);
  if (!path.empty() && !bitmap) LogTrace("DlgCfg", kLogNormal, "Picture not shown: %s", path.c_str());
  SendMessageA(m_picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  if (m_pictureBitmap) DeleteObject(m_pictureBitmap);
  m_pictureBitmap = bitmap;
  ShowWindow(m_picture, bitmap ? SW_SHOW : SW_HIDE);
  Layout();
}

void CDlgCfg::CreateInput(ConfigItem& item) {
  DestroyInput();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  HMENU id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCfgInputId));
  if (IsListKind(item)) {
    m_input =
        CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                        0, 0, 10, 200, m_dialog, id, instance, nullptr);
    if (m_input) {
      for (const std::string& entry : ListEntries(item))
        SendMessageA(m_input, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
      SendMessageA(m_input, CB_SETCURSEL, static_cast<WPARAM>(ListIndexOf(item, item.currentText)), 0);
    }
  } else {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
    if (item.inputStyle & kConfigDigitsOnly) style |= ES_NUMBER;
    if (item.inputStyle & kConfigUpper) style |= ES_UPPERCASE;
    if (item.inputStyle & kConfigLower) style |= ES_LOWERCASE;
    if (item.inputStyle & kConfigPassword) style |= ES_PASSWORD;
    m_input = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", item.currentText.c_str(), style, 0, 0, 10, 10,
                              m_dialog, id, instance, nullptr);
    if (m_input && item.kind == ConfigKind::kText)
      SendMessageA(m_input, EM_LIMITTEXT, static_cast<WPARAM>(item.maxLength), 0);
  }
  if (!m_input) {
    CTxt message;
    message.Format("Cannot create Control (Error %d)", static_cast<int>(GetLastError()));
    Box(message, MB_ICONSTOP);
    return;
  }
  SendMessageA(m_input, WM_SETFONT, reinterpret_cast<WPARAM>(m_editFont), TRUE);
}

// The handle is dropped first: destroying a focused field sends EN_KILLFOCUS, which must not take the old
// field's text into the item shown next.
void CDlgCfg::DestroyInput() {
  HWND old = m_input;
  m_input = nullptr;
  if (old) DestroyWindow(old);
}

void CDlgCfg::TakeInput() {
  if (!m_current || !m_input) return;
  std::string text;
  if (IsListKind(*m_current)) {
    int index = static_cast<int>(SendMessageA(m_input, CB_GETCURSEL, 0, 0));
    std::vector<std::string> entries = ListEntries(*m_current);
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    text = m_current->kind == ConfigKind::kParSource ? std::to_string(index + 1)
                                                     : entries[static_cast<size_t>(index)];
  } else {
    text = WindowText(m_input);
  }
  EditConfigItem(*m_current, text);
  UpdateButtons();
}

void CDlgCfg::UpdateButtons() {
  bool changed = m_current && m_current->changed;
  SetWindowTextA(m_apply, changed ? "&APPLY" : "(&Apply)");
  SetWindowTextA(m_restore, changed ? "&RESTORE" : "(&Restore)");
}

void CDlgCfg::RefreshLabel(ConfigItem& item, bool star) {
  HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  std::string value = item.inputStyle & kConfigPassword ? kPasswordMask : item.currentText;
  std::string label = item.name + "=" + value + (star ? "*" : "");
  TVITEMA tv{};
  tv.mask = TVIF_TEXT;
  tv.hItem = selected;
  tv.pszText = const_cast<char*>(label.c_str());
  SendMessageA(m_tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void CDlgCfg::Apply(const std::string* replacement) {
  if (!m_current) return;
  ConfigItem& item = *m_current;
  if (replacement) {
    EditConfigItem(item, *replacement);
    if (IsListKind(item))
      SendMessageA(m_input, CB_SETCURSEL, static_cast<WPARAM>(ListIndexOf(item, *replacement)), 0);
    else
      SetWindowTextA(m_input, replacement->c_str());
  } else {
    TakeInput();
  }
  std::string oldText;
  CTxt reason;
  int r = ApplyConfigItem(item, *m_store, oldText, reason);
  if (r < 0) {
    Box(reason, MB_ICONSTOP);
    SetFocus(m_input);
    UpdateButtons();
    return;
  }
  if (!IsListKind(item)) SetWindowTextA(m_input, item.currentText.c_str());
  if (r == kConfigAppliedChanged) {
    RefreshLabel(item, true);
    CTxt note;
    bool hidden = item.inputStyle & kConfigPassword;
    note.Format("Updated %s Parameter %s:\r\n%s -> %s", item.group.c_str(), item.name.c_str(),
                hidden ? kPasswordMask : oldText.c_str(), hidden ? kPasswordMask : item.currentText.c_str());
    Box(note, MB_ICONINFORMATION);
  }
  UpdateButtons();
}

bool CDlgCfg::OnCommand(int id, int code, HWND control) {
  try {
    Command(id, code, control);
  } catch (const std::exception& e) {
    LogTrace("DlgCfg", kLogNormal, "ChgData: %s (%s)", e.what(), m_current ? m_current->name.c_str() : "");
  }
  return true;
}

void CDlgCfg::Command(int id, int code, HWND sender) {
  switch (id) {
    case kCfgInputId:
      if ((code == EN_KILLFOCUS || code == CBN_SELCHANGE) && sender == m_input) TakeInput();
      break;
    case IDOK:  // Enter in the input field
    case kCfgApplyId:
      Apply(nullptr);
      break;
    case kCfgRestoreId:
      if (m_current) {
        std::string loaded = m_current->loadedText;
        Apply(&loaded);
      }
      break;
    case kCfgDefaultId:
      if (m_current) {
        std::string def = m_current->defaultText;
        Apply(&def);
      }
      break;
    case kCfgCloseId: {
      // Pending edits are dropped: only applied values were written.
      Settings::WriteString("CFGDLG", "LastItemName", m_current ? m_current->name.c_str() : "",
                            m_iniFile.empty() ? nullptr : m_iniFile.c_str());
      m_current = nullptr;
      End(m_description.ChangedCount());
      break;
    }
    default:
      break;
  }
}

LRESULT CDlgCfg::OnNotify(NMHDR* header) {
  if (header->idFrom == static_cast<UINT_PTR>(kCfgTreeId) && header->code == TVN_SELCHANGEDA) ShowSelection();
  return 0;
}

void CDlgCfg::Layout() {
  if (!m_tree) return;
  RECT client{};
  GetClientRect(m_dialog, &client);
  int w = client.right, h = client.bottom;
  int treePercent =
      m_description.TreeWidthPercent() > 0 ? m_description.TreeWidthPercent() : kDefaultTreePercent;
  treePercent = std::max(15, std::min(70, treePercent));
  int treeWidth = w * treePercent / 100;
  int closeTop = h - kMargin - kButtonHeight;
  MoveWindow(m_tree, kMargin, kMargin, treeWidth, closeTop - 2 * kMargin, TRUE);
  MoveWindow(m_close, w - kMargin - 90, closeTop, 90, kButtonHeight, TRUE);
  int x = kMargin + treeWidth + 12, panel = std::max(50, w - x - kMargin);
  int buttonsTop = closeTop - 2 * kMargin - kButtonHeight;
  int inputTop = buttonsTop - kMargin - kInputHeight;
  MoveWindow(m_heading, x, kMargin, panel, 20, TRUE);
  MoveWindow(m_line, x, kMargin + 24, panel, 2, TRUE);
  int textTop = kMargin + 32, textHeight = std::max(20, inputTop - kMargin - textTop);
  if (m_pictureBitmap) {
    // The picture takes the lower half of the description's room.
    int pictureHeight = textHeight / 2;
    textHeight -= pictureHeight + kMargin;
    MoveWindow(m_picture, x, textTop + textHeight + kMargin, panel, pictureHeight, TRUE);
  }
  MoveWindow(m_text, x, textTop, panel, textHeight, TRUE);
  if (m_input) {
    int chars = 0;
    if (m_current && (m_current->kind == ConfigKind::kParInt || m_current->kind == ConfigKind::kParFloat))
      chars = 30;
    if (m_current && m_current->kind == ConfigKind::kParText) chars = 45;
    int inputWidth = chars ? std::min(panel, chars * AverageCharWidth(m_input, m_editFont) + 12) : panel;
    MoveWindow(m_input, x, inputTop, inputWidth, IsListKind(*m_current) ? 200 : kInputHeight, TRUE);
  }
  MoveWindow(m_apply, x, buttonsTop, 100, kButtonHeight, TRUE);
  MoveWindow(m_restore, x + 108, buttonsTop, 100, kButtonHeight, TRUE);
  MoveWindow(m_default, x + 216, buttonsTop, std::max(100, std::min(260, panel - 216)), kButtonHeight, TRUE);
}

int CDlgCfg::Box(const char* text, UINT style) {
  const char* caption = m_description.Title().c_str();
  LogTrace("DlgCfg", kLogNormal, "%s", text);
  ConfigBoxFunction show = g_showBox.load();
  return show ? show(m_dialog, text, caption, style) : MessageBoxA(m_dialog, text, caption, style);
}

// --- The main window's use
// -------------------------------------------------------------------------------------

int RunConfigurationDialog(HWND parent, const char* programFolder, int& changedCount) {
  changedCount = 0;
  std::string path = std::string(programFolder ? programFolder : ".") + "/Tavrin.xml";
  ConfigBoxFunction show = g_showBox.load();
  auto box = [&](const char* text, UINT style) {
    return show ? show(parent, text, "Tavrin", style) : MessageBoxA(parent, text, "Tavrin", style);
  };
  CDlgCfg dialog;
  CTxt message;
  int r = dialog.Load(path.c_str(), message);
  if (r < 0) {
    LogTrace("Tavrin", kLogNormal, "%s", static_cast<const char*>(message));
    box(message, MB_ICONSTOP | MB_TOPMOST);
    return r;
  }
  changedCount = std::max(0, dialog.Run(parent));
  LogTrace("Tavrin", kLogNormal, "%d Items updated", changedCount);
  if (changedCount > 0) {
    CTxt note;
    if (changedCount == 1)
      note = "The parameter change will take effect next time you open data";
    else
      note.Format("The %d parameter changes will take effect next time you start", changedCount);
    box(note, MB_ICONSTOP | MB_TOPMOST);
  }
  if (Settings::GetBool("Tavrin", "DirectCfgEdit", false)) {
    CTxt editor, ini;
    Settings::GetString("Tavrin", "EDITOR", "NOTEPAD", editor);
    Settings::WriteString("Tavrin", "EDITOR", editor);
    Settings::GetIniPath(ini);
    ini.MakeFnDOS();
    CTxt command;
    command.Format("!%s \"%s\"", static_cast<const char*>(editor), static_cast<const char*>(ini));
    LaunchProcess(command, 1);
  }
  return 0;
}
