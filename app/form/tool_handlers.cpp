// Handlers of the sample and series commands of the Edit menu, and of the Evaluate and Tools
// menus.
#include "app/form/tform1.h"
#include "tools/denoise.h"
#include "tools/fractal_dimension.h"
#include "tools/sample_commands.h"
#include "tools/scan.h"
#include "tools/score.h"
#include "tools/series_commands.h"
#include "tools/power_and_autocorrelation.h"

void TForm1::DropOutside1Click() {
  dropOutside(ws, *this);
}
void TForm1::DropInside1Click() {
  dropInside(ws, *this);
}
void TForm1::Sample1Click() {
  sampleSeries(ws, *this);
}
void TForm1::Add1Click() {
  addSeries(ws, *this);
}
void TForm1::Subtract1Click() {
  subtractSeries(ws, *this);
}
void TForm1::Differentiate1Click() {
  differentiateSeries(ws, *this);
}
void TForm1::Fejer1Click() {
  fejerSeries(ws, *this);
}

void TForm1::FractalDimension1Click() {
  fractalDimension(ws, *this);
}
void TForm1::PowerSpectrum1Click() {
  powerSpectrum(ws, *this);
}
void TForm1::Autocorrelation1Click() {
  autocorrelation(ws, *this);
}

void TForm1::Denoise1Click() {
  denoise(ws, *this);
}
void TForm1::Beta1Click() {
  scanParameter(ws, *this, &Workspace::beta);
}
void TForm1::Alpha1Click() {
  scanParameter(ws, *this, &Workspace::alpha);
}
void TForm1::Both1Click() {
  scanBoth(ws, *this);
}
void TForm1::Score1Click() {
  slidingScore(ws, *this);
}
