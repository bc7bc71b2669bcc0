#pragma once
// tarvisk-tool ksd xyz FILE --form vertical|horizontal|azimuth [--out FILE.XYZ] [--ini FILE]
// [Key=Value ...]

#include <iosfwd>
#include <span>
#include <string_view>

namespace tarvisk {

int RunKsdXyz(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace tarvisk
