// Playback at PlotSpeed 100 of an 8-bit sector file: records per second through the record
// reader, the shot pipeline and the copy of each changed image area into an RGB framebuffer,
// headless. A counting operator new shows that a playback step allocates nothing.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "files/headless_playback.h"
#include "imaging/palette.h"

#include "bench/counting_allocator.h"

namespace tarvisk {
namespace {

// The window's framebuffer: the image area resolved through the palette, as a repaint does.
class FramebufferView : public ImageViewHook {
  public:
    FramebufferView(const SonarImage& image, const Palette& palette) : image_(image) {
        const ColourTable colours = palette.Colours();
        for (size_t i = 0; i < colours.size(); ++i)
            rgb_[i] = (uint32_t(colours[i].r) << 16) | (uint32_t(colours[i].g) << 8) | colours[i].b;
    }
    void CopyImageToWindow(const ImageRect& r) override {
        std::lock_guard<std::mutex> lock(image_.Mutex());
        for (int32_t y = r.y; y < r.y + r.height; ++y) {
            const uint8_t* src = image_.Row(y) + r.x;
            uint32_t* dst =
                &frame_[size_t(y + ImageWindowTop) * Width + size_t(r.x + ImageWindowLeft)];
            for (int32_t x = 0; x < r.width; ++x)
                dst[x] = rgb_[src[x]];
        }
    }
    static constexpr size_t Width = 800, Height = 600;

  private:
    const SonarImage& image_;
    std::array<uint32_t, 256> rgb_{};
    std::array<uint32_t, Width * Height> frame_{};
};

std::string WriteSectorFile(int records) {
    char path[] = "/tmp/tarvisk-playback-bench-XXXXXX.ksd";
    int fd = mkstemps(path, 4);
    SonarSettings settings;
    ApplyDisplayMode(settings, Sector);
    settings.SectorSize = 120;
    settings.DataBits = 8;
    std::array<uint8_t, 513> reply{};
    RecordBytes record{};
    int32_t previous = 0, position = 400, direction = 1;
    for (int i = 0; i < records; ++i) {
        reply.fill(0);
        reply[0] = 'I';
        reply[1] = 'G';
        reply[2] = 'X';
        reply[3] = 16;
        reply[5] = uint8_t(position & 0x7F);
        reply[6] = uint8_t(((position >> 7) & 0x3F) | (direction << 6));
        reply[7] = 50;
        for (int s = 0; s < 500; ++s)
            reply[12 + s] = uint8_t((s * 7 + i * 13) % 107);
        reply[512] = ReplyTermination;
        RecordSource source;
        source.Reply = reply;
        source.SizeCode = 3;
        source.Stamp = MakeTimeStamp(2026, 12, 8, 16, i / 60 % 60, i % 60, 0);
        source.PreviousRecordSize = previous;
        const size_t size = EncodeRecord(source, settings, record);
        if (write(fd, record.data(), size) != static_cast<ssize_t>(size))
            std::abort();
        previous = int32_t(size);
        position += direction ? 4 : -4;
        if (position >= 800)
            direction = 0;
        if (position <= 400)
            direction = 1;
    }
    close(fd);
    return path;
}

void BM_PlaybackSectorFile(benchmark::State& state) {
    static const struct BenchFile {
        std::string path = WriteSectorFile(4000);
        ~BenchFile() { unlink(path.c_str()); }
    } file;
    const std::string& path = file.path;
    auto system = std::make_unique<HeadlessPlayback>();
    Palette palette;
    auto view = std::make_unique<FramebufferView>(system->image, palette);
    system->drawing.SetView(view.get());
    system->settings.PlotSpeed = 100;
    if (!system->Open(path)) {
        state.SkipWithError("cannot open the bench file");
        return;
    }
    long shown = 0;
    const long before = allocations.load();
    for (auto _ : state) {
        system->commands.PlayStep();
        ++shown;
    }
    const long allocated = allocations.load() - before;
    state.SetItemsProcessed(shown);
    state.counters["records/s"] = benchmark::Counter(double(shown), benchmark::Counter::kIsRate);
    state.counters["allocations"] = double(allocated);
    if (allocated != 0)
        state.SkipWithError("a playback step allocated memory");
}
BENCHMARK(BM_PlaybackSectorFile)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
