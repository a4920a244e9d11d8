#pragma once
/// \brief The document's state in parts: plain values grouped by what they hold. The document keeps
/// them privately and hands them out read-only (CPlotraDoc::Survey(), Aps(), ...); only the edits
/// (the document's own entry points and the core functions that include model/EditAccess.h) get
/// them writable. The member names are the ones the workspace format and the algorithms use.

#include "model/Geometry.h"
#include "model/GraphKinds.h"
#include "model/Records.h"
#include "model/SurveyPoints.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

/// \brief One resolution slider of the panel: its value and range in display units.
struct ResolutionSlider {
    double value = 200.0, minimum = 50.0, maximum = 200.0;
};

/// \brief Control panel values kept with the document: the ones a workspace stores so that a
/// reopened project looks the same, and the slider positions the document's commands reset.
struct PanelState {
    std::array<float, 4> m_afReliability{}; ///< radius, power threshold, probability, cell reliability
    std::int32_t m_nSelectedAP = -1;        ///< the AP last ticked or unticked in the tree; -1 none
    std::int32_t m_bExpandSorting = 0;
    std::int32_t m_bExpandMeasurement = 0;
    std::int32_t m_bExpandReliability = 0;
    std::int32_t m_bExpandGraph = 0;
    std::int32_t m_nContourLow = 0; ///< "Contour" slider thumbs
    std::int32_t m_nContourHigh = 0;
    /// Matrix resolution sliders: reset to W/50 in W/400..W/50 by processing, ticks and the unit
    /// change; they may show another value than m_dResolutionX/Y until the user moves them.
    ResolutionSlider m_resolutionX, m_resolutionY;
};

/// \brief The survey as read: the files, every point of every file, and the reader's settings.
struct SurveyInput {
    std::vector<CDataFile> m_aFiles;
    int m_bMerge = 1;
    /// Every point of every loaded file; reads as an array of CDataPoint, each reading held in 8 bytes.
    SurveyPoints m_aDataPoints;
    std::vector<int> m_aFilePointCount;
    std::vector<COLORREF> m_aFileColor;
    std::vector<CAPMarker> m_aApMarkers;
    std::string m_strCurrentFile;
    std::string m_strSurveyTime;
    std::uint8_t m_bNoData = 1;
    /// Noise level (dBm) given to every channel of wardriving logs, which record none.
    int m_nWigleNoiseFloor = -95;
};

/// \brief The walked path: the merged samples and the per-position GPS facts drawn with it.
struct SurveyPath {
    std::vector<CData> m_aMeasurements;
    std::vector<int> m_aRawAltitude;
    std::vector<int> m_aRawVelocity;
    std::vector<std::uint8_t> m_aRawFix;
    std::vector<CData> m_aPoints;
    std::vector<int> m_aFilePathCount;
    std::vector<int> m_aAltitude;
    std::vector<int> m_aVelocity;
    std::vector<int> m_aGpsState;
};

/// \brief The access points, their notes and their groupings, and the last move of one.
struct ApSet {
    std::vector<CAPInfo> m_aAPs;
    int m_nHue = 122;
    std::vector<CApFile> m_aApNotes;
    CGroups m_groupsBySsid;
    CGroups m_groupsByChannel;
    CGroups m_groups;
    CGroups m_groupsSpare; ///< exists and stays empty
    CDataGeo m_posMovedFrom;
};

/// \brief The map: its picture, projection and the geometry derived from them.
struct MapGeometry {
    /// The map as a complete BMP file image; the render layer decodes it for drawing.
    std::vector<std::uint8_t> m_aMapImage;
    int m_nMapImageSize = 0;
    std::string m_strProjectionPath;
    std::array<double, 16> m_adProj{};
    std::uint8_t m_byProjType = 0;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    double m_dMetersPerPixelX = 0.0;
    double m_dMetersPerPixelY = 0.0;
    int m_bMapLoaded = 0;
    int m_bMetricXY = 0;
    double m_dMapHeight = 0.0, m_dMapWidth = 0.0, m_dMapOriginY = 0.0, m_dMapOriginX = 0.0;
};

/// \brief The combined rectangle and the display frame, and the coverage matrix laid over them.
struct FrameGeometry {
    double m_dFrameSpanY = 0.0, m_dFrameSpanX = 0.0, m_dFrameOriginY = 0.0, m_dFrameOriginX = 0.0;
    double m_dGridSpanY = 0.0, m_dGridSpanX = 0.0, m_dGridOriginY = 0.0, m_dGridOriginX = 0.0;
    int m_nGridRows = 50;
    int m_nGridCols = 50;
    double m_dResolutionX = 0.0;
    double m_dResolutionY = 0.0;
};

/// \brief The display-mode combinations the panel selects: plain coverage, the single contour, the
/// multiple contours and the cell-radius circles. The edits set a mode; the workspace stores it as
/// the four switches m_bCoveragePlotted, m_bShowContour, m_bMultiContours and m_bShowCellRadius.
enum class DisplayMode { Coverage, SingleContour, MultipleContours, CellRadius };

/// \brief What the project shows and how: units, switches, display mode, graph, colours, modes,
/// and the panel values stored with it.
struct DisplaySettings {
    double m_dUnitFactor = 0.3048; ///< metres per display unit; 1.0 metres, 0.3048 feet
    int m_bShowNoGps = 1;
    int m_bShowLegend = 0;
    int m_nLineWidth = 1;
    std::uint8_t m_bShowLonLat = 1;
    int m_bCombined = 0;
    /// The display mode as the workspace stores it: four switches that SetMode sets together.
    int m_bShowContour = 0;
    int m_bMultiContours = 0;
    int m_bShowCellRadius = 0;
    int m_bCoveragePlotted = 1;
    int m_bShowApMarkers = 1;
    int m_bDataLoaded = 0;
    int m_bTableWindowActive = 0;
    std::uint8_t m_bStarted = 0;
    std::array<COLORREF, 10> m_crPalette{0x0000FF, 0x6A5ACD, 0x000080, 0x228B22, 0x9ACD32,
                                         0xADFF2F, 0xCD5C5C, 0xFF69B4, 0xFFFF00, 0xFF0000};
    int m_nPowerRangeLow = -100;
    int m_nPowerRangeHigh = -30;
    COLORREF m_crSingleColour = 0x404040;
    int m_nGridDivisions = 5;
    int m_bCoverageOverlay = 1;
    int m_nGraphType = StoredValue(GraphKind::SignalPower); ///< the graph shown, as stored; Graph() reads it
    int m_nAlpha = 192;
    int m_bShowPath = 1;
    int m_bXGrid = 0;
    int m_bYGrid = 0;
    int m_nAnalysisMode = 1;
    int m_nSortMode = 1;
    int m_nColourMode = 0;
    int m_bUnitUnchanged = 1;
    /// Control panel values stored with the workspace.
    PanelState m_panel;

    /// Sets the four switches of \p mode together.
    void SetMode(DisplayMode mode) {
        m_bCoveragePlotted = mode == DisplayMode::Coverage;
        m_bShowContour = mode == DisplayMode::SingleContour;
        m_bMultiContours = mode == DisplayMode::MultipleContours;
        m_bShowCellRadius = mode == DisplayMode::CellRadius;
    }
    /// The mode the switches show; nothing when no overlay is on (a dropped AP switches them off
    /// until the coverage is calculated again) or a damaged workspace combined them otherwise.
    std::optional<DisplayMode> Mode() const {
        const int on = (m_bCoveragePlotted != 0) + (m_bShowContour != 0) + (m_bMultiContours != 0) +
                       (m_bShowCellRadius != 0);
        if (on != 1) return std::nullopt;
        if (m_bCoveragePlotted) return DisplayMode::Coverage;
        if (m_bShowContour) return DisplayMode::SingleContour;
        return m_bMultiContours ? DisplayMode::MultipleContours : DisplayMode::CellRadius;
    }
};

/// \brief The coverage result: grids, pictures, contours, and the figures they were made from.
struct CoverageGrids {
    int m_bCoverageReady = 0;
    double m_dMeanRssi = 0.0;
    double m_dMeanSnr = 0.0;
    double m_dSlope = 0.0;
    double m_dIntercept = 0.0;
    double m_dShadowStd = 0.0;
    double m_dPowerMax = 0.0, m_dPowerMin = 0.0, m_dSnrMax = 0.0, m_dSnrMin = 0.0;
    std::vector<double> m_aGridPower;
    std::vector<double> m_aGridSnr;
    std::vector<int> m_aGridCount;
    std::vector<COLORREF> m_aDominantColour;
    std::vector<COLORREF> m_aMixedColour;
    /// Coverage pictures as colours, m_nGridCols x m_nGridRows, row by row from the top:
    /// power in the dominant / mixed colour, SNR in the dominant / mixed colour, number of APs.
    std::array<std::vector<COLORREF>, kPictureCount> m_aCoveragePictures;
    /// Contour data of the graphs (each graph's contourSet), and the working lists the contouring fills.
    std::array<ContourLayerSet, kGraphKinds.size()> m_aContours;
    ContourLayerSet m_workContours;
};

/// \brief The project's own files: when it was made, where it is saved and where its KML went.
struct ProjectFiles {
    std::int64_t m_timeCreated = 0;
    std::string m_strKmlPath;
    std::string m_strWorkspacePath;
    std::uint8_t m_bWorkspaceNamed = 0;
};

} // namespace plotra
