#include <gtest/gtest.h>

#include <algorithm>

#include "head/expected_reply.h"
#include "head/switch_command.h"
#include "link_fixture.h"
#include "sim/sim_devices.h"

namespace tarvisk::test {
namespace {

class SetClock : public LocalClock {
  public:
    void Now(std::tm& local, int32_t& milliseconds) override {
        local = {};
        local.tm_year = 126;
        local.tm_mon = 11;
        local.tm_mday = 8;
        local.tm_hour = 12;
        local.tm_min = 34;
        local.tm_sec = second;
        milliseconds = 780;
    }
    int second = 56;
};

class CountingSeams : public AcquisitionSeams {
  public:
    void OnClockSecond() override { ++seconds; }
    int seconds = 0;
};

// A recorded shot carries the time its reply arrived: the reply check refreshes the stamp.
TEST(ReplyStamp, EachValidLiveReplyRefreshesTheDateAndTime) {
    SonarSettings settings;
    HeadLink link(settings);
    RecordingShots shots(link);
    RecordingView view;
    CountingSeams seams;
    SetClock clock;
    AcquisitionThread acquisition(link, shots, view, seams);
    acquisition.SetClock(&clock);

    BuildNormalCommand(link);
    SetExpectedReply(link);
    sim::SimCommand command;
    ASSERT_TRUE(sim::ParseSimCommand(link.Command, command));
    sim::SonarHeadModel head(1);
    sim::ReplyFrame reply{};
    const int32_t length = head.Respond(command, reply);
    ASSERT_EQ(length, link.Expected.ExpectedReplyLength.Get());
    std::copy_n(reply.begin(), length, link.Reply.bytes.begin());

    ASSERT_TRUE(CheckAndDecodeReply(link));
    char text[40];
    acquisition.Stamp().RecorderText.CopyTo(text, sizeof text);
    EXPECT_STREQ(text, "08-DEC-2026  12:34:56.78");
    EXPECT_EQ(seams.seconds, 1);

    // Only a new second redraws the clock; a broken reply, or one played back, leaves it.
    clock.second = 57;
    link.Reply.bytes[length - 1] = 0xFD;
    EXPECT_FALSE(CheckAndDecodeReply(link));
    settings.RunMode = 1;
    link.Reply.bytes[length - 1] = 0xFC;
    EXPECT_TRUE(CheckAndDecodeReply(link));
    acquisition.Stamp().RecorderText.CopyTo(text, sizeof text);
    EXPECT_STREQ(text, "08-DEC-2026  12:34:56.78");
    settings.RunMode = 0;
    EXPECT_TRUE(CheckAndDecodeReply(link));
    acquisition.Stamp().TimeText.CopyTo(text, sizeof text);
    EXPECT_STREQ(text, "12:34:57");
    EXPECT_EQ(seams.seconds, 2);
}

}  // namespace
}  // namespace tarvisk::test
