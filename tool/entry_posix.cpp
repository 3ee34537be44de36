#include "tool/arguments.h"

int main(int argc, char** argv) { return toolMain(argc, argv); }
