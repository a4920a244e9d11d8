#include "mapview/KmlExport.h"
#include "model/TextFormat.h"

#include "model/Geometry.h"
#include "files/FileIo.h"
#include "mapview/BitmapFile.h"
#include "mapview/GraphRenderer.h"
#include "model/PlotraDoc.h"

#include <cctype>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <vector>

namespace plotra {

namespace {

bool EndsWithKml(const std::string& path) {
    if (path.size() < 4) return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".kml";
}

} // namespace

std::optional<KmlPlacement> KmlPlacementOf(const CPlotraDoc& doc, const std::optional<ModelRect>& frame) {
    const FrameGeometry& g = doc.Frame();
    const ModelRect f = frame.value_or(ModelRect{g.m_dFrameOriginY, g.m_dFrameOriginX, g.m_dFrameSpanY, g.m_dFrameSpanX});
    KmlPlacement k;
    if (!doc.Map().m_bMetricXY) {
        k.west = f.originX;
        k.east = f.originX + f.spanX;
        k.south = f.originY;
        k.north = f.originY + f.spanY;
    } else {
        const auto low = doc.MapToGeo(f.originX, f.originY);
        if (!low) return std::nullopt;
        const auto high = doc.MapToGeo(f.originX + f.spanX, f.originY + f.spanY);
        if (!high) return std::nullopt;
        k.west = low->m_dX;
        k.south = low->m_dY;
        k.east = high->m_dX;
        k.north = high->m_dY;
    }
    k.longitude = (k.west + k.east) * 0.5;
    k.latitude = (k.north + k.south) * 0.5;
    k.range = doc.Map().m_bMetricXY ? 2.0 * std::sqrt(f.spanX * f.spanX + f.spanY * f.spanY)
                                    : 2.0 * GeoDistance(k.south, k.west, k.north, k.east);
    return k;
}

std::string KmlTimeText(const std::optional<std::tm>& localTime) {
    if (!localTime) return {};
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%m/%d/%Y,%H:%M:%S", &*localTime);
    return n == 0 ? std::string() : std::string(buffer, n);
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

std::string KmlDocumentText(const KmlPlacement& k, const std::string& overlayHref,
                            const std::string& timeText) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    s += "\n<kml xmlns=\"http://earth.google.com/kml/2.0\">";
    s += "\n<GroundOverlay>";
    s += "\n\t<description> Overlay shows RF Coverage on " + XmlEscape(timeText) + ".</description>";
    s += "\n\t<name> Survey with Hovrin Software </name>";
    s += "\n\t<LookAt>";
    s += FormatText<128>("\n\t<longitude> %3.5f</longitude>", k.longitude);
    s += FormatText<128>("\n\t<latitude> %3.5f </latitude>", k.latitude);
    s += FormatText<128>("\n\t<range> %4.1f </range>", k.range);
    s += "\n\t<tilt> 0 </tilt>";
    s += "\n <heading> 0 </heading>";
    s += "\n </LookAt>";
    s += "\n <visibility>0</visibility>";
    s += "\n <Icon>";
    s += "\n<href> " + XmlEscape(overlayHref) + " </href>";
    s += "\n </Icon>";
    s += "\n <LatLonBox>";
    s += FormatText<128>("\n <north> %3.5f </north>", k.north);
    s += FormatText<128>("\n <south> %3.5f </south>", k.south);
    s += FormatText<128>("\n <east> %3.5f </east>", k.east);
    s += FormatText<128>("\n <west>%3.5f </west>", k.west);
    s += "\n <rotation>0</rotation>";
    s += "\n </LatLonBox>";
    s += "\n </GroundOverlay>";
    s += "\n </kml>";
    return s;
}

std::optional<KmlPaths> KmlPathsFor(const std::string& kmlPath) {
    if (!EndsWithKml(kmlPath)) return std::nullopt;
    KmlPaths p;
    p.folder = kmlPath.substr(0, kmlPath.size() - 4);
    const std::string name = std::filesystem::path(kmlPath).filename().string();
    const std::string title = name.substr(0, name.size() - 4);
    if (title.empty() || p.folder.empty() || p.folder.back() == '/') return std::nullopt;
    p.overlayFile = (std::filesystem::path(p.folder) / "overlay.bmp").string();
    // References inside KML use "/" whatever the platform's separator.
    p.overlayHref = title + "/overlay.bmp";
    return p;
}

bool WriteKml(CPlotraDoc& doc, const std::string& kmlPath, const QImage& picture,
              const std::optional<std::tm>& localTime, const std::optional<ModelRect>& frame) {
    const auto paths = KmlPathsFor(kmlPath);
    if (!paths) return false;
    doc.RememberKmlPath(kmlPath);
    std::error_code ec;
    std::filesystem::create_directories(paths->folder, ec); // an existing folder is used as it is
    const bool bitmapWritten = WriteBmpFile(paths->overlayFile, picture);

    const auto placement = KmlPlacementOf(doc, frame);
    if (!placement) return false;
    const std::string text = KmlDocumentText(*placement, paths->overlayHref, KmlTimeText(localTime));
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    const bool kmlWritten = WriteFileAtomically(kmlPath, bytes);
    return bitmapWritten && kmlWritten;
}

std::optional<std::tm> CurrentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) return std::nullopt;
    return local;
}

bool CreateKmlFile(CPlotraDoc& doc, const std::string& title, UserPrompts& prompts) {
    FileChooserRequest request;
    request.defaultExtension = "kml";
    request.defaultName = TitleWithoutExtension(title);
    request.filter = "KML (Goolge Earth) File (*.kml)|*.kml|All files (*.*)|*.*||";
    const auto chosen = prompts.chooseSaveFile(request);
    if (!chosen) return false;
    if (!KmlPathsFor(*chosen)) {
        prompts.message(kKmlNameMessage, kKmlCaption, PromptIcon::Stop);
        return false;
    }
    return WriteKml(doc, *chosen, GraphPictureOf(doc), CurrentLocalTime());
}

} // namespace plotra
