// The busy indicator with its timer: hourglass cursors and "Please wait!" while a command
// works, then the time it took in status panel 1.
#pragma once

#include "app/window.h"

// On: notes the clock, shows "Please wait!" and the hourglass. Off: shows the seconds since
// it went on, in hundredths ("1.23 seconds"), and the normal cursors.
void setBusy(Window& window, bool on);
