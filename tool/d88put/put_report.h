// What d88put says of its changes: the refused ones on standard error,
// then the line of each file put back on standard output.
#ifndef TOOL_D88PUT_PUT_REPORT_H
#define TOOL_D88PUT_PUT_REPORT_H

#include "tool/cli/run.h"
#include "tool/d88put/put_plan.h"
#include "tool/d88put/strays.h"

// "d88put: NAME: not put back: REASON" for each refused change.
void reportRefusals(Run& run, const PutPlan& plan);

// "d88put: NAME: not put back: no entry of this name on the disk (--add
// makes one)" for each stray.
void reportStrays(Run& run, const Strays& strays);

// The line of each file put back; false when standard output lost them.
bool announce(Run& run, const PutPlan& plan);

#endif
