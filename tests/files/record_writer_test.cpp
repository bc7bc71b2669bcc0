// The writer thread: what a power cut right after a sync leaves on disk, and storage that
// stops answering while records keep coming at full rate.
#include "files/record_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>

#include "files/recorder.h"
#include "ksd_test_util.h"

namespace tarvisk {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Record(int id, int32_t& previous) {
    std::vector<uint8_t> bytes;
    SonarSettings settings;
    test::AppendRecord(bytes, test::MakeReply('G', 513, static_cast<uint8_t>(id)), 3, settings,
                       previous);
    return bytes;
}

// Whole records from the start of bytes: how many, and whether they end exactly at the end.
int64_t WholeRecords(const std::vector<uint8_t>& bytes, bool* exact) {
    size_t at = 0;
    int64_t n = 0;
    while (at + RecordHeaderSize <= bytes.size() &&
           CheckRecordHeader(std::span<const uint8_t>(bytes.data() + at, RecordHeaderSize)) ==
               HeaderCheck::Ok) {
        const size_t size = ReadBigEndian16(&bytes[at + 4]);
        if (at + size > bytes.size())
            break;
        at += size;
        ++n;
    }
    *exact = at == bytes.size();
    return n;
}

TEST(RecordWriter, PowerCutAfterAnySyncKeepsWholeRecordsUpToASecondBefore) {
    test::TempDir dir;
    const std::string path = dir.File("durable.ksd");
    constexpr int Count = 1500;  // one every 2 ms: three seconds
    std::array<Clock::time_point, Count> queuedAt{};
    std::atomic<int> queued{0};
    struct Cut {
        Clock::time_point when;
        int64_t records = 0;
        bool exact = false;
        int queuedSecondBefore = 0;
    };
    std::mutex mutex;
    std::vector<Cut> cuts;
    cuts.reserve(64);

    RecordWriter writer;
    // A power cut right after this sync keeps what the sync made durable: copy it.
    writer.SetSyncObserver([&](int64_t durable) {
        const auto now = Clock::now();
        std::vector<uint8_t> disk = test::ReadFile(path);
        disk.resize(std::min<size_t>(disk.size(), static_cast<size_t>(durable)));
        Cut cut;
        cut.when = now;
        cut.records = WholeRecords(disk, &cut.exact);
        const int n = queued.load(std::memory_order_acquire);
        for (int i = 0; i < n && queuedAt[i] <= now - std::chrono::seconds(1); ++i)
            cut.queuedSecondBefore = i + 1;
        std::lock_guard<std::mutex> lock(mutex);
        cuts.push_back(cut);
    });
    ASSERT_TRUE(writer.Open(path));
    int32_t previous = 0;
    const auto start = Clock::now();
    for (int i = 0; i < Count; ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(2 * i));
        const std::vector<uint8_t> r = Record(i, previous);
        queuedAt[i] = Clock::now();
        ASSERT_TRUE(writer.Write(r));
        queued.store(i + 1, std::memory_order_release);
    }
    const WriterReport report = writer.Close();
    EXPECT_EQ(report.recordsWritten, Count);
    EXPECT_EQ(report.NotWritten(), 0);
    EXPECT_FALSE(report.stalled);

    std::lock_guard<std::mutex> lock(mutex);
    ASSERT_GE(cuts.size(), 3u);
    Clock::time_point last = start;
    for (size_t i = 0; i < cuts.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(cuts[i].exact) << "a torn record before the sync point";
        EXPECT_GE(cuts[i].records, cuts[i].queuedSecondBefore);
        if (i + 1 < cuts.size()) {  // the last one is the close's
            EXPECT_LT(cuts[i].when - last, std::chrono::milliseconds(1200));
        }
        last = cuts[i].when;
    }
    EXPECT_EQ(cuts.back().records, Count);  // the close synced everything
}

TEST(RecordWriter, StalledStorageNeverHoldsUpRecordsAndTheCloseIsOnTime) {
    signal(SIGPIPE, SIG_IGN);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // Nobody reads the pipe and it is full already: the writer thread waits in write, as it
    // would on a storage that stopped answering.
    size_t junk = 0;
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    for (char c[4096] = {}; write(fds[1], c, sizeof c) > 0;)
        junk += sizeof c;
    for (char c = 0; write(fds[1], &c, 1) == 1;)
        ++junk;
    fcntl(fds[1], F_SETFL, 0);
    constexpr size_t Ring = 64 * 1024;
    RecordWriter writer(Ring);
    ASSERT_TRUE(writer.OpenDescriptor(fds[1], "stalled"));
    int32_t previous = 0;
    const std::vector<uint8_t> r = Record(1, previous);
    int accepted = 0, dropped = 0;
    auto slowest = Clock::duration::zero();
    for (int i = 0; i < 3000; ++i) {
        const auto t = Clock::now();
        (writer.Write(r) ? accepted : dropped)++;
        slowest = std::max(slowest, Clock::now() - t);
        if (i % 100 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_LT(slowest, std::chrono::milliseconds(20));
    EXPECT_GT(dropped, 0);
    EXPECT_EQ(static_cast<size_t>(accepted), Ring / r.size());
    EXPECT_EQ(writer.RecordsDropped(), dropped);
    EXPECT_EQ(writer.RecordsWritten(), accepted);

    const auto t = Clock::now();
    const WriterReport report = writer.Close(std::chrono::milliseconds(500));
    EXPECT_LT(Clock::now() - t, std::chrono::milliseconds(1500));
    EXPECT_TRUE(report.stalled) << report.recordsWritten << " written, " << report.recordsPending
                                << " pending, " << accepted << " accepted, failed "
                                << report.failed;
    EXPECT_EQ(report.recordsDropped, dropped);
    EXPECT_EQ(report.recordsWritten + report.recordsPending, accepted);
    EXPECT_EQ(report.NotWritten(), 3000 - report.recordsWritten);
    const std::string text = WriterReportText(report);
    EXPECT_NE(text.find(std::to_string(report.NotWritten()) + " shots could not be written"),
              std::string::npos);

    // Storage answers again: the writer left behind finishes and lets go of the file.
    std::vector<uint8_t> drained;
    std::array<uint8_t, 65536> buf;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 5000) > 0) {
        const ssize_t n = read(fds[0], buf.data(), buf.size());
        if (n <= 0)
            break;
        drained.insert(drained.end(), buf.begin(), buf.begin() + n);
    }
    close(fds[0]);
    ASSERT_GE(drained.size(), junk);
    drained.erase(drained.begin(), drained.begin() + static_cast<long>(junk));
    bool exact = false;
    EXPECT_EQ(WholeRecords(drained, &exact), accepted);
    EXPECT_TRUE(exact);
}

}  // namespace
}  // namespace tarvisk
