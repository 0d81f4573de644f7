// "Tools" > "Denoise": smooths the samples by the mean of their upper and lower envelopes.
// The samples and everything else stay as they are.
#pragma once

#include "tools/tool_views.h"

// One entry per sample: its abscissa and the midpoint of the two envelopes there.
ValuesTable denoise(const SamplesView& samples);
