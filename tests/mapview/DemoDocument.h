#pragma once
/// \brief Builds a processed document by hand from a simulated survey, for the render tests, the
/// pictures in docs/ and the render benchmark: files and their path colours, the path with GPS fix
/// states, one AP per heard BSSID with its points, area, position, model and 50 x 50 grid (from the
/// generator's ground truth rather than a fit), optionally a rotated geo-coded map, and optionally
/// the combined coverage computed by the core.

#include "analysis/Contour.h"
#include "analysis/Coverage.h"
#include "analysis/Numeric.h"
#include "mapview/BitmapFile.h"
#include "model/CoverageColours.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"
#include "sim/SurveyGenerator.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace plotra::test {

struct DemoOptions {
    std::string scenario = "demo";
    std::uint64_t seed = 11;
    bool withMap = false; ///< a planar map with a projection turned by mapRotationDeg
    double mapRotationDeg = 8.0;
    int mapWidthPx = 900;
    bool coverage = true;            ///< compute the combined coverage
    std::size_t coveragePoints = 80; ///< thin every AP's points to about this many for the coverage (0: all)
    double resolutionDivisor = 80; ///< coverage cell size = rectangle size / this (clamped to 50..400 nodes)
    unsigned threads = 2;
};

namespace demo_detail {

inline constexpr double kPi = 3.14159265358979323846;

// An affine projection around the survey: pixel column/row as linear functions of latitude and
// longitude, the map turned by the given angle.
inline void SetUpProjection(CPlotraDoc& doc, const sim::GeneratedSurvey& g, const DemoOptions& o) {
    const double lat0 = (g.south + g.north) / 2, lon0 = (g.west + g.east) / 2;
    const double cosLat = std::cos(lat0 * kPi / 180.0);
    const double heightM = (g.north - g.south) * sim::kMetresPerDegree;
    const double widthM = (g.east - g.west) * sim::kMetresPerDegree * cosLat;
    const double th = o.mapRotationDeg * kPi / 180.0;
    // The turned survey must fit with a margin.
    const double needW = (std::abs(std::cos(th)) * widthM + std::abs(std::sin(th)) * heightM) * 1.3;
    const double needH = (std::abs(std::sin(th)) * widthM + std::abs(std::cos(th)) * heightM) * 1.3;
    const int wpx = o.mapWidthPx;
    const double mpp = needW / wpx;
    const int hpx = std::max(10, static_cast<int>(needH / mpp));
    const double col0 = wpx / 2.0, row0 = hpx / 2.0;
    const double kx = sim::kMetresPerDegree * cosLat, ky = sim::kMetresPerDegree;
    // u = cos(th) * east - sin(th) * north; v = sin(th) * east + cos(th) * north; col = u / mpp; row = -v /
    // mpp.
    const double a = -std::sin(th) * ky / mpp, b = std::cos(th) * kx / mpp;
    const double d = -std::cos(th) * ky / mpp, e = -std::sin(th) * kx / mpp;
    Edit::Map(doc).m_adProj = {};
    Edit::Map(doc).m_adProj[0] = a;
    Edit::Map(doc).m_adProj[1] = b;
    Edit::Map(doc).m_adProj[3] = col0 - a * lat0 - b * lon0;
    Edit::Map(doc).m_adProj[4] = d;
    Edit::Map(doc).m_adProj[5] = e;
    Edit::Map(doc).m_adProj[7] = row0 - d * lat0 - e * lon0;
    Edit::Map(doc).m_nImageWidth = wpx;
    Edit::Map(doc).m_nImageHeight = hpx;
    Edit::Map(doc).m_dMetersPerPixelX = Edit::Map(doc).m_dMetersPerPixelY = mpp;
    Edit::Map(doc).m_dMapOriginX = Edit::Map(doc).m_dMapOriginY = 0;
    Edit::Map(doc).m_dMapWidth = wpx * mpp;
    Edit::Map(doc).m_dMapHeight = hpx * mpp;
    Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_bMetricXY = 1;
}

// A plain city map: paper background, a park, a river and the street grid of the survey.
inline std::vector<std::uint8_t> DrawMap(const CPlotraDoc& doc, const sim::GeneratedSurvey& g) {
    const int W = doc.Map().m_nImageWidth, H = doc.Map().m_nImageHeight;
    QImage map(W, H, QImage::Format_RGB32);
    map.fill(QColor(242, 238, 228));
    QPainter p(&map);
    p.setRenderHint(QPainter::Antialiasing);
    auto px = [&](double lat, double lon) {
        const CDataGeo m = doc.GeoToMap(lat, lon);
        return QPointF(m.m_dX / doc.Map().m_dMetersPerPixelX, H - m.m_dY / doc.Map().m_dMetersPerPixelY);
    };
    const double dLat = g.north - g.south, dLon = g.east - g.west;
    QPolygonF park(
        {px(g.south + 0.55 * dLat, g.west + 0.1 * dLon), px(g.south + 0.55 * dLat, g.west + 0.3 * dLon),
         px(g.south + 0.8 * dLat, g.west + 0.3 * dLon), px(g.south + 0.8 * dLat, g.west + 0.1 * dLon)});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 228, 190));
    p.drawPolygon(park);
    QPainterPath river;
    river.moveTo(px(g.south - 0.2 * dLat, g.west + 0.7 * dLon));
    river.cubicTo(px(g.south + 0.3 * dLat, g.west + 0.95 * dLon),
                  px(g.south + 0.6 * dLat, g.west + 0.55 * dLon),
                  px(g.north + 0.2 * dLat, g.west + 0.85 * dLon));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(160, 200, 235), 14, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(river);
    p.setPen(QPen(QColor(255, 255, 255), 5, Qt::SolidLine, Qt::RoundCap));
    const double block = g.params.blockM;
    const double latStep = block / sim::kMetresPerDegree;
    const double lonStep = block / (sim::kMetresPerDegree * std::cos((g.south + g.north) / 2 * kPi / 180.0));
    for (double lat = g.south; lat <= g.north + 1e-12; lat += latStep)
        p.drawLine(px(lat, g.west), px(lat, g.east));
    for (double lon = g.west; lon <= g.east + 1e-12; lon += lonStep)
        p.drawLine(px(g.south, lon), px(g.north, lon));
    p.setPen(QPen(QColor(190, 180, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, W - 1, H - 1);
    p.end();
    return EncodeBmp24(map);
}

inline void SetMeanRssi(CPlotraDoc& doc) {
    double sumRssi = 0, sumSnr = 0;
    std::size_t n = 0;
    for (const CAPInfo& ap : doc.Aps().m_aAPs)
        for (const CData& p : ap.m_aApPoints) {
            sumRssi += p.m_dRssi;
            sumSnr += p.m_dRssi - p.m_nNoise;
            ++n;
        }
    Edit::Coverage(doc).m_dMeanRssi = n ? sumRssi / n : -70;
    Edit::Coverage(doc).m_dMeanSnr = n ? sumSnr / n : 20;
}

} // namespace demo_detail

/// The combined rectangle over the selected APs and a frame on it (widened around the map when the
/// map is shown), as the extent computation of processing would give for an 800 x 500 window.
inline void SetDemoFrame(CPlotraDoc& doc, bool showMap) {
    double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
    for (const CAPInfo& ap : doc.Aps().m_aAPs) {
        if (!ap.m_bSelected) continue;
        minX = std::min(minX, ap.m_areaOrigin.m_dX);
        minY = std::min(minY, ap.m_areaOrigin.m_dY);
        maxX = std::max(maxX, ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX);
        maxY = std::max(maxY, ap.m_areaOrigin.m_dY + ap.m_areaSize.m_dY);
    }
    if (minX > maxX) return;
    Edit::Frame(doc).m_dGridOriginX = minX;
    Edit::Frame(doc).m_dGridOriginY = minY;
    Edit::Frame(doc).m_dGridSpanX = maxX - minX;
    Edit::Frame(doc).m_dGridSpanY = maxY - minY;
    const ModelRect f = FrameFromBox(doc, showMap, minX, minY, maxX, maxY, 800, 500);
    Edit::Frame(doc).m_dFrameOriginX = f.originX, Edit::Frame(doc).m_dFrameOriginY = f.originY;
    Edit::Frame(doc).m_dFrameSpanX = f.spanX, Edit::Frame(doc).m_dFrameSpanY = f.spanY;
}

/// Fills \p doc from a simulated survey (see the file comment).
inline void BuildDemoDocument(CPlotraDoc& doc, const DemoOptions& o = {}) {
    const auto params = sim::BuiltInScenario(o.scenario);
    const sim::GeneratedSurvey g = sim::Generate(*params, o.seed);
    if (o.withMap) {
        demo_detail::SetUpProjection(doc, g, o);
        Edit::Map(doc).m_aMapImage = demo_detail::DrawMap(doc, g);
        Edit::Map(doc).m_nMapImageSize = static_cast<int>(doc.Map().m_aMapImage.size());
    }
    auto place = [&](double lat, double lon) {
        return doc.Map().m_bMetricXY ? doc.GeoToMap(lat, lon) : CDataGeo(lat, lon);
    };

    // Files, path and GPS states; readings gathered per BSSID.
    std::map<std::array<std::uint8_t, 6>, std::size_t> apIndex;
    for (const sim::TruthAp& t : g.aps) {
        if (t.readings == 0) continue;
        CAPInfo ap;
        ap.m_abyMAC = t.mac;
        ap.m_szSSID = MakeSsid(t.ssid);
        ap.m_byChannel = static_cast<std::uint8_t>(t.channel);
        apIndex[t.mac] = doc.Aps().m_aAPs.size();
        Edit::Aps(doc).m_aAPs.push_back(ap);
    }
    for (const sim::GeneratedFile& f : g.files) {
        CDataFile file;
        file.m_strName = f.name;
        file.m_strPath = "/survey/" + f.name;
        Edit::Survey(doc).m_aFiles.push_back(file);
        Edit::Survey(doc).m_aFileColor.push_back(doc.NextApColour());
        int count = 0;
        for (const CDataPoint& pt : f.image.records) {
            if (pt.m_rec.m_byKind != 0) continue;
            const CDataGeo pos = place(pt.m_rec.m_nLatMas / 3600000.0, pt.m_rec.m_nLonMas / 3600000.0);
            CData c;
            c.m_dY = pos.m_dY;
            c.m_dX = pos.m_dX;
            Edit::Path(doc).m_aPoints.push_back(c);
            Edit::Path(doc).m_aGpsState.push_back(pt.m_rec.m_byFix);
            ++count;
            for (const CHssData& r : pt.m_aReadings) {
                auto it = apIndex.find(r.m_abyMAC);
                if (it == apIndex.end()) continue;
                CData s = c;
                s.m_dRssi = r.RssiDbm();
                s.m_nNoise = r.m_byChannel < 14 ? pt.m_rec.m_anNoise[r.m_byChannel] : 0;
                Edit::Aps(doc).m_aAPs[it->second].m_aSamples.push_back(s);
            }
        }
        Edit::Path(doc).m_aFilePathCount.push_back(count);
    }

    // Per AP: points, area, position and model from the truth, grid and picture.
    for (CAPInfo& ap : Edit::Aps(doc).m_aAPs)
        ap.m_crColour = doc.NextApColour();
    for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i) {
        CAPInfo& ap = Edit::Aps(doc).m_aAPs[i];
        const sim::TruthAp& t =
            *std::find_if(g.aps.begin(), g.aps.end(), [&](const auto& a) { return a.mac == ap.m_abyMAC; });
        ap.m_aApPoints = ap.m_aSamples;
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (const CData& p : ap.m_aApPoints) {
            minX = std::min(minX, p.m_dX), maxX = std::max(maxX, p.m_dX);
            minY = std::min(minY, p.m_dY), maxY = std::max(maxY, p.m_dY);
        }
        ap.m_areaOrigin = CDataGeo(minY, minX);
        ap.m_areaSize = CDataGeo(maxY - minY, maxX - minX);
        ap.m_posAP = place(t.lat, t.lon);
        ap.m_dSlope = -10.0 * t.exponent;
        ap.m_dIntercept = t.interceptDbm;
        ap.m_dShadowStd = t.shadowStdDb;
        ap.m_fReliability = static_cast<float>(25.0 + 5.0 * (i % 5));
        ap.m_nApGridCols = ap.m_nApGridRows = 50;
        ap.m_aGrid.assign(2500, -101.0);
        ap.m_dGridMax = ap.m_dGridMin = ap.m_aApPoints.empty() ? -101.0 : ap.m_aApPoints.front().m_dRssi;
        for (int ix = 0; ix < 50; ++ix)
            for (int iy = 0; iy < 50; ++iy) {
                const double x = minX + ix * (maxX - minX) / 49, y = minY + iy * (maxY - minY) / 49;
                const double dist = doc.Map().m_bMetricXY
                                        ? std::hypot(x - ap.m_posAP.m_dX, y - ap.m_posAP.m_dY)
                                        : GeoDistance(y, x, ap.m_posAP.m_dY, ap.m_posAP.m_dX);
                const double v = ap.m_dSlope * Log10Distance(std::max(dist, 1.0)) + ap.m_dIntercept;
                ap.m_aGrid[static_cast<std::size_t>(ix) * 50 + iy] = v;
                ap.m_dGridMax = std::max(ap.m_dGridMax, v);
                ap.m_dGridMin = std::min(ap.m_dGridMin, v);
            }
        ap.m_bSelected = ap.m_aApPoints.size() > 20;
        if (ap.m_bSelected) RegenerateApCoverageBitmap(doc, i);
    }
    Edit::Aps(doc).m_aApNotes.resize(doc.Aps().m_aAPs.size());
    demo_detail::SetMeanRssi(doc);
    Edit::Display(doc).m_bDataLoaded = 1;
    Edit::Display(doc).m_bShowPath = 1;
    Edit::Display(doc).m_nAlpha = 192;
    SetDemoFrame(doc, o.withMap);

    if (o.coverage) {
        const auto [wm, hm] = doc.GridRectangleMetres();
        Edit::Frame(doc).m_dResolutionX = wm / doc.Display().m_dUnitFactor / o.resolutionDivisor;
        Edit::Frame(doc).m_dResolutionY = hm / doc.Display().m_dUnitFactor / o.resolutionDivisor;
        auto snapshot = PrepareCoverage(doc, doc.ProgressSink());
        if (snapshot) {
            if (o.coveragePoints > 0) {
                // Thinned points keep the picture's character at a fraction of the interpolation cost.
                for (CoverageAp& ap : snapshot->aps) {
                    const std::size_t n = ap.points.size(), step = std::max<std::size_t>(1, n / o.coveragePoints);
                    SampleList thin;
                    for (std::size_t k = 0; k < n; k += step)
                        thin.push_back(ap.points[k]);
                    ap.points = std::move(thin);
                }
            }
            ApplyCoverage(doc, RunCoverage(*snapshot, doc.ProgressSink(), o.threads));
        }
    }
}

} // namespace plotra::test
