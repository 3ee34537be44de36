// Which directory-entry names may become file names in the current folder.
// Names come from the image, so a crafted one must not reach a parent folder,
// a subfolder or (on Windows) a device.
#ifndef TOOL_OUTPUT_NAME_H
#define TOOL_OUTPUT_NAME_H

enum class NameRules {
    // '/' separates folders; "." and ".." are folders. Everything else,
    // backslash and ':' included, is an ordinary byte (a Shift_JIS trail
    // byte can be 0x5C).
    Posix,
    // Names are Shift_JIS, read by characters: '\\' and ':' (folder, drive
    // and stream separators) are refused where they stand as characters of
    // their own, not as the second byte of a double-byte character; so are
    // the reserved device names CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$
    // and CONOUT$ in any case, alone or before spaces or an extension. The
    // characters < > " | ? * and control bytes, which no Windows name may
    // hold, and names of only dots and spaces, which Windows trims to a
    // folder or to nothing, are refused too.
    Windows,
};

// The rules of the host's file system, defined with its file interface
// (output_file_posix.cpp, output_file_windows.cpp).
extern const NameRules HOST_NAME_RULES;

// Why `name` must not be created in the current folder, or null when it may.
const char* refusedNameReason(const char* name, NameRules rules);

#endif
