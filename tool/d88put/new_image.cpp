#include "tool/d88put/new_image.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "d88/file_io.h"
#include "tool/cli/messages.h"
#include "tool/host/arguments.h"
#include "tool/host/file_system.h"

namespace {

// The image is copied a block at a time, and each changed file read a
// block at a time: its pieces mostly come one after another, and a whole
// small file then takes one read.
constexpr std::int32_t COPY_BLOCK = 64 * 1024;

// The longest path of the temporary file: the new image's and a suffix.
constexpr std::size_t TEMP_PATH_SIZE = PATH_SIZE + 64;

// Reads the pieces of one changed file at a time: the writes come sorted by
// offset, and a file's pieces mostly follow one another. `block`, of
// COPY_BLOCK bytes, holds what was read of the file.
class PieceSource {
public:
    PieceSource(Run& run, const PutPlan& plan, const DirectoryCopies& copies, std::uint8_t* block)
        : run(run), plan(plan), copies(copies), block(block) {}
    ~PieceSource() { closeFile(); }
    PieceSource(const PieceSource&) = delete;
    PieceSource& operator=(const PieceSource&) = delete;

    // The bytes of write `write`; null when the file cannot be read as it
    // was when it was compared (see failure).
    const std::uint8_t* bytes(const SectorWrite& write);

    // The changed file that could not be read, shown as messages name it,
    // and why: errno, or 0 when it is no longer the file it was.
    bool failed = false;
    ShownName failedName{};
    int failure = 0;

private:
    bool openChange(std::int32_t change);
    void closeFile();
    // Reads the block of `from` from `at` into `block`: its length, or
    // -1 with `error` set (0 when the file ended early).
    std::int32_t readBlock(std::FILE* from, std::int64_t at, int& error);
    const std::uint8_t* fail(std::int32_t change, int error);

    Run& run;
    const PutPlan& plan;
    const DirectoryCopies& copies;
    std::uint8_t* block;
    std::FILE* file = nullptr;
    std::int32_t openChangeIndex = -1;
    // The bytes of `file` in `block`: from `blockStart`, `blockLength`.
    std::int64_t blockStart = 0;
    std::int32_t blockLength = 0;
    // Where the next read of `file` starts.
    std::int64_t position = 0;
    std::uint8_t piece[DATA_SECTOR_SIZE];
};

std::int32_t PieceSource::readBlock(std::FILE* from, std::int64_t at, int& error) {
    const std::int64_t rest = plan.change(openChangeIndex).length - at;
    const std::int32_t count = rest < COPY_BLOCK ? static_cast<std::int32_t>(rest) : COPY_BLOCK;
    errno = 0;
    // Exactly what is left of the file: asking for more would cost a read
    // that finds its end.
    if ((at != position && !seekFromStart(from, at)) || readBytes(from, block, count) != count) {
        error = errno != 0 ? errno : 0;
        position = -1;
        return -1;
    }
    position = at + count;
    return count;
}

void PieceSource::closeFile() {
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
    openChangeIndex = -1;
}

const std::uint8_t* PieceSource::fail(std::int32_t index, int error) {
    closeFile();
    const Change& change = plan.change(index);
    failedName = run.output.shownName(change.place.disk, change.name);
    failed = true;
    failure = error;
    return nullptr;
}

bool PieceSource::openChange(std::int32_t index) {
    closeFile();
    const Change& change = plan.change(index);
    OutputPlace place = run.output;
    place.enterDisk(change.place.disk);
    errno = 0;
    ExistingFile found;
    file = place.openExisting(change.name, found);
    if (file == nullptr) {
        fail(index, found.special ? 0 : errno != 0 ? errno : EIO);
        return false;
    }
    // A file that changed again since it was compared would not be what
    // the run decided on.
    if (found.length != change.length) {
        fail(index, 0);
        return false;
    }
    // The file is read in blocks already.
    std::setvbuf(file, nullptr, _IONBF, 0);
    blockStart = 0;
    blockLength = 0;
    position = 0;
    openChangeIndex = index;
    return true;
}

const std::uint8_t* PieceSource::bytes(const SectorWrite& write) {
    const Change& change = plan.change(write.change);
    std::memset(piece, 0, sizeof piece);
    if (write.piece == ENTRY_PLACE_PIECE) {
        storeEntryPlace(piece, change.start, change.end);
        return piece;
    }
    if (change.action == ChangeAction::Directory) {
        return copies.at(copies.find(change.diskOffset)).bytes + std::int64_t{write.piece} * DATA_SECTOR_SIZE;
    }
    const std::int64_t from = std::int64_t{write.piece} * change.pieceSize();
    if (from >= change.length) {
        return piece;  // zeros after the file
    }
    if (openChangeIndex != write.change && !openChange(write.change)) {
        return nullptr;
    }
    const std::int64_t left = change.length - from;
    const std::int32_t want = left < change.pieceSize() ? static_cast<std::int32_t>(left) : change.pieceSize();
    if (from < blockStart || from + want > blockStart + blockLength) {
        int error = 0;
        blockStart = from;
        blockLength = readBlock(file, from, error);
        if (blockLength < want) {
            return fail(write.change, error);
        }
    }
    std::memcpy(piece, block + (from - blockStart), static_cast<std::size_t>(want));
    return piece;
}

// Copies the image to `out` with the writes in place; false with errno set,
// or with `source` failed.
bool copyWithWrites(D88Image& image, const PutPlan& plan, PieceSource& source, std::FILE* out) {
    std::int32_t rank = 0;
    std::int64_t at = 0;
    // The length the plan was made on: a file that grew since (or a device
    // that never ends) gives no more.
    const std::int64_t length = image.getFileLength();
    // Static storage, not the stack.
    static std::uint8_t block[COPY_BLOCK];
    if (length < 0) {
        errno = EIO;
        return false;
    }
    while (at < length) {
        const std::int32_t want = length - at < COPY_BLOCK ? static_cast<std::int32_t>(length - at) : COPY_BLOCK;
        const std::int32_t got = image.readFileBytes(at, block, want);
        if (got <= 0) {
            break;
        }
        // Writes that end in this block: one that starts in it may end in
        // the next, which gets the rest of its bytes.
        std::int32_t next = rank;
        for (; next < plan.sortedCount() && plan.sortedWrite(next).offset < at + got; ++next) {
            const SectorWrite& write = plan.sortedWrite(next);
            const std::int32_t index = plan.sortedIndex(next);
            const std::uint8_t* bytes = source.bytes(write);
            if (bytes == nullptr) {
                return false;
            }
            const std::int64_t first = write.offset > at ? write.offset : at;
            const std::int64_t last = write.offset + plan.writeSize(index);
            const std::int64_t end = last < at + got ? last : at + got;
            if (end > first) {
                std::memcpy(block + (first - at), bytes + (first - write.offset), static_cast<std::size_t>(end - first));
            }
            if (last <= at + got) {
                rank = next + 1;
            }
        }
        if (std::fwrite(block, 1, static_cast<std::size_t>(got), out) != static_cast<std::size_t>(got)) {
            return false;
        }
        at += got;
        if (got < want) {
            break;
        }
    }
    if (image.hasReadError()) {
        errno = image.getReadError();
        return false;
    }
    // Bytes that did not come are no copy, even when no error was seen.
    if (at != length) {
        errno = EIO;
        return false;
    }
    return true;
}

}  // namespace

bool reportImageChanged(const Run& run) {
    if (sameVersion(run.image.version, versionOfStream(run.image.stream))) {
        return false;
    }
    std::fprintf(stderr, "%s: %s: cannot read the image: it changed while d88put ran\n", run.console.program,
                 argumentAsShown(run.image.path));
    return true;
}

bool writeNewImage(D88Image& image, Run& run, const PutPlan& plan, const DirectoryCopies& copies, const char* path,
                   bool (*announce)(Run& run, const PutPlan& plan)) {
    // Static storage, not the stack. The interrupt handler keeps its own
    // copy of the path.
    static char tempPath[TEMP_PATH_SIZE];
    static std::uint8_t sourceBlock[COPY_BLOCK];
    RemovedOnInterrupt removed;
    errno = 0;
    std::FILE* out = removed.createFileBeside(path, tempPath, sizeof tempPath);
    if (out == nullptr) {
        std::fprintf(stderr, "%s: %s: cannot create the new image: %s\n", run.console.program,
                     argumentAsShown(path), systemReason(errno));
        return false;
    }
    PieceSource source(run, plan, copies, sourceBlock);
    errno = 0;
    bool written = copyWithWrites(image, plan, source, out);
    int error = errno;
    // Bytes copied from an image another program changed since the plan
    // was made are not what the plan decided on (nor is a shorter image
    // NEW's fault).
    if (reportImageChanged(run)) {
        std::fclose(out);
        (void)removeFile(tempPath);
        return false;
    }
    if (written) {
        errno = 0;
        written = commitFile(out);
        error = errno;
    } else {
        std::fclose(out);
    }
    if (written && !announce(run, plan)) {
        (void)removeFile(tempPath);
        return false;
    }
    if (written) {
        errno = 0;
        written = replaceFile(tempPath, path);
        error = errno;
    }
    if (written) {
        return true;
    }
    (void)removeFile(tempPath);
    if (source.failed) {
        reportFileProblem(run.console, source.failedName.text, "cannot read the file: %s",
                          source.failure != 0 ? systemReason(source.failure) : "it changed while d88put ran");
        run.fileFailed = true;
        return false;
    }
    // Bytes of IMAGE that did not come are IMAGE's failure: the caller names it.
    if (image.hasReadError()) {
        return false;
    }
    std::fprintf(stderr, "%s: %s: cannot write the new image: %s\n", run.console.program, argumentAsShown(path),
                 systemReason(error));
    return false;
}
