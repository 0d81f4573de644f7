"""Orthogonal series of sampled signals in nine bases, over the same core as the Serna program.

    x, y = serna.read_samples("spectrum.csv")
    s = serna.fit(x, y, "legendre", 100, points=2000)
    s.coef, s(x), s.deriv(), s.integral(), s.fit_figure

The functions are defined here, in Python, over the compiled serna._core, so that they pickle
by name (Dask sends them to its workers that way).
"""
from serna import _core
from serna._core import BASES, Series

__all__ = ["BASES", "Series", "fit", "fit_many", "quadrature", "read_samples"]


def fit(x, y, basis, terms, points=None, interval=None, alpha=0.0, beta=0.0):
    """The Series of the samples (x ascending) as the program fits its samples source.

    terms is a number or "auto" (the automatic count, within points, which then defaults to
    the number of samples). points defaults to the terms (made even), interval to the samples'
    span; alpha and beta come back as the basis settled them. Bad input raises ValueError with
    the program's message."""
    return _core.fit(x, y, basis, terms, points, interval, alpha, beta)


def fit_many(x, Y, basis, terms, points=None, interval=None, alpha=0.0, beta=0.0):
    """The coefficients, shape (K, terms), of the K spectra Y[k] on the one grid x: row k is
    fit(x, Y[k], ...).coef, with the node set made once for all of them."""
    return _core.fit_many(x, Y, basis, terms, points, interval, alpha, beta)


def quadrature(basis, points, alpha=0.0, beta=0.0):
    """The nodes and weights of the basis's quadrature of `points` nodes, in its own variable,
    as the weights export writes them."""
    return _core.quadrature(basis, points, alpha, beta)


def read_samples(path):
    """The samples (x, y), x ascending, of a file in any layout the program reads, its
    proposals (bounds, reading of a table) taken as if accepted; notes come as warnings."""
    return _core.read_samples(path)
