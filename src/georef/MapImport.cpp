// The parts of the map import that need no raster library: settling the size and transformation
// of the written picture, judging residuals, and the report text.
#include "georef/MapImport.h"
#include "model/TextFormat.h"

#include "files/ProjectionFile.h"
#include "georef/MapPicture.h"

#include <cmath>
#include <cstdio>

namespace plotra {

namespace {

/// Residuals span from 1e-10 (rounding) to hundreds of pixels; three significant digits say it.
std::string Pixels(double v) {
    return FormatText<64>(v < 0.001 ? "%.2g" : "%.3g", v);
}

} // namespace

std::string SettlePlacement(MapImportReport& report, const MapAffine& sourceTransform,
                            const std::vector<ControlPoint>& checkPoints, bool judgeResidual,
                            std::uint64_t maxPixels) {
    const PictureSize size =
        ReducedSize(report.sourceWidth, report.sourceHeight, maxPixels, kMaxMapImageBytes);
    report.width = size.width;
    report.height = size.height;
    report.reduced = size.reduced;
    // The reduced picture covers the same ground, so each axis scales by its own ratio and the
    // transformation stays exact.
    const double sx = static_cast<double>(size.width) / report.sourceWidth;
    const double sy = static_cast<double>(size.height) / report.sourceHeight;
    report.transform = ScaledAffine(sourceTransform, sx, sy);
    report.fitPoints = static_cast<int>(checkPoints.size());
    report.maxResidualSourcePixels = MaxResidual(sourceTransform, checkPoints);
    report.maxResidualPixels = MaxResidual(report.transform, ScaledPoints(checkPoints, sx, sy));

    const auto bounds = PictureBounds(report.transform, size.width, size.height);
    if (!report.transform.Usable() || !bounds || !std::isfinite(bounds->west) ||
        !std::isfinite(bounds->east) || !(bounds->south >= -90.0 && bounds->north <= 90.0))
        return "The georeference of \"" + report.path +
               "\" puts the picture outside the globe (its corners have no valid latitude and longitude); "
               "check its coordinate system or control points.";
    report.bounds = *bounds;

    if (judgeResidual) {
        const std::string in = " pixels in " + report.coordinateSystem;
        if (!(report.maxResidualPixels <= kResidualRefusePixels))
            return "The picture \"" + report.path +
                   "\" covers too large an area for a flat map: a straight " +
                   "latitude/longitude transformation misses parts of it by up to " +
                   Pixels(report.maxResidualPixels) + in + " (at most " + Pixels(kResidualRefusePixels) +
                   " are accepted). Cut it into smaller maps, reduce the picture, or export it in "
                   "latitude/longitude (EPSG:4326).";
        if (report.maxResidualPixels > kResidualWarnPixels)
            report.warnings.push_back("The map is placed to within " + Pixels(report.maxResidualPixels) + in +
                                      " (above " + Pixels(kResidualWarnPixels) +
                                      " pixel): positions near its edges may be drawn slightly off.");
    }
    return {};
}

std::vector<std::string> DescribeMapImport(const MapImportReport& r) {
    std::vector<std::string> lines;
    lines.push_back("picture " + std::to_string(r.sourceWidth) + " x " + std::to_string(r.sourceHeight) +
                    " pixels (" + r.format + ")");
    if (r.reduced)
        lines.push_back("reduced to " + std::to_string(r.width) + " x " + std::to_string(r.height) +
                        " pixels to fit the map size limit");
    else
        lines.push_back("map picture " + std::to_string(r.width) + " x " + std::to_string(r.height) +
                        " pixels");
    lines.push_back("georeference: " + r.georeference);
    if (!r.coordinateSystem.empty())
        lines.push_back("coordinate system: " + r.coordinateSystem +
                        (r.coordinateSystemSource.empty() ? "" : " (from " + r.coordinateSystemSource + ")"));
    const std::string reducedNote =
        r.reduced ? " (" + Pixels(r.maxResidualSourcePixels) + " source pixels)" : "";
    switch (r.kind) {
    case GeoreferenceKind::Exact:
        lines.push_back("transformation: exact (latitude/longitude raster); largest difference over " +
                        std::to_string(r.fitPoints) + " grid points " + Pixels(r.maxResidualPixels) +
                        " pixels" + reducedNote);
        break;
    case GeoreferenceKind::Fitted:
        lines.push_back("transformation: least squares over " + std::to_string(r.fitPoints) +
                        " grid points; largest residual " + Pixels(r.maxResidualPixels) + " pixels" +
                        reducedNote);
        break;
    case GeoreferenceKind::ControlPoints:
        lines.push_back("transformation: least squares through " + std::to_string(r.controlPoints.size()) +
                        " control points; largest residual " + Pixels(r.maxResidualSourcePixels) +
                        " source pixels");
        for (std::size_t i = 0; i < r.controlPoints.size() && i < r.controlPointResiduals.size(); ++i) {
            const ControlPoint& p = r.controlPoints[i];
            char buf[200];
            std::snprintf(buf, sizeof buf, "  point %zu: pixel %.2f, %.2f at %.7f, %.7f: residual %s pixels",
                          i + 1, p.column, p.row, p.lat, p.lon, Pixels(r.controlPointResiduals[i]).c_str());
            lines.push_back(buf);
        }
        break;
    }
    char buf[200];
    std::snprintf(buf, sizeof buf, "area: latitude %.7f .. %.7f, longitude %.7f .. %.7f", r.bounds.south,
                  r.bounds.north, r.bounds.west, r.bounds.east);
    lines.push_back(buf);
    return lines;
}

} // namespace plotra
