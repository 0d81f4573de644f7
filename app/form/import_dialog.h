// The "Import Samples" dialog: a preview of the first rows as they will be read, and the
// separator, decimal mark, rows skipped, abscissa column (or none) and value column, starting
// from the reading proposed for the file. A change of separator, decimal mark or skip reads
// the columns anew.
#pragma once

#include <QDialog>

#include "app/window.h"

class QComboBox;
class QDialogButtonBox;
class QSpinBox;
class QTableWidget;

class ImportSamplesDialog : public QDialog {
 public:
  ImportSamplesDialog(const ImportDialogSpec& request, QWidget* parent);
  const DelimitedReading& reading() const { return reading_; }

 private:
  // A separator, decimal mark or skip chosen: the columns as the text then reads.
  void readAnew();
  // The column boxes and the preview after a change of the reading.
  void showReading();
  void columnChosen();

  std::string_view text_;
  DelimitedReading reading_;
  QComboBox* separator_ = nullptr;
  QComboBox* decimal_ = nullptr;
  QSpinBox* skip_ = nullptr;
  QComboBox* abscissa_ = nullptr;
  QComboBox* value_ = nullptr;
  QTableWidget* preview_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
  bool filling_ = false;
};
