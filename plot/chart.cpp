#include "plot/chart.h"

#include <QBuffer>
#include <QImage>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

struct SeriesStyle {
  SeriesId id;
  const char* title;
  QColor colour;
  int width;
  bool visible;
};

// In the chart's series order: Series1, Series4, Series2, Series3, Series5. The baseline has
// no title of its own; the legend names it "Baseline".
const SeriesStyle seriesStyles[] = {
    {SeriesId::Samples, "Samples", Qt::black, 1, true},
    {SeriesId::Source, "Source", Qt::blue, 1, false},
    {SeriesId::Analytic, "Analytic", Qt::red, 0, true},
    {SeriesId::Values, "Values", Qt::darkGreen, 1, true},
    {SeriesId::Baseline, "Baseline", QColor(243, 156, 53), 1, true},
};

// A series that, on a logarithmic value axis, leaves its points at or below 0 out of the
// drawing (as gaps in the line); its points themselves stay as they are.
// The plot widget takes coordinates below 1e250 in size only. An axis whose data reach
// beyond is drawn in units of a power of ten (its drawing scale), with the tick labels
// multiplied back; the series keep their points as they are.
constexpr double largestDrawn = 1e200;

struct DrawingScale {
  double factor = 1.0;
};

template <typename Ticker>
class ScaledTicker : public Ticker, public DrawingScale {
 protected:
  QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                       int precision) override {
    return Ticker::getTickLabel(tick * factor, locale, formatChar, precision);
  }
};

double scaleOf(const QCPAxis* axis) {
  const auto* scale = dynamic_cast<const DrawingScale*>(axis->ticker().data());
  return scale ? scale->factor : 1.0;
}

QCPRange divided(const QCPRange& range, double factor) {
  return factor == 1.0 ? range : QCPRange(range.lower / factor, range.upper / factor);
}

// A series drawn in the drawing scales of its axes that, on a logarithmic value axis, leaves
// its points at or below 0 out of the drawing (as gaps in the line). Its ranges are given in
// the drawing scales, as the axes take them.
class ChartGraph : public QCPGraph {
 public:
  using QCPGraph::QCPGraph;

  QCPRange getKeyRange(bool& found, QCP::SignDomain domain = QCP::sdBoth) const override {
    return divided(QCPGraph::getKeyRange(found, domain), scaleOf(mKeyAxis));
  }
  QCPRange getValueRange(bool& found, QCP::SignDomain domain = QCP::sdBoth,
                         const QCPRange& keys = QCPRange()) const override {
    const double k = scaleOf(mKeyAxis);
    const QCPRange rawKeys = keys == QCPRange() ? keys : QCPRange(keys.lower * k, keys.upper * k);
    return divided(QCPGraph::getValueRange(found, domain, rawKeys), scaleOf(mValueAxis));
  }

 protected:
  void draw(QCPPainter* painter) override {
    const double kx = scaleOf(mKeyAxis), ky = scaleOf(mValueAxis);
    const bool logarithmic = mValueAxis->scaleType() == QCPAxis::stLogarithmic;
    if (!logarithmic && kx == 1.0 && ky == 1.0) return QCPGraph::draw(painter);
    const QSharedPointer<QCPGraphDataContainer> held = mDataContainer;
    auto drawn = QSharedPointer<QCPGraphDataContainer>::create(*held);
    for (QCPGraphData& point : *drawn) {
      point.key /= kx;
      point.value = logarithmic && !(point.value > 0) ? qQNaN() : point.value / ky;
    }
    mDataContainer = drawn;
    QCPGraph::draw(painter);
    mDataContainer = held;
  }
};

template <typename Ticker>
void setScaledTicker(QCPAxis* axis, double factor) {
  auto ticker = QSharedPointer<ScaledTicker<Ticker>>::create();
  ticker->factor = factor;
  axis->setTicker(ticker);
}

void setAxisScale(QCPAxis* axis, double factor) {
  if (axis->scaleType() == QCPAxis::stLogarithmic)
    setScaledTicker<QCPAxisTickerLog>(axis, factor);
  else
    setScaledTicker<QCPAxisTicker>(axis, factor);
}

// The drawing scale for data as large as `largest`: 1 up to largestDrawn.
double scaleFor(double largest) {
  if (!(largest > largestDrawn) || !std::isfinite(largest)) return 1.0;
  return std::pow(10.0, std::ceil(std::log10(largest / largestDrawn)));
}

// The values a series' range is taken over: the positive ones on a logarithmic axis.
QCP::SignDomain signDomainOf(const QCustomPlot& plot) {
  return plot.yAxis->scaleType() == QCPAxis::stLogarithmic ? QCP::sdPositive : QCP::sdBoth;
}

constexpr const char* intervalMarkNames[2] = {"intervalLeft", "intervalRight"};

QCPItemStraightLine* intervalMark(QCustomPlot& plot, int end) {
  for (int i = 0; i < plot.itemCount(); ++i)
    if (plot.item(i)->objectName() == intervalMarkNames[end])
      return static_cast<QCPItemStraightLine*>(plot.item(i));
  return nullptr;
}

int orderOf(SeriesId id) {
  for (int i = 0; i < 5; ++i)
    if (seriesStyles[i].id == id) return i;
  return 0;
}

QCPAxis* axisOf(const QCustomPlot& plot, ChartFlag flag) {
  const bool abscissa = flag == ChartFlag::AbscissaGrid || flag == ChartFlag::AbscissaInverted;
  return abscissa ? plot.xAxis : plot.yAxis;
}

QCPRange unite(const QCPRange& a, const QCPRange& b) {
  return QCPRange(std::min(a.lower, b.lower), std::max(a.upper, b.upper));
}

constexpr int dotsPerInch = 96;

bool writeImage(QCustomPlot& plot, QIODevice& device, PictureFormat format) {
  QImage image = plot.toPixmap().toImage();
  const int dotsPerMeter = qRound(dotsPerInch / 0.0254);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  return image.save(&device, format == PictureFormat::Png ? "PNG" : "BMP");
}

// One page the size of the chart, drawn with the widget's vector painter.
bool writePdf(QCustomPlot& plot, QIODevice& device) {
  const int width = plot.width(), height = plot.height();
  if (width <= 0 || height <= 0) return false;
  QPdfWriter writer(&device);
  writer.setCreator("Serna");
  writer.setResolution(dotsPerInch);
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  const double pointsPerPixel = 72.0 / dotsPerInch;
  writer.setPageSize(
      QPageSize(QSizeF(width * pointsPerPixel, height * pointsPerPixel), QPageSize::Point));
  QCPPainter painter;
  if (!painter.begin(&writer)) return false;
  painter.setMode(QCPPainter::pmVectorized);
  painter.setMode(QCPPainter::pmNoCaching);
  painter.setWindow(0, 0, width, height);
  plot.toPainter(&painter, width, height);
  return painter.end();
}

}  // namespace

void setupChart(QCustomPlot& plot) {
  setAxisScale(plot.xAxis, 1.0);
  setAxisScale(plot.yAxis, 1.0);
  plot.setBackground(Qt::white);
  plot.axisRect()->setMargins(QMargins(0, 3, 0, 0));
  plot.axisRect()->setAutoMargins(QCP::msLeft | QCP::msBottom | QCP::msRight);
  plot.xAxis->grid()->setVisible(true);
  plot.yAxis->grid()->setVisible(true);
  plot.legend->setVisible(false);
  plot.legend->setBorderPen(Qt::NoPen);
  plot.setInteractions(QCP::iRangeZoom);
  plot.setNoAntialiasingOnDrag(true);
  for (const char* name : intervalMarkNames) {
    auto* mark = new QCPItemStraightLine(&plot);
    mark->setObjectName(name);
    mark->setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    mark->setSelectable(false);
    mark->setVisible(false);
  }
  for (const SeriesStyle& style : seriesStyles) {
    QCPGraph* graph = new ChartGraph(plot.xAxis, plot.yAxis);
    graph->setName(style.title);
    graph->setPen(QPen(style.colour, style.width));
    graph->setLineStyle(QCPGraph::lsLine);
    graph->setScatterStyle(QCPScatterStyle::ssNone);
    graph->setAdaptiveSampling(true);
    graph->setVisible(style.visible);
  }
}

QCPGraph* chartSeries(QCustomPlot& plot, SeriesId series) {
  return plot.graph(orderOf(series));
}

bool fillChartSeries(QCustomPlot& plot, SeriesId series, const double* x, const double* y,
                     int32_t n, bool keepView) {
  // The new points go into a container of their own, so that one kept for taking a command
  // back keeps its points; the old points go first where nothing else holds them, so that
  // old and new never need room together.
  QCPGraph* graph = chartSeries(plot, series);
  graph->setData(QSharedPointer<QCPGraphDataContainer>::create());
  // Exactly n entries: a failed reserve leaves no capacity (resize would round the size up
  // and the sized constructor does not check its allocation).
  QVector<QCPGraphData> points;
  points.reserve(std::max(n, 0));
  if (points.capacity() < n) {
    plot.replot(QCustomPlot::rpImmediateRefresh);
    return false;
  }
  points.resize(std::max(n, 0));
  QCPGraphData* point = points.data();
  for (int32_t i = 0; i < n; ++i)
    point[i] = QCPGraphData(x[i], y[i]);
  // Ascending abscissae, a not-a-number after every number: a strict order even then.
  const auto byAbscissa = [](const QCPGraphData& a, const QCPGraphData& b) {
    const bool aNan = std::isnan(a.key), bNan = std::isnan(b.key);
    return aNan != bNan ? bNan : a.key < b.key;
  };
  if (!std::is_sorted(points.cbegin(), points.cend(), byAbscissa))
    std::stable_sort(points.begin(), points.end(), byAbscissa);
  graph->data()->set(points, true);
  refreshDrawingScales(plot);
  if (!keepView) plot.rescaleAxes(true);
  plot.replot(QCustomPlot::rpImmediateRefresh);
  return true;
}

void setChartSeriesShown(QCustomPlot& plot, SeriesId series, bool shown) {
  chartSeries(plot, series)->setVisible(shown);
}

int chartSeriesWidth(QCustomPlot& plot, SeriesId series) {
  return chartSeries(plot, series)->pen().width();
}

void setChartSeriesWidth(QCustomPlot& plot, SeriesId series, int width) {
  if (width < 0) return;
  QCPGraph* graph = chartSeries(plot, series);
  QPen pen = graph->pen();
  pen.setWidth(width);
  graph->setPen(pen);
  plot.replot();
}

bool chartFlagOf(const QCustomPlot& plot, ChartFlag flag) {
  switch (flag) {
    case ChartFlag::AbscissaGrid:
    case ChartFlag::OrdinateGrid:
      return axisOf(plot, flag)->grid()->visible();
    case ChartFlag::Legend:
      return plot.legend->visible();
    case ChartFlag::AbscissaInverted:
    case ChartFlag::OrdinateInverted:
      return axisOf(plot, flag)->rangeReversed();
    case ChartFlag::OrdinateLogarithmic:
      return plot.yAxis->scaleType() == QCPAxis::stLogarithmic;
  }
  return false;
}

void setChartFlagOf(QCustomPlot& plot, ChartFlag flag, bool on) {
  switch (flag) {
    case ChartFlag::AbscissaGrid:
    case ChartFlag::OrdinateGrid:
      axisOf(plot, flag)->grid()->setVisible(on);
      break;
    case ChartFlag::Legend:
      plot.legend->setVisible(on);
      break;
    case ChartFlag::AbscissaInverted:
    case ChartFlag::OrdinateInverted:
      axisOf(plot, flag)->setRangeReversed(on);
      break;
    case ChartFlag::OrdinateLogarithmic:
      if (on == chartFlagOf(plot, flag)) break;
      plot.yAxis->setScaleType(on ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
      setAxisScale(plot.yAxis, scaleOf(plot.yAxis));
      break;
  }
  plot.replot();
}

ChartView currentView(const QCustomPlot& plot) {
  return {plot.xAxis->range(), plot.yAxis->range()};
}

void showView(QCustomPlot& plot, const ChartView& view) {
  plot.xAxis->setRange(view.x);
  plot.yAxis->setRange(view.y);
  plot.replot();
}

void autoScale(QCustomPlot& plot) {
  plot.rescaleAxes(true);
  plot.replot();
}

ChartView automaticView(QCustomPlot& plot) {
  const ChartView shown = currentView(plot);
  const QSignalBlocker xQuiet(plot.xAxis), yQuiet(plot.yAxis);
  plot.rescaleAxes(true);
  const ChartView automatic = currentView(plot);
  plot.xAxis->setRange(shown.x);
  plot.yAxis->setRange(shown.y);
  return automatic;
}

namespace {

bool graphBounds(const QCustomPlot& plot, const QCPGraph* graph, ChartView& bounds) {
  bool foundX = false, foundY = false;
  const QCP::SignDomain domain = signDomainOf(plot);
  bounds.y = graph->getValueRange(foundY, domain);
  bounds.x = graph->getKeyRange(foundX, domain);
  return foundX && foundY;
}

}  // namespace

bool dataBounds(QCustomPlot& plot, ChartView& bounds) {
  bool any = false;
  for (int i = 0; i < plot.graphCount(); ++i) {
    QCPGraph* graph = plot.graph(i);
    ChartView own;
    if (!graph->visible() || !graphBounds(plot, graph, own)) continue;
    bounds = any ? ChartView{unite(bounds.x, own.x), unite(bounds.y, own.y)} : own;
    any = true;
  }
  return any;
}

bool seriesBounds(QCustomPlot& plot, SeriesId series, ChartView& bounds) {
  return graphBounds(plot, chartSeries(plot, series), bounds);
}

bool valueBoundsWithin(QCustomPlot& plot, const QCPRange& keys, QCPRange& values) {
  const bool positiveOnly = signDomainOf(plot) == QCP::sdPositive;
  bool any = false;
  for (int i = 0; i < plot.graphCount(); ++i) {
    QCPGraph* graph = plot.graph(i);
    if (!graph->visible()) continue;
    const auto& data = *graph->data();
    const double kx = scaleOf(plot.xAxis), ky = scaleOf(plot.yAxis);
    for (auto point = data.findBegin(keys.lower * kx, false); point != data.constEnd(); ++point) {
      const double key = point->key / kx;
      if (key > keys.upper) break;
      const double y = point->value / ky;
      if (!std::isfinite(y) || (positiveOnly && !(y > 0)) || key < keys.lower) continue;
      values =
          any ? QCPRange(std::min(values.lower, y), std::max(values.upper, y)) : QCPRange(y, y);
      any = true;
    }
  }
  return any;
}

void setAxisTitlesOf(QCustomPlot& plot, const QString& abscissa, const QString& ordinate) {
  plot.xAxis->setLabel(abscissa);
  plot.yAxis->setLabel(ordinate);
  plot.replot();
}

QString abscissaTitle(const QCustomPlot& plot) {
  return plot.xAxis->label();
}

QString ordinateTitle(const QCustomPlot& plot) {
  return plot.yAxis->label();
}

void setIntervalMarks(QCustomPlot& plot, const IntervalMarks& marks) {
  const double ends[2] = {marks.left, marks.right};
  const double kx = scaleOf(plot.xAxis);
  for (int end = 0; end < 2; ++end) {
    QCPItemStraightLine* mark = intervalMark(plot, end);
    mark->setProperty("abscissa", ends[end]);  // kept as given, placed in the drawing scale
    mark->point1->setCoords(ends[end] / kx, 0.0);
    mark->point2->setCoords(ends[end] / kx, 1.0);
    mark->setVisible(marks.shown);
  }
  plot.replot();
}

IntervalMarks intervalMarksOf(QCustomPlot& plot) {
  return {intervalMark(plot, 0)->visible(), intervalMark(plot, 0)->property("abscissa").toDouble(),
          intervalMark(plot, 1)->property("abscissa").toDouble()};
}

void refreshDrawingScales(QCustomPlot& plot) {
  double largestKey = 0.0, largestValue = 0.0;
  for (int i = 0; i < plot.graphCount(); ++i) {
    const QCPGraph* graph = plot.graph(i);
    bool found = false;
    const QCPRange keys = graph->QCPGraph::getKeyRange(found);
    if (found) largestKey = std::max({largestKey, std::fabs(keys.lower), std::fabs(keys.upper)});
    const QCPRange values = graph->QCPGraph::getValueRange(found);
    if (found)
      largestValue = std::max({largestValue, std::fabs(values.lower), std::fabs(values.upper)});
  }
  const std::pair<QCPAxis*, double> axes[] = {{plot.xAxis, scaleFor(largestKey)},
                                              {plot.yAxis, scaleFor(largestValue)}};
  for (const auto& [axis, factor] : axes) {
    const double old = scaleOf(axis);
    if (factor == old) continue;
    setAxisScale(axis, factor);
    axis->setRange(divided(axis->range(), factor / old));
    if (axis != plot.xAxis) continue;
    for (int end = 0; end < 2; ++end) {
      QCPItemStraightLine* mark = intervalMark(plot, end);
      const double x = mark->property("abscissa").toDouble() / factor;
      mark->point1->setCoords(x, 0.0);
      mark->point2->setCoords(x, 1.0);
    }
  }
}

double axisScale(const QCustomPlot& plot, bool abscissa) {
  return scaleOf(abscissa ? plot.xAxis : plot.yAxis);
}

QCPRange keptInside(const QCPRange& view, const QCPRange& data) {
  double shift = 0.0;
  if (view.size() <= data.size()) {
    if (view.lower < data.lower) shift = data.lower - view.lower;
    if (view.upper > data.upper) shift = data.upper - view.upper;
  } else {
    if (view.lower > data.lower) shift = data.lower - view.lower;
    if (view.upper < data.upper) shift = data.upper - view.upper;
  }
  return QCPRange(view.lower + shift, view.upper + shift);
}

double abscissaAtPixel(QCustomPlot& plot, double pixelX) {
  const QCPAxis* axis = chartSeries(plot, SeriesId::Samples)->keyAxis();
  return axis->pixelToCoord(pixelX) * scaleOf(axis);
}

std::string chartPictureBytes(QCustomPlot& plot, PictureFormat format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const bool rendered =
      format == PictureFormat::Pdf ? writePdf(plot, buffer) : writeImage(plot, buffer, format);
  return rendered ? bytes.toStdString() : std::string();
}
