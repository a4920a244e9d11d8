#pragma once
/// \brief The arithmetic of turning a raster into a projection file's picture: how far a picture is
/// reduced to fit, the 24-bit BMP it is written into row by row, and the conversion of grey, colour,
/// paletted and transparent pixels to plain colour on a white background.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plotra {

/// Bytes of a bottom-up 24-bit BMP file image of \p width x \p height pixels.
std::uint64_t Bmp24FileBytes(std::uint64_t width, std::uint64_t height);

/// \brief The size a picture is written at.
struct PictureSize {
    int width = 0;
    int height = 0;
    bool reduced = false;
};

/// The largest size of the same shape (each side scaled by nearly the same factor, at least one
/// pixel) that holds at most \p maxPixels pixels (0: no limit) and whose 24-bit BMP takes at most
/// \p maxBmpBytes bytes; the picture's own size when it fits, 1 x 1 when nothing does. A side that
/// reaches one pixel first leaves the other side all the room there is.
PictureSize ReducedSize(int width, int height, std::uint64_t maxPixels, std::uint64_t maxBmpBytes);

/// \brief A 24-bit bottom-up BMP file image being filled row by row from the top, allocated once.
class Bmp24Canvas {
  public:
    /// nullopt when the size is not positive or the image would exceed \p maxBytes.
    static std::optional<Bmp24Canvas> Create(int width, int height, std::uint64_t maxBytes);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    /// The pixels of row \p y counted from the top: Width() triples of blue, green, red.
    std::uint8_t* Row(int y);
    /// The finished image; the canvas is empty afterwards.
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

  private:
    Bmp24Canvas() = default;
    int m_width = 0, m_height = 0;
    std::size_t m_rowBytes = 0;
    std::vector<std::uint8_t> m_bytes;
};

/// A colour over white with coverage \p alpha (0 transparent, 255 opaque), rounded to nearest.
inline std::uint8_t OnWhite(std::uint8_t value, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

/// Blue, green, red triples from planes of red, green and blue (the same plane three times for
/// grey) and an optional alpha plane, \p count pixels.
void PlanesToBgr(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                 const std::uint8_t* alpha, std::size_t count, std::uint8_t* bgr);

/// \brief One colour table entry: red, green, blue, alpha.
using PaletteEntry = std::array<std::uint8_t, 4>;

/// Blue, green, red triples from palette indices; an index outside the table is shown white.
void PaletteToBgr(const std::int32_t* index, std::span<const PaletteEntry> palette, const std::uint8_t* alpha,
                  std::size_t count, std::uint8_t* bgr);

/// Linear stretch of values onto 0..255 (\p low -> 0, \p high -> 255, clamped; NaN -> 255). For
/// rasters of more than 8 bits (elevation, 16-bit scans) shown as grey or colour.
void StretchToBytes(const double* values, std::size_t count, double low, double high, std::uint8_t* out);

} // namespace plotra
