#include "tool/extract_main.h"

int main(int argc, char** argv) { return extractMain(argc, argv); }
