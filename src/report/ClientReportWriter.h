#pragma once
/// \brief What the files of the client report share: the writer that lays the report out page by
/// page, its tables and figures, and the small conversions they all use. Internal to
/// ClientReport.cpp (the sections and the PDF), ClientReportText.cpp (text and tables) and
/// ClientReportFigures.cpp (the pictures with their legends, scale bars and north arrows).

#include "analysis/Requirement.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"
#include "report/ClientReport.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <ctime>
#include <string>
#include <utility>
#include <vector>

class QPainter;
class QPdfWriter;

namespace plotra::client_report {

// ---- small helpers ------------------------------------------------------------------------------

QString Q(const std::string& bytes);
std::string Fmt(const char* format, double v);
QColor Colour(COLORREF c, int alpha = 255);
std::string UnitName(const CPlotraDoc& doc);

// ---- pictures -----------------------------------------------------------------------------------

constexpr int kFigureWidth = 960, kFigureHeight = 600;

/// What a figure shows: the map with the walk path, one graph of the coverage, the requirement's
/// verdict or the signal of one AP.
struct FigureKind {
    enum Subject { Map, Graph, Verdict, Ap };
    FigureKind(Subject s, GraphKind g = GraphKind::SignalPower) : subject(s), graph(g) {}
    Subject subject;
    GraphKind graph; ///< the graph of a Graph figure
    bool operator==(Subject s) const { return subject == s; }
};

/// Where the pictures' model frame lies on the picture.
struct FigureFrame {
    VisibleFrame frame;
    PixelMapping mapping;
    bool valid = false;
};

FigureFrame FrameFor(const CPlotraDoc& doc);

inline const QColor kMeets(0, 150, 60), kFails(215, 25, 28);

/// The raster part of a figure: the map (and on the cover the walk path) with the grid overlay.
QImage FigureRaster(const CPlotraDoc& doc, const FigureFrame& f, FigureKind kind, PaletteKind palette,
                    const ClientReportOptions& o, int apIndex);

// ---- the document -------------------------------------------------------------------------------

/// \brief A table: headings, relative column widths, and which columns hold SSIDs, MACs or lists
/// (broken only between groups) rather than prose.
struct TableSpec {
    std::vector<QString> headings;
    std::vector<double> widths; ///< shares of the content width
    std::vector<bool> grouped;
    std::vector<std::vector<std::string>> rows; ///< UTF-8 (already decoded for display)
    std::vector<QColor> rowColour;              ///< optional text colour of the last column per row
};

/// \brief Lays the report out on the pages of \p pdf: the sections top to bottom, a new page when
/// the next part does not fit, the footer on every page.
class Writer {
  public:
    Writer(QPdfWriter& pdf, QPainter& p, const CPlotraDoc& doc, const ClientReportOptions& o);

    void Cover(std::time_t when);
    void Summary(const RequirementSummary& s);
    void CoverageFigures();
    void Channels(const std::vector<int>& ticked);
    void ApSection(int index, int number);
    void Methods();

  private:
    QFont Font(double size, bool bold = false) const;
    void Footer();
    void NewPage();
    void Ensure(double h);
    void Text(const QString& text, const QFont& f, const QColor& colour);
    void Line(const QColor& colour, double width);
    void Heading(const std::string& text);
    void SubHeading(const std::string& text);
    /// Lines of \p text in \p f no wider than \p width: grouped text breaks only between groups,
    /// prose between words (a word wider than the line is then cut, since prose must not run off).
    std::vector<std::string> Lines(const std::string& text, const QFont& f, double width, bool grouped) const;
    void Paragraph(const std::string& text, const QFont& f);
    /// A cell's lines and the font that fits them: grouped cells shrink their font (down to 6 pt)
    /// until every group fits the cell, so an SSID or MAC is never cut.
    std::pair<std::vector<std::string>, QFont> CellLines(const std::string& text, double width, bool grouped,
                                                         bool bold) const;
    void Table(const TableSpec& t);
    /// "AP 3 Lab-Net", numbered as the AP sections are; with \p mac the MAC on a line of its own.
    std::string ApName(int index, bool mac) const;
    std::string PositionText(const CAPInfo& ap) const;
    /// The shared part of two APs' areas as a share of the smaller area (0 when apart).
    double Overlap(int a, int b) const;
    /// A picture with its caption, AP markers, legend, scale bar and north arrow.
    void Figure(FigureKind kind, const std::string& caption, int apIndex, double scale = 1.0);
    QPointF ToPage(const QRectF& rect, double mx, double my) const;
    void Markers(const QRectF& rect, int only);
    void ScaleBar(const QRectF& rect);
    void NorthArrow(const QRectF& rect);
    void Legend(FigureKind kind);

  public:
    std::vector<int> m_ticked;

  private:
    QPdfWriter& m_pdf;
    QPainter& p;
    const CPlotraDoc& doc;
    const ClientReportOptions& o;
    QRectF m_content;
    double y = 0;
    int m_page = 1;
    FigureFrame m_frame;
};

} // namespace plotra::client_report
