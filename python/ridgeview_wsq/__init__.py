"""Ridgeview's WSQ codec for Python: decode, encode and inspect WSQ fingerprint images.

    >>> import ridgeview_wsq
    >>> result = ridgeview_wsq.decode(open("print.wsq", "rb").read())
    >>> result.pixels.shape, result.ppi
    ((331, 419), 500)
    >>> data = ridgeview_wsq.encode(result.pixels, bitrate=0.75, ppi=500)

Pixels are NumPy uint8 arrays of shape (height, width), top row first. Every failure of the
codec raises WsqError carrying the codec's code and message. The GIL is released while the
codec works, so threads decoding or encoding at once run in parallel.

`import ridgeview_wsq.pillow` makes Pillow open and save .wsq files.
"""

from __future__ import annotations

import operator
import os
import secrets
from typing import Dict, List, NamedTuple, Optional, Union

import numpy as np

from . import _ridgeview_wsq as _lib
from ._errors import REFUSAL_BUDGET, REFUSAL_NONE, REFUSAL_OUT_OF_MEMORY, WsqError

__all__ = [
    "Decoded",
    "Info",
    "Segment",
    "WsqError",
    "REFUSAL_NONE",
    "REFUSAL_BUDGET",
    "REFUSAL_OUT_OF_MEMORY",
    "decode",
    "encode",
    "info",
    "code_name",
    "code_message",
    "memory_budget",
    "set_memory_budget",
    "release_cached_memory",
    "write_atomic",
    "__version__",
]

#: The version of the libridgeview-wsq the module runs on ("MAJOR.MINOR.PATCH").
__version__: str = _lib.library_version()

Buffer = Union[bytes, bytearray, memoryview]

_MARKER_NAMES = {
    0xFFA0: "SOI",
    0xFFA1: "EOI",
    0xFFA2: "SOF",
    0xFFA3: "SOB",
    0xFFA4: "DTT",
    0xFFA5: "DQT",
    0xFFA6: "DHT",
    0xFFA7: "DRT",
    0xFFA8: "COM",
    0: "data",
    1: "unknown",  # bytes where a marker belongs that are none: the rest of the file
}


class Decoded(NamedTuple):
    """A decoded WSQ image."""

    #: uint8 array of shape (height, width), top row first.
    pixels: np.ndarray
    #: the resolution from the NIST_COM "PPI" entry; None when the file has no NIST_COM.
    ppi: Optional[int]
    #: always True: WSQ is a lossy format.
    lossy: bool
    #: the NIST_COM entries, name to value, in file order ({} without NIST_COM; a name given
    #: twice keeps its first place and its last value).
    nistcom: Dict[str, str]
    #: what the codec noted about unusual but decodable data ("" usually), one line each.
    warnings: str


class Segment(NamedTuple):
    """One piece of a WSQ file, in file order."""

    #: 0xFFA0 ... 0xFFA8, or 0 for the entropy-coded data after a block header.
    marker: int
    #: "SOI", "SOF", "DHT", ... or "data".
    name: str
    #: the offset of its first byte (the marker's).
    offset: int
    #: its length in bytes, the marker included.
    length: int


class Info(NamedTuple):
    """What the headers of a WSQ file say, read without decoding the image."""

    width: int
    height: int
    #: always 8.
    depth: int
    #: NIST_COM "PPI"; None when the file has no NIST_COM.
    ppi: Optional[int]
    #: always True.
    lossy: bool
    #: the frame header's encoder number.
    encoder: int
    #: the frame header's software number.
    software: int
    #: the NIST_COM entries, name to value, in file order.
    nistcom: Dict[str, str]
    #: the file's segments in file order.
    segments: List[Segment]

    @property
    def size(self) -> tuple:
        """(width, height), as Pillow gives sizes."""
        return (self.width, self.height)


def _ppi_or_none(ppi: int) -> Optional[int]:
    return None if ppi < 0 else ppi


def decode(data: Buffer, *, threads: int = 0) -> Decoded:
    """Decodes a whole WSQ file held in memory.

    `data` is any bytes-like object (bytes, bytearray, memoryview, a contiguous array).
    `threads` is the most threads this one call may use (0: as many as the process may use;
    1: only the calling thread); the result is the same for every count.
    Raises WsqError when the file cannot be decoded.
    """
    pixels, ppi, lossy, entries, warnings = _lib.decode(data, _thread_count(threads))
    return Decoded(pixels, _ppi_or_none(ppi), lossy, dict(entries), warnings)


def info(data: Buffer) -> Info:
    """Reads the frame header, the NIST_COM entries and the segment list without decoding.

    Raises WsqError when the headers cannot be read.
    """
    width, height, depth, ppi, lossy, encoder, software, entries, segments = _lib.read_info(data)
    return Info(
        width,
        height,
        depth,
        _ppi_or_none(ppi),
        lossy,
        encoder,
        software,
        dict(entries),
        [Segment(m, _MARKER_NAMES.get(m, "unknown"), o, n) for m, o, n in segments],
    )


def encode(
    array,
    bitrate: float = 0.75,
    ppi: int = 500,
    comment: Optional[Union[str, bytes]] = None,
    *,
    threads: int = 0,
) -> bytes:
    """Encodes a 2-D uint8 array (height, width) as a WSQ file and returns its bytes.

    Any 2-D uint8 array is taken; one that is not C-contiguous is copied first. `bitrate` is
    in bits per pixel (0.75 is the common choice), `ppi` the resolution written to NIST_COM.
    `comment`: None writes no comment of the caller; a text starting with "NIST_COM" is
    merged into the file's NIST_COM entries; any other text, "" included, is written as a
    comment segment of its own. comment="" gives byte for byte what Ridgeview's viewer and
    `ridgeview-wsq encode` write.

    Raises TypeError for an array that is not uint8, ValueError for one that is not 2-D or
    for a bit rate that is not above 0 and at most 8, and WsqError when the codec fails.
    """
    pixels = np.asarray(array)
    if pixels.dtype != np.uint8:
        raise TypeError(f"pixels must be a uint8 array, not {pixels.dtype}")
    if pixels.ndim != 2:
        raise ValueError(f"pixels must be a 2-D array (height, width), not {pixels.ndim}-D")
    pixels = np.ascontiguousarray(pixels)
    bitrate = float(bitrate)
    if not (0.0 < bitrate <= 8.0):
        raise ValueError(f"bitrate must be above 0 and at most 8, not {bitrate}")
    ppi = operator.index(ppi)
    if comment is not None and not isinstance(comment, bytes):
        if not isinstance(comment, str):
            raise TypeError(f"comment must be str, bytes or None, not {type(comment).__name__}")
        comment = comment.encode("utf-8", "surrogateescape")
    return _lib.encode(pixels, bitrate, ppi, comment, _thread_count(threads))


def _thread_count(threads: int) -> int:
    threads = operator.index(threads)
    if threads < 0:
        raise ValueError(f"threads must be 0 or more, not {threads}")
    return threads


def code_name(code: int) -> str:
    """The name of a codec code ("WSQ_NO_SOI"); "OK" for 0, "UNKNOWN" for other values."""
    return _lib.code_name(code)


def code_message(code: int) -> str:
    """The message format of a code, printf fields unfilled; "" when it has none."""
    return _lib.code_message(code)


def memory_budget() -> int:
    """The most memory one decode or encode may plan to hold, in bytes (process-wide)."""
    return _lib.memory_budget()


def set_memory_budget(nbytes: int) -> None:
    """Sets the process-wide memory budget; a larger image then fails with REFUSAL_BUDGET."""
    _lib.set_memory_budget(nbytes)


def release_cached_memory() -> None:
    """Gives the large blocks the calling thread keeps for its next call back to the system."""
    _lib.release_cached_memory()


def write_atomic(path: Union[str, os.PathLike], data: Buffer) -> None:
    """Writes `data` to `path` so that the file appears whole or not at all.

    The bytes go to a temporary file in the same folder, are flushed to the disk, and the
    file is renamed over `path`; the folder is then synced so the rename survives a crash.
    On failure the temporary file is removed and `path` is left as it was.
    """
    path = os.fspath(path)
    folder = os.path.dirname(os.path.abspath(path))
    temporary = os.path.join(
        folder, f".{os.path.basename(path)}.{secrets.token_hex(6)}.tmp"
    )
    # Created with the usual permissions (the umask applies), never over an existing file.
    fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
    try:
        with os.fdopen(fd, "wb") as f:
            f.write(data)
            f.flush()
            os.fsync(f.fileno())
        os.replace(temporary, path)
    except BaseException:
        try:
            os.unlink(temporary)
        except FileNotFoundError:
            pass
        raise
    directory = os.open(folder, os.O_RDONLY | os.O_DIRECTORY)
    try:
        os.fsync(directory)
    finally:
        os.close(directory)
