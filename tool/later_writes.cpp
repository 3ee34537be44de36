#include "tool/later_writes.h"

#include <cstring>

#include "tool/dir_entry.h"
#include "tool/disk_plan.h"
#include "tool/output_file.h"

namespace {

struct Write {
    char name[DIR_NAME_SIZE + 1];
    WritePlace place;
};

// TTLPRG and every entry of every catalogued disk.
constexpr std::int32_t DIRECTORY_ENTRIES = DIRECTORY_SIZE / DIR_ENTRY_SIZE;
constexpr std::int32_t MAX_WRITES = MAX_DISKS * (1 + DIRECTORY_ENTRIES);

Write writes[MAX_WRITES];
std::int32_t writeCount = 0;

bool before(const WritePlace& a, const WritePlace& b) {
    return a.disk < b.disk || (a.disk == b.disk && a.entry < b.entry);
}

class WriteRecorder final : public DiskPlanSteps {
public:
    std::int32_t disk = 0;

    void boot(const BootPlan&) override {}
    void title(const FilePlan& plan) override { note(plan, TITLE_ENTRY); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t index, const DirEntry&, const FilePlan& plan) override { note(plan, index); }

private:
    void note(const FilePlan& plan, std::int32_t entry) {
        if (!writesFile(plan) || writeCount == MAX_WRITES) {
            return;
        }
        Write& write = writes[writeCount++];
        std::strncpy(write.name, plan.name, DIR_NAME_SIZE);
        write.name[DIR_NAME_SIZE] = '\0';
        write.place = WritePlace{disk, entry};
    }
};

}  // namespace

void rememberWrites(D88Image& image) {
    writeCount = 0;
    WriteRecorder recorder;
    for (std::int32_t i = 0; i < image.getDiskCount(); ++i) {
        // As d88extract does: a disk that cannot be selected reads as empty.
        (void)image.selectDisk(i);
        recorder.disk = i;
        planDisk(image, recorder);
    }
}

bool findLaterWrite(const char* name, WritePlace place, WritePlace& later) {
    for (std::int32_t k = 0; k < writeCount; ++k) {
        if (before(place, writes[k].place) && sameOutputName(name, writes[k].name)) {
            later = writes[k].place;
            return true;
        }
    }
    return false;
}
