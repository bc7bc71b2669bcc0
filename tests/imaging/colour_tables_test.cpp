#include <gtest/gtest.h>

#include "imaging/colour_tables.h"
#include "imaging/palette.h"

namespace tarvisk {
namespace {

struct EntryCase {
    int32_t choice;
    int32_t index;
    Rgb expected;
};

// Worked values: the 1.5 scaling with its 255 limit, the double just below 1.2 in the curved
// tables (180 gives 215), and the exact 2.5 and 1.8 of the grey tables.
TEST(ColourTables, WorkedEntries) {
    const EntryCase cases[] = {
        {0, 18, {0, 0, 120}},    {0, 35, {0, 150, 0}},      {0, 98, {255, 255, 210}},
        {0, 107, {240, 0, 0}},   {0, 0, {0, 0, 0}},         {0, 60, {232, 157, 0}},
        {1, 107, {160, 0, 0}},   {1, 18, {0, 0, 80}},       {1, 53, {90, 175, 0}},
        {1, 88, {195, 195, 0}},  {1, 106, {215, 215, 215}}, {5, 0, {0, 0, 0}},
        {5, 59, {215, 88, 0}},   {5, 100, {255, 232, 0}},   {5, 118, {255, 255, 0}},
        {6, 59, {0, 215, 88}},   {7, 59, {88, 215, 0}},     {8, 59, {0, 88, 215}},
        {2, 40, {0, 100, 0}},    {3, 40, {100, 100, 100}},  {3, 118, {255, 255, 255}},
        {4, 0, {212, 212, 212}}, {4, 118, {0, 0, 0}},       {4, 113, {9, 9, 9}},
    };
    for (const EntryCase& c : cases) {
        const ColourTable t = BuildColourTable(c.choice);
        const Rgb& got = t[size_t(c.index)];
        EXPECT_EQ(got, c.expected) << "choice " << c.choice << " entry " << c.index << ": ("
                                   << int(got.r) << "," << int(got.g) << "," << int(got.b) << ")";
    }
}

TEST(ColourTables, FixedEntriesAreTheSameInEveryTable) {
    const Rgb fixed[] = {{0, 179, 0}, {143, 179, 0}, {71, 71, 71}, {143, 143, 143}, {215, 215, 215},
                         {0, 0, 161}, {0, 0, 0},     {179, 0, 0},  {255, 0, 0}};
    for (int32_t choice = 0; choice < ColourTableChoices; ++choice) {
        const ColourTable t = BuildColourTable(choice);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(t[size_t(119 + i)], fixed[i]) << choice << " " << i;
        for (int i = 128; i < 256; ++i)
            EXPECT_EQ(t[size_t(i)], (Rgb{127, 0, 0})) << choice;
        // In the base tables the levels above the echo range show one dark red.
        if (choice < 2) {
            EXPECT_EQ(t[108], t[118]);
        }
    }
}

TEST(ColourTables, PaletteChangesOnlyTheEchoEntries) {
    Palette palette;
    const ColourTable start = palette.Colours();
    EXPECT_EQ(start, BuildColourTable(0));
    EXPECT_EQ(palette.ApplyColourTable(4), 1);
    const ColourTable grey = palette.Colours();
    EXPECT_EQ(grey[0], (Rgb{212, 212, 212}));
    for (int i = 119; i < 256; ++i)
        EXPECT_EQ(grey[size_t(i)], start[size_t(i)]);
    EXPECT_GT(palette.Version(), 0);
    // An out-of-range choice falls back to Norm Hi instead of reading past the table.
    palette.ApplyColourTable(42);
    EXPECT_EQ(palette.Colours(), start);
}

TEST(ColourTables, ColourBarRunsFrom111DownTo0) {
    const auto& bar = ColourBarIndexes();
    EXPECT_EQ(bar.front(), 111);
    EXPECT_EQ(bar.back(), 0);
    for (size_t i = 1; i < bar.size(); ++i)
        EXPECT_LE(bar[i], bar[i - 1]);
}

}  // namespace
}  // namespace tarvisk
