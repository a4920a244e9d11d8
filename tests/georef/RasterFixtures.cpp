#include "georef/RasterFixtures.h"

#include "files/FileIo.h"
#include "files/ProjectionWriter.h"
#include "model/Bytes.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace plotra::test {

namespace {

void RegisterOnce() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

struct CloseDataset {
    void operator()(GDALDataset* ds) const { GDALClose(static_cast<GDALDatasetH>(ds)); }
};
struct DestroyTransform {
    void operator()(OGRCoordinateTransformation* ct) const { OGRCoordinateTransformation::DestroyCT(ct); }
};

OGRSpatialReference Srs(const std::string& text) {
    RegisterOnce();
    OGRSpatialReference srs;
    if (srs.SetFromUserInput(text.c_str()) != OGRERR_NONE) throw std::runtime_error("bad SRS " + text);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return srs;
}

} // namespace

std::string Wkt(const std::string& srs) {
    char* wkt = nullptr;
    Srs(srs).exportToWkt(&wkt);
    std::string out = wkt ? wkt : "";
    CPLFree(wkt);
    return out;
}

std::array<double, 2> TransformXY(const std::string& from, const std::string& to, double x, double y) {
    const OGRSpatialReference a = Srs(from), b = Srs(to);
    std::unique_ptr<OGRCoordinateTransformation, DestroyTransform> ct(
        OGRCreateCoordinateTransformation(&a, &b));
    if (!ct || !ct->Transform(1, &x, &y)) throw std::runtime_error("transform failed");
    return {x, y};
}

void WriteRaster(const std::string& path, const Raster& r, const RasterFile& file) {
    RegisterOnce();
    const GDALDataType type = r.sixteenBit ? GDT_UInt16 : GDT_Byte;
    GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
    std::unique_ptr<GDALDataset, CloseDataset> ds(mem->Create("", r.width, r.height, r.bands, type, nullptr));
    const std::size_t plane = static_cast<std::size_t>(r.width) * static_cast<std::size_t>(r.height);
    for (int b = 1; b <= r.bands; ++b) {
        GDALRasterBand* band = ds->GetRasterBand(b);
        void* data = r.sixteenBit
                         ? static_cast<void*>(const_cast<std::uint16_t*>(r.wide.data() + (b - 1) * plane))
                         : static_cast<void*>(const_cast<std::uint8_t*>(r.samples.data() + (b - 1) * plane));
        if (band->RasterIO(GF_Write, 0, 0, r.width, r.height, data, r.width, r.height, type, 0, 0) != CE_None)
            throw std::runtime_error("write failed");
        if (r.palette.empty() && r.bands >= 3 && b <= 3)
            band->SetColorInterpretation(b == 1 ? GCI_RedBand : b == 2 ? GCI_GreenBand : GCI_BlueBand);
        if (r.alphaLast && b == r.bands) band->SetColorInterpretation(GCI_AlphaBand);
    }
    if (!r.palette.empty()) {
        GDALColorTable table;
        for (std::size_t i = 0; i < r.palette.size(); ++i) {
            const GDALColorEntry e{r.palette[i][0], r.palette[i][1], r.palette[i][2], r.palette[i][3]};
            table.SetColorEntry(static_cast<int>(i), &e);
        }
        ds->GetRasterBand(1)->SetColorTable(&table);
        ds->GetRasterBand(1)->SetColorInterpretation(GCI_PaletteIndex);
    }
    if (file.transform) ds->SetGeoTransform(const_cast<double*>(file.transform->data()));
    if (!file.srs.empty() && file.gcps.empty()) {
        const OGRSpatialReference srs = Srs(file.srs);
        ds->SetSpatialRef(&srs);
    }
    if (!file.gcps.empty()) {
        std::vector<GDAL_GCP> gcps(file.gcps.size());
        GDALInitGCPs(static_cast<int>(gcps.size()), gcps.data());
        for (std::size_t i = 0; i < gcps.size(); ++i) {
            gcps[i].dfGCPPixel = file.gcps[i].column;
            gcps[i].dfGCPLine = file.gcps[i].row;
            gcps[i].dfGCPX = file.gcps[i].lon;
            gcps[i].dfGCPY = file.gcps[i].lat;
        }
        const OGRSpatialReference srs = Srs(file.srs);
        ds->SetGCPs(static_cast<int>(gcps.size()), gcps.data(), &srs);
        GDALDeinitGCPs(static_cast<int>(gcps.size()), gcps.data());
    }
    std::vector<const char*> options;
    for (const auto& o : file.creationOptions)
        options.push_back(o.c_str());
    options.push_back(nullptr);
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(file.driver.c_str());
    if (!driver) throw std::runtime_error("no driver " + file.driver);
    GDALDataset* out = driver->CreateCopy(path.c_str(), ds.get(), FALSE, const_cast<char**>(options.data()),
                                          nullptr, nullptr);
    if (!out) throw std::runtime_error("could not write " + path);
    GDALClose(out);
}

std::vector<std::uint8_t> DecodeBmp24(const std::vector<std::uint8_t>& bmp, int& width, int& height) {
    width = LoadI32(bmp.data() + 18);
    height = LoadI32(bmp.data() + 22);
    if (LoadU16(bmp.data() + 28) != 24) throw std::runtime_error("not a 24-bit BMP");
    const std::size_t offset = LoadU32(bmp.data() + 10);
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = bmp.data() + offset + static_cast<std::size_t>(height - 1 - y) * row;
        for (int x = 0; x < width; ++x) {
            std::uint8_t* dst = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            dst[0] = src[3 * x + 2];
            dst[1] = src[3 * x + 1];
            dst[2] = src[3 * x + 0];
        }
    }
    return rgb;
}

namespace {

std::unique_ptr<DemoMap> LoadDemo() {
    auto owned = std::make_unique<DemoMap>();
    DemoMap& d = *owned;
    const FileBytes hpf = ReadWholeFile(std::string(PLOTRA_SOURCE_DIR) + "/samples/demo.hpf");
    if (!d.doc.ReadProjectionFile(hpf.bytes)) throw std::runtime_error("demo map not loaded");
    const auto& k = d.doc.Map().m_adProj;
    d.transform = MapAffine{k[0], k[1], k[3], k[4], k[5], k[7]};
    int w = 0, h = 0;
    const auto rgb = DecodeBmp24(d.doc.Map().m_aMapImage, w, h);
    d.picture.width = w;
    d.picture.height = h;
    d.picture.samples.resize(rgb.size());
    const std::size_t plane = static_cast<std::size_t>(w) * h;
    for (std::size_t i = 0; i < plane; ++i)
        for (std::size_t b = 0; b < 3; ++b)
            d.picture.samples[b * plane + i] = rgb[3 * i + b];
    for (const char* name : {"demo1.hsd", "demo2.hsd"}) {
        CPlotraDoc survey;
        const FileBytes file = ReadWholeFile(std::string(PLOTRA_SOURCE_DIR) + "/samples/" + name);
        if (!survey.ReadSurveyFile(file.bytes)) throw std::runtime_error("demo survey not read");
        for (const auto& p : survey.Survey().m_aDataPoints)
            d.surveyPositions.push_back({p.m_rec.m_nLatMas / 3600000.0, p.m_rec.m_nLonMas / 3600000.0});
    }
    return owned;
}

} // namespace

const DemoMap& Demo() {
    static const std::unique_ptr<DemoMap> demo = LoadDemo();
    return *demo;
}

GeoTransform DemoTransformIn(const std::string& srs) {
    const DemoMap& d = Demo();
    const double W = d.picture.width, H = d.picture.height;
    std::array<std::array<double, 2>, 3> xy{};
    const std::array<std::array<double, 2>, 3> corners{{{0.0, 0.0}, {W, 0.0}, {0.0, H}}};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto g = PixelToLatLon(d.transform, corners[i][0], corners[i][1]);
        xy[i] = srs == "EPSG:4326" ? std::array<double, 2>{g->lon, g->lat}
                                   : TransformXY("EPSG:4326", srs, g->lon, g->lat);
    }
    return GeoTransform{xy[0][0], (xy[1][0] - xy[0][0]) / W, (xy[2][0] - xy[0][0]) / H,
                        xy[0][1], (xy[1][1] - xy[0][1]) / W, (xy[2][1] - xy[0][1]) / H};
}

bool LoadImported(CPlotraDoc& doc, const MapImportResult& result) {
    const auto bytes = EncodeProjectionFile(result.image);
    return !bytes.empty() && doc.ReadProjectionFile(bytes);
}

double LargestSurveyShiftPixels(const CPlotraDoc& original, const CPlotraDoc& imported) {
    double worst = 0.0;
    for (const LatLon& p : Demo().surveyPositions) {
        const CDataGeo a = original.GeoToMap(p.lat, p.lon), b = imported.GeoToMap(p.lat, p.lon);
        // Back to pixels with each map's own scale: columns from the left, rows from the bottom.
        const double dc =
            a.m_dX / original.Map().m_dMetersPerPixelX - b.m_dX / imported.Map().m_dMetersPerPixelX;
        const double dr =
            a.m_dY / original.Map().m_dMetersPerPixelY - b.m_dY / imported.Map().m_dMetersPerPixelY;
        worst = std::max(worst, std::hypot(dc, dr));
    }
    return worst;
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace plotra::test
