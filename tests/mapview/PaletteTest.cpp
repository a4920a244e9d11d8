// The colour scales: the classic level colours mapped onto viridis and cividis, and every picture of
// the renderer drawn in the chosen scale while the project itself does not change.
#include "mapview/GraphRenderer.h"
#include "mapview/Legend.h"
#include "mapview/RenderApplication.h"
#include "model/CoveragePictures.h"
#include "model/Palette.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"

#include <gtest/gtest.h>

#include <set>

using namespace plotra;
using namespace plotra::test;

namespace {

double Luminance(COLORREF c) {
    return 0.2126 * RedOf(c) + 0.7152 * GreenOf(c) + 0.0722 * BlueOf(c);
}

COLORREF FromQRgb(QRgb p) {
    return Rgb(qRed(p), qGreen(p), qBlue(p));
}

} // namespace

TEST(Palette, LevelColoursRecolourOnlyTheClassicLevels) {
    CPlotraDoc doc;
    for (const PaletteKind kind : {PaletteKind::Viridis, PaletteKind::Cividis}) {
        std::set<COLORREF> seen;
        for (int k = 0; k < 10; ++k) {
            const COLORREF c = InPalette(kind, doc.Display().m_crPalette[static_cast<std::size_t>(k)]);
            EXPECT_EQ(c, PaletteLevelColour(kind, k));
            seen.insert(c);
            // Perceptually even scales get lighter level by level, which is what lets a reader with a
            // colour-vision deficiency (or a grey printout) order the levels.
            if (k > 0) {
                EXPECT_GT(Luminance(c), Luminance(PaletteLevelColour(kind, k - 1))) << PaletteName(kind) << k;
            }
        }
        EXPECT_EQ(seen.size(), 10u);
        EXPECT_EQ(PaletteLevelColour(kind, 0), PaletteColour(kind, 0.0));
        EXPECT_EQ(PaletteLevelColour(kind, 9), PaletteColour(kind, 1.0));
        // AP colours, white and the ten-or-more colour are not levels.
        for (const COLORREF other : {kCountTenOrMoreColour, Rgb(255, 255, 255), Rgb(1, 2, 3)})
            EXPECT_EQ(InPalette(kind, other), other);
    }
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(InPalette(PaletteKind::Classic, doc.Display().m_crPalette[static_cast<std::size_t>(k)]),
                  doc.Display().m_crPalette[static_cast<std::size_t>(k)]);
    EXPECT_EQ(PaletteLevelColour(PaletteKind::Viridis, -3), PaletteLevelColour(PaletteKind::Viridis, 0));
    EXPECT_EQ(PaletteLevelColour(PaletteKind::Viridis, 12), PaletteLevelColour(PaletteKind::Viridis, 9));
}

// The count picture and the contour areas hold nothing but level colours, the ten-or-more colour and
// white: drawn opaque, the viridis picture is the classic one with every pixel mapped.
TEST(Palette, PicturesAreTheClassicOnesMappedAndTheProjectStaysAsItWas) {
    EnsureRenderApplication();
    CPlotraDoc doc;
    ASSERT_TRUE(LoadDemoProject(doc, true));
    doc.SetAlpha(255);
    const std::uint64_t changes = doc.ChangeCounter();
    const VisibleFrame frame = WholeFrame(ModelRect{doc.Frame().m_dFrameOriginY, doc.Frame().m_dFrameOriginX,
                                                    doc.Frame().m_dFrameSpanY, doc.Frame().m_dFrameSpanX});

    for (const bool areas : {false, true}) {
        GraphLayers layers;
        layers.graph = GraphKind::ApCount;
        layers.coverage = layers.combined = true;
        layers.multiAreas = areas;
        const QImage classic = ComposeGraph(doc, frame, layers, 400, 250);
        layers.palette = PaletteKind::Viridis;
        const QImage viridis = ComposeGraph(doc, frame, layers, 400, 250);
        ASSERT_FALSE(classic.isNull());
        ASSERT_EQ(classic.size(), viridis.size());
        std::size_t levelPixels = 0, wrong = 0;
        for (int y = 0; y < classic.height(); ++y)
            for (int x = 0; x < classic.width(); ++x) {
                const COLORREF c = FromQRgb(classic.pixel(x, y));
                const COLORREF expected = InPalette(PaletteKind::Viridis, c);
                levelPixels += expected != c;
                wrong += FromQRgb(viridis.pixel(x, y)) != expected;
            }
        EXPECT_GT(levelPixels, 1000u) << "the demo's coverage shows level colours";
        EXPECT_EQ(wrong, 0u) << (areas ? "with contour areas" : "count picture");
    }

    // The legend's level rows follow the scale; the document is not touched by any of it.
    Legend classicLegend, viridisLegend;
    doc.SetGraphType(GraphKind::SignalPower);
    const std::uint64_t afterGraph = doc.ChangeCounter();
    classicLegend.Refresh(doc);
    viridisLegend.Refresh(doc, PaletteKind::Viridis);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(viridisLegend.m_aLevelColour[i], InPalette(PaletteKind::Viridis, classicLegend.m_aLevelColour[i]));
    EXPECT_EQ(viridisLegend.m_aLevelColour[0], PaletteLevelColour(PaletteKind::Viridis, 9)); // top band first
    EXPECT_EQ(doc.ChangeCounter(), afterGraph);
    EXPECT_GT(afterGraph, changes);
}
