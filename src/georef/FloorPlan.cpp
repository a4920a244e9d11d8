#include "georef/FloorPlan.h"

#include "georef/WorldFile.h"
#include "model/TextFormat.h"

#include <cmath>
#include <numbers>

namespace plotra {

namespace {

/// Metres along a meridian per degree of latitude, on the sphere the distance function uses.
constexpr double kMetresPerDegree = 6378137.0 * std::numbers::pi / 180.0;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

/// Splits at commas; an empty field stays (and is refused by whoever reads it as a number).
std::vector<std::string_view> Fields(std::string_view text) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t comma = text.find(',');
        out.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) return out;
        text.remove_prefix(comma + 1);
    }
}

std::string Pixel(double x, double y) {
    return FormatText<96>("(%g, %g)", x, y);
}

} // namespace

double PlanScale::PixelLength() const {
    return std::hypot(x2 - x1, y2 - y1);
}

std::optional<double> ParseDistance(std::string_view text) {
    text = Trim(text);
    double factor = 1.0;
    if (text.ends_with("ft")) {
        factor = kMetresPerFoot;
        text.remove_suffix(2);
    } else if (text.ends_with('m')) {
        text.remove_suffix(1);
    }
    const auto value = ParseNumber(text);
    if (!value) return std::nullopt;
    return *value * factor;
}

ScaleArgument ParseScaleArgument(std::string_view text) {
    ScaleArgument r;
    const auto fields = Fields(text);
    if (fields.size() != 5) {
        r.usage = true;
        r.error = "--scale needs X1,Y1,X2,Y2,DIST: two pixels of the plan and the distance between them "
                  "(such as 12.5m or 41ft), not '" +
                  std::string(text) + "'";
        return r;
    }
    double v[4] = {};
    for (int i = 0; i < 4; ++i) {
        const auto n = ParseNumber(fields[static_cast<std::size_t>(i)]);
        if (!n) {
            r.usage = true;
            r.error = "--scale needs four pixel coordinates X1,Y1,X2,Y2 before the distance, not '" +
                      std::string(fields[static_cast<std::size_t>(i)]) + "'";
            return r;
        }
        v[i] = *n;
    }
    const auto metres = ParseDistance(fields[4]);
    if (!metres) {
        r.error = "The scale's distance \"" + std::string(Trim(fields[4])) +
                  "\" is not a number: give the distance between the two points in metres or feet, such as "
                  "12.5m or 41ft.";
        return r;
    }
    r.scale = PlanScale{v[0], v[1], v[2], v[3], *metres};
    r.ok = true;
    return r;
}

std::optional<LatLon> ParseOrigin(std::string_view text) {
    const auto fields = Fields(text);
    if (fields.size() != 2) return std::nullopt;
    const auto lat = ParseNumber(fields[0]), lon = ParseNumber(fields[1]);
    if (!lat || !lon) return std::nullopt;
    return LatLon{*lat, *lon};
}

std::string CheckPlacement(const PlanPlacement& p, double width, double height) {
    const PlanScale& s = p.scale;
    if (!(s.metres > 0.0) || !std::isfinite(s.metres))
        return FormatText<200>("The scale's distance must be more than 0; %g m was given.", s.metres);
    const double px[2][2] = {{s.x1, s.y1}, {s.x2, s.y2}};
    for (int i = 0; i < 2; ++i) {
        const double x = px[i][0], y = px[i][1];
        if (!(x >= 0.0 && x <= width && y >= 0.0 && y <= height))
            return "The scale's point " + std::to_string(i + 1) + " " + Pixel(x, y) +
                   " lies outside the picture, which is " + FormatText<64>("%g x %g", width, height) +
                   " pixels: pixels count from its top-left corner, 0,0.";
    }
    if (!(s.PixelLength() >= 1.0))
        return "The scale's two points " + Pixel(s.x1, s.y1) + " and " + Pixel(s.x2, s.y2) +
               " are less than a pixel apart: choose two points far apart on the plan, such as the ends of a "
               "long wall.";
    if (!(std::fabs(p.originLat) <= kMaxPlanLatitude) || !(std::fabs(p.originLon) <= 180.0))
        return FormatText<300>("The plan's corner %g, %g is not a position a floor plan can lie at: its "
                               "latitude must lie between -%g and %g degrees and its longitude between -180 "
                               "and 180.",
                               p.originLat, p.originLon, kMaxPlanLatitude, kMaxPlanLatitude);
    if (!std::isfinite(p.northDegrees))
        return "The north angle must be a number of degrees (clockwise from the plan's up to north).";
    return {};
}

// Plan metres (u to the right, v up the plan) turn into metres east and north by the north angle
// t: north points along (sin t, cos t) of the plan and east along (cos t, -sin t). Inverting that
// rotation and dividing by the metres per pixel gives column and row (rows downward, so v = -row),
// and the tangent plane gives east = kE*(lon - lon0), north = kN*(lat - lat0).
std::optional<MapAffine> FloorPlanAffine(const PlanPlacement& p) {
    const double big = 1e12; // any picture that holds the scale points
    if (!CheckPlacement(p, big, big).empty()) return std::nullopt;
    const double s = p.scale.MetresPerPixel();
    const double t = p.northDegrees * std::numbers::pi / 180.0;
    const double kN = kMetresPerDegree;
    const double kE = kMetresPerDegree * std::cos(p.originLat * std::numbers::pi / 180.0);
    MapAffine m;
    m.a = kN * std::sin(t) / s;
    m.b = kE * std::cos(t) / s;
    m.d = -kN * std::cos(t) / s;
    m.e = kE * std::sin(t) / s;
    // The top-left corner (column 0, row 0) lies at the origin.
    m.c = -(m.a * p.originLat + m.b * p.originLon);
    m.f = -(m.d * p.originLat + m.e * p.originLon);
    if (!m.Usable()) return std::nullopt;
    return m;
}

std::vector<std::string> DescribeFloorPlan(const PlanPlacement& p, int width, int height) {
    const PlanScale& s = p.scale;
    const double mpp = s.MetresPerPixel();
    std::vector<std::string> lines;
    lines.push_back(FormatText<300>("scale: %s to %s, %.1f pixels = %g m (%g ft): %.6g m per pixel",
                                    Pixel(s.x1, s.y1).c_str(), Pixel(s.x2, s.y2).c_str(), s.PixelLength(),
                                    s.metres, s.metres / kMetresPerFoot, mpp));
    lines.push_back(FormatText<200>("north: %g degrees clockwise from the plan's up", p.northDegrees));
    lines.push_back(
        FormatText<200>("top-left corner at latitude %.7f, longitude %.7f", p.originLat, p.originLon));
    lines.push_back(FormatText<200>("area: %.1f x %.1f m", width * mpp, height * mpp));
    return lines;
}

} // namespace plotra
