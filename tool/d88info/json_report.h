// d88info --json: what the page shows, as one JSON document for scripts.
// Each disk comes from the same plan the page prints; the fields and their
// meaning are the manual's (man/d88info.1, JSON OUTPUT).
#ifndef TOOL_D88INFO_JSON_REPORT_H
#define TOOL_D88INFO_JSON_REPORT_H

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/disk/later_writes.h"

// Prints the document of the open image `argument` (the path as given) and
// the run's disks on standard output, as it goes. Reads only; changes the
// reader's selection and sector range.
void printJsonDocument(D88Image& image, const char* argument, Run& run, const LaterWrites& laterWrites);

#endif
