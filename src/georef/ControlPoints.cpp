#include "georef/ControlPoints.h"

#include "georef/WorldFile.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plotra {

namespace {

constexpr double kMetresPerDegree = 6378137.0 * std::numbers::pi / 180.0;

/// Ratio of the smaller to the larger principal spread of a point set: 0 for points on one line,
/// 1 for a round cloud. The square root of the eigenvalue ratio of the 2 x 2 covariance.
double Flatness(const std::vector<std::array<double, 2>>& p) {
    double mx = 0.0, my = 0.0;
    for (const auto& q : p) {
        mx += q[0];
        my += q[1];
    }
    mx /= static_cast<double>(p.size());
    my /= static_cast<double>(p.size());
    double sxx = 0.0, syy = 0.0, sxy = 0.0;
    for (const auto& q : p) {
        const double dx = q[0] - mx, dy = q[1] - my;
        sxx += dx * dx;
        syy += dy * dy;
        sxy += dx * dy;
    }
    const double tr = sxx + syy;
    if (!(tr > 0.0) || !std::isfinite(tr)) return 0.0;
    const double disc = std::sqrt(std::max(0.0, (sxx - syy) * (sxx - syy) / 4.0 + sxy * sxy));
    const double big = tr / 2.0 + disc;
    // The small eigenvalue from the determinant avoids the cancellation of tr/2 - disc.
    const double small = std::max(0.0, sxx * syy - sxy * sxy) / big;
    return std::sqrt(small / big);
}

std::string Number(std::size_t i) {
    return std::to_string(i + 1);
}

} // namespace

std::optional<ControlPoint> ParseControlPoint(std::string_view text) {
    double v[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == 3)) return std::nullopt;
        const auto value = ParseNumber(text.substr(0, comma));
        if (!value) return std::nullopt;
        v[i] = *value;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    return ControlPoint{v[0], v[1], v[2], v[3]};
}

ControlPointFit FitControlPoints(std::span<const ControlPoint> points, double width, double height) {
    ControlPointFit fit;
    if (points.size() < 3) {
        fit.error = "At least three control points are needed to place a picture; " +
                    std::to_string(points.size()) + (points.size() == 1 ? " was" : " were") + " given.";
        return fit;
    }
    if (points.size() > kMaxControlPoints) {
        fit.error = "At most " + std::to_string(kMaxControlPoints) + " control points can be used; " +
                    std::to_string(points.size()) + " were given.";
        return fit;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const ControlPoint& p = points[i];
        if (!std::isfinite(p.column) || !std::isfinite(p.row)) {
            fit.error = "Control point " + Number(i) + " has no valid pixel position.";
            return fit;
        }
        if (!(std::fabs(p.lat) <= 90.0) || !(std::fabs(p.lon) <= 180.0)) {
            fit.error = "Control point " + Number(i) +
                        " is not a valid position: latitude must lie within -90..90 and longitude within "
                        "-180..180 degrees.";
            return fit;
        }
    }
    // Local metres on the ground, so that "the same place" and "one line" mean the same thing
    // everywhere on the globe.
    const double cosLat = std::cos(points[0].lat * std::numbers::pi / 180.0);
    std::vector<std::array<double, 2>> pixels, ground;
    for (const auto& p : points) {
        pixels.push_back({p.column, p.row});
        ground.push_back({(p.lon - points[0].lon) * cosLat * kMetresPerDegree,
                          (p.lat - points[0].lat) * kMetresPerDegree});
    }
    for (std::size_t i = 0; i < points.size(); ++i)
        for (std::size_t j = i + 1; j < points.size(); ++j) {
            if (std::hypot(pixels[i][0] - pixels[j][0], pixels[i][1] - pixels[j][1]) < 0.5) {
                fit.error = "Control points " + Number(i) + " and " + Number(j) +
                            " are at the same pixel of the picture; every point must mark a different place.";
                return fit;
            }
            if (std::hypot(ground[i][0] - ground[j][0], ground[i][1] - ground[j][1]) < 0.01) {
                fit.error = "Control points " + Number(i) + " and " + Number(j) +
                            " have the same latitude and longitude; every point must mark a different place.";
                return fit;
            }
        }
    constexpr double kMinFlatness = 1e-3;
    if (Flatness(pixels) < kMinFlatness || Flatness(ground) < kMinFlatness) {
        fit.error = "The control points lie on one line" +
                    std::string(Flatness(pixels) < kMinFlatness ? " in the picture" : " on the ground") +
                    ", so they cannot place the picture: choose at least three points that are not in a "
                    "row, spread over the plan.";
        return fit;
    }
    const auto affine = FitAffine(points);
    if (!affine) {
        fit.error = "The control points do not give a usable transformation; check their positions.";
        return fit;
    }
    fit.affine = *affine;
    fit.residuals = Residuals(*affine, points);
    for (std::size_t i = 0; i < points.size(); ++i)
        if (points[i].column < 0.0 || points[i].row < 0.0 || points[i].column > width ||
            points[i].row > height)
            fit.notes.push_back("Control point " + Number(i) + " lies outside the picture.");
    fit.ok = true;
    return fit;
}

} // namespace plotra
