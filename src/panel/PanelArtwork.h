#pragma once
/// \brief The control panel's pictures, drawn in code: section header bars with their open and
/// closed arrows, the "Plot Coverage" and "Input AP Position" buttons, the walk-path width button,
/// the three-frame strips of the toggles, the slider bodies and thumbs, and the masks of the AP tree's
/// colour swatches. The widgets make their pictures once and keep them.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace plotra::gui::artwork {

/// Section header bar, 210 x 20: an up arrow while the section is open, a down arrow while closed.
QPixmap HeaderPicture(bool open, bool pressed);
/// "Plot Coverage", 150 x 20.
QPixmap PlotCoveragePicture(bool pressed);
/// "Input AP Position", 64 x 32: "AP" with an arrow to a mast.
QPixmap InputPositionPicture(bool pressed);
/// Walk-path width button, 32 x 32, for widths 1, 2 and 3.
QPixmap LineWidthPicture(int width, bool pressed);

/// The pictures of the panel's toggles.
enum class ToggleArt {
    WalkPath,       ///< footprints
    PathWithoutGps, ///< a satellite over a red star
    LonLat,         ///< Y over X (up), Lat over Lon (down)
    ApMarkers,      ///< a flag over "AP"
    MultiContours,  ///< concentric rings
    XGrid,          ///< vertical lines over "GRID"
    YGrid,          ///< horizontal lines over "GRID"
    CoverageOverlay ///< overlapping circles
};
/// A strip of three 32 x 32 frames side by side: up, down, disabled.
QPixmap ToggleStrip(ToggleArt art);

/// The tint of a two-thumb slider's body.
enum class RangeArt { Transparency, PowerRange, Contour };
/// Two-thumb slider body, 200 x 48 with a transparent slot along the track (x 26..174, y 9..22)
/// through which the band between the thumbs shows.
QImage RangeBody(RangeArt art);
/// The low and the high thumb, 11 x 48 each; transparent outside the thumb (the hit test uses it).
QImage RangeThumb(bool high);

/// The kind of one-thumb slider (grid lines or matrix resolution).
enum class ResolutionArt { Grid, Matrix };
/// One-thumb slider body, 96 x 34, with the reset mark at x 3..13 below the track.
QImage ResolutionBody(ResolutionArt art);
/// Its thumb, 11 x 34, transparent outside the thumb.
QImage ResolutionThumb();
/// Where the reset mark is (opaque pixels), 11 x 34, for x 3..13 of the body.
QImage ResolutionResetMask();

/// 16 x 16 masks of the tree's swatches (opaque where the colour shows).
QImage StarburstMask();
QImage DotMask();
/// A 16 x 16 swatch: \p colour cut by the dot or the starburst mask.
QPixmap Swatch(QColor colour, bool dot);
/// The plain white 16 x 16 square (no colour: the items of the other level in this colour mode).
QPixmap WhiteSwatch();

} // namespace plotra::gui::artwork
