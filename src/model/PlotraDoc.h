#pragma once
/// \brief The project document: all project state and the operations on it.

#include "model/DocumentParts.h"
#include "model/EditJournal.h"
#include "model/Geometry.h"
#include "model/GraphKinds.h"
#include "model/Interfaces.h"
#include "model/Notices.h"
#include "model/Records.h"
#include "model/SurveyPoints.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace plotra {

/// \brief What the main window saves while the table window is shown, and restores afterwards.
struct TableSwitchState {
    bool active = false;
    int dataLoaded = 0, combined = 0;
    std::int32_t expandMeasurement = 0, expandSorting = 0, expandReliability = 0;
    bool mapShown = false;
};

/// \brief Outcome of reading one survey file from disk.
enum class SurveyReadResult { Ok, CannotOpen, Invalid };

/// An AP takes part in coverage, gets a coverage picture and counts as valid with more than this
/// many working points.
inline constexpr std::size_t kMinCoveragePoints = 20;
/// An AP's position, marker, cell radius and reliability need at least this many working points.
inline constexpr std::size_t kMinLocatedPoints = 80;

/// \brief The display switches of the panel's toggles and the graph window's legend command.
enum class DisplayFlag { Path, PathWithoutGps, LonLat, ApMarkers, CoverageOverlay, XGrid, YGrid, Legend };

/// \brief Outcome of moving an AP: accepted (model refitted), or refused with the message shown.
struct MoveOutcome {
    bool accepted = false;
    bool refitted = false; ///< false when the AP has too few points for a model
    std::string message;   ///< the refusal text, empty when accepted
};

/// \brief A map as the document keeps it: a complete BMP file image and the projection coefficients.
struct MapPicture {
    std::uint8_t type = 0;
    std::array<double, 16> coefficients{};
    std::vector<std::uint8_t> bmp;
};

/// \brief What a map picture import made of a file that is not a projection file.
struct MapImportOutcome {
    enum Kind { NotAPicture, Refused, Loaded } kind = NotAPicture; ///< Refused: the user was told why
    MapPicture map;
};

/// Turns a georeferenced picture (GeoTIFF, a picture with a world file) into a map; programs that
/// link the raster import give it to their document.
using MapPictureImporter = std::function<MapImportOutcome(const std::string& path, UserPrompts& prompts)>;

/// Render-layer objects kept with a document (its last graph picture); defined by the render layer.
struct RenderSide;

/// \brief The project document: every piece of project state, with the defaults a new project starts
/// from, and one entry point for every user edit. The entry points do every side effect of the edit
/// and tell the observers what changed; windows and the command-line tool call them and never write
/// the members behind an edit themselves.
///
/// Where the members are defined (each folder holds the operations of its subsystem):
///  - model/PlotraDoc.cpp: construction, observers, jobs' busy flag, colours, geometry of the rectangle.
///  - model/DocumentEdits.cpp: display settings and modes, panel sections, notes, the table switch.
///  - model/ApSelection.cpp: AP groups, ticks, colour modes and colours of the tree.
///  - files/: survey files (SurveyFile.cpp), the new-project flow (NewProject.cpp), projection files
///    (Projection.cpp), workspace commands (WorkspaceCommands.cpp).
///  - analysis/: extent (Extent.cpp), path merging (SampleMerge.cpp), moving an AP (Relocation.cpp),
///    the blocking processing (Processing.cpp), the single contour and the unit change (Coverage.cpp).
/// \brief How an attempt to open a workspace ended.
enum class OpenOutcome { Opened, NotNow, Refused };

class CPlotraDoc : private SurveyInput,
                   private SurveyPath,
                   private ApSet,
                   private MapGeometry,
                   private FrameGeometry,
                   private DisplaySettings,
                   private CoverageGrids,
                   private ProjectFiles {
    /// The edits outside the document's own entry points (model/EditAccess.h) get the parts writable.
    friend struct Edit;

  public:
    CPlotraDoc();
    virtual ~CPlotraDoc();
    CPlotraDoc(const CPlotraDoc&) = delete;
    CPlotraDoc& operator=(const CPlotraDoc&) = delete;

    // ---- outside world -------------------------------------------------------------------------
    /// Attach the prompts, progress and host; null restores the silent defaults.
    void SetOutside(UserPrompts* prompts, Progress* progress, DocumentHost* host);
    UserPrompts& Prompts() const { return *m_pPrompts; }
    Progress& ProgressSink() const { return *m_pProgress; }
    DocumentHost& Host() const { return *m_pHost; }

    // ---- change notices --------------------------------------------------------------------------
    void AddObserver(DocumentObserver* observer);
    void RemoveObserver(DocumentObserver* observer);
    /// Counts the change (m_nChangeCounter), marks the project modified (every notice but the ones
    /// sent inside a KeepModifiedFlag scope follows a change the workspace stores) and tells every
    /// observer.
    void Notify(const ChangeNotice& notice);
    void Notify(DocChange what, ApField field = ApField::All, std::vector<int> aps = {});

    // ---- jobs --------------------------------------------------------------------------------------
    /// True from the start of a processing or coverage job until its result has been applied.
    bool JobRunning() const { return m_bJobRunning; }
    /// Tells the user that a calculation still runs and returns true while one does.
    bool RefuseWhileBusy() const;
    /// The same for an edit: while a job runs, no edit of the project is taken (a job's result would
    /// be applied over it, or depend on what it changed). A refused edit sends \p resync without
    /// marking the project modified, so that a widget which already shows the gesture shows the
    /// document again.
    bool RefuseEditWhileBusy(DocChange resync);
    /// Set by the job starters (Processing.h, Coverage.h) and cleared when the result is applied.
    /// \p readsDocument: the job reads the live document (a save), so the panel's sections and the
    /// window switch, free while other jobs run, are refused as well.
    void SetJobRunning(bool running, bool readsDocument = false) {
        m_bJobRunning = running;
        m_bJobReadsDocument = running && readsDocument;
    }
    /// True while a job that reads the live document runs.
    bool JobReadsDocument() const { return m_bJobReadsDocument; }
    /// The whole processing on the calling thread: start, wait, apply. False when refused or cancelled.
    bool RunProcessing();

    // ---- plain accessors -----------------------------------------------------------------------
    bool IsModified() const { return m_bModified; }
    /// Unmodified also tells the edit journal: the undo stack's clean point is here.
    void SetModifiedFlag(bool modified = true) {
        m_bModified = modified;
        if (!modified && m_pJournal) m_pJournal->markedClean();
    }
    /// Before unsaved edits are discarded (new project, open, exit): asks "Save changes to <name>?"
    /// and saves on Yes. True when the caller may go on (saved, No, or nothing to save); false on
    /// Cancel, and when the save did not happen (its dialog cancelled, the write failed).
    bool SaveModified();
    /// The question of SaveModified alone: Go on (nothing to save, or No), Save first (Yes), or Stop (Cancel).
    enum class SaveChoice { GoOn, Save, Stop };
    SaveChoice AskSaveModified();
    /// After the workspace was written to m_strWorkspacePath: unmodified, and the window is told the name.
    void Saved();
    /// \brief Notices sent while one lives do not mark the project modified (a window switch, a
    /// refused edit, a workspace just read).
    class KeepModifiedFlag {
    public:
        explicit KeepModifiedFlag(CPlotraDoc& doc) : m_doc(doc), m_was(doc.m_bModified) {
            ++doc.m_nKeepModified;
        }
        ~KeepModifiedFlag() {
            m_doc.m_bModified = m_was;
            --m_doc.m_nKeepModified;
        }
        KeepModifiedFlag(const KeepModifiedFlag&) = delete;
        KeepModifiedFlag& operator=(const KeepModifiedFlag&) = delete;

    private:
        CPlotraDoc& m_doc;
        bool m_was;
    };
    // ---- undo ---------------------------------------------------------------------------------------
    /// The journal that records the undoable edits (an undo stack); null records nothing.
    void SetEditJournal(EditJournal* journal) { m_pJournal = journal; }
    EditJournal* Journal() const { return m_pJournal; }
    /// \brief Lives for the time of one undoable edit in its entry point, opened once the edit is
    /// taken (after the busy refusal) and before anything changes. Edits inside an edit (the ticks of
    /// a selection, the move of a typed position) belong to the outer one, whose subject covers them.
    class UndoableEdit {
    public:
        UndoableEdit(CPlotraDoc& doc, const EditSubject& subject);
        ~UndoableEdit();
        UndoableEdit(const UndoableEdit&) = delete;
        UndoableEdit& operator=(const UndoableEdit&) = delete;

    private:
        CPlotraDoc& m_doc;
        bool m_outer;
    };

    /// Saving goes through the workspace commands; the framework's own save does nothing.
    bool OnSaveDocument(const std::string&) { return true; }

    /// Colour for a new AP or file: the next step of the AP hue sequence.
    COLORREF NextApColour();
    /// Width (along x) and height (along y) of the combined rectangle in metres: great-circle lengths
    /// of its bottom and left edges without a map, the spans with one.
    std::pair<double, double> GridRectangleMetres() const;
    /// The same in display units (divided by m_dUnitFactor).
    std::pair<double, double> GridRectangleDisplay() const;
    /// Resets the matrix resolution sliders to W/400..W/50 (H for y); \p toMaximum also moves their
    /// values to W/50 and H/50, otherwise they keep their values.
    void ResetResolutionSliders(bool toMaximum);

    // ---- survey data file ------------------------------------------------------------------------
    /// Appends the points of one survey file image (the whole file's bytes) to the model.
    /// Returns false when the file is refused; \c m_strCurrentFile names it in messages.
    bool ReadSurveyFile(std::span<const std::uint8_t> file);
    /// The same, reading an open file of \p size bytes through a window of \p window bytes instead of
    /// holding it whole; nothing when reading the file failed part way.
    std::optional<bool> ReadSurveyFileFrom(std::FILE* file, std::uint64_t size, std::size_t window = 4u << 20);

    // ---- projection file and geo transformation (files/Projection.cpp) ---------------------------
    /// Latitude/longitude in degrees to map metres; the result is (Y, X) = (m_dY, m_dX).
    CDataGeo GeoToMap(double lat, double lon) const;
    /// Map metres to latitude/longitude (m_dY = latitude, m_dX = longitude); shows
    /// "Invalid Transformation Matrix" and returns nothing when the transformation cannot be inverted.
    std::optional<CDataGeo> MapToGeo(double x, double y) const;
    /// The same without the message (for the many conversions of a mouse move or a drawing).
    std::optional<CDataGeo> MapToGeoQuiet(double x, double y) const;
    /// Parses a projection file image and loads its map; false when refused.
    bool ReadProjectionFile(std::span<const std::uint8_t> file);
    /// The "Load the map of the measured area" command (file chooser through the prompts).
    void OpenProjectionFile();
    /// The second half of that command for a chosen file: replaces the map and places the survey on it.
    /// A file that is not a projection file goes through the map picture importer, when one is set.
    bool LoadProjectionFile(const std::string& path);
    /// Warns when most of the survey's points lie outside the map just loaded (a map of another place).
    void WarnIfSurveyOffMap() const;
    /// Lets "Load the map" also take georeferenced pictures.
    void SetMapPictureImporter(MapPictureImporter importer) { m_mapImporter = std::move(importer); }
    /// Takes a map in the document's form (checked like a decoded projection file); false when refused.
    bool LoadMapPicture(MapPicture map);
    /// The load-map command's question before a loaded map is replaced; true when there is none or
    /// the user agrees.
    bool ConfirmMapReplacement();
    /// The second half of the load-map command for a map made from \p path in the program (a floor
    /// plan placed by its scale): everything LoadProjectionFile does after reading a file.
    bool LoadMadeMap(const std::string& path, MapPicture map);

    // ---- workspace (files/WorkspaceFormat.cpp, files/WorkspaceCommands.cpp) ----------------------
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
    /// The same, saying why nothing was opened: NotNow (a job runs, the table window is shown, or
    /// the user kept the unsaved project) or Refused (the file could not be read as a workspace).
    OpenOutcome OpenDocument(const std::string& path);

    // ---- new project and loading (files/NewProject.cpp, analysis/SampleMerge.cpp) ---------------
    bool OnNewDocument();
    /// The new project of \p files (ticked ones are read) on the current map: read and processed as a
    /// job, replacing the project only when one of them was read; otherwise the project keeps its
    /// files and data and "None of the chosen survey files could be read…" is shown. The caller has
    /// asked about unsaved changes.
    bool ReplaceSurveyFiles(std::vector<CDataFile> files, bool merge);
    /// Replaces the survey file list and the merge choice (what the selection dialog returns).
    void SetSurveyFiles(std::vector<CDataFile> files, bool merge);
    /// Reads every ticked file of m_aFiles and rebuilds the model; true if at least one was read.
    /// The caller starts the processing (the desktop program as a job, plotra-cli timed).
    bool PlaceSurveyFiles();
    /// PlaceSurveyFiles, then the processing on the calling thread; true if a file was read.
    bool LoadSurveyFiles();
    /// Builds APs, samples and paths from m_aDataPoints and tells the windows; the caller starts the
    /// processing.
    void BuildAccessPoints();
    /// BuildAccessPoints without the processing: APs, samples, paths, map metres, modes.
    void PlaceSurveyPoints();
    /// Reads one survey file from disk and appends its points (the per-file step of LoadSurveyFiles).
    SurveyReadResult ReadOneSurveyFile(const std::string& path);
    /// Merges one file's raw positions (m_aMeasurements and the raw lists) into the path lists.
    void MergePathPositions();

    // ---- extent (analysis/Extent.cpp) ------------------------------------------------------------
    /// The combined rectangle and display frame; width/height below 1 ask the host for its size.
    void ComputeExtent(int width, int height, int mode);
    /// A view fitted to its window: the display frame, and with \p pathBox (no AP ticked) the combined
    /// rectangle too. The view sends the Frame notice once its own zoom is reset.
    void SetFrame(const ModelRect& frame, const std::optional<ModelRect>& pathBox = std::nullopt);
    /// What ComputeExtent would set, for a W x H target with the map shown or not.
    ExtentRects ExtentFor(int width, int height, int mode, bool mapShown) const;

    // ---- AP groups, ticks and colours (model/ApSelection.cpp) -----------------------------------
    /// Fills \p groups with the APs grouped by SSID (label mode 0) or by channel (label mode 1);
    /// sets every AP's group index to its group in that grouping.
    void BuildGroupsBySsid(CGroups& groups);
    void BuildGroupsByChannel(CGroups& groups);
    /// Both groupings, and the one of m_nSortMode copied into m_groups (its group indices kept).
    void RebuildGroups();
    /// "By SSID" (1) or "By Channel" (2).
    void SetSortMode(int mode);
    /// The tick box of an AP: selection, group tick, AP picture or the "No enough points" message,
    /// combined display dropped, extent, grid counts and resolution sliders.
    void SetApTicked(int ap, bool ticked);
    /// The tick box of a group of m_groups: every member, their pictures, one message for the members
    /// with too few points.
    void SetGroupTicked(int group, bool ticked);
    /// Ticks exactly the listed APs (the command-line selection) with the tick box's side effects.
    void SetTickedAps(const std::vector<int>& aps);
    /// A click on a tree icon: group icons switch between per-group and single colour, AP icons
    /// between per-AP and single colour.
    void ClickTreeIcon(bool groupItem);
    void SetColourMode(int mode);
    /// The colour a right click on a tree icon edits, if any (group in mode 1, AP in modes 0 and 2).
    std::optional<COLORREF> TreeIconColour(bool groupItem, int index) const;
    /// The colour dialog's answer for that icon (nothing: cancelled); the combined display is dropped
    /// either way.
    void SetTreeIconColour(bool groupItem, int index, std::optional<COLORREF> chosen);
    /// The colour an AP's picture is drawn in under the current colour mode.
    COLORREF ApPictureColour(int ap) const;
    /// Rebuilds the pictures of the ticked APs with enough points in the colour mode's colours.
    void RegenerateTickedApPictures();
    /// The marker icon of an AP (the icon dialog's answer).
    void SetApIcon(int ap, int option, int iconId);

    // ---- display settings and modes (model/DocumentEdits.cpp) -----------------------------------
    void SetDisplayMode(DisplayMode mode);
    /// The "Multiple contours" toggle: on selects the multiple contours, off plain coverage.
    void SetMultipleContours(bool on);
    /// The graph radios: graph type, the contour slider's range and thumbs, the section closed.
    void SetGraphType(GraphKind kind);
    /// The graph shown (m_nGraphType). A stored value that names no graph (a damaged workspace) shows
    /// the signal power.
    GraphKind Graph() const { return GraphKindFromInt(m_nGraphType).value_or(GraphKind::SignalPower); }
    /// Range of the "Contour" slider for the graph shown: the power or SNR range, or 1..10 APs.
    std::pair<int, int> ContourSliderRange() const;
    /// The "Transparency" slider's value 0..100.
    void SetTransparency(int percent);
    void SetAlpha(int alpha);
    /// The "Power Range" slider (only with data).
    void SetPowerRange(int low, int high);
    void SetResolution(bool yAxis, double value);
    void SetGridDivisions(int divisions);
    /// A display toggle. Returns false when refused (markers without a ticked AP) and shows the
    /// Part's messages (markers refused; "All the points have 3D fix.").
    bool SetDisplayFlag(DisplayFlag flag, bool on);
    bool DisplayFlagOn(DisplayFlag flag) const;
    /// The walk-path width button: 1, 2, 3, 1, ...
    void CycleLineWidth();
    /// "Single AP Analysis" (1) or "Group AP analysis" (2), only with data.
    void SetAnalysisMode(int mode);
    /// A section header clicked: "Measurement Information", "AP Sorting & Selection" and
    /// "Reliability Analysis" open and close only with data; the reliability section selects the
    /// cell-radius display while open. "Graph Selection" always toggles.
    void ToggleSection(PanelSection section);
    bool SectionExpanded(PanelSection section) const;
    /// The "Contour" slider: the threshold area of the dragged thumb at \p level (single contour).
    void SetThreshold(bool highThumb, int level);
    /// "Select the metric" with the user's choice.
    void ChangeDisplayUnit(bool metres);
    /// The right pane switched to the table window and back; the flags saved on the way in are the
    /// ones restored on the way out.
    void EnterTableWindow();
    void LeaveTableWindow();
    /// After a job's result is applied while the table window is shown: the fresh state becomes the
    /// one the switch back to the graph window restores.
    void RefreshTableSwitch();
    /// True when processing results exist, also while the table window hides them from the graph commands.
    bool HasProcessedData() const;

    /// The KML file last written (kept with the project, not stored in the workspace).
    void RememberKmlPath(std::string path) { m_strKmlPath = std::move(path); }

    // ---- notes ------------------------------------------------------------------------------------
    void SetFileNotes(int file, const std::string& notes);
    void SetApNotes(int ap, const CApFile& notes);

    // ---- moving an AP (analysis/Relocation.cpp) ---------------------------------------------------
    /// Refits an AP's model for the position stored in m_posAP (the previous one is in
    /// m_posMovedFrom); an implausible position is refused (message shown) and undone.
    MoveOutcome RecalculateAP(int index);
    /// Moves an AP to \p to and refits it (a typed position, the command line).
    MoveOutcome MoveAp(int index, const CDataGeo& to);
    /// Whether the AP at \p index can be picked up on the map. A drag changes nothing in the document:
    /// the view leaves the carried AP out of its picture, and a drag that ends in any other way than
    /// a drop leaves the project exactly as it was.
    bool BeginApDrag(int index) const;
    /// The drop: the overlays are switched off, the AP gets the dropped position (the old one kept in
    /// m_posMovedFrom) and is refitted (or only redrawn without data).
    MoveOutcome FinishApDrag(int index, const CDataGeo& to);
    /// "Input AP Position" with the two texts typed for the selected AP: checked and converted as the
    /// panel does; nothing happens for invalid or unchanged input.
    std::optional<MoveOutcome> TypeApPosition(const std::string& yText, const std::string& xText);

    // ---- the state, read-only; the edits are its only writers ------------------------------------
    const SurveyInput& Survey() const { return *this; }
    const SurveyPath& Path() const { return *this; }
    const ApSet& Aps() const { return *this; }
    const MapGeometry& Map() const { return *this; }
    const FrameGeometry& Frame() const { return *this; }
    const DisplaySettings& Display() const { return *this; }
    const CoverageGrids& Coverage() const { return *this; }
    const ProjectFiles& Project() const { return *this; }
    using enum CoveragePicture;

    /// The main window's saved state while the table window is shown.
    const TableSwitchState& TableSwitch() const { return m_tableSwitch; }

    /// Notices of one kind so far: the render layer keys its caches on the kinds that change what
    /// a cache holds (the decoded map on Projection and Everything).
    std::uint64_t ChangeCount(DocChange kind) const { return m_aChangeCounts[static_cast<std::size_t>(kind)]; }
    /// Every notice so far.
    std::uint64_t ChangeCounter() const { return m_nChangeCounter; }

    /// The render layer's objects for this document: the last painted graph picture and the render
    /// caches (derived pictures, hence reachable from a const document: drawing may fill them). The
    /// core never looks inside; the type is complete only in the render layer, which uses it on the
    /// user-interface thread only. Not project state: nothing of it is stored or compared.
    std::shared_ptr<RenderSide>& RenderSideSlot() const { return m_pRenderSide; }

  private:
    /// Takes a checked map picture and derives the map geometry.
    void AdoptMap(std::uint8_t type, const std::array<double, 16>& coefficients, std::vector<std::uint8_t> bmp);
    /// After a new map is in: resets what the map invalidates and places the survey on it anew.
    void PlaceSurveyOnNewMap(const std::string& path);

    MapPictureImporter m_mapImporter;
    TableSwitchState m_tableSwitch;
    std::uint64_t m_nChangeCounter = 0; ///< incremented by every notice
    mutable std::shared_ptr<RenderSide> m_pRenderSide;
    std::array<std::uint64_t, 16> m_aChangeCounts{};
    bool m_bJobRunning = false;
    bool m_bJobReadsDocument = false;
    bool m_bModified = false;
    int m_nKeepModified = 0;  ///< KeepModifiedFlag scopes open
    int m_nEditDepth = 0;     ///< UndoableEdit scopes open
    EditJournal* m_pJournal = nullptr;
    std::vector<DocumentObserver*> m_observers;
    SilentPrompts m_silentPrompts;
    Progress m_silentProgress;
    DocumentHost m_silentHost;
    UserPrompts* m_pPrompts = &m_silentPrompts;
    Progress* m_pProgress = &m_silentProgress;
    DocumentHost* m_pHost = &m_silentHost;
};

} // namespace plotra
