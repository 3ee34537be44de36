// Preloaded into a tool by the failure tests, for failures a test machine
// cannot make (its tests run as root, on a roomy disk, with every
// converter). Each is switched on by its variable:
//   D88_FAIL_WRITES=E      fwrite to a file (not standard output or error)
//                          writes nothing and fails with errno E, as a full
//                          disk does;
//   D88_RAISE_AT_WRITE=S   the first such fwrite raises signal S first, as
//                          a Ctrl-C in the middle of writing;
//   D88_GROW_AT_OPEN=PATH  the second open of PATH (as the tool names it)
//                          finds the file one byte longer, as when an
//                          editor saves it again in the meantime;
//   D88_NO_ICONV=1         iconv_open fails, as on a system without the
//                          Shift_JIS converter.
// The shipped tools have no such seam.
#include <dlfcn.h>
#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : 0;
}

using Open = int (*)(const char*, int, ...);

// Appends a byte to `path` just before its second opening.
void growAtSecondOpen(const char* path, Open realOpen) {
    static int opened = 0;
    const char* name = std::getenv("D88_GROW_AT_OPEN");
    if (name == nullptr || std::strcmp(path, name) != 0 || ++opened != 2) {
        return;
    }
    const int descriptor = realOpen(path, O_WRONLY | O_APPEND);
    if (descriptor >= 0) {
        (void)!write(descriptor, "+", 1);
        close(descriptor);
    }
}

int openWith(const char* symbol, const char* path, int flags, va_list rest) {
    static const Open realOpen = next<Open>("open");
    const Open real = next<Open>(symbol);
    const mode_t mode = (flags & O_CREAT) != 0 ? static_cast<mode_t>(va_arg(rest, int)) : 0;
    growAtSecondOpen(path, realOpen);
    return real(path, flags, mode);
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const int result = openWith("open", path, flags, rest);
    va_end(rest);
    return result;
}

extern "C" int open64(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const int result = openWith("open64", path, flags, rest);
    va_end(rest);
    return result;
}

extern "C" std::size_t fwrite(const void* source, std::size_t size, std::size_t count, std::FILE* stream) {
    using Fwrite = std::size_t (*)(const void*, std::size_t, std::size_t, std::FILE*);
    static const Fwrite realFwrite = next<Fwrite>("fwrite");
    static bool raised = false;
    if (stream != stdout && stream != stderr) {
        if (const int signal = setting("D88_RAISE_AT_WRITE"); signal != 0 && !raised) {
            raised = true;
            std::raise(signal);
        }
        if (const int error = setting("D88_FAIL_WRITES"); error != 0) {
            errno = error;
            return 0;
        }
    }
    return realFwrite(source, size, count, stream);
}

extern "C" iconv_t iconv_open(const char* to, const char* from) {
    using IconvOpen = iconv_t (*)(const char*, const char*);
    static const IconvOpen realIconvOpen = next<IconvOpen>("iconv_open");
    if (setting("D88_NO_ICONV") != 0) {
        errno = EINVAL;
        return reinterpret_cast<iconv_t>(-1);
    }
    return realIconvOpen(to, from);
}
