#include "app/busy_indicator.h"

#include "app/text_format.h"

void setBusy(Window& window, bool on) {
  if (on) {
    window.state.busyStart = window.clockMs();
    window.setPanel(1, "Please wait!");
    window.showBusy(true);
    return;
  }
  const int64_t hundredths = (window.clockMs() - window.state.busyStart) / 10;
  window.setPanel(1, format("%g seconds", hundredths / 100.0));
  window.showBusy(false);
}
