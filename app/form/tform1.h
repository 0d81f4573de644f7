// The main window: the basis list, the five input boxes, the "Apply" button, the chart and the
// status bar, with the menu bar. It owns the Workspace and implements Window for the commands;
// each handler is a one-liner that calls a command.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/form/dialogs.h"
#include "app/window.h"
#include "app/workspace.h"
#include "plot/chart.h"
#include "plot/chart_zoom.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QCustomPlot;
class QAction;
class QStatusBar;
class QKeyEvent;
class LongWork;
struct KeptState;

class TForm1 : public QMainWindow, public Window {
  Q_OBJECT

 public:
  explicit TForm1(std::unique_ptr<DialogProvider> dialogs = nullptr);
  ~TForm1() override;

  Workspace& workspace() { return ws; }
  QCustomPlot& chart() { return *Chart1; }
  QComboBox* basisList() const { return ComboBox1; }
  // The menu item with this caption path ("Edit > Apply"), or nullptr.
  QAction* menuItem(const std::string& path) const;
  // Every item in menu order, as caption paths.
  const std::vector<std::string>& menuItemPaths() const { return itemPaths; }
  // Runs a handler, showing any exception that escapes it as an error message.
  void run(void (TForm1::*handler)());
  void run(const std::function<void()>& command);

  // Window
  std::string boxText(Box box) const override;
  void setBoxText(Box box, const std::string& text) override;
  void setPanel(int index, const std::string& text) override;
  void setPanelNote(int index, const std::string& note) override;
  void setCaption(const std::string& caption) override;
  void fillSeries(SeriesId series, const double* x, const double* y, int32_t n) override;
  void setAbscissaInverted(bool inverted) override;
  bool isChecked(const std::string& item) const override;
  void setChecked(const std::string& item, bool checked) override;
  void showBusy(bool busy) override;
  int64_t clockMs() const override;
  void message(MessageKind kind, const std::string& text) override;
  std::optional<std::string> inputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& text) override;
  std::optional<std::string> openFileName(const FileDialogSpec& dialog) override;
  std::optional<std::string> saveFileName(const FileDialogSpec& dialog) override;
  std::optional<DelimitedReading> importSamples(const ImportDialogSpec& dialog) override;
  void setSeriesShown(SeriesId series, bool shown) override;
  int seriesWidth(SeriesId series) const override;
  void setSeriesWidth(SeriesId series, int width) override;
  bool chartFlag(ChartFlag flag) const override;
  void setChartFlag(ChartFlag flag, bool on) override;

  // Long work: the progress dialog, input dropped while busy, and taking a command back.
  bool progress(const char* name, int64_t done, int64_t total) override;
  void progressEnded() override;
  void keepState() override;
  void restoreKeptState() override;
  void forgetKeptState() override;
  // The next command that reports progress is cancelled at its first report.
  void interruptNextCommand();
  // The progress dialog while it is shown, or nullptr.
  QWidget* progressDialog() const;
  std::string chartPicture(PictureFormat format) override;
  void resetView() override;
  void fitViewToSeries(SeriesId series) override;
  void fitViewToInterval(bool fit, double left, double right) override;
  void markInterval(bool shown, double left, double right) override;
  void setAxisTitles(const std::string& abscissa, const std::string& ordinate) override;
  void showCoefficientView(const CoefficientView& view) override;
  QCustomPlot& coefficientStrip() { return *Chart2; }
  // The permanent status-bar text naming the current source, "Source: Samples".
  QString sourceLabelText() const;

  ChartZoom& chartZoom() { return *zoom; }

  QLineEdit* edit(Box box) const;
  QString panelText(int index) const;
  QString panelTip(int index) const;

  // File menu
  void Samples1Click();
  void Coefficients1Click();
  void SaveSamples1Click();
  void SaveCoefficients1Click();
  void Weights1Click();
  void SaveSource1Click();
  void SaveValues1Click();
  void Picture1Click();
  void LoadCoefficients1Click();
  void Mesh1Click();
  // Edit menu
  void Apply1Click();
  void Broaden1Click();
  void Narrow1Click();
  void Shiftleft1Click();
  void Shiftright1Click();
  void Interval1Click();
  void AutomaticTerms1Click();
  void Insertterm1Click();
  void Deleteterm1Click();
  void DropOutside1Click();
  void DropInside1Click();
  void Sample1Click();
  void Add1Click();
  void Subtract1Click();
  void Differentiate1Click();
  void Fejer1Click();
  // View menu
  void Samples4Click();
  void Source1Click();
  void Analytic1Click();
  void Values1Click();
  void Baseline1Click();
  void CoefficientsView1Click();
  void All1Click();
  void GridAbs1Click();
  void GridOrd1Click();
  void Legend1Click();
  void Thickness1Click();
  void Thickness2Click();
  void Thickness3Click();
  void Thickness4Click();
  void Thickness5Click();
  void Thickness6Click();
  void Thickness7Click();
  void Thickness8Click();
  void InvertAbscissa1Click();
  void InvertOrdinate1Click();
  void LogarithmicOrdinate1Click();
  // Source menu
  void SourceSamples1Click();
  void SourceValues1Click();
  void Builtinfunction1Click();
  void None1Click();
  // Evaluate menu
  void FractalDimension1Click();
  void PowerSpectrum1Click();
  void Autocorrelation1Click();
  // Tools menu
  void Denoise1Click();
  void Beta1Click();
  void Alpha1Click();
  void Both1Click();
  void Score1Click();
  // Help menu
  void About1Click();
  // Basis list and chart mouse actions; x is the abscissa under the pointer.
  void ComboBox1Select(int index);
  void Chart1Click(double x);
  void Chart1ContextPopup(double x);
  void Chart1DblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A file dropped on the window opens as File > Open > Samples does.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void createControls();
  void createMenus();
  void createStatusBar();
  void connectChart();
  void letShortcutsWinOverEdits();
  bool isMenuShortcut(const QKeyEvent& key) const;
  void createSourceLabel();
  void showSourceLabel();
  // The term box and the coefficient strip follow their menu items' check marks.
  void followMarks();

  Workspace ws;
  std::unique_ptr<DialogProvider> dialogs;

  QWidget* Panel1 = nullptr;
  QWidget* Panel2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLineEdit* Edit5 = nullptr;
  QLineEdit* Edit6 = nullptr;
  QLineEdit* Edit7 = nullptr;
  QLabel* Label6 = nullptr;
  QPushButton* Button1 = nullptr;
  QCustomPlot* Chart1 = nullptr;
  QCustomPlot* Chart2 = nullptr;  // the coefficient strip
  QStatusBar* StatusBar1 = nullptr;
  QLabel* panels[4] = {};

  std::map<std::string, QAction*> items;
  std::vector<std::string> itemPaths;

  std::unique_ptr<LongWork> longWork;
  std::unique_ptr<KeptState> kept;

  std::unique_ptr<ChartZoom> zoom;
  QPoint pressPosition;
  bool releaseEndsDoubleClick = false;
  QLabel* sourceLabel = nullptr;
  // The interval as it was before the last click picked its left end: the first click of a
  // double click picks nothing, so the double click puts it back.
  struct IntervalBeforeClick {
    bool kept = false;
    QString box;
    double left = 0.0, right = 0.0;
    IntervalBoxText written;
  } beforeClick;
};
