#include "app/program.h"

#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QSplashScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/config_wiring.h"
#include "app/file_session.h"
#include "app/periph_wiring.h"
#include "app/survey_wiring.h"
#include "config/ini_settings.h"
#include "head/gps_input.h"
#include "platform/number_locale.h"
#include "platform/qt/window_thread.h"
#include "sim/head_simulator.h"
#include "ui/acquisition_link.h"

namespace tarvisk {

// A scripted run ends once it has seen its number of shots.
class Program::QuitAfterShots final : public WindowPart {
  public:
    QuitAfterShots(Program& program, HostWindow& host, int64_t limit)
        : program_(program), host_(host), limit_(limit) {}
    void OnShot(int64_t shots) override {
        if (shots != limit_)
            return;
        // Played on the window thread, the run ends after the record's step, not inside it.
        if (QThread::currentThread() == host_.thread())
            QMetaObject::invokeMethod(
                &host_, [this] { program_.Quit(); }, Qt::QueuedConnection);
        else
            PostToWindowThread(&host_, [this] { program_.Quit(); });
    }

  private:
    Program& program_;
    HostWindow& host_;
    int64_t limit_;
};

Program::Program(CommandLineOptions options) : options_(std::move(options)) {}

Program::~Program() {
    if (link_)
        link_->Stop();
    if (system_)
        system_->pipeline.SetHooks({});
    if (window_ && quitAfter_)
        window_->parts.Detach(quitAfter_.get());
    peripherals_.reset();
    survey_.reset();
    files_.reset();
    window_.reset();
    link_.reset();
    if (simulator_)
        simulator_->Stop();
}

bool Program::Start(std::string& error, bool showSplash) {
    // Again here for whoever starts the program without its main() (the window tests).
    UsePointAsDecimalMark();
    InitTarviskResources();
    system_ = std::make_unique<SonarSystem>();
    SonarSystem& sys = *system_;
    sys.iniPath = options_.iniPath.empty() ? DefaultTarviskIniPath() : options_.iniPath;

    // Window creation: the user text starts empty, then the INI file fills the settings.
    sys.settings.UserText.Set("");
    std::string iniError;
    if (!ReadTarviskIni(sys.iniPath, sys.settings, sys.ports, &iniError))
        sys.iniReadError = iniError;  // told once the window shows; the file is left alone
    for (const std::string& p : options_.ports) {
        if (!ParsePortOverride(p, sys.ports, &error))
            return false;
    }
    if (options_.simulate) {
        // With GPS in use, or a capture to replay, the simulated receiver talks on a line of
        // its own (a capture at the pace of the GPS baud rate set).
        simulator_ = std::make_unique<sim::HeadSimulator>();
        sim::SimulatorOptions simOptions;
        simOptions.gps = sys.settings.UseGPS == 1 || !options_.simulatorGpsPath.empty();
        simOptions.gpsReplayPath = options_.simulatorGpsPath;
        simOptions.onTrack = options_.simulatorOnTrack;
        simOptions.track = options_.simulatorTrack;
        simOptions.gpsBaud = GpsBaudRate(sys.settings.GPSBaudRate);
        simOptions.azimuthStepsPerSecond = 20.0;  // six degrees a second, as a real drive
        // A second, profiling head on the line, for the head scan to find.
        simOptions.extraHeads.push_back({20, sim::DeviceKind::ProfilingHead});
        simOptions.commandLogPath = options_.simulatorLogPath;
        if (!options_.simulateScene.empty())
            sim::ParseSceneName(options_.simulateScene, simOptions.scene);
        simOptions.gpsSentence =
            sys.settings.GPSType == 0 ? sim::NmeaSentence::Gll : sim::NmeaSentence::Gga;
        if (!simulator_->Start(simOptions)) {
            error = "The head simulator could not start: " + simulator_->Error();
            return false;
        }
    }
    if (simulator_) {
        // The simulated head answers on COM1.
        std::string mapError;
        ParsePortOverride("COM1=" + simulator_->DevicePath(), sys.ports, &mapError);
        sys.settings.ComPort = 0;
        if (!simulator_->GpsDevicePath().empty()) {
            if (sys.settings.ComPortGPS == 0)
                sys.settings.ComPortGPS = 1;
            const std::string gpsPort = "COM" + std::to_string(sys.settings.ComPortGPS + 1);
            ParsePortOverride(gpsPort + "=" + simulator_->GpsDevicePath(), sys.ports, &mapError);
        }
        if (sys.settings.RunMode != 0 && options_.playPath.empty())
            sys.settings.RunMode = 0;
    }
    ApplySideScanTrain(sys.settings);
    sys.liveCopy = SaveLiveCopy(sys.settings);

    auto link = std::make_unique<AcquisitionLiveLink>(sys);
    AcquisitionLiveLink* acquisition = link.get();
    link_ = std::move(link);
    window_ = std::make_unique<MainWindow>(sys, *link_);
    MainWindow& w = *window_;
    acquisition->SetWindow(&w);
    ShotHooks hooks;
    hooks.view = &w;
    hooks.panel = &w;
    hooks.magnifier = &w;
    hooks.measurement = &w;
    files_ = std::make_unique<FileSession>(sys, w);
    files_->UseTimeStamps(acquisition->Thread().Stamp());
    hooks.recorder = files_->RecorderHook();
    peripherals_ = InstallPeripherals(sys, w, *acquisition, *files_);
    InstallConfigWiring(sys, w, *link_);
    survey_ = InstallSurvey(sys, w, *acquisition, *files_, hooks);
    peripherals_->FillProfileContexts(hooks);
    sys.pipeline.SetHooks(hooks);
    if (!options_.playPath.empty()) {
        sys.settings.RunMode = 1;
        files_->PlayOnEntry(options_.playPath);
    } else if (!options_.recordPath.empty()) {
        sys.settings.RunMode = 0;
    }
    w.scripted = options_.quitAfterShots > 0 || options_.quitAfterSeconds > 0;

    // Splash: the middle of the start-up logo, half as big again, over the window's place.
    std::unique_ptr<QSplashScreen> splash;
    if (showSplash && !w.scripted) {
        QImage logo(QStringLiteral(":/tarvisk/splash.png"));
        if (!logo.isNull()) {
            const QImage part = logo.copy(7, 30, logo.width() - 15, logo.height() - 62);
            const QPixmap scaled =
                QPixmap::fromImage(part).scaled(part.width() * 3 / 2, part.height() * 3 / 2,
                                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            splash = std::make_unique<QSplashScreen>(scaled);
            splash->show();
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() < 900)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    }

    w.Show();
    if (splash)
        splash->finish(&w.Host());
    if (!sys.iniReadError.empty()) {
        const std::string text = IniUnreadableText(sys.iniPath, sys.iniReadError);
        std::fprintf(stderr, "tarvisk: %s\n", text.c_str());
        if (!w.scripted)
            w.Host().ShowMessage(WindowTitle, text, MessageKind::Warning);
    }
    w.ApplyRunMode();
    // A file named on the command line that is not there (or may not be read) ends the run:
    // the reason is already told, and an empty playback that exits 0 would hide it. A file
    // of the wrong kind leaves the window in file mode with its message, as the menu does.
    if (!options_.playPath.empty() && !files_->Commands().Player().IsOpen() &&
        ::access(options_.playPath.c_str(), R_OK) != 0) {
        error = "cannot play " + options_.playPath;
        return false;
    }
    TellFolder();
    if (!options_.recordPath.empty() && !files_->Commands().StartRecording(options_.recordPath)) {
        error = "Cannot record to " + options_.recordPath;
        return false;
    }

    SonarSettings& s = sys.settings;
    if (s.AzimuthDriveEnable == 0) {
        s.AzimuthWindow = 0;
    } else if (s.AzimuthWindow == 1) {
        w.Host().ShowChild(ChildWindowId::Azimuth);
    }
    if (s.EnableOrientationModule == 1)
        w.Host().ShowChild(ChildWindowId::Orientation);
    w.Host().activateWindow();
    w.Host().setFocus();

    if (options_.quitAfterSeconds > 0) {
        QTimer::singleShot(static_cast<int>(options_.quitAfterSeconds * 1000.0), &w.Host(),
                           [this] { Quit(); });
    }
    if (options_.quitAfterShots > 0) {
        const int64_t limit = options_.quitAfterShots;
        quitAfter_ = std::make_unique<QuitAfterShots>(*this, w.Host(), limit);
        w.parts.Attach(quitAfter_.get());
    }
    return true;
}

void Program::TellFolder() {
    MainWindow& w = *window_;
    if (!folderProblem_.empty()) {
        std::fprintf(stderr, "tarvisk: %s\n", folderProblem_.c_str());
        if (!w.scripted)
            w.Host().ShowMessage(WindowTitle, folderProblem_, MessageKind::Warning);
    }
    // Live mode's title is the program's alone until a recording starts: room to say where
    // the settings and recordings go. A file being played names itself instead.
    if (!createdFolder_.empty() && system_->settings.RunMode == 0)
        w.Host().SetTitle(std::string(WindowTitle) + " - Files in " + createdFolder_);
}

void Program::Quit() {
    if (quitting_ || !window_)
        return;
    quitting_ = true;
    MainWindow& w = *window_;
    if (!options_.saveScreenPath.empty()) {
        QApplication::processEvents();
        // Told on stderr, never in a box: nobody may be there to close it.
        std::string failure;
        if (CaptureWindowToBmp(options_.saveScreenPath, w, w.Host(), FileCreation::Replace,
                               &failure) == BmpWriteResult::Written) {
            std::printf("Screen saved to %s\n", options_.saveScreenPath.c_str());
        } else {
            std::fprintf(stderr, "Could not save the screen to %s\n%s\n",
                         options_.saveScreenPath.c_str(), failure.c_str());
            exitStatus_ = 1;
        }
        std::fflush(stdout);
    }
    w.Close();
}

void Program::CloseOnSignal() {
    if (!window_)
        return;
    window_->scripted = true;  // messages go to stderr: nobody may be there to answer a box
    window_->Close();
}

}  // namespace tarvisk
