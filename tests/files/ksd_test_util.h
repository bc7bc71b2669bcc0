#pragma once
// Helpers for the data file tests: replies, record files on disk, and recorders of the calls
// that playback and recording make to the window and the pipeline.

#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "files/file_ui.h"
#include "files/ksd_record.h"

namespace tarvisk::test {

// A reply of type and length n whose data bytes carry id, so a played reply names its record.
inline std::vector<uint8_t> MakeReply(uint8_t type, size_t n, uint8_t id) {
    std::vector<uint8_t> r(n, 0);
    r[0] = 'I';
    r[1] = type;
    r[2] = 'X';
    r[3] = 16;
    r[5] = 0x58;
    r[6] = 0x04 | ((id & 1) << 6);
    r[7] = 50;
    for (size_t i = 12; i + 1 < n; ++i)
        r[i] = static_cast<uint8_t>(id + i);
    if (n > 12)
        r[11] = id;  // also in the header, for the 13-byte replies
    r[n - 1] = ReplyTermination;
    return r;
}

inline size_t AppendRecord(std::vector<uint8_t>& file, const std::vector<uint8_t>& reply,
                           int32_t sizeCode, const SonarSettings& settings, int32_t& previous,
                           const GpsFix* gps = nullptr) {
    RecordBytes bytes{};
    RecordSource source;
    source.Reply = reply;
    source.SizeCode = sizeCode;
    source.Stamp = MakeTimeStamp(2026, 12, 8, 16, 30, 5, 420);
    source.Gps = gps;
    source.PreviousRecordSize = previous;
    size_t size = EncodeRecord(source, settings, bytes);
    file.insert(file.end(), bytes.begin(), bytes.begin() + static_cast<long>(size));
    previous = static_cast<int32_t>(size);
    return size;
}

// Polls until done() holds or the time is up; returns done().
template <typename F>
bool WaitUntil(F done, std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return done();
}

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarvisk-files-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes, size_t count) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(count));
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

struct UiCall {
    std::string what, text, caption;
};

class RecordingUi : public FileUi {
  public:
    std::string answer;  // what the file dialog returns
    std::vector<FileDialogRequest> dialogs;
    std::vector<UiCall> calls;
    std::string title;
    int32_t slider = -1;

    std::string AskFileName(const FileDialogRequest& r) override {
        dialogs.push_back(r);
        return answer;
    }
    void ShowWarning(std::string_view t, std::string_view c) override {
        calls.push_back({"warning", std::string(t), std::string(c)});
    }
    void ShowInformation(std::string_view t, std::string_view c) override {
        calls.push_back({"information", std::string(t), std::string(c)});
    }
    void SetWindowTitle(std::string_view t) override { title = t; }
    void SetMenuItemText(int32_t id, std::string_view t) override {
        calls.push_back({"menu" + std::to_string(id), std::string(t), {}});
    }
    void RefreshMenus() override {}
    void SetPlaybackSlider(int32_t p) override { slider = p; }
    void RedrawReverseControl() override {}
    void MarkPanelForRedraw() override {}
    void RedrawGpsReadout() override {}
    void ClearSonarImage() override { calls.push_back({"clear", {}, {}}); }
    std::string LastMenuText(int32_t id) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->what == "menu" + std::to_string(id))
                return it->text;
        return {};
    }
    int Count(const std::string& what) const {
        int n = 0;
        for (const UiCall& c : calls)
            n += c.what == what;
        return n;
    }
};

// Takes every played reply as accepted and notes which record it came from.
class ShotLog : public PlaybackHooks {
  public:
    explicit ShotLog(const ReplyBuffer& reply) : reply_(reply) {}
    std::vector<int> shown;
    int seeds = 0, clears = 0;
    bool ProcessPlayedShot() override {
        shown.push_back(reply_.bytes[11]);
        return true;
    }
    void SeedLineHistory() override { ++seeds; }
    void ClearImageAndHistory() override { ++clears; }

  private:
    const ReplyBuffer& reply_;
};

}  // namespace tarvisk::test
