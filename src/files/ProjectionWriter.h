#pragma once
/// \brief Writing projection files: the picture is coded with the static Huffman code built from its
/// own byte counts (the same tree the reader builds), code bits least significant bit first.

#include "files/HuffmanTree.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace plotra {

/// \brief What a projection file carries.
struct ProjectionImage {
    std::uint8_t type = 0;
    std::array<double, 16> coefficients{};
    std::vector<std::uint8_t> picture; ///< a complete BMP file image
};

/// How often each byte value occurs in \p data (at most 4 GiB - 1 bytes).
std::array<std::uint32_t, 256> CountBytes(std::span<const std::uint8_t> data);

/// Codes \p data with \p tree: each byte's code from the root down, first step in the lowest unused
/// bit; the last byte is padded with zero bits.
std::vector<std::uint8_t> HuffmanEncode(const CHuffmanTree& tree, std::span<const std::uint8_t> data);

/// The complete projection file image. Empty when the picture is larger than kMaxMapImageBytes.
std::vector<std::uint8_t> EncodeProjectionFile(const ProjectionImage& image);

/// Writes the projection file through a temporary file; false (any old file kept) on failure.
bool WriteProjectionFile(const std::string& path, const ProjectionImage& image);

} // namespace plotra
