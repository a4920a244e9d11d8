#include "report/ReportPictures.h"

#include "mapview/BitmapFile.h"
#include "mapview/GraphRenderer.h"
#include "mapview/Picture.h"
#include "mapview/RenderApplication.h"

#include <QColor>
#include <QImage>
#include <QPainter>

namespace plotra {

namespace {
QColor ToQColor(COLORREF c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
} // namespace

bool RenderedReportPictures::SaveReportPicture(CPlotraDoc& doc, int graphType, const ReportPictureSwitches& s,
                                               const std::string& path) {
    EnsureRenderApplication();
    ReportSwitches switches;
    switches.map = s.map;
    switches.coverage = s.coverage;
    switches.contourLevels = s.contourLevels;
    switches.path = s.path;
    const QImage picture = RenderReportPicture(doc, graphType, switches);
    return !picture.isNull() && WriteBmpFile(path, picture);
}

bool RenderedReportPictures::SaveColourSwatch(COLORREF colour, int width, int height, const std::string& path) {
    QImage swatch(width, height, QImage::Format_RGB32);
    if (swatch.isNull()) return false;
    swatch.fill(ToQColor(colour));
    return WriteBmpFile(path, swatch);
}

bool RenderedReportPictures::SaveLineSwatch(COLORREF colour, int width, int height, const std::string& path) {
    EnsureRenderApplication();
    QImage swatch(width, height, QImage::Format_RGB32);
    if (swatch.isNull()) return false;
    swatch.fill(Qt::white);
    QPainter painter(&swatch);
    painter.setPen(QPen(ToQColor(colour), 2));
    painter.drawLine(0, height / 2, width - 1, height / 2);
    painter.end();
    return WriteBmpFile(path, swatch);
}

bool RenderedReportPictures::SaveLogo(const std::string& source, const std::string& path) {
    CPicture logo;
    return logo.Load(source) && WriteBmpFile(path, logo.Image());
}

} // namespace plotra
