#include <gtest/gtest.h>

#include "head/command_line.h"
#include "head/head_scan.h"
#include "head/switch_command.h"

namespace tarvisk {
namespace {

std::string Field(const NamedValues& fields, const std::string& name) {
    for (const auto& [n, v] : fields)
        if (n == name)
            return v;
    return "<missing>";
}

NvRam SampleBlock() {
    NvRam nv{};
    nv[0] = 2;
    nv[1] = 5;
    nv[2] = 24;
    nv[3] = 6;
    nv[4] = 7;
    nv[6] = 1234 & 0x7F;
    nv[7] = 1234 >> 7;
    nv[8] = 1;
    nv[9] = 2;
    nv[10] = 1;
    return nv;
}

TEST(HeadScanPresentation, InterpretsTheIdentificationBlock) {
    NvRam nv = SampleBlock();
    const NamedValues f = IdentificationFields(nv);
    EXPECT_EQ(Field(f, "EPROM Revision"), "2.05 - 07JUN24");
    EXPECT_EQ(Field(f, "Serial Number"), "1234");
    EXPECT_EQ(Field(f, "Sensor Type"), "Scanning Sonar");
    EXPECT_EQ(Field(f, "XDCR Type"), "Profiling - (Pencil Beam)");
    EXPECT_EQ(Field(f, "Gear Ratio"), "15 : 1");
    EXPECT_EQ(Field(f, "Depth Rating"), "3000 Meters");
    EXPECT_EQ(Field(f, "Sample Rate"), "2.666us , 13.333us");
    EXPECT_EQ(Field(f, "Shot Count"), "0");
}

TEST(HeadScanPresentation, EdgeValues) {
    NvRam nv = SampleBlock();
    nv[3] = 0;  // month 0 reads as January and is corrected in the block
    nv[13] = 1;
    NamedValues f = IdentificationFields(nv);
    EXPECT_EQ(Field(f, "EPROM Revision"), "2.05 - 07JAN24");
    EXPECT_EQ(nv[3], 1);
    EXPECT_EQ(Field(f, "Shot Count"), "100");

    nv[13] = nv[14] = nv[15] = nv[16] = 0x7F;
    f = IdentificationFields(nv);
    EXPECT_EQ(Field(f, "Shot Count"), "1,000,000,000");

    nv[5] = 1;  // an azimuth drive has no transducer, sample rate or shot count
    f = IdentificationFields(nv);
    EXPECT_EQ(Field(f, "Sensor Type"), "Azimuth Drive");
    EXPECT_EQ(Field(f, "XDCR Type"), "n/a");
    EXPECT_EQ(Field(f, "Sample Rate"), "n/a");
    EXPECT_EQ(Field(f, "Shot Count"), "n/a");
    nv[5] = 9;
    nv[10] = 7;
    f = IdentificationFields(nv);
    EXPECT_EQ(Field(f, "Sensor Type"), "n/a");
    EXPECT_EQ(Field(f, "Depth Rating"), "n/a");

    nv[0] = 0;  // only the dump
    EXPECT_TRUE(IdentificationFields(nv).empty());
    EXPECT_EQ(NvRamLabel(15), "nv_ram [ 15 ]");
    EXPECT_EQ(NvRamByteText(0xAB), "0xAB");
    EXPECT_EQ(WithThousandsSeparators(1234567), "1,234,567");
    EXPECT_EQ(WithThousandsSeparators(999), "999");
}

TEST(HeadScanWalk, MovesOnOncePerSecondWhenAskedOrAnsweredAndWrapsAt31) {
    SonarSettings s;
    HeadLink link(s);
    HeadScanState state;
    s.ClockSecond = 10;
    StartHeadScan(link, state);
    EXPECT_EQ(link.ScanId, 16);
    EXPECT_FALSE(HeadScanStep(link, state));  // same second
    s.ClockSecond = 11;
    EXPECT_FALSE(HeadScanStep(link, state));  // nothing asked yet (count -1)
    struct NoLine : CommandLine {
        void TransmitCommand(const SwitchCommand&) override {}
    } line;
    SendSwitchCommand(link, line);  // -1 -> 0: still nothing counted
    SendSwitchCommand(link, line);
    EXPECT_EQ(link.Command[2], 16);
    s.ClockSecond = 12;
    EXPECT_TRUE(HeadScanStep(link, state));
    EXPECT_EQ(link.ScanId, 17);
    link.HeadFound = 1;
    s.ClockSecond = 13;
    EXPECT_TRUE(HeadScanStep(link, state));
    EXPECT_EQ(link.HeadFound, 0);
    link.ScanId = 31;
    link.HeadScanCommandCount = 2;
    s.ClockSecond = 14;
    EXPECT_TRUE(HeadScanStep(link, state));
    EXPECT_EQ(link.ScanId, 16);
    link.ScanId = 23;
    StopHeadScan(link, s);
    EXPECT_EQ(link.ScanId, 16);
    EXPECT_EQ(link.HeadScanActive, 0);
}

}  // namespace
}  // namespace tarvisk
