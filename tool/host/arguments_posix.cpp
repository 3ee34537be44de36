#include "tool/host/arguments.h"

const char* argumentAsShown(const char* argument) { return argument; }

bool matchesNamesInUtf8(bool utf8Names) { return utf8Names; }

const char* argumentAsShiftJis(const char* argument) { return argument; }
