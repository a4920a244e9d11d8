#pragma once
/// \brief Equal ground distance per pixel on both axes of a display frame, for the pictures drawn
/// without a map (a shown map brings its own equal scale, see FrameFromBox and ExtentFor).

#include "model/Geometry.h"

namespace plotra {

/// Widens one axis of \p frame about its centre so that one pixel of a W x H target covers the same
/// ground along x and along y. Planar metres count as they are; on degrees a degree of longitude is
/// cos(latitude of the frame's centre) degrees of latitude. A frame without any extent, a target
/// under one pixel, a centre at or beyond a pole and non-finite numbers leave the frame as it is.
ModelRect EqualGroundScale(const ModelRect& frame, bool metricXY, int width, int height);

} // namespace plotra
