// Any bytes from a GPS port: line assembly and the GGA and GLL parsers must neither crash nor
// write outside their buffers, and the kept texts stay terminated and printable.
//
// The bytes go in three ways under both sentence types: as they are, with every LF made CR LF
// (capture files store LF only), and each line straight to both parsers.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "head/gps_input.h"
#include "head/gps_parser.h"

using namespace tarvisk;

namespace {

void Check(const GpsFields& f) {
    if (f.PositionText[GpsPositionTextSize] != '\0')
        std::abort();
    for (size_t i = 0; i < GpsPositionTextSize; ++i)
        if (f.PositionText[i] < 0x20 || f.PositionText[i] > 0x7E)
            std::abort();
    bool terminated = false;
    for (char c : f.UtcTimeText)
        terminated = terminated || c == '\0';
    if (!terminated)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string withCr;
    withCr.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            withCr += '\r';
        withCr += static_cast<char>(data[i]);
    }
    for (int type : {0, 1}) {
        SonarSettings settings;
        settings.GPSType = type;
        GpsState state;
        GpsView view;
        GpsSentenceReader reader(settings, state, view);
        reader.Feed(data, size);
        reader.Feed(reinterpret_cast<const uint8_t*>(withCr.data()), withCr.size());
        if (reader.LinePosition() > NmeaLineAssembler::MaxLine + 1)
            std::abort();
        Check(state.Fields);
    }
    GpsFields fields;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        const std::string_view line = all.substr(start, end - start);
        ParseGga(line, fields);
        Check(fields);
        ParseGll(line, fields);
        Check(fields);
        start = end + 1;
    }
    return 0;
}
