"""Python threads share the codec: identical results, and the GIL is free while it runs."""

from __future__ import annotations

import threading
import time
from concurrent.futures import ThreadPoolExecutor

import numpy as np

import ridgeview_wsq as wsq
from conftest import VECTOR_NAMES, read_pgm, synthetic_image

THREADS = 6
ROUNDS = 4


def test_threads_decoding_at_once_get_identical_results(vectors):
    files = {n: (vectors / f"{n}.wsq").read_bytes() for n in VECTOR_NAMES}
    expected = {n: read_pgm(vectors / f"{n}.dec.pgm") for n in VECTOR_NAMES}
    start = threading.Barrier(THREADS)

    def work(index):
        start.wait()
        out = []
        for r in range(ROUNDS):
            name = VECTOR_NAMES[(index + r) % len(VECTOR_NAMES)]
            out.append((name, wsq.decode(files[name], threads=1).pixels))
        return out

    with ThreadPoolExecutor(THREADS) as pool:
        results = list(pool.map(work, range(THREADS)))
    assert sum(len(r) for r in results) == THREADS * ROUNDS
    for per_thread in results:
        for name, pixels in per_thread:
            np.testing.assert_array_equal(pixels, expected[name])


def test_threads_encoding_at_once_get_identical_bytes(vectors):
    images = {n: read_pgm(vectors / f"{n}.pgm") for n in VECTOR_NAMES}
    expected = {n: (vectors / f"{n}.wsq").read_bytes() for n in VECTOR_NAMES}
    start = threading.Barrier(THREADS)

    def work(index):
        start.wait()
        name = VECTOR_NAMES[index % len(VECTOR_NAMES)]
        return name, [wsq.encode(images[name], comment="", threads=1) for _ in range(ROUNDS)]

    with ThreadPoolExecutor(THREADS) as pool:
        for name, outputs in pool.map(work, range(THREADS)):
            assert all(data == expected[name] for data in outputs)


def test_failures_on_some_threads_do_not_disturb_the_others(vectors):
    good = (vectors / "print_419x331.wsq").read_bytes()
    bad = (vectors / "errors" / "sob_undefined_table.wsq").read_bytes()
    expected = read_pgm(vectors / "print_419x331.dec.pgm")

    def work(index):
        if index % 2:
            try:
                wsq.decode(bad, threads=1)
            except wsq.WsqError as e:
                return e.code
            return None
        return wsq.decode(good, threads=1).pixels

    with ThreadPoolExecutor(THREADS) as pool:
        results = list(pool.map(work, range(THREADS * 2)))
    for index, result in enumerate(results):
        if index % 2:
            assert result == -51
        else:
            np.testing.assert_array_equal(result, expected)


def test_a_long_decode_lets_other_python_threads_run():
    # Large enough that one decode on one thread takes a good fraction of a second.
    data = wsq.encode(synthetic_image(3200, 3000, 7), bitrate=2.0, threads=0)
    ticks = []
    stop = threading.Event()

    def ticker():
        while not stop.is_set():
            ticks.append(time.monotonic())
            # Pure Python work between ticks: it needs the GIL to run at all.
            sum(range(200))

    thread = threading.Thread(target=ticker)
    thread.start()
    try:
        time.sleep(0.05)
        began = time.monotonic()
        result = wsq.decode(data, threads=1)
        ended = time.monotonic()
    finally:
        stop.set()
        thread.join()
    assert result.pixels.shape == (3000, 3200)
    # Held through the decode, the GIL would keep the ticker out for the whole call, so that
    # it could tick only at the call's two ends; free, the ticker runs all along. Counting
    # the tenths of the call it ticked in leaves room for a busy machine's scheduling.
    tenth = (ended - began) / 10
    slices = {int((t - began) / tenth) for t in ticks if began < t < ended}
    assert len(slices) >= 5, (sorted(slices), ended - began)
