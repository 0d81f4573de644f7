#include "app/form/import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <climits>

namespace {

constexpr int previewRowCount = 12;

const Separator separators[] = {Separator::Comma, Separator::Semicolon, Separator::Tab,
                                Separator::Space};

QString columnTitle(const DelimitedReading& reading, int column) {
  QString title = QString("%1").arg(column + 1);
  if (column < static_cast<int>(reading.columnNames.size()) &&
      !reading.columnNames[static_cast<size_t>(column)].empty())
    title += ": " + QString::fromStdString(reading.columnNames[static_cast<size_t>(column)]);
  return title;
}

}  // namespace

ImportSamplesDialog::ImportSamplesDialog(const ImportDialogSpec& request, QWidget* parent)
    : QDialog(parent), text_(request.text), reading_(request.proposal) {
  setWindowTitle("Import Samples");
  separator_ = new QComboBox(this);
  for (Separator separator : separators)
    separator_->addItem(separatorWord(separator));
  decimal_ = new QComboBox(this);
  decimal_->addItems({"point", "comma"});
  skip_ = new QSpinBox(this);
  skip_->setRange(0, INT_MAX);
  abscissa_ = new QComboBox(this);
  value_ = new QComboBox(this);
  preview_ = new QTableWidget(this);
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->setSelectionMode(QAbstractItemView::NoSelection);
  preview_->setMinimumSize(520, 260);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  auto* form = new QFormLayout;
  form->addRow("Separator", separator_);
  form->addRow("Decimal mark", decimal_);
  form->addRow("Rows skipped", skip_);
  form->addRow("Abscissa column", abscissa_);
  form->addRow("Value column", value_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(preview_);
  layout->addWidget(buttons_);

  showReading();
  connect(separator_, &QComboBox::currentIndexChanged, this, &ImportSamplesDialog::readAnew);
  connect(decimal_, &QComboBox::currentIndexChanged, this, &ImportSamplesDialog::readAnew);
  connect(skip_, &QSpinBox::valueChanged, this, &ImportSamplesDialog::readAnew);
  connect(abscissa_, &QComboBox::currentIndexChanged, this, &ImportSamplesDialog::columnChosen);
  connect(value_, &QComboBox::currentIndexChanged, this, &ImportSamplesDialog::columnChosen);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ImportSamplesDialog::readAnew() {
  if (filling_) return;
  const std::string answer = std::string("separator ") +
                             separatorWord(separators[separator_->currentIndex()]) + " decimal " +
                             (decimal_->currentIndex() == 1 ? "comma" : "point") + " skip " +
                             std::to_string(skip_->value());
  std::string error;
  if (const auto reading = readingFromAnswer(reading_, text_, answer, error)) reading_ = *reading;
  showReading();
}

void ImportSamplesDialog::columnChosen() {
  if (filling_) return;
  reading_.abscissaColumn = abscissa_->currentIndex() - 1;
  reading_.valueColumn = value_->currentIndex();
  showReading();
}

void ImportSamplesDialog::showReading() {
  filling_ = true;
  for (size_t i = 0; i < std::size(separators); ++i)
    if (separators[i] == reading_.separator) separator_->setCurrentIndex(static_cast<int>(i));
  decimal_->setCurrentIndex(reading_.decimal == DecimalMark::Comma ? 1 : 0);
  skip_->setValue(reading_.skip);
  abscissa_->clear();
  value_->clear();
  abscissa_->addItem("none");
  for (int c = 0; c < reading_.columnCount; ++c) {
    abscissa_->addItem(columnTitle(reading_, c));
    value_->addItem(columnTitle(reading_, c));
  }
  abscissa_->setCurrentIndex(reading_.abscissaColumn + 1);
  value_->setCurrentIndex(reading_.valueColumn);

  // The preview: the rows as the reading splits them, the chosen columns named.
  const auto rows = previewRows(text_, reading_, previewRowCount);
  int columns = reading_.columnCount;
  for (const auto& row : rows)
    columns = std::max(columns, static_cast<int>(row.size()));
  preview_->clear();
  preview_->setRowCount(static_cast<int>(rows.size()));
  preview_->setColumnCount(columns);
  QStringList titles;
  for (int c = 0; c < columns; ++c) {
    QString title = columnTitle(reading_, c);
    if (c == reading_.abscissaColumn) title += " (abscissa)";
    if (c == reading_.valueColumn) title += " (value)";
    titles << title;
  }
  preview_->setHorizontalHeaderLabels(titles);
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < static_cast<int>(rows[static_cast<size_t>(r)].size()); ++c)
      preview_->setItem(r, c,
                        new QTableWidgetItem(QString::fromStdString(
                            rows[static_cast<size_t>(r)][static_cast<size_t>(c)])));
  preview_->resizeColumnsToContents();
  buttons_->button(QDialogButtonBox::Ok)
      ->setEnabled(reading_.valueColumn >= 0 && reading_.valueColumn != reading_.abscissaColumn);
  filling_ = false;
}
