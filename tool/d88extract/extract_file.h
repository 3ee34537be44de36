// The one way bytes of the image reach an output file.
#ifndef TOOL_D88EXTRACT_EXTRACT_FILE_H
#define TOOL_D88EXTRACT_EXTRACT_FILE_H

#include <cstdint>

#include "tool/cli/run.h"
#include "tool/disk/disk_plan.h"

// Creates the output file `name` in the run's output place and writes
// `size` bytes to it. Failures are reported on standard error and noted in
// the run. True when the file was written.
bool writeOutputFile(Run& run, const char* name, const std::uint8_t* bytes, std::int32_t size);

// Carries out one file's plan, made with its bytes, while they are there:
// writes the file (reporting a short one) or reports a refused name; the
// other outcomes write nothing and say nothing. A listing run does nothing.
void carryOut(Run& run, const FilePlan& plan);

#endif
