// Until the main window exists, starting Tavrin without /R says how to run a definition.
#include "app/MainDialog.h"

#include <windows.h>

#include "app/RunnerApp.h"
#include "app/Unattended.h"

int RunMainWindow(RunnerApp&) {
  ShowAppText("The main window is not built yet. Run a definition with: Tavrin.exe /R DEFINITION [/Q]",
              false);
  return 0;
}
