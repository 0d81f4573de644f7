// The menu bar, built from one table of caption paths, shortcuts, handlers and check marks.
#include <QAction>
#include <QActionGroup>
#include <QMenuBar>

#include "app/form/tform1.h"
#include "app/menu_items.h"

namespace {

enum class Mark { None, Unchecked, Checked, Radio };

struct MenuRow {
  const char* path;  // captions joined by " > "; a last caption "-" is a separator
  const char* shortcut;
  void (TForm1::*handler)();
  Mark mark;
};

const MenuRow menuRows[] = {
    {"File > Open > Samples", "", &TForm1::Samples1Click, Mark::None},
    {"File > Open > Coefficients", "", &TForm1::Coefficients1Click, Mark::None},
    {"File > Save > Samples", "", &TForm1::SaveSamples1Click, Mark::None},
    {"File > Save > Coefficients", "", &TForm1::SaveCoefficients1Click, Mark::None},
    {"File > Save > Weights", "", &TForm1::Weights1Click, Mark::None},
    {"File > Save > Source", "", &TForm1::SaveSource1Click, Mark::None},
    {"File > Save > Values", "", &TForm1::SaveValues1Click, Mark::None},
    {"File > Save > Picture", "", &TForm1::Picture1Click, Mark::None},
    {"File > Load > Coefficients", "", &TForm1::LoadCoefficients1Click, Mark::None},
    {"File > Load > Mesh", "", &TForm1::Mesh1Click, Mark::None},

    {"Edit > Apply", "Ctrl+A", &TForm1::Apply1Click, Mark::None},
    {"Edit > Broaden", "Ctrl+B", &TForm1::Broaden1Click, Mark::None},
    {"Edit > Narrow", "Ctrl+N", &TForm1::Narrow1Click, Mark::None},
    {"Edit > Move Left", "Ctrl+L", &TForm1::Shiftleft1Click, Mark::None},
    {"Edit > Move Right", "Ctrl+R", &TForm1::Shiftright1Click, Mark::None},
    {intervalModeItem, "Ctrl+I", &TForm1::Interval1Click, Mark::Unchecked},
    {automaticTermsItem, "Ctrl+T", &TForm1::AutomaticTerms1Click, Mark::Unchecked},
    {"Edit > -", "", nullptr, Mark::None},
    {"Edit > Insert term", "Shift+Insert", &TForm1::Insertterm1Click, Mark::None},
    {"Edit > Delete term", "Shift+Delete", &TForm1::Deleteterm1Click, Mark::None},

    {"Edit > Drop Outside", "", &TForm1::DropOutside1Click, Mark::None},
    {"Edit > Drop Inside", "", &TForm1::DropInside1Click, Mark::None},
    {"Edit > Sample", "", &TForm1::Sample1Click, Mark::None},
    {"Edit > Add", "", &TForm1::Add1Click, Mark::None},
    {"Edit > Subtract", "", &TForm1::Subtract1Click, Mark::None},
    {"Edit > Differentiate", "", &TForm1::Differentiate1Click, Mark::None},
    {"Edit > Fejer", "", &TForm1::Fejer1Click, Mark::None},

    {"View > Samples", "F1", &TForm1::Samples4Click, Mark::Checked},
    {"View > Source", "F2", &TForm1::Source1Click, Mark::Unchecked},
    {"View > Analytic", "F3", &TForm1::Analytic1Click, Mark::Checked},
    {"View > Values", "F4", &TForm1::Values1Click, Mark::Checked},
    {"View > Baseline", "F5", &TForm1::Baseline1Click, Mark::Unchecked},
    {coefficientsViewItem, "F6", &TForm1::CoefficientsView1Click, Mark::Unchecked},
    {"View > All together", "F12", &TForm1::All1Click, Mark::None},
    {"View > -", "", nullptr, Mark::None},
    {abscissaGridItem, "", &TForm1::GridAbs1Click, Mark::Checked},
    {ordinateGridItem, "", &TForm1::GridOrd1Click, Mark::Checked},
    {legendItem, "", &TForm1::Legend1Click, Mark::Unchecked},
    {"View > -", "", nullptr, Mark::None},
    {"View > Samples > Thickness +", "", &TForm1::Thickness1Click, Mark::None},
    {"View > Samples > Thickness -", "", &TForm1::Thickness2Click, Mark::None},
    {"View > Source > Thickness +", "", &TForm1::Thickness3Click, Mark::None},
    {"View > Source > Thickness -", "", &TForm1::Thickness4Click, Mark::None},
    {"View > Analytic > Thickness +", "", &TForm1::Thickness5Click, Mark::None},
    {"View > Analytic > Thickness -", "", &TForm1::Thickness6Click, Mark::None},
    {"View > Values > Thickness +", "", &TForm1::Thickness7Click, Mark::None},
    {"View > Values > Thickness -", "", &TForm1::Thickness8Click, Mark::None},
    {"View > -", "", nullptr, Mark::None},
    {invertAbscissaItem, "", &TForm1::InvertAbscissa1Click, Mark::Unchecked},
    {invertOrdinateItem, "", &TForm1::InvertOrdinate1Click, Mark::Unchecked},
    {logarithmicOrdinateItem, "", &TForm1::LogarithmicOrdinate1Click, Mark::Unchecked},

    {"Source > Samples", "", &TForm1::SourceSamples1Click, Mark::Radio},
    {"Source > Values", "", &TForm1::SourceValues1Click, Mark::Radio},
    {"Source > Built-in function", "", &TForm1::Builtinfunction1Click, Mark::Radio},
    {"Source > None", "", &TForm1::None1Click, Mark::Radio},

    {"Evaluate > Fractal Dimension", "", &TForm1::FractalDimension1Click, Mark::None},
    {"Evaluate > Power Spectrum", "", &TForm1::PowerSpectrum1Click, Mark::None},
    {"Evaluate > Autocorrelation", "", &TForm1::Autocorrelation1Click, Mark::None},

    {"Tools > Denoise", "", &TForm1::Denoise1Click, Mark::None},
    {"Tools > Scan > Beta", "", &TForm1::Beta1Click, Mark::None},
    {"Tools > Scan > Alpha", "", &TForm1::Alpha1Click, Mark::None},
    {"Tools > Scan > Both", "", &TForm1::Both1Click, Mark::None},
    {"Tools > Score", "", &TForm1::Score1Click, Mark::None},

    {"Help > About", "", &TForm1::About1Click, Mark::None},
};

// Qt names the Insert and Delete keys "Ins" and "Del".
QKeySequence keySequence(QString shortcut) {
  shortcut.replace("Insert", "Ins").replace("Delete", "Del");
  return QKeySequence::fromString(shortcut);
}

}  // namespace

void TForm1::createMenus() {
  std::map<QString, QMenu*> menus;  // by caption path of the menu
  QActionGroup* sourceGroup = new QActionGroup(this);
  for (const MenuRow& row : menuRows) {
    const QStringList captions = QString(row.path).split(" > ");
    QMenu* menu = nullptr;
    QString menuPath;
    for (int i = 0; i + 1 < captions.size(); ++i) {
      menuPath += (i ? " > " : "") + captions[i];
      QMenu*& known = menus[menuPath];
      if (!known) known = menu ? menu->addMenu(captions[i]) : menuBar()->addMenu(captions[i]);
      menu = known;
    }
    if (captions.back() == "-") {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(captions.back());
    action->setShortcut(keySequence(row.shortcut));
    action->setCheckable(row.mark != Mark::None);
    action->setChecked(row.mark == Mark::Checked);
    if (row.mark == Mark::Radio) sourceGroup->addAction(action);
    const auto handler = row.handler;
    // Qt flips a check mark before the handler runs; the View and Edit commands set their
    // marks themselves, so the flip is taken back first.
    const bool ownsMark = row.mark == Mark::Checked || row.mark == Mark::Unchecked;
    connect(action, &QAction::triggered, this, [this, action, handler, ownsMark] {
      if (ownsMark) action->setChecked(!action->isChecked());
      run(handler);
    });
    items[row.path] = action;
    itemPaths.push_back(row.path);
  }
  // The client area below the menu bar starts at 767 by 438.
  resize(767, 438 + menuBar()->sizeHint().height());
}

QAction* TForm1::menuItem(const std::string& path) const {
  const auto found = items.find(path);
  return found == items.end() ? nullptr : found->second;
}
