/* A host in plain C that finds the library through pkg-config. It makes a window with
   one viewer, loads a document and writes what the window shows as a PNG file, without
   a display.

     cc render.c $(pkg-config --cflags --libs qjxhtml) -o render
     ./render page.html page.png */
#include <stdio.h>
#include <stdlib.h>

#include <qjxhtml.h>
#include <qjxhtml_host.h>

int main(int argc, char** argv) {
  HWND wnd;
  int saved;
  if (argc != 3) {
    fprintf(stderr, "usage: render FILE.html OUT.png\n");
    return 2;
  }
  setenv("QJX_BACKEND", "headless", 1); /* windows paint into memory only */
  if (HV_Proc(HVC_INIT, NULL, 0) != -1) {
    fprintf(stderr, "render: the library did not start: %s\n", QjxLastError());
    return 1;
  }
  wnd = QjxCreateHostWindow(argv[1], 640, 480, QjxDefWindowProc, NULL);
  if (!wnd || !HV_Proc(HVC_CREATE, wnd, 0)) {
    fprintf(stderr, "render: no viewer: %s\n", QjxLastError());
    return 1;
  }
  HV_Proc(HVC_RESIZE, wnd, 0); /* the viewer fills the window's client area */
  if (!HV_Proc(HVC_LOADFILE, wnd, (intptr_t)argv[1])) {
    fprintf(stderr, "render: cannot load %s: %s\n", argv[1], QjxLastError());
    return 1;
  }
  QjxPumpMessages(); /* layout and paint */
  saved = QjxSaveWindowPng(wnd, argv[2]);
  if (!saved) fprintf(stderr, "render: %s\n", QjxLastError());
  HV_Proc(HVC_DONE, NULL, 0);
  QjxDestroyWindow(wnd);
  return saved ? 0 : 1;
}
