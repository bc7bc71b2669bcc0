// Real receiver captures replayed by the simulated GPS, end to end: the program shows a
// position of the capture, records it in the GPS blocks, and plays it back into the GPS field.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <fstream>
#include <set>

#include "display/gps_readout.h"
#include "files/ksd_reader.h"
#include "gui_support.h"
#include "head/gps_input.h"
#include "platform/qt/framebuffer.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::OptionsFor;
using testing::Pump;
using testing::ScratchDir;
using testing::StartProgram;

struct Case {
    const char* name;
    const char* file;
    int32_t gpsType;  // 1 GGA, 0 GLL
};
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

std::string CapturePath(const Case& c) {
    return std::string(TARVISK_SOURCE_DIR) + "/tests/fuzz/seeds/nmea_fuzz/" + c.file;
}

bool ValidPosition(const std::string& text) {
    return text.size() == GpsPositionTextSize && (text[11] == 'N' || text[11] == 'S') &&
           (text[23] == 'E' || text[23] == 'W');
}

// Every position the same line assembly and parser make of the capture's sentences.
struct CapturePositions : GpsView {
    SonarSettings settings;
    GpsState state;
    std::set<std::string> texts;
    void ShowGpsPosition(bool) override {
        texts.emplace(state.Fields.PositionText.data(), GpsPositionTextSize);
    }
    explicit CapturePositions(const Case& c) {
        settings.GPSType = c.gpsType;
        GpsSentenceReader reader(settings, state, *this);
        std::ifstream in(CapturePath(c));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            line += "\r\n";
            reader.Feed(reinterpret_cast<const uint8_t*>(line.data()), line.size());
        }
    }
};

std::string Position(SonarSystem& sys) {
    return std::string(sys.gps.Copy().PositionText.data(), GpsPositionTextSize);
}

// The GPS field, x 2..200 and y 532 up to (not including) 536 + text height.
QImage Field(Framebuffer& surface) {
    const int32_t textHeight = surface.TextExtent("0", TextFont::System).height;
    return surface.Snapshot().copy(2, 532, 199, 4 + textHeight);
}

// The GPS field as ShowGpsPosition draws it on a fresh surface with the window's palette.
QImage FreshField(Framebuffer& window, const std::string& position, int32_t age, bool twice) {
    Framebuffer fresh(window.ClientSize());
    PaletteTable palette{};
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = window.PaletteRgb(static_cast<PaletteColour>(i));
    fresh.SetPalette(palette);
    GpsState gps;
    std::copy(position.begin(), position.end(), gps.Fields.PositionText.begin());
    gps.Age = age;
    SonarSettings played;
    played.RunMode = 1;
    ShowGpsPosition(fresh, gps, played, false, true);
    if (twice)  // the activity mark blinks: every other drawing leaves it out
        ShowGpsPosition(fresh, gps, played, false, true);
    return Field(fresh);
}

// Live with the replay at 115200 baud (the first positions come within a second or two),
// recording; `until` says when enough was seen.
void RunLive(const Case& c, const std::filesystem::path& dir, const std::string& ksd,
             const std::function<bool(SonarSystem&)>& until, std::string& shown,
             std::set<std::string>& shownWhileRecording) {
    CommandLineOptions o = OptionsFor(dir / "TARVISK.INI");
    o.ports.clear();
    o.simulate = true;
    o.simulatorGpsPath = CapturePath(c);
    o.recordPath = ksd;
    auto program = StartProgram(
        dir, "UseGPS=1\nComPortGPS=1\nGPSBaudRate=5\nGPSType=" + std::to_string(c.gpsType) + "\n",
        o);
    ASSERT_TRUE(program);
    SonarSystem& sys = program->System();
    ASSERT_TRUE(Pump([&] { return until(sys); }, 30000)) << c.file;
    shown = Position(sys);
    const int64_t shots = program->Window().ShotCount();
    // A loaded machine may take more than a second for the shots: the receiver's next position
    // is then the one recorded, so every position shown meanwhile counts.
    shownWhileRecording.insert(shown);
    ASSERT_TRUE(Pump(
        [&] {
            shownWhileRecording.insert(Position(sys));
            return program->Window().ShotCount() > shots + 10;
        },
        30000));
    program->Quit();
}

struct Recorded {
    int records = 0;
    std::vector<std::string> positions;  // of the records that have one
};

Recorded ReadGpsBlocks(const std::string& ksd) {
    Recorded out;
    RecordReader reader;
    EXPECT_TRUE(reader.Open(ksd));
    int64_t offset = 0;
    RecordBytes bytes{};
    RecordHeader header;
    ReplyBuffer reply;
    while (offset < reader.Size() && reader.ReadRecord(offset, bytes, header)) {
        ++out.records;
        EXPECT_TRUE(header.HasGps);
        const RecordBody body = DecodeRecordBody(
            header, std::span<const uint8_t>(bytes.data(), static_cast<size_t>(header.RecordSize)),
            reply);
        if (body.LatitudePresent)
            out.positions.emplace_back(body.Gps.PositionText.data(), GpsPositionTextSize);
        offset += header.RecordSize;
    }
    return out;
}

std::unique_ptr<Program> Play(const std::filesystem::path& dir, const std::string& ksd) {
    CommandLineOptions o = OptionsFor(dir / "TARVISK.INI");
    o.playPath = ksd;
    return StartProgram(dir, "UseGPS=0\n", o);
}

class GpsReplay : public ::testing::TestWithParam<Case> {};

TEST_P(GpsReplay, PositionShownRecordedAndPlayedBack) {
    const Case& c = GetParam();
    const CapturePositions capture(c);
    ASSERT_FALSE(capture.texts.empty()) << c.file;
    const auto dir = ScratchDir(std::string("gps_replay_") + c.name);
    const std::string ksd = (dir / "GPS.KSD").string();

    std::string shown;
    std::set<std::string> shownWhileRecording;
    RunLive(
        c, dir, ksd, [](SonarSystem& sys) { return ValidPosition(Position(sys)); }, shown,
        shownWhileRecording);
    if (HasFatalFailure())
        return;
    EXPECT_TRUE(capture.texts.count(shown)) << c.file << ": \"" << shown << "\"";

    // Recorded: the GPS blocks carry the shown position, and only positions of the capture
    // (a line spliced from two sentences would bring one that never was).
    const Recorded recorded = ReadGpsBlocks(ksd);
    EXPECT_GT(recorded.records, 10);
    int withShown = 0;
    for (const std::string& text : recorded.positions) {
        if (ValidPosition(text)) {
            EXPECT_TRUE(capture.texts.count(text)) << c.file << ": \"" << text << "\"";
        }
        withShown += shownWhileRecording.count(text) != 0;
    }
    EXPECT_GT(withShown, 0) << c.file;

    // Played back: the field shows a recorded position exactly as the readout draws it.
    auto program = Play(dir, ksd);
    ASSERT_TRUE(program);
    SonarSystem& sys = program->System();
    ASSERT_TRUE(Pump([&] { return ValidPosition(Position(sys)) && sys.gps.Age < 5; }, 30000));
    // Nothing moves while no events are handled: playback runs on this thread.
    const std::string played = Position(sys);
    EXPECT_TRUE(capture.texts.count(played)) << c.file << ": \"" << played << "\"";
    Framebuffer& surface = program->Window().Surface();
    const QImage field = Field(surface);
    EXPECT_TRUE(field == FreshField(surface, played, 0, false) ||
                field == FreshField(surface, played, 0, true))
        << c.file;
    EXPECT_NE(field, FreshField(surface, played, 10, false));
    program->Quit();
}

INSTANTIATE_TEST_SUITE_P(Captures, GpsReplay,
                         ::testing::Values(Case{"GarminGga", "garmin-geko201.log", 1},
                                           Case{"GarminGll", "garmin-geko201.log", 0},
                                           Case{"TelitGga", "telit-he910.log", 1},
                                           Case{"TelitGll", "telit-he910.log", 0},
                                           Case{"SirfGga", "sirfstarv-nmea.log", 1},
                                           Case{"HaicomGga", "haicom-305N.log", 1},
                                           // A survey receiver's RTK sentences, 92-94 long.
                                           Case{"RtkGga", "nmea-fuzzy-cases.log", 1}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tarvisk
