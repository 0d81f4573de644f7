// The logarithm of the gamma function for positive arguments.
#pragma once

// ln Gamma(x) for x > 0, to about 1e-15 absolute near x = 1 and 2. Arguments of 0 or below
// give a non-finite result.
long double logGamma(double x);
