#include "model/Geometry.h"

#include <algorithm>
#include <cmath>

namespace plotra {

double GeoDistance(double lat1, double lon1, double lat2, double lon2) {
    const double pi = 3.14159265;
    const double p1 = lat1 * pi / 180.0, p2 = lat2 * pi / 180.0;
    const double dp = p2 - p1;
    const double dl = lon2 * pi / 180.0 - lon1 * pi / 180.0;
    const double s1 = std::sin(dp / 2.0), s2 = std::sin(dl / 2.0);
    double a = s1 * s1 + std::cos(p1) * std::cos(p2) * s2 * s2;
    // Rounding can push a a hair outside [0, 1] for antipodal points; sqrt of a negative is NaN.
    a = std::clamp(a, 0.0, 1.0);
    return 2.0 * std::atan2(std::sqrt(a), std::sqrt(1.0 - a)) * 6378137.0;
}

} // namespace plotra
