// d88info --json against d88info's page: the document must parse and say
// what the page says, on many randomly damaged images.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "tests/damaged_images.h"
#include "tests/tool_runner.h"

using nlohmann::json;

namespace {

std::string format(const char* pattern, long a, long b = 0, long c = 0, long d = 0) {
    char out[128];
    std::snprintf(out, sizeof out, pattern, a, b, c, d);
    return out;
}

std::string bytesOf(const json& name) {
    const std::string hex = name.at("hex");
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return out;
}

// A why note the document does not carry (where a run stopped, why a name
// is refused) reads "<why>" on both sides.
std::string note(const json& file) {
    const std::string outcome = file.at("outcome");
    if (outcome == "none" || outcome == "refused") {
        return "<why>";
    }
    const json& by = file.at("replaced_by");
    if (by.is_null()) {
        return "";
    }
    return "replaced by disk " + std::to_string(by.at("disk").get<long>())
           + (by.at("entry").is_null() ? std::string(" TTLPRG")
                                       : " entry " + std::to_string(by.at("entry").get<long>()));
}

std::string mark(const json& file) {
    const std::string outcome = file.at("outcome");
    return outcome == "some" ? format("some: %04lx", file.at("read").get<long>()) : outcome;
}

// The lines of the page that the document holds, made from the document.
std::string pageOf(const json& doc) {
    std::string page =
        doc.at("image").get<std::string>() + ": " + std::to_string(doc.at("disk_count").get<long>())
        + (doc.at("disk_count") == 1 ? " disk" : " disks")
        + (doc.at("more_disks") ? " (the file holds more; only the first 64 are read)" : "") + "\n";
    for (const json& disk : doc.at("disks")) {
        page += "\nDisk " + std::to_string(disk.at("index").get<long>());
        if (!disk.at("header_read")) {
            page += ": the header cannot be read\n";
            continue;
        }
        const long size = disk.at("size");
        page += ": \"" + bytesOf(disk.at("name")) + "\"\n"
                + format("  at 0x%08lx, size 0x%08lx (%ld bytes), media 0x%02lx", disk.at("offset"),
                         size & 0xFFFFFFFF, size, disk.at("media"))
                + (disk.at("boot").is_null() ? " <no boot>"
                                             : " boot signature " + disk.at("boot").get<std::string>())
                + "\n";
        page += disk.at("tracks").empty()
                    ? "  no tracks\n"
                    : "  track   C/H  offset      records  identities C H R N, in file order\n";
        for (const json& track : disk.at("tracks")) {
            const long t = track.at("track");
            page += format("  %5.2lx  %02lx/%ld  0x%08lx", t, t / 2, t % 2,
                           track.at("offset").get<long>() & 0xFFFFFFFF);
            if (track.at("records").is_null()) {
                page += "        -  outside the disk\n";
                continue;
            }
            const std::string more = track.at("more_records") ? "+" : "";
            const long count = track.at("records");
            char countText[16];
            std::snprintf(countText, sizeof countText, "%7s", (std::to_string(count) + more).c_str());
            page += std::string("  ") + countText;
            EXPECT_EQ(static_cast<long>(track.at("ids").size()), count);
            for (long i = 0; i < count && i < 32; ++i) {
                page += i > 0 && i % 8 == 0 ? "\n" + std::string(34, ' ') : "";
                const std::string id = track.at("ids")[static_cast<std::size_t>(i)];
                page += "  " + id.substr(0, 2) + " " + id.substr(2, 2) + " " + id.substr(4, 2) + " "
                        + id.substr(6, 2);
            }
            page += count > 32 ? "  ... " + std::to_string(count - 32) + more + " more\n" : "\n";
        }
        if (!disk.at("ttlprg").is_null()) {
            const std::string why = note(disk.at("ttlprg"));
            page += "  TTLPRG: " + mark(disk.at("ttlprg")) + (why.empty() ? "" : "  " + why) + "\n";
        }
        page += "  directory: " + std::to_string(disk.at("directory_entries_read").get<long>())
                + " of 128 entries read\n";
        for (const json& entry : disk.at("entries")) {
            if (entry.at("index") == 0) {
                page += "    #  written       bytes 6-11    entry, as d88extract lists it\n";
            }
            char markText[16];
            std::snprintf(markText, sizeof markText, "%-12s", mark(entry).c_str());
            std::string name = bytesOf(entry.at("name"));
            name.resize(std::max<std::size_t>(name.size(), 6), ' ');
            page += format("  %3ld  ", entry.at("index")) + markText + "  "
                    + entry.at("bytes_6_11").get<std::string>() + "  " + name
                    + format("   START:%02lx %02lx    END:%02lx %02lx", entry.at("start").at("track"),
                             entry.at("start").at("sector"), entry.at("end").at("track"),
                             entry.at("end").at("sector"))
                    + format("   SIZE:%04lx\n", entry.at("size").get<long>() & 0xFFFFFFFF);
            const std::string why = note(entry);
            page += why.empty() ? "" : std::string(35, ' ') + why + "\n";
        }
        const json& free = disk.at("free");
        const long sectors = free.at("sectors");
        long total = 0;
        const json* longest = nullptr;
        for (const json& run : free.at("runs")) {
            total += run.at("length").get<long>();
            longest = longest == nullptr || run.at("length") > longest->at("length") ? &run : longest;
        }
        EXPECT_EQ(total, sectors);
        page +=
            "  free: " + std::to_string(sectors) + (sectors == 1 ? " sector" : " sectors")
            + (longest == nullptr ? ""
                                  : format(", longest run %ld at track %02lx sector %02lx", longest->at("length"),
                                           longest->at("track"), longest->at("sector")))
            + "\n";
    }
    return page;
}

// The page with what the document does not hold put as pageOf puts it.
std::string comparable(const std::string& page) {
    std::string out;
    std::size_t at = 0;
    while (at < page.size()) {
        const std::size_t end = page.find('\n', at);
        std::string line = page.substr(at, end - at);
        at = end + 1;
        // A Windows console stream ends its lines with CR LF.
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t boot = line.find(" (", line.find(", media 0x"));
        if (line.rfind("  at 0x", 0) == 0 && boot != std::string::npos) {
            const std::size_t last = line.rfind(", ");
            const std::string what = line.substr(last + 2);
            line = line.substr(0, boot) + (what.rfind("no boot", 0) == 0 ? " <no boot>" : " " + what);
        }
        const bool why = line.find("  TTLPRG: none") == 0 || line.find("  TTLPRG: refused") == 0;
        if (why) {
            line = line.substr(0, line.find("  ", 10)) + "  <why>";
        }
        if (line.rfind(std::string(35, ' '), 0) == 0 && line.find("replaced by ") == std::string::npos
            && line[35] != ' ') {
            line = std::string(35, ' ') + "<why>";
        }
        out += line + "\n";
    }
    return out;
}

TEST(InfoJson, TheDocumentParsesAndSaysWhatThePageSays) {
    DamagedImages images(20261225);
    // Wine starts a process slowly.
    const int rounds = toolRunsOnWindows() ? 15 : 150;
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("image " + std::to_string(round));
        Scratch scratch;
        writeImage(scratch.image(), images.disks());
        const std::string image = "../" + scratch.image().filename().string();
        const ToolResult page = scratch.run({"d88info", image}, "", {}, infoPath());
        const ToolResult doc = scratch.run({"d88info", "--json", image}, "", {}, infoPath());
        ASSERT_EQ(doc.status, page.status);
        ASSERT_EQ(doc.err, page.err);
        ASSERT_EQ(doc.out.back(), '\n');
        const json parsed = json::parse(doc.out);
        EXPECT_EQ(parsed.at("format"), 1);
        EXPECT_EQ(pageOf(parsed), comparable(page.out));
    }
}

// Every byte 0x01 to 0xFF in entry names, six to an entry, and in disk
// names, sixteen to a disk; bytes 6 to 11 of entry E are 6E+6 to 6E+11.
std::vector<Disk> everyByteDisks(std::string& all) {
    for (int byte = 1; byte <= 0xFF; ++byte) {
        all += static_cast<char>(byte);
    }
    std::vector<Disk> disks;
    std::vector<Bytes> entries;
    for (std::size_t at = 0; at < all.size(); at += 6) {
        entries.push_back(dirEntry(all.substr(at, 6), 2, 1, 2, 1));
        for (int i = 6; i < 12; ++i) {
            entries.back()[static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(at + static_cast<std::size_t>(i));
        }
    }
    for (std::size_t at = 0; at < all.size(); at += 16) {
        Disk disk;
        disk.name = all.substr(at, 16);
        disk.track(1, directoryTrack(entries)).track(2, dataTrack(2));
        disks.push_back(disk);
    }
    return disks;
}

TEST(InfoJson, NamesOfEveryByteParseAndComeBackThroughHex) {
    std::string all;
    const std::vector<Disk> disks = everyByteDisks(all);
    Scratch scratch;
    writeImage(scratch.image(), disks);
    for (const char* utf8 : {"--json", "--utf8"}) {
        SCOPED_TRACE(utf8);
        const ToolResult doc =
            scratch.run({"d88info", "--json", utf8, scratch.image().string()}, "", {}, infoPath());
        const json parsed = json::parse(doc.out);
        std::string diskNames;
        for (const json& disk : parsed.at("disks")) {
            diskNames += bytesOf(disk.at("name"));
            std::string entryNames;
            for (const json& entry : disk.at("entries")) {
                entryNames += bytesOf(entry.at("name"));
                const std::string name = bytesOf(entry.at("name"));
                const json& text = entry.at("name").at("text");
                if (name.find_first_of(all.substr(0x7F)) == std::string::npos) {
                    EXPECT_EQ(text, name);  // ASCII is its own UTF-8
                }
                if (entry.at("file").is_string() && text.is_string() && std::string(utf8) == "--utf8") {
                    EXPECT_EQ(entry.at("file"), text);
                }
                std::string unused;
                for (long i = 6; i < 12; ++i) {
                    unused += format("%02lx", (entry.at("index").get<long>() * 6 + i) & 0xFF);
                }
                EXPECT_EQ(entry.at("bytes_6_11"), unused);
            }
            EXPECT_EQ(entryNames, all);
        }
        EXPECT_EQ(diskNames, all);
    }
}

// `doc` without the members named, wherever they stand.
json without(json doc, const std::set<std::string>& names) {
    if (doc.is_object()) {
        for (const std::string& name : names) {
            doc.erase(name);
        }
    }
    if (doc.is_structured()) {
        for (json& member : doc) {
            member = without(member, names);
        }
    }
    return doc;
}

TEST(InfoJson, TheWindowsDocumentIsTheLinuxOneWhereBothWriteNamesAlike) {
    if (!toolRunsOnWindows()) {
        GTEST_SKIP() << "compares the Windows exe with the Linux build";
    }
    Scratch scratch;
    std::vector<Bytes> entries = {dirEntry("GAME", 2, 1, 2, 3), dirEntry("\xBB\xDD\xCC\xDF\xD9", 2, 4, 3, 1),
                                  dirEntry("MISS", 9, 1, 9, 2)};
    Disk disk;
    disk.name = "\xB1\xB2 DISK";
    disk.track(0, bootTrack(SIGNATURE_A)).track(1, directoryTrack(entries)).track(2, dataTrack(2));
    writeImage(scratch.image(), {disk});
    const std::string image = "../" + scratch.image().filename().string();
    const ToolResult windows = scratch.run({"d88info", "--json", "--utf8", image}, "", {}, infoPath());
    const ToolResult linux = scratch.run({"d88info", "--json", "--utf8", image}, "", {}, LINUX_D88INFO_PATH);
    EXPECT_EQ(windows.status, 0);
    EXPECT_EQ(windows.out, linux.out);
    // Without --utf8 Linux names the kana file by its raw bytes.
    const ToolResult windowsRaw = scratch.run({"d88info", "--json", image}, "", {}, infoPath());
    const ToolResult linuxRaw = scratch.run({"d88info", "--json", image}, "", {}, LINUX_D88INFO_PATH);
    EXPECT_EQ(without(json::parse(windowsRaw.out), {"file"}), without(json::parse(linuxRaw.out), {"file"}));

    // Where Windows refuses a name or reads it otherwise, only what becomes
    // of the file may differ.
    std::string all;
    writeImage(scratch.image(), everyByteDisks(all));
    const std::set<std::string> mayDiffer = {"outcome", "written", "read", "file", "text", "replaced_by"};
    for (const char* utf8 : {"--json", "--utf8"}) {
        const ToolResult w = scratch.run({"d88info", "--json", utf8, image}, "", {}, infoPath());
        const ToolResult l = scratch.run({"d88info", "--json", utf8, image}, "", {}, LINUX_D88INFO_PATH);
        EXPECT_EQ(without(json::parse(w.out), mayDiffer), without(json::parse(l.out), mayDiffer)) << utf8;
    }
}

}  // namespace
