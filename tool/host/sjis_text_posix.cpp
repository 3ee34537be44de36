#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "tool/host/sjis_text.h"

namespace {

constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t REPLACEMENT_SIZE = sizeof REPLACEMENT - 1;

const iconv_t NO_DESCRIPTOR = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t ICONV_FAILED = static_cast<std::size_t>(-1);

// Opened on first use and kept for the run: opening loads the code page's
// module, too slow to repeat for every listing line.
iconv_t converter = NO_DESCRIPTOR;
bool openTried = false;
iconv_t backConverter = NO_DESCRIPTOR;
bool backOpenTried = false;

iconv_t sjisConverter() {
    if (!openTried) {
        openTried = true;
        converter = iconv_open("UTF-8", "CP932");
    }
    return converter;
}

iconv_t utf8Converter() {
    if (!backOpenTried) {
        backOpenTried = true;
        backConverter = iconv_open("CP932", "UTF-8");
    }
    return backConverter;
}

}  // namespace

SjisResult sjisToUtf8(const char* sjis, std::size_t length, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return {SjisStatus::Truncated, 0};
    }
    out[0] = '\0';
    const iconv_t descriptor = sjisConverter();
    if (descriptor == NO_DESCRIPTOR) {
        return {SjisStatus::NoConverter, 0};
    }
    // A call cut short by E2BIG may leave state behind.
    (void)iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    // iconv takes a non-const input pointer but does not write through it.
    char* in = const_cast<char*>(sjis);
    std::size_t inLeft = length;
    char* next = out;
    std::size_t outLeft = outSize - 1;  // room for the 0
    SjisStatus status = SjisStatus::Complete;
    while (inLeft > 0) {
        if (iconv(descriptor, &in, &inLeft, &next, &outLeft) != ICONV_FAILED) {
            break;
        }
        // EILSEQ: a byte no character starts with, or a lead byte whose trail
        // is not valid; the trail may be a character of its own, so skip one.
        // EINVAL: a lead byte at the end.
        if ((errno == EILSEQ || errno == EINVAL) && outLeft >= REPLACEMENT_SIZE) {
            std::memcpy(next, REPLACEMENT, REPLACEMENT_SIZE);
            next += REPLACEMENT_SIZE;
            outLeft -= REPLACEMENT_SIZE;
            ++in;
            --inLeft;
            continue;
        }
        // E2BIG or no room for U+FFFD; iconv has written whole characters only.
        status = SjisStatus::Truncated;
        break;
    }
    *next = '\0';
    return {status, static_cast<std::size_t>(next - out)};
}

SjisResult utf8ToSjis(const char* utf8, std::size_t length, char* out, std::size_t outSize) {
    if (outSize == 0) {
        return {SjisStatus::Truncated, 0};
    }
    out[0] = '\0';
    const iconv_t descriptor = utf8Converter();
    if (descriptor == NO_DESCRIPTOR) {
        return {SjisStatus::NoConverter, 0};
    }
    (void)iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8);
    std::size_t inLeft = length;
    char* next = out;
    std::size_t outLeft = outSize - 1;
    // Any failure (a character the code page lacks, bytes that are not
    // UTF-8, no room) stops the conversion: the caller wants all or nothing.
    const bool converted = iconv(descriptor, &in, &inLeft, &next, &outLeft) != ICONV_FAILED && inLeft == 0;
    *next = '\0';
    return {converted ? SjisStatus::Complete : SjisStatus::Truncated, static_cast<std::size_t>(next - out)};
}
