// Pictures of the simulated demo for every graph type. They are written as PNG files when
// PLOTRA_RENDER_PNG_DIR names a folder (to look at them); the checks here are coarse sanity checks.
#include "mapview/DemoDocument.h"
#include "mapview/GraphRenderer.h"
#include "mapview/PlainShapes.h"
#include "mapview/Shapes.h"
#include "model/ViewState.h"

#include "model/EditAccess.h"
#include "support/PromptRecorder.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace plotra;

namespace {

void Save(const QImage& image, const std::string& name) {
    const char* dir = std::getenv("PLOTRA_RENDER_PNG_DIR");
    if (!dir || !*dir) return;
    image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
}

int CountNonWhite(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++n;
    return n;
}

} // namespace

TEST(DemoPictures, EveryGraphTypeDrawsOverlayPathAndAxes) {
    CPlotraDoc doc;
    test::BuildDemoDocument(doc);
    ASSERT_TRUE(doc.Coverage().m_bCoverageReady);
    ViewState view;
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Display(doc).m_bShowLegend = 1;
    for (int graph = 1; graph <= 3; ++graph) {
        Edit::Display(doc).m_nGraphType = graph;
        const QImage image = RenderGraph(doc, view, 800, 500);
        ASSERT_EQ(image.size(), QSize(800, 500));
        EXPECT_GT(CountNonWhite(image), 800 * 500 / 4) << graph;
        Save(image, "demo_graph" + std::to_string(graph));
    }
    Edit::Display(doc).m_bMultiContours = 0;
    Edit::Display(doc).m_bCombined = 0;
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Save(RenderGraph(doc, view, 800, 500), "demo_per_ap");
}

TEST(DemoPictures, PlanarMapWithLonLatGridAndCompass) {
    CPlotraDoc doc;
    test::DemoOptions o;
    o.withMap = true;
    test::BuildDemoDocument(doc, o);
    ViewState view;
    view.m_bShowMap = true;
    view.m_bShowDirections = true;
    test::SetDemoFrame(doc, true);
    Edit::Display(doc).m_bXGrid = Edit::Display(doc).m_bYGrid = 1;
    Edit::Display(doc).m_bShowLegend = 1;
    const QImage power = RenderGraph(doc, view, 800, 500);
    EXPECT_GT(CountNonWhite(power), 800 * 500 * 6 / 10);
    Save(power, "map-power");
    Edit::Display(doc).m_bMultiContours = 1;
    Save(RenderGraph(doc, view, 800, 500), "map-power-multi");
    Edit::Display(doc).m_bMultiContours = 0;
    Edit::Display(doc).m_bCombined = 0;
    Save(RenderGraph(doc, view, 800, 500), "map-per-ap");
    Edit::Display(doc).m_bShowCellRadius = 1;
    Edit::Display(doc).m_bCoveragePlotted = 0;
    Save(RenderGraph(doc, view, 800, 500), "map-cells");
}

TEST(DemoPictures, MapAndPathOnly) {
    CPlotraDoc doc;
    test::DemoOptions o;
    o.withMap = true;
    o.coverage = false;
    test::BuildDemoDocument(doc, o);
    ViewState view;
    view.m_bShowMap = true;
    view.FitInMapPath(doc, 800, 500);
    Edit::Display(doc).m_nAlpha = 0;
    Edit::Display(doc).m_bShowNoGps = 0;
    Save(RenderGraph(doc, view, 800, 500), "demo_map_path");
}

TEST(DemoPictures, MultipleContoursOfEveryGraph) {
    CPlotraDoc doc;
    test::DemoOptions o;
    o.withMap = true;
    test::BuildDemoDocument(doc, o);
    ViewState view;
    view.m_bShowMap = true;
    view.m_bShowDirections = true;
    Edit::Display(doc).m_bXGrid = Edit::Display(doc).m_bYGrid = 1;
    Edit::Display(doc).m_bMultiContours = 1;
    Edit::Display(doc).m_bShowLegend = 1;
    for (int graph = 1; graph <= 3; ++graph) {
        Edit::Display(doc).m_nGraphType = graph;
        Save(RenderGraph(doc, view, 800, 500), "map-graph" + std::to_string(graph) + "-multi-above");
    }
    Edit::Display(doc).m_nGraphType = StoredValue(GraphKind::SignalPower);
    Edit::Display(doc).m_bMultiContours = 0;
    Edit::Display(doc).m_bShowContour = 1;
    Save(RenderGraph(doc, view, 800, 500), "map-single-above");
}

// The batched drawing of real contour data equals one polygon per piece, for every graph, whole and
// zoomed in.
TEST(DemoPictures, ContourPiecesOfTheDemoMatchThePlainDrawing) {
    CPlotraDoc doc;
    test::BuildDemoDocument(doc);
    ASSERT_TRUE(doc.Coverage().m_bCoverageReady);
    ViewState view;
    test::PromptRecorder prompts;
    for (int zoom = 0; zoom < 3; ++zoom) {
        const PixelMapping m = view.Mapping(doc, 800, 500);
        for (const ContourLayerSet& set : doc.Coverage().m_aContours) {
            ASSERT_FALSE(set.m_aLevelAreas.empty());
            QImage fast(800, 500, QImage::Format_RGB32), plain(800, 500, QImage::Format_RGB32);
            fast.fill(Qt::white);
            plain.fill(Qt::white);
            FillContourPieces(fast, m, set.m_aLevelAreas.data(), set.m_aLevelAreas.size(),
                              QColor(30, 60, 90));
            {
                QPainter p(&plain);
                test::PlainContourPieces(p, m, set.m_aLevelAreas.data(), set.m_aLevelAreas.size(),
                                         QColor(30, 60, 90));
            }
            EXPECT_TRUE(fast == plain) << "zoom " << zoom;
        }
        view.Zoom(true, 300, 200, 800, 500, prompts);
        view.Zoom(true, 300, 200, 800, 500, prompts);
    }
}
