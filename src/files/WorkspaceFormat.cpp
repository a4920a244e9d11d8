// The workspace reader: the decoder that checks and reads a workspace back into a scratch document
// before anything of the live one changes, and the commands around it (the writer is
// WorkspaceWriter.cpp).
#include "files/Workspace.h"
#include "files/WorkspaceLayout.h"

#include "files/FileIo.h"
#include "model/BackgroundFree.h"
#include "model/Bytes.h"
#include "model/CoverageColours.h"
#include "model/CoveragePictures.h"
#include "model/EditAccess.h"
#include "model/PathPositions.h"
#include "model/PlotraDoc.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <utility>

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
        : r(file), survey(Edit::Survey(scratch)), path(Edit::Path(scratch)), aps(Edit::Aps(scratch)),
          map(Edit::Map(scratch)), frame(Edit::Frame(scratch)), display(Edit::Display(scratch)),
          coverage(Edit::Coverage(scratch)), project(Edit::Project(scratch)), m_walk(progress) {}

    bool mapShown = false;  ///< the map view's map toggle as stored
    bool wrongType = false; ///< refused for its file type byte

  private:
    /// The path read, for the working points that are its pseudo-points.
    std::optional<PseudoPointFinder> m_pseudoPoints;

  public:
    bool Run() {
        return Header() && Map() && Files() && ApNotes() && Bool(survey.m_bMerge) &&
               Bool(display.m_bShowLegend) && FilePaths() && GpsStates() && RawPoints() &&
               Geometry() && Path() && AccessPoints() && Flags() && Display() && Panel() &&
               Contours(coverage.m_aContours[0]) && Contours(coverage.m_aContours[1]) &&
               Contours(coverage.m_aContours[2]) && Grids();
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
        map.m_byProjType = r.U8();
        if (map.m_byProjType > 1) {
            wrongType = true;
            return false;
        }
        for (double& c : map.m_adProj)
            c = r.F64();
        r.U32();
        return Ok();
    }
    bool Map() {
        map.m_nImageWidth = r.I32();
        map.m_nImageHeight = r.I32();
        const std::uint32_t size = r.U32();
        if (r.Failed() || size > r.Remaining() ||
            size > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
            return false;
        const std::uint8_t* p = r.Take(size);
        if (size > 0 && !p) return false;
        map.m_nMapImageSize = static_cast<int>(size);
        map.m_aMapImage.assign(p, p + size);
        return true;
    }
    bool Files() {
        std::size_t n = 0;
        if (!Count(kMinFileSize, n)) return false;
        survey.m_aFiles.resize(n);
        for (auto& f : survey.m_aFiles)
            if (!String(f.m_strName) || !String(f.m_strPath) || !String(f.m_strCreated) ||
                !String(f.m_strNotes) || !Bool(f.m_bUse))
                return false;
        return true;
    }
    bool ApNotes() {
        std::size_t n = 0;
        if (!Count(kMinApNoteSize, n)) return false;
        aps.m_aApNotes.resize(n);
        for (auto& a : aps.m_aApNotes)
            if (!String(a.m_strDirection) || !String(a.m_strHeight) || !String(a.m_strAntennaGain) ||
                !String(a.m_strNotes) || !String(a.m_strTxPower))
                return false;
        return true;
    }
    bool FilePaths() {
        std::size_t n = 0;
        if (!Count(8, n)) return false;
        path.m_aFilePathCount.resize(n);
        survey.m_aFileColor.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            path.m_aFilePathCount[i] = r.I32();
            survey.m_aFileColor[i] = r.U32();
        }
        return Ok();
    }
    bool GpsStates() {
        std::size_t n = 0;
        if (!Count(4, n)) return false;
        path.m_aGpsState.resize(n);
        for (int& s : path.m_aGpsState)
            s = r.I32();
        return Ok();
    }
    bool RawPoints() {
        std::size_t n = 0;
        if (!Count(kMinPointSize, n)) return false;
        survey.m_aDataPoints.clear();
        for (std::size_t i = 0; i < n; ++i) {
            m_walk.Step(0, 45, r.Position(), r.Position() + r.Remaining());
            const std::uint8_t* rec = r.Take(CPointRecord::kSize);
            if (!rec) return false;
            survey.m_aDataPoints.AddPoint(CPointRecord::Parse(rec));
            std::size_t readings = 0;
            if (!Count(CHssData::kSize, readings)) return false;
            for (std::size_t k = 0; k < readings; ++k) {
                const std::uint8_t* bytes = r.Take(CHssData::kSize);
                if (!bytes) return false;
                survey.m_aDataPoints.AddStoredReading(bytes);
            }
        }
        return Ok();
    }
    bool Geometry() {
        Bool(map.m_bMetricXY);
        for (double* v :
             {&map.m_dMetersPerPixelX, &map.m_dMetersPerPixelY, &map.m_dMapHeight,
              &map.m_dMapWidth, &map.m_dMapOriginY, &map.m_dMapOriginX,
              &frame.m_dGridSpanY, &frame.m_dGridSpanX, &frame.m_dGridOriginY,
              &frame.m_dGridOriginX, &frame.m_dFrameSpanY, &frame.m_dFrameSpanX,
              &frame.m_dFrameOriginY, &frame.m_dFrameOriginX})
            *v = r.F64();
        return Ok();
    }
    bool Path() {
        std::size_t n = 0;
        if (!Count(kSampleSize + kPathExtraSize, n)) return false;
        path.m_aPoints.resize(n);
        for (auto& p : path.m_aPoints) {
            p.m_nNoise = r.I32();
            p.m_dRssi = r.F64();
            p.m_dY = r.F64();
            p.m_dX = r.F64();
        }
        path.m_aAltitude.resize(n);
        path.m_aVelocity.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            path.m_aAltitude[i] = r.I32();
            path.m_aVelocity[i] = r.I32();
        }
        if (!Ok()) return false;
        if (n > 0 && n <= std::numeric_limits<std::uint32_t>::max()) {
            auto positions = std::make_shared<PathPositions>();
            positions->y.reserve(n);
            positions->x.reserve(n);
            for (const CData& p : path.m_aPoints) {
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
        aps.m_aAPs.resize(n);
        for (auto& ap : aps.m_aAPs) {
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
        display.m_bStarted = r.U8();
        project.m_bWorkspaceNamed = r.U8();
        r.Skip(2);
        for (int* f : {&display.m_bDataLoaded, &display.m_bShowApMarkers,
                       &coverage.m_bCoverageReady, &display.m_bCombined,
                       &display.m_bShowCellRadius, &display.m_bShowContour,
                       &display.m_bMultiContours, &display.m_bCoveragePlotted,
                       &map.m_bMapLoaded})
            Bool(*f);
        mapShown = r.U32() != 0;
        display.m_bCoverageOverlay = r.U8() != 0 ? 1 : 0;
        r.Skip(3);
        return Ok();
    }
    bool Display() {
        display.m_dUnitFactor = r.F64();
        display.m_nGridDivisions = r.I32();
        Bool(display.m_bYGrid);
        Bool(display.m_bXGrid);
        display.m_nAlpha = r.I32();
        r.Skip(8);
        Bool(display.m_bShowPath);
        for (int* v : {&frame.m_nGridRows, &frame.m_nGridCols,
                       &display.m_nGraphType, &display.m_nAnalysisMode,
                       &display.m_nSortMode, &display.m_nColourMode,
                       &display.m_nPowerRangeHigh, &display.m_nPowerRangeLow})
            *v = r.I32();
        for (double* v :
             {&coverage.m_dPowerMax, &coverage.m_dPowerMin, &coverage.m_dSnrMax,
              &coverage.m_dSnrMin, &frame.m_dResolutionX, &frame.m_dResolutionY,
              &coverage.m_dMeanRssi, &coverage.m_dMeanSnr})
            *v = r.F64();
        return Ok();
    }
    bool Panel() {
        PanelState& p = display.m_panel;
        for (float& v : p.m_afReliability)
            v = r.F32();
        p.m_nSelectedAP = r.I32();
        Bool(p.m_bExpandSorting);
        Bool(p.m_bExpandMeasurement);
        Bool(p.m_bExpandReliability);
        if (coverage.m_bCoverageReady) {
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
        const std::uint64_t g = NodeCount(frame.m_nGridCols, frame.m_nGridRows);
        if (g > r.Remaining() / kGridNodeSize) return false;
        const std::size_t n = static_cast<std::size_t>(g);
        coverage.m_aDominantColour.resize(n);
        coverage.m_aMixedColour.resize(n);
        coverage.m_aGridPower.resize(n);
        coverage.m_aGridSnr.resize(n);
        coverage.m_aGridCount.resize(n);
        for (auto& c : coverage.m_aDominantColour)
            c = r.U32();
        for (auto& c : coverage.m_aMixedColour)
            c = r.U32();
        for (auto& v : coverage.m_aGridPower)
            v = r.F64();
        for (auto& v : coverage.m_aGridSnr)
            v = r.F64();
        for (auto& v : coverage.m_aGridCount)
            v = r.I32();
        return Ok();
    }

    ByteReader r;
    // The scratch document's parts, which the reader builds.
    SurveyInput& survey;
    SurveyPath& path;
    ApSet& aps;
    MapGeometry& map;
    FrameGeometry& frame;
    DisplaySettings& display;
    CoverageGrids& coverage;
    ProjectFiles& project;
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

/// The source of a transfer whose lists are moved out: a scratch document that was just read.
struct TakeFrom {
    CPlotraDoc& doc;
    SurveyInput& Survey() const { return Edit::Survey(doc); }
    SurveyPath& Path() const { return Edit::Path(doc); }
    ApSet& Aps() const { return Edit::Aps(doc); }
    MapGeometry& Map() const { return Edit::Map(doc); }
    FrameGeometry& Frame() const { return Edit::Frame(doc); }
    DisplaySettings& Display() const { return Edit::Display(doc); }
    CoverageGrids& Coverage() const { return Edit::Coverage(doc); }
    ProjectFiles& Project() const { return Edit::Project(doc); }
    template <class List> List&& Pass(List& list) const { return std::move(list); }
};

/// The source of a transfer that is copied: a live document.
struct CopyFrom {
    const CPlotraDoc& doc;
    const auto& Survey() const { return doc.Survey(); }
    const auto& Path() const { return doc.Path(); }
    const auto& Aps() const { return doc.Aps(); }
    const auto& Map() const { return doc.Map(); }
    const auto& Frame() const { return doc.Frame(); }
    const auto& Display() const { return doc.Display(); }
    const auto& Coverage() const { return doc.Coverage(); }
    const auto& Project() const { return doc.Project(); }
    template <class List> const List& Pass(const List& list) const { return list; }
};

/// The parts' values the layout stores, part by part, from one document into another: moved out of
/// a scratch document that was just read (TakeFrom), copied from a live one (CopyFrom). A value the
/// workspace does not store stays what the receiving document had.
template <class Source> void TransferMap(MapGeometry& map, const Source& from) {
    auto& f = from.Map();
    map.m_byProjType = f.m_byProjType;
    map.m_adProj = f.m_adProj;
    map.m_nImageWidth = f.m_nImageWidth;
    map.m_nImageHeight = f.m_nImageHeight;
    map.m_nMapImageSize = f.m_nMapImageSize;
    map.m_aMapImage = from.Pass(f.m_aMapImage);
    map.m_bMetricXY = f.m_bMetricXY;
    map.m_dMetersPerPixelX = f.m_dMetersPerPixelX;
    map.m_dMetersPerPixelY = f.m_dMetersPerPixelY;
    map.m_dMapHeight = f.m_dMapHeight;
    map.m_dMapWidth = f.m_dMapWidth;
    map.m_dMapOriginY = f.m_dMapOriginY;
    map.m_dMapOriginX = f.m_dMapOriginX;
    map.m_bMapLoaded = f.m_bMapLoaded;
}

template <class Source> void TransferSurvey(SurveyInput& survey, SurveyPath& path, ApSet& aps, const Source& from) {
    auto& s = from.Survey();
    survey.m_aFiles = from.Pass(s.m_aFiles);
    survey.m_bMerge = s.m_bMerge;
    survey.m_aFileColor = from.Pass(s.m_aFileColor);
    survey.m_aDataPoints = from.Pass(s.m_aDataPoints);
    auto& p = from.Path();
    path.m_aFilePathCount = from.Pass(p.m_aFilePathCount);
    path.m_aGpsState = from.Pass(p.m_aGpsState);
    path.m_aPoints = from.Pass(p.m_aPoints);
    path.m_aAltitude = from.Pass(p.m_aAltitude);
    path.m_aVelocity = from.Pass(p.m_aVelocity);
    aps.m_aApNotes = from.Pass(from.Aps().m_aApNotes);
    aps.m_aAPs = from.Pass(from.Aps().m_aAPs);
}

template <class Source> void TransferDisplay(DisplaySettings& display, const Source& from) {
    auto& f = from.Display();
    display.m_bShowLegend = f.m_bShowLegend;
    display.m_bStarted = f.m_bStarted;
    display.m_bDataLoaded = f.m_bDataLoaded;
    display.m_bShowApMarkers = f.m_bShowApMarkers;
    display.m_bCombined = f.m_bCombined;
    display.m_bShowCellRadius = f.m_bShowCellRadius;
    display.m_bShowContour = f.m_bShowContour;
    display.m_bMultiContours = f.m_bMultiContours;
    display.m_bCoveragePlotted = f.m_bCoveragePlotted;
    display.m_bCoverageOverlay = f.m_bCoverageOverlay;
    display.m_dUnitFactor = f.m_dUnitFactor;
    display.m_nGridDivisions = f.m_nGridDivisions;
    display.m_bYGrid = f.m_bYGrid;
    display.m_bXGrid = f.m_bXGrid;
    display.m_nAlpha = f.m_nAlpha;
    display.m_bShowPath = f.m_bShowPath;
    display.m_nGraphType = f.m_nGraphType;
    display.m_nAnalysisMode = f.m_nAnalysisMode;
    display.m_nSortMode = f.m_nSortMode;
    display.m_nColourMode = f.m_nColourMode;
    display.m_nPowerRangeHigh = f.m_nPowerRangeHigh;
    display.m_nPowerRangeLow = f.m_nPowerRangeLow;
    display.m_panel = f.m_panel;
}

template <class Source> void TransferCoverage(CoverageGrids& coverage, const Source& from) {
    auto& f = from.Coverage();
    coverage.m_bCoverageReady = f.m_bCoverageReady;
    coverage.m_dPowerMax = f.m_dPowerMax;
    coverage.m_dPowerMin = f.m_dPowerMin;
    coverage.m_dSnrMax = f.m_dSnrMax;
    coverage.m_dSnrMin = f.m_dSnrMin;
    coverage.m_dMeanRssi = f.m_dMeanRssi;
    coverage.m_dMeanSnr = f.m_dMeanSnr;
    coverage.m_aContours = from.Pass(f.m_aContours);
    coverage.m_aDominantColour = from.Pass(f.m_aDominantColour);
    coverage.m_aMixedColour = from.Pass(f.m_aMixedColour);
    coverage.m_aGridPower = from.Pass(f.m_aGridPower);
    coverage.m_aGridSnr = from.Pass(f.m_aGridSnr);
    coverage.m_aGridCount = from.Pass(f.m_aGridCount);
}

template <class Source> void TransferStoredState(CPlotraDoc& to, const Source& from) {
    TransferMap(Edit::Map(to), from);
    TransferSurvey(Edit::Survey(to), Edit::Path(to), Edit::Aps(to), from);
    Edit::Frame(to) = from.Frame(); // every value of the frame is stored
    TransferDisplay(Edit::Display(to), from);
    TransferCoverage(Edit::Coverage(to), from);
    Edit::Project(to).m_bWorkspaceNamed = from.Project().m_bWorkspaceNamed;
}

/// Hands the previous project to \p old: the lists a workspace stores, and those that describe the
/// previous project and that it does not store, which would point into arrays that no longer match
/// (groups hold AP indices, point counts describe old files).
void ForgetPreviousProject(CPlotraDoc& doc, CPlotraDoc& old) {
    TransferStoredState(old, TakeFrom{doc});
    Edit::Survey(old).m_aFilePointCount = std::exchange(Edit::Survey(doc).m_aFilePointCount, {});
    Edit::Survey(old).m_aApMarkers = std::exchange(Edit::Survey(doc).m_aApMarkers, {});
    Edit::Path(old).m_aMeasurements = std::exchange(Edit::Path(doc).m_aMeasurements, {});
    Edit::Path(old).m_aRawAltitude = std::exchange(Edit::Path(doc).m_aRawAltitude, {});
    Edit::Path(old).m_aRawVelocity = std::exchange(Edit::Path(doc).m_aRawVelocity, {});
    Edit::Path(old).m_aRawFix = std::exchange(Edit::Path(doc).m_aRawFix, {});
    Edit::Coverage(old).m_aCoveragePictures = std::exchange(Edit::Coverage(doc).m_aCoveragePictures, {});
    Edit::Aps(doc).m_groupsBySsid.RemoveAll();
    Edit::Aps(doc).m_groupsByChannel.RemoveAll();
    Edit::Aps(doc).m_groups.RemoveAll();
    Edit::Coverage(doc).m_workContours.Clear();
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
        if (decoded && scratch->Map().m_nMapImageSize > 0 &&
            !MapImageMatches(scratch->Map().m_aMapImage, scratch->Map().m_nImageWidth,
                             scratch->Map().m_nImageHeight))
            decoded = false;
        if (decoded) {
            // What the live document would derive from the file once it holds it, made here on the
            // scratch document (the AP pictures before the groups, as the colours of a fresh project
            // are chosen), so that taking the file over is only a move.
            CPlotraDoc& d = *scratch;
            walk.Check();
            for (std::size_t i = 0; i < d.Aps().m_aAPs.size(); ++i) {
                if ((i & 255u) == 0) {
                    walk.Check();
                    if (progress)
                        progress->setPosition(
                            80 + static_cast<int>(15 * i / std::max<std::size_t>(1, d.Aps().m_aAPs.size())));
                }
                RegenerateApCoverageBitmap(d, i);
            }
            if (d.Coverage().m_bCoverageReady)
                RestoreCoveragePictures(d);
            else
                for (auto& picture : Edit::Coverage(d).m_aCoveragePictures)
                    picture.clear();
            // As the document will hold it, so that what the windows show can be drawn from it here.
            Edit::Map(d).m_bMapLoaded = d.Map().m_nMapImageSize > 0;
            if (d.Map().m_bMapLoaded) Edit::Display(d).m_bShowLonLat = 0;
            walk.Check();
            d.RebuildGroups();
            d.ResetResolutionSliders(false);
            Edit::Display(d).m_panel.m_resolutionX.value = d.Frame().m_dResolutionX;
            Edit::Display(d).m_panel.m_resolutionY.value = d.Frame().m_dResolutionY;
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
    // What the pictures are made with that a workspace does not store, and that the document keeps.
    DisplaySettings& display = Edit::Display(*scratch);
    display.m_crSingleColour = doc.Display().m_crSingleColour;
    display.m_crPalette = doc.Display().m_crPalette;
    display.m_nLineWidth = doc.Display().m_nLineWidth;
    display.m_bShowNoGps = doc.Display().m_bShowNoGps;
    display.m_bShowLonLat = doc.Display().m_bShowLonLat;
    return scratch;
}

void AdoptDecodedWorkspace(CPlotraDoc& doc, DecodedWorkspace&& decoded) {
    CPlotraDoc& from = *decoded.doc;
    // The previous project is freed off this thread: a large one would hold the window up.
    auto old = std::make_unique<CPlotraDoc>();
    ForgetPreviousProject(doc, *old);
    FreeInBackground(std::move(old));
    TransferStoredState(doc, TakeFrom{from});
    Edit::Coverage(doc).m_aCoveragePictures = std::move(Edit::Coverage(from).m_aCoveragePictures);
    Edit::Aps(doc).m_groupsBySsid = std::move(Edit::Aps(from).m_groupsBySsid);
    Edit::Aps(doc).m_groupsByChannel = std::move(Edit::Aps(from).m_groupsByChannel);
    Edit::Aps(doc).m_groups = std::move(Edit::Aps(from).m_groups);
    doc.Host().setMapShown(decoded.mapShown);
    if (doc.Map().m_bMapLoaded) Edit::Display(doc).m_bShowLonLat = 0;
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
    TransferStoredState(*copy, CopyFrom{doc});
    Edit::Project(*copy).m_strWorkspacePath = doc.Project().m_strWorkspacePath;
    Edit::Map(*copy).m_strProjectionPath = doc.Map().m_strProjectionPath;
    Edit::Display(*copy).m_bShowNoGps = doc.Display().m_bShowNoGps;
    Edit::Display(*copy).m_bShowLonLat = doc.Display().m_bShowLonLat;
    return copy;
}

} // namespace plotra
