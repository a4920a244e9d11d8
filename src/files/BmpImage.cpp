#include "files/BmpImage.h"

#include "model/Bytes.h"

namespace plotra {

std::optional<BmpInfo> CheckBmpImage(std::span<const std::uint8_t> image) {
    if (image.size() < kBmpMinHeaderBytes) return std::nullopt;
    const std::uint8_t* p = image.data();
    if (p[0] != 'B' || p[1] != 'M') return std::nullopt;
    BmpInfo info;
    info.pixelOffset = LoadU32(p + 10);
    info.infoSize = LoadU32(p + 14);
    // The 12-byte core header has 16-bit sizes at other offsets; width and height are read at
    // bytes 18 and 22, so only the 40-byte header and its extensions fit.
    if (info.infoSize < 40 || info.infoSize > image.size() - 14) return std::nullopt;
    info.width = LoadI32(p + 18);
    info.height = LoadI32(p + 22);
    const std::uint16_t planes = LoadU16(p + 26);
    info.bitCount = LoadU16(p + 28);
    info.compression = LoadU32(p + 30);
    if (info.width <= 0 || info.height <= 0 || planes != 1) return std::nullopt;
    switch (info.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (info.compression != 0) return std::nullopt;
        break;
    case 16:
    case 32:
        if (info.compression != 0 && info.compression != 3) return std::nullopt;
        break;
    default:
        return std::nullopt;
    }
    if (info.pixelOffset < 14 + info.infoSize || info.pixelOffset > image.size()) return std::nullopt;
    const std::uint64_t pixels = BmpRowBytes(static_cast<std::uint64_t>(info.width), info.bitCount) *
                                 static_cast<std::uint64_t>(info.height);
    if (pixels > image.size() - info.pixelOffset) return std::nullopt;
    return info;
}

std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> rgb) {
    if (width <= 0 || height <= 0) return {};
    const std::uint64_t row = BmpRowBytes(static_cast<std::uint64_t>(width), 24);
    const std::uint64_t w = static_cast<std::uint64_t>(width), h = static_cast<std::uint64_t>(height);
    if (rgb.size() < w * h * 3) return {};
    const std::uint64_t pixelBytes = row * h;
    const std::uint64_t fileSize = kBmpMinHeaderBytes + pixelBytes;
    if (fileSize > 0xFFFFFFFFull) return {};

    ByteWriter out;
    out.Buffer().reserve(static_cast<std::size_t>(fileSize));
    out.U8('B');
    out.U8('M');
    out.U32(static_cast<std::uint32_t>(fileSize));
    out.U16(0);
    out.U16(0);
    out.U32(static_cast<std::uint32_t>(kBmpMinHeaderBytes));
    out.U32(40);
    out.I32(width);
    out.I32(height); // positive: rows bottom-up
    out.U16(1);
    out.U16(24);
    out.U32(0); // no compression
    out.U32(static_cast<std::uint32_t>(pixelBytes));
    out.U32(3780); // 96 dpi
    out.U32(3780);
    out.U32(0);
    out.U32(0);
    std::vector<std::uint8_t>& buf = out.Buffer();
    for (std::uint64_t y = h; y-- > 0;) {
        const std::uint8_t* src = rgb.data() + y * w * 3;
        for (std::uint64_t x = 0; x < w; ++x) {
            buf.push_back(src[3 * x + 2]); // BMP pixels are blue, green, red
            buf.push_back(src[3 * x + 1]);
            buf.push_back(src[3 * x + 0]);
        }
        buf.insert(buf.end(), static_cast<std::size_t>(row - w * 3), 0);
    }
    return buf;
}

} // namespace plotra
