// The GDAL-free half of the map import: world files, control points, affine fits, picture
// reduction and pixel conversion, and the settling of a placement.
#include "files/BmpImage.h"
#include "files/ProjectionFile.h"
#include "georef/ControlPoints.h"
#include "georef/GeoAffine.h"
#include "georef/MapImport.h"
#include "georef/MapPicture.h"
#include "georef/WorldFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace plotra;

namespace {

/// A turned and sheared transformation around the demo area: all six coefficients matter.
MapAffine Turned() {
    return MapAffine{-20000.0,  120000.0, -20000.0 * -46.95 - 120000.0 * 7.44 + 450.0,
                     -160000.0, -15000.0, 160000.0 * 46.95 + 15000.0 * 7.44 + 300.0};
}

/// Control points of \p t at the given pixels.
std::vector<ControlPoint> PointsOf(const MapAffine& t, const std::vector<std::array<double, 2>>& pixels) {
    std::vector<ControlPoint> out;
    for (const auto& [c, r] : pixels) {
        const auto g = PixelToLatLon(t, c, r);
        out.push_back({c, r, g->lat, g->lon});
    }
    return out;
}

void ExpectSameMap(const MapAffine& a, const MapAffine& b, double pixels) {
    // Compared where it matters: the pixel positions of places around the area.
    for (double lat = 46.94; lat <= 46.96; lat += 0.005)
        for (double lon = 7.43; lon <= 7.45; lon += 0.005) {
            EXPECT_NEAR(a.Column(lat, lon), b.Column(lat, lon), pixels);
            EXPECT_NEAR(a.Row(lat, lon), b.Row(lat, lon), pixels);
        }
}

} // namespace

TEST(WorldFile, PixelCentresBecomeCornersAndTextVariantsParse) {
    // A north-up world file: the top-left pixel's centre at (100.5, 200.5) puts its corner at (100, 201).
    const auto plain = ParseWorldFile("1\n0\n0\n-1\n100.5\n200.5\n");
    ASSERT_TRUE(plain.ok) << plain.error;
    EXPECT_EQ(plain.transform, (GeoTransform{100.0, 1.0, 0.0, 201.0, 0.0, -1.0}));
    // Rotation terms move the corner along both pixel axes; CR LF, blanks, a byte order mark,
    // a leading plus and blank trailing lines are what editors and GIS programs write.
    const auto turned = ParseWorldFile("\xEF\xBB\xBF  2.0\r\n+0.5\r\n\t-0.25 \r\n-3e0\r\n10\r\n20\r\n\r\n\n");
    ASSERT_TRUE(turned.ok) << turned.error;
    EXPECT_EQ(turned.transform, (GeoTransform{10.0 - 1.0 + 0.125, 2.0, -0.25, 20.0 - 0.25 + 1.5, 0.5, -3.0}));
    // Written and read back, a geotransform survives to the last bits that matter.
    const GeoTransform t{7.4342913, 8.77e-6, -1.2e-7, 46.9512, 3.1e-7, -5.99e-6};
    const auto back = ParseWorldFile(WorldFileText(t));
    ASSERT_TRUE(back.ok);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(back.transform[i], t[i], 1e-15 * std::max(1.0, std::fabs(t[i])));
}

TEST(WorldFile, RefusalsSayWhatIsWrong) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "it has 0 of the six values"},
        {"1\n0\n0\n-1\n5\n", "it has 5 of the six values"},
        {"0\n0\n0\n0\n0\n0\n", "its pixel size is zero (the picture would cover no area)"},
        {"1\n2\n2\n4\n0\n0\n", "its pixel size is zero (the picture would cover no area)"}, // parallel axes
        {"hello world\n", "line 1 is not a number"},
        {"1\n0\n\n-1\n5\n5\n", "line 3 is not a number"},
        {"1,5\n0\n0\n-1\n5\n5\n", "line 1 is not a number"},
        {"1\n0\n0\n-1\n5\nnan\n", "line 6 is not a number"},
        {"1\n0\n0\n-1\n5\ninf\n", "line 6 is not a number"},
        {"1e400\n0\n0\n-1\n5\n5\n", "line 1 is not a number"},
        {"0x10\n0\n0\n-1\n5\n5\n", "line 1 is not a number"},
        {"1\n0\n0\n-1\n5\n5\n7\n", "it has more than six lines of values"},
        {"1e200\n0\n0\n-1e200\n5\n5\n", "its values are too large"},
        {std::string("1\n0\n0\n-1\n5\n5") + std::string(1, '\0'), "line 6 is not a number"},
        {std::string(kMaxWorldFileBytes + 1, ' '), "it is too long for a world file"},
    };
    for (const auto& [text, error] : cases) {
        const auto r = ParseWorldFile(text);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_EQ(r.error, error) << text;
    }
}

TEST(WorldFile, SidecarNamesAndNumbers) {
    EXPECT_EQ(WorldFileCandidates("/maps/site.png"),
              (std::vector<std::string>{"/maps/site.pgw", "/maps/site.PGW", "/maps/site.pngw",
                                        "/maps/site.PNGW", "/maps/site.wld", "/maps/site.WLD"}));
    EXPECT_EQ(WorldFileCandidates("plan.TIFF")[0], "plan.tfw");
    EXPECT_EQ(WorldFileCandidates("a.jpeg")[0], "a.jgw");
    // A dot in a folder name is no extension.
    EXPECT_EQ(WorldFileCandidates("/a.b/plan"), (std::vector<std::string>{"/a.b/plan.wld", "/a.b/plan.WLD"}));
    EXPECT_EQ(PrjFileCandidates("/maps/site.png"),
              (std::vector<std::string>{"/maps/site.prj", "/maps/site.PRJ"}));

    for (const auto& [text, value] : std::vector<std::pair<std::string, double>>{
             {"1", 1.0}, {" -0.5 ", -0.5}, {"+2", 2.0}, {"1e3", 1000.0}, {".25", 0.25}, {"-.5", -0.5}})
        EXPECT_EQ(ParseNumber(text), value) << text;
    for (const char* text : {"", "-", "+", "1,5", "0x10", "nan", "-inf", "1 2", "1e", "--1", "+-1", "e5"})
        EXPECT_FALSE(ParseNumber(text)) << text;
}

TEST(GeoAffine, GeotransformInversionAndFitAreExact) {
    // A latitude/longitude geotransform with rotation terms is inverted without fitting.
    const GeoTransform t{7.43, 1.1e-5, 4.0e-7, 46.96, -3.0e-7, -7.5e-6};
    const auto m = AffineFromLonLatTransform(t);
    ASSERT_TRUE(m);
    for (const auto& [c, r] : GridPixelPositions(900, 630, 5)) {
        const double lon = t[0] + c * t[1] + r * t[2], lat = t[3] + c * t[4] + r * t[5];
        EXPECT_NEAR(m->Column(lat, lon), c, 1e-9);
        EXPECT_NEAR(m->Row(lat, lon), r, 1e-9);
    }
    EXPECT_FALSE(AffineFromLonLatTransform({0, 1, 2, 0, 2, 4}));
    EXPECT_FALSE(AffineFromLonLatTransform({0, NAN, 0, 0, 0, -1}));

    // Least squares through points of an affine gives it back; the means are taken out first, so
    // a small area far from (0, 0) loses nothing.
    const auto grid = PointsOf(Turned(), GridPixelPositions(900, 630, 4));
    const auto fit = FitAffine(grid);
    ASSERT_TRUE(fit);
    ExpectSameMap(*fit, Turned(), 1e-7);
    EXPECT_LT(MaxResidual(*fit, grid), 1e-7);
    EXPECT_EQ(GridPixelPositions(10, 20, 3).back(), (std::array<double, 2>{10.0, 20.0}));
}

TEST(ControlPoints, ThreeExactPointsGiveTheTransformation) {
    const auto points = PointsOf(Turned(), {{10, 20}, {880, 40}, {300, 600}});
    const ControlPointFit fit = FitControlPoints(points, 900, 630);
    ASSERT_TRUE(fit.ok) << fit.error;
    ExpectSameMap(fit.affine, Turned(), 1e-6);
    ASSERT_EQ(fit.residuals.size(), 3u);
    for (const double r : fit.residuals)
        EXPECT_LT(r, 1e-6);
    EXPECT_TRUE(fit.notes.empty());
}

TEST(ControlPoints, NoisyPointsGiveTheLeastSquaresFit) {
    // Four points, each off by up to two pixels: the fit must be the least-squares one. Checked
    // without repeating the algebra: least-squares residuals are orthogonal to every column of the
    // design (1, latitude, longitude), and no other transformation has a smaller sum of squares.
    auto points = PointsOf(Turned(), {{50, 40}, {850, 60}, {820, 600}, {90, 580}});
    const double noise[4][2] = {{1.5, -0.5}, {-2.0, 1.0}, {0.5, 2.0}, {-1.0, -1.5}};
    for (std::size_t i = 0; i < 4; ++i) {
        points[i].column += noise[i][0];
        points[i].row += noise[i][1];
    }
    const ControlPointFit fit = FitControlPoints(points, 900, 630);
    ASSERT_TRUE(fit.ok) << fit.error;
    double sums[2][3] = {};
    double squares = 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
        const ControlPoint& p = points[i];
        const double rc = fit.affine.Column(p.lat, p.lon) - p.column,
                     rr = fit.affine.Row(p.lat, p.lon) - p.row;
        EXPECT_NEAR(fit.residuals[i], std::hypot(rc, rr), 1e-9);
        squares += rc * rc + rr * rr;
        for (int k = 0; k < 2; ++k) {
            const double r = k == 0 ? rc : rr;
            sums[k][0] += r;
            sums[k][1] += r * (p.lat - 46.95);
            sums[k][2] += r * (p.lon - 7.44);
        }
    }
    for (const auto& s : sums) {
        EXPECT_NEAR(s[0], 0.0, 1e-6);
        EXPECT_NEAR(s[1], 0.0, 1e-9);
        EXPECT_NEAR(s[2], 0.0, 1e-9);
    }
    // Real noise leaves real residuals, and the true transformation fits worse than the fitted one.
    EXPECT_GT(*std::max_element(fit.residuals.begin(), fit.residuals.end()), 0.5);
    double trueSquares = 0.0;
    for (const auto& p : points)
        trueSquares += std::pow(Turned().Column(p.lat, p.lon) - p.column, 2) +
                       std::pow(Turned().Row(p.lat, p.lon) - p.row, 2);
    EXPECT_LT(squares, trueSquares);
}

TEST(ControlPoints, BadSetsAreRefusedWithAReason) {
    const auto good = PointsOf(Turned(), {{10, 20}, {880, 40}, {300, 600}});
    auto with = [&](std::size_t i, ControlPoint p) {
        auto v = good;
        v[i] = p;
        return v;
    };
    const auto onePictureLine = PointsOf(Turned(), {{10, 10}, {400, 300}, {790, 590}});
    // On the ground: the same latitude for all three, at different pixels.
    const std::vector<ControlPoint> oneGroundLine = {
        {10, 10, 46.95, 7.44}, {400, 300, 46.95, 7.441}, {790, 20, 46.95, 7.443}};
    const std::vector<std::pair<std::vector<ControlPoint>, std::string>> cases = {
        {{good[0], good[1]}, "At least three control points are needed to place a picture; 2 were given."},
        {{}, "At least three control points are needed to place a picture; 0 were given."},
        {onePictureLine,
         "The control points lie on one line in the picture, so they cannot place the picture: "
         "choose at least three points that are not in a row, spread over the plan."},
        {oneGroundLine, "The control points lie on one line on the ground, so they cannot place the picture: "
                        "choose at least three points that are not in a row, spread over the plan."},
        {with(2, {10.2, 20.1, 46.9, 7.4}), "Control points 1 and 3 are at the same pixel of the picture; "
                                           "every point must mark a different place."},
        {with(2, {500, 500, good[0].lat, good[0].lon}),
         "Control points 1 and 3 have the same latitude and longitude; every point must mark a different "
         "place."},
        {with(1, {5, 5, 95.0, 7.4}),
         "Control point 2 is not a valid position: latitude must lie within -90..90 "
         "and longitude within -180..180 degrees."},
        {with(1, {5, 5, 46.0, NAN}),
         "Control point 2 is not a valid position: latitude must lie within -90..90 "
         "and longitude within -180..180 degrees."},
        {with(0, {INFINITY, 5, 46.0, 7.0}), "Control point 1 has no valid pixel position."},
    };
    for (const auto& [points, error] : cases) {
        const ControlPointFit fit = FitControlPoints(points, 900, 630);
        EXPECT_FALSE(fit.ok);
        EXPECT_EQ(fit.error, error);
    }
    // A point off the picture is allowed (a corner of the building outside the scan) but noted.
    const ControlPointFit outside =
        FitControlPoints(PointsOf(Turned(), {{10, 20}, {950, 40}, {300, 600}}), 900, 630);
    ASSERT_TRUE(outside.ok);
    EXPECT_EQ(outside.notes, (std::vector<std::string>{"Control point 2 lies outside the picture."}));

    EXPECT_TRUE(ParseControlPoint("10,20.5,46.9,7.4"));
    EXPECT_EQ(ParseControlPoint(" 10 , 20 , -46.9 , 7.4 ")->lat, -46.9);
    for (const char* text :
         {"10,20,46.9", "10,20,46.9,7.4,1", "a,b,c,d", "", ",,,", "10;20;46.9;7.4", "10,20,46.9,"})
        EXPECT_FALSE(ParseControlPoint(text)) << text;
}

TEST(MapPicture, ReducedSizeKeepsShapeAndLimits) {
    EXPECT_EQ(ReducedSize(900, 630, 0, kMaxMapImageBytes).reduced, false);
    EXPECT_EQ(ReducedSize(900, 630, 900 * 630, kMaxMapImageBytes).width, 900);
    // A long strip keeps its length as far as the limit allows.
    const PictureSize strip = ReducedSize(1000000, 1, 100, kMaxMapImageBytes);
    EXPECT_EQ(strip.width, 100);
    EXPECT_EQ(strip.height, 1);
    const PictureSize tall = ReducedSize(3, 1000000, 1000, kMaxMapImageBytes);
    EXPECT_EQ(tall.width, 1);
    EXPECT_EQ(tall.height, 1000);
    // The byte limit alone: a 20000 x 20000 picture (1.2 GB as a BMP) shrinks to just under 512 MiB.
    const PictureSize big = ReducedSize(20000, 20000, 0, kMaxMapImageBytes);
    EXPECT_TRUE(big.reduced);
    EXPECT_LE(Bmp24FileBytes(big.width, big.height), kMaxMapImageBytes);
    EXPECT_GT(Bmp24FileBytes(big.width + 1, big.height + 1), kMaxMapImageBytes);

    // A narrow, very tall picture: its rows' padding is a large share of the bytes (found by fuzzing).
    const PictureSize narrow = ReducedSize(33, 909388845, 0, 4294967354ull);
    EXPECT_LE(Bmp24FileBytes(narrow.width, narrow.height), 4294967354ull);
    EXPECT_GT(Bmp24FileBytes(narrow.width + 1, narrow.height + 1), 4294967354ull);

    std::mt19937_64 rng(5);
    for (int i = 0; i < 2000; ++i) {
        const int W = 1 + static_cast<int>(rng() % 40000), H = 1 + static_cast<int>(rng() % 40000);
        const std::uint64_t P = 1 + rng() % 50000000;
        const std::uint64_t B = 58 + rng() % (600ull << 20);
        const PictureSize s = ReducedSize(W, H, P, B);
        ASSERT_GE(s.width, 1);
        ASSERT_GE(s.height, 1);
        ASSERT_LE(s.width, W);
        ASSERT_LE(s.height, H);
        ASSERT_LE(static_cast<std::uint64_t>(s.width) * s.height, P) << W << "x" << H << " " << P;
        ASSERT_LE(Bmp24FileBytes(s.width, s.height), B) << W << "x" << H << " " << B;
        if (!s.reduced) continue;
        // Both sides scale alike (to a pixel), unless one side had to stop at one pixel.
        if (s.width > 1 && s.height > 1) {
            EXPECT_NEAR(static_cast<double>(s.width) / W, static_cast<double>(s.height) / H,
                        1.5 / std::min(s.width, s.height) + 1e-9)
                << W << "x" << H << " -> " << s.width << "x" << s.height;
            // And nothing is given away: a pixel more on each side would not fit.
            const bool roomier = static_cast<std::uint64_t>(s.width + 2) * (s.height + 2) <= P &&
                                 Bmp24FileBytes(s.width + 2, s.height + 2) <= B && s.width + 2 <= W &&
                                 s.height + 2 <= H;
            EXPECT_FALSE(roomier) << W << "x" << H << " -> " << s.width << "x" << s.height;
        }
    }
}

TEST(MapPicture, CanvasIsTheProgramsBmpAndPixelsGoOnWhite) {
    // The canvas filled row by row is byte for byte the BMP the program writes elsewhere, padding
    // included (7 pixels: 21 bytes + 3 of padding a row).
    const int w = 7, h = 5;
    std::vector<std::uint8_t> rgb(w * h * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = static_cast<std::uint8_t>(i * 37 + 11);
    auto canvas = Bmp24Canvas::Create(w, h, kMaxMapImageBytes);
    ASSERT_TRUE(canvas);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                canvas->Row(y)[3 * x + c] = rgb[(y * w + x) * 3 + 2 - c];
    const auto bytes = canvas->Take();
    EXPECT_EQ(bytes, EncodeBmp24(w, h, rgb));
    EXPECT_TRUE(CheckBmpImage(bytes));
    EXPECT_FALSE(Bmp24Canvas::Create(0, 5, kMaxMapImageBytes));
    EXPECT_FALSE(Bmp24Canvas::Create(20000, 20000, kMaxMapImageBytes)); // refused before allocating

    // Alpha over white, for every value and coverage, is the rounded blend.
    for (int c = 0; c < 256; ++c)
        for (int a = 0; a < 256; ++a)
            ASSERT_EQ(OnWhite(static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(a)),
                      std::lround((c * a + 255.0 * (255 - a)) / 255.0))
                << c << " " << a;

    const std::uint8_t r[3] = {10, 20, 30}, g[3] = {40, 50, 60}, b[3] = {70, 80, 90},
                       alpha[3] = {255, 0, 128};
    std::uint8_t out[9];
    PlanesToBgr(r, g, b, alpha, 3, out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 9),
              (std::vector<std::uint8_t>{70, 40, 10, 255, 255, 255, OnWhite(90, 128), OnWhite(60, 128),
                                         OnWhite(30, 128)}));

    // Palette: the entry's own transparency and the mask both count; unknown indices are white.
    const std::vector<PaletteEntry> palette = {{255, 0, 0, 255}, {0, 0, 255, 0}, {0, 255, 0, 128}};
    const std::int32_t index[5] = {0, 1, 2, 7, -1};
    std::uint8_t pal[15];
    PaletteToBgr(index, palette, nullptr, 5, pal);
    EXPECT_EQ(
        std::vector<std::uint8_t>(pal, pal + 15),
        (std::vector<std::uint8_t>{0, 0, 255, 255, 255, 255, 127, 255, 127, 255, 255, 255, 255, 255, 255}));
    const std::uint8_t half[5] = {128, 255, 255, 255, 255};
    PaletteToBgr(index, palette, half, 1, pal);
    EXPECT_EQ(pal[2], 255);
    EXPECT_EQ(pal[0], OnWhite(0, 128));

    // More than 8 bits: a linear stretch of the range, clamped; no data is white.
    const double values[7] = {1000, 3000, 2000, 0, 5000, NAN, 1500};
    std::uint8_t grey[7];
    StretchToBytes(values, 7, 1000, 3000, grey);
    EXPECT_EQ(std::vector<std::uint8_t>(grey, grey + 7),
              (std::vector<std::uint8_t>{0, 255, 128, 0, 255, 255, 64}));
    StretchToBytes(values, 2, 1000, 1000, grey); // a constant picture
    EXPECT_EQ(grey[0], 255);
}

TEST(MapImportSettle, ResidualsAreJudgedInPixelsOfTheWrittenPicture) {
    // Check points that a straight transformation misses by a known amount: the fitted affine plus
    // a bend of d pixels at the centre column.
    auto bent = [](double d) {
        auto points = PointsOf(Turned(), GridPixelPositions(2000, 1000, 5));
        for (auto& p : points)
            if (p.column == 1000.0 && p.row == 500.0) p.column += d;
        return points;
    };
    auto settle = [&](double d, std::uint64_t maxPixels, MapImportReport& report) {
        report = MapImportReport{};
        report.path = "plan.tif";
        report.sourceWidth = 2000;
        report.sourceHeight = 1000;
        report.coordinateSystem = "Test grid";
        return SettlePlacement(report, Turned(), bent(d), true, maxPixels);
    };
    MapImportReport report;
    EXPECT_EQ(settle(0.5, 0, report), "");
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_FALSE(report.reduced);
    EXPECT_NEAR(report.maxResidualPixels, 0.5, 1e-6);

    EXPECT_EQ(settle(5.0, 0, report), "");
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0],
              "The map is placed to within 5 pixels in Test grid (above 1 pixel): positions "
              "near its edges may be drawn slightly off.");

    EXPECT_EQ(
        settle(30.0, 0, report),
        "The picture \"plan.tif\" covers too large an area for a flat map: a straight latitude/longitude "
        "transformation misses parts of it by up to 30 pixels in Test grid (at most 10 are accepted). Cut it "
        "into smaller maps, reduce the picture, or export it in latitude/longitude (EPSG:4326).");
    // A quarter of the pixels each way: the same miss is 7.5 pixels of the written picture.
    EXPECT_EQ(settle(30.0, 500 * 250, report), "");
    EXPECT_TRUE(report.reduced);
    EXPECT_EQ(report.width, 500);
    EXPECT_EQ(report.height, 250);
    EXPECT_NEAR(report.maxResidualPixels, 7.5, 1e-6);
    EXPECT_NEAR(report.maxResidualSourcePixels, 30.0, 1e-6);
    EXPECT_EQ(report.warnings.size(), 1u);
    EXPECT_DOUBLE_EQ(report.transform.c, Turned().c * 0.25);
    EXPECT_DOUBLE_EQ(report.transform.f, Turned().f * 0.25);
    // The area is the same ground either way.
    const auto full = PictureBounds(Turned(), 2000, 1000);
    EXPECT_NEAR(report.bounds.south, full->south, 1e-12);
    EXPECT_NEAR(report.bounds.east, full->east, 1e-12);
    const auto lines = DescribeMapImport(report);
    EXPECT_EQ(lines[1], "reduced to 500 x 250 pixels to fit the map size limit");

    // A transformation that puts the corners beyond the poles is no map.
    report = MapImportReport{};
    report.path = "plan.tif";
    report.sourceWidth = 2000;
    report.sourceHeight = 1000;
    EXPECT_NE(SettlePlacement(report, MapAffine{0, 1, 0, 1e-3, 0, 0}, {}, false, 0).find("outside the globe"),
              std::string::npos);
}
