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

/// \brief One notice. \c aps lists the AP indices concerned; empty means all of them.
struct ChangeNotice {
    DocChange what = DocChange::Everything;
    ApField field = ApField::All;
    std::vector<int> aps;
};

/// \brief Receives the document's notices (plain C++; the desktop program bridges them to signals).
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    virtual void documentChanged(const ChangeNotice& notice) = 0;
};

} // namespace plotra
