#pragma once
/// \brief The report's pictures drawn by the graph renderer and written as BMP files.

#include "report/ReportWriter.h"

namespace plotra {

class RenderedReportPictures : public ReportPictureSink {
public:
    bool SaveReportPicture(CPlotraDoc& doc, int graphType, const ReportPictureSwitches& switches,
                           const std::string& path) override;
    bool SaveColourSwatch(COLORREF colour, int width, int height, const std::string& path) override;
    bool SaveLineSwatch(COLORREF colour, int width, int height, const std::string& path) override;
    bool SaveLogo(const std::string& source, const std::string& path) override;
};

} // namespace plotra
