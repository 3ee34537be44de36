#include "examples/sample_image.h"

#include <string>

namespace {

// Sector contents a person can read in the extracted files.
Bytes labelled(const std::string& label, std::size_t size) {
    Bytes out;
    while (out.size() < size) {
        out.insert(out.end(), label.begin(), label.end());
    }
    out.resize(size);
    return out;
}

std::string twoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::vector<Sector> sampleDataTrack(int t) {
    std::vector<Sector> sectors;
    for (int r = 1; r <= 5; ++r) {
        sectors.push_back(sector(t >> 1, t & 1, r, 3, labelled("track " + twoDigits(t) + " sector " + std::to_string(r) + "\n", 1024)));
    }
    return sectors;
}

}  // namespace

Bytes sampleImage() {
    Disk disk;
    disk.name = "SAMPLE DISK";

    Bytes boot(256, 0);
    boot[0] = 0xC3;
    std::copy(SIGNATURE_A.begin(), SIGNATURE_A.end(), boot.begin() + 1);
    std::vector<Sector> bootSectors{sector(0, 0, 1, 1, boot)};
    for (int r = 2; r <= 16; ++r) {
        bootSectors.push_back(sector(0, 0, r, 1, labelled("title program, sector " + twoDigits(r) + "\n", 256)));
    }
    disk.track(0, bootSectors);

    Bytes katakana = dirEntry("", 3, 4, 3, 5);
    const Bytes sampleName = {0xBB, 0xDD, 0xCC, 0xDF, 0xD9};  // "sample" in half-width katakana
    std::copy(sampleName.begin(), sampleName.end(), katakana.begin());
    std::vector<Sector> directory = directoryTrack({
        dirEntry("HELLO", 2, 1, 2, 1),
        dirEntry("GAME", 2, 2, 3, 3),  // runs from track 2 into track 3
        katakana,
        dirEntry("MUSIC1", 4, 1, 5, 5),
        endOfDirectory(),
    });
    // Sectors 3 to 5 of the directory track are unused; label them too.
    const std::vector<Sector> labels = sampleDataTrack(1);
    for (int r = 3; r <= 5; ++r) {
        directory[r - 1] = labels[r - 1];
    }
    disk.track(1, directory);
    for (int t = 2; t <= 5; ++t) {
        disk.track(t, sampleDataTrack(t));
    }
    return buildImage({disk});
}
