// Floor plans with a scale: what a user types is read (or refused) as they meant it, and the map a
// placed plan becomes measures what the plan says: the ruler's distance between the scale points
// and at right angles to them, north where the plan says, and pixels that come back where they
// started - also on a rotated plan, in feet, far from the equator and on a reduced picture.
#include "georef/FloorPlan.h"
#include "files/ProjectionWriter.h"
#include "georef/render/PlanPicture.h"
#include "model/PlotraDoc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace plotra;

namespace {

/// A plain plan picture of the plan's own size, or smaller when \p written is given (as a plan too
/// large for a map is written).
PlanPicture Plan(int width, int height, QSize written = {}) {
    PlanPicture plan;
    plan.sourceWidth = width;
    plan.sourceHeight = height;
    plan.image = QImage(written.isValid() ? written : QSize(width, height), QImage::Format_RGB32);
    plan.image.fill(Qt::white);
    plan.reduced = written.isValid();
    plan.format = "PNG";
    return plan;
}

/// The ruler's distance on the loaded map between two pixels of the plan's own picture.
struct LoadedPlan {
    CPlotraDoc doc;
    MapAffine transform; ///< of the written picture
    double sx = 1.0, sy = 1.0;

    CDataGeo MapAt(double column, double row) const {
        const auto g = PixelToLatLon(transform, column * sx, row * sy);
        return doc.GeoToMap(g->lat, g->lon);
    }
    double Ruler(double c1, double r1, double c2, double r2) const {
        const CDataGeo a = MapAt(c1, r1), b = MapAt(c2, r2);
        return std::hypot(a.m_dX - b.m_dX, a.m_dY - b.m_dY);
    }
};

bool Load(LoadedPlan& loaded, const PlanPicture& plan, const PlanPlacement& placement) {
    const FloorPlanMap map = MakeFloorPlanMap(plan, placement);
    EXPECT_TRUE(map.ok) << map.message;
    if (!map.ok) return false;
    loaded.transform = map.transform;
    loaded.sx = static_cast<double>(plan.image.width()) / plan.sourceWidth;
    loaded.sy = static_cast<double>(plan.image.height()) / plan.sourceHeight;
    return loaded.doc.ReadProjectionFile(EncodeProjectionFile(map.image));
}

} // namespace

TEST(FloorPlan, TypedDistancesAndScaleArguments) {
    EXPECT_DOUBLE_EQ(*ParseDistance("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(*ParseDistance("12.5m"), 12.5);
    EXPECT_DOUBLE_EQ(*ParseDistance(" 41 ft "), 41 * 0.3048);
    EXPECT_DOUBLE_EQ(*ParseDistance("-3m"), -3.0); // said to be unusable by CheckPlacement, not here
    for (const char* bad : {"", "m", "abc", "nan", "inf", "12 yd", "12mm", "1,5", "ft12"})
        EXPECT_FALSE(ParseDistance(bad)) << bad;

    const ScaleArgument ok = ParseScaleArgument("10,20.5,310,20.5,30ft");
    ASSERT_TRUE(ok.ok) << ok.error;
    EXPECT_DOUBLE_EQ(ok.scale.y1, 20.5);
    EXPECT_DOUBLE_EQ(ok.scale.x2, 310);
    EXPECT_DOUBLE_EQ(ok.scale.metres, 30 * 0.3048);
    EXPECT_DOUBLE_EQ(ok.scale.MetresPerPixel(), 30 * 0.3048 / 300);
    // Wrong shape is a usage error; a distance that is no number is a refusal with its reason.
    for (const char* usage : {"10,20,30,40", "10,20,30,40,5m,6", "a,20,30,40,5m", "10,,30,40,5m"}) {
        const ScaleArgument r = ParseScaleArgument(usage);
        EXPECT_FALSE(r.ok) << usage;
        EXPECT_TRUE(r.usage) << usage;
    }
    const ScaleArgument word = ParseScaleArgument("10,20,30,40,ten");
    EXPECT_FALSE(word.ok);
    EXPECT_FALSE(word.usage);
    EXPECT_EQ(word.error, "The scale's distance \"ten\" is not a number: give the distance between the two "
                          "points in metres or feet, such as 12.5m or 41ft.");
    EXPECT_FALSE(ParseOrigin("46.9"));
    EXPECT_FALSE(ParseOrigin("46.9,7.4,3"));
    EXPECT_DOUBLE_EQ(ParseOrigin("-33.86, 151.2")->lon, 151.2);
}

TEST(FloorPlan, PlacementsThatCannotWorkAreRefusedWithTheirReason) {
    PlanPlacement p;
    p.scale = {100, 100, 900, 100, 20.0};
    EXPECT_EQ(CheckPlacement(p, 1000, 800), "");
    // The picture's corners are inside: the corner convention runs from 0 to the width.
    p.scale = {0, 0, 1000, 800, 20.0};
    EXPECT_EQ(CheckPlacement(p, 1000, 800), "");

    const auto refusal = [](PlanPlacement q) { return CheckPlacement(q, 1000, 800); };
    PlanPlacement q = p;
    q.scale.metres = 0.0;
    EXPECT_EQ(refusal(q), "The scale's distance must be more than 0; 0 m was given.");
    q.scale.metres = -5.0;
    EXPECT_NE(refusal(q).find("must be more than 0"), std::string::npos);
    q = p;
    q.scale = {100, 100, 1000.5, 100, 20.0};
    EXPECT_EQ(refusal(q),
              "The scale's point 2 (1000.5, 100) lies outside the picture, which is 1000 x 800 pixels: "
              "pixels count from its top-left corner, 0,0.");
    q.scale = {-1, 100, 500, 100, 20.0};
    EXPECT_NE(refusal(q).find("point 1 (-1, 100) lies outside"), std::string::npos);
    q.scale = {300, 300, 300.5, 300.5, 20.0};
    EXPECT_NE(refusal(q).find("less than a pixel apart"), std::string::npos);
    q = p;
    q.originLat = 86.0;
    EXPECT_NE(refusal(q).find("is not a position a floor plan can lie at"), std::string::npos);
    q.originLat = 10.0;
    q.originLon = 181.0;
    EXPECT_NE(refusal(q).find("is not a position"), std::string::npos);
    q = p;
    q.northDegrees = std::nan("");
    EXPECT_NE(refusal(q).find("north angle"), std::string::npos);
    EXPECT_FALSE(FloorPlanAffine(q));
}

// Every case: the ruler on the loaded map gives the scale's distance between its points and the
// same distance at right angles to them (0.1 %), the plan's up points along the north angle, and a
// pixel goes to latitude/longitude and back within 0.01 pixel.
TEST(FloorPlan, TheLoadedMapMeasuresWhatThePlanSays) {
    struct Case {
        const char* name;
        int width, height;
        QSize written;
        PlanScale scale;
        double lat, lon, north;
    };
    const Case cases[] = {
        {"plain, at 0,0", 1200, 800, {}, {50, 50, 1150, 50, 22.0}, 0.0, 0.0, 0.0},
        {"diagonal scale, rotated north", 2000, 1400, {}, {120, 1300, 1800, 200, 63.0}, 46.95, 7.44, 30.0},
        {"feet, north to the left",
         1500,
         2100,
         {},
         {10, 10, 10, 2000, 180 * kMetresPerFoot},
         40.71,
         -74.0,
         -90.0},
        {"far north, large site", 3000, 3000, {}, {0, 1500, 3000, 1500, 900.0}, 69.65, 18.96, 200.0},
        {"southern hemisphere", 900, 600, {}, {100, 100, 800, 500, 35.0}, -33.86, 151.21, 135.0},
        {"reduced picture", 3000, 2000, QSize(977, 651), {250, 1800, 2750, 300, 48.5}, 51.5, -0.12, 12.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlanPicture plan = Plan(c.width, c.height, c.written);
        PlanPlacement placement;
        placement.scale = c.scale;
        placement.originLat = c.lat;
        placement.originLon = c.lon;
        placement.northDegrees = c.north;
        LoadedPlan loaded;
        ASSERT_TRUE(Load(loaded, plan, placement));
        EXPECT_EQ(loaded.doc.Map().m_nImageWidth, plan.image.width());

        const PlanScale& s = c.scale;
        const double along = loaded.Ruler(s.x1, s.y1, s.x2, s.y2);
        EXPECT_NEAR(along / s.metres, 1.0, 0.001) << along;
        // The same pixel length turned by a right angle about the first point.
        const double across = loaded.Ruler(s.x1, s.y1, s.x1 - (s.y2 - s.y1), s.y1 + (s.x2 - s.x1));
        EXPECT_NEAR(across / s.metres, 1.0, 0.001) << across;

        // The top-left corner lies at the origin; the plan's up points to the north angle.
        const auto corner = PixelToLatLon(loaded.transform, 0, 0);
        EXPECT_NEAR(corner->lat, c.lat, 1e-9);
        EXPECT_NEAR(corner->lon, c.lon, 1e-9);
        const double cx = c.width / 2.0, cy = c.height / 2.0;
        const auto centre = PixelToLatLon(loaded.transform, cx * loaded.sx, cy * loaded.sy);
        const auto above = PixelToLatLon(loaded.transform, cx * loaded.sx, (cy - 100) * loaded.sy);
        const double dNorth = above->lat - centre->lat;
        const double dEast = (above->lon - centre->lon) * std::cos(centre->lat * std::numbers::pi / 180.0);
        // The plan's up lies at -north from true north (north is clockwise from up).
        const double upBearing = std::atan2(dEast, dNorth) * 180.0 / std::numbers::pi;
        EXPECT_NEAR(std::remainder(upBearing + c.north, 360.0), 0.0, 0.01) << upBearing;

        for (const auto& [col, row] : GridPixelPositions(plan.image.width(), plan.image.height(), 7)) {
            const auto g = PixelToLatLon(loaded.transform, col, row);
            ASSERT_TRUE(g);
            EXPECT_NEAR(loaded.transform.Column(g->lat, g->lon), col, 0.01);
            EXPECT_NEAR(loaded.transform.Row(g->lat, g->lon), row, 0.01);
        }
    }
}

TEST(FloorPlan, TransparentPlansAreDrawnOnWhite) {
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixelColor(0, 0, QColor(255, 0, 0));
    image.setPixelColor(1, 1, QColor(0, 0, 255, 128));
    const std::vector<std::uint8_t> bmp = PlanBmp(image);
    ASSERT_EQ(bmp.size(), 54u + 2 * 12u);
    // Bottom-up rows of blue, green, red: the top row is the second stored row.
    const std::uint8_t* top = bmp.data() + 54 + 12;
    const std::uint8_t* bottom = bmp.data() + 54;
    EXPECT_EQ((std::array<int, 6>{top[0], top[1], top[2], top[3], top[4], top[5]}),
              (std::array<int, 6>{0, 0, 255, 255, 255, 255}));
    EXPECT_EQ((std::array<int, 3>{bottom[3], bottom[4], bottom[5]}), (std::array<int, 3>{255, 127, 127}));
}
