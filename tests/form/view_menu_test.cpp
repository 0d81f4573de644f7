// The View menu on the real main window: the five series as they start, the menus' captions,
// shortcuts and separators, and each display command's effect on the chart and its item.
#include <QMenu>
#include <QMenuBar>

#include <cmath>

#include "tests/form/form_fixture.h"

namespace {

constexpr SeriesId allSeries[] = {SeriesId::Samples, SeriesId::Source, SeriesId::Analytic,
                                  SeriesId::Values, SeriesId::Baseline};

// A menu as text: "Caption\tShortcut" per item, "-" per separator, "Caption >" per submenu.
std::vector<std::string> layoutOf(const QMenu* menu) {
  std::vector<std::string> rows;
  for (const QAction* action : menu->actions()) {
    if (action->isSeparator())
      rows.push_back("-");
    else if (action->menu())
      rows.push_back(action->text().toStdString() + " >");
    else
      rows.push_back((action->text() + "\t" + action->shortcut().toString()).toStdString());
  }
  return rows;
}

const QMenu* topMenu(TForm1& form, const QString& caption) {
  for (const QAction* action : form.menuBar()->actions())
    if (action->text() == caption) return action->menu();
  return nullptr;
}

using ViewMenu = FormTest;

TEST_F(ViewMenu, SeriesStartWithTheirTitlesColoursWidthsAndVisibility) {
  struct Expected {
    SeriesId id;
    const char* title;
    QColor colour;
    int width;
    bool shown;
  };
  const Expected expected[] = {{SeriesId::Samples, "Samples", Qt::black, 1, true},
                               {SeriesId::Source, "Source", Qt::blue, 1, false},
                               {SeriesId::Analytic, "Analytic", Qt::red, 0, true},
                               {SeriesId::Values, "Values", QColor(0, 128, 0), 1, true},
                               {SeriesId::Baseline, "Baseline", QColor(243, 156, 53), 1, true}};
  for (int i = 0; i < 5; ++i) {
    const Expected& e = expected[i];
    QCPGraph* graph = series(e.id);
    EXPECT_EQ(form->chart().graph(i), graph) << e.title;  // chart order
    EXPECT_EQ(graph->name().toStdString(), e.title);
    EXPECT_EQ(graph->pen().color(), e.colour) << e.title;
    EXPECT_EQ(graph->pen().width(), e.width) << e.title;
    EXPECT_EQ(graph->visible(), e.shown) << e.title;
    EXPECT_EQ(graph->scatterStyle().shape(), QCPScatterStyle::ssNone) << e.title;
    EXPECT_EQ(graph->lineStyle(), QCPGraph::lsLine) << e.title;
  }
  EXPECT_FALSE(form->chart().legend->visible());
  EXPECT_EQ(form->chart().legend->borderPen().style(), Qt::NoPen);
  EXPECT_TRUE(form->chartFlag(ChartFlag::AbscissaGrid));
  EXPECT_TRUE(form->chartFlag(ChartFlag::OrdinateGrid));
}

TEST_F(ViewMenu, CaptionsShortcutsAndSeparators) {
  const std::vector<std::string> view = {"Samples\tF1",
                                         "Source\tF2",
                                         "Analytic\tF3",
                                         "Values\tF4",
                                         "Baseline\tF5",
                                         "Coefficients\tF6",
                                         "All together\tF12",
                                         "-",
                                         "Grid on Abscissa\t",
                                         "Grid on Ordinate\t",
                                         "Legend\t",
                                         "-",
                                         "Samples >",
                                         "Source >",
                                         "Analytic >",
                                         "Values >",
                                         "-",
                                         "Invert Abscissa\t",
                                         "Invert Ordinate\t",
                                         "Logarithmic Ordinate\t"};
  EXPECT_EQ(layoutOf(topMenu(*form, "View")), view);

  std::vector<std::string> edit = layoutOf(topMenu(*form, "Edit"));
  edit.resize(10);
  const std::vector<std::string> expectedEdit = {
      "Apply\tCtrl+A",           "Broaden\tCtrl+B",
      "Narrow\tCtrl+N",          "Move Left\tCtrl+L",
      "Move Right\tCtrl+R",      "Interval\tCtrl+I",
      "Automatic Terms\tCtrl+T", "-",
      "Insert term\tShift+Ins",  "Delete term\tShift+Del"};
  EXPECT_EQ(edit, expectedEdit);

  for (const char* path : {"View > Samples > Thickness +", "View > Values > Thickness -"})
    EXPECT_NE(form->menuItem(path), nullptr) << path;
  EXPECT_EQ(form->menuItem("View > Baseline > Thickness +"), nullptr);
}

TEST_F(ViewMenu, CheckMarksAtStart) {
  const std::pair<const char*, bool> marks[] = {
      {"View > Samples", true},          {"View > Source", false},
      {"View > Analytic", true},         {"View > Values", true},
      {"View > Baseline", false},        {"View > Grid on Abscissa", true},
      {"View > Grid on Ordinate", true}, {"View > Legend", false},
      {"View > Invert Abscissa", false}, {"View > Invert Ordinate", false},
      {"Edit > Interval", false}};
  for (const auto& [path, checked] : marks) {
    ASSERT_TRUE(form->menuItem(path)->isCheckable()) << path;
    EXPECT_EQ(form->isChecked(path), checked) << path;
  }
}

TEST_F(ViewMenu, FirstBaselineToggleKeepsItShownTheSecondHidesIt) {
  menu("View > Baseline");
  EXPECT_TRUE(form->isChecked("View > Baseline"));
  EXPECT_TRUE(series(SeriesId::Baseline)->visible());
  menu("View > Baseline");
  EXPECT_FALSE(form->isChecked("View > Baseline"));
  EXPECT_FALSE(series(SeriesId::Baseline)->visible());
}

TEST_F(ViewMenu, SourceShownAfterApplyAndHiddenAgainKeepsItsPoints) {
  menu("Edit > Apply");
  menu("View > Source");
  EXPECT_TRUE(series(SeriesId::Source)->visible());
  EXPECT_EQ(series(SeriesId::Source)->data()->size(), 1000);
  menu("View > Source");
  EXPECT_FALSE(series(SeriesId::Source)->visible());
  EXPECT_EQ(series(SeriesId::Source)->data()->size(), 1000);
}

TEST_F(ViewMenu, AllTogetherShowsAndChecksEverySeries) {
  for (const char* path : {"View > Samples", "View > Analytic", "View > Values"})
    menu(path);
  menu("View > Baseline");
  menu("View > Baseline");  // now every series is hidden
  for (SeriesId id : allSeries)
    ASSERT_FALSE(series(id)->visible());
  menu("View > All together");
  for (SeriesId id : allSeries)
    EXPECT_TRUE(series(id)->visible());
  for (const char* path :
       {"View > Samples", "View > Source", "View > Analytic", "View > Values", "View > Baseline"})
    EXPECT_TRUE(form->isChecked(path)) << path;
}

TEST_F(ViewMenu, ThicknessStepsAndStopsAtZero) {
  menu("View > Analytic > Thickness -");
  EXPECT_EQ(series(SeriesId::Analytic)->pen().width(), 0);
  menu("View > Samples > Thickness +");
  menu("View > Samples > Thickness +");
  EXPECT_EQ(series(SeriesId::Samples)->pen().width(), 3);
  for (int i = 0; i < 4; ++i)
    menu("View > Source > Thickness -");
  EXPECT_EQ(series(SeriesId::Source)->pen().width(), 0);
  menu("View > Values > Thickness +");
  EXPECT_EQ(series(SeriesId::Values)->pen().width(), 2);
  EXPECT_EQ(series(SeriesId::Values)->pen().color(), QColor(0, 128, 0));  // colour kept
  EXPECT_EQ(series(SeriesId::Baseline)->pen().width(), 1);
}

TEST_F(ViewMenu, InvertTwiceReturnsToTheNormalDirection) {
  menu("View > Invert Abscissa");
  EXPECT_TRUE(form->chart().xAxis->rangeReversed());
  EXPECT_TRUE(form->isChecked("View > Invert Abscissa"));
  menu("View > Invert Abscissa");
  EXPECT_FALSE(form->chart().xAxis->rangeReversed());
  EXPECT_FALSE(form->isChecked("View > Invert Abscissa"));
  menu("View > Invert Ordinate");
  EXPECT_TRUE(form->chart().yAxis->rangeReversed());
  EXPECT_FALSE(form->chart().xAxis->rangeReversed());
}

TEST_F(ViewMenu, AbscissaDirectionSetByTheLoaderShowsInTheItem) {
  form->setAbscissaInverted(true);
  EXPECT_TRUE(form->isChecked("View > Invert Abscissa"));
  menu("View > Invert Abscissa");
  EXPECT_FALSE(form->chart().xAxis->rangeReversed());
  EXPECT_FALSE(form->isChecked("View > Invert Abscissa"));
}

TEST_F(ViewMenu, GridsAndLegendToggleWithTheirItems) {
  menu("View > Grid on Abscissa");
  EXPECT_FALSE(form->chart().xAxis->grid()->visible());
  EXPECT_TRUE(form->chart().yAxis->grid()->visible());
  EXPECT_FALSE(form->isChecked("View > Grid on Abscissa"));
  menu("View > Grid on Ordinate");
  EXPECT_FALSE(form->chart().yAxis->grid()->visible());
  menu("View > Legend");
  EXPECT_TRUE(form->chart().legend->visible());
  EXPECT_TRUE(form->isChecked("View > Legend"));
  EXPECT_EQ(form->chart().legend->itemCount(), 5);
  menu("View > Legend");
  EXPECT_FALSE(form->chart().legend->visible());
  EXPECT_FALSE(form->isChecked("View > Legend"));
}

TEST_F(ViewMenu, AutomaticScaleFollowsTheShownSeriesOnly) {
  const double x[] = {0, 1, 2}, high[] = {0, 10, 0}, low[] = {0, 1, 0};
  form->fillSeries(SeriesId::Values, x, high, 3);
  form->fillSeries(SeriesId::Samples, x, low, 3);
  form->fillSeries(SeriesId::Baseline, x, low, 3);
  EXPECT_EQ(form->chart().yAxis->range().upper, 10.0);
  menu("View > Values");  // hidden
  EXPECT_EQ(form->chart().yAxis->range().upper, 1.0);
  menu("View > Values");
  EXPECT_EQ(form->chart().yAxis->range().upper, 10.0);
}

TEST_F(ViewMenu, SeriesKeepAscendingAbscissaeWhateverTheOrderGiven) {
  const double x[] = {3, 1, 2, 1, 0}, y[] = {30, 10, 20, 11, 0};
  form->fillSeries(SeriesId::Values, x, y, 5);
  std::vector<std::pair<double, double>> points;
  for (const QCPGraphData& point : *series(SeriesId::Values)->data())
    points.emplace_back(point.key, point.value);
  // Equal abscissae keep the order they were given in.
  const std::vector<std::pair<double, double>> expected = {
      {0, 0}, {1, 10}, {1, 11}, {2, 20}, {3, 30}};
  EXPECT_EQ(points, expected);
}

TEST_F(ViewMenu, AbscissaeThatAreNotNumbersGoLast) {
  const double nan = std::nan("");
  const double x[] = {2, nan, 0, 1}, y[] = {20, 5, 0, 10};
  form->fillSeries(SeriesId::Values, x, y, 4);
  std::vector<double> keys, values;
  for (const QCPGraphData& point : *series(SeriesId::Values)->data())
    keys.push_back(point.key), values.push_back(point.value);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(values, (std::vector<double>{0, 10, 20, 5}));
  EXPECT_TRUE(std::isnan(keys[3]));
}

}  // namespace
