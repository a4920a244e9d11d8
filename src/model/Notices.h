#pragma once
/// \brief Change notices: the document tells its observers what changed, once, after every edit,
/// load, job result or command. Views repaint or rebuild on notices and never poll. Notices are sent
/// on the thread that changed the document, which is always the user-interface thread: jobs never
/// touch the live document, their results are applied there.

#include <cstdint>
#include <vector>

namespace plotra {

/// \brief What part of the document changed.
enum class DocChange : std::uint8_t {
    Everything, ///< the whole project was replaced: new project, workspace opened, processing applied
    Files,      ///< the survey file list, its ticks or notes
    Aps,        ///< fields of some APs (see ChangeNotice::field and ::aps)
    Selection,  ///< ticks of APs and groups, the selected AP
    Groups,     ///< the grouping shown, the colour mode or a colour of the tree
    Display,    ///< display settings and display-mode flags, section states, slider values
    Coverage,   ///< the combined coverage result, its pictures or its contour data
    Projection, ///< the map picture and the geo transformation
    Frame,      ///< the combined rectangle or the display frame
    Notes,      ///< report notes of files and APs
};

/// \brief Which fields of the APs named in a notice changed.
enum class ApField : std::uint8_t {
    All,      ///< any field
    Model,    ///< slope, intercept, shadowing, grid (a refit)
    Position, ///< m_posAP (a move, accepted or undone)
    Colour,   ///< m_crColour or the colour the AP's picture is drawn in
    Picture,  ///< the AP's coverage picture
    Icon,     ///< marker icon
    Reliability,
};

/// \brief Which display setting a Display notice is about, so that a view showing another one can
/// let it pass. \c All (the default) is any of them, or several at once (a unit change, the switch
/// to the table window and back, a refused edit).
enum class DisplaySetting : std::uint8_t {
    All,
    Sections,     ///< a panel section opened or closed (and the display mode that follows one)
    DisplayMode,  ///< coverage, single contour, multiple contours or cell radius
    GraphType,    ///< the graph shown and the contour slider's range that goes with it
    Alpha,        ///< the coverage picture's transparency
    PowerRange,   ///< the power range the AP pictures are shaded over
    Resolution,   ///< the matrix resolution (node spacing) of one axis
    GridLines,    ///< the number of grid lines
    Flag,         ///< one display flag (path, GPS state, markers, lon/lat, grid, overlay, legend)
    LineWidth,    ///< the walk path's width
    AnalysisMode, ///< single or group AP reliability analysis
};

/// \brief One notice. \c aps lists the AP indices concerned; empty means all of them.
struct ChangeNotice {
    DocChange what = DocChange::Everything;
    ApField field = ApField::All;
    std::vector<int> aps;
    DisplaySetting setting = DisplaySetting::All; ///< for DocChange::Display
};

/// \brief A Display notice about one setting.
inline ChangeNotice DisplayNotice(DisplaySetting setting, ApField field = ApField::All) {
    ChangeNotice notice;
    notice.what = DocChange::Display;
    notice.field = field;
    notice.setting = setting;
    return notice;
}

/// \brief Receives the document's notices (plain C++; the desktop program bridges them to signals).
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    virtual void documentChanged(const ChangeNotice& notice) = 0;
};

} // namespace plotra
