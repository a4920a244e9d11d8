#pragma once
/// \brief A log of clicks on a floor plan, for replaying an indoor survey: one click a line,
/// "time,x,y" — Unix seconds (fractions allowed) and the pixel of the plan's picture (column from
/// the left, row from the top). A first line that is not numbers is a heading; blank lines are
/// skipped.

#include "capture/ClickPlacer.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plotra::capture {

/// Where a picture pixel lies: latitude and longitude in degrees, or nothing when the pixel is
/// outside the picture (or the plan cannot place it).
using PixelToLatLon = std::function<std::optional<std::pair<double, double>>(double x, double y)>;

/// The clicks of \p text in time order. Nothing, with "line N: why" in \p error, for a line that is
/// not three numbers, a time before the previous click's, or a pixel off the plan.
std::optional<std::vector<Click>> ParseClickLog(std::string_view text, const PixelToLatLon& place,
                                                std::string* error);

} // namespace plotra::capture
