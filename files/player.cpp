#include "files/player.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "files/playback_models.h"
#include "files/record_writer.h"

namespace tarvisk {

Player::Player(SonarSettings& settings, ExpectedReply& expected, ReplyBuffer& reply, FileUi& ui,
               PlaybackHooks& hooks, Copier& copier)
    : settings_(settings),
      expected_(expected),
      reply_(reply),
      ui_(ui),
      hooks_(hooks),
      copier_(copier) {}

bool Player::Open(const std::string& path) {
    Close();
    path_ = path;
    if (!reader_.Open(path))
        return false;
    uint8_t magic[3] = {};
    if (reader_.ReadAt(0, magic, 3) != 3 || std::memcmp(magic, RecordMagic.data(), 3) != 0) {
        reader_.Close();
        return false;
    }
    offset_ = 0;
    position_ = 0;
    percent_ = 0;
    played_.UserText = {};
    firstRecord_ = true;
    reverseAvailable_ = false;
    lastBackLink_ = 0;
    played_.GpsAge = 5;
    search_ = Search::None;
    recordStart_ = -1;
    arrivedBackward_ = false;
    noRecordFrom_ = -1;
    recordsThisPass_ = 0;
    passFromStart_ = true;
    nothingToPlay_ = false;
    return true;
}

void Player::Close() {
    reader_.Close();
}

std::string_view Player::PlaybackTitle() {
    // The path as the file system has it: a lower-cased one names another file on Linux.
    std::snprintf(title_.data(), title_.size(), "%s - Playback of %.300s", WindowTitle.data(),
                  path_.c_str());
    return title_.data();
}

void Player::SetReverse(bool on) {
    reverse_ = on && reverseAvailable_;
}

StepResult Player::Step() {
    if (!reader_.IsOpen())
        return StepResult::NotOpen;
    if (search_ != Search::None) {
        const Found found = SearchPiece();
        if (found == Found::Pending)
            return StepResult::Searching;
        if (found == Found::Nothing) {
            EndOfFile();
            return StepResult::EndOfFile;
        }
    }
    // The settings change only once the whole record is in: a torn record restores nothing.
    RecordHeader header;
    if (!ReadAtOffset(header)) {
        BeginResync();
        const Found found = SearchPiece();
        if (found == Found::Pending)
            return StepResult::Searching;
        if (found == Found::Nothing || !ReadAtOffset(header)) {
            EndOfFile();
            return StepResult::EndOfFile;
        }
    }
    ++recordsThisPass_;
    recordStart_ = offset_;
    arrivedBackward_ = false;
    offset_ += header.RecordSize;
    header_ = header;
    ApplyRecordHeader(header, settings_, played_);
    const std::span<const uint8_t> record(record_.data(), static_cast<size_t>(header.RecordSize));
    const RecordBody body = DecodeRecordBody(header, record, reply_);
    const uint8_t replyType = reply_.bytes[1];
    ApplyRecordBody(body, replyType, settings_, played_);

    if (firstRecord_) {
        reverseAvailable_ = body.BackLink != 0;
        if (!reverseAvailable_)
            reverse_ = false;
        ui_.RedrawReverseControl();
    }
    if (reverse_)
        StepBack(body.BackLink);
    else
        lastBackLink_ = 0;

    expected_.ReplyType = replyType;
    expected_.ExpectedReplyLength = header.ReplyLength;
    expected_.RecordSizeCode = header.SizeCode;
    if (replyType == ReplyTypeSector)
        expected_.SamplesPerLine =
            (settings_.DataBits == 16 || settings_.GridMode == Polar) ? 250 : 499;
    else if (replyType == ReplyTypePolar)
        expected_.SamplesPerLine = 250;

    if (firstRecord_) {
        firstRecord_ = false;
        ui_.MarkPanelForRedraw();
    }
    position_ = offset_;
    percent_ = PlaybackPercent(position_, reader_.Size());
    ui_.SetPlaybackSlider(percent_);

    StepResult result = StepResult::Skipped;
    if (!skipNext_)
        result = hooks_.ProcessPlayedShot() ? StepResult::Shown : StepResult::Rejected;
    skipNext_ = false;

    if (copier_.IsCopying() && !reverse_)
        copier_.CopyRecord(record_, header.RecordSize, reply_, PlaybackTitle());
    hooks_.ExamineFrame();
    return result;
}

bool Player::ReadAtOffset(RecordHeader& header) {
    // A record cut short is damage: play the record that begins inside it instead. Each hop
    // moves forward, and a handful covers any file a recorder could leave.
    for (int hops = 0; hops < 16; ++hops) {
        int64_t cutAt = 0;
        switch (reader_.ReadCheckedRecord(offset_, record_, header, cutAt)) {
            case RecordRead::Whole:
                return true;
            case RecordRead::NotARecord:
                return false;
            case RecordRead::CutShort:
                offset_ = cutAt;
                break;
        }
    }
    return false;
}

void Player::StepBack(int32_t backLink) {
    lastBackLink_ = backLink;
    if (backLink == 0)
        return;
    backFrom_ = recordStart_;
    arrivedBackward_ = true;
    const int64_t target = offset_ - backLink;
    if (target > 0) {
        offset_ = target;
        return;
    }
    BeginWrap();
    if (SearchPiece() == Found::Nothing)
        offset_ = reader_.Size();
}

void Player::BeginWrap() {
    // Past the first record: go round to the end, to the record before the last whole one.
    search_ = Search::Wrap;
    searchAt_ = reader_.Size();
}

void Player::BeginResync() {
    if (reverse_ && arrivedBackward_) {
        search_ = Search::Backward;
        searchAt_ = backFrom_;
        return;
    }
    // From just after the start of the record read last: a record cut short by the one after
    // it hides that one's start inside its own length.
    search_ = Search::Forward;
    searchAt_ = recordStart_ >= 0 && recordStart_ < offset_ ? recordStart_ + 1 : offset_ + 1;
    searchStart_ = searchAt_;
}

Player::Found Player::SearchPiece() {
    switch (search_) {
        case Search::None:
            return Found::Record;
        case Search::Forward: {
            if (noRecordFrom_ >= 0 && searchAt_ >= noRecordFrom_) {
                search_ = Search::None;
                return Found::Nothing;
            }
            const RecordSearch r = reader_.SearchForward(searchAt_);
            if (!r.done) {
                searchAt_ = r.next;
                return Found::Pending;
            }
            search_ = Search::None;
            if (r.found < 0) {
                noRecordFrom_ =
                    noRecordFrom_ < 0 ? searchStart_ : std::min(noRecordFrom_, searchStart_);
                return Found::Nothing;
            }
            offset_ = r.found;
            return Found::Record;
        }
        case Search::Backward: {
            const RecordSearch r = reader_.SearchBackward(searchAt_, backFrom_);
            if (!r.done) {
                searchAt_ = r.next;
                return Found::Pending;
            }
            if (r.found <
                0) {  // damage back to the start: round to the end as from the first record
                BeginWrap();
                return SearchPiece();
            }
            search_ = Search::None;
            offset_ = r.found;
            return Found::Record;
        }
        case Search::Wrap: {
            const RecordSearch r = reader_.SearchBackward(searchAt_, reader_.Size());
            if (!r.done) {
                searchAt_ = r.next;
                return Found::Pending;
            }
            search_ = Search::None;
            int32_t size = 0;
            if (r.found < 0 || !reader_.IsWholeRecordAt(r.found, &size))
                return Found::Nothing;
            const int64_t end = r.found + size;
            uint8_t link[2] = {};
            reader_.ReadAt(end - 2, link, 2);
            const int64_t lastLink = ReadBigEndian16(link);
            const int64_t from = end - lastLink;
            offset_ = (lastLink == 0 || from < 0) ? reader_.Size() : reader_.NextWholeRecord(from);
            arrivedBackward_ = true;
            backFrom_ = r.found;
            return Found::Record;
        }
    }
    return Found::Nothing;
}

void Player::EndOfFile() {
    // A whole pass from the start without a record: there is nothing to play.
    nothingToPlay_ = passFromStart_ && recordsThisPass_ == 0;
    passFromStart_ = true;
    recordsThisPass_ = 0;
    offset_ = 0;
    search_ = Search::None;
    recordStart_ = -1;
    arrivedBackward_ = false;
    hooks_.SeedLineHistory();
    skipNext_ = true;
    if (reverse_ && lastBackLink_ != 0) {
        position_ = reader_.Size();
        percent_ = 100;
    } else {
        position_ = 0;
        percent_ = 0;
    }
    hooks_.ResetOrientation();
    hooks_.StopFrameCaptureAtEnd();
}

void Player::Seek(int32_t sliderValue) {
    if (!reader_.IsOpen() || sliderValue <= 0 || sliderValue >= 100)
        return;
    const int64_t at =
        static_cast<int64_t>(sliderValue * 0.01 * static_cast<double>(reader_.Size()));
    // The first piece of the search now, the rest in the following steps.
    search_ = Search::Forward;
    searchAt_ = searchStart_ = at;
    recordStart_ = -1;
    passFromStart_ = false;
    arrivedBackward_ = false;
    if (SearchPiece() == Found::Nothing)
        offset_ = reader_.Size();
    hooks_.ClearImageAndHistory();
    hooks_.ResetOrientation();
}

}  // namespace tarvisk
