// Handlers of the sample and series commands of the Edit menu, and of the Evaluate and Tools
// menus: each runs its tool through the tool runner.
#include "app/form/tform1.h"
#include "app/tool_runner.h"
#include "tools/denoise.h"
#include "tools/fractal_dimension.h"
#include "tools/power_and_autocorrelation.h"
#include "tools/sample_commands.h"
#include "tools/scan.h"
#include "tools/score.h"
#include "tools/series_commands.h"

void TForm1::DropOutside1Click() {
  showSamplesTool(ws, *this, dropOutside);
}
void TForm1::DropInside1Click() {
  showSamplesTool(ws, *this, dropInside);
}
void TForm1::Sample1Click() {
  runSamplesTool(ws, *this, "Sample", sampleSeries);
}
void TForm1::Add1Click() {
  runSamplesTool(ws, *this, "Add", addSeries);
}
void TForm1::Subtract1Click() {
  runSamplesTool(ws, *this, "Subtract", subtractSeries);
}
void TForm1::Differentiate1Click() {
  runSeriesCommand(ws, *this, "Differentiate", differentiateSeries);
}
void TForm1::Fejer1Click() {
  runSeriesCommand(ws, *this, "Fejer", fejerSeries);
}

void TForm1::FractalDimension1Click() {
  runSeriesTool(ws, *this, "Fractal Dimension", fractalDimension);
}
void TForm1::PowerSpectrum1Click() {
  runSeriesTool(ws, *this, "Power Spectrum", powerSpectrum);
}
void TForm1::Autocorrelation1Click() {
  runSeriesTool(ws, *this, "Autocorrelation", autocorrelation);
}

void TForm1::Denoise1Click() {
  runSamplesTool(ws, *this, "Denoise", denoise);
}
void TForm1::Beta1Click() {
  runRecomputingTool(ws, *this, "Scan > Beta", scanBeta);
}
void TForm1::Alpha1Click() {
  runRecomputingTool(ws, *this, "Scan > Alpha", scanAlpha);
}
void TForm1::Both1Click() {
  runRecomputingTool(ws, *this, "Scan > Both", scanBoth);
}
void TForm1::Score1Click() {
  runRecomputingTool(ws, *this, "Score", slidingScore);
}
