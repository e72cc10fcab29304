// The workspace commands of the main window and their dialogs: "More Workspaces" (17529), "Open
// Workspace" (17530), save in place (17531), close with the "Save Workspace" prompt (17532) and "Save
// Workspace As" (17793). The file dialogs are the system's common dialogs, owned by the main window.
#pragma once

namespace orchart {

void RegisterWorkspaceCommands();

}  // namespace orchart
