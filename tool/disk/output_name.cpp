#include "tool/disk/output_name.h"

#include <cstring>

#include "tool/disk/shift_jis.h"

namespace {

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameIgnoringCase(const char* text, std::size_t length, const char* word) {
    if (std::strlen(word) != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (upper(text[i]) != word[i]) {
            return false;
        }
    }
    return true;
}

// Windows opens the device for "NUL", "nul  " and "NUL.txt" alike: it looks
// only at the part before the first dot, trailing spaces dropped.
bool isWindowsDeviceName(const char* name) {
    std::size_t stem = std::strcspn(name, ".");
    while (stem > 0 && name[stem - 1] == ' ') {
        --stem;
    }
    // CONIN$ and CONOUT$ open the console's input and output buffers.
    static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : fixed) {
        if (sameIgnoringCase(name, stem, device)) {
            return true;
        }
    }
    return stem == 4 && (sameIgnoringCase(name, 3, "COM") || sameIgnoringCase(name, 3, "LPT"))
           && name[3] >= '1' && name[3] <= '9';
}

// Whether the ASCII character `wanted` stands in `name` as a character of
// its own. Windows takes any byte after a lead byte into its character;
// reading an out-of-range one as a character of its own only refuses more.
bool holdsCharacter(const char* name, char wanted) {
    for (const char* at = name; *at != '\0'; ++at) {
        if (startsDoubleByte(at)) {
            ++at;
        } else if (*at == wanted) {
            return true;
        }
    }
    return false;
}

}  // namespace

const char* refusedNameReason(const char* name, NameRules rules) {
    if (std::strchr(name, '/') != nullptr) {
        return "the name contains '/'";
    }
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        return "the name is a folder";
    }
    if (rules == NameRules::Windows) {
        if (holdsCharacter(name, '\\')) {
            return "the name contains '\\'";
        }
        if (holdsCharacter(name, ':')) {
            return "the name contains ':'";
        }
        // Characters no Windows file name may hold. '|' (0x7C) is also a
        // trail byte, of ポ among others: only a '|' of its own counts.
        static const struct {
            char character;
            const char* reason;
        } forbidden[] = {{'<', "the name contains '<'"}, {'>', "the name contains '>'"},
                         {'"', "the name contains '\"'"}, {'|', "the name contains '|'"},
                         {'?', "the name contains '?'"}, {'*', "the name contains '*'"}};
        for (const auto& rule : forbidden) {
            if (holdsCharacter(name, rule.character)) {
                return rule.reason;
            }
        }
        for (const char* at = name; *at != '\0'; ++at) {
            if (static_cast<unsigned char>(*at) < ' ') {
                return "the name contains a control character";
            }
        }
        if (isWindowsDeviceName(name)) {
            return "the name is a device";
        }
        // Windows drops a name's trailing dots and spaces: "..." or ". "
        // would be the folder itself, or nothing.
        if (std::strspn(name, ". ") == std::strlen(name)) {
            return "the name is a folder";
        }
    }
    return nullptr;
}
