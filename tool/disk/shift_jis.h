// Names on this system's disks are Shift_JIS (code page 932): a lead byte
// and the byte after it, when that byte lies in the trail range, make one
// character. 0x5C is such a trail byte (83 5C is a katakana, 95 5C a
// kanji), while '/', ':', '*' and '?' never are.
#ifndef TOOL_DISK_SHIFT_JIS_H
#define TOOL_DISK_SHIFT_JIS_H

inline constexpr unsigned char SJIS_LEAD_FIRST = 0x81, SJIS_LEAD_LAST = 0x9F;
inline constexpr unsigned char SJIS_LEAD_HIGH_FIRST = 0xE0, SJIS_LEAD_HIGH_LAST = 0xFC;
inline constexpr unsigned char SJIS_TRAIL_FIRST = 0x40, SJIS_TRAIL_LAST = 0x7E;
inline constexpr unsigned char SJIS_TRAIL_HIGH_FIRST = 0x80, SJIS_TRAIL_HIGH_LAST = 0xFC;

constexpr bool isShiftJisLead(unsigned char byte) {
    return (byte >= SJIS_LEAD_FIRST && byte <= SJIS_LEAD_LAST)
           || (byte >= SJIS_LEAD_HIGH_FIRST && byte <= SJIS_LEAD_HIGH_LAST);
}

constexpr bool isShiftJisTrail(unsigned char byte) {
    return (byte >= SJIS_TRAIL_FIRST && byte <= SJIS_TRAIL_LAST)
           || (byte >= SJIS_TRAIL_HIGH_FIRST && byte <= SJIS_TRAIL_HIGH_LAST);
}

// Whether the bytes at `text` start a double-byte character.
inline bool startsDoubleByte(const char* text) {
    return isShiftJisLead(static_cast<unsigned char>(text[0])) && isShiftJisTrail(static_cast<unsigned char>(text[1]));
}

#endif
