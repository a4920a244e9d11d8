// The new-project flow: the first call at start-up, the questions, reading the ticked files with their
// messages, and how access points, colours and paths are built from the points.
#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace plotra;
using namespace plotra::test;

namespace {

struct Project : RecordedDoc {
    TempDir dir;

    Project() {
        Edit::Display(doc).m_bStarted = 1;
        Edit::Map(doc).m_bMapLoaded = 1; // no projection question unless a test asks for it
    }
    std::string Add(const std::string& name, const SurveyFileImage& image, bool ticked = true) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteSurveyFile(path, image));
        AddPath(name, path, ticked);
        return path;
    }
    void AddPath(const std::string& name, const std::string& path, bool ticked = true) {
        CDataFile f;
        f.m_strName = name;
        f.m_strPath = path;
        f.m_bUse = ticked ? 1 : 0;
        Edit::Survey(doc).m_aFiles.push_back(f);
    }
    bool Load() { return doc.LoadSurveyFiles(); }
    /// The selection dialog's next answer: the current files, merged or not.
    void AnswerSelection(bool merge = true) {
        prompts.surveySelections.push_back(SurveySelection{doc.Survey().m_aFiles, merge});
    }
    std::vector<std::string> Ssids() const {
        std::vector<std::string> out;
        for (const auto& ap : doc.Aps().m_aAPs)
            out.push_back(ap.SsidText());
        return out;
    }
};

SurveyFileImage Image(std::vector<CDataPoint> points) {
    SurveyFileImage img;
    img.surveyTime = 741476948;
    img.records = std::move(points);
    return img;
}

/// File A hears AP 1 ("alpha") and AP 2 ("beta"); file B hears AP 1 and AP 3 (an SSID of 32 characters).
SurveyFileImage FileA() {
    return Image({MakePoint(46.0, 7.0, {MakeReading(1, -60, 1, "alpha"), MakeReading(6, -70, 2, "beta")}),
                  MakePoint(46.0001, 7.0, {MakeReading(1, -62, 1, "alpha")})});
}
SurveyFileImage FileB() {
    return Image({MakePoint(46.001, 7.001, {MakeReading(11, -65, 3, "Plotra-Campus-Network-Thirty-Two")}),
                  MakePoint(46.0011, 7.001, {MakeReading(1, -75, 1, "alpha")})});
}

} // namespace

TEST(NewProject, FirstCallAtStartUpOnlyMarksTheDocument) {
    CPlotraDoc doc;
    PromptRecorder prompts;
    doc.SetOutside(&prompts, nullptr, nullptr);
    EXPECT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(doc.Display().m_bStarted, 1);
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST(NewProject, TableWindowMustNotBeActive) {
    Project p;
    p.Add("a.hsd", FileA());
    Edit::Display(p.doc).m_bTableWindowActive = 1;
    EXPECT_FALSE(p.doc.OnNewDocument());
    ASSERT_EQ(p.prompts.prompts.size(), 1u);
    EXPECT_EQ(p.prompts.prompts[0].text, "Please Select Graph Window");
    EXPECT_EQ(p.prompts.prompts[0].caption, "Invalid Window");
    EXPECT_EQ(p.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_TRUE(p.doc.Survey().m_aDataPoints.empty());
}

TEST(NewProject, WithoutAMapTheUserMayLoadOneFirst) {
    Project p;
    p.Add("a.hsd", FileA());
    Edit::Map(p.doc).m_bMapLoaded = 0;
    p.prompts.answers = {true};
    EXPECT_FALSE(p.doc.OnNewDocument()); // Yes: the map comes first, nothing is loaded
    ASSERT_EQ(p.prompts.prompts.size(), 1u);
    EXPECT_EQ(p.prompts.prompts[0].kind, "question");
    EXPECT_EQ(p.prompts.prompts[0].text,
              "No projection file is detected. Do you want to input projection file first?");
    EXPECT_EQ(p.prompts.prompts[0].caption, "No Projection File");
    EXPECT_TRUE(p.doc.Survey().m_aDataPoints.empty());

    p.AnswerSelection();
    EXPECT_TRUE(p.doc.OnNewDocument()); // No: continue without a map
    EXPECT_EQ(p.doc.Aps().m_aAPs.size(), 2u);
    EXPECT_EQ(p.doc.Display().m_bDataLoaded, 1);
    EXPECT_EQ(p.doc.Map().m_bMetricXY, 0);

    // The selection dialog cancelled: nothing changes.
    EXPECT_FALSE(p.doc.OnNewDocument());
    EXPECT_EQ(p.doc.Aps().m_aAPs.size(), 2u);
}

TEST(NewProject, EachRefusedFileIsNamedAndUnticked) {
    Project p;
    const std::string missing = p.dir.File("missing.hsd");
    p.AddPath("missing.hsd", missing);
    const std::string junk = p.dir.File("junk.hsd");
    std::ofstream(junk) << "not a survey file at all";
    p.AddPath("junk.hsd", junk);
    // The right magic but a body header beyond the end of the file.
    auto bytes = EncodeSurveyFile(FileA());
    bytes.resize(26);
    const std::string cut = p.dir.File("cut.hsd");
    ASSERT_TRUE(WriteFileAtomically(cut, bytes));
    p.AddPath("cut.hsd", cut);
    const std::string good = p.Add("good.hsd", FileA());
    p.Add("spare.hsd", FileB(), false);

    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.prompts.Messages(), (std::vector<std::string>{
                                        "File Open Error: Could not open file \"" + missing + "\".",
                                        "Invalid File: File is not a valid HSD file: \"" + junk + "\".",
                                        "Invalid File: File is not a valid HSD file: \"" + cut + "\".",
                                    }));
    const auto& f = p.doc.Survey().m_aFiles;
    EXPECT_EQ(f[0].m_bUse + f[1].m_bUse + f[2].m_bUse, 0);
    EXPECT_EQ(f[3].m_bUse, 1);
    EXPECT_EQ(f[4].m_bUse, 0);
    EXPECT_EQ(f[3].m_strCreated, SurveyTimeText(741476948));
    EXPECT_TRUE(f[4].m_strCreated.empty());
    EXPECT_EQ(p.doc.Survey().m_aFilePointCount, (std::vector<int>{2}));
    EXPECT_EQ(p.doc.Survey().m_bNoData, 0);
    EXPECT_EQ(p.doc.Survey().m_strCurrentFile, f[4].m_strPath);
    for (PanelSection section : {kSectionMeasurement, kSectionSorting, kSectionReliability})
        EXPECT_FALSE(p.doc.SectionExpanded(section));
    EXPECT_EQ(p.host.title, "");
}

TEST(NewProject, ASelectionThatReadsNothingLeavesTheProjectAsItWas) {
    Project p;
    const std::string good = p.Add("a.hsd", FileA());
    ASSERT_TRUE(p.Load());
    const std::size_t aps = p.doc.Aps().m_aAPs.size(), points = p.doc.Survey().m_aDataPoints.size();
    ASSERT_GT(aps, 0u);

    // Loading again from files of which none can be read: each is reported and unticked, and the
    // project keeps its APs and points.
    Edit::Survey(p.doc).m_aFiles[0].m_strPath = p.dir.File("gone.hsd");
    EXPECT_FALSE(p.Load());
    EXPECT_EQ(p.doc.Aps().m_aAPs.size(), aps);
    EXPECT_EQ(p.doc.Survey().m_aDataPoints.size(), points);
    EXPECT_EQ(p.doc.Survey().m_bNoData, 0);
    EXPECT_EQ(p.doc.Survey().m_aFiles[0].m_bUse, 0);

    // Through "New Project": the project keeps its own files too, and the user is told.
    Edit::Survey(p.doc).m_aFiles[0].m_strPath = good;
    Edit::Survey(p.doc).m_aFiles[0].m_bUse = 1;
    p.doc.SetModifiedFlag(false); // nothing to save first
    p.prompts.prompts.clear();
    SurveySelection unreadable{{p.doc.Survey().m_aFiles[0]}, true};
    unreadable.files[0].m_strPath = p.dir.File("gone.hsd");
    p.prompts.surveySelections.push_back(unreadable);
    EXPECT_FALSE(p.doc.OnNewDocument());
    EXPECT_EQ(
        p.prompts.Messages(),
        (std::vector<std::string>{"File Open Error: Could not open file \"" + p.dir.File("gone.hsd") + "\".",
                                  "New Project: None of the chosen survey files could be read. The project "
                                  "is unchanged."}));
    ASSERT_EQ(p.doc.Survey().m_aFiles.size(), 1u);
    EXPECT_EQ(p.doc.Survey().m_aFiles[0].m_strPath, good);
    EXPECT_EQ(p.doc.Survey().m_aFiles[0].m_bUse, 1);
    EXPECT_EQ(p.doc.Aps().m_aAPs.size(), aps);
    EXPECT_FALSE(p.doc.IsModified());

    // A selection without a ticked file is refused before anything is read.
    p.prompts.prompts.clear();
    SurveySelection none{{p.doc.Survey().m_aFiles[0]}, true};
    none.files[0].m_bUse = 0;
    p.prompts.surveySelections.push_back(none);
    EXPECT_FALSE(p.doc.OnNewDocument());
    EXPECT_EQ(p.prompts.Messages(),
              std::vector<std::string>{"New Project: No survey file is ticked. The project is unchanged."});
    EXPECT_EQ(p.doc.Survey().m_aFiles[0].m_bUse, 1);
    EXPECT_EQ(p.doc.Aps().m_aAPs.size(), aps);

    // A new project that was read is not the workspace the old one was saved as: Save asks for a
    // name (offering the old one) instead of writing over it.
    Edit::Project(p.doc).m_strWorkspacePath = p.dir.File("old.hws");
    Edit::Project(p.doc).m_bWorkspaceNamed = 1;
    p.AnswerSelection();
    ASSERT_TRUE(p.doc.OnNewDocument());
    EXPECT_EQ(p.doc.Project().m_bWorkspaceNamed, 0);
    p.doc.OnSaveProject();
    ASSERT_FALSE(p.prompts.choosers.empty());
    EXPECT_EQ(p.prompts.choosers.back().title, "Save work space");
    EXPECT_EQ(p.prompts.choosers.back().defaultName, p.dir.File("old.hws"));
}

TEST(NewProject, MergeKeepsOneApPerMac) {
    Project p;
    p.Add("a.hsd", FileA());
    p.Add("b.hsd", FileB());
    Edit::Survey(p.doc).m_bMerge = 1;
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.Ssids(), (std::vector<std::string>{"alpha", "beta", "Plotra-Campus-Network-Thirty-Two"}));
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_aSamples.size(), 3u); // heard in both files
}

TEST(NewProject, WithoutMergeEachFileKeepsItsOwnAps) {
    Project p;
    p.Add("a.hsd", FileA());
    p.Add("b.hsd", FileB());
    Edit::Survey(p.doc).m_bMerge = 0;
    ASSERT_TRUE(p.Load());
    // "%s: %s" of SSID and file title, cut to 32 bytes.
    EXPECT_EQ(p.Ssids(), (std::vector<std::string>{"alpha: a.hsd", "beta: a.hsd",
                                                   "Plotra-Campus-Network-Thirty-Two", "alpha: b.hsd"}));
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_aSamples.size(), 2u);
    EXPECT_EQ(p.doc.Aps().m_aAPs[3].m_aSamples.size(), 1u);
}

TEST(NewProject, OneTickedFileNeverExtendsTheSsid) {
    Project p;
    p.Add("a.hsd", FileA());
    p.Add("b.hsd", FileB(), false);
    Edit::Survey(p.doc).m_bMerge = 0;
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.Ssids(), (std::vector<std::string>{"alpha", "beta"}));
}

TEST(NewProject, ColoursGoToTheFileFirstThenToItsNewAps) {
    Project p;
    p.Add("a.hsd", FileA());
    p.Add("b.hsd", FileB());
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.doc.Survey().m_aFileColor,
              (std::vector<COLORREF>{HsvToRgb(174, 224, 176), HsvToRgb(78, 224, 176)}));
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_crColour, HsvToRgb(226, 224, 176));
    EXPECT_EQ(p.doc.Aps().m_aAPs[1].m_crColour, HsvToRgb(26, 224, 176));
    EXPECT_EQ(p.doc.Aps().m_aAPs[2].m_crColour, HsvToRgb(130, 224, 176));
}

TEST(NewProject, PointWithoutReadingsStillAddsAPathPosition) {
    Project p;
    p.Add("a.hsd",
          Image({MakePoint(46.0, 7.0, {MakeReading(1, -60, 1, "alpha"), MakeReading(14, -61, 4, "ch14")}),
                 MakePoint(46.001, 7.0), MakePoint(46.002, 7.0, {MakeReading(13, -66, 1, "alpha")})}));
    p.Add("b.hsd", Image({MakePoint(46.0, 7.002)}));
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.doc.Path().m_aFilePathCount, (std::vector<int>{3, 1}));
    ASSERT_EQ(p.doc.Path().m_aPoints.size(), 4u);
    EXPECT_DOUBLE_EQ(p.doc.Path().m_aPoints[1].m_dY, 46.001);
    EXPECT_EQ(p.doc.Path().m_aGpsState.size(), 4u);
    EXPECT_TRUE(p.doc.Path().m_aMeasurements.empty());
    // Noise of the reading's channel; channel 14 has none in the file.
    const auto& alpha = p.doc.Aps().m_aAPs[0].m_aSamples;
    EXPECT_EQ(alpha[0].m_nNoise, -91);
    EXPECT_EQ(alpha[1].m_nNoise, -103);
    EXPECT_EQ(p.doc.Aps().m_aAPs[1].m_aSamples[0].m_nNoise, 0);
    EXPECT_EQ(p.doc.Aps().m_aAPs[1].m_byChannel, 14);
}

TEST(NewProject, OnAMapEveryPositionBecomesMapMetres) {
    Project p;
    p.Add("a.hsd", FileA());
    // Column = 1000 * lon, row = 500 - 1000 * lat, one metre per pixel, a 1000-pixel high map.
    Edit::Map(p.doc).m_adProj = {};
    Edit::Map(p.doc).m_adProj[1] = 1000.0;
    Edit::Map(p.doc).m_adProj[4] = -1000.0;
    Edit::Map(p.doc).m_adProj[7] = 500.0;
    Edit::Map(p.doc).m_nImageHeight = 1000;
    Edit::Map(p.doc).m_dMetersPerPixelX = Edit::Map(p.doc).m_dMetersPerPixelY = 1.0;
    Edit::Map(p.doc).m_nMapImageSize = 10;
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.doc.Map().m_bMetricXY, 1);
    const CDataGeo expected = p.doc.GeoToMap(46.0, 7.0);
    EXPECT_EQ(p.doc.Path().m_aPoints[0].m_dY, expected.m_dY);
    EXPECT_EQ(p.doc.Path().m_aPoints[0].m_dX, expected.m_dX);
    const CAPInfo& alpha = p.doc.Aps().m_aAPs[0];
    ASSERT_EQ(alpha.m_aApPoints.size(), 2u);
    EXPECT_EQ(alpha.m_aApPoints[0].m_dX, expected.m_dX);
    EXPECT_EQ(alpha.m_aSamples[1].m_dY, p.doc.GeoToMap(46.0001, 7.0).m_dY);
}

TEST(NewProject, ModesAndSwitchesAfterTheBuild) {
    Project p;
    p.Add("a.hsd", FileA());
    Edit::Display(p.doc).m_nSortMode = Edit::Display(p.doc).m_nAnalysisMode =
        Edit::Display(p.doc).m_nGraphType = Edit::Display(p.doc).m_nColourMode = 2;
    Edit::Display(p.doc).m_bShowCellRadius = Edit::Display(p.doc).m_bShowContour =
        Edit::Display(p.doc).m_bMultiContours = 1;
    Edit::Display(p.doc).m_bCoveragePlotted = 0;
    Edit::Display(p.doc).m_bShowLegend = 1;
    ASSERT_TRUE(p.Load());
    EXPECT_EQ(p.doc.Display().m_nSortMode + p.doc.Display().m_nAnalysisMode + p.doc.Display().m_nGraphType,
              3);
    EXPECT_EQ(p.doc.Display().m_nColourMode, 0);
    EXPECT_EQ(p.doc.Display().m_bShowCellRadius + p.doc.Display().m_bShowContour +
                  p.doc.Display().m_bMultiContours + p.doc.Display().m_bShowLegend,
              0);
    EXPECT_EQ(p.doc.Display().m_bCoveragePlotted, 1);
    EXPECT_EQ(p.doc.Aps().m_nHue, 26);                 // 122, then the file and two APs
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_nGroupIndex, 0); // the first group by SSID
    EXPECT_EQ(p.doc.Aps().m_aAPs[0].m_byChannel, 1);
}
