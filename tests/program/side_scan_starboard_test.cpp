#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/ksd_record.h"

namespace tarvisk {
namespace {

// Palette indexes of an 8-bit BMP, rows top-down.
bool ReadIndexes(const std::string& path, int32_t& width, int32_t& height,
                 std::vector<uint8_t>& pixels) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 8)
        return false;
    auto u32 = [&](size_t at) {
        return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
    };
    const int32_t offset = u32(10), h = u32(22);
    width = u32(18);
    height = h < 0 ? -h : h;
    const int32_t stride = (width + 3) & ~3;
    if (b.size() < static_cast<size_t>(offset + stride * height))
        return false;
    pixels.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t src = h < 0 ? y : height - 1 - y;
        std::copy_n(b.begin() + offset + src * stride, width, pixels.begin() + y * width);
    }
    return true;
}

// An operator who left the program in side scan, starboard, starts it again: the head must be
// told to look to starboard, the shots recorded so, and the waterfall drawn from the left.
TEST(SideScanStarboard, RecordedFromStartUpAndRenderedWithoutAWindow) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tarvisk-stbd-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string ini = (dir / "TARVISK.INI").string();
    const std::string ksd = (dir / "STBD.KSD").string();
    {
        std::ofstream out(ini);
        out << "[Settings]\nGridMode=2\nSSTrain=2\nTrain=0\nGrid=0\nRange=5\n";
    }
    const std::string run = "QT_QPA_PLATFORM=offscreen " TARVISK_BINARY_DIR
                            "/app/tarvisk --simulate --ini " +
                            ini + " --record " + ksd + " --quit-after-shots 60 --quit-after 60 >" +
                            (dir / "run.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(run.c_str()), 0);

    // Every recorded shot looked to starboard.
    std::ifstream file(ksd, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
    ASSERT_GE(bytes.size(), RecordHeaderSize);
    size_t at = 0;
    int32_t records = 0;
    while (at + RecordHeaderSize <= bytes.size()) {
        const std::span<const uint8_t> header(bytes.data() + at, RecordHeaderSize);
        ASSERT_EQ(CheckRecordHeader(header), HeaderCheck::Ok);
        const RecordHeader h = DecodeRecordHeader(header);
        EXPECT_EQ(h.GridMode, 2);
        EXPECT_EQ(h.Train, 90) << "record " << records;
        EXPECT_EQ(h.SectorSize, 0);
        at += static_cast<size_t>(h.RecordSize);
        ++records;
    }
    EXPECT_GE(records, 30);

    const std::string frames = (dir / "frames").string();
    const std::string render = TARVISK_BINARY_DIR "/tools/tarvisk-tool ksd render " + ksd +
                               " --ini " + ini + " --out " + frames + " --every 1000 >" +
                               (dir / "render.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(render.c_str()), 0);
    int32_t width = 0, height = 0;
    std::vector<uint8_t> image;
    ASSERT_TRUE(ReadIndexes(frames + "/frame-000001.bmp", width, height, image));
    ASSERT_EQ(width, 596);
    ASSERT_EQ(height, 506);

    // Starboard: range grows rightwards from column 95 and the columns left of it are blank.
    // The transmit ring-down, the brightest return here, lies just right of the blank
    // columns (after the echo-start offset); drawn as port it would be at the right edge.
    int64_t nearStbd = 0, nearPort = 0;
    for (int32_t row = 0; row < records - 1; ++row) {
        const uint8_t* line = image.data() + row * width;
        for (int32_t x = 0; x < 95; ++x)
            ASSERT_EQ(line[x], 0) << "row " << row << " column " << x;
        for (int32_t i = 0; i < 40; ++i) {
            nearStbd += line[95 + i];
            nearPort += line[595 - i];
        }
    }
    EXPECT_GT(nearStbd, nearPort + 40 * (records - 1)) << nearStbd << " " << nearPort;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tarvisk
