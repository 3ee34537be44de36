// d88extract's work on one disk: announce a boot disk and save TTLPRG, then
// list every directory entry and save its file, as the disk's plan says;
// of these, only the files the run's selection takes.
#ifndef TOOL_D88EXTRACT_EXTRACT_DISK_H
#define TOOL_D88EXTRACT_EXTRACT_DISK_H

#include "d88/d88_image.h"
#include "tool/cli/run.h"

// Works on the selected disk (an unselected one reads as empty), whose
// files go to the run's output place.
void extractDisk(D88Image& image, Run& run);

#endif
