/* A small window host for programs written in C: top-level windows with a window
   procedure, messages, the message loop and, for tests and hosts without a display,
   synthetic input, a virtual clock and window captures. Coordinates are client
   coordinates of the given window. Calls with a handle that is not a window do
   nothing and return 0. */
#ifndef QJXHTML_HOST_H
#define QJXHTML_HOST_H

#include "qjxhtml.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef intptr_t (*TQjxWndProc)(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);

typedef struct TQjxRect {
  int32_t Left, Top, Right, Bottom;
} TQjxRect;

/* Window messages a host commonly handles (the numbers of the usual window protocol). */
enum {
  QJX_WM_CREATE = 0x0001,
  QJX_WM_DESTROY = 0x0002,
  QJX_WM_SIZE = 0x0005,
  QJX_WM_CLOSE = 0x0010,
  QJX_WM_KEYDOWN = 0x0100,
  QJX_WM_KEYUP = 0x0101,
  QJX_WM_CHAR = 0x0102,
  QJX_WM_TIMER = 0x0113,
  QJX_WM_USER = 0x0400
};
/* Mouse buttons for the injection calls. */
enum { QJX_BUTTON_LEFT = 0, QJX_BUTTON_RIGHT = 1, QJX_BUTTON_MIDDLE = 2 };
/* A few virtual keys. */
enum { QJX_VK_BACK = 0x08, QJX_VK_CONTROL = 0x11, QJX_VK_ESCAPE = 0x1B };

/* A visible top-level window; Proc receives its messages (QjxDefWindowProc for the
   rest). Returns 0 on failure. */
QJX_EXPORT HWND QjxCreateHostWindow(const char* Title, int Width, int Height, TQjxWndProc Proc,
                                    void* UserData);
QJX_EXPORT void* QjxGetUserData(HWND Wnd);
/* The default handling, for windows of QjxCreateHostWindow only. Here and in
   QjxSendMessage and QjxPostMessage, a record or text buffer that a message points at
   must be readable (writable when the message fills it) for the size the message uses;
   the handler gets a copy. Messages only the window system sends (creation,
   destruction, painting, moves) cannot be sent or posted, and none that carries an
   address can be posted. A refused message answers 0 and says why in QjxLastError. */
QJX_EXPORT intptr_t QjxDefWindowProc(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);
QJX_EXPORT int QjxDestroyWindow(HWND Wnd);
QJX_EXPORT int QjxIsWindow(HWND Wnd);
QJX_EXPORT int QjxSetWindowSize(HWND Wnd, int Width, int Height);
QJX_EXPORT int QjxGetClientRect(HWND Wnd, TQjxRect* Rect);
QJX_EXPORT int QjxSetWindowTitle(HWND Wnd, const char* Title);
QJX_EXPORT intptr_t QjxSendMessage(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);
QJX_EXPORT int QjxPostMessage(HWND Wnd, unsigned Msg, uintptr_t wParam, intptr_t lParam);
/* Runs until QjxQuit (or until nothing can arrive any more); returns the exit code. */
QJX_EXPORT int QjxRunMessageLoop(void);
/* Handles everything pending now; 0 once a quit was met. */
QJX_EXPORT int QjxPumpMessages(void);
QJX_EXPORT void QjxQuit(int ExitCode);

/* 1 when no display is used (windows paint into memory only). */
QJX_EXPORT int QjxIsHeadless(void);
QJX_EXPORT void QjxMouseMove(HWND Wnd, int X, int Y);
QJX_EXPORT void QjxMouseDown(HWND Wnd, int Button, int X, int Y);
QJX_EXPORT void QjxMouseUp(HWND Wnd, int Button, int X, int Y);
QJX_EXPORT void QjxClick(HWND Wnd, int Button, int X, int Y);
QJX_EXPORT void QjxDoubleClick(HWND Wnd, int Button, int X, int Y);
/* Delta in 120ths of a notch; positive is away from the user. */
QJX_EXPORT void QjxMouseWheel(HWND Wnd, int Delta, int X, int Y);
QJX_EXPORT void QjxKeyDown(int VirtualKey);
QJX_EXPORT void QjxKeyUp(int VirtualKey);
/* A typed character as a Unicode code point (0 to 0x10FFFF; 128 to 255 are Latin-1, a
   negative value is a signed 8-bit character). A text field in UTF-8 takes any character;
   one in an 8-bit or double-byte code page takes what its page holds. */
QJX_EXPORT void QjxChar(int Ch);
/* Gives the keyboard focus to a window. */
QJX_EXPORT void QjxSetFocus(HWND Wnd);
/* Moves the virtual clock on (headless only); 0 otherwise. */
QJX_EXPORT int QjxAdvanceClock(unsigned Milliseconds);
/* Writes what the window shows as a PNG file; 0 on failure (see QjxLastError). */
QJX_EXPORT int QjxSaveWindowPng(HWND Wnd, const char* FileName);
/* Makes the faces of a font file available to documents by their family names, as if
   installed, for the rest of the process; 0 when the file cannot be read as a font (see
   QjxLastError). Add fonts before the first document that names them is shown. */
QJX_EXPORT int QjxAddFontFile(const char* FileName);
/* Queries and actions on the first viewer of a host window Wnd (the Wnd given to
   HVC_CREATE) that scripting hosts need besides the commands of HV_Proc. Each fails
   with -1 (0 for QjxViewerPrintPdf) and a reason in QjxLastError when Wnd has no
   viewer or the viewer is busy loading or printing. */
/* The height of the laid-out document in pixels. */
QJX_EXPORT int QjxViewerDocumentHeight(HWND Wnd);
/* Scrolls the document to Y (clamped to what can be scrolled); the position reached. */
QJX_EXPORT int QjxViewerScrollTo(HWND Wnd, int Y);
QJX_EXPORT int QjxViewerScrollPos(HWND Wnd);
QJX_EXPORT int QjxViewerSelectAll(HWND Wnd);
/* What QjxViewerText reads. */
enum { QJX_TEXT_TITLE = 0, QJX_TEXT_SELECTION = 1 };
/* Copies the text into Buffer (at most Size - 1 bytes and a terminating zero; Buffer may
   be null when Size is 0) and returns the full text's length in bytes. The selection is
   UTF-8, whatever the document's encoding (a character cut at the end of Buffer is left
   out whole). The title is in the encoding the viewer holds the document in: UTF-8 for a
   document whose characters fit no single code page (and for one whose character
   references name characters beyond its page), else that 8-bit or double-byte code page
   (Windows-1252 for western pages). */
QJX_EXPORT int QjxViewerText(HWND Wnd, int What, char* Buffer, int Size);
/* Paper sizes for QjxViewerPrintPdf. */
enum { QJX_PAPER_A4 = 0, QJX_PAPER_LETTER = 1 };
/* Prints pages FromPage to ToPage (from 1; ToPage 0: to the end) as a PDF file, without
   asking the host. Margins: left, top, right, bottom in centimetres (0 to 20), or null
   for 2 each. Returns the number of pages written; 0 when none was. */
QJX_EXPORT int QjxViewerPrintPdf(HWND Wnd, const char* FileName, int FromPage, int ToPage,
                                 const double* Margins, int Paper);
/* ---- Embedding in a toolkit ----
   In the embedded mode, windows paint into memory as without a display, but time is the
   real clock and the host drives the library from its own main loop: it arms a timer of
   its toolkit for QjxEmbedTimeout milliseconds and calls QjxEmbedDispatch when it fires
   (and after QjxPostMessage), shows each host window's pixels (QjxEmbedPixels) where the
   damage callback says they changed, and hands its input over with the calls below.
   Nothing in the library waits: QjxRunMessageLoop returns at once in this mode.
   Coordinates are client coordinates of a window of QjxCreateHostWindow. A drop-down
   list opens inside the picture of the window it belongs to, clipped to it. The calls
   that take a window fail with 0 for anything but a top-level window; every call fails
   with 0 outside the embedded mode; each failure says why in QjxLastError and changes
   nothing. */

/* Chooses the embedded mode; before the first window (1 when it already runs). */
QJX_EXPORT int QjxUseEmbeddedMode(void);
QJX_EXPORT int QjxIsEmbedded(void);
/* Milliseconds until the library has work to do: 0 now, -1 none until new input. */
QJX_EXPORT int QjxEmbedTimeout(void);
/* Runs what is due (messages, paints, timers); 0 once QjxQuit was called. */
QJX_EXPORT int QjxEmbedDispatch(void);

/* A window's pixels: 32-bit premultiplied ARGB in native byte order (cairo's
   CAIRO_FORMAT_ARGB32, Qt's QImage::Format_ARGB32_Premultiplied), all opaque. Stride is
   in bytes. The pointer holds until the next call into the library. */
typedef struct TQjxPixels {
  const void* Pixels;
  int32_t Width, Height, Stride;
} TQjxPixels;
QJX_EXPORT int QjxEmbedPixels(HWND Wnd, TQjxPixels* Pixels);

/* Told after the library handled input or due work: the part of Wnd's pixels that
   changed (one rectangle per window and dispatch). */
typedef void (*TQjxDamageProc)(HWND Wnd, const TQjxRect* Rect, void* UserData);
/* Cursors the pointer should show over Wnd. */
enum { QJX_CURSOR_ARROW = 0, QJX_CURSOR_HAND = 1, QJX_CURSOR_TEXT = 2, QJX_CURSOR_WAIT = 3 };
typedef void (*TQjxCursorProc)(HWND Wnd, int Cursor, void* UserData);
/* The toolkit's clipboard, UTF-8: Set puts text on it; Get returns its text (null or ""
   when it holds none), which must stay readable until the next call into the host. */
typedef void (*TQjxClipboardSetProc)(const char* Text, void* UserData);
typedef const char* (*TQjxClipboardGetProc)(void* UserData);
/* Null procedures stop the calls (without clipboard procedures the clipboard stays in
   the library). */
QJX_EXPORT int QjxEmbedSetDamageProc(TQjxDamageProc Proc, void* UserData);
QJX_EXPORT int QjxEmbedSetCursorProc(TQjxCursorProc Proc, void* UserData);
QJX_EXPORT int QjxEmbedSetClipboardProcs(TQjxClipboardSetProc Set, TQjxClipboardGetProc Get,
                                         void* UserData);

/* Input. Modifiers: the QJX_MOD_* keys held; Time: the event's time in the host's
   milliseconds (GDK's and Qt's event times), 0 for now; double clicks are timed by it. */
enum { QJX_MOD_SHIFT = 1, QJX_MOD_CONTROL = 2, QJX_MOD_ALT = 4 };
QJX_EXPORT int QjxEmbedMouseMove(HWND Wnd, double X, double Y, unsigned Modifiers,
                                 uint32_t Time);
/* Button: QJX_BUTTON_*; Pressed: 1 pressed, 0 released. */
QJX_EXPORT int QjxEmbedButton(HWND Wnd, int Button, int Pressed, double X, double Y,
                              unsigned Modifiers, uint32_t Time);
/* Scrolling in notches of a wheel, fractions for smooth scrolling: DY > 0 scrolls down
   (towards the end of the page), DX > 0 to the right, as GDK's deltas do (Qt's angle
   deltas are -delta / 120.0). */
QJX_EXPORT int QjxEmbedScroll(HWND Wnd, double DX, double DY, double X, double Y,
                              unsigned Modifiers, uint32_t Time);
/* A key by its virtual key (QjxKeysymToVirtualKey). The characters of Backspace, Tab,
   Enter and Escape follow their presses; the text of every other key comes through
   QjxEmbedText. */
QJX_EXPORT int QjxEmbedKey(HWND Wnd, int VirtualKey, int Pressed, unsigned Modifiers,
                           uint32_t Time);
/* Typed text, UTF-8 (what an input method commits). */
QJX_EXPORT int QjxEmbedText(HWND Wnd, const char* Text);
/* The host's widget gained (1) or lost (0) the keyboard focus. */
QJX_EXPORT int QjxEmbedFocus(HWND Wnd, int Focused);
/* The widget's new size; the window follows and repaints. */
QJX_EXPORT int QjxEmbedResize(HWND Wnd, int Width, int Height);
/* The virtual key of an X key symbol (GDK key values, Qt's nativeVirtualKey on X11 and
   Wayland); 0 for keys that only type text. Works in every mode. */
QJX_EXPORT int QjxKeysymToVirtualKey(uint32_t Keysym);

/* The message of the last failure of HV_Proc or of this interface, "" if none. */
QJX_EXPORT const char* QjxLastError(void);

#ifdef __cplusplus
}
#endif

#endif
