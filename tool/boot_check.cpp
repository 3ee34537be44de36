#include "tool/boot_check.h"

#include <cstring>

#include "tool/buffers.h"
#include "tool/extract_file.h"
#include "tool/messages.h"
#include "tool/tool_image.h"

namespace {

constexpr std::int32_t SIGNATURE_OFFSET = 1;
constexpr std::int32_t SIGNATURE_SIZE = 18;

// 17 characters and their terminating 0, which is compared too.
constexpr std::uint8_t SIGNATURE_A[SIGNATURE_SIZE] = {
    0x20, 0x4E, 0x6D, 0x28, 0xC7, 0xB0, 0xD3, 0x29, 0x20,
    0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};  // " Nm(" katakana ") IPL Sys "
constexpr std::uint8_t SIGNATURE_B[SIGNATURE_SIZE] = {
    0x4D, 0x4F, 0x52, 0x56, 0x45, 0x4B, 0x20, 0x34, 0x20,
    0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};  // "MORVEK 4 IPL Sys "

}  // namespace

BootSignature findBootSignature(const std::uint8_t* bootSector) {
    if (std::memcmp(bootSector + SIGNATURE_OFFSET, SIGNATURE_A, SIGNATURE_SIZE) == 0) {
        return BootSignature::A;
    }
    if (std::memcmp(bootSector + SIGNATURE_OFFSET, SIGNATURE_B, SIGNATURE_SIZE) == 0) {
        return BootSignature::B;
    }
    return BootSignature::None;
}

void extractBootTrack() {
    image.setSectorRange(BOOT_FIRST_SECTOR, BOOT_LAST_SECTOR);
    const std::int32_t got = image.readSectors(BOOT_TRACK, 0, 0, BOOT_FIRST_SECTOR, BOOT_SIZE_CODE,
                                               sectorBuffer, BOOT_CHECK_SIZE);
    // Only bytes read from this disk count: sectorBuffer still holds the
    // previous disk's directory.
    if (got < BOOT_CHECK_SIZE || findBootSignature(sectorBuffer) == BootSignature::None) {
        return;
    }
    printBootDiskFound();
    (void)extractFile("TTLPRG", BOOT_TRACK, 0, 0, TITLE_FIRST_SECTOR, BOOT_SIZE_CODE, 0, TITLE_SIZE);
}
