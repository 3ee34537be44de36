#include "tool/disk/later_writes.h"

#include <cstring>

#include "tool/host/file_system.h"

namespace {

bool before(const WritePlace& a, const WritePlace& b) {
    return a.disk < b.disk || (a.disk == b.disk && a.entry < b.entry);
}

}  // namespace

void LaterWrites::remember(D88Image& image, OutputPlace output) {
    count = 0;
    diskFolders = output.getSettings().diskFolders;
    utf8Names = output.getSettings().utf8Names;
    for (disk = 0; disk < image.getDiskCount(); ++disk) {
        // As d88extract does: a disk that cannot be selected reads as empty.
        (void)image.selectDisk(disk);
        output.enterDisk(disk);
        planDisk(image, output, *this, PlanReads::Places);
    }
}

void LaterWrites::title(const FilePlan& plan) { note(plan, TITLE_ENTRY); }

void LaterWrites::entry(std::int32_t index, const DirEntry&, const FilePlan& plan) { note(plan, index); }

void LaterWrites::note(const FilePlan& plan, std::int32_t entry) {
    if (!writesFile(plan) || count == MAX_WRITES) {
        return;
    }
    Write& write = writes[count++];
    std::strncpy(write.name, plan.name, DIR_NAME_SIZE);
    write.name[DIR_NAME_SIZE] = '\0';
    write.place = WritePlace{disk, entry};
}

bool LaterWrites::find(const char* name, WritePlace place, WritePlace& later) const {
    for (std::int32_t k = 0; k < count; ++k) {
        const Write& write = writes[k];
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
    for (std::int32_t k = 0; k < count; ++k) {
        const Write& write = writes[k];
        if ((!diskFolders || write.place.disk == disk) && sameOutputName(name, write.name, utf8Names)) {
            return true;
        }
    }
    return false;
}
