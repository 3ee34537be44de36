// Where d88extract's output files go, how they are created, and the one
// file they must never replace: the image being read.
#ifndef TOOL_OUTPUT_PLACE_H
#define TOOL_OUTPUT_PLACE_H

#include <cstdint>
#include <cstdio>

#include "tool/output_file.h"

struct OutputSettings {
    // The output folder as given on the command line; "" for the current one.
    const char* folder = "";
    // Each disk's files in a folder of its own, "diskNN" inside `folder`.
    bool diskFolders = false;
    // Never open an existing file: such an entry is refused.
    bool keepOldFiles = false;
    // File names in UTF-8 rather than raw Shift_JIS bytes.
    bool utf8Names = false;
};

// The settings and the image for a run; back to the plain call's (the
// current folder, files replaced, raw names) with OutputSettings{}.
void setOutputSettings(const OutputSettings& settings);
void setImageIdentity(const FileIdentity& identity);

// The disk whose files come next, for the per-disk folders.
void setOutputDisk(std::int32_t index);

// Makes the output folder if it is missing; false with errno set when it
// cannot be made.
bool prepareOutputFolder();

// Whether creating the output file `name` (an entry's name, already checked
// by refusedNameReason) would replace the image.
bool outputIsImage(const char* name);

// Creates the output file `name` for binary writing, making the disk's
// folder first if it is missing; null with errno set when it cannot (EEXIST
// when keepOldFiles refuses an existing name).
std::FILE* createOutput(const char* name);

#endif
