#pragma once
/// \brief Coverage pictures as images. The core keeps them as colour arrays (0x00BBGGRR, row by row
/// from the top); drawing needs QImages of the same pixels.

#include "model/GraphKinds.h"
#include "model/Palette.h"
#include "model/Records.h"

#include <QImage>

#include <vector>

namespace plotra {

class CPlotraDoc;

/// A cols x rows RGB32 image of \p colours stored row by row from the top; a null image when the
/// array does not hold exactly cols x rows colours.
QImage ColoursToImage(const std::vector<COLORREF>& colours, int cols, int rows);

/// One pixel per grid node, values stored column by column, node row 0 at the bottom: the maximum
/// gives the base colour with 60 % black, the middle the base colour, the minimum white.
QImage GridToImage(const std::vector<double>& values, int cols, int rows, COLORREF base, double minimum,
                   double maximum);

/// The AP's own coverage picture (built by RegenerateApCoverageBitmap); null when it has none.
QImage ApCoverageImage(const CAPInfo& ap);

/// The combined coverage picture of a graph: its mixed picture when m_bCoverageOverlay is set, else
/// its dominant one (the same for the number of APs), recoloured for \p palette when it is painted in
/// the classic level colours. Null when missing.
QImage CombinedCoverageImage(const CPlotraDoc& doc, GraphKind graph,
                             PaletteKind palette = PaletteKind::Classic);

/// 0x00BBGGRR to a QColor.
QColor ToQColor(COLORREF c);

} // namespace plotra
