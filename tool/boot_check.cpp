#include "tool/boot_check.h"

#include "tool/buffers.h"
#include "tool/extract_file.h"
#include "tool/messages.h"
#include "tool/tool_image.h"

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
