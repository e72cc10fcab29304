// Tavrin.exe's entry point.
#include <windows.h>

#include "app/RunnerApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunnerApp app;
  return app.Run(ProcessArguments());
}
