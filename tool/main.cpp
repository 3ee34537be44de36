#include "tool/arguments.h"
#include "tool/extract_main.h"

int toolMain(int argc, char** argv) { return extractMain(argc, argv); }
