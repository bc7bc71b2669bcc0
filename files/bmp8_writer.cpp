#include "files/bmp8_writer.h"

#include <unistd.h>

#include <vector>

#include "platform/named_file.h"

namespace tarvisk {

namespace {
void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

bool WriteBmp8(const std::string& path, std::span<const uint8_t> pixels, int32_t width,
               int32_t height, const ColourTable& colours) {
    if (width <= 0 || height <= 0 ||
        pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    const uint32_t stride = (static_cast<uint32_t>(width) + 3u) & ~3u;
    const uint32_t dataOffset = 14 + 40 + 256 * 4;
    const uint32_t dataSize = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.reserve(dataOffset + dataSize);
    out.push_back('B');
    out.push_back('M');
    Put32(out, dataOffset + dataSize);
    Put32(out, 0);
    Put32(out, dataOffset);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));  // positive: rows bottom-up
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);  // no compression
    Put32(out, dataSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, 256);
    Put32(out, 256);
    for (const Rgb& c : colours) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int32_t y = height - 1; y >= 0; --y) {
        const uint8_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
        out.insert(out.end(), row, row + width);
        out.insert(out.end(), stride - static_cast<uint32_t>(width), 0);
    }
    const int fd = OpenFileForWriting(path, FileCreation::Replace, nullptr);
    if (fd < 0)
        return false;
    if (WriteAllAndClose(fd, out.data(), out.size()))
        return true;
    ::unlink(path.c_str());  // a cut picture must not pass for a frame
    return false;
}

}  // namespace tarvisk
