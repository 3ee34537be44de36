// Preloaded into d88put by the tests of what happens around its run: the
// moment its temporary file (".d88put-" in the name) is created, or when
// D88_INTERFERE_ON is set the moment a path holding that text is opened
// (a file the run compares, while it plans), it raises
// the signal D88_CREATE_RAISE, or changes the file D88_CHANGE_FILE as
// another program might: cut to D88_CHANGE_SIZE bytes, or one byte at
// D88_CHANGE_AT overwritten. The shipped tool has no such seam.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

void interfere() {
    if (const char* change = std::getenv("D88_CHANGE_FILE"); change != nullptr) {
        using Open = int (*)(const char*, int, ...);
        static const Open realOpen = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "open"));
        const int descriptor = realOpen(change, O_WRONLY);
        if (const char* size = std::getenv("D88_CHANGE_SIZE"); size != nullptr && descriptor >= 0) {
            (void)ftruncate(descriptor, std::atoll(size));
        }
        if (const char* at = std::getenv("D88_CHANGE_AT"); at != nullptr && descriptor >= 0) {
            const unsigned char changed = 0xA5;
            (void)pwrite(descriptor, &changed, 1, std::atoll(at));
        }
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
    if (const char* signal = std::getenv("D88_CREATE_RAISE"); signal != nullptr) {
        std::raise(std::atoi(signal));
    }
}

int openAndInterfere(const char* symbol, const char* path, int flags, mode_t mode) {
    using Open = int (*)(const char*, int, ...);
    const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, symbol));
    const int descriptor = real(path, flags, mode);
    const char* on = std::getenv("D88_INTERFERE_ON");
    const bool now = on != nullptr ? std::strstr(path, on) != nullptr
                                   : (flags & O_CREAT) != 0 && std::strstr(path, ".d88put-") != nullptr;
    if (descriptor >= 0 && now) {
        interfere();
    }
    return descriptor;
}

mode_t modeOf(int flags, va_list& rest) {
    return (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = modeOf(flags, rest);
    va_end(rest);
    return openAndInterfere("open", path, flags, mode);
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const mode_t mode = modeOf(flags, rest);
    va_end(rest);
    return openAndInterfere("open64", path, flags, mode);
}
