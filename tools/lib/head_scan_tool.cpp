#include "tools/lib/head_scan_tool.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>

#include "config/head_id_models.h"
#include "head/acquisition_thread.h"
#include "head/expected_reply.h"
#include "head/reply_decode.h"
#include "head/switch_command.h"
#include "head/timed_send.h"
#include "platform/port_access.h"

namespace tarvisk {

const std::string_view HeadToolHelp =
    "usage: tarvisk-tool head scan --port PATH\n"
    "       tarvisk-tool head program --port PATH --id N [--new-id M] [--serial S]\n"
    "                                 [--depth 1000|3000]\n"
    "\n"
    "scan     asks every device ID from 16 to 31 on the head line for its identification\n"
    "         block, one ID per second as the \"Scan For Connected Heads\" window does, and\n"
    "         prints for each ID that answers \"ID: n\", the block's fields as \"Name: value\"\n"
    "         lines (EPROM Revision, Serial Number, Sensor Type, XDCR Type, Depth Rating,\n"
    "         Gear Ratio, Sample Rate, Shot Count) and the sixteen \"nv_ram [ i ]\" rows of the\n"
    "         raw block. A full round takes about twenty seconds.\n"
    "program  sends the programming request of the \"Program Sonar Head\" dialog to the head\n"
    "         at ID N: its new ID (M, default N), serial number and depth rating in metres.\n"
    "         A serial number or depth rating not given is kept from the head's block. Then\n"
    "         the block is read back from the head's new ID and printed as above. A value\n"
    "         out of range is refused with the dialog's message before anything is sent.\n"
    "\n"
    "The line runs at 115200 baud, 8N1.\n"
    "Exit status: 0 success; 1 nothing answered (scan) or the head did not answer (program);\n"
    "2 a bad option, a value out of range or a port that cannot be opened.\n";

namespace {

struct ScanSeams : AcquisitionSeams {
    HeadLink* link = nullptr;
    HeadScanState state;
    bool wrapped = false;
    // Set one step after the wrap: the scan moves on from the last ID in the very pass that
    // asks it, so its answer comes while the next round has begun.
    std::atomic<bool> roundDone{false};
    void HeadScanStep() override {
        const int32_t before = link->ScanId;
        if (!tarvisk::HeadScanStep(*link, state))
            return;
        if (wrapped)
            roundDone = true;
        if (before == LastHeadId)
            wrapped = true;
    }
};

struct ScanShots : ShotHandler {
    HeadLink* link = nullptr;
    std::mutex mutex;
    std::map<int32_t, NvRam> found;
    void ProcessShot() override {
        if (CheckAndDecodeReply(*link) && link->Reply.bytes[1] == ReplyTypeHeadScan) {
            std::lock_guard lock(mutex);
            found[link->Reply.bytes[3]] = NvRamFromReply(link->Reply.bytes.data());
        }
        // As the window's pipeline does after an identification reply.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
};

// One head-scan command to the link's scan ID and its "T" reply, on an open port.
bool Exchange(HeadLink& link, SerialPort& port, TimedSend& sender) {
    link.Settings.ParametersChanged = 1;
    SendSwitchCommand(link, sender);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    const int32_t length = link.Expected.ExpectedReplyLength;
    while (std::chrono::steady_clock::now() < end) {
        SerialLineStatus status;
        if (!port.ReadStatus(status))
            return false;
        if (status.queued >= length) {
            int32_t got = 0;
            while (got < length) {
                const int64_t n =
                    port.Read(link.Reply.bytes.data() + got, static_cast<size_t>(length - got));
                if (n <= 0)
                    return false;
                got += static_cast<int32_t>(n);
            }
            return CheckAndDecodeReply(link) && link.Reply.bytes[1] == ReplyTypeHeadScan;
        }
        port.WaitReadable(20);
    }
    return false;
}

}  // namespace

std::string IdentificationText(int32_t headId, NvRam nv) {
    std::string out = "ID: " + std::to_string(headId) + "\n";
    for (const auto& [name, value] : IdentificationFields(nv))
        out += name + ": " + value + "\n";
    for (int32_t row = 0; row < 16; ++row) {
        out += NvRamLabel(row) + ":";
        for (int32_t col = 0; col < 4; ++col)
            out += " " + NvRamByteText(nv[static_cast<size_t>(row + 16 * col)]);
        out += "\n";
    }
    return out;
}

bool ScanHeads(const std::string& devicePath, std::map<int32_t, NvRam>& found, std::string* error,
               LocalClock* clock) {
    SonarSettings settings;
    settings.EnableOrientationModule = 0;
    HeadLink link(settings);
    ScanShots shots;
    shots.link = &link;
    ScanSeams seams;
    seams.link = &link;
    LinkStatusView view;
    AcquisitionThread thread(link, shots, view, seams);
    thread.SetClock(clock);
    StartHeadScan(link, seams.state);
    if (!thread.OpenHeadPort(0, devicePath) || !thread.StartAcquisition(5)) {
        *error = "cannot open " + devicePath + ": " + PortProblemReason(thread.LastOpenProblem());
        return false;
    }
    // Sixteen IDs at a clock second or a little more each.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!seams.roundDone.load() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    thread.StopAcquisition();
    std::lock_guard lock(shots.mutex);
    found = shots.found;
    return true;
}

namespace {

int RunScan(ToolArgs args, std::ostream& out, std::ostream& err, LocalClock* clock) {
    std::string port;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--port" && i + 1 < args.size()) {
            port = std::string(args[++i]);
        } else {
            err << "tarvisk-tool head scan: unexpected argument " << args[i] << "\n";
            return ToolUsageError;
        }
    }
    if (port.empty()) {
        err << "tarvisk-tool head scan: --port PATH is needed\n";
        return ToolUsageError;
    }
    std::map<int32_t, NvRam> found;
    std::string error;
    if (!ScanHeads(port, found, &error, clock)) {
        err << "tarvisk-tool head scan: " << error << "\n";
        return ToolUsageError;
    }
    if (found.empty()) {
        err << "tarvisk-tool head scan: no device answered on IDs 16 to 31\n";
        return ToolReplyRejected;
    }
    bool first = true;
    for (const auto& [id, nv] : found) {
        out << (first ? "" : "\n") << IdentificationText(id, nv);
        first = false;
    }
    return ToolOk;
}

int RunProgram(ToolArgs args, std::ostream& out, std::ostream& err) {
    std::string port;
    int32_t id = -1, newId = -1, serial = -1, depth = -1;
    std::string serialText;
    auto refuse = [&](const char* message) {
        err << "tarvisk-tool head program: " << message << "\n";
        return ToolUsageError;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--port" && hasValue) {
            port = std::string(args[++i]);
        } else if (a == "--id" && hasValue) {
            if (!ParseWholeNumber(args[++i], id))
                return refuse(HeadIdWarning);
        } else if (a == "--new-id" && hasValue) {
            if (!ParseWholeNumber(args[++i], newId))
                return refuse(HeadIdWarning);
        } else if (a == "--serial" && hasValue) {
            serialText = std::string(args[++i]);
        } else if (a == "--depth" && hasValue) {
            if (!ParseWholeNumber(args[++i], depth) || (depth != 1000 && depth != 3000))
                return refuse(DepthRatingWarning);
        } else {
            err << "tarvisk-tool head program: unexpected argument " << a << "\n";
            return ToolUsageError;
        }
    }
    if (port.empty() || id < 0) {
        err << "tarvisk-tool head program: --port PATH and --id N are needed\n";
        return ToolUsageError;
    }
    if (newId < 0)
        newId = id;
    if (!HeadIdItem(id) || !HeadIdItem(newId))
        return refuse(HeadIdWarning);
    ProgramHeadChoice choice;
    std::string warning;
    if (!serialText.empty() &&
        !ChooseProgramHead(HeadIdItem(newId), serialText, 0, choice, &warning))
        return refuse(warning.c_str());

    SonarSettings settings;
    settings.EnableOrientationModule = 0;
    settings.MasterHeadID = id;
    HeadLink link(settings);
    SerialPort serialPort;
    if (!serialPort.Open(port, 115200)) {
        err << "tarvisk-tool head program: cannot open " << port << ": "
            << PortProblemReason(serialPort.LastOpenProblem()) << "\n";
        return ToolUsageError;
    }
    TimedSend sender(serialPort, settings);
    link.HeadScanActive = 1;
    link.ScanId = id;
    // What the head holds now fills in what was not given.
    // A busy line may lose one answer; a head that is there answers one of three asks.
    auto ask = [&] {
        for (int attempt = 0; attempt < 3; ++attempt)
            if (Exchange(link, serialPort, sender))
                return true;
        return false;
    };
    if (!ask()) {
        err << "tarvisk-tool head program: no answer from ID " << id << "\n";
        return ToolReplyRejected;
    }
    const NvRam before = NvRamFromReply(link.Reply.bytes.data());
    if (serialText.empty())
        serialText = SerialNumberText(before[7] * 128 + (before[6] & 0x7F));
    const int32_t depthItem = depth < 0 ? (before[10] <= 1 ? before[10] : 0) : depth == 3000;
    if (!ChooseProgramHead(HeadIdItem(newId), serialText, depthItem, choice, &warning))
        return refuse(warning.c_str());
    serial = choice.serialNumber;
    link.NewHeadId = choice.id.newId;
    link.NvRamSerialNumber = serial;
    link.NvRamDepthRating = choice.depthRating;
    link.HeadIdChangeRequest = choice.id.request ? 1 : 0;
    link.NvRamWriteRequest = choice.programRequest ? 1 : 0;
    link.ScanId = id;
    Exchange(link, serialPort, sender);  // the head answers the write with its old block
    link.ScanId = newId;
    if (!ask()) {
        err << "tarvisk-tool head program: no answer from ID " << newId << " after programming\n";
        return ToolReplyRejected;
    }
    out << IdentificationText(link.Reply.bytes[3], NvRamFromReply(link.Reply.bytes.data()));
    return ToolOk;
}

}  // namespace

int RunHeadTool(ToolArgs args, std::ostream& out, std::ostream& err, LocalClock* clock) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? err : out) << HeadToolHelp;
        return args.empty() ? ToolUsageError : ToolOk;
    }
    for (std::string_view a : args)
        if (a == "--help" || a == "-h") {
            out << HeadToolHelp;
            return ToolOk;
        }
    if (args[0] == "scan")
        return RunScan(args.subspan(1), out, err, clock);
    if (args[0] == "program")
        return RunProgram(args.subspan(1), out, err);
    err << "tarvisk-tool head: unknown subcommand " << args[0] << "\n" << HeadToolHelp;
    return ToolUsageError;
}

}  // namespace tarvisk
