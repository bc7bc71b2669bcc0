#pragma once
// 8-bit BMP files whose pixels are palette indexes, with the 256-entry colour table in the
// file: a picture a viewer shows in colour and a program reads back as the image's indexes.

#include <cstdint>
#include <span>
#include <string>

#include "imaging/colour_tables.h"

namespace tarvisk {

// Rows top-down in pixels (width × height). False when the file cannot be written whole.
bool WriteBmp8(const std::string& path, std::span<const uint8_t> pixels, int32_t width,
               int32_t height, const ColourTable& colours);

}  // namespace tarvisk
