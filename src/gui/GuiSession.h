#pragma once
/// \brief What every window of the desktop program shares: the document with its notices as signals,
/// the prompts, the progress dialog, the graph window's view state (it survives the switch to the
/// table window and back), and the jobs. It is the document's host: the few view states a document
/// operation may touch are answered here, and the processing the document asks for runs as a job
/// whose result is applied when the event loop hears that it has finished. The user-interface thread
/// never waits for a worker.

#include "gui/DocumentSignals.h"
#include "gui/GuiPrompts.h"
#include "edits/UndoStack.h"
#include "model/Job.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"
#include "gui/ProgressDialog.h"
#include "table/TableExportJob.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace plotra {
struct MapSource;
}

namespace plotra::gui {


class GuiSession : public QObject, public DocumentHost {
    Q_OBJECT
public:
    /// \p window is the parent of message boxes and the progress dialog (may be set later).
    explicit GuiSession(QWidget* window = nullptr);
    ~GuiSession() override;

    CPlotraDoc& doc() { return m_doc; }
    const CPlotraDoc& doc() const { return m_doc; }
    DocumentSignals& notices() { return *m_signals; }
    /// Undo and Redo of the document's edits (Edit menu); undoChanged() follows every change.
    UndoStack& undoStack() { return m_undo; }
    const UndoStack& undoStack() const { return m_undo; }
    GuiPrompts& prompts() { return m_prompts; }
    /// The prompts the document talks to (the GUI's, or a test's recorder).
    void setPrompts(UserPrompts* prompts);
    ProgressDialog& progressDialog() { return *m_progress; }
    Progress& progress();
    /// Set the parent of dialogs (the main window).
    void setWindow(QWidget* window);
    QWidget* window() const { return m_window; }

    /// The graph window's view state (zoom window, scroll positions, mouse modes, map and compass
    /// toggles) and its client size.
    ViewState& view() { return m_view; }
    const ViewState& view() const { return m_view; }
    void setGraphClientSize(QSize size) { m_clientSize = size; }
    QSize graphClientQSize() const { return m_clientSize; }
    /// Tell the windows that the view state changed (they repaint and refresh their commands).
    void notifyViewChanged() { emit viewChanged(); }
    /// The colour scale every picture of this session is drawn in: the window, its saved image, the
    /// KML overlay (drawn from the window's picture) and both reports.
    PaletteKind palette() const { return m_view.m_palette; }
    void setPalette(PaletteKind palette);
    /// Drawn over the graph window's picture while it is set: the path of a survey being made, which
    /// is not part of the project until it is processed.
    using GraphOverlay = std::function<void(QPainter&, const PixelMapping&, const QSize&)>;
    void setGraphOverlay(GraphOverlay overlay, const QObject* owner = nullptr) {
        m_overlay = std::move(overlay);
        m_overlayOwner = owner;
        emit overlayChanged();
    }
    /// Take the overlay or the click handler away if \p owner set them (a survey that ends after the
    /// next one started leaves the next one's alone).
    void releaseGraphOverlay(const QObject* owner) {
        if (owner && m_overlayOwner == owner) setGraphOverlay({});
    }
    void releaseGraphClick(const QObject* owner) {
        if (owner && m_graphClickOwner == owner) setGraphClick({});
    }
    const GraphOverlay& graphOverlay() const { return m_overlay; }
    /// The overlay has new contents (the window repaints).
    void notifyOverlayChanged() { emit overlayChanged(); }
    /// Takes a left click on the graph (model coordinates) while it is set and no mouse mode is on:
    /// the clicks of an indoor survey. True when the click was taken.
    using GraphClick = std::function<bool(double x, double y)>;
    void setGraphClick(GraphClick click, const QObject* owner = nullptr) {
        m_graphClick = std::move(click);
        m_graphClickOwner = owner;
    }
    const GraphClick& graphClick() const { return m_graphClick; }

    /// \brief The graph window's first picture of a workspace being opened or of a processed
    /// project, drawn on the job's thread so that taking a large project over does not also wait
    /// for its drawing.
    class PreparedPicture {
      public:
        virtual ~PreparedPicture() = default;
        /// On the job's thread: \p made is the project as the document will hold it.
        virtual void make(const CPlotraDoc& made, bool mapShown) = 0;
        /// On this thread, once the job's project is the document's.
        virtual void take() = 0;
    };
    /// What the picture is for: an opening keeps the zoom, a processing fits it to the new frame.
    enum class PictureFor { Opening, Processing };
    /// Asked for a PreparedPicture when a job makes a new project (none: the window draws it itself).
    using PicturePreparer = std::function<std::shared_ptr<PreparedPicture>(PictureFor)>;
    void setPicturePreparer(PicturePreparer preparer, const QObject* owner) {
        m_preparer = std::move(preparer);
        m_preparerOwner = owner;
    }
    void releasePicturePreparer(const QObject* owner) {
        if (owner && m_preparerOwner == owner) setPicturePreparer({}, nullptr);
    }

    /// File > Open: the chooser, the question about unsaved changes (a Yes saves first, as a job), then
    /// the reading as a job; the project is replaced once the file has been read.
    void openProject();
    /// Opens the workspace at \p path (a recent file, the command line) the same way; \p done hears
    /// how it ended once the reading has been applied (not called when nothing was started).
    void openDocument(const std::string& path, std::function<void(OpenOutcome)> done = {});
    /// File > New Project: the refusals, the question about unsaved changes (a Yes saves first, as a
    /// job), the offer to load a map first and the survey file selection, then the loading as a job.
    void newProject();
    /// Reads \p files (the ticked ones) and places their points as a job; the project is replaced,
    /// and its processing started, only when one of them was read. A Cancel, or files none of which
    /// can be read, leave the project exactly as it was. \p done hears whether it was replaced (not
    /// called when nothing was started). The caller has asked about unsaved changes.
    void replaceSurveyFiles(std::vector<CDataFile> files, bool merge, std::function<void(bool replaced)> done = {});
    /// Load the map: the question about replacing a map and the chooser, then the map read (and a
    /// placed survey read again onto it) as a job; the project takes the map once it was read, and a
    /// Cancel or a refused file leave it exactly as it was. \p done hears whether the map was taken
    /// (not called when nothing was started).
    void loadMap(std::function<void(bool taken)> done = {});
    /// Takes \p map, made from the file \p path (a floor plan placed by its scale), the way loadMap
    /// takes a map it read.
    void loadMadeMap(const std::string& path, MapPicture map, std::function<void(bool taken)> done = {});
    /// File > Save (\p saveAs false) and Save As: the file is written as a job; \p done hears whether
    /// it was written (not called when nothing was started).
    void saveProject(bool saveAs, std::function<void(bool written)> done = {});
    /// Before the project is replaced or the window closes: asks about unsaved changes and runs
    /// \p proceed at once (nothing to save, No) or once the save that Yes starts has been written;
    /// Cancel, a refused or a failed save run nothing.
    void saveModifiedThen(std::function<void()> proceed);

    /// "Save Table As..." once its options and file are chosen: the table is written as a job into a
    /// temporary file that replaces \p what.path only when complete; \p done hears whether it was
    /// written (not called when nothing was started).
    void exportTable(const TableExport& what, std::function<void(bool written)> done = {});
    /// Work that must stay on this thread (painting pages on a printer) done a step at a time from
    /// the event loop, behind the progress window with its Cancel: \p step does step \p index of
    /// \p count and returns false to stop. The event loop runs between steps (a step should take a
    /// few milliseconds), the project takes no edit meanwhile, and this returns once the last step
    /// ran or Cancel was given. Returns the steps done; nothing is done while a job runs.
    int runSteps(const std::string& text, int count, const std::function<bool(int index)>& step);

    /// "Plot Coverage": starts the coverage as a job (nothing when refused or nothing to compute).
    bool startCoverage();
    /// True while a job runs (loading the survey, processing, coverage, opening or saving the
    /// workspace, exporting the table, a report).
    bool jobRunning() const { return m_doc.JobRunning(); }
    /// Processes \p doc's placed survey as a job (the processing job, with its offer to process again
    /// after a Cancel); the loading, the map and "Process Survey Data Again" start it.
    void startProcessing(CPlotraDoc& doc);
    /// The one way the windows run a job: \p work runs on a thread of its own, reporting to and
    /// cancelled through the progress dialog (or cancelJob); the document takes no edit meanwhile, and
    /// a second job is refused while it runs. \p apply then runs on this thread with the result
    /// (nothing when the work threw, the reason in \p failure) and says whether the job completed.
    /// jobStarted and jobFinished bracket it. False when the job was refused.
    template <class Result>
    bool runJob(std::function<Result(Progress&)> work,
                std::function<bool(std::optional<Result>& result, const std::string& failure)> apply);
    /// Cancels a running job (as the progress dialog's Cancel does).
    void cancelJob();
    /// True when the survey is loaded but its processing did not finish (cancelled or failed).
    bool canProcessAgain() const;
    /// Places the survey's points again and processes them, as after loading the files.
    void processAgain();

    /// The status-bar text of the graph and table windows ("Mouse Position" pane).
    void setStatusText(const QString& text) { emit statusText(text); }

    /// The document's path name and title as the document last gave them (a path name gives the
    /// title its file name; while the title is empty it is the document's name, "Hovrin"). The
    /// exports take their default file names from them.
    const std::string& documentPath() const { return m_pathName; }
    std::string documentTitle() const { return m_title.empty() ? std::string("Hovrin") : m_title; }

    /// Called with the document's path name and title (the main window shows them).
    std::function<void(const std::string&, bool)> pathNameChanged;
    std::function<void(const std::string&)> titleChanged;

    // DocumentHost
    void setPathName(const std::string& path, bool addToRecent) override;
    void setTitle(const std::string& title) override;
    std::pair<int, int> graphClientSize() const override;
    bool mapShown() const override { return m_view.m_bShowMap; }
    void setMapShown(bool on) override;
    void setShowDirections(bool on) override;
    void resetZoom() override;

signals:
    void viewChanged();
    void overlayChanged();
    void statusText(const QString& text);
    void jobStarted();
    /// An edit was recorded, undone or redone, or the undo stack was cleared.
    void undoChanged();
    /// A job's result has been applied; \p completed is false when it was cancelled or failed.
    void jobFinished(bool completed);

private:
    GraphOverlay m_overlay;
    GraphClick m_graphClick;
    const QObject* m_overlayOwner = nullptr;
    const QObject* m_graphClickOwner = nullptr;
    PicturePreparer m_preparer;
    const QObject* m_preparerOwner = nullptr;
    /// Keeps a started job until the event loop hears that it finished, then applies it there.
    template <class JobT, class Start, class Apply> bool Run(Start start, Apply apply);
    void takeMap(MapSource source, std::function<void(bool taken)> done);
    /// Opens the workspace at \p path as a job, the window's first picture drawn beside the reading;
    /// \p done hears how it ended.
    void runOpen(const std::string& path, bool fromFileMenu, std::function<void(OpenOutcome)> done);
    /// After a processing that did not finish: says so and offers to process again.
    void offerProcessingAgain();

    CPlotraDoc m_doc;
    UndoStack m_undo{m_doc};
    std::shared_ptr<void> m_running; ///< the job that runs, if any
    QPointer<QWidget> m_window;
    GuiPrompts m_prompts;
    std::unique_ptr<DocumentSignals> m_signals;
    /// The progress dialog belongs to the main window and may go first; the reports a running job
    /// sends stay valid through the shared sink.
    QPointer<ProgressDialog> m_progress;
    std::shared_ptr<Progress> m_jobProgress;
    ViewState m_view;
    QSize m_clientSize{800, 500};
    std::string m_pathName;
    std::string m_title;
};

template <class JobT, class Start, class Apply> bool GuiSession::Run(Start start, Apply apply) {
    auto holder = std::make_shared<std::unique_ptr<JobT>>();
    const std::weak_ptr<std::unique_ptr<JobT>> weak = holder;
    // Runs on the job's thread: it only posts to the event loop, which applies the result.
    auto finished = [this, weak, apply] {
        QMetaObject::invokeMethod(
            this,
            [this, weak, apply] {
                const auto job = weak.lock();
                if (!job || !*job) return;
                // The finished job lives on in \c job while it is applied; the slot is free for the
                // job its result starts (a loaded survey's processing).
                m_running.reset();
                const bool completed = apply(**job);
                emit jobFinished(completed);
            },
            Qt::QueuedConnection);
    };
    *holder = start(finished);
    if (!*holder) return false;
    m_running = holder;
    emit jobStarted();
    return true;
}

template <class Result>
bool GuiSession::runJob(std::function<Result(Progress&)> work,
                        std::function<bool(std::optional<Result>& result, const std::string& failure)> apply) {
    if (m_doc.RefuseWhileBusy()) return false;
    Progress& shown = progress();
    shown.clearCancel();
    m_doc.SetJobRunning(true);
    return Run<Job<Result>>(
        [&](auto finished) {
            return std::make_unique<Job<Result>>([work = std::move(work), &shown] { return work(shown); },
                                                 finished);
        },
        [this, apply = std::move(apply)](Job<Result>& job) {
            std::string failure;
            std::optional<Result> result = job.Take(&failure);
            m_doc.SetJobRunning(false);
            progress().hide();
            return apply(result, failure);
        });
}

} // namespace plotra::gui
