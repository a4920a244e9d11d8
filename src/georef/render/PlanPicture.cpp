#include "georef/render/PlanPicture.h"

#include "files/ProjectionFile.h"
#include "georef/MapPicture.h"
#include "model/TextFormat.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>
#include <cmath>

namespace plotra {

namespace {

constexpr char kInvalidFile[] = "Invalid File";

PlanLoad Refuse(std::string caption, std::string message) {
    PlanLoad r;
    r.caption = std::move(caption);
    r.message = std::move(message);
    return r;
}

QString QPath(const std::string& path) {
    return QString::fromStdString(path);
}

std::string Size(std::uint64_t w, std::uint64_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

/// The page rendered over white at \p size pixels (white painted behind it in place: a page may be
/// hundreds of megabytes).
QImage RenderPage(QPdfDocument& doc, int pageIndex, QSize size) {
    QImage page = doc.render(pageIndex, size);
    if (page.isNull() || !page.hasAlphaChannel()) return page;
    QPainter painter(&page);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOver);
    painter.fillRect(page.rect(), Qt::white);
    return page;
}

PlanLoad LoadPdfPage(const std::string& path, const PlanRequest& request) {
    QPdfDocument doc;
    if (doc.load(QPath(path)) != QPdfDocument::Error::None || doc.pageCount() < 1)
        return Refuse(kInvalidFile, "The file \"" + path + "\" is not a PDF document Plotra can read.");
    const int count = doc.pageCount();
    const int page = request.page == 0 ? 1 : request.page;
    if (page < 1 || page > count)
        return Refuse("Floor Plan", "The PDF \"" + path + "\" has " + std::to_string(count) +
                                        (count == 1 ? " page" : " pages") + "; there is no page " +
                                        std::to_string(page) + ".");
    const QSizeF points = doc.pagePointSize(page - 1);
    if (!(points.width() > 0.0 && points.height() > 0.0))
        return Refuse(kInvalidFile, "Page " + std::to_string(page) + " of \"" + path + "\" has no size.");
    // Unless asked, exactly kPlanPdfPixelsAcross across the page, so that the scale points can be
    // read off any rendering of that width.
    const double dpi = request.dpi > 0 ? request.dpi : kPlanPdfPixelsAcross * 72.0 / points.width();
    const double w = std::max(1.0, std::round(points.width() * dpi / 72.0));
    const double h = std::max(1.0, std::round(points.height() * dpi / 72.0));
    if (w * h > static_cast<double>(kMaxPlanSourcePixels) * 64.0 || w > 2e9 || h > 2e9)
        return Refuse("Floor Plan", "Page " + std::to_string(page) + " at " + FormatText<32>("%g", dpi) +
                                        " dpi would be far too large a picture; choose a lower --dpi.");
    PlanLoad r;
    PlanPicture& plan = r.plan;
    plan.format = "PDF";
    plan.pageCount = count;
    plan.page = page;
    plan.dpi = dpi;
    plan.sourceWidth = static_cast<int>(w);
    plan.sourceHeight = static_cast<int>(h);
    // Rendered at the size it is written at: a large page never exists at full size.
    const PictureSize size =
        ReducedSize(plan.sourceWidth, plan.sourceHeight, request.maxPixels, kMaxMapImageBytes);
    plan.reduced = size.reduced;
    plan.overFormatLimit = Bmp24FileBytes(plan.sourceWidth, plan.sourceHeight) > kMaxMapImageBytes;
    plan.image = RenderPage(doc, page - 1, QSize(size.width, size.height));
    if (plan.image.isNull())
        return Refuse(kInvalidFile,
                      "Page " + std::to_string(page) + " of \"" + path + "\" could not be rendered.");
    r.ok = true;
    return r;
}

PlanLoad LoadImage(const std::string& path, const PlanRequest& request) {
    if (request.page != 0)
        return Refuse("Floor Plan",
                      "The plan \"" + path + "\" is a picture, not a PDF: it has no pages to choose.");
    QImageReader reader(QPath(path));
    const QSize declared = reader.size();
    if (!reader.canRead() || !declared.isValid())
        return Refuse(kInvalidFile,
                      "The file \"" + path +
                          "\" is not a floor plan Plotra can read: give a PNG, JPEG or BMP picture "
                          "or a PDF.");
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(declared.width()) * static_cast<std::uint64_t>(declared.height());
    if (pixels > kMaxPlanSourcePixels)
        return Refuse(kInvalidFile,
                      "The picture \"" + path + "\" declares " + Size(declared.width(), declared.height()) +
                          " pixels; floor plans of up to " + std::to_string(kMaxPlanSourcePixels) +
                          " pixels can be read. Reduce it, or export the plan at a lower "
                          "resolution.");
    PlanLoad r;
    PlanPicture& plan = r.plan;
    plan.format = reader.format().toUpper().toStdString();
    if (plan.format == "JPG") plan.format = "JPEG";
    plan.sourceWidth = declared.width();
    plan.sourceHeight = declared.height();
    const PictureSize size =
        ReducedSize(plan.sourceWidth, plan.sourceHeight, request.maxPixels, kMaxMapImageBytes);
    plan.reduced = size.reduced;
    plan.overFormatLimit = Bmp24FileBytes(plan.sourceWidth, plan.sourceHeight) > kMaxMapImageBytes;
    // Qt refuses pictures above its default allocation limit; the limit here is the one above.
    reader.setAllocationLimit(static_cast<int>(kMaxPlanSourcePixels * 4 / (1024 * 1024)) + 1);
    if (size.reduced) reader.setScaledSize(QSize(size.width, size.height));
    QImage image = reader.read();
    if (image.isNull())
        return Refuse(kInvalidFile, "The picture \"" + path + "\" could not be read completely (" +
                                        reader.errorString().toStdString() + ").");
    if (image.size() != QSize(size.width, size.height))
        image = image.scaled(size.width, size.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    plan.image = std::move(image);
    r.ok = true;
    return r;
}

} // namespace

bool IsPdfFile(const std::string& path) {
    QFile f(QPath(path));
    if (!f.open(QIODevice::ReadOnly)) return false;
    // Readers accept the header anywhere in the first kilobyte (some writers put a line before it).
    return f.read(1024).contains("%PDF-");
}

PlanLoad LoadPlanPicture(const std::string& path, const PlanRequest& request) {
    if (!QFile::exists(QPath(path))) return Refuse("File Open Error", "Could not open file \"" + path + "\"");
    return IsPdfFile(path) ? LoadPdfPage(path, request) : LoadImage(path, request);
}

std::vector<std::uint8_t> PlanBmp(const QImage& image) {
    auto canvas = Bmp24Canvas::Create(image.width(), image.height(), kMaxMapImageBytes);
    if (!canvas) return {};
    // Row by row, so that a large plan is never held twice in another pixel format.
    const bool direct = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_RGB32;
    QImage row;
    for (int y = 0; y < image.height(); ++y) {
        if (!direct) row = image.copy(0, y, image.width(), 1).convertToFormat(QImage::Format_ARGB32);
        const QImage& from = direct ? image : row;
        const auto* src = reinterpret_cast<const QRgb*>(from.constScanLine(direct ? y : 0));
        std::uint8_t* dst = canvas->Row(y);
        for (int x = 0; x < image.width(); ++x, dst += 3) {
            // RGB32 carries 0xFF in its unused byte, so qAlpha reads it as opaque.
            const auto a = static_cast<std::uint8_t>(qAlpha(src[x]));
            dst[0] = OnWhite(static_cast<std::uint8_t>(qBlue(src[x])), a);
            dst[1] = OnWhite(static_cast<std::uint8_t>(qGreen(src[x])), a);
            dst[2] = OnWhite(static_cast<std::uint8_t>(qRed(src[x])), a);
        }
    }
    return canvas->Take();
}

FloorPlanMap MakeFloorPlanMap(const PlanPicture& plan, const PlanPlacement& placement) {
    FloorPlanMap m;
    m.message = CheckPlacement(placement, plan.sourceWidth, plan.sourceHeight);
    if (!m.message.empty()) return m;
    const auto affine = FloorPlanAffine(placement);
    if (!affine || plan.image.isNull()) {
        m.message = "The floor plan cannot be placed with this scale.";
        return m;
    }
    // The written picture covers the same ground: each axis scales by its own ratio, so a reduced
    // picture keeps the plan's scale exactly.
    const double sx = static_cast<double>(plan.image.width()) / plan.sourceWidth;
    const double sy = static_cast<double>(plan.image.height()) / plan.sourceHeight;
    m.transform = ScaledAffine(*affine, sx, sy);
    m.image.type = 0;
    m.image.coefficients = ProjectionCoefficients(m.transform);
    m.image.picture = PlanBmp(plan.image);
    if (m.image.picture.empty()) {
        m.message = "The floor plan's picture is too large for a map.";
        return m;
    }
    std::string source =
        "floor plan " + Size(plan.sourceWidth, plan.sourceHeight) + " pixels (" + plan.format;
    if (plan.format == "PDF")
        source += FormatText<96>(", page %d of %d at %.4g dpi", plan.page, plan.pageCount, plan.dpi);
    m.lines.push_back(source + ")");
    m.lines.push_back((plan.reduced ? "reduced to " : "map picture ") +
                      Size(plan.image.width(), plan.image.height()) + " pixels" +
                      (plan.reduced ? " to fit the map size limit" : ""));
    for (std::string& line : DescribeFloorPlan(placement, plan.sourceWidth, plan.sourceHeight))
        m.lines.push_back(std::move(line));
    if (plan.reduced)
        m.warnings.push_back("The plan is reduced from " + Size(plan.sourceWidth, plan.sourceHeight) +
                             " to " + Size(plan.image.width(), plan.image.height()) +
                             " pixels to fit the map size limit" +
                             (plan.overFormatLimit ? " (a projection file holds a picture of at most " +
                                                         std::to_string(kMaxMapImageBytes >> 20) +
                                                         " MiB, about 13,377 x 13,377 pixels)"
                                                   : std::string()) +
                             "; its scale is kept.");
    m.ok = true;
    return m;
}

} // namespace plotra
