// The font of the resource-less dialogs ("MS Sans Serif", 8 points) and the measuring of texts with it in
// dialog units, converted the way the dialog manager converts (the average letter counts 4 units), with a
// little room so that a measured label is never clipped.
#pragma once

#include <windows.h>

constexpr const char* kDialogFontFace = "MS Sans Serif";
constexpr WORD kDialogFontPoints = 8;

class DialogFontMeasure {
 public:
  DialogFontMeasure();
  ~DialogFontMeasure();
  DialogFontMeasure(const DialogFontMeasure&) = delete;
  DialogFontMeasure& operator=(const DialogFontMeasure&) = delete;

  // The width of one line of text in dialog units (rounded up).
  int Units(const char* text) const;
  // The widest of the lines of text ("\r\n" or "\n" separated) and their number.
  int WidestLine(const char* text, int* lines) const;

 private:
  HDC m_dc = nullptr;
  HFONT m_font = nullptr;
  HGDIOBJ m_previous = nullptr;
  double m_averagePixels = 6;
};
