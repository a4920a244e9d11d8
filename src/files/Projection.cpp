#include "files/BmpImage.h"
#include "files/FileIo.h"
#include "files/HuffmanTree.h"
#include "files/MapLoadJob.h"
#include "files/ProjectionFile.h"
#include "model/Bytes.h"
#include "model/EditAccess.h"
#include "model/Geometry.h"
#include "model/PlotraDoc.h"
#include "model/TextFormat.h"

#include <cmath>
#include <fstream>
#include <vector>

namespace plotra {

namespace {

constexpr char kNotHpf[] = "File is not recognized as a HPF file.";
constexpr char kInvalidFile[] = "Invalid File";

/// The six coefficients the transformation uses: pixel column = a*lat + b*lon + c and pixel row
/// (counted downward) = d*lat + e*lon + f.
struct Affine {
    double a, b, c, d, e, f;
    explicit Affine(const std::array<double, 16>& k) : a(k[0]), b(k[1]), c(k[3]), d(k[4]), e(k[5]), f(k[7]) {}
    double Det() const { return e * a - d * b; }
    /// Latitude/longitude of a pixel position; det must be non-zero.
    CDataGeo PixelToGeo(double column, double row) const {
        const double u = column - c, w = row - f, det = Det();
        return CDataGeo((e * u - b * w) / det, (a * w - d * u) / det);
    }
};

/// Scale, map rectangle and display frame of a freshly loaded map. The frame gets a 10% margin on
/// every side and is then widened along one axis so that both axes have the same metres per screen
/// pixel in the graph window, with the map kept in the middle.
void ComputeMapGeometry(CPlotraDoc& doc) {
    const Affine t(doc.Map().m_adProj);
    const double W = static_cast<double>(doc.Map().m_nImageWidth),
                 H = static_cast<double>(doc.Map().m_nImageHeight);
    const double det = t.Det();
    double hM = 0.0, wM = 0.0;
    bool usable = std::isfinite(det) && det != 0.0;
    if (usable) {
        const CDataGeo bottomLeft = t.PixelToGeo(0.0, H);
        const CDataGeo topLeft = t.PixelToGeo(0.0, 0.0);
        const CDataGeo bottomRight = t.PixelToGeo(W, H);
        hM = GeoDistance(bottomLeft.m_dY, bottomLeft.m_dX, topLeft.m_dY, topLeft.m_dX);
        wM = GeoDistance(bottomLeft.m_dY, bottomLeft.m_dX, bottomRight.m_dY, bottomRight.m_dX);
        // A transformation that squeezes the picture to a line or a point (or overflows) gives no
        // scale; it would only turn every later position into infinities.
        usable = std::isfinite(hM) && std::isfinite(wM) && hM > 0.0 && wM > 0.0;
    }
    if (!usable) {
        doc.Prompts().message(
            "The measured points can not be used for projection. Please do the projection again.",
            kInvalidFile, PromptIcon::Stop);
        return;
    }
    Edit::Map(doc).m_dMetersPerPixelX = wM / W;
    Edit::Map(doc).m_dMetersPerPixelY = hM / H;
    Edit::Map(doc).m_dMapHeight = hM;
    Edit::Map(doc).m_dMapWidth = wM;
    Edit::Map(doc).m_dMapOriginY = 0.0;
    Edit::Map(doc).m_dMapOriginX = 0.0;
    Edit::Frame(doc).m_dFrameOriginY = -0.1 * hM;
    Edit::Frame(doc).m_dFrameOriginX = -0.1 * wM;
    Edit::Frame(doc).m_dFrameSpanY = 1.2 * hM;
    Edit::Frame(doc).m_dFrameSpanX = 1.2 * wM;

    const auto [clientW, clientH] = doc.Host().graphClientSize();
    if (clientW < 1 || clientH < 1) return; // no window to fit to (minimised): keep the plain frame
    const double rX = doc.Frame().m_dFrameSpanX / clientW, rY = doc.Frame().m_dFrameSpanY / clientH;
    if (rY < rX) {
        Edit::Frame(doc).m_dFrameOriginY -= (rX / rY - 1.0) * doc.Frame().m_dFrameSpanY * 0.5;
        Edit::Frame(doc).m_dFrameSpanY = rX * clientH;
    } else {
        Edit::Frame(doc).m_dFrameOriginX -= (rY / rX - 1.0) * doc.Frame().m_dFrameSpanX * 0.5;
        Edit::Frame(doc).m_dFrameSpanX = rY * clientW;
    }
}

} // namespace

bool HasProjectionMagic(std::span<const std::uint8_t> file) {
    return file.size() >= 8 && LoadU32(file.data() + 4) == kProjectionMagic;
}

std::optional<ProjectionHeader> ParseProjectionHeader(std::span<const std::uint8_t> file) {
    if (file.size() < kProjectionDataOffset) return std::nullopt;
    ProjectionHeader h;
    const std::uint8_t* p = file.data();
    h.type = p[kProjectionTypeOffset];
    for (std::size_t i = 0; i < 16; ++i)
        h.coefficients[i] = LoadF64(p + kProjectionCoefficientsOffset + 8 * i);
    h.compressedSize = LoadU32(p + kProjectionSizesOffset);
    h.imageSize = LoadU32(p + kProjectionSizesOffset + 4);
    for (std::size_t i = 0; i < 256; ++i)
        h.counts[i] = LoadU32(p + kProjectionCountsOffset + 4 * i);
    return h;
}

// The transformation uses six of the sixteen coefficients: pixel column = a*lat + b*lon + c and
// pixel row (counted downward) = d*lat + e*lon + f, with a = c0, b = c1, c = c3, d = c4, e = c5, f = c7.
CDataGeo CPlotraDoc::GeoToMap(double lat, double lon) const {
    const double a = m_adProj[0], b = m_adProj[1], c = m_adProj[3];
    const double d = m_adProj[4], e = m_adProj[5], f = m_adProj[7];
    const double H = static_cast<double>(m_nImageHeight);
    const double x = (a * lat + b * lon + c) * m_dMetersPerPixelX;
    const double y = (H - (d * lat + e * lon + f)) * m_dMetersPerPixelY;
    return CDataGeo(y, x);
}

std::optional<CDataGeo> CPlotraDoc::MapToGeo(double x, double y) const {
    const std::optional<CDataGeo> geo = MapToGeoQuiet(x, y);
    if (!geo) Prompts().message("Invalid Transformation Matrix", "Error", PromptIcon::Stop);
    return geo;
}

std::optional<CDataGeo> CPlotraDoc::MapToGeoQuiet(double x, double y) const {
    const double a = m_adProj[0], b = m_adProj[1], c = m_adProj[3];
    const double d = m_adProj[4], e = m_adProj[5], f = m_adProj[7];
    const double det = e * a - d * b;
    if (!(std::fabs(det) > 0.0)) return std::nullopt;
    const double H = static_cast<double>(m_nImageHeight);
    const double u = x / m_dMetersPerPixelX - c;
    const double w = H - y / m_dMetersPerPixelY - f;
    return CDataGeo((e * u - b * w) / det, (a * w - d * u) / det);
}

// Every size in the file is checked before it is trusted: the coded picture must lie inside the
// file, the decoded size must be possible for that many code bits and below kMaxMapImageBytes, the
// code must deliver all of it, and the result must be a sound BMP image. Only then does anything in
// the document change, so a refused file leaves the document as it was.
bool CPlotraDoc::ReadProjectionFile(std::span<const std::uint8_t> file) {
    const auto refuse = [this] {
        Prompts().message(kNotHpf, kInvalidFile, PromptIcon::Stop);
        return false;
    };
    if (file.size() <= kProjectionTypeOffset) return refuse();
    const std::uint8_t type = file[kProjectionTypeOffset];
    if (type != 0 && type != 1) {
        Prompts().message("Unsupported HPF Filetype. May be for a different product.", kInvalidFile,
                          PromptIcon::Stop);
        return false;
    }
    const auto header = ParseProjectionHeader(file);
    if (!header) return refuse();
    const std::uint32_t Nc = header->compressedSize, Ni = header->imageSize;
    if (Nc > file.size() - kProjectionDataOffset) return refuse();
    if (Ni < kBmpMinHeaderBytes || Ni > kMaxMapImageBytes) return refuse();

    const CHuffmanTree tree(header->counts);
    // Every decoded byte costs at least the shortest code, so Nc bytes cannot yield more than
    // Nc * 8 / (shortest code) bytes: a larger claim is refused before the picture is allocated.
    if (static_cast<std::uint64_t>(Ni) * static_cast<std::uint64_t>(tree.MinCodeLength()) >
        static_cast<std::uint64_t>(Nc) * 8u)
        return refuse();
    std::vector<std::uint8_t> image(Ni);
    if (tree.Decode(file.subspan(kProjectionDataOffset, Nc), image) != Ni) return refuse();
    if (!CheckBmpImage(image)) return refuse();
    AdoptMap(type, header->coefficients, std::move(image));
    return true;
}

bool CPlotraDoc::LoadMapPicture(MapPicture map) {
    if (map.type > 1 || map.bmp.size() > kMaxMapImageBytes || !CheckBmpImage(map.bmp)) {
        Prompts().message(kNotHpf, kInvalidFile, PromptIcon::Stop);
        return false;
    }
    AdoptMap(map.type, map.coefficients, std::move(map.bmp));
    return true;
}

void CPlotraDoc::AdoptMap(std::uint8_t type, const std::array<double, 16>& coefficients,
                          std::vector<std::uint8_t> bmp) {
    const auto picture = CheckBmpImage(bmp);
    m_byProjType = type;
    m_adProj = coefficients;
    m_nMapImageSize = static_cast<int>(bmp.size());
    m_nImageWidth = picture->width;
    m_nImageHeight = picture->height;
    m_bShowLonLat = 0;
    m_aMapImage = std::move(bmp);
    m_bMapLoaded = 1;
    ComputeMapGeometry(*this);
    Notify(DocChange::Projection);
}

void CPlotraDoc::OpenProjectionFile() {
    if (RefuseWhileBusy()) return;
    // The current map is released only when a new one has been read: a cancelled file dialog or a
    // refused file leaves the project with its map.
    if (!ConfirmMapReplacement()) return;
    const auto path = Prompts().chooseOpenFile(MapFileRequest(static_cast<bool>(m_mapImporter)));
    if (!path) return;
    LoadProjectionFile(*path);
}

bool CPlotraDoc::ConfirmMapReplacement() {
    return !m_bMapLoaded ||
           Prompts().askYesNo(
               "Replacing current geo-coded map will results in recalculation. Do you really want to do it?",
               "Replace Geo-Coded Map");
}

bool CPlotraDoc::LoadMadeMap(const std::string& path, MapPicture map) {
    if (RefuseWhileBusy()) return false;
    if (!LoadMapPicture(std::move(map))) return false;
    m_strProjectionPath = path;
    PlaceSurveyOnNewMap(path);
    return true;
}

void CPlotraDoc::WarnIfSurveyOffMap() const {
    if (m_aDataPoints.size() == 0 || m_nMapImageSize <= 0) return;
    const double width = m_nImageWidth * m_dMetersPerPixelX, height = m_nImageHeight * m_dMetersPerPixelY;
    std::size_t outside = 0;
    for (std::size_t i = 0; i < m_aDataPoints.size(); ++i) {
        const CPointRecord& rec = m_aDataPoints[i].m_rec;
        const CDataGeo at = GeoToMap(rec.m_nLatMas / 3600000.0, rec.m_nLonMas / 3600000.0);
        if (!(at.m_dX >= 0.0 && at.m_dX <= width && at.m_dY >= 0.0 && at.m_dY <= height)) ++outside;
    }
    // A survey that strays off the edge of its map is common; one mostly off it is another place.
    if (outside * 2 <= m_aDataPoints.size()) return;
    Prompts().message(
        FormatText<256>("%zu of the survey's %zu points lie outside this map: the map may show another "
                        "place than the survey.",
                        outside, m_aDataPoints.size()),
        "Map Outside the Survey", PromptIcon::Warning);
}

bool ReadMapFile(CPlotraDoc& doc, const std::string& path, const MapPictureImporter& importer) {
    // Only a file that starts like a projection file is read whole; a picture is read by its importer.
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        doc.Prompts().message("Could not open file \"" + path + "\"", "File Open Error", PromptIcon::Stop);
        return false;
    }
    char start[8] = {};
    in.read(start, sizeof start);
    std::uint8_t head[8] = {};
    for (std::size_t i = 0; i < sizeof head; ++i)
        head[i] = static_cast<std::uint8_t>(start[i]);
    const bool projection = in.gcount() == 8 && HasProjectionMagic(std::span<const std::uint8_t>(head, 8));
    in.close();
    const FileBytes file = projection ? ReadWholeFile(path) : FileBytes{};
    if (projection && file.status == ReadStatus::CannotOpen) {
        doc.Prompts().message("Could not open file \"" + path + "\"", "File Open Error", PromptIcon::Stop);
        return false;
    }
    // A file beyond the reader's size limit cannot be a projection file we accept. A refused file
    // leaves the project as it was (only an agreed replacement has released the old map).
    if (!projection || file.status != ReadStatus::Ok) {
        // Another kind of map: a georeferenced picture, recognised by its content.
        MapImportOutcome picture;
        if (importer) picture = importer(path, doc.Prompts());
        if (picture.kind == MapImportOutcome::NotAPicture)
            doc.Prompts().message(kNotHpf, kInvalidFile, PromptIcon::Stop);
        return picture.kind == MapImportOutcome::Loaded && doc.LoadMapPicture(std::move(picture.map));
    }
    return doc.ReadProjectionFile(file.bytes);
}

bool CPlotraDoc::LoadProjectionFile(const std::string& path) {
    if (RefuseWhileBusy()) return false;
    m_strProjectionPath = path;
    if (!ReadMapFile(*this, path, m_mapImporter)) return false;
    PlaceSurveyOnNewMap(path);
    return true;
}

void PlaceSurveyOnMap(CPlotraDoc& doc, const std::string& path, bool warnOffMap,
                      const std::function<void()>& placeSurvey) {
    Edit::Display(doc).m_panel.m_bExpandSorting = Edit::Display(doc).m_panel.m_bExpandReliability = 0;
    Edit::Display(doc).m_bShowLegend = 0;
    Edit::Display(doc).m_bDataLoaded = 0;
    Edit::Coverage(doc).m_bCoverageReady = 0;
    Edit::Display(doc).m_bCombined = 0;
    Edit::Map(doc).m_bMetricXY =
        0; // placing the survey on the new map below makes the positions metric again
    if (warnOffMap) doc.WarnIfSurveyOffMap();
    doc.Host().setPathName(path, true);
    // Shown before the survey is placed again, so that the processing's extent already frames the map.
    doc.Host().setMapShown(true);
    placeSurvey();
    doc.ComputeExtent(0, 0, 0);
    doc.Notify(DocChange::Frame);
}

void CPlotraDoc::PlaceSurveyOnNewMap(const std::string& path) {
    // Every position is rebuilt on the new map, and processed again.
    PlaceSurveyOnMap(*this, path, true, [this] {
        if (!m_aAPs.empty()) LoadSurveyFiles();
    });
}

FileChooserRequest MapFileRequest(bool pictures) {
    FileChooserRequest request;
    request.title = "Open a hpf file";
    request.filter = pictures ? "Hovrin Projection Files (hpf)|*.hpf|HPF (*.hpf)|*.hpf|"
                                "Map pictures (GeoTIFF, picture with a world file)|*.tif;*.tiff;*.png;*.jpg;"
                                "*.jpeg;*.bmp|All Files (*.*)|*.*||"
                              : "Hovrin Projection Files (hpf)|*.hpf|HPF (*.hpf)|*.hpf|All Files (*.*)|*.*||";
    request.defaultExtension = "hpf";
    return request;
}

} // namespace plotra
