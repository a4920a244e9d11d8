#pragma once
/// \brief Plotra's own artwork, embedded from resources/plotra.qrc: the application icon, the toolbar
/// icons by command id, the icons of the survey file tree and the splash picture. The sources are the
/// SVG files under resources/icons/src (scripts/render-icons turns them into the PNGs).

#include <QIcon>
#include <QPixmap>

namespace plotra::gui {

/// The application's icon (window, about box, desktop entry).
QIcon ApplicationIcon();
/// The toolbar icon of a command id; a null icon for commands without one.
QIcon CommandIcon(int id);
/// Icons of the survey file selection tree: the "Selected Files" root and one survey file.
QIcon SurveyRootIcon();
QIcon SurveyFileIcon();
/// The picture of the start-up splash window.
QPixmap SplashPicture();

} // namespace plotra::gui
