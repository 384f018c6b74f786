/* A GTK 4 program that shows a viewer inside a widget of its own: the library runs in
   its embedded mode, paints into memory, and this program shows the pixels, hands over
   its input and runs the library's timers from GLib's main loop. A header bar holds
   back and forward buttons and the page's title; links load their targets, forms print
   what they would send.

     cc qjxgtk.c $(pkg-config --cflags --libs gtk4 qjxhtml) -o qjxgtk
     ./qjxgtk page.html */
#include <gtk/gtk.h>
#include <stdio.h>
#include <string.h>

#include <qjxhtml.h>
#include <qjxhtml_host.h>

typedef struct {
  GtkWidget* window;
  GtkWidget* area;
  GtkWidget* title;
  GtkWidget* back;
  GtkWidget* forward;
  HWND host;
  guint timer;
  GPtrArray* history; /* absolute file names */
  guint at;           /* the page shown */
  char* clipboard;    /* the toolkit clipboard's text, kept for pastes */
} Viewer;

static Viewer viewer;

/* The library's next due work, on GLib's clock. */
static gboolean on_timer(gpointer data);
static void arm_timer(void) {
  int timeout = QjxEmbedTimeout();
  if (viewer.timer) g_source_remove(viewer.timer);
  viewer.timer = timeout >= 0 ? g_timeout_add((guint)timeout, on_timer, NULL) : 0;
}
static gboolean on_timer(gpointer data) {
  (void)data;
  viewer.timer = 0;
  QjxEmbedDispatch();
  arm_timer();
  return G_SOURCE_REMOVE;
}

/* Texts from the viewer are in its 8-bit code page. */
static char* from_viewer(const char* text) {
  char* utf8 = g_convert(text, -1, "UTF-8", "WINDOWS-1252", NULL, NULL, NULL);
  return utf8 ? utf8 : g_strdup(text);
}

static void show_title(void) {
  char title[512];
  QjxViewerText(viewer.host, QJX_TEXT_TITLE, title, sizeof title);
  char* utf8 = from_viewer(title[0] ? title : g_path_get_basename(g_ptr_array_index(viewer.history, viewer.at)));
  gtk_label_set_text(GTK_LABEL(viewer.title), utf8);
  gtk_window_set_title(GTK_WINDOW(viewer.window), utf8);
  g_free(utf8);
  gtk_widget_set_sensitive(viewer.back, viewer.at > 0);
  gtk_widget_set_sensitive(viewer.forward, viewer.at + 1 < viewer.history->len);
}

static void load(const char* file) {
  if (!HV_Proc(HVC_LOADFILE, viewer.host, (intptr_t)file)) {
    fprintf(stderr, "qjxgtk: cannot load %s: %s\n", file, QjxLastError());
    return;
  }
  printf("loaded %s\n", file);
  fflush(stdout);
  show_title();
  arm_timer();
}

static void go(int step) {
  if ((step < 0 && viewer.at == 0) || (step > 0 && viewer.at + 1 >= viewer.history->len)) return;
  viewer.at += step;
  load(g_ptr_array_index(viewer.history, viewer.at));
}
static void on_back(GtkButton* b, gpointer d) { (void)b; (void)d; go(-1); }
static void on_forward(GtkButton* b, gpointer d) { (void)b; (void)d; go(1); }

/* A link to another file: loaded once the viewer's message is answered. */
static gboolean follow(gpointer data) {
  char* file = data;
  while (viewer.history->len > viewer.at + 1) g_ptr_array_remove_index(viewer.history, viewer.history->len - 1);
  g_ptr_array_add(viewer.history, file);
  viewer.at = viewer.history->len - 1;
  load(file);
  return G_SOURCE_REMOVE;
}

static intptr_t host_proc(HWND wnd, unsigned msg, uintptr_t wparam, intptr_t lparam) {
  switch (msg) {
    case QJX_WM_SIZE:
      HV_Proc(HVC_RESIZE, wnd, 0);
      return 0;
    case HVM_HOTSPOTCLICK: {
      const char* url = (const char*)wparam;
      if (url[0] == '#') return 1; /* the viewer scrolls to the anchor */
      if (strstr(url, "://") && strncmp(url, "file://", 7) != 0) {
        printf("link %s\n", url);
        fflush(stdout);
        return 0;
      }
      const char* path = strncmp(url, "file://", 7) == 0 ? url + 7 : url;
      char* dir = g_path_get_dirname(g_ptr_array_index(viewer.history, viewer.at));
      char* file = g_path_is_absolute(path) ? g_strdup(path) : g_build_filename(dir, path, NULL);
      char* hash = strchr(file, '#');
      if (hash) *hash = 0;
      g_free(dir);
      g_idle_add(follow, file);
      return 0;
    }
    case HVM_FORMSUBMIT: {
      const THVFormSubmit* form = (const THVFormSubmit*)wparam;
      printf("submit %s %s", form->Method, form->Action);
      for (int i = 0; i < form->Count; ++i) {
        char* pair = from_viewer(form->Pairs[i]);
        printf(" %s", pair);
        g_free(pair);
      }
      printf("\n");
      fflush(stdout);
      return 0;
    }
    default:
      return QjxDefWindowProc(wnd, msg, wparam, lparam);
  }
}

/* ---- What the library calls ---- */

static void on_damage(HWND wnd, const TQjxRect* rect, void* data) {
  (void)wnd; (void)rect; (void)data;
  /* GTK 4 draws a widget whole; the damage only says that it must. */
  gtk_widget_queue_draw(viewer.area);
}

static void on_cursor(HWND wnd, int cursor, void* data) {
  static const char* names[] = {"default", "pointer", "text", "wait"};
  (void)wnd; (void)data;
  gtk_widget_set_cursor_from_name(viewer.area, names[cursor >= 0 && cursor <= 3 ? cursor : 0]);
}

static void read_clipboard(GObject* source, GAsyncResult* result, gpointer data) {
  (void)data;
  char* text = gdk_clipboard_read_text_finish(GDK_CLIPBOARD(source), result, NULL);
  g_free(viewer.clipboard);
  viewer.clipboard = text;
}
static void on_clipboard_changed(GdkClipboard* clipboard, gpointer data) {
  (void)data;
  gdk_clipboard_read_text_async(clipboard, NULL, read_clipboard, NULL);
}
static void set_clipboard(const char* text, void* data) {
  (void)data;
  gdk_clipboard_set_text(gtk_widget_get_clipboard(viewer.area), text);
  g_free(viewer.clipboard);
  viewer.clipboard = g_strdup(text);
}
/* GTK reads the clipboard asynchronously: a paste takes what it held when it last changed. */
static const char* get_clipboard(void* data) {
  (void)data;
  return viewer.clipboard;
}

/* ---- Drawing and input ---- */

static void draw(GtkDrawingArea* area, cairo_t* cr, int width, int height, gpointer data) {
  TQjxPixels pixels;
  (void)area; (void)width; (void)height; (void)data;
  if (!QjxEmbedPixels(viewer.host, &pixels) || !pixels.Pixels) return;
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      (unsigned char*)pixels.Pixels, CAIRO_FORMAT_ARGB32, pixels.Width, pixels.Height, pixels.Stride);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_surface_destroy(surface);
}

/* Where the viewer's pixels stand in the toplevel's X window, for scripts that drive
   this program with synthetic input. */
static gboolean report_area(gpointer data) {
  double x = 0, y = 0, sx = 0, sy = 0;
  (void)data;
  gtk_widget_translate_coordinates(viewer.area, viewer.window, 0, 0, &x, &y);
  gtk_native_get_surface_transform(GTK_NATIVE(viewer.window), &sx, &sy);
  printf("area %d %d %d %d\n", (int)(x + sx), (int)(y + sy), gtk_widget_get_width(viewer.area),
         gtk_widget_get_height(viewer.area));
  fflush(stdout);
  return G_SOURCE_REMOVE;
}

static void on_resize(GtkDrawingArea* area, int width, int height, gpointer data) {
  (void)area; (void)data;
  QjxEmbedResize(viewer.host, width, height);
  arm_timer();
  g_idle_add(report_area, NULL);
}

static unsigned modifiers(GtkEventController* controller) {
  GdkModifierType state = gtk_event_controller_get_current_event_state(controller);
  return (state & GDK_SHIFT_MASK ? QJX_MOD_SHIFT : 0) | (state & GDK_CONTROL_MASK ? QJX_MOD_CONTROL : 0) |
         (state & GDK_ALT_MASK ? QJX_MOD_ALT : 0);
}
#define EVENT_TIME(c) gtk_event_controller_get_current_event_time(GTK_EVENT_CONTROLLER(c))

static void on_motion(GtkEventControllerMotion* c, double x, double y, gpointer data) {
  (void)data;
  QjxEmbedMouseMove(viewer.host, x, y, modifiers(GTK_EVENT_CONTROLLER(c)), EVENT_TIME(c));
  arm_timer();
}

static int button_of(GtkGesture* gesture) {
  guint button = gtk_gesture_single_get_current_button(GTK_GESTURE_SINGLE(gesture));
  return button == GDK_BUTTON_SECONDARY ? QJX_BUTTON_RIGHT
         : button == GDK_BUTTON_MIDDLE  ? QJX_BUTTON_MIDDLE
                                        : QJX_BUTTON_LEFT;
}
static void on_pressed(GtkGestureClick* g, int n, double x, double y, gpointer data) {
  (void)n; (void)data;
  gtk_widget_grab_focus(viewer.area);
  QjxEmbedButton(viewer.host, button_of(GTK_GESTURE(g)), 1, x, y, modifiers(GTK_EVENT_CONTROLLER(g)),
                 EVENT_TIME(g));
  arm_timer();
}
static void on_released(GtkGestureClick* g, int n, double x, double y, gpointer data) {
  (void)n; (void)data;
  QjxEmbedButton(viewer.host, button_of(GTK_GESTURE(g)), 0, x, y, modifiers(GTK_EVENT_CONTROLLER(g)),
                 EVENT_TIME(g));
  arm_timer();
}

static double pointer_x, pointer_y;
static void on_pointer(GtkEventControllerMotion* c, double x, double y, gpointer data) {
  (void)c; (void)data;
  pointer_x = x;
  pointer_y = y;
}
static gboolean on_scroll(GtkEventControllerScroll* c, double dx, double dy, gpointer data) {
  (void)data;
  QjxEmbedScroll(viewer.host, dx, dy, pointer_x, pointer_y, modifiers(GTK_EVENT_CONTROLLER(c)),
                 EVENT_TIME(c));
  arm_timer();
  return TRUE;
}

static gboolean on_key(GtkEventControllerKey* c, guint keyval, guint keycode, GdkModifierType state,
                       gpointer pressed) {
  (void)keycode;
  int key = QjxKeysymToVirtualKey(keyval);
  if (!key) return FALSE;
  if ((state & GDK_ALT_MASK) && (keyval == GDK_KEY_Left || keyval == GDK_KEY_Right)) {
    if (GPOINTER_TO_INT(pressed)) go(keyval == GDK_KEY_Left ? -1 : 1);
    return TRUE;
  }
  QjxEmbedKey(viewer.host, key, GPOINTER_TO_INT(pressed), modifiers(GTK_EVENT_CONTROLLER(c)), EVENT_TIME(c));
  arm_timer();
  return TRUE;
}
static gboolean on_key_pressed(GtkEventControllerKey* c, guint v, guint k, GdkModifierType s, gpointer d) {
  (void)d;
  return on_key(c, v, k, s, GINT_TO_POINTER(1));
}
static void on_key_released(GtkEventControllerKey* c, guint v, guint k, GdkModifierType s, gpointer d) {
  (void)d;
  on_key(c, v, k, s, GINT_TO_POINTER(0));
}
static void on_commit(GtkIMContext* im, const char* text, gpointer data) {
  (void)im; (void)data;
  QjxEmbedText(viewer.host, text);
  arm_timer();
}

static void on_focus_in(GtkEventControllerFocus* c, gpointer d) { (void)c; (void)d; QjxEmbedFocus(viewer.host, 1); arm_timer(); }
static void on_focus_out(GtkEventControllerFocus* c, gpointer d) { (void)c; (void)d; QjxEmbedFocus(viewer.host, 0); arm_timer(); }

static void add_input(GtkWidget* area) {
  GtkEventController* motion = gtk_event_controller_motion_new();
  g_signal_connect(motion, "motion", G_CALLBACK(on_motion), NULL);
  g_signal_connect(motion, "motion", G_CALLBACK(on_pointer), NULL);
  g_signal_connect(motion, "enter", G_CALLBACK(on_pointer), NULL);
  gtk_widget_add_controller(area, motion);

  GtkGesture* click = gtk_gesture_click_new();
  gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(click), 0); /* every button */
  g_signal_connect(click, "pressed", G_CALLBACK(on_pressed), NULL);
  g_signal_connect(click, "released", G_CALLBACK(on_released), NULL);
  gtk_widget_add_controller(area, GTK_EVENT_CONTROLLER(click));

  GtkEventController* scroll = gtk_event_controller_scroll_new(GTK_EVENT_CONTROLLER_SCROLL_BOTH_AXES);
  g_signal_connect(scroll, "scroll", G_CALLBACK(on_scroll), NULL);
  gtk_widget_add_controller(area, scroll);

  GtkEventController* keys = gtk_event_controller_key_new();
  GtkIMContext* im = gtk_im_multicontext_new();
  gtk_event_controller_key_set_im_context(GTK_EVENT_CONTROLLER_KEY(keys), im);
  g_signal_connect(im, "commit", G_CALLBACK(on_commit), NULL);
  g_signal_connect(keys, "key-pressed", G_CALLBACK(on_key_pressed), NULL);
  g_signal_connect(keys, "key-released", G_CALLBACK(on_key_released), NULL);
  gtk_widget_add_controller(area, keys);

  GtkEventController* focus = gtk_event_controller_focus_new();
  g_signal_connect(focus, "enter", G_CALLBACK(on_focus_in), NULL);
  g_signal_connect(focus, "leave", G_CALLBACK(on_focus_out), NULL);
  gtk_widget_add_controller(area, focus);
}

static void on_close(GtkWindow* window, gpointer loop) {
  (void)window;
  g_main_loop_quit(loop);
}

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: qjxgtk FILE.html\n");
    return 2;
  }
  gtk_init();
  if (!QjxUseEmbeddedMode() || HV_Proc(HVC_INIT, NULL, 0) != -1) {
    fprintf(stderr, "qjxgtk: the library did not start: %s\n", QjxLastError());
    return 1;
  }
  QjxEmbedSetDamageProc(on_damage, NULL);
  QjxEmbedSetCursorProc(on_cursor, NULL);
  QjxEmbedSetClipboardProcs(set_clipboard, get_clipboard, NULL);

  GtkWidget* window = viewer.window = gtk_window_new();
  gtk_window_set_default_size(GTK_WINDOW(window), 800, 600);
  GtkWidget* bar = gtk_header_bar_new();
  viewer.back = gtk_button_new_from_icon_name("go-previous-symbolic");
  viewer.forward = gtk_button_new_from_icon_name("go-next-symbolic");
  g_signal_connect(viewer.back, "clicked", G_CALLBACK(on_back), NULL);
  g_signal_connect(viewer.forward, "clicked", G_CALLBACK(on_forward), NULL);
  gtk_header_bar_pack_start(GTK_HEADER_BAR(bar), viewer.back);
  gtk_header_bar_pack_start(GTK_HEADER_BAR(bar), viewer.forward);
  viewer.title = gtk_label_new("");
  gtk_header_bar_set_title_widget(GTK_HEADER_BAR(bar), viewer.title);
  gtk_window_set_titlebar(GTK_WINDOW(window), bar);

  viewer.area = gtk_drawing_area_new();
  gtk_widget_set_focusable(viewer.area, TRUE);
  gtk_widget_set_hexpand(viewer.area, TRUE);
  gtk_widget_set_vexpand(viewer.area, TRUE);
  gtk_drawing_area_set_draw_func(GTK_DRAWING_AREA(viewer.area), draw, NULL, NULL);
  g_signal_connect(viewer.area, "resize", G_CALLBACK(on_resize), NULL);
  add_input(viewer.area);
  gtk_window_set_child(GTK_WINDOW(window), viewer.area);
  g_signal_connect(gtk_widget_get_clipboard(viewer.area), "changed", G_CALLBACK(on_clipboard_changed), NULL);

  viewer.host = QjxCreateHostWindow("qjxgtk", 800, 600, host_proc, NULL);
  if (!viewer.host || !HV_Proc(HVC_CREATE, viewer.host, 0)) {
    fprintf(stderr, "qjxgtk: no viewer: %s\n", QjxLastError());
    return 1;
  }
  HV_Proc(HVC_RESIZE, viewer.host, 0);
  viewer.history = g_ptr_array_new_with_free_func(g_free);
  char* file = g_canonicalize_filename(argv[1], NULL);
  g_ptr_array_add(viewer.history, file);
  load(file);

  GMainLoop* loop = g_main_loop_new(NULL, FALSE);
  g_signal_connect(window, "destroy", G_CALLBACK(on_close), loop);
  gtk_window_present(GTK_WINDOW(window));
  gtk_widget_grab_focus(viewer.area);
  g_main_loop_run(loop);

  HV_Proc(HVC_DONE, NULL, 0);
  QjxDestroyWindow(viewer.host);
  return 0;
}
