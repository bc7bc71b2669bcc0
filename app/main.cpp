// Tarvisk: control, display and logging for the K260 sonar head.

#include <unistd.h>
#include <QApplication>
#include <cctype>
#include <climits>
#include <cstdio>

#include "app/program.h"
#include "app/signal_bridge.h"
#include "app/survey_folder.h"
#include "config/port_map.h"
#include "platform/number_locale.h"
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

// A start from the desktop menu works in the survey folder. File names given with it were
// meant from the folder it started in (a terminal's), so they are anchored there first.
tarvisk::SurveyFolderEntry MoveToSurveyFolder(tarvisk::CommandLineOptions& o) {
    char start[PATH_MAX];
    if (::getcwd(start, sizeof start) != nullptr) {
        for (std::string* path : {&o.iniPath, &o.playPath, &o.recordPath, &o.saveScreenPath,
                                  &o.simulatorLogPath, &o.simulatorGpsPath})
            *path = tarvisk::AnchoredPath(start, *path);
    }
    return tarvisk::EnterSurveyFolder(
        tarvisk::SurveyFolderPath(tarvisk::CurrentSurveyFolderEnvironment()));
}

}  // namespace

int main(int argc, char** argv) {
    tarvisk::CatchCloseSignals();
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
    tarvisk::SurveyFolderEntry folder;
    if (options.surveyFolder)
        folder = MoveToSurveyFolder(options);
    QApplication app(argc, argv);
    tarvisk::UsePointAsDecimalMark();
    QApplication::setApplicationName(QStringLiteral("Tarvisk"));
    if (!options.qtStyle)
        QApplication::setStyle(QStringLiteral("Fusion"));
    tarvisk::Program program(options);
    if (options.surveyFolder)
        program.TellWorkingFolder(folder.created ? folder.path : std::string(), folder.error);
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
