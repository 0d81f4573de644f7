#!/usr/bin/env python3
"""Reference Gauss-Laguerre nodes and scaled weights for the Sonin-Laguerre tests.

Writes sonin_laguerre_reference.inc beside this script: rows {M, alpha, index, node, weight}
with the nodes of L_M^(alpha) and the weights W = w e^t t^(-alpha) = Gamma(M + alpha + 1) /
(M! t L_M'(t)^2) e^t t^(-alpha), to 24 significant digits.

Each root is isolated by bisection on the Sturm count of (-1)^k L_k in Python floats, then
refined by Newton on the three-term recurrence with mpmath at 40 digits, and accepted only if
the count confirms that it is the index-th root. Takes about half an hour of CPU with mpmath
alone (no gmpy2); cases can run in parallel and are kept as they finish, in a scratch folder:
    python3 sonin_laguerre_reference.py 100000:0 100000:0.5 &   # any subset of M:alpha
    python3 sonin_laguerre_reference.py                         # the rest, then the table
"""

import math
import os
import sys
import tempfile

import mpmath as mp

mp.mp.dps = 40
ALPHAS = [0, 0.5, 5, 20]


def roots_below(n, t, a):
    """Number of roots of L_n^(a) below t, from the sign changes of (-1)^k L_k(t)."""
    changes, prev, cur = 0, 1.0, t - 1 - a
    last = 1.0
    if cur != 0:
        changes += (cur < 0) != (last < 0)
        last = cur
    for k in range(2, n + 1):
        prev, cur = cur, ((t - (2 * k - 1 + a)) * cur - (k - 1 + a) * prev) / k
        if cur != 0:
            changes += (cur < 0) != (last < 0)
            last = cur
        if abs(cur) > 1e250:
            prev, cur, last = prev * 1e-250, cur * 1e-250, last * 1e-250
    return n - changes


def isolate(n, a, index):
    """A float close to the index-th root (0-based, ascending), by bisection on the count."""
    lo, hi = 0.0, 4.0 * n + 2 * a + 10 + 4 * math.sqrt(n + a + 10)
    while roots_below(n, hi, a) <= index:
        hi *= 2
    for _ in range(80):
        mid = 0.5 * (lo + hi)
        if mid in (lo, hi):
            break
        if roots_below(n, mid, a) > index:
            hi = mid
        else:
            lo = mid
    return 0.5 * (lo + hi)


def laguerre_pair(n, t, a):
    """L_n(t) and L_{n-1}(t) in mpmath."""
    prev, cur = mp.mpf(0), mp.mpf(1)
    for k in range(1, n + 1):
        prev, cur = cur, ((2 * k - 1 + a - t) * cur - (k - 1 + a) * prev) / k
    return cur, prev


def reference(n, a, index):
    a = mp.mpf(a)
    t = mp.mpf(isolate(n, float(a), index))
    for _ in range(8):
        ln, lnm1 = laguerre_pair(n, t, a)
        step = ln / ((n * ln - (n + a) * lnm1) / t)
        t -= step
        if abs(step) < t * mp.mpf(10) ** -36:
            break
    ln, lnm1 = laguerre_pair(n, t, a)
    derivative = (n * ln - (n + a) * lnm1) / t
    norm = mp.exp(mp.loggamma(n + a + 1) - mp.loggamma(n + 1))
    weight = norm * mp.exp(t) * t ** (-a) / (t * derivative ** 2)
    spacing = 1e-7 * float(t)  # beyond the float noise of the count, well inside the gaps
    assert roots_below(n, float(t) - spacing, float(a)) == index, (n, float(a), index)
    assert roots_below(n, float(t) + spacing, float(a)) == index + 1, (n, float(a), index)
    return t, weight


def indices(n):
    if n <= 100:
        return list(range(n))
    if n <= 1000:
        return sorted(set(range(12)) | set(range(12, n - 12, 4)) | set(range(n - 12, n)))
    return sorted({0, 1, 2, 5, 8, 9, 10, 11, 50, 1000, 50000, n - 10, n - 1})


def case_rows(n, a):
    rows = []
    for i in indices(n):
        t, w = reference(n, a, i)
        rows.append("{%d, %s, %d, %sL, %sL}," % (
            n, repr(float(a)), i, mp.nstr(t, 24, min_fixed=-5, max_fixed=8), mp.nstr(w, 24)))
    return rows


def main():
    cases = [(n, a) for n in [10, 100, 1000, 100000] for a in ALPHAS]
    chosen = [(int(n), float(a)) for n, a in (arg.split(":") for arg in sys.argv[1:])]
    scratch = os.path.join(tempfile.gettempdir(), "sonin_laguerre_reference")
    os.makedirs(scratch, exist_ok=True)
    rows = []
    for n, a in cases:
        part = os.path.join(scratch, "%d_%s.part" % (n, float(a)))
        if not os.path.exists(part):
            if chosen and (n, float(a)) not in chosen:
                continue
            with open(part + ".tmp", "w") as out:
                out.write("\n".join(case_rows(n, a)) + "\n")
            os.replace(part + ".tmp", part)
            print(n, a, flush=True)
        if not chosen:
            rows.append(open(part).read())
    if chosen:
        return
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "sonin_laguerre_reference.inc"), "w") as out:
        out.write("// Written by sonin_laguerre_reference.py: {M, alpha, index, node, W}.\n")
        out.write("".join(rows))


if __name__ == "__main__":
    main()
