#pragma once
// Playback of a .KSD file on the window thread: one record per step, through the same shot
// pipeline as live replies, forward or backward, looping at the end of the file. A damaged
// stretch is passed over to the next whole record in either direction; the search for it
// runs in bounded pieces, one per step, so the window answers while it crosses gigabytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "files/copier.h"
#include "files/file_ui.h"
#include "files/ksd_reader.h"
#include "files/ksd_record.h"
#include "head/shot_record.h"
#include "settings/sonar_settings.h"

namespace tarvisk {

enum class StepResult {
    NotOpen,
    EndOfFile,  // short, torn or unplayable record: back to the start, next record not drawn
    Skipped,    // the record after a loop: read and restored, not drawn
    Rejected,   // passed to the pipeline, which did not accept it
    Shown,
    Searching,  // a piece of the search past damage (or for a slider position): nothing read
};

class Player {
  public:
    Player(SonarSettings& settings, ExpectedReply& expected, ReplyBuffer& reply, FileUi& ui,
           PlaybackHooks& hooks, Copier& copier);

    // Opens the file and prepares playback; false when it cannot be read or does not start
    // with a record magic (no file is open afterwards). Messages are the caller's.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return reader_.IsOpen(); }
    const std::string& Path() const { return path_; }

    StepResult Step();
    // Slider value 1..99 moves to the first record at or after that share of the file.
    void Seek(int32_t sliderValue);
    bool Searching() const { return search_ != Search::None; }
    // The last end of the file closed a whole pass from its start that found no record (an
    // empty file, or one of nothing but damage): stepping on would only spin.
    bool NothingToPlay() const { return nothingToPlay_; }

    // The operator's backward switch; only takes when the file allows it.
    void SetReverse(bool on);
    bool Reverse() const { return reverse_; }
    bool ReverseAvailable() const { return reverseAvailable_; }
    // Leaving playback: nothing of the backward play is left for live shots to follow.
    void ClearReverse() {
        reverseAvailable_ = false;
        reverse_ = false;
        lastBackLink_ = 0;
    }
    // Stepping backwards as the pipeline sees it (drawing direction inverted).
    bool SteppingBackwards() const { return reverse_ && lastBackLink_ != 0; }

    int64_t FileSize() const { return reader_.Size(); }
    int64_t Position() const { return position_; }
    int32_t Percent() const { return percent_; }
    int32_t LastBackLink() const { return lastBackLink_; }
    bool SkipNext() const { return skipNext_; }
    // Batch rendering draws the first record too.
    void DrawNextRecord() { skipNext_ = false; }
    const RecordHeader& Header() const { return header_; }
    const PlayedRecordState& Played() const { return played_; }
    PlayedRecordState& Played() { return played_; }
    const RecordBytes& Record() const { return record_; }
    RecordReader& Reader() { return reader_; }
    // "Tarvisk Digital Sonar - Playback of <path>"
    std::string_view PlaybackTitle();

  private:
    enum class Search { None, Forward, Backward, Wrap };
    enum class Found { Pending, Record, Nothing };

    void EndOfFile();
    // Reads the record at offset_, moving past records found cut short; false when none is
    // there.
    bool ReadAtOffset(RecordHeader& header);
    void StepBack(int32_t backLink);
    // After a record that did not read: look for the next whole one in the playing direction.
    void BeginResync();
    void BeginWrap();
    Found SearchPiece();

    SonarSettings& settings_;
    ExpectedReply& expected_;
    ReplyBuffer& reply_;
    FileUi& ui_;
    PlaybackHooks& hooks_;
    Copier& copier_;
    RecordReader reader_;
    std::string path_;
    RecordBytes record_{};
    RecordHeader header_{};
    PlayedRecordState played_{};
    int64_t offset_ = 0;    // where the next header is read
    int64_t position_ = 0;  // shown on the slider
    int32_t percent_ = 0;
    bool firstRecord_ = false;
    bool reverseAvailable_ = false;
    bool reverse_ = false;
    int32_t lastBackLink_ = 0;
    bool skipNext_ = true;
    Search search_ = Search::None;
    int64_t searchAt_ = 0;
    int64_t searchStart_ = 0;
    int64_t recordStart_ = -1;  // the last record read, -1 after a jump
    int64_t backFrom_ = 0;      // the record a backward step left
    bool arrivedBackward_ = false;
    int64_t noRecordFrom_ = -1;  // no whole record at or after this (a damaged tail)
    int64_t recordsThisPass_ = 0;
    bool passFromStart_ = true;  // false after a slider jump, until the next end of the file
    bool nothingToPlay_ = false;
    std::array<char, 400> title_{};
};

}  // namespace tarvisk
