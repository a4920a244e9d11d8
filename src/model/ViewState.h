#pragma once
/// \brief The graph window's view of the display frame: which part of the frame is visible (in frame
/// fractions), the mapping between model coordinates and pixels, zoom, scrolling, the mouse modes and
/// the two fit commands. Pure arithmetic so that the window, the exports and the tests share it.

#include "model/Geometry.h"
#include "model/Palette.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace plotra {

class CPlotraDoc;
class UserPrompts;

/// \brief The visible part of model space: lower-left corner (x0, y0) and size (xs, ys).
struct VisibleFrame {
    double x0 = 0.0, y0 = 0.0, xs = 0.0, ys = 0.0;
    /// The whole frame's lower corner, from which the axes measure distances (zoomed or not).
    double originX = 0.0, originY = 0.0;
};

/// Rounds a pixel position the way the view does everywhere it rounds: floor(v), plus one when the
/// fraction exceeds 0.4 (a fraction of exactly 0.4 rounds down).
int RoundView(double v);

/// Truncation toward zero as pixel positions use it; values beyond the int range are held at
/// +-1e9 so that a far-away point (deep zoom) cannot overflow the conversion. (Inline: the drawing
/// converts hundreds of thousands of positions per picture.)
inline int TruncPixel(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

/// \brief Model coordinates <-> pixels of a W x H target showing a visible frame. Y grows upward in
/// the model and downward on the target.
struct PixelMapping {
    VisibleFrame frame;
    int width = 1, height = 1;

    /// px = trunc((X - x0) * (W - 1) / xs)
    int Px(double x) const { return TruncPixel(PxExact(x)); }
    /// py = trunc((H - 1) - (Y - y0) * (H - 1) / ys)
    int Py(double y) const { return TruncPixel(PyExact(y)); }
    /// The same without the truncation (for rounding with RoundView).
    double PxExact(double x) const { return (x - frame.x0) * (width - 1) / frame.xs; }
    double PyExact(double y) const { return (height - 1) - (y - frame.y0) * (height - 1) / frame.ys; }
    /// X = x0 + px * xs / (W - 1)
    double ModelX(double px) const;
    /// Y = y0 + (H - 1 - py) * ys / (H - 1)
    double ModelY(double py) const;
};

enum class ScrollAxis { Horizontal, Vertical };
enum class ScrollCode {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbPosition,
    ThumbTrack,
    Top,
    Bottom,
    EndScroll
};

/// \brief Scroll steps of one axis for its client length and character size.
struct ScrollSteps {
    int line = 1;
    int page = 1;
};

/// \brief State of the graph window: visible window in frame fractions, scroll positions, mouse
/// modes and view toggles. Frame fractions: 0 is the frame's left or lower edge, 1 its right or upper
/// edge; values outside 0..1 are zoomed out.
class ViewState {
  public:
    double m_dViewXMin = 0.0, m_dViewXMax = 1.0;
    double m_dViewYMin = 0.0, m_dViewYMax = 1.0;
    double m_dViewWidth = 1.0, m_dViewHeight = 1.0; ///< maximum minus minimum; see RecomputeExtents
    int m_nHScrollPos = 0, m_nVScrollPos = 0;       ///< 0..1000
    bool m_bScrollBars = false;
    bool m_bZoomIn = false, m_bZoomOut = false, m_bRuler = false, m_bMoveAP = false;
    bool m_bShowMap = false;
    bool m_bShowDirections = false;
    bool m_bInfoWindow = false;
    int m_nHitAP = -1;
    /// The AP the mouse carries in the move mode (-1 when none): the picture leaves it out while the
    /// document keeps it where it was until the drop.
    int m_nDraggedAP = -1;
    /// The colour scale of the contours, the count picture and the legend (a setting of the
    /// program, not of the project).
    PaletteKind m_palette = PaletteKind::Classic;
    /// A display frame of the view's own instead of the document's: a picture exported at its own
    /// size is fitted here, and the project keeps the frame its window shows.
    std::optional<ModelRect> m_ownFrame;

    /// Zoom limits of the zoom-out placement, in frame fractions (about 1.25^8 frame widths).
    static constexpr double kZoomOutLow = -2.4802;
    static constexpr double kZoomOutHigh = 3.4802;

    void RecomputeExtents();
    /// The whole frame: window (0, 0, 1, 1) with both extents 1.
    void ResetWindow();
    /// The display frame this view shows: its own, or the document's.
    ModelRect FrameOf(const CPlotraDoc& doc) const;
    /// The visible model rectangle for that frame.
    VisibleFrame Visible(const CPlotraDoc& doc) const;
    /// Mapping of the visible frame onto a W x H target.
    PixelMapping Mapping(const CPlotraDoc& doc, int width, int height) const;
    /// Scroll bars are shown whenever the window is narrower than the whole frame vertically.
    bool ScrollBarsWanted() const { return m_dViewHeight < 1.0; }
    /// Applies the scroll bar rule of a paint: sets m_bScrollBars and returns it.
    bool UpdateScrollBars();

    /// Zoom in (or out) about the click (px, py) on a W x H client area. A click outside the client
    /// area is refused with "The Point Is Out of View!" and changes nothing; returns false then.
    bool Zoom(bool zoomIn, int px, int py, int width, int height, UserPrompts& prompts);
    /// The same zoom step and limits, placed so that the point under (px, py) stays under the mouse
    /// (the wheel's zoom; a click centres the window instead). Points outside the client area are
    /// ignored; returns false then.
    bool ZoomAbout(bool zoomIn, int px, int py, int width, int height);

    /// After a zoom: the scroll positions that match the new window (axes narrower than the frame).
    void FollowZoomWithScrollBars();

    /// Line and page steps of an axis: T = trunc(L / e) - L hidden pixels, line = round(c * 1000 / T),
    /// page = round(L * 1000 / T), rounded by RoundView and at least 1.
    ScrollSteps StepsFor(ScrollAxis axis, int clientLength, int charSize) const;
    /// One scroll message: moves the axis' position and, while the axis is zoomed in, its window.
    void Scroll(ScrollAxis axis, ScrollCode code, int thumbPos, int clientLength, int charSize);

    /// "Fit in the window": selected APs -> the document's extent; otherwise the bounding box of the
    /// path points (widened by a tenth per side with the map shown, equal scale on a shown planar
    /// map). Resets the window when data is loaded and updates all views.
    void FitInWindow(CPlotraDoc& doc, int width, int height);
    /// The same fit for a W x H picture, into the view's own frame: the document does not change.
    void FitOwnFrame(const CPlotraDoc& doc, int width, int height);
    /// "Fit in the map/path": first AP's coverage rectangle plus every path point, plus the map when
    /// shown. The equal scale uses \p width x \p height when both are at least 1, otherwise the
    /// graph window's client size. Resets the window. Acts only when data is loaded.
    void FitInMapPath(CPlotraDoc& doc, int width = 0, int height = 0);
};

/// Frame from a bounding box: with the map shown widened by a tenth of the span on each side (span
/// x 1.2); then, on a shown planar map, the equal scale for a W x H target.
ModelRect FrameFromBox(const CPlotraDoc& doc, bool showMap, double minX, double minY, double maxX, double maxY,
                       int width, int height);

/// The frame "Fit in the map/path" gives for a W x H target (nothing without data or a box).
std::optional<ModelRect> MapPathFrame(const CPlotraDoc& doc, bool showMap, int width, int height);

/// The visible frame of a whole display frame (the view window at 0..1).
inline VisibleFrame WholeFrame(const ModelRect& f) {
    return {f.originX, f.originY, f.spanX, f.spanY, f.originX, f.originY};
}

} // namespace plotra
