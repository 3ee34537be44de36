#include "tool/d88info/info_main.h"
#include "tool/host/arguments.h"

int toolMain(int argc, char** argv) { return infoMain(argc, argv); }
