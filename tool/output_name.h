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
    // Also '\\' and ':' (drive and stream separators) and the reserved
    // device names CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ and CONOUT$
    // in any case, alone or before spaces or an extension.
    Windows,
};

#ifdef _WIN32
inline constexpr NameRules HOST_NAME_RULES = NameRules::Windows;
#else
inline constexpr NameRules HOST_NAME_RULES = NameRules::Posix;
#endif

// Why `name` must not be created in the current folder, or null when it may.
const char* refusedNameReason(const char* name, NameRules rules);

#endif
