#pragma once
/// \brief Contouring of node grids: level lines by CONREC (each straddling cell split into four
/// triangles around its centre) and the pieces of the grid that lie below a level.

#include "model/Records.h"

#include <vector>

namespace plotra {

/// \brief A node grid as the coverage stores it: values column after column (index ix * rows + iy),
/// with the x coordinate of each column and the y coordinate of each row.
struct NodeGrid {
    const double* values = nullptr;
    int cols = 0;
    int rows = 0;
    const double* x = nullptr; ///< cols entries
    const double* y = nullptr; ///< rows entries
    double At(int ix, int iy) const { return values[static_cast<std::size_t>(ix) * rows + iy]; }
};

/// Appends the line segments of \p level to \p segments (CONREC: the published case table, ends
/// interpolated linearly along the triangle edges). Returns the number of segments appended.
std::size_t ContourLines(const NodeGrid& grid, double level, std::vector<CData_Contour>& segments);

/// Appends pieces covering the part of the grid below \p level: a cell whose four corners all lie
/// below becomes one four-corner piece (lengthened instead when the previous cell of its column was
/// wholly below too); a crossed cell contributes the below-level parts of its four triangles.
/// Returns the number of pieces appended.
std::size_t ContourBelow(const NodeGrid& grid, double level, std::vector<CData_Area>& pieces);

/// The mirror of ContourBelow: pieces covering the part of the grid at or above \p level (whole
/// cells strictly above merged down a column, the at-or-above parts of crossed cells' triangles).
/// The coverage keeps these for its level and threshold areas: they are drawn in rising level order,
/// each over the last, so every band shows the colour its legend row gives it.
std::size_t ContourAbove(const NodeGrid& grid, double level, std::vector<CData_Area>& pieces);

/// Colour of a contour level on the hue scale: t = (level - min) / (max - min), hue 240 - 180 t
/// degrees, saturation 0.5 + 0.5 (1 - t), value 0.5 + 0.5 t, scaled to 0..255.
COLORREF LevelHueColour(double level, double min, double max);

/// HSV (hue in degrees, saturation and value 0..1) to RGB floats 0..1.
void HsvDegToRgb(double h, double s, double v, float& r, float& g, float& b);

} // namespace plotra
