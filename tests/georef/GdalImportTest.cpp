// Maps from real raster files: the demo map written by GDAL in UTM, Web Mercator and
// latitude/longitude and read back; every kind of pixel; reduction; control points; refusals.
#include "georef/MapImport.h"
#include "georef/MapPicture.h"
#include "georef/RasterFixtures.h"
#include "georef/WorldFile.h"
#include "support/Fixtures.h"

#include <gdal_priv.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace plotra;
using namespace plotra::test;

namespace {

/// The written picture's RGB pixels.
std::vector<std::uint8_t> Pixels(const MapImportResult& r) {
    int w = 0, h = 0;
    return DecodeBmp24(r.image.picture, w, h);
}

/// The demo picture's RGB pixels, interleaved.
std::vector<std::uint8_t> DemoRgb() {
    const Raster& p = Demo().picture;
    const std::size_t plane = static_cast<std::size_t>(p.width) * p.height;
    std::vector<std::uint8_t> rgb(plane * 3);
    for (std::size_t i = 0; i < plane; ++i)
        for (std::size_t b = 0; b < 3; ++b)
            rgb[3 * i + b] = p.samples[b * plane + i];
    return rgb;
}

/// A small picture placed in latitude/longitude by a world file and a .prj: the pixels are what
/// these tests look at.
void PlaceByWorldFile(const std::string& picture, const std::string& worldExt, int w, int h) {
    const std::string base = picture.substr(0, picture.rfind('.'));
    WriteText(base + "." + worldExt, WorldFileText({7.44, 1e-5, 0.0, 46.95, 0.0, -1e-5 * w / h}));
    WriteText(base + ".prj", "EPSG:4326\n");
}

Raster Filled(int w, int h, int bands, std::uint8_t value) {
    Raster r;
    r.width = w;
    r.height = h;
    r.bands = bands;
    r.samples.assign(static_cast<std::size_t>(w) * h * bands, value);
    return r;
}

} // namespace

TEST(GeorefImport, DemoMapRoundTripsThroughUtmAndWebMercator) {
    // The demo area lies at 46.95 N, 7.44 E: UTM zone 32 (6 to 12 degrees east) holds all of it.
    for (const LatLon& p : Demo().surveyPositions)
        ASSERT_EQ(static_cast<int>(std::floor((p.lon + 180.0) / 6.0)) + 1, 32);
    for (const auto& [srs, name] : std::vector<std::pair<std::string, std::string>>{
             {"EPSG:32632", "WGS 84 / UTM zone 32N (EPSG:32632)"},
             {"EPSG:3857", "WGS 84 / Pseudo-Mercator (EPSG:3857)"}}) {
        SCOPED_TRACE(srs);
        TempDir dir;
        const std::string path = dir.File("demo.tif");
        WriteRaster(path, Demo().picture, {"GTiff", DemoTransformIn(srs), srs, {}, {}});
        const MapImportResult r = ImportMapImage(path);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(r.report.format, "GTiff");
        EXPECT_EQ(r.report.kind, GeoreferenceKind::Fitted);
        EXPECT_EQ(r.report.coordinateSystem, name);
        EXPECT_EQ(r.report.georeference, "the file's own georeference (GTiff)");
        EXPECT_EQ(r.report.fitPoints, kFitGridSide * kFitGridSide);
        EXPECT_LT(r.report.maxResidualPixels, 0.1);
        EXPECT_TRUE(r.report.warnings.empty());
        EXPECT_FALSE(r.report.reduced);
        EXPECT_EQ(Pixels(r), DemoRgb());

        CPlotraDoc doc;
        ASSERT_TRUE(LoadImported(doc, r));
        EXPECT_EQ(doc.Map().m_nImageWidth, 900);
        const double shift = LargestSurveyShiftPixels(Demo().doc, doc);
        EXPECT_LT(shift, 0.5);
        std::printf("[ figures  ] %s: fit residual %.3g px, largest survey point shift %.3g px\n",
                    srs.c_str(), r.report.maxResidualPixels, shift);
    }
}

TEST(GeorefImport, DemoPngWithWorldFileInLatLonIsExact) {
    TempDir dir;
    const std::string path = dir.File("demo.png");
    WriteRaster(path, Demo().picture, {"PNG", std::nullopt, "", {}, {}});
    WriteText(dir.File("demo.pgw"), WorldFileText(DemoTransformIn("EPSG:4326")));
    WriteText(dir.File("demo.prj"), Wkt("EPSG:4326"));
    const MapImportResult r = ImportMapImage(path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.report.format, "PNG");
    EXPECT_EQ(r.report.kind, GeoreferenceKind::Exact);
    EXPECT_EQ(r.report.georeference, "world file demo.pgw");
    EXPECT_EQ(r.report.coordinateSystemSource, "demo.prj");
    EXPECT_LT(r.report.maxResidualPixels, 1e-9);
    EXPECT_EQ(Pixels(r), DemoRgb());
    CPlotraDoc doc;
    ASSERT_TRUE(LoadImported(doc, r));
    // Exact up to rounding. The limit is the map's own arithmetic: a row is d*lat + f with f about
    // 7.8 million pixels here, whose last bit is 9.3e-10 pixel, so two transformations that agree
    // to the last bit of every coefficient but one already differ by that much.
    const double shift = LargestSurveyShiftPixels(Demo().doc, doc);
    auto ulp = [](double v) { return std::nextafter(std::fabs(v), INFINITY) - std::fabs(v); };
    EXPECT_LT(shift, 4.0 * (ulp(Demo().transform.f) + ulp(Demo().transform.c)));
    std::printf("[ figures  ] EPSG:4326 world file: largest survey point shift %.3g px\n", shift);

    // The same picture as a web-map screenshot: JPEG, a .jgw in Web Mercator and a .prj of one line.
    const std::string jpeg = dir.File("shot.jpg");
    WriteRaster(jpeg, Demo().picture, {"JPEG", std::nullopt, "", {"QUALITY=95"}, {}});
    WriteText(dir.File("shot.jgw"), WorldFileText(DemoTransformIn("EPSG:3857")));
    WriteText(dir.File("shot.prj"), "EPSG:3857\n");
    const MapImportResult shot = ImportMapImage(jpeg);
    ASSERT_TRUE(shot.ok) << shot.message;
    EXPECT_EQ(shot.report.format, "JPEG");
    EXPECT_EQ(shot.report.kind, GeoreferenceKind::Fitted);
    CPlotraDoc shotDoc;
    ASSERT_TRUE(LoadImported(shotDoc, shot));
    EXPECT_LT(LargestSurveyShiftPixels(Demo().doc, shotDoc), 0.5);
    // JPEG is lossy: the picture is close, not equal.
    const auto got = Pixels(shot), want = DemoRgb();
    double diff = 0.0;
    for (std::size_t i = 0; i < got.size(); ++i)
        diff += std::abs(got[i] - want[i]);
    EXPECT_LT(diff / static_cast<double>(got.size()), 6.0);
}

TEST(GeorefImport, EveryKindOfPixelBecomesColourOnWhite) {
    TempDir dir;
    const int w = 40, h = 30;
    const std::size_t plane = w * h;
    auto at = [&](const MapImportResult& r, int x, int y) {
        const auto rgb = Pixels(r);
        const std::size_t i = (static_cast<std::size_t>(y) * w + x) * 3;
        return std::array<int, 3>{rgb[i], rgb[i + 1], rgb[i + 2]};
    };
    auto import = [&](const std::string& name, const Raster& raster, const std::string& driver) {
        const std::string path = dir.File(name);
        WriteRaster(path, raster, {driver, std::nullopt, "", {}, {}});
        PlaceByWorldFile(path, "wld", w, h);
        MapImportResult r = ImportMapImage(path);
        EXPECT_TRUE(r.ok) << name << ": " << r.message;
        return r;
    };

    // RGBA: opaque, transparent and half-covered pixels.
    Raster rgba = Filled(w, h, 4, 0);
    rgba.alphaLast = true;
    for (std::size_t i = 0; i < plane; ++i) {
        rgba.samples[i] = 200;
        rgba.samples[plane + i] = 100;
        rgba.samples[2 * plane + i] = 50;
        rgba.samples[3 * plane + i] = i % w < 10 ? 255 : (i % w < 20 ? 0 : 128);
    }
    const auto a = import("rgba.png", rgba, "PNG");
    EXPECT_EQ(at(a, 5, 5), (std::array<int, 3>{200, 100, 50}));
    EXPECT_EQ(at(a, 15, 5), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(at(a, 25, 5), (std::array<int, 3>{OnWhite(200, 128), OnWhite(100, 128), OnWhite(50, 128)}));

    // Paletted: an opaque entry, a transparent one (PNG tRNS).
    Raster pal = Filled(w, h, 1, 0);
    pal.palette = {{10, 20, 30, 255}, {0, 0, 255, 0}};
    for (std::size_t i = 0; i < plane; ++i)
        pal.samples[i] = i % w < 20 ? 0 : 1;
    const auto p = import("pal.png", pal, "PNG");
    EXPECT_EQ(at(p, 3, 3), (std::array<int, 3>{10, 20, 30}));
    EXPECT_EQ(at(p, 30, 3), (std::array<int, 3>{255, 255, 255}));

    // Grey, 8-bit TIFF and grey with alpha PNG.
    Raster grey = Filled(w, h, 1, 0);
    for (std::size_t i = 0; i < plane; ++i)
        grey.samples[i] = static_cast<std::uint8_t>(i % w * 6);
    const auto g = import("grey.tif", grey, "GTiff");
    EXPECT_EQ(at(g, 7, 2), (std::array<int, 3>{42, 42, 42}));
    Raster greyAlpha = Filled(w, h, 2, 90);
    greyAlpha.alphaLast = true;
    for (std::size_t i = 0; i < plane; ++i)
        greyAlpha.samples[plane + i] = i % w < 20 ? 255 : 0;
    const auto ga = import("greya.png", greyAlpha, "PNG");
    EXPECT_EQ(at(ga, 1, 1), (std::array<int, 3>{90, 90, 90}));
    EXPECT_EQ(at(ga, 39, 1), (std::array<int, 3>{255, 255, 255}));

    // 16-bit grey (a scan or an elevation model): stretched from its smallest to its largest value.
    Raster wide = Filled(w, h, 1, 0);
    wide.sixteenBit = true;
    wide.wide.resize(plane);
    for (std::size_t i = 0; i < plane; ++i)
        wide.wide[i] = static_cast<std::uint16_t>(1000 + 50 * (i % w));
    const auto s = import("wide.tif", wide, "GTiff");
    EXPECT_EQ(at(s, 0, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(at(s, 39, 0), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(at(s, 13, 0)[0], std::lround(13.0 * 255.0 / 39.0));
}

TEST(GeorefImport, LargePicturesAreReducedWithTheirTransformation) {
    // A white picture with one black square: after the reduction the square must still sit where
    // the scaled transformation puts its place.
    TempDir dir;
    const int w = 300, h = 200;
    Raster r = Filled(w, h, 3, 255);
    for (int y = 40; y < 70; ++y)
        for (int x = 60; x < 90; ++x)
            for (int b = 0; b < 3; ++b)
                r.samples[static_cast<std::size_t>(b) * w * h + y * w + x] = 0;
    const std::string path = dir.File("square.tif");
    const GeoTransform t{7.44, 2e-5, 0.0, 46.95, 0.0, -1.4e-5};
    WriteRaster(path, r, {"GTiff", t, "EPSG:4326", {}, {}});
    MapImportOptions options;
    options.maxPixels = 6000;
    const MapImportResult m = ImportMapImage(path, options);
    ASSERT_TRUE(m.ok) << m.message;
    ASSERT_TRUE(m.report.reduced);
    EXPECT_LE(m.report.width * m.report.height, 6000);
    EXPECT_EQ(m.report.warnings,
              (std::vector<std::string>{
                  "The picture is reduced from 300 x 200 to " + std::to_string(m.report.width) + " x " +
                  std::to_string(m.report.height) + " pixels to fit the map size limit."}));
    const auto rgb = Pixels(m);
    double sx = 0, sy = 0, weight = 0;
    for (int y = 0; y < m.report.height; ++y)
        for (int x = 0; x < m.report.width; ++x) {
            const double dark = 255.0 - rgb[(static_cast<std::size_t>(y) * m.report.width + x) * 3];
            sx += dark * (x + 0.5);
            sy += dark * (y + 0.5);
            weight += dark;
        }
    // The square's centre, pixel (75, 55) of the source, is at this place:
    const double lon = t[0] + 75 * t[1], lat = t[3] + 55 * t[5];
    EXPECT_NEAR(sx / weight, m.report.transform.Column(lat, lon), 0.5);
    EXPECT_NEAR(sy / weight, m.report.transform.Row(lat, lon), 0.5);
    // Average resampling: the area of dark ink is kept.
    EXPECT_NEAR(weight / 255.0, 30.0 * 30.0 * m.report.width * m.report.height / (w * h), 2.0);

    // Only the georeference: no pixel read, the same report.
    options.readPicture = false;
    const MapImportResult info = ImportMapImage(path, options);
    ASSERT_TRUE(info.ok);
    EXPECT_TRUE(info.image.picture.empty());
    EXPECT_EQ(info.report.width, m.report.width);
}

TEST(GeorefImport, ControlPointsPlacePlansWithoutGeoreference) {
    TempDir dir;
    const Raster plan = Filled(400, 300, 3, 200);
    const std::string path = dir.File("plan.png");
    WriteRaster(path, plan, {"PNG", std::nullopt, "", {}, {}});
    MapImportOptions options;
    options.controlPoints = {
        {0, 0, 46.951, 7.440}, {400, 0, 46.951, 7.445}, {0, 300, 46.948, 7.440}, {400, 300, 46.948, 7.445}};
    options.controlPoints[3].column += 1.0; // measured a pixel off
    const MapImportResult r = ImportMapImage(path, options);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.report.kind, GeoreferenceKind::ControlPoints);
    EXPECT_EQ(r.report.georeference, "control points");
    ASSERT_EQ(r.report.controlPointResiduals.size(), 4u);
    // One point a pixel off among four at the corners of a rectangle: each misses by a quarter.
    for (const double res : r.report.controlPointResiduals)
        EXPECT_NEAR(res, 0.25, 1e-6);

    // Collinear points are refused, whatever the picture carries.
    options.controlPoints = {{0, 0, 46.951, 7.440}, {100, 100, 46.950, 7.441}, {200, 200, 46.949, 7.442}};
    const MapImportResult bad = ImportMapImage(path, options);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.caption, "Map Import");
    EXPECT_NE(bad.message.find("lie on one line in the picture"), std::string::npos) << bad.message;

    // Control points stored in the file (a GIS georeferencer's output) in Web Mercator.
    std::vector<ControlPoint> gcps;
    for (const auto& [c, row] : std::vector<std::array<double, 2>>{{0, 0}, {400, 0}, {0, 300}, {400, 300}}) {
        const double lon = 7.44 + c * 1.25e-5, lat = 46.951 - row * 1e-5;
        const auto xy = TransformXY("EPSG:4326", "EPSG:3857", lon, lat);
        gcps.push_back({c, row, xy[1], xy[0]}); // GDAL's GCP x/y in the control points' system
    }
    const std::string gcpPath = dir.File("gcps.tif");
    WriteRaster(gcpPath, plan, {"GTiff", std::nullopt, "EPSG:3857", {}, gcps});
    const MapImportResult fromFile = ImportMapImage(gcpPath);
    ASSERT_TRUE(fromFile.ok) << fromFile.message;
    EXPECT_EQ(fromFile.report.georeference, "control points in the file");
    EXPECT_NEAR(fromFile.report.transform.Column(46.951, 7.44), 0.0, 1e-3);
    EXPECT_NEAR(fromFile.report.transform.Row(46.948, 7.445), 300.0, 1e-2);
}

TEST(GeorefImport, LargeAreasInMapSystemsWarnThenAreRefused) {
    TempDir dir;
    const Raster blank = Filled(2000, 2000, 1, 128);
    // 40 km of UTM in 2000 pixels: meridian convergence bends it by a few pixels.
    const std::string warn = dir.File("warn.tif");
    WriteRaster(warn, blank, {"GTiff", GeoTransform{380000, 20, 0, 5240000, 0, -20}, "EPSG:32632", {}, {}});
    MapImportOptions noPixels;
    noPixels.readPicture = false;
    const MapImportResult w = ImportMapImage(warn, noPixels);
    ASSERT_TRUE(w.ok) << w.message;
    EXPECT_GT(w.report.maxResidualPixels, 1.0);
    EXPECT_LT(w.report.maxResidualPixels, 10.0);
    ASSERT_EQ(w.report.warnings.size(), 1u);
    EXPECT_NE(w.report.warnings[0].find("(above 1 pixel)"), std::string::npos);
    // A continent in Web Mercator.
    const std::string refuse = dir.File("refuse.tif");
    WriteRaster(refuse, Filled(1000, 1000, 1, 128),
                {"GTiff", GeoTransform{0, 6000, 0, 8000000, 0, -8000}, "EPSG:3857", {}, {}});
    const MapImportResult r = ImportMapImage(refuse);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.caption, "Map Import");
    EXPECT_NE(r.message.find("covers too large an area for a flat map"), std::string::npos) << r.message;
}

TEST(GeorefImport, HostileAndIncompleteFilesAreRefusedWithAReason) {
    TempDir dir;
    const Raster small = Filled(600, 400, 3, 77);
    const GeoTransform t{7.44, 1e-5, 0.0, 46.95, 0.0, -1e-5};
    const std::string good = dir.File("good.tif");
    WriteRaster(good, small, {"GTiff", t, "EPSG:4326", {}, {}});
    std::ifstream in(good, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});

    auto refused = [](const std::string& path) {
        MapImportResult r = ImportMapImage(path);
        EXPECT_FALSE(r.ok) << path;
        EXPECT_TRUE(r.image.picture.empty());
        return r;
    };
    // Cut in the middle of the pixels: the header promises more than the file holds.
    WriteText(dir.File("cut.tif"), bytes.substr(0, bytes.size() * 6 / 10));
    auto r = refused(dir.File("cut.tif"));
    EXPECT_EQ(r.caption, "Invalid File");
    EXPECT_EQ(r.message.rfind("The picture \"" + dir.File("cut.tif") + "\" could not be read completely", 0),
              0u)
        << r.message;
    // Cut inside the header: no picture at all.
    WriteText(dir.File("stub.tif"), bytes.substr(0, 6));
    r = refused(dir.File("stub.tif"));
    EXPECT_FALSE(r.picture);
    EXPECT_EQ(
        r.message.rfind("The file \"" + dir.File("stub.tif") + "\" is not a picture Plotra can read", 0), 0u)
        << r.message;
    r = refused(dir.File("missing.tif"));
    EXPECT_EQ(r.caption + ": " + r.message,
              "File Open Error: Could not open file \"" + dir.File("missing.tif") + "\"");

    // A huge declared size in a tiny file (sparse TIFF): refused before anything is read.
    {
        GDALAllRegister();
        GDALDriver* gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
        const char* options[] = {"SPARSE_OK=TRUE",  "BIGTIFF=YES",     "TILED=YES",
                                 "BLOCKXSIZE=4096", "BLOCKYSIZE=4096", nullptr};
        GDALDataset* huge = gtiff->Create(dir.File("huge.tif").c_str(), 100000, 100000, 3, GDT_Byte,
                                          const_cast<char**>(options));
        double gt[6] = {7.0, 1e-6, 0, 47.0, 0, -1e-6};
        huge->SetGeoTransform(gt);
        GDALClose(huge);
    }
    EXPECT_LT(std::filesystem::file_size(dir.File("huge.tif")), 100000u);
    r = refused(dir.File("huge.tif"));
    EXPECT_EQ(r.message,
              "The picture \"" + dir.File("huge.tif") +
                  "\" declares 100000 x 100000 pixels; pictures of up to 1073741824 pixels can be read. "
                  "Cut or reduce it with an image editor or GIS first.");

    // World files of zeros and of text, and a .prj of garbage.
    const std::string png = dir.File("plan.png");
    WriteRaster(png, Filled(50, 40, 3, 10), {"PNG", std::nullopt, "", {}, {}});
    WriteText(dir.File("plan.pgw"), "0\n0\n0\n0\n0\n0\n");
    r = refused(png);
    EXPECT_EQ(r.caption + ": " + r.message,
              "Invalid File: The world file \"" + dir.File("plan.pgw") +
                  "\" cannot be used: its pixel size is zero (the picture would "
                  "cover no area).");
    WriteText(dir.File("plan.pgw"), "<html>this is a web page, not a world file</html>\n");
    r = refused(png);
    EXPECT_EQ(r.message,
              "The world file \"" + dir.File("plan.pgw") + "\" cannot be used: line 1 is not a number.");
    WriteText(dir.File("plan.pgw"), WorldFileText(t));
    r = refused(png);
    EXPECT_EQ(r.caption, "Map Import");
    EXPECT_NE(r.message.find("has no coordinate system"), std::string::npos) << r.message;
    WriteText(dir.File("plan.prj"), "PROJCS[\"garbage\", GEOGCS[ this is not a coordinate system");
    r = refused(png);
    EXPECT_EQ(
        r.message.rfind("The coordinate system file \"" + dir.File("plan.prj") + "\" is not understood", 0),
        0u)
        << r.message;
    // A .prj that names a file or a web address is not followed.
    WriteText(dir.File("plan.prj"), dir.File("good.tif"));
    EXPECT_NE(refused(png).message.find("is not understood"), std::string::npos);
    WriteText(dir.File("plan.prj"), "http://example.invalid/crs.wkt");
    EXPECT_NE(refused(png).message.find("is not understood"), std::string::npos);
    // Neither a world file nor a geotransform.
    std::filesystem::remove(dir.File("plan.pgw"));
    std::filesystem::remove(dir.File("plan.prj"));
    r = refused(png);
    EXPECT_TRUE(r.picture);
    EXPECT_NE(r.message.find("has no georeference"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("--gcp"), std::string::npos) << r.message;
    // Text is not a picture.
    WriteText(dir.File("notes.txt"), "survey notes\n");
    EXPECT_FALSE(refused(dir.File("notes.txt")).picture);
}
