// The benchmark's images, made in memory.
//
// realistic: 64 full boot disks: track 0 of 16 x 256 bytes, tracks 1 to 163
//   of 5 x 1024 bytes, 128 directory entries covering every data sector.
// hostile:
//   a  one disk whose tracks 1 to 163 each hold 65,535 records: 65,530 of
//      data size 0, then the five wanted sectors; 128 directory entries each
//      asking for the longest run from track 1 sector 3 (1,523 sectors);
//   b  disk a, then a disk whose size is minus a's, so that the catalogue
//      holds disk a 32 times;
//   c  64 disks, each with its 164 track-table entries all pointing at
//      one track of 65,535 records holding every sector of a realistic disk
//      after 64,704 others;
//   d  a realistic disk whose tracks 1 to 163 each hold sector 1, then
//      65,529 records of data size 0 with sector 1's identity, then sectors 2
//      to 5;
//   e  64 realistic disks in which every record of tracks 2 to 163 claims
//      65,535 data bytes where 1,024 follow, so walks jump into later tracks
//      and past the end of the image;
//   f  a disk catalogued 32 times whose tracks 2 and 3 each hold 65,535
//      records, sectors 1 to 64 last; the 128 entries take turns between
//      the two tracks, each asking for one sector, every one another;
//   g  the same with five tracks (2 to 6) taking turns.
// long-runs: a disk of 164 full tracks whose 128 entries each ask for the
//   longest run from track 2 sector 1 (1.5 MB, of which 810 sectors are
//   there), catalogued 32 times: d88info's page on it must not copy the
//   runs' bytes again and again.
#ifndef BENCH_BENCH_IMAGES_H
#define BENCH_BENCH_IMAGES_H

#include <cstdint>
#include <string>
#include <vector>

#include "tests/image_builder.h"

struct BenchImage {
    std::string name;
    std::string description;
    Bytes bytes;
};

BenchImage realisticImage();
inline constexpr char LAST_HOSTILE = 'g';
// Each hostile image in turn ('a' to LAST_HOSTILE); made one at a time, as
// a and b are some hundred megabytes.
BenchImage hostileImage(char which);

BenchImage longRunsImage();

// The bytes a run works through: the image once for every time its
// catalogue lists a disk (each disk from its header to its size's end, at
// least its header, at most the file's end).
std::uint64_t workBytes(const Bytes& image);

#endif
