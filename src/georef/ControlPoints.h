#pragma once
/// \brief Maps from pictures without georeference (floor plans, scans): three or more control points
/// (a pixel position and the latitude/longitude it shows) give the affine transformation by least
/// squares, with a residual for every point.

#include "georef/GeoAffine.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

/// More control points add nothing a surveyor could measure; the duplicate check is quadratic.
inline constexpr std::size_t kMaxControlPoints = 1000;

/// Parses "COLUMN,ROW,LATITUDE,LONGITUDE" (four decimal numbers, blanks around them allowed);
/// nullopt for anything else.
std::optional<ControlPoint> ParseControlPoint(std::string_view text);

/// \brief The transformation through a set of control points, or why they cannot give one.
struct ControlPointFit {
    bool ok = false;
    std::string error;              ///< the refusal, a complete sentence
    MapAffine affine;               ///< when ok
    std::vector<double> residuals;  ///< pixels, one per point, in the order given
    std::vector<std::string> notes; ///< e.g. a point outside the picture
};

/// Fits the transformation through \p points on a \p width x \p height picture. Refused: fewer than
/// three points, a position that is not finite or outside -90..90 / -180..180, two points at the
/// same pixel (less than half a pixel apart) or the same place (less than a centimetre apart),
/// and points on one line in the picture or on the ground (their spread across the line is below a
/// thousandth of their spread along it). Three points give the exact transformation through them;
/// more give the least-squares one.
ControlPointFit FitControlPoints(std::span<const ControlPoint> points, double width, double height);

} // namespace plotra
