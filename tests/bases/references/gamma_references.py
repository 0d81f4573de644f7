#!/usr/bin/env python3
"""Writes gamma_references.inc: ln Gamma(x), Gamma(x + a) / Gamma(x + b) and the squared
norms of Jacobi polynomials from mpmath, at double arguments (exact in mpmath), 25 significant
digits. Also prints the power-series
coefficients of ln Gamma(2 + z) that bases/log_gamma.cpp uses.
Run: python3 gamma_references.py > gamma_references.inc"""
import mpmath as mp

LOG_GAMMA_AT = [1e-300, 1e-10, 1e-3, 0.1, 0.25, 0.5, 0.75, 0.9, 1 - 2**-20, 1 - 1e-10,
                1 + 2**-30, 1.25, 1.4999, 1.5, 1.75, 2 - 2**-40, 2 + 1e-12, 2.25, 2.5, 3.0,
                3.7, 7.5, 10.1, 19.99, 20.0, 20.5, 33.3, 100.0, 1000.5, 1e5, 1e10, 1e20,
                1e100, 1e300]

# (x, a, b): Jacobi and Hermite norm shapes, tiny and huge x, large and negative shifts.
RATIO_AT = [(10.0, 0.5, 0.0), (0.5, 0.0, 0.5), (1e-8, 1.0, 0.0), (3.0, 20.0, 0.0),
            (1000.0, 20.5, -0.5), (7.25, -0.9, 2.5), (50.0, 50.0, 0.0), (1e4, 0.3, -0.6),
            (2.0, 0.5, 1.0), (1e6, 0.5, 1.0), (1e6, 21.0, 41.0), (1e15, 0.5, 1.0),
            (1e100, -0.5, 0.0), (1e300, 0.5, 0.0), (19.5, 1.0, 0.0), (25.0, -4.9, 0.0),
            (100000.0, 1.5, 1.0), (0.1, 0.05, 0.2)]


# (k, alpha, beta): squared norms of the Jacobi polynomials, for the score's weights.
JACOBI_NORM_AT = [(0, 0.0, 0.0), (1000, 0.0, 0.0), (0, -0.5, -0.5), (3, -0.5, -0.5),
                  (0, 0.5, -0.5), (7, 0.5, -0.5), (100, -0.9, 2.5), (10000, -0.9, 2.5),
                  (0, 20.0, 20.0), (50, 20.0, 20.0), (100000, 20.0, 20.0),
                  (1000000, 0.3, -0.6), (2, 50.0, 0.0)]


def jacobi_norm(k, a, b):
    a, b = mp.mpf(a), mp.mpf(b)
    if k == 0:  # Gamma(a + b + 1) (a + b + 1) = Gamma(a + b + 2), also at a + b = -1
        return 2 ** (a + b + 1) * mp.gamma(a + 1) * mp.gamma(b + 1) / mp.gamma(a + b + 2)
    return (2 ** (a + b + 1) / (2 * k + a + b + 1) * mp.gamma(k + a + 1) * mp.gamma(k + b + 1)
            / (mp.gamma(k + a + b + 1) * mp.factorial(k)))


def lit(v):
    return mp.nstr(v, 25, min_fixed=-1, max_fixed=0) + "L"


def main():
    mp.mp.dps = 40
    print("// ln Gamma(2 + z) series:", mp.nstr(1 - mp.euler, 25),
          *[mp.nstr((-1) ** k * (mp.zeta(k) - 1) / k, 25) for k in range(2, 37)])
    print("// Written by gamma_references.py (mpmath).")
    print("struct LogGammaReference { double x; long double value; };")
    print("constexpr LogGammaReference logGammaReferences[] = {")
    for x in LOG_GAMMA_AT:
        with mp.workdps(340):
            print(f"    {{{x!r}, {lit(mp.loggamma(mp.mpf(x)))}}},")
    print("};")
    print("struct GammaRatioReference { double x, a, b; long double value; };")
    print("constexpr GammaRatioReference gammaRatioReferences[] = {")
    for x, a, b in RATIO_AT:
        with mp.workdps(340):
            x = mp.mpf(x)
            value = mp.exp(mp.loggamma(x + a) - mp.loggamma(x + b))
            print(f"    {{{float(x)!r}, {a!r}, {b!r}, {lit(value)}}},")
    print("};")
    print("struct JacobiNormReference { int k; double alpha, beta; long double value; };")
    print("constexpr JacobiNormReference jacobiNormReferences[] = {")
    for k, a, b in JACOBI_NORM_AT:
        print(f"    {{{k}, {a!r}, {b!r}, {lit(jacobi_norm(k, a, b))}}},")
    print("};")


main()
