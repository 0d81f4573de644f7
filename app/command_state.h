// What a command may change, kept so that the command can be taken back: every Workspace
// field, the window's state, and through the window its boxes, panels, check marks and chart
// series. The one way a command is taken back.
#pragma once

#include <memory>

#include "app/window.h"
#include "app/workspace.h"

struct WorkspaceCopy;

class CommandState {
 public:
  // Keeps the state as it is now.
  CommandState(Workspace& ws, Window& window);
  ~CommandState();
  CommandState(const CommandState&) = delete;
  CommandState& operator=(const CommandState&) = delete;

  // Puts everything back as it was when kept; once only.
  void restore();

  // True when a copy of the Workspace fits into the memory still free.
  static bool canKeep(const Workspace& ws);

 private:
  Workspace& ws_;
  Window& window_;
  std::unique_ptr<WorkspaceCopy> kept_;
  WindowState windowState_;
};
