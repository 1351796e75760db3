#!/usr/bin/python3
"""Converts a folder tree of fingerprint images on a Dask cluster through ridgeview_wsq.

usage: cluster_transcode.py {decode,encode,check} SRC_DIR OUT_DIR
                            [--workers N] [--scheduler ADDRESS] [--batch-size N]

  decode  every .wsq under SRC_DIR becomes an 8-bit gray PNG (with the file's ppi as dpi)
  encode  every .png and binary .pgm becomes a WSQ file at bit rate 0.75 and 500 ppi, byte for
          byte what `ridgeview-wsq encode` writes
  check   every .wsq is decoded; OUT_DIR/check-report.tsv gets one line per file

Each output lands at the same relative path under OUT_DIR with its new extension, written
atomically (a temporary file in the same folder, flushed, then renamed), so an output that
exists is complete: a second run skips it and does only what is left. `check` checks every
file again and replaces its report whole.

Without --scheduler a local cluster runs one worker process per core (--workers N to
choose). With --scheduler tcp://HOST:8786 the work goes to that cluster, whose workers must
import ridgeview_wsq (`make install`) and see SRC_DIR and OUT_DIR at the same paths (a
shared file system). Each task is a batch of files; progress goes to stderr. At the end
every failed file is listed with the codec's message, and the exit status is 1 when any
failed (2 for a usage error).
"""

from __future__ import annotations

import argparse
import io
import logging
import math
import os
import re
import sys
import time
from pathlib import Path
from typing import Iterable, List, NamedTuple, Optional, Sequence, Tuple

REPORT_NAME = "check-report.tsv"
REPORT_HEADER = "file\tresult\tcode\tname\tmessage\twidth\theight\tppi\n"
BITRATE = 0.75
PPI = 500

INPUTS = {"decode": (".wsq",), "encode": (".png", ".pgm"), "check": (".wsq",)}
OUTPUT_EXTENSION = {"decode": ".png", "encode": ".wsq"}


class Job(NamedTuple):
    source: str  # absolute path of the input
    output: str  # absolute path of the output ("" for check)
    name: str  # the input's path relative to SRC_DIR, for messages


class Outcome(NamedTuple):
    name: str
    ok: bool
    message: str  # "" on success; the codec's message or the reason on failure
    detail: Tuple = ()  # check: (code, code name, width, height, ppi)


# --- Work done on the workers -------------------------------------------------------------

_PGM_HEADER = re.compile(rb"P5(?:\s|#[^\n]*\n)+(\d+)(?:\s|#[^\n]*\n)+(\d+)(?:\s|#[^\n]*\n)+(\d+)\s")


def _read_pgm(data: bytes):
    import numpy as np

    match = _PGM_HEADER.match(data)
    if not match:
        raise ValueError("not a binary PGM (P5) file")
    width, height, maxval = (int(g) for g in match.groups())
    if maxval != 255:
        raise ValueError("PGM maxval must be 255")
    if len(data) - match.end() < width * height:
        raise ValueError("PGM file holds fewer pixel bytes than its size says")
    pixels = np.frombuffer(data, dtype=np.uint8, count=width * height, offset=match.end())
    return pixels.reshape(height, width)


def _read_gray(path: str, data: bytes):
    import numpy as np
    from PIL import Image

    if path.lower().endswith(".pgm"):
        return _read_pgm(data)
    with Image.open(io.BytesIO(data)) as img:
        if img.mode != "L":
            img = img.convert("L")
        return np.asarray(img)


def _why(error: BaseException) -> str:
    import ridgeview_wsq

    if isinstance(error, ridgeview_wsq.WsqError):
        if error.line:
            return f"{error.line} (code {error.code})"
        return f"code {error.code} ({error.name})"
    if isinstance(error, OSError) and error.strerror:
        return error.strerror
    return f"{type(error).__name__}: {error}"


def _one(mode: str, job: Job) -> Outcome:
    import ridgeview_wsq
    from PIL import Image

    with open(job.source, "rb") as f:
        data = f.read()
    if mode == "check":
        try:
            result = ridgeview_wsq.decode(data, threads=1)
        except ridgeview_wsq.WsqError as e:
            return Outcome(job.name, False, _why(e), (e.code, e.name, "", "", ""))
        height, width = result.pixels.shape
        ppi = "" if result.ppi is None else result.ppi
        return Outcome(job.name, True, "", (0, "OK", width, height, ppi))
    if mode == "decode":
        result = ridgeview_wsq.decode(data, threads=1)
        out = io.BytesIO()
        options = {"dpi": (result.ppi, result.ppi)} if result.ppi is not None else {}
        Image.fromarray(result.pixels, mode="L").save(out, format="PNG", **options)
        encoded = out.getvalue()
    else:
        encoded = ridgeview_wsq.encode(
            _read_gray(job.source, data), bitrate=BITRATE, ppi=PPI, comment=""
        )
    os.makedirs(os.path.dirname(job.output), exist_ok=True)
    ridgeview_wsq.write_atomic(job.output, encoded)
    return Outcome(job.name, True, "")


def run_batch(mode: str, jobs: Sequence[Job]) -> List[Outcome]:
    """One task: the files of a batch, one after the other; a failure stays with its file."""
    import ridgeview_wsq

    outcomes = []
    for job in jobs:
        try:
            outcomes.append(_one(mode, job))
        except Exception as e:  # every file gets an outcome, whatever went wrong
            outcomes.append(Outcome(job.name, False, _why(e)))
    # A worker keeps its process for the next batch: leave no large blocks behind.
    ridgeview_wsq.release_cached_memory()
    return outcomes


# --- Planning, progress and the summary, on the client -------------------------------------


def find_inputs(mode: str, source: Path, out: Path) -> List[Path]:
    """The inputs under `source`, sorted, leaving out `out` when it lies inside `source`."""
    found = []
    skip = out.resolve()
    for folder, subfolders, files in os.walk(source):
        here = Path(folder)
        subfolders[:] = sorted(d for d in subfolders if (here / d).resolve() != skip)
        for name in sorted(files):
            if name.lower().endswith(INPUTS[mode]):
                found.append(here / name)
    return found


def plan(mode: str, source: Path, out: Path) -> Tuple[List[Job], int, List[Outcome]]:
    """The jobs to run, the count of outputs already there, and inputs that cannot be done."""
    jobs, skipped, refused = [], 0, []
    claimed = {}
    for path in find_inputs(mode, source, out):
        name = str(path.relative_to(source))
        if mode == "check":
            jobs.append(Job(str(path.resolve()), "", name))
            continue
        output = (out / path.relative_to(source)).with_suffix(OUTPUT_EXTENSION[mode])
        if output in claimed:
            refused.append(Outcome(name, False, f"same output as {claimed[output]}: {output}"))
            continue
        claimed[output] = name
        if output.exists():
            skipped += 1
        else:
            jobs.append(Job(str(path.resolve()), str(output.resolve()), name))
    return jobs, skipped, refused


def batches(jobs: Sequence[Job], workers: int, size: Optional[int]) -> List[List[Job]]:
    """About four batches per worker, so that a slow batch does not hold up the end."""
    if not size:
        size = max(1, min(64, math.ceil(len(jobs) / max(1, 4 * workers))))
    return [list(jobs[i : i + size]) for i in range(0, len(jobs), size)]


class Progress:
    """A one-line progress bar on stderr (a line every tenth of the way when not a terminal)."""

    def __init__(self, total: int):
        self.total = total
        self.done = 0
        self.failed = 0
        self.tty = sys.stderr.isatty()
        self.shown_tenth = -1
        self.started = time.monotonic()

    def add(self, outcomes: Iterable[Outcome]) -> None:
        for o in outcomes:
            self.done += 1
            self.failed += 0 if o.ok else 1
        self.show()

    def show(self) -> None:
        width = 30
        filled = width * self.done // self.total if self.total else width
        line = (
            f"[{'#' * filled}{'.' * (width - filled)}] {self.done}/{self.total} files"
            f", {self.failed} failed, {time.monotonic() - self.started:.1f} s"
        )
        if self.tty:
            sys.stderr.write("\r" + line)
        else:
            tenth = 10 * self.done // self.total if self.total else 10
            if tenth == self.shown_tenth:
                return
            self.shown_tenth = tenth
            sys.stderr.write(line + "\n")
        sys.stderr.flush()

    def finish(self) -> None:
        if self.tty:
            sys.stderr.write("\n")


def run_on_cluster(client, mode: str, jobs: List[Job], batch_size: Optional[int]) -> List[Outcome]:
    from distributed import as_completed

    client.upload_file(__file__)
    workers = max(1, sum(client.nthreads().values()))
    groups = batches(jobs, workers, batch_size)
    futures = client.map(run_batch, [mode] * len(groups), groups, pure=False)
    batch_of = {f.key: g for f, g in zip(futures, groups)}
    progress = Progress(len(jobs))
    progress.show()
    outcomes: List[Outcome] = []
    for future in as_completed(futures):
        if future.status == "finished":
            got = future.result()
        else:  # the task itself failed (a worker lost too often, say): its files did too
            why = repr(future.exception())
            got = [Outcome(j.name, False, f"task failed: {why}") for j in batch_of[future.key]]
        outcomes.extend(got)
        progress.add(got)
    progress.finish()
    return outcomes


def write_report(out: Path, outcomes: List[Outcome]) -> Path:
    import ridgeview_wsq

    lines = [REPORT_HEADER]
    for o in sorted(outcomes, key=lambda o: o.name):
        code, name, width, height, ppi = o.detail or ("", "", "", "", "")
        message = o.message.replace("\t", " ").replace("\n", " ")
        result = "ok" if o.ok else "failed"
        lines.append(f"{o.name}\t{result}\t{code}\t{name}\t{message}\t{width}\t{height}\t{ppi}\n")
    path = out / REPORT_NAME
    ridgeview_wsq.write_atomic(path, "".join(lines).encode("utf-8", "surrogateescape"))
    return path


def parse_arguments(argv: Optional[Sequence[str]]) -> argparse.Namespace:
    parser = argparse.ArgumentParser(
        description="Convert a folder tree of WSQ, PNG and PGM files on a Dask cluster."
    )
    parser.add_argument("mode", choices=["decode", "encode", "check"])
    parser.add_argument("source", type=Path, metavar="SRC_DIR")
    parser.add_argument("out", type=Path, metavar="OUT_DIR")
    parser.add_argument("--workers", type=int, metavar="N", help="local worker processes")
    parser.add_argument("--scheduler", metavar="ADDRESS", help="e.g. tcp://HOST:8786")
    parser.add_argument("--batch-size", type=int, metavar="N", help="files per task")
    args = parser.parse_args(argv)
    if not args.source.is_dir():
        parser.error(f"{args.source} is not a folder")
    if args.workers is not None and args.workers < 1:
        parser.error("--workers needs at least 1")
    if args.workers is not None and args.scheduler:
        parser.error("--workers is for the local cluster; a scheduler has its own workers")
    if args.batch_size is not None and args.batch_size < 1:
        parser.error("--batch-size needs at least 1")
    return args


def main(argv: Optional[Sequence[str]] = None) -> int:
    args = parse_arguments(argv)
    from distributed import Client, LocalCluster

    source, out = args.source.resolve(), args.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    jobs, skipped, outcomes = plan(args.mode, source, out)
    if skipped:
        print(f"{skipped} outputs already there, skipped", file=sys.stderr)
    if jobs:
        if args.scheduler:
            with Client(args.scheduler) as client:
                outcomes += run_on_cluster(client, args.mode, jobs, args.batch_size)
        else:
            workers = args.workers or len(os.sched_getaffinity(0)) or 1  # the cores it may use
            with LocalCluster(
                n_workers=workers,
                threads_per_worker=1,
                processes=True,
                scheduler_port=0,
                dashboard_address=None,
                silence_logs=logging.ERROR,
            ) as cluster, Client(cluster) as client:
                outcomes += run_on_cluster(client, args.mode, jobs, args.batch_size)
    if args.mode == "check":
        print(f"report: {write_report(out, outcomes)}", file=sys.stderr)
    failures = sorted((o for o in outcomes if not o.ok), key=lambda o: o.name)
    done = sum(1 for o in outcomes if o.ok)
    print(
        f"{done} done, {skipped} skipped, {len(failures)} failed", file=sys.stderr
    )
    for o in failures:
        print(f"FAILED {o.name}: {o.message}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    # Run as the module cluster_transcode rather than as __main__: tasks then name its
    # functions and types, which the workers import from the copy of this file they are sent.
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    import cluster_transcode

    sys.exit(cluster_transcode.main())
