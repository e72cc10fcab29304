// Measuring texts with the dialogs' font on the screen.
#include "app/Dialogs/DialogFont.h"

#include <cmath>
#include <cstring>
#include <string>

#include "sequence/PromptFields.h"

DialogFontMeasure::DialogFontMeasure() {
  m_dc = CreateCompatibleDC(nullptr);
  if (!m_dc) return;
  LOGFONTA lf{};
  lf.lfHeight = -MulDiv(kDialogFontPoints, GetDeviceCaps(m_dc, LOGPIXELSY), 72);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(lf.lfFaceName, kDialogFontFace, LF_FACESIZE);
  m_font = CreateFontIndirectA(&lf);
  if (m_font) m_previous = SelectObject(m_dc, m_font);
  // The dialog manager's own base unit: the average of the 52 letters (the capitals alone are wider, and
  // converting with them would cut labels short).
  SIZE size{};
  const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  if (GetTextExtentPoint32A(m_dc, alphabet, 52, &size) && size.cx > 0) m_averagePixels = size.cx / 52.0;
}

DialogFontMeasure::~DialogFontMeasure() {
  if (m_dc && m_previous) SelectObject(m_dc, m_previous);
  if (m_font) DeleteObject(m_font);
  if (m_dc) DeleteDC(m_dc);
}

int DialogFontMeasure::Units(const char* text) const {
  if (!text || !*text || !m_dc) return 0;
  SIZE size{};
  if (!GetTextExtentPoint32A(m_dc, text, static_cast<int>(std::strlen(text)), &size)) return 0;
  return static_cast<int>(std::ceil(size.cx * kAverageCharUnits / m_averagePixels)) + 2;
}

int DialogFontMeasure::WidestLine(const char* text, int* lines) const {
  int widest = 0, count = 0;
  std::string line;
  for (const char* p = text ? text : "";; ++p) {
    if (*p == '\r') continue;
    if (*p == '\n' || *p == '\0') {
      ++count;
      int units = Units(line.c_str());
      if (units > widest) widest = units;
      line.clear();
      if (*p == '\0') break;
      continue;
    }
    line += *p;
  }
  if (lines) *lines = (text && *text) ? count : 0;
  return widest;
}
