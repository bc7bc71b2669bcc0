#include "app/file_session.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QSlider>
#include <QThread>
#include <cstdio>

#include "head/link_status.h"
#include "platform/qt/window_thread.h"

namespace tarvisk {

namespace {
// How often the loop looks again while playback is held or no file is open.
constexpr int IdlePollMs = 20;
// Live, the loop only looks at an open recording's writer (a full disk): four times a second
// says it in time without waking the window thread several times a shot. With no writer
// open it does not run at all; entering playback or opening a writer starts it again.
constexpr int LiveIdlePollMs = 250;
}  // namespace

FileSession::FileSession(SonarSystem& system, MainWindow& window)
    : system_(system),
      window_(window),
      hooks_(system.link, system.drawing, system.history),
      commands_(system.settings, system.link.Expected, system.link.Reply, *this, hooks_),
      azimuth_(system.link) {
    hooks_.Attach(commands_, system.pipeline);
    hooks_.SetWindowHooks(this);
    commands_.Recorder().SetAzimuthSource(&azimuth_);
    window.fileCommands = &commands_;
    window.features.Register(Feature::PlaybackOnEntry, this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { PlayTick(); });
    timer_.start(IdlePollMs);
}

FileSession::~FileSession() {
    timer_.stop();
    window_.fileCommands = nullptr;
    window_.features.Withdraw(this);
}

void FileSession::RunFeature(Feature) {
    if (playOnEntry_.empty()) {
        commands_.OpenPlayback();
    } else {
        const std::string path = playOnEntry_;
        playOnEntry_.clear();
        commands_.OpenPlaybackFile(path);
    }
    // The first record at once, not after the live loop's longer pause.
    if (!stepping_)
        timer_.start(0);
}

void FileSession::UseTimeStamps(const DateTimeStamp& stamp) {
    stamps_ = std::make_unique<StampTimeSource>(stamp);
    commands_.Recorder().SetTimeStampSource(stamps_.get());
}

void FileSession::PlayTick() {
    // A message box opened inside a step runs its own event loop, which fires this timer
    // again: the pipeline is not re-entrant, so such a tick only waits.
    // A modal box or dialog holds playback until it is answered, as the operator expects
    // of a box that is waiting for him; its own event loop must not play records behind it.
    if (stepping_ || QApplication::activeModalWidget() != nullptr) {
        timer_.start(IdlePollMs);
        return;
    }
    // One record per tick; the pause after a shown shot is the next interval, so events are
    // handled between records at every speed.
    stepping_ = true;
    commands_.CheckWriters();
    const bool live = system_.settings.RunMode == 0;
    const int idle = live ? LiveIdlePollMs : IdlePollMs;
    const int delay = commands_.PlaybackRunning() ? commands_.PlayStep() : idle;
    stepping_ = false;
    if (live && !commands_.WritersOpen())
        return;
    if (!timer_.isActive())
        timer_.start(delay);
}

void FileSession::WatchWriters() {
    OnWindowThread([this] {
        if (!timer_.isActive() && !stepping_)
            timer_.start(LiveIdlePollMs);
    });
}

template <typename F>
void FileSession::OnWindowThread(F&& f) {
    PostToWindowThread(this, std::forward<F>(f));
}

std::string FileSession::AskFileName(const FileDialogRequest& r) {
    FileDialogParams params{std::string(r.Title), std::string(r.Filter), std::string(r.Pattern),
                            std::string(r.DefaultExtension), r.ProposedPath};
    return r.Save ? window_.Host().AskSaveFileName(params) : window_.Host().AskOpenFileName(params);
}

void FileSession::ShowWarning(std::string_view text, std::string_view caption) {
    OnWindowThread([this, t = std::string(text), c = std::string(caption)] {
        if (window_.scripted)
            std::fprintf(stderr, "%s: %s\n", c.c_str(), t.c_str());
        else
            window_.Host().ShowMessage(c, t, MessageKind::Warning);
    });
}

void FileSession::ShowInformation(std::string_view text, std::string_view caption) {
    OnWindowThread([this, t = std::string(text), c = std::string(caption)] {
        if (!window_.scripted)
            window_.Host().ShowMessage(c, t, MessageKind::Information);
    });
}

void FileSession::ReportLoss(std::string_view text, std::string_view caption) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
    OnWindowThread([this, t = std::string(text), c = std::string(caption)] {
        if (!window_.scripted)
            window_.Host().ShowMessage(c, t, MessageKind::Warning);
    });
}

void FileSession::SetWindowTitle(std::string_view title) {
    OnWindowThread([this, t = std::string(title)] { window_.Host().SetTitle(t); });
}

void FileSession::SetMenuItemText(int32_t id, std::string_view text) {
    OnWindowThread([this, id, t = std::string(text)] { window_.Menu().SetText(id, t); });
}

void FileSession::SetPlaybackSlider(int32_t percent) {
    if (QSlider* slider = window_.Host().PlaybackSlider()) {
        const QSignalBlocker block(slider);
        slider->setValue(percent);
    }
    window_.Host().setFocus();
}

void FileSession::RedrawReverseControl() {
    PanelState& state = window_.Panel().State();
    state.ReverseAvailable = commands_.Player().ReverseAvailable() ? 1 : 0;
    state.Reverse = commands_.Player().Reverse() ? 1 : 0;
    window_.Panel().DrawReverse();
}

void FileSession::MarkPanelForRedraw() {
    window_.Panel().ResetPlaybackRefresh();
}

void FileSession::ClearSonarImage() {
    window_.Drawing().ClearImageAndHistory();
    window_.Drawing().RedrawImage();
}

void FileSession::RedrawHoldControl() {
    window_.Panel().DrawHold();
}

void FileSession::ShowFileStatus(std::string_view text) {
    OnWindowThread([this, t = std::string(text)] {
        window_.Panel().DrawStatusBox(t, LinkStatusShownText, LinkStatusShownFill,
                                      LinkStatusShownFrame);
    });
}

void FileSession::ApplyScreenChanges(const ScreenChanges& changes,
                                     const PlayedRecordState& record) {
    StatusPanel& panel = window_.Panel();
    if (changes.DateTime)
        panel.DrawDateTime(record.DateTimeText.data());
    if (changes.Frequency) {
        panel.State().FileFrequency = record.FileFrequency;
        panel.DrawFrequency();
    }
    if (changes.UserText) {
        system_.settings.UserText.Set(record.UserText.data());
        panel.DrawUserText();
    }
    if (onPlayedRecord && (changes.Gps || changes.Azimuth))
        onPlayedRecord(record, changes.Gps, changes.Azimuth);
    if (changes.Orientation && window_.Host().IsChildShown(ChildWindowId::Orientation))
        window_.Host().ChildWidget(ChildWindowId::Orientation)->update();
    if (changes.Azimuth && system_.settings.AzimuthWindow)
        window_.Host().ChildWidget(ChildWindowId::Azimuth)->update();
}

}  // namespace tarvisk
