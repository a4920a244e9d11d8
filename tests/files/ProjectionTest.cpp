// Projection files: reading, refusing, the map geometry at load, the geo transformation and the
// load-map command.
#include "analysis/Numeric.h"
#include "files/BmpImage.h"
#include "files/FileIo.h"
#include "files/NewProject.h"
#include "files/ProjectionFile.h"
#include "files/ProjectionWriter.h"
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/PlotraDoc.h"
#include "sim/MapGenerator.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace plotra;
using namespace plotra::test;

namespace {

const std::string kNotHpf = "Invalid File: File is not recognized as a HPF file.";
const std::string kUnusable =
    "Invalid File: The measured points can not be used for projection. Please do the projection again.";

/// A small picture with a gradient, so that its bytes are varied.
std::vector<std::uint8_t> SmallBmp(int w = 37, int h = 23) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            auto* p = &rgb[static_cast<std::size_t>((y * w + x) * 3)];
            p[0] = static_cast<std::uint8_t>(x * 7);
            p[1] = static_cast<std::uint8_t>(y * 11);
            p[2] = static_cast<std::uint8_t>((x + y) & 1 ? 200 : 30);
        }
    return EncodeBmp24(w, h, rgb);
}

/// A rotated and sheared transformation around Bern: all six coefficients matter.
std::array<double, 16> RotatedTransform() {
    std::array<double, 16> k{};
    k[0] = -20000.0;                                 // a
    k[1] = 120000.0;                                 // b
    k[3] = 20000.0 * 46.95 - 120000.0 * 7.44 + 10.0; // c
    k[4] = -160000.0;                                // d
    k[5] = -15000.0;                                 // e
    k[7] = 160000.0 * 46.95 + 15000.0 * 7.44 + 15.0; // f
    k[2] = 1.5;                                      // carried, never used
    k[15] = -2.25;
    return k;
}

std::vector<std::uint8_t> FileWith(const std::vector<std::uint8_t>& picture, const std::array<double, 16>& k,
                                   std::uint8_t type = 0) {
    ProjectionImage image;
    image.type = type;
    image.coefficients = k;
    image.picture = picture;
    return EncodeProjectionFile(image);
}

struct Fixture : RecordedDoc {};

/// The document state a projection load may change.
struct MapState {
    std::vector<std::uint8_t> image;
    std::array<double, 16> proj;
    int loaded, size, w, h;
    std::uint8_t type, showLonLat;
    double mppX, mppY, frameX, frameSpanX;
    std::uint64_t changes;
    explicit MapState(const CPlotraDoc& d)
        : image(d.Map().m_aMapImage), proj(d.Map().m_adProj), loaded(d.Map().m_bMapLoaded),
          size(d.Map().m_nMapImageSize), w(d.Map().m_nImageWidth), h(d.Map().m_nImageHeight),
          type(d.Map().m_byProjType), showLonLat(d.Display().m_bShowLonLat), mppX(d.Map().m_dMetersPerPixelX),
          mppY(d.Map().m_dMetersPerPixelY), frameX(d.Frame().m_dFrameOriginX),
          frameSpanX(d.Frame().m_dFrameSpanX), changes(d.ChangeCounter()) {}
    bool operator==(const MapState&) const = default;
};

/// Latitude/longitude of a pixel position by solving the transformation independently.
std::pair<double, double> PixelToGeo(const std::array<double, 16>& k, double col, double row) {
    // col - c = a lat + b lon; row - f = d lat + e lon
    const double u = col - k[3], w = row - k[7];
    const double det = k[0] * k[5] - k[1] * k[4];
    return {(u * k[5] - k[1] * w) / det, (k[0] * w - k[4] * u) / det};
}

} // namespace

TEST(ProjectionFile, WriterLayout) {
    const auto bmp = SmallBmp();
    const auto k = RotatedTransform();
    const auto file = FileWith(bmp, k, 1);
    ASSERT_GE(file.size(), kProjectionDataOffset);
    EXPECT_TRUE(HasProjectionMagic(file));
    EXPECT_EQ(file[4], 0x20);
    EXPECT_EQ(file[5], 0x46);
    EXPECT_EQ(file[6], 0x50);
    EXPECT_EQ(file[7], 0x48);
    const auto h = ParseProjectionHeader(file);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->type, 1);
    EXPECT_EQ(h->coefficients, k);
    EXPECT_EQ(h->imageSize, bmp.size());
    EXPECT_EQ(h->compressedSize, file.size() - kProjectionDataOffset);
    EXPECT_EQ(h->counts, CountBytes(bmp));
    EXPECT_EQ(LoadF64(file.data() + 13 + 8 * 7), k[7]);
}

TEST(ProjectionFile, GeneratedMapRoundTripsToTheSameBmpBytes) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 3);
    const auto map = sim::GenerateMap(survey);
    Fixture f;
    ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(map.bmp, map.coefficients)));
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_EQ(f.doc.Map().m_aMapImage, map.bmp);
    EXPECT_EQ(f.doc.Map().m_nMapImageSize, static_cast<int>(map.bmp.size()));
    EXPECT_EQ(f.doc.Map().m_nImageWidth, map.width);
    EXPECT_EQ(f.doc.Map().m_nImageHeight, map.height);
    EXPECT_EQ(f.doc.Map().m_adProj, map.coefficients);
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
    EXPECT_EQ(f.doc.Display().m_bShowLonLat, 0);
    EXPECT_EQ(f.notices.Count(DocChange::Projection), 1);
    // The scale follows from the spherical corner distances: close to the generator's own scale.
    EXPECT_NEAR(f.doc.Map().m_dMetersPerPixelX / map.metresPerPixel, 1.0, 1e-3);
    EXPECT_NEAR(f.doc.Map().m_dMetersPerPixelY / map.metresPerPixel, 1.0, 1e-3);
    // The street grid's south-west corner lies one margin (20 m) in from the picture's corner.
    const CDataGeo sw = f.doc.GeoToMap(survey.south, survey.west);
    EXPECT_NEAR(sw.m_dX, 20.0, 0.05);
    EXPECT_NEAR(sw.m_dY, 20.0, 0.05);
}

TEST(ProjectionFile, CornersAndFrameGeometry) {
    Fixture f;
    f.host.clientSize = {800, 500};
    const auto k = RotatedTransform();
    ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(37, 23), k)));
    const double W = 37, H = 23;
    const auto [blLat, blLon] = PixelToGeo(k, 0, H);
    const auto [tlLat, tlLon] = PixelToGeo(k, 0, 0);
    const auto [brLat, brLon] = PixelToGeo(k, W, H);
    const auto [trLat, trLon] = PixelToGeo(k, W, 0);
    const double hM = GeoDistance(blLat, blLon, tlLat, tlLon);
    const double wM = GeoDistance(blLat, blLon, brLat, brLon);
    EXPECT_NEAR(f.doc.Map().m_dMapHeight, hM, 1e-9 * hM);
    EXPECT_NEAR(f.doc.Map().m_dMapWidth, wM, 1e-9 * wM);
    EXPECT_DOUBLE_EQ(f.doc.Map().m_dMetersPerPixelX, f.doc.Map().m_dMapWidth / W);
    EXPECT_DOUBLE_EQ(f.doc.Map().m_dMetersPerPixelY, f.doc.Map().m_dMapHeight / H);
    EXPECT_EQ(f.doc.Map().m_dMapOriginX, 0.0);
    EXPECT_EQ(f.doc.Map().m_dMapOriginY, 0.0);

    const CDataGeo bl = f.doc.GeoToMap(blLat, blLon);
    EXPECT_NEAR(bl.m_dX, 0.0, 1e-6);
    EXPECT_NEAR(bl.m_dY, 0.0, 1e-6);
    const CDataGeo tr = f.doc.GeoToMap(trLat, trLon);
    EXPECT_NEAR(tr.m_dX, wM, 1e-6 * wM);
    EXPECT_NEAR(tr.m_dY, hM, 1e-6 * hM);
    // MapToGeo inverts GeoToMap.
    const auto back = f.doc.MapToGeo(tr.m_dX, tr.m_dY);
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->m_dY, trLat, 1e-10);
    EXPECT_NEAR(back->m_dX, trLon, 1e-10);

    // The frame: 10% margin, then one axis widened to the window's aspect, the map in the middle.
    EXPECT_NEAR(f.doc.Frame().m_dFrameSpanX / 800.0, f.doc.Frame().m_dFrameSpanY / 500.0,
                1e-12 * f.doc.Frame().m_dFrameSpanX);
    EXPECT_NEAR(f.doc.Frame().m_dFrameOriginX + f.doc.Frame().m_dFrameSpanX / 2, wM / 2, 1e-9 * wM);
    EXPECT_NEAR(f.doc.Frame().m_dFrameOriginY + f.doc.Frame().m_dFrameSpanY / 2, hM / 2, 1e-9 * hM);
    EXPECT_TRUE(f.doc.Frame().m_dFrameSpanX >= 1.2 * wM * (1 - 1e-12) &&
                f.doc.Frame().m_dFrameSpanY >= 1.2 * hM * (1 - 1e-12));
    EXPECT_TRUE(std::fabs(f.doc.Frame().m_dFrameSpanX - 1.2 * wM) < 1e-9 * wM ||
                std::fabs(f.doc.Frame().m_dFrameSpanY - 1.2 * hM) < 1e-9 * hM);
}

TEST(ProjectionFile, FrameFitFollowsTheWiderSide) {
    // A tall window: the frame grows in Y; a wide one: in X. The exact formulas, step by step.
    for (const auto& size : {std::pair{300, 900}, std::pair{1600, 200}}) {
        Fixture f;
        f.host.clientSize = size;
        ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(40, 40), RotatedTransform())));
        const double hM = f.doc.Map().m_dMapHeight, wM = f.doc.Map().m_dMapWidth;
        double oY = -0.1 * hM, oX = -0.1 * wM, sY = 1.2 * hM, sX = 1.2 * wM;
        const double rX = sX / size.first, rY = sY / size.second;
        if (rY < rX) {
            oY -= (rX / rY - 1) * sY * 0.5;
            sY = rX * size.second;
        } else {
            oX -= (rY / rX - 1) * sX * 0.5;
            sX = rY * size.first;
        }
        EXPECT_EQ(f.doc.Frame().m_dFrameOriginY, oY);
        EXPECT_EQ(f.doc.Frame().m_dFrameOriginX, oX);
        EXPECT_EQ(f.doc.Frame().m_dFrameSpanY, sY);
        EXPECT_EQ(f.doc.Frame().m_dFrameSpanX, sX);
    }
}

TEST(ProjectionFile, SingularTransformLoadsWithOneMessageAndMapToGeoRefusesEveryTime) {
    Fixture f;
    auto k = RotatedTransform();
    k[0] = 2.0, k[1] = 3.0, k[4] = 4.0, k[5] = 6.0; // a*e == b*d
    ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(), k)));
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kUnusable});
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
    EXPECT_EQ(f.doc.Map().m_aMapImage, SmallBmp());
    EXPECT_EQ(f.notices.Count(DocChange::Projection), 1);
    f.prompts.prompts.clear();
    EXPECT_FALSE(f.doc.MapToGeo(1.0, 2.0));
    EXPECT_FALSE(f.doc.MapToGeo(0.0, 0.0));
    EXPECT_EQ(f.prompts.Messages(), (std::vector<std::string>{"Error: Invalid Transformation Matrix",
                                                              "Error: Invalid Transformation Matrix"}));
}

TEST(ProjectionFile, NonFiniteTransformIsTreatedAsUnusable) {
    for (const double bad : {std::nan(""), HUGE_VAL}) {
        Fixture f;
        auto k = RotatedTransform();
        k[5] = bad;
        ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(), k)));
        EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kUnusable});
        EXPECT_EQ(f.doc.Map().m_dMetersPerPixelX, 0.0); // geometry skipped
    }
}

TEST(ProjectionFile, UnsupportedTypeByteIsRefusedWithItsOwnMessage) {
    for (const std::uint8_t type : {std::uint8_t{2}, std::uint8_t{255}}) {
        Fixture f;
        auto file = FileWith(SmallBmp(), RotatedTransform());
        file[12] = type;
        const MapState before(f.doc);
        EXPECT_FALSE(f.doc.ReadProjectionFile(file));
        EXPECT_EQ(f.prompts.Messages(),
                  std::vector<std::string>{
                      "Invalid File: Unsupported HPF Filetype. May be for a different product."});
        EXPECT_TRUE(MapState(f.doc) == before);
        EXPECT_EQ(f.notices.Count(DocChange::Projection), 0);
    }
}

TEST(ProjectionFile, HostileFilesAreRefusedAndLeaveThePreviousMap) {
    const auto good = FileWith(SmallBmp(), RotatedTransform());
    const std::uint32_t Nc = LoadU32(good.data() + 145), Ni = LoadU32(good.data() + 149);
    auto patched = [&](std::size_t offset, std::uint32_t value) {
        auto f = good;
        StoreU32(f.data() + offset, value);
        return f;
    };
    auto withPicture = [&](const std::function<void(std::vector<std::uint8_t>&)>& edit) {
        auto bmp = SmallBmp();
        edit(bmp);
        return FileWith(bmp, RotatedTransform());
    };
    auto allOnesCounts = [&] {
        // Equal counts give every byte an 8-bit code, so Nc coded bytes carry at most Nc bytes.
        auto f = good;
        for (std::size_t i = 0; i < 256; ++i)
            StoreU32(f.data() + 153 + 4 * i, 1);
        StoreU32(f.data() + 149, Nc + 1);
        return f;
    };
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases = {
        {"empty", {}},
        {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 145)},
        {"no count table", std::vector<std::uint8_t>(good.begin(), good.begin() + 1176)},
        {"Nc beyond file", patched(145, Nc + 1)},
        {"Nc huge", patched(145, 0xFFFFFFFFu)},
        {"coded stream cut",
         [&] {
             auto f = patched(145, Nc - 1);
             f.pop_back();
             return f;
         }()},
        {"Ni zero", patched(149, 0)},
        {"Ni below BMP header", patched(149, 53)},
        {"Ni above limit", patched(149, kMaxMapImageBytes + 1)},
        {"Ni huge", patched(149, 0xFFFFFFFFu)},
        {"Ni more than the bits allow", patched(149, Nc * 8 + 1)},
        {"Ni more than the shortest code allows", allOnesCounts()},
        {"Ni larger than coded", patched(149, Ni + 40)},
        {"Ni smaller than the BMP", patched(149, Ni - 3)},
        {"not BM", withPicture([](auto& b) { b[0] = 'P'; })},
        {"core header", withPicture([](auto& b) { StoreU32(b.data() + 14, 12); })},
        {"zero width", withPicture([](auto& b) { StoreU32(b.data() + 18, 0); })},
        {"negative height",
         withPicture([](auto& b) { StoreU32(b.data() + 22, static_cast<std::uint32_t>(-23)); })},
        {"height beyond pixels", withPicture([](auto& b) { StoreU32(b.data() + 22, 24); })},
        {"width beyond pixels", withPicture([](auto& b) { StoreU32(b.data() + 18, 0x7FFFFFFF); })},
        {"odd bit count", withPicture([](auto& b) { StoreU16(b.data() + 28, 7); })},
        {"compressed", withPicture([](auto& b) { StoreU32(b.data() + 30, 1); })},
        {"pixel offset beyond", withPicture([](auto& b) { StoreU32(b.data() + 10, 0xFFFFFF00u); })},
    };
    for (const auto& [name, bytes] : cases) {
        Fixture f;
        // A map loaded before stays as it was.
        ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(50, 30), RotatedTransform())));
        f.prompts.prompts.clear();
        const MapState before(f.doc);
        EXPECT_FALSE(f.doc.ReadProjectionFile(bytes)) << name;
        EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kNotHpf}) << name;
        EXPECT_TRUE(MapState(f.doc) == before) << name;
        EXPECT_EQ(f.notices.Count(DocChange::Projection), 1) << name;
    }
}

TEST(ProjectionFile, TrailingBytesAfterTheCodedPictureAreIgnored) {
    auto file = FileWith(SmallBmp(), RotatedTransform());
    file.insert(file.end(), 100, 0xCC);
    Fixture f;
    EXPECT_TRUE(f.doc.ReadProjectionFile(file));
    EXPECT_EQ(f.doc.Map().m_aMapImage, SmallBmp());
}

// ---- the load-map command ---------------------------------------------------------------------

namespace {

struct CommandFixture : Fixture {
    TempDir dir;
    std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.File(name);
        EXPECT_TRUE(WriteFileAtomically(path, bytes));
        return path;
    }
    void SetFlags() {
        Edit::Display(doc).m_bShowLegend = Edit::Display(doc).m_bDataLoaded =
            Edit::Coverage(doc).m_bCoverageReady = Edit::Display(doc).m_bCombined = 1;
    }
};

const char kReplace[] =
    "Replacing current geo-coded map will results in recalculation. Do you really want to do it?";

} // namespace

TEST(OpenProjectionFile, LoadsTheChosenFile) {
    CommandFixture f;
    const std::string path = f.WriteFile("site.hpf", FileWith(SmallBmp(), RotatedTransform()));
    f.prompts.openFiles.push_back(path);
    f.SetFlags();
    f.doc.OpenProjectionFile();
    ASSERT_EQ(f.prompts.choosers.size(), 1u);
    EXPECT_EQ(f.prompts.choosers[0].title, "Open a hpf file");
    EXPECT_EQ(f.prompts.choosers[0].filter,
              "Hovrin Projection Files (hpf)|*.hpf|HPF (*.hpf)|*.hpf|All Files (*.*)|*.*||");
    EXPECT_TRUE(f.prompts.prompts.empty()); // no map before: no question
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
    EXPECT_EQ(f.doc.Map().m_strProjectionPath, path);
    EXPECT_EQ(f.host.pathName, path);
    EXPECT_EQ(f.host.recent, std::vector<std::string>{path});
    EXPECT_TRUE(f.host.mapShown());
    EXPECT_FALSE(f.doc.SectionExpanded(kSectionSorting) || f.doc.SectionExpanded(kSectionReliability));
    EXPECT_EQ(f.doc.Display().m_bShowLegend + f.doc.Display().m_bDataLoaded +
                  f.doc.Coverage().m_bCoverageReady + f.doc.Display().m_bCombined,
              0);
}

TEST(OpenProjectionFile, DecliningTheReplaceQuestionChangesNothing) {
    CommandFixture f;
    ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(), RotatedTransform())));
    f.host.setMapShown(true);
    Edit::Display(f.doc).m_bDataLoaded = Edit::Map(f.doc).m_bMetricXY = 1;
    const MapState before(f.doc);
    f.prompts.answers.push_back(false);
    f.doc.OpenProjectionFile();
    ASSERT_EQ(f.prompts.prompts.size(), 1u);
    EXPECT_EQ(f.prompts.prompts[0].kind, "question");
    EXPECT_EQ(f.prompts.prompts[0].text, kReplace);
    EXPECT_EQ(f.prompts.prompts[0].caption, "Replace Geo-Coded Map");
    EXPECT_TRUE(f.prompts.choosers.empty());
    EXPECT_TRUE(MapState(f.doc) == before);
    EXPECT_EQ(f.doc.Display().m_bDataLoaded, 1);
    EXPECT_TRUE(f.host.mapShown());
}

TEST(OpenProjectionFile, TheMapIsReplacedOnlyByAMapThatWasRead) {
    // Agreed to replace, then the file dialog cancelled: the map, its flags and the view stay.
    {
        CommandFixture f;
        ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(), RotatedTransform())));
        const std::vector<std::uint8_t> map = f.doc.Map().m_aMapImage;
        f.host.setMapShown(true);
        Edit::Display(f.doc).m_bDataLoaded = Edit::Map(f.doc).m_bMetricXY = 1;
        f.prompts.answers.push_back(true);
        f.doc.OpenProjectionFile(); // the chooser has nothing queued: cancelled
        EXPECT_EQ(f.prompts.choosers.size(), 1u);
        EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
        EXPECT_EQ(f.doc.Map().m_aMapImage, map);
        EXPECT_EQ(f.doc.Display().m_bDataLoaded, 1);
        EXPECT_EQ(f.doc.Map().m_bMetricXY, 1);
        EXPECT_TRUE(f.host.mapShown());
    }
    // Agreed, then a file that is refused: the old map stays as well.
    {
        CommandFixture f;
        ASSERT_TRUE(f.doc.ReadProjectionFile(FileWith(SmallBmp(), RotatedTransform())));
        const std::vector<std::uint8_t> map = f.doc.Map().m_aMapImage;
        f.host.setMapShown(true);
        auto bad = FileWith(SmallBmp(), RotatedTransform());
        bad[12] = 9;
        f.prompts.answers.push_back(true);
        f.prompts.openFiles.push_back(f.WriteFile("bad.hpf", bad));
        f.doc.OpenProjectionFile();
        EXPECT_EQ(f.prompts.Messages(),
                  std::vector<std::string>{
                      "Invalid File: Unsupported HPF Filetype. May be for a different product."});
        EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
        EXPECT_EQ(f.doc.Map().m_aMapImage, map);
        EXPECT_TRUE(f.host.pathName.empty());
        EXPECT_TRUE(f.host.mapShown());
    }
}

TEST(OpenProjectionFile, MissingFileAndWrongMagic) {
    {
        CommandFixture f;
        const std::string path = f.dir.File("nowhere.hpf");
        f.prompts.openFiles.push_back(path);
        f.SetFlags();
        f.doc.OpenProjectionFile();
        EXPECT_EQ(f.prompts.Messages(),
                  std::vector<std::string>{"File Open Error: Could not open file \"" + path + "\""});
        EXPECT_EQ(f.doc.Map().m_strProjectionPath, path);
        EXPECT_EQ(f.doc.Display().m_bShowLegend, 1); // stopped before the flags are cleared
    }
    for (const auto& bytes : {std::vector<std::uint8_t>{1, 2, 3}, std::vector<std::uint8_t>(2000, 0)}) {
        CommandFixture f;
        f.prompts.openFiles.push_back(f.WriteFile("other.bin", bytes));
        f.SetFlags();
        f.doc.OpenProjectionFile();
        EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kNotHpf});
        // A refused file leaves the project as it was: its data stays shown.
        EXPECT_EQ(f.doc.Display().m_bShowLegend + f.doc.Display().m_bDataLoaded +
                      f.doc.Coverage().m_bCoverageReady + f.doc.Display().m_bCombined,
                  4);
        EXPECT_EQ(f.doc.Map().m_bMapLoaded, 0);
        EXPECT_FALSE(f.host.mapShown());
    }
}

TEST(OpenProjectionFile, PicturesGoThroughTheMapPictureImporter) {
    CommandFixture f;
    const std::string picture = f.WriteFile("site.tif", std::vector<std::uint8_t>(64, 7));
    // Without an importer a picture is simply not a projection file.
    EXPECT_FALSE(f.doc.LoadProjectionFile(picture));
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kNotHpf});

    MapImportOutcome::Kind kind = MapImportOutcome::NotAPicture;
    std::string asked;
    f.doc.SetMapPictureImporter([&](const std::string& path, UserPrompts&) {
        asked = path;
        MapImportOutcome out;
        out.kind = kind;
        out.map.bmp = SmallBmp();
        out.map.coefficients = RotatedTransform();
        return out;
    });
    f.prompts.prompts.clear();
    EXPECT_FALSE(f.doc.LoadProjectionFile(picture)); // not a picture either: the same refusal
    EXPECT_EQ(asked, picture);
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kNotHpf});
    kind = MapImportOutcome::Refused; // the importer told the user why
    f.prompts.prompts.clear();
    EXPECT_FALSE(f.doc.LoadProjectionFile(picture));
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 0);
    kind = MapImportOutcome::Loaded;
    EXPECT_TRUE(f.doc.LoadProjectionFile(picture));
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
    EXPECT_EQ(f.doc.Map().m_aMapImage, SmallBmp());
    EXPECT_EQ(f.doc.Map().m_adProj, RotatedTransform());
    EXPECT_EQ(f.host.pathName, picture);
    EXPECT_TRUE(f.host.mapShown());
    // A picture that is no BMP image is refused like a damaged map.
    f.doc.SetMapPictureImporter([](const std::string&, UserPrompts&) {
        MapImportOutcome out;
        out.kind = MapImportOutcome::Loaded;
        out.map.bmp = {1, 2, 3};
        return out;
    });
    f.prompts.prompts.clear();
    EXPECT_FALSE(f.doc.LoadProjectionFile(picture));
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{kNotHpf});
}

TEST(OpenProjectionFile, AMapOnWhichMostOfTheSurveyLiesOutsideIsWarnedAbout) {
    CommandFixture f;
    Edit::Display(f.doc).m_bStarted = 1;
    std::vector<CDataFile> files;
    ASSERT_TRUE(AddSurveyFile(files, PLOTRA_SOURCE_DIR "/samples/demo1.hsd", f.prompts));
    f.doc.SetSurveyFiles(files, true);
    ASSERT_TRUE(f.doc.LoadSurveyFiles());
    f.prompts.prompts.clear();

    // The survey's own map: not a word.
    ASSERT_TRUE(f.doc.LoadProjectionFile(PLOTRA_SOURCE_DIR "/samples/demo.hpf"));
    EXPECT_EQ(f.prompts.Messages(), std::vector<std::string>{});

    // A map of another place: said before the survey is placed on it, which still happens.
    const std::size_t points = f.doc.Survey().m_aDataPoints.size();
    ASSERT_TRUE(f.doc.LoadProjectionFile(f.WriteFile("far.hpf", FileWith(SmallBmp(), RotatedTransform()))));
    ASSERT_EQ(f.prompts.prompts.size(), 1u);
    EXPECT_EQ(f.prompts.prompts[0].caption, "Map Outside the Survey");
    EXPECT_EQ(f.prompts.prompts[0].text,
              std::to_string(points) + " of the survey's " + std::to_string(points) +
                  " points lie outside this map: the map may show another place than the survey.");
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Warning);
    EXPECT_EQ(f.doc.Map().m_bMapLoaded, 1);
}
