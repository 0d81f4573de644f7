#include "app/interval_commands.h"

#include <cstdint>

#include "app/interval_box.h"
#include "app/menu_items.h"
#include "app/recompute.h"

namespace {

// Recomputes after a command changed the Workspace; when the recompute refuses the counts,
// the command's own change is taken back too, so the Workspace stays as it was.
template <typename Field>
void recomputeOrRestore(Workspace& ws, Window& window, Field& field, Field before) {
  if (!recompute(ws, window)) field = before;
}

void scaleBeta(Workspace& ws, Window& window, double factor) {
  const double before = ws.beta;
  ws.beta = ws.beta * factor;
  recomputeOrRestore(ws, window, ws.beta, before);
}

void shiftInterval(Workspace& ws, Window& window, int direction) {
  const double left = ws.left, right = ws.right;
  const double step = (right - left) * 0.01;
  ws.left = direction < 0 ? left - step : left + step;
  ws.right = direction < 0 ? right - step : right + step;
  if (!recompute(ws, window)) ws.left = left, ws.right = right;
}

}  // namespace

void broaden(Workspace& ws, Window& window) {
  scaleBeta(ws, window, 0.99);
}

void narrow(Workspace& ws, Window& window) {
  scaleBeta(ws, window, 1.01);
}

void moveLeft(Workspace& ws, Window& window) {
  shiftInterval(ws, window, -1);
}

void moveRight(Workspace& ws, Window& window) {
  shiftInterval(ws, window, +1);
}

void insertTerm(Workspace& ws, Window& window) {
  const int32_t before = ws.termCount;
  if (ws.termCount < INT32_MAX) ++ws.termCount;
  recomputeOrRestore(ws, window, ws.termCount, before);
}

void deleteTerm(Workspace& ws, Window& window) {
  const int32_t before = ws.termCount;
  if (ws.termCount > INT32_MIN) --ws.termCount;
  recomputeOrRestore(ws, window, ws.termCount, before);
}

void toggleMouseMode(Window& window) {
  window.setChecked(intervalModeItem, !window.isChecked(intervalModeItem));
  window.setPanel(3, mouseModeText(window));
}

void pickIntervalEnd(Workspace& ws, Window& window, IntervalEnd end, double x) {
  if (!window.isChecked(intervalModeItem)) return;
  readIntervalBox(ws, window, ws.left, ws.right);
  (end == IntervalEnd::Left ? ws.left : ws.right) = x;
  writeIntervalBox(ws, window, "[%lg;%lg]", ws.left, ws.right);
}
