#include "files/MapLoadJob.h"
#include "model/EditAccess.h"

#include <utility>

namespace plotra {

namespace {

/// Reads the map into \p scratch (a copy of the project's files and reader settings), and when
/// \p rereadSurvey, the survey again onto it; on the job's thread, touching nothing else.
LoadedMap ReadMapAndSurvey(CPlotraDoc& scratch, MapSource& source, bool rereadSurvey, Progress& progress) {
    LoadedMap out;
    LoadMessageLog log(out.messages);
    scratch.SetOutside(&log, nullptr, nullptr);
    const bool read = source.made ? scratch.LoadMapPicture(std::move(*source.made))
                                  : ReadMapFile(scratch, source.path, source.importer);
    scratch.SetOutside(nullptr, nullptr, nullptr);
    if (!read) return out;
    if (progress.cancelRequested()) {
        out.status = LoadedMap::Cancelled;
        return out;
    }
    if (rereadSurvey) {
        LoadedSurvey survey = ReadAndPlaceSurvey(
            SurveyLoadDocument(scratch, scratch.Survey().m_aFiles, scratch.Survey().m_bMerge != 0),
            &progress);
        if (survey.status == LoadedSurvey::Cancelled) {
            out.status = LoadedMap::Cancelled;
            return out;
        }
        // The points read again are the project's own: checked here against the map, not by the
        // document's thread.
        if (survey.doc) {
            survey.doc->SetOutside(&log, nullptr, nullptr);
            survey.doc->WarnIfSurveyOffMap();
            survey.doc->SetOutside(nullptr, nullptr, nullptr);
        }
        out.survey = std::move(survey);
    }
    out.map.type = scratch.Map().m_byProjType;
    out.map.coefficients = scratch.Map().m_adProj;
    out.map.bmp = std::move(Edit::Map(scratch).m_aMapImage);
    out.status = LoadedMap::Read;
    return out;
}

} // namespace

std::unique_ptr<MapLoadJob> StartMapLoadJob(CPlotraDoc& doc, MapSource source, Progress& progress,
                                            std::function<void()> finished) {
    if (doc.RefuseWhileBusy()) return nullptr;
    progress.clearCancel();
    doc.SetJobRunning(true);
    // The project's files and reader settings, read on this thread; the job reads the map into it.
    auto scratch = std::make_shared<std::unique_ptr<CPlotraDoc>>(
        SurveyLoadDocument(doc, doc.Survey().m_aFiles, doc.Survey().m_bMerge != 0));
    const bool rereadSurvey = !doc.Aps().m_aAPs.empty();
    return std::make_unique<MapLoadJob>(
        [scratch, source = std::make_shared<MapSource>(std::move(source)), rereadSurvey, &progress] {
            progress.setText("Loading the map...");
            progress.setPosition(0);
            progress.show();
            LoadedMap loaded = ReadMapAndSurvey(**scratch, *source, rereadSurvey, progress);
            progress.hide();
            return loaded;
        },
        std::move(finished));
}

MapTaken ApplyMapLoadJob(CPlotraDoc& doc, MapLoadJob& job, const std::string& path, const Progress* progress) {
    std::string failure;
    std::optional<LoadedMap> loaded = job.Take(&failure);
    doc.SetJobRunning(false);
    MapTaken taken;
    if (!loaded) {
        doc.Prompts().message(failure, "File Open Error", PromptIcon::Stop);
        return taken;
    }
    if (loaded->status == LoadedMap::Cancelled || (progress && progress->cancelRequested())) return taken;
    ShowLoadMessages(doc, loaded->messages);
    if (loaded->status != LoadedMap::Read || !doc.LoadMapPicture(std::move(loaded->map))) return taken;
    taken.map = true;
    Edit::Map(doc).m_strProjectionPath = path;
    std::optional<LoadedSurvey>& survey = loaded->survey;
    PlaceSurveyOnMap(doc, path, !survey, [&] {
        if (survey) taken.surveyPlaced = FinishSurveyReload(doc, std::move(*survey));
    });
    return taken;
}

} // namespace plotra
