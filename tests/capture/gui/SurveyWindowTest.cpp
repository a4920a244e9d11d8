// Survey > Start Survey in the window: a replayed walk drawn as it grows, the APs heard listed, the
// file complete at Stop, and the offer to make it the project.
#include "gui/GuiSession.h"
#include "capture/SimulatedRecording.h"
#include "capture/gui/LiveSurvey.h"
#include "capture/gui/SurveyDialog.h"
#include "files/FileIo.h"
#include "model/PlotraDoc.h"
#include "sim/SurveyGenerator.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

#include <filesystem>
#include <fstream>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

class SurveyWindowTest : public ::testing::Test {
  protected:
    SurveyWindowTest() : survey(sim::Generate(*sim::BuiltInScenario("tiny"), 3)) {
        session.setPrompts(&prompts);
        session.doc().OnNewDocument();
        EXPECT_TRUE(capture::WriteSimulatedRecordings(survey, dir.Path(), nullptr));
        const std::string stem = survey.files.front().name.substr(0, survey.files.front().name.rfind('.'));
        scans = dir.File(stem + ".scans");
        gps = dir.File(stem + ".gps.json");
    }

    /// Starts a survey through the dialog, as the menu command does.
    LiveSurvey* Start(const std::string& recording, const std::string& out, bool realtime) {
        OnNextModal<SurveyDialog>([=, this](SurveyDialog* d) {
            SurveySetup s;
            s.sources.replayScans = recording;
            s.sources.replayGps = gps;
            s.realtime = realtime;
            s.surveyFile = out;
            d->setSetup(s);
            d->accept();
        });
        return StartSurvey(session, nullptr);
    }

    /// The points of a survey file as the program reads it.
    std::size_t PointsIn(const std::string& path) {
        CPlotraDoc doc;
        const auto file = ReadWholeFile(path);
        EXPECT_TRUE(doc.ReadSurveyFile(file.bytes)) << path;
        return doc.Survey().m_aDataPoints.size();
    }

    SettingsSandbox settings;
    TempDir dir;
    sim::GeneratedSurvey survey;
    std::string scans, gps;
    PromptRecorder prompts;
    GuiSession session;
};

} // namespace

TEST_F(SurveyWindowTest, AReplayedWalkIsDrawnAsItGrowsAndBecomesTheProject) {
    const std::string out = dir.File("walk.hsd");
    prompts.answers = {true}; // process it
    LiveSurvey* s = Start(scans, out, false);
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(session.graphOverlay()); // the path is drawn over the graph while it grows
    ASSERT_TRUE(WaitUntil([&] { return !s->running(); }, 60000));
    const long written = s->status().pointsWritten;
    ASSERT_GT(written, 20);
    EXPECT_EQ(static_cast<long>(s->track().points.size()), written);
    EXPECT_GE(s->track().heard.size(), 3u);
    EXPECT_TRUE(s->failure().isEmpty()) << s->failure().toStdString();
    EXPECT_NE(s->statusText().indexOf(QStringLiteral("%1 points").arg(written)), -1);

    // The path: drawn fitted into a picture when there is no map.
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter p(&picture);
        PaintLiveTrack(p, session.doc(), PixelMapping{}, picture.size(), s->track());
    }
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) drawn += picture.pixel(x, y) != qRgb(255, 255, 255);
    EXPECT_GT(drawn, 300);

    // Stop asked whether to process; Yes made the survey file the project, processed as a job.
    const std::string question = "The survey was written to " + out + ": " + std::to_string(written) +
                                 " points, " + std::to_string(s->track().heard.size()) +
                                 " APs heard.\n\nProcess it into the project now?";
    ASSERT_TRUE(WaitUntil(
        [&] {
            return !prompts.prompts.empty() && !session.jobRunning() && !session.doc().Aps().m_aAPs.empty();
        },
        60000));
    EXPECT_EQ(prompts.prompts.front().text, question);
    ASSERT_EQ(session.doc().Survey().m_aFiles.size(), 1u);
    EXPECT_EQ(session.doc().Survey().m_aFiles.front().m_strPath, out);
    EXPECT_EQ(static_cast<long>(session.doc().Survey().m_aDataPoints.size()), written);
    EXPECT_FALSE(session.graphOverlay()); // the project draws its own path now
    EXPECT_EQ(static_cast<long>(PointsIn(out)), written);
}

TEST_F(SurveyWindowTest, StopKeepsEveryScanWrittenAndARefusedRecordingWritesNothing) {
    const std::string out = dir.File("stopped.hsd");
    prompts.answers = {false}; // keep the project as it is
    LiveSurvey* s = Start(scans, out, true); // at the recorded pace: a point a second
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return s->track().points.size() >= 2; }, 30000));
    StopSurvey(s);
    ASSERT_TRUE(WaitUntil([&] { return !s->running(); }, 30000));
    const long written = s->status().pointsWritten;
    EXPECT_GE(written, 2);
    EXPECT_LT(static_cast<std::size_t>(written), static_cast<std::size_t>(survey.files.front().points));
    EXPECT_EQ(static_cast<long>(PointsIn(out)), written);
    ASSERT_TRUE(WaitUntil([&] { return !prompts.prompts.empty(); }, 10000));
    EXPECT_TRUE(session.doc().Survey().m_aFiles.empty()); // No: the project was not replaced
    delete s;

    // A recording that is not one: refused with its reason, no survey file.
    const std::string bogus = dir.File("bogus.scans"), none = dir.File("none.hsd");
    std::ofstream(bogus) << "not a recording";
    prompts.prompts.clear();
    LiveSurvey* refused = Start(bogus, none, false);
    ASSERT_NE(refused, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !refused->running(); }, 30000));
    EXPECT_FALSE(refused->failure().isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return !prompts.prompts.empty(); }, 10000));
    EXPECT_EQ(prompts.prompts.front().caption, "Survey");
    EXPECT_FALSE(std::filesystem::exists(none));
}

// Indoors: the graph's clicks on the plan place the scans of a paced replay along the walk, and
// Edit > Undo's way (undoClick) takes a wrong turn back.
TEST_F(SurveyWindowTest, ClicksOnThePlanPlaceTheScansAlongTheWalk) {
    ASSERT_TRUE(session.doc().LoadProjectionFile(std::string(PLOTRA_SOURCE_DIR) + "/samples/demo.hpf"));
    const std::string out = dir.File("indoor.hsd");
    OnNextModal<SurveyDialog>([=, this](SurveyDialog* d) {
        SurveySetup s;
        s.sources.replayScans = scans;
        s.realtime = true;
        s.clickMode = capture::ClickMode::Continuous;
        s.surveyFile = out;
        d->setSetup(s);
        d->accept();
    });
    LiveSurvey* s = StartSurvey(session, nullptr);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(s->placesByClicks());
    ASSERT_TRUE(session.graphClick());
    const CPlotraDoc& doc = session.doc();
    // Map metres of three corners of a walk, and a slip of the mouse.
    const double w = doc.Map().m_dMapWidth, h = doc.Map().m_dMapHeight;
    const std::pair<double, double> a{w * 0.2, h * 0.2}, b{w * 0.6, h * 0.2}, slip{w * 0.9, h * 0.9},
        c{w * 0.6, h * 0.7};
    const auto scansSoFar = [&] { return s->status().scans; };
    ASSERT_TRUE(WaitUntil([&] { return scansSoFar() >= 1; }, 20000));
    EXPECT_TRUE(session.graphClick()(a.first, a.second));
    ASSERT_TRUE(WaitUntil([&] { return scansSoFar() >= 4; }, 20000));
    EXPECT_TRUE(session.graphClick()(b.first, b.second));
    ASSERT_TRUE(WaitUntil([&] { return scansSoFar() >= 6; }, 20000));
    EXPECT_TRUE(session.graphClick()(slip.first, slip.second));
    EXPECT_TRUE(s->undoClick());
    EXPECT_TRUE(session.graphClick()(c.first, c.second));
    ASSERT_EQ(s->clicks().size(), 3u);
    ASSERT_TRUE(WaitUntil([&] { return scansSoFar() >= 8; }, 20000));
    StopSurvey(s);
    ASSERT_TRUE(WaitUntil([&] { return !s->running(); }, 20000));
    EXPECT_FALSE(session.graphClick()); // the graph's clicks are the view's again

    CPlotraDoc read;
    ASSERT_TRUE(read.ReadSurveyFile(ReadWholeFile(out).bytes));
    ASSERT_GE(read.Survey().m_aDataPoints.size(), 3u);
    EXPECT_EQ(static_cast<long>(read.Survey().m_aDataPoints.size()), s->status().pointsWritten);
    // Every scan lies on the walk a → b → c (never towards the slip), with the fix "No".
    const auto onSegment = [](double px, double py, std::pair<double, double> p, std::pair<double, double> q) {
        const double dx = q.first - p.first, dy = q.second - p.second;
        const double t = std::clamp(((px - p.first) * dx + (py - p.second) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(px - (p.first + t * dx), py - (p.second + t * dy));
    };
    for (std::size_t i = 0; i < read.Survey().m_aDataPoints.size(); ++i) {
        const CPointRecord& rec = read.Survey().m_aDataPoints[i].m_rec;
        EXPECT_EQ(rec.m_byFix, 0);
        const CDataGeo m = doc.GeoToMap(rec.m_nLatMas / 3600000.0, rec.m_nLonMas / 3600000.0);
        EXPECT_LT(std::min(onSegment(m.m_dX, m.m_dY, a, b), onSegment(m.m_dX, m.m_dY, b, c)), 0.5) << i;
    }
}
