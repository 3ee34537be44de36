// The d88put program (tool/d88put): its entry and the steps of a put, from
// finding the changed files to writing the new image. It uses the layers
// below (tool/cli, tool/disk, tool/host, d88/), never another program.
//
// The command line, callable from tests and fuzzers as well as main.
#ifndef TOOL_D88PUT_PUT_MAIN_H
#define TOOL_D88PUT_PUT_MAIN_H

// d88put [OPTION]... -o NEW IMAGE: returns the exit status, 0 when NEW was
// written (or, with --dry-run, would be), 1 when a file was refused or
// could not be read, the image could not be read, NEW could not be written
// or standard output was lost, 2 for a wrong call.
int putMain(int argc, char** argv);

#endif
