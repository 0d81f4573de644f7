"""Bad input raises ValueError with the program's message and leaves nothing changed; files of
every layout the program reads come back as ascending samples."""
import numpy as np
import pytest

import serna

X = np.linspace(0.0, 1.0, 11)
Y = X ** 2


@pytest.mark.parametrize("call,message", [
    (lambda: serna.fit(X, Y, "laguerre", 5), 'Unknown basis "laguerre"'),
    (lambda: serna.fit(X[::-1], Y, "legendre", 5), "Second (abscissa) column are not ascending"),
    (lambda: serna.fit([], [], "legendre", 5), "No valid column data detected"),
    (lambda: serna.fit(X, np.where(X > 0.5, np.nan, Y), "legendre", 5),
     "Samples must be finite numbers"),
    (lambda: serna.fit(X, Y[:-1], "legendre", 5), "the same length"),
    (lambda: serna.fit(X, Y, "jacobi", 5, alpha=-1.0),
     "Jacobi polynomials take alpha and beta greater than -1"),
    (lambda: serna.fit(X, Y, "legendre", 5, beta=float("inf")),
     "alpha and beta must be finite numbers"),
    (lambda: serna.fit(X, Y, "legendre", 5, points=2**31 - 1),
     "2147483648 evaluation points are more than the program can count"),
    (lambda: serna.fit(X, Y, "legendre", 2**40), "1099511627776 terms are more than"),
    (lambda: serna.fit(X, Y, "legendre", 5, points=2**40 + 1),
     "1099511627778 evaluation points are more than"),
    (lambda: serna.fit(X, Y, "legendre", 2**30), "Not enough memory for 1073741824 terms"),
    (lambda: serna.fit(X, Y, "legendre", "many"), 'terms must be a number or "auto"'),
    (lambda: serna.fit(X, Y, "bernstein", "auto"),
     "Sorry, This method is unavailable under current basis"),
    (lambda: serna.fit_many(X, np.vstack([Y, Y]), "legendre", "auto"),
     "fit_many takes a number of terms"),
    (lambda: serna.fit(X[:1], Y[:1], "legendre", 1), "A single sample spans no interval"),
    (lambda: serna.fit(X, Y, "legendre", 3, interval=(0, float("nan"))), "must be finite"),
    (lambda: serna.fit_many(X, Y, "legendre", 3), "Y must have the shape"),
    (lambda: serna.quadrature("jacobi", 10, -2.0, 0.0), "greater than -1"),
    (lambda: serna.quadrature("legendre", 0), "points must be at least 1"),
    (lambda: serna.fit(X, Y, "sonin-laguerre", 5, points=20, alpha=0.5).deriv(),
     "Sorry, This method is unavailable under current basis"),
])
def test_bad_input_is_refused_with_the_message(call, message):
    with pytest.raises(ValueError, match=message.replace("(", r"\(").replace(")", r"\)")):
        call()


def test_the_callers_arrays_stay_as_they_were():
    x, y = X.copy(), Y.copy()
    serna.fit(x, y, "chebyshev1", 5)
    serna.fit_many(x, np.vstack([y, y]), "hermite", 5)
    assert np.array_equal(x, X) and np.array_equal(y, Y)


def write(tmp_path, name, text):
    path = tmp_path / name
    path.write_text(text)
    return str(path)


def test_two_columns_value_first(tmp_path):
    x, y = serna.read_samples(write(tmp_path, "a.txt", "1.0 0.0\n2.0 0.5\n# note\n4.0 1.5\n"))
    assert x.tolist() == [0.0, 0.5, 1.5] and y.tolist() == [1.0, 2.0, 4.0]


def test_one_column_takes_the_proposed_bounds(tmp_path):
    path = write(tmp_path, "b.txt", "# LEFT = 10 ppm. RIGHT = -2 ppm.\n1\n2\n3\n4\n")
    x, y = serna.read_samples(path)
    # The larger bound first: values and abscissae reversed, stored ascending.
    assert x.tolist() == [-2.0, 2.0, 6.0, 10.0] and y.tolist() == [4.0, 3.0, 2.0, 1.0]


def test_delimited_table_takes_the_proposed_reading(tmp_path):
    path = write(tmp_path, "c.csv", "time_s;mV\n0,000;0,12\n0,004;0,50\n0,008;0,25\n")
    x, y = serna.read_samples(path)
    assert np.allclose(x, [0.0, 0.004, 0.008]) and np.allclose(y, [0.12, 0.50, 0.25])


def test_jcamp_points_descending_stored_ascending(tmp_path):
    path = write(tmp_path, "d.jdx", "##TITLE= test\n##JCAMP-DX= 4.24\n##XYPOINTS= (XY..XY)\n"
                                    "30, 3\n20, 2\n10, 1\n##END=\n")
    x, y = serna.read_samples(path)
    assert x.tolist() == [10.0, 20.0, 30.0] and y.tolist() == [1.0, 2.0, 3.0]


def test_unreadable_files_raise(tmp_path):
    with pytest.raises(ValueError, match="No valid column data detected"):
        serna.read_samples(write(tmp_path, "e.txt", "no numbers here\n"))
    with pytest.raises(ValueError):
        serna.read_samples(str(tmp_path / "missing.txt"))


def test_skipped_lines_are_a_warning(tmp_path):
    with pytest.warns(UserWarning):
        x, y = serna.read_samples(write(tmp_path, "f.txt", "1 0\nnan 1\n3 2\n"))
    assert x.tolist() == [0.0, 2.0]
