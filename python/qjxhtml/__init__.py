"""HTML to PNG and PDF, and HTML viewers to drive in tests, over libqjxhtml.

The library is loaded from the system (libqjxhtml.so.0) or from the file that the
QJXHTML_LIBRARY environment variable names. Windows paint into memory unless
QJX_BACKEND says otherwise. Everything runs on the thread that first used the
library; calls from other threads raise RuntimeError.
"""

from ._lib import QjxError, last_error
from .render import render_pdf, render_png
from .viewer import FormSubmission, Viewer

__all__ = ["QjxError", "FormSubmission", "Viewer", "last_error", "render_pdf", "render_png"]
__version__ = "0.1.0"
