// tarvisk-tool ksd xyz: a recording turned into the XYZ file a scan writes.

#include <fstream>
#include <iostream>
#include <ostream>
#include <string>

#include "tools/tool/ksd_xyz.h"

#include "files/record_writer.h"
#include "files/xyz_reprocess.h"
#include "tools/tool/progress.h"

namespace tarvisk {

namespace {
constexpr int XyzFailure = 1;
constexpr int XyzUsage = 2;
}  // namespace

int RunKsdXyz(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    XyzReprocessRequest request;
    std::string outPath, form;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--form" && hasValue) {
            form = args[++i];
        } else if (a == "--out" && hasValue) {
            outPath = args[++i];
        } else if (a == "--ini" && hasValue) {
            request.iniPath = args[++i];
        } else if (a.find('=') != std::string_view::npos && !a.starts_with("--")) {
            const size_t eq = a.find('=');
            request.overrides.emplace_back(std::string(a.substr(0, eq)),
                                           std::string(a.substr(eq + 1)));
        } else if (request.ksdPath.empty() && !a.starts_with("--")) {
            request.ksdPath = a;
        } else {
            err << "tarvisk-tool ksd xyz: unexpected argument " << a << "\n";
            return XyzUsage;
        }
    }
    if (form == "vertical")
        request.form = XyzForm::Vertical;
    else if (form == "horizontal")
        request.form = XyzForm::Horizontal;
    else if (form == "azimuth")
        request.form = XyzForm::Azimuth;
    else {
        err << "tarvisk-tool ksd xyz: --form vertical|horizontal|azimuth is needed\n";
        return XyzUsage;
    }
    if (request.ksdPath.empty()) {
        err << "tarvisk-tool ksd xyz: no FILE\n";
        return XyzUsage;
    }

    // A device or a pipe would never end or never start.
    if (const std::string special = NonRegularFileText(request.ksdPath); !special.empty()) {
        err << "tarvisk-tool ksd xyz: " << special << "\n";
        return XyzFailure;
    }
    std::ofstream file;
    if (!outPath.empty()) {
        file.open(outPath, std::ios::binary | std::ios::trunc);
        if (!file) {
            err << "tarvisk-tool ksd xyz: cannot create " << outPath << "\n";
            return XyzFailure;
        }
    }
    std::ostream& sink = outPath.empty() ? out : static_cast<std::ostream&>(file);
    ToolProgress progress("ksd xyz " + request.ksdPath);
    const XyzReprocessResult result = ReprocessToXyz(
        request,
        [&](std::string_view text) {
            sink.write(text.data(), static_cast<std::streamsize>(text.size()));
            return static_cast<bool>(sink.flush());
        },
        [&](int64_t done, int64_t total) { progress.Update(done, total); });
    progress.Finish();
    if (!result.ok) {
        err << "tarvisk-tool ksd xyz: " << request.ksdPath << ": " << result.error << "\n";
        return result.usageError ? XyzUsage : XyzFailure;
    }
    if (!outPath.empty()) {
        file.close();
        if (!file) {
            err << "tarvisk-tool ksd xyz: cannot write " << outPath << "\n";
            return XyzFailure;
        }
        out << result.records << " records, " << result.written << " points written to " << outPath
            << " ("
            << (request.form == XyzForm::Azimuth ? std::to_string(result.blocks) + " blocks"
                                                 : std::string("1 file"))
            << ")\n";
    }
    return 0;
}

}  // namespace tarvisk
