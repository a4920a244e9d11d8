#pragma once
/// \brief Layout of projection files (.hpf): a geo-coded map picture, Huffman coded, with the affine
/// transformation between latitude/longitude and picture pixels.
///
/// Offset  Width        Content
///   0     4            not interpreted (written as 0)
///   4     uint32       magic 0x48504620
///   8     4            not interpreted (written as 0)
///  12     uint8        file type, 0 or 1
///  13     double[16]   coefficients c0..c15; pixel column = c0*lat + c1*lon + c3,
///                      pixel row (downward) = c4*lat + c5*lon + c7; the others are only carried
/// 141     4            not interpreted (written as 0)
/// 145     uint32       Nc, bytes of the coded picture
/// 149     uint32       Ni, bytes of the decoded picture (a complete BMP file image)
/// 153     uint32[256]  symbol counts of the code
/// 1177    Nc bytes     the coded picture, code bits least significant bit first

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace plotra {

inline constexpr std::uint32_t kProjectionMagic = 0x48504620;
inline constexpr std::size_t kProjectionTypeOffset = 12;
inline constexpr std::size_t kProjectionCoefficientsOffset = 13;
inline constexpr std::size_t kProjectionSizesOffset = 145;
inline constexpr std::size_t kProjectionCountsOffset = 153;
inline constexpr std::size_t kProjectionDataOffset = 1177;
/// Largest decoded map picture accepted (512 MiB); larger claims are refused before any allocation.
inline constexpr std::uint32_t kMaxMapImageBytes = 512u << 20;

/// \brief The fixed part of a projection file.
struct ProjectionHeader {
    std::uint8_t type = 0;
    std::array<double, 16> coefficients{};
    std::uint32_t compressedSize = 0; ///< Nc
    std::uint32_t imageSize = 0;      ///< Ni
    std::array<std::uint32_t, 256> counts{};
};

/// True when the file carries the projection magic at byte 4.
bool HasProjectionMagic(std::span<const std::uint8_t> file);
/// The fixed part of a projection file; nullopt when the file is shorter than it. Nothing is checked
/// beyond the length.
std::optional<ProjectionHeader> ParseProjectionHeader(std::span<const std::uint8_t> file);

} // namespace plotra
