#include "tool/d88put/changed_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d88/file_io.h"
#include "tool/cli/messages.h"

namespace {

// Files are compared a block at a time.
constexpr std::int32_t COMPARE_BLOCK = 64 * 1024;
std::uint8_t fileBlock[COMPARE_BLOCK];
std::uint8_t otherBlock[COMPARE_BLOCK];

// Opens the existing file `name` of `place` to be compared (see
// openExisting). Unbuffered, as blocks are large: a small file takes one
// read. A stream's buffering may be chosen only before its first operation.
std::FILE* openToCompare(const OutputPlace& place, const char* name, ExistingFile& found) {
    std::FILE* file = place.openExisting(name, found);
    if (file != nullptr) {
        std::setvbuf(file, nullptr, _IONBF, 0);
    }
    return file;
}

// Reads exactly `count` bytes of `file` into `block`; false with `error`
// set when they do not come.
bool readExactly(std::FILE* file, std::uint8_t* block, std::int32_t count, int& error) {
    errno = 0;
    if (readBytes(file, block, count) == count) {
        return true;
    }
    error = errno != 0 ? errno : EIO;
    return false;
}

// Whether the `length` bytes of `file` are `bytes`; false with `error` set
// when reading failed.
bool holdsBytes(std::FILE* file, std::int64_t length, const std::uint8_t* bytes, int& error) {
    for (std::int64_t done = 0; done < length;) {
        const std::int32_t want =
            length - done < COMPARE_BLOCK ? static_cast<std::int32_t>(length - done) : COMPARE_BLOCK;
        if (!readExactly(file, fileBlock, want, error)) {
            return false;
        }
        if (std::memcmp(fileBlock, bytes + done, static_cast<std::size_t>(want)) != 0) {
            return false;
        }
        done += want;
    }
    return true;
}

// Whether two files of `length` bytes hold the same bytes.
bool sameFiles(std::FILE* a, std::FILE* b, std::int64_t length, int& error) {
    for (std::int64_t done = 0; done < length;) {
        const std::int32_t want =
            length - done < COMPARE_BLOCK ? static_cast<std::int32_t>(length - done) : COMPARE_BLOCK;
        if (!readExactly(b, otherBlock, want, error) || !holdsBytes(a, want, otherBlock, error)) {
            return false;
        }
        done += want;
    }
    return true;
}

class ChangeFinder final : public DiskPlanSteps {
public:
    // `listedBefore`: an earlier disk of the catalogue starts where this one
    // does, so its changes may be copies of this one's.
    ChangeFinder(Run& run, LaterWrites& laterWrites, OpenedFiles& opened, PutPlan& plan, std::int32_t disk,
                 std::int32_t diskOffset, std::int32_t firstListing, KnownNames* names)
        : run(run),
          laterWrites(laterWrites),
          opened(opened),
          plan(plan),
          disk(disk),
          diskOffset(diskOffset),
          firstListing(firstListing),
          listedBefore(firstListing != disk),
          names(names) {}

    // Only the files the run takes; d88extract with the same NAMEs writes
    // no others, so they neither belong nor replace.
    bool takes(const char* name) override { return run.selection.takesFile(name); }
    void boot(const BootPlan&) override {}
    void title(const FilePlan& file) override {
        noteName(file);
        consider(file, TITLE_ENTRY, DirEntry{});
    }
    void directory(std::int32_t) override {}
    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& file) override {
        noteName(file);
        consider(file, index, entry);
    }

private:
    void noteName(const FilePlan& file) {
        if (names != nullptr) {
            names->note(disk, file.name);
        }
    }
    void consider(const FilePlan& file, std::int32_t index, const DirEntry& entry);
    // Whether d88extract makes a file for `file` at all.
    bool makesFile(const FilePlan& file) const;
    // Whether the file of `file` (at `place`) is there and differs from
    // what d88extract writes for it, its length in `length`; one that
    // cannot be read is reported.
    // `present`: whether the file is there at all.
    bool differs(const FilePlan& file, WritePlace place, std::int64_t& length, bool& present);
    // Whether entry `index` is a change already, of this disk's earlier
    // listing at the same place: then that change stands for this one too.
    // `length` -1: the file is missing, to be deleted.
    bool joinEarlierListing(std::int32_t index, const char* name, std::int64_t length);
    Change* addChange(const FilePlan& file, WritePlace place, const DirEntry& entry, std::int64_t length);
    bool sameAsEarlierCopy(const Change& earlier, const char* name, std::int64_t length);
    void failFile(const char* name, int error);
    // Refuses the delete of entry `index` an earlier listing asked for.
    void refuseEarlierDelete(std::int32_t index);

    Run& run;
    LaterWrites& laterWrites;
    OpenedFiles& opened;
    PutPlan& plan;
    std::int32_t disk;
    std::int32_t diskOffset;
    // The disk's first listing: itself unless listed before.
    std::int32_t firstListing;
    bool listedBefore;
    KnownNames* names;
};

void ChangeFinder::refuseEarlierDelete(std::int32_t index) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        Change& earlier = plan.change(i);
        if (earlier.diskOffset == diskOffset && earlier.place.entry == index && earlier.place.disk != disk
            && earlier.action == ChangeAction::Delete) {
            earlier.refuse(Refusal::CopiesDiffer, disk);
        }
    }
}

void ChangeFinder::failFile(const char* name, int error) {
    reportFileProblem(run.console, run.output.shownName(name).text, "cannot read the file: %s",
                      error != 0 ? systemReason(error) : "it is no regular file");
    run.fileFailed = true;
}

void ChangeFinder::consider(const FilePlan& file, std::int32_t index, const DirEntry& entry) {
    const WritePlace place{disk, index};
    laterWrites.note(place, file);
    std::int64_t length = 0;
    if (!makesFile(file)) {
        return;
    }
    bool present = false;
    const bool changed = differs(file, place, length, present);
    if (writesFile(file)) {
        plan.noteTakenFile(present);
    }
    // A file taken away from its folder: with --delete its entry goes.
    if (!present && writesFile(file) && index != TITLE_ENTRY && run.line.deleteMissing) {
        if (!listedBefore || !joinEarlierListing(index, file.name, -1)) {
            Change* deletion = addChange(file, place, entry, 0);
            deletion->action = ChangeAction::Delete;
            // The copy in the earlier listing's folder is there as it was.
            if (listedBefore && run.output.getSettings().diskFolders && run.selection.takesDisk(firstListing)) {
                deletion->refuse(Refusal::CopiesDiffer, firstListing);
            }
        }
        return;
    }
    if (!changed) {
        // Taken away from an earlier copy's folder only.
        if (present && listedBefore && run.output.getSettings().diskFolders) {
            refuseEarlierDelete(index);
        }
        return;
    }
    if (listedBefore && joinEarlierListing(index, file.name, length)) {
        return;
    }
    addChange(file, place, entry, length);
}

bool ChangeFinder::makesFile(const FilePlan& file) const {
    if (file.outcome == FileOutcome::EmptyName || file.outcome == FileOutcome::RefusedName) {
        return false;
    }
    // The plan asks the name only of a file whose run can be read.
    return writesFile(file) || (file.name[0] != '\0' && nameRefusal(run.output, file.name) == nullptr);
}

bool ChangeFinder::differs(const FilePlan& file, WritePlace place, std::int64_t& length, bool& present) {
    errno = 0;
    ExistingFile found;
    std::FILE* in = openToCompare(run.output, file.name, found);
    // One that cannot be read is there, just not to be read.
    present = in != nullptr || found.special || errno != ENOENT;
    if (in == nullptr) {
        if (found.special) {
            failFile(file.name, 0);
        } else if (errno != ENOENT) {
            failFile(file.name, errno != 0 ? errno : EIO);
        }
        return false;
    }
    length = found.length;
    // d88extract refuses to write a name that is the image.
    if (run.output.isImage(found.identity)) {
        std::fclose(in);
        return false;
    }
    opened.note(place, found.identity, writesFile(file));
    int error = 0;
    // A file d88extract writes no bytes for cannot be as it wrote it.
    const bool same = writesFile(file) && length == file.size && holdsBytes(in, length, file.bytes, error);
    std::fclose(in);
    if (error != 0) {
        failFile(file.name, error);
        return false;
    }
    return !same;
}

bool ChangeFinder::joinEarlierListing(std::int32_t index, const char* name, std::int64_t length) {
    // A disk listed again at the same place is the same disk, its entry the
    // same entry: in the same folder its file is the same file, which this
    // later listing writes last; in another folder, a copy.
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        Change& earlier = plan.change(i);
        if (earlier.diskOffset != diskOffset || earlier.place.entry != index || earlier.place.disk == disk) {
            continue;
        }
        const bool deleted = length < 0;
        if (!run.output.getSettings().diskFolders) {
            earlier.place.disk = disk;
        } else if (deleted || earlier.action == ChangeAction::Delete) {
            // Taken away from both copies' folders, or from one only.
            if (deleted != (earlier.action == ChangeAction::Delete)) {
                earlier.refuse(Refusal::CopiesDiffer, disk);
            }
        } else if (!sameAsEarlierCopy(earlier, name, length)) {
            earlier.refuse(Refusal::CopiesDiffer, disk);
        }
        return true;
    }
    return false;
}

Change* ChangeFinder::addChange(const FilePlan& file, WritePlace place, const DirEntry& entry, std::int64_t length) {
    // There is room for every entry of every disk.
    Change* change = plan.addChange();
    change->place = place;
    change->diskOffset = diskOffset;
    std::strncpy(change->name, file.name, DIR_NAME_SIZE);
    change->entry = entry;
    change->length = length;
    change->outcome = file.outcome;
    change->runSize = file.size;
    return change;
}

bool ChangeFinder::sameAsEarlierCopy(const Change& earlier, const char* name, std::int64_t length) {
    if (earlier.length != length) {
        return false;
    }
    OutputPlace earlierPlace = run.output;
    earlierPlace.enterDisk(earlier.place.disk);
    ExistingFile foundA;
    ExistingFile foundB;
    std::FILE* a = openToCompare(run.output, name, foundA);
    std::FILE* b = openToCompare(earlierPlace, earlier.name, foundB);
    int error = 0;
    const bool same = a != nullptr && b != nullptr && foundA.length == length && foundB.length == length
                      && sameFiles(a, b, length, error);
    if (a != nullptr) {
        std::fclose(a);
    }
    if (b != nullptr) {
        std::fclose(b);
    }
    return same;
}

}  // namespace

void findChangedFiles(D88Image& image, Run& run, LaterWrites& laterWrites, OpenedFiles& opened, PutPlan& plan,
                      KnownNames* names) {
    laterWrites.start(run.output.getSettings());
    opened.clear();
    for (std::int32_t disk = 0; disk < image.getDiskCount(); ++disk) {
        if (!run.selection.takesDisk(disk)) {
            continue;
        }
        // As d88extract does: a disk that cannot be selected reads as empty.
        (void)image.selectDisk(disk);
        run.output.enterDisk(disk);
        ChangeFinder finder(run, laterWrites, opened, plan, disk, image.getDiskOffset(disk),
                            firstListing(image, disk), names);
        // The plan would ask of every name whether it is the image, one
        // look-up of the file system each; the identity of each file
        // opened tells the same. A name that is the image is one file, so
        // all its writes in a folder are refused alike and which of them
        // is the last does not matter.
        OutputPlace planned(run.output.getSettings(), FileIdentity{});
        planned.enterDisk(disk);
        planDisk(image, planned, finder);
    }
    laterWrites.finish();
    opened.finish();
    // A file belongs to the write whose bytes d88extract leaves in it; a
    // file no entry writes, to the entry that names it. Names that open one
    // file are one name.
    // A file several taken entries write: which of them to delete cannot
    // be told.
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        Change& change = plan.change(i);
        // The same entry of a disk listed again at the same place is the
        // same entry, not another.
        const auto sameEntry = [&image, &change](WritePlace write) {
            return write.entry == change.place.entry && image.getDiskOffset(write.disk) == change.diskOffset;
        };
        if (change.action == ChangeAction::Delete && laterWrites.anyOther(change.name, change.place, sameEntry)) {
            change.refuse(Refusal::SeveralEntries);
        }
    }
    plan.keepChanges([&laterWrites, &opened](const Change& change) {
        if (change.action == ChangeAction::Delete) {
            return true;
        }
        WritePlace later;
        const bool own = writesFile(change.outcome) ? !laterWrites.find(change.name, change.place, later)
                                                     : !laterWrites.any(change.name, change.place.disk);
        return own && !opened.ownedByOther(change.place);
    });
}
