#include "mapview/GraphRenderer.h"
#include "mapview/RenderSide.h"

#include "mapview/ApIcons.h"
#include "mapview/Axes.h"
#include "mapview/CoverageImages.h"
#include "mapview/Legend.h"
#include "mapview/MapImage.h"
#include "mapview/RenderApplication.h"
#include "mapview/Shapes.h"
#include "model/Geometry.h"
#include "model/PlotraDoc.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace plotra {

/// The render layer's objects attached to a document.
RenderSide& RenderSideOf(const CPlotraDoc& doc) {
    std::shared_ptr<RenderSide>& side = doc.RenderSideSlot();
    if (!side) side = std::make_shared<RenderSide>();
    return *side;
}

namespace {

constexpr int kApBlendAlpha = 200;
// Settings read from a file are held to what the panel can set and a little more, so that a damaged
// project cannot ask for pens or circles of absurd size.
constexpr int kMaxLineWidth = 64;
constexpr int kMaxCellRadiusPixels = 1000000;

QRect ClientRect(int width, int height) {
    return QRect(0, 0, width, height);
}

// A rectangle given by its edges (right and bottom exclusive), as device rectangles are.
QRect EdgeRect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

// Blends a rectangle of the scratch surface onto the composition surface with constant alpha.
void BlendRect(QPainter& composition, const QImage& scratch, const QRect& rect, int alpha) {
    if (rect.isEmpty()) return;
    composition.save();
    composition.setOpacity(alpha / 255.0);
    composition.drawImage(rect, scratch, rect);
    composition.restore();
}

const ContourLayerSet& ContoursFor(const CPlotraDoc& doc, GraphKind graph) {
    return doc.Coverage().m_aContours[FactsOf(graph).contourSet];
}

void SelectSolid(QPainter& painter, const QColor& colour, int penWidth) {
    painter.setPen(QPen(colour, penWidth));
    painter.setBrush(colour);
}

// Walks level records: each names how many of the following items belong to it and their colour.
// Counts beyond the items that exist are cut short.
template <class Item, class Fn>
void ForEachLevel(const std::vector<CData_Pos>& levels, const std::vector<Item>& items, PaletteKind palette,
                  Fn&& fn) {
    std::size_t next = 0;
    for (const CData_Pos& level : levels) {
        if (next >= items.size()) break;
        if (level.m_nCount <= 0) continue;
        const std::size_t count =
            std::min<std::size_t>(static_cast<std::size_t>(level.m_nCount), items.size() - next);
        const COLORREF stored = Rgb(std::clamp(level.m_nRed, 0, 255), std::clamp(level.m_nGreen, 0, 255),
                                    std::clamp(level.m_nBlue, 0, 255));
        const COLORREF drawn = InPalette(palette, stored);
        const QColor colour(RedOf(drawn), GreenOf(drawn), BlueOf(drawn));
        fn(items.data() + next, count, colour);
        next += count;
    }
}

bool MarkerShown(const CAPInfo& ap) {
    if (ap.m_bFixed) return true;
    return ap.m_aApPoints.size() >= kMinLocatedPoints && ap.m_dSlope < -10.0;
}

// Everything one paint shares.
struct Paint {
    const CPlotraDoc& doc;
    const GraphLayers& layers;
    PixelMapping m;
    QImage target, composition, scratch;
    QImage map;
    MapPlacement mapPlace;
    int lw = 1;

    void RenderMapInto(QImage& surface) const {
        if (!mapPlace.visible) return;
        QPainter p(&surface);
        RenderPicturePart(p, map, mapPlace.dest, mapPlace.start, mapPlace.end, mapPlace.lower,
                          mapPlace.upper);
    }

    // The AP's coverage rectangle in pixels, edges as the mapping truncates them.
    QRect ApRect(const CAPInfo& ap) const {
        const int left = m.Px(ap.m_areaOrigin.m_dX), right = m.Px(ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX);
        const int top = m.Py(ap.m_areaOrigin.m_dY + ap.m_areaSize.m_dY), bottom = m.Py(ap.m_areaOrigin.m_dY);
        return EdgeRect(left, top, right, bottom);
    }

    bool Hidden(const CAPInfo& ap) const {
        return layers.hiddenAp >= 0 && static_cast<std::size_t>(layers.hiddenAp) < doc.Aps().m_aAPs.size() &&
               &ap == &doc.Aps().m_aAPs[static_cast<std::size_t>(layers.hiddenAp)];
    }

    void PerApCoverage() {
        if (layers.map) RenderMapInto(scratch);
        QPainter sp(&scratch);
        QPainter cp(&composition);
        const QRect client = ClientRect(m.width, m.height);
        for (const CAPInfo& ap : doc.Aps().m_aAPs) {
            if (!ap.m_bSelected || Hidden(ap)) continue;
            if (ap.m_aApPoints.size() <= kMinCoveragePoints) {
                // Too few points for a picture: the points themselves, as discs of the AP's colour.
                const int r = lw + 4;
                SelectSolid(sp, ToQColor(ap.m_crColour), lw);
                std::vector<QPoint> centres;
                for (const CData& pt : ap.m_aApPoints)
                    centres.emplace_back(m.Px(pt.m_dX), m.Py(pt.m_dY));
                DrawDiscs(sp, centres, r);
                const QRect rect = ApRect(ap).adjusted(-r, -r, r, r);
                BlendRect(cp, scratch, rect.intersected(client), kApBlendAlpha);
            } else {
                const QImage picture = ApCoverageImage(ap);
                const QRect rect = ApRect(ap);
                if (picture.isNull() || rect.width() <= 0 || rect.height() <= 0) continue;
                sp.drawImage(rect, picture);
                BlendRect(cp, scratch, rect.intersected(client), kApBlendAlpha);
            }
        }
    }

    void CombinedCoverage() {
        const QImage picture = CombinedCoverageImage(doc, layers.graph, layers.palette);
        if (picture.isNull()) return;
        const int left = m.Px(doc.Frame().m_dGridOriginX),
                  right = m.Px(doc.Frame().m_dGridOriginX + doc.Frame().m_dGridSpanX);
        const int top = m.Py(doc.Frame().m_dGridOriginY + doc.Frame().m_dGridSpanY),
                  bottom = m.Py(doc.Frame().m_dGridOriginY);
        const QRect rect = EdgeRect(left, top, right, bottom);
        if (rect.width() <= 0 || rect.height() <= 0) return;
        QPainter cp(&composition);
        cp.drawImage(rect, picture);
    }

    void CellRadius() {
        const VisibleFrame& f = m.frame;
        double horizontal = f.xs, vertical = f.ys;
        if (!doc.Map().m_bMetricXY) {
            vertical = GeoDistance(f.y0, f.x0, f.y0 + f.ys, f.x0);
            horizontal = GeoDistance(f.y0, f.x0, f.y0, f.x0 + f.xs);
        }
        if (!(horizontal > 0) || !(vertical > 0)) return;
        if (layers.map && mapPlace.visible)
            RenderMapInto(scratch);
        else
            scratch.fill(Qt::white);
        QPainter sp(&scratch);
        QPainter cp(&composition);
        const QRect client = ClientRect(m.width, m.height);
        for (const CAPInfo& ap : doc.Aps().m_aAPs) {
            if (!ap.m_bSelected || ap.m_aApPoints.size() < kMinLocatedPoints || Hidden(ap)) continue;
            const int cx = m.Px(ap.m_posAP.m_dX), cy = m.Py(ap.m_posAP.m_dY);
            const double r = ap.m_fReliability;
            const int rx = std::clamp(RoundView(r * m.width / horizontal), 0, kMaxCellRadiusPixels);
            const int ry = std::clamp(RoundView(r * m.height / vertical), 0, kMaxCellRadiusPixels);
            const QColor colour = ToQColor(ap.m_crColour);
            sp.setPen(QPen(colour, 1));
            sp.setBrush(colour);
            sp.drawEllipse(QPoint(cx, cy), rx, ry);
            // On a planar map only the circle's box changes; on degrees the whole area is blended.
            const QRect rect = doc.Map().m_bMetricXY
                                   ? EdgeRect(cx - rx, cy - ry, cx + rx, cy + ry).intersected(client)
                                   : client;
            BlendRect(cp, scratch, rect, kApBlendAlpha);
        }
    }

    void SingleContour(const ContourLayerSet& set) {
        FillContourPieces(composition, m, set.m_aAreaLow.data(), set.m_aAreaLow.size(), QColor(128, 200, 0));
        FillContourPieces(composition, m, set.m_aAreaHigh.data(), set.m_aAreaHigh.size(), QColor(128, 80, 0));
    }

    void MultiAreas(const ContourLayerSet& set) {
        ForEachLevel(set.m_aAreaLevels, set.m_aLevelAreas, layers.palette,
                     [&](const CData_Area* pieces, std::size_t n, const QColor& colour) {
                         FillContourPieces(composition, m, pieces, n, colour);
                     });
    }

    void PathLayer(QPainter& tp) {
        const auto& pts = doc.Path().m_aPoints;
        std::vector<QPoint> px;
        px.reserve(pts.size());
        for (const CData& p : pts)
            px.emplace_back(m.Px(p.m_dX), m.Py(p.m_dY));
        const int r = lw + 1;
        tp.setBrush(Qt::white);
        std::size_t start = 0;
        for (std::size_t f = 0; f < doc.Path().m_aFilePathCount.size() && start < px.size(); ++f) {
            const int count = doc.Path().m_aFilePathCount[f];
            if (count <= 0) continue;
            const std::size_t k = std::min(static_cast<std::size_t>(count), px.size() - start);
            const COLORREF colour =
                f < doc.Survey().m_aFileColor.size() ? doc.Survey().m_aFileColor[f] : Rgb(0, 0, 255);
            tp.setPen(QPen(ToQColor(colour), lw));
            if (k >= 2) tp.drawPolyline(px.data() + start, static_cast<int>(k));
            // A circle at the start of every segment of this file.
            if (k >= 2)
                DrawDiscs(tp,
                          std::vector<QPoint>(px.begin() + static_cast<std::ptrdiff_t>(start),
                                              px.begin() + static_cast<std::ptrdiff_t>(start + k - 1)),
                          r);
            start += k;
        }
        if (!px.empty()) DrawDiscs(tp, {px.back()}, r);
        if (layers.gpsMarkers) {
            // 2D fixes and missing fixes get rings of two sizes; a circle drawn later covers an earlier
            // one, so both kinds go in path order.
            tp.setPen(QPen(Qt::black, lw + 1));
            const std::size_t n = std::min(px.size(), doc.Path().m_aGpsState.size());
            std::vector<QPoint> run;
            int runState = -1;
            auto flush = [&] {
                if (!run.empty()) DrawDiscs(tp, run, runState == 1 ? lw + 2 : lw + 3);
                run.clear();
            };
            for (std::size_t i = 0; i < n; ++i) {
                const int state = doc.Path().m_aGpsState[i];
                if (state != 0 && state != 1) continue;
                if (state != runState) flush();
                runState = state;
                run.push_back(px[i]);
            }
            flush();
        }
    }

    void Markers(QPainter& tp) {
        for (const CAPInfo& ap : doc.Aps().m_aAPs) {
            if (!ap.m_bSelected || !MarkerShown(ap) || Hidden(ap)) continue;
            tp.drawImage(QPoint(m.Px(ap.m_posAP.m_dX) - 16, m.Py(ap.m_posAP.m_dY) - 16),
                         ApIcon(ap.m_nIconId));
        }
    }

    void MultiLines(QPainter& tp, const ContourLayerSet& set) {
        tp.save();
        ForEachLevel(set.m_aLineLevels, set.m_aLines, layers.palette,
                     [&](const CData_Contour* segments, std::size_t n, const QColor& colour) {
                         DrawSegments(tp, m, segments, n, colour);
                     });
        tp.restore();
    }
};

} // namespace

GraphLayers ScreenLayers(const CPlotraDoc& doc, const ViewState& view) {
    GraphLayers l;
    const GraphFacts& graph = FactsOf(doc.Graph());
    l.graph = graph.kind;
    l.map = view.m_bShowMap;
    l.coverage = doc.Display().m_bCoveragePlotted != 0;
    l.combined = doc.Display().m_bCombined != 0;
    l.cellRadius = doc.Display().m_bShowCellRadius && graph.cellRadius;
    l.singleContour = doc.Display().m_bShowContour && doc.Display().m_bCombined;
    l.multiAreas = doc.Display().m_bMultiContours && doc.Display().m_bCombined;
    l.path = doc.Display().m_bShowPath != 0;
    l.gpsMarkers = doc.Display().m_bShowNoGps != 0;
    l.apMarkers = doc.Display().m_bShowApMarkers != 0;
    l.multiLines = doc.Display().m_bMultiContours && doc.Display().m_bCombined && graph.contourLines;
    l.axes = true;
    l.xGrid = doc.Display().m_bXGrid != 0;
    l.yGrid = doc.Display().m_bYGrid != 0;
    l.legend = doc.Display().m_bShowLegend != 0;
    l.compass = view.m_bShowDirections;
    l.palette = view.m_palette;
    if (view.m_nDraggedAP >= 0 && static_cast<std::size_t>(view.m_nDraggedAP) < doc.Aps().m_aAPs.size()) {
        // The carried AP is off the map, and so is every overlay: the drop switches the combined ones
        // off and refits the AP's own, while a drag that is given up leaves them as they were.
        l.hiddenAp = view.m_nDraggedAP;
        l.coverage = l.combined = l.cellRadius = false;
        l.singleContour = l.multiAreas = l.multiLines = false;
    }
    return l;
}

namespace {

// A work surface of the window's last paint when it has the size asked for (taken out of the cache,
// so that drawing on it copies nothing), otherwise a new one.
QImage TakeSurface(QImage* kept, int width, int height) {
    if (kept && kept->width() == width && kept->height() == height &&
        kept->format() == QImage::Format_RGB32 && kept->isDetached())
        return std::move(*kept);
    return QImage(width, height, QImage::Format_RGB32);
}

// Puts the work surfaces back into the cache when the paint is done, whichever way it ends.
struct SurfacesBack {
    RenderSide* side;
    QImage& composition;
    QImage& scratch;
    ~SurfacesBack() {
        if (!side) return;
        side->composition = std::move(composition);
        if (!scratch.isNull()) side->scratch = std::move(scratch);
    }
};

QImage Compose(const CPlotraDoc& doc, const VisibleFrame& frame, const GraphLayers& layers, int width,
               int height, const QImage* compass, RenderSide* reuse) {
    EnsureRenderApplication();
    if (width < 1 || height < 1 || width > kMaxPictureSide || height > kMaxPictureSide) return {};
    Paint paint{doc, layers, PixelMapping{frame, width, height},
                {},  {},     {},
                {},  {},     std::clamp(doc.Display().m_nLineWidth, 0, kMaxLineWidth)};
    paint.target = QImage(width, height, QImage::Format_RGB32);
    // Fresh surfaces of a large window cost more in page faults than in drawing; the window's paints
    // reuse theirs.
    paint.composition = TakeSurface(reuse ? &reuse->composition : nullptr, width, height);
    // The scratch surface serves the per-AP overlays and the cell radius circles only; without them
    // nothing reads it, so it is neither made nor filled.
    const bool scratchUsed = (layers.coverage && !layers.combined) || layers.cellRadius;
    if (scratchUsed) paint.scratch = TakeSurface(reuse ? &reuse->scratch : nullptr, width, height);
    const SurfacesBack back{reuse, paint.composition, paint.scratch};
    if (paint.target.isNull() || paint.composition.isNull() || (scratchUsed && paint.scratch.isNull()))
        return {};
    paint.target.fill(Qt::white);
    paint.composition.fill(Qt::white);
    if (scratchUsed) paint.scratch.fill(Qt::white);

    // Map, into the target and both work surfaces.
    if (layers.map) {
        paint.map = MapImageOf(doc);
        if (!paint.map.isNull() && frame.xs > 0 && frame.ys > 0) paint.mapPlace = PlaceMap(doc, paint.m);
        paint.RenderMapInto(paint.target);
        paint.RenderMapInto(paint.composition);
        if (scratchUsed) paint.RenderMapInto(paint.scratch);
    }
    if (!doc.Display().m_bDataLoaded || doc.Aps().m_aAPs.empty()) return paint.target;
    // A frame without extent would divide by zero in every conversion below.
    if (!(frame.xs != 0.0) || !(frame.ys != 0.0) || !std::isfinite(frame.xs) || !std::isfinite(frame.ys))
        return paint.target;

    const ContourLayerSet& contours = ContoursFor(doc, layers.graph);
    if (layers.coverage) {
        if (layers.combined)
            paint.CombinedCoverage();
        else
            paint.PerApCoverage();
    }
    if (layers.cellRadius) paint.CellRadius();
    if (layers.singleContour) paint.SingleContour(contours);
    if (layers.multiAreas) paint.MultiAreas(contours);

    QPainter tp(&paint.target);
    {
        tp.save();
        tp.setOpacity(std::clamp(doc.Display().m_nAlpha, 0, 255) / 255.0);
        tp.drawImage(0, 0, paint.composition);
        tp.restore();
    }
    tp.setPen(QPen(QColor(0, 0, 255), 1));
    if (layers.markersBeforePath && layers.apMarkers) paint.Markers(tp);
    if (layers.path) paint.PathLayer(tp);
    if (!layers.markersBeforePath && layers.apMarkers) paint.Markers(tp);
    if (layers.multiLines) paint.MultiLines(tp, contours);
    if (layers.axes) DrawAxes(tp, doc, frame, width, height, layers.xGrid, layers.yGrid);
    if (layers.compass) {
        if (compass && !compass->isNull())
            tp.drawImage(100, 5, *compass);
        else
            tp.drawImage(100, 5, BuildCompass(CompassNorthOffset(doc, paint.m)));
    }
    if (layers.legend) {
        Legend legend;
        legend.Refresh(doc, layers.palette);
        const QSize size = legend.GetSize(&paint.target);
        if (size.width() > 0 && size.height() > 0)
            legend.Draw(tp, QRect(width - size.width(), 0, size.width(), size.height()));
    }
    tp.end();
    return paint.target;
}

} // namespace

QImage ComposeGraph(const CPlotraDoc& doc, const VisibleFrame& frame, const GraphLayers& layers, int width,
                    int height, const QImage* compass) {
    return Compose(doc, frame, layers, width, height, compass, nullptr);
}

QImage RenderGraph(CPlotraDoc& doc, const ViewState& view, int width, int height, const QImage* compass) {
    QImage picture =
        Compose(doc, view.Visible(doc), ScreenLayers(doc, view), width, height, compass, &RenderSideOf(doc));
    KeepGraphPicture(doc, picture);
    return picture;
}

QImage GraphPictureOf(const CPlotraDoc& doc) {
    const std::shared_ptr<RenderSide>& side = doc.RenderSideSlot();
    return side ? side->graphPicture : QImage();
}

void KeepGraphPicture(CPlotraDoc& doc, const QImage& picture) {
    RenderSideOf(doc).graphPicture = picture;
}

QImage RenderReportPicture(const CPlotraDoc& doc, GraphKind graph, const ReportSwitches& switches) {
    // The picture's own frame; the document's display frame (what the graph window shows) stays.
    std::optional<ModelRect> frame;
    if (switches.path)
        frame = MapPathFrame(doc, switches.map, kReportPictureWidth, kReportPictureHeight);
    else
        frame = doc.ExtentFor(kReportPictureWidth, kReportPictureHeight, 0, doc.Host().mapShown()).frame;
    if (!frame)
        frame = ModelRect{doc.Frame().m_dFrameOriginY, doc.Frame().m_dFrameOriginX, doc.Frame().m_dFrameSpanY,
                          doc.Frame().m_dFrameSpanX};

    GraphLayers l;
    l.graph = graph;
    l.map = switches.map;
    l.coverage = switches.coverage;
    l.combined = doc.Display().m_bCombined != 0 && !switches.perAp;
    l.multiAreas = switches.contourLevels;
    l.path = switches.path;
    l.gpsMarkers = doc.Display().m_bShowNoGps != 0;
    l.apMarkers = true;
    l.multiLines = switches.contourLevels && doc.Display().m_bCombined && FactsOf(graph).contourLines;
    l.axes = true;
    l.xGrid = l.yGrid = true;
    l.markersBeforePath = true;
    l.palette = switches.palette;
    return ComposeGraph(doc, WholeFrame(*frame), l, kReportPictureWidth, kReportPictureHeight);
}

} // namespace plotra
