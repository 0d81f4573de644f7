// The samples file: a text table with the value and then the abscissa on each line, or the
// value alone, and an optional header "# LEFT = ... ppm. RIGHT = ... ppm." proposing the
// bounds of a one-column file. "File" > "Open" > "Samples" reads it into the samples table.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "app/window.h"
#include "app/workspace.h"

// What the lines of a samples text hold.
struct SamplesLayout {
  double left = 0.0;  // the header's LEFT and RIGHT, 0 and 1 without a header
  double right = 1.0;
  int64_t twoNumberLines = 0;
  int64_t oneNumberLines = 0;
  // Of those, the lines holding a number that is not finite ("nan", "inf"): never samples.
  int64_t twoNumberNonFinite = 0;
  int64_t oneNumberNonFinite = 0;
  // Lines the one-or-two-column layout does not describe: a number joined to the next field
  // by a comma or another mark ("0.5,1.2", "5,0;1700"), or a third number. A text with any
  // is read as a delimited table instead.
  int64_t foreignLines = 0;
};

enum class ColumnMode { None, One, Two };

// The numbers "%lg %lg" finds at the start of a line: 0, 1 or 2.
int numbersOnLine(const char* line, double& first, double& second);
// The same, and whether the line is foreign to the one-or-two-column layout (see
// SamplesLayout::foreignLines).
int numbersOnLine(const char* line, double& first, double& second, bool& foreign);

// The samples of a two-column text: abscissae and ordinates in file order.
struct TwoColumns {
  std::vector<double> x, y;
};

// The header pass and the counting pass over a text; the two-number lines with finite numbers
// go to `samples` too, where given.
SamplesLayout scanSamplesText(std::string_view text, TwoColumns* samples = nullptr);
// Two columns if any line holds two numbers, else one column if any holds one, else none.
ColumnMode columnModeOf(const SamplesLayout& layout);
// The number of samples the mode reads: its lines whose numbers are all finite.
int64_t sampleCountOf(const SamplesLayout& layout, ColumnMode mode);
// The lines of the mode skipped for a number that is not finite.
int64_t nonFiniteCountOf(const SamplesLayout& layout, ColumnMode mode);

// The reading passes skip the lines with a number that is not finite.
// The reading pass of a two-column text of n samples: ordinate first, abscissa second, in file
// order.
void readTwoColumns(std::string_view text, int32_t n, double* x, double* y);
// The reading pass of a one-column text of n values: abscissae start, start + step, ... as a
// running sum; a reversed load puts the values in reverse file order. Both passes write at
// most n entries.
void readOneColumn(std::string_view text, int32_t n, double start, double step, bool reversed,
                   double* x, double* y);

// True when every abscissa is a number and each is below the next.
bool strictlyAscending(const double* x, int32_t n);
// Puts samples into ascending order of abscissa: strictly ascending ones stay, strictly
// descending ones are reversed (with `reversed` set). False for any other order.
bool takeAscending(std::vector<double>& x, std::vector<double>& y, bool& reversed);

// The bounds text proposed for a one-column file: LEFT and RIGHT in the shortest general form
// with at most 15 significant digits, joined by a blank.
std::string boundsText(double left, double right);

// "File" > "Open" > "Samples": the file dialog, then openSamplesFile.
void openSamples(Workspace& ws, Window& window);
// Reads a samples file chosen in the dialog or dropped on the window: the one-or-two-column
// layout as it is, a JCAMP-DX spectrum, or any other table through the "Import Samples"
// dialog. The path becomes the remembered name.
void openSamplesFile(Workspace& ws, Window& window, const std::string& path);
