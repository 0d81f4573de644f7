// The coefficient strip and "Automatic Terms" in the real window and through serna-batch: the
// keys, the strip's visibility and marks, the read-only term box, and what the batch prints.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "app/menu_items.h"
#include "plot/coefficient_strip.h"
#include "tests/form/form_fixture.h"

namespace {

using CoefficientWindowTest = FormTest;

TEST_F(CoefficientWindowTest, KeysShowTheStripAndLockTheTermBox) {
  showWindow();
  EXPECT_FALSE(form->coefficientStrip().isVisible());
  QTest::keyClick(form.get(), Qt::Key_F6);
  EXPECT_TRUE(form->menuItem(coefficientsViewItem)->isChecked());
  EXPECT_TRUE(form->coefficientStrip().isVisible());
  QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_TRUE(form->menuItem(automaticTermsItem)->isChecked());
  EXPECT_TRUE(form->edit(Box::Edit4)->isReadOnly());

  QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_FALSE(form->edit(Box::Edit4)->isReadOnly());
  QTest::keyClick(form.get(), Qt::Key_F6);
  EXPECT_FALSE(form->coefficientStrip().isVisible());
}

TEST_F(CoefficientWindowTest, ACancelledApplyKeepsTheStripAndTheLock) {
  menu(automaticTermsItem);
  menu("Source > Built-in function");
  form->setBoxText(Box::Edit3, "[0;10]");
  form->setBoxText(Box::Edit5, "400");
  menu("Edit > Apply");
  const size_t shown = coefficientStripView(form->coefficientStrip()).magnitudes.size();
  ASSERT_GT(shown, 0u);
  form->setBoxText(Box::Edit3, "[0;20]");
  form->interruptNextCommand();
  menu("Edit > Apply");
  EXPECT_EQ(coefficientStripView(form->coefficientStrip()).magnitudes.size(), shown);
  EXPECT_TRUE(form->edit(Box::Edit4)->isReadOnly());
}

}  // namespace
