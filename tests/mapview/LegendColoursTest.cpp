// The legend rows against the contour areas drawn for them, in the graph window and in the report, on a
// coverage whose node values are known: twelve APs whose areas are nested stripes along x, so that
// the nodes of stripe j are covered by APs 0..j and take the RSSI and SNR of AP j.
#include "analysis/Coverage.h"
#include "files/FileIo.h"
#include "mapview/GraphRenderer.h"
#include "mapview/Legend.h"
#include "mapview/RenderApplication.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"
#include "report/ReportWriter.h"
#include "support/Fixtures.h"

#include <QFontMetrics>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <regex>
#include <string>

using namespace plotra;

namespace {

constexpr int kStripes = 12;
constexpr double kStripeWidth = 10.0;
constexpr int kWidth = 800, kHeight = 500;

// AP j's RSSI rises by 7 dB a stripe from -96.5 dBm and its noise is -90 dBm, which puts the first ten
// stripes in the middles of the ten power bands (-100 .. -30 in steps of 7) and of the ten SNR bands
// (-10 .. 60 in steps of 7). The last two stripes lie above both ranges and complete the counts to 12.
void BuildStripes(CPlotraDoc& doc) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Display(doc).m_dUnitFactor = 1.0;
    Edit::Frame(doc).m_dResolutionX = Edit::Frame(doc).m_dResolutionY = 1.0;
    Edit::Coverage(doc).m_dMeanRssi = -60, Edit::Coverage(doc).m_dMeanSnr = 30;
    const double width = kStripes * kStripeWidth, height = 10.0;
    for (int j = 0; j < kStripes; ++j) {
        CAPInfo ap;
        ap.m_bSelected = 1;
        ap.m_abyMAC = {0, 0, 0, 0, 0, static_cast<std::uint8_t>(j + 1)};
        ap.m_crColour = Rgb(10 * j, 0, 0);
        ap.m_areaOrigin = CDataGeo(0, j * kStripeWidth);
        ap.m_areaSize = CDataGeo(height, width - j * kStripeWidth);
        ap.m_posAP = CDataGeo(height / 2, j * kStripeWidth);
        ap.m_dSlope = 0; // no model blend: the power is the interpolation of equal readings
        const double rssi = j < 10 ? -96.5 + 7.0 * j : -26.5 + (j - 10);
        for (int k = 0; k < 21; ++k) {
            CData p;
            p.m_dX = ap.m_areaOrigin.m_dX + ap.m_areaSize.m_dX * (k % 7) / 6.0;
            p.m_dY = height * (k / 7) / 2.0;
            p.m_dRssi = rssi;
            p.m_nNoise = -90;
            ap.m_aApPoints.push_back(p);
        }
        Edit::Aps(doc).m_aAPs.push_back(ap);
    }
}

// A legend row: the node values of its band (open interval) and its swatch colour.
struct Row {
    double low, high;
    QRgb colour;
};

double NodeValue(const CPlotraDoc& doc, int graph, std::size_t node) {
    if (graph == 1) return doc.Coverage().m_aGridPower[node];
    if (graph == 2) return doc.Coverage().m_aGridSnr[node];
    return doc.Coverage().m_aGridCount[node];
}

// Every node well inside the picture whose value and whose eight neighbours' values lie in a row's band
// must be drawn in the row's colour. Returns how many rows had such a node.
int RowsCheckedAgainstPixels(const CPlotraDoc& doc, int graph, const QImage& picture, const PixelMapping& m,
                             const std::vector<Row>& rows, const char* where) {
    const int cols = doc.Frame().m_nGridCols, nrows = doc.Frame().m_nGridRows;
    int checked = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row& row = rows[r];
        auto inBand = [&](int ix, int iy) {
            const double v = NodeValue(doc, graph, static_cast<std::size_t>(ix) * nrows + iy);
            return v > row.low && v < row.high;
        };
        bool any = false;
        int wrong = 0;
        std::string first;
        for (int ix = 1; ix + 1 < cols; ++ix)
            for (int iy = 1; iy + 1 < nrows; ++iy) {
                bool inside = true;
                for (int dx = -1; dx <= 1 && inside; ++dx)
                    for (int dy = -1; dy <= 1 && inside; ++dy)
                        inside = inBand(ix + dx, iy + dy);
                if (!inside) continue;
                const double x = doc.Frame().m_dGridOriginX + ix * doc.Frame().m_dGridSpanX / (cols - 1);
                const double y = doc.Frame().m_dGridOriginY + iy * doc.Frame().m_dGridSpanY / (nrows - 1);
                const int px = m.Px(x), py = m.Py(y);
                if (px < 50 || px >= picture.width() - 50 || py < 20 || py >= picture.height() - 20) continue;
                any = true;
                const QRgb drawn = picture.pixel(px, py) | 0xFF000000u;
                if (drawn != row.colour && wrong++ == 0)
                    first = "node " + std::to_string(ix) + "," + std::to_string(iy) + " drawn " +
                            QColor(drawn).name().toStdString() + ", swatch " +
                            QColor(row.colour).name().toStdString();
            }
        EXPECT_EQ(wrong, 0) << where << ", graph " << graph << ", row " << r << ": " << first;
        checked += any ? 1 : 0;
    }
    return checked;
}

// Renders the report's pictures for real and keeps, per picture, its mapping and the colour swatches
// written after it.
class PictureKeepingSink : public ReportPictureSink {
  public:
    struct Section {
        int graph = 0;
        QImage picture;
        PixelMapping mapping;
        std::vector<QRgb> swatches;
    };
    int DrawReportPicture(const CPlotraDoc& doc, GraphKind graph, const ReportPictureSwitches& s) override {
        ReportSwitches switches;
        switches.map = s.map, switches.coverage = s.coverage, switches.contourLevels = s.contourLevels,
        switches.path = s.path, switches.perAp = s.perAp;
        Section section;
        section.graph = StoredValue(graph);
        section.picture = RenderReportPicture(doc, graph, switches);
        section.mapping = ViewState().Mapping(doc, kReportPictureWidth, kReportPictureHeight);
        sections.push_back(section);
        return static_cast<int>(sections.size()) - 1;
    }
    // The swatches written after a picture belong to its legend.
    bool SaveReportPicture(int picture, const std::string&) override {
        current = picture;
        return true;
    }
    bool SaveColourSwatch(COLORREF colour, int, int, const std::string&) override {
        if (current >= 0 && current < static_cast<int>(sections.size()))
            sections[static_cast<std::size_t>(current)].swatches.push_back(
                qRgb(RedOf(colour), GreenOf(colour), BlueOf(colour)));
        return true;
    }
    bool SaveLineSwatch(COLORREF, int, int, const std::string&) override { return true; }
    bool SaveLogo(const std::string&, const std::string&) override { return true; }
    std::vector<Section> sections;
    int current = -1;
};

} // namespace

TEST(LegendColours, EveryLevelRowShowsTheColourItsBandIsDrawnIn) {
    EnsureRenderApplication();
    CPlotraDoc doc;
    BuildStripes(doc);
    ASSERT_TRUE(CalculateCoverage(doc, 2));
    ASSERT_EQ(doc.Coverage().m_dPowerMin, -100);
    ASSERT_EQ(doc.Coverage().m_dPowerMax, -30);
    ASSERT_EQ(doc.Coverage().m_dSnrMin, -10);
    ASSERT_EQ(doc.Coverage().m_dSnrMax, 60);
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Display(doc).m_nAlpha = 255; // swatches and areas unblended
    Edit::Display(doc).m_bShowPath = 0;
    Edit::Display(doc).m_bShowApMarkers = 0;
    Edit::Display(doc).m_nGridDivisions = 1; // no grid lines across the report pictures

    // The graph window: each row's swatch as drawn by the legend.
    for (int graph = 1; graph <= 3; ++graph) {
        Edit::Display(doc).m_nGraphType = graph;
        const QImage picture = RenderGraph(doc, ViewState(), kWidth, kHeight);
        Legend legend;
        legend.Refresh(doc);
        QImage drawn(120, legend.GetSize(&picture).height(), QImage::Format_RGB32);
        {
            QPainter p(&drawn);
            legend.Draw(p, drawn.rect());
        }
        // Rows of height h below five pixels of space and the title row; the swatch spans x 10..29.
        const int h = QFontMetrics(legend.m_font, &drawn).height() + 2;
        std::vector<Row> rows;
        for (int i = 0; i < 10; ++i) {
            Row row{};
            row.colour = drawn.pixel(20, 5 + h + i * h + h / 2) | 0xFF000000u;
            if (graph == 3) {
                row.low = i + 0.5, row.high = i < 9 ? i + 1.5 : std::numeric_limits<double>::infinity();
            } else {
                int lo = 0, hi = 0;
                ASSERT_EQ(std::sscanf(legend.LevelLabel(i).c_str(), "%d:%d", &lo, &hi), 2);
                row.low = lo, row.high = hi;
            }
            rows.push_back(row);
        }
        EXPECT_EQ(RowsCheckedAgainstPixels(doc, graph, picture, ViewState().Mapping(doc, kWidth, kHeight),
                                           rows, "window"),
                  10)
            << "graph " << graph;
    }

    // The report: its signal-strength and number-of-APs legends, label k over colour picture k.
    ReportOptions options;
    options.files = options.apInfo = options.walkPath = options.apCoverage = false;
    options.reportTime = "Sun Dec  6 12:00:00 2026\n";
    test::TempDir dir;
    PictureKeepingSink sink;
    ASSERT_TRUE(WriteReport(doc, dir.File("bands.html"), options, sink));
    ASSERT_EQ(sink.sections.size(), 2u);
    const auto page = ReadWholeFile(dir.File("bands.html")).bytes;
    const std::string html(page.begin(), page.end());
    std::vector<Row> powerRows, countRows;
    const std::regex powerLabel(R"(<td class="legendText" align ="Center">(-?\d+)/(-?\d+)</td>)");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), powerLabel); it != std::sregex_iterator();
         ++it)
        powerRows.push_back({std::stod((*it)[1]), std::stod((*it)[2]), 0});
    const std::regex countLabel(R"(<td class="legendLabel"[^>]*>\s*(>= )?(\d+)\s*</td>)");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), countLabel); it != std::sregex_iterator();
         ++it) {
        const double n = std::stod((*it)[2]);
        countRows.push_back(
            {n - 0.5, (*it)[1].matched ? std::numeric_limits<double>::infinity() : n + 0.5, 0});
    }
    for (auto [section, rows] :
         {std::pair{&sink.sections[0], &powerRows}, std::pair{&sink.sections[1], &countRows}}) {
        ASSERT_EQ(rows->size(), 10u);
        ASSERT_EQ(section->swatches.size(), 10u);
        for (std::size_t k = 0; k < 10; ++k)
            (*rows)[k].colour = section->swatches[k];
        EXPECT_EQ(RowsCheckedAgainstPixels(doc, section->graph, section->picture, section->mapping, *rows,
                                           "report"),
                  10)
            << "graph " << section->graph;
    }
}
