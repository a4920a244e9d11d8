#pragma once
/// \brief What the graph window says about a point without being a widget: the AP under the mouse,
/// the ruler's reading, the status-bar text of every mouse move, the info bubble's text and where the
/// bubble goes. The window only turns events into these calls, so all of it is tested headless.

#include "model/ViewState.h"

#include <optional>
#include <string>

namespace plotra {

class CPlotraDoc;

/// Index of the selected AP whose marker (its position rounded to pixels) is less than 6 pixels
/// away from (px, py) in both axes, the one with the smallest dx + dy (the first on a tie); -1 none.
int HitTestAp(const CPlotraDoc& doc, const PixelMapping& mapping, int px, int py);

/// The unit the ruler's distance is shown in (named by the distance label).
enum class RulerUnit { Meter, Kilometre, Foot, Mile };

/// \brief The ruler dialog's fields for a measured line.
struct RulerReading {
    bool metric = false;                      ///< planar map coordinates (else latitude/longitude)
    std::string leftLabel, rightLabel;        ///< "Y"/"X" or "Lat"/"Lon"
    std::string left1, right1, left2, right2; ///< the two points' values as shown
    std::string distanceLabel;                ///< "Distance (Meter)", "(KMs)", "(Feet)" or "(Miles)"
    RulerUnit unit = RulerUnit::Meter;        ///< the unit the label names
    std::string distance;
};

/// The reading for a line from (X1, Y1) to (X2, Y2) in model coordinates: planar values in the
/// display unit with "%5.3f", degrees with "%4.6f"; the distance in metres or kilometres (up to
/// 1000 m shown in metres), or in feet or miles (up to 5278.87 ft in feet), with "%4.6f".
RulerReading MeasureRuler(const CPlotraDoc& doc, double x1, double y1, double x2, double y2);

/// The dialog's "Calculation": the four texts read with "%g" as single precision, the distance
/// straight (planar values, in metres for metres and kilometres, in feet for feet and miles) or on
/// the sphere (latitude/longitude), given in \p unit, the unit the dialog's label names: "%5.3f"
/// for planar values, "%4.6f" for degrees.
std::string RulerDistance(bool metric, RulerUnit unit, const std::string& left1, const std::string& right1,
                          const std::string& left2, const std::string& right2);

/// The status-bar text for the mouse at (px, py) of a W x H graph window (empty outside it).
std::string StatusText(const CPlotraDoc& doc, const ViewState& view, int px, int py, int width, int height);

/// The info bubble's text for the mouse resting at (px, py): position, the altitude and speed of a
/// path point under the mouse, every selected AP heard or predicted there, and how many cover it.
std::string InfoText(const CPlotraDoc& doc, const ViewState& view, int px, int py, int width, int height);

/// \brief Where the info bubble goes and on which side of the mouse it lies.
struct InfoPlacement {
    int x = 0, y = 0;
    bool left = false, above = false;
};

/// Places a w x h bubble by the mouse (x, y) inside a window whose right and bottom edges are
/// \p right and \p bottom: below and to the right when it fits, otherwise left or above.
InfoPlacement PlaceInfo(int x, int y, int w, int h, int right, int bottom);

/// Cell of a grid of cols x rows nodes drawn over the pixel rectangle left..right, top..bottom at
/// (px, py): the column and row rounded by the view's rule; index column * rows + row. Nothing
/// outside the rectangle or for an empty one.
std::optional<std::size_t> GridCellAt(int px, int py, int left, int right, int top, int bottom, int cols,
                                      int rows);

} // namespace plotra
