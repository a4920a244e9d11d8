#include "report/ClientReport.h"

#include "analysis/Requirement.h"
#include "files/FileIo.h"
#include "mapview/GraphRenderer.h"
#include "mapview/RenderApplication.h"
#include "model/Geometry.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <QFont>
#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <tuple>

namespace plotra {

namespace {

namespace fs = std::filesystem;

// ---- small helpers ------------------------------------------------------------------------------

QString Q(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

std::string Fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, std::isfinite(v) ? v : 0.0);
    return buf;
}

QColor Colour(COLORREF c, int alpha = 255) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c), alpha);
}

bool MarkerShown(const CAPInfo& ap) {
    return ap.m_bFixed || (ap.m_aApPoints.size() >= kMinLocatedPoints && ap.m_dSlope < -10.0);
}

std::string UnitName(const CPlotraDoc& doc) {
    return doc.m_dUnitFactor > 0.5 ? "m" : "ft";
}

std::string DateText(std::time_t t) {
    std::tm local{};
    if (!localtime_r(&t, &local)) return "";
    char buf[64];
    std::strftime(buf, sizeof buf, "%d %B %Y", &local);
    return buf;
}

/// \brief The QIODevice the PDF engine writes into: the project's atomic writer underneath, so the
/// target only appears once the document is complete.
class AtomicDevice : public QIODevice {
  public:
    explicit AtomicDevice(const std::string& path) : m_writer(path) { open(QIODevice::WriteOnly); }
    bool Ok() const { return m_writer.Ok(); }
    bool Commit() { return m_writer.Ok() && m_writer.Commit(); }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override {
        m_writer.Write(std::string_view(data, static_cast<std::size_t>(length)));
        return m_writer.Ok() ? length : -1;
    }

  private:
    AtomicFileWriter m_writer;
};

// ---- pictures -----------------------------------------------------------------------------------

constexpr int kFigureWidth = 960, kFigureHeight = 600;
// Per-AP grids come from the file; one larger than this is not drawn rather than allocated.
constexpr int kMaxGridSide = 4096;

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

FigureFrame FrameFor(const CPlotraDoc& doc) {
    FigureFrame f;
    const ModelRect r = doc.ExtentFor(kFigureWidth, kFigureHeight, 0, doc.m_bMapLoaded != 0).frame;
    f.frame = WholeFrame(r);
    f.valid = std::isfinite(f.frame.xs) && std::isfinite(f.frame.ys) && std::isfinite(f.frame.x0) &&
              std::isfinite(f.frame.y0) && f.frame.xs != 0.0 && f.frame.ys != 0.0;
    f.mapping = PixelMapping{f.frame, kFigureWidth, kFigureHeight};
    return f;
}

/// The level 0..1 of a value on a range (0 when the range is empty).
double LevelOf(double v, double lo, double hi) {
    if (!(hi > lo)) return 0.0;
    return std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
}

/// A grid as a picture of one pixel per node (column c, row rows - 1 - r), transparent where \p colour
/// gives nothing.
template <class Fn> QImage GridPicture(int cols, int rows, Fn&& colour) {
    QImage image(cols, rows, QImage::Format_ARGB32);
    if (image.isNull()) return image;
    image.fill(Qt::transparent);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const std::size_t i =
                static_cast<std::size_t>(c) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(r);
            if (const std::optional<QColor> q = colour(i)) image.setPixelColor(c, rows - 1 - r, *q);
        }
    return image;
}

QRect RectOf(const PixelMapping& m, double originY, double originX, double spanY, double spanX) {
    const int left = m.Px(originX), right = m.Px(originX + spanX);
    const int top = m.Py(originY + spanY), bottom = m.Py(originY);
    return QRect(QPoint(left, top), QSize(right - left, bottom - top));
}

const QColor kMeets(0, 150, 60), kFails(215, 25, 28);

/// The raster part of a figure: the map (and on the cover the walk path) with the grid overlay.
QImage FigureRaster(const CPlotraDoc& doc, const FigureFrame& f, FigureKind kind, PaletteKind palette,
                    const ClientReportOptions& o, int apIndex) {
    GraphLayers layers;
    layers.map = doc.m_bMapLoaded != 0;
    layers.path = kind == FigureKind::Map;
    layers.gpsMarkers = false;
    QImage picture = ComposeGraph(doc, f.frame, layers, kFigureWidth, kFigureHeight);
    if (picture.isNull() || !f.valid || kind == FigureKind::Map) return picture;

    QImage overlay;
    QRect rect;
    const int cols = doc.m_nGridCols, rows = doc.m_nGridRows;
    const std::size_t nodes =
        cols > 0 && rows > 0 ? static_cast<std::size_t>(cols) * static_cast<std::size_t>(rows) : 0;
    const auto covered = [&](std::size_t i) {
        return i < doc.m_aGridCount.size() && doc.m_aGridCount[i] > 0;
    };
    if (kind == FigureKind::Ap) {
        const CAPInfo& ap = doc.m_aAPs[static_cast<std::size_t>(apIndex)];
        const int ac = ap.m_nApGridCols, ar = ap.m_nApGridRows;
        if (ac <= 0 || ar <= 0 || ac > kMaxGridSide || ar > kMaxGridSide ||
            ap.m_aGrid.size() < static_cast<std::size_t>(ac) * static_cast<std::size_t>(ar))
            return picture;
        overlay = GridPicture(ac, ar, [&](std::size_t i) -> std::optional<QColor> {
            const double v = ap.m_aGrid[i];
            if (!(v > -100.0)) return std::nullopt;
            return Colour(PaletteColour(palette, LevelOf(v, doc.m_nPowerRangeLow, doc.m_nPowerRangeHigh)));
        });
        rect = RectOf(f.mapping, ap.m_areaOrigin.m_dY, ap.m_areaOrigin.m_dX, ap.m_areaSize.m_dY,
                      ap.m_areaSize.m_dX);
    } else {
        if (!doc.m_bCoverageReady || nodes == 0 || cols > kMaxGridSide || rows > kMaxGridSide) return picture;
        if (kind == FigureKind::Verdict) {
            const std::vector<NodeVerdict> v = RequirementVerdicts(doc, o.signalDbm, o.snrDb);
            overlay = GridPicture(cols, rows, [&](std::size_t i) -> std::optional<QColor> {
                if (i >= v.size() || v[i] == NodeVerdict::Uncovered) return std::nullopt;
                return v[i] == NodeVerdict::Meets ? kMeets : kFails;
            });
        } else {
            const GraphFacts& graph = FactsOf(kind.graph);
            const auto [low, high] = graph.range(doc);
            overlay = GridPicture(cols, rows, [&](std::size_t i) -> std::optional<QColor> {
                if (!covered(i)) return std::nullopt;
                double level = 0.0;
                if (const std::optional<double> value = graph.nodeValue(doc, i))
                    level = graph.levels == GraphLevels::ApCounts ? std::clamp(*value - 1.0, 0.0, 9.0) / 9.0
                                                                  : LevelOf(*value, low, high);
                return Colour(PaletteColour(palette, level));
            });
        }
        rect = RectOf(f.mapping, doc.m_dGridOriginY, doc.m_dGridOriginX, doc.m_dGridSpanY, doc.m_dGridSpanX);
    }
    if (overlay.isNull() || rect.width() <= 0 || rect.height() <= 0) return picture;
    QPainter p(&picture);
    // The map stays readable under the colours.
    p.setOpacity(doc.m_bMapLoaded ? 0.72 : 1.0);
    p.drawImage(rect, overlay);
    p.end();
    return picture;
}

/// Metres across the frame's width (along its middle).
double FrameWidthMetres(const CPlotraDoc& doc, const VisibleFrame& f) {
    if (doc.m_bMetricXY) return std::abs(f.xs);
    const double lat = f.y0 + f.ys / 2.0;
    return GeoDistance(lat, f.x0, lat, f.x0 + f.xs);
}

/// The direction of north on the picture as an angle from straight up, clockwise, in radians.
double NorthAngle(const CPlotraDoc& doc, const FigureFrame& f) {
    if (!doc.m_bMetricXY || !f.valid) return 0.0;
    const double cx = f.frame.x0 + f.frame.xs / 2.0, cy = f.frame.y0 + f.frame.ys / 2.0;
    const std::optional<CDataGeo> centre = doc.MapToGeoQuiet(cx, cy);
    if (!centre) return 0.0;
    const CDataGeo north = doc.GeoToMap(centre->m_dY + 0.001, centre->m_dX);
    const double dx = (north.m_dX - cx) * kFigureWidth / f.frame.xs;
    const double dy = (north.m_dY - cy) * kFigureHeight / f.frame.ys;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return 0.0;
    return std::atan2(dx, dy);
}

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

class Writer {
  public:
    Writer(QPdfWriter& pdf, QPainter& p, const CPlotraDoc& doc, const ClientReportOptions& o)
        : m_pdf(pdf), p(p), doc(doc), o(o) {
        const double w = pdf.width(), h = pdf.height();
        m_content = QRectF(54, 54, w - 108, h - 108 - 14);
        y = m_content.top();
        m_frame = FrameFor(doc);
        Footer();
    }

    void Cover(std::time_t when) {
        y = m_content.top() + 40;
        Text(Q(o.title), Font(26, true), QColor(20, 40, 90));
        y += 8;
        Line(QColor(20, 40, 90), 1.5);
        y += 14;
        const std::vector<std::pair<std::string, std::string>> facts = {
            {"Site", ClientReportSite(doc)},
            {"Customer", o.customer.empty() ? "-" : o.customer},
            {"Surveyor", o.surveyor.empty() ? "-" : o.surveyor},
            {"Date", DateText(when)},
        };
        for (const auto& [k, v] : facts) {
            const QFont bold = Font(12, true), plain = Font(12);
            p.setFont(bold);
            p.setPen(Qt::black);
            const double base = y + QFontMetricsF(bold).ascent();
            p.drawText(QPointF(m_content.left(), base), QString::fromStdString(k));
            const double x = m_content.left() + 90;
            for (const std::string& line : Lines(v, plain, m_content.width() - 90, true)) {
                p.setFont(plain);
                p.drawText(QPointF(x, y + QFontMetricsF(plain).ascent()), QString::fromStdString(line));
                y += QFontMetricsF(plain).lineSpacing();
            }
            y += 4;
        }
        y += 8;
        std::string files;
        for (const CDataFile& f : doc.m_aFiles)
            if (f.m_bUse) files += (files.empty() ? "" : ", ") + DisplayUtf8(f.m_strName);
        Paragraph("Survey files: " + (files.empty() ? std::string("none") : files), Font(10));
        y += 10;
        Figure(FigureKind::Map, "Walk path and access points", -1);
    }

    void Summary(const RequirementSummary& s) {
        NewPage();
        Heading("Summary");
        Paragraph("Requirement: signal at or above " + Fmt("%g", o.signalDbm) + " dBm and SNR at or above " +
                      Fmt("%g", o.snrDb) + " dB over at least " + ShareText(o.targetShare) +
                      " of the covered area of the ticked access points.",
                  Font(10));
        y += 6;
        if (!s.coverageReady) {
            Paragraph("Coverage has not been calculated.", Font(12, true));
            return;
        }
        TableSpec t;
        t.headings = {"Criterion", "Share of covered area", "Target", "Result"};
        t.widths = {0.4, 0.25, 0.15, 0.2};
        t.grouped = {false, false, false, false};
        const auto row = [&](const std::string& name, const RequirementFigure& f) {
            t.rows.push_back({name, ShareText(f.share), ShareText(o.targetShare), f.pass ? "PASS" : "FAIL"});
            t.rowColour.push_back(f.pass ? kMeets : kFails);
        };
        row("Signal >= " + Fmt("%g", o.signalDbm) + " dBm", s.signal);
        row("SNR >= " + Fmt("%g", o.snrDb) + " dB", s.snr);
        row("Signal and SNR", s.both);
        Table(t);
        y += 4;
        Paragraph("Covered area: " + std::to_string(s.coveredNodes) + " of " +
                      std::to_string(static_cast<long long>(doc.m_nGridCols) * doc.m_nGridRows) +
                      " grid nodes are heard by at least one ticked access point.",
                  Font(9));
        y += 8;
        Figure(FigureKind::Verdict, "Where the requirement is met and where it fails", -1);
    }

    void CoverageFigures() {
        if (!doc.m_bCoverageReady) return;
        NewPage();
        Heading("Coverage");
        // Two pictures to a page.
        for (GraphKind graph : kGraphKinds)
            Figure({FigureKind::Graph, graph}, std::string(FactsOf(graph).reportCaption), -1, 0.86);
    }

    void Channels(const std::vector<int>& ticked) {
        NewPage();
        Heading("Channels");
        std::map<int, std::vector<int>> byChannel;
        for (int i : ticked)
            byChannel[doc.m_aAPs[static_cast<std::size_t>(i)].m_byChannel].push_back(i);
        TableSpec t;
        t.headings = {"Channel", "APs", "SSIDs"};
        t.widths = {0.15, 0.1, 0.75};
        t.grouped = {false, false, true};
        for (const auto& [channel, aps] : byChannel) {
            std::string names;
            for (int i : aps)
                names += (names.empty() ? "" : ", ") + ApName(i, false);
            t.rows.push_back({std::to_string(channel), std::to_string(aps.size()), names});
        }
        if (t.rows.empty())
            Paragraph("No access point is ticked.", Font(10));
        else
            Table(t);
        y += 10;
        SubHeading("Access points on the same channel with overlapping areas");
        TableSpec pairs;
        pairs.headings = {"Channel", "Access point", "Access point", "Overlap"};
        pairs.widths = {0.12, 0.36, 0.36, 0.16};
        pairs.grouped = {false, true, true, false};
        constexpr std::size_t kMaxPairs = 300;
        std::size_t more = 0;
        for (const auto& [channel, aps] : byChannel)
            for (std::size_t a = 0; a < aps.size(); ++a)
                for (std::size_t b = a + 1; b < aps.size(); ++b) {
                    const double share = Overlap(aps[a], aps[b]);
                    if (!(share > 0.0)) continue;
                    if (pairs.rows.size() >= kMaxPairs) {
                        ++more;
                        continue;
                    }
                    pairs.rows.push_back({std::to_string(channel), ApName(aps[a], true), ApName(aps[b], true),
                                          ShareText(share)});
                }
        if (pairs.rows.empty()) {
            Paragraph("No two ticked access points on one channel have overlapping areas.", Font(10));
        } else {
            Table(pairs);
            if (more) Paragraph("... and " + std::to_string(more) + " more pairs.", Font(9));
            Paragraph("Overlap: the shared part of the two areas, as a share of the smaller one.", Font(8));
        }
    }

    void ApSection(int index, int number) {
        const CAPInfo& ap = doc.m_aAPs[static_cast<std::size_t>(index)];
        NewPage();
        Heading("Access point " + std::to_string(number) + ": " + DisplayUtf8(ap.SsidText()));
        const CApFile notes = static_cast<std::size_t>(index) < doc.m_aApNotes.size()
                                  ? doc.m_aApNotes[static_cast<std::size_t>(index)]
                                  : CApFile{};
        TableSpec t;
        t.headings = {"Item", "Value"};
        t.widths = {0.3, 0.7};
        t.grouped = {false, true};
        const auto add = [&](const std::string& k, const std::string& v) {
            t.rows.push_back({k, v.empty() ? "-" : v});
        };
        add("SSID", DisplayUtf8(ap.SsidText()));
        add("MAC", ap.MacText());
        add("Channel", std::to_string(ap.m_byChannel));
        add("Points", std::to_string(ap.m_aApPoints.size()));
        add("Position", PositionText(ap));
        const bool model = ap.m_aApPoints.size() >= kMinLocatedPoints || ap.m_bFixed;
        add("Model slope", model ? Fmt("%.2f", ap.m_dSlope) + " dB per decade of distance" : "-");
        add("Model intercept", model ? Fmt("%.1f", ap.m_dIntercept) + " dBm" : "-");
        add("Shadowing", model ? Fmt("%.1f", ap.m_dShadowStd) + " dB (standard deviation)" : "-");
        add("Transmit power (dBm)", DisplayUtf8(notes.m_strTxPower));
        add("Antenna gain", DisplayUtf8(notes.m_strAntennaGain));
        add("Height (" + UnitName(doc) + ")", DisplayUtf8(notes.m_strHeight));
        add("Direction (deg)", DisplayUtf8(notes.m_strDirection));
        Table(t);
        y += 6;
        if (notes.m_strNotes.find_first_not_of(" \t\r\n") != std::string::npos) {
            SubHeading("Notes");
            Paragraph(DisplayUtf8(notes.m_strNotes), Font(10));
            y += 6;
        }
        Figure(FigureKind::Ap, "Predicted signal of this access point (dBm)", index);
    }

    void Methods() {
        NewPage();
        Heading("How the figures were made");
        const std::string unit = UnitName(doc);
        Paragraph("Positions. The surveyor walked the site with a receiver that logged every access point "
                  "it heard, with the signal strength and the noise, at known positions. For each access "
                  "point, the position that best explains how its signal falls off with distance is "
                  "searched on a grid around its strongest reading; a position the surveyor placed by "
                  "hand is kept as placed. Access points with fewer than " +
                      std::to_string(kMinLocatedPoints) + " readings are not located.",
                  Font(10));
        y += 6;
        Paragraph("Signal model. For each access point a straight line is fitted to its readings over the "
                  "logarithm of the distance (the slope, in dB per tenfold distance, and the intercept); "
                  "the spread of the readings around that line is the shadowing. Places the surveyor "
                  "passed without hearing the access point count as very weak readings.",
                  Font(10));
        y += 6;
        std::string resolution = "Coverage. The site is divided into a grid of points";
        if (doc.m_bCoverageReady)
            resolution += " (" + std::to_string(doc.m_nGridCols) + " x " + std::to_string(doc.m_nGridRows) +
                          ", one every " + Fmt("%.1f", doc.m_dResolutionX) + " x " +
                          Fmt("%.1f", doc.m_dResolutionY) + " " + unit + ")";
        resolution += ". At each point the signal of every ticked access point with enough readings is "
                      "predicted from its model, blended with the readings taken nearby, together with the "
                      "noise. The strongest signal, the best signal-to-noise ratio (SNR) and the number of "
                      "access points heard are kept. The summary counts the grid points heard by at least "
                      "one access point; a point meets the requirement when both its signal and its SNR "
                      "are at or above the thresholds.";
        Paragraph(resolution, Font(10));
        y += 6;
        Paragraph(std::string("Colours. Pictures use the ") + PaletteName(o.palette) +
                      " colour scale from weakest to strongest. Scale bars are in " +
                      (unit == "m" ? "metres" : "feet") + ".",
                  Font(10));
    }

  private:
    QFont Font(double size, bool bold = false) const {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setStyleHint(QFont::SansSerif);
        f.setPointSizeF(size);
        f.setBold(bold);
        return f;
    }

    void Footer() {
        const QFont f = Font(8);
        p.setFont(f);
        p.setPen(QColor(90, 90, 90));
        const QRectF band(m_content.left(), m_content.bottom() + 16, m_content.width(), 14);
        p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, Q(o.title));
        p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1").arg(m_page));
    }

    void NewPage() {
        m_pdf.newPage();
        ++m_page;
        y = m_content.top();
        Footer();
    }

    void Ensure(double h) {
        if (y + h > m_content.bottom() && y > m_content.top()) NewPage();
    }

    void Text(const QString& text, const QFont& f, const QColor& colour) {
        p.setFont(f);
        p.setPen(colour);
        const QFontMetricsF fm(f);
        p.drawText(QPointF(m_content.left(), y + fm.ascent()), text);
        y += fm.lineSpacing();
    }

    void Line(const QColor& colour, double width) {
        p.setPen(QPen(colour, width));
        p.drawLine(QPointF(m_content.left(), y), QPointF(m_content.right(), y));
    }

    void Heading(const std::string& text) {
        const QFont f = Font(16, true);
        Ensure(QFontMetricsF(f).lineSpacing() * 3);
        for (const std::string& line : Lines(text, f, m_content.width(), true))
            Text(QString::fromStdString(line), f, QColor(20, 40, 90));
        y += 2;
        Line(QColor(20, 40, 90), 0.8);
        y += 10;
    }

    void SubHeading(const std::string& text) {
        const QFont f = Font(12, true);
        Ensure(QFontMetricsF(f).lineSpacing() * 3);
        Text(QString::fromStdString(text), f, QColor(20, 40, 90));
        y += 4;
    }

    /// Lines of \p text in \p f no wider than \p width: grouped text breaks only between groups,
    /// prose between words (a word wider than the line is then cut, since prose must not run off).
    std::vector<std::string> Lines(const std::string& text, const QFont& f, double width,
                                   bool grouped) const {
        const QFontMetricsF fm(f);
        const auto measure = [&fm](std::string_view s) {
            return fm.horizontalAdvance(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
        };
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start <= text.size()) {
            std::size_t nl = text.find('\n', start);
            if (nl == std::string::npos) nl = text.size();
            std::string para = text.substr(start, nl - start);
            if (!para.empty() && para.back() == '\r') para.pop_back();
            for (std::string& line : BreakAtGroups(para, measure, width)) {
                if (grouped || measure(line) <= width) {
                    out.push_back(std::move(line));
                    continue;
                }
                // A prose word wider than the line: cut it at characters.
                QString rest = QString::fromStdString(line);
                while (!rest.isEmpty()) {
                    qsizetype n = rest.size();
                    while (n > 1 && fm.horizontalAdvance(rest.left(n)) > width)
                        --n;
                    out.push_back(rest.left(n).toStdString());
                    rest = rest.mid(n);
                }
            }
            start = nl + 1;
        }
        return out;
    }

    void Paragraph(const std::string& text, const QFont& f) {
        const QFontMetricsF fm(f);
        p.setFont(f);
        for (const std::string& line : Lines(text, f, m_content.width(), false)) {
            Ensure(fm.lineSpacing());
            p.setFont(f);
            p.setPen(Qt::black);
            p.drawText(QPointF(m_content.left(), y + fm.ascent()), QString::fromStdString(line));
            y += fm.lineSpacing();
        }
    }

    /// A cell's lines and the font that fits them: grouped cells shrink their font (down to 6 pt)
    /// until every group fits the cell, so an SSID or MAC is never cut.
    std::pair<std::vector<std::string>, QFont> CellLines(const std::string& text, double width, bool grouped,
                                                         bool bold) const {
        for (double size = 9.0;; size -= 0.5) {
            const QFont f = Font(size, bold);
            std::vector<std::string> lines = Lines(text, f, width, grouped);
            const QFontMetricsF fm(f);
            const bool fits = std::all_of(lines.begin(), lines.end(), [&](const std::string& l) {
                return fm.horizontalAdvance(QString::fromStdString(l)) <= width;
            });
            if (fits || !grouped || size <= 6.0) return {std::move(lines), f};
        }
    }

    void Table(const TableSpec& t) {
        constexpr double pad = 3.0;
        std::vector<double> x{m_content.left()};
        for (double share : t.widths)
            x.push_back(x.back() + share * m_content.width());
        const auto rowHeight = [&](const std::vector<std::pair<std::vector<std::string>, QFont>>& cells) {
            double h = 0;
            for (const auto& [lines, f] : cells)
                h = std::max(h, static_cast<double>(lines.size()) * QFontMetricsF(f).lineSpacing());
            return h + 2 * pad;
        };
        const auto layout = [&](const std::vector<std::string>& row, bool heading) {
            std::vector<std::pair<std::vector<std::string>, QFont>> cells;
            for (std::size_t c = 0; c < t.widths.size(); ++c)
                cells.push_back(CellLines(c < row.size() ? row[c] : std::string(), x[c + 1] - x[c] - 2 * pad,
                                          !heading && c < t.grouped.size() && t.grouped[c], heading));
            return cells;
        };
        const auto draw = [&](const std::vector<std::pair<std::vector<std::string>, QFont>>& cells, double h,
                              bool heading, const QColor& last) {
            if (heading) p.fillRect(QRectF(x.front(), y, x.back() - x.front(), h), QColor(225, 230, 240));
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const auto& [lines, f] = cells[c];
                const QFontMetricsF fm(f);
                p.setFont(f);
                p.setPen(c + 1 == cells.size() && last.isValid() ? last : QColor(Qt::black));
                p.save();
                p.setClipRect(QRectF(x[c], y, x[c + 1] - x[c], h));
                double ly = y + pad;
                for (const std::string& line : lines) {
                    p.drawText(QPointF(x[c] + pad, ly + fm.ascent()), QString::fromStdString(line));
                    ly += fm.lineSpacing();
                }
                p.restore();
            }
            p.setPen(QPen(QColor(150, 150, 150), 0.5));
            p.drawLine(QPointF(x.front(), y + h), QPointF(x.back(), y + h));
            for (double cx : x)
                p.drawLine(QPointF(cx, y), QPointF(cx, y + h));
        };
        std::vector<std::string> headings;
        for (const QString& h : t.headings)
            headings.push_back(h.toStdString());
        const auto head = layout(headings, true);
        const double headHeight = rowHeight(head);
        const auto drawHead = [&] {
            p.setPen(QPen(QColor(150, 150, 150), 0.5));
            p.drawLine(QPointF(x.front(), y), QPointF(x.back(), y));
            draw(head, headHeight, true, QColor());
            y += headHeight;
        };
        bool first = true;
        for (std::size_t r = 0; r < t.rows.size(); ++r) {
            const auto cells = layout(t.rows[r], false);
            const double h = rowHeight(cells);
            // A row that does not fit goes to the next page, under the headings again.
            if (first) {
                Ensure(headHeight + h);
                drawHead();
                first = false;
            } else if (y + h > m_content.bottom()) {
                NewPage();
                drawHead();
            }
            draw(cells, h, false, r < t.rowColour.size() ? t.rowColour[r] : QColor());
            y += h;
        }
        y += 4;
    }

    /// "AP 3 Lab-Net", numbered as the AP sections are; with \p mac the MAC on a line of its own.
    std::string ApName(int index, bool mac) const {
        const CAPInfo& ap = doc.m_aAPs[static_cast<std::size_t>(index)];
        const auto k = std::find(m_ticked.begin(), m_ticked.end(), index) - m_ticked.begin();
        return "AP " + std::to_string(k + 1) + " " + DisplayUtf8(ap.SsidText()) +
               (mac ? "\n" + ap.MacText() : "");
    }

    std::string PositionText(const CAPInfo& ap) const {
        if (!ap.m_bFixed && ap.m_aApPoints.size() < kMinLocatedPoints) return "Not enough points";
        if (!ap.m_bFixed && !(ap.m_dSlope < -10.0)) return "Need more points";
        std::string text;
        if (doc.m_bMetricXY)
            text = "Y " + Fmt("%.1f", ap.m_posAP.m_dY / doc.m_dUnitFactor) + " " + UnitName(doc) + ", X " +
                   Fmt("%.1f", ap.m_posAP.m_dX / doc.m_dUnitFactor) + " " + UnitName(doc);
        else
            text = "latitude " + Fmt("%.6f", ap.m_posAP.m_dY) + ", longitude " + Fmt("%.6f", ap.m_posAP.m_dX);
        if (ap.m_bFixed) text += " (placed by the surveyor)";
        return text;
    }

    /// The shared part of two APs' areas as a share of the smaller area (0 when apart).
    double Overlap(int a, int b) const {
        const CAPInfo& p1 = doc.m_aAPs[static_cast<std::size_t>(a)];
        const CAPInfo& p2 = doc.m_aAPs[static_cast<std::size_t>(b)];
        if (p1.m_aApPoints.size() <= kMinCoveragePoints || p2.m_aApPoints.size() <= kMinCoveragePoints)
            return 0.0;
        const auto span = [](double o1, double s1, double o2, double s2) {
            return std::max(0.0, std::min(o1 + s1, o2 + s2) - std::max(o1, o2));
        };
        const double w =
            span(p1.m_areaOrigin.m_dX, p1.m_areaSize.m_dX, p2.m_areaOrigin.m_dX, p2.m_areaSize.m_dX);
        const double h =
            span(p1.m_areaOrigin.m_dY, p1.m_areaSize.m_dY, p2.m_areaOrigin.m_dY, p2.m_areaSize.m_dY);
        const double smaller = std::min(std::abs(p1.m_areaSize.m_dX * p1.m_areaSize.m_dY),
                                        std::abs(p2.m_areaSize.m_dX * p2.m_areaSize.m_dY));
        if (!(smaller > 0.0)) return 0.0;
        return std::clamp(w * h / smaller, 0.0, 1.0);
    }

    /// A picture with its caption, AP markers, legend, scale bar and north arrow.
    void Figure(FigureKind kind, const std::string& caption, int apIndex, double scale = 1.0) {
        const double width = m_content.width() * scale;
        const double height = width * kFigureHeight / kFigureWidth;
        const double legendHeight = kind == FigureKind::Map ? 0 : 34;
        const QFont capFont = Font(10, true);
        Ensure(QFontMetricsF(capFont).lineSpacing() + height + legendHeight + 8);
        Text(QString::fromStdString(caption), capFont, Qt::black);
        y += 2;
        const QRectF rect(m_content.left(), y, width, height);
        const QImage raster = FigureRaster(doc, m_frame, kind, o.palette, o, apIndex);
        if (!raster.isNull()) p.drawImage(rect, raster);
        p.setPen(QPen(QColor(120, 120, 120), 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect);
        if (m_frame.valid) {
            Markers(rect, apIndex);
            ScaleBar(rect);
            NorthArrow(rect);
        }
        y += height + 6;
        if (kind != FigureKind::Map) Legend(kind);
        y += 8;
    }

    QPointF ToPage(const QRectF& rect, double mx, double my) const {
        return {rect.left() + m_frame.mapping.PxExact(mx) * rect.width() / kFigureWidth,
                rect.top() + m_frame.mapping.PyExact(my) * rect.height() / kFigureHeight};
    }

    void Markers(const QRectF& rect, int only) {
        p.save();
        p.setClipRect(rect);
        const QFont f = Font(6.5, true);
        p.setFont(f);
        for (std::size_t k = 0; k < m_ticked.size(); ++k) {
            const int i = m_ticked[k];
            const CAPInfo& ap = doc.m_aAPs[static_cast<std::size_t>(i)];
            if (!MarkerShown(ap) || (only >= 0 && i != only)) continue;
            const QPointF c = ToPage(rect, ap.m_posAP.m_dX, ap.m_posAP.m_dY);
            if (!std::isfinite(c.x()) || !std::isfinite(c.y())) continue;
            p.setPen(QPen(Qt::white, 1.0));
            p.setBrush(QColor(20, 40, 90));
            p.drawEllipse(c, 6.0, 6.0);
            p.setPen(Qt::white);
            p.drawText(QRectF(c.x() - 8, c.y() - 6, 16, 12), Qt::AlignCenter, QString::number(k + 1));
        }
        p.restore();
    }

    void ScaleBar(const QRectF& rect) {
        const double metres = FrameWidthMetres(doc, m_frame.frame);
        const double unit = doc.m_dUnitFactor > 0 ? doc.m_dUnitFactor : 1.0;
        const double across = metres / unit; // display units across the picture
        if (!(across > 0) || !std::isfinite(across)) return;
        const double target = across * 0.2;
        const double decade = std::pow(10.0, std::floor(std::log10(target)));
        double nice = decade;
        for (double m : {2.0, 5.0})
            if (decade * m <= target) nice = decade * m;
        const double length = nice / across * rect.width();
        const QPointF origin(rect.left() + 10, rect.bottom() - 12);
        const QFont f = Font(7, true);
        p.setFont(f);
        const QString label =
            QStringLiteral("%1 %2").arg(nice, 0, 'g', 6).arg(QString::fromStdString(UnitName(doc)));
        p.fillRect(QRectF(origin.x() - 4, origin.y() - 16,
                          length + 8 + QFontMetricsF(f).horizontalAdvance(label) + 6, 22),
                   QColor(255, 255, 255, 210));
        p.fillRect(QRectF(origin.x(), origin.y() - 3, length / 2, 3), Qt::black);
        p.fillRect(QRectF(origin.x() + length / 2, origin.y() - 3, length / 2, 3), QColor(140, 140, 140));
        p.setPen(QPen(Qt::black, 0.6));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(origin.x(), origin.y() - 3, length, 3));
        p.drawText(QPointF(origin.x() + length + 4, origin.y()), label);
        p.drawText(QPointF(origin.x(), origin.y() - 6), QStringLiteral("0"));
    }

    void NorthArrow(const QRectF& rect) {
        const double angle = NorthAngle(doc, m_frame);
        const QPointF c(rect.right() - 22, rect.top() + 26);
        p.save();
        p.setBrush(QColor(255, 255, 255, 210));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 17.0, 17.0);
        p.translate(c);
        p.rotate(angle * 180.0 / 3.14159265358979);
        QPainterPath arrow;
        arrow.moveTo(0, -13);
        arrow.lineTo(6, 9);
        arrow.lineTo(0, 4);
        arrow.lineTo(-6, 9);
        arrow.closeSubpath();
        p.setBrush(QColor(20, 20, 20));
        p.setPen(QPen(Qt::black, 0.5));
        p.drawPath(arrow);
        p.setFont(Font(7, true));
        p.drawText(QRectF(-6, -16 - 10, 12, 10), Qt::AlignCenter, QStringLiteral("N"));
        p.restore();
    }

    void Legend(FigureKind kind) {
        const QFont f = Font(7.5);
        const QFontMetricsF fm(f);
        p.setFont(f);
        const double x0 = m_content.left(), barWidth = m_content.width() * 0.6, barHeight = 10;
        if (kind == FigureKind::Verdict) {
            double x = x0;
            for (const auto& [colour, text] : {std::pair{kMeets, QStringLiteral("Meets the requirement")},
                                               std::pair{kFails, QStringLiteral("Fails the requirement")},
                                               std::pair{QColor(Qt::white), QStringLiteral("Not covered")}}) {
                p.setPen(QPen(QColor(120, 120, 120), 0.5));
                p.setBrush(colour);
                p.drawRect(QRectF(x, y, 14, barHeight));
                p.setPen(Qt::black);
                p.drawText(QPointF(x + 18, y + barHeight - 1.5), text);
                x += 18 + fm.horizontalAdvance(text) + 18;
            }
            y += barHeight + 6;
            return;
        }
        double lo = 0, hi = 0;
        QString unit;
        const bool counts = kind == FigureKind::Graph && FactsOf(kind.graph).levels == GraphLevels::ApCounts;
        if (kind == FigureKind::Graph) {
            std::tie(lo, hi) = FactsOf(kind.graph).range(doc);
            unit = QString::fromStdString(std::string(FactsOf(kind.graph).unit));
        }
        if (kind == FigureKind::Ap)
            lo = doc.m_nPowerRangeLow, hi = doc.m_nPowerRangeHigh, unit = QStringLiteral("dBm");
        // Ten bands for the stepped scale, fine steps for the continuous ones.
        const int steps = o.palette == PaletteKind::Classic ? 10 : 60;
        for (int k = 0; k < steps; ++k) {
            const double level = (k + 0.5) / steps;
            const QColor c = Colour(PaletteColour(o.palette, counts && steps == 10 ? k / 9.0 : level));
            p.fillRect(QRectF(x0 + barWidth * k / steps, y, barWidth / steps + 0.3, barHeight), c);
        }
        p.setPen(QPen(QColor(120, 120, 120), 0.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(x0, y, barWidth, barHeight));
        p.setPen(Qt::black);
        const double ty = y + barHeight + fm.ascent() + 1;
        if (counts) {
            for (int n = 1; n <= 10; ++n) {
                const QString t = n == 10 ? QStringLiteral(">=10") : QString::number(n);
                const double cx = x0 + barWidth * (n - 0.5) / 10.0;
                p.drawText(QPointF(cx - fm.horizontalAdvance(t) / 2, ty), t);
            }
            p.drawText(QPointF(x0 + barWidth + 8, y + barHeight - 1.5), QStringLiteral("access points"));
        } else {
            for (int k = 0; k <= 10; k += 2) {
                const QString t = QString::number(lo + (hi - lo) * k / 10.0, 'f', 0);
                const double cx = x0 + barWidth * k / 10.0;
                p.drawText(QPointF(cx - fm.horizontalAdvance(t) / 2, ty), t);
            }
            p.drawText(QPointF(x0 + barWidth + 8, y + barHeight - 1.5), unit);
        }
        y += barHeight + fm.lineSpacing() + 4;
    }

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

} // namespace

std::vector<std::string>
BreakAtGroups(std::string_view text, const std::function<double(std::string_view)>& width, double maxWidth) {
    // Groups end after a separator, which stays with the group before it. Words end at spaces and
    // commas; a word too wide for the line is split further at ':' and '-' (the octets of a MAC, the
    // parts of a hyphenated SSID), never inside such a part.
    const auto split = [](std::string_view s, std::string_view separators) {
        std::vector<std::string_view> parts;
        std::size_t start = 0;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (separators.find(s[i]) != std::string_view::npos) {
                parts.push_back(s.substr(start, i + 1 - start));
                start = i + 1;
            }
        if (start < s.size()) parts.push_back(s.substr(start));
        return parts;
    };
    const auto trimmedWidth = [&width](std::string_view s) {
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return width(s);
    };
    std::vector<std::string_view> groups;
    for (std::string_view word : split(text, " ,")) {
        if (trimmedWidth(word) <= maxWidth) {
            groups.push_back(word);
            continue;
        }
        for (std::string_view part : split(word, ":-"))
            groups.push_back(part);
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::string_view g : groups) {
        std::string candidate = line + std::string(g);
        // Trailing spaces take no room at the end of a line.
        if (line.empty() || trimmedWidth(candidate) <= maxWidth) {
            line = std::move(candidate);
        } else {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            lines.push_back(std::move(line));
            line = std::string(g);
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

bool ParsePaper(const std::string& text, PaperSize& out) {
    if (text == "a4" || text == "A4") return out = PaperSize::A4, true;
    if (text == "letter" || text == "Letter") return out = PaperSize::Letter, true;
    return false;
}

std::string ClientReportSite(const CPlotraDoc& doc) {
    if (!doc.m_strWorkspacePath.empty()) return FileTitle(doc.m_strWorkspacePath);
    if (!doc.m_aFiles.empty()) return DisplayUtf8(doc.m_aFiles.front().m_strName);
    return "-";
}

bool WriteClientReport(const CPlotraDoc& doc, const std::string& pdfPath, const ClientReportOptions& o,
                       std::string* error, Progress* progress) {
    const auto fail = [error](const std::string& why) {
        if (error) *error = why;
        return false;
    };
    EnsureRenderApplication();
    const fs::path target(pdfPath);
    std::error_code ec;
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) return fail("the folder \"" + folder.string() + "\" does not exist");

    AtomicDevice device(pdfPath);
    if (!device.Ok()) return fail("\"" + pdfPath + "\" cannot be written");
    {
        QPdfWriter pdf(&device);
        pdf.setResolution(72); // one unit is one point
        pdf.setPageSize(QPageSize(o.paper == PaperSize::Letter ? QPageSize::Letter : QPageSize::A4));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(Q(o.title));
        pdf.setCreator(QStringLiteral("Plotra"));
        QPainter painter;
        if (!painter.begin(&pdf)) return fail("the PDF could not be started");
        painter.setRenderHint(QPainter::Antialiasing);
        // Pictures go in as they are drawn (Flate), never through a lossy encoder.
        painter.setRenderHint(QPainter::LosslessImageRendering);

        Writer w(pdf, painter, doc, o);
        for (std::size_t i = 0; i < doc.m_aAPs.size(); ++i)
            if (doc.m_aAPs[i].m_bSelected) w.m_ticked.push_back(static_cast<int>(i));
        const std::time_t when = o.clock ? o.clock() : std::time(nullptr);
        // The steps in order, with the share of the work each takes for the progress bar.
        const auto step = [progress](int percent) {
            if (progress) progress->setPosition(percent);
            return !progress || !progress->cancelRequested();
        };
        bool going = step(0);
        if (going) w.Cover(when), going = step(10);
        if (going) w.Summary(SummariseRequirement(doc, o.signalDbm, o.snrDb, o.targetShare)), going = step(25);
        if (going) w.CoverageFigures(), going = step(50);
        if (going) w.Channels(w.m_ticked), going = step(55);
        const std::size_t aps = w.m_ticked.size();
        for (std::size_t k = 0; going && k < aps; ++k) {
            w.ApSection(w.m_ticked[k], static_cast<int>(k + 1));
            going = step(55 + static_cast<int>(40 * (k + 1) / aps));
        }
        if (going) w.Methods(), going = step(100);
        if (!painter.end() && going) return fail("the PDF could not be finished");
        if (!going) return fail(kClientReportCancelled);
    }
    if (!device.Commit()) return fail("\"" + pdfPath + "\" could not be written");
    return true;
}

} // namespace plotra
