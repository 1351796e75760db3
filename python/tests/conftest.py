"""Shared fixtures: the reference vectors, the command-line tool, and PGM helpers.

CTest sets RIDGEVIEW_VECTORS_DIR, RIDGEVIEW_WSQ_TOOL and RIDGEVIEW_EXAMPLES_DIR; run by hand
the defaults below fit a build in build/ beside the shared folder.
"""

from __future__ import annotations

import os
import re
import subprocess
from pathlib import Path

import numpy as np
import pytest

ROOT = Path(__file__).resolve().parents[2]
VECTORS = Path(os.environ.get("RIDGEVIEW_VECTORS_DIR", ROOT.parent / "shared" / "vectors"))
TOOL = Path(os.environ.get("RIDGEVIEW_WSQ_TOOL", ROOT / "build" / "bin" / "ridgeview-wsq"))
EXAMPLES = Path(os.environ.get("RIDGEVIEW_EXAMPLES_DIR", ROOT / "examples"))

# The reference images: NAME.pgm encodes to NAME.wsq, which decodes to NAME.dec.pgm.
VECTOR_NAMES = ["print_419x331", "photo_384x288"]

_PGM_HEADER = re.compile(rb"P5\s+(\d+)\s+(\d+)\s+(\d+)\s")


def read_pgm(path) -> np.ndarray:
    """The pixels of a binary 8-bit PGM as a (height, width) uint8 array."""
    data = Path(path).read_bytes()
    match = _PGM_HEADER.match(data)
    assert match, f"{path} is not a binary PGM"
    width, height, maxval = (int(g) for g in match.groups())
    assert maxval == 255
    pixels = np.frombuffer(data, dtype=np.uint8, count=width * height, offset=match.end())
    return pixels.reshape(height, width)


def write_pgm(path, pixels: np.ndarray) -> None:
    height, width = pixels.shape
    Path(path).write_bytes(b"P5\n%d %d\n255\n" % (width, height) + pixels.tobytes())


def synthetic_image(width: int, height: int, seed: int) -> np.ndarray:
    """A deterministic gray image with ridges and noise, so the coder has real work."""
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:height, 0:width].astype(np.float64)
    angle = rng.uniform(0, np.pi)
    period = rng.uniform(6, 14)
    ridges = np.sin((x * np.cos(angle) + y * np.sin(angle)) * 2 * np.pi / period)
    noise = rng.normal(0, 18, size=(height, width))
    return np.clip(128 + 70 * ridges + noise, 0, 255).astype(np.uint8)


def run_tool(*args, **kwargs) -> subprocess.CompletedProcess:
    """Runs ridgeview-wsq. A sanitizer runtime preloaded for the Python interpreter is left
    out: the tool, when sanitized, carries its own."""
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    return subprocess.run(
        [str(TOOL), *map(str, args)], check=True, capture_output=True, env=env, **kwargs
    )


@pytest.fixture(scope="session")
def vectors() -> Path:
    if not VECTORS.is_dir():
        pytest.fail(f"reference vectors not found at {VECTORS}")
    return VECTORS


@pytest.fixture(scope="session")
def tool() -> Path:
    if not os.access(TOOL, os.X_OK):
        pytest.fail(f"ridgeview-wsq not found at {TOOL}")
    return TOOL
