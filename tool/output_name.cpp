#include "tool/output_name.h"

#include <cstring>

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

}  // namespace

const char* refusedNameReason(const char* name, NameRules rules) {
    if (std::strchr(name, '/') != nullptr) {
        return "the name contains '/'";
    }
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        return "the name is a folder";
    }
    if (rules == NameRules::Windows) {
        if (std::strchr(name, '\\') != nullptr) {
            return "the name contains '\\'";
        }
        if (std::strchr(name, ':') != nullptr) {
            return "the name contains ':'";
        }
        if (isWindowsDeviceName(name)) {
            return "the name is a device";
        }
    }
    return nullptr;
}
