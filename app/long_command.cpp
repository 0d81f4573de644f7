#include "app/long_command.h"
#include "app/busy_indicator.h"

#include <memory>
#include <new>

#include "app/command_state.h"
#include "app/text_format.h"
#include "bases/basis.h"
#include "bases/progress.h"

const char* const cancelledText = "Cancelled";

std::string longCommandRefusal(const char* name) {
  return format("Not enough memory for %s", name);
}

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
  // A command runs only with its way back in hand: without room for the kept state it is
  // refused before it changes anything.
  std::unique_ptr<CommandState> kept;
  try {
    if (CommandState::canKeep(ws)) kept = std::make_unique<CommandState>(ws, window);
  } catch (const std::bad_alloc&) {
    kept.reset();
  }
  if (!kept) {
    window.message(MessageKind::Warning, longCommandRefusal(name));
    return false;
  }
  CommandState& before = *kept;
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
    } catch (const std::bad_alloc&) {
      // Memory that ran out midway: everything goes back, and the user hears why.
      before.restore();
      window.showBusy(false);
      window.message(MessageKind::Warning, longCommandRefusal(name));
      return false;
    } catch (const ParametersRefused& refused) {
      // A node set the parameters put beyond doubles: the same way back.
      before.restore();
      window.showBusy(false);
      window.message(MessageKind::Warning, refused.what());
      return false;
    }
  }
  if (!finished) {
    before.restore();
    return false;
  }
  if (time == CommandTime::Whole) {
    window.state.busyStart = start;
    setBusy(window, false);
  }
  return true;
}
