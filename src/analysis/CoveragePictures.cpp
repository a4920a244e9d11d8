#include "analysis/CoveragePictures.h"

#include "model/PlotraDoc.h"

#include <algorithm>
#include <cmath>

namespace plotra {

namespace {

constexpr COLORREF kWhite = Rgb(255, 255, 255);
constexpr COLORREF kBlack = Rgb(0, 0, 0);

int BlendChannel(int a, int b, double w) {
    const long v = std::lround(a * (1.0 - w)) + std::lround(b * w);
    return static_cast<int>(std::clamp(v, 0L, 255L));
}

/// Grid sizes from a workspace may be anything; a non-positive axis means no picture.
std::size_t NodeCount(int cols, int rows) {
    if (cols <= 0 || rows <= 0) return 0;
    return static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows);
}

template <class T> T At(const std::vector<T>& v, std::size_t i, T missing) {
    return i < v.size() ? v[i] : missing;
}

} // namespace

COLORREF BlendColour(COLORREF a, COLORREF b, double w) {
    return Rgb(BlendChannel(RedOf(a), RedOf(b), w), BlendChannel(GreenOf(a), GreenOf(b), w),
               BlendChannel(BlueOf(a), BlueOf(b), w));
}

int ShadeStep(double value, double minimum, double maximum) {
    const double x = (maximum - value) * 10.0 / (maximum - minimum);
    // !(x >= 0) also catches the NaN of an empty range at its own value.
    if (!(x >= 0.0)) return 0;
    if (x >= 10.0) return 10;
    return static_cast<int>(x);
}

COLORREF ShadeColour(COLORREF colour, int step) {
    const double f = step / 10.0;
    if (f >= 0.5) return BlendColour(colour, kWhite, 2.0 * f - 1.0);
    return BlendColour(colour, kBlack, 0.6 - 1.2 * f);
}

void BuildCoveragePictures(CPlotraDoc& doc) {
    const int cols = doc.m_nGridCols, rows = doc.m_nGridRows;
    const std::size_t nodes = NodeCount(cols, rows);
    for (auto& picture : doc.m_aCoveragePictures)
        picture.assign(nodes, kWhite);
    if (nodes == 0) return;

    auto& powerDominant = doc.m_aCoveragePictures[CPlotraDoc::kPowerDominant];
    auto& powerMixed = doc.m_aCoveragePictures[CPlotraDoc::kPowerMixed];
    auto& snrDominant = doc.m_aCoveragePictures[CPlotraDoc::kSnrDominant];
    auto& snrMixed = doc.m_aCoveragePictures[CPlotraDoc::kSnrMixed];
    auto& count = doc.m_aCoveragePictures[CPlotraDoc::kApCount];

    const std::size_t c0 = static_cast<std::size_t>(cols), r0 = static_cast<std::size_t>(rows);
    for (std::size_t ix = 0; ix < c0; ++ix) {
        for (std::size_t iy = 0; iy < r0; ++iy) {
            const std::size_t node = ix * r0 + iy;
            const std::size_t pixel = (r0 - 1 - iy) * c0 + ix;

            const int covering = At(doc.m_aGridCount, node, 0);
            if (covering >= 10)
                count[pixel] = kCountTenOrMoreColour;
            else
                count[pixel] = doc.m_crPalette[static_cast<std::size_t>(std::max(covering, 0))];

            const double power = At(doc.m_aGridPower, node, -101.0);
            if (!(power > kPictureWhiteBelowPower)) continue; // stays white (NaN too)
            const COLORREF dominant = At(doc.m_aDominantColour, node, kWhite);
            const COLORREF mixed = At(doc.m_aMixedColour, node, kWhite);
            const int powerStep = ShadeStep(power, doc.m_dPowerMin, doc.m_dPowerMax);
            powerDominant[pixel] = ShadeColour(dominant, powerStep);
            powerMixed[pixel] = ShadeColour(mixed, powerStep);
            const int snrStep = ShadeStep(At(doc.m_aGridSnr, node, -101.0), doc.m_dSnrMin, doc.m_dSnrMax);
            snrDominant[pixel] = ShadeColour(dominant, snrStep);
            snrMixed[pixel] = ShadeColour(mixed, snrStep);
        }
    }
}

} // namespace plotra
