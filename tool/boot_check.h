// Boot disks of this system start track 0 (cylinder 0, head 0, sectors 1 to
// 16 of 256 bytes) with a boot sector whose bytes 1 to 18 are one of two
// signatures; the rest of that track is the title program, saved as TTLPRG.
#ifndef TOOL_BOOT_CHECK_H
#define TOOL_BOOT_CHECK_H

#include <cstdint>

inline constexpr std::int32_t BOOT_TRACK = 0;
inline constexpr std::int32_t BOOT_SIZE_CODE = 1;
inline constexpr std::int32_t BOOT_FIRST_SECTOR = 1;
inline constexpr std::int32_t BOOT_LAST_SECTOR = 16;
inline constexpr std::int32_t TITLE_FIRST_SECTOR = 2;
inline constexpr std::int32_t TITLE_SIZE = 15 * 256;

// Byte 0 of the boot sector, then the 18 signature bytes.
inline constexpr std::int32_t BOOT_CHECK_SIZE = 19;

enum class BootSignature { None, A, B };

// Which signature bytes 1 to 18 of `bootSector` (19 bytes) carry.
BootSignature findBootSignature(const std::uint8_t* bootSector);

#endif
