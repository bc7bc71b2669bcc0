// Tarvisk: control, display and logging for the K260 sonar head.

#include <QApplication>
#include <cstdio>

#include "app/program.h"
#include "app/signal_bridge.h"
#include "platform/number_locale.h"
#include "tarvisk_version.h"

int main(int argc, char** argv) {
    tarvisk::CatchCloseSignals();
    tarvisk::IgnoreWriteErrorSignals();
    tarvisk::CommandLineOptions options;
    std::string error;
    if (!tarvisk::ParseCommandLine(argc, argv, options, error)) {
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
    tarvisk::UsePointAsDecimalMark();
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
