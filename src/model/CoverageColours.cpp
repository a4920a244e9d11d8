#include "model/CoverageColours.h"

#include "model/EditAccess.h"
#include "model/PlotraDoc.h"

#include <algorithm>

namespace plotra {

std::vector<COLORREF> GridToColours(const std::vector<double>& values, int cols, int rows, COLORREF base,
                                    double minimum, double maximum) {
    if (cols <= 0 || rows <= 0) return {};
    const std::size_t c0 = static_cast<std::size_t>(cols), r0 = static_cast<std::size_t>(rows);
    std::vector<COLORREF> out(c0 * r0, Rgb(255, 255, 255));
    const double range = maximum - minimum;
    for (std::size_t c = 0; c < c0; ++c) {
        for (std::size_t r = 0; r < r0; ++r) {
            const std::size_t idx = c * r0 + r;
            if (idx >= values.size()) continue;
            const double x = (maximum - values[idx]) * 10.0 / range;
            // NaN (an empty range at its own value) counts as level 0, anything beyond as 10.
            const int level = !(x >= 0.0) ? 0 : (x >= 10.0 ? 10 : static_cast<int>(x));
            const double q = level / 10.0;
            const double t = q >= 0.5 ? 2.0 * q - 1.0 : 0.6 - 1.2 * q;
            const double mix = q >= 0.5 ? 255.0 : 0.0;
            const int red = static_cast<int>(RedOf(base) * (1.0 - t) + mix * t);
            const int green = static_cast<int>(GreenOf(base) * (1.0 - t) + mix * t);
            const int blue = static_cast<int>(BlueOf(base) * (1.0 - t) + mix * t);
            out[(r0 - 1 - r) * c0 + c] = Rgb(red, green, blue);
        }
    }
    return out;
}

COLORREF ApPictureColour(const CPlotraDoc& doc, std::size_t apIndex) {
    const CAPInfo& ap = doc.Aps().m_aAPs.at(apIndex);
    if (doc.Display().m_nColourMode == 2) return doc.Display().m_crSingleColour;
    if (doc.Display().m_nColourMode == 1) {
        const auto& groups = doc.Aps().m_groups.m_aGroups;
        if (ap.m_nGroupIndex >= 0 && static_cast<std::size_t>(ap.m_nGroupIndex) < groups.size())
            return groups[static_cast<std::size_t>(ap.m_nGroupIndex)].m_crColour;
    }
    return ap.m_crColour;
}

std::vector<COLORREF> ApCoveragePicture(const CPlotraDoc& doc, std::size_t apIndex) {
    const CAPInfo& ap = doc.Aps().m_aAPs.at(apIndex);
    const std::size_t nodes = static_cast<std::size_t>(std::max(0, ap.m_nApGridCols)) *
                              static_cast<std::size_t>(std::max(0, ap.m_nApGridRows));
    if (nodes == 0 || ap.m_aGrid.size() < nodes) return {};
    return GridToColours(ap.m_aGrid, ap.m_nApGridCols, ap.m_nApGridRows, ApPictureColour(doc, apIndex),
                         doc.Display().m_nPowerRangeLow, doc.Display().m_nPowerRangeHigh);
}

void RegenerateApCoverageBitmap(CPlotraDoc& doc, std::size_t apIndex) {
    Edit::Aps(doc).m_aAPs.at(apIndex).m_aCoverageBitmap = ApCoveragePicture(doc, apIndex);
}

} // namespace plotra
