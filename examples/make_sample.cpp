// Writes the sample images into a folder: make_sample FOLDER
#include <cstdio>
#include <filesystem>

#include "examples/sample_image.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (const ShippedImage& image : SHIPPED_IMAGES) {
        writeFile(std::filesystem::path(argv[1]) / image.fileName, image.make());
    }
    return 0;
}
