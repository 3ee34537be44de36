// The one way bytes of the image reach an output file.
#ifndef TOOL_EXTRACT_FILE_H
#define TOOL_EXTRACT_FILE_H

#include <cstdint>

// Reads skip + size bytes starting at sector (c, h, r, n) of `track` and, if
// any arrived, writes the last `size` of them to the file `name` in the
// current folder, replacing it. Bytes that did not arrive are written as 0;
// a short run is reported on standard error. A name that would leave the
// current folder or that names the image itself, or that the file system
// refuses, is reported and counted as an output failure. True when the file
// was written.
bool extractFile(const char* name, std::int32_t track, std::int32_t c, std::int32_t h,
                 std::int32_t r, std::int32_t n, std::int32_t skip, std::int32_t size);

// A listing run: extractFile reads and writes nothing, says nothing.
void setListOnly(bool list);

// Whether any output file could not be written since the last reset.
bool anyOutputFailed();
void resetOutputFailures();

#endif
