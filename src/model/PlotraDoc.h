#pragma once
/// \brief The project document: every piece of project state, with the defaults a new project starts
/// from. Document operations (loading, processing, coverage, relocation, reliability, workspace) are
/// members; each is defined in the source file of its subsystem.

#include "model/Interfaces.h"
#include "model/Records.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace plotra {

/// \brief Control panel values a workspace stores so that a reopened project looks the same.
struct PanelState {
    std::array<float, 4> m_afReliability{}; ///< radius, power threshold, probability, cell reliability
    std::int32_t m_nSelectedAP = -1;
    std::int32_t m_bExpandSorting = 0;
    std::int32_t m_bExpandMeasurement = 0;
    std::int32_t m_bExpandReliability = 0;
    std::int32_t m_bExpandGraph = 0;
    std::int32_t m_nContourLow = 0;  ///< "Contour" slider thumbs
    std::int32_t m_nContourHigh = 0;
};

/// \brief Outcome of reading one survey file from disk.
enum class SurveyReadResult { Ok, CannotOpen, Invalid };

/// \brief Graph indices of the three contour layer sets.
enum GraphIndex { kGraphPower = 0, kGraphSnr = 1, kGraphCount = 2 };

/// Render-layer objects kept with a document (its last graph picture); defined by the render layer.
struct RenderSide;

class CPlotraDoc {
public:
    CPlotraDoc();
    /// Waits for a processing worker that still runs.
    virtual ~CPlotraDoc();
    CPlotraDoc(const CPlotraDoc&) = delete;
    CPlotraDoc& operator=(const CPlotraDoc&) = delete;

    // ---- outside world -------------------------------------------------------------------------
    /// Attach the prompts, progress and host; null restores the silent defaults.
    void SetOutside(UserPrompts* prompts, Progress* progress, DocumentHost* host);
    UserPrompts& Prompts() const { return *m_pPrompts; }
    Progress& ProgressSink() const { return *m_pProgress; }
    DocumentHost& Host() const { return *m_pHost; }

    // ---- plain accessors -----------------------------------------------------------------------
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    /// Saving goes through the workspace commands; the framework's own save does nothing.
    bool OnSaveDocument(const std::string&) { return true; }

    /// Colour for a new AP or file: the next step of the AP hue sequence.
    COLORREF NextApColour();

    // ---- survey data file ------------------------------------------------------------------------
    /// Appends the points of one survey file image (the whole file's bytes) to the model.
    /// Returns false when the file is refused; \c m_strCurrentFile names it in messages.
    bool ReadSurveyFile(std::span<const std::uint8_t> file);

    // ---- projection file and geo transformation (src/files/Projection.cpp) ---------------------
    /// Latitude/longitude in degrees to map metres; the result is (Y, X) = (m_dY, m_dX).
    CDataGeo GeoToMap(double lat, double lon) const;
    /// Map metres to latitude/longitude (m_dY = latitude, m_dX = longitude); shows
    /// "Invalid Transformation Matrix" and returns nothing when the transformation cannot be inverted.
    std::optional<CDataGeo> MapToGeo(double x, double y) const;
    /// Parses a projection file image and loads its map; false when refused.
    bool ReadProjectionFile(std::span<const std::uint8_t> file);
    /// The "Load the map of the measured area" command (file chooser through the prompts).
    void OpenProjectionFile();

    // ---- workspace (src/files/Workspace.cpp) ----------------------------------------------------
    /// The workspace file image of the whole project.
    std::vector<std::uint8_t> EncodeWorkspace() const;
    /// Writes the workspace; on failure reports "Can not open the file!" and keeps any previous file.
    bool WriteWorkspace(const std::string& path);
    /// Restores the project from a workspace file image; false (document unchanged) when refused.
    bool ReadWorkspace(std::span<const std::uint8_t> file);
    void OnSaveProject();
    void OnSaveProjectAs();
    void OnOpenProject();
    bool OnOpenDocument(const std::string& path);

    // ---- new project, loading and processing (src/files/NewProject.cpp, src/analysis) -----------
    bool OnNewDocument();
    /// Reads every ticked file of m_aFiles and rebuilds the model; true if at least one was read.
    bool LoadSurveyFiles();
    /// Builds APs, samples and paths from m_aDataPoints, then starts processing.
    void BuildAccessPoints();
    /// BuildAccessPoints without starting the processing: APs, samples, paths, map metres, modes.
    void PlaceSurveyPoints();
    /// Reads one survey file from disk and appends its points (the per-file step of LoadSurveyFiles).
    SurveyReadResult ReadOneSurveyFile(const std::string& path);
    /// Merges one file's raw positions (m_aMeasurements and the raw lists) into the path lists.
    void MergePathPositions();
    /// The combined rectangle and display frame; width/height below 1 ask the host for its size.
    void ComputeExtent(int width, int height, int mode);
    /// Refits an AP's model for the position the user gave it (m_posAP; the previous one is in
    /// m_posMovedFrom); an implausible position is refused and undone.
    void RecalculateAP(int index);

    // ---- processing worker (src/analysis/ProcessingWorker.cpp) -----------------------------------
    /// Starts the data processing on a worker thread; false (nothing started) while one still runs.
    bool StartProcessing();
    /// Waits until a started processing has finished.
    void JoinProcessing();
    /// True from a successful StartProcessing until the worker has finished its work.
    bool ProcessingRunning() const { return m_bProcessingRunning.load(std::memory_order_acquire); }
    /// Runs the data processing and waits for it; false when a worker was already running.
    bool RunProcessing();

    // ================= survey input =================
    std::vector<CDataFile> m_aFiles;
    int m_bMerge = 1;
    std::vector<CDataPoint> m_aDataPoints;
    std::vector<int> m_aFilePointCount;
    std::vector<COLORREF> m_aFileColor;
    std::vector<CAPMarker> m_aApMarkers;
    std::string m_strCurrentFile;
    std::string m_strSurveyTime;
    std::uint8_t m_bNoData = 1;
    /// Noise level (dBm) given to every channel of wardriving logs, which record none.
    int m_nWigleNoiseFloor = -95;

    // ================= samples and path =================
    std::vector<CData> m_aMeasurements;
    std::vector<int> m_aRawAltitude;
    std::vector<int> m_aRawVelocity;
    std::vector<std::uint8_t> m_aRawFix;
    std::vector<CData> m_aPoints;
    std::vector<int> m_aFilePathCount;
    std::vector<int> m_aAltitude;
    std::vector<int> m_aVelocity;
    std::vector<int> m_aGpsState;

    // ================= access points =================
    std::vector<CAPInfo> m_aAPs;
    int m_nHue = 122;
    std::vector<CApFile> m_aApNotes;
    CGroups m_groupsBySsid;
    CGroups m_groupsByChannel;
    CGroups m_groups;
    CGroups m_groupsSpare; ///< exists and stays empty

    // ================= map and projection =================
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
    double m_dFrameSpanY = 0.0, m_dFrameSpanX = 0.0, m_dFrameOriginY = 0.0, m_dFrameOriginX = 0.0;
    double m_dGridSpanY = 0.0, m_dGridSpanX = 0.0, m_dGridOriginY = 0.0, m_dGridOriginX = 0.0;

    // ================= display settings and state =================
    double m_dUnitFactor = 0.3048; ///< metres per display unit; 1.0 metres, 0.3048 feet
    int m_bShowNoGps = 1;
    int m_bShowLegend = 0;
    int m_nLineWidth = 1;
    std::uint8_t m_bShowLonLat = 1;
    int m_bCombined = 0;
    int m_bShowContour = 0;
    int m_bMultiContours = 0;
    int m_bShowCellRadius = 0;
    int m_bCoveragePlotted = 1;
    int m_bShowApMarkers = 1;
    int m_bDataLoaded = 0;
    int m_nGridRows = 50;
    int m_nGridCols = 50;
    int m_bTableWindowActive = 0;
    std::uint8_t m_bStarted = 0;
    std::array<COLORREF, 10> m_crPalette{0x0000FF, 0x6A5ACD, 0x000080, 0x228B22, 0x9ACD32,
                                         0xADFF2F, 0xCD5C5C, 0xFF69B4, 0xFFFF00, 0xFF0000};
    int m_nPowerRangeLow = -100;
    int m_nPowerRangeHigh = -30;
    COLORREF m_crSingleColour = 0x404040;
    int m_nGridDivisions = 5;
    int m_bCoverageOverlay = 1;
    std::int64_t m_timeCreated = 0;

    int m_bCoverageReady = 0;
    int m_nGraphType = 1;
    int m_nAlpha = 192;
    int m_bShowPath = 1;
    int m_bXGrid = 0;
    int m_bYGrid = 0;
    int m_nAnalysisMode = 1;
    int m_nSortMode = 1;
    int m_nColourMode = 0;
    double m_dResolutionX = 0.0;
    double m_dResolutionY = 0.0;
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
    int m_bUnitUnchanged = 1;
    CDataGeo m_posMovedFrom;
    std::string m_strKmlPath;
    std::string m_strWorkspacePath;
    std::uint8_t m_bWorkspaceNamed = 0;

    /// Coverage pictures as colours, m_nGridCols x m_nGridRows, row by row from the top:
    /// power in the dominant / mixed colour, SNR in the dominant / mixed colour, number of APs.
    enum CoveragePicture { kPowerDominant = 0, kPowerMixed, kSnrDominant, kSnrMixed, kApCount, kPictureCount };
    std::array<std::vector<COLORREF>, kPictureCount> m_aCoveragePictures;

    /// Contour data of the three graphs, and the working lists the contouring fills.
    std::array<ContourLayerSet, 3> m_aContours;
    ContourLayerSet m_workContours;

    /// Control panel values stored with the workspace.
    PanelState m_panel;

    /// Incremented whenever a picture-affecting change completes; the render layer keys caches on it.
    std::uint64_t m_nChangeCounter = 0;

    /// The render layer's objects for this document (the last painted graph picture). The core never
    /// looks inside; the type is complete only in the render layer.
    std::shared_ptr<RenderSide> m_pRenderSide;

private:
    std::thread m_processingThread;
    std::atomic<bool> m_bProcessingRunning{false};
    bool m_bModified = false;
    SilentPrompts m_silentPrompts;
    Progress m_silentProgress;
    DocumentHost m_silentHost;
    UserPrompts* m_pPrompts = &m_silentPrompts;
    Progress* m_pProgress = &m_silentProgress;
    DocumentHost* m_pHost = &m_silentHost;
};

} // namespace plotra
