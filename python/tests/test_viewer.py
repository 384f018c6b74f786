"""Viewer: callbacks with their values, selection, scrolling, life and the thread rule."""

from __future__ import annotations

import threading

import pytest

import qjxhtml

LINK_PAGE = "<title>Links</title><body style='margin:0;font-size:30px'><a href='next.html#part'>Next page</a></body>"
FORM_PAGE = ("<body style='margin:0'><form action='/search' method='post'><input name='q' size=20>"
             "<input type='submit' name='go' value='Go'></form></body>")
WORDS_PAGE = "<title>Words</title><body style='margin:0;font-size:20px'>alpha beta gamma</body>"
TALL_PAGE = "<body style='margin:0'><div style='height:3000px'>top</div><a name='end'>end</a></body>"


@pytest.fixture
def viewer():
    with qjxhtml.Viewer(400, 300) as v:
        yield v


def test_link_click_reports_the_address(viewer):
    clicked = []
    viewer.on_link = clicked.append
    viewer.load_html(LINK_PAGE)
    viewer.click(20, 15)
    assert clicked == ["next.html#part"]


def test_link_callback_answer_scrolls_to_the_anchor(viewer):
    viewer.load_html("<body style='margin:0'><a href='#end'>down</a><div style='height:3000px'></div>"
                     "<a name='end'>end</a></body>")
    viewer.on_link = lambda url: True
    viewer.click(10, 8)
    assert viewer.scroll_position > 2000


def test_form_submission_carries_typed_text(viewer):
    submitted = []
    viewer.on_submit = submitted.append
    viewer.load_html(FORM_PAGE)
    viewer.click(20, 10)
    viewer.type_text("hello world")
    viewer.click(170, 10)
    assert submitted == [qjxhtml.FormSubmission("/search", "post", [("q", "hello world"), ("go", "Go")])]


def test_object_click_reports_the_handler_text(viewer):
    clicks = []
    viewer.on_object_click = clicks.append
    viewer.load_html("<body style='margin:0'><input type=button value=Press onclick='pressed()'></body>")
    viewer.click(20, 10)
    assert clicks == ["pressed()"]


def test_image_click_reports_the_alt_text(viewer, tmp_path):
    clicks = []
    viewer.on_image_click = clicks.append
    viewer.load_html("<body style='margin:0'><img src='none.png' alt='a picture' width=100 height=100></body>")
    viewer.click(50, 50)
    assert clicks == ["a picture"]
    viewer.click(150, 150)  # beside the picture
    assert clicks == ["a picture"]


def test_double_click_selects_a_word(viewer):
    words = []
    viewer.on_double_click = words.append
    viewer.load_html(WORDS_PAGE)
    viewer.double_click(70, 10)
    assert words == ["beta"] and viewer.selected_text() == "beta"


def test_selection_by_drag_select_all_and_copy(viewer):
    viewer.load_html(WORDS_PAGE)
    assert viewer.selected_text() == ""
    viewer.drag(2, 10, 48, 10)
    assert viewer.selected_text().strip() == "alpha"
    viewer.select_all()
    assert viewer.selected_text().strip() == "alpha beta gamma"
    assert viewer.copy().strip() == "alpha beta gamma"
    assert viewer.selected_text() == ""


def test_ctrl_a_selects_all(viewer):
    viewer.load_html(WORDS_PAGE)
    viewer.focus()
    viewer.key("a", ctrl=True)
    assert viewer.selected_text().strip() == "alpha beta gamma"


def test_title_and_history_callbacks(viewer, tmp_path):
    titles, histories = [], []
    viewer.on_title, viewer.on_history = titles.append, histories.append
    page = tmp_path / "words.html"
    page.write_text(WORDS_PAGE)
    viewer.load_html(LINK_PAGE)
    viewer.load_file(page)
    viewer.load_file(page)
    assert titles == ["Links", "Words"]
    assert viewer.title == "Words"
    assert histories[-1] == ["<html>", str(page), str(page)] and len(histories) == 3


def test_scrolling_and_document_height(viewer):
    viewer.load_html(TALL_PAGE)
    height = viewer.document_height
    assert height > 3000
    assert viewer.scroll_to(500) == 500
    # The window's last rows may go to the viewer's frame.
    assert height - 300 <= viewer.scroll_to(10**6) <= height - 290
    assert viewer.scroll_to("#end") > 2500
    viewer.focus()
    viewer.key("home")
    assert viewer.scroll_position == 0


def test_pixels_show_the_document(viewer):
    viewer.load_html("<body style='margin:0;background:#123456'></body>")
    picture = viewer.pixels()
    if isinstance(picture, tuple):
        data, width, height, mode = picture
        assert (width, height, mode) == (400, 300, "RGB") and data[:3] == b"\x12\x34\x56"
    else:
        assert picture.size == (400, 300) and picture.getpixel((10, 10))[:3] == (0x12, 0x34, 0x56)


def test_save_png_and_print_pdf(viewer, tmp_path):
    viewer.load_html(WORDS_PAGE)
    viewer.save_png(tmp_path / "w.png")
    assert (tmp_path / "w.png").read_bytes()[:4] == b"\x89PNG"
    assert viewer.print_pdf(tmp_path / "w.pdf") == 1
    assert (tmp_path / "w.pdf").read_bytes()[:5] == b"%PDF-"


def test_callback_errors_reach_the_caller(viewer):
    def fail(url):
        raise KeyError(url)

    viewer.on_link = fail
    viewer.load_html(LINK_PAGE)
    with pytest.raises(KeyError):
        viewer.click(20, 15)
    viewer.click(300, 200)  # the error was raised once


def test_closed_viewer_raises():
    v = qjxhtml.Viewer(100, 100)
    with v:
        v.load_html("<p>x</p>")
    v.close()
    with pytest.raises(qjxhtml.QjxError):
        v.load_html("<p>again</p>")


def test_other_threads_are_refused(viewer):
    errors = []

    def use():
        try:
            viewer.load_html("<p>from a thread</p>")
        except RuntimeError as error:
            errors.append(error)

    for call in (use, lambda: errors.append(pytest.raises(RuntimeError, qjxhtml.Viewer, 10, 10))):
        thread = threading.Thread(target=call)
        thread.start()
        thread.join()
    assert len(errors) == 2


BAD_CALLS = [
    ("width None", lambda v: qjxhtml.Viewer(None, 10), TypeError),
    ("width str", lambda v: qjxhtml.Viewer("800", 10), TypeError),
    ("width bool", lambda v: qjxhtml.Viewer(True, 10), TypeError),
    ("width zero", lambda v: qjxhtml.Viewer(0, 10), ValueError),
    ("height negative", lambda v: qjxhtml.Viewer(10, -1), ValueError),
    ("height huge", lambda v: qjxhtml.Viewer(10, 1 << 40), ValueError),
    ("too many pixels", lambda v: qjxhtml.Viewer(30000, 30000), ValueError),
    ("resize negative", lambda v: v.resize(-5, 10), ValueError),
    ("load_html None", lambda v: v.load_html(None), TypeError),
    ("load_html int", lambda v: v.load_html(5), TypeError),
    ("load_file None", lambda v: v.load_file(None), TypeError),
    ("load_file missing", lambda v: v.load_file("/no/such/file.html"), FileNotFoundError),
    ("scroll float", lambda v: v.scroll_to(1.5), TypeError),
    ("scroll negative", lambda v: v.scroll_to(-1), ValueError),
    ("click None", lambda v: v.click(None, 1), TypeError),
    ("click huge", lambda v: v.click(1 << 40, 1), ValueError),
    ("click button", lambda v: v.click(1, 1, button="fourth"), ValueError),
    ("type bytes", lambda v: v.type_text(b"x"), TypeError),
    ("key unknown", lambda v: v.key("hyper"), ValueError),
    ("key None", lambda v: v.key(None), TypeError),
    ("key code", lambda v: v.key(1000), ValueError),
    ("save None", lambda v: v.save_png(None), TypeError),
    ("pdf pages zero", lambda v: v.print_pdf("x.pdf", pages=0), ValueError),
    ("pdf pages reversed", lambda v: v.print_pdf("x.pdf", pages=(3, 2)), ValueError),
    ("pdf pages list", lambda v: v.print_pdf("x.pdf", pages=[1, 2]), TypeError),
    ("pdf margins three", lambda v: v.print_pdf("x.pdf", margins=(1, 1, 1)), ValueError),
    ("pdf margins negative", lambda v: v.print_pdf("x.pdf", margins=(1, -1, 1, 1)), ValueError),
    ("pdf margins str", lambda v: v.print_pdf("x.pdf", margins="1111"), TypeError),
    ("pdf margins nan", lambda v: v.print_pdf("x.pdf", margins=(1, float("nan"), 1, 1)), ValueError),
    ("pdf paper", lambda v: v.print_pdf("x.pdf", paper="A0"), ValueError),
    ("pdf path None", lambda v: v.print_pdf(None), TypeError),
    ("render source None", lambda v: qjxhtml.render_png(None), TypeError),
    ("render width small", lambda v: qjxhtml.render_png("<p>", width=2), ValueError),
    ("render width huge", lambda v: qjxhtml.render_png("<p>", width=10**9), ValueError),
    ("render height negative", lambda v: qjxhtml.render_png("<p>", height=-10), ValueError),
    ("render scroll str", lambda v: qjxhtml.render_png("<p>", scroll="1"), TypeError),
    ("render out int", lambda v: qjxhtml.render_png("<p>", out=3), TypeError),
    ("render missing file", lambda v: qjxhtml.render_png("missing.html"), FileNotFoundError),
    ("pdf source list", lambda v: qjxhtml.render_pdf(["<p>"], None), TypeError),
]


@pytest.mark.parametrize("name, call, error", BAD_CALLS, ids=[c[0] for c in BAD_CALLS])
def test_bad_arguments_raise(viewer, tmp_path, monkeypatch, name, call, error):
    monkeypatch.chdir(tmp_path)
    viewer.load_html(WORDS_PAGE)
    with pytest.raises(error):
        call(viewer)
    assert viewer.selected_text() == ""  # the viewer still works


def resident_kib() -> int:
    with open("/proc/self/statm") as statm:
        import os
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE") // 1024


def test_a_thousand_viewers_do_not_grow_memory():
    def cycle(count):
        for _ in range(count):
            with qjxhtml.Viewer(200, 150) as v:
                v.load_html(WORDS_PAGE)

    cycle(100)  # caches and the allocator settle
    before = resident_kib()
    cycle(1000)
    # A viewer that stayed would hold its 200 x 150 bitmap (117 KiB): a thousand, over 100 MiB.
    assert resident_kib() - before < 8 * 1024


@pytest.mark.parametrize("html, encoding, title", [
    ("<title>héllo € “q”</title>", "cp1252", "héllo € “q”"),
    ("<meta charset=utf-8><title>日本</title>", "cp932", "日本"),
    ("<meta charset=utf-8><title>αβ ก</title>", "utf-8", "αβ ก"),  # no one page holds both
])
def test_texts_decode_in_the_viewer_code_page(viewer, html, encoding, title):
    viewer.text_encoding = encoding
    viewer.load_html(html + "<p>" + title + "</p>")
    viewer.select_all()
    assert viewer.title == title and viewer.selected_text().strip() == title
