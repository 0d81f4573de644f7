#include "app/long_command.h"

#include "app/command_state.h"
#include "app/recompute.h"
#include "bases/progress.h"

const char* const cancelledText = "Cancelled";

namespace {

struct Reporting {
  Window& window;
  const char* name;
};

bool reportToWindow(void* context, int64_t done, int64_t total) {
  auto* reporting = static_cast<Reporting*>(context);
  return reporting->window.progress(reporting->name, done, total);
}

bool running = false;

// The window hears of the end of the reports however the command ends.
struct EndOfReports {
  Window& window;
  bool& running;
  ~EndOfReports() {
    running = false;
    window.progressEnded();
  }
};

}  // namespace

bool runLongCommand(Workspace& ws, Window& window, const char* name,
                    const std::function<bool()>& body, CommandTime time) {
  if (running) return body();
  // Without room for a copy the command runs as it is, and cannot be cancelled.
  if (!CommandState::canKeep(ws)) return body();
  CommandState before(ws, window);
  const int64_t start = window.clockMs();
  Reporting reporting{window, name};
  bool finished = false;
  {
    running = true;
    EndOfReports end{window, running};
    ProgressHookScope hook(reportToWindow, &reporting);
    try {
      finished = body();
    } catch (const ProgressCancelled&) {
      before.restore();
      window.showBusy(false);
      window.setPanel(1, cancelledText);
      return false;
    }
  }
  if (!finished) {
    before.restore();
    return false;
  }
  if (time == CommandTime::Whole) {
    ws.busyStart = start;
    setBusy(ws, window, false);
  }
  return true;
}
