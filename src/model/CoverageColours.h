#pragma once
/// \brief Colour grids of the coverage pictures, kept in the core as 0x00BBGGRR arrays of
/// columns x rows pixels stored row by row from the top; the render layer turns them into images.

#include "model/Records.h"

#include <vector>

namespace plotra {

class CPlotraDoc;

/// One pixel per grid node for values stored column by column (index c * rows + r); node row r is
/// pixel row rows - 1 - r. level = trunc((max - v) * 10 / (max - min)) clamped to 0..10, q = level/10;
/// q >= 0.5 mixes the base with white by 2q - 1, otherwise with black by 0.6 - 1.2q (per channel,
/// truncated). The maximum gives the base with 60 % black, the middle the base, the minimum white.
std::vector<COLORREF> GridToColours(const std::vector<double>& values, int cols, int rows, COLORREF base,
                                    double minimum, double maximum);

/// The colour an AP's own coverage picture is drawn in: its own colour (colour mode 0), its group's
/// colour (mode 1) or the document's single colour (mode 2).
COLORREF ApPictureColour(const CPlotraDoc& doc, std::size_t apIndex);

/// The coverage picture of one AP as its grid, colour and the power range [m_nPowerRangeLow,
/// m_nPowerRangeHigh] make it now; none for an AP without a grid.
std::vector<COLORREF> ApCoveragePicture(const CPlotraDoc& doc, std::size_t apIndex);

/// Rebuilds the coverage picture of one AP (ApCoveragePicture).
void RegenerateApCoverageBitmap(CPlotraDoc& doc, std::size_t apIndex);

} // namespace plotra
