// The sample commands of the Edit menu: each builds a new Values table from the samples. The
// samples, the coefficients, the boxes and the source selection stay as they are; nothing is
// recomputed.
#pragma once

#include "tools/tool_views.h"

// "Edit" > "Drop Outside": the samples with left <= x <= right.
ValuesTable dropOutside(const SamplesView& samples);
// "Edit" > "Drop Inside": the samples with x <= left or x >= right. With right < left the two
// runs overlap and the samples between right and left appear twice.
ValuesTable dropInside(const SamplesView& samples);
// "Edit" > "Sample": the series S at every sample abscissa; 0 while there is no series.
ValuesTable sampleSeries(const SamplesView& samples);
// "Edit" > "Add": S(x) + y at every sample.
ValuesTable addSeries(const SamplesView& samples);
// "Edit" > "Subtract": y - S(x) at every sample.
ValuesTable subtractSeries(const SamplesView& samples);
