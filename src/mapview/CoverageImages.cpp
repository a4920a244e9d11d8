#include "mapview/CoverageImages.h"

#include "model/CoverageColours.h"
#include "model/PlotraDoc.h"

namespace plotra {

QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QImage ColoursToImage(const std::vector<COLORREF>& colours, int cols, int rows) {
    if (cols <= 0 || rows <= 0) return {};
    if (colours.size() != static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows)) return {};
    QImage image(cols, rows, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const COLORREF* src = colours.data();
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < cols; ++x, ++src)
            line[x] = qRgb(RedOf(*src), GreenOf(*src), BlueOf(*src));
    }
    return image;
}

QImage GridToImage(const std::vector<double>& values, int cols, int rows, COLORREF base, double minimum,
                   double maximum) {
    return ColoursToImage(GridToColours(values, cols, rows, base, minimum, maximum), cols, rows);
}

QImage ApCoverageImage(const CAPInfo& ap) {
    return ColoursToImage(ap.m_aCoverageBitmap, ap.m_nApGridCols, ap.m_nApGridRows);
}

QImage CombinedCoverageImage(const CPlotraDoc& doc, int graphType) {
    int index = CPlotraDoc::kApCount;
    if (graphType == 1)
        index = doc.m_bCoverageOverlay ? CPlotraDoc::kPowerMixed : CPlotraDoc::kPowerDominant;
    else if (graphType == 2)
        index = doc.m_bCoverageOverlay ? CPlotraDoc::kSnrMixed : CPlotraDoc::kSnrDominant;
    return ColoursToImage(doc.m_aCoveragePictures[static_cast<std::size_t>(index)], doc.m_nGridCols,
                          doc.m_nGridRows);
}

} // namespace plotra
