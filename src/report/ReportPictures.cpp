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
QColor ToQColor(COLORREF c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
} // namespace

int RenderedReportPictures::DrawReportPicture(const CPlotraDoc& doc, GraphKind graph,
                                              const ReportPictureSwitches& s) {
    EnsureRenderApplication();
    ReportSwitches switches;
    switches.map = s.map;
    switches.coverage = s.coverage;
    switches.contourLevels = s.contourLevels;
    switches.path = s.path;
    switches.perAp = s.perAp;
    switches.palette = s.palette;
    QImage picture = RenderReportPicture(doc, graph, switches);
    if (picture.isNull()) return -1;
    m_pictures.push_back(std::move(picture));
    return static_cast<int>(m_pictures.size()) - 1;
}

QImage RenderedReportPictures::Picture(int picture) const {
    if (picture < 0 || static_cast<std::size_t>(picture) >= m_pictures.size()) return {};
    return m_pictures[static_cast<std::size_t>(picture)];
}

bool RenderedReportPictures::SaveReportPicture(int picture, const std::string& path) {
    const QImage image = Picture(picture);
    return !image.isNull() && WriteBmpFile(path, image);
}

bool RenderedReportPictures::SaveColourSwatch(COLORREF colour, int width, int height,
                                              const std::string& path) {
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
