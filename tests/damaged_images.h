// Random images of the layout d88extract expects, damaged at random: absent
// and moved tracks, missing, short and renumbered sectors, sector counts of
// 0, and entries of every kind of name and run. The same seed makes the
// same images.
#ifndef TESTS_DAMAGED_IMAGES_H
#define TESTS_DAMAGED_IMAGES_H

#include <random>
#include <vector>

#include "tests/image_builder.h"

class DamagedImages {
public:
    explicit DamagedImages(unsigned seed) : random(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    std::vector<Disk> disks() {
        std::vector<Disk> out(static_cast<std::size_t>(pick(1, 3)));
        for (Disk& d : out) {
            d = disk();
        }
        return out;
    }

private:
    void damage(std::vector<Sector>& track, int percent) {
        if (track.empty() || !chance(percent)) {
            return;
        }
        Sector& s = track[static_cast<std::size_t>(pick(0, static_cast<int>(track.size()) - 1))];
        switch (pick(0, 3)) {
        case 0: track.erase(track.begin() + pick(0, static_cast<int>(track.size()) - 1)); break;
        case 1: s.data.resize(static_cast<std::size_t>(pick(0, static_cast<int>(s.data.size()) - 1))); break;
        case 2: s.sectorCount = 0; break;
        default: s.r = static_cast<std::uint8_t>(pick(1, 16)); break;
        }
    }

    Bytes entry() {
        static const char* const names[] = {"A", "B", "DUP", "dup", "", "../x", ".", "..", "TTLPRG", "LONGNM",
                                            "IMG"};
        const int first = pick(2, 6) * 5 + pick(0, 6);
        const int last = first + pick(-3, 8);
        return dirEntry(names[pick(0, 10)], first / 5, first % 5 + (chance(90) ? 0 : 5), last / 5,
                        last % 5);
    }

    Disk disk() {
        Disk d;
        if (chance(60)) {
            d.track(0, bootTrack(chance(50) ? SIGNATURE_A : SIGNATURE_B, static_cast<std::uint8_t>(pick(0, 99))));
            damage(d.tracks[0], 40);
        }
        std::vector<Bytes> entries(static_cast<std::size_t>(pick(0, 8)));
        for (Bytes& e : entries) {
            e = entry();
        }
        d.track(1, directoryTrack(entries));
        damage(d.tracks[1], 10);
        for (int t = 2; t <= 6; ++t) {
            if (chance(85)) {
                d.track(t, dataTrack(t));
                damage(d.tracks[t], 40);
            }
        }
        const auto size = static_cast<std::int32_t>(d.build().size());
        for (int t = 0; t <= 6; ++t) {
            if (chance(5)) {
                const std::int32_t kinds[] = {0, -16, size + 1};
                d.trackOffsets[t] = kinds[pick(0, 2)];
            }
        }
        return d;
    }

    std::mt19937 random;
};


#endif
