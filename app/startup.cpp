#include "app/startup.h"

#include "app/sources.h"

const char* const startupPanelTexts[4] = {"Error", "Timer              ", "Square/Integral",
                                          "Interval/Zoom mouse mode"};

void startUp(Workspace& ws, Window& window) {
  replaceSamples(ws, {0.0, 1.0}, {1.0, 1.0});
  window.fillSeries(SeriesId::Samples, ws.samplesX.data(), ws.samplesY.data(), ws.sampleCount);
  selectSource(ws, window, SourceKind::Samples);
  window.setCaption(captionFor("meander", ws.sampleCount));
  selectBasis(ws, startupBasisIndex);
  ws.termCount = 100;
  ws.meshCount = 1000;
  ws.left = 0.0;
  ws.right = 2.0;
}

void selectBasis(Workspace& ws, int32_t index) {
  if (index < 0 || index >= basisCount) return;
  ws.basis = basisEntry(index).ops;
  ws.basisIndex = index;
}

void showAbout(Window& window) {
  window.message(MessageKind::Information,
                 "SERNA 2.4\n"
                 "Approximation of sampled signals by orthogonal series\n"
                 "Fourier, Legendre, Chebyshev, Sonin-Laguerre, Hermite, Bernstein, Jacobi\n"
                 "and discrete Chebyshev bases");
}

std::string captionFor(const std::string& dataName, int32_t sampleCount) {
  return "Serna - " + dataName + " [" + std::to_string(sampleCount) + "]";
}
