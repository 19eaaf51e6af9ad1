// The yardstick of the start-up benchmark: a minimal Qt Widgets program that shows one empty window
// and says so on its standard output as soon as it has been shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.resize(800, 600);
  w.show();
  QTimer::singleShot(0, &app, [] {
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    QCoreApplication::exit(0);
  });
  return app.exec();
}
