// Runs the real program on the simulated head, offscreen, and checks what its screen capture
// shows: echoes and the grid in the picture, the panel around it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

struct Bitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bgr;  // top-down rows, 3 bytes a pixel
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}

bool ReadBitmap(const std::string& path, Bitmap& out) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return false;
    if ((b[28] | b[29] << 8) != 24)
        return false;
    const uint32_t offset = Le32(b, 10);
    out.width = static_cast<int32_t>(Le32(b, 18));
    const int32_t h = static_cast<int32_t>(Le32(b, 22));
    out.height = h < 0 ? -h : h;
    const size_t stride = (static_cast<size_t>(out.width) * 3 + 3) & ~size_t(3);
    if (b.size() < offset + stride * out.height)
        return false;
    out.bgr.resize(static_cast<size_t>(out.width) * out.height * 3);
    for (int32_t y = 0; y < out.height; ++y) {
        const int32_t src = h < 0 ? y : out.height - 1 - y;
        std::copy_n(b.begin() + offset + src * stride, out.width * 3,
                    out.bgr.begin() + static_cast<size_t>(y) * out.width * 3);
    }
    return true;
}

TEST(ProgramRun, SimulatedHeadCaptureShowsEchoesGridAndPanel) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tarvisk-run-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string bmp = (dir / "screen.bmp").string();
    const std::string command =
        "QT_QPA_PLATFORM=offscreen " TARVISK_BINARY_DIR "/app/tarvisk --simulate --ini " +
        (dir / "TARVISK.INI").string() + " --quit-after-shots 100 --quit-after 60 --save-screen " +
        bmp + " >" + (dir / "out.txt").string() + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(dir / "TARVISK.INI"));  // closed as the operator would

    Bitmap shot;
    ASSERT_TRUE(ReadBitmap(bmp, shot));
    ASSERT_GE(shot.width, 596 + 150);
    ASSERT_GE(shot.height, 506);

    // Picture: the left 600 columns. Echo levels give many colours; the grid is red lines.
    std::set<uint32_t> pictureColours;
    int64_t redPixels = 0;
    for (int32_t y = 0; y < shot.height; ++y)
        for (int32_t x = 0; x < 600; ++x) {
            const uint8_t* p = &shot.bgr[(static_cast<size_t>(y) * shot.width + x) * 3];
            pictureColours.insert(p[0] | p[1] << 8 | p[2] << 16);
            if (p[2] > 100 && p[1] < 60 && p[0] < 60)  // dark red over dark water
                ++redPixels;
        }
    EXPECT_GT(pictureColours.size(), 20u) << "no echoes drawn";
    EXPECT_GT(redPixels, 500) << "no grid drawn";

    // Panel: the columns right of the picture are mostly the panel's grey, not black.
    int64_t lit = 0, total = 0;
    for (int32_t y = 0; y < shot.height; ++y)
        for (int32_t x = 610; x < shot.width; ++x, ++total) {
            const uint8_t* p = &shot.bgr[(static_cast<size_t>(y) * shot.width + x) * 3];
            if (p[0] + p[1] + p[2] > 150)
                ++lit;
        }
    EXPECT_GT(lit * 3, total) << "panel missing";
    std::filesystem::remove_all(dir);
}

}  // namespace
