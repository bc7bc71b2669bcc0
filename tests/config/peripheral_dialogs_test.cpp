#include <gtest/gtest.h>

#include "config/azimuth_setup_model.h"
#include "config/head_id_models.h"

namespace tarvisk {
namespace {

TEST(ChangeAzimuthDialog, ShowsAndAcceptsAngles) {
    EXPECT_EQ(AzimuthSetupModel(600).Text(), "  0.0");
    EXPECT_EQ(AzimuthSetupModel(599).Text(), "359.7");
    EXPECT_EQ(AzimuthSetupModel(0).Text(), "180.0");

    struct Row {
        const char* text;
        bool ok;
        int32_t steps;
    } rows[] = {{"359.7", true, 599},      {"0", true, 600},    {"180", true, 0},
                {"179.9", true, 1200 - 1}, {"359.8", false, 0}, {"-1", false, 0},
                {"abc", true, 600},  // not a number reads as 0
                {"90.0000001", true, 900}};
    for (const Row& r : rows) {
        AzimuthSetupModel m(123);
        std::string warning;
        EXPECT_EQ(m.Ok(r.text, &warning), r.ok) << r.text;
        if (r.ok) {
            EXPECT_EQ(m.Steps(), r.steps) << r.text;
        } else {
            EXPECT_EQ(warning, "Azimuth Angle is out of range!\nUse 0 to 359.7 Degrees.");
            EXPECT_EQ(m.Steps(), 123);  // the field shows the working value again
        }
    }
}

TEST(ChangeAzimuthDialog, SpinsWrapAndDefaultIsAhead) {
    AzimuthSetupModel m(1199);
    m.SpinUp();
    EXPECT_EQ(m.Steps(), 0);
    m.SpinDown();
    EXPECT_EQ(m.Steps(), 1199);
    m.Default();
    EXPECT_EQ(m.Steps(), 600);
}

TEST(HeadIdDialogs, ItemsStandForIds16To31) {
    EXPECT_EQ(HeadIdItem(16), 0);
    EXPECT_EQ(HeadIdItem(31), 15);
    EXPECT_FALSE(HeadIdItem(32).has_value());
    EXPECT_EQ(HeadIdItemText(0), "1");
    HeadIdChoice c = ChooseNewHeadId(4);
    EXPECT_TRUE(c.request);
    EXPECT_EQ(c.newId, 20);
    EXPECT_FALSE(ChooseNewHeadId(std::nullopt).request);
}

TEST(HeadIdDialogs, ProgramHeadTakesAValidSerialOnly) {
    ProgramHeadChoice c;
    std::string warning;
    ASSERT_TRUE(ChooseProgramHead(0, "1234", 1, c, &warning));
    EXPECT_TRUE(c.programRequest);
    EXPECT_EQ(c.serialNumber, 1234);
    EXPECT_EQ(c.depthRating, 1);
    EXPECT_EQ(c.id.newId, 16);

    // Out of range or not a number: refused with the message, nothing taken.
    c.serialNumber = 77;
    for (const char* bad : {"10000", "-1", "12a", ""}) {
        EXPECT_FALSE(ChooseProgramHead(0, bad, 0, c, &warning)) << bad;
        EXPECT_EQ(warning, "Serial Number is out of range!\nUse 0 to 9999.");
        EXPECT_EQ(c.serialNumber, 77);
    }
    // Without a head ID nothing is programmed, though the serial number is kept.
    ASSERT_TRUE(ChooseProgramHead(std::nullopt, " 0042 ", 0, c, &warning));
    EXPECT_FALSE(c.programRequest);
    EXPECT_EQ(c.serialNumber, 42);
    EXPECT_EQ(SerialNumberText(42), "0042");
}

}  // namespace
}  // namespace tarvisk
