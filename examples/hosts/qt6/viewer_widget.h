// A QWidget that shows a viewer: the library runs in its embedded mode and paints into
// memory; the widget shows the pixels, hands over its input and runs the library's
// timers from Qt's event loop.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <qjxhtml.h>
#include <qjxhtml_host.h>

class TViewerWidget : public QWidget {
  Q_OBJECT

 public:
  explicit TViewerWidget(QWidget* parent = nullptr);
  ~TViewerWidget() override;

  // Loads a file and makes it the newest page of the history.
  void Open(const QString& file);
  void Back();
  void Forward();
  bool CanGoBack() const { return FAt > 0; }
  bool CanGoForward() const { return FAt + 1 < FHistory.size(); }

 signals:
  // After a page loaded: its title (or file name).
  void PageShown(const QString& title);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }  // Tab belongs to the page

 private:
  static intptr_t HostProc(HWND wnd, unsigned msg, uintptr_t wParam, intptr_t lParam);
  void Load(const QString& file);
  void Follow(const QString& url);
  // Arms the timer for the library's next due work.
  void ArmTimer();
  void Dispatch();

  HWND FHost = nullptr;
  QTimer FTimer;
  QStringList FHistory;
  int FAt = -1;
};
