// Tarvisk: control, display and logging for the K260 sonar head.

#include <QApplication>
#include <cctype>
#include <cstdio>

#include "app/program.h"
#include "app/signal_bridge.h"
#include "config/port_map.h"
#include "tarvisk_version.h"

namespace {

// Values the option parser takes as text: a bad one is a usage error like any bad option, found
// before anything starts.
bool CheckOptionValues(const tarvisk::CommandLineOptions& options, std::string& error) {
    tarvisk::PortMap ports;
    for (const std::string& p : options.ports)
        if (!tarvisk::ParsePortOverride(p, ports, &error))
            return false;
    // Captures are BMP files; a picture under another name would mislead whoever opens it.
    const std::string& save = options.saveScreenPath;
    const size_t dot = save.rfind('.');
    std::string extension = dot == std::string::npos ? "" : save.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!save.empty() && extension != ".bmp") {
        error = "--save-screen writes a BMP file: give a name ending in .bmp, not " + save;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tarvisk::IgnoreWriteErrorSignals();
    tarvisk::CommandLineOptions options;
    std::string error;
    if (!tarvisk::ParseCommandLine(argc, argv, options, error) ||
        !CheckOptionValues(options, error)) {
        std::fprintf(stderr, "tarvisk: %s\n", error.c_str());
        return 2;
    }
    if (options.version) {
        std::printf("tarvisk %s\n", TARVISK_VERSION);
        return 0;
    }
    if (options.help) {
        std::fputs(tarvisk::CommandLineHelp("tarvisk").c_str(), stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvisk"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    tarvisk::Program program(options);
    if (!program.Start(error)) {
        std::fprintf(stderr, "tarvisk: %s\n", error.c_str());
        return 1;
    }
    tarvisk::SignalBridge bridge([&program](int number) {
        std::fprintf(stderr, "tarvisk: signal %d, closing\n", number);
        program.CloseOnSignal();
    });
    const int status = QApplication::exec();
    return status != 0 ? status : program.ExitStatus();
}
