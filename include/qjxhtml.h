/* The host interface of libqjxhtml.so: one entry, HV_Proc, through which a host
   creates HTML viewers inside its own windows and drives them, and the messages the
   viewers send back to those host windows. Plain C; every argument, message
   parameter and record address is pointer-sized. */
#ifndef QJXHTML_H
#define QJXHTML_H

#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define QJX_EXPORT __attribute__((visibility("default")))
#else
#define QJX_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
struct THandleTag;
typedef THandleTag* HWND;
#else
/* An opaque window handle; a stale or made-up one is harmless. */
typedef struct THandleTag* HWND;
#endif

/* Commands (the Cmd of HV_Proc). */
enum {
  HVC_INIT = 100,           /* create the registry; -1 when it exists afterwards */
  HVC_DONE = 101,           /* free the registry, every viewer with it */
  HVC_CREATE = 102,         /* a viewer in Wnd; its window handle, 0 if Wnd is no window */
  HVC_DESTROY = 103,        /* destroy the first viewer of Wnd */
  HVC_LOADFILE = 104,       /* Arg: file name (bytes as the file system names it); load
                               into every viewer of Wnd; 1 if found */
  HVC_RESIZE = 105,         /* fit the first viewer to Wnd's client area */
  HVC_LOADBUFFER = 106,     /* Arg: THVBuffer*; load the HTML it holds */
  HVC_SELLENGTH = 107,      /* the selection's length; 1 when Wnd has no viewer */
  HVC_COPY = 108,           /* copy the selection to the clipboard and collapse it */
  HVC_PRINT = 109,          /* ask the host (1129) and print */
  HVC_SCROLLTOANCHOR = 110  /* Arg: anchor name, in the document's encoding (below) */
};

/* Messages a viewer sends (synchronously) to its host window. */
enum {
  HVM_DBLCLICK = 1124,      /* wParam: the selected word in UTF-8 (at most 1024 bytes) */
  HVM_HOTSPOTCLICK = 1125,  /* wParam: link SRC, in the document's encoding; non-zero
                               answer scrolls to it as an anchor */
  HVM_IMAGEREQUEST = 1126,  /* wParam: image SRC, in the document's encoding; answer:
                               THVBuffer* or 0 (file fallback) */
  HVM_IMAGEDONE = 1127,     /* the answered data was copied; the host may release it */
  HVM_FOCUS = 1128,         /* the viewer received the keyboard focus */
  HVM_PRINTREQUEST = 1129,  /* wParam: page count; lParam: THVPrintRequest* (the header
                               and footer are drawn as Windows-1252); 0: no print */
  HVM_PRINTDONE = 1130,     /* after 1129 and any printing */
  HVM_PRINTPAGE = 1131,     /* wParam: page number; 0 answer stops after this page */
  HVM_RIGHTCLICK = 1132,    /* wParam: THVRightClick* (encodings at its fields) */
  HVM_OBJECTCLICK = 1133,   /* wParam: click text or ALT text, in the document's encoding;
                               lParam: HVO_CONTROL or HVO_IMAGE */
  HVM_FORMSUBMIT = 1134     /* wParam: THVFormSubmit*, its texts in the document's
                               encoding; sent after the input that submitted */
};

/* What an HVM_OBJECTCLICK reports a click on (its lParam). */
enum { HVO_CONTROL = 0, HVO_IMAGE = 2 };

/* Texts a host receives. Selected text and words (HVM_DBLCLICK, THVRightClick's Word and
   SelText, QjxViewerText's selection, the clipboard) are UTF-8 for every document. Texts
   taken from the markup (link addresses and targets, ALT and click texts, form actions
   and pairs, the title) are in the encoding the viewer holds the document in: UTF-8 for
   a document whose characters fit no single code page, else its 8-bit or double-byte
   code page. A host percent-encodes form pairs byte by byte, so a UTF-8 document submits
   UTF-8. */

/* Most bytes a text buffer of a viewer holds, the terminating zero excluded. */
#define HV_TEXT_MAX 1024

/* HTML data for HVC_LOADBUFFER, and the host's answer to HVM_IMAGEREQUEST. */
typedef struct THVBuffer {
  const void* Data;
  intptr_t Size; /* bytes */
} THVBuffer;

/* Read and written by the host while it handles HVM_PRINTREQUEST. The three text
   fields point at the viewer's own buffers of HV_TEXT_MAX + 1 characters. */
typedef struct THVPrintRequest {
  char* HeaderText;
  char* FooterText;
  int32_t FromPage;
  int32_t ToPage;
  int32_t Copies; /* 0 or less prints nothing */
  char* PrinterName;
  uint8_t Orientation; /* 1 portrait, 2 landscape */
} THVPrintRequest;

/* Sent with HVM_RIGHTCLICK; valid only during the call. */
typedef struct THVRightClick {
  const char* Word;    /* word under the mouse in UTF-8, "" if none */
  const char* SelText; /* selected text in UTF-8, "" if none */
  int32_t X, Y;        /* viewer client coordinates */
  const char* URL;     /* address of the link under the mouse, "" if none (document's encoding) */
  const char* Target;  /* that link's target frame, "" if none (document's encoding) */
} THVRightClick;

/* Sent with HVM_FORMSUBMIT; valid only during the call. The pairs stand as the
   controls hold them ("name=value", in document order, the pressed button's last):
   joining, encoding and choosing GET or POST are the host's business. */
typedef struct THVFormSubmit {
  const char* Action;  /* the form's ACTION, "" if none */
  const char* Target;
  const char* EncType;
  const char* Method;
  int32_t Count;
  const char* const* Pairs;
} THVFormSubmit;

/* The entry. Commands other than 100..110, commands before 100 and unreadable
   addresses in Arg do nothing and return 0. */
QJX_EXPORT intptr_t HV_Proc(int Cmd, HWND Wnd, intptr_t Arg);

#ifdef __cplusplus
}
#endif

#endif
