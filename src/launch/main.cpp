// consolidate MENU_ID USER_ID DATABASE (unused) MENU_OPTION WORK_DATE(dd/mm/yyyy)
#include "startup.h"

int main(int argc, char** argv) { return launch::Main(argc, argv); }
