#pragma once
/// \brief The graph renderer: paints the document for a view into a QImage of any size, layer by
/// layer - map, coverage overlay (per AP or combined), cell radius circles, contour areas, the
/// transparency of the composed overlay, path, AP markers, contour lines, axes, compass and legend.
/// The graph window, the bitmap save, the KML overlay, printing and the report pictures all use it.
///
/// The last painted picture of the graph window is kept with the document (RenderGraph stores it,
/// GraphPictureOf reads it), because the exports work from "the graph as last shown".

#include "model/GraphKinds.h"
#include "model/ViewState.h"

#include <QImage>

namespace plotra {

class CPlotraDoc;

/// \brief Which layers a picture gets. The graph window derives them from the document's display
/// settings (ScreenLayers); the report picture from its switches.
struct GraphLayers {
    GraphKind graph = GraphKind::SignalPower;
    bool map = false;
    bool coverage = false; ///< per-AP pictures, or the combined picture when combined is set
    bool combined = false;
    bool cellRadius = false;
    bool singleContour = false;
    bool multiAreas = false;
    bool path = false;
    bool gpsMarkers = false;
    bool apMarkers = false;
    bool multiLines = false;
    bool axes = false;
    bool xGrid = false, yGrid = false;
    bool legend = false;
    bool compass = false;
    bool markersBeforePath = false; ///< the report draws the markers under the path
    int hiddenAp = -1;              ///< an AP left out (marker and own overlays): the one the mouse carries
    PaletteKind palette = PaletteKind::Classic; ///< contour, count picture and legend colours
};

/// Largest picture side the renderer draws (three surfaces of this size are in memory at once).
inline constexpr int kMaxPictureSide = 8192;

/// The layers of the graph window for the document's settings and the view's toggles. While the
/// mouse carries an AP, that AP is hidden and no coverage overlay is drawn.
GraphLayers ScreenLayers(const CPlotraDoc& doc, const ViewState& view);

/// Paints the layers for the visible frame into a new W x H picture (a null picture for a side
/// outside 1..kMaxPictureSide). Without data (m_bDataLoaded and at least one AP) only the map is drawn. \p
/// compass is the view's compass picture; when null and the compass is wanted, one is built for the visible
/// area.
QImage ComposeGraph(const CPlotraDoc& doc, const VisibleFrame& frame, const GraphLayers& layers, int width,
                    int height, const QImage* compass = nullptr);

/// The graph window's paint for a W x H client area: ComposeGraph with the screen layers. The
/// picture is returned and kept as the document's last graph picture.
QImage RenderGraph(CPlotraDoc& doc, const ViewState& view, int width, int height,
                   const QImage* compass = nullptr);

/// The document's last graph picture (from RenderGraph); a null image before the first paint.
QImage GraphPictureOf(const CPlotraDoc& doc);
/// Replaces the document's last graph picture.
void KeepGraphPicture(CPlotraDoc& doc, const QImage& picture);

/// \brief The switches of a report picture. spare and last are passed by the report and change
/// nothing in the picture.
struct ReportSwitches {
    bool map = false;
    bool coverage = false;
    bool spare = false;
    bool contourLevels = false;
    bool path = false;
    bool last = false;
    bool perAp = false; ///< the coverage of every AP on its own, also when a combined coverage exists
    PaletteKind palette = PaletteKind::Classic;
};

inline constexpr int kReportPictureWidth = 800;
inline constexpr int kReportPictureHeight = 500;

/// The 800 x 500 report picture. Its frame is computed for 800 x 500 (from the selected APs, or with
/// the path switch by the map/path fit) without changing the document's; then the map, coverage,
/// contour level areas, the overlay transparency, AP markers (always), path and contour lines are
/// drawn as the switches say, and the axes with both grid options on.
QImage RenderReportPicture(const CPlotraDoc& doc, GraphKind graph, const ReportSwitches& switches);

} // namespace plotra
