#include "tool/d88info/json_report.h"

#include <cerrno>
#include <cstring>

#include "tool/cli/json_writer.h"
#include "tool/cli/messages.h"
#include "tool/d88info/track_ids.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_plan.h"
#include "tool/disk/sector_map.h"
#include "tool/host/file_system.h"
#include "tool/host/sjis_text.h"
#include "tool/host/utf8_stream.h"

namespace {

// Raised only when a field the manual documents changes.
constexpr long long JSON_FORMAT = 1;

// A disk's name is the longest; each Shift_JIS byte takes at most three.
constexpr std::size_t NAME_TEXT_SIZE = utf8BufferSize(DISK_NAME_SIZE);

// {hex, text}: text is the UTF-8 form --utf8 shows, only where it converts
// back to the very bytes (else --utf8 keeps them raw, and so null).
void writeName(JsonWriter& json, const char* key, const char* name) {
    const std::size_t length = std::strlen(name);
    char nameText[NAME_TEXT_SIZE];
    char roundTrip[DISK_NAME_SIZE + 1];
    json.beginObject(key, JsonLayout::Inline);
    json.hex("hex", reinterpret_cast<const std::uint8_t*>(name), length);
    const SjisResult there = sjisToUtf8(name, length, nameText, sizeof nameText);
    const SjisResult back = there.status == SjisStatus::Complete
                                ? utf8ToSjis(nameText, there.length, roundTrip, sizeof roundTrip)
                                : SjisResult{SjisStatus::Truncated, 0};
    if (back.status == SjisStatus::Complete && back.length == length
        && std::memcmp(roundTrip, name, length) == 0) {
        json.string("text", nameText);
    } else {
        json.null("text");
    }
    json.endObject();
}

void writeTrack(JsonWriter& json, D88Image& image, std::int32_t track, std::int32_t offset) {
    json.beginObject(nullptr, JsonLayout::Inline);
    json.number("track", track);
    json.number("offset", offset);
    // Large: static storage, not the stack.
    static TrackIds ids;
    // A track outside the disk has no records to count: null, not 0.
    if (readCountedTrackIds(image, track, offset, ids)) {
        json.number("records", ids.count);
    } else {
        json.null("records");
    }
    json.boolean("more_records", ids.capped);
    json.beginArray("ids", JsonLayout::Inline);
    for (std::int32_t i = 0; i < ids.count; ++i) {
        json.hex(nullptr, ids.id(i), TRACK_ID_SIZE);
    }
    json.endArray();
    json.endObject();
}

void writeTracks(JsonWriter& json, D88Image& image, Console& console) {
    json.beginArray("tracks", JsonLayout::Lines);
    for (std::int32_t track = 0; track < TRACK_COUNT; ++track) {
        const std::int32_t offset = image.getTrackOffset(track);
        if (offset != 0) {
            writeTrack(json, image, track, offset);
            watchStandardOutput(console);
        }
    }
    json.endArray();
}

const char* outcomeName(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Written: return "all";
    case FileOutcome::WrittenShort: return "some";
    case FileOutcome::NothingRead: return "none";
    case FileOutcome::EmptyName: return "no name";
    case FileOutcome::RefusedName: return "refused";
    case FileOutcome::NoSize: return "no size";
    }
    return "";
}

void writeSector(JsonWriter& json, const char* key, DataSector at) {
    json.beginObject(key, JsonLayout::Inline);
    json.number("track", at.track);
    json.number("sector", at.sector);
    json.endObject();
}

// The free sectors, then each run of them in the order runs step.
void writeFree(JsonWriter& json, const SectorMap& sectorMap) {
    json.beginObject("free", JsonLayout::Inline);
    json.number("sectors", sectorMap.freeCount());
    json.beginArray("runs", JsonLayout::Inline);
    sectorMap.visitFreeRuns([&json](const SectorMap::FreeRun& run) {
        json.beginObject(nullptr, JsonLayout::Inline);
        json.number("track", run.start.track);
        json.number("sector", run.start.sector);
        json.number("length", run.length);
        json.endObject();
        return false;
    });
    json.endArray();
    json.endObject();
}

// Each step of a disk's plan as its part of the disk's object.
class JsonDisk final : public DiskPlanSteps {
public:
    JsonDisk(JsonWriter& json, D88Image& image, std::int32_t disk, Run& run, const LaterWrites& laterWrites,
             SectorMap& sectorMap)
        : json(json), image(image), disk(disk), run(run), laterWrites(laterWrites), sectorMap(sectorMap) {}

    void boot(const BootPlan& plan) override {
        sectorMap.start(image);
        json.number("size", image.getDiskSize());
        writeName(json, "name", image.getDiskName());
        json.number("media", image.getMediaType());
        if (isBootDisk(plan)) {
            json.string("boot", plan.signature == BootSignature::A ? "A" : "B");
        } else {
            json.null("boot");
        }
        writeTracks(json, image, run.console);
        if (!isBootDisk(plan)) {
            json.null("ttlprg");
        }
    }

    void title(const FilePlan& plan) override {
        json.beginObject("ttlprg", JsonLayout::Inline);
        writeOutcome(plan, TITLE_ENTRY);
        json.endObject();
    }

    void directory(std::int32_t entriesRead) override {
        json.number("directory_entries_read", entriesRead);
        json.beginArray("entries", JsonLayout::Lines);
        entriesOpen = true;
    }

    void entry(std::int32_t index, const DirEntry& entry, const FilePlan& plan) override {
        sectorMap.note(index, entry, plan);
        json.beginObject(nullptr, JsonLayout::Inline);
        json.number("index", index);
        writeName(json, "name", entry.name);
        json.hex("bytes_6_11", entry.unused, DIR_UNUSED_SIZE);
        writeSector(json, "start", entryStart(entry));
        writeSector(json, "end", entryEnd(entry));
        json.number("size", plan.size);
        writeOutcome(plan, index);
        json.endObject();
        watchStandardOutput(run.console);
    }

    void finish() {
        if (entriesOpen) {
            json.endArray();
        }
        writeFree(json, sectorMap);
    }

private:
    // What d88extract does with the file, where it goes and what replaces it.
    void writeOutcome(const FilePlan& plan, std::int32_t entry) {
        const bool writes = writesFile(plan);
        json.string("outcome", outcomeName(plan.outcome));
        json.number("written", writes ? plan.size : 0);
        json.number("read", writes ? plan.arrived : 0);
        WritePlace later;
        if (writes) {
            char fileName[NAME_TEXT_SIZE];
            createdFileName(plan.name, run.output.getSettings().utf8Names, fileName, sizeof fileName);
            json.string("file", fileName);
        } else {
            json.null("file");
        }
        if (writes && laterWrites.find(plan.name, WritePlace{disk, entry}, later)) {
            json.beginObject("replaced_by", JsonLayout::Inline);
            json.number("disk", later.disk);
            if (later.entry == TITLE_ENTRY) {
                json.null("entry");
            } else {
                json.number("entry", later.entry);
            }
            json.endObject();
        } else {
            json.null("replaced_by");
        }
    }

    JsonWriter& json;
    D88Image& image;
    std::int32_t disk;
    Run& run;
    const LaterWrites& laterWrites;
    // Where files could grow or move to, as d88put counts it.
    SectorMap& sectorMap;
    bool entriesOpen = false;
};

void writeDisk(JsonWriter& json, D88Image& image, std::int32_t index, Run& run, const LaterWrites& laterWrites) {
    json.beginObject(nullptr, JsonLayout::Lines);
    json.number("index", index);
    json.number("offset", image.getDiskOffset(index));
    const bool selected = image.selectDisk(index);
    json.boolean("header_read", selected);
    if (selected) {
        run.output.enterDisk(index);
        // Large: static storage, not the stack.
        static SectorMap sectorMap;
        JsonDisk steps(json, image, index, run, laterWrites, sectorMap);
        planDisk(image, run.output, steps, PlanReads::Places);
        steps.finish();
    }
    json.endObject();
    watchStandardOutput(run.console);
}

}  // namespace

void printJsonDocument(D88Image& image, const char* argument, Run& run, const LaterWrites& laterWrites) {
    const Utf8Stream utf8(stdout);
    JsonWriter json(stdout);
    json.beginObject(nullptr, JsonLayout::Lines);
    json.number("format", JSON_FORMAT);
    json.string("image", argument);
    json.number("disk_count", image.getDiskCount());
    json.beginArray("disks", JsonLayout::Lines);
    for (std::int32_t i = 0; i < image.getDiskCount(); ++i) {
        // Nobody reads the rest.
        if (run.console.standardOutputError == EPIPE) {
            break;
        }
        if (run.selection.takesDisk(i)) {
            writeDisk(json, image, i, run, laterWrites);
        }
    }
    json.endArray();
    json.boolean("more_disks", image.hasMoreDisks());
    // A failed read shows as a missing sector; this says which it was.
    if (image.hasReadError()) {
        json.string("read_error", systemReason(image.getReadError()));
    } else {
        json.null("read_error");
    }
    json.endObject();
    json.finish();
}
