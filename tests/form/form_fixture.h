// A fresh main window for each window test, with scripted dialogs whose messages are
// collected, and helpers that act on it as a person would: menus, mouse on the chart.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/form/dialogs.h"
#include "app/form/tform1.h"

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto scripted = std::make_unique<ScriptedDialogs>(
        [this](const std::string& text) { messages.push_back(text); });
    dialogs = scripted.get();
    form = std::make_unique<TForm1>(std::move(scripted));
  }

  void menu(const std::string& path) {
    QAction* action = form->menuItem(path);
    ASSERT_NE(action, nullptr) << path;
    ASSERT_TRUE(action->isEnabled()) << path;
    action->trigger();
  }

  QCPGraph* series(SeriesId id) { return chartSeries(form->chart(), id); }

  // Shows the window (offscreen) with its layout settled and zoom animations off.
  void showWindow() {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->chartZoom().setAnimated(false);
    form->chart().replot();
  }

  // The chart pixel of a point in the scale of the axes.
  QPoint pixelOf(double x, double y) {
    QCustomPlot& plot = form->chart();
    return QPoint(qRound(plot.xAxis->coordToPixel(x)), qRound(plot.yAxis->coordToPixel(y)));
  }

  void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QWidget& plot = form->chart();
    QMouseEvent event(type, QPointF(at), plot.mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&plot, &event);
  }

  // Press at `from`, move in two steps to `to`, release there.
  void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    mouse(QEvent::MouseButtonPress, from, button, button);
    mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
    mouse(QEvent::MouseMove, to, Qt::NoButton, button);
    mouse(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
  }

  void click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(QEvent::MouseButtonPress, at, button, button);
    mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
  }

  void doubleClick(QPoint at) {
    click(at);
    mouse(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
  }

  std::unique_ptr<TForm1> form;
  ScriptedDialogs* dialogs = nullptr;
  std::vector<std::string> messages;
};
