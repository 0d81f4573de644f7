// What the commands need of the main window: the input boxes, the status panels, the chart
// series, the menu check marks, the caption, the busy indicator, and the dialogs. The Qt main
// window implements it; tests use a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/delimited_text.h"
#include "plot/chart_parts.h"

enum class Box { Edit3, Edit4, Edit5, Edit6, Edit7 };

enum class MessageKind { Warning, Error, Information };

// The last path chosen in each file command's own dialog, kept for the whole run; each starts
// as the word the command proposes first.
struct RememberedNames {
  std::string openSamples = "samples";
  std::string openCoefficients = "coefficients";
  std::string saveSamples = "samples";
  std::string saveCoefficients = "coefficients";
  std::string saveWeights = "weights";
  std::string saveSource = "source";
  std::string saveValues = "values";
  std::string savePicture = "graphics";
};

// The interval box's text as the program last wrote it, and the exact ends it stands for.
struct IntervalBoxText {
  std::string text;
  double left = 0.0, right = 0.0;
};

// What the window remembers for the commands beyond its controls: plain data, kept and put
// back with the rest of a command's state.
struct WindowState {
  int64_t busyStart = 0;  // the clock when the busy indicator went on
  IntervalBoxText intervalBox;
  RememberedNames remembered;
  // The interval the last Apply settled on, since the samples were last replaced.
  bool intervalApplied = false;
  double appliedLeft = 0.0, appliedRight = 0.0;
};

// A file dialog's settings: title, proposed file name, filter and default extension.
struct FileDialogSpec {
  std::string title;
  std::string fileName;
  std::string filter;
  std::string defaultExtension;
};

// The "Import Samples" dialog's settings: the text being imported (for the preview) and the
// reading proposed for it.
struct ImportDialogSpec {
  std::string_view text;
  DelimitedReading proposal;
};

class Window {
 public:
  virtual ~Window() = default;

  WindowState state;

  virtual std::string boxText(Box box) const = 0;
  virtual void setBoxText(Box box, const std::string& text) = 0;
  virtual void setPanel(int index, const std::string& text) = 0;
  // A note under the panel's tooltip (what its figure is): how a figure was formed where that
  // matters to reading it; empty for none.
  virtual void setPanelNote(int index, const std::string& note) = 0;
  virtual void setCaption(const std::string& caption) = 0;

  // Replaces the points of a series; the series keeps them in ascending order of abscissa.
  // Points that cannot be had leave the series empty, with a Warning; it never throws.
  virtual void fillSeries(SeriesId series, const double* x, const double* y, int32_t n) = 0;
  virtual void setAbscissaInverted(bool inverted) = 0;

  // Check marks of menu items named by their caption path, e.g. "Source > Samples".
  virtual bool isChecked(const std::string& item) const = 0;
  virtual void setChecked(const std::string& item, bool checked) = 0;

  // Busy indicator: hourglass cursors and an immediate repaint, or back to normal and to front.
  virtual void showBusy(bool busy) = 0;
  // Milliseconds since the program started.
  virtual int64_t clockMs() const = 0;

  virtual void message(MessageKind kind, const std::string& text) = 0;
  // An input box; empty when cancelled.
  virtual std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& text) = 0;
  // File dialogs; empty when cancelled.
  virtual std::optional<std::string> openFileName(const FileDialogSpec& dialog) = 0;
  virtual std::optional<std::string> saveFileName(const FileDialogSpec& dialog) = 0;
  // The "Import Samples" dialog: the reading the user accepted; empty when cancelled.
  virtual std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) = 0;

  // Shows or hides a series; a hidden series keeps its points.
  virtual void setSeriesShown(SeriesId series, bool shown) = 0;
  // A series' line width.
  virtual int seriesWidth(SeriesId series) const = 0;
  // Sets a series' line width; a width below 0 is refused and leaves the width unchanged.
  virtual void setSeriesWidth(SeriesId series, int width) = 0;
  // Reads a grid, the legend or an axis direction.
  virtual bool chartFlag(ChartFlag flag) const = 0;
  // Sets a grid, the legend or an axis direction, and repaints the chart.
  virtual void setChartFlag(ChartFlag flag, bool on) = 0;
  // The chart at its size on screen as the bytes of a picture file; empty when it cannot
  // render.
  virtual std::string chartPicture(PictureFormat) { return {}; }

  // New samples: the zoom history goes and the axes fit the shown series.
  virtual void resetView() {}
  // A result in a series (a tool's table, a transformed series): the view fits that series as
  // one zoom step, which a double click undoes and which ends when the series is filled again.
  virtual void fitViewToSeries(SeriesId /*series*/) {}
  // A new interval narrower than the samples: the view fits [left, right] and the shown points
  // there as one zoom step, which replaces the step of an earlier interval. Otherwise (`fit`
  // false) such a step ends and the view returns to where it was before it.
  virtual void fitViewToInterval(bool /*fit*/, double /*left*/, double /*right*/) {}
  // The interval of the last recompute, marked on the chart by two vertical lines, or no mark.
  virtual void markInterval(bool /*shown*/, double /*left*/, double /*right*/) {}
  // The coefficient strip's content; shown below the chart while "View > Coefficients" is
  // checked.
  virtual void showCoefficientView(const CoefficientView& /*view*/) {}
  // What the chart's axes show; empty titles for the data itself.
  virtual void setAxisTitles(const std::string& /*abscissa*/, const std::string& /*ordinate*/) {}

  // Long work: `done` of `total` steps of the command called `name`. The window may show
  // this and let its own progress dialog act; false once the user has cancelled. A window
  // without a display of progress takes the reports silently.
  virtual bool progress(const char* /*name*/, int64_t /*done*/, int64_t /*total*/) { return true; }
  // The long work has ended, finished or cancelled.
  virtual void progressEnded() {}

  // Taking a command back: keepState remembers the boxes, panels, check marks and chart
  // series (with the chart's view); restoreKeptState puts them back, and either of it and
  // forgetKeptState lets them go. `state` is kept by the command itself.
  virtual void keepState() = 0;
  virtual void restoreKeptState() = 0;
  virtual void forgetKeptState() = 0;
};

// The caption of a message box of this kind: "Warning", "Error" or "Information".
const char* messageCaption(MessageKind kind);
