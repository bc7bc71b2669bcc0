#include "tools/lib/gps_tool.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>

#include "head/gps_input.h"
#include "platform/named_file.h"
#include "platform/port_access.h"

namespace tarvisk {

const std::string_view GpsToolHelp =
    "usage: tarvisk-tool gps [--type GGA|GLL] --file FILE [--raw]\n"
    "       tarvisk-tool gps [--type GGA|GLL] --port PATH [--baud N] [--count N] [--seconds S]\n"
    "\n"
    "Feeds NMEA bytes through the same line assembly and sentence parser as the program's\n"
    "GPS input and prints one line per parsed sentence of the chosen type (default GGA):\n"
    "the 24-character position text in double quotes and, for GGA, the UTC time text, fix\n"
    "quality, satellites, HDOP, altitude and the value after the altitude, separated by\n"
    "single blanks. As in the program, only lines that start with \"$\" and end in CR LF\n"
    "are sentences, lines longer than 128 characters are dropped, no checksum is checked,\n"
    "and a coordinate shorter than usual leaves the characters of the previous position in\n"
    "the places it does not reach.\n"
    "\n"
    "  --file FILE  a receiver capture: one sentence per line; lines starting with \"#\" are\n"
    "               the capture's comments and skipped; each line is sent ending in CR LF as\n"
    "               the receiver sent it\n"
    "  --raw        send the file's bytes exactly as they are instead\n"
    "  --port PATH  a serial device (read only), 8N1 at --baud (default 4800), read every\n"
    "               100 ms until --count sentences were parsed or --seconds passed (default:\n"
    "               until interrupted)\n"
    "\n"
    "Exit status: 0 at least one sentence parsed, 1 none, 2 a bad option or an unreadable\n"
    "file or device.\n";

std::string GpsToolLine(bool gga, const GpsFields& f) {
    std::string out = "\"" + std::string(f.PositionText.data(), GpsPositionTextSize) + "\"";
    if (gga) {
        char text[160];
        std::snprintf(text, sizeof text, " %s %d %d %g %g %g", f.UtcTimeText.data(), f.FixQuality,
                      f.Satellites, static_cast<double>(f.Hdop), static_cast<double>(f.Altitude),
                      static_cast<double>(f.ThirdValue));
        out += text;
    }
    return out;
}

namespace {

struct Printer : GpsView {};

}  // namespace

int RunGpsTool(ToolArgs args, std::ostream& out, std::ostream& err) {
    std::string file, port;
    bool raw = false;
    int32_t type = 1;
    int32_t baud = 4800, count = -1, seconds = -1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            out << GpsToolHelp;
            return ToolOk;
        } else if (a == "--type" && hasValue) {
            const std::string_view t = args[++i];
            if (t != "GGA" && t != "GLL") {
                err << "tarvisk-tool gps: --type is GGA or GLL\n";
                return ToolUsageError;
            }
            type = t == "GGA" ? 1 : 0;
        } else if (a == "--file" && hasValue) {
            file = std::string(args[++i]);
        } else if (a == "--port" && hasValue) {
            port = std::string(args[++i]);
        } else if (a == "--raw") {
            raw = true;
        } else if ((a == "--baud" || a == "--count" || a == "--seconds") && hasValue) {
            int32_t& v = a == "--baud" ? baud : a == "--count" ? count : seconds;
            if (!ParseWholeNumber(args[++i], v)) {
                err << "tarvisk-tool gps: " << a << " needs a whole number\n";
                return ToolUsageError;
            }
        } else {
            err << "tarvisk-tool gps: unexpected argument " << a << "\n" << GpsToolHelp;
            return ToolUsageError;
        }
    }
    if (file.empty() == port.empty()) {
        err << "tarvisk-tool gps: give either --file FILE or --port PATH\n";
        return ToolUsageError;
    }

    SonarSettings settings;
    settings.GPSType = type;
    GpsState state;
    Printer view;
    GpsSentenceReader reader(settings, state, view);
    uint64_t printed = 0;
    reader.onParsed = [&](NmeaKind kind, const GpsFields& fields) {
        out << GpsToolLine(kind == NmeaKind::Gga, fields) << '\n';
        ++printed;
    };
    auto feed = [&](const std::string& bytes) {
        // In reads of at most 128 bytes, as the thread reads the port.
        for (size_t at = 0; at < bytes.size(); at += 128)
            reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()) + at,
                        std::min<size_t>(128, bytes.size() - at));
    };

    if (!file.empty()) {
        // A capture is a file: a FIFO or a device is refused, not waited on (--port reads a
        // receiver).
        std::string bytes, why;
        if (!ReadRegularFile(file, size_t{256} << 20, &bytes, &why)) {
            err << "tarvisk-tool gps: " << why << "\n";
            return ToolUsageError;
        }
        if (raw) {
            feed(bytes);
        } else {
            std::istringstream in(bytes);
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (!line.empty() && line[0] == '#')
                    continue;
                feed(line + "\r\n");
            }
        }
        return printed > 0 ? ToolOk : ToolReplyRejected;
    }

    SerialPort serial;
    if (!serial.Open(port, baud, true)) {
        err << "tarvisk-tool gps: cannot open " << port << " at " << baud
            << " baud: " << PortProblemReason(serial.LastOpenProblem()) << "\n";
        return ToolUsageError;
    }
    serial.PurgeInput();
    const auto start = std::chrono::steady_clock::now();
    std::array<uint8_t, 128> buffer{};
    while (count < 0 || static_cast<int64_t>(printed) < count) {
        if (seconds >= 0 &&
            std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds))
            break;
        serial.WaitReadable(100);
        const int64_t n = serial.Read(buffer.data(), buffer.size());
        if (n < 0) {
            err << "tarvisk-tool gps: " << port << " went away\n";
            break;
        }
        if (n > 0)
            reader.Feed(buffer.data(), static_cast<size_t>(n));
        out.flush();
    }
    return printed > 0 ? ToolOk : ToolReplyRejected;
}

}  // namespace tarvisk
