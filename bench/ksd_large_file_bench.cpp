// A survey day's recording: 1 GiB of small records (256 and 384 bytes, 3.4 million of them),
// made in a temporary folder when the benchmark starts and removed at its end. Measures
// `ksd info`'s walk over the whole file from the page cache, and the playback slider's jump to
// anywhere in it until the record there is drawn. Set TARVISK_BENCH_KSD_MB for another size.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "files/headless_playback.h"
#include "files/ksd_info.h"

namespace tarvisk {
namespace {

std::vector<uint8_t> Reply(uint8_t type, size_t n, uint8_t seed) {
    std::vector<uint8_t> r(n, 0);
    r[0] = 'I';
    r[1] = type;
    r[2] = 'X';
    r[3] = 16;
    r[5] = 0x58;
    r[6] = 0x04;
    r[7] = 50;
    for (size_t i = 12; i + 1 < n; ++i)
        r[i] = static_cast<uint8_t>((seed * 31 + i * 7) % 108);
    r[n - 1] = ReplyTermination;
    return r;
}

// One MiB-ish block of alternating polar (256-byte) and sector (384-byte) 4-bit records; the
// pair always follows a pair, so every back-link but the first record's is 640.
std::vector<uint8_t> Block(bool first) {
    SonarSettings settings;
    settings.DataBits = 4;
    std::vector<uint8_t> out;
    RecordBytes bytes{};
    int32_t previous = first ? 0 : 384;
    for (int i = 0; i < 1638; ++i) {
        RecordSource source;
        const auto reply = (i % 2) ? Reply('G', 265, uint8_t(i)) : Reply('M', 141, uint8_t(i));
        source.Reply = reply;
        source.SizeCode = (i % 2) ? 2 : 1;
        source.Stamp = MakeTimeStamp(2026, 12, 9, 8, i / 600, (i / 10) % 60, (i % 10) * 100);
        source.PreviousRecordSize = previous;
        const size_t size = EncodeRecord(source, settings, bytes);
        out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<long>(size));
        previous = static_cast<int32_t>(size);
    }
    return out;
}

class LargeFile {
  public:
    LargeFile() {
        const char* mb = std::getenv("TARVISK_BENCH_KSD_MB");
        const int64_t megabytes = mb ? std::atoll(mb) : 1024;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvisk-bench-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        path_ = (folder_ / "survey-day.ksd").string();
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::vector<uint8_t> first = Block(true), rest = Block(false);
        int64_t written = 0;
        for (int64_t i = 0; written < megabytes * 1048576; ++i) {
            const auto& b = i == 0 ? first : rest;
            if (::write(fd, b.data(), b.size()) != static_cast<ssize_t>(b.size()))
                std::abort();
            written += static_cast<int64_t>(b.size());
        }
        ::close(fd);
        // Into the page cache before the first measurement.
        const KsdSummary s = SummarizeKsdFile(path_);
        records_ = s.Records;
        if (!s.Damaged.empty() || s.WholeEnd != s.FileSize)
            std::abort();
    }
    ~LargeFile() { std::filesystem::remove_all(folder_); }
    const std::string& Path() const { return path_; }
    int64_t Records() const { return records_; }

  private:
    std::filesystem::path folder_;
    std::string path_;
    int64_t records_ = 0;
};

LargeFile& File() {
    static LargeFile file;
    return file;
}

void BM_KsdInfoWholeFile(benchmark::State& state) {
    const std::string& path = File().Path();
    for (auto _ : state) {
        const KsdSummary s = SummarizeKsdFile(path);
        benchmark::DoNotOptimize(s.Records);
    }
    state.counters["records"] = static_cast<double>(File().Records());
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_KsdInfoWholeFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// A jump as the window makes it: Seek, then steps until the record found there is drawn.
void BM_SliderJumpAnywhere(benchmark::State& state) {
    auto playback = std::make_unique<HeadlessPlayback>();
    if (!playback->Open(File().Path()))
        std::abort();
    Player& player = playback->commands.Player();
    std::mt19937 random(3);
    for (auto _ : state) {
        player.Seek(1 + static_cast<int32_t>(random() % 99));
        player.DrawNextRecord();
        StepResult r = StepResult::Searching;
        while (r == StepResult::Searching)
            r = player.Step();
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_SliderJumpAnywhere)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
}  // namespace tarvisk

BENCHMARK_MAIN();
