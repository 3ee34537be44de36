// How the command line reaches the tool. Each executable's entry file
// defines toolMain; the host's own entry point (entry_posix.cpp,
// entry_windows.cpp) calls it with the arguments as C strings: as they come
// on POSIX, converted from UTF-16 to UTF-8 on Windows, so that a path holding
// any character reaches the file system whole.
#ifndef TOOL_ARGUMENTS_H
#define TOOL_ARGUMENTS_H

int toolMain(int argc, char** argv);

// `argument` as the console shows it, for a message that names it: the same
// bytes on POSIX; on Windows converted back to the ANSI code page, the bytes
// a narrow argument would have held, so that messages read as they always
// did. Points into storage that the next call reuses.
const char* argumentAsShown(const char* argument);

#endif
