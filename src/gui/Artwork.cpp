#include "gui/Artwork.h"

#include "gui/Commands.h"

#include <QString>

// The pictures are compiled into the static plotra_gui library, whose resource initialiser the
// linker would drop: registered here, at the first use (outside any namespace, as Qt requires).
static void RegisterPlotraResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(plotra);
        return true;
    }();
    (void)registered;
}

namespace plotra::gui {

namespace {

/// An icon from its 24-pixel picture and the 48-pixel one for dense screens.
QIcon Icon(const char* name) {
    RegisterPlotraResources();
    QIcon icon;
    const QString base = QStringLiteral(":/icons/") + QLatin1String(name);
    icon.addFile(base + QStringLiteral(".png"), QSize(24, 24));
    icon.addFile(base + QStringLiteral("@2x.png"), QSize(48, 48));
    return icon;
}

} // namespace

QIcon ApplicationIcon() {
    RegisterPlotraResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/plotra.png"), QSize(64, 64));
    icon.addFile(QStringLiteral(":/icons/plotra-256.png"), QSize(256, 256));
    return icon;
}

QIcon CommandIcon(int id) {
    switch (id) {
    case kCmdNewProject:
        return Icon("new");
    case kCmdLoadMap:
        return Icon("loadmap");
    case kCmdShowMap:
        return Icon("showmap");
    case kCmdOpenProject:
        return Icon("open");
    case kCmdSaveProject:
        return Icon("save");
    case kCmdPrint:
        return Icon("print");
    case kCmdSelectMetric:
        return Icon("metric");
    case kCmdShowDirections:
        return Icon("directions");
    case kCmdInfoWindow:
        return Icon("info");
    case kCmdShowLegend:
        return Icon("legend");
    case kCmdMoveAp:
        return Icon("moveap");
    case kCmdRuler:
        return Icon("ruler");
    case kCmdZoomIn:
        return Icon("zoomin");
    case kCmdZoomOut:
        return Icon("zoomout");
    case kCmdFitWindow:
        return Icon("fitwindow");
    case kCmdFitMapPath:
        return Icon("fitmap");
    case kCmdCreateKml:
        return Icon("kml");
    case kCmdCreateReport:
        return Icon("report");
    case kCmdAbout:
        return Icon("about");
    default:
        return {};
    }
}

QIcon SurveyRootIcon() {
    return Icon("files");
}

QIcon SurveyFileIcon() {
    return Icon("surveyfile");
}

QPixmap SplashPicture() {
    RegisterPlotraResources();
    return QPixmap(QStringLiteral(":/icons/splash.png"));
}

} // namespace plotra::gui
