// The logarithm of the gamma function for positive arguments.
#pragma once

// ln Gamma(x) for x > 0, to a few units of the last place of a long double over the whole
// range (relative to the result, also near its zeros at 1 and 2). ln Gamma(0) is +infinity;
// negative arguments give a not-a-number.
long double logGamma(long double x);

// The remainder of Stirling's series, ln Gamma(y) - (y - 1/2) ln y + y - ln(2 pi)/2, for
// y >= stirlingFrom, to a few units of the last place of the (much larger) ln Gamma(y).
long double stirlingTail(long double y);
inline constexpr long double stirlingFrom = 20.0L;
