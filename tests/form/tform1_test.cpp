// The real main window, offscreen: its start-up state, the "Apply" button's mouse-down and
// key-press behaviour, the Source menu's radio group, and the handling of exceptions.
#include "app/form/tform1.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct Recorded {
  std::vector<std::string> messages;
};

std::unique_ptr<TForm1> makeForm(Recorded& recorded) {
  auto dialogs = std::make_unique<ScriptedDialogs>(
      [&recorded](const std::string& text) { recorded.messages.push_back(text); });
  return std::make_unique<TForm1>(std::move(dialogs));
}

TEST(TForm1, StartsInTheDemonstrationState) {
  Recorded recorded;
  auto form = makeForm(recorded);
  EXPECT_EQ(form->windowTitle(), "Serna - meander [2]");
  EXPECT_EQ(form->boxText(Box::Edit3), "Interval of approximation");
  EXPECT_EQ(form->boxText(Box::Edit4), "");
  EXPECT_EQ(form->basisList()->count(), 9);
  EXPECT_EQ(form->basisList()->currentText(), "Chebyshev polynomials 1st kind");
  EXPECT_EQ(form->panelText(0), "Error");
  EXPECT_EQ(form->panelText(3), "Interval/Zoom mouse mode");
  EXPECT_EQ(chartSeries(form->chart(), SeriesId::Samples)->data()->size(), 2);
  EXPECT_EQ(chartSeries(form->chart(), SeriesId::Analytic)->data()->size(), 0);
  EXPECT_TRUE(form->isChecked("Source > Samples"));
  EXPECT_EQ(form->minimumSize(), QSize(486, 270));
}

TEST(TForm1, EveryMenuItemIsShownWithItsShortcut) {
  Recorded recorded;
  auto form = makeForm(recorded);
  for (const char* path :
       {"File > Open > Samples", "File > Save > Picture", "File > Load > Mesh", "Edit > Fejer",
        "View > Values > Thickness -", "Evaluate > Power Spectrum", "Tools > Scan > Both",
        "Tools > Score", "Help > About"})
    EXPECT_NE(form->menuItem(path), nullptr) << path;
  EXPECT_EQ(form->menuItem("Edit > Apply")->shortcut(), QKeySequence("Ctrl+A"));
  EXPECT_EQ(form->menuItem("Edit > Insert term")->shortcut(), QKeySequence("Shift+Ins"));
}

TEST(TForm1, ApplyButtonActsOnMouseDownAndOnAnyKey) {
  Recorded recorded;
  auto form = makeForm(recorded);
  QPushButton* button = form->findChild<QPushButton*>();
  ASSERT_NE(button, nullptr);
  QTest::mousePress(button, Qt::RightButton);
  EXPECT_EQ(form->boxText(Box::Edit3), "[0;2]");
  EXPECT_EQ(form->boxText(Box::Edit4), "100");
  EXPECT_EQ(chartSeries(form->chart(), SeriesId::Analytic)->data()->size(), 1000);

  form->setBoxText(Box::Edit4, "20");
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(form->workspace().termCount, 20);
  form->setBoxText(Box::Edit4, "30");
  QTest::keyClick(button, Qt::Key_X);
  EXPECT_EQ(form->workspace().termCount, 30);
}

TEST(TForm1, SourceMenuIsARadioGroup) {
  Recorded recorded;
  auto form = makeForm(recorded);
  form->menuItem("Source > Built-in function")->trigger();
  EXPECT_TRUE(form->isChecked("Source > Built-in function"));
  EXPECT_FALSE(form->isChecked("Source > Samples"));
  form->menuItem("Source > None")->trigger();
  EXPECT_TRUE(form->isChecked("Source > None"));
  EXPECT_FALSE(form->isChecked("Source > Built-in function"));
  EXPECT_FALSE(form->workspace().sourceFn);
}

TEST(TForm1, BasisListSelectsWithoutRecomputing) {
  Recorded recorded;
  auto form = makeForm(recorded);
  form->ComboBox1Select(hermiteBasisIndex);
  EXPECT_EQ(form->workspace().basisIndex, hermiteBasisIndex);
  EXPECT_EQ(form->workspace().coefficientCount, 0);
  EXPECT_EQ(form->boxText(Box::Edit3), "Interval of approximation");
}

TEST(TForm1, AboutNamesTheProgramAndVersion) {
  Recorded recorded;
  auto form = makeForm(recorded);
  form->menuItem("Help > About")->trigger();
  ASSERT_EQ(recorded.messages.size(), 1u);
  EXPECT_EQ(recorded.messages[0].rfind("Information: SERNA 2.4", 0), 0u);
}

TEST(TForm1, ExceptionsEscapingACommandAreShownAndTheWindowGoesOn) {
  Recorded recorded;
  auto form = makeForm(recorded);
  form->run([] { throw std::runtime_error("broken"); });
  form->run([] { throw std::bad_alloc(); });
  ASSERT_EQ(recorded.messages.size(), 2u);
  EXPECT_EQ(recorded.messages[0], "Error: broken");
  EXPECT_EQ(recorded.messages[1].rfind("Warning: Not enough memory", 0), 0u);
}

}  // namespace
