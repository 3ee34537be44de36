// How the command line reaches the tool. Each executable's entry file
// defines toolMain; the host's own entry point (entry_posix.cpp,
// entry_windows.cpp) calls it with the arguments as C strings: as they come
// on POSIX, converted from UTF-16 to UTF-8 on Windows, so that a path holding
// any character reaches the file system whole.
#ifndef TOOL_ARGUMENTS_H
#define TOOL_ARGUMENTS_H

int toolMain(int argc, char** argv);

// The longest command line Windows passes, in UTF-16 units with its
// terminator (32767 and one): it bounds every argument and all of them
// together.
inline constexpr int MAX_COMMAND_LINE = 32768;

// `argument` as the console shows it, for a message that names it: the same
// bytes on POSIX; on Windows converted back to the ANSI code page, the bytes
// a narrow argument would have held, so that messages read as they always
// did. Points into storage that the next call reuses.
const char* argumentAsShown(const char* argument);

// Whether a NAME given on the command line is matched against the UTF-8
// form of entries' names when names go out in UTF-8 (`utf8Names`). On
// POSIX an argument is the terminal's own bytes, which --utf8 says are
// UTF-8; on Windows it is always Unicode, matched as code page 932 (see
// argumentAsShiftJis), so that a name matches the same whatever the option.
bool matchesNamesInUtf8(bool utf8Names);

// `argument`, a NAME, in the bytes that entries' raw names are written in:
// the same bytes on POSIX; on Windows its code page 932 form. Null when it
// holds a character that code page lacks: no entry can bear that name.
// Points into storage that the next call reuses.
const char* argumentAsShiftJis(const char* argument);

#endif
