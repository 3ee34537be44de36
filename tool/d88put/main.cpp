#include "tool/d88put/put_main.h"
#include "tool/host/arguments.h"

int toolMain(int argc, char** argv) { return putMain(argc, argv); }
