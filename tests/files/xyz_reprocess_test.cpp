// A recording turned into an XYZ file: every point of it, however many sweeps it holds.
#include "files/xyz_reprocess.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "ksd_test_util.h"

namespace tarvisk {
namespace {

TEST(XyzReprocess, EveryPointOfALongRecordingIsWrittenAndCounted) {
    test::TempDir dir;
    const std::string path = dir.File("long.ksd");
    SonarSettings settings;
    std::vector<uint8_t> file;
    int32_t previous = 0;
    // Three sweeps and more: well past the 1200 entries a live scan keeps.
    constexpr int Records = 3345;
    for (int i = 0; i < Records; ++i)
        test::AppendRecord(file, test::MakeReply('G', 513, static_cast<uint8_t>(i)), 3, settings,
                           previous);
    test::WriteFile(path, file, file.size());

    for (const XyzForm form : {XyzForm::Vertical, XyzForm::Horizontal}) {
        XyzReprocessRequest request;
        request.ksdPath = path;
        request.form = form;
        std::string text;
        const XyzReprocessResult result = ReprocessToXyz(request, [&](std::string_view t) {
            text += t;
            return true;
        });
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.records, Records);
        ASSERT_EQ(result.logged, Records);
        EXPECT_EQ(result.written, Records - 2);
        const auto lines = std::count(text.begin(), text.end(), '\n');
        const int header = form == XyzForm::Vertical ? 4 : 0;
        EXPECT_EQ(lines, header + Records - 2);
    }
}

}  // namespace
}  // namespace tarvisk
