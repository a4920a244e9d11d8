#pragma once
/// \brief The legend of the graph: the path colour of every survey file in use and the contour
/// levels (multiple levels, or the two thresholds of the single contour). Filled from the document
/// by Refresh, measured by GetSize and drawn into any rectangle of any painter by Draw, so that the
/// graph window and the kept graph picture show the same legend.

#include "model/GraphKinds.h"
#include "model/Palette.h"
#include "model/Records.h"

#include <QFont>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

class QPainter;
class QPaintDevice;
class QRect;

namespace plotra {

class CPlotraDoc;

/// \brief Legend contents and drawing.
class Legend {
  public:
    Legend();

    std::vector<COLORREF> m_aFileColor;
    std::vector<CDataFile> m_aFiles;
    /// Colour of each level row: the level colours in reverse order for range bands (top band
    /// first), in order for numbers of APs (N=1 first).
    std::array<COLORREF, 10> m_aLevelColour{};
    int m_bShowPath = 0;
    double m_dRangeMax = 0.0, m_dRangeMin = 0.0;
    int m_bMultiLevels = 0;
    int m_bSingleLevel = 0;
    GraphKind m_graph = GraphKind::SignalPower;
    std::uint8_t m_byAlpha = 255;
    QFont m_font;

    /// Copies what the legend shows from the document. The range is that of the graph shown; while the
    /// single contour is shown it is the contour range control's two thumbs.
    void Refresh(const CPlotraDoc& doc, PaletteKind palette = PaletteKind::Classic);
    /// The size that holds every row Draw writes: the path rows, the level block and the threshold
    /// block, as wide as their widest text (file names, titles, labels) plus a margin; 0 x 0 when
    /// nothing is shown. Measured for \p device.
    QSize GetSize(const QPaintDevice* device) const;
    /// Draws the legend into \p rect (right and bottom edges exclusive).
    void Draw(QPainter& painter, const QRect& rect) const;

    /// The label of level row i (0..9) of the multiple contours: "-37:-30" (low:high) or "N=3".
    std::string LevelLabel(int i) const;
    /// The title of the level blocks, the graph's legend title: "Power: dBm", "SNR: dB" or "N APs".
    std::string Title() const;
};

} // namespace plotra
