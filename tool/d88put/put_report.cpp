#include "tool/d88put/put_report.h"

#include <cstdio>

#include "tool/cli/messages.h"
#include "tool/host/arguments.h"

namespace {

// Counts are decimal words with their unit, singular for one.
const char* sectorsWord(long long count) { return count == 1 ? "sector" : "sectors"; }

// "REASON" of a refusal, in `text`.
void describeRefusal(const Change& change, char* text, std::size_t size) {
    const long disk = change.refusalDisk;
    const long entry = change.refusalEntry;
    switch (change.refusal) {
    case Refusal::NoRoomAfter:
        std::snprintf(text, size, "longer than its run and the sectors after it are not free");
        return;
    case Refusal::NoFreeRun:
        std::snprintf(text, size, "no free run holds %lld %s", static_cast<long long>(change.refusalSectors),
                      sectorsWord(change.refusalSectors));
        return;
    case Refusal::Damaged: std::snprintf(text, size, "its place is damaged"); return;
    case Refusal::CrossLinked:
        if (entry == TITLE_ENTRY) {
            std::snprintf(text, size, "cross-linked with disk %ld TTLPRG", disk);
        } else {
            std::snprintf(text, size, "cross-linked with disk %ld entry %ld", disk, entry);
        }
        return;
    case Refusal::TooLong: std::snprintf(text, size, "longer than %ld bytes", static_cast<long>(TITLE_SIZE)); return;
    case Refusal::CopiesDiffer: std::snprintf(text, size, "its copy in disk%02ld differs", disk); return;
    case Refusal::Unchecked:
        std::snprintf(text, size, "the image's tracks run through each other too much to check its place");
        return;
    case Refusal::SeveralEntries:
        std::snprintf(text, size, "several entries write it: d88put cannot tell which to delete");
        return;
    case Refusal::EmptiesDisk: std::snprintf(text, size, "its disk would lose every file it has"); return;
    case Refusal::DirectoryDamaged: std::snprintf(text, size, "its disk's directory is damaged"); return;
    case Refusal::DirectoryFull: std::snprintf(text, size, "the directory is full"); return;
    case Refusal::EmptyFile:
        std::snprintf(text, size, "the file is empty: an entry holds at least one sector");
        return;
    case Refusal::NotAName:
        std::snprintf(text, size, "its name is no entry name (1 to 6 bytes) d88extract writes as it is");
        return;
    case Refusal::TitleName: std::snprintf(text, size, "TTLPRG is never added"); return;
    case Refusal::TooManyWrites:
        std::snprintf(text, size, "more sectors change than d88put can check in one run");
        return;
    }
}

// "track T sector S": every line that names a sector says it alike, in
// two hex digits each as the listing's START and END write a place.
void printSectorPlace(DataSector at) {
    std::printf("track %02lx sector %02lx", static_cast<unsigned long>(at.track),
                static_cast<unsigned long>(at.sector));
}

void printSectorCount(std::int32_t count) {
    std::printf("%ld %s", static_cast<long>(count), sectorsWord(count));
}

}  // namespace

void reportRefusals(Run& run, const PutPlan& plan) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        if (change.result != PutResult::Refused) {
            continue;
        }
        char reason[80];
        describeRefusal(change, reason, sizeof reason);
        const char* name = change.action == ChangeAction::Directory ? "(directory)" : change.name;
        reportFileProblem(run.console, run.output.shownName(change.place.disk, name).text,
                          "not put back: %s", reason);
    }
}

void reportStrays(Run& run, const Strays& strays) {
    for (std::int32_t i = 0; i < strays.keptCount(); ++i) {
        char shown[FOLDER_FILE_NAME_SIZE + SHOWN_NAME_SIZE];
        strayShownName(run, strays.at(i), shown, sizeof shown);
        std::fflush(stdout);
        std::fprintf(stderr, "%s: %s: not put back: no entry of this name on the disk (--add makes one)\n",
                     run.console.program, argumentAsShown(shown));
    }
    if (strays.count() > strays.keptCount()) {
        const long more = strays.count() - strays.keptCount();
        std::fprintf(stderr, "%s: %ld more %s with no entry of %s name on the disk\n", run.console.program, more,
                     more == 1 ? "file" : "files", more == 1 ? "its" : "their");
    }
}

bool announce(Run& run, const PutPlan& plan) {
    for (std::int32_t i = 0; i < plan.changeCount(); ++i) {
        const Change& change = plan.change(i);
        if (change.action == ChangeAction::Directory) {
            continue;  // said by the entries that made it change
        }
        const ShownName shown = run.output.shownName(change.place.disk, change.name);
        char safe[SHOWN_NAME_SIZE];
        terminalSafeName(run.console, stdout, shown.text, safe, sizeof safe);
        putText(run.console, stdout, safe);
        switch (change.result) {
        case PutResult::Deleted: std::printf(": deleted\n"); break;
        case PutResult::Added:
            std::printf(": added at ");
            printSectorPlace(change.start);
            std::printf(", ");
            printSectorCount(change.sectors);
            std::printf("\n");
            break;
        case PutResult::Shrunk:
            std::printf(": shrunk to ");
            printSectorCount(change.sectors);
            std::printf("\n");
            break;
        case PutResult::Grown:
            std::printf(": grown to ");
            printSectorCount(change.sectors);
            std::printf("\n");
            break;
        case PutResult::Moved:
            std::printf(": moved to ");
            printSectorPlace(change.start);
            std::printf("\n");
            break;
        case PutResult::InPlace:
        case PutResult::Pending:
        case PutResult::Refused:
            std::printf(": written in its place\n");
            break;
        }
        watchStandardOutput(run.console);
    }
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
}
