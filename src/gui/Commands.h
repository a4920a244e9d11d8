#pragma once
/// \brief The commands of the menus and the toolbar by their numeric ids, and how a window takes
/// part in them. The main window routes every command to the right pane first (graph or table
/// window), then to the control panel, then handles it itself; the same order answers whether a
/// command is enabled and checked.

namespace plotra::gui {

/// Menu and toolbar command ids.
enum CommandId : int {
    kCmdNewProject = 57600,
    kCmdOpenProject = 57601,
    kCmdSaveProject = 57603,
    kCmdSaveProjectAs = 57604,
    kCmdPrintSetup = 57606,
    kCmdPrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdRecentFile = 57616,
    kCmdUndo = 57643,
    kCmdRedo = 57644,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdToolbar = 59392,
    kCmdStatusBar = 59393,
    kCmdLoadMap = 32774,
    kCmdRuler = 32775,
    kCmdZoomIn = 32783,
    kCmdZoomOut = 32784,
    kCmdFitWindow = 32786,
    kCmdCreateKml = 32791,
    kCmdSelectMetric = 32794,
    kCmdInfoWindow = 32797,
    kCmdSaveGraphImage = 32798,
    kCmdHelpUsing = 32801,
    kCmdCreateReport = 32803,
    kCmdShowLegend = 32804,
    kCmdFitMapPath = 32806,
    kCmdSaveTableAs = 32808,
    kCmdGraphWindow = 32810,
    kCmdTableWindow = 32811,
    kCmdShowDirections = 32812,
    kCmdShowMap = 32813,
    kCmdMoveAp = 32814,
    kCmdProcessAgain = 32830, ///< our own: processing of a project whose processing did not finish
    kCmdClientReport = 32831, ///< our own: the client report as a PDF
    kCmdLoadFloorPlan = 32845, ///< our own: a floor plan picture or PDF page placed by a scale
    kCmdPaletteClassic = 32832, ///< our own: the colour scale of contours, AP counts and legends
    kCmdPaletteViridis = 32833,
    kCmdPaletteCividis = 32834,
    kCmdStartSurvey = 32850, ///< our own: a survey made with this computer's Wi-Fi adapter and GPS
    kCmdStopSurvey = 32851,
};

/// \brief Whether a command can be given now and whether it shows a check mark.
struct CommandState {
    bool enabled = false;
    bool checked = false;
};

/// \brief A window that handles some commands.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    /// True when this window handles \p id (then its state and action come from here).
    virtual bool handlesCommand(int id) const = 0;
    virtual CommandState commandState(int id) const = 0;
    virtual void runCommand(int id) = 0;
};

} // namespace plotra::gui
