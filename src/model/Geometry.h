#pragma once
/// \brief Great-circle distances on the sphere the whole system uses (haversine, radius 6378137 m,
/// pi taken as 3.14159265), and the same distance with the parts that depend on one position only
/// computed once. Many distances
/// from a few positions (grid nodes, a candidate AP position) to the same points then cost two sines
/// and one arc tangent each, and the result is bit-identical to GeoDistance because exactly the same
/// operations run in the same order.

#include <algorithm>
#include <cmath>

namespace plotra {

/// The value of pi the distance formula uses.
inline constexpr double kGeoPi = 3.14159265;
/// Sphere radius of the distance formula in metres.
inline constexpr double kGeoRadius = 6378137.0;

/// \brief A rectangle of model space: lower corner and spans, Y first.
struct ModelRect {
    double originY = 0, originX = 0, spanY = 0, spanX = 0;
};

/// \brief The combined rectangle and the display frame around it.
struct ExtentRects {
    ModelRect grid, frame;
};

/// Great-circle distance in metres between two latitude/longitude positions (degrees).
double GeoDistance(double lat1, double lon1, double lat2, double lon2);

/// \brief One latitude/longitude position with its radians and the cosine of its latitude.
struct GeoPrepared {
    double latRad = 0.0;
    double lonRad = 0.0;
    double cosLat = 1.0;
};

/// Prepares a position (degrees) for GeoDistancePrepared.
inline GeoPrepared PrepareGeo(double lat, double lon) {
    GeoPrepared g;
    g.latRad = lat * kGeoPi / 180.0;
    g.lonRad = lon * kGeoPi / 180.0;
    g.cosLat = std::cos(g.latRad);
    return g;
}

/// GeoDistance(first.lat, first.lon, second.lat, second.lon), bit for bit.
inline double GeoDistancePrepared(const GeoPrepared& first, const GeoPrepared& second) {
    const double dp = second.latRad - first.latRad;
    const double dl = second.lonRad - first.lonRad;
    const double s1 = std::sin(dp / 2.0), s2 = std::sin(dl / 2.0);
    double a = s1 * s1 + first.cosLat * second.cosLat * s2 * s2;
    a = std::clamp(a, 0.0, 1.0);
    return 2.0 * std::atan2(std::sqrt(a), std::sqrt(1.0 - a)) * kGeoRadius;
}

} // namespace plotra
