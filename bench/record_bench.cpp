// What recording adds to a live shot on the acquisition thread: the record is encoded and put
// into the writer's ring, and the writer thread does the disk work. Compared with encoding
// alone, and counted for heap allocations (there must be none per shot).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "files/file_commands.h"

#include "bench/counting_allocator.h"

namespace tarvisk {
namespace {

class SilentUi : public FileUi {
  public:
    std::string AskFileName(const FileDialogRequest&) override { return {}; }
    void ShowWarning(std::string_view, std::string_view) override {}
    void ShowInformation(std::string_view, std::string_view) override {}
    void SetWindowTitle(std::string_view) override {}
    void SetMenuItemText(int32_t, std::string_view) override {}
    void RefreshMenus() override {}
    void SetPlaybackSlider(int32_t) override {}
    void RedrawReverseControl() override {}
    void MarkPanelForRedraw() override {}
    void RedrawGpsReadout() override {}
    void ClearSonarImage() override {}
};

class NoPlayback : public PlaybackHooks {
  public:
    bool ProcessPlayedShot() override { return true; }
};

void LoadSectorReply(ReplyBuffer& reply, ExpectedReply& expected) {
    reply.bytes.fill(0);
    reply.bytes[0] = 'I';
    reply.bytes[1] = 'G';
    reply.bytes[2] = 'X';
    reply.bytes[3] = 16;
    reply.bytes[7] = 50;
    for (int s = 0; s < 500; ++s)
        reply.bytes[12 + s] = uint8_t(s * 7 % 107);
    reply.bytes[512] = ReplyTermination;
    expected.ReplyType = 'G';
    expected.ExpectedReplyLength = 513;
    expected.RecordSizeCode = 3;
}

void BM_EncodeOnly(benchmark::State& state) {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    LoadSectorReply(reply, expected);
    RecordBytes record{};
    RecordSource source;
    source.Reply = std::span<const uint8_t>(reply.bytes.data(), 513);
    source.SizeCode = 3;
    source.Stamp = CurrentTimeStamp();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeRecord(source, settings, record));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EncodeOnly)->Unit(benchmark::kNanosecond);

void BM_RecordShot(benchmark::State& state) {
    SonarSettings settings;
    ExpectedReply expected;
    ReplyBuffer reply;
    SilentUi ui;
    NoPlayback hooks;
    FileCommands commands(settings, expected, reply, ui, hooks);
    LoadSectorReply(reply, expected);
    char path[] = "/tmp/tarvisk-record-bench-XXXXXX.ksd";
    const int fd = mkstemps(path, 4);
    close(fd);
    if (!commands.StartRecording(path)) {
        state.SkipWithError("cannot record");
        return;
    }
    Recorder& recorder = commands.Recorder();
    const long before = allocations.load();
    for (auto _ : state)
        recorder.RecordShot(reply, expected);
    const long allocated = allocations.load() - before;
    const int64_t dropped = recorder.Writer().RecordsDropped();
    commands.StopRecording();
    unlink(path);
    state.counters["allocations"] = double(allocated);
    state.counters["dropped"] = double(dropped);
    state.SetItemsProcessed(state.iterations());
    if (allocated != 0)
        state.SkipWithError("recording a shot allocated memory");
}
// A bounded run that fits the ring (6000 records of 640 bytes): the push, not the drop.
BENCHMARK(BM_RecordShot)->Unit(benchmark::kNanosecond)->Iterations(6000)->Repetitions(5);

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
