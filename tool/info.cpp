#include "tool/arguments.h"
#include "tool/info_main.h"

int toolMain(int argc, char** argv) { return infoMain(argc, argv); }
