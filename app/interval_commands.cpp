#include "app/interval_commands.h"

#include <cstdint>

#include "app/interval_box.h"
#include "app/long_command.h"
#include "app/menu_items.h"
#include "app/recompute.h"
#include "app/tool_runner.h"

namespace {

// Changes the Workspace and recomputes. A cancel, or counts the recompute refuses, take the
// change back too, so the Workspace stays as it was.
template <typename Change>
void changeAndRecompute(Workspace& ws, Window& window, const char* name, Change change) {
  runLongCommand(ws, window, name, [&] {
    change();
    return recompute(ws, window);
  });
}

void scaleBeta(Workspace& ws, Window& window, const char* name, double factor) {
  changeAndRecompute(ws, window, name, [&] { ws.beta = ws.beta * factor; });
}

void shiftInterval(Workspace& ws, Window& window, const char* name, int direction) {
  changeAndRecompute(ws, window, name, [&] {
    const double left = ws.left, right = ws.right;
    const double step = (right - left) * 0.01;
    ws.left = direction < 0 ? left - step : left + step;
    ws.right = direction < 0 ? right - step : right + step;
  });
}

// One term more or fewer. While the count is chosen automatically the recompute would choose
// it again and the step would vanish: the user takes the count into their own hands, so
// Automatic Terms is unchecked and the step counts from the chosen count in the term box. A
// refused recompute takes the check mark back too.
void stepTerms(Workspace& ws, Window& window, const char* name, int direction) {
  changeAndRecompute(ws, window, name, [&] {
    if (automaticTermsInEffect(ws, window)) window.setChecked(automaticTermsItem, false);
    if (direction > 0 && ws.termCount < INT32_MAX) ++ws.termCount;
    if (direction < 0 && ws.termCount > INT32_MIN) --ws.termCount;
  });
}

}  // namespace

void broaden(Workspace& ws, Window& window) {
  scaleBeta(ws, window, "Broaden", 0.99);
}

void narrow(Workspace& ws, Window& window) {
  scaleBeta(ws, window, "Narrow", 1.01);
}

void moveLeft(Workspace& ws, Window& window) {
  shiftInterval(ws, window, "Move Left", -1);
}

void moveRight(Workspace& ws, Window& window) {
  shiftInterval(ws, window, "Move Right", +1);
}

void insertTerm(Workspace& ws, Window& window) {
  stepTerms(ws, window, "Insert term", +1);
}

void deleteTerm(Workspace& ws, Window& window) {
  stepTerms(ws, window, "Delete term", -1);
}

void toggleAutomaticTerms(const Workspace& ws, Window& window) {
  if (!window.isChecked(automaticTermsItem) && !ws.basis.squaredNorm) {
    window.message(MessageKind::Information, unavailableMessage);
    return;
  }
  window.setChecked(automaticTermsItem, !window.isChecked(automaticTermsItem));
}

void keepAutomaticTermsUsable(const Workspace& ws, Window& window) {
  if (!ws.basis.squaredNorm) window.setChecked(automaticTermsItem, false);
}

void toggleMouseMode(Window& window) {
  window.setChecked(intervalModeItem, !window.isChecked(intervalModeItem));
  window.setPanel(3, mouseModeText(window));
}

void pickIntervalEnd(Workspace& ws, Window& window, IntervalEnd end, double x) {
  if (!window.isChecked(intervalModeItem)) return;
  readIntervalBox(window, ws.left, ws.right);
  (end == IntervalEnd::Left ? ws.left : ws.right) = x;
  writeIntervalBox(window, "[%lg;%lg]", ws.left, ws.right);
}
