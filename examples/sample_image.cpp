#include "examples/sample_image.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

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
        sectors.push_back(
            sector(t >> 1, t & 1, r, 3,
                   labelled("track " + twoDigits(t) + " sector " + std::to_string(r) + "\n", 1024)));
    }
    return sectors;
}

Bytes bootSector() {
    Bytes boot(256, 0);
    boot[0] = 0xC3;
    std::copy(SIGNATURE_A.begin(), SIGNATURE_A.end(), boot.begin() + 1);
    return boot;
}

// Track 0 of a boot disk: the signature, then the title program.
std::vector<Sector> titleTrack() {
    std::vector<Sector> sectors{sector(0, 0, 1, 1, bootSector())};
    for (int r = 2; r <= 16; ++r) {
        sectors.push_back(sector(0, 0, r, 1, labelled("title program, sector " + twoDigits(r) + "\n", 256)));
    }
    return sectors;
}

// A directory track whose sectors after the directory are labelled too.
std::vector<Sector> labelledDirectory(const std::vector<Bytes>& entries) {
    std::vector<Sector> directory = directoryTrack(entries);
    const std::vector<Sector> labels = sampleDataTrack(1);
    for (int r = 3; r <= 5; ++r) {
        directory[r - 1] = labels[r - 1];
    }
    return directory;
}

// The data tracks 2 to `lastTrack` of a disk with room: each sector holds
// its slice of the file placed there, or the format's fill byte, 0xE5,
// where no file is.
struct Layout {
    int lastTrack;
    std::map<std::pair<int, int>, Bytes> contents;  // by track and sector

    void file(int startTrack, int startSector, std::size_t sectors, const Bytes& content) {
        int t = startTrack;
        int r = startSector;
        for (std::size_t i = 0; i < sectors; ++i) {
            Bytes slice(1024, 0);
            for (std::size_t b = 0; b < 1024 && i * 1024 + b < content.size(); ++b) {
                slice[b] = content[i * 1024 + b];
            }
            contents[{t, r}] = slice;
            if (++r > 5) {
                r = 1;
                ++t;
            }
        }
    }
    void addTo(Disk& disk) const {
        for (int t = 2; t <= lastTrack; ++t) {
            std::vector<Sector> sectors;
            for (int r = 1; r <= 5; ++r) {
                const auto found = contents.find({t, r});
                sectors.push_back(
                    sector(t >> 1, t & 1, r, 3, found != contents.end() ? found->second : bytes(1024, 0xE5)));
            }
            disk.track(t, sectors);
        }
    }
};

// A file of numbered lines, the same message in each, zeros after the last
// line that fits.
Bytes messages(const std::string& message, std::size_t size) {
    Bytes out;
    for (int n = 1;; ++n) {
        const std::string number = std::to_string(n);
        const std::string line = std::string(3 - number.size(), '0') + number + " " + message + "\n";
        if (out.size() + line.size() > size) {
            break;
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    out.resize(size, 0);
    return out;
}

// Data a person can tell apart in the files: its name and sector number.
Bytes labelledFile(const std::string& name, int sectors) {
    Bytes out;
    for (int i = 1; i <= sectors; ++i) {
        const Bytes slice = labelled(name + ", sector " + twoDigits(i) + "\n", 1024);
        out.insert(out.end(), slice.begin(), slice.end());
    }
    return out;
}

}  // namespace

Bytes sampleImage() {
    Disk disk;
    disk.name = "SAMPLE DISK";

    disk.track(0, titleTrack());

    Bytes katakana = dirEntry("", 3, 4, 3, 5);
    const Bytes sampleName = {0xBB, 0xDD, 0xCC, 0xDF, 0xD9};  // "sample" in half-width katakana
    std::copy(sampleName.begin(), sampleName.end(), katakana.begin());
    disk.track(1, labelledDirectory({
                      dirEntry("HELLO", 2, 1, 2, 1),
                      dirEntry("GAME", 2, 2, 3, 3),  // runs from track 2 into track 3
                      katakana,
                      dirEntry("MUSIC1", 4, 1, 5, 5),
                      endOfDirectory(),
                  }));
    for (int t = 2; t <= 5; ++t) {
        disk.track(t, sampleDataTrack(t));
    }
    return buildImage({disk});
}

// README.md's story: on the message disk MSG1 grows into the free sector
// after it; MSG2 cannot (MAP follows it) and moves to the free run on track
// 3; then no two free sectors are left side by side, so DEMO is deleted to
// make room for a new file of two sectors. The free run lies before DEMO so
// that MSG2 moves to the same place whether or not DEMO is deleted first.
Bytes adventureImage() {
    Disk boot;
    boot.name = "ADVENTURE 1";
    boot.track(0, titleTrack());
    Bytes title = dirEntry("", 3, 4, 3, 5);
    const Bytes titleName = {0xC0, 0xB2, 0xC4, 0xD9};  // "title" in half-width katakana
    std::copy(titleName.begin(), titleName.end(), title.begin());
    boot.track(1, labelledDirectory({dirEntry("MAIN", 2, 1, 3, 3), title, endOfDirectory()}));
    Layout program{3, {}};
    program.file(2, 1, 8, labelledFile("main program", 8));
    program.file(3, 4, 2, labelledFile("title picture", 2));
    program.addTo(boot);

    // Tracks 2 to 5: 17 sectors taken, free 2/3, 3/4 and 3/5.
    Disk text;
    text.name = "ADVENTURE 2";
    std::vector<Sector> noBoot;
    for (int r = 1; r <= 16; ++r) {
        noBoot.push_back(sector(0, 0, r, 1, bytes(256, 0xE5)));
    }
    text.track(0, noBoot);
    text.track(1, labelledDirectory({
                      dirEntry("MSG1", 2, 1, 2, 2),
                      dirEntry("MSG2", 4, 3, 4, 3),
                      dirEntry("MAP", 2, 4, 3, 3),
                      dirEntry("DEMO", 4, 1, 4, 2),
                      dirEntry("SOUND", 4, 4, 5, 5),
                      endOfDirectory(),
                  }));
    Layout files{5, {}};
    files.file(2, 1, 2, messages("DOA GA AKANAI.", 2048));
    files.file(2, 4, 5, labelledFile("map", 5));
    files.file(4, 1, 2, labelledFile("demo", 2));
    files.file(4, 3, 1, messages("KAGI GA NAI.", 1024));
    files.file(4, 4, 7, labelledFile("sound", 7));
    files.addTo(text);
    return buildImage({boot, text});
}
