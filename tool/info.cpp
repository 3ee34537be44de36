#include "tool/info_main.h"

int main(int argc, char** argv) { return infoMain(argc, argv); }
