// ProcessShot with the drawing of each shot, for every speed and display mode. The copy to the
// window is not included (no view is attached). A counting operator new proves that a shot
// allocates nothing: the benchmark fails if any allocation happens inside the timed loop.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "settings/sonar_settings.h"
#include "head/expected_reply.h"
#include "head/head_link.h"
#include "imaging/echo_history.h"
#include "imaging/imaging_state.h"
#include "imaging/profile_points.h"
#include "imaging/profile_record_table.h"
#include "imaging/shot_pipeline.h"
#include "imaging/sonar_drawing.h"
#include "imaging/sonar_image.h"

#include "bench/counting_allocator.h"

namespace tarvisk {
namespace {

// A live system without a window, and the replies of one sweep prepared ahead.
struct Bench {
    SonarSettings settings;
    HeadLink link{settings};
    SonarImage image;
    ProfilePoints points;
    SonarDrawing drawing{settings, image, points};
    EchoHistory history;
    ProfileRecordTable records;
    ImagingState state;
    ShotPipeline pipeline{settings, link, drawing, history, records, state};
    std::vector<ReplyBuffer> replies;
    int32_t length = 0;

    Bench(int32_t mode, int32_t speed, int32_t profile) {
        settings.EnableOrientationModule = 0;
        settings.PixelZoom = 0;
        settings.Grid = 1;
        ApplyDisplayMode(settings, mode);
        settings.Speed = speed;
        settings.Profile = profile;
        SetExpectedReply(link);
        length = link.Expected.ExpectedReplyLength;
        const int32_t steps[] = {1, 2, 3, 4, 8};
        std::vector<int32_t> positions;
        if (mode == Polar) {
            for (int32_t p = 0; p < 1200; p += steps[speed])
                positions.push_back(p);
        } else {
            for (int32_t p = 300; p <= 900; p += steps[speed])
                positions.push_back(p);
        }
        for (int32_t p : positions) {
            ReplyBuffer r{};
            auto& b = r.bytes;
            b[0] = 'I';
            b[1] = uint8_t(link.Expected.ReplyType.Get());
            b[2] = 'X';
            b[3] = 16;
            b[5] = uint8_t(p & 0x7F);
            b[6] = uint8_t(((p >> 7) & 0x3F) | 0x40);
            b[7] = 50;
            b[8] = uint8_t((1000 + p) & 0x7F);
            b[9] = uint8_t(((1000 + p) >> 7) & 0x7F);
            for (int32_t k = 12; k < length - 1; ++k)
                b[size_t(k)] = uint8_t((k * 7 + p) % 251);
            b[size_t(length - 1)] = ReplyTermination;
            replies.push_back(r);
        }
    }
};

void ProcessShotBench(benchmark::State& st) {
    const int32_t mode = int32_t(st.range(0));
    const int32_t speed = int32_t(st.range(1));
    const int32_t profile = int32_t(st.range(2));
    Bench b(mode, speed, profile);
    size_t next = 0;
    // One warm-up shot: first uses of statics may allocate.
    std::memcpy(b.link.Reply.bytes.data(), b.replies[0].bytes.data(), size_t(b.length));
    b.pipeline.ProcessShot();
    const long before = allocations.load();
    for (auto _ : st) {
        std::memcpy(b.link.Reply.bytes.data(), b.replies[next].bytes.data(), size_t(b.length));
        b.pipeline.ProcessShot();
        benchmark::DoNotOptimize(b.image.pixels.data());
        if (++next == b.replies.size())
            next = 0;
    }
    const long allocated = allocations.load() - before;
    st.counters["allocations"] = double(allocated);
    st.counters["samples"] = double(b.link.Expected.SamplesPerLine.Get());
    if (allocated != 0)
        st.SkipWithError("ProcessShot allocated on the heap");
}

void Cases(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"mode", "speed", "profile"});
    for (int32_t mode : {Sector, Polar})
        for (int32_t speed = 0; speed <= 4; ++speed)
            bench->Args({mode, speed, ProfileOff});
    bench->Args({SS, 2, ProfileOff});
    bench->Args({Sector, 4, HighMix});
    bench->Args({Sector, 2, PointsOnly});
}

BENCHMARK(ProcessShotBench)->Apply(Cases)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
