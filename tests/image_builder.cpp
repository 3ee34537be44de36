#include "tests/image_builder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

constexpr std::size_t HEADER_SIZE = 0x2B0;

}  // namespace

void putLE16(Bytes& out, std::size_t at, unsigned value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void putLE32(Bytes& out, std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

Sector sector(int c, int h, int r, int n, Bytes data) {
    Sector s;
    s.c = static_cast<std::uint8_t>(c);
    s.h = static_cast<std::uint8_t>(h);
    s.r = static_cast<std::uint8_t>(r);
    s.n = static_cast<std::uint8_t>(n);
    s.data = std::move(data);
    return s;
}

Bytes bytes(std::size_t count, std::uint8_t fill) { return Bytes(count, fill); }

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Disk& Disk::track(int index, std::vector<Sector> sectors) {
    tracks[index] = std::move(sectors);
    return *this;
}

Bytes Disk::build() const {
    Bytes out(HEADER_SIZE, 0);
    for (std::size_t i = 0; i < name.size() && i < 16; ++i) {
        out[i] = static_cast<std::uint8_t>(name[i]);
    }
    out[0x1B] = mediaType;
    for (const auto& [index, sectors] : tracks) {
        putLE32(out, 0x20 + 4 * index, static_cast<std::int32_t>(out.size()));
        for (const Sector& s : sectors) {
            Bytes header(16, 0);
            header[0] = s.c;
            header[1] = s.h;
            header[2] = s.r;
            header[3] = s.n;
            putLE16(header, 4, s.sectorCount.value_or(static_cast<std::uint16_t>(sectors.size())));
            putLE16(header, 14, s.dataSize.value_or(static_cast<std::uint16_t>(s.data.size())));
            out.insert(out.end(), header.begin(), header.end());
            out.insert(out.end(), s.data.begin(), s.data.end());
        }
    }
    for (const auto& [index, offset] : trackOffsets) {
        putLE32(out, 0x20 + 4 * index, offset);
    }
    out.insert(out.end(), trailing.begin(), trailing.end());
    putLE32(out, 0x1C, diskSize.value_or(static_cast<std::int32_t>(out.size())));
    return out;
}

Bytes buildImage(const std::vector<Disk>& disks) {
    Bytes out;
    for (const Disk& disk : disks) {
        const Bytes one = disk.build();
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

void writeFile(const std::filesystem::path& path, const Bytes& content) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    if (!file) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

void writeImage(const std::filesystem::path& path, const std::vector<Disk>& disks) {
    writeFile(path, buildImage(disks));
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::uint8_t dataByte(int track, int sectorNumber, int offset) {
    return static_cast<std::uint8_t>(track * 7 + sectorNumber * 31 + offset);
}

Bytes dataSector(int track, int sectorNumber) {
    Bytes data(1024);
    for (int i = 0; i < 1024; ++i) {
        data[i] = dataByte(track, sectorNumber, i);
    }
    return data;
}

std::vector<Sector> bootTrack(const Bytes& signature, std::uint8_t fill) {
    Bytes boot(256, 0);
    boot[0] = 0xC3;
    std::copy(signature.begin(), signature.end(), boot.begin() + 1);
    std::vector<Sector> sectors{sector(0, 0, 1, 1, boot)};
    for (int r = 2; r <= 16; ++r) {
        sectors.push_back(sector(0, 0, r, 1, bytes(256, static_cast<std::uint8_t>(fill + r))));
    }
    return sectors;
}

Bytes titleBytes(std::uint8_t fill) {
    Bytes out;
    for (int r = 2; r <= 16; ++r) {
        out.insert(out.end(), 256, static_cast<std::uint8_t>(fill + r));
    }
    return out;
}

Bytes dirEntry(const std::string& name, int startTrack, int startSector, int endTrack, int endSector) {
    Bytes entry(16, 0);
    for (std::size_t i = 0; i < name.size() && i < 6; ++i) {
        entry[i] = static_cast<std::uint8_t>(name[i]);
    }
    entry[12] = static_cast<std::uint8_t>(startTrack);
    entry[13] = static_cast<std::uint8_t>(startSector);
    entry[14] = static_cast<std::uint8_t>(endTrack);
    entry[15] = static_cast<std::uint8_t>(endSector);
    return entry;
}

Bytes endOfDirectory() { return bytes(16, 0xFF); }

std::vector<Sector> directoryTrack(const std::vector<Bytes>& entries) {
    Bytes directory;
    for (const Bytes& entry : entries) {
        directory.insert(directory.end(), entry.begin(), entry.end());
    }
    directory.resize(2048, 0xFF);
    std::vector<Sector> sectors{
        sector(0, 1, 1, 3, Bytes(directory.begin(), directory.begin() + 1024)),
        sector(0, 1, 2, 3, Bytes(directory.begin() + 1024, directory.end())),
    };
    for (int r = 3; r <= 5; ++r) {
        sectors.push_back(sector(0, 1, r, 3, dataSector(1, r)));
    }
    return sectors;
}

std::vector<Sector> dataTrack(int t) {
    std::vector<Sector> sectors;
    for (int r = 1; r <= 5; ++r) {
        sectors.push_back(sector(t >> 1, t & 1, r, 3, dataSector(t, r)));
    }
    return sectors;
}

Bytes expectedRun(int startTrack, int startSector, int endTrack, int endSector) {
    Bytes out;
    for (int position = startTrack * 5 + startSector; position <= endTrack * 5 + endSector; ++position) {
        // Sector numbers run 1 to 5, so position t * 5 + 5 is sector 5 of t.
        const int t = (position - 1) / 5;
        const int r = position - t * 5;
        const Bytes data = dataSector(t, r);
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}
