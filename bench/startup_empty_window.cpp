// The yardstick of the start-up benchmark: a minimal Qt Widgets program that shows one empty window
// and says so on its standard output as soon as it has been shown. With the argument "thai" the
// window holds one label with a Thai title, which measures what the first Thai text alone costs a
// Qt program (fonts, Thai shaping and word breaking).
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.resize(800, 600);
  if (argc > 1 && QByteArray(argv[1]) == "thai") (new QLabel(QStringLiteral("เลขที่สั่งขาย"), &w))->move(10, 10);
  w.show();
  QTimer::singleShot(0, &app, [] {
    std::fputs("shown\n", stdout);
    std::fflush(stdout);
    QCoreApplication::exit(0);
  });
  return app.exec();
}
