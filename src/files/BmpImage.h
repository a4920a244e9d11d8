#pragma once
/// \brief BMP file images as the core handles them: a structural check of a complete BMP file image
/// (so that a map picture can be trusted before anything is drawn from it) and a writer of plain
/// bottom-up 24-bit images.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plotra {

/// Size of the file header plus the smallest accepted information header.
inline constexpr std::size_t kBmpMinHeaderBytes = 14 + 40;

/// \brief The facts of a BMP file image that the checks rely on.
struct BmpInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t infoSize = 0;
};

/// Checks that \p image is a complete, uncompressed BMP file image: "BM", an information header of
/// at least 40 bytes, width and height above 0 (bottom-up rows), one plane, 1/4/8/16/24/32 bits per
/// pixel, no compression (or bit fields for 16 and 32 bits), and pixel rows that lie wholly inside
/// the image. nullopt when any of this fails.
std::optional<BmpInfo> CheckBmpImage(std::span<const std::uint8_t> image);

/// Bytes of one pixel row of a BMP: rows are padded to a multiple of 4 bytes.
inline std::uint64_t BmpRowBytes(std::uint64_t width, unsigned bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

/// A bottom-up 24-bit BMP file image of \p width x \p height pixels. \p rgb holds the pixels row by
/// row from the top, three bytes (red, green, blue) each; it must hold width * height * 3 bytes.
/// Resolution fields are 3780 pixels per metre (96 dpi).
std::vector<std::uint8_t> EncodeBmp24(int width, int height, std::span<const std::uint8_t> rgb);

} // namespace plotra
