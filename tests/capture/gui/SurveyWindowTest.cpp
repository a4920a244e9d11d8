// Survey > Start Survey in the window: a replayed walk drawn as it grows, the APs heard listed, the
// file complete at Stop, and the offer to make it the project.
#include "app/GuiSession.h"
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
        return doc.m_aDataPoints.size();
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
    ASSERT_TRUE(WaitUntil([&] { return !prompts.prompts.empty() && !session.jobRunning() &&
                                       !session.doc().m_aAPs.empty(); },
                          60000));
    EXPECT_EQ(prompts.prompts.front().text, question);
    ASSERT_EQ(session.doc().m_aFiles.size(), 1u);
    EXPECT_EQ(session.doc().m_aFiles.front().m_strPath, out);
    EXPECT_EQ(static_cast<long>(session.doc().m_aDataPoints.size()), written);
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
    EXPECT_TRUE(session.doc().m_aFiles.empty()); // No: the project was not replaced
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
