#include "tool/host/arguments.h"

const char* argumentAsShown(const char* argument) { return argument; }
