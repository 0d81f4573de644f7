#!/usr/bin/env python3
"""Writes hermite_references.inc: the positive roots z of the Hermite function psi_M and the
scaled weights W = 2 / psi_M'(z)^2 = 1 / (M psi_{M-1}(z)^2), from mpmath (30 digits).

psi_0 .. psi_M come from the orthonormal three-term recurrence. Each root starts from the WKB
guess (the phase integral of sqrt(2M + 1 - t^2) equals (k - 1/2) pi for even M, k pi for odd
M), is polished by Newton and certified to be the root with its index by counting the sign
changes of psi_0 .. psi_M just above and below it (a Sturm sequence). Every positive root for
M = 10, 11 and 100, a sample for 1000 and 100000.
Run: python3 hermite_references.py > hermite_references.inc (a few minutes)."""
import math

import mpmath as mp


def sample(m):
    k = m // 2
    if m <= 100:
        return list(range(k))
    if m <= 1000:
        return sorted(set(list(range(4)) + list(range(k - 8, k)) + list(range(4, k - 8, 11))))
    return [0, 1, 2, 1000, 12345, k // 2, 40000, k - 10, k - 3, k - 2, k - 1]


class Hermite:
    def __init__(self, m):
        self.m = m
        self.rise = [None] + [mp.sqrt(mp.mpf(2) / j) for j in range(1, m + 1)]
        self.fall = [None] + [mp.sqrt(mp.mpf(j - 1) / j) for j in range(1, m + 1)]

    def values(self, t):
        """psi_M(t), psi_{M-1}(t) and the number of roots of psi_M above t."""
        previous = mp.mpf(0)
        current = mp.pi ** mp.mpf(-0.25) * mp.exp(-t * t / 2)
        changes = 0
        for j in range(1, self.m + 1):
            previous, current = current, self.rise[j] * t * current - self.fall[j] * previous
            if (current < 0) != (previous < 0):
                changes += 1
        return current, previous, changes

    def guess(self, i):
        nu = 2 * self.m + 1
        target = (i + (1.0 if self.m % 2 else 0.5)) * math.pi
        phase = lambda z: (z * math.sqrt(nu - z * z) + nu * math.asin(z / math.sqrt(nu))) / 2
        lo, hi = 0.0, math.sqrt(nu)
        for _ in range(80):
            mid = (lo + hi) / 2
            lo, hi = (mid, hi) if phase(mid) < target else (lo, mid)
        return mp.mpf(lo)

    def root(self, i):
        z = self.guess(i)
        for _ in range(30):
            pm, pm1, _c = self.values(z)
            step = pm / (mp.sqrt(2 * self.m) * pm1 - z * pm)
            z -= step
            if abs(step) < mp.mpf(10) ** -26 * z:
                break
        delta = z * mp.mpf(10) ** -14
        above = self.m // 2 - 1 - i
        assert self.values(z + delta)[2] == above and self.values(z - delta)[2] == above + 1, \
            (self.m, i)
        return z


def main():
    mp.mp.dps = 30
    print("// Written by hermite_references.py (mpmath, 30 digits).")
    print("struct HermiteReference { int m; int index; long double node, weight; };")
    print("constexpr HermiteReference hermiteReferences[] = {")
    for m in (10, 11, 100, 1000, 100000):
        h = Hermite(m)
        for i in sample(m):
            z = h.root(i)
            _pm, pm1, _c = h.values(z)
            print(f"    {{{m}, {i}, {mp.nstr(z, 25)}L, {mp.nstr(1 / (m * pm1 * pm1), 25)}L}},",
                  flush=True)
    print("};")


main()
