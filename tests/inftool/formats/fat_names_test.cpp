#include "formats/fat_names.h"
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// How a name (UTF-8) goes onto a disk of an OEM code page: a short entry of its bytes there
// when it is an 8.3 name of one case, else long-name entries of its UTF-16.
TEST(FatNames, ShortNamesInTheOemCodePageLongOnesInUtf16) {
    struct Row {
        const char* name;
        uint32_t ansi;
        const char* oem; // the short form's bytes, "_" for each character the page lacks
        bool whole, shortOnly;
        uint32_t entries;
    };
    const Row rows[] = {
        {"\xE8\xA1\xA8.TXT", 932, "\x95\x5C.TXT", true, true, 1}, // 表, 5C trail
        {"\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88.DLL", 932, "\x83\x5C\x83\x74\x83\x67.DLL", true,
         true, 1},                                                       // ソフト
        {"\xC3\x89T\xC3\x89.TXT", 1252, "\x90T\x90.TXT", true, true, 1}, // ÉTÉ in 850
        {"Caf\xC3\xA9.txt", 1252, "Caf\x82.txt", true, false, 2},        // mixed case
        {"\xC5\x82\xC3\xB3"
         "d\xC5\xBA.TXT",
         1252,
         "_\xA2"
         "d_.TXT",
         false, false, 2},                                 // łódź
        {"\xD0\xA4.TXT", 1251, "\x94.TXT", true, true, 1}, // Ф in 866
        {"\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8\xE8\xA1\xA8.TXT", 932,
         "\x95\x5C\x95\x5C\x95\x5C\x95\x5C\x95\x5C.TXT", true, false, 2}, // 10 bytes: no 8.3
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        UseCodePages(row.ansi);
        const FatNameForm form = FormOfName(row.name);
        EXPECT_EQ(form.oem, row.oem);
        EXPECT_EQ(form.whole, row.whole);
        EXPECT_EQ(form.shortOnly, row.shortOnly);
        EXPECT_EQ(EntriesOfName(row.name), row.entries);
        if (row.shortOnly) {
            std::string back;
            EXPECT_TRUE(Utf8OfOem(form.oem, back));
            EXPECT_EQ(back, row.name);
        }
    }
    UseCodePages(0);
}

// A [Disks] name of the ANSI code page becomes a label of the OEM one, ASCII letters upper
// case, cut to whole characters; a first byte E5 is kept as 05.
TEST(FatNames, VolumeLabelsKeepTheirCharacters) {
    UseCodePages(932);
    EXPECT_EQ(VolumeLabel("\x83\x5C\x83\x74\x83\x67 1", 1), "\x83\x5C\x83\x74\x83\x67 1   ");
    EXPECT_EQ(VolumeLabel("\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C", 1),
              "\x83\x5C\x83\x5C\x83\x5C\x83\x5C\x83\x5C ");
    EXPECT_EQ(VolumeLabel("\xE5\x40", 1), std::string("\x05\x40         ", 11));
    UseCodePages(1251);
    EXPECT_EQ(VolumeLabel("\xC4\xE8\xF1\xEA 2", 2),
              "\x84\xA8\xE1\xAA 2     "); // Диск in 866, case kept
    UseCodePages(0);
    const uint16_t lone[] = {'a', 0xD800, 'b'};
    std::string name;
    EXPECT_FALSE(Utf8OfUnits(lone, 3, name));
    EXPECT_EQ(name, "a_b");
}

} // namespace
