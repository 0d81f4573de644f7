#!/usr/bin/env python3
"""Writes jacobi_references.inc: Gauss-Jacobi nodes and weights from mpmath (40 digits).

Each root of P_n^(a,b) starts from an asymptotic guess (Bessel zeros near the ends, the
interior formula theta_k = (k + a/2 - 1/4) pi / rho elsewhere), is polished by Newton on the
three-term recurrence, and is certified to be the root with its index by counting the sign
changes of P_0 .. P_n just above and below it (a Sturm sequence); an uncertified root is
isolated by bisection on that count instead. Weights: 2^(a+b+1) Gamma(n+a+1) Gamma(n+b+1) /
(Gamma(n+a+b+1) n! (1 - x^2) P_n'(x)^2). Every root for n = 10 and 100, a sample for 1000 and
100000. Run: python3 jacobi_references.py > jacobi_references.inc (an hour or so; the four
parameter sets can run apart, "python3 jacobi_references.py 1", and be joined)."""
import sys

import mpmath as mp

PARAMETERS = [(0.0, 0.0), (0.5, -0.5), (-0.9, 2.5), (20.0, 20.0)]
# One parameter set per run when given its position, e.g. "jacobi_references.py 2".
CHOSEN = [PARAMETERS[int(arg)] for arg in sys.argv[1:]] or PARAMETERS


def sample(n):
    if n <= 100:
        return list(range(n))
    if n <= 1000:
        return sorted(set(list(range(8)) + list(range(n - 8, n)) + list(range(8, n - 8, 37))))
    return [0, 4, 7, n // 2, n - 8, n - 1]


def bessel_zero(order, k):
    """The k-th positive zero of J_order; McMahon's expansion for the negative orders that
    mpmath's besseljzero does not take."""
    if order >= 0:
        return mp.besseljzero(order, k)
    beta = (k + order / 2 - mp.mpf(1) / 4) * mp.pi
    return beta - (4 * order * order - 1) / (8 * beta)


class Jacobi:
    def __init__(self, n, a, b):
        self.n, self.a, self.b = n, mp.mpf(a), mp.mpf(b)
        a, b, ab = self.a, self.b, self.a + self.b
        self.rows = []
        for j in range(2, n + 1):
            temp = 2 * j + ab
            divisor = 2 * j * (j + ab) * (temp - 2)
            self.rows.append(((temp - 1) * temp * (temp - 2) / divisor,
                              (temp - 1) * (a * a - b * b) / divisor,
                              2 * (j - 1 + a) * (j - 1 + b) * temp / divisor))

    def values(self, x):
        """P_n(x), P_{n-1}(x) and the number of roots of P_n above x."""
        a, b = self.a, self.b
        previous, current = mp.mpf(1), ((a + b + 2) * x + a - b) / 2
        changes = 1 if current < 0 else 0
        for slope, offset, damping in self.rows:
            previous, current = current, (slope * x + offset) * current - damping * previous
            if (current < 0) != (previous < 0):
                changes += 1
        return current, previous, changes

    def derivative(self, x, pn, pnm1):
        n, a, b = self.n, self.a, self.b
        temp = 2 * n + a + b
        return (n * (a - b - temp * x) * pn + 2 * (n + a) * (n + b) * pnm1) / (temp * (1 - x * x))

    def guess(self, i):
        """Guess for the i-th root in ascending order."""
        n, a, b = self.n, self.a, self.b
        rho = n + (a + b + 1) / 2
        k = n - i  # index from the right end, 1-based
        if k <= 10:
            return mp.cos(bessel_zero(a, k) / rho)
        if i < 10:
            return -mp.cos(bessel_zero(b, i + 1) / rho)
        return mp.cos((k + a / 2 - mp.mpf(1) / 4) * mp.pi / rho)

    def certified(self, x, i):
        delta = (1 - abs(x)) * mp.mpf(10) ** -12 + mp.mpf(10) ** -30
        return (self.values(x + delta)[2] == self.n - 1 - i and
                self.values(x - delta)[2] == self.n - i)

    def polish(self, x):
        for _ in range(40):
            pn, pnm1, _c = self.values(x)
            step = pn / self.derivative(x, pn, pnm1)
            x -= step
            if not (-1 < x < 1):
                return None
            if abs(step) < mp.mpf(10) ** -34 * (1 - abs(x)):
                return x
        return x

    def bisect(self, i):
        lo, hi = mp.mpf(-1), mp.mpf(1)
        while hi - lo > mp.mpf(10) ** -8 * (1 - max(abs(lo), abs(hi))):
            mid = (lo + hi) / 2
            if self.values(mid)[2] > self.n - 1 - i:
                lo = mid
            else:
                hi = mid
        return self.polish((lo + hi) / 2)

    def root(self, i):
        x = self.polish(self.guess(i))
        if x is None or not self.certified(x, i):
            x = self.bisect(i)
        assert x is not None and self.certified(x, i), (self.n, i)
        return x


def main():
    mp.mp.dps = 40
    if CHOSEN is PARAMETERS:
        print("// Written by jacobi_references.py (mpmath, 40 digits).")
        print("struct JacobiReference { int n; double alpha, beta; int index; long double node, weight; };")
        print("constexpr JacobiReference jacobiReferences[] = {")
    for a, b in CHOSEN:
        for n in (10, 100, 1000, 100000):
            p = Jacobi(n, a, b)
            A, B = mp.mpf(a), mp.mpf(b)
            constant = 2 ** (A + B + 1) * mp.exp(mp.loggamma(n + A + 1) + mp.loggamma(n + B + 1) -
                                                 mp.loggamma(n + A + B + 1) - mp.loggamma(n + 1))
            for i in sample(n):
                x = p.root(i)
                pn, pnm1, _c = p.values(x)
                d = p.derivative(x, pn, pnm1)
                w = constant / ((1 - x * x) * d * d)
                print(f"    {{{n}, {a!r}, {b!r}, {i}, {mp.nstr(x, 25)}L, {mp.nstr(w, 25)}L}},",
                      flush=True)
    if CHOSEN is PARAMETERS:
        print("};")


main()
