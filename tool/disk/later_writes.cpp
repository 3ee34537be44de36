#include "tool/disk/later_writes.h"

#include <algorithm>
#include <cstring>

namespace {

bool before(const WritePlace& a, const WritePlace& b) {
    return a.disk < b.disk || (a.disk == b.disk && a.entry < b.entry);
}

// The plan's steps that remember writes: each file of disk `disk` written
// is noted.
class RememberSteps final : public DiskPlanSteps {
public:
    explicit RememberSteps(LaterWrites& laterWrites) : laterWrites(laterWrites) {}
    void boot(const BootPlan&) override {}
    void title(const FilePlan& plan) override { laterWrites.note(WritePlace{disk, TITLE_ENTRY}, plan); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t index, const DirEntry&, const FilePlan& plan) override {
        laterWrites.note(WritePlace{disk, index}, plan);
    }

    std::int32_t disk = 0;

private:
    LaterWrites& laterWrites;
};

}  // namespace

void rememberEveryWrite(D88Image& image, OutputPlace output, LaterWrites& laterWrites) {
    laterWrites.start(output.getSettings());
    RememberSteps steps(laterWrites);
    for (steps.disk = 0; steps.disk < image.getDiskCount(); ++steps.disk) {
        // As d88extract does: a disk that cannot be selected reads as empty.
        (void)image.selectDisk(steps.disk);
        output.enterDisk(steps.disk);
        planDisk(image, output, steps, PlanReads::Places);
    }
    laterWrites.finish();
}

void LaterWrites::start(const OutputSettings& settings) {
    count = 0;
    diskFolders = settings.diskFolders;
    utf8Names = settings.utf8Names;
}

void LaterWrites::finish() {
    // Every file of a run may be asked about: a search through all writes
    // for each would take the square of their number.
    for (std::int32_t k = 0; k < count; ++k) {
        order[k] = k;
    }
    std::sort(order, order + count, [this](std::int32_t a, std::int32_t b) {
        return writes[a].hash != writes[b].hash ? writes[a].hash < writes[b].hash : a < b;
    });
}

std::int32_t LaterWrites::firstOf(std::uint32_t hash) const {
    return static_cast<std::int32_t>(
        std::lower_bound(order, order + count, hash,
                         [this](std::int32_t index, std::uint32_t value) { return writes[index].hash < value; })
        - order);
}

void LaterWrites::note(WritePlace place, const FilePlan& plan) {
    if (!writesFile(plan) || count == MAX_WRITES) {
        return;
    }
    Write& write = writes[count++];
    std::strncpy(write.name, plan.name, DIR_NAME_SIZE);
    write.name[DIR_NAME_SIZE] = '\0';
    write.place = place;
    write.hash = outputNameHash(write.name, utf8Names);
}

bool LaterWrites::find(const char* name, WritePlace place, WritePlace& later) const {
    const std::uint32_t hash = outputNameHash(name, utf8Names);
    // A bucket holds its writes in the order of the run.
    for (std::int32_t rank = firstOf(hash); rank < count && writes[order[rank]].hash == hash; ++rank) {
        const Write& write = writes[order[rank]];
        if (diskFolders && write.place.disk != place.disk) {
            continue;
        }
        if (before(place, write.place) && sameOutputName(name, write.name, utf8Names)) {
            later = write.place;
            return true;
        }
    }
    return false;
}

bool LaterWrites::any(const char* name, std::int32_t disk) const {
    const std::uint32_t hash = outputNameHash(name, utf8Names);
    for (std::int32_t rank = firstOf(hash); rank < count && writes[order[rank]].hash == hash; ++rank) {
        const Write& write = writes[order[rank]];
        if ((!diskFolders || write.place.disk == disk) && sameOutputName(name, write.name, utf8Names)) {
            return true;
        }
    }
    return false;
}

bool LaterWrites::anyOther(const char* name, WritePlace place) const {
    return anyOther(name, place, [](WritePlace) { return false; });
}
