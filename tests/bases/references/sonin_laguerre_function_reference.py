#!/usr/bin/env python3
"""Reference values of the Sonin-Laguerre functions for the Sonin-Laguerre tests.

Writes sonin_laguerre_function_reference.inc beside this script: rows {n, t, alpha, value}
with phi_n(t) = t^(alpha/2) e^(-t/2) L_n^(alpha)(t) from mpmath's hypergeometric Laguerre
function at 60 digits, at orders and arguments where L_n or e^(-t/2) alone leaves the double
range. Runs in seconds: python3 sonin_laguerre_function_reference.py
"""

import os

import mpmath as mp

mp.mp.dps = 60
POINTS = [(0, 1e-3, 0.5), (5, 7.25, 1.5), (100, 50.0, 0.0), (999, 3999.0, 5.0),
          (1000, 4500.0, 20.0), (400, 2000.0, 0.5), (3000, 11000.0, 0.5), (2000, 30.5, 50.0),
          (20000, 30000.0, 0.5), (50000, 1e-4, 0.0), (7, 900.0, 3.0)]


def main():
    rows = []
    for n, t, a in POINTS:
        x, al = mp.mpf(t), mp.mpf(a)
        value = x ** (al / 2) * mp.exp(-x / 2) * mp.laguerre(n, al, x)
        rows.append("{%d, %s, %s, %sL}," % (n, repr(t), repr(a), mp.nstr(value, 24)))
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "sonin_laguerre_function_reference.inc"), "w") as out:
        out.write("// Written by sonin_laguerre_function_reference.py: {n, t, alpha, phi_n(t)}.\n")
        out.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
