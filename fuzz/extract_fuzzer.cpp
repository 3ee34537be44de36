// Runs the whole extraction walk of d88extract, the page of d88info with its
// map and its JSON document, and d88put of the files just extracted, which
// must give back the very same bytes, on arbitrary bytes, inside a scratch
// folder that is emptied after every input. Run it with -close_fd_mask=3:
// the listing and the programs' diagnostics are not wanted.
// It works in its scratch folder, so corpus paths must be absolute.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

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
    emptyWorkFolder();
    return 0;
}
