#pragma once
// A warning a dialog model asks its view to show, in the order given.

#include <string>
#include <vector>

namespace tarvisk {

struct DialogMessage {
    std::string title;
    std::string text;
};
using DialogMessages = std::vector<DialogMessage>;

}  // namespace tarvisk
