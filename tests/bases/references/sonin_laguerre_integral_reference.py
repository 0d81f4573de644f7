#!/usr/bin/env python3
"""Reference integrals of Sonin-Laguerre series over [0, T] for the Sonin-Laguerre tests.

Writes sonin_laguerre_integral_reference.inc beside this script: rows {alpha, N, T, pattern,
integral, scale} with the integral over [0, T] of sum c_k t^(alpha/2) e^(-t/2) L_k^(alpha)(t),
k < N, for the coefficient patterns c_k = 1/(k+1) (0) and (-1)^k cos(k) (1), and the scale
sum |c_k J_k| of the sum (J_k the integral of phi_k), against which rounding is measured.

Independent of the code under test: L_k is expanded in powers of t,
L_k(t) = sum_m (-1)^m C(k + alpha, k - m) t^m / m!, and each power integrates to
2^(m + s) gamma(m + s, T/2), s = alpha/2 + 1, with mpmath's incomplete gamma. The expansion
cancels up to 3^N, so mpmath runs with 0.48 N + 40 digits. Takes a few minutes.
"""

import os

import mpmath as mp

CASES = [(a, n, T) for a in (0, 0.5, 5, 20) for (n, T) in ((1000, 4000), (1000, 1500),
                                                                (200, 3000), (30, 17.5))]


def coefficients(n, pattern):
    if pattern == 0:
        return [mp.mpf(1) / (k + 1) for k in range(n)]
    return [(-1) ** k * mp.cos(k) for k in range(n)]


def integrals(a, n, T):
    mp.mp.dps = int(0.48 * n) + 40
    a = mp.mpf(a)
    T = mp.mpf(T)
    s = a / 2 + 1
    power = [2 ** (m + s) * mp.gammainc(m + s, 0, T / 2) for m in range(n)]
    out = []
    for pattern in (0, 1):
        c = coefficients(n, pattern)
        total, scale = mp.mpf(0), mp.mpf(0)
        for k in range(n):
            # C(k + a, k - m) / m! for m = k, k - 1, ..., 0 by a running product.
            term = mp.mpf(1) / mp.factorial(k)
            inner = mp.mpf(0)
            for m in range(k, -1, -1):
                inner += (-1) ** m * term * power[m]
                if m > 0:
                    term = term * (a + m) * m / (k - m + 1)
            total += c[k] * inner
            scale += abs(c[k] * inner)
        out.append((pattern, total, scale))
    return out


def main():
    rows = []
    for a, n, T in CASES:
        for pattern, total, scale in integrals(a, n, T):
            rows.append("{%s, %d, %s, %d, %sL, %s}," % (repr(float(a)), n, repr(float(T)),
                                                        pattern, mp.nstr(total, 24),
                                                        mp.nstr(scale, 6)))
        print(a, n, T, flush=True)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "sonin_laguerre_integral_reference.inc"), "w") as out:
        out.write("// Written by sonin_laguerre_integral_reference.py: "
                  "{alpha, N, T, pattern, integral, scale}.\n")
        out.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
