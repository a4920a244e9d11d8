#include "georef/GeoAffine.h"

#include <algorithm>
#include <cmath>

namespace plotra {

bool MapAffine::Usable() const {
    for (const double v : {a, b, c, d, e, f})
        if (!std::isfinite(v)) return false;
    const double det = Det();
    return std::isfinite(det) && det != 0.0;
}

std::optional<LatLon> PixelToLatLon(const MapAffine& t, double column, double row) {
    const double det = t.Det();
    if (!std::isfinite(det) || det == 0.0) return std::nullopt;
    const double u = column - t.c, w = row - t.f;
    return LatLon{(t.e * u - t.b * w) / det, (t.a * w - t.d * u) / det};
}

bool IsUsableGeoTransform(const GeoTransform& t) {
    for (const double v : t)
        if (!std::isfinite(v)) return false;
    const double det = t[1] * t[5] - t[2] * t[4];
    return std::isfinite(det) && det != 0.0;
}

// lon = t0 + col*t1 + row*t2 and lat = t3 + col*t4 + row*t5; solving the 2 x 2 system for column and
// row gives the six coefficients directly, with no fitting and no error beyond rounding.
std::optional<MapAffine> AffineFromLonLatTransform(const GeoTransform& t) {
    if (!IsUsableGeoTransform(t)) return std::nullopt;
    const double det = t[1] * t[5] - t[2] * t[4];
    MapAffine m;
    m.a = -t[2] / det;
    m.b = t[5] / det;
    m.c = (t[2] * t[3] - t[5] * t[0]) / det;
    m.d = t[1] / det;
    m.e = -t[4] / det;
    m.f = (t[4] * t[0] - t[1] * t[3]) / det;
    if (!m.Usable()) return std::nullopt;
    return m;
}

std::optional<MapAffine> FitAffine(std::span<const ControlPoint> points) {
    const std::size_t n = points.size();
    if (n < 3) return std::nullopt;
    double mLat = 0.0, mLon = 0.0, mCol = 0.0, mRow = 0.0;
    for (const auto& p : points) {
        mLat += p.lat;
        mLon += p.lon;
        mCol += p.column;
        mRow += p.row;
    }
    const double dn = static_cast<double>(n);
    mLat /= dn;
    mLon /= dn;
    mCol /= dn;
    mRow /= dn;
    double sAA = 0.0, sBB = 0.0, sAB = 0.0, sAC = 0.0, sBC = 0.0, sAR = 0.0, sBR = 0.0;
    for (const auto& p : points) {
        const double da = p.lat - mLat, db = p.lon - mLon, dc = p.column - mCol, dr = p.row - mRow;
        sAA += da * da;
        sBB += db * db;
        sAB += da * db;
        sAC += da * dc;
        sBC += db * dc;
        sAR += da * dr;
        sBR += db * dr;
    }
    const double det = sAA * sBB - sAB * sAB;
    // Geographic positions on one line leave the normal matrix singular; rounding makes that a
    // tiny rather than a zero determinant, so compare with the scale of its terms.
    if (!std::isfinite(det) || !(det > 1e-12 * sAA * sBB)) return std::nullopt;
    MapAffine m;
    m.a = (sBB * sAC - sAB * sBC) / det;
    m.b = (sAA * sBC - sAB * sAC) / det;
    m.c = mCol - m.a * mLat - m.b * mLon;
    m.d = (sBB * sAR - sAB * sBR) / det;
    m.e = (sAA * sBR - sAB * sAR) / det;
    m.f = mRow - m.d * mLat - m.e * mLon;
    if (!m.Usable()) return std::nullopt;
    return m;
}

std::vector<double> Residuals(const MapAffine& t, std::span<const ControlPoint> points) {
    std::vector<double> out;
    out.reserve(points.size());
    for (const auto& p : points)
        out.push_back(std::hypot(t.Column(p.lat, p.lon) - p.column, t.Row(p.lat, p.lon) - p.row));
    return out;
}

double MaxResidual(const MapAffine& t, std::span<const ControlPoint> points) {
    double worst = 0.0;
    for (const double r : Residuals(t, points)) {
        if (std::isnan(r)) return r;
        worst = std::max(worst, r);
    }
    return worst;
}

MapAffine ScaledAffine(const MapAffine& t, double sx, double sy) {
    return MapAffine{t.a * sx, t.b * sx, t.c * sx, t.d * sy, t.e * sy, t.f * sy};
}

std::vector<ControlPoint> ScaledPoints(std::span<const ControlPoint> points, double sx, double sy) {
    std::vector<ControlPoint> out(points.begin(), points.end());
    for (auto& p : out) {
        p.column *= sx;
        p.row *= sy;
    }
    return out;
}

std::array<double, 16> ProjectionCoefficients(const MapAffine& t) {
    std::array<double, 16> k{};
    k[0] = t.a;
    k[1] = t.b;
    k[3] = t.c;
    k[4] = t.d;
    k[5] = t.e;
    k[7] = t.f;
    return k;
}

std::vector<std::array<double, 2>> GridPixelPositions(double width, double height, int n) {
    n = std::max(n, 2);
    std::vector<std::array<double, 2>> out;
    out.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            out.push_back({width * i / (n - 1), height * j / (n - 1)});
    return out;
}

std::optional<GeoBounds> PictureBounds(const MapAffine& t, double width, double height) {
    GeoBounds b{90.0, 180.0, -90.0, -180.0};
    bool first = true;
    for (const auto& [col, row] :
         {std::array<double, 2>{0.0, 0.0}, std::array<double, 2>{width, 0.0},
          std::array<double, 2>{0.0, height}, std::array<double, 2>{width, height}}) {
        const auto g = PixelToLatLon(t, col, row);
        if (!g) return std::nullopt;
        if (first) {
            b = GeoBounds{g->lat, g->lon, g->lat, g->lon};
            first = false;
        }
        b.south = std::min(b.south, g->lat);
        b.north = std::max(b.north, g->lat);
        b.west = std::min(b.west, g->lon);
        b.east = std::max(b.east, g->lon);
    }
    return b;
}

} // namespace plotra
