// A desktop that writes numbers with a decimal comma: what the program shows, takes and stores
// keeps the point.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "../gui/gui_support.h"
#include "dialog_driver.h"
#include "ui/menu_resource.h"

namespace tarvisk {
namespace {

using testing::Click;
using testing::Field;
using testing::RunModal;
using testing::Type;

// Switches the whole C locale to German for one test, as QApplication does from LC_ALL.
class GermanLocale {
  public:
    GermanLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
        available_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    }
    ~GermanLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool Available() const { return available_; }

  private:
    std::string previous_;
    bool available_ = false;
};

TEST(DecimalCommaLocale, TypedAndShownValuesAndTheSettingsFileKeepThePoint) {
    testing::App();
    GermanLocale german;
    if (!german.Available())
        GTEST_SKIP() << "no de_DE.UTF-8 locale (localedef -i de_DE -f UTF-8 de_DE.UTF-8)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale does not use a decimal comma";

    const auto dir = testing::ScratchDir("decimal_comma");
    auto program = testing::StartProgram(dir, "SoundVelocityMeters=1480.5");
    ASSERT_TRUE(program);
    SonarSettings& s = program->System().settings;
    RunModal(
        "SOUNDVELOCITY", [&] { program->Window().OnCommand(IdSoundVelocity); },
        [&](QDialog& d) {
            EXPECT_EQ(Field(d, 100)->text(), "1480.5");
            Type(d, 100, "1480.7");
            Click(d, 1);
        });
    EXPECT_FLOAT_EQ(s.SoundVelocityMeters, 1480.7f);
    program->Quit();
    const std::string ini = testing::ReadFile(dir / "TARVISK.INI");
    EXPECT_NE(ini.find("SoundVelocityMeters=1480.7"), std::string::npos) << ini;
}

}  // namespace
}  // namespace tarvisk
