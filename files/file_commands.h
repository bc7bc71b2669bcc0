#pragma once
// The file commands of the main window: record start/stop (live), open for playback, copy
// start/stop, the playback slider, the playback step, "Reverse" and the playback-speed strip.
// One FileCommands object lives for the whole run; the window calls it on its own thread,
// the shot pipeline calls Recorder().RecordShot() on the acquisition thread.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/copier.h"
#include "files/file_ui.h"
#include "files/playback_models.h"
#include "files/player.h"
#include "files/recorder.h"
#include "head/shot_record.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

class FileCommands {
  public:
    FileCommands(SonarSettings& settings, ExpectedReply& expected, ReplyBuffer& reply, FileUi& ui,
                 PlaybackHooks& hooks);

    // Menu command 15: start recording when none runs, else stop it.
    void RecordStartStop();
    // Menu command 10 (and "FILE" while already in playback).
    void OpenPlayback();
    // Menu command 16.
    void CopyStartStop();

    // Start without a dialog (command-line options); the same checks and messages apply.
    bool StartRecording(const std::string& path);
    bool OpenPlaybackFile(const std::string& path);
    bool StartCopy(const std::string& path);

    void StopRecording();
    void StopCopy();
    // Run-mode switch and window close: stop recording and copy, close the playback file.
    void CloseAll();

    // Tells a recording or copy that the writer thread had to stop (called between steps).
    void CheckWriters();
    // A recording or copy is open: its writer may yet fail and is to be looked at.
    bool WritersOpen() const;

    // Playback slider moved to 0..100 (only 1..99 move the position).
    void SliderMoved(int32_t value);

    // True while the main loop should keep stepping: file mode, a file open, Hold clear.
    bool PlaybackRunning() const;
    // One playback step; returns the milliseconds to wait before the next one (the plot-speed
    // pause after a shown shot, 0 otherwise). The window's timer does the waiting, so the
    // event loop stays responsive at every speed.
    int32_t PlayStep();

    // "Reverse" box and space bar in playback; does nothing unless reverse is available.
    void ToggleReverse();
    // Playback-speed arrows; return true while a held arrow should keep repeating.
    bool PlotSpeedRight();
    bool PlotSpeedLeft();

    class Recorder& Recorder() {
        return recorder_;
    }
    class Player& Player() {
        return player_;
    }
    class Copier& Copier() {
        return copier_;
    }

  private:
    SonarSettings& settings_;
    FileUi& ui_;
    PlaybackHooks& hooks_;
    class Copier copier_;
    class Recorder recorder_;
    class Player player_;
    std::array<char, 400> title_{};
};

}  // namespace tarvisk
