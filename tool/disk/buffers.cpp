#include "tool/disk/buffers.h"

std::uint8_t sectorBuffer[SECTOR_BUFFER_SIZE];
std::uint8_t transferBuffer[TRANSFER_BUFFER_SIZE];
