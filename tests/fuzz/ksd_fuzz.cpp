// Any bytes as a .KSD file: the record reader and the playback step (forward, backward, after
// a slider seek) must neither crash, hang nor read out of bounds. The first byte steers the
// seek and the reverse switch; the rest is the file.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "files/headless_playback.h"
#include "files/ksd_info.h"

using namespace tarvisk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static auto system = std::make_unique<HeadlessPlayback>();
    static int fd = memfd_create("ksd-fuzz", 0);
    const uint8_t control = data[0];
    if (ftruncate(fd, 0) != 0 ||
        pwrite(fd, data + 1, size - 1, 0) != static_cast<ssize_t>(size - 1))
        return 0;
    const std::string real = "/proc/self/fd/" + std::to_string(fd);

    // The header and body decoders on the raw bytes.
    if (size - 1 >= RecordHeaderSize &&
        CheckRecordHeader(std::span<const uint8_t>(data + 1, size - 1)) == HeaderCheck::Ok) {
        const RecordHeader header =
            DecodeRecordHeader(std::span<const uint8_t>(data + 1, size - 1));
        ReplyBuffer reply;
        DecodeRecordBody(header, std::span<const uint8_t>(data + 1, size - 1), reply);
    }
    SummarizeKsdFile(real);

    Player& player = system->commands.Player();
    system->settings.RunMode = 1;
    if (!player.Open(real))
        return 0;
    // Enough steps to go round a small file more than once in both directions.
    const int steps = 2 * static_cast<int>((size - 1) / 128) + 8;
    for (int i = 0; i < steps; ++i) {
        player.Step();
        if (i == 1 && (control & 1))
            player.SetReverse(true);
        if (i == steps / 2 && (control & 2))
            player.Seek(1 + (control >> 2) % 99);
    }
    player.SetReverse(false);
    player.Close();
    return 0;
}
