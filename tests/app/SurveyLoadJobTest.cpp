// Loading survey files from the window: the files are read and placed as a job and the processing
// follows; the project it makes is the one the synchronous path makes, the reader's messages come
// once each, and a Cancel or a selection of unreadable files leaves the project exactly as it was.
#include "files/SurveyLoadJob.h"
#include "gui/GuiSession.h"
#include "files/NewProject.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

class SurveyLoadJobs : public ::testing::Test {
  protected:
    SurveyLoadJobs() {
        session.setPrompts(&prompts);
        session.doc().OnNewDocument();
        std::ofstream(junk) << "not a survey file at all";
        // A wardriving log without one Wi-Fi row: its skip summary, then the refusal.
        std::ofstream(bleOnly)
            << "WigleWifi-1.6,model=x\n"
               "MAC,SSID,AuthMode,FirstSeen,Channel,Frequency,RSSI,CurrentLatitude,CurrentLongitude,"
               "AltitudeMeters,AccuracyMeters,RCOIs,MfgrId,Type\n"
               "6a:1f:95:f0:b7:53,\"\",Misc [BLE],2026-08-08 "
               "06:49:57,0,,-94,-33.39,151.34,30.6,1.7,,004C,BLE\n";
    }

    CPlotraDoc& Doc() { return session.doc(); }
    std::vector<CDataFile> Files(const std::vector<std::string>& paths) {
        std::vector<CDataFile> files;
        for (const std::string& p : paths)
            EXPECT_TRUE(AddSurveyFile(files, p, prompts));
        return files;
    }
    bool WaitForJobs() {
        return WaitUntil([&] { return !session.jobRunning(); }, 60000);
    }

    SettingsSandbox settings;
    TempDir dir;
    const std::string demo1 = PLOTRA_SOURCE_DIR "/samples/demo1.hsd";
    const std::string demo2 = PLOTRA_SOURCE_DIR "/samples/demo2.hsd";
    const std::string missing = dir.File("missing.hsd");
    const std::string junk = dir.File("junk.hsd");
    const std::string bleOnly = dir.File("ble.csv");
    PromptRecorder prompts;
    GuiSession session;
};

} // namespace

TEST_F(SurveyLoadJobs, TheJobMakesTheProjectTheSynchronousPathMakes) {
    const std::vector<std::string> paths{demo1, missing, junk, demo2};
    // The reference: the same files read and processed at once on this thread.
    CPlotraDoc reference;
    PromptRecorder referencePrompts;
    reference.SetOutside(&referencePrompts, nullptr, nullptr);
    reference.OnNewDocument();
    ASSERT_TRUE(reference.ReplaceSurveyFiles(Files(paths), true));

    int finished = 0;
    QObject::connect(&session, &GuiSession::jobFinished, [&](bool) { ++finished; });
    session.replaceSurveyFiles(Files(paths), true);
    ASSERT_TRUE(session.jobRunning());
    EXPECT_TRUE(Doc().Survey().m_aFiles.empty()) << "the project changed before the files were read";
    EXPECT_TRUE(prompts.Messages().empty()) << "a message came from the job's thread";
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(finished, 2) << "the reading and the processing";
    EXPECT_EQ(Doc().Display().m_bDataLoaded, 1);

    // The same messages, once each, in the reader's order.
    const std::vector<std::string> expected{"File Open Error: Could not open file \"" + missing + "\".",
                                            "Invalid File: File is not a valid HSD file: \"" + junk + "\"."};
    EXPECT_EQ(referencePrompts.Messages(), expected);
    EXPECT_EQ(prompts.Messages(), expected);
    EXPECT_EQ(Doc().EncodeWorkspace(), reference.EncodeWorkspace());
    EXPECT_EQ(Doc().Survey().m_aDataPoints.size(), reference.Survey().m_aDataPoints.size());
    EXPECT_EQ(Doc().Survey().m_aApMarkers.size(), reference.Survey().m_aApMarkers.size());
}

TEST_F(SurveyLoadJobs, CancelAndUnreadableFilesLeaveTheProjectExactlyAsItWas) {
    // The user's project: processed, saved, then edited.
    const std::string workspace = dir.File("project.hws");
    {
        CPlotraDoc source;
        LoadProcessedTiny(source);
        ASSERT_TRUE(source.WriteWorkspace(workspace));
    }
    ASSERT_TRUE(Doc().OnOpenDocument(workspace));
    Doc().SetAlpha(Doc().Display().m_nAlpha == 100 ? 120 : 100);
    ASSERT_TRUE(Doc().IsModified());
    const std::vector<std::uint8_t> before = Doc().EncodeWorkspace();
    const std::size_t points = Doc().Survey().m_aDataPoints.size();
    auto unchanged = [&] {
        EXPECT_EQ(Doc().EncodeWorkspace(), before);
        EXPECT_EQ(Doc().Survey().m_aDataPoints.size(), points);
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_EQ(Doc().Project().m_bWorkspaceNamed, 1);
        EXPECT_TRUE(session.undoStack().CanUndo());
    };

    // Cancelled: whether the reading had ended or not, nothing is taken and nothing is said.
    session.replaceSurveyFiles(Files({demo1, missing}), true);
    ASSERT_TRUE(session.jobRunning());
    Doc().SetAlpha(7);
    EXPECT_NE(Doc().Display().m_nAlpha, 7) << "an edit was taken while the loading runs";
    prompts.prompts.clear();
    session.cancelJob();
    ASSERT_TRUE(WaitForJobs());
    unchanged();
    EXPECT_TRUE(prompts.Messages().empty());

    // None of the files can be read: each says why, once, then the project is said to be unchanged.
    session.replaceSurveyFiles(Files({missing, junk, bleOnly}), false);
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::string>{
                  "File Open Error: Could not open file \"" + missing + "\".",
                  "Invalid File: File is not a valid HSD file: \"" + junk + "\".",
                  "WiGLE Import: " + bleOnly + ": 1 of 1 rows skipped (non-WIFI rows: 1)",
                  "Invalid File: File is not a valid HSD file: \"" + bleOnly + "\".",
                  "New Project: None of the chosen survey files could be read. The project is unchanged."}));
    unchanged();
}

TEST(SurveyLoad, ACancelInsideTheReaderStopsItWithNothingToTake) {
    CPlotraDoc live;
    Progress progress;
    std::vector<CDataFile> files;
    PromptRecorder prompts;
    ASSERT_TRUE(AddSurveyFile(files, PLOTRA_SOURCE_DIR "/samples/demo1.hsd", prompts));
    ASSERT_TRUE(AddSurveyFile(files, "/no/such/file.hsd", prompts));
    progress.requestCancel();
    const LoadedSurvey loaded = ReadAndPlaceSurvey(SurveyLoadDocument(live, files, true), &progress);
    EXPECT_EQ(loaded.status, LoadedSurvey::Cancelled);
    EXPECT_EQ(loaded.doc, nullptr);
    EXPECT_TRUE(loaded.messages.empty());
}

// Loading a map over a placed survey: the map and the survey read again onto it come from a job,
// and the project is the one the synchronous command makes; a refused file or a Cancel leave it as
// it was.
TEST_F(SurveyLoadJobs, AMapLoadedAsAJobIsTheSynchronousOneAndACancelChangesNothing) {
    const std::string map = PLOTRA_SOURCE_DIR "/samples/demo.hpf";
    CPlotraDoc reference;
    PromptRecorder referencePrompts;
    reference.SetOutside(&referencePrompts, nullptr, nullptr);
    reference.OnNewDocument();
    ASSERT_TRUE(reference.ReplaceSurveyFiles(Files({demo1, demo2}), true));
    ASSERT_TRUE(reference.LoadProjectionFile(map));

    session.replaceSurveyFiles(Files({demo1, demo2}), true);
    ASSERT_TRUE(WaitForJobs());
    prompts.prompts.clear();
    prompts.openFiles.push_back(map);
    session.loadMap();
    ASSERT_TRUE(session.jobRunning());
    EXPECT_EQ(Doc().Map().m_nMapImageSize, 0) << "the project changed before the map was read";
    ASSERT_TRUE(WaitForJobs());
    EXPECT_GT(Doc().Map().m_nMapImageSize, 0);
    EXPECT_EQ(Doc().Map().m_strProjectionPath, map);
    EXPECT_EQ(Doc().Display().m_bDataLoaded, 1) << "processed again on the new map";
    EXPECT_EQ(Doc().EncodeWorkspace(), reference.EncodeWorkspace());
    EXPECT_EQ(prompts.Messages(), referencePrompts.Messages());

    const std::vector<std::uint8_t> before = Doc().EncodeWorkspace();
    auto unchanged = [&] {
        EXPECT_EQ(Doc().EncodeWorkspace(), before);
        EXPECT_EQ(Doc().Map().m_strProjectionPath, map);
        EXPECT_FALSE(session.jobRunning());
    };
    // A file that is no map: said once, after the job; the project keeps its map and survey.
    prompts.prompts.clear();
    prompts.answers = {true}; // replace the current map
    prompts.openFiles.push_back(junk);
    session.loadMap();
    ASSERT_TRUE(WaitForJobs());
    EXPECT_EQ(prompts.Messages(), (std::vector<std::string>{"Invalid File: File is not recognized as a HPF file."}));
    unchanged();
    // Cancelled, whether the reading had ended or not: nothing is taken and nothing is said.
    prompts.prompts.clear();
    prompts.answers = {true};
    prompts.openFiles.push_back(map);
    session.loadMap();
    ASSERT_TRUE(session.jobRunning());
    session.cancelJob();
    ASSERT_TRUE(WaitForJobs());
    EXPECT_TRUE(prompts.Messages().empty());
    unchanged();
}
