"""The Pillow plugin: open by name and by content, dpi, save options, conversion to gray."""

from __future__ import annotations

import io
import shutil

import numpy as np
import pytest
from PIL import Image, UnidentifiedImageError

import ridgeview_wsq as wsq
import ridgeview_wsq.pillow  # noqa: F401  (registers the format)
from conftest import VECTOR_NAMES, read_pgm, synthetic_image


def test_the_format_is_registered():
    assert Image.registered_extensions()[".wsq"] == "WSQ"
    assert Image.MIME["WSQ"] == "image/x-wsq"
    assert "WSQ" in Image.SAVE and "WSQ" in Image.OPEN


@pytest.mark.parametrize("name", VECTOR_NAMES)
def test_open_gives_the_reference_pixels(vectors, name):
    with Image.open(vectors / f"{name}.wsq") as img:
        assert img.format == "WSQ"
        assert img.mode == "L"
        expected = read_pgm(vectors / f"{name}.dec.pgm")
        assert img.size == (expected.shape[1], expected.shape[0])
        assert img.info["dpi"] == (500, 500)
        assert img.info["nistcom"]["COMPRESSION"] == "WSQ"
        np.testing.assert_array_equal(np.asarray(img), expected)


def test_open_recognises_the_content_whatever_the_name(vectors, tmp_path):
    disguised = tmp_path / "scan.bin"
    shutil.copy(vectors / "print_419x331.wsq", disguised)
    with Image.open(disguised) as img:
        assert img.format == "WSQ"
        img.load()
    with Image.open(io.BytesIO(disguised.read_bytes())) as img:
        np.testing.assert_array_equal(
            np.asarray(img), read_pgm(vectors / "print_419x331.dec.pgm")
        )


def _without_nistcom(data: bytes) -> bytes:
    """The file with its NIST_COM comment segment cut out (comments are optional)."""
    com = next(s for s in wsq.info(data).segments if s.name == "COM")
    assert data[com.offset + 4 : com.offset + 12] == b"NIST_COM"
    return data[: com.offset] + data[com.offset + com.length :]


def test_a_file_without_nistcom_has_no_dpi(vectors):
    data = _without_nistcom((vectors / "print_419x331.wsq").read_bytes())
    assert wsq.info(data).ppi is None
    result = wsq.decode(data)
    assert result.ppi is None and result.nistcom == {}
    with Image.open(io.BytesIO(data)) as img:
        assert "dpi" not in img.info
        np.testing.assert_array_equal(np.asarray(img), result.pixels)
    # Saved again, it gets the default resolution.
    out = io.BytesIO()
    Image.open(io.BytesIO(data)).save(out, format="WSQ")
    assert wsq.info(out.getvalue()).ppi == 500


@pytest.mark.parametrize("name", VECTOR_NAMES)
def test_save_writes_the_viewers_bytes(vectors, tmp_path, name):
    img = Image.fromarray(read_pgm(vectors / f"{name}.pgm"), mode="L")
    out = tmp_path / f"{name}.wsq"
    img.save(out)
    assert out.read_bytes() == (vectors / f"{name}.wsq").read_bytes()


def test_save_round_trip_through_pillow(vectors, tmp_path):
    with Image.open(vectors / "photo_384x288.wsq") as img:
        img.save(tmp_path / "again.wsq")
        first = np.asarray(img)
    with Image.open(tmp_path / "again.wsq") as again:
        assert again.size == (384, 288)
        assert again.info["dpi"] == (500, 500)
        difference = np.abs(np.asarray(again).astype(int) - first.astype(int))
        assert difference.mean() < 8


def test_save_options_bitrate_and_ppi(tmp_path):
    img = Image.fromarray(synthetic_image(120, 90, 5), mode="L")
    img.save(tmp_path / "low.wsq", bitrate=0.5, ppi=1000)
    img.save(tmp_path / "high.wsq", bitrate=2.0, ppi=250)
    low = wsq.info((tmp_path / "low.wsq").read_bytes())
    high = wsq.info((tmp_path / "high.wsq").read_bytes())
    assert low.ppi == 1000 and high.ppi == 250
    assert low.nistcom["WSQ_BITRATE"] == "0.500000"
    assert high.nistcom["WSQ_BITRATE"] == "2.000000"
    assert (tmp_path / "low.wsq").stat().st_size < (tmp_path / "high.wsq").stat().st_size
    assert (tmp_path / "low.wsq").read_bytes() == wsq.encode(
        np.asarray(img), bitrate=0.5, ppi=1000, comment=""
    )


def test_save_takes_the_ppi_from_the_images_dpi(tmp_path):
    img = Image.fromarray(synthetic_image(64, 64, 6), mode="L")
    img.info["dpi"] = (299.9994, 299.9994)  # as Pillow reads a PNG's pHYs
    img.save(tmp_path / "a.wsq")
    assert wsq.info((tmp_path / "a.wsq").read_bytes()).ppi == 300
    img.save(tmp_path / "b.wsq", dpi=(600, 600))
    assert wsq.info((tmp_path / "b.wsq").read_bytes()).ppi == 600
    img.save(tmp_path / "c.wsq", dpi=(600, 600), ppi=1000)
    assert wsq.info((tmp_path / "c.wsq").read_bytes()).ppi == 1000


def test_other_modes_are_converted_to_gray(vectors, tmp_path):
    gray = Image.fromarray(read_pgm(vectors / "print_419x331.pgm"), mode="L")
    rgb = Image.merge("RGB", (gray, gray, gray))
    rgb.save(tmp_path / "rgb.wsq")
    assert (tmp_path / "rgb.wsq").read_bytes() == (vectors / "print_419x331.wsq").read_bytes()
    for mode in ("RGBA", "P", "1", "LA"):
        out = io.BytesIO()
        gray.convert(mode).save(out, format="WSQ")
        expected = wsq.encode(np.asarray(gray.convert(mode).convert("L")), comment="")
        assert out.getvalue() == expected, mode


def test_save_to_a_stream_by_format_name(vectors):
    out = io.BytesIO()
    Image.fromarray(read_pgm(vectors / "photo_384x288.pgm")).save(out, format="WSQ")
    assert out.getvalue() == (vectors / "photo_384x288.wsq").read_bytes()


def test_files_without_soi_are_not_wsq(vectors):
    with pytest.raises(UnidentifiedImageError):
        Image.open(vectors / "errors" / "no_soi.wsq")


def test_damaged_files_raise_the_codecs_error(vectors):
    # Cut inside the headers: the header reader fails while opening.
    with pytest.raises(wsq.WsqError) as failure:
        Image.open(vectors / "errors" / "cut_00060.wsq")
    assert failure.value.code == -40
    # Damaged in the coded data: the failure comes when the pixels are loaded, if the
    # header reader has not already seen it.
    with pytest.raises(wsq.WsqError) as failure:
        with Image.open(vectors / "errors" / "sob_undefined_table.wsq") as img:
            img.load()
    assert failure.value.code < 0


def test_save_atomic_keeps_the_old_file_until_the_new_one_is_complete(vectors, tmp_path):
    target = tmp_path / "print.wsq"
    target.write_bytes(b"old")
    img = Image.fromarray(read_pgm(vectors / "print_419x331.pgm"))
    with pytest.raises(ValueError):
        ridgeview_wsq.pillow.save_atomic(img, target, bitrate=-1)
    assert target.read_bytes() == b"old"
    ridgeview_wsq.pillow.save_atomic(img, target)
    assert target.read_bytes() == (vectors / "print_419x331.wsq").read_bytes()
    assert [p.name for p in tmp_path.iterdir()] == ["print.wsq"]
