#include "tool/extract_disk.h"

#include "tool/disk_plan.h"
#include "tool/extract_file.h"
#include "tool/messages.h"

namespace {

// d88extract's part in each step of a disk's plan.
class Extraction final : public DiskPlanSteps {
public:
    void boot(const BootPlan& plan) override {
        if (isBootDisk(plan)) {
            printBootDiskFound();
        }
    }
    void title(const FilePlan& plan) override { carryOut(plan); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t, const DirEntry& entry, const FilePlan& plan) override {
        printListingLine(stdout, entry);
        watchStandardOutput();
        carryOut(plan);
    }
};

}  // namespace

void extractDisk(D88Image& image) {
    Extraction extraction;
    planDisk(image, extraction);
}
