#include "mapview/GraphExport.h"

#include "mapview/BitmapFile.h"
#include "mapview/GraphRenderer.h"
#include "mapview/KmlExport.h"
#include "mapview/RenderApplication.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <QFileInfo>
#include <QPainter>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <string>

namespace plotra {

namespace {

constexpr const char* kSaveCaption = "Save Graph Image";

bool SizeAllowed(int width, int height) {
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

std::string SizeMessage() {
    return "The picture size must be between 1 x 1 and " + std::to_string(kMaxPictureSide) + " x " +
           std::to_string(kMaxPictureSide) + " pixels.";
}

bool EndsWithPng(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
    return end == ".png";
}

// Through a temporary file, like the bitmap: a failed write keeps an older file.
bool WritePngFile(const std::string& path, const QImage& picture) {
    if (picture.isNull()) return false;
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!picture.save(&file, "PNG")) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

PrintPlacement PrintPlacementFor(int W, int H, int w, int h) {
    PrintPlacement p;
    if (W <= 0 || H <= 0 || w <= 0 || h <= 0) return p;
    const double sx = static_cast<double>(W) / w, sy = static_cast<double>(H) / h;
    if (sy < sx) {
        p.height = H - 20;
        p.width = static_cast<int>(w * sy - 20);
        p.left = (W - p.width) / 2;
    } else {
        p.width = W - 20;
        p.height = static_cast<int>(h * sx - 20);
        p.left = 10;
    }
    p.top = 10;
    return p;
}

void DrawPrintedGraph(QPainter& painter, const QRect& page, const QImage& picture) {
    if (picture.isNull()) return;
    const PrintPlacement p =
        PrintPlacementFor(page.width(), page.height(), picture.width(), picture.height());
    if (p.width <= 0 || p.height <= 0) return;
    const int left = page.left() + p.left, top = page.top() + p.top;
    painter.drawImage(QRect(left, top, p.width, p.height), picture);
    const int right = left + p.width, bottom = top + p.height;
    painter.drawLine(left, top, left, bottom);
    painter.drawLine(left, bottom, right, bottom);
    painter.drawLine(right, bottom, right, top);
    painter.drawLine(right, top, left, top);
}

bool SaveGraphImage(const CPlotraDoc& doc, UserPrompts& prompts) {
    FileChooserRequest request;
    request.title = "Save picture as a Bitmap file";
    request.filter = "BMP - Bitmap picture (*.bmp)|";
    request.defaultExtension = "bmp";
    // The question about replacing a file is asked here, about the file that is written: the rule
    // below may name another file than the one chosen.
    request.confirmOverwrite = false;
    const auto chosen = prompts.chooseSaveFile(request);
    if (!chosen) return false;
    // A name ending in ".png" asks for a PNG file, written as named; any other name gets the bitmap
    // under the bitmap naming rule.
    const bool png = EndsWithPng(*chosen);
    const std::string path = png ? *chosen : SaveGraphImageName(*chosen);
    if (QFileInfo::exists(QString::fromStdString(path)) &&
        !prompts.askYesNo("The file \"" + path + "\" already exists.\nDo you want to replace it?",
                          kSaveCaption))
        return false;
    const QImage picture = GraphPictureOf(doc);
    if (!(png ? WritePngFile(path, picture) : WriteBmpFile(path, picture))) {
        prompts.message("Could not write the file \"" + path + "\".", kSaveCaption, PromptIcon::Stop);
        return false;
    }
    return true;
}

bool ExportGraphImage(CPlotraDoc& doc, const GraphImageOptions& options, UserPrompts& prompts,
                      std::string* writtenPath) {
    EnsureRenderApplication();
    if (options.width < 1 || options.height < 1) {
        prompts.message("The picture size must be at least 1 x 1 pixels.", "Save Graph Image",
                        PromptIcon::Stop);
        return false;
    }
    if (options.alpha) doc.SetAlpha(*options.alpha);

    ViewState view;
    view.m_bShowMap = options.showMap && doc.Map().m_bMapLoaded != 0;
    view.m_bShowDirections = options.compass;
    view.m_palette = options.palette;
    doc.Host().setMapShown(view.m_bShowMap);
    view.FitOwnFrame(doc, options.width, options.height);
    const QImage picture = RenderGraph(doc, view, options.width, options.height);
    if (picture.isNull()) {
        prompts.message("Not enough memory for the picture.", "Save Graph Image", PromptIcon::Stop);
        return false;
    }

    const std::string path = SaveGraphImageName(options.path);
    if (writtenPath) *writtenPath = path;
    if (!WriteBmpFile(path, picture)) {
        prompts.message("Can not write the file " + path, "Save Graph Image", PromptIcon::Stop);
        return false;
    }
    return true;
}

bool ExportKml(CPlotraDoc& doc, const std::string& kmlPath, int width, int height,
               const std::optional<std::tm>& localTime, UserPrompts& prompts, PaletteKind palette) {
    EnsureRenderApplication();
    if (!KmlPathsFor(kmlPath)) {
        prompts.message(kKmlNameMessage, kKmlCaption, PromptIcon::Stop);
        return false;
    }
    if (!SizeAllowed(width, height)) {
        prompts.message(SizeMessage(), kKmlCaption, PromptIcon::Stop);
        return false;
    }
    // The overlay is laid over its frame, so it must show exactly the frame: no map, fitted to the
    // picture in a frame of the export's own (the project keeps its display frame).
    ViewState view;
    view.m_bShowMap = false;
    view.m_palette = palette;
    doc.Host().setMapShown(false);
    view.FitOwnFrame(doc, width, height);
    const QImage picture = RenderGraph(doc, view, width, height);
    if (picture.isNull()) {
        prompts.message("Not enough memory for the picture.", kKmlCaption, PromptIcon::Stop);
        return false;
    }
    if (!WriteKml(doc, kmlPath, picture, localTime, view.FrameOf(doc))) {
        prompts.message("Can not write the KML export " + kmlPath, kKmlCaption, PromptIcon::Stop);
        return false;
    }
    return true;
}

} // namespace plotra
