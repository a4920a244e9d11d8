// "Load Floor Plan..." as a user goes through it: the file chooser, the scale dialog (two clicks on
// the plan, a distance typed, the unit and north chosen), and the project's map afterwards; Cancel,
// Esc and No at the replacement question leave the project as it was.
#include "georef/gui/FloorPlanDialog.h"
#include "gui/GuiSession.h"
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
#include <QWheelEvent>

#include <cmath>

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

/// The window's session with recorded prompts: the command takes the plan as a job, which Load waits
/// for.
struct PlanSession {
    PromptRecorder prompts;
    GuiSession session;
    PlanSession() {
        session.setPrompts(&prompts);
        session.doc().OnNewDocument();
    }
    CPlotraDoc& doc() { return session.doc(); }
    void Load() {
        LoadFloorPlan(session, nullptr);
        EXPECT_TRUE(WaitUntil([&] { return !session.jobRunning(); }, 60000));
    }
};

} // namespace

TEST(FloorPlanDialog, TwoClicksAndADistanceMakeTheProjectsMap) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 1000, 600);
    PlanSession r;
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
    r.Load();

    EXPECT_FALSE(okBefore);
    EXPECT_EQ(summaryBefore, "Type the distance between the two points.");
    ASSERT_EQ(r.prompts.choosers.size(), 1u);
    EXPECT_EQ(r.prompts.choosers[0].title, "Load Floor Plan");
    EXPECT_EQ(r.prompts.Messages(), std::vector<std::string>{});
    ASSERT_TRUE(r.doc().Map().m_bMapLoaded);
    EXPECT_EQ(r.doc().Map().m_strProjectionPath, plan);
    EXPECT_EQ(r.doc().Map().m_nImageWidth, 1000);
    // Clicks land on whole screen pixels: the points are within a plan pixel or two of the aim.
    const double metresPerPixel = 131.2 * 0.3048 / 800.0;
    EXPECT_NEAR(r.doc().Map().m_dMetersPerPixelX / metresPerPixel, 1.0, 0.005);
    EXPECT_NEAR(r.doc().Map().m_dMetersPerPixelY, r.doc().Map().m_dMetersPerPixelX,
                r.doc().Map().m_dMetersPerPixelX * 1e-4);
    EXPECT_NE(summaryAfter.find("pixels = 131.2 ft"), std::string::npos) << summaryAfter;
    // North 90 degrees clockwise from up: north is to the plan's right.
    const auto left = r.doc().MapToGeoQuiet(0, 100),
               right = r.doc().MapToGeoQuiet(r.doc().Map().m_dMapWidth, 100);
    EXPECT_GT(right->m_dY, left->m_dY);
    EXPECT_NEAR(right->m_dX, left->m_dX, 1e-9);
}

TEST(FloorPlanDialog, CancelEscAndNoChangeNothing) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 400, 300);
    PlanSession r;
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        Named<QDoubleSpinBox>(*d, "x1")->setValue(10);
        Named<QDoubleSpinBox>(*d, "x2")->setValue(300);
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "12");
        d->reject();
    });
    r.Load();
    EXPECT_FALSE(r.doc().Map().m_bMapLoaded);

    // A map loaded: No at the question asks for no file; Yes and then Esc keeps the old map.
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {20, 20});
        ClickPlan(*d, {380, 20});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "12");
        QTest::mouseClick(OkButton(*d), Qt::LeftButton);
    });
    r.Load();
    ASSERT_TRUE(r.doc().Map().m_bMapLoaded);
    const auto coefficients = r.doc().Map().m_adProj;
    const double scale = r.doc().Map().m_dMetersPerPixelX;
    r.prompts.prompts.clear();
    r.prompts.choosers.clear();
    r.prompts.answers = {false};
    r.Load();
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
    r.Load();
    EXPECT_TRUE(r.doc().Map().m_bMapLoaded);
    EXPECT_EQ(r.doc().Map().m_adProj, coefficients);
    EXPECT_EQ(r.doc().Map().m_dMetersPerPixelX, scale);
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
    PlanSession r;
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
    r.Load();
    EXPECT_EQ(pages, 3);
    EXPECT_GE(widthOnPage3, 2000);
    ASSERT_TRUE(r.doc().Map().m_bMapLoaded) << ::testing::PrintToString(r.prompts.Messages());
    EXPECT_EQ(r.doc().Map().m_nImageWidth, widthOnPage3);
    EXPECT_NEAR(r.doc().Map().m_dMetersPerPixelX * 1800, 20.0, 0.05);
}

// A processed survey keeps its work through Cancel; accepted, the plan replaces its map and the
// survey is placed on the plan and processed again, with the warning that a plan left at 0,0 is not
// where the survey was made.
TEST(FloorPlanDialog, AProcessedSurveyIsPlacedOnThePlanOnlyWhenAccepted) {
    TempDir dir;
    const std::string plan = WritePlan(dir, 800, 500);
    PlanSession r;
    ASSERT_TRUE(LoadDemoProject(r.doc(), false));
    ASSERT_TRUE(WaitUntil([&] { return !r.session.jobRunning(); }, 60000));
    ASSERT_TRUE(r.doc().Display().m_bDataLoaded);
    const std::size_t aps = r.doc().Aps().m_aAPs.size();
    const double demoScale = r.doc().Map().m_dMetersPerPixelX;
    r.prompts.prompts.clear();
    r.prompts.answers = {true};
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) { d->reject(); });
    r.Load();
    EXPECT_TRUE(r.doc().Display().m_bDataLoaded);
    EXPECT_EQ(r.doc().Map().m_dMetersPerPixelX, demoScale);
    EXPECT_EQ(r.doc().Aps().m_aAPs.size(), aps);

    r.prompts.answers = {true};
    r.prompts.openFiles.push_back(plan);
    OnNextModal<FloorPlanDialog>([&](FloorPlanDialog* d) {
        ClickPlan(*d, {10, 10});
        ClickPlan(*d, {790, 10});
        QTest::keyClicks(Named<QLineEdit>(*d, "distance"), "30");
        QTest::keyClick(Named<QLineEdit>(*d, "distance"), Qt::Key_Return);
    });
    r.Load();
    ASSERT_TRUE(r.doc().Map().m_bMapLoaded);
    EXPECT_NEAR(r.doc().Map().m_dMetersPerPixelX, 30.0 / 780.0, 30.0 / 780.0 * 0.01);
    EXPECT_TRUE(r.doc().Map().m_bMetricXY);
    EXPECT_TRUE(r.doc().Display().m_bDataLoaded);
    EXPECT_EQ(r.doc().Aps().m_aAPs.size(), aps);
    const auto messages = r.prompts.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front().rfind("Map Outside the Survey: ", 0), 0u)
        << ::testing::PrintToString(messages);
}

// A click is as precise as a screen pixel: the wheel magnifies the plan about the mouse (the pixel
// under it stays there), the right button pans, and a click then lands within a fraction of a plan
// pixel.
TEST(FloorPlanDialog, TheWheelZoomsForPreciseClicks) {
    TempDir dir;
    const std::string path = WritePlan(dir, 3000, 2000);
    FloorPlanDialog dialog(path, LoadPlanPicture(path));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    PlanCanvas* canvas = dialog.canvas();
    const QPointF aim(1234.5, 876.25);
    const QPointF at = canvas->toWidget(aim);
    const double unzoomed = (canvas->toPlan(at + QPointF(1, 0)) - canvas->toPlan(at)).x();
    EXPECT_GT(unzoomed, 3.0); // plan pixels per screen pixel before zooming
    for (int i = 0; i < 12; ++i) {
        QWheelEvent wheel(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
    }
    EXPECT_NEAR(canvas->zoom(), std::pow(1.25, 12), 1e-9);
    EXPECT_NEAR((canvas->toWidget(aim) - at).manhattanLength(), 0.0, 1e-6);
    QTest::mouseClick(canvas, Qt::LeftButton, {}, canvas->toWidget(aim).toPoint());
    EXPECT_NEAR(Named<QDoubleSpinBox>(dialog, "x1")->value(), aim.x(), 0.15);
    EXPECT_NEAR(Named<QDoubleSpinBox>(dialog, "y1")->value(), aim.y(), 0.15);

    // Dragging with the right button moves the plan with the mouse and sets no point.
    QTest::mousePress(canvas, Qt::RightButton, {}, at.toPoint());
    QMouseEvent move(QEvent::MouseMove, at + QPointF(40, 25), canvas->mapToGlobal(at + QPointF(40, 25)),
                     Qt::NoButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
    QTest::mouseRelease(canvas, Qt::RightButton, {}, (at + QPointF(40, 25)).toPoint());
    EXPECT_NEAR((canvas->toWidget(aim) - (at + QPointF(40, 25))).manhattanLength(), 0.0,
                1.0); // press rounded
    EXPECT_EQ(Named<QDoubleSpinBox>(dialog, "x2")->value(), 0.0);
    // Zoomed all the way out, the whole plan is in view again.
    for (int i = 0; i < 20; ++i) {
        QWheelEvent wheel(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
    }
    EXPECT_EQ(canvas->zoom(), 1.0);
    EXPECT_NEAR((canvas->toPlan(canvas->toWidget({0, 0}))).manhattanLength(), 0.0, 1e-6);
    EXPECT_GE(canvas->toWidget({0, 0}).x(), 0.0);
    EXPECT_LE(canvas->toWidget({3000, 2000}).x(), canvas->width() + 1e-6);
}
