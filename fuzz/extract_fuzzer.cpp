// Runs the whole extraction walk of d88extract, the page of d88info with its
// map and its JSON document, and d88put of the files just extracted, which
// must give back the very same bytes, on arbitrary bytes, inside a scratch
// folder that is emptied after every input. Then it edits one disk's folder
// (one file deleted, one shrunk, one added, each picked by the input's
// bytes), puts it back with --add --delete --shrink --relocate and extracts
// the new image: either the folder comes back (each file's bytes, then
// zeros to the end of its run) and no header byte changed, or the run
// refused and wrote nothing. Run it with -close_fd_mask=3: the listing and
// the programs' diagnostics are not wanted.
// It works in its scratch folder, so corpus paths must be absolute.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "d88/d88_image.h"
#include "tool/d88extract/extract_main.h"
#include "tool/d88info/info_main.h"
#include "tool/d88put/put_main.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch;

// Output files of one input must not stand in the way of the next.
void emptyWorkFolder() {
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch / "work", ignored)) {
        fs::remove_all(entry.path(), ignored);
    }
}

using Bytes = std::vector<std::uint8_t>;

// The name --add gives the new entry: six bytes, as d88extract writes them.
constexpr char ADDED_NAME[] = "FZADD0";
constexpr char TITLE_FILE[] = "TTLPRG";
constexpr std::size_t MAX_ADDED_BYTES = 4096;
// --disk-folders names each disk's folder this, then its catalogue index.
const std::string DISK_FOLDER_PREFIX = "disk";

// The image is large (the reader's tables): not for the stack.
D88Image headerReader;

[[noreturn]] void fail(const char* what, const std::string& where) {
    std::fprintf(stderr, "%s: %s\n", what, where.c_str());
    __builtin_trap();
}

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> sortedNames(const fs::path& folder, bool folders) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ignored)) {
        if (folders ? entry.is_directory() : entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Picks from the input deterministically: a different mix of its bytes for
// each `salt`.
std::uint64_t pick(const std::uint8_t* data, std::size_t size, std::uint64_t salt) {
    std::uint64_t h = 0xCBF29CE484222325u ^ salt;
    for (std::size_t i = 0; i < size; ++i) {
        h = (h ^ data[i]) * 0x100000001B3u;
    }
    return h ^ (h >> 29);
}

// Marks the bytes no put may change: every catalogued disk's header, every
// record header a walk of one of its tracks reads, and all from where the
// catalogue stops reading.
std::vector<bool> headerBytes(const std::string& image, std::size_t size) {
    std::vector<bool> held(size, false);
    const auto mark = [&held](std::int64_t from, std::int64_t count) {
        for (std::int64_t i = std::max<std::int64_t>(from, 0);
             i < from + count && i < static_cast<std::int64_t>(held.size()); ++i) {
            held[static_cast<std::size_t>(i)] = true;
        }
    };
    if (!headerReader.open(image.c_str())) {
        fail("the image cannot be read again", image);
    }
    for (std::int32_t disk = 0; disk < headerReader.getDiskCount(); ++disk) {
        mark(headerReader.getDiskOffset(disk), DISK_HEADER_SIZE);
        if (!headerReader.selectDisk(disk)) {
            continue;
        }
        for (std::int32_t track = 0; track < TRACK_COUNT; ++track) {
            RecordWalk walk;
            std::int64_t offset = 0;
            if (!headerReader.startRecordWalk(track, walk)) {
                continue;
            }
            while (headerReader.nextRecordHeader(walk, offset)) {
                mark(offset, SECTOR_HEADER_SIZE);
            }
        }
    }
    if (headerReader.getUnreadStart() >= 0) {
        mark(headerReader.getUnreadStart(), static_cast<std::int64_t>(size));
    }
    (void)headerReader.close();
    return held;
}

// Deletes one file of one disk's folder, shrinks another and adds one, puts
// the folder back with every room option, and checks what came of it.
void roundTripWithEdits(const std::uint8_t* data, std::size_t size, std::string& image) {
    const fs::path taken = scratch / "work" / "taken";
    const fs::path back = scratch / "work" / "back";
    std::string takenFolder = taken.string();
    std::string backFolder = back.string();
    char program[] = "d88extract";
    char folderOption[] = "-C";
    char diskFolders[] = "--disk-folders";
    char* extractArgv[] = {program, folderOption, takenFolder.data(), diskFolders, image.data(), nullptr};
    (void)extractMain(5, extractArgv);
    const std::vector<std::string> disks = sortedNames(taken, true);
    if (disks.empty()) {
        return;
    }
    char putProgram[] = "d88put";
    char outputOption[] = "-o";
    char add[] = "--add";
    char del[] = "--delete";
    char shrink[] = "--shrink";
    char relocate[] = "--relocate";
    std::string newImage = (scratch / "edited.d88").string();
    const auto putEverything = [&] {
        char* putArgv[] = {putProgram, folderOption, takenFolder.data(), diskFolders, add, del, shrink,
                           relocate, outputOption, newImage.data(), image.data(), nullptr};
        return putMain(11, putArgv);
    };
    // Right after the extraction, every room option still changes nothing.
    if (putEverything() != 0) {
        fail("d88put --add --delete --shrink --relocate refused the files just extracted", takenFolder);
    }
    const Bytes copy = readAll(newImage);
    if (copy.size() != size || !std::equal(copy.begin(), copy.end(), data)) {
        fail("the new image differs from the image with nothing edited", newImage);
    }
    fs::remove(newImage);

    const std::string edited = disks[pick(data, size, 1) % disks.size()];
    const fs::path folder = taken / edited;
    std::vector<std::string> names = sortedNames(folder, false);
    if (!names.empty()) {
        const std::string doomed = names[pick(data, size, 2) % names.size()];
        if (doomed != TITLE_FILE) {
            fs::remove(folder / doomed);
        }
        const std::string shorter = names[pick(data, size, 3) % names.size()];
        if (shorter != doomed) {
            Bytes bytes = readAll(folder / shorter);
            bytes.resize(bytes.empty() ? 0 : pick(data, size, 4) % bytes.size());
            writeAll(folder / shorter, bytes);
        }
    }
    Bytes added(1 + pick(data, size, 5) % MAX_ADDED_BYTES);
    for (std::size_t i = 0; i < added.size(); ++i) {
        added[i] = size == 0 ? 0x41 : data[(i * 7) % size];
    }
    writeAll(folder / ADDED_NAME, added);

    const int status = putEverything();
    const Bytes now = readAll(image);
    if (now.size() != size || !std::equal(now.begin(), now.end(), data)) {
        fail("d88put changed the image it read", image);
    }
    std::error_code ignored;
    if (status != 0) {
        if (fs::exists(newImage, ignored)) {
            fail("d88put refused yet wrote", newImage);
        }
        return;
    }
    const Bytes made = readAll(newImage);
    if (made.size() != size) {
        fail("the new image's length differs from the image's", newImage);
    }
    const std::vector<bool> held = headerBytes(image, size);
    for (std::size_t i = 0; i < size; ++i) {
        if (held[i] && made[i] != data[i]) {
            fail("a header byte changed at", std::to_string(i));
        }
    }

    // A disk listed again at the same place is one disk: each of its
    // folders must come back as the edited one.
    const auto offsetOf = [](const std::string& disk) {
        return headerReader.getDiskOffset(std::stoi(disk.substr(DISK_FOLDER_PREFIX.size())));
    };
    if (!headerReader.open(image.c_str())) {
        fail("the image cannot be read again", image);
    }
    char* backArgv[] = {program, folderOption, backFolder.data(), diskFolders, newImage.data(), nullptr};
    (void)extractMain(5, backArgv);
    for (const std::string& disk : disks) {
        const fs::path expected = offsetOf(disk) == offsetOf(edited) ? folder : taken / disk;
        const std::vector<std::string> put = sortedNames(expected, false);
        if (sortedNames(back / disk, false) != put) {
            fail("the new image's files differ from the folder's", disk);
        }
        for (const std::string& name : put) {
            const Bytes want = readAll(expected / name);
            const Bytes got = readAll(back / disk / name);
            if (got.size() < want.size() || !std::equal(want.begin(), want.end(), got.begin())
                || std::any_of(got.begin() + static_cast<std::ptrdiff_t>(want.size()), got.end(),
                               [](std::uint8_t b) { return b != 0; })) {
                fail("a file did not come back", disk + "/" + name);
            }
        }
    }
    (void)headerReader.close();
    fs::remove(newImage, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // TMPDIR decides where: a crafted image can ask for gigabytes of output,
    // each file replaced by the next input's.
    scratch = fs::temp_directory_path() / ("d88_extract_fuzz." + std::to_string(::getpid()));
    fs::create_directories(scratch / "work");
    if (::chdir((scratch / "work").c_str()) != 0) {
        std::abort();
    }
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string image = (scratch / "image.d88").string();
    std::FILE* file = std::fopen(image.c_str(), "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    char program[] = "d88extract";
    std::string imageArgument = image;
    char* argv[] = {program, imageArgument.data(), nullptr};
    (void)extractMain(2, argv);
    char infoProgram[] = "d88info";
    char mapOption[] = "--map";
    char* infoArgv[] = {infoProgram, mapOption, imageArgument.data(), nullptr};
    (void)infoMain(3, infoArgv);
    char jsonOption[] = "--json";
    char* jsonArgv[] = {infoProgram, jsonOption, imageArgument.data(), nullptr};
    (void)infoMain(3, jsonArgv);

    // Nothing changed, so the new image is the image.
    char putProgram[] = "d88put";
    char outputOption[] = "-o";
    std::string newImage = (scratch / "new.d88").string();
    char* putArgv[] = {putProgram, outputOption, newImage.data(), imageArgument.data(), nullptr};
    if (putMain(4, putArgv) != 0) {
        std::fprintf(stderr, "d88put refused the files d88extract had just written\n");
        std::abort();
    }
    std::FILE* made = std::fopen(newImage.c_str(), "rb");
    std::uint8_t byte = 0;
    for (std::size_t i = 0; made != nullptr && i < size; ++i) {
        if (std::fread(&byte, 1, 1, made) != 1 || byte != data[i]) {
            std::fprintf(stderr, "the new image differs from the image at byte %zu\n", i);
            std::abort();
        }
    }
    if (made == nullptr || std::fread(&byte, 1, 1, made) != 0) {
        std::fprintf(stderr, "the new image is missing or longer than the image\n");
        std::abort();
    }
    std::fclose(made);
    std::error_code ignored;
    fs::remove(newImage, ignored);
    roundTripWithEdits(data, size, imageArgument);
    emptyWorkFolder();
    return 0;
}
