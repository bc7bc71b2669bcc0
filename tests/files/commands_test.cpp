#include "files/file_commands.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstring>
#include <filesystem>

#include "files/bmp8_writer.h"
#include "files/ksd_info.h"
#include "ksd_test_util.h"

namespace tarvisk {
namespace {

std::vector<uint8_t> SectorFile(int records, bool gps = false) {
    SonarSettings settings;
    const GpsFix fix;
    std::vector<uint8_t> file;
    int32_t previous = 0;
    for (int i = 1; i <= records; ++i)
        test::AppendRecord(file, test::MakeReply('G', 513, static_cast<uint8_t>(i)), 3, settings,
                           previous, gps ? &fix : nullptr);
    return file;
}

struct PlaybackRig {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    test::RecordingUi ui;
    test::ShotLog log{reply};
    FileCommands commands{settings, expected, reply, ui, log};
    PlaybackRig() { settings.RunMode = 1; }
};

TEST(FileCommands, OpenForPlaybackChecksNameAndMagic) {
    test::TempDir dir;
    const std::string good = dir.File("Good.KSD");
    test::WriteFile(good, SectorFile(2), 1280);
    const std::string bad = dir.File("bad.ksd");
    test::WriteFile(bad, {'K', 'S', 'Q', 1, 2, 3}, 6);
    const std::string text = dir.File("notes.txt");
    test::WriteFile(text, SectorFile(1), 640);

    PlaybackRig rig;
    rig.ui.answer = text;
    rig.commands.OpenPlayback();
    ASSERT_EQ(rig.ui.Count("warning"), 1);
    EXPECT_EQ(rig.ui.calls.back().text, BadExtensionText);
    EXPECT_EQ(rig.ui.calls.back().caption, PlaybackDialogTitle);
    EXPECT_EQ(rig.ui.Count("clear"), 0);  // nothing else happens

    rig.ui.answer = good;
    rig.commands.OpenPlayback();
    EXPECT_TRUE(rig.commands.Player().IsOpen());
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - Playback of " + good);
    EXPECT_EQ(rig.ui.Count("clear"), 1);
    EXPECT_FALSE(rig.ui.dialogs.back().Save);

    // The dialog proposes the last file; a refused file leaves none open.
    rig.ui.answer = bad;
    rig.commands.OpenPlayback();
    EXPECT_EQ(rig.ui.dialogs.back().ProposedPath, good);
    EXPECT_FALSE(rig.commands.Player().IsOpen());
    EXPECT_EQ(rig.ui.calls[rig.ui.calls.size() - 2].text, BadMagicText);
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - [No File]");
    EXPECT_EQ(rig.ui.Count("clear"), 2);
}

TEST(FileCommands, PlayStepPacingHoldAndReverse) {
    test::TempDir dir;
    const std::string path = dir.File("pace.ksd");
    test::WriteFile(path, SectorFile(3), 1920);
    PlaybackRig rig;
    ASSERT_TRUE(rig.commands.OpenPlaybackFile(path));
    rig.settings.PlotSpeed = 80;
    EXPECT_EQ(rig.commands.PlayStep(), 0);  // the skipped record costs no pause
    EXPECT_EQ(rig.commands.PlayStep(), 10);
    rig.settings.Hold = 1;
    EXPECT_FALSE(rig.commands.PlaybackRunning());
    EXPECT_EQ(rig.commands.PlayStep(), 0);
    EXPECT_EQ(rig.log.shown.size(), 1u);
    rig.settings.Hold = 0;

    rig.commands.ToggleReverse();
    EXPECT_TRUE(rig.commands.Player().Reverse());
    rig.commands.PlayStep();
    EXPECT_EQ(rig.log.shown.back(), 3);
    rig.commands.PlayStep();
    EXPECT_EQ(rig.log.shown.back(), 2);

    // The slider acts only in file mode with a file open.
    rig.settings.RunMode = 0;
    rig.commands.SliderMoved(10);
    EXPECT_EQ(rig.log.clears, 0);
    rig.settings.RunMode = 1;
    rig.commands.SliderMoved(10);
    EXPECT_EQ(rig.log.clears, 1);

    // A mode switch closes everything and forgets that reverse was possible.
    rig.commands.CloseAll();
    EXPECT_FALSE(rig.commands.Player().IsOpen());
    EXPECT_FALSE(rig.commands.Player().ReverseAvailable());
}

TEST(FileCommands, CopyStartStopAndRefusingTheFileBeingPlayed) {
    test::TempDir dir;
    const std::string source = dir.File("source.ksd");
    const std::vector<uint8_t> bytes = SectorFile(3);
    test::WriteFile(source, bytes, bytes.size());
    PlaybackRig rig;
    ASSERT_TRUE(rig.commands.OpenPlaybackFile(source));

    EXPECT_FALSE(rig.commands.StartCopy(source));
    EXPECT_EQ(rig.ui.calls.back().caption, CopyMessageCaption);
    EXPECT_EQ(std::filesystem::file_size(source), bytes.size());  // not emptied

    EXPECT_FALSE(rig.commands.StartCopy(dir.File("copy.bmp")));
    EXPECT_EQ(rig.ui.calls.back().text, BadExtensionText);
    EXPECT_EQ(rig.ui.calls.back().caption, CopyMessageCaption);

    rig.ui.answer = dir.File("Copy.ksd");
    rig.commands.CopyStartStop();
    ASSERT_TRUE(rig.commands.Copier().IsCopying());
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - Copying to " + rig.ui.answer);
    EXPECT_EQ(rig.ui.LastMenuText(MenuCopy), CopyStopText);
    rig.commands.PlayStep();
    rig.commands.PlayStep();
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - Copying to " + rig.ui.answer + " - 1 kB");
    rig.commands.CopyStartStop();
    EXPECT_EQ(rig.ui.calls[rig.ui.calls.size() - 2].caption, CloseCopyCaption);
    EXPECT_EQ(rig.ui.title, "Tarvisk Digital Sonar - Playback of " + source);
    EXPECT_EQ(rig.ui.LastMenuText(MenuCopy), CopyStartText);
    EXPECT_EQ(std::filesystem::file_size(rig.ui.answer), 1280u);
}

TEST(FileCommands, CopyOntoAFullDiskStopsTheCopyAndPlaybackGoesOn) {
    test::TempDir dir;
    const std::string source = dir.File("source.ksd");
    const std::string copy = dir.File("copy.ksd");
    const std::vector<uint8_t> bytes = SectorFile(10);
    test::WriteFile(source, bytes, bytes.size());
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit r{3 * 640 + 10, 3 * 640 + 10};
        setrlimit(RLIMIT_FSIZE, &r);
        PlaybackRig rig;
        if (!rig.commands.OpenPlaybackFile(source) || !rig.commands.StartCopy(copy))
            _exit(2);
        for (int i = 0; i < 8; ++i)
            rig.commands.PlayStep();
        // The writer thread meets the limit; the window's next poll tells it.
        test::WaitUntil([&] { return rig.commands.Copier().Writer().Failed(); });
        rig.commands.CheckWriters();
        const bool stopped = !rig.commands.Copier().IsCopying();
        const bool warned = rig.ui.calls.back().text.find(copy) != std::string::npos &&
                            rig.ui.calls.back().text.find("3 records") != std::string::npos;
        const bool played = rig.log.shown.size() == 7 && rig.commands.Player().IsOpen();
        const bool title = rig.ui.title == "Tarvisk Digital Sonar - Playback of " + source;
        _exit(stopped && warned && played && title ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(std::filesystem::file_size(copy), 3u * 640u);
}

TEST(KsdInfo, SummaryOfAFileWithADamagedTail) {
    test::TempDir dir;
    const std::string path = dir.File("info.ksd");
    SonarSettings settings;
    const GpsFix fix;
    std::vector<uint8_t> file;
    int32_t previous = 0;
    test::AppendRecord(file, test::MakeReply('G', 513, 1), 3, settings, previous);
    test::AppendRecord(file, test::MakeReply('P', 13, 2), 0, settings, previous, &fix);
    test::AppendRecord(file, test::MakeReply('M', 141, 3), 1, settings, previous);
    const size_t whole = file.size();
    file.resize(whole + 150, 0);  // zeros after the last record
    test::WriteFile(path, file, file.size());

    const KsdSummary s = SummarizeKsdFile(path);
    ASSERT_TRUE(s.Opened);
    EXPECT_EQ(s.Records, 3);
    EXPECT_EQ(s.SizeCodes[3], 1);
    EXPECT_EQ(s.SizeCodes[0], 1);
    EXPECT_EQ(s.SizeCodes[1], 1);
    EXPECT_EQ(s.ReplyTypes['G'] + s.ReplyTypes['P'] + s.ReplyTypes['M'], 3);
    EXPECT_EQ(s.GpsRecords, 1);
    EXPECT_TRUE(s.ReverseAvailable);
    EXPECT_EQ(s.BrokenBackLinks, 0);
    EXPECT_EQ(s.FirstStamp, "08-DEC-2026  16:30:05.42");
    EXPECT_EQ(s.WholeEnd, static_cast<int64_t>(whole));
    EXPECT_EQ(s.TailReason, "no record magic");
}

TEST(Bmp8, PixelsAreThePaletteIndexesBottomUpWithTheColourTable) {
    test::TempDir dir;
    const std::string path = dir.File("f.bmp");
    ColourTable colours{};
    colours[7] = {10, 20, 30};
    const std::vector<uint8_t> pixels{1, 2, 3, 4, 5, 7};  // 3 x 2, top row first
    ASSERT_TRUE(WriteBmp8(path, pixels, 3, 2, colours));
    const std::vector<uint8_t> bmp = test::ReadFile(path);
    ASSERT_EQ(bmp.size(), 14u + 40u + 1024u + 2u * 4u);
    EXPECT_EQ(bmp[28], 8);  // bits per pixel
    EXPECT_EQ((std::vector<uint8_t>(&bmp[54 + 28], &bmp[54 + 31])),
              (std::vector<uint8_t>{30, 20, 10}));  // entry 7 as B, G, R
    const size_t data = 1078;
    EXPECT_EQ((std::vector<uint8_t>(&bmp[data], &bmp[data + 8])),
              (std::vector<uint8_t>{4, 5, 7, 0, 1, 2, 3, 0}));  // bottom row first, padded
}

TEST(PlaybackRefresh, RedrawsOnlyWhatAPlayedShotChanged) {
    SonarSettings s;
    PlaybackPanelRefresh refresh;
    EXPECT_TRUE(refresh.Update(s, true).Range);  // first refresh draws everything
    PanelChanges c = refresh.Update(s, true);
    EXPECT_FALSE(c.Any());
    s.Gain = 20;
    c = refresh.Update(s, true);
    EXPECT_TRUE(c.Gain);
    EXPECT_FALSE(c.Range || c.Mode || c.Speed || c.Train || c.Sector);
    ApplyRangeIndex(s, 3);
    c = refresh.Update(s, true);
    EXPECT_TRUE(c.Range && c.Mode && c.Speed);  // a range change redraws mode and speed too
    s.Xdcr = XdcrUp;
    EXPECT_TRUE(refresh.Update(s, false).Transducer);  // in either mode
    refresh.Invalidate();
    EXPECT_TRUE(refresh.Update(s, true).Train);

    PlaybackScreenSync sync;
    PlayedRecordState record;
    record.Seconds = 5;
    s.EnableOrientationModule = 1;
    ScreenChanges screen = sync.Update(record, s, 50, false);
    EXPECT_TRUE(screen.DateTime && screen.Frequency && screen.RedrawImage && screen.SoundVelocity);
    EXPECT_FALSE(screen.UserText);  // empty text is never shown
    screen = sync.Update(record, s, 50, false);
    EXPECT_FALSE(screen.DateTime || screen.Frequency || screen.RedrawImage || screen.SoundVelocity);
    int orientation = 0;
    for (int second = 6; second < 12; ++second) {
        record.Seconds = second;
        orientation += sync.Update(record, s, 50, false).Orientation;
    }
    EXPECT_EQ(orientation, 3);  // from the fifth change of the seconds on
    std::memcpy(record.UserText.data(), "site A", 7);
    EXPECT_TRUE(sync.Update(record, s, 50, false).UserText);
    EXPECT_FALSE(sync.Update(record, s, 50, false).UserText);
}

}  // namespace
}  // namespace tarvisk
