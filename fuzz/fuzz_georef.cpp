// libFuzzer target: the map import's own logic, without GDAL's decoders. World file text, control
// point lists with their fit and the settling of a placement, picture reduction, the geotransform
// inversion and the pixel conversions must refuse or succeed without crashing, hanging, allocating
// without bound or returning a result that breaks their promises.
#include "files/BmpImage.h"
#include "files/ProjectionFile.h"
#include "files/ProjectionWriter.h"
#include "georef/ControlPoints.h"
#include "georef/GeoAffine.h"
#include "georef/MapImport.h"
#include "georef/MapPicture.h"
#include "georef/WorldFile.h"
#include "model/PlotraDoc.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace plotra;

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool Finite(const MapAffine& t) {
    return std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) && std::isfinite(t.d) &&
           std::isfinite(t.e) && std::isfinite(t.f);
}

/// The largest magnitude among the values and 1: the scale of the rounding a conversion may add.
double Magnitude(const GeoTransform& t) {
    double m = 1.0;
    for (const double v : t)
        m = std::max(m, std::fabs(v));
    return m;
}

void WorldFiles(const std::string& text) {
    const WorldFileResult r = ParseWorldFile(text);
    Check(r.ok != !r.error.empty());
    if (!r.ok) return;
    Check(IsUsableGeoTransform(r.transform));
    // What the program writes, it reads back.
    const WorldFileResult again = ParseWorldFile(WorldFileText(r.transform));
    if (again.ok)
        for (std::size_t i = 0; i < 6; ++i)
            Check(std::fabs(again.transform[i] - r.transform[i]) <= 1e-9 * Magnitude(r.transform));
    for (const auto& name : WorldFileCandidates(text.substr(0, 64)))
        Check(!name.empty());
}

void ControlPointsAndSettling(FuzzedDataProvider& in) {
    const int width = in.ConsumeIntegralInRange<int>(1, 1 << 16);
    const int height = in.ConsumeIntegralInRange<int>(1, 1 << 16);
    const std::uint64_t maxPixels = in.ConsumeIntegralInRange<std::uint64_t>(0, 1ull << 32);
    const bool judge = in.ConsumeBool();
    std::vector<ControlPoint> points;
    const std::string text = in.ConsumeRemainingBytesAsString();
    std::size_t start = 0;
    while (start <= text.size() && points.size() < 64) {
        const std::size_t nl = std::min(text.find('\n', start), text.size());
        if (const auto p = ParseControlPoint(std::string_view(text).substr(start, nl - start)))
            points.push_back(*p);
        start = nl + 1;
    }
    const ControlPointFit fit = FitControlPoints(points, width, height);
    Check(fit.ok != !fit.error.empty());
    if (!fit.ok) return;
    Check(points.size() >= 3 && fit.residuals.size() == points.size());
    Check(fit.affine.Usable());
    for (const double r : fit.residuals)
        Check(!(r < 0.0));

    MapImportReport report;
    report.path = "fuzz";
    report.sourceWidth = width;
    report.sourceHeight = height;
    report.coordinateSystem = "fuzz";
    const std::string refusal = SettlePlacement(report, fit.affine, points, judge, maxPixels);
    if (!refusal.empty()) return;
    Check(report.width >= 1 && report.height >= 1 && report.width <= width && report.height <= height);
    Check(maxPixels == 0 || static_cast<std::uint64_t>(report.width) * report.height <= maxPixels);
    Check(Bmp24FileBytes(report.width, report.height) <= kMaxMapImageBytes);
    Check(report.bounds.south >= -90.0 && report.bounds.north <= 90.0);
    Check(!judge || report.maxResidualPixels <= kResidualRefusePixels);
    Check(!DescribeMapImport(report).empty());
    // A small accepted map goes through the projection file reader like any other.
    if (static_cast<std::uint64_t>(report.width) * report.height <= 4096 && Finite(report.transform)) {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(report.width) * report.height * 3, 200);
        ProjectionImage image;
        image.coefficients = ProjectionCoefficients(report.transform);
        image.picture = EncodeBmp24(report.width, report.height, rgb);
        CPlotraDoc doc;
        Check(doc.ReadProjectionFile(EncodeProjectionFile(image)));
    }
}

void Reduction(FuzzedDataProvider& in) {
    const int W = in.ConsumeIntegralInRange<int>(1, 1 << 30);
    const int H = in.ConsumeIntegralInRange<int>(1, 1 << 30);
    const std::uint64_t P = in.ConsumeIntegral<std::uint64_t>();
    const std::uint64_t B = in.ConsumeIntegralInRange<std::uint64_t>(58, 1ull << 40);
    const PictureSize s = ReducedSize(W, H, P, B);
    Check(s.width >= 1 && s.height >= 1 && s.width <= W && s.height <= H);
    Check(P == 0 || static_cast<std::uint64_t>(s.width) * static_cast<std::uint64_t>(s.height) <= P);
    Check(Bmp24FileBytes(s.width, s.height) <= B);
    Check(s.reduced == (s.width != W || s.height != H));
}

void Transforms(FuzzedDataProvider& in) {
    GeoTransform t{};
    for (double& v : t)
        v = in.ConsumeFloatingPoint<double>();
    if (const auto m = AffineFromLonLatTransform(t)) {
        Check(m->Usable());
        (void)PictureBounds(*m, 100, 100);
    }
    std::vector<ControlPoint> points;
    while (in.remaining_bytes() >= 32 && points.size() < 32)
        points.push_back({in.ConsumeFloatingPoint<double>(), in.ConsumeFloatingPoint<double>(),
                          in.ConsumeFloatingPoint<double>(), in.ConsumeFloatingPoint<double>()});
    if (const auto fit = FitAffine(points)) Check(fit->Usable());
    (void)MaxResidual(MapAffine{t[0], t[1], t[2], t[3], t[4], t[5]}, points);
}

void Pixels(FuzzedDataProvider& in) {
    const int w = in.ConsumeIntegralInRange<int>(1, 64), h = in.ConsumeIntegralInRange<int>(1, 64);
    const std::size_t n = static_cast<std::size_t>(w) * h;
    std::vector<PaletteEntry> palette(in.ConsumeIntegralInRange<std::size_t>(0, 300));
    for (auto& e : palette)
        for (auto& c : e)
            c = in.ConsumeIntegral<std::uint8_t>();
    std::vector<std::uint8_t> planes = in.ConsumeBytes<std::uint8_t>(4 * n);
    planes.resize(4 * n);
    std::vector<std::int32_t> index(n);
    std::vector<double> values(n);
    for (std::size_t i = 0; i < n; ++i) {
        index[i] = static_cast<std::int32_t>(planes[i]) - 20;
        values[i] = static_cast<double>(planes[n + i]) * 100.0 - 3000.0;
    }
    const double low = in.ConsumeFloatingPoint<double>(), high = in.ConsumeFloatingPoint<double>();
    auto canvas = Bmp24Canvas::Create(w, h, kMaxMapImageBytes);
    Check(canvas.has_value());
    std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(w)), grey(w);
    for (int y = 0; y < h; ++y) {
        const std::size_t o = static_cast<std::size_t>(y) * w;
        switch (y % 3) {
        case 0:
            PlanesToBgr(&planes[o], &planes[n + o], &planes[2 * n + o], &planes[3 * n + o], w, bgr.data());
            break;
        case 1:
            PaletteToBgr(&index[o], palette, y % 2 ? &planes[3 * n + o] : nullptr, w, bgr.data());
            break;
        default:
            StretchToBytes(&values[o], w, low, high, grey.data());
            PlanesToBgr(grey.data(), grey.data(), grey.data(), nullptr, w, bgr.data());
            break;
        }
        std::copy(bgr.begin(), bgr.end(), canvas->Row(y));
    }
    const auto bmp = canvas->Take();
    Check(CheckBmpImage(bmp).has_value());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    FuzzedDataProvider in(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        WorldFiles(in.ConsumeRemainingBytesAsString());
        break;
    case 1:
        ControlPointsAndSettling(in);
        break;
    case 2:
        Reduction(in);
        break;
    case 3:
        Transforms(in);
        break;
    default:
        Pixels(in);
        break;
    }
    return 0;
}
