#pragma once
// A fresh imaging system in a few lines, reply frames built byte by byte, and image
// checksums. Set TARVISK_IMAGE_DIR to have the tests write their images as PPM files.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "settings/sonar_settings.h"
#include "head/expected_reply.h"
#include "head/head_link.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/palette.h"
#include "imaging/profile_points.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"
#include "imaging/sonar_image.h"

namespace tarvisk::testing {

inline uint64_t Fnv1a(const uint8_t* data, size_t size) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 1099511628211ull;
    }
    return h;
}
inline uint64_t Checksum(const SonarImage& image) {
    return Fnv1a(image.pixels.data(), image.pixels.size());
}

inline void MaybeWritePpm(const SonarImage& image, const std::string& name) {
    const char* dir = std::getenv("TARVISK_IMAGE_DIR");
    if (!dir)
        return;
    Palette palette;
    ColourTable colours = palette.Colours();
    std::ofstream out(std::string(dir) + "/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << ImageWidth << " " << ImageHeight << "\n255\n";
    for (uint8_t p : image.pixels) {
        const Rgb& c = colours[p];
        out.put(char(c.r)).put(char(c.g)).put(char(c.b));
    }
}

// Counts the calls the pipeline makes, in order.
struct CallLog : ShotRecorderHook,
                 ImageViewHook,
                 PanelHook,
                 MeasurementHook,
                 MagnifierHook,
                 DelayHook {
    std::vector<std::string> calls;
    int32_t waitedMs = 0;
    int32_t copies = 0;
    bool reverse = false;
    bool fileOpen = false;
    float fileSoundVelocity = 0.0f;

    void RecordShot() override { calls.push_back("RecordShot"); }
    bool ReverseStepping() const override { return reverse; }
    bool PlaybackFileOpen() const override { return fileOpen; }
    void RefreshFromRecord() override { calls.push_back("RefreshFromRecord"); }
    float FileSoundVelocity() const override { return fileSoundVelocity; }
    void PlotSpeedPause() override { calls.push_back("PlotSpeedPause"); }
    void CopyImageToWindow(const ImageRect&) override {
        ++copies;
        calls.push_back("Copy");
    }
    void RefreshDiagnostics() override { calls.push_back("Diagnostics"); }
    void AdvanceActivityBlinker(bool) override { calls.push_back("Blinker"); }
    void RefreshShotReadouts() override { calls.push_back("Readouts"); }
    void DrawDialMarkers() override { calls.push_back("DialMarkers"); }
    void RefreshOrientationWindow() override { calls.push_back("Orientation"); }
    void ClearStatusMessage() override { calls.push_back("ClearStatus"); }
    void DrawGridLabel() override { calls.push_back("GridLabel"); }
    void RedrawAfterShot() override { calls.push_back("MeasureLine"); }
    void RefreshReadouts() override { calls.push_back("MeasureReadouts"); }
    void RefreshMagnifier() override { calls.push_back("Magnifier"); }
    void WaitMilliseconds(int32_t ms) override { waitedMs += ms; }

    ShotHooks Hooks() {
        ShotHooks h;
        h.recorder = this;
        h.view = this;
        h.panel = this;
        h.measurement = this;
        h.magnifier = this;
        h.delay = this;
        return h;
    }
};

// One of everything the pipeline touches.
struct ImagingSystem {
    SonarSettings settings;
    HeadLink link{settings};
    SonarImage image;
    ProfilePoints points;
    SonarDrawing drawing{settings, image, points};
    EchoHistory history;
    ProfileRecordTable records;
    ImagingState state;
    CallLog log;
    ShotPipeline pipeline{settings, link, drawing, history, records, state, log.Hooks()};

    ImagingSystem() {
        settings.EnableOrientationModule = 0;
        settings.PixelZoom = 0;
        settings.Grid = 0;
        SetMode(Sector);
    }

    void SetMode(int32_t mode) {
        ApplyDisplayMode(settings, mode);
        SetExpectedReply(link);
    }

    // A sonar head reply of the expected type and length. Sample k of the data is
    // sample(k) (raw byte for 8-bit data).
    void PutReply(int32_t position, int32_t direction, std::function<uint8_t(int32_t)> sample,
                  int32_t profileRange = 0) {
        SetExpectedReply(link);
        const int32_t length = link.Expected.ExpectedReplyLength;
        auto& b = link.Reply.bytes;
        b.fill(0);
        b[0] = 'I';
        b[1] = uint8_t(link.Expected.ReplyType.Get());
        b[2] = 'X';
        b[3] = 16;
        b[4] = 0;
        b[5] = uint8_t(position & 0x7F);
        b[6] = uint8_t(((position >> 7) & 0x3F) | (direction ? 0x40 : 0));
        b[7] = uint8_t(settings.RangeMeters);
        b[8] = uint8_t(profileRange & 0x7F);
        b[9] = uint8_t((profileRange >> 7) & 0x7F);
        const int32_t data = length - 13;
        b[10] = uint8_t(data & 0x7F);
        b[11] = uint8_t((data >> 7) & 0x7F);
        for (int32_t k = 0; k < data; ++k)
            b[size_t(12 + k)] = sample(k);
        b[size_t(length - 1)] = ReplyTermination;
    }

    void Shot(int32_t position, int32_t direction, std::function<uint8_t(int32_t)> sample,
              int32_t profileRange = 0) {
        PutReply(position, direction, std::move(sample), profileRange);
        pipeline.ProcessShot();
    }
};

// A deterministic echo pattern: rings and a few bright targets that depend on the bearing.
inline std::function<uint8_t(int32_t)> Scene(int32_t position) {
    return [position](int32_t k) {
        int32_t v = (k * 7 + position * 3) % 90;
        if ((k / 40 + position / 25) % 3 == 0)
            v += 60;
        if (k % 97 == position % 97)
            v = 255;
        return uint8_t(v > 255 ? 255 : v);
    };
}

}  // namespace tarvisk::testing
