// The file directory of a disk: 128 entries of 16 bytes in sectors 1 and 2
// (1024 bytes each) of track index 1, cylinder 0, head 1. Data tracks hold
// five 1024-byte sectors numbered 1 to 5; logical track t is track index t,
// cylinder t >> 1, head t & 1.
#ifndef TOOL_EXTRACT_DIRECTORY_H
#define TOOL_EXTRACT_DIRECTORY_H

// Lists every entry of the selected disk's directory on standard output and
// writes each entry's bytes to a file of its name.
void extractDirectory();

#endif
