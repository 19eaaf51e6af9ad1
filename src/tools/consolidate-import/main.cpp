// consolidate-import: the web-order import without a window (unattended_import.h).
#include <QStringList>
#include <cstdio>

#include "error_reporter.h"
#include "unattended_import.h"

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  importtool::Options options;
  QString problem;
  if (!importtool::ParseArguments(arguments, options, problem)) {
    std::fprintf(stderr, "consolidate-import: %s\n%s", problem.toLocal8Bit().constData(),
                 importtool::Usage().toLocal8Bit().constData());
    // A caller that asked for JSON reads why from it.
    if (arguments.contains(QStringLiteral("--json"))) {
      const QByteArray bytes = importtool::JsonRefusal(problem);
      std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    }
    return 1;
  }
  if (options.help) {
    std::fputs(importtool::Usage().toLocal8Bit().constData(), stdout);
    return 0;
  }
  // No screen is needed: the load sheet is printed into a file.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("consolidate-import"));
  return importtool::Run(options);
}
