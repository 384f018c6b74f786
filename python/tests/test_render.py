"""render_png and render_pdf: the same pixels as qjxview, whole pages, PDF text."""

from __future__ import annotations

import pathlib
import shutil
import subprocess

import pytest

import qjxhtml
from qjxhtml._png import decode_png

TALL_PAGE = "<body style='margin:0'><div style='height:1500px;background:#0a0'>tall</div></body>"


def qjxview_png(qjxview: str, page: pathlib.Path, tmp_path: pathlib.Path, *args: str) -> bytes:
    out = tmp_path / "qjxview.png"
    subprocess.run([qjxview, str(page), "--png", str(out), *args], check=True)
    return out.read_bytes()


@pytest.mark.parametrize("width, height, scroll", [(640, 480, 0), (300, 200, 150), (800, 600, 0)])
def test_png_matches_qjxview(qjxview, examples, tmp_path, width, height, scroll):
    page = examples / "tour.html"
    expected = decode_png(qjxview_png(qjxview, page, tmp_path, "--width", str(width), "--height", str(height),
                                      "--scroll", str(scroll)))
    actual = decode_png(qjxhtml.render_png(str(page), width=width, height=height, scroll=scroll))
    assert actual[1:] == expected[1:]
    assert actual[0] == expected[0]


def test_whole_page_is_as_tall_as_the_document(tmp_path):
    out = tmp_path / "tall.png"
    assert qjxhtml.render_png(TALL_PAGE, out, width=400) is None
    _, width, height, _ = decode_png(out.read_bytes())
    with qjxhtml.Viewer(400, height) as viewer:
        viewer.load_html(TALL_PAGE)
        assert (width, height) == (400, viewer.document_height)
    assert height >= 1500


def test_short_page_fills_the_smallest_window():
    _, _, height, _ = decode_png(qjxhtml.render_png("<p>one line</p>", width=200))
    assert 16 <= height < 100


@pytest.mark.parametrize("kind", ["str path", "PathLike", "str html", "bytes html"])
def test_every_kind_of_source_renders_alike(tmp_path, kind):
    html = "<h1 style='color:red'>Same</h1>"
    page = tmp_path / "page.html"
    page.write_text(html)
    source = {"str path": str(page), "PathLike": page, "str html": html, "bytes html": html.encode()}[kind]
    assert qjxhtml.render_png(source, width=200, height=100) == qjxhtml.render_png(html, width=200, height=100)


needs_pdftotext = pytest.mark.skipif(shutil.which("pdftotext") is None, reason="needs poppler-utils")


def pdf_text(data: bytes, tmp_path: pathlib.Path) -> str:
    pdf = tmp_path / "read.pdf"
    pdf.write_bytes(data)
    return subprocess.run(["pdftotext", "-layout", str(pdf), "-"], check=True, capture_output=True,
                          text=True).stdout


def pdf_info(data: bytes, tmp_path: pathlib.Path) -> str:
    pdf = tmp_path / "info.pdf"
    pdf.write_bytes(data)
    return subprocess.run(["pdfinfo", str(pdf)], check=True, capture_output=True, text=True).stdout


def page_count(data: bytes, tmp_path: pathlib.Path) -> int:
    line = next(line for line in pdf_info(data, tmp_path).splitlines() if line.startswith("Pages:"))
    return int(line.split()[1])


@needs_pdftotext
def test_pdf_text_reads_back(tmp_path):
    out = tmp_path / "out.pdf"
    assert qjxhtml.render_pdf("<h1>Printed heading</h1><p>and its paragraph</p>", out) is None
    text = pdf_text(out.read_bytes(), tmp_path)
    assert "Printed heading" in text and "and its paragraph" in text


@needs_pdftotext
def test_pdf_pages_select_a_range(tmp_path):
    html = "<p>page 1</p>" + "".join(f"<p style='page-break-before:always'>page {n}</p>" for n in range(2, 5))
    whole = qjxhtml.render_pdf(html, None)
    assert page_count(whole, tmp_path) == 4
    second = qjxhtml.render_pdf(html, None, pages=(2, 3))
    assert page_count(second, tmp_path) == 2
    text = pdf_text(second, tmp_path)
    assert "page 2" in text and "page 3" in text and "page 1" not in text


@needs_pdftotext
@pytest.mark.parametrize("paper, size", [("A4", "595.2 x 841.92 pts"), ("Letter", "612 x 792 pts")])
def test_pdf_paper(tmp_path, paper, size):
    assert size in pdf_info(qjxhtml.render_pdf("<p>x</p>", None, paper=paper), tmp_path)


@needs_pdftotext
def test_pdf_margins_move_the_text(tmp_path):
    def left_column(margins):
        pdf = tmp_path / "m.pdf"
        qjxhtml.render_pdf("<p>Margin</p>", pdf, margins=margins)
        box = subprocess.run(["pdftotext", "-bbox", str(pdf), "-"], check=True, capture_output=True,
                             text=True).stdout
        word = next(line for line in box.splitlines() if ">Margin<" in line)
        return float(word.split('xMin="')[1].split('"')[0])

    narrow, wide = left_column((0.5, 0.5, 0.5, 0.5)), left_column((5, 2, 2, 2))
    # 4.5 cm is 127.6 points.
    assert wide - narrow == pytest.approx(127.6, abs=2)


def test_missing_page_raises_with_the_library_message(tmp_path):
    with pytest.raises(qjxhtml.QjxError) as raised:
        qjxhtml.render_pdf("<p>one page</p>", tmp_path / "none.pdf", pages=(50, 50))
    assert "no page 50" in raised.value.last_error


def test_png_reader_agrees_with_pillow(examples):
    image = pytest.importorskip("PIL.Image")
    import io

    png = qjxhtml.render_png(str(examples / "tour.html"), width=320, height=240)
    data, width, height, mode = decode_png(png)
    expected = image.open(io.BytesIO(png))
    assert (width, height, mode) == (*expected.size, expected.mode)
    assert data == expected.tobytes()


def encode_png(pixels: bytes, width: int, height: int, step: int, filters: list[int]) -> bytes:
    """A PNG whose row y is filtered with filters[y % len(filters)], as the format defines them."""
    import struct
    import zlib

    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else b if pb <= pc else c

    stride, raw, prior = width * step, bytearray(), bytes(width * step)
    for y in range(height):
        row, kind = pixels[y * stride:(y + 1) * stride], filters[y % len(filters)]
        raw.append(kind)
        for i, value in enumerate(row):
            left = row[i - step] if i >= step else 0
            corner = prior[i - step] if i >= step else 0
            predictor = [0, left, prior[i], (left + prior[i]) // 2, paeth(left, prior[i], corner)][kind]
            raw.append((value - predictor) & 0xFF)
        prior = row

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2 if step == 3 else 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw))) + \
        chunk(b"IEND", b"")


@pytest.mark.parametrize("step, mode", [(3, "RGB"), (4, "RGBA")])
def test_png_reader_undoes_every_filter(step, mode):
    import random

    rng = random.Random(7)
    width, height = 9, 10
    pixels = bytes(rng.randrange(256) for _ in range(width * height * step))
    png = encode_png(pixels, width, height, step, [0, 1, 2, 3, 4])
    assert decode_png(png) == (pixels, width, height, mode)
