"""decode, encode and info against the reference vectors and the command-line tool."""

from __future__ import annotations

import pickle

import numpy as np
import pytest

import ridgeview_wsq as wsq
from conftest import VECTOR_NAMES, read_pgm, run_tool, synthetic_image


@pytest.mark.parametrize("name", VECTOR_NAMES)
def test_decode_gives_the_reference_pixels(vectors, name):
    result = wsq.decode((vectors / f"{name}.wsq").read_bytes())
    expected = read_pgm(vectors / f"{name}.dec.pgm")
    assert result.pixels.dtype == np.uint8
    assert result.pixels.shape == expected.shape
    np.testing.assert_array_equal(result.pixels, expected)
    assert result.ppi == 500
    assert result.lossy is True
    assert result.warnings == ""


@pytest.mark.parametrize("name", VECTOR_NAMES)
def test_encode_gives_the_reference_bytes(vectors, name):
    pixels = read_pgm(vectors / f"{name}.pgm")
    data = wsq.encode(pixels, bitrate=0.75, ppi=500, comment="")
    assert isinstance(data, bytes)
    assert data == (vectors / f"{name}.wsq").read_bytes()


@pytest.mark.parametrize("threads", [1, 2, 0])
def test_every_thread_count_gives_the_same_result(vectors, threads):
    pixels = read_pgm(vectors / "print_419x331.pgm")
    reference = (vectors / "print_419x331.wsq").read_bytes()
    assert wsq.encode(pixels, comment="", threads=threads) == reference
    np.testing.assert_array_equal(
        wsq.decode(reference, threads=threads).pixels,
        read_pgm(vectors / "print_419x331.dec.pgm"),
    )


def test_nistcom_entries_come_in_file_order(vectors):
    result = wsq.decode((vectors / "print_419x331.wsq").read_bytes())
    assert list(result.nistcom.items()) == [
        ("NIST_COM", "9"),
        ("PIX_WIDTH", "419"),
        ("PIX_HEIGHT", "331"),
        ("PIX_DEPTH", "8"),
        ("PPI", "500"),
        ("LOSSY", "1"),
        ("COLORSPACE", "GRAY"),
        ("COMPRESSION", "WSQ"),
        ("WSQ_BITRATE", "0.750000"),
    ]


def test_decode_takes_any_bytes_like_object(vectors):
    data = (vectors / "photo_384x288.wsq").read_bytes()
    expected = read_pgm(vectors / "photo_384x288.dec.pgm")
    for form in (bytearray(data), memoryview(data), np.frombuffer(data, dtype=np.uint8)):
        np.testing.assert_array_equal(wsq.decode(form).pixels, expected)


def test_decode_rejects_what_is_not_bytes_like():
    with pytest.raises(TypeError):
        wsq.decode("not bytes")


def test_decoded_pixels_outlive_the_input(vectors):
    data = bytearray((vectors / "photo_384x288.wsq").read_bytes())
    pixels = wsq.decode(data).pixels
    data[:] = b"\0" * len(data)
    del data
    np.testing.assert_array_equal(pixels, read_pgm(vectors / "photo_384x288.dec.pgm"))
    assert pixels.flags.c_contiguous and pixels.flags.owndata is False


def test_encode_copies_arrays_that_are_not_c_contiguous(vectors):
    pixels = read_pgm(vectors / "photo_384x288.pgm")
    reference = (vectors / "photo_384x288.wsq").read_bytes()
    fortran = np.asfortranarray(pixels)
    assert not fortran.flags.c_contiguous
    assert wsq.encode(fortran, comment="") == reference
    # Every other column of a wider image, and a transposed view.
    wide = np.repeat(pixels, 2, axis=1)
    assert wsq.encode(wide[:, ::2], comment="") == reference
    assert wsq.encode(np.ascontiguousarray(pixels.T).T, comment="") == reference
    # A read-only array is fine as well.
    frozen = pixels.copy()
    frozen.flags.writeable = False
    assert wsq.encode(frozen, comment="") == reference


def test_encode_takes_single_rows_and_columns_whatever_their_unused_stride():
    line = synthetic_image(3000, 1, 8)
    # A size-1 dimension's stride is never used: NumPy calls this array C-contiguous.
    odd = np.lib.stride_tricks.as_strided(line, shape=(1, 3000), strides=(7, 1))
    assert odd.flags.c_contiguous
    expected = wsq.encode(line.copy())
    assert wsq.encode(odd) == expected
    assert wsq.decode(expected).pixels.shape == (1, 3000)
    column = np.ascontiguousarray(line.T)
    assert wsq.info(wsq.encode(column)).size == (1, 3000)


@pytest.mark.parametrize("dtype", [np.uint16, np.int8, np.float32, np.int64, bool])
def test_encode_rejects_other_dtypes(dtype):
    with pytest.raises(TypeError, match="uint8"):
        wsq.encode(np.zeros((16, 16), dtype=dtype))


@pytest.mark.parametrize("shape", [(64,), (8, 8, 3), (1, 8, 8)])
def test_encode_rejects_other_dimensions(shape):
    with pytest.raises(ValueError, match="2-D"):
        wsq.encode(np.zeros(shape, dtype=np.uint8))


@pytest.mark.parametrize("bitrate", [0.0, -1.0, 8.01, float("nan"), float("inf")])
def test_encode_rejects_bad_bit_rates(bitrate):
    with pytest.raises(ValueError, match="bitrate"):
        wsq.encode(np.zeros((32, 32), dtype=np.uint8), bitrate=bitrate)


def test_encode_of_an_empty_image_fails_with_the_codec_code():
    with pytest.raises(wsq.WsqError) as failure:
        wsq.encode(np.zeros((0, 10), dtype=np.uint8))
    assert failure.value.code < 0
    assert failure.value.name != "UNKNOWN"


def test_comment_none_writes_no_comment_of_the_caller(vectors):
    pixels = read_pgm(vectors / "print_419x331.pgm")
    with_empty = wsq.info(wsq.encode(pixels, comment=""))
    without = wsq.info(wsq.encode(pixels))
    def comments(i):
        return [s for s in i.segments if s.name == "COM"]
    assert len(comments(with_empty)) == 2
    assert len(comments(without)) == 1


def test_a_plain_comment_is_a_segment_of_its_own():
    data = wsq.encode(synthetic_image(64, 48, 1), comment="scanned at desk 4")
    com = [s for s in wsq.info(data).segments if s.name == "COM"]
    assert len(com) == 2
    second = data[com[1].offset : com[1].offset + com[1].length]
    assert second[4:] == b"scanned at desk 4"


def test_a_nistcom_comment_is_merged_into_the_entries():
    data = wsq.encode(synthetic_image(64, 48, 2), ppi=1000, comment="NIST_COM 2\nFINGER 7\n")
    header = wsq.info(data)
    assert header.nistcom["FINGER"] == "7"
    assert header.nistcom["PPI"] == "1000"
    assert header.ppi == 1000
    assert len([s for s in header.segments if s.name == "COM"]) == 1


def test_round_trip_keeps_the_size_and_more_bits_come_closer():
    pixels = synthetic_image(200, 150, 3)

    def error(bitrate):
        result = wsq.decode(wsq.encode(pixels, bitrate=bitrate, ppi=300))
        assert result.pixels.shape == (150, 200)
        assert result.ppi == 300
        return np.abs(result.pixels.astype(int) - pixels.astype(int)).mean()

    low, high = error(0.75), error(4.0)
    assert high < low
    assert high < 10


def _tool_info(path) -> str:
    return run_tool("info", path, text=True).stdout


@pytest.mark.parametrize("name", VECTOR_NAMES)
def test_info_agrees_with_the_command_line_tool(vectors, tool, name):
    path = vectors / f"{name}.wsq"
    data = path.read_bytes()
    header = wsq.info(data)
    lines = [
        f"width: {header.width}",
        f"height: {header.height}",
        f"ppi: {header.ppi if header.ppi is not None else -1}",
        f"encoder: {header.encoder}",
        f"software: {header.software}",
    ]
    lines += [f"{k}: {v}" for k, v in header.nistcom.items()]
    lines += [f"segment: {s.name} {s.offset} {s.length}" for s in header.segments]
    assert "\n".join(lines) + "\n" == _tool_info(path)
    assert header.size == (int(name.split("_")[1].split("x")[0]), int(name.split("x")[1]))
    assert header.depth == 8 and header.lossy is True


def test_segments_tile_the_whole_file(vectors):
    data = (vectors / "print_419x331.wsq").read_bytes()
    segments = wsq.info(data).segments
    assert segments[0] == wsq.Segment(0xFFA0, "SOI", 0, 2)
    assert segments[-1] == wsq.Segment(0xFFA1, "EOI", len(data) - 2, 2)
    for before, after in zip(segments, segments[1:]):
        assert before.offset + before.length == after.offset
    for s in segments:
        if s.marker:
            assert data[s.offset : s.offset + 2] == s.marker.to_bytes(2, "big")
    assert [s.name for s in segments].count("SOB") == 3
    assert [s.name for s in segments].count("data") == 3


def test_version_is_the_librarys():
    from ridgeview_wsq import _ridgeview_wsq

    assert wsq.__version__ == _ridgeview_wsq.header_version
    assert len(wsq.__version__.split(".")) == 3


def test_code_names_and_messages():
    assert wsq.code_name(0) == "OK"
    assert wsq.code_name(-88) == "WSQ_NO_SOI"
    assert wsq.code_message(-88).startswith("ERROR : getc_marker_wsq : No SOI marker.")
    assert wsq.code_name(12345) == "UNKNOWN"


def test_errors_survive_pickling(vectors):
    with pytest.raises(wsq.WsqError) as failure:
        wsq.decode((vectors / "errors" / "no_soi.wsq").read_bytes())
    copy = pickle.loads(pickle.dumps(failure.value))
    assert isinstance(copy, wsq.WsqError) and isinstance(copy, OSError)
    assert (copy.code, copy.name, copy.message, copy.refusal) == (
        failure.value.code,
        failure.value.name,
        failure.value.message,
        failure.value.refusal,
    )
    assert str(copy) == str(failure.value)


def test_the_memory_budget_refuses_large_images(vectors):
    data = (vectors / "print_419x331.wsq").read_bytes()
    saved = wsq.memory_budget()
    try:
        wsq.set_memory_budget(64 * 1024)
        assert wsq.memory_budget() == 64 * 1024
        with pytest.raises(wsq.WsqError) as failure:
            wsq.decode(data)
        assert failure.value.refusal == wsq.REFUSAL_BUDGET
    finally:
        wsq.set_memory_budget(saved)
    assert wsq.decode(data).pixels.shape == (331, 419)
    wsq.release_cached_memory()


def test_write_atomic_replaces_the_file_whole(tmp_path):
    target = tmp_path / "out.wsq"
    target.write_bytes(b"old")
    wsq.write_atomic(target, b"new contents")
    assert target.read_bytes() == b"new contents"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["out.wsq"]


def test_write_atomic_leaves_nothing_behind_on_failure(tmp_path):
    target = tmp_path / "out.wsq"
    target.write_bytes(b"old")

    with pytest.raises(TypeError):
        wsq.write_atomic(target, object())  # not bytes-like: the write fails
    assert target.read_bytes() == b"old"
    assert sorted(p.name for p in tmp_path.iterdir()) == ["out.wsq"]
