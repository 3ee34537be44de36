// The reader's tuning: sizes and thresholds chosen by measurement, not by the
// format. They trade memory (the 8 MB target includes all of them) against
// system calls and repeated walks:
//
// - The read block is large enough to hold a dozen ordinary tracks, so a
//   walk costs one read per 64 KiB, not one per header. Reading within a
//   probe past the block still counts as going on from it (a whole block is
//   loaded); reading elsewhere is a jump, which loads only a few headers'
//   worth, as a walk whose records leap ahead would otherwise pay a whole
//   block for each 16-byte header.
// - Headers reached by such leaps are remembered by file offset in an
//   eight-way table of 2^18 entries (3 MB), untouched, and so unmapped,
//   until more than a few lookups in it failed: a disk read in order misses
//   about once.
// - A walk that finds a header there looks up the ones that go on from it
//   there too, as they are often few before it leaps again, but after a
//   run of such finds it reads on from the block: a long run of contiguous
//   headers costs less read in blocks than looked up one by one.
// - Once more lookups in the table have failed than a disk has tracks, the
//   selected disk's walks leap about, and all its tracks are swept together
//   in one forward pass. A sweep remembers at most three quarters of the
//   table, visits at most twice its size, and gives up after its first
//   blocks when they yield fewer new headers than a few a block: cursors
//   leaping through a long file would read all of it for a handful.
#ifndef D88_TUNING_H
#define D88_TUNING_H

#include <cstdint>

inline constexpr std::int32_t READ_BUFFER_SIZE = 64 * 1024;
// Also the most a view of the block may ask for, and the longest step of a
// walk that does not count as a leap.
inline constexpr std::int32_t READ_PROBE_SIZE = 4 * 1024;
inline constexpr std::int32_t READ_JUMP_SIZE = 256;

inline constexpr int HEADER_CACHE_BITS = 18;
inline constexpr std::int32_t HEADER_CACHE_ENTRIES = std::int32_t{1} << HEADER_CACHE_BITS;
inline constexpr int HEADER_CACHE_WAYS = 8;
inline constexpr std::int32_t HEADER_CACHE_QUIET_MISSES = 8;
inline constexpr std::int32_t WALK_CACHED_RUN = 64;

inline constexpr std::int32_t SWEEP_AFTER_MISSES = 32;
inline constexpr std::int32_t SWEEP_HEADER_BUDGET = HEADER_CACHE_ENTRIES / 4 * 3;
inline constexpr std::int32_t SWEEP_VISIT_LIMIT = 2 * HEADER_CACHE_ENTRIES;
inline constexpr std::int32_t SWEEP_TRIAL_BLOCKS = 16;
inline constexpr std::int32_t SWEEP_HEADERS_PER_BLOCK = 8;

#endif
