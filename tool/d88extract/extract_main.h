// The d88extract program (tool/d88extract): its entry, its walk of each disk
// and its output files. It uses the layers below (tool/cli, tool/disk,
// tool/host, d88/), never another program.
//
// The command-line entry, callable from tests and fuzzers as well as main.
#ifndef TOOL_D88EXTRACT_EXTRACT_MAIN_H
#define TOOL_D88EXTRACT_EXTRACT_MAIN_H

// d88extract [OPTION]... IMAGE [NAME]...: returns the exit status, 0 after
// the walk, 1 after a usage or open failure, a disk or NAME not found, an
// output file that could not be written, or lost standard output.
int extractMain(int argc, char** argv);

#endif
