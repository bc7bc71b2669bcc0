// Any bytes as a .KSD file through the exports' own reading: the buffered record walk, the
// GPS text and time stamp decoding, the CSV rows (with samples) and the GPS track. Nothing
// may crash, hang or read out of bounds, and every row must keep its columns.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "export/csv_export.h"
#include "export/gps_track.h"

using namespace tarvisk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int in = memfd_create("ksd-export-in", 0);
    static int out = memfd_create("ksd-export-out", 0);
    if (ftruncate(in, 0) != 0 || pwrite(in, data, size, 0) != static_cast<ssize_t>(size))
        return 0;
    const std::string file = "/proc/self/fd/" + std::to_string(in);
    const std::string csv = "/proc/self/fd/" + std::to_string(out);
    ExportCsv({file, csv, true});
    GpsTrack track;
    if (track.Read(file, nullptr) && !track.Fixes().empty())
        track.At(track.Fixes().front().seconds);
    // Fields of the GPS text on their own, as damaged records hold them.
    if (size >= 25) {
        std::array<char, 25> text{};
        std::copy(data, data + 24, text.begin());
        GeoPosition p;
        PositionFromText(text, p);
    }
    return 0;
}
