"""Pages per second of batch conversion: the real documents of the shared corpus
(../shared/corpus/html/real/ beside the checkout, or the folder given) to PNG and to
PDF, with 1 and with 2 worker processes.

    QJXHTML_LIBRARY=build/libqjxhtml.so.0 python3 python/bench/convert_pages.py [FOLDER]
"""

from __future__ import annotations

import pathlib
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from qjxhtml import batch  # noqa: E402


def main() -> int:
    root = pathlib.Path(__file__).resolve().parents[2]
    folder = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root.parent / "shared/corpus/html/real"
    pages = sorted(str(p) for p in folder.glob("*/*.htm*"))
    if not pages:
        print(f"no pages under {folder}", file=sys.stderr)
        return 1
    print(f"{len(pages)} pages from {folder}")
    for kind in ("png", "pdf"):
        for jobs in (1, 2):
            with tempfile.TemporaryDirectory(prefix="qjxhtml-bench-") as out, open("/dev/null", "w") as quiet:
                start = time.monotonic()
                failures = batch.run(pages, out, kind, 800, jobs, quiet)
                elapsed = time.monotonic() - start
            done = len(pages) - len(failures)
            print(f"{kind.upper()} jobs={jobs}: {done} pages in {elapsed:.1f} s, {done / elapsed:.2f} pages/s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
