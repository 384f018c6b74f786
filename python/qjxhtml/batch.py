"""Batch conversion: python3 -m qjxhtml IN... -o OUT_DIR --png|--pdf [--width W] [--jobs N]."""

from __future__ import annotations

import argparse
import multiprocessing
import os
import sys
import time
from collections.abc import Iterable, Sequence
from typing import TextIO



# The widest window a page is rendered in, as qjxview allows.
MAX_WIDTH = 8000


def _convert(job: tuple[str, str, str, int]) -> tuple[str, str]:
    """Converts one file in a worker; returns (input, "" or the reason it failed)."""
    source, target, kind, width = job
    try:
        from .render import render_pdf, render_png
        if kind == "png":
            render_png(source, target, width=width)
        else:
            render_pdf(source, target)
        return source, ""
    except Exception as error:  # one file's failure is reported, the run goes on
        return source, f"{type(error).__name__}: {error}"


def output_name(source: str, out_dir: str, kind: str, taken: set[str]) -> str:
    """OUT_DIR/NAME.png (or .pdf), numbered when two inputs share a name."""
    stem = os.path.splitext(os.path.basename(source))[0] or "page"
    name, n = f"{stem}.{kind}", 1
    while name in taken:
        n += 1
        name = f"{stem}-{n}.{kind}"
    taken.add(name)
    return os.path.join(out_dir, name)


class Progress:
    """A bar redrawn in place on a terminal; one line per file elsewhere."""

    def __init__(self, total: int, stream: TextIO) -> None:
        self.total, self.done, self.stream = total, 0, stream
        self.bar = stream.isatty()

    def step(self, source: str, failure: str) -> None:
        self.done += 1
        if self.bar:
            filled = 30 * self.done // max(self.total, 1)
            self.stream.write(f"\r[{'#' * filled}{'.' * (30 - filled)}] {self.done}/{self.total}")
            if self.done == self.total:
                self.stream.write("\n")
        else:
            state = "failed" if failure else "ok"
            self.stream.write(f"{self.done}/{self.total} {state} {source}\n")
        self.stream.flush()


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(prog="python3 -m qjxhtml",
                                     description="Converts HTML files to PNG pictures or PDF files.")
    parser.add_argument("inputs", nargs="+", metavar="IN", help="HTML files")
    parser.add_argument("-o", "--output", required=True, metavar="OUT_DIR", help="folder for the results")
    kind = parser.add_mutually_exclusive_group(required=True)
    kind.add_argument("--png", action="store_const", const="png", dest="kind", help="whole-page PNG pictures")
    kind.add_argument("--pdf", action="store_const", const="pdf", dest="kind", help="A4 PDF files")
    parser.add_argument("--width", type=int, default=800, help="window width for PNG (16 to 8000; default 800)")
    parser.add_argument("--jobs", "-j", type=int, default=os.cpu_count() or 1,
                        help="worker processes (default: the number of cores)")
    return parser


def run(inputs: Sequence[str], out_dir: str, kind: str, width: int = 800, jobs: int = 1,
        stream: TextIO = sys.stderr) -> list[tuple[str, str]]:
    """Converts every input; returns the (input, reason) of each failure."""
    os.makedirs(out_dir, exist_ok=True)
    taken: set[str] = set()
    work = [(source, output_name(source, out_dir, kind, taken), kind, width) for source in inputs]
    progress = Progress(len(work), stream)
    failures: list[tuple[str, str]] = []

    def collect(results: Iterable[tuple[str, str]]) -> None:
        for source, failure in results:
            progress.step(source, failure)
            if failure:
                failures.append((source, failure))

    if jobs == 1 or len(work) == 1:
        collect(map(_convert, work))
    else:
        # Each worker loads the library afresh: its windows belong to the worker's thread.
        context = multiprocessing.get_context("spawn")
        with context.Pool(min(jobs, len(work)), maxtasksperchild=50) as pool:
            collect(pool.imap_unordered(_convert, work))
    return failures


def main(argv: Sequence[str] | None = None) -> int:
    parser = _parser()
    args = parser.parse_args(argv)
    if not 16 <= args.width <= MAX_WIDTH:
        parser.error(f"--width must be from 16 to {MAX_WIDTH}")
    if not 1 <= args.jobs <= 256:
        parser.error("--jobs must be from 1 to 256")
    start = time.monotonic()
    failures = run(args.inputs, args.output, args.kind, args.width, args.jobs)
    elapsed = time.monotonic() - start
    converted = len(args.inputs) - len(failures)
    print(f"{converted} of {len(args.inputs)} converted to {args.kind.upper()} in {elapsed:.1f} s",
          file=sys.stderr)
    for source, failure in failures:
        print(f"failed: {source}: {failure}", file=sys.stderr)
    return 1 if failures else 0
