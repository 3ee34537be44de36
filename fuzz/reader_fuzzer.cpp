// Opens arbitrary bytes as an image and drives every reader operation with
// parameters from the input, checking each result against ReferenceReader,
// and each located run against the same run read.
//
// Input: script bytes | image bytes | one byte giving the script's length.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "d88/d88_image.h"
#include "tests/reference_reader.h"

namespace {

constexpr std::int32_t MAX_READ = 3 * 65536;
constexpr std::uint8_t FILL = 0xA5;

// Too large for a thread stack; one for the whole run.
D88Image reader;

const std::string& imagePath() {
    static const std::string path = "/tmp/d88_reader_fuzz." + std::to_string(::getpid()) + ".d88";
    return path;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "reader and reference disagree: %s\n", what);
        std::abort();
    }
}

// A byte count: mostly a sector's worth, now and then up to `high`.
std::int32_t length(FuzzedDataProvider& script, std::int32_t high) {
    constexpr std::int32_t USUAL = 4096;
    if (script.ConsumeIntegralInRange<int>(0, 7) == 0) {
        return script.ConsumeIntegralInRange<std::int32_t>(-4, high);
    }
    return script.ConsumeIntegralInRange<std::int32_t>(-1, USUAL);
}

// Mostly values an image uses, now and then any 32-bit value.
std::int32_t parameter(FuzzedDataProvider& script, std::int32_t low, std::int32_t high) {
    if (script.ConsumeIntegralInRange<int>(0, 7) == 0) {
        return script.ConsumeIntegral<std::int32_t>();
    }
    return script.ConsumeIntegralInRange<std::int32_t>(low, high);
}

void compareBuffers(const std::vector<std::uint8_t>& got, const std::vector<std::uint8_t>& want,
                    const char* what) {
    check(got == want, what);
}

void runOperation(FuzzedDataProvider& script, ReferenceReader& reference) {
    enum Operation { OPEN, CLOSE, SELECT, RANGE, SECTOR, SECTORS, IDS, LAST = IDS };
    switch (script.ConsumeIntegralInRange<int>(0, LAST)) {
    case OPEN:
        check(reader.open(imagePath().c_str()), "open");
        reference.open();
        check(reader.getDiskCount() == reference.getDiskCount(), "disk count");
        break;
    case CLOSE:
        reader.close();
        reference.close();
        break;
    case SELECT: {
        const std::int32_t index = parameter(script, -1, 64);
        check(reader.selectDisk(index) == reference.selectDisk(index), "selectDisk");
        check(reader.getMediaType() == reference.getMediaType(), "media type");
        check(reference.getDiskName() == reader.getDiskName(), "disk name");
        break;
    }
    case RANGE: {
        const std::int32_t first = parameter(script, 0, 20);
        const std::int32_t last = parameter(script, 0, 20);
        reader.setSectorRange(first, last);
        reference.setSectorRange(first, last);
        break;
    }
    case SECTOR:
    case SECTORS: {
        const bool run = script.remaining_bytes() > 0 && script.ConsumeBool();
        const std::int32_t track = parameter(script, -1, 164);
        const std::int32_t c = parameter(script, 0, 4);
        const std::int32_t h = parameter(script, 0, 2);
        const std::int32_t r = parameter(script, 0, 20);
        const std::int32_t n = parameter(script, -1, 8);
        const std::int32_t count = length(script, MAX_READ);
        // Exactly as large as asked, so a write past it is caught.
        const std::size_t size = count > 0 ? static_cast<std::size_t>(count) : 0;
        std::vector<std::uint8_t> got(size, FILL);
        std::vector<std::uint8_t> want(size, FILL);
        if (run) {
            // Locating a run must tell what reading it delivers.
            const std::int32_t located = reader.locateSectors(track, c, h, r, n, count);
            const std::int32_t locatedLength = reader.getLastRunLength();
            const std::int32_t read = reader.readSectors(track, c, h, r, n, got.data(), count);
            check(read == reference.readSectors(track, c, h, r, n, want.data(), count), "readSectors count");
            check(located == read && locatedLength == reader.getLastRunLength(), "locateSectors");
        } else {
            check(reader.readSector(track, c, h, r, n, got.data(), count)
                      == reference.readSector(track, c, h, r, n, want.data(), count),
                  "readSector count");
        }
        compareBuffers(got, want, "sector bytes");
        break;
    }
    case IDS: {
        const std::int32_t track = parameter(script, -1, 164);
        const std::int32_t outLen = length(script, 4 * 65536);
        const std::size_t size = outLen > 0 ? static_cast<std::size_t>(outLen) : 0;
        std::vector<std::uint8_t> got(size, FILL);
        std::vector<std::uint8_t> want(size, FILL);
        check(reader.readTrackIds(track, got.data(), outLen) == reference.readTrackIds(track, want.data(), outLen),
              "readTrackIds count");
        compareBuffers(got, want, "track ids");
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t scriptLength = std::min<std::size_t>(data[size - 1], size - 1);
    const std::vector<std::uint8_t> image(data + scriptLength, data + size - 1);
    std::FILE* file = std::fopen(imagePath().c_str(), "wb");
    if (file == nullptr || std::fwrite(image.data(), 1, image.size(), file) != image.size()
        || std::fclose(file) != 0) {
        std::abort();
    }

    ReferenceReader reference(image);
    check(reader.open(imagePath().c_str()), "open");
    reference.open();
    check(reader.getDiskCount() == reference.getDiskCount(), "disk count");
    // Usually start on a selected disk, as the tool does.
    (void)reader.selectDisk(0);
    (void)reference.selectDisk(0);
    FuzzedDataProvider script(data, scriptLength);
    while (script.remaining_bytes() > 0) {
        runOperation(script, reference);
    }
    reader.close();
    return 0;
}
