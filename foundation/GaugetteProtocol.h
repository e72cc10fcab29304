// How a program talks to the progress window (Gaugette.exe); shared by the caller side (Gaugette_win.cpp)
// and the program itself (tools/gaugette).
//
// The progress window is a top-level dialog (class "#32770") whose title, upper-cased, begins with
// "GAUGETTE". The caller puts its text into the window's control kGaugetteTextId with WM_SETTEXT, then
// sends WM_COMMAND with one of the command ids below. No other channel exists.
//   kGaugetteCmdUpdate:  text "PERCENT\tLINE" - a bar at PERCENT (a decimal number) and LINE as its text.
//   kGaugetteCmdMessage: text "FIRST\tSECOND" - two lines of text, no bar change.
//   kGaugetteCmdClose:   the window closes and the program ends.
#pragma once

constexpr const char* kGaugetteWindowClass = "#32770";
constexpr const char* kGaugetteTitlePrefix = "GAUGETTE";  // compared with the upper-cased title
constexpr const char* kGaugetteProgram = "Gaugette.exe";
constexpr int kGaugetteTextId = 1004;
constexpr int kGaugetteCmdUpdate = 1002;
constexpr int kGaugetteCmdClose = 1003;
constexpr int kGaugetteCmdMessage = 1004;
