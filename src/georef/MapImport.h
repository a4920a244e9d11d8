#pragma once
/// \brief Maps from pictures surveyors already have: a georeferenced raster (GeoTIFF, or a picture
/// with a world file and a .prj) or any picture placed with control points becomes the picture and
/// transformation of a projection file.
///
/// This header is the whole interface of the raster import; it names no raster library, so the core
/// and the windows use it without one. The "Load the map of the measured area" command calls
/// ImportMapImage for a file that is not a projection file and shows the report.

#include "files/ProjectionWriter.h"
#include "georef/GeoAffine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace plotra {

/// Largest source raster read, in pixels (about 1 gigapixel). Larger declared sizes are refused
/// before anything is read or allocated.
inline constexpr std::uint64_t kMaxSourcePixels = 1ull << 30;
/// A transformation fitted to a map coordinate system that misses some part of the picture by more
/// than this many pixels is accepted with a warning...
inline constexpr double kResidualWarnPixels = 1.0;
/// ... and by more than this many pixels refused: the area is too large for a flat map in that
/// system.
inline constexpr double kResidualRefusePixels = 10.0;
/// Grid points per side over which a transformation to a map coordinate system is fitted.
inline constexpr int kFitGridSide = 17;

/// \brief What the caller chooses.
struct MapImportOptions {
    /// Control points in pixels of the source picture; when given (three or more) they place the
    /// picture and any georeference of its own is ignored.
    std::vector<ControlPoint> controlPoints;
    /// Largest picture written, in pixels (0: only the projection file's limit). Larger pictures
    /// are reduced to fit and the transformation scaled with them.
    std::uint64_t maxPixels = 0;
    /// False: only the georeference and sizes (for an information listing); no pixel is read.
    bool readPicture = true;
};

/// \brief How the transformation was obtained.
enum class GeoreferenceKind {
    Exact,        ///< a latitude/longitude (WGS 84) raster: the geotransform inverted, no fit
    Fitted,       ///< another coordinate system: least squares over a grid of the picture
    ControlPoints ///< control points: least squares through them
};

/// \brief Everything an import found, for the user.
struct MapImportReport {
    std::string path;
    std::string format; ///< the raster format, e.g. "GTiff", "PNG"
    int sourceWidth = 0, sourceHeight = 0;
    int width = 0, height = 0; ///< of the written picture
    bool reduced = false;
    GeoreferenceKind kind = GeoreferenceKind::Exact;
    std::string georeference;     ///< where the placement came from
    std::string coordinateSystem; ///< its name, e.g. "WGS 84 / UTM zone 32N (EPSG:32632)"
    std::string coordinateSystemSource;
    int fitPoints = 0; ///< points the transformation was fitted or checked over
    /// Largest distance, in pixels of the written picture, between a grid point and where the
    /// transformation puts its position (0 up to rounding for Exact).
    double maxResidualPixels = 0.0;
    double maxResidualSourcePixels = 0.0;      ///< the same in pixels of the source picture
    std::vector<ControlPoint> controlPoints;   ///< source pixels
    std::vector<double> controlPointResiduals; ///< source pixels, one per control point
    MapAffine transform;                       ///< of the written picture
    GeoBounds bounds;                          ///< the picture's corners
    std::vector<std::string> warnings;
};

/// \brief A finished import or its refusal.
struct MapImportResult {
    bool ok = false;
    /// The file was opened as a raster; false when it is missing or not a picture at all (a caller
    /// that also takes other files then says which kinds it expected).
    bool picture = false;
    std::string caption;   ///< of the refusal message box
    std::string message;   ///< the refusal, a complete sentence
    ProjectionImage image; ///< the picture (24-bit BMP) and the coefficients, when ok
    MapImportReport report;
};

/// Reads the picture at \p path (any raster the raster library reads: RGB, RGBA with alpha shown on
/// white, paletted, grey, more than 8 bits stretched), places it by \p options' control points or
/// its own georeference (world file and .prj beside it win over what the file carries) and makes
/// the projection image. Never throws; every refusal comes back with a message.
MapImportResult ImportMapImage(const std::string& path, const MapImportOptions& options = {});

/// The report as lines of text for the user (size, format, reduction, coordinate system,
/// georeference, residuals, area), without the warnings.
std::vector<std::string> DescribeMapImport(const MapImportReport& report);

/// Completes \p report from the transformation of the source picture: the size written (reduced to
/// \p maxPixels and the projection file's limit), the scaled transformation, the residuals over
/// \p checkPoints (source pixels) and the bounds. When \p judgeResidual is set, a residual above
/// kResidualRefusePixels gives the refusal message returned, one above kResidualWarnPixels a
/// warning. An empty string means accepted. Needs report.sourceWidth/sourceHeight and
/// report.coordinateSystem.
std::string SettlePlacement(MapImportReport& report, const MapAffine& sourceTransform,
                            const std::vector<ControlPoint>& checkPoints, bool judgeResidual,
                            std::uint64_t maxPixels);

} // namespace plotra
