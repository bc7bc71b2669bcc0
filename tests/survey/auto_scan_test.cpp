#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "files/auto_scan.h"
#include "imaging/grid.h"
#include "imaging/profile_points.h"
#include "imaging/sonar_image.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

struct FakeLink : ScanLink {
    void SendScanStep(uint8_t code) override { steps.push_back(code); }
    void RequestAzimuthMove() override { ++moves; }
    int32_t DrivePosition() override { return drive; }
    std::string DateText() override { return "07-DEC-2026"; }
    std::vector<int> steps;
    int moves = 0;
    int32_t drive = 600;
};

struct FakeUi : AutoScanUi {
    void RunProfileDialog(AutoProfileDialogModel& m, SonarSettings& s,
                          AutoProfileRunState& run) override {
        ++profileDialogs;
        if (onProfile)
            onProfile(m, s, run);
    }
    void RunAzimuthDialog(AutoAzimuthDialogModel& m, SonarSettings& s, AutoAzimuthRunFlags& run,
                          const std::function<void()>&) override {
        m.SetEnable(true);
        m.Ok(s, run);
    }
    bool AskSaveProfile() override {
        ++saveQuestions;
        return saveAnswer;
    }
    void ShowScanComplete() override { ++complete; }
    void ShowScanMessage(std::string_view text) override { messages.emplace_back(text); }
    bool CaptureScreen(const std::string& path) override {
        captures.push_back(path);
        std::ofstream out(path);
        out << "BM";
        return static_cast<bool>(out);
    }
    std::function<void(AutoProfileDialogModel&, SonarSettings&, AutoProfileRunState&)> onProfile;
    int profileDialogs = 0;
    int saveQuestions = 0;
    bool saveAnswer = true;
    int complete = 0;
    std::vector<std::string> messages;
    std::vector<std::string> captures;
};

class AutoScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tarvisk-scan-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        scan.SetOutputFolder(dir.string());
        settings.GridMode = Sector;
        settings.SectorSize = 90;
        settings.Train = 0;
        settings.AutoProfilePromptForScan = 0;
        settings.AutoProfileSaveConfirmation = 0;
        link.Shot.StepDirection = 1;
        // Operator: switch scanning on, change nothing else.
        ui.onProfile = [](AutoProfileDialogModel& m, SonarSettings& s, AutoProfileRunState& r) {
            m.SetEnable(true);
            m.Ok(s, r);
        };
    }
    void TearDown() override { fs::remove_all(dir); }

    // One valid shot as the pipeline and the loop see it: logged, then the sweep test.
    void Shot(int32_t position, int32_t direction, float range = 2.0f) {
        link.Shot.HeadPosition = position;
        link.Shot.StepDirection = direction;
        if (imaging.AutoProfileRunning) {
            ProfileRecord r;
            r.Range = range;
            r.Bearing = float(position * 0.3);
            log.Append(r);
        }
        scan.AfterValidShot();
    }
    std::vector<std::string> Files(const std::string& ext) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().extension() == ext)
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    fs::path dir;
    SonarSettings settings;
    HeadLink link{settings};
    ImagingState imaging;
    ProfileRecordTable log;
    SonarImage image;
    ProfilePoints points;
    SonarDrawing drawing{settings, image, points};
    FakeLink scanLink;
    FakeUi ui;
    AutoScan scan{settings, link, imaging, log, drawing, scanLink, ui};
};

TEST_F(AutoScanTest, OkStartsTheScanAtTheSectorStart) {
    Shot(500, 1);  // not running: nothing logged
    EXPECT_EQ(log.ProfileRecordCount, 0);
    scan.RunAutoProfileDialog(true);
    ASSERT_EQ(scanLink.steps.size(), 1u);
    EXPECT_EQ(scanLink.steps[0], ComputeSectorLimits(settings).startIndex);
    EXPECT_EQ(scanLink.steps[0], 45);  // -45 degrees
    EXPECT_EQ(imaging.WaitingForStart, 1);
    EXPECT_EQ(link.AutoScanActive, 1);
    EXPECT_TRUE(scan.PositioningTransducer());
    // A second Ok while running does not restart it.
    scan.RunAutoProfileDialog(true);
    EXPECT_EQ(scanLink.steps.size(), 1u);
}

TEST_F(AutoScanTest, SectorSweepEndsAtTheFirstReversalAndIsSaved) {
    scan.RunAutoProfileDialog(true);
    // Reversals while waiting for the start do not count.
    Shot(440, 0);
    Shot(445, 1);
    imaging.WaitingForStart = 0;  // the pipeline saw the sector start
    for (int p = 450; p <= 750; p += 3)
        Shot(p, 1);
    EXPECT_TRUE(Files(".XYZ").empty());
    Shot(747, 0);
    EXPECT_EQ(Files(".XYZ"), std::vector<std::string>{"07DEC2026-0001.XYZ"});
    ASSERT_EQ(ui.captures.size(), 1u);
    EXPECT_EQ(fs::path(ui.captures[0]).filename(), "07DEC2026-0001.BMP");
    EXPECT_EQ(log.ProfileRecordCount, 0);
    // 2 waiting + 101 sweep + the reversal shot: the first and the last are left out.
    const std::string text = Read("07DEC2026-0001.XYZ");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + 102);
    // Still running; the next reversal writes the next file.
    for (int p = 744; p >= 450; p -= 3)
        Shot(p, 0);
    Shot(453, 1);
    EXPECT_EQ(Files(".XYZ").size(), 2u);
    EXPECT_EQ(Files(".BMP").size(), 2u);
}

TEST_F(AutoScanTest, FullCircleNeedsMoreThanAHundredPoints) {
    settings.GridMode = Polar;
    settings.SectorSize = 360;
    scan.RunAutoProfileDialog(false);
    imaging.WaitingForStart = 0;
    Shot(1190, 1);
    Shot(2, 1);  // wrapped, but too few points
    EXPECT_TRUE(Files(".XYZ").empty());
    for (int p = 3; p < 1199; p += 12)
        Shot(p, 1);
    Shot(1195, 1);
    EXPECT_TRUE(Files(".XYZ").empty());
    Shot(5, 1);
    EXPECT_EQ(Files(".XYZ").size(), 1u);
}

TEST_F(AutoScanTest, ConfirmationPromptAndStop) {
    settings.AutoProfileSaveConfirmation = 1;
    settings.AutoProfilePromptForScan = 1;
    ui.saveAnswer = false;
    scan.RunAutoProfileDialog(true);
    imaging.WaitingForStart = 0;
    Shot(450, 1);
    Shot(453, 1);
    // The operator says No and switches scanning off in the prompted dialog.
    ui.onProfile = [](AutoProfileDialogModel& m, SonarSettings& s, AutoProfileRunState& r) {
        m.SetEnable(false);
        m.Ok(s, r);
    };
    Shot(450, 0);
    EXPECT_EQ(ui.saveQuestions, 1);
    EXPECT_EQ(ui.profileDialogs, 2);
    EXPECT_TRUE(Files(".XYZ").empty());
    EXPECT_TRUE(ui.captures.empty());
    EXPECT_FALSE(scan.Running());
    EXPECT_EQ(link.AutoScanActive, 0);
    Shot(453, 1);
    EXPECT_EQ(ui.saveQuestions, 1);
}

TEST_F(AutoScanTest, AnUncreatableFileIsReportedAndTheScanGoesOn) {
    scan.SetOutputFolder((dir / "gone").string());
    scan.RunAutoProfileDialog(true);
    imaging.WaitingForStart = 0;
    Shot(450, 1);
    Shot(453, 1);
    Shot(450, 0);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_NE(ui.messages[0].find("Cannot create"), std::string::npos);
    EXPECT_NE(ui.messages[0].find("07DEC2026-0001.XYZ"), std::string::npos);
    EXPECT_NE(ui.messages[1].find(".BMP"), std::string::npos);
    EXPECT_TRUE(scan.Running());
}

TEST_F(AutoScanTest, AzimuthRunOfTwelveSweeps) {
    settings.AzimuthDriveEnable = 1;
    settings.AutoAzimuthXYZ = 1;
    scanLink.drive = 600;
    scan.RunAutoAzimuthDialog();
    ASSERT_TRUE(scan.Running());
    EXPECT_EQ(scan.SweepTotal(), 1100);
    EXPECT_EQ(settings.AzimuthAngle, 600);
    EXPECT_EQ(settings.AutoProfileXYZ, 0);
    imaging.WaitingForStart = 0;
    std::vector<int32_t> angles;
    int direction = 1;
    for (int sweep = 0; sweep < 20 && scan.Running(); ++sweep) {
        angles.push_back(settings.AzimuthAngle);
        // The drive reports its new position before the next sweep's shots.
        scanLink.drive = settings.AzimuthAngle;
        scan.AfterValidShot();
        for (int i = 0; i < 10; ++i)
            Shot(direction ? 450 + 3 * i : 480 - 3 * i, direction);
        direction = !direction;
        Shot(direction ? 453 : 477, direction);
    }
    EXPECT_EQ(angles,
              (std::vector<int32_t>{600, 700, 800, 900, 1000, 1100, 0, 100, 200, 300, 400, 500}));
    EXPECT_EQ(ui.complete, 1);
    EXPECT_FALSE(scan.XyzOpen());
    ASSERT_EQ(Files(".XYZ").size(), 1u);
    const std::string text = Read(Files(".XYZ")[0]);
    // Twelve blocks of 11 shots: 9 lines and an empty line each.
    size_t blocks = 0;
    for (size_t at = text.find("\r\n\r\n"); at != std::string::npos;
         at = text.find("\r\n\r\n", at + 4))
        ++blocks;
    EXPECT_EQ(blocks, 12u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12 * 10);
}

}  // namespace
}  // namespace tarvisk
