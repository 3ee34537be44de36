// Where each changed file goes: into the sectors of its run, into the free
// sectors after them, or (when asked) to the first free run long enough;
// and the writes that put it there.
#ifndef TOOL_D88PUT_PLACEMENT_H
#define TOOL_D88PUT_PLACEMENT_H

#include "d88/d88_image.h"
#include "tool/d88put/directory_copy.h"
#include "tool/d88put/put_plan.h"

// What the command line lets placement do besides writing in place and
// growing.
struct PlacementChoices {
    // A file that cannot grow moves to the first free run long enough.
    bool relocate = false;
    // A file that needs fewer sectors than its run gives the rest back.
    bool shrink = false;
};

// Decides every change of `plan` disk by disk and adds its writes, or
// refuses it: a run d88extract cannot read in full, TTLPRG longer than its
// 3840 bytes, a run that shares a sector with another entry's, or a file
// with no room.
// A disk that loses entries gets a copy of its directory in `copies`,
// written whole.
void placeChanges(D88Image& image, PutPlan& plan, DirectoryCopies& copies, const PlacementChoices& choices);

#endif
