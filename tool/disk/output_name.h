// Which directory-entry names may become file names in the output folder.
// Names come from the image, so a crafted one must not reach a parent folder,
// a subfolder or (on Windows) a device.
#ifndef TOOL_DISK_OUTPUT_NAME_H
#define TOOL_DISK_OUTPUT_NAME_H

#include "tool/host/file_system.h"

// Why `name` must not be created in the output folder under `rules` (the
// host's are HOST_NAME_RULES), or null when it may.
const char* refusedNameReason(const char* name, NameRules rules);

#endif
