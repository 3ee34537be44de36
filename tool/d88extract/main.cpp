#include "tool/d88extract/extract_main.h"
#include "tool/host/arguments.h"

int toolMain(int argc, char** argv) { return extractMain(argc, argv); }
