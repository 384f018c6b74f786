// A Qt 6 program that shows a viewer in a widget, with a tool bar holding back and
// forward and the page's title. Links load their targets, forms print what they would send.
//   qjxqt page.html
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QToolBar>
#include <cstdio>

#include "viewer_widget.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: qjxqt FILE.html\n");
    return 2;
  }
  if (!QjxUseEmbeddedMode() || HV_Proc(HVC_INIT, nullptr, 0) != -1) {
    std::fprintf(stderr, "qjxqt: the library did not start: %s\n", QjxLastError());
    return 1;
  }
  QMainWindow window;
  auto* viewer = new TViewerWidget;
  window.setCentralWidget(viewer);
  QToolBar* bar = window.addToolBar("Navigation");
  bar->setMovable(false);
  QAction* back = bar->addAction(QIcon::fromTheme("go-previous"), "Back", viewer, &TViewerWidget::Back);
  QAction* forward = bar->addAction(QIcon::fromTheme("go-next"), "Forward", viewer, &TViewerWidget::Forward);
  auto* title = new QLabel;
  bar->addWidget(title);
  QObject::connect(viewer, &TViewerWidget::PageShown, [&](const QString& text) {
    title->setText(text);
    window.setWindowTitle(text);
    back->setEnabled(viewer->CanGoBack());
    forward->setEnabled(viewer->CanGoForward());
  });
  window.resize(800, 600);
  viewer->Open(QString::fromLocal8Bit(argv[1]));
  window.show();
  viewer->setFocus();
  // Where the viewer's pixels stand in the window, for scripts that drive this program.
  auto report = [&] {
    const QPoint at = viewer->mapTo(&window, QPoint(0, 0));
    std::printf("area %d %d %d %d\n", at.x(), at.y(), viewer->width(), viewer->height());
    std::fflush(stdout);
  };
  QTimer::singleShot(200, report);
  const int result = app.exec();
  HV_Proc(HVC_DONE, nullptr, 0);
  return result;
}
