#include "model/CoveragePictures.h"

#include "model/EditAccess.h"
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

CoveragePictureSet MakeCoveragePictures(const CoverageGridsView& g) {
    CoveragePictureSet pictures;
    const std::size_t nodes = NodeCount(g.cols, g.rows);
    for (auto& picture : pictures) picture.assign(nodes, kWhite);
    if (nodes == 0) return pictures;

    auto& powerDominant = pictures[CPlotraDoc::kPowerDominant];
    auto& powerMixed = pictures[CPlotraDoc::kPowerMixed];
    auto& snrDominant = pictures[CPlotraDoc::kSnrDominant];
    auto& snrMixed = pictures[CPlotraDoc::kSnrMixed];
    auto& count = pictures[CPlotraDoc::kApCount];

    const std::size_t c0 = static_cast<std::size_t>(g.cols), r0 = static_cast<std::size_t>(g.rows);
    for (std::size_t ix = 0; ix < c0; ++ix) {
        for (std::size_t iy = 0; iy < r0; ++iy) {
            const std::size_t node = ix * r0 + iy;
            const std::size_t pixel = (r0 - 1 - iy) * c0 + ix;

            const int covering = At(*g.count, node, 0);
            if (covering >= 10)
                count[pixel] = kCountTenOrMoreColour;
            else
                count[pixel] = (*g.palette)[static_cast<std::size_t>(std::max(covering, 0))];

            const double power = At(*g.power, node, -101.0);
            if (!(power > kPictureWhiteBelowPower)) continue; // stays white (NaN too)
            const COLORREF dominant = At(*g.dominant, node, kWhite);
            const COLORREF mixed = At(*g.mixed, node, kWhite);
            const int powerStep = ShadeStep(power, g.powerMin, g.powerMax);
            powerDominant[pixel] = ShadeColour(dominant, powerStep);
            powerMixed[pixel] = ShadeColour(mixed, powerStep);
            const int snrStep = ShadeStep(At(*g.snr, node, -101.0), g.snrMin, g.snrMax);
            snrDominant[pixel] = ShadeColour(dominant, snrStep);
            snrMixed[pixel] = ShadeColour(mixed, snrStep);
        }
    }
    return pictures;
}

void BuildCoveragePictures(CPlotraDoc& doc) {
    CoverageGridsView g;
    g.cols = doc.Frame().m_nGridCols, g.rows = doc.Frame().m_nGridRows;
    g.power = &Edit::Coverage(doc).m_aGridPower, g.snr = &Edit::Coverage(doc).m_aGridSnr,
    g.count = &Edit::Coverage(doc).m_aGridCount;
    g.dominant = &Edit::Coverage(doc).m_aDominantColour, g.mixed = &Edit::Coverage(doc).m_aMixedColour;
    g.powerMin = doc.Coverage().m_dPowerMin, g.powerMax = doc.Coverage().m_dPowerMax,
    g.snrMin = doc.Coverage().m_dSnrMin, g.snrMax = doc.Coverage().m_dSnrMax;
    g.palette = &Edit::Display(doc).m_crPalette;
    Edit::Coverage(doc).m_aCoveragePictures = MakeCoveragePictures(g);
}

void RestoreCoveragePictures(CPlotraDoc& doc) {
    CoverageGridsView g;
    g.cols = doc.Frame().m_nGridCols, g.rows = doc.Frame().m_nGridRows;
    g.power = &Edit::Coverage(doc).m_aGridPower, g.snr = &Edit::Coverage(doc).m_aGridSnr,
    g.count = &Edit::Coverage(doc).m_aGridCount;
    g.dominant = &Edit::Coverage(doc).m_aDominantColour, g.mixed = &Edit::Coverage(doc).m_aMixedColour;
    g.palette = &Edit::Display(doc).m_crPalette;
    // The calculation's trackers again: a node is covered when at least one AP reaches it.
    double powerMax = doc.Coverage().m_dMeanRssi, powerMin = doc.Coverage().m_dMeanRssi;
    double snrMax = doc.Coverage().m_dMeanSnr, snrMin = doc.Coverage().m_dMeanSnr;
    const std::size_t nodes = NodeCount(g.cols, g.rows);
    for (std::size_t i = 0; i < nodes; ++i) {
        if (At(doc.Coverage().m_aGridCount, i, 0) < 1) continue;
        const double power = At(doc.Coverage().m_aGridPower, i, -101.0),
                     snr = At(doc.Coverage().m_aGridSnr, i, -101.0);
        powerMax = std::max(powerMax, power), powerMin = std::min(powerMin, power);
        snrMax = std::max(snrMax, snr), snrMin = std::min(snrMin, snr);
    }
    g.powerMax = std::min(powerMax, -30.0), g.powerMin = std::max(powerMin, -100.0);
    g.snrMax = snrMax, g.snrMin = snrMin;
    Edit::Coverage(doc).m_aCoveragePictures = MakeCoveragePictures(g);
}

} // namespace plotra
