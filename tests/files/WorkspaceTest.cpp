#include "files/Workspace.h"

#include "files/FileIo.h"
#include "files/SurveyFile.h"
#include "model/Bytes.h"
#include "model/CoveragePictures.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace plotra;
using namespace plotra::test;

namespace {

/// A small 24-bit BMP file image (rows bottom-up, padded to four bytes).
std::vector<std::uint8_t> MakeBmp(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const std::size_t size = 54 + static_cast<std::size_t>(stride * height);
    std::vector<std::uint8_t> b(size, 0);
    b[0] = 'B';
    b[1] = 'M';
    StoreU32(&b[2], static_cast<std::uint32_t>(size));
    StoreU32(&b[10], 54);
    StoreU32(&b[14], 40);
    StoreU32(&b[18], static_cast<std::uint32_t>(width));
    StoreU32(&b[22], static_cast<std::uint32_t>(height));
    StoreU16(&b[26], 1);
    StoreU16(&b[28], 24);
    for (std::size_t i = 54; i < size; ++i)
        b[i] = static_cast<std::uint8_t>(i * 7);
    return b;
}

CData_Area Area(double base, int corners) {
    CData_Area a;
    for (std::size_t i = 0; i < 4; ++i) {
        a.m_adX[i] = base + static_cast<double>(i);
        a.m_adY[i] = base - static_cast<double>(i) * 0.5;
    }
    a.m_nCorners = corners;
    return a;
}

CData_Pos Level(int count, int r, int g, int b) {
    CData_Pos p;
    p.m_nCount = count;
    p.m_nRed = r;
    p.m_nGreen = g;
    p.m_nBlue = b;
    return p;
}

/// Fills every member the workspace stores with distinctive values; \p variant changes them all.
void Populate(CPlotraDoc& d, int variant = 0) {
    const double v = variant;
    Edit::Map(d).m_byProjType = static_cast<std::uint8_t>(1 - variant % 2);
    for (std::size_t i = 0; i < 16; ++i)
        Edit::Map(d).m_adProj[i] = 0.125 * static_cast<double>(i) - 3.0 + v;
    Edit::Map(d).m_aMapImage = MakeBmp(3 + variant, 2);
    Edit::Map(d).m_nMapImageSize = static_cast<int>(d.Map().m_aMapImage.size());
    Edit::Map(d).m_nImageWidth = 3 + variant;
    Edit::Map(d).m_nImageHeight = 2;
    Edit::Map(d).m_bMapLoaded = 1;

    CDataFile f1;
    f1.m_strName = "walk1.hsd";
    f1.m_strPath = "/surveys/site.v2/walk1.hsd";
    f1.m_strCreated = "Wed Jun 30 21:49:08 1993\n";
    f1.m_strNotes = "ground floor";
    CDataFile f2;
    f2.m_strName = "walk2.hsd";
    f2.m_bUse = 0; // created and notes stay empty
    Edit::Survey(d).m_aFiles = {f1, f2};

    CApFile n1;
    n1.m_strTxPower = "20";
    n1.m_strAntennaGain = "omni";
    n1.m_strDirection = "90";
    n1.m_strHeight = "3.50";
    n1.m_strNotes = "roof";
    Edit::Aps(d).m_aApNotes = {n1, CApFile{}};
    Edit::Survey(d).m_bMerge = variant % 2;
    Edit::Display(d).m_bShowLegend = 1 - variant % 2;

    Edit::Path(d).m_aFilePathCount = {2, 1};
    Edit::Survey(d).m_aFileColor = {Rgb(1, 2, 3), Rgb(4, 5, 6 + variant)};
    Edit::Path(d).m_aGpsState = {2, 1, 0};

    CDataPoint p1 =
        MakePoint(40.5, -3.25, {MakeReading(6, -70, 1, "alpha"), MakeReading(11, -55.5, 2, "beta")});
    p1.m_rec.m_abyOpaque1 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    p1.m_rec.m_abyOpaque2 = {0xAA, 0xBB, 0xCC, 0xDD};
    p1.m_rec.m_nAltitudeCm = 12345;
    p1.m_rec.m_wSpeedCms = 321;
    CDataPoint p2 =
        MakePoint(40.5001, -3.2501, {MakeReading(6, -72, 1, "exactly-thirty-two-characters-xx")}, 1);
    p2.m_rec.m_wReadingCount = 7; // the stored record keeps its own count
    Edit::Survey(d).m_aDataPoints = {p1, p2, MakeMarker(40.6, -3.3 + v)};

    Edit::Map(d).m_bMetricXY = 1;
    Edit::Map(d).m_dMetersPerPixelX = 0.25;
    Edit::Map(d).m_dMetersPerPixelY = 0.5;
    Edit::Map(d).m_dMapHeight = 100 + v;
    Edit::Map(d).m_dMapWidth = 200;
    Edit::Map(d).m_dMapOriginY = 1;
    Edit::Map(d).m_dMapOriginX = 2;
    Edit::Frame(d).m_dGridSpanY = 30;
    Edit::Frame(d).m_dGridSpanX = 40;
    Edit::Frame(d).m_dGridOriginY = 5;
    Edit::Frame(d).m_dGridOriginX = 6;
    Edit::Frame(d).m_dFrameSpanY = 35;
    Edit::Frame(d).m_dFrameSpanX = 45;
    Edit::Frame(d).m_dFrameOriginY = 4;
    Edit::Frame(d).m_dFrameOriginX = 3;

    Edit::Path(d).m_aPoints = {MakeSample(10, 20, -60, -95), MakeSample(11, 21, -61, -94),
                               MakeSample(12, 22 + v, -62, -93)};
    Edit::Path(d).m_aAltitude = {100, 200, 300};
    Edit::Path(d).m_aVelocity = {5, 6, 7 + variant};

    CAPInfo a;
    a.m_bSelected = 1;
    a.m_nGroupIndex = 2;
    a.m_bFixed = 1;
    a.m_crColour = Rgb(176, 40, 90);
    a.m_abyMAC = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    a.m_szSSID = MakeSsid("corp");
    a.m_byChannel = 6;
    a.m_aSamples = {MakeSample(10, 20, -60, -95), MakeSample(11, 21, -61, -94)};
    a.m_aApPoints = {MakeSample(10.5, 20.5, -60.5, -95)};
    a.m_nApGridRows = 2;
    a.m_nApGridCols = 3;
    a.m_aGrid = {-40, -50, -60, -70, -80, -90 - v};
    a.m_areaSize = {30, 40};
    a.m_areaOrigin = {5, 6};
    a.m_posAP = {15.25, 26.5};
    a.m_nIconOption = 1;
    a.m_nIconId = 186;
    a.m_dGridMax = -40;
    a.m_dGridMin = -90;
    a.m_fReliability = 0.875f;
    a.m_dShadowStd = 4.5;
    a.m_dSlope = -27.5;
    a.m_dIntercept = -20.25;
    CAPInfo b; // no grid, no points
    b.m_szSSID = MakeSsid("guest");
    Edit::Aps(d).m_aAPs = {a, b};

    Edit::Display(d).m_bStarted = 1;
    Edit::Display(d).m_bDataLoaded = 1;
    Edit::Display(d).m_bShowApMarkers = 0;
    Edit::Coverage(d).m_bCoverageReady = 1;
    Edit::Display(d).m_bCombined = 1;
    Edit::Display(d).m_bShowCellRadius = 0;
    Edit::Display(d).m_bShowContour = 1;
    Edit::Display(d).m_bMultiContours = 0;
    Edit::Display(d).m_bCoveragePlotted = 0;
    Edit::Display(d).m_bCoverageOverlay = 0;

    Edit::Display(d).m_dUnitFactor = 1.0;
    Edit::Display(d).m_nGridDivisions = 7;
    Edit::Display(d).m_bYGrid = 1;
    Edit::Display(d).m_bXGrid = 0;
    Edit::Display(d).m_nAlpha = 150 + variant;
    Edit::Display(d).m_bShowPath = 0;
    Edit::Frame(d).m_nGridRows = 2;
    Edit::Frame(d).m_nGridCols = 3;
    Edit::Display(d).m_nGraphType = 2;
    Edit::Display(d).m_nAnalysisMode = 2;
    Edit::Display(d).m_nSortMode = 2;
    Edit::Display(d).m_nColourMode = 1;
    Edit::Display(d).m_nPowerRangeHigh = -35;
    Edit::Display(d).m_nPowerRangeLow = -95;
    Edit::Coverage(d).m_dPowerMax = -30;
    Edit::Coverage(d).m_dPowerMin = -90;
    Edit::Coverage(d).m_dSnrMax = 40;
    Edit::Coverage(d).m_dSnrMin = 0;
    Edit::Frame(d).m_dResolutionX = 1.5;
    Edit::Frame(d).m_dResolutionY = 2.5;
    Edit::Coverage(d).m_dMeanRssi = -66.5;
    Edit::Coverage(d).m_dMeanSnr = 27.25 + v;

    Edit::Display(d).m_panel.m_afReliability = {50.0f, -80.0f, 0.9f, 0.75f};
    Edit::Display(d).m_panel.m_nSelectedAP = 1;
    Edit::Display(d).m_panel.m_bExpandSorting = 1;
    Edit::Display(d).m_panel.m_bExpandMeasurement = 0;
    Edit::Display(d).m_panel.m_bExpandReliability = 1;
    Edit::Display(d).m_panel.m_bExpandGraph = 1;
    Edit::Display(d).m_panel.m_nContourLow = -80;
    Edit::Display(d).m_panel.m_nContourHigh = -40 + variant;

    for (std::size_t g = 0; g < 3; ++g) {
        ContourLayerSet& s = Edit::Coverage(d).m_aContours[g];
        const double b0 = 10.0 * static_cast<double>(g) + v;
        s.m_aAreaLow = {Area(b0, 4)};
        s.m_aAreaHigh = {Area(b0 + 1, 3), Area(b0 + 2, 4)};
        CData_Contour line;
        line.m_dX1 = b0;
        line.m_dY1 = b0 + 0.5;
        line.m_dX2 = b0 + 1;
        line.m_dY2 = b0 + 1.5;
        s.m_aLines = {line, line};
        s.m_aLineLevels = {Level(2, 255, 0, 0)};
        s.m_aLevelAreas = {Area(b0 + 3, 4)};
        s.m_aAreaLevels = {Level(1, 0, 255, 0), Level(0, 0, 0, 255)};
    }

    Edit::Coverage(d).m_aGridPower = {-30, -50, -100, -70, -101, -90};
    Edit::Coverage(d).m_aGridSnr = {40, 20, 10, 30, -101, 0};
    Edit::Coverage(d).m_aGridCount = {1, 2, 0, 10, 0, 3};
    Edit::Coverage(d).m_aDominantColour = {Rgb(9, 8, 7), Rgb(6, 5, 4),       Rgb(255, 255, 255),
                                           Rgb(1, 1, 1), Rgb(255, 255, 255), Rgb(2, 3, 4)};
    Edit::Coverage(d).m_aMixedColour = {Rgb(19, 18, 17), Rgb(16, 15, 14),    Rgb(255, 255, 255),
                                        Rgb(11, 11, 11), Rgb(255, 255, 255), Rgb(12, 13, 14)};
}

/// A document with its recorders attached.
struct Fixture : RecordedDoc {};

std::vector<std::uint8_t> SlurpBytes(const std::string& path) {
    return ReadWholeFile(path).bytes;
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

double F64At(const std::vector<std::uint8_t>& b, std::size_t off) {
    return LoadF64(b.data() + off);
}

/// Restores the write failure hook whatever a test does.
struct WriteFailureGuard {
    explicit WriteFailureGuard(long long after) { SetWriteFailureAfterBytesForTesting(after); }
    ~WriteFailureGuard() { SetWriteFailureAfterBytesForTesting(-1); }
};

/// Restores the read and map limits whatever a test does.
struct InputLimitGuard {
    InputLimitGuard(long long read, long long map) {
        SetReadLimitForTesting(read);
        SetMapLimitForTesting(map);
    }
    ~InputLimitGuard() {
        SetReadLimitForTesting(-1);
        SetMapLimitForTesting(-1);
    }
};

/// Adds \p aps APs to \p d, each with \p perList working points and as many samples, as a long survey
/// gives them (whole milliarcseconds, 1/256 dBm), all different: 28 stored bytes per entry.
void AddLargeAps(CPlotraDoc& d, std::size_t aps, std::size_t perList) {
    for (std::size_t a = 0; a < aps; ++a) {
        CAPInfo ap;
        ap.m_abyMAC = {0x02, 0, 0, 0, 0, static_cast<std::uint8_t>(a)};
        ap.m_szSSID = MakeSsid("large" + std::to_string(a));
        ap.m_posAP = {40.5 + 0.001 * static_cast<double>(a), -3.25 - 0.002 * static_cast<double>(a)};
        ap.m_dSlope = -25.0 - static_cast<double>(a);
        ap.m_dIntercept = -30.5 + static_cast<double>(a);
        ap.m_dShadowStd = 4.25;
        ap.m_aApPoints.reserve(perList);
        ap.m_aSamples.reserve(perList);
        for (std::size_t i = 0; i < perList; ++i) {
            const auto k = static_cast<std::int32_t>(i);
            const auto base = static_cast<std::int32_t>(a) * 1000;
            ap.m_aApPoints.AppendReading(145800000 + k, -11700000 - k / 3 - base,
                                         static_cast<std::int16_t>(-10240 - (k % 9000)),
                                         static_cast<std::int16_t>(-95 + k % 11));
            ap.m_aSamples.AppendReading(145800000 - k / 7 + base, -11700000 + k,
                                        static_cast<std::int16_t>(-12800 - (k % 7000)),
                                        static_cast<std::int16_t>(-90 - k % 5));
        }
        Edit::Aps(d).m_aAPs.push_back(std::move(ap));
    }
}

/// The address space this process takes now (kB in /proc/self/status), in bytes; 0 when unknown.
unsigned long long AddressSpaceInUse() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmSize:", 0) == 0) return std::strtoull(line.c_str() + 7, nullptr, 10) * 1024;
    return 0;
}

/// Opens \p path with room in the address space for the file's map and a little more, but not for
/// its samples decoded; 0 when it is refused as too large with the project unchanged.
int OpenWithLittleMemory(const std::string& path) {
    try {
        Fixture f;
        Populate(f.doc, 1);
        const auto before = f.doc.EncodeWorkspace();
        const unsigned long long inUse = AddressSpaceInUse();
        rlimit unlimited{};
        if (inUse == 0 || ::getrlimit(RLIMIT_AS, &unlimited) != 0) return 3;
        rlimit limit = unlimited;
        limit.rlim_cur = inUse + std::filesystem::file_size(path) + (8ull << 20);
        if (::setrlimit(RLIMIT_AS, &limit) != 0) return 3;
        const bool opened = f.doc.OnOpenDocument(path);
        if (::setrlimit(RLIMIT_AS, &unlimited) != 0) return 3; // the checks need memory of their own
        if (opened) return 4;
        if (f.prompts.Messages() != std::vector<std::string>{"File Open Error: The workspace \"" + path +
                                                             "\" is too large to open on this computer."} ||
            f.prompts.prompts[0].icon != PromptIcon::Stop)
            return 5;
        return f.doc.EncodeWorkspace() == before && f.host.recent.empty() ? 0 : 6;
    } catch (...) {
        return 7;
    }
}

// Offsets in the workspace of a document without map, files, notes or points (all counts 0).
constexpr std::size_t kMapWidthAt = 145, kMapSizeAt = 153, kFilesAt = 157;
constexpr std::size_t kPathAt = 301, kFlagsAt = 309, kDisplayAt = 357, kPanelAt = 489, kContoursAt = 521;

} // namespace

// ---------------------------------------------------------------------------------------------------
// Layout
// ---------------------------------------------------------------------------------------------------

TEST(Workspace, EverySectionSurvivesARoundTripByteForByte) {
    Fixture a;
    Populate(a.doc);
    a.doc.RebuildGroups(); // group indices as the program stores them: those of the tree shown
    a.host.setMapShown(true);
    const std::vector<std::uint8_t> bytes = a.doc.EncodeWorkspace();

    Fixture b;
    ASSERT_TRUE(b.doc.ReadWorkspace(bytes));
    EXPECT_TRUE(b.prompts.prompts.empty());
    EXPECT_EQ(b.doc.EncodeWorkspace(), bytes);

    // A few members read back as themselves, and what the reader derives.
    EXPECT_EQ(b.doc.Survey().m_aFiles[0].m_strPath, "/surveys/site.v2/walk1.hsd");
    EXPECT_EQ(b.doc.Aps().m_aApNotes[0].m_strHeight, "3.50");
    EXPECT_EQ(b.doc.Survey().m_aDataPoints[0].m_rec, a.doc.Survey().m_aDataPoints[0].m_rec);
    EXPECT_EQ(b.doc.Survey().m_aDataPoints[1].m_aReadings[0], a.doc.Survey().m_aDataPoints[1].m_aReadings[0]);
    EXPECT_EQ(b.doc.Aps().m_aAPs[0].m_aGrid, a.doc.Aps().m_aAPs[0].m_aGrid);
    EXPECT_EQ(b.doc.Aps().m_aAPs[0].m_fReliability, 0.875f);
    EXPECT_EQ(b.doc.Map().m_dMapOriginX, 2.0);
    EXPECT_EQ(b.doc.Map().m_aMapImage, a.doc.Map().m_aMapImage);
    EXPECT_EQ(b.doc.Project().m_bWorkspaceNamed, 1);
    EXPECT_EQ(b.doc.Map().m_bMapLoaded, 1);
    EXPECT_EQ(b.doc.Display().m_bShowLonLat, 0);
    EXPECT_TRUE(b.host.mapShown());
    EXPECT_EQ(b.notices.Count(DocChange::Everything), 1);
    EXPECT_EQ(b.doc.Aps().m_aAPs[0].m_aCoverageBitmap.size(), 6u);
    EXPECT_TRUE(b.doc.Aps().m_aAPs[1].m_aCoverageBitmap.empty());
    BuildCoveragePictures(a.doc);
    EXPECT_EQ(b.doc.Coverage().m_aCoveragePictures, a.doc.Coverage().m_aCoveragePictures);
    // Node (0, 0) is the first pixel of the bottom row; node (0, 1) the top-left pixel.
    EXPECT_EQ(b.doc.Coverage().m_aCoveragePictures[CPlotraDoc::kApCount][3], a.doc.Display().m_crPalette[1]);
    EXPECT_EQ(b.doc.Coverage().m_aCoveragePictures[CPlotraDoc::kApCount][0], a.doc.Display().m_crPalette[2]);
}

TEST(Workspace, HeaderAndFieldsSitAtTheirOffsets) {
    CPlotraDoc d;
    Edit::Map(d).m_byProjType = 1;
    Edit::Map(d).m_adProj[0] = 1.5;
    Edit::Map(d).m_adProj[15] = -2.25;
    const auto b = d.EncodeWorkspace();
    EXPECT_EQ(LoadU32(&b[0]), 145u);
    EXPECT_EQ((std::vector<std::uint8_t>(b.begin() + 4, b.begin() + 12)),
              (std::vector<std::uint8_t>{0x20, 0x53, 0x57, 0x48, 1, 0, 0, 0}));
    EXPECT_EQ(b[12], 1);
    EXPECT_EQ(F64At(b, 13), 1.5);
    EXPECT_EQ(F64At(b, 13 + 15 * 8), -2.25);
    EXPECT_EQ(LoadU32(&b[141]), 0u);
    // No map: size 0 and the survey file count follows at once.
    EXPECT_EQ(LoadU32(&b[kMapSizeAt]), 0u);
    EXPECT_EQ(LoadU32(&b[kFilesAt]), 0u);
    // Flags: started, named (always 1), two zero bytes, nine flags, the map toggle, the overlay byte.
    EXPECT_EQ(b[kFlagsAt + 1], 1);
    EXPECT_EQ(LoadU32(&b[kFlagsAt + 4 + 7 * 4]), 1u); // m_bCoveragePlotted default
    EXPECT_EQ(b[kFlagsAt + 44], 1);                   // m_bCoverageOverlay default
    EXPECT_EQ(F64At(b, kDisplayAt), 0.3048);
    EXPECT_EQ(LoadI32(&b[kDisplayAt + 20]), 192);         // m_nAlpha
    EXPECT_EQ(LoadU64(&b[kDisplayAt + 24]), 0u);          // the unused double
    EXPECT_EQ(LoadI32(&b[kDisplayAt + 36]), 50);          // m_nGridRows
    EXPECT_EQ(LoadI32(&b[kDisplayAt + 36 + 6 * 4]), -30); // m_nPowerRangeHigh
    EXPECT_EQ(LoadI32(&b[kPanelAt + 16]), -1);            // no AP selected in the panel
    // Without a coverage the panel's graph values are left out; three sets of six empty lists follow,
    // then 50 x 50 nodes of five zero-filled grids.
    for (std::size_t i = 0; i < 18; ++i)
        EXPECT_EQ(LoadU32(&b[kContoursAt + 4 * i]), 0u);
    EXPECT_EQ(b.size(), kContoursAt + 72 + 2500u * 28u);
    for (std::size_t i = kContoursAt + 72; i < b.size(); ++i)
        ASSERT_EQ(b[i], 0) << i;
}

TEST(Workspace, StringsCountTheirTerminatingNul) {
    CPlotraDoc d;
    CDataFile f;
    f.m_strName = "ab";
    Edit::Survey(d).m_aFiles = {f}; // path, created and notes are empty
    const auto b = d.EncodeWorkspace();
    const std::vector<std::uint8_t> expected = {1, 0, 0, 0,              // one file
                                                3, 0, 0, 0, 'a', 'b', 0, // "ab"
                                                1, 0, 0, 0, 0,   1,   0, 0,
                                                0, 0, 1, 0, 0,   0,   0, // three empty
                                                1, 0, 0, 0};             // m_bUse
    EXPECT_EQ(std::vector<std::uint8_t>(b.begin() + kFilesAt, b.begin() + kFilesAt + expected.size()),
              expected);
}

TEST(Workspace, PathAndApPointRecordsKeepTheirDifferentFieldOrders) {
    CPlotraDoc d;
    Edit::Path(d).m_aPoints = {MakeSample(1.5, 2.5, -60.5, -90)};
    Edit::Path(d).m_aAltitude = {777};
    // No velocity entry: the missing value is written as 0.
    CAPInfo ap;
    ap.m_aApPoints = {MakeSample(3.5, 4.5, -70.5, -91)};
    Edit::Aps(d).m_aAPs = {ap};
    const auto b = d.EncodeWorkspace();
    std::size_t o = kPathAt;
    EXPECT_EQ(LoadU32(&b[o]), 1u);
    EXPECT_EQ(LoadI32(&b[o + 4]), -90);  // noise
    EXPECT_EQ(F64At(b, o + 8), -60.5);   // RSSI
    EXPECT_EQ(F64At(b, o + 16), 1.5);    // Y
    EXPECT_EQ(F64At(b, o + 24), 2.5);    // X
    EXPECT_EQ(LoadI32(&b[o + 32]), 777); // altitude
    EXPECT_EQ(LoadI32(&b[o + 36]), 0);   // velocity
    o += 40;
    EXPECT_EQ(LoadU32(&b[o]), 1u);
    const std::size_t ap0 = o + 4;
    EXPECT_EQ(LoadI32(&b[ap0 + 5]), 185); // icon id after the fixed byte and icon option
    const std::size_t points = ap0 + 57 + 72 + 12 + 16;
    EXPECT_EQ(LoadU32(&b[points]), 1u);
    EXPECT_EQ(LoadI32(&b[points + 4]), -91);         // noise
    EXPECT_EQ(F64At(b, points + 8), 3.5);            // Y
    EXPECT_EQ(F64At(b, points + 16), 4.5);           // X
    EXPECT_EQ(F64At(b, points + 24), -70.5);         // RSSI
    EXPECT_EQ(LoadU32(&b[points + 32]), 0u);         // no samples
    EXPECT_EQ(F64At(b, ap0 + 57 + 72 + 12), -101.0); // m_dGridMax
}

TEST(Workspace, ContourRecordsAreStoredAtTheirFixedSizes) {
    CPlotraDoc d;
    Edit::Coverage(d).m_aContours[0].m_aAreaLow = {Area(1.0, 3)};
    CData_Contour line;
    line.m_dX1 = 1;
    line.m_dY1 = 2;
    line.m_dX2 = 3;
    line.m_dY2 = 4;
    Edit::Coverage(d).m_aContours[0].m_aLines = {line};
    Edit::Coverage(d).m_aContours[0].m_aLineLevels = {Level(7, 10, 20, 30)};
    const auto b = d.EncodeWorkspace();
    std::size_t o = kContoursAt;
    EXPECT_EQ(LoadU32(&b[o]), 1u);
    o += 4;
    EXPECT_EQ(LoadU64(&b[o]), 0u); // 8 bytes without meaning
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(F64At(b, o + 8 + 16 * i), 1.0 + static_cast<double>(i));        // x
        EXPECT_EQ(F64At(b, o + 16 + 16 * i), 1.0 - static_cast<double>(i) * 0.5); // y
    }
    EXPECT_EQ(LoadI32(&b[o + 72]), 3);
    EXPECT_EQ(LoadU32(&b[o + 76]), 0u);
    o += 80;
    EXPECT_EQ(LoadU32(&b[o]), 0u); // no high-threshold pieces
    EXPECT_EQ(LoadU32(&b[o + 4]), 1u);
    o += 8;
    EXPECT_EQ(LoadU64(&b[o]), 0u);
    EXPECT_EQ(F64At(b, o + 8), 1.0);
    EXPECT_EQ(F64At(b, o + 32), 4.0);
    o += 40;
    EXPECT_EQ(LoadU32(&b[o]), 1u);
    EXPECT_EQ((std::vector<std::int32_t>{LoadI32(&b[o + 4]), LoadI32(&b[o + 8]), LoadI32(&b[o + 12]),
                                         LoadI32(&b[o + 16]), LoadI32(&b[o + 20])}),
              (std::vector<std::int32_t>{0, 7, 10, 20, 30}));
}

TEST(Workspace, ProjectWithoutMapClearsTheMapFlagAndKeepsLonLat) {
    CPlotraDoc d;
    Edit::Map(d).m_bMapLoaded = 1; // stale flag: the stored picture decides
    Edit::Map(d).m_nImageWidth = 640;
    const auto bytes = d.EncodeWorkspace();
    EXPECT_EQ(LoadU32(&bytes[kMapWidthAt]), 640u);
    Fixture f;
    Edit::Display(f.doc).m_bShowLonLat = 1;
    ASSERT_TRUE(f.doc.ReadWorkspace(bytes));
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 0);
    EXPECT_EQ(f.doc.Display().m_bShowLonLat, 1);
    EXPECT_EQ(f.doc.Map().m_nImageWidth, 640);
    EXPECT_TRUE(f.doc.Map().m_aMapImage.empty());
    for (const auto& p : f.doc.Coverage().m_aCoveragePictures)
        EXPECT_TRUE(p.empty()); // no coverage stored as ready
}

TEST(Workspace, GridsShorterThanTheGridSizeArePaddedAndReadBackInFull) {
    CPlotraDoc d;
    Edit::Frame(d).m_nGridRows = 2;
    Edit::Frame(d).m_nGridCols = 2;
    Edit::Coverage(d).m_aGridPower = {-50};
    CAPInfo ap;
    ap.m_nApGridCols = 2;
    ap.m_nApGridRows = 1;
    ap.m_aGrid = {-40};
    Edit::Aps(d).m_aAPs = {ap};
    Fixture f;
    ASSERT_TRUE(f.doc.ReadWorkspace(d.EncodeWorkspace()));
    EXPECT_EQ(f.doc.Coverage().m_aGridPower, (std::vector<double>{-50, 0, 0, 0}));
    EXPECT_EQ(f.doc.Coverage().m_aGridCount, (std::vector<int>(4, 0)));
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_aGrid, (std::vector<double>{-40, 0}));
}

// ---------------------------------------------------------------------------------------------------
// Refusals
// ---------------------------------------------------------------------------------------------------

TEST(Workspace, WrongTypeByteIsRefusedWithItsMessage) {
    CPlotraDoc src;
    auto bytes = src.EncodeWorkspace();
    bytes[12] = 2;
    Fixture f;
    Populate(f.doc, 1);
    const auto before = f.doc.EncodeWorkspace();
    EXPECT_FALSE(f.doc.ReadWorkspace(bytes));
    ASSERT_EQ(f.prompts.prompts.size(), 1u);
    EXPECT_EQ(f.prompts.prompts[0].text, "Unsupported HWS Filetype. May be for a different product.");
    EXPECT_EQ(f.prompts.prompts[0].caption, "Invalid File");
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(f.doc.EncodeWorkspace(), before);
    bytes[12] = 0;
    EXPECT_TRUE(f.doc.ReadWorkspace(bytes));
}

TEST(Workspace, EveryTruncationIsRefusedAndLeavesTheProjectUnchanged) {
    Fixture src;
    Populate(src.doc);
    const auto bytes = src.doc.EncodeWorkspace();
    Fixture f;
    Populate(f.doc, 1);
    f.host.setMapShown(false);
    const auto before = f.doc.EncodeWorkspace();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        ASSERT_FALSE(f.doc.ReadWorkspace(std::span(bytes.data(), n))) << n;
    }
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_TRUE(f.notices.notices.empty());
    EXPECT_EQ(f.doc.EncodeWorkspace(), before);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_aCoverageBitmap.size(),
              0u); // untouched (never built for this document)
}

TEST(Workspace, HostileCountsAndMalformedFieldsAreRefusedBeforeAllocating) {
    Fixture src;
    Populate(src.doc);
    const auto good = src.doc.EncodeWorkspace();
    const std::size_t mapSize = src.doc.Map().m_aMapImage.size();
    const std::size_t files = kFilesAt + mapSize;

    Fixture f;
    Populate(f.doc, 1);
    const auto before = f.doc.EncodeWorkspace();
    auto refused = [&](std::vector<std::uint8_t> bytes, const char* what) {
        EXPECT_FALSE(f.doc.ReadWorkspace(bytes)) << what;
        EXPECT_EQ(f.doc.EncodeWorkspace(), before) << what;
    };
    auto patched = [&](std::size_t at, std::uint32_t value) {
        auto b = good;
        StoreU32(&b[at], value);
        return b;
    };
    refused(patched(files, 0xFFFFFFFFu), "file count");
    refused(patched(files, 1000u), "file count beyond the file");
    refused(patched(files + 4, 0u), "string length 0");
    refused(patched(files + 4, 0x7FFFFFFFu), "string longer than the file");
    {
        auto b = good;
        b[files + 4 + 4 + 9] = 'x'; // "walk1.hsd" loses its NUL
        refused(b, "string without NUL");
    }
    refused(patched(kMapSizeAt, 0xFFFFFFF0u), "map size");
    {
        auto b = good;
        b[kMapSizeAt + 4] = 'X'; // the map picture is not a BMP
        refused(b, "map not BMP");
        refused(patched(kMapWidthAt, 4u), "map width differs from its picture");
    }
    {
        auto b = good;
        std::fill(b.begin(), b.begin() + 8, 0); // magic gone
        refused(b, "magic");
    }

    // Counts at known places of a small project: one raw point with one reading, one path point, one AP.
    CPlotraDoc small;
    Edit::Survey(small).m_aDataPoints = {MakePoint(1, 2, {MakeReading(1, -50, 1, "x")})};
    Edit::Path(small).m_aPoints = {MakeSample(1, 2, -50, -90)};
    Edit::Aps(small).m_aAPs = {CAPInfo{}};
    Edit::Aps(small).m_aAPs[0].m_aApPoints = {MakeSample(1, 2, -50, -90)};
    const auto base = small.EncodeWorkspace();
    ASSERT_TRUE(CPlotraDoc().ReadWorkspace(base));
    auto patch = [&](std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
        auto b = base;
        for (const auto& [at, value] : fields)
            StoreU32(&b[at], value);
        return b;
    };
    constexpr std::size_t kPoints = 181, kReadings = 181 + 4 + 61, kPath = kReadings + 4 + 41 + 4 + 112;
    constexpr std::size_t kAps = kPath + 4 + 36, kApRows = kAps + 4 + 129, kApPoints = kApRows + 28;
    ASSERT_EQ(LoadU32(&base[kPoints]), 1u);
    ASSERT_EQ(LoadU32(&base[kReadings]), 1u);
    ASSERT_EQ(LoadU32(&base[kPath]), 1u);
    ASSERT_EQ(LoadU32(&base[kAps]), 1u);
    ASSERT_EQ(LoadU32(&base[kApPoints]), 1u);
    refused(patch({{kPoints, 0xFFFFFFFFu}}), "raw point count");
    refused(patch({{kReadings, 0x10000000u}}), "reading count");
    refused(patch({{kPath, 0x08000000u}}), "path count");
    refused(patch({{kAps, 0xFFFFFFFFu}}), "AP count");
    refused(patch({{kApRows, 0x7FFFFFFFu}, {kApRows + 4, 0x7FFFFFFFu}}), "AP grid size");
    refused(patch({{kApPoints, 0x01000000u}}), "AP point count");
    // The combined grid size sits in the display block: size - grids - contours - panel - display.
    const std::size_t display = base.size() - 2500 * 28 - 72 - 32 - 132;
    ASSERT_EQ(LoadI32(&base[display + 36]), 50);
    refused(patch({{display + 36, 0x7FFFFFFFu}, {display + 40, 0x7FFFFFFFu}}), "grid size");
    refused(patch({{display + 36, 51u}}), "grid one row larger than stored");
    EXPECT_TRUE(f.prompts.prompts.empty());
}

// ---------------------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------------------

TEST(Workspace, SavePathReplacesOnlyTheFileNamesExtension) {
    EXPECT_EQ(WorkspacePathFor("/data/site.v2/project"), "/data/site.v2/project.hws");
    EXPECT_EQ(WorkspacePathFor("/data/site.v2/project.txt"), "/data/site.v2/project.hws");
    EXPECT_EQ(WorkspacePathFor("/data/project.hws"), "/data/project.hws");
    EXPECT_EQ(WorkspacePathFor("/data/project.tar.gz"), "/data/project.tar.hws");
    EXPECT_EQ(WorkspacePathFor("C:\\a.b\\c"), "C:\\a.b\\c.hws");
    EXPECT_EQ(WorkspacePathFor("project"), "project.hws");
    EXPECT_EQ(WorkspacePathFor("/data/.hidden"), "/data/.hidden.hws");
}

TEST(Workspace, SaveAsAsksWithItsTitleAndFilterAndSecondSaveDoesNotAsk) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("site.v2"));
    Fixture f;
    Populate(f.doc);
    f.prompts.saveFiles.push_back(dir.File("site.v2/project.txt"));
    f.doc.OnSaveProject();
    ASSERT_EQ(f.prompts.choosers.size(), 1u);
    EXPECT_EQ(f.prompts.choosers[0].title, "Save work space");
    EXPECT_EQ(f.prompts.choosers[0].filter,
              "Hovrin Work Space (hws)|*.hws|HWS (*.hws)|*.hws|All Files (*.*)|*.*||");
    const std::string saved = dir.File("site.v2/project.hws");
    EXPECT_EQ(f.doc.Project().m_strWorkspacePath, saved);
    EXPECT_EQ(f.doc.Project().m_bWorkspaceNamed, 1);
    EXPECT_EQ(SlurpBytes(saved), f.doc.EncodeWorkspace());
    EXPECT_FALSE(std::filesystem::exists(dir.File("site.v2/project.txt")));

    Edit::Display(f.doc).m_nAlpha = 17;
    f.doc.OnSaveProject();
    EXPECT_EQ(f.prompts.choosers.size(), 1u); // no second question
    EXPECT_EQ(SlurpBytes(saved), f.doc.EncodeWorkspace());
    EXPECT_TRUE(f.prompts.prompts.empty());
}

TEST(Workspace, CancelledSaveWritesNothingAndTableWindowRefuses) {
    Fixture f;
    f.doc.OnSaveProject(); // chooser cancelled
    EXPECT_EQ(f.prompts.choosers.size(), 1u);
    EXPECT_EQ(f.doc.Project().m_bWorkspaceNamed, 0);
    EXPECT_TRUE(f.doc.Project().m_strWorkspacePath.empty());

    Edit::Display(f.doc).m_bTableWindowActive = 1;
    f.doc.OnSaveProjectAs();
    f.doc.OnOpenProject();
    EXPECT_FALSE(f.doc.OnOpenDocument("/nowhere.hws"));
    EXPECT_EQ(f.prompts.choosers.size(), 1u);
    EXPECT_EQ(f.prompts.Messages(),
              (std::vector<std::string>(3, "Invalid Window: Please Select Graph Window")));
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Stop);
}

TEST(Workspace, OpenedWorkspaceSavesBackToItselfWithoutAsking) {
    TempDir dir;
    const std::string path = dir.File("site.hws");
    {
        CPlotraDoc d;
        Populate(d);
        ASSERT_TRUE(d.WriteWorkspace(path));
    }
    Fixture f;
    f.prompts.openFiles.push_back(path);
    f.doc.OnOpenProject();
    ASSERT_EQ(f.prompts.choosers.size(), 1u);
    EXPECT_EQ(f.prompts.choosers[0].title, "Open a HWS file");
    EXPECT_EQ(f.prompts.choosers[0].filter,
              "Hovrin Work Spave Files (hws)|*.hws|HWS (*.hws)|*.hws|All Files (*.*)|*.*||");
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_EQ(f.host.pathName, path);
    EXPECT_EQ(f.host.recent, std::vector<std::string>{path});
    EXPECT_EQ(f.doc.Project().m_strWorkspacePath, path);
    EXPECT_EQ(f.doc.Survey().m_bNoData, 0);

    Edit::Display(f.doc).m_nAlpha = 99;
    f.doc.OnSaveProject();
    EXPECT_EQ(f.prompts.choosers.size(), 1u);
    CPlotraDoc again;
    ASSERT_TRUE(again.ReadWorkspace(SlurpBytes(path)));
    EXPECT_EQ(again.Display().m_nAlpha, 99);
}

TEST(Workspace, OpenProjectReportsUnreadableAndForeignFiles) {
    TempDir dir;
    Fixture f;
    const std::string missing = dir.File("missing.hws");
    f.prompts.openFiles.push_back(missing);
    f.doc.OnOpenProject();
    ASSERT_EQ(f.prompts.Messages().size(), 1u);
    EXPECT_EQ(f.prompts.Messages()[0], "File Open Error: Could not open file \"" + missing + "\"");

    const std::string survey = dir.File("walk.hsd");
    SurveyFileImage img;
    img.records.push_back(MakePoint(1, 2));
    ASSERT_TRUE(WriteSurveyFile(survey, img));
    f.prompts.openFiles.push_back(survey);
    f.doc.OnOpenProject();
    ASSERT_EQ(f.prompts.Messages().size(), 2u);
    EXPECT_EQ(f.prompts.Messages()[1], "Invalid File: File is not recognized as a HWS file.");

    // A wrong type byte is reported by the reader, then as an unrecognised file.
    CPlotraDoc d;
    auto bytes = d.EncodeWorkspace();
    bytes[12] = 5;
    const std::string typed = dir.File("typed.hws");
    WriteBytes(typed, bytes);
    f.prompts.openFiles.push_back(typed);
    f.doc.OnOpenProject();
    ASSERT_EQ(f.prompts.Messages().size(), 4u);
    EXPECT_EQ(f.prompts.Messages()[2],
              "Invalid File: Unsupported HWS Filetype. May be for a different product.");
    EXPECT_EQ(f.prompts.Messages()[3], "Invalid File: File is not recognized as a HWS file.");
    EXPECT_TRUE(f.host.recent.empty());
    EXPECT_TRUE(f.doc.Project().m_strWorkspacePath.empty());
}

TEST(Workspace, OpenDocumentKeepsTheProjectWhenTheFileIsRefused) {
    TempDir dir;
    Fixture f;
    Populate(f.doc, 1);
    const auto before = f.doc.EncodeWorkspace();

    CPlotraDoc d;
    Populate(d);
    auto bytes = d.EncodeWorkspace();
    const std::string truncated = dir.File("truncated.hws");
    WriteBytes(truncated, std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1));
    EXPECT_FALSE(f.doc.OnOpenDocument(truncated));
    EXPECT_EQ(f.prompts.Messages(),
              std::vector<std::string>{"Invalid File: File is not recognized as a HWS file."});

    bytes[12] = 9;
    const std::string typed = dir.File("typed.hws");
    WriteBytes(typed, bytes);
    EXPECT_FALSE(f.doc.OnOpenDocument(typed));
    ASSERT_EQ(f.prompts.Messages().size(), 2u); // the type message only
    EXPECT_EQ(f.prompts.Messages()[1],
              "Invalid File: Unsupported HWS Filetype. May be for a different product.");

    EXPECT_FALSE(f.doc.OnOpenDocument(dir.File("none.hws")));
    EXPECT_EQ(f.prompts.Messages()[2],
              "File Open Error: Could not open file \"" + dir.File("none.hws") + "\"");
    EXPECT_EQ(f.doc.EncodeWorkspace(), before);
    EXPECT_FALSE(f.doc.Aps().m_aAPs.empty());

    bytes[12] = 0;
    const std::string good = dir.File("good.hws");
    WriteBytes(good, bytes);
    Edit::Survey(f.doc).m_bNoData = 1;
    EXPECT_TRUE(f.doc.OnOpenDocument(good));
    EXPECT_EQ(f.doc.Survey().m_bNoData, 0);
    EXPECT_EQ(f.doc.Project().m_strWorkspacePath, good);
    EXPECT_EQ(f.host.recent, std::vector<std::string>{good});
    EXPECT_EQ(f.doc.Aps().m_aAPs.size(), 2u);
}

TEST(Workspace, OpeningForgetsListsThatBelongToThePreviousProject) {
    CPlotraDoc d;
    Populate(d);
    Fixture f;
    Edit::Survey(f.doc).m_aFilePointCount = {5, 6};
    Edit::Survey(f.doc).m_aApMarkers.resize(3);
    CGroupInfo g;
    g.m_aItems.push_back(CGroupItem(0, 0, 40));
    Edit::Aps(f.doc).m_groups.AddGroup(g);
    Edit::Aps(f.doc).m_groupsBySsid.AddGroup(g);
    ASSERT_TRUE(f.doc.ReadWorkspace(d.EncodeWorkspace()));
    EXPECT_TRUE(f.doc.Survey().m_aFilePointCount.empty());
    EXPECT_TRUE(f.doc.Survey().m_aApMarkers.empty());
    // The groupings are rebuilt from the opened project's APs; nothing of the old ones remains.
    for (const CGroups* groups :
         {&Edit::Aps(f.doc).m_groups, &Edit::Aps(f.doc).m_groupsBySsid, &Edit::Aps(f.doc).m_groupsByChannel})
        for (const CGroupInfo& group : groups->m_aGroups)
            for (const CGroupItem& item : group.m_aItems)
                EXPECT_LT(static_cast<std::size_t>(item.m_nIndex), f.doc.Aps().m_aAPs.size());
    EXPECT_FALSE(f.doc.Aps().m_groups.m_aGroups.empty());
}

TEST(Workspace, InterruptedSaveKeepsThePreviousWorkspace) {
    TempDir dir;
    Fixture f;
    Populate(f.doc);
    f.prompts.saveFiles.push_back(dir.File("site.hws"));
    f.doc.OnSaveProjectAs();
    const auto first = SlurpBytes(dir.File("site.hws"));
    ASSERT_FALSE(first.empty());

    Edit::Aps(f.doc).m_aAPs.clear();
    {
        WriteFailureGuard failing(100);
        f.doc.OnSaveProject();
    }
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{"Invalid File: Can not open the file!"});
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(SlurpBytes(dir.File("site.hws")), first);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1u); // no temporary file left behind

    // A folder that does not exist cannot be written either.
    EXPECT_FALSE(f.doc.WriteWorkspace(dir.File("no/such/folder/x.hws")));
    EXPECT_EQ(f.prompts.Messages().size(), 2u);
}

// ---------------------------------------------------------------------------------------------------
// Large workspaces
// ---------------------------------------------------------------------------------------------------

TEST(Workspace, MappedFileGivesTheBytesOfRegularFilesOnly) {
    TempDir dir;
    CPlotraDoc d;
    Populate(d);
    const auto bytes = d.EncodeWorkspace();
    WriteBytes(dir.File("a.hws"), bytes);
    {
        const MappedFile file(dir.File("a.hws"));
        ASSERT_EQ(file.Status(), ReadStatus::Ok);
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.Bytes().begin(), file.Bytes().end()));
    }
    WriteBytes(dir.File("empty.hws"), {});
    const MappedFile empty(dir.File("empty.hws"));
    EXPECT_EQ(empty.Status(), ReadStatus::Ok);
    EXPECT_TRUE(empty.Bytes().empty());
    EXPECT_EQ(MappedFile(dir.File("missing.hws")).Status(), ReadStatus::CannotOpen);
    EXPECT_EQ(MappedFile(dir.Path()).Status(), ReadStatus::CannotOpen);
    EXPECT_TRUE(MappedFile(dir.Path()).Bytes().empty());
}

TEST(Workspace, OpeningIsNotBoundByTheLimitOfFilesReadWhole) {
    TempDir dir;
    const std::string path = dir.File("site.hws");
    CPlotraDoc d;
    Populate(d);
    d.RebuildGroups(); // the group indices an opened project gets
    ASSERT_TRUE(d.WriteWorkspace(path));
    const auto written = SlurpBytes(path);
    {
        InputLimitGuard limits(64, -1); // every file is now larger than any file read whole
        ASSERT_EQ(ReadWholeFile(path).status, ReadStatus::TooLarge);
        Fixture f;
        ASSERT_TRUE(f.doc.OnOpenDocument(path));
        f.prompts.openFiles.push_back(path);
        f.doc.OnOpenProject();
        EXPECT_TRUE(f.prompts.prompts.empty());
        EXPECT_EQ(f.host.recent, std::vector<std::string>(2, path));
        EXPECT_EQ(f.doc.EncodeWorkspace(), written);
    }
    {
        // Where not even a map of the file can be had, the file is too large, not a foreign file.
        InputLimitGuard limits(-1, 64);
        Fixture f;
        Populate(f.doc, 1);
        const auto before = f.doc.EncodeWorkspace();
        EXPECT_FALSE(f.doc.OnOpenDocument(path));
        f.prompts.openFiles.push_back(path);
        f.doc.OnOpenProject();
        EXPECT_EQ(f.prompts.Messages(),
                  std::vector<std::string>(2, "File Open Error: The workspace \"" + path +
                                                  "\" is too large to open on this computer."));
        for (const auto& p : f.prompts.prompts)
            EXPECT_EQ(p.icon, PromptIcon::Stop);
        EXPECT_EQ(f.doc.EncodeWorkspace(), before);
        EXPECT_TRUE(f.host.recent.empty());
        EXPECT_TRUE(f.doc.Project().m_strWorkspacePath.empty());
    }
}

TEST(Workspace, WorkspaceLargerThanTheMemoryLeftIsRefusedAsTooLarge) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a limited address space does not suit the sanitizers' shadow memory";
#endif
    // The open runs in a fresh run of this test program, whose address space can be measured: an
    // earlier test's freed memory would otherwise give the decoder room beyond any limit.
    if (const char* workspace = std::getenv("PLOTRA_OPEN_WITH_LITTLE_MEMORY"))
        ::_exit(OpenWithLittleMemory(workspace));

    TempDir dir;
    const std::string path = dir.File("large.hws");
    {
        CPlotraDoc d;
        AddLargeAps(d, 1, 2'000'000); // 112 MB stored, 48 MB decoded
        ASSERT_TRUE(d.WriteWorkspace(path));
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "PLOTRA_OPEN_WITH_LITTLE_MEMORY='" + path + "' '" + self + "' --gtest_filter=" +
                                test->test_suite_name() + "." + test->name() + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the open did not come back";
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "3: no limit set, 4: opened, 5: message, 6: project changed, 7: thrown, else: crashed";

    // With the memory it needs, the same file opens.
    Fixture f;
    EXPECT_TRUE(f.doc.OnOpenDocument(path));
    ASSERT_EQ(f.doc.Aps().m_aAPs.size(), 1u);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_aSamples.size(), 2'000'000u);
}

// A saved project of several GiB reopens as itself (label "slow": run with PLOTRA_SLOW_TESTS=1).
TEST(WorkspaceSlow, ProjectLargerThanTwoGiBReopensAsItself) {
    if (!std::getenv("PLOTRA_SLOW_TESTS")) GTEST_SKIP() << "set PLOTRA_SLOW_TESTS=1 (ctest -L slow)";
    TempDir dir;
    std::error_code error;
    const std::filesystem::space_info space = std::filesystem::space(dir.Path(), error);
    if (error || space.available < (8ull << 30))
        GTEST_SKIP() << "needs 8 GiB free in " << dir.Path() << ", " << (error ? 0 : space.available >> 20)
                     << " MiB available";
    const std::string path = dir.File("large.hws");

    CPlotraDoc a;
    Populate(a);
    AddLargeAps(a, 4, 10'500'000); // 4 x 2 x 10.5 M entries of 28 bytes: 2.35 GB
    a.RebuildGroups();             // the group indices an opened project gets
    ASSERT_TRUE(a.WriteWorkspace(path));
    const std::uintmax_t size = std::filesystem::file_size(path);
    ASSERT_GT(size, 1ull << 31);

    Fixture b;
    ASSERT_TRUE(b.doc.OnOpenDocument(path));
    EXPECT_TRUE(b.prompts.prompts.empty());
    ASSERT_EQ(b.doc.Aps().m_aAPs.size(), a.Aps().m_aAPs.size());
    for (std::size_t i = 0; i < a.Aps().m_aAPs.size(); ++i) {
        const CAPInfo& x = a.Aps().m_aAPs[i];
        const CAPInfo& y = b.doc.Aps().m_aAPs[i];
        EXPECT_EQ(y.m_abyMAC, x.m_abyMAC) << i;
        EXPECT_EQ(y.m_posAP.m_dY, x.m_posAP.m_dY) << i;
        EXPECT_EQ(y.m_posAP.m_dX, x.m_posAP.m_dX) << i;
        EXPECT_EQ(y.m_dSlope, x.m_dSlope) << i;
        EXPECT_EQ(y.m_dIntercept, x.m_dIntercept) << i;
        EXPECT_EQ(y.m_dShadowStd, x.m_dShadowStd) << i;
        EXPECT_TRUE(y.m_aApPoints.SameEntries(x.m_aApPoints)) << i;
        EXPECT_TRUE(y.m_aSamples.SameEntries(x.m_aSamples)) << i;
    }

    // The reopened project written again gives the file byte for byte, compared as it is encoded.
    {
        const MappedFile file(path);
        ASSERT_EQ(file.Status(), ReadStatus::Ok);
        const std::span<const std::uint8_t> stored = file.Bytes();
        std::size_t at = 0;
        std::size_t firstDifference = SIZE_MAX;
        ByteWriter again([&](const std::uint8_t* data, std::size_t n) {
            const std::size_t same = std::min(n, stored.size() - std::min(at, stored.size()));
            if (firstDifference == SIZE_MAX &&
                (same < n || !std::equal(data, data + n, stored.begin() + static_cast<std::ptrdiff_t>(at))))
                firstDifference = at;
            at += n;
            return true;
        });
        EncodeWorkspaceInto(b.doc, again);
        again.Finish();
        EXPECT_EQ(at, stored.size());
        EXPECT_EQ(firstDifference, SIZE_MAX) << "re-encoded bytes differ from byte " << firstDifference;
    }
    std::filesystem::remove(path, error);
    EXPECT_FALSE(std::filesystem::exists(path));
}
