"""Damaged files fail with the codec's code, name and message."""

from __future__ import annotations

import codecs
import csv

import pytest

import ridgeview_wsq as wsq
from conftest import VECTORS


def _expected_failures():
    with open(VECTORS / "errors" / "expected.tsv", newline="") as f:
        rows = list(csv.reader(f, delimiter="\t"))
    return [
        (name, int(code), codecs.decode(message, "unicode_escape"))
        for name, code, message in rows[1:]
    ]


EXPECTED = _expected_failures() if (VECTORS / "errors" / "expected.tsv").is_file() else []


def test_every_damaged_vector_is_listed():
    assert len(EXPECTED) >= 20
    listed = {name for name, _, _ in EXPECTED}
    assert listed == {p.name for p in (VECTORS / "errors").glob("*.wsq")}


@pytest.mark.parametrize("name,code,first_line", EXPECTED, ids=[e[0] for e in EXPECTED])
def test_decode_raises_the_codecs_code_and_message(name, code, first_line):
    data = (VECTORS / "errors" / name).read_bytes()
    with pytest.raises(wsq.WsqError) as failure:
        wsq.decode(data)
    error = failure.value
    assert error.code == code
    assert error.message.splitlines(keepends=True)[0] == first_line
    assert error.name == wsq.code_name(code)
    assert error.refusal == wsq.REFUSAL_NONE
    # The text shown to people names the message's first line and the code.
    assert first_line.strip() in str(error)
    assert str(code) in str(error)


def test_damaged_files_fail_the_same_way_on_every_thread_count():
    for name, code, first_line in EXPECTED:
        data = (VECTORS / "errors" / name).read_bytes()
        for threads in (1, 2):
            with pytest.raises(wsq.WsqError) as failure:
                wsq.decode(data, threads=threads)
            assert (failure.value.code, failure.value.message.splitlines(True)[0]) == (
                code,
                first_line,
            )


def test_info_fails_on_a_file_without_soi():
    with pytest.raises(wsq.WsqError) as failure:
        wsq.info((VECTORS / "errors" / "no_soi.wsq").read_bytes())
    assert failure.value.code == -88
    assert failure.value.name == "WSQ_NO_SOI"


def test_info_and_decode_fail_on_empty_input():
    for call in (wsq.decode, wsq.info):
        with pytest.raises(wsq.WsqError) as failure:
            call(b"")
        assert failure.value.code < 0


def test_a_wsq_error_is_an_os_error():
    with pytest.raises(OSError):
        wsq.decode(b"\xff\xa1")


def test_the_failures_own_line_comes_after_the_warnings():
    error = wsq.WsqError(-51, "WARNING one\n  detail\nERROR : the failure\n", "WSQ_X")
    assert error.line == "ERROR : the failure"
    assert str(error) == "ERROR : the failure [WSQ_X (-51)]"
    assert str(wsq.WsqError(-2, "", "WSQ_SILENT")) == "WSQ codec failure WSQ_SILENT (-2)"
