#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "head/expected_reply.h"
#include "head/switch_command.h"
#include "link_fixture.h"
#include "platform/pseudo_terminal.h"
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
    std::atomic<int> seconds{0};
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

// A new second met while a reply arrives waits for that reply's shot, but a reply that stops
// halfway must not stop the clock until the link gives up on it seconds later.
TEST(ReplyStamp, AReplyThatStopsHalfwayDoesNotHoldTheClockBack) {
    PseudoTerminal line;
    ASSERT_TRUE(line.Open());
    SonarSettings settings;
    settings.EnableOrientationModule = 0;
    settings.TxDelay = 0;
    HeadLink link(settings);
    RecordingShots shots(link);
    RecordingView view;
    CountingSeams seams;
    AcquisitionThread acquisition(link, shots, view, seams);
    acquisition.SetSendTiming({0, 0});
    ASSERT_TRUE(acquisition.OpenHeadPort(0, line.SlavePath()));
    ASSERT_TRUE(acquisition.StartAcquisition(5));

    std::array<uint8_t, 64> command{};
    size_t got = 0;
    while (got < 27) {
        pollfd p{line.MasterFd(), POLLIN, 0};
        ASSERT_GT(::poll(&p, 1, 2000), 0) << "no command";
        const ssize_t n = ::read(line.MasterFd(), command.data() + got, command.size() - got);
        ASSERT_GT(n, 0);
        got += static_cast<size_t>(n);
    }
    // After the program's purge: the first bytes of an answer, and then nothing.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const std::array<uint8_t, 12> start{0x40, 0x30, 0x30, 0x41, 0x30, 0x10};
    ASSERT_EQ(::write(line.MasterFd(), start.data(), start.size()), ssize_t(start.size()));
    const int before = seams.seconds;
    // A second begins within 1 s and is told within 0.3 s of it; the link gives up on the
    // reply, which would tell it as well, only after its third second, 2 s from the start.
    EXPECT_TRUE(WaitFor([&] { return seams.seconds > before; }, 1800));
    EXPECT_EQ(shots.Count(), 0u);
    acquisition.StopAcquisition();
}

}  // namespace
}  // namespace tarvisk::test
