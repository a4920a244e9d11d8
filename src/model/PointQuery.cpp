#include "model/PointQuery.h"
#include "model/TextFormat.h"

#include "model/Geometry.h"
#include "model/PlotraDoc.h"

#include <cmath>
#include <cstdlib>

namespace plotra {

namespace {

bool Metres(const CPlotraDoc& doc) {
    return doc.Display().m_dUnitFactor > 0.5;
}

// The ruler's foot, and its mile of 1609 m (the threshold between feet and miles uses the same mile).
constexpr double kFoot = 0.3048, kMile = 1609.0;

/// The pair the status text and the info bubble show in the unit of the display: planar map
/// coordinates, or for degrees the distances from the visible area's lower-left corner along the
/// parallel and the meridian (metres).
std::pair<double, double> MetricPair(const CPlotraDoc& doc, const VisibleFrame& f, double x, double y) {
    if (doc.Map().m_bMetricXY) return {x, y};
    return {GeoDistance(f.y0, f.x0, f.y0, x), GeoDistance(f.y0, f.x0, y, f.x0)};
}

/// Longitude and latitude of a model position (the map's inverse transformation for planar data;
/// a matrix that cannot be inverted leaves the coordinates as they are rather than stopping every
/// mouse move with a message).
std::pair<double, double> GeoPair(const CPlotraDoc& doc, double x, double y) {
    if (!doc.Map().m_bMetricXY) return {x, y};
    if (const auto g = doc.MapToGeoQuiet(x, y)) return {g->m_dX, g->m_dY};
    return {x, y};
}

std::string PositionText(const CPlotraDoc& doc, const VisibleFrame& f, double x, double y) {
    if (doc.Display().m_bShowLonLat) {
        const auto [lon, lat] = GeoPair(doc, x, y);
        return FormatText<512>("Lon = %3.5f, Lat = %3.5f", lon, lat);
    }
    const auto [mx, my] = MetricPair(doc, f, x, y);
    return FormatText<512>("X = %5.3f, Y = %5.3f", mx / doc.Display().m_dUnitFactor,
                           my / doc.Display().m_dUnitFactor);
}

/// Pixel rectangle of a model rectangle: left, right, top, bottom.
struct PixelRect {
    int left, right, top, bottom;
};

PixelRect ToPixels(const PixelMapping& m, double originX, double originY, double spanX, double spanY) {
    return {m.Px(originX), m.Px(originX + spanX), m.Py(originY + spanY), m.Py(originY)};
}

} // namespace

int HitTestAp(const CPlotraDoc& doc, const PixelMapping& mapping, int px, int py) {
    int hit = -1;
    int best = 100;
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
        const CAPInfo& ap = doc.Aps().m_aAPs[i];
        if (!ap.m_bSelected) continue;
        const int mx = RoundView(mapping.PxExact(ap.m_posAP.m_dX));
        const int my = RoundView(mapping.PyExact(ap.m_posAP.m_dY));
        const int dx = std::abs(mx - px), dy = std::abs(my - py);
        if (dx < 6 && dy < 6 && dx + dy < best) {
            best = dx + dy;
            hit = static_cast<int>(i);
        }
    }
    return hit;
}

RulerReading MeasureRuler(const CPlotraDoc& doc, double x1, double y1, double x2, double y2) {
    RulerReading r;
    r.metric = doc.Map().m_bMetricXY != 0;
    r.leftLabel = std::string(r.metric ? "Y" : "Lat");
    r.rightLabel = std::string(r.metric ? "X" : "Lon");
    double d;
    if (r.metric) {
        const double f = doc.Display().m_dUnitFactor;
        r.left1 = FormatText<512>("%5.3f", y1 / f), r.left2 = FormatText<512>("%5.3f", y2 / f);
        r.right1 = FormatText<512>("%5.3f", x1 / f), r.right2 = FormatText<512>("%5.3f", x2 / f);
        d = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    } else {
        r.left1 = FormatText<512>("%4.6f", y1), r.left2 = FormatText<512>("%4.6f", y2);
        r.right1 = FormatText<512>("%4.6f", x1), r.right2 = FormatText<512>("%4.6f", x2);
        d = GeoDistance(y1, x1, y2, x2);
    }
    d /= doc.Display().m_dUnitFactor;
    double shown;
    if (doc.Display().m_dUnitFactor >= 0.5) {
        const bool metres = d <= 1000.0;
        r.distanceLabel = std::string(metres ? "Distance (Meter)" : "Distance (KMs)");
        r.unit = metres ? RulerUnit::Meter : RulerUnit::Kilometre;
        shown = metres ? d : d / 1000.0;
    } else {
        // A mile of 1609 m: the same mile as the threshold of 5278.87 feet.
        const bool feet = d <= 5278.871391076115;
        r.distanceLabel = std::string(feet ? "Distance (Feet)" : "Distance (Miles)");
        r.unit = feet ? RulerUnit::Foot : RulerUnit::Mile;
        shown = feet ? d : d * kFoot / kMile;
    }
    r.distance = FormatText<512>("%4.6f", shown);
    return r;
}

std::string RulerDistance(bool metric, RulerUnit unit, const std::string& left1, const std::string& right1,
                          const std::string& left2, const std::string& right2) {
    auto read = [](const std::string& text) {
        float v = 0.0f;
        std::sscanf(text.c_str(), "%g", &v);
        return v;
    };
    const float l1 = read(left1), l2 = read(left2), r1 = read(right1), r2 = read(right2);
    if (metric) {
        // Planar values are in the display unit: metres under a metre or kilometre label, feet under
        // a foot or mile label.
        const double dl = static_cast<double>(l2) - l1, dr = static_cast<double>(r2) - r1;
        const double d = std::sqrt(dl * dl + dr * dr);
        const double shown = unit == RulerUnit::Kilometre ? d / 1000.0
                             : unit == RulerUnit::Mile    ? d * kFoot / kMile
                                                          : d;
        return FormatText<512>("%5.3f", shown);
    }
    const double metres = GeoDistance(l1, r1, l2, r2);
    double shown = metres;
    switch (unit) {
    case RulerUnit::Kilometre:
        shown = metres / 1000.0;
        break;
    case RulerUnit::Foot:
        shown = metres / kFoot;
        break;
    case RulerUnit::Mile:
        shown = metres / kMile;
        break;
    case RulerUnit::Meter:
        break;
    }
    return FormatText<512>("%4.6f", shown);
}

std::optional<std::size_t> GridCellAt(int px, int py, int left, int right, int top, int bottom, int cols,
                                      int rows) {
    if (cols < 1 || rows < 1 || right <= left || bottom <= top) return std::nullopt;
    if (px < left || px > right || py < top || py > bottom) return std::nullopt;
    const int c = RoundView(static_cast<double>(px - left) * (cols - 1) / (right - left));
    const int r = RoundView(static_cast<double>(bottom - py) * (rows - 1) / (bottom - top));
    if (c < 0 || c >= cols || r < 0 || r >= rows) return std::nullopt;
    return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r);
}

std::string StatusText(const CPlotraDoc& doc, const ViewState& view, int px, int py, int width, int height) {
    const bool inside = px >= 0 && py >= 0 && px < width && py < height;
    if (!doc.Display().m_bDataLoaded)
        return inside ? FormatText<512>("(X_Pixel = %d, Y_Pixel =  %d)", px, py) : std::string();
    if (!inside) return {};
    const PixelMapping m = view.Mapping(doc, width, height);
    const double x = m.ModelX(px), y = m.ModelY(py);
    const std::string position = PositionText(doc, m.frame, x, y);
    if (!doc.Display().m_bCombined) return FormatText<512>("(%s)", position.c_str());
    const PixelRect rect = ToPixels(m, doc.Frame().m_dGridOriginX, doc.Frame().m_dGridOriginY,
                                    doc.Frame().m_dGridSpanX, doc.Frame().m_dGridSpanY);
    const auto cell = GridCellAt(px, py, rect.left, rect.right, rect.top, rect.bottom,
                                 doc.Frame().m_nGridCols, doc.Frame().m_nGridRows);
    if (!cell) return FormatText<512>("No coverage! (%s)", position.c_str());
    const GraphFacts& graph = FactsOf(doc.Graph());
    if (const std::optional<double> value = graph.nodeValue(doc, *cell))
        return FormatText<512>("(%s, %s%d%s)", position.c_str(), std::string(graph.statusLabel).c_str(),
                               TruncPixel(*value), std::string(graph.statusUnit).c_str());
    return FormatText<512>("No coverage! (%s)", position.c_str());
}

std::string InfoText(const CPlotraDoc& doc, const ViewState& view, int px, int py, int width, int height) {
    if (!doc.Display().m_bDataLoaded) return {};
    const PixelMapping m = view.Mapping(doc, width, height);
    const VisibleFrame& f = m.frame;
    const double x = m.ModelX(px), y = m.ModelY(py);
    const double unit = doc.Display().m_dUnitFactor;
    const bool metres = Metres(doc);

    // The first path point within the line's reach of the mouse, each axis by its own scale.
    std::optional<std::size_t> pathPoint;
    if (doc.Display().m_bShowPath) {
        const double reach = doc.Display().m_nLineWidth + 1;
        const double rx = reach * f.xs / width, ry = reach * f.ys / height;
        for (std::size_t i = 0; i < doc.Path().m_aPoints.size() && !pathPoint; ++i)
            if (std::fabs(doc.Path().m_aPoints[i].m_dX - x) <= rx &&
                std::fabs(doc.Path().m_aPoints[i].m_dY - y) <= ry)
                pathPoint = i;
    }

    const auto [mx, my] = MetricPair(doc, f, x, y);
    std::string text = FormatText<512>(
        metres ? "X(m) = %3.3f, Y(m) = %3.3f \n" : "X(Ft) = %3.3f, Y(Ft) = %3.3f \n", mx / unit, my / unit);
    const auto [lon, lat] = GeoPair(doc, x, y);
    text += FormatText<512>("Lon = %3.5f, Lat = %3.5f \n", lon, lat);
    if (pathPoint && *pathPoint < doc.Path().m_aAltitude.size() &&
        *pathPoint < doc.Path().m_aVelocity.size()) {
        const double altitude = doc.Path().m_aAltitude[*pathPoint] / unit / 100.0;
        const double speed = doc.Path().m_aVelocity[*pathPoint] / 100.0;
        text += metres ? FormatText<512>("Altitude = %5.0f m, Velocity = %5.1f KPH\n", altitude, speed * 3.6)
                       : FormatText<512>("Altitude = %5.0f Ft, Velocity = %5.1f MPH\n", altitude,
                                         speed * 3600.0 / 1609.344);
    }
    text += "\n  RSSI     CH          MAC                  SSID\n";

    int count = 0;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        if (!ap.m_bSelected) continue;
        const std::string mac = ap.MacText(), ssid = ap.SsidText();
        const int channel = ap.m_byChannel;
        if (ap.m_aApPoints.size() <= kMinCoveragePoints) {
            // Every reading near the mouse is listed (a placed AP, whose lines would all read the
            // same, once), but the summary counts APs: an AP heard at several nearby points still
            // covers the point once.
            bool heard = false;
            for (const CData& p : ap.m_aApPoints) {
                if (std::abs(m.Px(p.m_dX) - px) > 6 || std::abs(m.Py(p.m_dY) - py) > 6) continue;
                if (!ap.m_bFixed)
                    text += FormatText<512>("\n %3.0f dBm %2d  %s  %s\n", p.m_dRssi, channel, mac.c_str(),
                                            ssid.c_str());
                else if (!heard)
                    text +=
                        FormatText<512>("\n   (AP)     %2d  %s  %s\n", channel, mac.c_str(), ssid.c_str());
                heard = true;
            }
            if (heard) ++count;
            continue;
        }
        const bool marker =
            ap.m_bFixed || (ap.m_aApPoints.size() >= kMinLocatedPoints && ap.m_dSlope < -10.0);
        if (marker && std::abs(m.Px(ap.m_posAP.m_dX) - px) <= 6 &&
            std::abs(m.Py(ap.m_posAP.m_dY) - py) <= 6) {
            text += FormatText<512>("\n   (AP)     %2d  %s  %s\n", channel, mac.c_str(), ssid.c_str());
            ++count;
            continue;
        }
        const PixelRect rect =
            ToPixels(m, ap.m_areaOrigin.m_dX, ap.m_areaOrigin.m_dY, ap.m_areaSize.m_dX, ap.m_areaSize.m_dY);
        const auto cell = GridCellAt(px, py, rect.left, rect.right, rect.top, rect.bottom, ap.m_nApGridCols,
                                     ap.m_nApGridRows);
        if (!cell || *cell >= ap.m_aGrid.size()) continue;
        const int value = TruncPixel(ap.m_aGrid[*cell]);
        if (value <= -100) continue;
        text += FormatText<512>("\n %d dBm %2d  %s  %s\n", value, channel, mac.c_str(), ssid.c_str());
        ++count;
    }
    if (count == 0)
        text += "\n No selected AP covers this point\n";
    else if (count == 1)
        text += "\n 1 selected AP covers this point \n";
    else
        text += FormatText<512>("\n %d selected APs cover this point \n", count);
    return text;
}

InfoPlacement PlaceInfo(int x, int y, int w, int h, int right, int bottom) {
    if (x + w > right && x - w > 0 && y + h <= bottom) return {x - w - 1, y + 1, true, false};
    if (x + w <= right && y + h <= bottom) return {x + 1, y + 1, false, false};
    if (x + w > right && x - w > 0 && y + h > bottom && y > h) return {x - w - 1, y - h - 1, true, true};
    if (x + w <= right && y + h > bottom && y > h) return {x + 1, y - h - 1, false, true};
    return {x + 1, y + 1, false, false};
}

} // namespace plotra
