"""examples/cluster_transcode.py on a local cluster of two worker processes.

200 files in a folder tree are encoded and decoded; every output must equal what
`ridgeview-wsq` writes for the same file, a damaged file is named in the summary while the
rest complete, and a second run skips what is done.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest
from PIL import Image

from conftest import EXAMPLES, VECTORS, read_pgm, run_tool, synthetic_image, write_pgm

COUNT = 200
PNG_EVERY = 10  # every tenth input is a PNG, the others binary PGM
FOLDERS = ["", "left", "left/thumb", "right", "right/index/2024"]
DAMAGED = "right/damaged.wsq"
DAMAGED_MESSAGE = "ERROR : huffman_decode_data_mem : huffman table {5} undefined."
TIMEOUT = 600  # seconds; the machine may be shared and slow


def run_example(*args):
    return subprocess.run(
        [sys.executable, str(EXAMPLES / "cluster_transcode.py"), *map(str, args), "--workers", "2"],
        capture_output=True,
        text=True,
        timeout=TIMEOUT,
    )


def relative_names():
    """The inputs' paths relative to the source folder, without extension."""
    names = []
    for i in range(COUNT):
        folder = FOLDERS[i % len(FOLDERS)]
        names.append(str(Path(folder) / f"print{i:03d}"))
    return names


@pytest.fixture(scope="module")
def tree(tmp_path_factory, tool):
    """Inputs in a tree, and per input what ridgeview-wsq writes for it (flat, by index)."""
    base = tmp_path_factory.mktemp("cluster")
    source, flat = base / "images", base / "flat"
    for folder in (flat, base / "tool-wsq", base / "tool-pgm"):
        folder.mkdir()
    names = relative_names()
    for i, name in enumerate(names):
        pixels = synthetic_image(64 + (i * 7) % 65, 48 + (i * 11) % 65, seed=i)
        write_pgm(flat / f"{i:03d}.pgm", pixels)
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        if i % PNG_EVERY == 0:
            Image.fromarray(pixels, mode="L").save(source / f"{name}.png")
        else:
            write_pgm(source / f"{name}.pgm", pixels)
    pgms = sorted(flat.glob("*.pgm"))
    run_tool("encode", "-j", "2", "-o", base / "tool-wsq", *pgms, timeout=TIMEOUT)
    wsqs = sorted((base / "tool-wsq").glob("*.wsq"))
    assert len(wsqs) == COUNT
    run_tool("decode", "-j", "2", "-o", base / "tool-pgm", *wsqs, timeout=TIMEOUT)
    return base, names


@pytest.fixture(scope="module")
def encoded(tree):
    base, names = tree
    result = run_example("encode", base / "images", base / "wsq")
    return base, names, result


@pytest.fixture(scope="module")
def decoded(encoded):
    base, names, _ = encoded
    source = base / "wsq-in"
    for i, name in enumerate(names):
        (source / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy(base / "tool-wsq" / f"{i:03d}.wsq", source / f"{name}.wsq")
    shutil.copy(VECTORS / "errors" / "sob_undefined_table.wsq", source / DAMAGED)
    result = run_example("decode", source, base / "png")
    return base, names, result


def no_temporary_files(folder: Path):
    return [p for p in folder.rglob("*") if p.name.endswith(".tmp")] == []


def test_encode_writes_what_the_tool_writes(encoded):
    base, names, result = encoded
    assert result.returncode == 0, result.stderr
    assert f"{COUNT} done, 0 skipped, 0 failed" in result.stderr
    for i, name in enumerate(names):
        out = base / "wsq" / f"{name}.wsq"
        assert out.read_bytes() == (base / "tool-wsq" / f"{i:03d}.wsq").read_bytes(), name
    assert len(list((base / "wsq").rglob("*.wsq"))) == COUNT
    assert no_temporary_files(base / "wsq")


def test_decode_writes_the_tools_pixels_and_names_the_damaged_file(decoded):
    base, names, result = decoded
    assert result.returncode == 1
    assert f"{COUNT} done, 0 skipped, 1 failed" in result.stderr
    assert f"FAILED {DAMAGED}: {DAMAGED_MESSAGE} (code -51)" in result.stderr
    for i, name in enumerate(names):
        with Image.open(base / "png" / f"{name}.png") as img:
            assert img.format == "PNG" and img.mode == "L"
            assert img.info["dpi"] == pytest.approx((500, 500), abs=0.01)
            expected = read_pgm(base / "tool-pgm" / f"{i:03d}.pgm")
            np.testing.assert_array_equal(np.asarray(img), expected, err_msg=name)
    assert not (base / "png" / "right" / "damaged.png").exists()
    assert len(list((base / "png").rglob("*.png"))) == COUNT
    assert no_temporary_files(base / "png")


def test_a_second_run_skips_what_is_done(decoded):
    base, names, _ = decoded
    result = run_example("encode", base / "images", base / "wsq")
    assert result.returncode == 0, result.stderr
    assert f"0 done, {COUNT} skipped, 0 failed" in result.stderr

    # Outputs lost since the last run are made again; the others are left alone.
    removed = names[::20]
    for name in removed:
        (base / "png" / f"{name}.png").unlink()
    kept = {n: (base / "png" / f"{n}.png").stat().st_mtime_ns for n in names if n not in removed}
    result = run_example("decode", base / "wsq-in", base / "png")
    assert result.returncode == 1
    assert f"{len(removed)} done, {COUNT - len(removed)} skipped, 1 failed" in result.stderr
    assert f"FAILED {DAMAGED}:" in result.stderr
    for name, mtime in kept.items():
        assert (base / "png" / f"{name}.png").stat().st_mtime_ns == mtime
    for name in removed:
        i = names.index(name)
        with Image.open(base / "png" / f"{name}.png") as img:
            np.testing.assert_array_equal(
                np.asarray(img), read_pgm(base / "tool-pgm" / f"{i:03d}.pgm")
            )


def test_check_reports_every_file(decoded):
    base, names, _ = decoded
    result = run_example("check", base / "wsq-in", base / "check")
    assert result.returncode == 1
    assert f"FAILED {DAMAGED}: {DAMAGED_MESSAGE} (code -51)" in result.stderr
    lines = (base / "check" / "check-report.tsv").read_text().splitlines()
    assert lines[0].split("\t") == [
        "file", "result", "code", "name", "message", "width", "height", "ppi"
    ]
    rows = {line.split("\t")[0]: line.split("\t") for line in lines[1:]}
    assert len(rows) == COUNT + 1
    assert rows[DAMAGED][1:5] == ["failed", "-51", rows[DAMAGED][3], DAMAGED_MESSAGE + " (code -51)"]
    assert "WSQ_HUFFMAN_TABLE_UNDEFINED" in rows[DAMAGED][3]
    first = rows[f"{names[0]}.wsq"]
    pixels = read_pgm(base / "tool-pgm" / "000.pgm")
    assert first[1:4] == ["ok", "0", "OK"]
    assert first[5:] == [str(pixels.shape[1]), str(pixels.shape[0]), "500"]


def test_usage_errors_exit_with_status_2(tmp_path):
    result = run_example("transcode", tmp_path, tmp_path / "out")
    assert result.returncode == 2
    result = run_example("decode", tmp_path / "missing", tmp_path / "out")
    assert result.returncode == 2
