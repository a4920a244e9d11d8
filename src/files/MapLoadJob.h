#pragma once
/// \brief Loading a map as a job: the map file is read, and a survey already placed is read again and
/// placed on the new map, in documents of the job's own; the project takes both over once the job
/// has ended. The synchronous command (CPlotraDoc::LoadProjectionFile) goes through the same steps on
/// the calling thread.

#include "files/SurveyLoadJob.h"
#include "model/Job.h"
#include "model/PlotraDoc.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plotra {

/// \brief What the job made of a map file.
struct LoadedMap {
    enum Status { Read, Refused, Cancelled };
    Status status = Refused;
    MapPicture map; ///< when Read
    /// The map reader's messages, then the warning about a survey that lies mostly off the map.
    std::vector<LoadMessage> messages;
    /// The project's survey read again and placed on the new map (only when it had been placed).
    std::optional<LoadedSurvey> survey;
};

/// The file dialog of "Load the map": projection files, and pictures when \p pictures can be imported.
FileChooserRequest MapFileRequest(bool pictures);

/// Reads the map file \p path into \p doc: a projection file, or a georeferenced picture through
/// \p importer (may be empty). Only the map and its geometry change. False, with the reason told
/// through doc's prompts, when the file is refused.
bool ReadMapFile(CPlotraDoc& doc, const std::string& path, const MapPictureImporter& importer);

/// The project after a new map was taken: the display a new map gets, the window told the file and
/// shown the map, \p placeSurvey placing the survey on it, and the frame. \p warnOffMap checks the
/// project's points against the map (a job that read them again checked the new ones).
void PlaceSurveyOnMap(CPlotraDoc& doc, const std::string& path, bool warnOffMap,
                      const std::function<void()>& placeSurvey);

using MapLoadJob = Job<LoadedMap>;

/// \brief Where the job's map comes from: the file \c path, read as a projection file or a picture
/// through \c importer; or, when \c made is set, that map (a floor plan placed by its scale), which
/// \c path then names.
struct MapSource {
    std::string path;
    MapPictureImporter importer;
    std::optional<MapPicture> made;
};

/// Starts taking the map of \p source as a job (the question about replacing a map and the file
/// dialog come before). The project's edits are refused until the job is applied.
std::unique_ptr<MapLoadJob> StartMapLoadJob(CPlotraDoc& doc, MapSource source, Progress& progress,
                                            std::function<void()> finished = {});

/// \brief What applying a map job did: whether the map was taken, and whether the survey was placed
/// on it anew (the caller then starts its processing).
struct MapTaken {
    bool map = false;
    bool surveyPlaced = false;
};

/// Applies a finished map job on the document's thread: the messages are shown, and a map that was
/// read replaces the project's, with the survey read again on it. Refused, failed or cancelled
/// (\p progress asked), the project stays exactly as it was.
MapTaken ApplyMapLoadJob(CPlotraDoc& doc, MapLoadJob& job, const std::string& path, const Progress* progress = nullptr);

} // namespace plotra
