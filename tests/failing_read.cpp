// Preloaded into the tool by the read-error tests: fread delivers the first
// D88_FAIL_READ_AFTER bytes of all reads and then fails with EIO, as a
// failing disk or network share would. The shipped tool has no such seam.
#include <dlfcn.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

extern "C" std::size_t fread(void* dest, std::size_t size, std::size_t count, std::FILE* stream) {
    using Fread = std::size_t (*)(void*, std::size_t, std::size_t, std::FILE*);
    static const Fread realFread = reinterpret_cast<Fread>(dlsym(RTLD_NEXT, "fread"));
    static const char* limit = std::getenv("D88_FAIL_READ_AFTER");
    static long long budget = limit != nullptr ? std::atoll(limit) : -1;
    std::size_t allowed = count;
    if (budget >= 0 && static_cast<unsigned long long>(budget) < size * count) {
        allowed = size != 0 ? static_cast<std::size_t>(budget) / size : 0;
    }
    const std::size_t got = allowed > 0 ? realFread(dest, size, allowed, stream) : 0;
    if (budget >= 0) {
        budget -= static_cast<long long>(got * size);
    }
    if (got < count && allowed < count) {
        errno = EIO;
    }
    return got;
}
