#include "config/user_text_model.h"

namespace tarvisk {

std::string UserTextToStore(std::string_view typed) {
    size_t characters = 0;
    size_t end = 0;
    while (end < typed.size() && characters < UserTextDialogLength) {
        size_t next = end + 1;
        while (next < typed.size() && (static_cast<unsigned char>(typed[next]) & 0xC0) == 0x80)
            ++next;
        if (next > UserTextBufferSize - 1)
            break;
        end = next;
        ++characters;
    }
    return std::string(typed.substr(0, end));
}

void StoreUserText(SonarSettings& settings, std::string_view typed) {
    settings.UserText.Set(UserTextToStore(typed));
}

}  // namespace tarvisk
