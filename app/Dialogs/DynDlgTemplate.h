// CDynDlgTemplate: a dialog template built in memory (header, menu, class, title, font and items), for the
// dialogs that have no resource. It can be written to and read from a plain byte form, and builds the
// platform's DLGTEMPLATE layout on request.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

class CDynDlgTemplate {
 public:
  struct Item {
    short x = 0, y = 0, cx = 0, cy = 0;
    WORD id = 0;
    DWORD style = 0;
    std::wstring className;  // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" or any class
    std::wstring text;
    std::vector<BYTE> creationData;
  };

  CDynDlgTemplate() = default;
  CDynDlgTemplate(const CDynDlgTemplate&) = delete;
  CDynDlgTemplate& operator=(const CDynDlgTemplate&) = delete;
  ~CDynDlgTemplate() { ReleaseTemplate(); }

  void SetHeader(DWORD style, DWORD exStyle, short x, short y, short cx, short cy);
  void SetMenu(const char* menu);
  void SetClass(const char* windowClass);
  // The title from ANSI text (the system's code page).
  void SetTitle(const char* title);
  // Used when the style has DS_SETFONT.
  void SetFont(WORD pointSize, const char* face);
  // Adds an item; returns its index.
  int AddItem(short x, short y, short cx, short cy, WORD id, DWORD style, const char* className,
              const char* text, const void* creationData = nullptr, WORD creationSize = 0);

  // The built template, owned by this object; null while a built one has not been released, or when memory
  // runs out.
  const DLGTEMPLATE* GetTemplate();
  void ReleaseTemplate();

  // The plain byte form: the 18-byte header, then the menu, class and title blocks each preceded by its
  // 32-bit size, the font block when the style has DS_SETFONT, and the items. Read returns false (this object
  // then unchanged) for a truncated or inconsistent form.
  std::vector<BYTE> Write() const;
  bool Read(const std::vector<BYTE>& bytes);

  DWORD Style() const { return m_style; }
  DWORD ExStyle() const { return m_exStyle; }
  short X() const { return m_x; }
  short Y() const { return m_y; }
  short Width() const { return m_cx; }
  short Height() const { return m_cy; }
  const std::wstring& Title() const { return m_title; }
  const std::wstring& FontFace() const { return m_fontFace; }
  WORD FontSize() const { return m_fontSize; }
  const std::vector<Item>& Items() const { return m_items; }

 private:
  DWORD m_style = 0, m_exStyle = 0;
  short m_x = 0, m_y = 0, m_cx = 0, m_cy = 0;
  std::wstring m_menu, m_class, m_title, m_fontFace;
  WORD m_fontSize = 8;
  std::vector<Item> m_items;
  HGLOBAL m_built = nullptr;
};

// ANSI text (the system's code page) as UTF-16, and back.
std::wstring WideFromAnsi(const char* text);
std::string AnsiFromWide(const std::wstring& text);
