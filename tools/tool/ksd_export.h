#pragma once
// tarvisk-tool ksd csv | geotiff | points: a recording's shots, sweeps and profile points out
// to spreadsheets and GIS.

#include <iosfwd>
#include <span>
#include <string_view>

namespace tarvisk {

int RunKsdCsv(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int RunKsdGeotiff(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int RunKsdPoints(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace tarvisk
