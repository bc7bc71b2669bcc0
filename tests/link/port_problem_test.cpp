// A head port that is missing, busy, replaced or given back: the link says why, keeps its
// clock, and takes the line once it is there, but never a stranger's terminal.

#include <unistd.h>

#include "link_fixture.h"
#include "platform/pseudo_terminal.h"

namespace tarvisk::test {
namespace {

std::string ProblemText(LiveLink& live) {
    return live.link.PortProblemText.Get();
}

TEST(PortProblems, MissingThenPluggedInLater) {
    FastClock clock(50);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    const std::string path = live.options.linkPath;
    EXPECT_FALSE(live.acquisition.OpenHeadPort(0, path));
    ASSERT_TRUE(live.acquisition.StartAcquisition(5));
    EXPECT_EQ(ProblemText(live), "COM1 (" + path + ") not found");
    LinkStatusFacts facts;
    facts.portProblem = ProblemText(live);
    facts.headScanActive = true;
    EXPECT_EQ(ChooseLinkStatus(facts, {}).text, "COM1 (" + path + ") not found");
    // The clock goes on without a port.
    const std::string before = live.acquisition.Stamp().DateAndTimeText.Get();
    ASSERT_TRUE(WaitFor([&] { return live.acquisition.Stamp().DateAndTimeText.Get() != before; }));

    ASSERT_TRUE(live.StartSimulator());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 3; }));
    EXPECT_EQ(ProblemText(live), "");
}

TEST(PortProblems, BusyUntilTheOtherProgramLetsGo) {
    FastClock clock(50);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    ASSERT_TRUE(live.StartSimulator());
    auto other = std::make_unique<SerialPort>();
    ASSERT_TRUE(other->Open(live.simulator.DevicePath()));
    EXPECT_FALSE(live.acquisition.OpenHeadPort(0, live.simulator.DevicePath()));
    EXPECT_EQ(live.acquisition.LastOpenProblem(), PortProblem::Busy);
    ASSERT_TRUE(live.acquisition.StartAcquisition(5));
    EXPECT_NE(ProblemText(live).find(") in use by another program"), std::string::npos);
    other.reset();
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 3; }));
}

// The link is moved to another simulator while the first still runs: the program follows it.
TEST(PortProblems, FollowsALinkMovedToAnotherDevice) {
    FastClock clock(50);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    ASSERT_TRUE(live.StartSimulator());
    ASSERT_TRUE(live.StartLink());
    ASSERT_TRUE(WaitFor([&] { return live.shots.Count() >= 3; }));
    sim::HeadSimulator second;
    ASSERT_TRUE(second.Start(live.options));
    ASSERT_TRUE(WaitFor([&] { return second.Stats().headReplies >= 3; }));
    EXPECT_GE(live.acquisition.Counters().Reopens.Get(), 1);
    second.Stop();
}

// A link left to a terminal that was given back (its owner killed) is never followed once the
// number has been handed to someone else.
TEST(PortProblems, NoStrangersTerminalThroughAStaleLink) {
    FastClock clock(50);  // outlives the link, whose thread reads it
    LiveLink live;
    live.acquisition.SetClock(&clock);
    auto head = std::make_unique<PseudoTerminal>();
    ASSERT_TRUE(head->Open(false, false));
    const std::string number = head->SlavePath();
    const std::string link = live.options.linkPath;
    ASSERT_EQ(symlink(number.c_str(), link.c_str()), 0);
    ASSERT_TRUE(live.acquisition.OpenHeadPort(0, link));
    ASSERT_TRUE(live.acquisition.StartAcquisition(5));
    head.reset();
    ASSERT_TRUE(WaitFor([&] { return ProblemText(live).find("not found") != std::string::npos; }));

    PseudoTerminal stranger;
    ASSERT_TRUE(stranger.Open(false, false));
    if (stranger.SlavePath() != number)
        GTEST_SKIP() << "the terminal number went elsewhere: " << stranger.SlavePath();
    ASSERT_TRUE(WaitFor([&] { return ProblemText(live).find("terminal") != std::string::npos; }));
    EXPECT_EQ(live.acquisition.Counters().Reopens.Get(), 0);
    EXPECT_FALSE(live.acquisition.PortOpen());
    unlink(link.c_str());
}

}  // namespace
}  // namespace tarvisk::test
