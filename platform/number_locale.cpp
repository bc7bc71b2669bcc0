#include "platform/number_locale.h"

#include <clocale>

namespace tarvisk {

void UsePointAsDecimalMark() {
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace tarvisk
