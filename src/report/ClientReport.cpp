#include "report/ClientReport.h"

#include "analysis/Requirement.h"
#include "files/FileIo.h"
#include "mapview/RenderApplication.h"
#include "model/PlotraDoc.h"
#include "report/ClientReportWriter.h"

#include <QIODevice>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace plotra {

namespace client_report {

namespace {

std::string DateText(std::time_t t) {
    std::tm local{};
    if (!localtime_r(&t, &local)) return "";
    char buf[64];
    std::strftime(buf, sizeof buf, "%d %B %Y", &local);
    return buf;
}

} // namespace

Writer::Writer(QPdfWriter& pdf, QPainter& p, const CPlotraDoc& doc, const ClientReportOptions& o)
    : m_pdf(pdf), p(p), doc(doc), o(o) {
    const double w = pdf.width(), h = pdf.height();
    m_content = QRectF(54, 54, w - 108, h - 108 - 14);
    y = m_content.top();
    m_frame = FrameFor(doc);
    Footer();
}

void Writer::Cover(std::time_t when) {
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
    for (const CDataFile& f : doc.Survey().m_aFiles)
        if (f.m_bUse) files += (files.empty() ? "" : ", ") + DisplayUtf8(f.m_strName);
    Paragraph("Survey files: " + (files.empty() ? std::string("none") : files), Font(10));
    y += 10;
    Figure(FigureKind::Map, "Walk path and access points", -1);
}

void Writer::Summary(const RequirementSummary& s) {
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
                  std::to_string(static_cast<long long>(doc.Frame().m_nGridCols) * doc.Frame().m_nGridRows) +
                  " grid nodes are heard by at least one ticked access point.",
              Font(9));
    y += 8;
    Figure(FigureKind::Verdict, "Where the requirement is met and where it fails", -1);
}

void Writer::CoverageFigures() {
    if (!doc.Coverage().m_bCoverageReady) return;
    NewPage();
    Heading("Coverage");
    // Two pictures to a page.
    for (GraphKind graph : kGraphKinds)
        Figure({FigureKind::Graph, graph}, std::string(FactsOf(graph).reportCaption), -1, 0.86);
}

void Writer::Channels(const std::vector<int>& ticked) {
    NewPage();
    Heading("Channels");
    std::map<int, std::vector<int>> byChannel;
    for (int i : ticked)
        byChannel[doc.Aps().m_aAPs[static_cast<std::size_t>(i)].m_byChannel].push_back(i);
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
                pairs.rows.push_back(
                    {std::to_string(channel), ApName(aps[a], true), ApName(aps[b], true), ShareText(share)});
            }
    if (pairs.rows.empty()) {
        Paragraph("No two ticked access points on one channel have overlapping areas.", Font(10));
    } else {
        Table(pairs);
        if (more) Paragraph("... and " + std::to_string(more) + " more pairs.", Font(9));
        Paragraph("Overlap: the shared part of the two areas, as a share of the smaller one.", Font(8));
    }
}

void Writer::ApSection(int index, int number) {
    const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(index)];
    NewPage();
    Heading("Access point " + std::to_string(number) + ": " + DisplayUtf8(ap.SsidText()));
    const CApFile notes = static_cast<std::size_t>(index) < doc.Aps().m_aApNotes.size()
                              ? doc.Aps().m_aApNotes[static_cast<std::size_t>(index)]
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

void Writer::Methods() {
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
    if (doc.Coverage().m_bCoverageReady)
        resolution += " (" + std::to_string(doc.Frame().m_nGridCols) + " x " +
                      std::to_string(doc.Frame().m_nGridRows) + ", one every " +
                      Fmt("%.1f", doc.Frame().m_dResolutionX) + " x " +
                      Fmt("%.1f", doc.Frame().m_dResolutionY) + " " + unit + ")";
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

std::string Writer::ApName(int index, bool mac) const {
    const CAPInfo& ap = doc.Aps().m_aAPs[static_cast<std::size_t>(index)];
    const auto k = std::find(m_ticked.begin(), m_ticked.end(), index) - m_ticked.begin();
    std::string name = "AP " + std::to_string(k + 1) + " " + DisplayUtf8(ap.SsidText());
    // Appended rather than "\n" + MacText(): GCC 12 warns falsely (-Wrestrict) on that concatenation
    // once this function is no longer inlined into its callers.
    if (mac) name.append("\n").append(ap.MacText());
    return name;
}

std::string Writer::PositionText(const CAPInfo& ap) const {
    if (!ap.m_bFixed && ap.m_aApPoints.size() < kMinLocatedPoints) return "Not enough points";
    if (!ap.m_bFixed && !(ap.m_dSlope < -10.0)) return "Need more points";
    std::string text;
    if (doc.Map().m_bMetricXY)
        text = "Y " + Fmt("%.1f", ap.m_posAP.m_dY / doc.Display().m_dUnitFactor) + " " + UnitName(doc) +
               ", X " + Fmt("%.1f", ap.m_posAP.m_dX / doc.Display().m_dUnitFactor) + " " + UnitName(doc);
    else
        text = "latitude " + Fmt("%.6f", ap.m_posAP.m_dY) + ", longitude " + Fmt("%.6f", ap.m_posAP.m_dX);
    if (ap.m_bFixed) text += " (placed by the surveyor)";
    return text;
}

double Writer::Overlap(int a, int b) const {
    const CAPInfo& p1 = doc.Aps().m_aAPs[static_cast<std::size_t>(a)];
    const CAPInfo& p2 = doc.Aps().m_aAPs[static_cast<std::size_t>(b)];
    if (p1.m_aApPoints.size() <= kMinCoveragePoints || p2.m_aApPoints.size() <= kMinCoveragePoints)
        return 0.0;
    const auto span = [](double o1, double s1, double o2, double s2) {
        return std::max(0.0, std::min(o1 + s1, o2 + s2) - std::max(o1, o2));
    };
    const double w = span(p1.m_areaOrigin.m_dX, p1.m_areaSize.m_dX, p2.m_areaOrigin.m_dX, p2.m_areaSize.m_dX);
    const double h = span(p1.m_areaOrigin.m_dY, p1.m_areaSize.m_dY, p2.m_areaOrigin.m_dY, p2.m_areaSize.m_dY);
    const double smaller = std::min(std::abs(p1.m_areaSize.m_dX * p1.m_areaSize.m_dY),
                                    std::abs(p2.m_areaSize.m_dX * p2.m_areaSize.m_dY));
    if (!(smaller > 0.0)) return 0.0;
    return std::clamp(w * h / smaller, 0.0, 1.0);
}

} // namespace client_report

namespace {

namespace fs = std::filesystem;

using client_report::Q;
using client_report::Writer;

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

} // namespace

bool ParsePaper(const std::string& text, PaperSize& out) {
    if (text == "a4" || text == "A4") return out = PaperSize::A4, true;
    if (text == "letter" || text == "Letter") return out = PaperSize::Letter, true;
    return false;
}

std::string ClientReportSite(const CPlotraDoc& doc) {
    if (!doc.Project().m_strWorkspacePath.empty()) return FileTitle(doc.Project().m_strWorkspacePath);
    if (!doc.Survey().m_aFiles.empty()) return DisplayUtf8(doc.Survey().m_aFiles.front().m_strName);
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
        for (std::size_t i = 0; i < doc.Aps().m_aAPs.size(); ++i)
            if (doc.Aps().m_aAPs[i].m_bSelected) w.m_ticked.push_back(static_cast<int>(i));
        const std::time_t when = o.clock ? o.clock() : std::time(nullptr);
        // The steps in order, with the share of the work each takes for the progress bar.
        const auto step = [progress](int percent) {
            if (progress) progress->setPosition(percent);
            return !progress || !progress->cancelRequested();
        };
        bool going = step(0);
        if (going) w.Cover(when), going = step(10);
        if (going)
            w.Summary(SummariseRequirement(doc, o.signalDbm, o.snrDb, o.targetShare)), going = step(25);
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
