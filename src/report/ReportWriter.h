#pragma once
/// \brief The HTML report: a page about the project (files, access points, antenna notes) with the
/// walk path, coverage, signal-strength and number-of-APs pictures and their legends, written into
/// a folder beside the page.
///
/// A report is made in two stages. TakeReportSnapshot runs where the document lives (the
/// user-interface thread of the desktop program): it copies everything the page needs and has the
/// big pictures drawn, because drawing reads the live document. WriteReportPage then writes the
/// page, the folder and the picture files from that snapshot alone, so the desktop program runs it
/// as a job while its window stays usable. The pictures come from a sink that the render layer
/// provides, so the page itself is plain text and can be checked against goldens.

#include "model/Palette.h"
#include "model/PlotraDoc.h"

#include <string>
#include <vector>

namespace plotra {

/// \brief Layer switches of a report picture (the spare switch and the last flag change nothing).
struct ReportPictureSwitches {
    bool map = false;
    bool coverage = false;
    bool contourLevels = false;
    bool path = false;
    /// The coverage of every AP on its own, also when a combined coverage exists.
    bool perAp = false;
    PaletteKind palette = PaletteKind::Classic;
};

/// \brief Where the report's pictures come from.
class ReportPictureSink {
  public:
    virtual ~ReportPictureSink() = default;
    /// Draws the 800 x 500 report picture of \p graph from the live document and keeps it (on the
    /// document's thread). Returns the key SaveReportPicture writes it by; -1 when nothing was drawn.
    virtual int DrawReportPicture(const CPlotraDoc& doc, GraphKind graph,
                                  const ReportPictureSwitches& switches) = 0;
    /// Writes a picture kept by DrawReportPicture as a BMP file. This and the calls below may run on
    /// any thread (one at a time); they never read the document.
    virtual bool SaveReportPicture(int picture, const std::string& path) = 0;
    /// A width x height picture filled with \p colour, as a BMP file.
    virtual bool SaveColourSwatch(COLORREF colour, int width, int height, const std::string& path) = 0;
    /// A width x height white picture with a horizontal line in \p colour across its middle.
    virtual bool SaveLineSwatch(COLORREF colour, int width, int height, const std::string& path) = 0;
    /// Loads the logo picture and saves it again as a BMP file.
    virtual bool SaveLogo(const std::string& source, const std::string& path) = 0;
};

/// \brief The report's options: its sections and the answers to its two questions.
struct ReportOptions {
    bool files = true;              ///< "Show Selected Files"
    bool apInfo = true;             ///< "Show AP's Information"
    bool walkPath = true;           ///< "Show Walk/Drive Path"
    bool apCoverage = true;         ///< "Show AP's Coverage"
    bool signalContours = true;     ///< "Show Contour of Signal Strength" (only with a combined coverage)
    bool countContours = true;      ///< "Show Contour of # of APs" (only with a combined coverage)
    bool selectedFilesOnly = false; ///< the answer to "Show Selected Files Only?"
    bool selectedApsOnly = false;   ///< the answer to "Show Selected APs Only?"
    std::string reportTime;         ///< the report date as ctime text; empty takes the current time
    std::string resourceDir;        ///< folder holding report.css and projector.bmp
    PaletteKind palette = PaletteKind::Classic; ///< colours of the contour pictures and their legend
};

/// \brief One survey file as the report lists it.
struct ReportFile {
    std::string name, path, created, notes;
    bool ticked = true;
};

/// \brief One access point as the report lists it, with the antenna information typed for it.
struct ReportAp {
    std::string ssid; ///< as CAPInfo::SsidText gives it (bytes of the data)
    std::string mac;  ///< as CAPInfo::MacText gives it
    int channel = 0;
    bool ticked = false;
    bool fixed = false;     ///< position entered by the user
    std::size_t points = 0; ///< working points
    double slope = 0.0;
    CDataGeo position;
    COLORREF colour = 0;
    CApFile notes;
};

/// \brief A group of APs as the coverage legend lists it.
struct ReportGroup {
    std::string name;
    COLORREF colour = 0;
};

/// \brief Everything the page needs, copied from the document, with the big pictures already drawn.
struct ReportSnapshot {
    ReportOptions options; ///< reportTime is always set
    bool metricXY = false;
    bool mapLoaded = false;
    bool coverageReady = false;
    double unitFactor = 0.3048;
    std::string projectionPath;
    std::vector<ReportFile> files;
    std::vector<COLORREF> fileColours;
    std::vector<ReportAp> aps;
    int colourMode = 0;
    COLORREF singleColour = 0;
    std::vector<ReportGroup> groups;
    double powerMin = 0.0, powerMax = 0.0;
    std::vector<COLORREF> levelColours; ///< the contour levels' colour scale
    /// The sink's keys of the big pictures; -1 for a section that is not written.
    int walkPathPicture = -1, coveragePicture = -1, signalPicture = -1, countPicture = -1;
};

/// \brief How writing a page ended.
enum class ReportResult { Written, Failed, Cancelled };

/// The report folder of a page path: the path with ".html" removed (or the path itself).
std::string ReportFolderOf(const std::string& htmlPath);

/// Text from data as it may appear in the page: decoded by DisplayUtf8 (well-formed UTF-8 kept, any
/// other byte read as Latin-1); then &, <, >, " and ' are escaped.
std::string HtmlText(const std::string& bytes);

/// The first stage, on the document's thread: copies what the page of \p options needs and draws
/// the pictures of its sections through \p pictures. The report date is taken now when not given.
ReportSnapshot TakeReportSnapshot(const CPlotraDoc& doc, const ReportOptions& options,
                                  ReportPictureSink& pictures);

/// The second stage, on any thread: creates the folder with the style sheet and the logo, writes the
/// picture files and the page, and reports its steps to \p progress. Between steps it stops when
/// \p progress is cancelled, before the page is written. Failed: the page could not be written.
/// Cancelled or failed, what it wrote is removed again (a folder it made, files it added).
ReportResult WriteReportPage(const ReportSnapshot& snapshot, const std::string& htmlPath,
                             ReportPictureSink& pictures, Progress& progress);

/// Both stages at once (the command-line tool): progress texts go to doc.ProgressSink(). Returns
/// false when the page could not be written.
bool WriteReport(const CPlotraDoc& doc, const std::string& htmlPath, const ReportOptions& options,
                 ReportPictureSink& pictures);

} // namespace plotra
