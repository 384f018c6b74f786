/* A host for the library: a window with one viewer showing a document. Links to local
   files are followed (right click goes back), images are read from files next to the
   document, printing asks for all pages once. Without a display the document is
   rendered into a PNG file and the program ends. */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "qjxhtml.h"
#include "qjxhtml_host.h"

#ifndef QJXDEMO_LIBRARY
#define QJXDEMO_LIBRARY "libqjxhtml.so"
#endif

static const char Usage[] =
    "usage: qjxdemo FILE.html [--png OUT.png] [--width W] [--height H]\n"
    "Shows the document in a window; links to local files are followed and a right click goes\n"
    "back. Without a display, or with --png, writes the picture (default tour.png) and ends.\n";

enum { MSG_OPEN = QJX_WM_USER + 1, MSG_BACK = QJX_WM_USER + 2 };
enum { MAX_PATH_TEXT = 4096, MAX_HISTORY = 32 };

/* The library's entries. */
static struct {
  intptr_t (*Proc)(int, HWND, intptr_t);
  HWND (*CreateHostWindow)(const char*, int, int, TQjxWndProc, void*);
  intptr_t (*DefWindowProc)(HWND, unsigned, uintptr_t, intptr_t);
  int (*DestroyWindow)(HWND);
  int (*SetWindowTitle)(HWND, const char*);
  int (*PostMessage)(HWND, unsigned, uintptr_t, intptr_t);
  int (*RunMessageLoop)(void);
  int (*PumpMessages)(void);
  void (*Quit)(int);
  int (*IsHeadless)(void);
  int (*SaveWindowPng)(HWND, const char*);
  const char* (*LastError)(void);
} Lib;

static char Current[MAX_PATH_TEXT];
static char History[MAX_HISTORY][MAX_PATH_TEXT];
static int HistoryCount;
static char Pending[MAX_PATH_TEXT];
static THVBuffer ImageRecord;

static int LoadLibrary(void) {
  const char* name = getenv("QJXHTML_LIBRARY");
  void* lib = dlopen(name && *name ? name : QJXDEMO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    fprintf(stderr, "qjxdemo: %s\n", dlerror());
    return 0;
  }
#define ENTRY(field, symbol)                                              \
  *(void**)&Lib.field = dlsym(lib, symbol);                               \
  if (!Lib.field) {                                                       \
    fprintf(stderr, "qjxdemo: the library has no %s\n", symbol);          \
    return 0;                                                             \
  }
  ENTRY(Proc, "HV_Proc")
  ENTRY(CreateHostWindow, "QjxCreateHostWindow")
  ENTRY(DefWindowProc, "QjxDefWindowProc")
  ENTRY(DestroyWindow, "QjxDestroyWindow")
  ENTRY(SetWindowTitle, "QjxSetWindowTitle")
  ENTRY(PostMessage, "QjxPostMessage")
  ENTRY(RunMessageLoop, "QjxRunMessageLoop")
  ENTRY(PumpMessages, "QjxPumpMessages")
  ENTRY(Quit, "QjxQuit")
  ENTRY(IsHeadless, "QjxIsHeadless")
  ENTRY(SaveWindowPng, "QjxSaveWindowPng")
  ENTRY(LastError, "QjxLastError")
#undef ENTRY
  return 1;
}

/* Resolves name against the folder of the current document into out. */
static void Resolve(const char* name, char* out, size_t size) {
  const char* slash;
  if (strncmp(name, "file://", 7) == 0) name += 7;
  slash = strrchr(Current, '/');
  if (name[0] == '/' || !slash) {
    snprintf(out, size, "%s", name);
  } else {
    snprintf(out, size, "%.*s/%s", (int)(slash - Current), Current, name);
  }
}

static int IsLocal(const char* src) {
  return strstr(src, "://") == NULL || strncmp(src, "file://", 7) == 0;
}

static int Open(HWND wnd, const char* target) {
  char file[MAX_PATH_TEXT];
  const char* hash = strchr(target, '#');
  snprintf(file, sizeof file, "%.*s", hash ? (int)(hash - target) : (int)strlen(target), target);
  if (!Lib.Proc(HVC_LOADFILE, wnd, (intptr_t)file)) {
    fprintf(stderr, "qjxdemo: cannot open %s %s\n", file, Lib.LastError());
    return 0;
  }
  snprintf(Current, sizeof Current, "%s", file);
  Lib.SetWindowTitle(wnd, Current);
  if (hash && hash[1]) Lib.Proc(HVC_SCROLLTOANCHOR, wnd, (intptr_t)(hash + 1));
  return 1;
}

static void ReleaseImage(void) {
  free((void*)ImageRecord.Data);
  ImageRecord.Data = NULL;
  ImageRecord.Size = 0;
}

/* The image's bytes read from a file next to the document, or 0 for the library's own
   fallback. */
static intptr_t AnswerImage(const char* src) {
  char file[MAX_PATH_TEXT];
  FILE* f;
  long size;
  void* data;
  if (!IsLocal(src)) return 0;
  Resolve(src, file, sizeof file);
  f = fopen(file, "rb");
  if (!f) return 0;
  data = NULL;
  if (fseek(f, 0, SEEK_END) == 0 && (size = ftell(f)) > 0 && fseek(f, 0, SEEK_SET) == 0 &&
      (data = malloc((size_t)size)) != NULL && fread(data, 1, (size_t)size, f) == (size_t)size) {
    ReleaseImage();
    ImageRecord.Data = data;
    ImageRecord.Size = size;
    fclose(f);
    return (intptr_t)&ImageRecord;
  }
  free(data);
  fclose(f);
  return 0;
}

static intptr_t HostProc(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  switch (msg) {
    case QJX_WM_SIZE:
      Lib.Proc(HVC_RESIZE, wnd, 0);
      return 0;
    case QJX_WM_DESTROY:
      Lib.Quit(0);
      return 0;
    case HVM_HOTSPOTCLICK: {
      const char* src = (const char*)wParam;
      if (src[0] == '#') return 1; /* an anchor of this document */
      if (!IsLocal(src)) return 0;
      /* Loading now would replace the document under the click being handled. */
      Resolve(src, Pending, sizeof Pending);
      Lib.PostMessage(wnd, MSG_OPEN, 0, 0);
      return 0;
    }
    case MSG_OPEN: {
      char previous[MAX_PATH_TEXT];
      snprintf(previous, sizeof previous, "%s", Current);
      if (Open(wnd, Pending)) {
        if (HistoryCount == MAX_HISTORY) {
          memmove(History[0], History[1], sizeof History[0] * (MAX_HISTORY - 1));
          --HistoryCount;
        }
        snprintf(History[HistoryCount++], MAX_PATH_TEXT, "%s", previous);
      }
      return 0;
    }
    case HVM_RIGHTCLICK:
      Lib.PostMessage(wnd, MSG_BACK, 0, 0);
      return 0;
    case QJX_WM_KEYDOWN:
      if (wParam == QJX_VK_BACK) Lib.PostMessage(wnd, MSG_BACK, 0, 0);
      return 0;
    case MSG_BACK:
      if (HistoryCount > 0) Open(wnd, History[--HistoryCount]);
      return 0;
    case HVM_IMAGEREQUEST:
      return AnswerImage((const char*)wParam);
    case HVM_IMAGEDONE:
      ReleaseImage();
      return 0;
    case HVM_PRINTREQUEST: {
      THVPrintRequest* request = (THVPrintRequest*)lParam;
      if (wParam == 0) return 0;
      request->FromPage = 1;
      request->ToPage = (int32_t)wParam;
      request->Copies = 1;
      request->Orientation = 1;
      snprintf(request->FooterText, HV_TEXT_MAX + 1, "%.1000s", Current);
      return 1;
    }
    case HVM_PRINTPAGE:
      return 1;
    case HVM_FORMSUBMIT: {
      /* The demo has no server to send forms to: it shows what would be sent. */
      const THVFormSubmit* form = (const THVFormSubmit*)wParam;
      int32_t k;
      printf("form %s %s:", form->Method[0] ? form->Method : "GET",
             form->Action[0] ? form->Action : "(no action)");
      for (k = 0; k < form->Count; ++k) printf(" %s", form->Pairs[k]);
      printf("\n");
      fflush(stdout);
      return 0;
    }
    default:
      return Lib.DefWindowProc(wnd, msg, wParam, lParam);
  }
}

int main(int argc, char** argv) {
  const char* document = NULL;
  const char* png = NULL;
  int width = 800, height = 600, i, code;
  HWND wnd;
  for (i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--help") == 0) {
      printf("%s", Usage);
      return 0;
    } else if (strcmp(argv[i], "--version") == 0) {
      printf("qjxdemo %s\n", QJX_VERSION);
      return 0;
    } else if (strcmp(argv[i], "--png") == 0 && i + 1 < argc) png = argv[++i];
    else if (strcmp(argv[i], "--width") == 0 && i + 1 < argc) width = atoi(argv[++i]);
    else if (strcmp(argv[i], "--height") == 0 && i + 1 < argc) height = atoi(argv[++i]);
    else if (argv[i][0] == '-' || document) {
      fprintf(stderr, "qjxdemo: unexpected %s (see qjxdemo --help)\n", argv[i]);
      return 2;
    } else document = argv[i];
  }
  if (!document) {
    fprintf(stderr, "qjxdemo: no file given (see qjxdemo --help)\n");
    return 2;
  }
  if (!LoadLibrary()) return 1;
  if (Lib.Proc(HVC_INIT, NULL, 0) != -1) {
    fprintf(stderr, "qjxdemo: the library did not start\n");
    return 1;
  }
  wnd = Lib.CreateHostWindow(document, width, height, HostProc, NULL);
  if (!wnd || !Lib.Proc(HVC_CREATE, wnd, 0)) {
    fprintf(stderr, "qjxdemo: no window %s\n", Lib.LastError());
    code = 1;
  } else {
    Lib.Proc(HVC_RESIZE, wnd, 0);
    if (!Open(wnd, document)) {
      code = 1;
    } else if (Lib.IsHeadless() || png) {
      /* Render once and keep the picture. */
      if (!png) png = "tour.png";
      Lib.PumpMessages();
      code = Lib.SaveWindowPng(wnd, png) ? 0 : 1;
      if (code) fprintf(stderr, "qjxdemo: %s\n", Lib.LastError());
      else printf("wrote %s\n", png);
    } else {
      code = Lib.RunMessageLoop();
    }
  }
  Lib.Proc(HVC_DONE, NULL, 0);
  /* Closed already when the loop ended; destroying a closed window does nothing. */
  Lib.DestroyWindow(wnd);
  ReleaseImage();
  return code;
}
