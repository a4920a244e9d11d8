#pragma once
/// \brief One raster picture (the geo-coded map, or a BMP passed through a file) that draws itself
/// into a painter, whole or in part.

#include "model/Interfaces.h"

#include <QImage>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QPainter;

namespace plotra {

/// \brief A decoded picture together with the file bytes it came from. Failures are reported
/// through the prompts given at construction (caption "CPicture Error") and return false.
///
/// Size: m_nWidth/m_nHeight are the decoded image's pixel size. A picture loader that keeps the size
/// in hundredths of a millimetre at 96 dpi gives the same numbers back for sizes like 96 x 48; we do
/// not make that round trip, because its truncation loses a pixel for many other sizes (1000 px
/// would come back as 999).
class CPicture {
  public:
    explicit CPicture(UserPrompts* prompts = nullptr);
    virtual ~CPicture();
    CPicture(const CPicture&) = delete;
    CPicture& operator=(const CPicture&) = delete;

    /// Decodes a picture file image (BMP; PNG and JPEG work too) from memory.
    bool LoadFromBuffer(std::span<const std::uint8_t> data);
    /// Reads the whole file and decodes it.
    bool Load(const std::string& path);
    /// Draws the whole picture stretched into the rectangle.
    bool Render(QPainter& painter, int left, int top, int right, int bottom) const;
    /// Draws the part [start, end] of the width (from the left edge) and [lower, upper] of the height
    /// (from the bottom edge, 0 bottom, 1 top) into the rectangle. Nothing is drawn when the rectangle
    /// is less than one pixel wide.
    bool RenderPart(QPainter& painter, int left, int top, int right, int bottom, double start, double end,
                    double lower, double upper) const;
    /// Writes the picture in its own format: the very bytes it was loaded from.
    bool Save(const std::string& path) const;
    /// Drops the picture; it is empty afterwards.
    void Release();

    bool IsEmpty() const { return m_pPicture == nullptr; }
    /// The decoded image; null image when empty.
    const QImage& Image() const;

    int m_nWidth = 0;
    int m_nHeight = 0;

  private:
    void Error(const std::string& text) const;

    UserPrompts* m_pPrompts;
    std::unique_ptr<QImage> m_pPicture;
    std::vector<std::uint8_t> m_aSource; ///< the file image the picture was decoded from
};

} // namespace plotra
