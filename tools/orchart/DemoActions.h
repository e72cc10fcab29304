// Control-file actions for demonstrations and checks by hand, each run once whenever its value changes:
//   Click=TITLE|ID          posts a click of control ID to the dialog holding it, in the first visible
//                           window of the stand-in whose title begins with TITLE (ID 1 or 2: the window's
//                           own OK or Cancel)
//   SetText=TITLE|ID|TEXT   sets the text of control ID in that window
//   Key=TITLE|ID|KEY        posts a key (a virtual-key number) down and up to control ID in that window
#pragma once

namespace orchart {

void RegisterDemoActions();

}  // namespace orchart
