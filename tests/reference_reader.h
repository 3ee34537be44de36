// ReferenceReader: the reader's contract written the plain way, on the file's
// bytes in memory: every lookup walks its track from the first record. The
// reader fuzzer and the differential test compare D88Image against it call
// by call.
#ifndef TESTS_REFERENCE_READER_H
#define TESTS_REFERENCE_READER_H

#include <cstdint>
#include <string>
#include <vector>

class ReferenceReader {
public:
    explicit ReferenceReader(const std::vector<std::uint8_t>& file) : bytes(file) {}

    void open();
    void close();
    std::int32_t getDiskCount() const { return diskCount; }
    bool selectDisk(std::int32_t index);
    void setSectorRange(std::int32_t first, std::int32_t last) {
        firstSector = first;
        lastSector = last;
    }
    std::int32_t readSector(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                            std::int32_t n, std::uint8_t* dest, std::int32_t maxLen) const;
    std::int32_t readSectors(std::int32_t track, std::int32_t c, std::int32_t h, std::int32_t r,
                             std::int32_t n, std::uint8_t* dest, std::int32_t length) const;
    std::int32_t readTrackIds(std::int32_t track, std::uint8_t* out, std::int32_t outLen) const;
    const std::string& getDiskName() const { return diskName; }
    std::int32_t getMediaType() const { return mediaType; }

private:
    void forgetSelection();
    std::int64_t trackStart(std::int32_t track) const;
    bool has(std::int64_t offset, std::int64_t count) const;
    unsigned le16(std::int64_t offset) const;
    std::int32_t le32(std::int64_t offset) const;

    const std::vector<std::uint8_t>& bytes;
    bool isOpen = false;
    std::int32_t diskCount = 0;
    std::vector<std::int64_t> diskOffsets;
    std::int32_t firstSector = 1;
    std::int32_t lastSector = 16;
    std::int64_t diskOffset = -1;
    std::int32_t diskSize = 0;
    std::int32_t trackOffsets[164] = {};
    std::int32_t mediaType = -1;
    std::string diskName;
};

#endif
