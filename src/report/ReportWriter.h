#pragma once
/// \brief The HTML report: a page about the project (files, access points, antenna notes) with the
/// walk path, coverage, signal-strength and number-of-APs pictures and their legends, written into
/// a folder beside the page. The pictures come from a sink that the render layer provides, so the
/// page itself is plain text and can be checked against goldens.

#include "model/PlotraDoc.h"

#include <string>

namespace plotra {

/// \brief Layer switches of a report picture (the spare switch and the last flag change nothing).
struct ReportPictureSwitches {
    bool map = false;
    bool coverage = false;
    bool contourLevels = false;
    bool path = false;
};

/// \brief Where the report's pictures come from.
class ReportPictureSink {
public:
    virtual ~ReportPictureSink() = default;
    /// Renders the 800 x 500 report picture of \p graphType and writes it as a BMP file.
    virtual bool SaveReportPicture(CPlotraDoc& doc, int graphType, const ReportPictureSwitches& switches,
                                   const std::string& path) = 0;
    /// A width x height picture filled with \p colour, as a BMP file.
    virtual bool SaveColourSwatch(COLORREF colour, int width, int height, const std::string& path) = 0;
    /// A width x height white picture with a horizontal line in \p colour across its middle.
    virtual bool SaveLineSwatch(COLORREF colour, int width, int height, const std::string& path) = 0;
    /// Loads the logo picture and saves it again as a BMP file.
    virtual bool SaveLogo(const std::string& source, const std::string& path) = 0;
};

/// \brief The report's options: its sections and the answers to its two questions.
struct ReportOptions {
    bool files = true;          ///< "Show Selected Files"
    bool apInfo = true;         ///< "Show AP's Information"
    bool walkPath = true;       ///< "Show Walk/Drive Path"
    bool apCoverage = true;     ///< "Show AP's Coverage"
    bool signalContours = true; ///< "Show Contour of Signal Strength" (only with a combined coverage)
    bool countContours = true;  ///< "Show Contour of # of APs" (only with a combined coverage)
    bool selectedFilesOnly = false; ///< the answer to "Show Selected Files Only?"
    bool selectedApsOnly = false;   ///< the answer to "Show Selected APs Only?"
    std::string reportTime;         ///< the report date as ctime text; empty takes the current time
    std::string resourceDir;        ///< folder holding report.css and projector.bmp
};

/// The report folder of a page path: the path with ".html" removed (or the path itself).
std::string ReportFolderOf(const std::string& htmlPath);

/// Text from data as it may appear in the page: decoded by DisplayUtf8 (well-formed UTF-8 kept, any
/// other byte read as Latin-1); then &, <, >, " and ' are escaped.
std::string HtmlText(const std::string& bytes);

/// Writes the page and its folder. Progress texts go to doc.ProgressSink(). Returns false when the
/// page could not be written (the folder and pictures may exist).
bool WriteReport(CPlotraDoc& doc, const std::string& htmlPath, const ReportOptions& options, ReportPictureSink& pictures);

} // namespace plotra
