#pragma once
/// \brief The affine transformation of a map between latitude/longitude and picture pixels, the
/// raster geotransform it usually comes from, and least-squares fitting with residuals.
///
/// Pixel positions use the corner convention throughout: (0, 0) is the top-left corner of the
/// picture, (W, H) its bottom-right corner and (0.5, 0.5) the centre of the top-left pixel. Rows
/// count downward. A projection file's transformation uses the same convention.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace plotra {

/// \brief column = a*lat + b*lon + c, row = d*lat + e*lon + f (degrees to pixels).
struct MapAffine {
    double a = 0.0, b = 0.0, c = 0.0, d = 0.0, e = 0.0, f = 0.0;

    double Column(double lat, double lon) const { return a * lat + b * lon + c; }
    double Row(double lat, double lon) const { return d * lat + e * lon + f; }
    double Det() const { return a * e - b * d; }
    /// True when every coefficient is finite and the transformation can be inverted.
    bool Usable() const;
};

/// \brief A geographic position in degrees.
struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

/// The position of a pixel position under \p t; nullopt when \p t cannot be inverted.
std::optional<LatLon> PixelToLatLon(const MapAffine& t, double column, double row);

/// \brief A raster geotransform: X = t[0] + column*t[1] + row*t[2], Y = t[3] + column*t[4] +
/// row*t[5] (corner convention); X and Y in the raster's coordinate system, X east (longitude).
using GeoTransform = std::array<double, 6>;

/// True when every value is finite and the pixel axes span an area (t[1]*t[5] - t[2]*t[4] != 0).
bool IsUsableGeoTransform(const GeoTransform& t);

/// The exact inverse of a geotransform whose X is longitude and Y latitude in degrees.
/// nullopt when it cannot be inverted or gives non-finite coefficients.
std::optional<MapAffine> AffineFromLonLatTransform(const GeoTransform& t);

/// \brief A pixel position and the geographic position it shows.
struct ControlPoint {
    double column = 0.0;
    double row = 0.0;
    double lat = 0.0;
    double lon = 0.0;
};

/// Least-squares affine through the points: each of column and row is fitted over latitude and
/// longitude with the means removed first, which keeps the normal equations well conditioned for a
/// small area far from (0, 0). nullopt for fewer than three points, geographic positions on one
/// line, or a result that cannot be inverted.
std::optional<MapAffine> FitAffine(std::span<const ControlPoint> points);

/// Distance in pixels between each point's pixel position and where \p t puts its geographic
/// position.
std::vector<double> Residuals(const MapAffine& t, std::span<const ControlPoint> points);
/// The largest of Residuals (0 for no points; NaN when any residual is NaN).
double MaxResidual(const MapAffine& t, std::span<const ControlPoint> points);

/// The transformation of the same map on a picture scaled by \p sx horizontally and \p sy
/// vertically (a reduced picture: sx = new width / old width).
MapAffine ScaledAffine(const MapAffine& t, double sx, double sy);
/// Control points moved onto the scaled picture.
std::vector<ControlPoint> ScaledPoints(std::span<const ControlPoint> points, double sx, double sy);

/// The 16 coefficients of a projection file: c0 = a, c1 = b, c3 = c, c4 = d, c5 = e, c7 = f, the
/// carried ones 0.
std::array<double, 16> ProjectionCoefficients(const MapAffine& t);

/// Pixel positions of an n x n grid over a W x H picture, corners and edges included (n >= 2),
/// row by row from the top.
std::vector<std::array<double, 2>> GridPixelPositions(double width, double height, int n);

/// \brief The latitude/longitude box of the picture's four corners.
struct GeoBounds {
    double south = 0.0, west = 0.0, north = 0.0, east = 0.0;
};
/// Bounds of the corners of a W x H picture under \p t; nullopt when \p t cannot be inverted.
std::optional<GeoBounds> PictureBounds(const MapAffine& t, double width, double height);

} // namespace plotra
