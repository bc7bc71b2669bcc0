// Screen captures: the BMP layout byte by byte, the save command's dialog and checks, and a
// capture of the real window.

#include <gtest/gtest.h>

#include <fstream>

#include "app/program.h"
#include "files/bmp_capture.h"
#include "gui_support.h"

namespace tarvisk {
namespace {

using testing::App;
using testing::OptionsFor;
using testing::ScratchDir;
using testing::WriteFile;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | (b[at + 1] << 8));
}

TEST(BmpLayout, HeadersAndRowsBottomUpInBlueGreenRed) {
    for (int32_t width : {806, 4, 5, 7}) {
        SCOPED_TRACE(width);
        WindowPicture p;
        p.width = width;
        p.height = 3;
        p.pixels.assign(size_t(width) * 3, 0);
        p.pixels[0] = 0x112233;                  // top-left
        p.pixels[size_t(2) * width] = 0xAABBCC;  // bottom-left
        p.pixels[size_t(width) - 1] = 0x010203;  // top-right
        const auto path = ScratchDir("bmp") / "shot.bmp";
        ASSERT_EQ(WriteBmpFile(path.string(), p), BmpWriteResult::Written);
        const auto b = ReadBytes(path);
        const uint32_t row = uint32_t(BmpRowLength(width));
        EXPECT_EQ(row % 4, 0u);
        EXPECT_GE(row, uint32_t(width) * 3);
        EXPECT_LT(row, uint32_t(width) * 3 + 4);
        ASSERT_EQ(b.size(), 54 + row * 3);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(U32(b, 2), b.size());
        EXPECT_EQ(U32(b, 6), 0u);
        EXPECT_EQ(U32(b, 10), 54u);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), uint32_t(width));
        EXPECT_EQ(U32(b, 22), 3u);
        EXPECT_EQ(U16(b, 26), 1);
        EXPECT_EQ(U16(b, 28), 24);
        EXPECT_EQ(U32(b, 30), 0u);
        EXPECT_EQ(U32(b, 34), row * 3);
        for (size_t at : {38u, 42u, 46u, 50u})
            EXPECT_EQ(U32(b, at), 0u);
        // First stored row is the bottom one.
        EXPECT_EQ(b[54], 0xCC);
        EXPECT_EQ(b[55], 0xBB);
        EXPECT_EQ(b[56], 0xAA);
        const size_t top = 54 + 2 * row;
        EXPECT_EQ(b[top], 0x33);
        EXPECT_EQ(b[top + 2], 0x11);
        EXPECT_EQ(b[top + 3 * (width - 1)], 0x03);
        for (size_t pad = top + 3 * width; pad < top + row; ++pad)
            EXPECT_EQ(b[pad], 0) << pad;
    }
    EXPECT_EQ(BmpRowLength(806), 2420);
}

TEST(BmpLayout, ExtensionCheck) {
    struct Row {
        const char* path;
        bool ok;
    };
    for (const Row& r : {Row{"/tmp/a.bmp", true}, Row{"/tmp/a.BMP", true}, Row{"a.Bmpx", true},
                         Row{"/tmp/a.png", false}, Row{"/tmp/a", false}, Row{"/tmp/x.bmp/a", false},
                         Row{"bmp", false}, Row{"a.bm", false}})
        EXPECT_EQ(HasBmpExtension(r.path), r.ok) << r.path;
}

// The window services a test answers itself: a scripted file name, recorded messages.
class ScriptedServices : public WindowServices {
  public:
    std::string answer;
    std::vector<std::string> messages;
    FileDialogParams asked;
    int busy = 0;
    void ShowMessage(std::string_view title, std::string_view text, MessageKind) override {
        messages.push_back(std::string(title) + ": " + std::string(text));
    }
    std::string AskSaveFileName(const FileDialogParams& r) override {
        asked = r;
        return answer;
    }
    std::string AskOpenFileName(const FileDialogParams&) override { return {}; }
    void ShowChild(ChildWindowId) override {}
    void HideChild(ChildWindowId) override {}
    bool IsChildShown(ChildWindowId) const override { return false; }
    void SetTitle(std::string_view) override {}
    void SetBusyCursor(bool on) override { busy += on ? 1 : -1; }
};

class FixedPicture : public WindowGrabber {
  public:
    int grabs = 0;
    WindowPicture GrabWholeWindow() override {
        ++grabs;
        return {2, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}};
    }
};

TEST(SaveScreen, DialogExtensionMessageAndCapture) {
    const auto dir = ScratchDir("save");
    ScriptedServices ui;
    FixedPicture grabber;

    ui.answer = "";  // cancelled
    EXPECT_EQ(SaveScreenCommand(grabber, ui), "");
    EXPECT_EQ(ui.asked.title, "Save Screen As");
    EXPECT_EQ(ui.asked.filterName, "BITMAP File    (*.BMP)");
    EXPECT_EQ(ui.asked.defaultExtension, "BMP");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(grabber.grabs, 0);

    ui.answer = (dir / "picture.png").string();
    EXPECT_EQ(SaveScreenCommand(grabber, ui), "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Save Screen As: File extension must be .BMP");
    EXPECT_FALSE(std::filesystem::exists(dir / "picture.png"));

    // A folder that does not exist ends the capture without a word.
    ui.answer = (dir / "missing" / "x.bmp").string();
    EXPECT_EQ(SaveScreenCommand(grabber, ui), "");
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(grabber.grabs, 0);

    ui.answer = (dir / "Harbour.BMP").string();
    EXPECT_EQ(SaveScreenCommand(grabber, ui), ui.answer);
    EXPECT_EQ(grabber.grabs, 1);
    EXPECT_EQ(ui.busy, 0);  // the busy cursor is back to normal
    EXPECT_EQ(std::filesystem::file_size(dir / "Harbour.BMP"), 54u + 8u * 2u);
}

TEST(SaveScreen, CaptureOfTheRealWindowHasMenuBarAndPanel) {
    App();
    const auto dir = ScratchDir("grab");
    WriteFile(dir / "TARVISK.INI", "[Settings]\n");
    Program program(OptionsFor(dir / "TARVISK.INI"));
    std::string error;
    ASSERT_TRUE(program.Start(error, false)) << error;
    MainWindow& w = program.Window();
    const WindowPicture p = w.GrabWholeWindow();
    const Size client = w.Surface().ClientSize();
    EXPECT_EQ(p.width, client.width);
    const int top = p.height - client.height;  // caption strip and menu bar above the client
    EXPECT_GT(top, w.Host().CaptionHeight() + 10);
    // The bottom of the picture is the client area: the panel background beside the logo.
    EXPECT_EQ(p.pixels[size_t(p.height - 1) * p.width + size_t(p.width - 1)], 0x474747u);
    EXPECT_EQ(p.pixels[size_t(top + 300) * p.width + 790], 0x474747u);
    program.Quit();
}

}  // namespace
}  // namespace tarvisk
