"""Times serna.fit_many against numpy.polynomial.legendre.legfit on the same spectra (1000
spectra of 10^4 points, 100 Legendre terms by default; best of three) and compares their errors:

- noisy spectra: Gaussian peaks plus white noise of 10^-3; the error of each fit against the
  noiseless peaks on the grid (largest and root mean square);
- noiseless spectra that are Legendre series of degree 59: the error of the coefficients.

    PYTHONPATH=build/python python3 bench/python_fit_many.py [--spectra K] [--points P]
"""
import argparse
import time

import numpy as np
import numpy.polynomial.legendre as L

import serna


def best_of(repeats, run):
    times, result = [], None
    for _ in range(repeats):
        start = time.perf_counter()
        result = run()
        times.append(time.perf_counter() - start)
    return min(times), result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--spectra", type=int, default=1000)
    parser.add_argument("--points", type=int, default=10_000)
    parser.add_argument("--terms", type=int, default=100)
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()

    rng = np.random.default_rng(1)
    x = np.linspace(-1.0, 1.0, args.points)
    k = args.spectra

    def fits(Y):
        # The mesh as dense as the samples: the series sees what legfit sees.
        ours_time, ours = best_of(args.repeats, lambda: serna.fit_many(
            x, Y, "legendre", args.terms, points=args.points))
        numpy_time, theirs = best_of(args.repeats,
                                     lambda: L.legfit(x, Y.T, args.terms - 1).T)
        return ours_time, ours, numpy_time, theirs

    print(f"{k} spectra x {args.points} points, {args.terms} Legendre terms")
    centres = rng.uniform(-0.7, 0.7, (k, 4, 1))
    widths = rng.uniform(0.15, 0.3, (k, 4, 1))
    truth = np.sum(np.exp(-0.5 * ((x - centres) / widths) ** 2), axis=1)
    noisy = truth + 1e-3 * rng.normal(size=truth.shape)
    ours_time, ours, numpy_time, theirs = fits(noisy)
    for name, c, seconds in (("serna.fit_many", ours, ours_time),
                             ("numpy legfit", theirs, numpy_time)):
        error = L.legval(x, c.T) - truth
        print(f"  noisy peaks     {name:15s} {seconds:7.3f} s   error largest "
              f"{np.max(np.abs(error)):.3g}  rms {np.sqrt(np.mean(error ** 2)):.3g}")
    print(f"  speed-up {numpy_time / ours_time:.1f}")

    exact = np.zeros((k, args.terms))
    exact[:, :60] = rng.normal(size=(k, 60))
    ours_time, ours, numpy_time, theirs = fits(L.legval(x, exact.T))
    for name, c, seconds in (("serna.fit_many", ours, ours_time),
                             ("numpy legfit", theirs, numpy_time)):
        print(f"  degree 59       {name:15s} {seconds:7.3f} s   coefficient error "
              f"{np.max(np.abs(c - exact)):.3g}")


if __name__ == "__main__":
    main()
