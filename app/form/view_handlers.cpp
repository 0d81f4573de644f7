// Handlers of the interval and term commands, the View menu and the chart's mouse actions.
#include "app/form/tform1.h"

void TForm1::Broaden1Click() {}
void TForm1::Narrow1Click() {}
void TForm1::Shiftleft1Click() {}
void TForm1::Shiftright1Click() {}
void TForm1::Interval1Click() {}
void TForm1::Insertterm1Click() {}
void TForm1::Deleteterm1Click() {}

void TForm1::Samples4Click() {}
void TForm1::Source1Click() {}
void TForm1::Analytic1Click() {}
void TForm1::Values1Click() {}
void TForm1::Baseline1Click() {}
void TForm1::All1Click() {}
void TForm1::GridAbs1Click() {}
void TForm1::GridOrd1Click() {}
void TForm1::Legend1Click() {}
void TForm1::Thickness1Click() {}
void TForm1::Thickness2Click() {}
void TForm1::Thickness3Click() {}
void TForm1::Thickness4Click() {}
void TForm1::Thickness5Click() {}
void TForm1::Thickness6Click() {}
void TForm1::Thickness7Click() {}
void TForm1::Thickness8Click() {}
void TForm1::InvertAbscissa1Click() {}
void TForm1::InvertOrdinate1Click() {}

void TForm1::Chart1Click(double) {}
void TForm1::Chart1ContextPopup(double) {}
void TForm1::Chart1DblClick() {
  if (zoomSteps.empty()) return;
  const ChartView before = zoomSteps.back();
  zoomSteps.pop_back();
  if (zoomSteps.empty())
    autoScale(*Chart1);
  else
    showView(*Chart1, before);
}
