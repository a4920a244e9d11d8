#pragma once
/// \brief Windows BMP files of pictures: a 14-byte file header, a 40-byte information header and
/// uncompressed 24-bit rows stored bottom-up, each padded to a multiple of 4 bytes.

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t kBmpInfoHeaderSize = 40;

/// Offset of the pixels: 14 + header size + 4 x (2 to the power of the bit count, kept to 16 bits).
/// 24-bit pictures give 54 and 8-bit ones 1078; 16, 24 and 32 bits per pixel have no colour table.
std::uint32_t BmpPixelOffset(int bitCount, std::uint32_t headerSize = kBmpInfoHeaderSize);

/// Bytes of one stored row: width x bits rounded up to whole 32-bit words.
std::uint32_t BmpRowBytes(int width, int bitCount);

/// The complete BMP file image of \p picture as 24 bits per pixel; empty for a null picture.
std::vector<std::uint8_t> EncodeBmp24(const QImage& picture);

/// Writes the picture as a 24-bit BMP file (through a temporary file, so a failed write keeps any
/// previous file). Returns false when it cannot be written.
bool WriteBmpFile(const std::string& path, const QImage& picture);

/// The path a saved graph image gets: the chosen file name cut before its first "." (unless that dot
/// is the name's first character) with ".bmp" appended; the folders of the path are kept as chosen.
std::string SaveGraphImageName(const std::string& chosen);

/// The name proposed for a KML file: the title cut before its first "." unless the dot is first.
std::string TitleWithoutExtension(const std::string& title);

} // namespace plotra
