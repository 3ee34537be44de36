#include "tool/host/arguments.h"

int main(int argc, char** argv) { return toolMain(argc, argv); }
