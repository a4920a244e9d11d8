// The workspace writer: the encoder that writes a whole project as it walks it, and the commands
// that write it into memory or, through a temporary file, onto disk.
#include "files/Workspace.h"
#include "files/WorkspaceLayout.h"

#include "files/FileIo.h"
#include "model/Bytes.h"
#include "model/CoverageColours.h"
#include "model/CoveragePictures.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

namespace plotra {

using namespace workspace_layout;

namespace {

// ------------------------------------------------------------------------------------------------
// Writing
// ------------------------------------------------------------------------------------------------

class Encoder {
  public:
    /// \p mapShown is the map view's toggle, which the window keeps and the file stores: taken by the
    /// caller on the user-interface thread, so that a save on another thread never asks a window.
    Encoder(const CPlotraDoc& doc, ByteWriter& out, bool mapShown, Progress* progress)
        : d(doc), w(out), m_mapShown(mapShown), m_walk(progress) {}

    void Run() {
        Header();
        Map();
        Files();
        ApNotes();
        w.U32(Bool32(d.Survey().m_bMerge));
        w.U32(Bool32(d.Display().m_bShowLegend));
        FilePaths();
        Count(d.Path().m_aGpsState.size());
        for (int s : d.Path().m_aGpsState)
            w.I32(s);
        RawPoints();
        m_walk.Check();
        Geometry();
        Path();
        AccessPoints();
        m_walk.Check();
        Flags();
        Display();
        Panel();
        for (const auto& set : d.Coverage().m_aContours)
            Contours(set);
        Grids();
    }

  private:
    void Count(std::size_t n) { w.U32(static_cast<std::uint32_t>(n)); }
    void String(const std::string& s) {
        w.U32(static_cast<std::uint32_t>(s.size() + 1));
        w.Bytes(s.data(), s.size());
        w.U8(0);
    }
    void Sample(const CData& s) { // noise, Y, X, RSSI: the order of AP point records
        w.I32(s.m_nNoise);
        w.F64(s.m_dY);
        w.F64(s.m_dX);
        w.F64(s.m_dRssi);
    }

    void Header() {
        w.U32(static_cast<std::uint32_t>(kWorkspaceHeaderSize));
        w.U32(kWorkspaceMagic);
        w.U16(1);
        w.U16(0);
        w.U8(d.Map().m_byProjType);
        for (double c : d.Map().m_adProj)
            w.F64(c);
        w.U32(0);
    }
    void Map() {
        const std::size_t size =
            d.Map().m_nMapImageSize > 0 ? static_cast<std::size_t>(d.Map().m_nMapImageSize) : 0;
        w.U32(static_cast<std::uint32_t>(d.Map().m_nImageWidth));
        w.U32(static_cast<std::uint32_t>(d.Map().m_nImageHeight));
        w.U32(static_cast<std::uint32_t>(size));
        const std::size_t have = std::min(size, d.Map().m_aMapImage.size());
        w.Bytes(d.Map().m_aMapImage.data(), have);
        w.Zeros(size - have);
    }
    void Files() {
        Count(d.Survey().m_aFiles.size());
        for (const auto& f : d.Survey().m_aFiles) {
            String(f.m_strName);
            String(f.m_strPath);
            String(f.m_strCreated);
            String(f.m_strNotes);
            w.U32(Bool32(f.m_bUse));
        }
    }
    void ApNotes() {
        Count(d.Aps().m_aApNotes.size());
        for (const auto& n : d.Aps().m_aApNotes) {
            String(n.m_strDirection);
            String(n.m_strHeight);
            String(n.m_strAntennaGain);
            String(n.m_strNotes);
            String(n.m_strTxPower);
        }
    }
    void FilePaths() {
        Count(d.Path().m_aFilePathCount.size());
        for (std::size_t i = 0; i < d.Path().m_aFilePathCount.size(); ++i) {
            w.I32(d.Path().m_aFilePathCount[i]);
            w.U32(ValueOr(d.Survey().m_aFileColor, i));
        }
    }
    void RawPoints() {
        const SurveyPoints& points = d.Survey().m_aDataPoints;
        const std::vector<SurveyPoints::Key>& keys = points.Keys();
        Count(points.size());
        std::uint8_t rec[CPointRecord::kSize];
        std::uint8_t reading[CHssData::kSize];
        for (std::size_t i = 0; i < points.size(); ++i) {
            m_walk.Step(0, 50, i, points.size());
            const SurveyPoints::Point p = points[i];
            p.m_rec.Serialize(rec);
            w.Bytes(rec, sizeof rec);
            const std::span<const SurveyPoints::Reading> readings = p.m_aReadings.Packed();
            Count(readings.size());
            for (const SurveyPoints::Reading& r : readings) {
                // The CHssData layout, straight from the kept reading and its MAC and SSID pair.
                const SurveyPoints::Key& key = keys[r.key];
                reading[0] = r.channel;
                StoreU16(reading + 1, static_cast<std::uint16_t>(r.rssi256));
                std::memcpy(reading + 3, key.mac.data(), key.mac.size());
                std::memcpy(reading + 9, key.ssid.data(), key.ssid.size());
                w.Bytes(reading, sizeof reading);
            }
        }
    }
    void Geometry() {
        w.U32(Bool32(d.Map().m_bMetricXY));
        for (double v : {d.Map().m_dMetersPerPixelX, d.Map().m_dMetersPerPixelY, d.Map().m_dMapHeight,
                         d.Map().m_dMapWidth, d.Map().m_dMapOriginY, d.Map().m_dMapOriginX,
                         d.Frame().m_dGridSpanY, d.Frame().m_dGridSpanX, d.Frame().m_dGridOriginY,
                         d.Frame().m_dGridOriginX, d.Frame().m_dFrameSpanY, d.Frame().m_dFrameSpanX,
                         d.Frame().m_dFrameOriginY, d.Frame().m_dFrameOriginX})
            w.F64(v);
    }
    void Path() {
        Count(d.Path().m_aPoints.size());
        for (const auto& p : d.Path().m_aPoints) { // noise, RSSI, Y, X: the path's own order
            w.I32(p.m_nNoise);
            w.F64(p.m_dRssi);
            w.F64(p.m_dY);
            w.F64(p.m_dX);
        }
        for (std::size_t i = 0; i < d.Path().m_aPoints.size(); ++i) {
            w.I32(ValueOr(d.Path().m_aAltitude, i));
            w.I32(ValueOr(d.Path().m_aVelocity, i));
        }
    }
    void AccessPoints() {
        Count(d.Aps().m_aAPs.size());
        std::size_t done = 0;
        for (const auto& ap : d.Aps().m_aAPs) {
            m_walk.Step(50, 95, done++, d.Aps().m_aAPs.size());
            w.U8(ap.m_bFixed);
            w.I32(ap.m_nIconOption);
            w.I32(ap.m_nIconId);
            w.Bytes(ap.m_abyMAC.data(), ap.m_abyMAC.size());
            w.Bytes(ap.m_szSSID.data(), ap.m_szSSID.size());
            w.I32(ap.m_nGroupIndex);
            w.U8(ap.m_bSelected);
            w.U32(ap.m_crColour);
            w.U8(ap.m_byChannel);
            for (double v :
                 {ap.m_dSlope, ap.m_dIntercept, ap.m_dShadowStd, ap.m_posAP.m_dY, ap.m_posAP.m_dX,
                  ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dX, ap.m_areaSize.m_dY, ap.m_areaSize.m_dX})
                w.F64(v);
            w.I32(ap.m_nApGridRows);
            w.I32(ap.m_nApGridCols);
            w.F32(ap.m_fReliability);
            w.F64(ap.m_dGridMax);
            w.F64(ap.m_dGridMin);
            // The grid has no count of its own; a grid shorter than its size is padded with zeros.
            const std::uint64_t nodes = NodeCount(ap.m_nApGridCols, ap.m_nApGridRows);
            for (std::uint64_t i = 0; i < nodes; ++i)
                w.F64(ValueOr(ap.m_aGrid, static_cast<std::size_t>(i)));
            Count(ap.m_aApPoints.size());
            for (const auto& s : ap.m_aApPoints)
                Sample(s);
            Count(ap.m_aSamples.size());
            for (const auto& s : ap.m_aSamples)
                Sample(s);
        }
    }
    void Flags() {
        w.U8(d.Display().m_bStarted);
        // Every save has a name by the time it is written, so a reopened workspace saves back in place.
        w.U8(1);
        w.Zeros(2);
        for (int f : {d.Display().m_bDataLoaded, d.Display().m_bShowApMarkers, d.Coverage().m_bCoverageReady,
                      d.Display().m_bCombined, d.Display().m_bShowCellRadius, d.Display().m_bShowContour,
                      d.Display().m_bMultiContours, d.Display().m_bCoveragePlotted, d.Map().m_bMapLoaded})
            w.U32(Bool32(f));
        w.U32(m_mapShown ? 1u : 0u);
        w.U8(d.Display().m_bCoverageOverlay != 0 ? 1 : 0);
        w.Zeros(3);
    }
    void Display() {
        w.F64(d.Display().m_dUnitFactor);
        w.I32(d.Display().m_nGridDivisions);
        w.U32(Bool32(d.Display().m_bYGrid));
        w.U32(Bool32(d.Display().m_bXGrid));
        w.I32(d.Display().m_nAlpha);
        w.Zeros(8); // a double nothing uses
        w.U32(Bool32(d.Display().m_bShowPath));
        for (int v : {d.Frame().m_nGridRows, d.Frame().m_nGridCols, d.Display().m_nGraphType,
                      d.Display().m_nAnalysisMode, d.Display().m_nSortMode, d.Display().m_nColourMode,
                      d.Display().m_nPowerRangeHigh, d.Display().m_nPowerRangeLow})
            w.I32(v);
        for (double v : {d.Coverage().m_dPowerMax, d.Coverage().m_dPowerMin, d.Coverage().m_dSnrMax,
                         d.Coverage().m_dSnrMin, d.Frame().m_dResolutionX, d.Frame().m_dResolutionY,
                         d.Coverage().m_dMeanRssi, d.Coverage().m_dMeanSnr})
            w.F64(v);
    }
    void Panel() {
        const PanelState& p = d.Display().m_panel;
        for (float v : p.m_afReliability)
            w.F32(v);
        w.I32(p.m_nSelectedAP);
        w.U32(Bool32(p.m_bExpandSorting));
        w.U32(Bool32(p.m_bExpandMeasurement));
        w.U32(Bool32(p.m_bExpandReliability));
        if (d.Coverage().m_bCoverageReady) {
            w.U32(Bool32(p.m_bExpandGraph));
            w.I32(p.m_nContourLow);
            w.I32(p.m_nContourHigh);
        }
    }
    void Areas(const std::vector<CData_Area>& areas) {
        Count(areas.size());
        for (const auto& a : areas) {
            w.Zeros(8);
            for (std::size_t i = 0; i < 4; ++i) {
                w.F64(a.m_adX[i]);
                w.F64(a.m_adY[i]);
            }
            w.I32(a.m_nCorners);
            w.Zeros(4);
        }
    }
    void Levels(const std::vector<CData_Pos>& levels) {
        Count(levels.size());
        for (const auto& p : levels) {
            w.Zeros(4);
            w.I32(p.m_nCount);
            w.I32(p.m_nRed);
            w.I32(p.m_nGreen);
            w.I32(p.m_nBlue);
        }
    }
    void Contours(const ContourLayerSet& set) {
        Areas(set.m_aAreaLow);
        Areas(set.m_aAreaHigh);
        Count(set.m_aLines.size());
        for (const auto& c : set.m_aLines) {
            w.Zeros(8);
            for (double v : {c.m_dX1, c.m_dY1, c.m_dX2, c.m_dY2})
                w.F64(v);
        }
        Levels(set.m_aLineLevels);
        Areas(set.m_aLevelAreas);
        Levels(set.m_aAreaLevels);
    }
    void Grids() {
        // Every grid is written at the full grid size; before a coverage exists the arrays are shorter
        // and the missing nodes are zeros, which a reader ignores while no coverage is marked ready.
        const std::size_t g =
            static_cast<std::size_t>(NodeCount(d.Frame().m_nGridCols, d.Frame().m_nGridRows));
        for (std::size_t i = 0; i < g; ++i)
            w.U32(ValueOr(d.Coverage().m_aDominantColour, i));
        for (std::size_t i = 0; i < g; ++i)
            w.U32(ValueOr(d.Coverage().m_aMixedColour, i));
        for (std::size_t i = 0; i < g; ++i)
            w.F64(ValueOr(d.Coverage().m_aGridPower, i));
        for (std::size_t i = 0; i < g; ++i)
            w.F64(ValueOr(d.Coverage().m_aGridSnr, i));
        for (std::size_t i = 0; i < g; ++i)
            w.I32(ValueOr(d.Coverage().m_aGridCount, i));
    }

    const CPlotraDoc& d;
    ByteWriter& w;
    const bool m_mapShown;
    WalkProgress m_walk;
};

} // namespace

std::vector<std::uint8_t> CPlotraDoc::EncodeWorkspace() const {
    ByteWriter w;
    Encoder(*this, w, Host().mapShown(), nullptr).Run();
    return std::move(w.Buffer());
}

void EncodeWorkspaceInto(const CPlotraDoc& doc, ByteWriter& out) {
    Encoder(doc, out, doc.Host().mapShown(), nullptr).Run();
}

SaveResult WriteWorkspaceFile(const CPlotraDoc& doc, const std::string& path, bool mapShown,
                              Progress* progress) {
    // Written as it is encoded, through a temporary file: a write that fails half way or is
    // cancelled keeps the previous workspace intact, and a large project is never held whole in memory.
    AtomicFileWriter out(path);
    if (!out.Ok()) return SaveResult::Failed;
    ByteWriter writer([&out](const std::uint8_t* data, std::size_t size) {
        out.Write(std::string_view(reinterpret_cast<const char*>(data), size));
        return out.Ok();
    });
    try {
        Encoder(doc, writer, mapShown, progress).Run();
    } catch (const StoppedByUser&) {
        return SaveResult::Cancelled;
    }
    if (!writer.Finish()) return SaveResult::Failed;
    // The last moment a Cancel keeps the previous file: nothing has replaced it yet.
    if (progress && progress->cancelRequested()) return SaveResult::Cancelled;
    return out.Commit() ? SaveResult::Written : SaveResult::Failed;
}

} // namespace plotra
