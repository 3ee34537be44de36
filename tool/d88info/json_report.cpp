#include "tool/d88info/json_report.h"

#include <cerrno>
#include <cstring>

#include "tool/cli/json_writer.h"
#include "tool/cli/messages.h"
#include "tool/disk/dir_entry.h"
#include "tool/disk/disk_plan.h"
#include "tool/disk/sector_map.h"
#include "tool/host/file_system.h"
#include "tool/host/sjis_text.h"
#include "tool/host/utf8_stream.h"

namespace {

// Raised only when a field the manual documents changes.
constexpr long long JSON_FORMAT = 1;

// Records counted per track, as the page counts them; one more tells a
// longer track.
constexpr std::int32_t COUNTED_RECORDS = 256;
std::uint8_t trackIds[(COUNTED_RECORDS + 1) * TRACK_ID_SIZE];

// A disk's name is the longest; each Shift_JIS byte takes at most three.
char nameText[utf8BufferSize(DISK_NAME_SIZE)];
char roundTrip[DISK_NAME_SIZE + 1];
char fileName[utf8BufferSize(DISK_NAME_SIZE)];

SectorMap sectorMap;
JsonWriter json(stdout);

// {hex, text}: text is the UTF-8 form --utf8 shows, only where it converts
// back to the very bytes (else --utf8 keeps them raw, and so null).
void writeName(const char* key, const char* name) {
    const std::size_t length = std::strlen(name);
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

void writeTrack(D88Image& image, std::int32_t track, std::int32_t offset) {
    json.beginObject(nullptr, JsonLayout::Inline);
    json.number("track", track);
    json.number("offset", offset);
    // The reader refuses such a track: it has no records to count.
    if (offset < 0 || offset > image.getDiskSize()) {
        json.null("records");
        json.boolean("more_records", false);
        json.beginArray("ids", JsonLayout::Inline);
        json.endArray();
        json.endObject();
        return;
    }
    std::int32_t count = image.readTrackIds(track, trackIds, sizeof trackIds) / TRACK_ID_SIZE;
    const bool capped = count > COUNTED_RECORDS;
    if (capped) {
        count = COUNTED_RECORDS;
    }
    json.number("records", count);
    json.boolean("more_records", capped);
    json.beginArray("ids", JsonLayout::Inline);
    for (std::int32_t i = 0; i < count; ++i) {
        json.hex(nullptr, trackIds + TRACK_ID_SIZE * i, TRACK_ID_SIZE);
    }
    json.endArray();
    json.endObject();
}

void writeTracks(D88Image& image, Console& console) {
    json.beginArray("tracks", JsonLayout::Lines);
    for (std::int32_t track = 0; track < TRACK_COUNT; ++track) {
        const std::int32_t offset = image.getTrackOffset(track);
        if (offset != 0) {
            writeTrack(image, track, offset);
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

void writeSector(const char* key, DataSector at) {
    json.beginObject(key, JsonLayout::Inline);
    json.number("track", at.track);
    json.number("sector", at.sector);
    json.endObject();
}

// The free sectors, then each run of them in the order runs step.
void writeFree() {
    json.beginObject("free", JsonLayout::Inline);
    json.number("sectors", sectorMap.freeCount());
    json.beginArray("runs", JsonLayout::Inline);
    SectorMap::FreeRun run;
    const auto endRun = [&run] {
        if (run.length > 0) {
            json.beginObject(nullptr, JsonLayout::Inline);
            json.number("track", run.start.track);
            json.number("sector", run.start.sector);
            json.number("length", run.length);
            json.endObject();
        }
        run.length = 0;
    };
    for (DataSector at{FIRST_FILE_TRACK, DATA_FIRST_SECTOR}; at.track < TRACK_COUNT;
         at = nextDataSector(at)) {
        if (!sectorMap.isFree(at)) {
            endRun();
        } else if (run.length++ == 0) {
            run.start = at;
        }
    }
    endRun();
    json.endArray();
    json.endObject();
}

// Each step of a disk's plan as its part of the disk's object.
class JsonDisk final : public DiskPlanSteps {
public:
    JsonDisk(D88Image& image, std::int32_t disk, Run& run, const LaterWrites& laterWrites)
        : image(image), disk(disk), run(run), laterWrites(laterWrites) {}

    void boot(const BootPlan& plan) override {
        sectorMap.start(image);
        json.number("size", image.getDiskSize());
        writeName("name", image.getDiskName());
        json.number("media", image.getMediaType());
        if (isBootDisk(plan)) {
            json.string("boot", plan.signature == BootSignature::A ? "A" : "B");
        } else {
            json.null("boot");
        }
        writeTracks(image, run.console);
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
        writeName("name", entry.name);
        json.hex("bytes_6_11", entry.unused, DIR_UNUSED_SIZE);
        writeSector("start", entryStart(entry));
        writeSector("end", entryEnd(entry));
        json.number("size", plan.size);
        writeOutcome(plan, index);
        json.endObject();
        watchStandardOutput(run.console);
    }

    void finish() {
        if (entriesOpen) {
            json.endArray();
        }
        writeFree();
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

    D88Image& image;
    std::int32_t disk;
    Run& run;
    const LaterWrites& laterWrites;
    bool entriesOpen = false;
};

void writeDisk(D88Image& image, std::int32_t index, Run& run, const LaterWrites& laterWrites) {
    json.beginObject(nullptr, JsonLayout::Lines);
    json.number("index", index);
    json.number("offset", image.getDiskOffset(index));
    const bool selected = image.selectDisk(index);
    json.boolean("header_read", selected);
    if (selected) {
        run.output.enterDisk(index);
        JsonDisk steps(image, index, run, laterWrites);
        planDisk(image, run.output, steps, PlanReads::Places);
        steps.finish();
    }
    json.endObject();
    watchStandardOutput(run.console);
}

}  // namespace

void printJsonDocument(D88Image& image, const char* argument, Run& run, const LaterWrites& laterWrites) {
    beginUtf8Stream(stdout);
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
            writeDisk(image, i, run, laterWrites);
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
    endUtf8Stream(stdout);
}
