#include "mapview/BitmapFile.h"

#include "files/FileIo.h"
#include "model/Bytes.h"

namespace plotra {

std::uint32_t BmpPixelOffset(int bitCount, std::uint32_t headerSize) {
    // The colour table term is computed in 16 bits as the file format's writers do, so every depth
    // above 15 bits per pixel has none.
    const std::uint64_t entries = bitCount >= 0 && bitCount < 64 ? (std::uint64_t{1} << bitCount) : 0;
    const std::uint16_t kept = static_cast<std::uint16_t>(entries & 0xFFFFu);
    return kBmpFileHeaderSize + headerSize + 4u * kept;
}

std::uint32_t BmpRowBytes(int width, int bitCount) {
    const std::uint64_t bits =
        static_cast<std::uint64_t>(width < 0 ? 0 : width) * static_cast<std::uint64_t>(bitCount);
    return static_cast<std::uint32_t>(((bits + 31) / 32) * 4);
}

std::vector<std::uint8_t> EncodeBmp24(const QImage& picture) {
    if (picture.isNull()) return {};
    const QImage image =
        picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    const int width = image.width(), height = image.height();
    const std::uint32_t rowBytes = BmpRowBytes(width, 24);
    const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(height);
    const std::uint32_t offset = BmpPixelOffset(24);
    std::vector<std::uint8_t> out(offset + imageSize, 0);
    std::uint8_t* p = out.data();
    // File header.
    p[0] = 'B';
    p[1] = 'M';
    StoreU32(p + 2, static_cast<std::uint32_t>(out.size()));
    StoreU16(p + 6, 0);
    StoreU16(p + 8, 0);
    StoreU32(p + 10, offset);
    // Information header.
    std::uint8_t* h = p + kBmpFileHeaderSize;
    StoreU32(h + 0, kBmpInfoHeaderSize);
    StoreU32(h + 4, static_cast<std::uint32_t>(width));
    StoreU32(h + 8, static_cast<std::uint32_t>(height)); // positive: rows bottom-up
    StoreU16(h + 12, 1);                                 // planes
    StoreU16(h + 14, 24);                                // bits per pixel
    StoreU32(h + 16, 0);                                 // uncompressed
    StoreU32(h + 20, imageSize);
    StoreU32(h + 24, 3780); // 96 dots per inch, as the picture object assumes
    StoreU32(h + 28, 3780);
    StoreU32(h + 32, 0);
    StoreU32(h + 36, 0);
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(height - 1 - y));
        std::uint8_t* row = p + offset + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(qBlue(line[x]));
            row[3 * x + 1] = static_cast<std::uint8_t>(qGreen(line[x]));
            row[3 * x + 2] = static_cast<std::uint8_t>(qRed(line[x]));
        }
    }
    return out;
}

bool WriteBmpFile(const std::string& path, const QImage& picture) {
    const auto bytes = EncodeBmp24(picture);
    if (bytes.empty()) return false;
    return WriteFileAtomically(path, bytes);
}

std::string TitleWithoutExtension(const std::string& title) {
    const auto dot = title.find('.');
    if (dot == std::string::npos || dot == 0) return title;
    return title.substr(0, dot);
}

std::string SaveGraphImageName(const std::string& chosen) {
    // The rule applies to the file name only: a dot in a folder name must not move the file into
    // another folder.
    const auto slash = chosen.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return chosen.substr(0, nameStart) + TitleWithoutExtension(chosen.substr(nameStart)) + ".bmp";
}

} // namespace plotra
