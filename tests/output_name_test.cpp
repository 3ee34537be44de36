// Which names may be created: the POSIX rules run on this host, the Windows
// rules are pinned here so a Linux build checks them too.
#include <gtest/gtest.h>

#include "tool/disk/output_name.h"

namespace {

bool allowed(const char* name, NameRules rules) { return refusedNameReason(name, rules) == nullptr; }

TEST(OutputName, EverywhereSlashesAndDotFoldersAreRefused) {
    for (NameRules rules : {NameRules::Posix, NameRules::Windows}) {
        EXPECT_FALSE(allowed("../up", rules));
        EXPECT_FALSE(allowed("/etc", rules));
        EXPECT_FALSE(allowed("a/", rules));
        EXPECT_FALSE(allowed(".", rules));
        EXPECT_FALSE(allowed("..", rules));
        EXPECT_TRUE(allowed(".hid", rules));
        EXPECT_TRUE(allowed("GAME", rules));
        EXPECT_TRUE(allowed("\xB1\xB2\xB3", rules));
    }
}

TEST(OutputName, BackslashAndColonAreOrdinaryBytesOnPosix) {
    EXPECT_TRUE(allowed("\x83\x5C", NameRules::Posix));  // a Shift_JIS character
    EXPECT_TRUE(allowed("A:B", NameRules::Posix));
    EXPECT_TRUE(allowed("A\\B", NameRules::Posix));
    EXPECT_TRUE(allowed("CON", NameRules::Posix));
    EXPECT_FALSE(allowed("A:B", NameRules::Windows));
}

TEST(OutputName, OnWindowsOnlySeparatorsStandingAloneAreRefused) {
    // 0x5C as the second byte of a double-byte character, after either range
    // of lead bytes; a lead byte at the end.
    for (const char* name : {"\x83\x5C", "\x95\x5C\x8E\xA6", "A\x9F\x5C", "\xE0\x5C", "\xFC\x5C", "AB\x83"}) {
        EXPECT_TRUE(allowed(name, NameRules::Windows)) << name;
    }
    // Half-width kana and 0x80, 0xA0, 0xFD are single bytes; a byte outside
    // the trail range stands alone; 0x5C after a full character is alone.
    for (const char* name :
         {"\xB1\x5C", "\x80\x5C", "\xA0\x5C", "\xFD\x5C", "\x83:", "\x83\x5C\x5C", "\x83\x83\x5C"}) {
        EXPECT_FALSE(allowed(name, NameRules::Windows)) << name;
    }
}

TEST(OutputName, NamesWindowsCannotHoldAreRefusedThere) {
    // Windows drops trailing dots and spaces, leaving "." or nothing.
    for (const char* name : {"...", ". ", ".. ", "  ", "A?B", "A\"<", "A*", "A|", "A\x01B", "a>b"}) {
        EXPECT_TRUE(allowed(name, NameRules::Posix)) << name;
        EXPECT_FALSE(allowed(name, NameRules::Windows)) << name;
    }
    EXPECT_TRUE(allowed("\x83\x7C", NameRules::Windows));  // ポ: its '|' is a trail byte
}

TEST(OutputName, WindowsDeviceNamesAreRefusedInEveryDisguise) {
    for (const char* name : {"CON", "prn", "Aux", "nul", "COM1", "com9", "LPT1", "lpt9", "NUL  ", "con.x",
                             "CON .T", "aux.a.b", "COM3.", "conin$"}) {
        EXPECT_FALSE(allowed(name, NameRules::Windows)) << name;
    }
    for (const char* name : {"CONS", "COM0", "COM", "LPT10", "NULL", "XCON", "COM1X", "ACON.T"}) {
        EXPECT_TRUE(allowed(name, NameRules::Windows)) << name;
    }
}

}  // namespace
