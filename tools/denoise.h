// "Tools" > "Denoise": smooths the samples by the mean of their upper and lower envelopes and
// shows the result as the Values table. The samples and everything else stay as they are.
#pragma once

#include "app/window.h"
#include "app/workspace.h"

void denoise(Workspace& ws, Window& window);
