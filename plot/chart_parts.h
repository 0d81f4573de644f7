// The parts of the chart that the program names: its five series, its on/off settings and the
// picture files it is saved as. Plain C++, shared by the chart layer and the commands.
#pragma once

#include <cstdint>
#include <vector>

// The five chart series, in the chart's series order.
enum class SeriesId {
  Samples,   // Series1
  Source,    // Series4
  Analytic,  // Series2
  Values,    // Series3
  Baseline,  // Series5
};

// The chart's on/off settings that the View menu toggles.
enum class ChartFlag {
  AbscissaGrid,
  OrdinateGrid,
  Legend,
  AbscissaInverted,
  OrdinateInverted,
  OrdinateLogarithmic,  // a logarithmic value axis; points at or below 0 are not drawn
};

inline constexpr ChartFlag allChartFlags[] = {
    ChartFlag::AbscissaGrid,     ChartFlag::OrdinateGrid,     ChartFlag::Legend,
    ChartFlag::AbscissaInverted, ChartFlag::OrdinateInverted, ChartFlag::OrdinateLogarithmic};

// The coefficient strip below the chart: the scaled magnitude of each coefficient of the current
// series by its degree (by its frequency where sine and cosine pair), the number the automatic
// cut keeps (-1 when not known) and the level of the plateau the coefficients settle on (0
// when not known).
struct CoefficientView {
  std::vector<double> magnitudes;
  int32_t cut = -1;
  double plateau = 0.0;
};

// The picture files the chart is saved as: a bitmap, a compressed bitmap, or vector graphics.
enum class PictureFormat { Bmp, Png, Pdf };
