// The one way bytes of the image reach an output file.
#ifndef TOOL_EXTRACT_FILE_H
#define TOOL_EXTRACT_FILE_H

#include <cstdint>

#include "tool/disk_plan.h"

// Creates the output file `name` (see output_place.h) and writes
// `size` bytes to it. Failures are reported on standard error and counted
// as output failures. True when the file was written.
bool writeOutputFile(const char* name, const std::uint8_t* bytes, std::int32_t size);

// Carries out one file's plan while its bytes stand in transferBuffer:
// writes the file (reporting a short one) or reports a refused name; the
// other outcomes write nothing and say nothing.
void carryOut(const FilePlan& plan);

// A listing run: carryOut writes nothing and says nothing.
void setListOnly(bool list);

// Whether any output file could not be written since the last reset.
bool anyOutputFailed();
void resetOutputFailures();

#endif
