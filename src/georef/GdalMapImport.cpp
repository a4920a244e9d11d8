// The raster side of the map import: GDAL reads the picture, its geotransform, coordinate system
// and control points; OGR converts map coordinates to latitude/longitude. This is the only file of
// the program that includes GDAL; everything it decides with is in the GDAL-free files beside it.
#include "georef/MapImport.h"

#include "files/FileIo.h"
#include "files/ProjectionFile.h"
#include "georef/ControlPoints.h"
#include "georef/MapPicture.h"
#include "georef/WorldFile.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <filesystem>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>

namespace plotra {

namespace {

constexpr char kInvalidFile[] = "Invalid File";
constexpr char kMapImport[] = "Map Import";
/// A .prj holds one coordinate system definition, a few kilobytes at most.
constexpr std::uint64_t kMaxPrjBytes = 1 << 20;
/// Bytes of source planes read at a time: a strip of rows, so that memory stays near the size of
/// the picture being written whatever the source size.
constexpr std::uint64_t kStripBytes = 8 << 20;

/// \brief GDAL's messages during one import, collected instead of printed.
struct GdalMessages {
    std::string lastError;
};

void CPL_STDCALL CollectGdalMessage(CPLErr level, CPLErrorNum, const char* text) {
    auto* messages = static_cast<GdalMessages*>(CPLGetErrorHandlerUserData());
    if (messages && level >= CE_Failure && text) messages->lastError = text;
}

/// \brief Registers the drivers once and routes GDAL's messages of this thread to the import.
class GdalScope {
  public:
    GdalScope() {
        static std::once_flag once;
        std::call_once(once, [] {
            GDALAllRegister();
            // GDAL's default block cache is 5% of the memory; an import reads each block once.
            if (!CPLGetConfigOption("GDAL_CACHEMAX", nullptr)) GDALSetCacheMax64(64 << 20);
        });
        CPLPushErrorHandlerEx(CollectGdalMessage, &m_messages);
    }
    ~GdalScope() { CPLPopErrorHandler(); }
    GdalScope(const GdalScope&) = delete;
    GdalScope& operator=(const GdalScope&) = delete;

    /// Forgets the messages so far (a step that may fail harmlessly ran before).
    void Clear() {
        m_messages.lastError.clear();
        CPLErrorReset();
    }
    /// " (GDAL's last error)" or nothing.
    std::string Reason() const {
        std::string text = m_messages.lastError;
        while (!text.empty() && (text.back() == '\n' || text.back() == '.'))
            text.pop_back();
        return text.empty() ? std::string() : " (" + text + ")";
    }

  private:
    GdalMessages m_messages;
};

struct DatasetCloser {
    void operator()(GDALDataset* ds) const { GDALClose(static_cast<GDALDatasetH>(ds)); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetCloser>;

struct TransformDeleter {
    void operator()(OGRCoordinateTransformation* ct) const { OGRCoordinateTransformation::DestroyCT(ct); }
};

MapImportResult Refused(const char* caption, std::string message, bool picture = true) {
    MapImportResult r;
    r.picture = picture;
    r.caption = caption;
    r.message = std::move(message);
    return r;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

/// The first of \p candidates that exists, or "".
std::string FirstExisting(const std::vector<std::string>& candidates) {
    for (const auto& c : candidates)
        if (IsRegularFile(c)) return c;
    return {};
}

std::string CrsName(const OGRSpatialReference& srs) {
    const char* name = srs.GetName();
    std::string text = name && *name ? name : "unnamed coordinate system";
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority && code) text += std::string(" (") + authority + ":" + code + ")";
    return text;
}

OGRSpatialReference Wgs84() {
    OGRSpatialReference wgs84;
    wgs84.SetWellKnownGeogCS("WGS84");
    wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER); // x = longitude, y = latitude
    return wgs84;
}

/// A latitude/longitude system on the WGS 84 datum in degrees: its raster geotransform already is
/// the inverse of the map transformation, so no fit is needed.
bool IsWgs84Degrees(const OGRSpatialReference& srs, const OGRSpatialReference& wgs84) {
    if (!srs.IsGeographic() || !srs.IsSameGeogCS(&wgs84)) return false;
    const double degree = CPLAtof(SRS_UA_DEGREE_CONV);
    return std::fabs(srs.GetAngularUnits(nullptr) - degree) <= 1e-12 * degree;
}

/// Converts positions in \p srs (x east, y north) to latitude/longitude; false when any fails.
bool ToLatLon(const OGRSpatialReference& srs, std::vector<double>& x, std::vector<double>& y,
              const OGRSpatialReference& wgs84) {
    std::unique_ptr<OGRCoordinateTransformation, TransformDeleter> ct(
        OGRCreateCoordinateTransformation(&srs, &wgs84));
    if (!ct) return false;
    std::vector<int> ok(x.size(), 0);
    if (!ct->Transform(x.size(), x.data(), y.data(), nullptr, ok.data())) return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i]) || std::fabs(y[i]) > 90.0) return false;
    return true;
}

/// \brief How the pixels of a raster become colours.
struct PixelPlan {
    enum class Kind { Rgb, Grey, Palette } kind = Kind::Grey;
    std::array<int, 3> bands{1, 1, 1}; ///< red, green, blue band numbers (grey: three times the same)
    bool stretch = false;              ///< more than 8 bits: stretched from low..high
    double low = 0.0, high = 255.0;
    std::vector<PaletteEntry> palette;
    GDALRasterBand* mask = nullptr; ///< coverage (alpha band, nodata or mask), when not all valid
};

/// Chooses the bands and conversion; an empty string on success, else the refusal.
std::string PlanPixels(GDALDataset& ds, PixelPlan& plan) {
    const int count = ds.GetRasterCount();
    int red = 0, green = 0, blue = 0;
    for (int i = 1; i <= count; ++i) {
        switch (ds.GetRasterBand(i)->GetColorInterpretation()) {
        case GCI_RedBand:
            red = red ? red : i;
            break;
        case GCI_GreenBand:
            green = green ? green : i;
            break;
        case GCI_BlueBand:
            blue = blue ? blue : i;
            break;
        default:
            break;
        }
    }
    GDALRasterBand* first = ds.GetRasterBand(1);
    if (red && green && blue) {
        plan.kind = PixelPlan::Kind::Rgb;
        plan.bands = {red, green, blue};
    } else if (count >= 3 && first->GetColorInterpretation() == GCI_Undefined && !first->GetColorTable()) {
        plan.kind = PixelPlan::Kind::Rgb; // three unlabelled bands are taken as red, green, blue
        plan.bands = {1, 2, 3};
    } else if (const GDALColorTable* table = first->GetColorTable()) {
        plan.kind = PixelPlan::Kind::Palette;
        plan.bands = {1, 1, 1};
        for (int i = 0; i < table->GetColorEntryCount(); ++i) {
            GDALColorEntry e{};
            table->GetColorEntryAsRGB(i, &e);
            auto byte = [](short v) { return static_cast<std::uint8_t>(std::clamp<int>(v, 0, 255)); };
            plan.palette.push_back({byte(e.c1), byte(e.c2), byte(e.c3), byte(e.c4)});
        }
    } else {
        plan.kind = PixelPlan::Kind::Grey;
        plan.bands = {1, 1, 1};
    }
    GDALRasterBand* colour = ds.GetRasterBand(plan.bands[0]);
    const GDALDataType type = colour->GetRasterDataType();
    if (GDALDataTypeIsComplex(type))
        return "its pixels are complex numbers (radar or frequency data), not a picture";
    if (plan.kind != PixelPlan::Kind::Palette && type != GDT_Byte) {
        // One range for all colour bands keeps their balance.
        plan.stretch = true;
        bool any = false;
        for (const int b : plan.bands) {
            double minMax[2] = {0.0, 0.0};
            if (ds.GetRasterBand(b)->ComputeRasterMinMax(TRUE, minMax) != CE_None) continue;
            plan.low = any ? std::min(plan.low, minMax[0]) : minMax[0];
            plan.high = any ? std::max(plan.high, minMax[1]) : minMax[1];
            any = true;
        }
        if (!any) {
            plan.low = 0.0;
            plan.high = 255.0;
        }
    }
    if (!(colour->GetMaskFlags() & GMF_ALL_VALID)) plan.mask = colour->GetMaskBand();
    return {};
}

/// Reads the picture into the canvas, strip by strip, resampling when its size differs from the
/// source. nullopt on success, else GDAL's complaint (possibly empty).
std::optional<std::string> ReadPicture(GDALDataset& ds, const PixelPlan& plan, Bmp24Canvas& canvas,
                                       const GdalScope& gdal) {
    const int W = ds.GetRasterXSize(), H = ds.GetRasterYSize();
    const int w = canvas.Width(), h = canvas.Height();
    const bool resample = w != W || h != H;
    const std::size_t planes = plan.kind == PixelPlan::Kind::Rgb ? 3 : 1;
    const std::size_t sampleBytes = plan.kind == PixelPlan::Kind::Palette ? 4 : (plan.stretch ? 8 : 1);
    const std::uint64_t bytesPerRow = static_cast<std::uint64_t>(w) * (planes * sampleBytes + 1 + 3);
    const int rowsPerStrip = static_cast<int>(std::clamp<std::uint64_t>(kStripBytes / bytesPerRow, 1, h));

    const std::size_t stripPixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(rowsPerStrip);
    std::vector<std::uint8_t> bytes(plan.stretch ? 0 : planes * stripPixels);
    std::vector<double> values(plan.stretch ? planes * stripPixels : 0);
    std::vector<std::int32_t> indices(plan.kind == PixelPlan::Kind::Palette ? stripPixels : 0);
    std::vector<std::uint8_t> stretched(plan.stretch ? planes * stripPixels : 0);
    std::vector<std::uint8_t> alpha(plan.mask ? stripPixels : 0);
    std::vector<std::uint8_t> bgr(3 * stripPixels);

    for (int r0 = 0; r0 < h; r0 += rowsPerStrip) {
        const int n = std::min(rowsPerStrip, h - r0);
        const std::size_t count = static_cast<std::size_t>(w) * static_cast<std::size_t>(n);
        // The source rows behind output rows r0 .. r0+n: exact multiples when not resampling.
        const double y0 = static_cast<double>(r0) * H / h;
        const double ySize = std::min<double>(H, static_cast<double>(r0 + n) * H / h) - y0;
        const int yOff = std::min(H - 1, static_cast<int>(std::floor(y0)));
        const int yEnd = std::clamp(static_cast<int>(std::ceil(y0 + ySize)), yOff + 1, H);
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        if (resample) {
            extra.eResampleAlg =
                plan.kind == PixelPlan::Kind::Palette ? GRIORA_NearestNeighbour : GRIORA_Average;
            extra.bFloatingPointWindowValidity = TRUE;
            extra.dfXOff = 0.0;
            extra.dfYOff = y0;
            extra.dfXSize = W;
            extra.dfYSize = ySize;
        }
        CPLErr err = CE_None;
        int bandMap[3] = {plan.bands[0], plan.bands[1], plan.bands[2]};
        const GSpacing line = w, band = static_cast<GSpacing>(count);
        if (plan.kind == PixelPlan::Kind::Palette) {
            err = ds.GetRasterBand(plan.bands[0])
                      ->RasterIO(GF_Read, 0, yOff, W, yEnd - yOff, indices.data(), w, n, GDT_Int32, 0, 0,
                                 &extra);
        } else if (plan.stretch) {
            err = ds.RasterIO(GF_Read, 0, yOff, W, yEnd - yOff, values.data(), w, n, GDT_Float64,
                              static_cast<int>(planes), bandMap, sizeof(double), line * sizeof(double),
                              band * sizeof(double), &extra);
            if (err == CE_None)
                for (std::size_t p = 0; p < planes; ++p)
                    StretchToBytes(values.data() + p * count, count, plan.low, plan.high,
                                   stretched.data() + p * count);
        } else {
            err = ds.RasterIO(GF_Read, 0, yOff, W, yEnd - yOff, bytes.data(), w, n, GDT_Byte,
                              static_cast<int>(planes), bandMap, 1, line, band, &extra);
        }
        if (err == CE_None && plan.mask) {
            GDALRasterIOExtraArg maskArg = extra;
            if (resample) maskArg.eResampleAlg = GRIORA_Average; // partly covered pixels blend into white
            err = plan.mask->RasterIO(GF_Read, 0, yOff, W, yEnd - yOff, alpha.data(), w, n, GDT_Byte, 0, 0,
                                      &maskArg);
        }
        if (err != CE_None || CPLGetLastErrorType() >= CE_Failure) return gdal.Reason();

        const std::uint8_t* a = plan.mask ? alpha.data() : nullptr;
        if (plan.kind == PixelPlan::Kind::Palette) {
            PaletteToBgr(indices.data(), plan.palette, a, count, bgr.data());
        } else {
            const std::uint8_t* base = plan.stretch ? stretched.data() : bytes.data();
            const std::size_t step = planes == 3 ? count : 0;
            PlanesToBgr(base, base + step, base + 2 * step, a, count, bgr.data());
        }
        for (int y = 0; y < n; ++y)
            std::copy_n(bgr.data() + static_cast<std::size_t>(y) * w * 3, static_cast<std::size_t>(w) * 3,
                        canvas.Row(r0 + y));
    }
    return std::nullopt;
}

/// A refusal to hand back from the import, or nothing when the step succeeded.
using Refusal = std::optional<MapImportResult>;

/// \brief What the placing steps of one import share: the source, its size, and the
/// transformation found so far with the points that check it.
struct Placement {
    const std::string& path;
    GDALDataset& ds;
    GdalScope& gdal;
    MapImportReport& report;
    int W, H;
    OGRSpatialReference wgs84 = Wgs84();
    MapAffine transform{};
    std::vector<ControlPoint> checkPoints{};
    bool judge = false;
};

/// Control points: given by the caller, or carried by the file when it has no geotransform. An
/// empty string on success, else why they cannot place the picture.
std::string UseControlPoints(Placement& p, std::vector<ControlPoint> points, const std::string& source) {
    const ControlPointFit fit = FitControlPoints(points, p.W, p.H);
    if (!fit.ok) return fit.error;
    p.transform = fit.affine;
    p.report.kind = GeoreferenceKind::ControlPoints;
    p.report.georeference = source;
    p.report.controlPoints = points;
    p.report.controlPointResiduals = fit.residuals;
    p.report.warnings.insert(p.report.warnings.end(), fit.notes.begin(), fit.notes.end());
    p.checkPoints = std::move(points);
    return {};
}

/// A world file and a .prj beside the picture are what the user put there on purpose; they win
/// over what the file itself carries, and a broken one is reported rather than passed over.
Refusal FindGeoTransform(Placement& p, std::optional<GeoTransform>& geo) {
    if (const std::string world = FirstExisting(WorldFileCandidates(p.path)); !world.empty()) {
        const FileBytes text = ReadWholeFile(world, kMaxWorldFileBytes);
        if (text.status != ReadStatus::Ok)
            return Refused(kInvalidFile,
                           "The world file \"" + world + "\" cannot be used: " +
                               (text.status == ReadStatus::TooLarge ? "it is too long for a world file"
                                                                    : "it cannot be read") +
                               ".");
        const WorldFileResult parsed = ParseWorldFile(
            std::string_view(reinterpret_cast<const char*>(text.bytes.data()), text.bytes.size()));
        if (!parsed.ok)
            return Refused(kInvalidFile,
                           "The world file \"" + world + "\" cannot be used: " + parsed.error + ".");
        geo = parsed.transform;
        p.report.georeference = "world file " + std::filesystem::path(world).filename().string();
    } else {
        GeoTransform t{};
        if (p.ds.GetGeoTransform(t.data()) == CE_None) {
            if (!IsUsableGeoTransform(t))
                return Refused(kInvalidFile, "The georeference of \"" + p.path +
                                                 "\" is unusable: its pixel size is zero or not a number.");
            geo = t;
            p.report.georeference = "the file's own georeference (" + p.report.format + ")";
        }
    }
    return std::nullopt;
}

/// The coordinate system from a .prj beside the picture, else the file's own; \p haveSrs tells
/// whether there was one.
Refusal FindCoordinateSystem(Placement& p, OGRSpatialReference& srs, bool& haveSrs) {
    if (const std::string prj = FirstExisting(PrjFileCandidates(p.path)); !prj.empty()) {
        const FileBytes text = ReadWholeFile(prj, kMaxPrjBytes);
        const std::string definition(text.bytes.begin(), text.bytes.end());
        // No file or network look-ups: the definition must be in the .prj itself.
        const char* const noLookups[] = {"ALLOW_NETWORK_ACCESS=NO", "ALLOW_FILE_ACCESS=NO", nullptr};
        if (text.status != ReadStatus::Ok || definition.find('\0') != std::string::npos ||
            srs.SetFromUserInput(definition.c_str(), noLookups) != OGRERR_NONE || srs.IsEmpty())
            return Refused(kInvalidFile, "The coordinate system file \"" + prj +
                                             "\" is not understood: it must hold a coordinate system as WKT "
                                             "(as GIS programs write it) or a line such as EPSG:4326" +
                                             p.gdal.Reason() + ".");
        haveSrs = true;
        p.report.coordinateSystemSource = std::filesystem::path(prj).filename().string();
    } else if (const OGRSpatialReference* own = p.ds.GetSpatialRef(); own && !own->IsEmpty()) {
        srs = *own;
        haveSrs = true;
    }
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return std::nullopt;
}

/// Without a geotransform, only the control points the file carries can place the picture.
Refusal PlaceByFileControlPoints(Placement& p) {
    GDALDataset& ds = p.ds;
    const OGRSpatialReference* gcpSrs = ds.GetGCPSpatialRef();
    if (ds.GetGCPCount() > 0 && gcpSrs && !gcpSrs->IsEmpty()) {
        OGRSpatialReference from = *gcpSrs;
        from.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        const GDAL_GCP* gcps = ds.GetGCPs();
        std::vector<double> x, y;
        for (int i = 0; i < ds.GetGCPCount(); ++i) {
            x.push_back(gcps[i].dfGCPX);
            y.push_back(gcps[i].dfGCPY);
        }
        if (!ToLatLon(from, x, y, p.wgs84))
            return Refused(kMapImport, "The control points of \"" + p.path +
                                           "\" cannot be converted to latitude/longitude" + p.gdal.Reason() +
                                           ".");
        std::vector<ControlPoint> points;
        for (int i = 0; i < ds.GetGCPCount(); ++i)
            points.push_back({gcps[i].dfGCPPixel, gcps[i].dfGCPLine, y[static_cast<std::size_t>(i)],
                              x[static_cast<std::size_t>(i)]});
        p.report.coordinateSystem = CrsName(from);
        if (const std::string error = UseControlPoints(p, std::move(points), "control points in the file");
            !error.empty())
            return Refused(kMapImport, "The picture's own control points cannot place it: " + error);
        return std::nullopt;
    }
    return Refused(kMapImport,
                   "The picture \"" + p.path +
                       "\" has no georeference, so Plotra cannot tell where it lies. Export it from "
                       "your GIS as a GeoTIFF, put a world file (.pgw, .jgw, .tfw or .wld) and a .prj "
                       "file beside it, or place it with three or more control points (make-map "
                       "--gcp COLUMN,ROW,LATITUDE,LONGITUDE).");
}

/// A geotransform in latitude/longitude degrees is inverted exactly; any other coordinate system
/// is converted over a grid of pixels and fitted, and the fit is judged by its residuals.
Refusal PlaceByGeoTransform(Placement& p, const GeoTransform& t, const OGRSpatialReference& srs) {
    MapImportReport& report = p.report;
    report.coordinateSystem = CrsName(srs);
    std::vector<double> x, y;
    const auto grid = GridPixelPositions(p.W, p.H, kFitGridSide);
    for (const auto& [col, row] : grid) {
        x.push_back(t[0] + col * t[1] + row * t[2]);
        y.push_back(t[3] + col * t[4] + row * t[5]);
    }
    if (IsWgs84Degrees(srs, p.wgs84)) {
        const auto exact = AffineFromLonLatTransform(t);
        if (!exact)
            return Refused(kInvalidFile, "The georeference of \"" + p.path + "\" cannot be inverted.");
        p.transform = *exact;
        report.kind = GeoreferenceKind::Exact;
    } else {
        if (!ToLatLon(srs, x, y, p.wgs84))
            return Refused(kMapImport, "Parts of \"" + p.path + "\" cannot be converted from " +
                                           report.coordinateSystem +
                                           " to latitude/longitude: the picture lies outside the area "
                                           "of its coordinate system, or the coordinate system is wrong" +
                                           p.gdal.Reason() + ".");
        report.kind = GeoreferenceKind::Fitted;
        p.judge = true;
    }
    for (std::size_t i = 0; i < grid.size(); ++i)
        p.checkPoints.push_back({grid[i][0], grid[i][1], y[i], x[i]});
    if (report.kind == GeoreferenceKind::Fitted) {
        const auto fitted = FitAffine(p.checkPoints);
        if (!fitted)
            return Refused(kMapImport, "The georeference of \"" + p.path +
                                           "\" does not give a usable latitude/longitude transformation.");
        p.transform = *fitted;
    }
    return std::nullopt;
}

/// Places the picture by what the file and the files beside it carry.
Refusal PlaceFromFiles(Placement& p) {
    std::optional<GeoTransform> geo;
    if (Refusal refusal = FindGeoTransform(p, geo)) return refusal;
    p.gdal.Clear();

    OGRSpatialReference srs;
    bool haveSrs = false;
    if (Refusal refusal = FindCoordinateSystem(p, srs, haveSrs)) return refusal;
    p.gdal.Clear();

    if (!geo) return PlaceByFileControlPoints(p);
    if (!haveSrs)
        return Refused(kMapImport,
                       "The picture \"" + p.path + "\" is placed by " + p.report.georeference +
                           " but has no coordinate system, so its numbers cannot be read as positions. Put a "
                           ".prj file beside it: the coordinate system as WKT, or one line such as EPSG:4326 "
                           "(latitude/longitude) or EPSG:3857 (web maps); or place it with control points.");
    return PlaceByGeoTransform(p, *geo, srs);
}

/// Reads the pixels into the projection image of \p result.
Refusal ReadMapPicture(const std::string& path, GDALDataset& ds, GdalScope& gdal, MapImportResult& result) {
    const MapImportReport& report = result.report;
    PixelPlan plan;
    if (const std::string why = PlanPixels(ds, plan); !why.empty())
        return Refused(kInvalidFile, "The picture \"" + path + "\" cannot be shown as a map: " + why + ".");
    auto canvas = Bmp24Canvas::Create(report.width, report.height, kMaxMapImageBytes);
    if (!canvas) return Refused(kInvalidFile, "The picture \"" + path + "\" is too large for a map.");
    gdal.Clear();
    if (const auto why = ReadPicture(ds, plan, *canvas, gdal))
        return Refused(kInvalidFile,
                       "The picture \"" + path + "\" could not be read completely" + *why + ".");
    result.image.type = 0;
    result.image.coefficients = ProjectionCoefficients(report.transform);
    result.image.picture = canvas->Take();
    return std::nullopt;
}

} // namespace

MapImportResult ImportMapImage(const std::string& path, const MapImportOptions& options) {
    GdalScope gdal;
    const bool virtualPath = path.starts_with("/vsi");
    if (!virtualPath && !IsRegularFile(path))
        return Refused("File Open Error", "Could not open file \"" + path + "\"", false);
    DatasetPtr ds(GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR));
    if (!ds || ds->GetRasterCount() < 1)
        return Refused(kInvalidFile,
                       "The file \"" + path + "\" is not a picture Plotra can read" + gdal.Reason() + ".",
                       false);

    MapImportResult result;
    result.picture = true;
    MapImportReport& report = result.report;
    report.path = path;
    report.format = ds->GetDriver() ? ds->GetDriver()->GetDescription() : "unknown";
    const int W = ds->GetRasterXSize(), H = ds->GetRasterYSize();
    report.sourceWidth = W;
    report.sourceHeight = H;
    if (W < 1 || H < 1 || static_cast<std::uint64_t>(W) * static_cast<std::uint64_t>(H) > kMaxSourcePixels)
        return Refused(kInvalidFile,
                       "The picture \"" + path + "\" declares " + std::to_string(W) + " x " +
                           std::to_string(H) + " pixels; pictures of up to " +
                           std::to_string(kMaxSourcePixels) +
                           " pixels can be read. Cut or reduce it with an image editor or GIS first.");

    Placement p{path, *ds, gdal, report, W, H};
    if (!options.controlPoints.empty()) {
        if (const std::string error = UseControlPoints(p, options.controlPoints, "control points");
            !error.empty())
            return Refused(kMapImport, error);
        report.coordinateSystem = "WGS 84 latitude/longitude of the control points";
    } else if (Refusal refusal = PlaceFromFiles(p)) {
        return std::move(*refusal);
    }

    if (std::string refusal = SettlePlacement(report, p.transform, p.checkPoints, p.judge, options.maxPixels);
        !refusal.empty())
        return Refused(kMapImport, std::move(refusal));
    if (report.reduced)
        report.warnings.push_back("The picture is reduced from " + std::to_string(W) + " x " +
                                  std::to_string(H) + " to " + std::to_string(report.width) + " x " +
                                  std::to_string(report.height) + " pixels to fit the map size limit.");

    if (options.readPicture)
        if (Refusal refusal = ReadMapPicture(path, *ds, gdal, result)) return std::move(*refusal);
    result.ok = true;
    return result;
}

} // namespace plotra
