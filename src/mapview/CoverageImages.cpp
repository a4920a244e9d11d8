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

QImage CombinedCoverageImage(const CPlotraDoc& doc, GraphKind graph, PaletteKind palette) {
    const GraphFacts& facts = FactsOf(graph);
    const CoveragePicture index =
        doc.Display().m_bCoverageOverlay ? facts.mixedPicture : facts.dominantPicture;
    const auto& colours = doc.Coverage().m_aCoveragePictures[static_cast<std::size_t>(index)];
    if (!facts.levelColouredPicture || palette == PaletteKind::Classic)
        return ColoursToImage(colours, doc.Frame().m_nGridCols, doc.Frame().m_nGridRows);
    // A picture in the classic level colours holds a handful of distinct values, so map them
    // through a small table rather than searching per pixel.
    std::vector<COLORREF> recoloured(colours.size());
    COLORREF lastIn = 0xFFFFFFFF, lastOut = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        if (colours[i] != lastIn) lastIn = colours[i], lastOut = InPalette(palette, lastIn);
        recoloured[i] = lastOut;
    }
    return ColoursToImage(recoloured, doc.Frame().m_nGridCols, doc.Frame().m_nGridRows);
}

} // namespace plotra
