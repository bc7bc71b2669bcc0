#include "app/survey_wiring.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>

#include "app/file_session.h"
#include "app/main_window.h"
#include "config/qt/scan_dialog_views.h"
#include "files/auto_frame_capture.h"
#include "files/auto_scan.h"
#include "files/auto_scan_context.h"
#include "files/auto_scan_link.h"
#include "files/bmp_capture.h"
#include "platform/qt/window_thread.h"
#include "ui/acquisition_link.h"

namespace tarvisk {

namespace {

// The status box stays between the date field and the activity mark; a longer path keeps its
// end, which names the file.
std::string FitToStatusBox(const DrawSurface& surface, const PanelLayout& layout,
                           const std::string& path) {
    const int32_t room = std::min(2 * (296 - layout.dateTimeField.right - 2),
                                  2 * (layout.activityArea.left - 2 - 307));
    auto fits = [&](const std::string& text) {
        return surface.TextExtent(text, TextFont::Default).width <= room;
    };
    if (fits(path))
        return path;
    for (size_t cut = 1; cut < path.size(); ++cut) {
        std::string shown = "..." + path.substr(cut);
        if (fits(shown))
            return shown;
    }
    return path;
}

class SurveyWiring : public QObject,
                     public AutoScanUi,
                     public PlaybackWindowHooks,
                     public FrameCaptureUi,
                     public FeatureProvider,
                     public WindowPart {
  public:
    SurveyWiring(SonarSystem& system, MainWindow& window, AcquisitionLiveLink& link,
                 FileSession& files)
        : QObject(&window.Host()),
          system_(system),
          window_(window),
          link_(link),
          files_(files),
          scanLink_(link.Thread(), system.link),
          scan_(system.settings, system.link, system.imaging, system.profileRecords, system.drawing,
                scanLink_, *this),
          seams_(scan_),
          frames_(system.settings, system.link.Shot, window.AutoFrameCapture, *this) {}

    ~SurveyWiring() override {
        link_.SetScans(nullptr);
        files_.frameCapture = nullptr;
        window_.parts.Detach(this);
        window_.Host().onFileChosen = nullptr;
        window_.features.Withdraw(this);
    }

    void Install(ShotHooks& hooks) {
        hooks.profileContext = &context_;
        link_.SetScans(&seams_);
        files_.frameCapture = this;
        // The products go where the operator last chose a file, not where the program began.
        window_.Host().onFileChosen = [this](const std::string& path) {
            scan_.OutputFolder().ChooseFileIn(path);
        };
        for (Feature f :
             {Feature::AutoProfileVertical, Feature::AutoProfileHorizontal, Feature::AutoAzimuth})
            window_.features.Register(f, this);
        window_.parts.Attach(this);
    }

    // FeatureProvider: the automated scans start on the acquisition thread's next pass.
    void RunFeature(Feature feature) override {
        const SonarSettings& s = system_.settings;
        if (s.RunMode != 0)
            return;
        if (feature == Feature::AutoAzimuth) {
            if (s.AzimuthDriveEnable != 1) {
                Message("Auto-Azimuth", "Enable the azimuth drive first (Heads menu).");
                return;
            }
            link_.Thread().Requests().AutoAzimuthDialogRequest = 1;
            return;
        }
        if (scan_.Running())
            return;
        const bool vertical = feature == Feature::AutoProfileVertical;
        scan_.AutoProfileVertical = vertical ? 1 : 0;
        link_.Thread().Requests().AutoProfileScanRequest = vertical ? 1 : 2;
    }

    // WindowPart
    void AddLinkStatusFacts(LinkStatusFacts& facts) override {
        facts.scanAdjustingTransducer = transducerMessage_.load();
    }

    // AutoScanUi (acquisition thread): each runs on the window thread while this one waits.
    void RunProfileDialog(AutoProfileDialogModel& model, SonarSettings& settings,
                          AutoProfileRunState& run) override {
        auto shared = std::make_shared<AutoProfileDialogModel>(model);
        auto sharedRun = std::make_shared<AutoProfileRunState>(run);
        if (OnWindow([this, shared, sharedRun, &settings] {
                RunAutoProfileDialogView(&window_.Host(), *shared, settings, *sharedRun);
                return true;
            })) {
            model = *shared;
            run.PayoutIncrement = sharedRun->PayoutIncrement;
        }
    }
    void RunAzimuthDialog(AutoAzimuthDialogModel& model, SonarSettings& settings,
                          AutoAzimuthRunFlags& run, const std::function<void()>&) override {
        auto shared = std::make_shared<AutoAzimuthDialogModel>(model);
        AutoAzimuthRunFlags flags = run;
        if (OnWindow([this, shared, flags, &settings]() mutable {
                // The XYZ file is closed by the scan after the dialog, on its own thread.
                RunAutoAzimuthDialogView(&window_.Host(), *shared, settings, flags,
                                         [this] { closeXyzAfterDialog_ = true; });
                return true;
            }))
            model = *shared;
        if (closeXyzAfterDialog_) {
            closeXyzAfterDialog_ = false;
            scan_.CloseXyz();
        }
    }
    bool AskSaveProfile() override {
        auto yes = std::make_shared<bool>(false);
        OnWindow([this, yes] { return *yes = RunSaveProfileDialogView(&window_.Host()); });
        return *yes;
    }
    void ShowScanComplete() override { Message("Auto-Azimuth", "Scan complete."); }
    void ShowScanMessage(std::string_view text) override {
        const std::string t(text);
        OnWindow([this, t] {
            ShowStripMessage(t);
            return true;
        });
    }
    void ShowFileWritten(std::string_view path) override {
        const std::string p(path);
        OnWindow([this, p] {
            StatusPanel& panel = window_.Panel();
            panel.DrawStatusBox(FitToStatusBox(window_.Surface(), panel.Layout(), p), WhiteColour,
                                PanelStatusFill, PanelLightGrey);
            return true;
        });
    }
    bool CaptureScreen(const std::string& path) override {
        auto ok = std::make_shared<bool>(false);
        OnWindow([this, path, ok] { return *ok = Capture(path); });
        return *ok;
    }
    void SetVerticalScanMenuEnabled(bool enabled) override {
        OnWindow([this, enabled] {
            window_.Menu().Enable(IdAutoProfileVertical, enabled);
            return true;
        });
    }
    void RedrawAzimuthWindow() override {
        if (system_.settings.AzimuthWindow == 0)
            return;
        PostToWindowThread(&window_.Host(), [this] {
            if (QWidget* w = window_.Host().ChildWidget(ChildWindowId::Azimuth))
                w->update();
        });
    }
    void ScanStarted() override {
        transducerMessage_ = true;
        link_.ShowLinkStatus(LinkStatusShownText, LinkStatusShownFill, LinkStatusShownFrame,
                             NoDataAtComPortSelector);
    }
    void TransducerInPosition() override {
        // Erased with the text it was drawn with, so that none of it is left behind.
        link_.ShowLinkStatus(LinkStatusErased, LinkStatusErased, LinkStatusErased,
                             NoDataAtComPortSelector);
        transducerMessage_ = false;
    }

    // PlaybackWindowHooks (window thread, from the playback step)
    void ExamineFrame() override { frames_.ExamineShot(files_.Commands().Player().Path()); }
    void StopFrameCaptureAtEnd() override { frames_.StopAtEndOfFile(); }

    // FrameCaptureUi (window thread)
    void SetMenuText(std::string_view text) override {
        window_.Menu().SetText(IdAutoFrameCapture, std::string(text));
    }
    void ShowMessage(std::string_view text, std::string_view caption) override {
        Message(std::string(caption), std::string(text));
    }
    void ShowStripMessage(std::string_view text) override {
        DrawSurface& surface = window_.Surface();
        const Rect a = window_.Panel().Layout().azimuthNotFound;
        {
            std::lock_guard lock(surface.Mutex());
            surface.FillRect(a, PanelDarkGrey);
            surface.DrawText(a.left + 2, 534, text, WhiteColour, TextFont::System, &a);
        }
        surface.RequestRepaint(a);
    }
    void PauseMilliseconds(int32_t ms) override {
        // The window keeps painting (the name is on show) while the playback step waits.
        QEventLoop wait;
        QTimer::singleShot(ms, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    void ClearStrip() override {
        DrawSurface& surface = window_.Surface();
        const Rect a = window_.Panel().Layout().azimuthNotFound;
        {
            std::lock_guard lock(surface.Mutex());
            surface.FillRect(a, PanelDarkGrey);
        }
        surface.RequestRepaint(a);
        window_.Drawing().RedrawPlaybackStrip();
    }
    // The busy pointer shows while the file is written. The numbered name is a new file,
    // never one that is there already.
    bool Capture(const std::string& path) override {
        return CaptureWindowToBmp(path, window_, window_.Host(), FileCreation::New) ==
               BmpWriteResult::Written;
    }

  private:
    // Runs f on the window thread and waits for it; gives up (false) when the acquisition
    // is being stopped meanwhile, so closing the window never waits on an open dialog.
    template <typename F>
    bool OnWindow(F f) {
        if (QThread::currentThread() == window_.Host().thread()) {
            f();
            return true;
        }
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> finished = done->get_future();
        PostToWindowThread(&window_.Host(), [f, done]() mutable {
            f();
            done->set_value();
        });
        while (finished.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
            if (!link_.Thread().Running()) {
                // Nobody waits for its answer any more: close whichever scan dialog is open.
                PostToWindowThread(&window_.Host(), [this] { CloseScanDialogs(); });
                return false;
            }
        }
        return true;
    }

    void CloseScanDialogs() {
        for (QDialog* d : window_.Host().findChildren<QDialog*>()) {
            const QString name = d->objectName();
            if (name == "SNAPSHOT" || name == "SNAPSHOT2" || name == "AUTOAZIMUTH" ||
                name == "SAVEPROFILE")
                d->reject();
        }
    }

    void Message(const std::string& caption, const std::string& text) {
        if (window_.scripted) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return;
        }
        OnWindow([this, caption, text] {
            window_.Host().ShowMessage(caption, text, MessageKind::Plain);
            return true;
        });
    }

    SonarSystem& system_;
    MainWindow& window_;
    AcquisitionLiveLink& link_;
    FileSession& files_;
    AcquisitionScanLink scanLink_;
    AutoScan scan_;
    AutoScanSeams seams_;
    AutoFrameCapture frames_;
    StampProfileContext context_{link_.Thread().Stamp()};
    bool closeXyzAfterDialog_ = false;
    std::atomic<bool> transducerMessage_{false};
};

}  // namespace

std::unique_ptr<QObject> InstallSurvey(SonarSystem& system, MainWindow& window,
                                       AcquisitionLiveLink& link, FileSession& files,
                                       ShotHooks& hooks) {
    auto wiring = std::make_unique<SurveyWiring>(system, window, link, files);
    wiring->Install(hooks);
    return wiring;
}

}  // namespace tarvisk
