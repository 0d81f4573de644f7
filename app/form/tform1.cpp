#include "app/form/tform1.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <new>
#include <stdexcept>
#include <utility>

#include "app/form/kept_state.h"
#include "app/form/long_work.h"
#include "app/interval_commands.h"
#include "app/menu_items.h"
#include "app/recompute.h"
#include "app/sources.h"
#include "app/startup.h"
#include "plot/coefficient_strip.h"

namespace {

// What each status panel's figures are: the panels' standing tooltips.
const char* const panelFigures[4] = {"error / fit", "elapsed time", "trapezoid / integral",
                                     "mouse mode"};

// Milliseconds since the program started.
QElapsedTimer& programClock() {
  static QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return clock;
}

QLineEdit* hintedEdit(QWidget* parent, const char* hint) {
  auto* edit = new QLineEdit(parent);
  edit->setToolTip(hint);
  // Room for a count like 100000 even when the window is at its narrowest.
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance("0000000") + 12);
  return edit;
}

}  // namespace

TForm1::TForm1(std::unique_ptr<DialogProvider> provider)
    : dialogs(std::move(provider)), longWork(std::make_unique<LongWork>(*this)) {
  programClock();
  if (!dialogs) dialogs = std::make_unique<QtDialogs>(this);
  createControls();
  createMenus();
  createStatusBar();
  createSourceLabel();
  connectChart();
  letShortcutsWinOverEdits();
  setAcceptDrops(true);
  startUp(ws, *this);
}

TForm1::~TForm1() = default;

void TForm1::createControls() {
  setObjectName("Form1");
  setMinimumSize(486, 270);
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Panel1 = new QWidget(central);
  auto* top = new QHBoxLayout(Panel1);
  top->setContentsMargins(4, 4, 4, 4);
  ComboBox1 = new QComboBox(Panel1);
  ComboBox1->setToolTip("Basis");
  // The list may shrink below its longest entry so that the boxes keep their room.
  ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ComboBox1->setMinimumContentsLength(12);
  for (int32_t i = 0; i < basisCount; ++i)
    ComboBox1->addItem(basisEntry(i).text);
  ComboBox1->setCurrentIndex(startupBasisIndex);
  Edit4 = hintedEdit(Panel1, "Number of series terms");
  Label6 = new QLabel("<=", Panel1);
  Edit5 = hintedEdit(Panel1, "Number of samples");
  Button1 = new QPushButton("Apply", Panel1);
  Button1->setToolTip("Apply changes");
  Edit6 = hintedEdit(Panel1, "alpha");
  Edit7 = hintedEdit(Panel1, "beta");
  top->addWidget(ComboBox1, 3);
  top->addWidget(Edit4, 1);
  top->addWidget(Label6);
  top->addWidget(Edit5, 1);
  top->addWidget(Button1);
  top->addWidget(Edit6, 1);
  top->addWidget(Edit7, 1);

  Chart1 = new QCustomPlot(central);
  setupChart(*Chart1);
  Chart2 = new QCustomPlot(central);
  Chart2->setObjectName("CoefficientStrip");
  setupCoefficientStrip(*Chart2);
  Chart2->setMinimumHeight(150);
  Chart2->setMaximumHeight(220);
  Chart2->setVisible(false);

  Panel2 = new QWidget(central);
  auto* bottom = new QHBoxLayout(Panel2);
  bottom->setContentsMargins(4, 2, 4, 2);
  Edit3 = new QLineEdit("Interval of approximation", Panel2);
  bottom->addWidget(Edit3);

  column->addWidget(Panel1);
  column->addWidget(Chart1, 1);
  column->addWidget(Chart2);
  column->addWidget(Panel2);
  setCentralWidget(central);

  connect(ComboBox1, &QComboBox::activated, this, [this](int index) { ComboBox1Select(index); });
  // Enter in a box applies, as the button does; an empty box says what it takes.
  const std::pair<QLineEdit*, const char*> takes[] = {{Edit3, "[left;right]"},
                                                      {Edit4, "terms"},
                                                      {Edit5, "points"},
                                                      {Edit6, "alpha"},
                                                      {Edit7, "beta"}};
  for (const auto& [box, placeholder] : takes) {
    box->setPlaceholderText(placeholder);
    connect(box, &QLineEdit::returnPressed, this, [this] { run(&TForm1::Apply1Click); });
  }
  // "Apply" acts when a mouse button goes down on it or a key is pressed while it has focus.
  Button1->installEventFilter(this);
}

void TForm1::createStatusBar() {
  StatusBar1 = statusBar();
  StatusBar1->setSizeGripEnabled(false);
  const int widths[4] = {180, 135, 180, 50};
  const char* const* texts = startupPanelTexts;
  for (int i = 0; i < 4; ++i) {
    panels[i] = new QLabel(texts[i], StatusBar1);
    panels[i]->setToolTip(panelFigures[i]);
    panels[i]->setMinimumWidth(widths[i]);
    panels[i]->setStyleSheet("color: red");
    StatusBar1->addWidget(panels[i], i == 3 ? 1 : 0);
  }
}

// The source is always in view: a permanent label at the right of the status bar follows the
// check mark of the Source menu, however it moves (a command, or a command taken back).
void TForm1::createSourceLabel() {
  sourceLabel = new QLabel(StatusBar1);
  sourceLabel->setToolTip("What the series approximates");
  StatusBar1->addPermanentWidget(sourceLabel);
  for (SourceKind kind :
       {SourceKind::Samples, SourceKind::Values, SourceKind::Builtin, SourceKind::None})
    connect(menuItem(sourceMenuItem(kind)), &QAction::toggled, this, [this] { showSourceLabel(); });
  showSourceLabel();
}

void TForm1::showSourceLabel() {
  QString caption = "None";
  for (SourceKind kind :
       {SourceKind::Samples, SourceKind::Values, SourceKind::Builtin, SourceKind::None})
    if (const QAction* item = menuItem(sourceMenuItem(kind)); item && item->isChecked())
      caption = item->text();
  sourceLabel->setText("Source: " + caption);
}

QString TForm1::sourceLabelText() const {
  return sourceLabel->text();
}

void TForm1::connectChart() {
  zoom = std::make_unique<ChartZoom>(*Chart1);
  // A right click is a press and release in place; a right drag pans.
  Chart1->setContextMenuPolicy(Qt::PreventContextMenu);
  connect(Chart1, &QCustomPlot::mousePress, this,
          [this](QMouseEvent* event) { pressPosition = event->pos(); });
  connect(Chart1, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* event) {
    if (std::exchange(releaseEndsDoubleClick, false)) return;
    beforeClick.kept = false;
    if ((event->pos() - pressPosition).manhattanLength() > 3) return;
    const double x = abscissaAtPixel(*Chart1, event->pos().x());
    if (event->button() == Qt::LeftButton)
      beforeClick = {true, Edit3->text(), ws.left, ws.right, state.intervalBox};
    if (event->button() == Qt::LeftButton) run([this, x] { Chart1Click(x); });
    if (event->button() == Qt::RightButton) run([this, x] { Chart1ContextPopup(x); });
  });
  connect(Chart1, &QCustomPlot::mouseDoubleClick, this, [this] {
    releaseEndsDoubleClick = true;
    // A double click only undoes a zoom step: what its first click picked is put back.
    if (std::exchange(beforeClick.kept, false)) {
      Edit3->setText(beforeClick.box);
      ws.left = beforeClick.left, ws.right = beforeClick.right;
      state.intervalBox = beforeClick.written;
    }
    run(&TForm1::Chart1DblClick);
  });
}

// A line edit claims Ctrl+A, Shift+Insert and Shift+Delete for itself (select all, paste,
// cut); in this window the menu commands on those keys take precedence.
void TForm1::letShortcutsWinOverEdits() {
  for (Box box : {Box::Edit3, Box::Edit4, Box::Edit5, Box::Edit6, Box::Edit7})
    edit(box)->installEventFilter(this);
}

bool TForm1::isMenuShortcut(const QKeyEvent& key) const {
  const QKeySequence pressed(key.keyCombination());
  for (const auto& [path, action] : items)
    if (!action->shortcut().isEmpty() && action->shortcut() == pressed) return true;
  return false;
}

void TForm1::run(void (TForm1::*handler)()) {
  run([this, handler] { (this->*handler)(); });
}

void TForm1::run(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::bad_alloc&) {
    showBusy(false);
    message(MessageKind::Warning, "Not enough memory: the command was stopped");
  } catch (const std::exception& error) {
    showBusy(false);
    message(MessageKind::Error, error.what());
  }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched) &&
      isMenuShortcut(*static_cast<QKeyEvent*>(event))) {
    event->ignore();
    return true;
  }
  if (watched == Button1) {
    if (event->type() == QEvent::MouseButtonPress) {
      run(&TForm1::Apply1Click);
      return true;
    }
    if (event->type() == QEvent::KeyPress) {
      // Tab moves the focus on; a modifier alone is the start of a shortcut.
      const int key = static_cast<QKeyEvent*>(event)->key();
      const bool modifier = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
                            key == Qt::Key_Meta || key == Qt::Key_AltGr;
      if (key != Qt::Key_Tab && key != Qt::Key_Backtab && !modifier) {
        run(&TForm1::Apply1Click);
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

// Window

QLineEdit* TForm1::edit(Box box) const {
  switch (box) {
    case Box::Edit3:
      return Edit3;
    case Box::Edit4:
      return Edit4;
    case Box::Edit5:
      return Edit5;
    case Box::Edit6:
      return Edit6;
    case Box::Edit7:
      return Edit7;
  }
  return Edit3;
}

std::string TForm1::boxText(Box box) const {
  return edit(box)->text().toLocal8Bit().toStdString();
}

void TForm1::setBoxText(Box box, const std::string& text) {
  edit(box)->setText(QString::fromStdString(text));
}

void TForm1::setPanel(int index, const std::string& text) {
  panels[index]->setText(QString::fromStdString(text));
}

void TForm1::setPanelNote(int index, const std::string& note) {
  QString tip = panelFigures[index];
  if (!note.empty()) tip += "\n" + QString::fromStdString(note);
  panels[index]->setToolTip(tip);
}

QString TForm1::panelTip(int index) const {
  return panels[index]->toolTip();
}

QString TForm1::panelText(int index) const {
  return panels[index]->text();
}

void TForm1::setCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void TForm1::fillSeries(SeriesId series, const double* x, const double* y, int32_t n) {
  // A result leaves its series: the view fitted to it goes with it.
  zoom->endSeriesStep(series);
  if (!fillChartSeries(*Chart1, series, x, y, n, !zoom->isAutomatic()))
    message(MessageKind::Warning,
            "Not enough memory to show " + std::to_string(n) + " points: the series stays empty");
}

void TForm1::resetView() {
  zoom->reset();
}

void TForm1::fitViewToSeries(SeriesId series) {
  zoom->fitToSeries(series);
}

void TForm1::fitViewToInterval(bool fit, double left, double right) {
  if (fit)
    zoom->fitToInterval(left, right);
  else
    zoom->endIntervalStep();
}

void TForm1::markInterval(bool shown, double left, double right) {
  setIntervalMarks(*Chart1, {shown, left, right});
}

void TForm1::setAxisTitles(const std::string& abscissa, const std::string& ordinate) {
  setAxisTitlesOf(*Chart1, QString::fromStdString(abscissa), QString::fromStdString(ordinate));
}

void TForm1::setAbscissaInverted(bool inverted) {
  Chart1->xAxis->setRangeReversed(inverted);
  setChecked(invertAbscissaItem, inverted);
  Chart1->replot();
}

bool TForm1::isChecked(const std::string& item) const {
  const QAction* action = menuItem(item);
  return action && action->isChecked();
}

void TForm1::setChecked(const std::string& item, bool checked) {
  if (QAction* action = menuItem(item)) action->setChecked(checked);
  followMarks();
}

void TForm1::followMarks() {
  const bool automatic = isChecked(automaticTermsItem);
  Edit4->setReadOnly(automatic);
  Edit4->setToolTip(automatic ? "Number of series terms, chosen automatically"
                              : "Number of series terms");
  Chart2->setVisible(isChecked(coefficientsViewItem));
}

void TForm1::showCoefficientView(const CoefficientView& view) {
  showCoefficientStrip(*Chart2, view);
}

void TForm1::showBusy(bool busy) {
  // Long work stays busy, behind its progress dialog, until it ends as a whole.
  if (!busy && longWork->running()) return;
  QWidget* const widgets[] = {this, Panel1, Chart1, Button1, StatusBar1};
  for (QWidget* widget : widgets) {
    if (busy)
      widget->setCursor(Qt::WaitCursor);
    else
      widget->unsetCursor();
  }
  if (busy) {
    longWork->startDroppingInput();
    repaint();
    return;
  }
  longWork->stopDroppingInput();
  if (isMinimized()) showNormal();
  if (QGuiApplication::platformName() != "offscreen") raise();
  activateWindow();
}

int64_t TForm1::clockMs() const {
  return programClock().elapsed();
}

void TForm1::message(MessageKind kind, const std::string& text) {
  dialogs->message(kind, text);
}

std::optional<std::string> TForm1::inputBox(const std::string& caption, const std::string& prompt,
                                            const std::string& text) {
  return dialogs->inputBox(caption, prompt, text);
}

std::optional<std::string> TForm1::openFileName(const FileDialogSpec& dialog) {
  return dialogs->openFileName(dialog);
}

std::optional<std::string> TForm1::saveFileName(const FileDialogSpec& dialog) {
  return dialogs->saveFileName(dialog);
}

// Handlers of the foundation: Apply, the Source menu, About and the basis list.

void TForm1::Apply1Click() {
  applyInputs(ws, *this);
}
void TForm1::SourceSamples1Click() {
  selectSource(ws, *this, SourceKind::Samples);
}
void TForm1::SourceValues1Click() {
  selectSource(ws, *this, SourceKind::Values);
}
void TForm1::Builtinfunction1Click() {
  selectSource(ws, *this, SourceKind::Builtin);
}
void TForm1::None1Click() {
  selectSource(ws, *this, SourceKind::None);
}
void TForm1::About1Click() {
  showAbout(*this);
}
void TForm1::ComboBox1Select(int index) {
  selectBasis(ws, index);
  keepAutomaticTermsUsable(ws, *this);
}

void TForm1::setSeriesShown(SeriesId series, bool shown) {
  setChartSeriesShown(*Chart1, series, shown);
  zoom->followData();
  Chart1->replot();
}

int TForm1::seriesWidth(SeriesId series) const {
  return chartSeriesWidth(*Chart1, series);
}

void TForm1::setSeriesWidth(SeriesId series, int width) {
  setChartSeriesWidth(*Chart1, series, width);
}

bool TForm1::chartFlag(ChartFlag flag) const {
  return chartFlagOf(*Chart1, flag);
}

void TForm1::setChartFlag(ChartFlag flag, bool on) {
  setChartFlagOf(*Chart1, flag, on);
  if (flag == ChartFlag::OrdinateLogarithmic) zoom->followValueScale();
}

// The picture export writes these bytes itself, so that a failed write is noticed.
std::string TForm1::chartPicture(PictureFormat format) {
  return chartPictureBytes(*Chart1, format);
}

bool TForm1::progress(const char* name, int64_t done, int64_t total) {
  return longWork->progress(name, done, total);
}

void TForm1::progressEnded() {
  if (longWork->end()) showBusy(false);
  longWork->stopDroppingInput();
}

void TForm1::interruptNextCommand() {
  longWork->interruptNext();
}

QWidget* TForm1::progressDialog() const {
  return longWork->dialog();
}

void TForm1::keepState() {
  kept = std::make_unique<KeptState>();
  for (int i = 0; i < 5; ++i)
    kept->boxes[i] = edit(static_cast<Box>(i))->text();
  for (int i = 0; i < 4; ++i) {
    kept->panels[i] = panels[i]->text();
    kept->panelTips[i] = panels[i]->toolTip();
  }
  for (const auto& [path, action] : items)
    if (action->isCheckable()) kept->checks.emplace_back(action, action->isChecked());
  for (int i = 0; i < 5; ++i) {
    kept->series[i] = chartSeries(*Chart1, static_cast<SeriesId>(i))->data();
    kept->seriesShown[i] = chartSeries(*Chart1, static_cast<SeriesId>(i))->visible();
  }
  kept->view = zoom->targetView();
  kept->zoom = zoom->history();
  for (ChartFlag flag : allChartFlags)
    kept->flags.emplace_back(flag, chartFlagOf(*Chart1, flag));
  kept->titles[0] = abscissaTitle(*Chart1);
  kept->titles[1] = ordinateTitle(*Chart1);
  kept->marks = intervalMarksOf(*Chart1);
  kept->coefficients = coefficientStripView(*Chart2);
}

void TForm1::restoreKeptState() {
  if (!kept) return;
  for (int i = 0; i < 5; ++i)
    edit(static_cast<Box>(i))->setText(kept->boxes[i]);
  for (int i = 0; i < 4; ++i) {
    panels[i]->setText(kept->panels[i]);
    panels[i]->setToolTip(kept->panelTips[i]);
  }
  // Unchecked first, so that the radio group never sees two checked items.
  for (const auto& [action, checked] : kept->checks)
    if (!checked) action->setChecked(false);
  for (const auto& [action, checked] : kept->checks)
    if (checked) action->setChecked(true);
  for (int i = 0; i < 5; ++i) {
    chartSeries(*Chart1, static_cast<SeriesId>(i))->setData(kept->series[i]);
    chartSeries(*Chart1, static_cast<SeriesId>(i))->setVisible(kept->seriesShown[i]);
  }
  for (const auto& [flag, on] : kept->flags)
    setChartFlagOf(*Chart1, flag, on);
  refreshDrawingScales(*Chart1);
  setAxisTitlesOf(*Chart1, kept->titles[0], kept->titles[1]);
  setIntervalMarks(*Chart1, kept->marks);
  showCoefficientStrip(*Chart2, kept->coefficients);
  followMarks();
  zoom->restoreHistory(std::move(kept->zoom));
  showView(*Chart1, kept->view);
  Chart1->replot();
  kept.reset();
}

void TForm1::forgetKeptState() {
  kept.reset();
}
