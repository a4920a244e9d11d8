#pragma once
/// \brief The report's pictures drawn by the graph renderer and written as BMP files. The drawn
/// pictures are kept until the sink goes, so that a job can write them after the drawing.

#include "report/ReportWriter.h"

#include <QImage>

#include <vector>

namespace plotra {

class RenderedReportPictures : public ReportPictureSink {
  public:
    int DrawReportPicture(const CPlotraDoc& doc, GraphKind graph,
                          const ReportPictureSwitches& switches) override;
    bool SaveReportPicture(int picture, const std::string& path) override;
    bool SaveColourSwatch(COLORREF colour, int width, int height, const std::string& path) override;
    bool SaveLineSwatch(COLORREF colour, int width, int height, const std::string& path) override;
    bool SaveLogo(const std::string& source, const std::string& path) override;

    /// A picture kept by DrawReportPicture (a null image for an unknown key).
    QImage Picture(int picture) const;

  private:
    std::vector<QImage> m_pictures;
};

} // namespace plotra
