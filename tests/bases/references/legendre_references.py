#!/usr/bin/env python3
"""Writes legendre_references.inc: Gauss-Legendre nodes x_k (the k-th largest root of P_M)
and weights 2 / ((1 - x^2) P_M'(x)^2) from mpmath at 32 digits, by Newton's method on the
three-term recurrence; all non-negative nodes for the small counts (on both sides of the
switch from the recurrence finder to the expansion), a sample at 10^5 and 10^6.
Also writes the table of the first zeros j_k of J0 and J1(j_k)^2 that bases/legendre_lanes.cpp
holds. Run: python3 legendre_references.py > legendre_references.inc (about a minute)."""
import mpmath as mp

FULL = [10, 60, 61] + list(range(90, 102)) + [119, 120, 121, 1000]
SAMPLED = {100000: [1, 2, 3, 10, 30, 31, 100, 1000, 10000, 25000, 25001, 49999, 50000],
           1000001: [1, 2, 250000, 500000, 500001]}


def legendre_pair(m, x):
    """P_m(x), P_{m-1}(x)."""
    p, q = mp.mpf(1), mp.mpf(0)
    for i in range(1, m + 1):
        p, q = ((2 * i - 1) * x * p - (i - 1) * q) / i, p
    return p, q


def root(m, k):
    x = mp.cos(mp.pi * (4 * k - 1) / (4 * m + 2))
    if 2 * k - 1 == m:
        x = mp.mpf(0)
    for _ in range(100):
        p, q = legendre_pair(m, x)
        d = m * (q - x * p) / (1 - x * x)  # P_m'(x)
        step = p / d
        x -= step
        if abs(step) < mp.mpf(10) ** -31:
            break
    p, q = legendre_pair(m, x)
    d = m * (q - x * p) / (1 - x * x)
    return x, 2 / ((1 - x * x) * d * d)


def lit(v):
    return mp.nstr(v, 25, min_fixed=-1, max_fixed=0) + "L"


def main():
    mp.mp.dps = 32
    print("// Written by legendre_references.py (mpmath).")
    print("// Zeros j_k of J0 and J1(j_k)^2, k = 1..30:")
    for k in range(1, 31):
        j = mp.besseljzero(0, k)
        print(f"//   {{{lit(j)}, {lit(mp.besselj(1, j) ** 2)}}},")
    print("struct LegendreReference { int m, k; long double node, weight; };")
    print("constexpr LegendreReference legendreReferences[] = {")
    cases = [(m, k) for m in FULL for k in range(1, (m + 1) // 2 + 1)]
    cases += [(m, k) for m, ks in SAMPLED.items() for k in ks]
    for m, k in cases:
        x, w = root(m, k)
        print(f"    {{{m}, {k}, {lit(x)}, {lit(w)}}},")
    print("};")


main()
