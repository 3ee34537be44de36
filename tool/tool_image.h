// The one reader the tool works through, alive for the whole run.
#ifndef TOOL_TOOL_IMAGE_H
#define TOOL_TOOL_IMAGE_H

#include "d88/d88_image.h"

extern D88Image image;

#endif
