// consolidate MENU_ID USER_ID DATABASE (unused) MENU_OPTION WORK_DATE(dd/mm/yyyy)
//
// Built twice: `consolidate`, the shipped program, and `consolidate-scripted` for the tests and the
// benchmarks (CONSOLIDATE_TEST_SWITCHES), which also reads the test switches of the environment (CONSOLIDATE_PROMPTS_LOG, _ANSWERS, CONSOLIDATE_QUIT_WHEN_SHOWN,
// CONSOLIDATE_CLOSE_WHEN_SHOWN)
// (docs/launch.md). The shipped program reads none of them.
#include "startup.h"

#ifdef CONSOLIDATE_TEST_SWITCHES
#include "prompts_seam.h"
#endif

int main(int argc, char** argv) {
  launch::TestSwitches switches;
#ifdef CONSOLIDATE_TEST_SWITCHES
  switches.afterApplication = [] { launch::InstallPromptsFromEnvironment(); };
  switches.quitWhenShown = qEnvironmentVariableIsSet("CONSOLIDATE_QUIT_WHEN_SHOWN");
  switches.closeWhenShown = qEnvironmentVariableIsSet("CONSOLIDATE_CLOSE_WHEN_SHOWN");
#endif
  return launch::Main(argc, argv, switches);
}
