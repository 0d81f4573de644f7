"""Fits, series, derivatives, integrals and node sets against independent references:
closed forms, numpy's Legendre and Chebyshev modules (accurate on these small degrees) and
mpmath at 30 digits."""
import math

import mpmath
import numpy as np
import numpy.polynomial.chebyshev as C
import numpy.polynomial.legendre as L
import pytest

import serna

EPS = np.finfo(float).eps
POLYNOMIAL_BASES = ["legendre", "chebyshev1", "chebyshev2", "jacobi", "bernstein",
                    "discrete-chebyshev"]


def test_the_nine_bases_in_the_order_of_the_basis_list():
    assert serna.BASES == ("fourier", "legendre", "chebyshev1", "chebyshev2", "sonin-laguerre",
                           "hermite", "bernstein", "jacobi", "discrete-chebyshev")


# Spot values with exact answers: the samples joined by straight lines are the line itself, and
# every polynomial basis holds a line exactly.
@pytest.mark.parametrize("basis", POLYNOMIAL_BASES)
def test_a_line_is_fitted_exactly(basis):
    x = np.linspace(1.0, 5.0, 41)
    series = serna.fit(x, 3.0 - 0.5 * x, basis, 6, points=64)
    at = np.linspace(1.0, 5.0, 17)
    assert np.max(np.abs(series(at) - (3.0 - 0.5 * at))) < 64 * EPS * 3
    assert series.interval == (1.0, 5.0)


def test_closed_form_coefficients_of_a_line():
    # On [1, 5]: mid 3, half 2, so 3 - x/2 = 1.5 - t. Legendre: c = (1.5, -1); first kind, whose
    # constant enters halved: c = (3, -1).
    x = np.linspace(1.0, 5.0, 9)
    legendre = serna.fit(x, 3.0 - 0.5 * x, "legendre", 4, points=40).coef
    chebyshev = serna.fit(x, 3.0 - 0.5 * x, "chebyshev1", 4, points=40).coef
    assert np.allclose(legendre, [1.5, -1.0, 0.0, 0.0], rtol=0, atol=16 * EPS)
    assert np.allclose(chebyshev, [3.0, -1.0, 0.0, 0.0], rtol=0, atol=16 * EPS)
    assert abs(serna.fit(x, 3.0 - 0.5 * x, "legendre", 4, points=40).fit_figure) < 16 * EPS


def test_settled_counts_interval_and_parameters():
    x = np.linspace(0.0, 2.0, 11)
    y = x * x
    assert serna.fit(x, y, "legendre", 7).points == 8  # points follow the terms, made even
    assert len(serna.fit(x, y, "legendre", 0, points=10).coef) == 1  # at least one term
    assert serna.fit(x, y, "legendre", 3, interval=(2.0, 1.0)).interval == (0.0, 2.0)
    assert serna.fit(x, y, "legendre", 3, interval=(0.5, 1.5)).interval == (0.5, 1.5)
    # Sonin-Laguerre and Hermite put their automatic scale in place of a beta of 0.
    for basis in ("sonin-laguerre", "hermite"):
        assert serna.fit(x, y, basis, 10, points=100, beta=0.0).beta > 0


def random_coefficients(n, seed):
    return np.random.default_rng(seed).uniform(-1, 1, n)


def test_legendre_value_derivative_and_integral_against_numpy():
    c = random_coefficients(12, 1)
    s = serna.Series(c, "legendre", (-1.0, 3.0), points=40)
    x = np.linspace(-1.0, 3.0, 33)
    t = (x - 1.0) / 2.0
    assert np.max(np.abs(s(x) - L.legval(t, c))) < 64 * EPS
    d = s.deriv()
    assert len(d.coef) == 13 and d.interval == s.interval
    assert np.max(np.abs(d(x) - L.legval(t, L.legder(c)) / 2.0)) < 2048 * EPS
    exact = 2.0 * (L.legval(1.0, L.legint(c)) - L.legval(-1.0, L.legint(c)))
    assert abs(s.integral() - exact) < 64 * EPS


def test_chebyshev_value_derivative_and_integral_against_numpy():
    c = random_coefficients(15, 2)
    s = serna.Series(c, "chebyshev1", (0.0, 0.5), points=30)
    numpy_c = c.copy()
    numpy_c[0] /= 2  # the constant enters halved
    x = np.linspace(0.0, 0.5, 21)
    t = 4.0 * x - 1.0
    assert np.max(np.abs(s(x) - C.chebval(t, numpy_c))) < 64 * EPS
    assert np.max(np.abs(s.deriv()(x) - 4.0 * C.chebval(t, C.chebder(numpy_c)))) < 4096 * EPS
    antiderivative = C.chebint(numpy_c)
    exact = (C.chebval(1.0, antiderivative) - C.chebval(-1.0, antiderivative)) / 4.0
    assert abs(s.integral() - exact) < 64 * EPS
    assert s(0.25) == pytest.approx(C.chebval(0.0, numpy_c), abs=64 * EPS)  # a scalar in, out


def test_sine_is_fitted_to_the_accuracy_of_its_samples():
    # Linear interpolation of 2001 samples errs by at most h^2/8 = 1.25e-7 * max|sin''|.
    x = np.linspace(0.0, 2 * math.pi, 2001)
    for basis in ("chebyshev1", "legendre", "fourier", "chebyshev2"):
        s = serna.fit(x, np.sin(x), basis, 40, points=400)
        at = np.linspace(0.1, 2 * math.pi - 0.1, 50)
        assert np.max(np.abs(s(at) - np.sin(at))) < 2e-6, basis
        assert abs(s.integral()) < 2e-6, basis


# Nodes and weights: Gauss rules integrate polynomials of degree below 2M exactly.
@pytest.mark.parametrize("m", [1, 2, 5, 16, 61, 200])
def test_legendre_rule_against_numpy_and_its_moments(m):
    nodes, weights = serna.quadrature("legendre", m)
    ref_nodes, ref_weights = L.leggauss(m)
    assert np.max(np.abs(nodes - ref_nodes)) < 8 * EPS
    assert np.max(np.abs(weights - ref_weights)) < 64 * EPS
    for r in range(0, min(2 * m, 20), 2):
        assert abs(np.sum(weights * nodes ** r) - 2.0 / (r + 1)) < 64 * EPS


@pytest.mark.parametrize("m,alpha,beta", [(6, 0.5, -0.25), (15, 2.0, 3.5), (30, -0.5, -0.5)])
def test_jacobi_rule_against_mpmath(m, alpha, beta):
    nodes, weights = serna.quadrature("jacobi", m, alpha, beta)
    mpmath.mp.dps = 30
    # Each node a root of P_M^(alpha, beta): the Newton step from it is below a few eps.
    for t in nodes:
        value = mpmath.jacobi(m, alpha, beta, t)
        slope = mpmath.diff(lambda s: mpmath.jacobi(m, alpha, beta, s), t)
        assert abs(value / slope) < 8 * EPS
    # The moments of the weight (1 - t)^alpha (1 + t)^beta, in closed form through the beta
    # function for r = 0 and by mpmath's quadrature above.
    total = mpmath.mpf(2) ** (alpha + beta + 1) * mpmath.beta(alpha + 1, beta + 1)
    assert abs(np.sum(weights) - float(total)) < 64 * EPS * float(total)
    first = mpmath.quad(lambda t: (1 - t) ** alpha * (1 + t) ** beta * t, [-1, 1])
    assert abs(np.sum(weights * nodes) - float(first)) < 256 * EPS * float(total)


def test_hermite_positive_nodes_are_roots_of_the_hermite_polynomial():
    m = 20
    nodes, weights = serna.quadrature("hermite", m)
    mpmath.mp.dps = 30
    positive = nodes[: m // 2]  # the positive half only, as the weights export writes them
    assert np.all(positive > 0) and np.all(nodes[m // 2:] == 0)
    for z in positive:
        h = mpmath.hermite(m, z)
        slope = 2 * m * mpmath.hermite(m - 1, z)
        assert abs(h / slope) < 8 * EPS * max(1.0, z)


def test_fit_many_gives_the_coefficients_of_each_fit():
    # The bases whose sums fit_many forms as one blocked product add in another order than the
    # single fit: their rows agree to a few eps of the row's largest coefficient (Jacobi with
    # alpha below 1/2 takes its end path as well). The transform bases run each row through the
    # same transform, and Bernstein samples each row: the same bits.
    blocked = {"legendre", "chebyshev2", "jacobi", "hermite", "sonin-laguerre",
               "discrete-chebyshev"}
    x = np.linspace(-2.0, 3.0, 301)
    rng = np.random.default_rng(5)
    Y = np.cumsum(rng.normal(size=(7, x.size)), axis=1)
    for basis in serna.BASES:
        for alpha in ([0.0, -0.7] if basis == "jacobi" else [0.0]):
            many = serna.fit_many(x, Y, basis, 20, points=80, alpha=alpha)
            assert many.shape == (7, 20)
            for k in range(7):
                one = serna.fit(x, Y[k], basis, 20, points=80, alpha=alpha).coef
                if basis in blocked:
                    assert np.max(np.abs(many[k] - one)) <= 8 * EPS * np.max(np.abs(one)), basis
                else:
                    assert np.array_equal(many[k], one), basis


def test_fit_many_of_smooth_spectra_matches_numpy_legfit():
    # Polynomials of degree 9 sampled finely: both fits recover the same Legendre coefficients
    # up to the interpolation error of the samples.
    x = np.linspace(-1.0, 1.0, 4001)
    rng = np.random.default_rng(8)
    true = rng.uniform(-1, 1, (50, 10))
    Y = L.legval(x, true.T)
    ours = serna.fit_many(x, Y, "legendre", 10, points=200)
    theirs = L.legfit(x, Y.T, 9).T
    assert np.max(np.abs(ours - true)) < 1e-5
    assert np.max(np.abs(ours - true)) <= 2 * np.max(np.abs(theirs - true)) + 1e-5


def test_series_survive_pickling():
    import pickle
    s = serna.fit(np.linspace(0, 1, 11), np.linspace(0, 1, 11) ** 2, "hermite", 8, points=20)
    back = pickle.loads(pickle.dumps(s))
    assert np.array_equal(back.coef, s.coef) and back.beta == s.beta and back.basis == "hermite"
    assert back(0.3) == s(0.3)


# The automatic count against brute force over every count: the error against the smooth
# source, whose samples joined by straight lines put a floor of about 2e-7 under every fit, is
# within 1.5 times the best count's, with at most 25 % more terms than the smallest count that
# comes within 1.5 times of the best. A sine past the mesh's reach does not converge.
@pytest.mark.parametrize("basis", ["legendre", "chebyshev1", "fourier"])
def test_automatic_terms_reach_the_best_count(basis):
    x = np.linspace(-1.0, 1.0, 4001)
    source = (lambda t: np.exp(np.sin(np.pi * t))) if basis == "fourier" else \
        (lambda t: np.exp(t) * np.cos(2 * t))
    at = np.linspace(-1.0, 1.0, 1001)
    series = serna.fit(x, source(x), basis, "auto", points=256)
    errors = [np.max(np.abs(serna.fit(x, source(x), basis, n, points=256)(at) - source(at)))
              for n in range(4, 129)]
    best = min(errors)
    smallest = 4 + next(i for i, e in enumerate(errors) if e <= 1.5 * best)
    assert np.max(np.abs(series(at) - source(at))) <= 1.5 * best
    assert len(series.coef) <= 1.25 * smallest
    if basis != "fourier":  # to a Fourier mesh, a fast sine is a slow one
        with pytest.warns(RuntimeWarning, match="did not converge"):
            fast = serna.fit(x, np.sin(60 * np.pi * x), basis, "auto", points=64)
        assert len(fast.coef) == 64
