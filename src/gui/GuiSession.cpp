#include "gui/GuiSession.h"

#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "files/MapLoadJob.h"
#include "files/SurveyLoadJob.h"
#include "files/WorkspaceJobs.h"
#include "georef/MapImport.h"
#include "gui/ProgressDialog.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <filesystem>

namespace plotra::gui {

namespace {

/// "Load the map" also takes georeferenced pictures: GeoTIFF, a picture with a world file.
MapImportOutcome ImportPicture(const std::string& path, UserPrompts& prompts) {
    MapImportOutcome out;
    MapImportResult r = ImportMapImage(path);
    if (!r.picture) return out;
    if (!r.ok) {
        prompts.message(r.message, r.caption, PromptIcon::Stop);
        out.kind = MapImportOutcome::Refused;
        return out;
    }
    std::string warnings;
    for (const std::string& w : r.report.warnings)
        warnings += w + "\n";
    if (!warnings.empty()) prompts.message(warnings, "Map Picture", PromptIcon::Warning);
    out.kind = MapImportOutcome::Loaded;
    out.map.type = r.image.type;
    out.map.coefficients = r.image.coefficients;
    out.map.bmp = std::move(r.image.picture);
    return out;
}

/// Tells \p done the command's outcome once the job that ends it is gone (the caller may start the
/// next one); nothing when nobody asked.
template <class Outcome>
void TellLater(QObject* context, const std::function<void(Outcome)>& done, Outcome outcome) {
    if (done) QMetaObject::invokeMethod(context, [done, outcome] { done(outcome); }, Qt::QueuedConnection);
}

} // namespace

GuiSession::GuiSession(QWidget* window) : m_window(window), m_prompts(window) {
    m_signals = std::make_unique<DocumentSignals>(m_doc);
    m_progress = new ProgressDialog(window);
    m_jobProgress = m_progress->sharedProgress();
    m_doc.SetOutside(&m_prompts, m_jobProgress.get(), this);
    m_doc.SetMapPictureImporter(ImportPicture);
    m_undo.changed = [this] { emit undoChanged(); };
}

GuiSession::~GuiSession() {
    m_undo.changed = nullptr;
    // A job still running is told to stop; its thread ends before the document goes.
    if (m_running) {
        m_jobProgress->requestCancel();
        m_running.reset();
    }
    m_signals.reset();
    if (m_progress && !m_progress->parent()) delete m_progress.data();
}

void GuiSession::setPrompts(UserPrompts* prompts) {
    m_doc.SetOutside(prompts ? prompts : &m_prompts, m_jobProgress.get(), this);
}

Progress& GuiSession::progress() {
    return *m_jobProgress;
}

void GuiSession::setWindow(QWidget* window) {
    m_window = window;
    m_prompts.setParent(window);
    if (window && m_progress && !m_progress->parent())
        m_progress->setParent(window, m_progress->windowFlags());
}

void GuiSession::setPathName(const std::string& path, bool addToRecent) {
    m_pathName = path;
    m_title = std::filesystem::path(path).filename().string();
    if (pathNameChanged) pathNameChanged(path, addToRecent);
}

void GuiSession::setTitle(const std::string& title) {
    m_title = title;
    if (titleChanged) titleChanged(title);
}

std::pair<int, int> GuiSession::graphClientSize() const {
    return {std::max(1, m_clientSize.width()), std::max(1, m_clientSize.height())};
}

void GuiSession::setMapShown(bool on) {
    m_view.m_bShowMap = on;
    emit viewChanged();
}

void GuiSession::setPalette(PaletteKind palette) {
    if (m_view.m_palette == palette) return;
    m_view.m_palette = palette;
    emit viewChanged();
}

void GuiSession::setShowDirections(bool on) {
    m_view.m_bShowDirections = on;
    emit viewChanged();
}

void GuiSession::resetZoom() {
    m_view.ResetWindow();
    m_view.m_nHScrollPos = m_view.m_nVScrollPos = 0;
    emit viewChanged();
}

void GuiSession::startProcessing(CPlotraDoc& doc) {
    std::shared_ptr<PreparedPicture> picture = m_preparer ? m_preparer(PictureFor::Processing) : nullptr;
    ProcessedPreview preview;
    if (picture)
        preview = [picture](const CPlotraDoc& processed, bool mapShown) { picture->make(processed, mapShown); };
    // The preview was drawn from the project as it was when the job started.
    auto startedAt = std::make_shared<std::uint64_t>(0);
    Run<ProcessingJob>(
        [&](auto finished) {
            auto job = StartProcessingJob(doc, progress(), finished, {}, std::move(preview));
            *startedAt = doc.ChangeCounter();
            return job;
        },
        [this, picture, startedAt](ProcessingJob& job) {
            const bool untouched = m_doc.ChangeCounter() == *startedAt;
            const bool completed = ApplyProcessingJob(m_doc, job);
            if (completed && untouched && picture) picture->take();
            // Asked once this job is gone: a Yes starts the next one.
            if (!completed)
                QMetaObject::invokeMethod(this, [this] { offerProcessingAgain(); }, Qt::QueuedConnection);
            return completed;
        });
}

bool GuiSession::canProcessAgain() const {
    return !m_doc.JobRunning() && m_doc.Survey().m_aDataPoints.size() > 0 && !m_doc.HasProcessedData();
}

void GuiSession::processAgain() {
    if (m_doc.RefuseWhileBusy() || !canProcessAgain()) return;
    m_doc.BuildAccessPoints();
    startProcessing(m_doc);
}

void GuiSession::offerProcessingAgain() {
    if (!canProcessAgain()) return;
    if (m_doc.Prompts().askYesNo(
            "The data processing did not finish: the access points have no position or "
            "model yet.\n\nProcess the survey data again now? (File > Process Survey Data "
            "Again does it later.)",
            "Data Processing"))
        processAgain();
}

void GuiSession::openProject() {
    const std::optional<std::string> chosen = ChooseWorkspaceToOpen(m_doc);
    if (!chosen) return;
    // Unsaved edits are asked about once there is something to open instead.
    saveModifiedThen([this, path = *chosen] { runOpen(path, true, {}); });
}

void GuiSession::openDocument(const std::string& path, std::function<void(OpenOutcome)> done) {
    if (RefuseWorkspaceCommand(m_doc)) return;
    saveModifiedThen([this, path, done] { runOpen(path, false, done); });
}

void GuiSession::runOpen(const std::string& path, bool fromFileMenu, std::function<void(OpenOutcome)> done) {
    WorkspaceOpen open{path, fromFileMenu, {}};
    std::shared_ptr<PreparedPicture> picture = m_preparer ? m_preparer(PictureFor::Opening) : nullptr;
    if (picture)
        open.prepare = [picture](const CPlotraDoc& decoded, bool mapShown) { picture->make(decoded, mapShown); };
    Run<WorkspaceOpenJob>(
        [&](auto finished) { return StartWorkspaceOpenJob(m_doc, open, progress(), finished); },
        [this, open, done, picture](WorkspaceOpenJob& job) {
            const OpenOutcome outcome = ApplyWorkspaceOpenJob(m_doc, job, open, &progress());
            if (outcome == OpenOutcome::Opened && picture) picture->take();
            if (done) TellLater(this, done, outcome);
            return outcome == OpenOutcome::Opened;
        });
}

void GuiSession::newProject() {
    // The start-up call only marks the empty project as started.
    if (!m_doc.Display().m_bStarted) {
        m_doc.OnNewDocument();
        return;
    }
    if (RefuseNewProject(m_doc)) return;
    saveModifiedThen([this] {
        std::optional<SurveySelection> chosen = ChooseNewProjectFiles(m_doc, [this] { loadMap(); });
        if (chosen) replaceSurveyFiles(std::move(chosen->files), chosen->merge);
    });
}

void GuiSession::replaceSurveyFiles(std::vector<CDataFile> files, bool merge, std::function<void(bool)> done) {
    auto input = std::make_shared<std::vector<CDataFile>>(std::move(files));
    Run<SurveyLoadJob>(
        [&](auto finished) { return StartSurveyLoadJob(m_doc, std::move(*input), merge, progress(), finished); },
        [this, done](SurveyLoadJob& job) {
            const bool replaced = ApplySurveyLoadJob(m_doc, job, &progress());
            // The new survey's processing is the next job.
            if (replaced) startProcessing(m_doc);
            TellLater(this, done, replaced);
            return replaced;
        });
}

void GuiSession::loadMap(std::function<void(bool)> done) {
    if (m_doc.RefuseWhileBusy()) return;
    // The current map is released only when a new one has been read.
    if (!m_doc.ConfirmMapReplacement()) return;
    const std::optional<std::string> path = m_doc.Prompts().chooseOpenFile(MapFileRequest(true));
    if (!path) return;
    takeMap(MapSource{*path, ImportPicture, std::nullopt}, std::move(done));
}

void GuiSession::loadMadeMap(const std::string& path, MapPicture map, std::function<void(bool)> done) {
    takeMap(MapSource{path, {}, std::move(map)}, std::move(done));
}

void GuiSession::takeMap(MapSource source, std::function<void(bool)> done) {
    auto input = std::make_shared<MapSource>(std::move(source));
    Run<MapLoadJob>(
        [&](auto finished) { return StartMapLoadJob(m_doc, std::move(*input), progress(), finished); },
        [this, path = input->path, done](MapLoadJob& job) {
            const MapTaken taken = ApplyMapLoadJob(m_doc, job, path, &progress());
            // The survey placed on the new map is processed again, as the next job.
            if (taken.surveyPlaced) startProcessing(m_doc);
            TellLater(this, done, taken.map);
            return taken.map;
        });
}

void GuiSession::saveProject(bool saveAs, std::function<void(bool)> done) {
    const std::optional<WorkspaceSave> save = PrepareWorkspaceSave(m_doc, saveAs);
    if (!save) return;
    Run<WorkspaceSaveJob>(
        [&](auto finished) { return StartWorkspaceSaveJob(m_doc, *save, progress(), finished); },
        [this, save = *save, done](WorkspaceSaveJob& job) {
            const bool written = ApplyWorkspaceSaveJob(m_doc, job, save);
            TellLater(this, done, written);
            return written;
        });
}

void GuiSession::saveModifiedThen(std::function<void()> proceed) {
    switch (m_doc.AskSaveModified()) {
    case CPlotraDoc::SaveChoice::GoOn:
        proceed();
        return;
    case CPlotraDoc::SaveChoice::Stop:
        return;
    case CPlotraDoc::SaveChoice::Save:
        break;
    }
    saveProject(false, [proceed](bool written) {
        if (written) proceed();
    });
}

void GuiSession::exportTable(const TableExport& what, std::function<void(bool)> done) {
    Run<TableExportJob>([&](auto finished) { return StartTableExportJob(m_doc, what, progress(), finished); },
                        [this, what, done](TableExportJob& job) {
                            const bool written = ApplyTableExportJob(m_doc, job, what);
                            TellLater(this, done, written);
                            return written;
                        });
}

int GuiSession::runSteps(const std::string& text, int count, const std::function<bool(int)>& step) {
    if (m_doc.RefuseWhileBusy()) return 0;
    Progress& shown = progress();
    shown.clearCancel();
    // The steps read the live document, as a save does.
    m_doc.SetJobRunning(true, true);
    emit jobStarted();
    shown.setText(text);
    shown.setPosition(0);
    // Modal while the steps run: its Cancel stays reachable above a modal window that asked for
    // them (the print preview), and nothing else starts meanwhile (a second printout on the printer).
    if (m_progress) m_progress->setWindowModality(Qt::ApplicationModal);
    shown.show();
    int done = 0;
    QEventLoop loop;
    QTimer timer;
    // Steps for a slice of time, then the event loop: the window paints and Cancel is heard.
    constexpr int kSliceMs = 25;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        QElapsedTimer slice;
        slice.start();
        bool more = done < count;
        while (more && !shown.cancelRequested() && slice.elapsed() < kSliceMs) {
            more = step(done);
            if (more) more = ++done < count;
        }
        shown.setPosition(count > 0 ? static_cast<int>(100LL * done / count) : 100);
        if (!more || shown.cancelRequested()) loop.quit();
    });
    timer.start(0);
    loop.exec();
    timer.stop();
    shown.hide();
    if (m_progress) m_progress->setWindowModality(Qt::NonModal);
    m_doc.SetJobRunning(false);
    emit jobFinished(done == count);
    return done;
}

bool GuiSession::startCoverage() {
    return Run<CoverageJob>([&](auto finished) { return StartCoverageJob(m_doc, progress(), finished); },
                            [this](CoverageJob& job) { return ApplyCoverageJob(m_doc, job); });
}

void GuiSession::cancelJob() {
    // A job on its thread, or steps run from the event loop.
    if (m_running || m_doc.JobRunning()) m_jobProgress->requestCancel();
}

} // namespace plotra::gui
