#pragma once
/// \brief World files: the six-line text beside a picture (.pgw, .jgw, .tfw, .wld, ...) that places
/// it in a coordinate system, and the names under which one is looked for.
///
/// The six values, one a line: A (X size of a pixel), D (rotation), B (rotation), E (Y size of a
/// pixel, negative for north-up pictures), C and F (X and Y of the centre of the top-left pixel).
/// The centre is what differs from a raster geotransform, which starts at the pixel's corner.

#include "georef/GeoAffine.h"

#include <string>
#include <string_view>
#include <vector>

namespace plotra {

/// World files are a few dozen bytes; anything longer than this is not one.
inline constexpr std::size_t kMaxWorldFileBytes = 64 * 1024;

/// \brief A parsed world file: the geotransform (corner convention) or why it is refused.
struct WorldFileResult {
    bool ok = false;
    GeoTransform transform{};
    std::string error; ///< e.g. "line 3 is not a number"
};

/// Parses world file text: six decimal numbers, one a line (spaces around them, CR LF line ends and
/// blank lines after the sixth are accepted). Refused: fewer or more values, a line that is not a
/// number, values that are not finite, and pixel axes that span no area (zero pixel size).
WorldFileResult ParseWorldFile(std::string_view text);

/// The geotransform of world file values A, D, B, E, C, F: the top-left corner lies half a pixel up
/// and left of the top-left pixel's centre.
GeoTransform GeoTransformFromWorldFile(double A, double D, double B, double E, double C, double F);

/// The six world file lines (A, D, B, E, C, F with 17 significant digits) of a geotransform.
std::string WorldFileText(const GeoTransform& t);

/// Names a world file of the picture at \p path may have, in the order they are tried: the
/// extension's first and last letter followed by "w" (map.png -> map.pgw, map.tiff -> map.tfw),
/// the extension followed by "w" (map.pngw), then ".wld"; each in lower and upper case.
std::vector<std::string> WorldFileCandidates(const std::string& path);

/// Names of the coordinate system file beside the picture: ".prj" in lower and upper case.
std::vector<std::string> PrjFileCandidates(const std::string& path);

/// Parses one decimal number that fills the whole of \p text apart from surrounding blanks
/// (locale independent; "1e3", "-0.5", "+2" accepted; "1,5", "0x10", "nan", "" refused).
std::optional<double> ParseNumber(std::string_view text);

} // namespace plotra
