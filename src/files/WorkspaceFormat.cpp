// The workspace reader: the decoder that checks and reads a workspace back into a scratch document
// before anything of the live one changes, and the commands around it (the writer is
// WorkspaceWriter.cpp).
#include "files/Workspace.h"
#include "files/WorkspaceLayout.h"

#include "files/FileIo.h"
#include "model/Bytes.h"
#include "model/CoverageColours.h"
#include "model/CoveragePictures.h"
#include "model/PathPositions.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>

namespace plotra {

using namespace workspace_layout;

namespace {

// ------------------------------------------------------------------------------------------------
// Reading
// ------------------------------------------------------------------------------------------------

/// \brief Mirrors the Encoder into a scratch document. Every count is checked against the bytes that
/// remain (at the smallest size its elements can have) before anything is allocated.
class Decoder {
  public:
    Decoder(std::span<const std::uint8_t> file, CPlotraDoc& scratch, Progress* progress)
        : r(file), d(scratch), m_walk(progress) {}

    bool mapShown = false;  ///< the map view's map toggle as stored
    bool wrongType = false; ///< refused for its file type byte

  private:
    /// The path read, for the working points that are its pseudo-points.
    std::optional<PseudoPointFinder> m_pseudoPoints;

  public:
    bool Run() {
        return Header() && Map() && Files() && ApNotes() && Bool(d.m_bMerge) && Bool(d.m_bShowLegend) &&
               FilePaths() && GpsStates() && RawPoints() && Geometry() && Path() && AccessPoints() &&
               Flags() && Display() && Panel() && Contours(d.m_aContours[0]) && Contours(d.m_aContours[1]) &&
               Contours(d.m_aContours[2]) && Grids();
    }

  private:
    bool Ok() const { return !r.Failed(); }
    /// Reads a count whose elements take at least \p minSize bytes each.
    bool Count(std::size_t minSize, std::size_t& n) {
        const std::uint32_t v = r.U32();
        if (r.Failed() || v > r.Remaining() / minSize) return false;
        n = v;
        return true;
    }
    bool String(std::string& out) {
        const std::uint32_t n = r.U32();
        if (r.Failed() || n == 0 || n > r.Remaining()) return false; // the length counts the NUL
        const std::uint8_t* p = r.Take(n);
        if (!p || p[n - 1] != 0) return false;
        out.assign(p, p + (n - 1));
        return true;
    }
    bool Bool(int& out) {
        out = r.U32() != 0 ? 1 : 0;
        return Ok();
    }
    void Sample(CData& s) {
        s.m_nNoise = r.I32();
        s.m_dY = r.F64();
        s.m_dX = r.F64();
        s.m_dRssi = r.F64();
    }
    bool Samples(SampleList& out) {
        std::size_t n = 0;
        if (!Count(kSampleSize, n)) return false;
        out.clear();
        out.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            CData s;
            Sample(s);
            out.push_back(s);
        }
        return Ok();
    }

    bool Header() {
        if (!r.Need(kWorkspaceHeaderSize)) return false;
        r.U32(); // header length: not relied on
        if (r.U32() != kWorkspaceMagic) return false;
        r.U16();
        r.U16();
        d.m_byProjType = r.U8();
        if (d.m_byProjType > 1) {
            wrongType = true;
            return false;
        }
        for (double& c : d.m_adProj)
            c = r.F64();
        r.U32();
        return Ok();
    }
    bool Map() {
        d.m_nImageWidth = r.I32();
        d.m_nImageHeight = r.I32();
        const std::uint32_t size = r.U32();
        if (r.Failed() || size > r.Remaining() ||
            size > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
            return false;
        const std::uint8_t* p = r.Take(size);
        if (size > 0 && !p) return false;
        d.m_nMapImageSize = static_cast<int>(size);
        d.m_aMapImage.assign(p, p + size);
        return true;
    }
    bool Files() {
        std::size_t n = 0;
        if (!Count(kMinFileSize, n)) return false;
        d.m_aFiles.resize(n);
        for (auto& f : d.m_aFiles)
            if (!String(f.m_strName) || !String(f.m_strPath) || !String(f.m_strCreated) ||
                !String(f.m_strNotes) || !Bool(f.m_bUse))
                return false;
        return true;
    }
    bool ApNotes() {
        std::size_t n = 0;
        if (!Count(kMinApNoteSize, n)) return false;
        d.m_aApNotes.resize(n);
        for (auto& a : d.m_aApNotes)
            if (!String(a.m_strDirection) || !String(a.m_strHeight) || !String(a.m_strAntennaGain) ||
                !String(a.m_strNotes) || !String(a.m_strTxPower))
                return false;
        return true;
    }
    bool FilePaths() {
        std::size_t n = 0;
        if (!Count(8, n)) return false;
        d.m_aFilePathCount.resize(n);
        d.m_aFileColor.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            d.m_aFilePathCount[i] = r.I32();
            d.m_aFileColor[i] = r.U32();
        }
        return Ok();
    }
    bool GpsStates() {
        std::size_t n = 0;
        if (!Count(4, n)) return false;
        d.m_aGpsState.resize(n);
        for (int& s : d.m_aGpsState)
            s = r.I32();
        return Ok();
    }
    bool RawPoints() {
        std::size_t n = 0;
        if (!Count(kMinPointSize, n)) return false;
        d.m_aDataPoints.clear();
        for (std::size_t i = 0; i < n; ++i) {
            m_walk.Step(0, 45, r.Position(), r.Position() + r.Remaining());
            const std::uint8_t* rec = r.Take(CPointRecord::kSize);
            if (!rec) return false;
            d.m_aDataPoints.AddPoint(CPointRecord::Parse(rec));
            std::size_t readings = 0;
            if (!Count(CHssData::kSize, readings)) return false;
            for (std::size_t k = 0; k < readings; ++k) {
                const std::uint8_t* bytes = r.Take(CHssData::kSize);
                if (!bytes) return false;
                d.m_aDataPoints.AddStoredReading(bytes);
            }
        }
        return Ok();
    }
    bool Geometry() {
        Bool(d.m_bMetricXY);
        for (double* v :
             {&d.m_dMetersPerPixelX, &d.m_dMetersPerPixelY, &d.m_dMapHeight, &d.m_dMapWidth, &d.m_dMapOriginY,
              &d.m_dMapOriginX, &d.m_dGridSpanY, &d.m_dGridSpanX, &d.m_dGridOriginY, &d.m_dGridOriginX,
              &d.m_dFrameSpanY, &d.m_dFrameSpanX, &d.m_dFrameOriginY, &d.m_dFrameOriginX})
            *v = r.F64();
        return Ok();
    }
    bool Path() {
        std::size_t n = 0;
        if (!Count(kSampleSize + kPathExtraSize, n)) return false;
        d.m_aPoints.resize(n);
        for (auto& p : d.m_aPoints) {
            p.m_nNoise = r.I32();
            p.m_dRssi = r.F64();
            p.m_dY = r.F64();
            p.m_dX = r.F64();
        }
        d.m_aAltitude.resize(n);
        d.m_aVelocity.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            d.m_aAltitude[i] = r.I32();
            d.m_aVelocity[i] = r.I32();
        }
        if (!Ok()) return false;
        if (n > 0 && n <= std::numeric_limits<std::uint32_t>::max()) {
            auto positions = std::make_shared<PathPositions>();
            positions->y.reserve(n);
            positions->x.reserve(n);
            for (const CData& p : d.m_aPoints) {
                positions->y.push_back(p.m_dY);
                positions->x.push_back(p.m_dX);
            }
            m_pseudoPoints.emplace(std::move(positions));
        }
        return true;
    }
    /// An AP's working points: the pseudo-points at the end that are positions of the path become
    /// references to it again (held in 4 bytes instead of 12); the others are read as they are.
    bool WorkingPoints(SampleList& out) {
        std::size_t n = 0;
        if (!Count(kSampleSize, n)) return false;
        out.clear();
        const std::size_t start = r.Position();
        std::vector<std::uint32_t> tail;
        if (m_pseudoPoints) {
            std::size_t hint = std::numeric_limits<std::size_t>::max();
            for (std::size_t k = n; k-- > 0;) {
                r.Seek(start + k * kSampleSize);
                CData s;
                Sample(s);
                const std::optional<std::uint32_t> j = m_pseudoPoints->Find(s, hint);
                if (!j) break;
                tail.push_back(*j);
                hint = *j - std::size_t{1}; // the one before it on the path, most often
            }
            std::reverse(tail.begin(), tail.end());
            r.Seek(start);
        }
        const std::size_t whole = n - tail.size();
        out.reserve(whole);
        for (std::size_t i = 0; i < whole; ++i) {
            CData s;
            Sample(s);
            out.push_back(s);
        }
        if (!tail.empty()) out.AppendPseudoPoints(m_pseudoPoints->Path(), std::move(tail));
        return r.Seek(start + n * kSampleSize) && Ok();
    }
    bool AccessPoints() {
        std::size_t n = 0;
        if (!Count(kMinApSize, n)) return false;
        d.m_aAPs.resize(n);
        for (auto& ap : d.m_aAPs) {
            m_walk.Step(45, 80, r.Position(), r.Position() + r.Remaining());
            ap.m_bFixed = r.U8();
            ap.m_nIconOption = r.I32();
            ap.m_nIconId = r.I32();
            r.Bytes(ap.m_abyMAC.data(), ap.m_abyMAC.size());
            r.Bytes(ap.m_szSSID.data(), ap.m_szSSID.size());
            ap.m_nGroupIndex = r.I32();
            ap.m_bSelected = r.U8();
            ap.m_crColour = r.U32();
            ap.m_byChannel = r.U8();
            for (double* v :
                 {&ap.m_dSlope, &ap.m_dIntercept, &ap.m_dShadowStd, &ap.m_posAP.m_dY, &ap.m_posAP.m_dX,
                  &ap.m_areaOrigin.m_dY, &ap.m_areaOrigin.m_dX, &ap.m_areaSize.m_dY, &ap.m_areaSize.m_dX})
                *v = r.F64();
            ap.m_nApGridRows = r.I32();
            ap.m_nApGridCols = r.I32();
            ap.m_fReliability = r.F32();
            ap.m_dGridMax = r.F64();
            ap.m_dGridMin = r.F64();
            if (!Ok()) return false;
            const std::uint64_t nodes = NodeCount(ap.m_nApGridCols, ap.m_nApGridRows);
            if (nodes > r.Remaining() / 8) return false;
            ap.m_aGrid.resize(static_cast<std::size_t>(nodes));
            for (double& g : ap.m_aGrid)
                g = r.F64();
            if (!WorkingPoints(ap.m_aApPoints) || !Samples(ap.m_aSamples)) return false;
        }
        return Ok();
    }
    bool Flags() {
        d.m_bStarted = r.U8();
        d.m_bWorkspaceNamed = r.U8();
        r.Skip(2);
        for (int* f : {&d.m_bDataLoaded, &d.m_bShowApMarkers, &d.m_bCoverageReady, &d.m_bCombined,
                       &d.m_bShowCellRadius, &d.m_bShowContour, &d.m_bMultiContours, &d.m_bCoveragePlotted,
                       &d.m_bMapLoaded})
            Bool(*f);
        mapShown = r.U32() != 0;
        d.m_bCoverageOverlay = r.U8() != 0 ? 1 : 0;
        r.Skip(3);
        return Ok();
    }
    bool Display() {
        d.m_dUnitFactor = r.F64();
        d.m_nGridDivisions = r.I32();
        Bool(d.m_bYGrid);
        Bool(d.m_bXGrid);
        d.m_nAlpha = r.I32();
        r.Skip(8);
        Bool(d.m_bShowPath);
        for (int* v : {&d.m_nGridRows, &d.m_nGridCols, &d.m_nGraphType, &d.m_nAnalysisMode, &d.m_nSortMode,
                       &d.m_nColourMode, &d.m_nPowerRangeHigh, &d.m_nPowerRangeLow})
            *v = r.I32();
        for (double* v : {&d.m_dPowerMax, &d.m_dPowerMin, &d.m_dSnrMax, &d.m_dSnrMin, &d.m_dResolutionX,
                          &d.m_dResolutionY, &d.m_dMeanRssi, &d.m_dMeanSnr})
            *v = r.F64();
        return Ok();
    }
    bool Panel() {
        PanelState& p = d.m_panel;
        for (float& v : p.m_afReliability)
            v = r.F32();
        p.m_nSelectedAP = r.I32();
        Bool(p.m_bExpandSorting);
        Bool(p.m_bExpandMeasurement);
        Bool(p.m_bExpandReliability);
        if (d.m_bCoverageReady) {
            Bool(p.m_bExpandGraph);
            p.m_nContourLow = r.I32();
            p.m_nContourHigh = r.I32();
        }
        return Ok();
    }
    bool Areas(std::vector<CData_Area>& out) {
        std::size_t n = 0;
        if (!Count(kAreaSize, n)) return false;
        out.resize(n);
        for (auto& a : out) {
            r.Skip(8);
            for (std::size_t i = 0; i < 4; ++i) {
                a.m_adX[i] = r.F64();
                a.m_adY[i] = r.F64();
            }
            a.m_nCorners = r.I32();
            r.Skip(4);
        }
        return Ok();
    }
    bool Levels(std::vector<CData_Pos>& out) {
        std::size_t n = 0;
        if (!Count(kPosSize, n)) return false;
        out.resize(n);
        for (auto& p : out) {
            r.Skip(4);
            p.m_nCount = r.I32();
            p.m_nRed = r.I32();
            p.m_nGreen = r.I32();
            p.m_nBlue = r.I32();
        }
        return Ok();
    }
    bool Contours(ContourLayerSet& set) {
        if (!Areas(set.m_aAreaLow) || !Areas(set.m_aAreaHigh)) return false;
        std::size_t n = 0;
        if (!Count(kContourSize, n)) return false;
        set.m_aLines.resize(n);
        for (auto& c : set.m_aLines) {
            r.Skip(8);
            for (double* v : {&c.m_dX1, &c.m_dY1, &c.m_dX2, &c.m_dY2})
                *v = r.F64();
        }
        return Ok() && Levels(set.m_aLineLevels) && Areas(set.m_aLevelAreas) && Levels(set.m_aAreaLevels);
    }
    bool Grids() {
        const std::uint64_t g = NodeCount(d.m_nGridCols, d.m_nGridRows);
        if (g > r.Remaining() / kGridNodeSize) return false;
        const std::size_t n = static_cast<std::size_t>(g);
        d.m_aDominantColour.resize(n);
        d.m_aMixedColour.resize(n);
        d.m_aGridPower.resize(n);
        d.m_aGridSnr.resize(n);
        d.m_aGridCount.resize(n);
        for (auto& c : d.m_aDominantColour)
            c = r.U32();
        for (auto& c : d.m_aMixedColour)
            c = r.U32();
        for (auto& v : d.m_aGridPower)
            v = r.F64();
        for (auto& v : d.m_aGridSnr)
            v = r.F64();
        for (auto& v : d.m_aGridCount)
            v = r.I32();
        return Ok();
    }

    ByteReader r;
    CPlotraDoc& d;
    WalkProgress m_walk;
};

/// The stored map must be a BMP file image of the stored size; anything else is not this project's map.
bool MapImageMatches(const std::vector<std::uint8_t>& bmp, int width, int height) {
    if (bmp.size() < 26 || bmp[0] != 'B' || bmp[1] != 'M') return false;
    const std::uint32_t infoSize = LoadU32(bmp.data() + 14);
    if (infoSize == 12) // the old core header: 16-bit sizes
        return LoadU16(bmp.data() + 18) == width && LoadU16(bmp.data() + 20) == height;
    if (infoSize < 40) return false;
    const std::int64_t w = LoadI32(bmp.data() + 18);
    const std::int64_t h = LoadI32(bmp.data() + 22); // negative for top-down rows
    return w == width && std::llabs(h) == height;
}

/// Every member the layout stores, from one document into another: moved out of a scratch document
/// that was just read, copied from a live one.
template <class From> void TransferStoredState(CPlotraDoc& to, From&& from) {
    to.m_byProjType = from.m_byProjType;
    to.m_adProj = from.m_adProj;
    to.m_nImageWidth = from.m_nImageWidth;
    to.m_nImageHeight = from.m_nImageHeight;
    to.m_nMapImageSize = from.m_nMapImageSize;
    to.m_aMapImage = std::forward<From>(from).m_aMapImage;
    to.m_aFiles = std::forward<From>(from).m_aFiles;
    to.m_aApNotes = std::forward<From>(from).m_aApNotes;
    to.m_bMerge = from.m_bMerge;
    to.m_bShowLegend = from.m_bShowLegend;
    to.m_aFilePathCount = std::forward<From>(from).m_aFilePathCount;
    to.m_aFileColor = std::forward<From>(from).m_aFileColor;
    to.m_aGpsState = std::forward<From>(from).m_aGpsState;
    to.m_aDataPoints = std::forward<From>(from).m_aDataPoints;

    to.m_bMetricXY = from.m_bMetricXY;
    to.m_dMetersPerPixelX = from.m_dMetersPerPixelX;
    to.m_dMetersPerPixelY = from.m_dMetersPerPixelY;
    to.m_dMapHeight = from.m_dMapHeight;
    to.m_dMapWidth = from.m_dMapWidth;
    to.m_dMapOriginY = from.m_dMapOriginY;
    to.m_dMapOriginX = from.m_dMapOriginX;
    to.m_dGridSpanY = from.m_dGridSpanY;
    to.m_dGridSpanX = from.m_dGridSpanX;
    to.m_dGridOriginY = from.m_dGridOriginY;
    to.m_dGridOriginX = from.m_dGridOriginX;
    to.m_dFrameSpanY = from.m_dFrameSpanY;
    to.m_dFrameSpanX = from.m_dFrameSpanX;
    to.m_dFrameOriginY = from.m_dFrameOriginY;
    to.m_dFrameOriginX = from.m_dFrameOriginX;

    to.m_aPoints = std::forward<From>(from).m_aPoints;
    to.m_aAltitude = std::forward<From>(from).m_aAltitude;
    to.m_aVelocity = std::forward<From>(from).m_aVelocity;
    to.m_aAPs = std::forward<From>(from).m_aAPs;

    to.m_bStarted = from.m_bStarted;
    to.m_bWorkspaceNamed = from.m_bWorkspaceNamed;
    to.m_bDataLoaded = from.m_bDataLoaded;
    to.m_bShowApMarkers = from.m_bShowApMarkers;
    to.m_bCoverageReady = from.m_bCoverageReady;
    to.m_bCombined = from.m_bCombined;
    to.m_bShowCellRadius = from.m_bShowCellRadius;
    to.m_bShowContour = from.m_bShowContour;
    to.m_bMultiContours = from.m_bMultiContours;
    to.m_bCoveragePlotted = from.m_bCoveragePlotted;
    to.m_bMapLoaded = from.m_bMapLoaded;
    to.m_bCoverageOverlay = from.m_bCoverageOverlay;

    to.m_dUnitFactor = from.m_dUnitFactor;
    to.m_nGridDivisions = from.m_nGridDivisions;
    to.m_bYGrid = from.m_bYGrid;
    to.m_bXGrid = from.m_bXGrid;
    to.m_nAlpha = from.m_nAlpha;
    to.m_bShowPath = from.m_bShowPath;
    to.m_nGridRows = from.m_nGridRows;
    to.m_nGridCols = from.m_nGridCols;
    to.m_nGraphType = from.m_nGraphType;
    to.m_nAnalysisMode = from.m_nAnalysisMode;
    to.m_nSortMode = from.m_nSortMode;
    to.m_nColourMode = from.m_nColourMode;
    to.m_nPowerRangeHigh = from.m_nPowerRangeHigh;
    to.m_nPowerRangeLow = from.m_nPowerRangeLow;
    to.m_dPowerMax = from.m_dPowerMax;
    to.m_dPowerMin = from.m_dPowerMin;
    to.m_dSnrMax = from.m_dSnrMax;
    to.m_dSnrMin = from.m_dSnrMin;
    to.m_dResolutionX = from.m_dResolutionX;
    to.m_dResolutionY = from.m_dResolutionY;
    to.m_dMeanRssi = from.m_dMeanRssi;
    to.m_dMeanSnr = from.m_dMeanSnr;

    to.m_panel = from.m_panel;
    to.m_aContours = std::forward<From>(from).m_aContours;
    to.m_aDominantColour = std::forward<From>(from).m_aDominantColour;
    to.m_aMixedColour = std::forward<From>(from).m_aMixedColour;
    to.m_aGridPower = std::forward<From>(from).m_aGridPower;
    to.m_aGridSnr = std::forward<From>(from).m_aGridSnr;
    to.m_aGridCount = std::forward<From>(from).m_aGridCount;
}

/// Lists that describe the previous project and that a workspace does not store: they would point
/// into arrays that no longer match (groups hold AP indices, point counts describe old files).
void ForgetPreviousProject(CPlotraDoc& doc) {
    doc.m_aFilePointCount.clear();
    doc.m_aApMarkers.clear();
    doc.m_aMeasurements.clear();
    doc.m_aRawAltitude.clear();
    doc.m_aRawVelocity.clear();
    doc.m_aRawFix.clear();
    doc.m_groupsBySsid.RemoveAll();
    doc.m_groupsByChannel.RemoveAll();
    doc.m_groups.RemoveAll();
    doc.m_workContours.Clear();
}

constexpr const char* kInvalidFile = "Invalid File";

} // namespace

bool HasWorkspaceMagic(std::span<const std::uint8_t> file) {
    return file.size() >= 8 && LoadU32(file.data() + 4) == kWorkspaceMagic;
}

std::string WorkspacePathFor(const std::string& chosen) {
    const std::size_t slash = chosen.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = chosen.rfind('.');
    // A dot that opens the name (".hws", a hidden file) is part of the name, not an extension.
    if (dot != std::string::npos && dot > nameStart) return chosen.substr(0, dot) + ".hws";
    return chosen + ".hws";
}

DecodedWorkspace::DecodedWorkspace() = default;
DecodedWorkspace::DecodedWorkspace(DecodedWorkspace&&) noexcept = default;
DecodedWorkspace& DecodedWorkspace::operator=(DecodedWorkspace&&) noexcept = default;
DecodedWorkspace::~DecodedWorkspace() = default;

DecodedWorkspace DecodeWorkspaceImage(std::span<const std::uint8_t> file, std::unique_ptr<CPlotraDoc> scratch,
                                      Progress* progress) {
    DecodedWorkspace out;
    bool decoded = false, wrongType = false;
    try {
        WalkProgress walk(progress);
        Decoder decoder(file, *scratch, progress);
        decoded = decoder.Run();
        wrongType = decoder.wrongType;
        out.mapShown = decoder.mapShown;
        if (decoded && scratch->m_nMapImageSize > 0 &&
            !MapImageMatches(scratch->m_aMapImage, scratch->m_nImageWidth, scratch->m_nImageHeight))
            decoded = false;
        if (decoded) {
            // What the live document would derive from the file once it holds it, made here on the
            // scratch document (the AP pictures before the groups, as the colours of a fresh project
            // are chosen), so that taking the file over is only a move.
            CPlotraDoc& d = *scratch;
            walk.Check();
            for (std::size_t i = 0; i < d.m_aAPs.size(); ++i) {
                if ((i & 255u) == 0) {
                    walk.Check();
                    if (progress)
                        progress->setPosition(
                            80 + static_cast<int>(15 * i / std::max<std::size_t>(1, d.m_aAPs.size())));
                }
                RegenerateApCoverageBitmap(d, i);
            }
            if (d.m_bCoverageReady) RestoreCoveragePictures(d);
            walk.Check();
            d.RebuildGroups();
            d.ResetResolutionSliders(false);
            d.m_panel.m_resolutionX.value = d.m_dResolutionX;
            d.m_panel.m_resolutionY.value = d.m_dResolutionY;
        }
    } catch (const std::bad_alloc&) {
        // Every count fits the file, but the file is larger than this computer can hold decoded.
        // The scratch document goes with its memory; the live one has not changed.
        out.status = DecodedWorkspace::TooLarge;
        return out;
    } catch (const StoppedByUser&) {
        out.status = DecodedWorkspace::Cancelled;
        return out;
    }
    if (!decoded) {
        out.status = wrongType ? DecodedWorkspace::WrongType : DecodedWorkspace::Malformed;
        return out;
    }
    out.status = DecodedWorkspace::Decoded;
    out.doc = std::move(scratch);
    return out;
}

std::unique_ptr<CPlotraDoc> ScratchDocumentFor(const CPlotraDoc& doc) {
    auto scratch = std::make_unique<CPlotraDoc>();
    // The colours the pictures are made in that a workspace does not store.
    scratch->m_crSingleColour = doc.m_crSingleColour;
    scratch->m_crPalette = doc.m_crPalette;
    return scratch;
}

void AdoptDecodedWorkspace(CPlotraDoc& doc, DecodedWorkspace&& decoded) {
    CPlotraDoc& from = *decoded.doc;
    ForgetPreviousProject(doc);
    TransferStoredState(doc, std::move(from));
    doc.m_aCoveragePictures = std::move(from.m_aCoveragePictures);
    if (!doc.m_bCoverageReady)
        for (auto& picture : doc.m_aCoveragePictures)
            picture.clear();
    doc.m_groupsBySsid = std::move(from.m_groupsBySsid);
    doc.m_groupsByChannel = std::move(from.m_groupsByChannel);
    doc.m_groups = std::move(from.m_groups);
    doc.Host().setMapShown(decoded.mapShown);
    if (doc.m_nMapImageSize > 0) {
        doc.m_bMapLoaded = 1;
        doc.m_bShowLonLat = 0;
    } else {
        doc.m_bMapLoaded = 0;
    }
    doc.Notify(DocChange::Everything);
}

void ReportUnsupportedWorkspaceType(const CPlotraDoc& doc) {
    doc.Prompts().message("Unsupported HWS Filetype. May be for a different product.", kInvalidFile,
                          PromptIcon::Stop);
}

WorkspaceRefusal ReadWorkspaceImage(CPlotraDoc& doc, std::span<const std::uint8_t> file) {
    DecodedWorkspace decoded = DecodeWorkspaceImage(file, ScratchDocumentFor(doc), nullptr);
    switch (decoded.status) {
    case DecodedWorkspace::Decoded:
        break;
    case DecodedWorkspace::WrongType:
        ReportUnsupportedWorkspaceType(doc);
        return WorkspaceRefusal::WrongType;
    case DecodedWorkspace::TooLarge:
        return WorkspaceRefusal::TooLarge;
    default:
        return WorkspaceRefusal::Malformed;
    }
    // From here on the file is accepted and the document changes.
    AdoptDecodedWorkspace(doc, std::move(decoded));
    return WorkspaceRefusal::None;
}

std::unique_ptr<CPlotraDoc> CopyProjectForJob(const CPlotraDoc& doc) {
    auto copy = std::make_unique<CPlotraDoc>();
    TransferStoredState(*copy, doc);
    copy->m_strWorkspacePath = doc.m_strWorkspacePath;
    copy->m_strProjectionPath = doc.m_strProjectionPath;
    copy->m_bShowNoGps = doc.m_bShowNoGps;
    copy->m_bShowLonLat = doc.m_bShowLonLat;
    return copy;
}

} // namespace plotra
