#include "viewer_widget.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cstdio>

namespace {

// Texts from the viewer are in its 8-bit code page, Windows-1252.
QString FromViewer(const char* text) {
  static const char16_t high[32] = {
      0x20AC, 0x81, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x8D, 0x017D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D, 0x017E, 0x0178};
  QString result;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    result += QChar(*p >= 0x80 && *p < 0xA0 ? high[*p - 0x80] : char16_t(*p));
  return result;
}

unsigned Modifiers(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? QJX_MOD_SHIFT : 0) | (m & Qt::ControlModifier ? QJX_MOD_CONTROL : 0) |
         (m & Qt::AltModifier ? QJX_MOD_ALT : 0);
}

int ButtonOf(Qt::MouseButton b) {
  return b == Qt::RightButton ? QJX_BUTTON_RIGHT : b == Qt::MiddleButton ? QJX_BUTTON_MIDDLE : QJX_BUTTON_LEFT;
}

void OnDamage(HWND wnd, const TQjxRect* r, void*) {
  if (auto* widget = static_cast<TViewerWidget*>(QjxGetUserData(wnd)))
    widget->update(QRect(r->Left, r->Top, r->Right - r->Left, r->Bottom - r->Top));
}

void OnCursor(HWND wnd, int cursor, void*) {
  auto* widget = static_cast<TViewerWidget*>(QjxGetUserData(wnd));
  if (!widget) return;
  const Qt::CursorShape shapes[] = {Qt::ArrowCursor, Qt::PointingHandCursor, Qt::IBeamCursor,
                                    Qt::WaitCursor};
  widget->setCursor(shapes[cursor >= 0 && cursor <= 3 ? cursor : 0]);
}

void SetClipboard(const char* text, void*) { QGuiApplication::clipboard()->setText(QString::fromUtf8(text)); }

const char* GetClipboard(void*) {
  static QByteArray text;
  text = QGuiApplication::clipboard()->text().toUtf8();
  return text.constData();
}

}  // namespace

TViewerWidget::TViewerWidget(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  FTimer.setSingleShot(true);
  connect(&FTimer, &QTimer::timeout, this, &TViewerWidget::Dispatch);
  QjxEmbedSetDamageProc(OnDamage, nullptr);
  QjxEmbedSetCursorProc(OnCursor, nullptr);
  QjxEmbedSetClipboardProcs(SetClipboard, GetClipboard, nullptr);
  FHost = QjxCreateHostWindow("qjxqt", 640, 480, HostProc, this);
  if (!FHost || !HV_Proc(HVC_CREATE, FHost, 0))
    std::fprintf(stderr, "qjxqt: no viewer: %s\n", QjxLastError());
  HV_Proc(HVC_RESIZE, FHost, 0);
}

TViewerWidget::~TViewerWidget() { QjxDestroyWindow(FHost); }

void TViewerWidget::ArmTimer() {
  const int timeout = QjxEmbedTimeout();
  if (timeout >= 0) FTimer.start(timeout);
  else FTimer.stop();
}

void TViewerWidget::Dispatch() {
  QjxEmbedDispatch();
  ArmTimer();
}

void TViewerWidget::Load(const QString& file) {
  const QByteArray name = QFile::encodeName(file);
  if (!HV_Proc(HVC_LOADFILE, FHost, reinterpret_cast<intptr_t>(name.constData()))) {
    std::fprintf(stderr, "qjxqt: cannot load %s: %s\n", name.constData(), QjxLastError());
    return;
  }
  std::printf("loaded %s\n", name.constData());
  std::fflush(stdout);
  char title[512];
  QjxViewerText(FHost, QJX_TEXT_TITLE, title, sizeof title);
  emit PageShown(title[0] ? FromViewer(title) : QFileInfo(file).fileName());
  ArmTimer();
}

void TViewerWidget::Open(const QString& file) {
  while (FHistory.size() > FAt + 1) FHistory.removeLast();
  FHistory.append(QFileInfo(file).absoluteFilePath());
  FAt = int(FHistory.size()) - 1;
  Load(FHistory[FAt]);
}

void TViewerWidget::Back() {
  if (CanGoBack()) Load(FHistory[--FAt]);
}

void TViewerWidget::Forward() {
  if (CanGoForward()) Load(FHistory[++FAt]);
}

void TViewerWidget::Follow(const QString& url) {
  if (url.contains("://") && !url.startsWith("file://")) {
    std::printf("link %s\n", url.toUtf8().constData());
    std::fflush(stdout);
    return;
  }
  QString path = url.startsWith("file://") ? url.mid(7) : url;
  path = path.section('#', 0, 0);
  // Loaded once the viewer's message is answered.
  const QString file = QFileInfo(FHistory[FAt]).dir().absoluteFilePath(path);
  QTimer::singleShot(0, this, [this, file] { Open(file); });
}

intptr_t TViewerWidget::HostProc(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam) {
  auto* self = static_cast<TViewerWidget*>(QjxGetUserData(wnd));
  switch (msg) {
    case QJX_WM_SIZE:
      HV_Proc(HVC_RESIZE, wnd, 0);
      return 0;
    case HVM_HOTSPOTCLICK: {
      const char* url = reinterpret_cast<const char*>(wParam);
      if (url[0] == '#') return 1;  // the viewer scrolls to the anchor
      if (self) self->Follow(FromViewer(url));
      return 0;
    }
    case HVM_FORMSUBMIT: {
      const auto* form = reinterpret_cast<const THVFormSubmit*>(wParam);
      QString line = QString("submit %1 %2").arg(form->Method, form->Action);
      for (int i = 0; i < form->Count; ++i) line += " " + FromViewer(form->Pairs[i]);
      std::printf("%s\n", line.toUtf8().constData());
      std::fflush(stdout);
      return 0;
    }
    default:
      return QjxDefWindowProc(wnd, msg, wParam, lParam);
  }
}

void TViewerWidget::paintEvent(QPaintEvent* event) {
  TQjxPixels pixels;
  if (!QjxEmbedPixels(FHost, &pixels) || !pixels.Pixels) return;
  const QImage image(static_cast<const uchar*>(pixels.Pixels), pixels.Width, pixels.Height,
                     pixels.Stride, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(this);
  painter.drawImage(event->rect(), image, event->rect());
}

void TViewerWidget::resizeEvent(QResizeEvent*) {
  QjxEmbedResize(FHost, width(), height());
  ArmTimer();
}

void TViewerWidget::mouseMoveEvent(QMouseEvent* e) {
  QjxEmbedMouseMove(FHost, e->position().x(), e->position().y(), Modifiers(e->modifiers()),
                    uint32_t(e->timestamp()));
  ArmTimer();
}

void TViewerWidget::mousePressEvent(QMouseEvent* e) {
  QjxEmbedButton(FHost, ButtonOf(e->button()), 1, e->position().x(), e->position().y(),
                 Modifiers(e->modifiers()), uint32_t(e->timestamp()));
  ArmTimer();
}

// The library times double clicks itself: the second press is a press like the first.
void TViewerWidget::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void TViewerWidget::mouseReleaseEvent(QMouseEvent* e) {
  QjxEmbedButton(FHost, ButtonOf(e->button()), 0, e->position().x(), e->position().y(),
                 Modifiers(e->modifiers()), uint32_t(e->timestamp()));
  ArmTimer();
}

void TViewerWidget::wheelEvent(QWheelEvent* e) {
  // Qt's angles are eighths of a degree, 120 to a notch, positive away from the user.
  const QPoint angle = e->angleDelta();
  QjxEmbedScroll(FHost, -angle.x() / 120.0, -angle.y() / 120.0, e->position().x(), e->position().y(),
                 Modifiers(e->modifiers()), uint32_t(e->timestamp()));
  ArmTimer();
}

void TViewerWidget::keyPressEvent(QKeyEvent* e) {
  if ((e->modifiers() & Qt::AltModifier) && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
    e->key() == Qt::Key_Left ? Back() : Forward();
    return;
  }
  const unsigned modifiers = Modifiers(e->modifiers());
  if (const int key = QjxKeysymToVirtualKey(e->nativeVirtualKey()))
    QjxEmbedKey(FHost, key, 1, modifiers, uint32_t(e->timestamp()));
  // Control characters come with their keys; the rest is text.
  const QString text = e->text();
  if (!text.isEmpty() && text[0] >= QChar(0x20) && text[0] != QChar(0x7F) &&
      !(modifiers & (QJX_MOD_CONTROL | QJX_MOD_ALT)))
    QjxEmbedText(FHost, text.toUtf8().constData());
  ArmTimer();
}

void TViewerWidget::keyReleaseEvent(QKeyEvent* e) {
  if (const int key = QjxKeysymToVirtualKey(e->nativeVirtualKey()))
    QjxEmbedKey(FHost, key, 0, Modifiers(e->modifiers()), uint32_t(e->timestamp()));
  ArmTimer();
}

void TViewerWidget::focusInEvent(QFocusEvent*) {
  QjxEmbedFocus(FHost, 1);
  ArmTimer();
}

void TViewerWidget::focusOutEvent(QFocusEvent*) {
  QjxEmbedFocus(FHost, 0);
  ArmTimer();
}
