// Automated scans on the simulated head through the real acquisition thread, recorded as
// they run; the XYZ files they write are checked against the recordings, re-processed by the
// tool's code and computed here from the records.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../link/link_fixture.h"
#include "files/auto_frame_capture.h"
#include "files/auto_scan.h"
#include "files/auto_scan_context.h"
#include "files/auto_scan_link.h"
#include "files/file_commands.h"
#include "files/file_shot_hooks.h"
#include "files/headless_playback.h"
#include "files/ksd_reader.h"
#include "files/xyz_reprocess.h"
#include "head/acquisition_thread.h"
#include "head/orientation_module.h"
#include "head/reply_decode.h"
#include "imaging/profile_points.h"
#include "imaging/shot_pipeline.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// The operator at the dialogs: starts recording and scanning at the first one, stops both at
// the next (the prompt after the sweep, or "Scan complete.").
class Operator : public AutoScanUi {
  public:
    explicit Operator(FileCommands& files) : files_(files) {}
    void RecordTo(std::string path) { recording_ = std::move(path); }
    void RunProfileDialog(AutoProfileDialogModel& m, SonarSettings& s,
                          AutoProfileRunState& run) override {
        const bool first = dialogs++ == 0;
        if (first && atFirstDialog)
            atFirstDialog();
        if (first)
            recordingStarted = files_.StartRecording(recording_);
        else
            files_.StopRecording();
        m.SetEnable(first);
        m.Ok(s, run);
    }
    void RunAzimuthDialog(AutoAzimuthDialogModel& m, SonarSettings& s, AutoAzimuthRunFlags& run,
                          const std::function<void()>&) override {
        ++dialogs;
        recordingStarted = files_.StartRecording(recording_);
        m.SetEnable(true);
        m.Ok(s, run);
    }
    void ShowScanComplete() override {
        files_.StopRecording();
        complete = true;
    }
    void ShowScanMessage(std::string_view text) override { messages += std::string(text) + "\n"; }

    std::atomic<int> dialogs{0};
    std::atomic<bool> complete{false};
    std::function<void()> atFirstDialog;  // before the recording starts
    bool recordingStarted = false;
    std::string messages;

  private:
    FileCommands& files_;
    std::string recording_;
};

class ScanOnSimulator : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/tarvisk-scan-sim-XXXXXX";
        dir = mkdtemp(pattern);
        op.RecordTo(Recording());
        options.unpaced = true;
        options.linkPath = (dir / "head").string();
        options.seed = 11;
        settings.EnableOrientationModule = 0;
        settings.TxDelay = 0;
        settings.AutoProfileBMP = 0;
        settings.AutoProfileSaveConfirmation = 0;
        settings.AutoProfilePromptForScan = 1;
        settings.GridMode = Sector;
        settings.SectorSize = 60;
        settings.Speed = Fast;
        fileHooks.Attach(commands, pipeline);
        ShotHooks hooks;
        hooks.recorder = &fileHooks;
        hooks.profileContext = &context;
        pipeline.SetHooks(hooks);
        commands.Recorder().SetTimeStampSource(&stamps);
        commands.Recorder().SetAzimuthSource(&azimuth);
        scan.SetOutputFolder(dir.string());
        acquisition.SetSendTiming({0, 0});
    }
    void TearDown() override {
        acquisition.StopAcquisition();
        simulator.Stop();
        commands.CloseAll();
        fs::remove_all(dir);
    }
    void Start() {
        ASSERT_TRUE(simulator.Start(options)) << simulator.Error();
        ASSERT_TRUE(acquisition.OpenHeadPort(0, simulator.DevicePath()));
        ASSERT_TRUE(acquisition.StartAcquisition(5));
        ASSERT_TRUE(WaitFor([&] { return acquisition.Counters().ShotsRead > 20; }, 10000));
    }
    std::vector<fs::path> XyzFiles() {
        std::vector<fs::path> files;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ".XYZ")
                files.push_back(e.path());
        std::sort(files.begin(), files.end());
        return files;
    }
    std::string Reprocess(XyzForm form, bool module = false) {
        XyzReprocessRequest request;
        request.ksdPath = Recording();
        request.form = form;
        request.overrides = {{"EnableOrientationModule", module ? "1" : "0"}};
        std::string text;
        const XyzReprocessResult r = ReprocessToXyz(request, [&](std::string_view t) {
            text += t;
            return true;
        });
        EXPECT_TRUE(r.ok) << r.error << " " << fileUi.lastMessage;
        return text;
    }
    std::string Recording() const { return (dir / "scan.ksd").string(); }
    // A full circle of the borehole, 5 m range, polar.
    void SetUpBoreholeCircle() {
        options.scene = sim::SceneKind::Borehole;
        settings.Range = 4;  // 5 m
        settings.RangeMeters = 5;
        settings.GridMode = Polar;
        settings.SectorSize = 360;
        settings.Speed = Faster;
    }

    fs::path dir;
    sim::SimulatorOptions options;
    sim::HeadSimulator simulator;
    SonarSettings settings;
    HeadLink link{settings};
    SonarImage image;
    ProfilePoints points;
    EchoHistory history;
    ImagingState imaging;
    ProfileRecordTable log;
    SonarDrawing drawing{settings, image, points};
    HeadlessFileUi fileUi;
    FileShotHooks fileHooks{link, drawing, history};
    ShotPipeline pipeline{settings, link, drawing, history, log, imaging};
    FileCommands commands{settings, link.Expected, link.Reply, fileUi, fileHooks};
    Operator op{commands};
    LinkStatusView view;
    AutoScanSeams seams{scan};
    AcquisitionThread acquisition{link, pipeline, view, seams};
    StampTimeSource stamps{acquisition.Stamp()};
    LinkAzimuthSource azimuth{link};
    StampProfileContext context{acquisition.Stamp()};
    AcquisitionScanLink scanLink{acquisition, link};
    AutoScan scan{settings, link, imaging, log, drawing, scanLink, op};
};

// Entry lines of a vertical file, as numbers.
std::vector<std::vector<double>> Numbers(const std::string& text, size_t skipLines) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    std::string line;
    size_t n = 0;
    while (std::getline(in, line)) {
        if (n++ < skipLines || line == "\r")
            continue;
        std::vector<double> row;
        std::istringstream fields(line);
        std::string f;
        int column = 0;
        while (std::getline(fields, f, '\t'))
            if (column++ >= 2)  // date and time
                row.push_back(std::stod(f));
        rows.push_back(row);
    }
    return rows;
}

// The shots of a recording, decoded here: bearing and profile range of each head shot.
struct RecordedShot {
    double bearing;
    double range;
    int32_t azimuth;
};
std::vector<RecordedShot> RecordedShots(const std::string& path) {
    std::vector<RecordedShot> shots;
    RecordReader reader;
    EXPECT_TRUE(reader.Open(path));
    SonarSettings s;
    HeadLink l{s};
    PlayedRecordState played;
    RecordBytes bytes{};
    int64_t at = 0;
    RecordHeader header;
    while (reader.ReadRecord(at, bytes, header)) {
        at += header.RecordSize;
        ApplyRecordHeader(header, s, played);
        DecodeRecordBody(header, std::span<const uint8_t>(bytes.data(), size_t(header.RecordSize)),
                         l.Reply);
        l.Expected.ReplyType = l.Reply.bytes[1];
        l.Expected.ExpectedReplyLength = header.ReplyLength;
        l.Expected.RecordSizeCode = header.SizeCode;
        l.Expected.SamplesPerLine = s.GridMode == Polar ? 250 : 499;
        if (!CheckAndDecodeReply(l))
            continue;
        const double r =
            l.Shot.ProfileRange == 0 ? 0.0 : l.Shot.ProfileRange * 0.01 + l.Shot.EchoStartDistance;
        shots.push_back(
            {l.Shot.HeadAngleDegrees, r, header.AzimuthPresent ? header.AzimuthPosition : -1});
    }
    return shots;
}

TEST_F(ScanOnSimulator, VerticalScanWritesTheSweepItRecorded) {
    Start();
    acquisition.Requests().AutoProfileScanRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return op.dialogs >= 2; }, 30000)) << "the sweep never ended";
    acquisition.StopAcquisition();
    ASSERT_TRUE(op.recordingStarted) << fileUi.lastMessage;
    EXPECT_FALSE(scan.Running());
    EXPECT_TRUE(op.messages.empty()) << op.messages;

    const std::vector<fs::path> files = XyzFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string live = ReadText(files[0]);
    EXPECT_EQ(Reprocess(XyzForm::Vertical), live);

    // The same through the tool, as an operator would run it afterwards.
    const std::string tool = std::string(TARVISK_BINARY_DIR) + "/tools/tarvisk-tool";
    const std::string again = (dir / "again.XYZ").string();
    const std::string errors = (dir / "errors.txt").string();
    EXPECT_EQ(std::system((tool + " ksd xyz " + Recording() + " --form vertical --out " + again +
                           " EnableOrientationModule=0 >/dev/null 2>" + errors)
                              .c_str()),
              0);
    EXPECT_EQ(ReadText(again), live);
    EXPECT_EQ(ReadText(errors), "");  // no progress when standard error is not a terminal
    const std::string piped = (dir / "piped.XYZ").string();
    EXPECT_EQ(std::system((tool + " ksd xyz " + Recording() +
                           " --form vertical EnableOrientationModule=0 >" + piped)
                              .c_str()),
              0);
    EXPECT_EQ(ReadText(piped), live);
    // A velocity found wrong afterwards: the ranges scale with it.
    EXPECT_EQ(std::system((tool + " ksd xyz " + Recording() + " --form vertical --out " + again +
                           " EnableOrientationModule=0 SoundVelocityMeters=1485 >/dev/null")
                              .c_str()),
              0);
    const auto slower = Numbers(ReadText(again), 4);
    const auto rowsLive = Numbers(live, 4);
    ASSERT_EQ(slower.size(), rowsLive.size());
    for (size_t i = 0; i < slower.size(); ++i)
        EXPECT_NEAR(slower[i][0], rowsLive[i][0] * 1485.0 / 1500.0, 0.002);
    EXPECT_NE(ReadText(again).find("1485.00"), std::string::npos);
    // Usage errors.
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " ksd xyz " + Recording() + " 2>/dev/null").c_str())),
              2);
    EXPECT_EQ(WEXITSTATUS(std::system(
                  (tool + " ksd xyz " + Recording() + " --form vertical NoSuchKey=1 2>/dev/null")
                      .c_str())),
              2);
    EXPECT_EQ(WEXITSTATUS(std::system(
                  (tool + " ksd xyz " + (dir / "none.ksd").string() + " --form azimuth 2>/dev/null")
                      .c_str())),
              1);

    // Independently: X = r sin(bearing), Z = r cos(bearing) (zero down, no offsets).
    const std::vector<RecordedShot> shots = RecordedShots(Recording());
    const auto rows = Numbers(live, 4);
    ASSERT_GT(shots.size(), 20u);
    ASSERT_EQ(rows.size(), shots.size() - 2);
    for (size_t i = 0; i < rows.size(); ++i) {
        const RecordedShot& s = shots[i + 1];
        const double a = s.bearing * 3.141592654 / 180.0;
        ASSERT_EQ(rows[i].size(), 6u);
        EXPECT_NEAR(rows[i][0], s.range, 0.002) << i;
        EXPECT_NEAR(rows[i][2], s.bearing, 0.002) << i;
        EXPECT_NEAR(rows[i][3], s.range * std::sin(a), 0.002) << i;
        EXPECT_NEAR(rows[i][5], s.range * std::cos(a), 0.002) << i;
    }
}

// The head answers one command at a time. On a paced line the operator's instant OK starts the
// scan while the last shot's command is still being answered: its start command goes out only
// once that reply is in, so the head drops no command and no reply is taken for another's.
TEST_F(ScanOnSimulator, ScanStartWaitsForTheReplyOnItsWay) {
    options.unpaced = false;
    settings.Range = 4;  // 5 m: short pings, the reply's time on the line is most of a shot
    settings.RangeMeters = 5;
    Start();
    acquisition.Requests().AutoProfileScanRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return op.dialogs >= 2; }, 30000)) << "the sweep never ended";
    acquisition.StopAcquisition();
    EXPECT_EQ(simulator.Stats().framesCuttingIn, 0u);
    EXPECT_GT(RecordedShots(Recording()).size(), 20u);
}

TEST_F(ScanOnSimulator, HorizontalScanOfTheBorehole) {
    SetUpBoreholeCircle();
    settings.ProfileElevation = -1.5f;
    Start();
    acquisition.Requests().AutoProfileScanRequest = 2;
    ASSERT_TRUE(WaitFor([&] { return op.dialogs >= 2; }, 60000)) << "the circle never closed";
    acquisition.StopAcquisition();
    const std::vector<fs::path> files = XyzFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string live = ReadText(files[0]);
    EXPECT_EQ(Reprocess(XyzForm::Horizontal), live);
    const auto rows = Numbers(live, 0);
    EXPECT_GT(rows.size(), 100u);
    // Level and unturned, each point lies at its slant range from the axis, at the elevation
    // given; the wall of the borehole makes them a circle.
    const std::vector<RecordedShot> shots = RecordedShots(Recording());
    ASSERT_EQ(rows.size(), shots.size() - 2);
    double least = 1e9, most = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 3u);
        const double radius = std::hypot(rows[i][0], rows[i][1]);
        EXPECT_NEAR(radius, shots[i + 1].range, 0.002) << i;
        EXPECT_NEAR(rows[i][2], -1.5, 1e-9);
        least = std::min(least, radius);
        most = std::max(most, radius);
    }
    // The borehole's radius is 2.00 m: the blanking distance the head leaves out of its
    // profile range is added back, not twice.
    EXPECT_GT(least, 1.97);
    EXPECT_LT(most, 2.03);
    EXPECT_LT(most - least, 0.05);
}

// The first line where two texts part, for a readable failure.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream ia(a), ib(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
        const bool moreA = static_cast<bool>(std::getline(ia, la));
        const bool moreB = static_cast<bool>(std::getline(ib, lb));
        if (!moreA && !moreB)
            return "no difference";
        if (la != lb || moreA != moreB)
            return "line " + std::to_string(line) + ": \"" + la + "\" against \"" + lb + "\"";
    }
}

// The program's own wiring of the module: each reply goes through its filter, and each
// logged point takes the filtered attitude.
struct LiveAttitude : LinkHooks {
    explicit LiveAttitude(HeadLink& l) : link(l) {}
    void OnOrientationReply() override {
        ApplyOrientationReply(module, link.Orientation, link.Settings);
    }
    HeadLink& link;
    OrientationModule module;
};

TEST_F(ScanOnSimulator, ModuleAttitudeIsRebuiltFromTheRecordedReplies) {
    SetUpBoreholeCircle();
    settings.XYZPitchRollHeading = 1;
    // A second goes by every 20 ms, so the module answers many times in one sweep.
    test::FastClock clock(20);
    acquisition.SetClock(&clock);
    LiveAttitude attitude(link);
    LinkHooks* const before = link.Hooks;
    link.Hooks = &attitude;
    context.positionAndAttitude = [&](ProfileContext& c) {
        c.Pitch = attitude.module.FilteredPitch;
        c.Roll = attitude.module.FilteredRoll;
        c.Heading = attitude.module.FilteredHeading;
    };
    // The module comes on with the recording, so every reply its filter has seen is in the
    // file, as the tool needs.
    op.atFirstDialog = [&] { settings.EnableOrientationModule = 1; };
    Start();
    acquisition.Requests().AutoProfileScanRequest = 2;
    ASSERT_TRUE(WaitFor([&] { return op.dialogs >= 2; }, 60000)) << "the circle never closed";
    acquisition.StopAcquisition();
    link.Hooks = before;
    const std::vector<fs::path> files = XyzFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string live = ReadText(files[0]);
    const std::string again = Reprocess(XyzForm::Horizontal, true);
    EXPECT_TRUE(again == live) << FirstDifference(again, live);
    // The attitude moved the points off the level plane at the given elevation.
    const auto rows = Numbers(live, 0);
    ASSERT_GT(rows.size(), 100u);
    size_t tilted = 0;
    for (const auto& row : rows)
        tilted += std::fabs(row[2]) > 1e-3 ? 1 : 0;
    EXPECT_GT(tilted, rows.size() / 2);
}

TEST_F(ScanOnSimulator, TwelveSweepAzimuthRun) {
    settings.AzimuthDriveEnable = 1;
    settings.SectorSize = 30;
    settings.Speed = Fastest;
    Start();
    acquisition.Requests().AutoAzimuthDialogRequest = 1;
    ASSERT_TRUE(WaitFor([&] { return op.complete.load(); }, 120000)) << "run not complete";
    acquisition.StopAcquisition();
    EXPECT_FALSE(scan.Running());
    const std::vector<fs::path> files = XyzFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string live = ReadText(files[0]);
    EXPECT_EQ(Reprocess(XyzForm::Azimuth), live);

    // One block per drive position, in the order of the run.
    std::vector<int32_t> order;
    for (const RecordedShot& s : RecordedShots(Recording()))
        if (s.azimuth >= 0 && (order.empty() || order.back() != s.azimuth))
            order.push_back(s.azimuth);
    EXPECT_EQ(order,
              (std::vector<int32_t>{600, 700, 800, 900, 1000, 1100, 0, 100, 200, 300, 400, 500}));
    size_t blocks = 0;
    for (size_t at = live.find("\r\n\r\n"); at != std::string::npos;
         at = live.find("\r\n\r\n", at + 4))
        ++blocks;
    EXPECT_EQ(blocks, 12u);
}

}  // namespace
}  // namespace tarvisk

namespace tarvisk {
namespace {

class FrameCounter : public FrameCaptureUi, public PlaybackWindowHooks {
  public:
    FrameCounter(HeadlessPlayback& pb, SharedInt& flag)
        : pb_(pb), frames(pb.settings, pb.link.Shot, flag, *this) {}
    void SetMenuText(std::string_view text) override { menu = text; }
    void ShowMessage(std::string_view text, std::string_view caption) override {
        message = std::string(caption) + ": " + std::string(text);
    }
    void ShowStripMessage(std::string_view text) override { strip.emplace_back(text); }
    void PauseMilliseconds(int32_t ms) override { paused += ms; }
    void ClearStrip() override {}
    bool Capture(const std::string& path) override {
        std::ofstream out(path, std::ios::binary);
        out << "BM";
        return static_cast<bool>(out);
    }
    void ExamineFrame() override { frames.ExamineShot(pb_.commands.Player().Path()); }
    void StopFrameCaptureAtEnd() override { frames.StopAtEndOfFile(); }

    HeadlessPlayback& pb_;
    AutoFrameCapture frames;
    std::string menu, message;
    std::vector<std::string> strip;
    int64_t paused = 0;
};

TEST_F(ScanOnSimulator, FrameCaptureOfARecordedSectorFile) {
    settings.SectorSize = 30;
    settings.Speed = Fastest;
    Start();
    ASSERT_TRUE(commands.StartRecording((dir / "run1.ksd").string()));
    const uint64_t from = acquisition.Counters().ShotsRead;
    ASSERT_TRUE(WaitFor([&] { return acquisition.Counters().ShotsRead > from + 150; }, 30000));
    commands.StopRecording();
    acquisition.StopAcquisition();

    // Reversals counted from the records themselves.
    int reversals = 0;
    {
        RecordReader reader;
        ASSERT_TRUE(reader.Open((dir / "run1.ksd").string()));
        RecordBytes bytes{};
        RecordHeader header;
        int64_t at = 0;
        int last = -1;
        while (reader.ReadRecord(at, bytes, header)) {
            at += header.RecordSize;
            if (last >= 0 && header.StepDirection != last)
                ++reversals;
            last = header.StepDirection;
        }
    }
    ASSERT_GT(reversals, 3);
    std::ofstream(dir / "run1-0041.BMP") << "an older series";

    auto pb = std::make_unique<HeadlessPlayback>();
    SharedInt flag{1};
    FrameCounter counter(*pb, flag);
    pb->hooks.SetWindowHooks(&counter);
    ASSERT_TRUE(pb->Open((dir / "run1.ksd").string()));
    Player& player = pb->commands.Player();
    player.DrawNextRecord();
    while (player.Step() != StepResult::EndOfFile) {
    }
    // One at the first shot, one at each reversal, then stopped by the end of the file.
    EXPECT_EQ(counter.frames.Captures(), 1 + reversals);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(counter.menu, "&Auto Frame Capture Start...");
    EXPECT_EQ(counter.message, "Auto Frame Capture: End of File, Capture Stopped!");
    EXPECT_EQ(counter.paused, 1500 * counter.frames.Captures());
    ASSERT_FALSE(counter.strip.empty());
    EXPECT_EQ(counter.strip.front(), (dir / "run1-0042.BMP").string());
    char last[32];
    std::snprintf(last, sizeof last, "run1-%04d.BMP", 42 + reversals);
    EXPECT_TRUE(fs::exists(dir / last));
    // Playing on does not capture any more.
    player.Step();
    EXPECT_EQ(counter.frames.Captures(), 1 + reversals);
}

}  // namespace
}  // namespace tarvisk
