// Names and messages on the disks are Shift_JIS (code page 932); a terminal
// that expects UTF-8 needs them converted. The platform's own converter does
// the work, so the mapping is the one the system's other programs use.
#ifndef TOOL_HOST_SJIS_TEXT_H
#define TOOL_HOST_SJIS_TEXT_H

#include <cstddef>

// Each Shift_JIS byte becomes at most three UTF-8 bytes: a one-byte
// character or an unconvertible byte (U+FFFD) takes three, and a two-byte
// character is in the Basic Multilingual Plane, which takes at most three.
inline constexpr std::size_t UTF8_BYTES_PER_SJIS_BYTE = 3;

// An output buffer that never truncates `sjisLength` bytes, with its 0.
constexpr std::size_t utf8BufferSize(std::size_t sjisLength) {
    return sjisLength * UTF8_BYTES_PER_SJIS_BYTE + 1;
}

enum class SjisStatus {
    Complete,
    Truncated,    // the output ends at the last character that fitted
    NoConverter,  // the platform cannot convert code page 932; output is ""
};

struct SjisResult {
    SjisStatus status;
    std::size_t length;  // bytes written before the terminating 0
};

// Converts `length` bytes of `sjis` to UTF-8 in `out`, always 0-terminated
// when outSize > 0 and never beyond outSize bytes. A byte that does not
// start a character of the code page, and a lead byte with no valid trail
// byte (also at the end), becomes U+FFFD and conversion goes on with the
// next byte. Not thread-safe: the converter is opened once and reused.
SjisResult sjisToUtf8(const char* sjis, std::size_t length, char* out, std::size_t outSize);

// Converts `length` bytes of UTF-8 `utf8` back to Shift_JIS in `out`,
// always 0-terminated when outSize > 0. A character the code page lacks,
// or bytes that are not UTF-8, make the status Truncated with the output
// ending before them.
SjisResult utf8ToSjis(const char* utf8, std::size_t length, char* out, std::size_t outSize);

#endif
