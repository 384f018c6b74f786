"""python3 -m qjxhtml: every file converted, failures summed up, plain lines off a terminal."""

from __future__ import annotations

import io
import os
import pathlib
import subprocess
import sys

import pytest

from qjxhtml import batch

ROOT = pathlib.Path(__file__).resolve().parents[2]


def pages(tmp_path: pathlib.Path, count: int) -> list[str]:
    names = []
    for n in range(count):
        page = tmp_path / "in" / f"page{n}.html"
        page.parent.mkdir(exist_ok=True)
        page.write_text(f"<h1>Page {n}</h1>")
        names.append(str(page))
    return names


@pytest.mark.parametrize("kind, jobs", [("png", 1), ("pdf", 1), ("png", 2)])
def test_a_failing_file_does_not_stop_the_run(tmp_path, kind, jobs):
    inputs = pages(tmp_path, 3)
    inputs.insert(1, str(tmp_path / "missing.html"))
    run = subprocess.run([sys.executable, "-m", "qjxhtml", *inputs, "-o", str(tmp_path / "out"), f"--{kind}",
                          "--jobs", str(jobs)], capture_output=True, text=True,
                         env={**os.environ, "PYTHONPATH": str(ROOT / "python")})
    assert run.returncode == 1
    assert sorted(os.listdir(tmp_path / "out")) == [f"page{n}.{kind}" for n in range(3)]
    lines = run.stderr.splitlines()
    assert sum(" ok " in line for line in lines) == 3
    assert sum(" failed " in line for line in lines) == 1
    assert f"3 of 4 converted to {kind.upper()}" in run.stderr
    assert any(line.startswith("failed: ") and "missing.html" in line for line in lines)


def test_the_same_name_twice_gets_numbered(tmp_path):
    taken: set[str] = set()
    names = [batch.output_name(p, "out", "png", taken) for p in ("a/x.html", "b/x.html", "c/x.htm")]
    assert names == [os.path.join("out", n) for n in ("x.png", "x-2.png", "x-3.png")]


class Terminal(io.StringIO):
    def isatty(self) -> bool:
        return True


def test_progress_is_a_bar_on_a_terminal():
    stream = Terminal()
    progress = batch.Progress(2, stream)
    progress.step("a.html", "")
    progress.step("b.html", "boom")
    assert stream.getvalue() == "\r[###############...............] 1/2\r[##############################] 2/2\n"


@pytest.mark.parametrize("args", [["x.html", "-o", "out"], ["x.html", "--png", "--pdf", "-o", "out"],
                                  ["x.html", "--png", "-o", "out", "--jobs", "0"],
                                  ["x.html", "--png", "-o", "out", "--width", "9"]])
def test_bad_command_lines_are_refused(args):
    with pytest.raises(SystemExit) as raised:
        batch.main(args)
    assert raised.value.code == 2
