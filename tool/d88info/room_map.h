// d88info --map: a picture of a disk's data sectors, one line per track
// from 2 on and one cell per sector 1 to 5, telling which entry's run
// visits each, which are free and which no file can be put in.
#ifndef TOOL_D88INFO_ROOM_MAP_H
#define TOOL_D88INFO_ROOM_MAP_H

#include "tool/cli/messages.h"
#include "tool/disk/sector_map.h"

// Prints the legend and the map of `sectorMap`, filled as the selected disk
// was planned, on standard output. Every line fits 80 columns.
void printRoomMap(Console& console, const SectorMap& sectorMap);

#endif
