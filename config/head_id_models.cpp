#include "config/head_id_models.h"

#include <cctype>
#include <cstdio>

namespace tarvisk {

std::optional<int32_t> HeadIdItem(int32_t headId) {
    if (headId < 16 || headId > 31)
        return std::nullopt;
    return headId - 16;
}

std::string HeadIdItemText(int32_t item) {
    return std::to_string(item + 1);
}

HeadIdChoice ChooseNewHeadId(std::optional<int32_t> item) {
    HeadIdChoice c;
    if (item && *item >= 0 && *item <= 15) {
        c.request = true;
        c.newId = *item + 16;
    }
    return c;
}

bool ChooseProgramHead(std::optional<int32_t> idItem, std::string_view serialText,
                       std::optional<int32_t> depthItem, ProgramHeadChoice& out,
                       std::string* warning) {
    // Blanks around the number are forgiven; anything else is not a serial number.
    size_t b = 0, e = serialText.size();
    while (b < e && std::isspace(static_cast<unsigned char>(serialText[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(serialText[e - 1])))
        --e;
    const std::string_view digits = serialText.substr(b, e - b);
    bool ok = !digits.empty() && digits.size() <= 4;
    int32_t serial = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            ok = false;
            break;
        }
        serial = serial * 10 + (c - '0');
    }
    if (!ok) {
        if (warning)
            *warning = SerialNumberWarning;
        return false;
    }
    out = {};
    out.id = ChooseNewHeadId(idItem);
    out.serialNumber = serial;
    const bool depthChosen = depthItem && (*depthItem == 0 || *depthItem == 1);
    if (depthChosen)
        out.depthRating = *depthItem;
    out.programRequest = out.id.request && depthChosen;
    return true;
}

std::string SerialNumberText(int32_t serialNumber) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", serialNumber);
    return text;
}

}  // namespace tarvisk
