#include "model/ViewState.h"

#include "model/FrameScale.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <utility>

namespace plotra {

int RoundView(double v) {
    if (!std::isfinite(v)) return 0;
    const double f = std::floor(v);
    const double r = v - f > 0.4 ? f + 1.0 : f;
    return static_cast<int>(std::clamp(r, -1e9, 1e9));
}

double PixelMapping::ModelX(double px) const {
    return frame.x0 + px * frame.xs / (width - 1);
}
double PixelMapping::ModelY(double py) const {
    return frame.y0 + (height - 1 - py) * frame.ys / (height - 1);
}

void ViewState::RecomputeExtents() {
    m_dViewWidth = m_dViewXMax - m_dViewXMin;
    m_dViewHeight = m_dViewYMax - m_dViewYMin;
}

void ViewState::ResetWindow() {
    m_dViewXMin = m_dViewYMin = 0.0;
    m_dViewXMax = m_dViewYMax = 1.0;
    m_dViewWidth = m_dViewHeight = 1.0;
}

ModelRect ViewState::FrameOf(const CPlotraDoc& doc) const {
    if (m_ownFrame) return *m_ownFrame;
    const FrameGeometry& g = doc.Frame();
    return {g.m_dFrameOriginY, g.m_dFrameOriginX, g.m_dFrameSpanY, g.m_dFrameSpanX};
}

VisibleFrame ViewState::Visible(const CPlotraDoc& doc) const {
    const ModelRect frame = FrameOf(doc);
    VisibleFrame f;
    f.x0 = frame.originX + frame.spanX * m_dViewXMin;
    f.y0 = frame.originY + frame.spanY * m_dViewYMin;
    f.xs = frame.spanX * (m_dViewXMax - m_dViewXMin);
    f.ys = frame.spanY * (m_dViewYMax - m_dViewYMin);
    f.originX = frame.originX;
    f.originY = frame.originY;
    return f;
}

PixelMapping ViewState::Mapping(const CPlotraDoc& doc, int width, int height) const {
    PixelMapping m;
    m.frame = Visible(doc);
    m.width = width;
    m.height = height;
    return m;
}

bool ViewState::UpdateScrollBars() {
    RecomputeExtents();
    m_bScrollBars = ScrollBarsWanted();
    return m_bScrollBars;
}

namespace {

// Scroll position of an axis whose window [lo, lo + e] is narrower than the frame. A window that was
// zoomed out earlier may start left of the frame; the position is held inside the bar's range.
int ScrollPosFor(double lo, double e) {
    const double v = lo * 1000.0 / (1.0 - e);
    return std::clamp(TruncPixel(v), 0, 1000);
}

// Places one axis of a zoomed window around the centre c with half extent h.
void PlaceAxis(bool zoomIn, double c, double h, double& lo, double& hi) {
    const double bottom = zoomIn ? lo : ViewState::kZoomOutLow;
    const double top = zoomIn ? hi : ViewState::kZoomOutHigh;
    if (c + h <= top) {
        if (c - h >= bottom) {
            lo = c - h;
            hi = c + h;
        } else {
            lo = bottom;
            hi = bottom + 2.0 * h;
        }
    } else {
        lo = top - 2.0 * h;
        hi = top;
    }
}

// Half extents of one zoom step from the window extents (ex, ey); nothing when the step resets the
// view to the whole frame (beyond eleven steps in, or past the zoom-out limits).
std::optional<std::pair<double, double>> ZoomHalfExtents(bool zoomIn, double ex, double ey) {
    if (zoomIn) {
        if (ex < 0.1 || ey < 0.1) return std::nullopt;
        return std::pair{ex * 0.8 * 0.5, ey * 0.8 * 0.5};
    }
    if (ex < 5.8 && ey < 5.8) return std::pair{ex * 1.25 * 0.5, ey * 1.25 * 0.5};
    return std::nullopt;
}

} // namespace

void ViewState::FollowZoomWithScrollBars() {
    RecomputeExtents();
    if (m_dViewWidth < 1.0) m_nHScrollPos = ScrollPosFor(m_dViewXMin, m_dViewWidth);
    if (m_dViewHeight < 1.0) m_nVScrollPos = 1000 - ScrollPosFor(m_dViewYMin, m_dViewHeight);
}

bool ViewState::Zoom(bool zoomIn, int px, int py, int width, int height, UserPrompts& prompts) {
    if (px < 0 || py < 0 || px >= width || py >= height) {
        prompts.message("The Point Is Out of View!", "Invalid Point", PromptIcon::Stop);
        return false;
    }
    RecomputeExtents();
    const double ex = m_dViewWidth, ey = m_dViewHeight;
    const auto half = ZoomHalfExtents(zoomIn, ex, ey);
    if (!half) {
        ResetWindow();
    } else {
        // The centre uses W and H (not W - 1, H - 1): a click maps to the fraction of the client area.
        const double cx = px * ex / width + m_dViewXMin;
        const double cy = (height - py) * ey / height + m_dViewYMin;
        PlaceAxis(zoomIn, cx, half->first, m_dViewXMin, m_dViewXMax);
        PlaceAxis(zoomIn, cy, half->second, m_dViewYMin, m_dViewYMax);
    }
    FollowZoomWithScrollBars();
    return true;
}

namespace {

// Places one axis so that the fraction f of the window stays at the same frame fraction; zooming out
// stops at the zoom-out limits. (Zooming in this way never leaves the old window.)
void PlaceAxisAbout(bool zoomIn, double f, double h, double& lo, double& hi) {
    const double anchor = lo + f * (hi - lo);
    lo = anchor - f * 2.0 * h;
    hi = lo + 2.0 * h;
    if (zoomIn) return;
    if (lo < ViewState::kZoomOutLow) {
        lo = ViewState::kZoomOutLow;
        hi = lo + 2.0 * h;
    } else if (hi > ViewState::kZoomOutHigh) {
        hi = ViewState::kZoomOutHigh;
        lo = hi - 2.0 * h;
    }
}

} // namespace

bool ViewState::ZoomAbout(bool zoomIn, int px, int py, int width, int height) {
    if (px < 0 || py < 0 || px >= width || py >= height) return false;
    RecomputeExtents();
    const auto half = ZoomHalfExtents(zoomIn, m_dViewWidth, m_dViewHeight);
    // At a limit the wheel stops: a jump back to the whole frame would throw away where the user is,
    // and a spinning wheel would cycle through the limit. The clicks keep their reset.
    if (!half) return false;
    // The fractions of the pixel mapping (W - 1, H - 1), so that the very model point under the
    // mouse stays under it.
    const double fx = width > 1 ? static_cast<double>(px) / (width - 1) : 0.5;
    const double fy = height > 1 ? static_cast<double>(height - 1 - py) / (height - 1) : 0.5;
    PlaceAxisAbout(zoomIn, fx, half->first, m_dViewXMin, m_dViewXMax);
    PlaceAxisAbout(zoomIn, fy, half->second, m_dViewYMin, m_dViewYMax);
    FollowZoomWithScrollBars();
    return true;
}

ScrollSteps ViewState::StepsFor(ScrollAxis axis, int clientLength, int charSize) const {
    const double e = axis == ScrollAxis::Horizontal ? m_dViewXMax - m_dViewXMin : m_dViewYMax - m_dViewYMin;
    ScrollSteps s;
    if (!(e > 0.0)) return s;
    const double hidden = static_cast<double>(TruncPixel(clientLength / e)) - clientLength;
    // Nothing hidden (whole frame or zoomed out): the bar is not shown and any step will do.
    if (!(hidden > 0.0)) return s;
    s.line = std::max(1, RoundView(charSize * 1000.0 / hidden));
    s.page = std::max(1, RoundView(clientLength * 1000.0 / hidden));
    return s;
}

void ViewState::Scroll(ScrollAxis axis, ScrollCode code, int thumbPos, int clientLength, int charSize) {
    RecomputeExtents();
    const ScrollSteps steps = StepsFor(axis, clientLength, charSize);
    int& pos = axis == ScrollAxis::Horizontal ? m_nHScrollPos : m_nVScrollPos;
    switch (code) {
    case ScrollCode::LineUp:
        pos -= steps.line;
        break;
    case ScrollCode::LineDown:
        pos += steps.line;
        break;
    case ScrollCode::PageUp:
        pos -= steps.page;
        break;
    case ScrollCode::PageDown:
        pos += steps.page;
        break;
    case ScrollCode::ThumbPosition:
    case ScrollCode::ThumbTrack:
        pos = thumbPos;
        break;
    case ScrollCode::Top:
        pos = 0;
        break;
    case ScrollCode::Bottom:
        pos = 1000;
        break;
    case ScrollCode::EndScroll:
        break;
    }
    pos = std::clamp(pos, 0, 1000);
    if (axis == ScrollAxis::Horizontal) {
        const double e = m_dViewWidth;
        if (e < 1.0) {
            m_dViewXMin = (1.0 - e) * m_nHScrollPos / 1000.0;
            m_dViewXMax = m_dViewXMin + e;
        }
    } else {
        // Position 0 is the top of the reachable area, so the window's lower edge counts downward.
        const double e = m_dViewHeight;
        if (e < 1.0) {
            m_dViewYMin = (1000 - m_nVScrollPos) * (1.0 - e) / 1000.0;
            m_dViewYMax = m_dViewYMin + e;
        }
    }
}

ModelRect FrameFromBox(const CPlotraDoc& doc, bool showMap, double minX, double minY, double maxX,
                       double maxY, int width, int height) {
    const double spanX = maxX - minX, spanY = maxY - minY;
    ModelRect f;
    if (showMap) {
        f.originX = minX - spanX / 10.0;
        f.originY = minY - spanY / 10.0;
        f.spanX = spanX * 1.2;
        f.spanY = spanY * 1.2;
    } else {
        f.originX = minX;
        f.originY = minY;
        f.spanX = spanX;
        f.spanY = spanY;
    }
    // Without the map the picture is to scale as well, in ground distance (degrees included).
    if (!showMap) return EqualGroundScale(f, doc.Map().m_bMetricXY != 0, width, height);
    if (!doc.Map().m_bMetricXY || width < 1 || height < 1) return f;
    // Equal scale on a planar map: widen the axis with fewer units per pixel about its centre.
    const double a = f.spanX / width, b = f.spanY / height;
    if (!(a > 0.0) || !(b > 0.0) || !std::isfinite(a) || !std::isfinite(b)) return f;
    if (b < a) {
        f.originY -= (a / b - 1.0) * f.spanY * 0.5;
        f.spanY = a * height;
    } else {
        f.originX -= (b / a - 1.0) * f.spanX * 0.5;
        f.spanX = b * width;
    }
    return f;
}

ModelRect EqualGroundScale(const ModelRect& frame, bool metricXY, int width, int height) {
    if (width < 1 || height < 1) return frame;
    // Ground length of one unit of x in units of y: 1 on a plane, cos(latitude) on degrees.
    double xFactor = 1.0;
    if (!metricXY) {
        const double centreLat = frame.originY + frame.spanY * 0.5;
        xFactor = std::cos(centreLat * std::numbers::pi / 180.0);
        // At a pole (or on latitudes that are none) a degree of longitude has no length to match.
        if (!(xFactor > 1e-9) || !std::isfinite(xFactor)) return frame;
    }
    const double a = frame.spanX * xFactor / width; // ground per pixel along x
    const double b = frame.spanY / height;          // ground per pixel along y
    // A frame without any extent has nothing to match; one without height or width (a single row or
    // column of points) gets the other axis' scale.
    if (!std::isfinite(a) || !std::isfinite(b) || !(a >= 0.0) || !(b >= 0.0) || (a == 0.0 && b == 0.0))
        return frame;
    ModelRect f = frame;
    if (b < a) {
        const double spanY = a * height;
        f.originY -= (spanY - frame.spanY) * 0.5;
        f.spanY = spanY;
    } else if (a < b) {
        const double spanX = b * width / xFactor;
        f.originX -= (spanX - frame.spanX) * 0.5;
        f.spanX = spanX;
    }
    return f;
}

namespace {

/// The bounding box of the path points (nothing without points).
struct PathBounds {
    double minX, minY, maxX, maxY;
};
std::optional<PathBounds> PathBox(const CPlotraDoc& doc) {
    if (doc.Path().m_aPoints.empty()) return std::nullopt;
    PathBounds b{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                 -std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (const CData& p : doc.Path().m_aPoints) {
        b.minX = std::min(b.minX, p.m_dX);
        b.maxX = std::max(b.maxX, p.m_dX);
        b.minY = std::min(b.minY, p.m_dY);
        b.maxY = std::max(b.maxY, p.m_dY);
    }
    return b;
}

bool AnyApTicked(const CPlotraDoc& doc) {
    return std::any_of(doc.Aps().m_aAPs.begin(), doc.Aps().m_aAPs.end(),
                       [](const CAPInfo& ap) { return ap.m_bSelected != 0; });
}

ModelRect FrameAroundBox(const CPlotraDoc& doc, bool showMap, const PathBounds& b, int width, int height) {
    return FrameFromBox(doc, showMap, b.minX, b.minY, b.maxX, b.maxY, width, height);
}

} // namespace

void ViewState::FitInWindow(CPlotraDoc& doc, int width, int height) {
    if (AnyApTicked(doc)) {
        doc.ComputeExtent(width, height, 0);
    } else if (const auto box = PathBox(doc)) {
        doc.SetFrame(FrameAroundBox(doc, m_bShowMap, *box, width, height),
                     ModelRect{box->minY, box->minX, box->maxY - box->minY, box->maxX - box->minX});
    }
    if (doc.Display().m_bDataLoaded) ResetWindow();
    doc.Notify(DocChange::Frame);
}

void ViewState::FitOwnFrame(const CPlotraDoc& doc, int width, int height) {
    m_ownFrame.reset();
    if (AnyApTicked(doc))
        m_ownFrame = doc.ExtentFor(width, height, 0, doc.Host().mapShown()).frame;
    else if (const auto box = PathBox(doc))
        m_ownFrame = FrameAroundBox(doc, m_bShowMap, *box, width, height);
    if (doc.Display().m_bDataLoaded) ResetWindow();
}

std::optional<ModelRect> MapPathFrame(const CPlotraDoc& doc, bool showMap, int width, int height) {
    if (!doc.Display().m_bDataLoaded) return std::nullopt;
    double minX = std::numeric_limits<double>::infinity(), minY = minX;
    double maxX = -minX, maxY = -minX;
    if (!doc.Aps().m_aAPs.empty()) {
        const CAPInfo& first = doc.Aps().m_aAPs.front();
        minX = first.m_areaOrigin.m_dX;
        minY = first.m_areaOrigin.m_dY;
        maxX = first.m_areaOrigin.m_dX + first.m_areaSize.m_dX;
        maxY = first.m_areaOrigin.m_dY + first.m_areaSize.m_dY;
    }
    if (const auto box = PathBox(doc)) {
        minX = std::min(minX, box->minX);
        maxX = std::max(maxX, box->maxX);
        minY = std::min(minY, box->minY);
        maxY = std::max(maxY, box->maxY);
    }
    if (showMap) {
        if (minX > 0.0) minX = 0.0;
        if (minY > 0.0) minY = 0.0;
        maxY = std::max(maxY, doc.Map().m_dMapHeight);
        maxX = std::max(maxX, doc.Map().m_dMapWidth);
    }
    // Neither an AP nor a point: there is no box to fit.
    if (!(minX <= maxX) || !(minY <= maxY)) return std::nullopt;
    if (width < 1 || height < 1) {
        const auto client = doc.Host().graphClientSize();
        width = client.first;
        height = client.second;
    }
    return FrameFromBox(doc, showMap, minX, minY, maxX, maxY, width, height);
}

void ViewState::FitInMapPath(CPlotraDoc& doc, int width, int height) {
    const std::optional<ModelRect> frame = MapPathFrame(doc, m_bShowMap, width, height);
    if (!frame) return;
    doc.SetFrame(*frame);
    ResetWindow();
    doc.Notify(DocChange::Frame);
}

} // namespace plotra
