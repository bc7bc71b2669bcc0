#pragma once
// Shared set-up of the offscreen window tests: one QApplication for the whole suite, a
// scratch folder per test, INI files written from a few keys.

#include <unistd.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/number_locale.h"
#include "ui/command_line_options.h"

namespace tarvisk::testing {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        auto* a = new QApplication(argc, argv);
        UsePointAsDecimalMark();  // as the program does right after its application object
        InitTarviskResources();
        QApplication::setStyle(QStringLiteral("Fusion"));
        return a;
    }();
    return *app;
}

// Runs the event loop until `done` holds (true) or the time is up (false).
inline bool Pump(const std::function<bool()>& done, int milliseconds) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline std::filesystem::path ScratchDir(const std::string& name) {
    // One per process: ctest runs each test in its own process, several at once, and the
    // tests of one fixture (or two checkouts on one machine) must not share files.
    auto dir = std::filesystem::temp_directory_path() /
               ("tarvisk_gui_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path) << text;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Options for a window on an INI file of its own, with no real serial port in reach.
inline CommandLineOptions OptionsFor(const std::filesystem::path& ini) {
    CommandLineOptions o;
    o.iniPath = ini.string();
    for (int i = 1; i <= 8; ++i)
        o.ports.push_back("COM" + std::to_string(i) + "=/nonexistent/tarvisk-port" +
                          std::to_string(i));
    o.quitAfterSeconds = 3600;  // scripted: no modal boxes
    return o;
}

// The program started from an INI file of a few keys, as the window tests use it.
inline std::unique_ptr<Program> StartProgram(const std::filesystem::path& dir,
                                             const std::string& settings,
                                             CommandLineOptions options = {}) {
    App();
    const auto ini = dir / "TARVISK.INI";
    WriteFile(ini, "[Settings]\n" + settings +
                       "\n[Orientation Module Settings]\nEnableOrientationModule=0\n");
    if (options.iniPath.empty())
        options = OptionsFor(ini);
    options.iniPath = ini.string();
    auto program = std::make_unique<Program>(options);
    std::string error;
    if (!program->Start(error, false))
        return nullptr;
    return program;
}

inline QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

inline int CountColour(const QImage& image, QRect area, QRgb colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Pixel(image, x, y) == (colour & 0xFFFFFF))
                ++n;
    return n;
}

}  // namespace tarvisk::testing
