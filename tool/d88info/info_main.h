// The d88info program (tool/d88info): its entry and its page of each disk.
// It uses the layers below (tool/cli, tool/disk, tool/host, d88/), never
// another program.
//
// The command line, callable from tests and fuzzers as well as main.
#ifndef TOOL_D88INFO_INFO_MAIN_H
#define TOOL_D88INFO_INFO_MAIN_H

// d88info [--utf8] [--json] [--map] [--disk=N]... IMAGE | --help | --version:
// returns the exit status, 0 after the page (or the JSON document), 1 when
// the image cannot be opened or read, holds no disk asked for, or standard
// output is lost, 2 for a wrong call.
int infoMain(int argc, char** argv);

#endif
