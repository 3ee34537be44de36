// Boot disks of this system carry one of two signatures in bytes 1 to 18 of
// their boot sector (track 0, sector 1; see disk_layout.h).
#ifndef TOOL_DISK_BOOT_CHECK_H
#define TOOL_DISK_BOOT_CHECK_H

#include <cstdint>

#include "tool/disk/disk_layout.h"

// The signature: 17 characters and their terminating 0, which is compared
// too, from byte 1 of the boot sector.
inline constexpr std::int32_t BOOT_SIGNATURE_OFFSET = 1;
inline constexpr std::int32_t BOOT_SIGNATURE_SIZE = 18;
// The bytes of the boot sector the check reads.
inline constexpr std::int32_t BOOT_CHECK_SIZE = BOOT_SIGNATURE_OFFSET + BOOT_SIGNATURE_SIZE;

enum class BootSignature { None, A, B };

// Which signature bytes 1 to 18 of `bootSector` (19 bytes) carry.
BootSignature findBootSignature(const std::uint8_t* bootSector);

#endif
