// Ratios of gamma functions at arguments a fixed distance apart.
#pragma once

// Gamma(x + a) / Gamma(x + b), for x + a > 0 and x + b > 0.
long double gammaRatio(long double x, long double a, long double b);
