"""A viewer in a window of its own, driven as a user would drive it."""

from __future__ import annotations

import ctypes
import os
import tempfile
import weakref
from collections.abc import Callable, Sequence
from dataclasses import dataclass
from typing import Any

from . import _lib
from ._lib import QjxError
from ._png import decode_png

LinkCallback = Callable[[str], Any]
SubmitCallback = Callable[["FormSubmission"], Any]
TextCallback = Callable[[str], Any]
HistoryCallback = Callable[[list[str]], Any]

_KEYS = {"backspace": 0x08, "tab": 0x09, "enter": 0x0D, "return": 0x0D, "shift": 0x10,
         "control": 0x11, "ctrl": 0x11, "escape": 0x1B, "space": 0x20, "pageup": 0x21,
         "pagedown": 0x22, "end": 0x23, "home": 0x24, "left": 0x25, "up": 0x26,
         "right": 0x27, "down": 0x28, "delete": 0x2E}

# The longest text a viewer's fields, the selection and the title are read back with.
_TEXT_LIMIT = 1 << 24


@dataclass(frozen=True)
class FormSubmission:
    """A form the user submitted: its action, method, and the (name, value) pairs."""

    action: str
    method: str
    pairs: list[tuple[str, str]]
    target: str = ""
    enctype: str = ""


def check_size(name: str, value: object, low: int, high: int) -> int:
    """An integer argument from low to high; TypeError or ValueError otherwise."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} must be an int, not {type(value).__name__}")
    if not low <= value <= high:
        raise ValueError(f"{name} must be from {low} to {high}, not {value}")
    return value


def _decode(value: bytes, encoding: str) -> str:
    return value.decode(encoding, "replace")


# Host windows to their viewers, for the one window procedure every viewer shares.
_viewers: "weakref.WeakValueDictionary[int, Viewer]" = weakref.WeakValueDictionary()


@_lib.WNDPROC
def _window_proc(wnd: int | None, msg: int, wparam: int, lparam: int) -> int:
    viewer = _viewers.get(wnd or 0)
    if viewer is not None:
        try:
            answer = viewer._handle(msg, wparam, lparam)
            if answer is not None:
                return answer
        except BaseException as error:  # raised again when the call into the library returns
            viewer._pending = error
            return 0
    return _lib.library().QjxDefWindowProc(wnd, msg, wparam, lparam)


class Viewer:
    """An HTML viewer of width x height pixels in a window without a display.

    Callbacks (attributes, None for none):
      on_link(url) -> bool: a link was clicked; True scrolls to it as an anchor of this document.
      on_submit(FormSubmission): a form was submitted.
      on_image_click(text), on_object_click(text): an image (its ALT text or click text)
        or a form control with a click handler was clicked.
      on_double_click(text): a double click selected text.
      on_title(title): the document's title changed.
      on_history(list of sources): the list of documents loaded changed.
    Selected text and double-clicked words come in UTF-8. Other texts (the title, link
    and ALT texts, form data) come in the encoding the viewer holds the document in:
    text_encoding (default "cp1252", for western pages; "cp932" for a Japanese one;
    "utf-8" for a document no single code page holds) decodes them.
    Use it as a context manager, or call close(): the window goes with the viewer.
    """

    def __init__(self, width: int = 800, height: int = 600) -> None:
        check_size("width", width, 1, _lib.MAX_SIDE)
        check_size("height", height, 1, _lib.MAX_SIDE)
        if width * height > _lib.MAX_PIXELS:
            raise ValueError(f"a viewer of {width} x {height} pixels is too large")
        self._lib = _lib.library()
        self._pending: BaseException | None = None
        self._title = ""
        self.history: list[str] = []
        self.text_encoding = "cp1252"
        self.on_link: LinkCallback | None = None
        self.on_submit: SubmitCallback | None = None
        self.on_image_click: TextCallback | None = None
        self.on_object_click: TextCallback | None = None
        self.on_double_click: TextCallback | None = None
        self.on_title: TextCallback | None = None
        self.on_history: HistoryCallback | None = None
        self._host = self._lib.QjxCreateHostWindow(b"qjxhtml", width, height, _window_proc, None)
        if not self._host:
            raise QjxError("cannot create a window", _lib.last_error())
        _viewers[self._host] = self
        self._handle_wnd = self._lib.HV_Proc(_lib.HVC_CREATE, self._host, 0)
        if not self._handle_wnd:
            error = _lib.last_error()
            self._lib.QjxDestroyWindow(self._host)
            raise QjxError("cannot create a viewer", error)
        # A new viewer has a size of its own; it fills the window from here on.
        self._lib.HV_Proc(_lib.HVC_RESIZE, self._host, 0)

    # ---- life ------------------------------------------------------------------------

    def close(self) -> None:
        """Destroys the viewer and its window; later calls raise QjxError."""
        if self._host:
            lib = _lib.library()
            lib.HV_Proc(_lib.HVC_DESTROY, self._host, 0)
            lib.QjxDestroyWindow(self._host)
            _viewers.pop(self._host, None)
            self._host = None

    def __enter__(self) -> "Viewer":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self) -> None:
        # Only on the library's thread: elsewhere the window is left to the process's end.
        try:
            self.close()
        except Exception:
            pass

    def _live(self) -> int:
        _lib.library()  # the thread check
        if not self._host:
            raise QjxError("the viewer was closed")
        return self._host

    def _done(self) -> None:
        """Raises what a callback raised during the last call into the library."""
        error, self._pending = self._pending, None
        if error is not None:
            raise error

    # ---- documents -------------------------------------------------------------------

    def load_file(self, path: str | os.PathLike[str]) -> None:
        """Shows an HTML file; FileNotFoundError when there is none."""
        if not isinstance(path, (str, os.PathLike)):
            raise TypeError(f"path must be a str or a path, not {type(path).__name__}")
        name = os.path.abspath(os.fspath(path))
        if not os.path.isfile(name):
            raise FileNotFoundError(name)
        host = self._live()
        text = ctypes.create_string_buffer(os.fsencode(name))
        ok = self._lib.HV_Proc(_lib.HVC_LOADFILE, host, ctypes.addressof(text))
        self._done()
        if not ok:
            raise QjxError(f"cannot load {name}", _lib.last_error())
        self._loaded(name)

    def load_html(self, html: str | bytes) -> None:
        """Shows HTML text (str, or bytes in the document's own encoding)."""
        if isinstance(html, str):
            data = html.encode("utf-8")
        elif isinstance(html, (bytes, bytearray, memoryview)):
            data = bytes(html)
        else:
            raise TypeError(f"html must be str or bytes, not {type(html).__name__}")
        if len(data) > 0x7FFFFFFF:
            raise ValueError("html is larger than 2 GiB")
        host = self._live()
        keep = ctypes.create_string_buffer(data, len(data))
        record = _lib.THVBuffer(ctypes.cast(keep, ctypes.c_void_p), len(data))
        self._lib.HV_Proc(_lib.HVC_LOADBUFFER, host, ctypes.addressof(record))
        self._done()
        error = _lib.last_error()
        if error:
            raise QjxError("cannot load the HTML", error)
        self._loaded("<html>")

    def _loaded(self, source: str) -> None:
        self._pump()
        self.history.append(source)
        if self.on_history:
            self.on_history(list(self.history))
        title = self.title
        if title != self._title:
            self._title = title
            if self.on_title:
                self.on_title(title)

    def _pump(self) -> None:
        self._lib.QjxPumpMessages()
        self._done()

    # ---- reading -----------------------------------------------------------------------

    def _read_text(self, what: int) -> str:
        host = self._live()
        size = self._lib.QjxViewerText(host, what, None, 0)
        if size < 0:
            raise QjxError("cannot read the viewer's text", _lib.last_error())
        buffer = ctypes.create_string_buffer(min(size, _TEXT_LIMIT) + 1)
        if self._lib.QjxViewerText(host, what, buffer, len(buffer)) < 0:
            raise QjxError("cannot read the viewer's text", _lib.last_error())
        encoding = "utf-8" if what == _lib.QJX_TEXT_SELECTION else self.text_encoding
        return _decode(buffer.value, encoding)

    @property
    def title(self) -> str:
        """The document's title ("" when it has none)."""
        return self._read_text(_lib.QJX_TEXT_TITLE)

    def selected_text(self) -> str:
        """The selected text ("" when nothing is selected)."""
        return self._read_text(_lib.QJX_TEXT_SELECTION)

    @property
    def document_height(self) -> int:
        """The height of the laid-out document in pixels."""
        height = self._lib.QjxViewerDocumentHeight(self._live())
        if height < 0:
            raise QjxError("cannot read the document height", _lib.last_error())
        return height

    @property
    def scroll_position(self) -> int:
        """How far the document is scrolled down, in pixels."""
        return max(self._lib.QjxViewerScrollPos(self._live()), 0)

    @property
    def size(self) -> tuple[int, int]:
        """The window's width and height in pixels."""
        rect = _lib.TQjxRect()
        self._lib.QjxGetClientRect(self._live(), ctypes.byref(rect))
        return rect.Right - rect.Left, rect.Bottom - rect.Top

    # ---- acting ------------------------------------------------------------------------

    def resize(self, width: int, height: int) -> None:
        """Gives the window (and the viewer in it) a new size."""
        check_size("width", width, 1, _lib.MAX_SIDE)
        check_size("height", height, 1, _lib.MAX_SIDE)
        if width * height > _lib.MAX_PIXELS:
            raise ValueError(f"a viewer of {width} x {height} pixels is too large")
        host = self._live()
        if not self._lib.QjxSetWindowSize(host, width, height):
            raise QjxError("cannot resize the window", _lib.last_error())
        self._lib.HV_Proc(_lib.HVC_RESIZE, host, 0)
        self._pump()

    def scroll_to(self, y: int | str) -> int:
        """Scrolls to y pixels (clamped), or to an anchor given as "#name"; returns the position."""
        host = self._live()
        if isinstance(y, str):
            text = ctypes.create_string_buffer(y.encode("utf-8"))
            self._lib.HV_Proc(_lib.HVC_SCROLLTOANCHOR, host, ctypes.addressof(text))
        else:
            check_size("y", y, 0, 1 << 30)
            if self._lib.QjxViewerScrollTo(host, y) < 0:
                raise QjxError("cannot scroll", _lib.last_error())
        self._pump()
        return self.scroll_position

    def _point(self, x: int, y: int) -> int:
        check_size("x", x, -(1 << 28), 1 << 28)
        check_size("y", y, -(1 << 28), 1 << 28)
        return self._live()

    def click(self, x: int, y: int, button: str = "left") -> None:
        """Moves the mouse to (x, y) of the window and clicks there, as a pointer does;
        callbacks run before this returns."""
        host = self._point(x, y)
        self._lib.QjxMouseMove(host, x, y)
        self._lib.QjxClick(host, _button(button), x, y)
        self._pump()

    def double_click(self, x: int, y: int) -> None:
        """Moves the mouse to (x, y) and double-clicks there (selects the word there)."""
        host = self._point(x, y)
        self._lib.QjxMouseMove(host, x, y)
        self._lib.QjxDoubleClick(host, 0, x, y)
        self._pump()

    def drag(self, x1: int, y1: int, x2: int, y2: int) -> None:
        """Presses the left button at (x1, y1), moves to (x2, y2) and lets go (selects text)."""
        host = self._point(x1, y1)
        self._point(x2, y2)
        self._lib.QjxMouseMove(host, x1, y1)
        self._lib.QjxMouseDown(host, 0, x1, y1)
        self._lib.QjxMouseMove(host, x2, y2)
        self._lib.QjxMouseUp(host, 0, x2, y2)
        self._pump()

    def type_text(self, text: str) -> None:
        """Types text into whatever has the keyboard focus (click a field first)."""
        if not isinstance(text, str):
            raise TypeError(f"text must be a str, not {type(text).__name__}")
        self._live()
        for ch in text:
            self._lib.QjxChar(ord(ch))
        self._pump()

    def key(self, name: str | int, ctrl: bool = False) -> None:
        """Presses and releases a key: a name ("enter", "tab", "down", ...), a letter, or a virtual key code."""
        if isinstance(name, bool) or not isinstance(name, (str, int)):
            raise TypeError(f"key must be a str or an int, not {type(name).__name__}")
        if isinstance(name, int):
            code = check_size("key", name, 1, 0xFE)
        elif len(name) == 1 and name.isalnum() and name.isascii():
            code = ord(name.upper())
        elif name.lower() in _KEYS:
            code = _KEYS[name.lower()]
        else:
            raise ValueError(f"unknown key {name!r}")
        self._live()
        if ctrl:
            self._lib.QjxKeyDown(_KEYS["control"])
        self._lib.QjxKeyDown(code)
        self._lib.QjxKeyUp(code)
        if ctrl:
            self._lib.QjxKeyUp(_KEYS["control"])
        self._pump()

    def focus(self) -> None:
        """Gives the viewer the keyboard focus."""
        self._live()
        self._lib.QjxSetFocus(self._handle_wnd)
        self._pump()

    def select_all(self) -> None:
        """Selects the whole document."""
        if self._lib.QjxViewerSelectAll(self._live()) < 0:
            raise QjxError("cannot select", _lib.last_error())
        self._pump()

    def copy(self) -> str:
        """Copies the selection to the clipboard and returns its text."""
        text = self.selected_text()
        self._lib.HV_Proc(_lib.HVC_COPY, self._live(), 0)
        self._pump()
        return text

    # ---- output ------------------------------------------------------------------------

    def save_png(self, path: str | os.PathLike[str]) -> None:
        """Writes what the window shows as a PNG file."""
        if not isinstance(path, (str, os.PathLike)):
            raise TypeError(f"path must be a str or a path, not {type(path).__name__}")
        host = self._live()
        self._pump()
        if not self._lib.QjxSaveWindowPng(host, os.fsencode(os.fspath(path))):
            raise QjxError(f"cannot write {os.fspath(path)}", _lib.last_error())

    def png_bytes(self) -> bytes:
        """What the window shows, as the bytes of a PNG file."""
        with tempfile.TemporaryDirectory(prefix="qjxhtml-") as folder:
            name = os.path.join(folder, "window.png")
            self.save_png(name)
            with open(name, "rb") as file:
                return file.read()

    def pixels(self) -> Any:
        """What the window shows: a Pillow image when Pillow is installed, else
        (bytes, width, height, mode) with rows of 8-bit RGB or RGBA, top first."""
        data, width, height, mode = decode_png(self.png_bytes())
        try:
            from PIL import Image
        except ImportError:
            return data, width, height, mode
        return Image.frombytes(mode, (width, height), data)

    def print_pdf(self, path: str | os.PathLike[str], pages: tuple[int, int] | int | None = None,
                  margins: Sequence[float] | None = None, paper: str = "A4") -> int:
        """Prints the document to a PDF file; returns the number of pages written.

        pages: a page number or (first, last), from 1; margins: left, top, right, bottom in
        centimetres (0 to 20; default 2 each); paper: "A4" or "Letter".
        """
        if not isinstance(path, (str, os.PathLike)):
            raise TypeError(f"path must be a str or a path, not {type(path).__name__}")
        first, last = _pages(pages)
        margin_array = None
        if margins is not None:
            if isinstance(margins, (str, bytes)) or not isinstance(margins, Sequence):
                raise TypeError("margins must be a sequence of four numbers")
            if len(margins) != 4:
                raise ValueError("margins must be four numbers: left, top, right, bottom")
            for m in margins:
                if isinstance(m, bool) or not isinstance(m, (int, float)):
                    raise TypeError(f"a margin must be a number, not {type(m).__name__}")
                if not 0 <= m <= 20:
                    raise ValueError(f"margins must be from 0 to 20 centimetres, not {m}")
            margin_array = (ctypes.c_double * 4)(*margins)
        if not isinstance(paper, str):
            raise TypeError(f"paper must be a str, not {type(paper).__name__}")
        if paper.upper() not in _lib.QJX_PAPER:
            raise ValueError(f"paper must be A4 or Letter, not {paper!r}")
        host = self._live()
        printed = self._lib.QjxViewerPrintPdf(host, os.fsencode(os.path.abspath(os.fspath(path))),
                                              first, last, margin_array, _lib.QJX_PAPER[paper.upper()])
        self._done()
        if printed <= 0:
            raise QjxError("cannot print", _lib.last_error())
        return printed

    # ---- messages from the viewer --------------------------------------------------------

    def _text(self, data: int) -> str:
        return _decode(ctypes.string_at(data), self.text_encoding) if data else ""

    def _c_text(self, value: bytes | None) -> str:
        return _decode(value, self.text_encoding) if value else ""

    def _handle(self, msg: int, wparam: int, lparam: int) -> int | None:
        if msg == _lib.HVM_HOTSPOTCLICK:
            return 1 if self.on_link and self.on_link(self._text(wparam)) else 0
        if msg == _lib.HVM_FORMSUBMIT:
            if self.on_submit:
                record = _lib.THVFormSubmit.from_address(wparam)
                pairs = []
                for i in range(max(record.Count, 0)):
                    name, _, value = self._c_text(record.Pairs[i]).partition("=")
                    pairs.append((name, value))
                self.on_submit(FormSubmission(self._c_text(record.Action), self._c_text(record.Method), pairs,
                                              self._c_text(record.Target), self._c_text(record.EncType)))
            return 0
        if msg == _lib.HVM_OBJECTCLICK:
            callback = self.on_image_click if lparam == _lib.HVO_IMAGE else self.on_object_click
            if callback:
                callback(self._text(wparam))
            return 0
        if msg == _lib.HVM_DBLCLICK:
            if self.on_double_click:
                self.on_double_click(_decode(ctypes.string_at(wparam), "utf-8") if wparam else "")
            return 0
        return None


def _button(name: str) -> int:
    buttons = {"left": 0, "right": 1, "middle": 2}
    if not isinstance(name, str):
        raise TypeError(f"button must be a str, not {type(name).__name__}")
    if name not in buttons:
        raise ValueError(f"button must be left, right or middle, not {name!r}")
    return buttons[name]


def _pages(pages: tuple[int, int] | int | None) -> tuple[int, int]:
    if pages is None:
        return 1, 0
    if isinstance(pages, int) and not isinstance(pages, bool):
        check_size("page", pages, 1, 1 << 30)
        return pages, pages
    if not isinstance(pages, tuple) or len(pages) != 2:
        raise TypeError("pages must be a page number or a (first, last) tuple")
    first = check_size("first page", pages[0], 1, 1 << 30)
    last = check_size("last page", pages[1], first, 1 << 30)
    return first, last
