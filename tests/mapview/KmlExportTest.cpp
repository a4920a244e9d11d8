#include "mapview/KmlExport.h"
#include "analysis/Numeric.h"
#include "files/FileIo.h"
#include "mapview/GraphExport.h"
#include "mapview/GraphRenderer.h"
#include "mapview/RenderApplication.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace plotra;

namespace {

std::tm FixedTime() {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 4;
    t.tm_hour = 5;
    t.tm_min = 6;
    t.tm_sec = 7;
    return t;
}

// A planar map whose transformation is lon = 7.44 + x / 1000 and lat = 46.94 + y / 1000, with the
// frame (100, 200) + (300, 400) in map metres.
void PlanarDocument(CPlotraDoc& doc) {
    Edit::Map(doc).m_bMetricXY = 1;
    Edit::Map(doc).m_bMapLoaded = 1;
    Edit::Map(doc).m_adProj = {};
    Edit::Map(doc).m_adProj[1] = 1000;
    Edit::Map(doc).m_adProj[3] = -7440;
    Edit::Map(doc).m_adProj[4] = -1000;
    Edit::Map(doc).m_adProj[7] = 46950;
    Edit::Map(doc).m_nImageHeight = 10;
    Edit::Map(doc).m_dMetersPerPixelX = Edit::Map(doc).m_dMetersPerPixelY = 1;
    Edit::Frame(doc).m_dFrameOriginX = 100, Edit::Frame(doc).m_dFrameOriginY = 200;
    Edit::Frame(doc).m_dFrameSpanX = 300, Edit::Frame(doc).m_dFrameSpanY = 400;
}

const char kGolden[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<kml xmlns=\"http://earth.google.com/kml/2.0\">\n"
                       "<GroundOverlay>\n"
                       "\t<description> Overlay shows RF Coverage on 03/04/2026,05:06:07.</description>\n"
                       "\t<name> Survey with Hovrin Software </name>\n"
                       "\t<LookAt>\n"
                       "\t<longitude> 7.69000</longitude>\n"
                       "\t<latitude> 47.34000 </latitude>\n"
                       "\t<range> 1000.0 </range>\n"
                       "\t<tilt> 0 </tilt>\n"
                       " <heading> 0 </heading>\n"
                       " </LookAt>\n"
                       " <visibility>0</visibility>\n"
                       " <Icon>\n"
                       "<href> site/overlay.bmp </href>\n"
                       " </Icon>\n"
                       " <LatLonBox>\n"
                       " <north> 47.54000 </north>\n"
                       " <south> 47.14000 </south>\n"
                       " <east> 7.84000 </east>\n"
                       " <west>7.54000 </west>\n"
                       " <rotation>0</rotation>\n"
                       " </LatLonBox>\n"
                       " </GroundOverlay>\n"
                       " </kml>";

std::string ReadText(const std::string& path) {
    const auto bytes = ReadWholeFile(path).bytes;
    return std::string(bytes.begin(), bytes.end());
}

// xmllint checks well-formedness where it is installed.
void ExpectWellFormed(const std::string& path) {
    if (std::system("command -v xmllint > /dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint not installed";
    const std::string command = "xmllint --noout '" + path + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << path;
}

QImage Picture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::cyan);
    return image;
}

class KmlExport : public ::testing::Test {
  protected:
    void SetUp() override { EnsureRenderApplication(); }
};

} // namespace

TEST_F(KmlExport, WritesTheGoldenDocumentTheFolderAndTheOverlay) {
    test::TempDir dir;
    CPlotraDoc doc;
    PlanarDocument(doc);
    const std::string path = dir.File("site.kml");
    ASSERT_TRUE(WriteKml(doc, path, Picture(40, 30), FixedTime()));
    EXPECT_EQ(ReadText(path), kGolden);
    EXPECT_EQ(doc.Project().m_strKmlPath, path);
    const QImage overlay(QString::fromStdString(dir.File("site/overlay.bmp")), "BMP");
    EXPECT_EQ(overlay.size(), QSize(40, 30));
    EXPECT_EQ(overlay.pixel(5, 5), qRgb(0, 255, 255));
    ExpectWellFormed(path);
}

TEST_F(KmlExport, ExportingTwiceOverwritesAndKeepsTheFolder) {
    test::TempDir dir;
    CPlotraDoc doc;
    PlanarDocument(doc);
    const std::string path = dir.File("site.kml");
    ASSERT_TRUE(WriteKml(doc, path, Picture(40, 30), FixedTime()));
    std::filesystem::path marker = std::filesystem::path(dir.File("site")) / "keep.txt";
    { std::ofstream(marker) << "x"; }
    Edit::Frame(doc).m_dFrameSpanX = 0; // another frame: different text
    ASSERT_TRUE(WriteKml(doc, path, Picture(20, 10), FixedTime()));
    EXPECT_NE(ReadText(path), kGolden);
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("site/overlay.bmp")), "BMP").size(), QSize(20, 10));
}

TEST_F(KmlExport, DegreesAreTheFrameItselfAndTheRangeIsTheGreatCircleDiagonal) {
    CPlotraDoc doc;
    Edit::Frame(doc).m_dFrameOriginX = 7.44, Edit::Frame(doc).m_dFrameOriginY = 46.94;
    Edit::Frame(doc).m_dFrameSpanX = 0.01, Edit::Frame(doc).m_dFrameSpanY = 0.005;
    const auto k = KmlPlacementOf(doc);
    ASSERT_TRUE(k);
    EXPECT_DOUBLE_EQ(k->west, 7.44);
    EXPECT_DOUBLE_EQ(k->east, 7.45);
    EXPECT_DOUBLE_EQ(k->south, 46.94);
    EXPECT_DOUBLE_EQ(k->north, 46.945);
    EXPECT_DOUBLE_EQ(k->longitude, (7.44 + 7.45) * 0.5);
    EXPECT_DOUBLE_EQ(k->range, 2.0 * GeoDistance(46.94, 7.44, 46.945, 7.45));
}

TEST_F(KmlExport, ReferencesAreEscapedAndRelative) {
    test::TempDir dir;
    CPlotraDoc doc;
    PlanarDocument(doc);
    const std::string path = dir.File("R&D <east>.kml");
    ASSERT_TRUE(WriteKml(doc, path, Picture(4, 4), FixedTime()));
    const std::string text = ReadText(path);
    EXPECT_NE(text.find("\n<href> R&amp;D &lt;east&gt;/overlay.bmp </href>"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.File("R&D <east>/overlay.bmp")));
    ExpectWellFormed(path);
}

TEST_F(KmlExport, PathsWithoutTheKmlEndingAreRefused) {
    EXPECT_FALSE(KmlPathsFor("/tmp/site.xml"));
    EXPECT_FALSE(KmlPathsFor("/tmp/.kml"));
    const auto p = KmlPathsFor("/tmp/a.b/site.KML");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->folder, "/tmp/a.b/site");
    EXPECT_EQ(p->overlayHref, "site/overlay.bmp");
    test::TempDir dir;
    CPlotraDoc doc;
    test::PromptRecorder prompts;
    EXPECT_FALSE(ExportKml(doc, dir.File("site.xml"), 100, 100, FixedTime(), prompts));
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::string>{"Create a Kml file: The KML file name must end in \".kml\"."}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("site.xml")));
}

TEST_F(KmlExport, TimeTextAndFailedConversion) {
    EXPECT_EQ(KmlTimeText(FixedTime()), "03/04/2026,05:06:07");
    EXPECT_EQ(KmlTimeText(std::nullopt), "");
    // A transformation that cannot be inverted: the bitmap is written, the KML is not.
    test::TempDir dir;
    test::PromptRecorder prompts;
    CPlotraDoc doc;
    doc.SetOutside(&prompts, nullptr, nullptr);
    Edit::Map(doc).m_bMetricXY = 1;
    EXPECT_FALSE(WriteKml(doc, dir.File("bad.kml"), Picture(4, 4), FixedTime()));
    EXPECT_TRUE(std::filesystem::exists(dir.File("bad/overlay.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.kml")));
    EXPECT_EQ(prompts.Messages(), (std::vector<std::string>{"Error: Invalid Transformation Matrix"}));
}

TEST_F(KmlExport, CommandProposesTheTitleAndWritesTheKeptPicture) {
    test::TempDir dir;
    CPlotraDoc doc;
    PlanarDocument(doc);
    KeepGraphPicture(doc, Picture(12, 8));
    test::PromptRecorder prompts;
    EXPECT_FALSE(CreateKmlFile(doc, "campus.hws", prompts)); // cancelled: nothing written
    ASSERT_EQ(prompts.choosers.size(), 1u);
    EXPECT_EQ(prompts.choosers[0].defaultName, "campus");
    EXPECT_EQ(prompts.choosers[0].defaultExtension, "kml");
    EXPECT_EQ(prompts.choosers[0].filter, "KML (Goolge Earth) File (*.kml)|*.kml|All files (*.*)|*.*||");
    EXPECT_TRUE(doc.Project().m_strKmlPath.empty());
    prompts.saveFiles.push_back(dir.File("campus.kml"));
    EXPECT_TRUE(CreateKmlFile(doc, ".campus", prompts));
    EXPECT_EQ(prompts.choosers[1].defaultName, ".campus");
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("campus/overlay.bmp")), "BMP").size(), QSize(12, 8));
    EXPECT_NE(ReadText(dir.File("campus.kml")).find("Overlay shows RF Coverage on "), std::string::npos);
}

TEST_F(KmlExport, CommandLineExportsRenderTheFittedGraphAndLeaveTheProjectsFrame) {
    test::TempDir dir;
    CPlotraDoc doc;
    PlanarDocument(doc);
    Edit::Display(doc).m_bDataLoaded = 1;
    CData a, b;
    a.m_dX = 10, a.m_dY = 20, b.m_dX = 110, b.m_dY = 70;
    Edit::Path(doc).m_aPoints = {a, b};
    Edit::Path(doc).m_aFilePathCount = {2};
    Edit::Survey(doc).m_aFileColor = {Rgb(255, 0, 0)};
    Edit::Aps(doc).m_aAPs.resize(1);
    test::PromptRecorder prompts;
    const auto frameOf = [](const CPlotraDoc& d) {
        const FrameGeometry& f = d.Frame();
        return std::vector<double>{f.m_dFrameOriginY, f.m_dFrameOriginX, f.m_dFrameSpanY, f.m_dFrameSpanX,
                                   f.m_dGridOriginY,  f.m_dGridOriginX,  f.m_dGridSpanY,  f.m_dGridSpanX};
    };
    const std::vector<double> projectFrame = frameOf(doc);
    ASSERT_TRUE(ExportKml(doc, dir.File("out.kml"), 300, 200, FixedTime(), prompts));
    // "Fit in the window" without a selected AP and without the map frames the path, widened about
    // its centre to square metres per pixel (100 m on 300 pixels: 200 pixels show 66.7 m, y 11.67 to
    // 78.33). The fit is the export's own: the project keeps the frame its window shows.
    const std::string kml = ReadText(dir.File("out.kml"));
    EXPECT_NE(kml.find(" <west>7.45000 </west>"), std::string::npos);
    EXPECT_NE(kml.find(" <east> 7.55000 </east>"), std::string::npos);
    EXPECT_NE(kml.find(" <south> 46.95167 </south>"), std::string::npos) << kml;
    EXPECT_NE(kml.find(" <north> 47.01833 </north>"), std::string::npos);
    EXPECT_EQ(frameOf(doc), projectFrame);
    EXPECT_EQ(GraphPictureOf(doc).size(), QSize(300, 200));

    GraphImageOptions options;
    options.path = dir.File("graph.v2.bmp");
    options.alpha = 300;
    doc.SetGraphType(GraphKind::ApCount);
    doc.SetMultipleContours(true);
    std::string written;
    ASSERT_TRUE(ExportGraphImage(doc, options, prompts, &written));
    EXPECT_EQ(written, dir.File("graph.bmp"));
    EXPECT_EQ(QImage(QString::fromStdString(written), "BMP").size(), QSize(800, 500));
    EXPECT_EQ(doc.Graph(), GraphKind::ApCount);
    EXPECT_EQ(doc.Display().m_nAlpha, 255);
    EXPECT_EQ(doc.Display().m_bMultiContours, 1);
    EXPECT_EQ(frameOf(doc), projectFrame);
    EXPECT_TRUE(prompts.Messages().empty());

    options.path = dir.File("missing/graph.bmp");
    EXPECT_FALSE(ExportGraphImage(doc, options, prompts));
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].rfind("Save Graph Image: ", 0), 0u);
}

TEST_F(KmlExport, SaveGraphImageCommandWritesTheKeptPicture) {
    test::TempDir dir;
    CPlotraDoc doc;
    KeepGraphPicture(doc, Picture(7, 5));
    test::PromptRecorder prompts;
    prompts.saveFiles.push_back(dir.File("shot.final.jpg"));
    prompts.saveFiles.push_back(dir.File("shot.final.PNG"));
    ASSERT_TRUE(SaveGraphImage(doc, prompts));
    EXPECT_EQ(prompts.choosers[0].title, "Save picture as a Bitmap file");
    EXPECT_EQ(prompts.choosers[0].filter, "BMP - Bitmap picture (*.bmp)|");
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("shot.bmp")), "BMP").size(), QSize(7, 5));
    // A name ending in ".png" gets a PNG file of exactly that name.
    ASSERT_TRUE(SaveGraphImage(doc, prompts));
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("shot.final.PNG")), "PNG").size(), QSize(7, 5));
    EXPECT_FALSE(SaveGraphImage(doc, prompts)); // cancelled
}
