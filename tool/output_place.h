// Where d88extract's output files go, and the one file they must never
// replace: the image being read.
#ifndef TOOL_OUTPUT_PLACE_H
#define TOOL_OUTPUT_PLACE_H

#include <cstdio>

#include "tool/output_file.h"

// The image being read, so that no output file replaces it.
void setImageIdentity(const FileIdentity& identity);

// Whether creating the output file `name` (an entry's name, already checked
// by refusedNameReason) would replace the image.
bool outputIsImage(const char* name);

// Creates the output file `name` for binary writing; null with errno set
// when it cannot.
std::FILE* createOutput(const char* name);

#endif
