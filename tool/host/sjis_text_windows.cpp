#include <windows.h>

#include <cstring>

#include "tool/host/sjis_text.h"

namespace {

constexpr UINT SJIS_CODE_PAGE = 932;
constexpr wchar_t REPLACEMENT = 0xFFFD;
constexpr int UTF8_CHARACTER_MAX = 3;  // a UTF-16 unit that is not a surrogate

// The code page's table gives 0x80, 0xA0 and 0xFD to 0xFF, which Shift_JIS
// leaves undefined, code points of their own: a C1 control or one in the
// private use area. Taken as unconvertible, as iconv takes them.
bool isUndefinedSingleByte(wchar_t unit) {
    return (unit >= 0x80 && unit < 0xA0) || (unit >= 0xE000 && unit < 0xF900);
}

// The one character `bytes` (one or two) encode, or U+FFFD. With
// MB_ERR_INVALID_CHARS the call fails instead of putting the code page's
// default character (U+30FB) in place of an invalid sequence.
wchar_t convertCharacter(const char* bytes, int count) {
    wchar_t units[2];
    if (MultiByteToWideChar(SJIS_CODE_PAGE, MB_ERR_INVALID_CHARS, bytes, count, units, 2) != 1) {
        return REPLACEMENT;
    }
    if (count == 1 && isUndefinedSingleByte(units[0])) {
        return REPLACEMENT;
    }
    return units[0];
}

}  // namespace

SjisResult sjisToUtf8(const char* sjis, std::size_t length, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return {SjisStatus::Truncated, 0};
    }
    out[0] = '\0';
    if (IsValidCodePage(SJIS_CODE_PAGE) == 0) {
        return {SjisStatus::NoConverter, 0};
    }
    // One character at a time: converting the whole text at once either
    // fails as a whole (MB_ERR_INVALID_CHARS) or hides which bytes were bad.
    std::size_t written = 0;
    std::size_t i = 0;
    while (i < length) {
        const bool lead = IsDBCSLeadByteEx(SJIS_CODE_PAGE, static_cast<BYTE>(sjis[i])) != 0;
        wchar_t unit = REPLACEMENT;
        std::size_t used = 1;
        if (!lead) {
            unit = convertCharacter(sjis + i, 1);
        } else if (i + 1 < length) {
            unit = convertCharacter(sjis + i, 2);
            // Like iconv: after a bad pair the trail byte may be a character.
            used = unit == REPLACEMENT ? 1 : 2;
        }
        char encoded[UTF8_CHARACTER_MAX];
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, &unit, 1, encoded, UTF8_CHARACTER_MAX, nullptr, nullptr);
        if (size <= 0 || static_cast<std::size_t>(size) > outSize - 1 - written) {
            out[written] = '\0';
            return {SjisStatus::Truncated, written};
        }
        std::memcpy(out + written, encoded, static_cast<std::size_t>(size));
        written += static_cast<std::size_t>(size);
        i += used;
    }
    out[written] = '\0';
    return {SjisStatus::Complete, written};
}

SjisResult utf8ToSjis(const char* utf8, std::size_t length, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return {SjisStatus::Truncated, 0};
    }
    out[0] = '\0';
    if (IsValidCodePage(SJIS_CODE_PAGE) == 0) {
        return {SjisStatus::NoConverter, 0};
    }
    // Names are short: a few dozen units hold any this system converts.
    constexpr int WIDE_UNITS = 256;
    wchar_t wide[WIDE_UNITS];
    const int units = length == 0 ? 0
                                  : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8,
                                                        static_cast<int>(length), wide, WIDE_UNITS);
    if (length > 0 && units == 0) {
        return {SjisStatus::Truncated, 0};
    }
    // No best fit: a character the code page lacks must fail, not become
    // a look-alike.
    BOOL usedDefault = FALSE;
    const int bytes = units == 0 ? 0
                                 : WideCharToMultiByte(SJIS_CODE_PAGE, WC_NO_BEST_FIT_CHARS, wide, units, out,
                                                       static_cast<int>(outSize - 1), nullptr, &usedDefault);
    if ((units > 0 && bytes == 0) || usedDefault != FALSE) {
        out[0] = '\0';
        return {SjisStatus::Truncated, 0};
    }
    out[bytes] = '\0';
    return {SjisStatus::Complete, static_cast<std::size_t>(bytes)};
}
