// Writes the fuzzers' seed corpora, made with the tests' image builder:
// make_seeds READER_DIR EXTRACT_DIR. Each seed is a small image with one
// trait the reader must handle; the reader seeds carry a short operation
// script in front and its length as the last byte.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "examples/sample_image.h"
#include "tests/image_builder.h"

namespace fs = std::filesystem;

namespace {

Disk bootDisk() {
    Disk disk;
    disk.name = "SEED";
    disk.track(0, bootTrack(SIGNATURE_A));
    disk.track(1, directoryTrack({dirEntry("ONE", 2, 1, 2, 3), dirEntry("TWO", 2, 4, 3, 5),
                                  dirEntry("../X", 2, 1, 2, 1), endOfDirectory()}));
    disk.track(2, dataTrack(2)).track(3, dataTrack(3));
    return disk;
}

Disk duplicates() {
    Disk disk;
    std::vector<Sector> track{sector(1, 0, 1, 3, bytes(64, 1)), sector(1, 0, 1, 3, bytes(64, 2)),
                              sector(1, 0, 2, 3, bytes(64, 3))};
    disk.track(2, track).track(3, track);
    disk.trackOffsets[4] = 688;  // two table entries, one track
    return disk;
}

Disk oddCounts() {
    Disk disk;
    Sector first = sector(1, 0, 1, 1, bytes(32, 1));
    first.sectorCount = 2;
    Sector later = sector(1, 0, 2, 1, bytes(32, 2));
    later.sectorCount = 1;
    Sector empty = sector(1, 1, 1, 1, bytes(32, 3));
    empty.sectorCount = 0;
    disk.track(2, {first, later, later, later});
    disk.track(3, {sector(1, 1, 2, 1, bytes(8, 4)), empty, sector(1, 1, 3, 1, bytes(8, 5))});
    return disk;
}

Disk oversized() {
    Disk disk;
    Sector big = sector(2, 0, 1, 3, bytes(100, 7));
    big.dataSize = 0xFFFF;  // skips past the end of the image
    disk.track(4, {big, sector(2, 0, 2, 3, bytes(100, 8))});
    disk.trackOffsets[5] = -16;
    disk.trackOffsets[6] = 0x7FFFFFFF;
    return disk;
}

Disk cancelling(std::int32_t firstSize) {
    Disk disk;
    disk.diskSize = -firstSize;
    return disk;
}

// Opens, selects disk 0, reads sectors and runs, lists tracks, selects disk 1.
const Bytes SCRIPT = {2, 0, 4, 0, 2, 0, 1, 0, 1, 3, 0, 4, 0, 4, 0, 2, 1, 1, 3, 0,
                      6, 0, 2, 0, 40, 2, 0, 1, 4, 0, 3, 1, 0, 8, 6, 0, 3, 0, 64, 0};

void write(const fs::path& path, const Bytes& content) { writeFile(path, content); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s READER_DIR EXTRACT_DIR\n", argv[0]);
        return 2;
    }
    const fs::path readerDir = argv[1];
    const fs::path extractDir = argv[2];
    fs::create_directories(readerDir);
    fs::create_directories(extractDir);

    const Bytes boot = buildImage({bootDisk()});
    std::vector<Bytes> images = {
        sampleImage(),
        boot,
        buildImage({bootDisk(), bootDisk()}),
        buildImage({duplicates()}),
        buildImage({oddCounts()}),
        buildImage({oversized()}),
        buildImage({bootDisk(), cancelling(static_cast<std::int32_t>(boot.size()))}),
        Bytes(boot.begin(), boot.begin() + static_cast<std::ptrdiff_t>(boot.size() / 2)),
        adventureImage(),
    };
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string name = "seed" + std::to_string(i);
        write(extractDir / name, images[i]);
        Bytes withScript = SCRIPT;
        withScript.insert(withScript.end(), images[i].begin(), images[i].end());
        withScript.push_back(static_cast<std::uint8_t>(SCRIPT.size()));
        write(readerDir / name, withScript);
    }
    return 0;
}
