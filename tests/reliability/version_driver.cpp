// A small program that starts like `consolidate` up to its version check, in the current folder's
// site, so that tests can start several of them at the same moment:
//
//   version_driver DATABASE PROGRAM VERSION
//
// It writes "ready" and waits for one line on its standard input; then it reads the company's
// configuration (the configuration database's upgrade runs as it connects) and runs the data
// module's upgrade and version check for PROGRAM and VERSION, and writes "runs" or "refused".
// Boxes go to the file named by CONSOLIDATE_PROMPTS_LOG. Exit code 0 when the check ran, 2 for a
// usage error, 3 when the company is not found, 4 when the check failed.
#include <QApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "config_module.h"
#include "data_module.h"
#include "error_reporter.h"
#include "prompts_seam.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  bool ok = false;
  const int version = args.value(2).toInt(&ok);
  if (args.size() != 3 || !ok) {
    std::fputs("usage: version_driver DATABASE PROGRAM VERSION\n", stderr);
    return 2;
  }
  launch::InstallPromptsFromEnvironment();
  TDM dm;
  TDMConfig config;
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  std::string line;
  std::getline(std::cin, line);
  try {
    if (!config.GetCompanyConfig(args[0])) {
      std::fputs("no company\n", stderr);
      return 3;
    }
    const bool runs = dm.CheckVersionProgramEXE(args[1], version);
    std::fputs(runs ? "runs\n" : "refused\n", stdout);
    std::fflush(stdout);
    return 0;
  } catch (...) {
    std::fprintf(stderr, "failed: %s\n", qPrintable(data::ErrorMessageOf(std::current_exception())));
    return 4;
  }
}
