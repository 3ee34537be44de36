// The command-line entry, callable from tests and fuzzers as well as main.
#ifndef TOOL_EXTRACT_MAIN_H
#define TOOL_EXTRACT_MAIN_H

// d88extract IMAGE: returns the exit status, 0 after the walk, 1 after a
// usage or open failure, an output file that could not be written, or lost
// standard output.
int extractMain(int argc, char** argv);

#endif
