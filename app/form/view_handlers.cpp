// Handlers of the interval and term commands, the View menu and the chart's mouse actions.
#include "app/form/tform1.h"
#include "app/interval_commands.h"
#include "app/view_commands.h"

// clang-format off
void TForm1::Broaden1Click() { broaden(ws, *this); }
void TForm1::Narrow1Click() { narrow(ws, *this); }
void TForm1::Shiftleft1Click() { moveLeft(ws, *this); }
void TForm1::Shiftright1Click() { moveRight(ws, *this); }
void TForm1::Interval1Click() { toggleMouseMode(*this); }
void TForm1::AutomaticTerms1Click() { toggleAutomaticTerms(ws, *this); }
void TForm1::Insertterm1Click() { insertTerm(ws, *this); }
void TForm1::Deleteterm1Click() { deleteTerm(ws, *this); }

void TForm1::Samples4Click() { toggleSeries(*this, SeriesId::Samples); }
void TForm1::Source1Click() { toggleSeries(*this, SeriesId::Source); }
void TForm1::Analytic1Click() { toggleSeries(*this, SeriesId::Analytic); }
void TForm1::Values1Click() { toggleSeries(*this, SeriesId::Values); }
void TForm1::Baseline1Click() { toggleSeries(*this, SeriesId::Baseline); }
void TForm1::CoefficientsView1Click() { toggleCoefficientView(*this); }
void TForm1::All1Click() { showAllSeries(*this); }
void TForm1::GridAbs1Click() { toggleGrid(*this, ChartFlag::AbscissaGrid); }
void TForm1::GridOrd1Click() { toggleGrid(*this, ChartFlag::OrdinateGrid); }
void TForm1::Legend1Click() { toggleLegend(*this); }
void TForm1::Thickness1Click() { changeThickness(*this, SeriesId::Samples, +1); }
void TForm1::Thickness2Click() { changeThickness(*this, SeriesId::Samples, -1); }
void TForm1::Thickness3Click() { changeThickness(*this, SeriesId::Source, +1); }
void TForm1::Thickness4Click() { changeThickness(*this, SeriesId::Source, -1); }
void TForm1::Thickness5Click() { changeThickness(*this, SeriesId::Analytic, +1); }
void TForm1::Thickness6Click() { changeThickness(*this, SeriesId::Analytic, -1); }
void TForm1::Thickness7Click() { changeThickness(*this, SeriesId::Values, +1); }
void TForm1::Thickness8Click() { changeThickness(*this, SeriesId::Values, -1); }
void TForm1::InvertAbscissa1Click() { invertAxis(*this, ChartFlag::AbscissaInverted); }
void TForm1::InvertOrdinate1Click() { invertAxis(*this, ChartFlag::OrdinateInverted); }
void TForm1::LogarithmicOrdinate1Click() { toggleLogarithmicOrdinate(*this); }

void TForm1::Chart1Click(double x) { pickIntervalEnd(ws, *this, IntervalEnd::Left, x); }
void TForm1::Chart1ContextPopup(double x) { pickIntervalEnd(ws, *this, IntervalEnd::Right, x); }
void TForm1::Chart1DblClick() { zoom->undo(); }
// clang-format on
