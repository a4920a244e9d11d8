#pragma once
/// \brief The graph as files and on paper: the bitmap save, the command-line exports of the graph
/// image and of the KML overlay, and the placement of the picture on a printed page.

#include "model/Palette.h"

#include <QImage>
#include <QRect>

#include <ctime>
#include <optional>
#include <string>

class QPainter;

namespace plotra {

class CPlotraDoc;
class UserPrompts;

/// \brief Where the picture lands on a page: left, top (always 10), width and height.
struct PrintPlacement {
    int left = 10, top = 10, width = 0, height = 0;
};

/// Scale of a w x h picture on a W x H page: with sx = W / w and sy = H / h, a page relatively wider
/// than the picture (sy < sx) gets height H - 20, width trunc(w sy - 20), centred; otherwise width
/// W - 20, height trunc(h sx - 20) and left 10.
PrintPlacement PrintPlacementFor(int pageWidth, int pageHeight, int pictureWidth, int pictureHeight);

/// Draws \p picture on a page area with PrintPlacementFor and a frame around it (left, bottom, right
/// and top edges with the painter's current pen).
void DrawPrintedGraph(QPainter& painter, const QRect& page, const QImage& picture);

/// The "Save Graph Image..." command: asks for a path ("Save picture as a Bitmap file") and writes
/// the document's last graph picture to SaveGraphImageName(path); a chosen name ending in ".png"
/// gets a PNG file of that name instead. When the file to be written is not the one chosen and
/// exists already, asks before replacing it; a file that cannot be written is reported. False when
/// cancelled, declined or unwritten.
bool SaveGraphImage(const CPlotraDoc& doc, UserPrompts& prompts);

/// \brief What the command-line image export draws beyond the document's display settings.
struct GraphImageOptions {
    std::string path;         ///< the file asked for; the naming rule of SaveGraphImageName applies
    std::optional<int> alpha; ///< overlay transparency 0..255; the document's value when absent
    int width = 800, height = 500;
    bool showMap = true; ///< the graph window's map toggle (only with a map loaded)
    bool compass = false;
    PaletteKind palette = PaletteKind::Classic;
};

/// Renders the graph with the document's display settings as the graph window would after "Fit in
/// the window" and writes it as a 24-bit BMP. The alpha is stored in the document, as the panel
/// would.
/// \p writtenPath receives the path actually written. Failures are reported through \p prompts.
bool ExportGraphImage(CPlotraDoc& doc, const GraphImageOptions& options, UserPrompts& prompts,
                      std::string* writtenPath = nullptr);

/// Renders the graph for \p width x \p height after "Fit in the window" with the map hidden (the
/// overlay then covers exactly the display frame) and writes the KML overlay with \p localTime as
/// the description's time. Failures are reported through \p prompts.
bool ExportKml(CPlotraDoc& doc, const std::string& kmlPath, int width, int height,
               const std::optional<std::tm>& localTime, UserPrompts& prompts,
               PaletteKind palette = PaletteKind::Classic);

} // namespace plotra
