// Importing through the window: the "Import Samples" dialog driven by serna-batch's answers,
// the real Qt dialog over a proposal, and a file dropped on the window.
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include "app/form/import_dialog.h"
#include "app/menu_items.h"
#include "tests/files/temp_folder.h"
#include "tests/form/form_fixture.h"

namespace {

class ImportWindow : public FormTest {
 protected:
  TempFolder folder;
};

TEST_F(ImportWindow, AnswersAcceptOverrideOrCancelTheProposal) {
  const std::string path = folder.write("ecg.csv", "time_s,mV,mV2\n0,5,1\n1,3,2\n2,4,3\n");
  for (const auto& [answer, firstValue] :
       std::vector<std::pair<std::optional<std::string>, double>>{
           {std::nullopt, 1.0}, {"", 5.0}, {"value 3", 1.0}, {"abscissa none value 2", 5.0}}) {
    dialogs->queue(path);
    dialogs->queue(answer);
    if (answer && answer->find("none") != std::string::npos) dialogs->queue("0 1");
    menu("File > Open > Samples");
    ASSERT_EQ(form->workspace().sampleCount, answer ? 3 : 2);
    EXPECT_EQ(form->workspace().samplesY[0], firstValue) << answer.value_or("cancel");
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(ImportWindow, QtDialogShowsTheProposalAndReadsAnewOnAnotherSeparator) {
  const std::string text = "a;b\n1;2,5\n2;3,5\n";
  ImportSamplesDialog dialog({text, *proposeReading(text)}, nullptr);
  auto* table = dialog.findChild<QTableWidget*>();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(0, 1)->text(), "2.5");  // as the decimal comma reads it
  EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "1: a (abscissa)");
  const auto boxes = dialog.findChildren<QComboBox*>();
  ASSERT_EQ(boxes.size(), 4);
  boxes[0]->setCurrentIndex(0);  // comma: "1;2" and "5"
  EXPECT_EQ(dialog.reading().separator, Separator::Comma);
  EXPECT_EQ(table->item(0, 1)->text(), "5");
  boxes[0]->setCurrentIndex(1);  // semicolon again
  boxes[2]->setCurrentIndex(0);  // abscissa none
  EXPECT_EQ(dialog.reading().abscissaColumn, -1);
  EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
}

TEST_F(ImportWindow, DroppedFileOpensAsSamples) {
  const std::string path = folder.write("drop.txt", "1 0\n2 0.5\n4 1\n");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_EQ(form->workspace().sampleCount, 3);
  EXPECT_EQ(form->windowTitle().toStdString(), "Serna - " + path + " [3]");
  EXPECT_EQ(form->state.remembered.openSamples, path);
}

}  // namespace
