// The golden run: a recording from the simulator, kept in this folder with what the tool made
// of it (the `ksd info` dump, a checksum of every rendered frame, the XYZ files), and every
// colour table entry by entry. The tool is run again on the recording and its output must
// match byte for byte, lengths included. scripts/regenerate-golden.sh rewrites the files; a
// golden file changes only in a commit that says why.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "files/headless_playback.h"
#include "head/acquisition_thread.h"
#include "head/gps_input.h"
#include "imaging/colour_tables.h"
#include "sim/head_simulator.h"

namespace tarvisk {
namespace {

namespace fs = std::filesystem;

const fs::path GoldenDir = fs::path(TARVISK_SOURCE_DIR) / "tests" / "golden";
const std::string Tool = std::string(TARVISK_BINARY_DIR) + "/tools/tarvisk-tool";
constexpr const char* Recording = "harbour.ksd";
constexpr int RenderEvery = 15;

// Set by scripts/regenerate-golden.sh: write what the tool makes instead of comparing.
bool Regenerating() {
    const char* v = std::getenv("TARVISK_GOLDEN_UPDATE");
    return v && *v && std::strcmp(v, "0") != 0;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// Runs a shell command in the golden folder; its standard output, or nothing on failure.
std::string RunInGoldenDir(const std::string& command, int* status = nullptr) {
    const fs::path out =
        fs::temp_directory_path() / ("tarvisk-golden-" + std::to_string(::getpid()) + ".out");
    const int raw = std::system(
        ("cd '" + GoldenDir.string() + "' && " + command + " > '" + out.string() + "'").c_str());
    if (status)
        *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::string text = ReadText(out);
    fs::remove(out);
    return text;
}

// The first line that differs, for a message that shows where without a wall of text.
std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream x(a), y(b);
    std::string l, m;
    for (int line = 1;; ++line) {
        const bool more = static_cast<bool>(std::getline(x, l));
        const bool moreToo = static_cast<bool>(std::getline(y, m));
        if (!more && !moreToo)
            return "no line differs";
        if (l != m || more != moreToo)
            return "line " + std::to_string(line) + ": got \"" + (more ? l : "<end>") +
                   "\", golden \"" + (moreToo ? m : "<end>") + "\"";
    }
}

// Compares with the golden file, or writes it when regenerating.
void ExpectGolden(const std::string& name, const std::string& actual) {
    const fs::path path = GoldenDir / name;
    if (Regenerating()) {
        WriteText(path, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(path)) << path << " is missing: run scripts/regenerate-golden.sh";
    const std::string golden = ReadText(path);
    EXPECT_EQ(actual.size(), golden.size()) << name;
    EXPECT_TRUE(actual == golden) << name << ": " << FirstDifference(actual, golden);
}

// 64-bit FNV-1a: enough to tell any changed pixel, with no library behind it.
uint64_t Fnv1a(const std::string& bytes) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    return h;
}

TEST(Golden, InfoDumpMatches) {
    int status = -1;
    const std::string info = RunInGoldenDir(Tool + " ksd info " + Recording, &status);
    EXPECT_EQ(status, 0);
    ExpectGolden("harbour.info", info);
}

TEST(Golden, RenderedFramesMatchTheirChecksums) {
    const fs::path frames =
        fs::temp_directory_path() / ("tarvisk-golden-frames-" + std::to_string(::getpid()));
    fs::remove_all(frames);
    int status = -1;
    const std::string summary =
        RunInGoldenDir(Tool + " ksd render " + Recording + " --out '" + frames.string() +
                           "' --every " + std::to_string(RenderEvery),
                       &status);
    ASSERT_EQ(status, 0);
    std::vector<fs::path> names;
    for (const auto& e : fs::directory_iterator(frames))
        names.push_back(e.path());
    std::sort(names.begin(), names.end());
    std::string table;
    char line[96];
    for (const fs::path& p : names) {
        const std::string bytes = ReadText(p);
        std::snprintf(line, sizeof line, "%s %zu %016llx\n", p.filename().c_str(), bytes.size(),
                      static_cast<unsigned long long>(Fnv1a(bytes)));
        table += line;
    }
    fs::remove_all(frames);
    // The summary names the temporary folder: keep its counts only.
    ExpectGolden("harbour.render", summary.substr(0, summary.find(" in ")) + "\n" + table);
}

TEST(Golden, XyzFilesMatch) {
    for (const char* form : {"vertical", "horizontal"}) {
        int status = -1;
        const std::string text =
            RunInGoldenDir(Tool + " ksd xyz " + Recording + " --form " + form, &status);
        EXPECT_EQ(status, 0);
        ExpectGolden(std::string("harbour-") + form + ".xyz", text);
    }
}

TEST(Golden, EveryEntryOfEveryColourTable) {
    std::string table;
    char line[64];
    for (int32_t choice = 0; choice < ColourTableChoices; ++choice) {
        const ColourTable colours = BuildColourTable(choice);
        for (size_t i = 0; i < colours.size(); ++i) {
            std::snprintf(line, sizeof line, "%d %3zu %3u %3u %3u\n", choice, i,
                          unsigned(colours[i].r), unsigned(colours[i].g), unsigned(colours[i].b));
            table += line;
        }
    }
    ExpectGolden("colour_tables.txt", table);
}

// Makes the recording itself; run only by scripts/regenerate-golden.sh --record, since the
// time stamps and the interleaving of the module's and the GPS's replies are the moment's.
class ModeStepper : public ShotHandler {
  public:
    explicit ModeStepper(HeadlessPlayback& live) : live_(live) {}
    void ProcessShot() override {
        const int64_t before = live_.commands.Recorder().BytesRecorded();
        live_.pipeline.ProcessShot();
        if (done_ || live_.commands.Recorder().BytesRecorded() == before)
            return;
        if (++shots_ < Steps[step_].shots)
            return;
        shots_ = 0;
        if (++step_ == std::size(Steps)) {
            done_ = true;
            return;
        }
        ApplyDisplayMode(live_.settings, Steps[step_].mode);
        ApplySideScanTrain(live_.settings);
        live_.settings.ParametersChanged = 1;
        live_.settings.ClearRequest = 1;
    }
    bool Done() const { return done_; }
    struct Step {
        int32_t mode;
        int shots;
    };
    static constexpr Step Steps[] = {{Sector, 90}, {Polar, 90}, {SS, 60}, {Profile, 60}};

  private:
    HeadlessPlayback& live_;
    size_t step_ = 0;
    int shots_ = 0;
    std::atomic<bool> done_{false};
};

class GpsFixFromState : public GpsFixSource, public GpsView {
  public:
    GpsState state;
    void CopyFix(GpsFix& out) override {
        const GpsFields f = state.Copy();
        out = GpsFix{};
        if (f.HasPosition())
            std::memcpy(out.PositionText.data(), f.PositionText.data(),
                        std::min(out.PositionText.size() - 1, f.PositionText.size()));
        std::memcpy(out.UtcTimeText.data(), f.UtcTimeText.data(),
                    std::min(out.UtcTimeText.size(), f.UtcTimeText.size()));
        out.FixQuality = f.FixQuality;
        out.Satellites = f.Satellites;
        out.Hdop = f.Hdop;
        out.Altitude = f.Altitude;
        out.ThirdValue = f.ThirdValue;
    }
};

TEST(GoldenRecording, DISABLED_Record) {
    const fs::path dir =
        fs::temp_directory_path() / ("tarvisk-golden-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    HeadlessPlayback live;
    SonarSettings& s = live.settings;
    s.DataBits = 4;
    s.EnableOrientationModule = 1;
    s.UseGPS = 1;
    s.GPSBaudRate = 5;
    s.TxDelay = 0;
    ApplyDisplayMode(s, Sector);
    const std::string path = (GoldenDir / Recording).string();
    ASSERT_TRUE(live.commands.StartRecording(path));

    sim::HeadSimulator simulator;
    sim::SimulatorOptions options;
    // Paced as a real line, so that the module's once-a-second replies and the GPS fixes
    // fall between the shots as they do on a survey.
    options.seed = 26;
    options.linkPath = (dir / "head").string();
    options.gps = true;
    options.gpsLinkPath = (dir / "gps").string();
    options.gpsBaud = 115200;
    ASSERT_TRUE(simulator.Start(options)) << simulator.Error();

    GpsFixFromState fix;
    GpsInput gps(s, fix.state, fix);
    ASSERT_TRUE(gps.OpenGpsPort(1, options.gpsLinkPath));
    ASSERT_TRUE(gps.StartGps());
    live.commands.Recorder().SetGpsSource(&fix);
    // The first fix before the first shot, so that most records carry a position.
    const auto fixDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (gps.SentencesParsed() == 0 && std::chrono::steady_clock::now() < fixDeadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

    ModeStepper handler(live);
    LinkStatusView view;
    AcquisitionSeams seams;
    AcquisitionThread acquisition(live.link, handler, view, seams);
    acquisition.SetSendTiming({0, 0});
    ASSERT_TRUE(acquisition.OpenHeadPort(0, simulator.DevicePath()));
    ASSERT_TRUE(acquisition.StartAcquisition(5));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!handler.Done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    acquisition.StopAcquisition();
    live.commands.StopRecording();
    live.commands.Recorder().SetGpsSource(nullptr);
    gps.StopGps();
    simulator.Stop();
    fs::remove_all(dir);
    ASSERT_TRUE(handler.Done());
}

}  // namespace
}  // namespace tarvisk
