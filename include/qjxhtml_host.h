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
   be null when Size is 0) and returns the full text's length in bytes. The text is in the
   8-bit code page the viewer holds the document in (Windows-1252 for western pages), as
   the texts of the viewer's messages are. */
QJX_EXPORT int QjxViewerText(HWND Wnd, int What, char* Buffer, int Size);
/* Paper sizes for QjxViewerPrintPdf. */
enum { QJX_PAPER_A4 = 0, QJX_PAPER_LETTER = 1 };
/* Prints pages FromPage to ToPage (from 1; ToPage 0: to the end) as a PDF file, without
   asking the host. Margins: left, top, right, bottom in centimetres (0 to 20), or null
   for 2 each. Returns the number of pages written; 0 when none was. */
QJX_EXPORT int QjxViewerPrintPdf(HWND Wnd, const char* FileName, int FromPage, int ToPage,
                                 const double* Margins, int Paper);
/* The message of the last failure of HV_Proc or of this interface, "" if none. */
QJX_EXPORT const char* QjxLastError(void);

#ifdef __cplusplus
}
#endif

#endif
