#include "tool/d88put/opened_files.h"

#include <algorithm>
#include <iterator>

bool OpenedFiles::before(const Opened& a, const Opened& b) {
    if (a.identity.volume != b.identity.volume) {
        return a.identity.volume < b.identity.volume;
    }
    if (a.identity.index != b.identity.index) {
        return a.identity.index < b.identity.index;
    }
    return a.order < b.order;
}

std::int32_t& OpenedFiles::slotOf(WritePlace place) {
    // TITLE_ENTRY comes first.
    return byPlace[place.disk][place.entry - TITLE_ENTRY];
}

void OpenedFiles::clear() {
    count = 0;
    for (auto& disk : byPlace) {
        std::fill(std::begin(disk), std::end(disk), NONE);
    }
}

void OpenedFiles::note(WritePlace place, const FileIdentity& identity, bool writes) {
    // A file whose identity is not known is its name's only.
    if (!identity.known || place.disk < 0 || place.disk >= MAX_DISKS || place.entry < TITLE_ENTRY
        || place.entry >= DIRECTORY_ENTRIES) {
        return;
    }
    std::int32_t& slot = slotOf(place);
    if (slot == NONE) {
        if (count == MAX_OPENED) {
            return;  // cannot happen: one for each place
        }
        slot = count++;
    }
    opened[slot] = Opened{identity, slot, writes, NONE};
}

void OpenedFiles::finish() {
    for (std::int32_t i = 0; i < count; ++i) {
        sorted[i] = i;
    }
    std::sort(sorted, sorted + count,
              [this](std::int32_t a, std::int32_t b) { return before(opened[a], opened[b]); });
    // Each run of one file in `sorted` comes in the order of the run: its
    // last writer is the last that writes.
    for (std::int32_t first = 0; first < count;) {
        const FileIdentity& identity = opened[sorted[first]].identity;
        std::int32_t end = first;
        std::int32_t last = NONE;
        for (; end < count && opened[sorted[end]].identity.volume == identity.volume
               && opened[sorted[end]].identity.index == identity.index;
             ++end) {
            if (opened[sorted[end]].writes) {
                last = opened[sorted[end]].order;
            }
        }
        for (std::int32_t i = first; i < end; ++i) {
            opened[sorted[i]].lastWriter = last;
        }
        first = end;
    }
}

bool OpenedFiles::ownedByOther(WritePlace place) const {
    if (place.disk < 0 || place.disk >= MAX_DISKS || place.entry < TITLE_ENTRY || place.entry >= DIRECTORY_ENTRIES) {
        return false;
    }
    const std::int32_t slot = byPlace[place.disk][place.entry - TITLE_ENTRY];
    if (slot == NONE) {
        return false;
    }
    const Opened& file = opened[slot];
    return file.writes ? file.lastWriter > file.order : file.lastWriter != NONE;
}

bool OpenedFiles::holds(const FileIdentity& identity) const {
    if (!identity.known) {
        return false;
    }
    Opened wanted;
    wanted.identity = identity;
    wanted.order = -1;
    const std::int32_t* at = std::lower_bound(
        sorted, sorted + count, wanted, [this](std::int32_t a, const Opened& b) { return before(opened[a], b); });
    return at != sorted + count && opened[*at].identity.volume == identity.volume
           && opened[*at].identity.index == identity.index;
}
