// The listing line of a directory entry, as d88extract prints it and d88info
// shows it.
#ifndef TOOL_CLI_LISTING_H
#define TOOL_CLI_LISTING_H

#include <cstdint>
#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/disk/dir_entry.h"

// 6 name bytes, 48 of the rest, 4 more for a negative size, the newline and
// the terminating 0.
inline constexpr std::int32_t LISTING_LINE_SIZE = 64;

// "NAME     START:tt ss    END:tt ss   SIZE:ssss" and a newline, the name
// as the console puts names (and safe for a terminal).
void printListingLine(const Console& console, std::FILE* out, const DirEntry& entry);

#endif
