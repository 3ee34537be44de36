// The sample images shipped in examples/: sample.d88, one boot disk with
// four files and no free sector; adventure.d88, a boot disk and a message
// disk with room, on which README.md translates files and puts them back.
#ifndef EXAMPLES_SAMPLE_IMAGE_H
#define EXAMPLES_SAMPLE_IMAGE_H

#include "tests/image_builder.h"

Bytes sampleImage();
Bytes adventureImage();

// Each shipped image by its file name in examples/.
struct ShippedImage {
    const char* fileName;
    Bytes (*make)();
};
inline constexpr ShippedImage SHIPPED_IMAGES[] = {
    {"sample.d88", sampleImage},
    {"adventure.d88", adventureImage},
};

#endif
