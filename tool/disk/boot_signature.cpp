#include <cstring>

#include "tool/disk/boot_check.h"

namespace {

constexpr std::uint8_t SIGNATURE_A[BOOT_SIGNATURE_SIZE] = {
    0x20, 0x4E, 0x6D, 0x28, 0xC7, 0xB0, 0xD3, 0x29, 0x20,
    0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};  // " Nm(" katakana ") IPL Sys "
constexpr std::uint8_t SIGNATURE_B[BOOT_SIGNATURE_SIZE] = {
    0x4D, 0x4F, 0x52, 0x56, 0x45, 0x4B, 0x20, 0x34, 0x20,
    0x49, 0x50, 0x4C, 0x20, 0x53, 0x79, 0x73, 0x20, 0x00};  // "MORVEK 4 IPL Sys "

}  // namespace

BootSignature findBootSignature(const std::uint8_t* bootSector) {
    if (std::memcmp(bootSector + BOOT_SIGNATURE_OFFSET, SIGNATURE_A, BOOT_SIGNATURE_SIZE) == 0) {
        return BootSignature::A;
    }
    if (std::memcmp(bootSector + BOOT_SIGNATURE_OFFSET, SIGNATURE_B, BOOT_SIGNATURE_SIZE) == 0) {
        return BootSignature::B;
    }
    return BootSignature::None;
}
