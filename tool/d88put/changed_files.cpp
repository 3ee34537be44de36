#include "tool/d88put/changed_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d88/file_io.h"
#include "tool/cli/messages.h"
#include "tool/disk/buffers.h"
#include "tool/disk/output_name.h"

namespace {

// Files are compared a block at a time.
constexpr std::int32_t COMPARE_BLOCK = 64 * 1024;
std::uint8_t fileBlock[COMPARE_BLOCK];
std::uint8_t otherBlock[COMPARE_BLOCK];

// Whether the next `size` bytes of `file` are `bytes`; false with `error`
// set when reading failed.
bool holdsBytes(std::FILE* file, const std::uint8_t* bytes, std::int64_t size, int& error) {
    for (std::int64_t done = 0; done < size;) {
        const std::int32_t want =
            size - done < COMPARE_BLOCK ? static_cast<std::int32_t>(size - done) : COMPARE_BLOCK;
        errno = 0;
        if (readBytes(file, fileBlock, want) != want) {
            error = errno != 0 ? errno : EIO;
            return false;
        }
        if (std::memcmp(fileBlock, bytes + done, static_cast<std::size_t>(want)) != 0) {
            return false;
        }
        done += want;
    }
    return true;
}

// Whether two open files of `size` bytes hold the same bytes.
bool sameFiles(std::FILE* a, std::FILE* b, std::int64_t size, int& error) {
    for (std::int64_t done = 0; done < size;) {
        const std::int32_t want =
            size - done < COMPARE_BLOCK ? static_cast<std::int32_t>(size - done) : COMPARE_BLOCK;
        errno = 0;
        if (readBytes(b, otherBlock, want) != want) {
            error = errno != 0 ? errno : EIO;
            return false;
        }
        if (!holdsBytes(a, otherBlock, want, error)) {
            return false;
        }
        done += want;
    }
    return true;
}

// The length of an open file, which is left at its start.
std::int64_t lengthOf(std::FILE* file) {
    const std::int64_t length = fileLength(file);
    return seekFromStart(file, 0) ? length : -1;
}

class ChangeFinder final : public DiskPlanSteps {
public:
    ChangeFinder(Run& run, const LaterWrites& laterWrites, PutPlan& plan, std::int32_t disk,
                 std::int32_t diskOffset)
        : run(run), laterWrites(laterWrites), plan(plan), disk(disk), diskOffset(diskOffset) {}

    void boot(const BootPlan&) override {}
    void title(const FilePlan& file) override { consider(file, TITLE_ENTRY, DirEntry{}); }
    void directory(std::int32_t) override {}
    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& file) override {
        consider(file, index, entry);
    }

private:
    void consider(const FilePlan& file, std::int32_t index, const DirEntry& entry);
    bool sameAsEarlierCopy(Change& earlier, const char* name, std::int64_t length);
    void failFile(const char* name, int error);

    Run& run;
    const LaterWrites& laterWrites;
    PutPlan& plan;
    std::int32_t disk;
    std::int32_t diskOffset;
};

void ChangeFinder::failFile(const char* name, int error) {
    char shown[64];
    run.output.shownName(name, shown, sizeof shown);
    reportFileProblem(run.console, shown, "cannot read the file: %s", systemReason(error));
    run.fileFailed = true;
}

void ChangeFinder::consider(const FilePlan& file, std::int32_t index, const DirEntry& entry) {
    // d88extract makes no file of such a name, whether or not its run can
    // be read.
    if (file.name[0] == '\0' || refusedNameReason(file.name, HOST_NAME_RULES) != nullptr
        || run.output.isImage(file.name)) {
        return;
    }
    // The file belongs to the write whose bytes d88extract leaves in it.
    const WritePlace place{disk, index};
    WritePlace later;
    if (writesFile(file) ? laterWrites.find(file.name, place, later) : laterWrites.any(file.name, disk)) {
        return;
    }
    errno = 0;
    std::FILE* in = run.output.openExisting(file.name);
    if (in == nullptr) {
        if (errno != ENOENT) {
            failFile(file.name, errno);
        }
        return;
    }
    const std::int64_t length = lengthOf(in);
    int error = 0;
    bool same = false;
    if (length < 0) {
        error = errno != 0 ? errno : EIO;
    } else if (writesFile(file) && length == file.size) {
        same = holdsBytes(in, transferBuffer, length, error);
    }
    std::fclose(in);
    if (error != 0) {
        failFile(file.name, error);
        return;
    }
    if (same) {
        return;
    }
    // A disk listed again at the same place is the same disk: its file in
    // another folder is a copy of the same entry's.
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        Change& earlier = plan.change(i);
        if (earlier.diskOffset == diskOffset && earlier.place.entry == index && earlier.place.disk != disk) {
            if (!sameAsEarlierCopy(earlier, file.name, length)) {
                earlier.refuse("its copies differ");
            }
            return;
        }
    }
    Change* change = plan.addChange();
    if (change == nullptr) {
        return;  // cannot happen: there is room for every entry of every disk
    }
    change->place = place;
    change->diskOffset = diskOffset;
    std::strncpy(change->name, file.name, DIR_NAME_SIZE);
    change->entry = entry;
    change->length = length;
    change->outcome = file.outcome;
    change->runSize = file.size;
}

bool ChangeFinder::sameAsEarlierCopy(Change& earlier, const char* name, std::int64_t length) {
    if (earlier.length != length) {
        return false;
    }
    OutputPlace earlierPlace = run.output;
    earlierPlace.enterDisk(earlier.place.disk);
    std::FILE* a = run.output.openExisting(name);
    std::FILE* b = earlierPlace.openExisting(earlier.name);
    int error = 0;
    const bool same = a != nullptr && b != nullptr && sameFiles(a, b, length, error);
    if (a != nullptr) {
        std::fclose(a);
    }
    if (b != nullptr) {
        std::fclose(b);
    }
    return same;
}

}  // namespace

void findChangedFiles(D88Image& image, Run& run, const LaterWrites& laterWrites, PutPlan& plan) {
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        // As d88extract does: a disk that cannot be selected reads as empty.
        (void)image.selectDisk(disk);
        run.output.enterDisk(disk);
        ChangeFinder finder(run, laterWrites, plan, disk, image.getDiskOffset(disk));
        planDisk(image, run.output, finder);
    }
}
