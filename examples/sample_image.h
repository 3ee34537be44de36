// The sample image shipped in examples/: one boot disk with four files.
#ifndef EXAMPLES_SAMPLE_IMAGE_H
#define EXAMPLES_SAMPLE_IMAGE_H

#include "tests/image_builder.h"

Bytes sampleImage();

#endif
