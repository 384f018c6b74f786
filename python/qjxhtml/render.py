"""One-call conversions: HTML to a PNG picture or to a PDF file."""

from __future__ import annotations

import os
import tempfile
from collections.abc import Sequence

from . import _lib
from .viewer import Viewer, check_size

Source = str | bytes | os.PathLike[str]

# A whole page is laid out again when the window grows past it (the scroll bar goes), so
# its height is measured until it holds still; three rounds are more than any page needs.
_FIT_ROUNDS = 3


def _load(viewer: Viewer, source: Source) -> None:
    if isinstance(source, os.PathLike):
        viewer.load_file(source)
    elif isinstance(source, (bytes, bytearray, memoryview)):
        viewer.load_html(bytes(source))
    elif isinstance(source, str):
        if "<" in source or "\n" in source or not source:
            viewer.load_html(source)
        else:
            viewer.load_file(source)
    else:
        raise TypeError(f"source must be a path, or HTML as str or bytes, not {type(source).__name__}")


def _check_out(out: object, required: bool) -> None:
    if out is None and not required:
        return
    if not isinstance(out, (str, os.PathLike)):
        raise TypeError(f"out must be a str or a path, not {type(out).__name__}")


def render_png(source: Source, out: str | os.PathLike[str] | None = None, width: int = 800,
               height: int | None = None, scroll: int = 0) -> bytes | None:
    """Renders HTML (a file's path, or the text as str or bytes) as a PNG picture.

    width x height pixels (height None: the whole page, up to 32767 pixels), the document
    scrolled down by scroll pixels. Writes out when given, else returns the PNG's bytes.
    """
    check_size("width", width, 16, _lib.MAX_SIDE)
    if height is not None:
        check_size("height", height, 16, _lib.MAX_SIDE)
    check_size("scroll", scroll, 0, 1 << 30)
    _check_out(out, False)
    with Viewer(width, height or 600) as viewer:
        _load(viewer, source)
        if height is None:
            limit = min(_lib.MAX_SIDE, _lib.MAX_PIXELS // width)
            for _ in range(_FIT_ROUNDS):
                wanted = max(16, min(viewer.document_height, limit))
                if wanted == viewer.size[1]:
                    break
                viewer.resize(width, wanted)
        if scroll:
            viewer.scroll_to(scroll)
        if out is not None:
            viewer.save_png(out)
            return None
        return viewer.png_bytes()


def render_pdf(source: Source, out: str | os.PathLike[str] | None, pages: tuple[int, int] | int | None = None,
               margins: Sequence[float] | None = None, paper: str = "A4") -> bytes | None:
    """Prints HTML (a file's path, or the text as str or bytes) to a PDF file.

    pages: a page number or (first, last) from 1, default all; margins: left, top, right,
    bottom in centimetres (default 2 each); paper "A4" or "Letter". Writes out, or
    returns the PDF's bytes when out is None.
    """
    _check_out(out, False)
    with Viewer(800, 600) as viewer:
        _load(viewer, source)
        if out is not None:
            viewer.print_pdf(out, pages, margins, paper)
            return None
        with tempfile.TemporaryDirectory(prefix="qjxhtml-") as folder:
            name = os.path.join(folder, "out.pdf")
            viewer.print_pdf(name, pages, margins, paper)
            with open(name, "rb") as file:
                return file.read()
