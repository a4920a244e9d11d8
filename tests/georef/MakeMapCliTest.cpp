// plotra-cli make-map, info and analyze --map with pictures, as a user runs them: what is printed,
// what is written, exit codes, and that a refused picture writes nothing and keeps an old map.
#include "georef/RasterFixtures.h"
#include "georef/WorldFile.h"
#include "support/CliRunner.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

using namespace plotra;
using namespace plotra::test;

namespace {

/// Every "key": number of a JSON text, in order.
std::vector<double> Numbers(const std::string& text, const std::string& key) {
    std::vector<double> out;
    const std::regex re("\"" + key + "\": (-?[0-9.eE+-]+)");
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        out.push_back(std::stod((*it)[1]));
    return out;
}

const std::string kDemoSurveys =
    std::string(PLOTRA_SOURCE_DIR) + "/samples/demo1.hsd " + PLOTRA_SOURCE_DIR + "/samples/demo2.hsd";

} // namespace

TEST(CliMakeMap, GeoTiffBecomesAProjectionFileThatLoads) {
    TempDir dir;
    const std::string tif = dir.File("demo_utm.tif");
    WriteRaster(tif, Demo().picture,
                {"GTiff", DemoTransformIn("EPSG:32632"), "EPSG:32632", {"COMPRESS=DEFLATE"}, {}});
    const CliResult made = RunPlotraCli("make-map " + tif + " " + dir.File("demo_utm.hpf"));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    EXPECT_NE(made.out.find("  picture 900 x 630 pixels (GTiff)\n"), std::string::npos) << made.out;
    EXPECT_NE(made.out.find("  coordinate system: WGS 84 / UTM zone 32N (EPSG:32632)\n"), std::string::npos);
    EXPECT_NE(made.out.find("  transformation: least squares over 289 grid points; largest residual "),
              std::string::npos);
    EXPECT_NE(made.out.find(dir.File("demo_utm.hpf") + ": projection file written ("), std::string::npos);

    const CliResult info = RunPlotraCli("info " + dir.File("demo_utm.hpf"));
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("picture 900 x 630 pixels"), std::string::npos) << info.out;

    // info on the picture itself: size, coordinate system and residual, without writing anything.
    const CliResult pic = RunPlotraCli("info --json " + tif);
    ASSERT_EQ(pic.status, 0) << pic.err;
    EXPECT_NE(pic.out.find("\"kind\": \"image\""), std::string::npos) << pic.out;
    EXPECT_NE(pic.out.find("\"coordinateSystem\": \"WGS 84 / UTM zone 32N (EPSG:32632)\""),
              std::string::npos);
    ASSERT_EQ(Numbers(pic.out, "maxResidualPixels").size(), 1u);
    EXPECT_LT(Numbers(pic.out, "maxResidualPixels")[0], 0.1);

    // analyze takes the picture as its map, recognised by content, and places the APs where the
    // projection file puts them (to well under a metre: the UTM picture's scale differs a little).
    const CliResult withHpf = RunPlotraCli("analyze " + kDemoSurveys + " --map " + PLOTRA_SOURCE_DIR +
                                           "/samples/demo.hpf --no-coverage --unit m --json");
    const CliResult withTif =
        RunPlotraCli("analyze " + kDemoSurveys + " --map " + tif + " --no-coverage --unit m --json");
    ASSERT_EQ(withHpf.status, 0) << withHpf.err;
    ASSERT_EQ(withTif.status, 0) << withTif.err;
    EXPECT_NE(withTif.out.find("\"mapMetres\": true"), std::string::npos);
    for (const char* axis : {"x", "y"}) {
        const auto a = Numbers(withHpf.out, axis), b = Numbers(withTif.out, axis);
        ASSERT_EQ(a.size(), b.size());
        ASSERT_GT(a.size(), 10u);
        for (std::size_t i = 0; i < a.size(); ++i)
            EXPECT_NEAR(a[i], b[i], 0.5) << axis << " " << i;
    }
}

TEST(CliMakeMap, ControlPointsAndReduction) {
    TempDir dir;
    const std::string png = dir.File("plan.png");
    WriteRaster(png, Demo().picture, {"PNG", std::nullopt, "", {}, {}});
    // The demo map's own transformation at three corners and the centre.
    std::string gcps;
    for (const auto& [c, r] : std::vector<std::array<double, 2>>{{0, 0}, {900, 0}, {0, 630}, {450, 315}}) {
        const auto g = PixelToLatLon(Demo().transform, c, r);
        char buf[120];
        std::snprintf(buf, sizeof buf, " --gcp %.17g,%.17g,%.17g,%.17g", c, r, g->lat, g->lon);
        gcps += buf;
    }
    const CliResult made = RunPlotraCli("make-map " + png + " " + dir.File("plan.hpf") + gcps);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("  transformation: least squares through 4 control points"), std::string::npos)
        << made.out;
    EXPECT_NE(made.out.find("  point 4: pixel 450.00, 315.00 at "), std::string::npos) << made.out;

    // --max-pixels reduces the picture and says so on stderr; the map still lands in place.
    const CliResult reduced =
        RunPlotraCli("make-map " + png + " " + dir.File("small.hpf") + gcps + " --max-pixels 100000");
    ASSERT_EQ(reduced.status, 0) << reduced.err;
    EXPECT_NE(reduced.out.find("  reduced to 378 x 264 pixels"), std::string::npos) << reduced.out;
    EXPECT_EQ(reduced.err,
              "Map Import: The picture is reduced from 900 x 630 to 378 x 264 pixels to fit the map size "
              "limit.\n");
    CPlotraDoc small;
    ASSERT_TRUE(small.ReadProjectionFile(std::vector<std::uint8_t>([&] {
        const std::string s = Slurp(dir.File("small.hpf"));
        return std::vector<std::uint8_t>(s.begin(), s.end());
    }())));
    EXPECT_EQ(small.Map().m_nImageWidth, 378);
    for (const LatLon& p : Demo().surveyPositions) {
        const CDataGeo a = Demo().doc.GeoToMap(p.lat, p.lon), b = small.GeoToMap(p.lat, p.lon);
        EXPECT_NEAR(a.m_dX, b.m_dX, 0.01);
        EXPECT_NEAR(a.m_dY, b.m_dY, 0.01);
    }
}

TEST(CliMakeMap, RefusedPicturesWriteNothingAndKeepTheOldMap) {
    TempDir dir;
    const std::string png = dir.File("plan.png");
    WriteRaster(png, Demo().picture, {"PNG", std::nullopt, "", {}, {}});
    const std::string out = dir.File("out.hpf");
    const std::string old = dir.File("old.hpf");
    std::filesystem::copy_file(std::string(PLOTRA_SOURCE_DIR) + "/samples/demo.hpf", old);
    const std::string oldBytes = Slurp(old);

    struct Case {
        std::string setup; ///< what is beside the picture
        std::string args;
        std::string err; ///< the beginning of stderr
    };
    const std::vector<Case> cases = {
        {"", "", "Map Import: The picture \"" + png + "\" has no georeference"},
        {"pgw-zero", "",
         "Invalid File: The world file \"" + dir.File("plan.pgw") +
             "\" cannot be used: its pixel size is zero"},
        {"pgw-text", "",
         "Invalid File: The world file \"" + dir.File("plan.pgw") +
             "\" cannot be used: line 1 is not a number."},
        {"prj-garbage", "",
         "Invalid File: The coordinate system file \"" + dir.File("plan.prj") + "\" is not understood"},
        {"", " --gcp 0,0,46.95,7.44 --gcp 100,100,46.949,7.441 --gcp 200,200,46.948,7.442",
         "Map Import: The control points lie on one line in the picture"},
        {"", " --gcp 0,0,46.95,7.44 --gcp 100,0,46.95,7.441",
         "Map Import: At least three control points are needed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup + c.args);
        std::filesystem::remove(dir.File("plan.pgw"));
        std::filesystem::remove(dir.File("plan.prj"));
        if (c.setup == "pgw-zero") WriteText(dir.File("plan.pgw"), "0\n0\n0\n0\n0\n0\n");
        if (c.setup == "pgw-text") WriteText(dir.File("plan.pgw"), "not a world file\n");
        if (c.setup == "prj-garbage") {
            WriteText(dir.File("plan.pgw"), WorldFileText(DemoTransformIn("EPSG:4326")));
            WriteText(dir.File("plan.prj"), std::string("\x89PNG\r\n\x1a\n garbage \xff\xfe", 20));
        }
        for (const std::string& target : {out, old}) {
            const CliResult r = RunPlotraCli("make-map " + png + " " + target + c.args);
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
            EXPECT_EQ(r.out, "");
        }
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(Slurp(old), oldBytes);
        // analyze and info refuse the same picture with the same reason.
        if (c.args.empty()) {
            const CliResult a = RunPlotraCli("analyze " + kDemoSurveys + " --map " + png + " --no-coverage");
            EXPECT_EQ(a.status, 1);
            EXPECT_EQ(a.err.rfind(c.err, 0), 0u) << a.err;
            const CliResult i = RunPlotraCli("info " + png);
            EXPECT_EQ(i.status, 1);
            EXPECT_EQ(i.err.rfind(c.err, 0), 0u) << i.err;
        }
    }
    // A truncated GeoTIFF and a huge declared size.
    WriteRaster(dir.File("good.tif"), Demo().picture,
                {"GTiff", DemoTransformIn("EPSG:4326"), "EPSG:4326", {}, {}});
    const std::string bytes = Slurp(dir.File("good.tif"));
    WriteText(dir.File("cut.tif"), bytes.substr(0, bytes.size() / 2));
    CliResult r = RunPlotraCli("make-map " + dir.File("cut.tif") + " " + old);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err.rfind("Invalid File: The picture \"" + dir.File("cut.tif") + "\" could not be read completely",
                    0),
        0u)
        << r.err;
    EXPECT_EQ(Slurp(old), oldBytes);
    // Something that is no picture: analyze keeps its projection-file message, info names every kind.
    WriteText(dir.File("notes.txt"), "not a map\n");
    r = RunPlotraCli("analyze " + kDemoSurveys + " --map " + dir.File("notes.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Invalid File: File is not recognized as a HPF file.\n");
    r = RunPlotraCli("info " + dir.File("notes.txt"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "Invalid File: File is not recognized as a survey, projection or workspace file, nor as a "
              "picture: \"" +
                  dir.File("notes.txt") + "\".\n");
    r = RunPlotraCli("make-map " + dir.File("notes.txt") + " " + out);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Invalid File: The file \"" + dir.File("notes.txt") +
                              "\" is not a picture Plotra can read",
                          0),
              0u)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(CliMakeMap, UsageErrorsExitTwo) {
    TempDir dir;
    const std::string png = dir.File("plan.png");
    WriteRaster(png, Demo().picture, {"PNG", std::nullopt, "", {}, {}});
    for (const std::string& args :
         {std::string("make-map"), "make-map " + png, "make-map " + png + " a.hpf b.hpf",
          "make-map " + png + " " + png, "make-map " + png + " x.hpf --gcp 1,2,3",
          "make-map " + png + " x.hpf --gcp", "make-map " + png + " x.hpf --max-pixels 0",
          "make-map " + png + " x.hpf --max-pixels -5", "make-map " + png + " x.hpf --frob"}) {
        const CliResult r = RunPlotraCli(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_FALSE(std::filesystem::exists(dir.File("x.hpf")));
    }
    const CliResult help = RunPlotraCli("--help");
    EXPECT_NE(
        help.out.find(
            "plotra-cli make-map IMAGE OUT.hpf [--gcp COLUMN,ROW,LATITUDE,LONGITUDE]... [--max-pixels N]"),
        std::string::npos);
}
