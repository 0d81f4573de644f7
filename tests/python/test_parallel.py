"""Fits from several threads at once, each thread switching counts so that node sets are built
while others fit, give the serial results bit for bit; 1000 spectra fitted on a Dask cluster of
two worker processes give the serial coefficients."""
import concurrent.futures
import functools
import threading
import time

import numpy as np
import pytest

import serna

X = np.linspace(-1.0, 4.0, 2001)
RNG = np.random.default_rng(3)
SPECTRA = np.cumsum(RNG.normal(size=(12, X.size)), axis=1)
COUNTS = (200, 1000, 4096, 998)  # 998 = 2 * 499: the transforms' chirp route


def job(basis, k):
    # Every count in turn, from a different one in each job: the threads, all on one basis,
    # rebuild the node sets that others are fitting on.
    alpha = 0.0 if basis == "sonin-laguerre" else 0.25  # differentiated within its basis
    at = np.linspace(-1.0, 4.0, 101)
    results = []
    for i in range(4):
        points = COUNTS[(k + i) % len(COUNTS)]
        s = serna.fit(X, SPECTRA[k], basis, 60, points=points, alpha=alpha, beta=0.5)
        results += [s.coef, s(at), s.deriv().coef, s.integral()]
    return results


@pytest.mark.parametrize("basis", serna.BASES)
def test_threads_give_the_serial_results(basis):
    jobs = range(len(SPECTRA))
    serial = [job(basis, k) for k in jobs]
    with concurrent.futures.ThreadPoolExecutor(max_workers=6) as pool:
        for _ in range(2):
            threaded = list(pool.map(functools.partial(job, basis), jobs))
            for one, other in zip(serial, threaded):
                for a, b in zip(one, other):
                    assert np.array_equal(a, b)


def test_dask_cluster_of_two_processes_gives_the_serial_coefficients():
    distributed = pytest.importorskip("distributed")
    # A builtin of the module: the workers import serna, nothing of this test file.
    fit_block = functools.partial(serna.fit_many, basis="legendre", terms=50, points=1000)
    x = np.linspace(0.0, 10.0, 2000)
    Y = np.sin(np.outer(np.linspace(0.5, 3.0, 1000), x))
    serial = fit_block(x, Y)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        futures = [client.submit(fit_block, x, block) for block in np.array_split(Y, 8)]
        together = np.vstack(client.gather(futures))
    assert np.array_equal(together, serial)


def test_python_runs_while_a_fit_computes():
    # The main thread notes the time as it loops; with the interpreter lock held through the
    # fit, it would note nothing between the fit's start and end.
    x = np.linspace(0.0, 1.0, 10 ** 4)
    span = []

    def fit():
        start = time.perf_counter()
        serna.fit(x, np.sin(x), "jacobi", 500, points=150_002, alpha=0.3)  # a cold node set
        span.extend([start, time.perf_counter()])

    worker = threading.Thread(target=fit)
    worker.start()
    stamps = []
    while worker.is_alive():
        stamps.append(time.perf_counter())
        time.sleep(0.001)
    worker.join()
    start, end = span
    inside = [t for t in stamps if start + 0.1 * (end - start) < t < end - 0.1 * (end - start)]
    assert len(inside) > 10
