// The boundary around a command that may run long: its progress reports go to the window,
// and a cancel takes the Workspace and the window back to where they were before it began.
#pragma once

#include <functional>
#include <string>

#include "app/window.h"
#include "app/workspace.h"

// What status panel 1 shows after the command: the time of its last recompute, as each
// recompute leaves it, or the time of the whole command.
enum class CommandTime { LastRecompute, Whole };

// Runs `body`, which returns false when it refused its work (and has said so). Its reports
// go to the window under `name`. The command's state is kept first, and a command whose state
// cannot be kept is refused with a Warning before it begins. When the user cancels, `body`
// refuses or memory runs out, the Workspace, the window's state, the boxes, panels, check
// marks and chart series are as they were before; after a cancel panel 1 reads "Cancelled".
// A long command run by another one is only part of that one. Returns true when the command
// ran to its end.
bool runLongCommand(Workspace& ws, Window& window, const char* name,
                    const std::function<bool()>& body,
                    CommandTime time = CommandTime::LastRecompute);

// Status panel 1's text after a cancelled command.
extern const char* const cancelledText;

// The Warning shown when a command cannot have the memory it needs, its way back included.
std::string longCommandRefusal(const char* name);
