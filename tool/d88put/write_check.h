// The last word on a put's writes: they may change only the data of the
// sectors they are meant for.
#ifndef TOOL_D88PUT_WRITE_CHECK_H
#define TOOL_D88PUT_WRITE_CHECK_H

#include "d88/d88_image.h"
#include "tool/d88put/put_plan.h"

// Refuses each change whose writes would cover a disk's header, a record
// header that a walk of any track reads, or any byte from where the
// catalogue stops reading (its place is damaged), the bytes
// of a sector that another entry's run, TTLPRG, a boot sector or a
// directory holds, on any disk, or another change's writes (it is
// cross-linked). A crafted image can make tracks and disks share bytes;
// only then do these find anything.
void checkWrites(D88Image& image, PutPlan& plan);

#endif
