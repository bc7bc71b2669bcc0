// Any bytes as a .CFG file: the reader must neither crash nor read out of bounds, every row it
// accepts is within the limits, and the table it gives survives a write and a second read.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "config/user_config.h"

using namespace tarvisk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UserConfig config;
    if (!ParseConfigBytes(data, size, config))
        return 0;
    for (const ConfigRow& r : config.ConfigEdit) {
        if (r.frequency < MinConfigFrequency || r.frequency > MaxConfigFrequency ||
            r.frequency % 5 != 0 || r.absorption < MinConfigAbsorption ||
            r.absorption > MaxConfigAbsorption || r.pulseLength < MinConfigPulse ||
            r.pulseLength > MaxConfigPulse || r.pulseLength % 10 != 0)
            std::abort();
    }
    const auto bytes = ConfigFileBytes(config, config.ConfigEdit);
    UserConfig again;
    if (!ParseConfigBytes(bytes.data(), bytes.size(), again))
        std::abort();
    for (int32_t k = 0; k < ConfigRowCount; ++k) {
        const ConfigRow& a = config.ConfigEdit[k];
        const ConfigRow& b = again.ConfigEdit[k];
        if (a.frequency != b.frequency || a.absorption != b.absorption ||
            a.pulseLength != b.pulseLength)
            std::abort();
    }
    return 0;
}
