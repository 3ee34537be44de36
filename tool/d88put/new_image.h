// Writing the new image: the image's bytes with a put's writes in place,
// made under a temporary name beside it and renamed into place only once
// complete and on the disk.
#ifndef TOOL_D88PUT_NEW_IMAGE_H
#define TOOL_D88PUT_NEW_IMAGE_H

#include "d88/d88_image.h"
#include "tool/cli/run.h"
#include "tool/d88put/directory_copy.h"
#include "tool/d88put/put_plan.h"
#include "tool/host/file_system.h"

// Whether another program changed the image since the run opened it: then
// what the run planned on is not what a copy would take, and this is said
// on standard error, naming the image.
bool reportImageChanged(const Run& run);

// Writes `path` (as the command line carries it): every byte of the open
// image, as long as it was planned, with each write of `plan` (sorted) in
// place, the file bytes read from the run's output place. `announce` runs
// once the new image is complete and on the disk, before it takes the name;
// it may say no. False, after saying why on standard error (but for
// `announce`'s no), when it could not, or when the image changed since the
// run opened it: then neither `path` nor a temporary file is left, and a
// file that had the name is as it was.
bool writeNewImage(D88Image& image, Run& run, const PutPlan& plan, const DirectoryCopies& copies,
                   const char* path,
                   bool (*announce)(Run& run, const PutPlan& plan));

#endif
