// One disk's part of the d88info page: its header, its present tracks with
// the identities of their records, TTLPRG and its directory, each file
// marked with what d88extract does with it, its room and, with --map, the
// map of it.
#ifndef TOOL_D88INFO_DISK_REPORT_H
#define TOOL_D88INFO_DISK_REPORT_H

#include <cstdint>

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/disk/later_writes.h"

// Selects catalogued disk `index` and describes it on standard output, each
// file marked with what d88extract does with it in the run's output place
// and the write in `laterWrites` that replaces it. Reads only; changes the
// reader's selection and sector range.
void printDiskReport(D88Image& image, std::int32_t index, Run& run, const LaterWrites& laterWrites);

#endif
