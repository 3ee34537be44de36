// Which files in the output folder differ from what d88extract writes for
// them: the changes d88put puts back.
#ifndef TOOL_D88PUT_CHANGED_FILES_H
#define TOOL_D88PUT_CHANGED_FILES_H

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/d88put/opened_files.h"
#include "tool/d88put/put_plan.h"
#include "tool/d88put/strays.h"
#include "tool/disk/later_writes.h"

// Plans every disk of the open image as d88extract does, remembering its
// writes in `laterWrites`, and compares each file it writes with the file in
// the run's output place. A file that differs is a change in `plan` when
// it belongs to the write (the last one of its name, as in d88extract's
// run); a file of a name the plan writes no bytes for (its run cannot be
// read) that is there all the same is a change too, unless another entry's
// write made it. A file that cannot be read is reported and fails the run;
// a missing one is left as it is. Each file opened goes to `opened`, and a
// file that another name opens too belongs to the entry written last.
// Each file's name met goes to `names` too, when it is given.
void findChangedFiles(D88Image& image, Run& run, LaterWrites& laterWrites, OpenedFiles& opened, PutPlan& plan,
                      KnownNames* names);

#endif
