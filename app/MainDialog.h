// The main window: runs modally until the user exits; returns the process exit code.
#pragma once

class RunnerApp;

int RunMainWindow(RunnerApp& app);
