// "Load Floor Plan..." as a user goes through it: the file chooser, the scale dialog (two clicks on
// the plan, a distance typed, the unit and north chosen), and the project's map afterwards; Cancel,
// Esc and No at the replacement question leave the project as it was.
#include "georef/gui/FloorPlanDialog.h"
#include "georef/gui/LoadFloorPlan.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

std::string WritePlan(const TempDir& dir, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(10, 10, w - 20, h - 20);
    p.end();
    const std::string path = dir.File("plan.png");
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
}

/// Clicks the canvas where plan pixel \p pixel is drawn.
void ClickPlan(FloorPlanDialog& dialog, QPointF pixel) {
    PlanCanvas* canvas = dialog.canvas();
    QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->toWidget(pixel).toPoint());
}

QPushButton* OkButton(FloorPlanDialog& dialog) {
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text().contains("OK")) return b;
    ADD_FAILURE() << "no OK button";
    return nullptr;
}

} // namespace

TEST(FloorPlanDialog, TwoClicksAndADistanceMakeTheProjectsMap) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 1000, 600);
    RecordedDoc r;
    r.prompts.openFiles.push_back(plan);
    std::string summaryBefore, summaryAfter;
    bool okBefore = true;
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {100, 300});
        ClickPlan(*d, {900, 300});
        okBefore = OkButton(*d)->isEnabled();
        summaryBefore = Named<QLabel>(*d, "summary")->text().toStdString();
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "131.2");
        Named<QComboBox>(*d, "unit")->setCurrentIndex(1); // feet: 40 m
        Named<QDoubleSpinBox>(*d, "north")->setValue(90.0);
        summaryAfter = Named<QLabel>(*d, "summary")->text().toStdString();
        QTest::mouseClick(OkButton(*d), Qt::LeftButton);
    });
    LoadFloorPlan(r.doc, nullptr);

    EXPECT_FALSE(okBefore);
    EXPECT_EQ(summaryBefore, "Type the distance between the two points.");
    ASSERT_EQ(r.prompts.choosers.size(), 1u);
    EXPECT_EQ(r.prompts.choosers[0].title, "Load Floor Plan");
    EXPECT_EQ(r.prompts.Messages(), std::vector<std::string>{});
    ASSERT_TRUE(r.doc.m_bMapLoaded);
    EXPECT_EQ(r.doc.m_strProjectionPath, plan);
    EXPECT_EQ(r.doc.m_nImageWidth, 1000);
    // Clicks land on whole screen pixels: the points are within a plan pixel or two of the aim.
    const double metresPerPixel = 131.2 * 0.3048 / 800.0;
    EXPECT_NEAR(r.doc.m_dMetersPerPixelX / metresPerPixel, 1.0, 0.005);
    EXPECT_NEAR(r.doc.m_dMetersPerPixelY, r.doc.m_dMetersPerPixelX, r.doc.m_dMetersPerPixelX * 1e-4);
    EXPECT_NE(summaryAfter.find("pixels = 131.2 ft"), std::string::npos) << summaryAfter;
    // North 90 degrees clockwise from up: north is to the plan's right.
    const auto left = r.doc.MapToGeoQuiet(0, 100), right = r.doc.MapToGeoQuiet(r.doc.m_dMapWidth, 100);
    EXPECT_GT(right->m_dY, left->m_dY);
    EXPECT_NEAR(right->m_dX, left->m_dX, 1e-9);
}

TEST(FloorPlanDialog, CancelEscAndNoChangeNothing) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 400, 300);
    RecordedDoc r;
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        Named<QDoubleSpinBox>(*d, "x1")->setValue(10);
        Named<QDoubleSpinBox>(*d, "x2")->setValue(300);
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "12");
        d->reject();
    });
    LoadFloorPlan(r.doc, nullptr);
    EXPECT_FALSE(r.doc.m_bMapLoaded);

    // A map loaded: No at the question asks for no file; Yes and then Esc keeps the old map.
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {20, 20});
        ClickPlan(*d, {380, 20});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "12");
        QTest::mouseClick(OkButton(*d), Qt::LeftButton);
    });
    LoadFloorPlan(r.doc, nullptr);
    ASSERT_TRUE(r.doc.m_bMapLoaded);
    const auto coefficients = r.doc.m_adProj;
    const double scale = r.doc.m_dMetersPerPixelX;
    r.prompts.prompts.clear();
    r.prompts.choosers.clear();
    r.prompts.answers = {false};
    LoadFloorPlan(r.doc, nullptr);
    EXPECT_EQ(r.prompts.choosers.size(), 0u);
    ASSERT_EQ(r.prompts.prompts.size(), 1u);
    EXPECT_EQ(r.prompts.prompts[0].caption, "Replace Geo-Coded Map");

    r.prompts.answers = {true};
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {20, 20});
        ClickPlan(*d, {380, 20});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "99");
        QTest::keyClick(d, Qt::Key_Escape);
    });
    LoadFloorPlan(r.doc, nullptr);
    EXPECT_TRUE(r.doc.m_bMapLoaded);
    EXPECT_EQ(r.doc.m_adProj, coefficients);
    EXPECT_EQ(r.doc.m_dMetersPerPixelX, scale);
}

TEST(FloorPlanDialog, PdfPagesAreChosenInTheDialog) {
    TempDir dir;
    const std::string pdf = dir.File("plan.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter p(&writer);
        p.drawRect(100, 100, 2000, 3000);
        writer.newPage();
        writer.newPage();
        p.drawEllipse(100, 100, 2000, 2000);
    }
    RecordedDoc r;
    r.prompts.openFiles.push_back(pdf);
    int pages = 0, widthOnPage3 = 0;
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        auto* page = Named<QSpinBox>(*d, "page");
        pages = page->maximum();
        page->setValue(3);
        ClickPlan(*d, {100, 100});
        ClickPlan(*d, {1900, 100});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "20m");
        widthOnPage3 = static_cast<int>(Named<QDoubleSpinBox>(*d, "x2")->maximum());
        QTest::mouseClick(OkButton(*d), Qt::LeftButton);
    });
    LoadFloorPlan(r.doc, nullptr);
    EXPECT_EQ(pages, 3);
    EXPECT_GE(widthOnPage3, 2000);
    ASSERT_TRUE(r.doc.m_bMapLoaded) << ::testing::PrintToString(r.prompts.Messages());
    EXPECT_EQ(r.doc.m_nImageWidth, widthOnPage3);
    EXPECT_NEAR(r.doc.m_dMetersPerPixelX * 1800, 20.0, 0.05);
}

// A processed survey keeps its work through Cancel; accepted, the plan replaces its map and the
// survey is placed on the plan and processed again, with the warning that a plan left at 0,0 is not
// where the survey was made.
TEST(FloorPlanDialog, AProcessedSurveyIsPlacedOnThePlanOnlyWhenAccepted) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 800, 500);
    RecordedDoc r;
    ASSERT_TRUE(LoadDemoProject(r.doc, false));
    ASSERT_TRUE(r.doc.m_bDataLoaded);
    const std::size_t aps = r.doc.m_aAPs.size();
    const double demoScale = r.doc.m_dMetersPerPixelX;
    r.prompts.prompts.clear();
    r.prompts.answers = {true};
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) { d->reject(); });
    LoadFloorPlan(r.doc, nullptr);
    EXPECT_TRUE(r.doc.m_bDataLoaded);
    EXPECT_EQ(r.doc.m_dMetersPerPixelX, demoScale);
    EXPECT_EQ(r.doc.m_aAPs.size(), aps);

    r.prompts.answers = {true};
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {10, 10});
        ClickPlan(*d, {790, 10});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "30");
        QTest::keyClick(Named<QLineEdit>(*d, "distance"), Qt::Key_Return);
    });
    LoadFloorPlan(r.doc, nullptr);
    ASSERT_TRUE(r.doc.m_bMapLoaded);
    EXPECT_NEAR(r.doc.m_dMetersPerPixelX, 30.0 / 780.0, 30.0 / 780.0 * 0.01);
    EXPECT_TRUE(r.doc.m_bMetricXY);
    EXPECT_TRUE(r.doc.m_bDataLoaded);
    EXPECT_EQ(r.doc.m_aAPs.size(), aps);
    const auto messages = r.prompts.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().rfind("Map Outside the Survey: ", 0), 0u)
        << ::testing::PrintToString(messages);
}
