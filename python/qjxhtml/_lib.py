"""The C library: loading it, its functions' signatures, and the one-thread rule."""

from __future__ import annotations

import ctypes
import os
import threading
from typing import Any

HWND = ctypes.c_void_p
WNDPROC = ctypes.CFUNCTYPE(ctypes.c_ssize_t, HWND, ctypes.c_uint, ctypes.c_size_t, ctypes.c_ssize_t)

HVC_INIT, HVC_DONE, HVC_CREATE, HVC_DESTROY, HVC_LOADFILE, HVC_RESIZE = 100, 101, 102, 103, 104, 105
HVC_LOADBUFFER, HVC_SELLENGTH, HVC_COPY, HVC_PRINT, HVC_SCROLLTOANCHOR = 106, 107, 108, 109, 110
HVM_DBLCLICK, HVM_HOTSPOTCLICK, HVM_OBJECTCLICK, HVM_FORMSUBMIT = 1124, 1125, 1133, 1134
HVO_CONTROL, HVO_IMAGE = 0, 2
QJX_TEXT_TITLE, QJX_TEXT_SELECTION = 0, 1
QJX_PAPER = {"A4": 0, "LETTER": 1}

# The largest window the library paints: a side and a count of 4-byte pixels.
MAX_SIDE = 32767
MAX_PIXELS = (256 << 20) // 4


class QjxError(RuntimeError):
    """A failure the library reported; ``last_error`` holds its QjxLastError text."""

    def __init__(self, message: str, last_error: str = "") -> None:
        super().__init__(f"{message}: {last_error}" if last_error else message)
        self.last_error = last_error


class THVBuffer(ctypes.Structure):
    _fields_ = [("Data", ctypes.c_void_p), ("Size", ctypes.c_ssize_t)]


class THVFormSubmit(ctypes.Structure):
    _fields_ = [("Action", ctypes.c_char_p), ("Target", ctypes.c_char_p),
                ("EncType", ctypes.c_char_p), ("Method", ctypes.c_char_p),
                ("Count", ctypes.c_int32), ("Pairs", ctypes.POINTER(ctypes.c_char_p))]


class TQjxRect(ctypes.Structure):
    _fields_ = [("Left", ctypes.c_int32), ("Top", ctypes.c_int32),
                ("Right", ctypes.c_int32), ("Bottom", ctypes.c_int32)]


_SIGNATURES: dict[str, tuple[Any, list[Any]]] = {
    "HV_Proc": (ctypes.c_ssize_t, [ctypes.c_int, HWND, ctypes.c_ssize_t]),
    "QjxCreateHostWindow": (HWND, [ctypes.c_char_p, ctypes.c_int, ctypes.c_int, WNDPROC, ctypes.c_void_p]),
    "QjxDefWindowProc": (ctypes.c_ssize_t, [HWND, ctypes.c_uint, ctypes.c_size_t, ctypes.c_ssize_t]),
    "QjxDestroyWindow": (ctypes.c_int, [HWND]),
    "QjxIsWindow": (ctypes.c_int, [HWND]),
    "QjxSetWindowSize": (ctypes.c_int, [HWND, ctypes.c_int, ctypes.c_int]),
    "QjxGetClientRect": (ctypes.c_int, [HWND, ctypes.POINTER(TQjxRect)]),
    "QjxPumpMessages": (ctypes.c_int, []),
    "QjxMouseMove": (None, [HWND, ctypes.c_int, ctypes.c_int]),
    "QjxMouseDown": (None, [HWND, ctypes.c_int, ctypes.c_int, ctypes.c_int]),
    "QjxMouseUp": (None, [HWND, ctypes.c_int, ctypes.c_int, ctypes.c_int]),
    "QjxClick": (None, [HWND, ctypes.c_int, ctypes.c_int, ctypes.c_int]),
    "QjxDoubleClick": (None, [HWND, ctypes.c_int, ctypes.c_int, ctypes.c_int]),
    "QjxKeyDown": (None, [ctypes.c_int]),
    "QjxKeyUp": (None, [ctypes.c_int]),
    "QjxChar": (None, [ctypes.c_int]),
    "QjxSetFocus": (None, [HWND]),
    "QjxSaveWindowPng": (ctypes.c_int, [HWND, ctypes.c_char_p]),
    "QjxLastError": (ctypes.c_char_p, []),
    "QjxViewerDocumentHeight": (ctypes.c_int, [HWND]),
    "QjxViewerScrollTo": (ctypes.c_int, [HWND, ctypes.c_int]),
    "QjxViewerScrollPos": (ctypes.c_int, [HWND]),
    "QjxViewerSelectAll": (ctypes.c_int, [HWND]),
    "QjxViewerText": (ctypes.c_int, [HWND, ctypes.c_int, ctypes.c_char_p, ctypes.c_int]),
    "QjxViewerPrintPdf": (ctypes.c_int, [HWND, ctypes.c_char_p, ctypes.c_int, ctypes.c_int,
                                          ctypes.POINTER(ctypes.c_double), ctypes.c_int]),
}

_lock = threading.Lock()
_lib: ctypes.CDLL | None = None
_owner: int | None = None


def _load() -> ctypes.CDLL:
    # Without a display the windows paint into memory, which is what scripts want; a
    # caller that sets QJX_BACKEND chooses for itself.
    os.environ.setdefault("QJX_BACKEND", "headless")
    name = os.environ.get("QJXHTML_LIBRARY") or "libqjxhtml.so.0"
    try:
        lib = ctypes.CDLL(name)
    except OSError as error:
        raise QjxError(f"cannot load {name} (install the library or set QJXHTML_LIBRARY)",
                       str(error)) from None
    for symbol, (restype, argtypes) in _SIGNATURES.items():
        try:
            function = getattr(lib, symbol)
        except AttributeError:
            raise QjxError(f"{name} is too old: it has no {symbol}") from None
        function.restype = restype
        function.argtypes = argtypes
    if lib.HV_Proc(HVC_INIT, None, 0) != -1:
        raise QjxError("the library refused to start", last_error_of(lib))
    return lib


def last_error_of(lib: ctypes.CDLL) -> str:
    text = lib.QjxLastError()
    return text.decode("utf-8", "replace") if text else ""


def library() -> ctypes.CDLL:
    """The loaded library, for the thread that first used it only.

    The library's windows and viewers belong to one thread; a call from another would
    race with it, so it raises instead.
    """
    global _lib, _owner
    with _lock:
        if _lib is None:
            _lib = _load()
            _owner = threading.get_ident()
        elif _owner != threading.get_ident():
            raise RuntimeError("qjxhtml is used from one thread only: the first that used it")
        return _lib


def last_error() -> str:
    """The library's message for its last failure ("" if none)."""
    return last_error_of(library())
