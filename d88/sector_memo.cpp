#include "d88/sector_memo.h"

void SectorMemo::forget() {
    ++generation;
    if (generation == 0) {
        // Wrapped around: slots of the very first generation would revive.
        for (auto& trackSlots : slots) {
            for (Slot& slot : trackSlots) {
                slot.generation = 0;
            }
        }
        generation = 1;
    }
}

bool SectorMemo::recall(std::int32_t track, SectorIdentity id, SectorPlace& place) const {
    for (const Slot& slot : slots[track]) {
        if (slot.generation == generation && slot.id == id) {
            place = slot.place;
            return true;
        }
    }
    return false;
}

void SectorMemo::remember(std::int32_t track, SectorIdentity id, const SectorPlace& place) {
    Slot& slot = slots[track][nextSlot[track]];
    slot.place = place;
    slot.id = id;
    slot.generation = generation;
    nextSlot[track] = static_cast<std::uint8_t>((nextSlot[track] + 1) % MEMO_SLOTS);
}
