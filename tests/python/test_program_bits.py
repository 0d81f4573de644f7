"""The module and the program give the same coefficients, bit for bit: the same samples file,
read by each, fitted in each of the nine bases; serna-batch prints them with 17 digits."""
import os
import subprocess

import numpy as np
import pytest

import serna

BATCH = os.environ.get("SERNA_BATCH")


@pytest.mark.skipif(not BATCH, reason="SERNA_BATCH names no serna-batch")
@pytest.mark.parametrize("index,basis", list(enumerate(serna.BASES)))
def test_coefficients_equal_the_programs(tmp_path, index, basis):
    rng = np.random.default_rng(index)
    x = np.sort(rng.uniform(-3.0, 7.0, 500))
    y = np.sin(x) + 0.1 * rng.normal(size=x.size)
    path = tmp_path / "samples.txt"
    path.write_text("".join(f"{v:.17g} {a:.17g}\n" for v, a in zip(y, x)))
    terms, points, alpha, beta = 37, 300, 0.5, 0.75
    script = (f"answer {path}\nmenu File > Open > Samples\ntype Edit3 [-2;6]\ntype Edit4 {terms}\n"
              f"type Edit5 {points}\ntype Edit6 {alpha}\ntype Edit7 {beta}\nbasis {index}\n"
              "menu Edit > Apply\nprint coefficients\nprint workspace\n")
    out = subprocess.run([BATCH], input=script, capture_output=True, text=True, check=True,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).stdout.splitlines()
    start = out.index(f"coefficients: {terms}")
    program = np.array([float(line) for line in out[start + 1:start + 1 + terms]])
    workspace = dict(line.split(": ", 1) for line in out[start + 1 + terms:] if ": " in line)

    sx, sy = serna.read_samples(str(path))
    series = serna.fit(sx, sy, basis, terms, points=points, interval=(-2, 6), alpha=alpha,
                       beta=beta)
    assert np.array_equal(series.coef, program)
    assert series.fit_figure == float(workspace["fitFigure"])
    assert series.beta == float(workspace["beta"]) and series.alpha == float(workspace["alpha"])
