#include "tool/d88extract/extract_disk.h"

#include "tool/cli/listing.h"
#include "tool/cli/messages.h"
#include "tool/d88extract/extract_file.h"
#include "tool/disk/disk_plan.h"

namespace {

// d88extract's part in each step of a disk's plan.
class Extraction final : public DiskPlanSteps {
public:
    explicit Extraction(Run& run) : run(run) {}

    bool takes(const char* name) override { return run.selection.takesFile(name); }
    void boot(const BootPlan&) override {}
    // Only a boot disk whose TTLPRG is taken is announced.
    void title(const FilePlan& plan) override {
        printBootDiskFound(run.console);
        carryOut(run, plan);
    }
    void directory(std::int32_t) override {}
    void entry(std::int32_t, const DirEntry& entry, const FilePlan& plan) override {
        printListingLine(run.console, stdout, entry);
        watchStandardOutput(run.console);
        carryOut(run, plan);
    }

private:
    Run& run;
};

}  // namespace

void extractDisk(D88Image& image, Run& run) {
    Extraction extraction(run);
    planDisk(image, run.output, extraction);
}
