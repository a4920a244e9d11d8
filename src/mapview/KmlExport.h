#pragma once
/// \brief The graph as a KML ground overlay: a folder beside the KML file holding "overlay.bmp" (the
/// graph picture) and a KML 2.0 document that lays the bitmap over the display frame on the earth,
/// with a camera looking down on it.

#include "model/Geometry.h"

#include <QImage>

#include <ctime>
#include <optional>
#include <string>

namespace plotra {

class CPlotraDoc;
class UserPrompts;

/// \brief The geographic box of the display frame and the camera above it.
struct KmlPlacement {
    double north = 0, south = 0, east = 0, west = 0;
    double longitude = 0, latitude = 0; ///< camera: centre of the box
    double range = 0;                   ///< camera: twice the frame diagonal in metres
};

/// The frame in degrees (\p frame, the document's display frame without it): directly without a map;
/// on a map its lower-left and upper-right corners through the map-to-geographic conversion. Nothing
/// when that conversion fails.
std::optional<KmlPlacement> KmlPlacementOf(const CPlotraDoc& doc, const std::optional<ModelRect>& frame = std::nullopt);

/// The description's time text, "%m/%d/%Y,%H:%M:%S" of \p localTime; empty without a time or when it
/// cannot be formatted.
std::string KmlTimeText(const std::optional<std::tm>& localTime);

/// Escapes &, <, >, " and ' for XML text.
std::string XmlEscape(const std::string& text);

/// The KML document text: \p overlayHref is the bitmap's path relative to the KML file.
std::string KmlDocumentText(const KmlPlacement& placement, const std::string& overlayHref,
                            const std::string& timeText);

/// Refusal of a KML path that does not end in ".kml".
inline constexpr const char* kKmlNameMessage = "The KML file name must end in \".kml\".";
inline constexpr const char* kKmlCaption = "Create a Kml file";

/// \brief The folder and overlay reference of a KML path P: the folder is P without ".kml"; the
/// reference is the file's name without its folder and ".kml", then "/overlay.bmp".
struct KmlPaths {
    std::string folder;
    std::string overlayFile;
    std::string overlayHref;
};
/// Nothing when \p kmlPath does not end in ".kml" (the folder would take the file's own name).
/// Such a path is refused with kKmlNameMessage.
std::optional<KmlPaths> KmlPathsFor(const std::string& kmlPath);

/// Writes the folder, the overlay bitmap of \p picture and the KML document for \p kmlPath, with the
/// description time of \p localTime, and records the path in m_strKmlPath. A file that cannot be
/// written is skipped (the other is still attempted); returns true only when both were written.
/// A path without ".kml" writes nothing. The overlay covers \p frame (the document's display frame
/// without it).
bool WriteKml(CPlotraDoc& doc, const std::string& kmlPath, const QImage& picture,
              const std::optional<std::tm>& localTime, const std::optional<ModelRect>& frame = std::nullopt);

/// The "Create a Kml file" command: proposes the title without its extension, asks for the path
/// through the prompts' save chooser and writes the export of the document's last graph picture
/// with the current local time. Returns false when cancelled or not written.
bool CreateKmlFile(CPlotraDoc& doc, const std::string& title, UserPrompts& prompts);

/// The current local time; nothing when it cannot be converted.
std::optional<std::tm> CurrentLocalTime();

} // namespace plotra
