#include "app/form/batch_runner.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <string>

#include "app/form/tform1.h"
#include "app/text_format.h"
#include "plot/coefficient_strip.h"

namespace {

const std::pair<const char*, Box> boxNames[] = {{"Edit3", Box::Edit3},
                                                {"Edit4", Box::Edit4},
                                                {"Edit5", Box::Edit5},
                                                {"Edit6", Box::Edit6},
                                                {"Edit7", Box::Edit7}};

const std::pair<const char*, SeriesId> seriesNames[] = {{"Samples", SeriesId::Samples},
                                                        {"Source", SeriesId::Source},
                                                        {"Analytic", SeriesId::Analytic},
                                                        {"Values", SeriesId::Values},
                                                        {"Baseline", SeriesId::Baseline}};

std::string real(double value) {
  return format("%.17g", value);
}

// A whole-line number, as in "click 1.5".
bool parseReal(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0';
}

void printWorkspace(const Workspace& ws, std::ostream& out) {
  out << "left: " << real(ws.left) << "\nright: " << real(ws.right)
      << "\ntermCount: " << ws.termCount << "\nmeshCount: " << ws.meshCount
      << "\nalpha: " << real(ws.alpha) << "\nbeta: " << real(ws.beta)
      << "\nsampleCount: " << ws.sampleCount << "\ncoefficientCount: " << ws.coefficientCount
      << "\nvaluesCount: " << ws.valuesCount << "\nfitFigure: " << real(ws.fitFigure)
      << "\nerrorFigure: " << real(ws.errorFigure)
      << "\ntrapezoidFigure: " << real(ws.trapezoidFigure)
      << "\nintegralFigure: " << real(ws.integralFigure) << "\n";
}

// Each series shown or hidden with its line width, the grids, legend and axis directions, and
// the two axis ranges.
void printChart(TForm1& form, std::ostream& out) {
  for (const auto& [name, series] : seriesNames)
    out << name << ": " << (chartSeries(form.chart(), series)->visible() ? "shown" : "hidden")
        << ", width " << form.seriesWidth(series) << "\n";
  const std::pair<const char*, ChartFlag> flags[] = {
      {"Grid on Abscissa", ChartFlag::AbscissaGrid},
      {"Grid on Ordinate", ChartFlag::OrdinateGrid},
      {"Legend", ChartFlag::Legend},
      {"Invert Abscissa", ChartFlag::AbscissaInverted},
      {"Invert Ordinate", ChartFlag::OrdinateInverted},
      {"Logarithmic Ordinate", ChartFlag::OrdinateLogarithmic}};
  for (const auto& [name, flag] : flags)
    out << name << ": " << (form.chartFlag(flag) ? "on" : "off") << "\n";
  const ChartView view = form.chartZoom().targetView();
  const double kx = axisScale(form.chart(), true), ky = axisScale(form.chart(), false);
  out << "Abscissa: " << real(view.x.lower * kx) << " " << real(view.x.upper * kx)
      << "\nOrdinate: " << real(view.y.lower * ky) << " " << real(view.y.upper * ky) << "\n";
  out << "Abscissa title: " << abscissaTitle(form.chart()).toStdString()
      << "\nOrdinate title: " << ordinateTitle(form.chart()).toStdString() << "\n";
  const IntervalMarks marks = intervalMarksOf(form.chart());
  out << "Interval marks: "
      << (marks.shown ? real(marks.left) + " " + real(marks.right) : std::string("none")) << "\n";
}

// Executes one script line; returns an error text, empty when the line was understood.
std::string execute(TForm1& form, ScriptedDialogs& dialogs, const std::string& line,
                    std::ostream& out) {
  const size_t blank = line.find(' ');
  const std::string word = line.substr(0, blank);
  const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);

  if (word == "menu") {
    QAction* action = form.menuItem(rest);
    if (!action) return "no menu item '" + rest + "'";
    if (!action->isEnabled()) return "menu item '" + rest + "' is not available";
    action->trigger();
  } else if (word == "type") {
    const size_t gap = rest.find(' ');
    const std::string name = rest.substr(0, gap);
    const std::string text = gap == std::string::npos ? "" : rest.substr(gap + 1);
    for (const auto& [boxName, box] : boxNames)
      if (name == boxName) return form.setBoxText(box, text), "";
    return "no box '" + name + "'";
  } else if (word == "basis") {
    double index = 0;
    if (!parseReal(rest, index) || index < 0 || index >= basisCount || index != int(index))
      return "no basis '" + rest + "'";
    form.basisList()->setCurrentIndex(int(index));
    form.run([&form, index] { form.ComboBox1Select(int(index)); });
  } else if (word == "answer") {
    dialogs.queue(rest);
  } else if (line == "interrupt") {
    form.interruptNextCommand();
  } else if (word == "cancel" && rest.empty()) {
    dialogs.queue(std::nullopt);
  } else if (word == "click" || word == "rightclick") {
    double x = 0;
    if (!parseReal(rest, x)) return "no abscissa '" + rest + "'";
    if (word == "click")
      form.run([&form, x] { form.Chart1Click(x); });
    else
      form.run([&form, x] { form.Chart1ContextPopup(x); });
  } else if (word == "dblclick" && rest.empty()) {
    form.run(&TForm1::Chart1DblClick);
  } else if (line == "print boxes") {
    for (const auto& [name, box] : boxNames)
      out << name << ": " << form.boxText(box) << "\n";
  } else if (line == "print status") {
    for (int i = 0; i < 4; ++i)
      out << "Panel" << i << ": " << form.panelText(i).toStdString() << "\n";
    out << form.sourceLabelText().toStdString() << "\n";
  } else if (line == "print caption") {
    out << "Caption: " << form.windowTitle().toStdString() << "\n";
  } else if (line == "print checks") {
    for (const std::string& path : form.menuItemPaths())
      if (form.menuItem(path)->isCheckable())
        out << path << ": " << (form.menuItem(path)->isChecked() ? "on" : "off") << "\n";
  } else if (line == "print chart") {
    printChart(form, out);
  } else if (line == "print workspace") {
    printWorkspace(form.workspace(), out);
  } else if (line == "print coefficients") {
    const Workspace& ws = form.workspace();
    out << "coefficients: " << ws.coefficientCount << "\n";
    for (int32_t i = 0; i < ws.coefficientCount; ++i)
      out << real(ws.coefficients[i]) << "\n";
  } else if (line == "print series Coefficients") {
    const std::vector<double>& magnitudes =
        coefficientStripView(form.coefficientStrip()).magnitudes;
    out << "Coefficients: " << magnitudes.size() << "\n";
    for (size_t k = 0; k < magnitudes.size(); ++k)
      out << k << " " << real(magnitudes[k]) << "\n";
  } else if (line == "print coefficient marks") {
    const CoefficientView& view = coefficientStripView(form.coefficientStrip());
    out << "Cut: " << (view.cut >= 0 ? std::to_string(view.cut) : std::string("none"))
        << "\nPlateau: " << (view.plateau > 0 ? real(view.plateau) : std::string("none")) << "\n";
  } else if (line == "print tips") {
    for (int i = 0; i < 4; ++i) {
      std::string tip = form.panelTip(i).toStdString();
      for (char& ch : tip)
        if (ch == '\n') ch = '|';
      out << "Panel" << i << " tip: " << tip << "\n";
    }
    out << "Edit4: " << (form.edit(Box::Edit4)->isReadOnly() ? "read-only" : "editable") << "\n";
  } else if (word == "print" && rest.rfind("series ", 0) == 0) {
    const std::string title = rest.substr(7);
    for (const auto& [name, series] : seriesNames) {
      if (title != name) continue;
      const QCPGraph* graph = chartSeries(form.chart(), series);
      out << title << ": " << graph->data()->size() << "\n";
      for (const QCPGraphData& point : *graph->data())
        out << real(point.key) << " " << real(point.value) << "\n";
      return "";
    }
    return "no series '" + title + "'";
  } else {
    return "cannot read '" + line + "'";
  }
  return "";
}

}  // namespace

int runBatch(TForm1& form, ScriptedDialogs& dialogs, std::istream& script, std::ostream& out,
             std::ostream& err) {
  std::string line;
  for (int number = 1; std::getline(script, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string error = execute(form, dialogs, line, out);
    out.flush();
    if (!error.empty()) {
      err << "line " << number << ": " << error << "\n";
      return 2;
    }
  }
  return 0;
}
