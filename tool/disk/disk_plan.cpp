#include "tool/disk/disk_plan.h"

#include <cstring>

#include "tool/disk/buffers.h"
#include "tool/disk/output_name.h"

namespace {


// Every record of one track, to tell a sector hidden behind a count of 0
// from one that is not there at all.
std::uint8_t trackIds[MAX_TRACK_RECORDS * TRACK_ID_SIZE];

bool trackHolds(D88Image& image, const RunStop& stop) {
    if (((stop.c | stop.h | stop.r | stop.n) & ~SECTOR_ID_MAX) != 0) {
        return false;
    }
    const std::int32_t count = image.readTrackIds(stop.track, trackIds, sizeof trackIds) / TRACK_ID_SIZE;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::uint8_t* id = trackIds + TRACK_ID_SIZE * i;
        if (id[0] == stop.c && id[1] == stop.h && id[2] == stop.r && id[3] == stop.n) {
            return true;
        }
    }
    return false;
}

// The decisions d88extract makes for one file, in its order; the bytes stay
// in transferBuffer, which the plan points to, for the caller.
FilePlan planFile(D88Image& image, const OutputPlace& output, PlanReads reads, const char* name,
                  std::int32_t track, std::int32_t r, std::int32_t n, std::int32_t size) {
    FilePlan plan;
    plan.name = name;
    plan.size = size;
    if (size <= 0 || size > TRANSFER_BUFFER_SIZE) {
        plan.outcome = FileOutcome::NoSize;
        return plan;
    }
    std::int32_t got = 0;
    if (reads == PlanReads::Bytes) {
        // Bytes that do not arrive must not be the previous file's bytes.
        std::memset(transferBuffer, 0, static_cast<std::size_t>(size));
        got = image.readSectors(track, cylinderOf(track), headOf(track), r, n, transferBuffer, size);
        plan.bytes = transferBuffer;
    } else {
        got = image.locateSectors(track, cylinderOf(track), headOf(track), r, n, size);
    }
    plan.stop = image.getLastRunStop();
    plan.arrived = image.getLastRunLength();
    if (got == 0) {
        plan.outcome = FileOutcome::NothingRead;
        return plan;
    }
    if (name[0] == '\0') {
        plan.outcome = FileOutcome::EmptyName;
        return plan;
    }
    plan.refusal = nameRefusal(output, name);
    // Creating the file would truncate the image that the walk still reads.
    if (plan.refusal == nullptr && output.isImage(name)) {
        plan.refusal = "the file is the image being read";
    }
    if (plan.refusal != nullptr) {
        plan.outcome = FileOutcome::RefusedName;
        return plan;
    }
    plan.outcome = got < size ? FileOutcome::WrittenShort : FileOutcome::Written;
    return plan;
}

BootPlan planBoot(D88Image& image) {
    image.setSectorRange(BOOT_FIRST_SECTOR, BOOT_LAST_SECTOR);
    const std::int32_t got = image.readSectors(BOOT_TRACK, cylinderOf(BOOT_TRACK), headOf(BOOT_TRACK),
                                               BOOT_FIRST_SECTOR, BOOT_SIZE_CODE, sectorBuffer, BOOT_CHECK_SIZE);
    BootPlan plan;
    // Only bytes read from this disk count: sectorBuffer still holds the
    // previous disk's directory.
    plan.sectorRead = got == BOOT_CHECK_SIZE;
    if (plan.sectorRead) {
        plan.signature = findBootSignature(sectorBuffer);
    }
    return plan;
}

}  // namespace

const char* nameRefusal(const OutputPlace& output, const char* name) {
    const char* refusal = refusedNameReason(name, HOST_NAME_RULES);
    return refusal != nullptr ? refusal : output.nameProblem(name);
}

StopReason whyStopped(D88Image& image, const RunStop& stop) {
    const std::int32_t offset = image.getTrackOffset(stop.track);
    if (offset == 0) {
        return StopReason::TrackAbsent;
    }
    if (offset < 0 || offset > image.getDiskSize()) {
        return StopReason::TrackOutside;
    }
    if (stop.found) {
        return StopReason::SectorShort;
    }
    return trackHolds(image, stop) ? StopReason::CountZeroEnds : StopReason::SectorNotFound;
}

void planDisk(D88Image& image, const OutputPlace& output, DiskPlanSteps& steps, PlanReads reads) {
    const BootPlan boot = planBoot(image);
    steps.boot(boot);
    if (isBootDisk(boot) && steps.takes(TITLE_NAME)) {
        steps.title(planFile(image, output, reads, TITLE_NAME, BOOT_TRACK, TITLE_FIRST_SECTOR, BOOT_SIZE_CODE,
                             TITLE_SIZE));
    }

    image.setSectorRange(DATA_FIRST_SECTOR, DATA_LAST_SECTOR);
    const std::int32_t got =
        image.readSectors(DIRECTORY_TRACK, cylinderOf(DIRECTORY_TRACK), headOf(DIRECTORY_TRACK),
                          DIRECTORY_FIRST_SECTOR, DATA_SIZE_CODE, sectorBuffer, DIRECTORY_SIZE);
    // Only entries read from this disk: the rest of sectorBuffer is stale.
    const std::int32_t entryCount = got / DIR_ENTRY_SIZE;
    steps.directory(entryCount);
    for (std::int32_t j = 0; j < entryCount; ++j) {
        const std::uint8_t* bytes = sectorBuffer + DIR_ENTRY_SIZE * j;
        if (isDirectoryEnd(bytes)) {
            return;
        }
        const DirEntry entry = readDirEntry(bytes);
        if (!steps.takes(entry.name)) {
            continue;
        }
        steps.entry(j, entry,
                    planFile(image, output, reads, entry.name, entry.startTrack, entry.startSector, DATA_SIZE_CODE,
                             dirEntrySize(entry)));
    }
}

std::int32_t firstListing(const D88Image& image, std::int32_t disk) {
    const std::int32_t offset = image.getDiskOffset(disk);
    for (std::int32_t k = 0; k < disk; ++k) {
        if (image.getDiskOffset(k) == offset) {
            return k;
        }
    }
    return disk;
}
