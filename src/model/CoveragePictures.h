#pragma once
/// \brief The five combined coverage pictures, built from the combined grids of a finished coverage
/// calculation: power and SNR each shaded in the dominant and in the mixed colour, and the number of
/// covering APs in palette colours. Used by the coverage calculation and by reopening a workspace.

#include "model/PlotraDoc.h"

#include <array>
#include <vector>

namespace plotra {

/// Colour of number-of-APs nodes covered by ten or more APs. The palette has ten entries (0..9 APs);
/// the legend's last row ("N>=10") needs an eleventh colour, a dark purple that no palette entry uses.
inline constexpr COLORREF kCountTenOrMoreColour = Rgb(96, 0, 96);

/// Nodes whose strongest power is at or below this (dBm) are white in the four shaded pictures.
inline constexpr double kPictureWhiteBelowPower = -100.0;

/// Per channel round(a * (1 - w)) + round(b * w), each product rounded to the nearest integer
/// before adding (the result is kept within 0..255).
COLORREF BlendColour(COLORREF a, COLORREF b, double w);

/// Shade step of \p value in the range [minimum, maximum]: trunc((maximum - value) * 10 / (maximum -
/// minimum)). Values above the maximum (a negative step) count as 0; a step beyond 10 (a value under the
/// minimum) is held at 10, and an empty range's 0/0 counts as 0.
int ShadeStep(double value, double minimum, double maximum);

/// The shaded pixel: f = step / 10; f >= 0.5 mixes \p colour with white by 2f - 1, otherwise with
/// black by 0.6 - 1.2f.
COLORREF ShadeColour(COLORREF colour, int step);

/// \brief The combined grids and ranges the pictures are made from.
struct CoverageGridsView {
    int cols = 0, rows = 0;
    const std::vector<double>* power = nullptr;
    const std::vector<double>* snr = nullptr;
    const std::vector<int>* count = nullptr;
    const std::vector<COLORREF>* dominant = nullptr;
    const std::vector<COLORREF>* mixed = nullptr;
    double powerMin = 0, powerMax = 0, snrMin = 0, snrMax = 0;
    const std::array<COLORREF, 10>* palette = nullptr;
};

using CoveragePictureSet = std::array<std::vector<COLORREF>, CPlotraDoc::kPictureCount>;

/// The five pictures of the given grids (see BuildCoveragePictures for the rules).
CoveragePictureSet MakeCoveragePictures(const CoverageGridsView& grids);

/// Rebuilds doc.Coverage().m_aCoveragePictures from m_aGridPower, m_aGridSnr, m_aGridCount, m_aDominantColour
/// and m_aMixedColour over m_nGridCols x m_nGridRows nodes, with the ranges m_dPowerMin/Max and
/// m_dSnrMin/Max. Node (ix, iy) (index ix * rows + iy) is the pixel at column ix, row rows - 1 - iy;
/// pictures are stored row by row from the top. Missing grid entries count as uncovered nodes.
void BuildCoveragePictures(CPlotraDoc& doc);

/// The pictures of the stored grids as the coverage calculation shaded them: over the smallest and
/// largest power and SNR of the covered nodes (tracked from m_dMeanRssi and m_dMeanSnr, the power held
/// within -100..-30), not over the rounded ranges that the contours and the legend keep in
/// m_dPowerMin/Max and m_dSnrMin/Max. A project opened again shows the coverage it was saved with.
void RestoreCoveragePictures(CPlotraDoc& doc);

} // namespace plotra
