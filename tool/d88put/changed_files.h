// Which files in the output folder differ from what d88extract writes for
// them: the changes d88put puts back.
#ifndef TOOL_D88PUT_CHANGED_FILES_H
#define TOOL_D88PUT_CHANGED_FILES_H

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/d88put/put_plan.h"
#include "tool/disk/later_writes.h"

// Plans every disk of the open image as d88extract does and compares each
// file it writes (the last write of a name wins, as in d88extract's run)
// with the file in the run's output place; each one that differs becomes a
// change in `plan`. A file the plan writes no bytes for (its run cannot be
// read) that is there all the same is a change too. A file that cannot be
// read is reported and fails the run; a missing one is left as it is.
void findChangedFiles(D88Image& image, Run& run, const LaterWrites& laterWrites, PutPlan& plan);

#endif
