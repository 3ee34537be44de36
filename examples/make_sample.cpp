// Writes the sample image: make_sample OUTPUT.d88
#include <cstdio>

#include "examples/sample_image.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s OUTPUT.d88\n", argv[0]);
        return 2;
    }
    writeFile(argv[1], sampleImage());
    return 0;
}
