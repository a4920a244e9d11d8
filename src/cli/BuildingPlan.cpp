#include "cli/BuildingPlan.h"

#include "georef/render/PlanPicture.h"
#include "mapview/RenderApplication.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace plotra::cli {

namespace {

constexpr double kWallThicknessM = 0.2;

} // namespace

QImage DrawFloorPlan(const sim::Floor& floor) {
    const double k = floor.pixelsPerMetre;
    QImage image(floor.WidthPx(), floor.HeightPx(), QImage::Format_RGB32);
    image.fill(QColor(248, 248, 248));
    QPainter p(&image);
    const auto px = [k](double x, double y) { return QPointF(x * k, y * k); };
    p.fillRect(QRectF(px(floor.buildingX0, floor.buildingY0), px(floor.buildingX1, floor.buildingY1)),
               Qt::white);
    // The corridor: the strip between the rooms of the two sides.
    double corridorY0 = floor.buildingY0, corridorY1 = floor.buildingY1;
    for (const sim::Room& r : floor.rooms) {
        if (r.y0 == floor.buildingY0) corridorY0 = std::max(corridorY0, r.y1);
        if (r.y1 == floor.buildingY1) corridorY1 = std::min(corridorY1, r.y0);
    }
    if (corridorY1 > corridorY0)
        p.fillRect(QRectF(px(floor.buildingX0, corridorY0), px(floor.buildingX1, corridorY1)),
                   QColor(236, 236, 236));

    // Doors first, thin and grey: the leaf standing open at right angles and the arc of its swing.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(130, 130, 130), 1.5));
    p.setBrush(Qt::NoBrush);
    for (const sim::Door& d : floor.doors) {
        const double width = std::fabs(d.x2 - d.x1);
        const double leafY = d.opensDown ? d.y + width : d.y - width;
        p.drawLine(px(d.x1, d.y), px(d.x1, leafY));
        QPainterPath swing(px(d.x1, leafY));
        const QRectF circle(px(d.x1 - width, d.y - width), px(d.x1 + width, d.y + width));
        // Qt's angles run anticlockwise from three o'clock, with y up the screen.
        const double leafAngle = d.opensDown ? -90.0 : 90.0;
        const double closedAngle = d.x2 > d.x1 ? 0.0 : 180.0;
        double sweep = closedAngle - leafAngle;
        if (sweep > 180.0) sweep -= 360.0;
        if (sweep < -180.0) sweep += 360.0;
        swing.arcTo(circle, leafAngle, sweep);
        p.drawPath(swing);
    }

    // Walls: square ends where they meet, so that the corners close.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(45, 45, 45), kWallThicknessM * k, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    for (const sim::Wall& w : floor.walls) {
        // A wall beside a door stops at the door's edge: its square end would narrow the opening.
        bool besideDoor = false;
        for (const sim::Door& d : floor.doors)
            if (w.y1 == d.y && w.y2 == d.y)
                for (double x : {d.x1, d.x2})
                    besideDoor = besideDoor || w.x1 == x || w.x2 == x;
        if (besideDoor) {
            const QPen square = p.pen();
            QPen flat = square;
            flat.setCapStyle(Qt::FlatCap);
            p.setPen(flat);
            p.drawLine(px(w.x1, w.y1), px(w.x2, w.y2));
            p.setPen(square);
        } else {
            p.drawLine(px(w.x1, w.y1), px(w.x2, w.y2));
        }
    }
    p.end();
    return image;
}

std::string FloorPlanScaleText(const sim::Floor& floor) {
    const double k = floor.pixelsPerMetre;
    char text[160];
    std::snprintf(text, sizeof text, "%g,%g,%g,%g,%gm", floor.buildingX0 * k, floor.buildingY0 * k,
                  floor.buildingX1 * k, floor.buildingY0 * k, floor.buildingX1 - floor.buildingX0);
    return text;
}

bool WriteFloorPlan(const sim::GeneratedSurvey& survey, const std::string& outDir, WrittenFloorPlan& written,
                    std::string* error) {
    namespace fs = std::filesystem;
    const auto fail = [error](const std::string& text) {
        if (error) *error = text;
        return false;
    };
    if (!survey.floor) return fail("The scenario " + survey.params.name + " has no floor plan.");
    const sim::Floor& floor = *survey.floor;
    EnsureRenderApplication();
    written.picture = (fs::path(outDir) / (survey.params.name + ".png")).string();
    written.map = (fs::path(outDir) / (survey.params.name + ".hpf")).string();
    if (!DrawFloorPlan(floor).save(QString::fromStdString(written.picture), "PNG"))
        return fail("Cannot write " + written.picture);

    // The picture goes the way a user's plan goes through make-map --scale: read back, placed by
    // two points on its north wall and its top-left corner.
    const PlanLoad plan = LoadPlanPicture(written.picture);
    if (!plan.ok) return fail(plan.message);
    const double k = floor.pixelsPerMetre;
    PlanPlacement placement;
    placement.scale = {floor.buildingX0 * k, floor.buildingY0 * k, floor.buildingX1 * k, floor.buildingY0 * k,
                       floor.buildingX1 - floor.buildingX0};
    placement.originLat = floor.originLat;
    placement.originLon = floor.originLon;
    const FloorPlanMap map = MakeFloorPlanMap(plan.plan, placement);
    if (!map.ok) return fail(map.message);
    if (!WriteProjectionFile(written.map, map.image)) return fail("Cannot write " + written.map);
    written.lines = map.lines;
    return true;
}

} // namespace plotra::cli
