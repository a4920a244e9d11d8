#pragma once
/// \brief Floor plans with a scale: a plain picture (a PNG from the facility manager, a page of an
/// architect's PDF) becomes a map through two points a known distance apart, a north angle and the
/// position of its top-left corner.
///
/// The plan is laid on a plane tangent to the earth at its top-left corner: metres east and north
/// of that corner turn into latitude and longitude with the sphere of the distance function
/// (radius 6378137 m), so the affine transformation of the projection file reproduces the scale, and
/// distances measured on the loaded map equal distances on the plan.

#include "georef/GeoAffine.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plotra {

inline constexpr double kMetresPerFoot = 0.3048;
/// The flat plan breaks down towards the poles, where a degree of longitude shrinks to nothing.
inline constexpr double kMaxPlanLatitude = 85.0;

/// \brief Two pixels of the plan (corner convention: 0,0 is the top-left corner of the picture) and
/// the distance between them on the ground.
struct PlanScale {
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    double metres = 0.0;

    double PixelLength() const;
    double MetresPerPixel() const { return metres / PixelLength(); }
};

/// \brief Where the plan lies: its scale, the position of its top-left corner and the clockwise
/// angle from the plan's "up" to true north.
struct PlanPlacement {
    PlanScale scale;
    double originLat = 0.0;
    double originLon = 0.0;
    double northDegrees = 0.0;
};

/// A distance typed by a user: a decimal number with an optional unit "m" or "ft" after it (blanks
/// allowed), in metres; nullopt for anything else (no number, an unknown unit, NaN, infinity). A
/// distance of 0 or less is returned as it is: CheckPlacement says why it cannot be used.
std::optional<double> ParseDistance(std::string_view text);

/// \brief "X1,Y1,X2,Y2,DIST[m|ft]" read, or why not.
struct ScaleArgument {
    bool ok = false;
    bool usage = false; ///< not five values, or a pixel that is not a number (a usage error)
    std::string error;  ///< a complete sentence when not ok
    PlanScale scale;
};
ScaleArgument ParseScaleArgument(std::string_view text);

/// Parses "LATITUDE,LONGITUDE" (two decimal numbers); nullopt for anything else.
std::optional<LatLon> ParseOrigin(std::string_view text);

/// Why \p p cannot place a \p width x \p height picture (a complete sentence), or empty when it can:
/// a distance of 0 or less, scale points outside the picture or less than a pixel apart, an origin
/// that is not a position (or beyond kMaxPlanLatitude), a north angle that is not a number.
std::string CheckPlacement(const PlanPlacement& p, double width, double height);

/// The transformation of the plan's own pixels; nullopt when CheckPlacement refuses \p p (for any
/// picture large enough to hold the scale points).
std::optional<MapAffine> FloorPlanAffine(const PlanPlacement& p);

/// Lines describing the plan for the user: the scale, north, corner and the area it covers.
std::vector<std::string> DescribeFloorPlan(const PlanPlacement& p, int width, int height);

} // namespace plotra
