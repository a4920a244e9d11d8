// The window on a large project: opening and saving its workspace, loading its survey files, saving
// and printing its table, in the real main window (offscreen), while a 10 ms heartbeat timer runs on
// the user-interface thread: the longest gap between two beats says how long the window did not
// answer. Each is measured as the window ran it before (the whole read, write or printout on the
// user-interface thread) and as it runs it now (a job, or pages painted from the event loop), then
// the peak resident memory once the workspace is open again and its coverage drawn.
//
//   bench_workspace_window [SCENARIO] [ROUNDS] [--workspace FILE.hws] [--survey FILE.hsd]...
//                          [--map FILE.hpf] [--jobs-only | --with-sync] [--no-table] [--process]
//
// With --map, the map is also loaded over the survey each round (the survey is read again onto it).
// With --process, the processing that loading the survey starts is measured to its end (the result
// applied and drawn) instead of being cancelled.
//
// SCENARIO (default city, 3 rounds) is generated, processed with its coverage and written as its
// workspace and survey files into a temporary folder. "metro" is not generated here (minutes and
// gigabytes): it takes out/scale/metro.hws and out/scale/metro/metro*.hsd, which `bench/scale metro`
// makes (the folder may be given by PLOTRA_SCALE_DIR), runs one round and only the jobs (the
// synchronous commands would stand still for minutes). --workspace, --survey and --map (or the
// environment variable PLOTRA_BENCH_WORKSPACE) name other files; --jobs-only leaves out the
// synchronous commands, --with-sync keeps them for metro. Without the metro workspace, the survey
// files alone are measured (loading, the table).
#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "app/MainWindow.h"
#include "gui/AppSettings.h"
#include "files/NewProject.h"
#include "files/SurveyFile.h"
#include "gui/Commands.h"
#include "gui/GuiSession.h"
#include "mapview/GraphExport.h"
#include "mapview/GraphRenderer.h"
#include "mapview/gui/PlotraView.h"
#include "model/EditAccess.h"
#include "support/DocFixtures.h"
#include "table/TableExportJob.h"
#include "table/TableModel.h"
#include "table/gui/TablePrinter.h"
#include "table/gui/TableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QSettings>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace plotra;
using namespace plotra::gui;
using Clock = std::chrono::steady_clock;

/// The longest time the event loop went without a beat of a 10 ms timer, and the whole time, of
/// \p run (which starts the work) until \p done says it has ended.
struct Gap {
    double longestMs = 0, totalMs = 0;
    long majorFaults = 0; ///< of the user-interface thread: pages it waited for the disk to read
};

long ThreadMajorFaults() {
    rusage usage{};
    return getrusage(RUSAGE_THREAD, &usage) == 0 ? usage.ru_majflt : 0;
}

Gap Measure(const std::function<void()>& run, const std::function<bool()>& done) {
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(10);
    Clock::time_point last = Clock::now();
    double longest = 0;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    beat.start();
    // A few beats first, so that the measured stretch starts with the loop running.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 50)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    longest = 0;
    const Clock::time_point start = Clock::now();
    const long faults = ThreadMajorFaults();
    last = start;
    run();
    // Waits for events rather than polling for them: a loop that spins takes a core from the job.
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // The work the result leaves for the loop (the windows redrawing the project) counts as well.
    const Clock::time_point end = Clock::now();
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 100)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    beat.stop();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
    return {longest, std::chrono::duration<double, std::milli>(end - start).count(), ThreadMajorFaults() - faults};
}

void Report(const char* what, std::vector<Gap> gaps) {
    std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.longestMs < b.longestMs; });
    double worst = 0, total = 0;
    long faults = 0;
    for (const Gap& g : gaps) {
        worst = std::max(worst, g.longestMs);
        total += g.totalMs;
        faults = std::max(faults, g.majorFaults);
    }
    std::printf("%-26s longest UI gap: median %7.1f ms, worst %7.1f ms   total: mean %7.1f ms   UI major faults: %ld\n",
                what, gaps[gaps.size() / 2].longestMs, worst, total / static_cast<double>(gaps.size()), faults);
}

/// Says nothing, chooses \c map in the map's file dialog and agrees to replace the map; every other
/// question (the offer to process again after a Cancel) is answered No.
struct MapPrompts : SilentPrompts {
    std::string map;
    std::optional<std::string> chooseOpenFile(const FileChooserRequest&) override {
        if (map.empty()) return std::nullopt;
        return map;
    }
    bool askYesNo(const std::string&, const std::string& caption) override {
        return caption == "Replace Geo-Coded Map";
    }
};

/// A line of /proc/self/status in MB (VmRSS, VmHWM); 0 when it cannot be read.
double StatusMb(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string scenario = "city", workspace, map;
    std::vector<std::string> surveys;
    int rounds = 0;
    bool jobsOnly = false, withSync = false, withTable = true, process = false;
    for (int a = 1; a < argc; ++a) {
        const std::string arg = argv[a];
        if (arg == "--workspace" && a + 1 < argc)
            workspace = argv[++a];
        else if (arg == "--survey" && a + 1 < argc)
            surveys.push_back(argv[++a]);
        else if (arg == "--map" && a + 1 < argc)
            map = argv[++a];
        else if (arg == "--jobs-only")
            jobsOnly = true;
        else if (arg == "--with-sync")
            withSync = true;
        else if (arg == "--no-table")
            withTable = false;
        else if (arg == "--process")
            process = true;
        else if (!arg.empty() && std::isdigit(static_cast<unsigned char>(arg[0])))
            rounds = std::max(1, std::atoi(arg.c_str()));
        else
            scenario = arg;
    }
    if (workspace.empty())
        if (const char* env = std::getenv("PLOTRA_BENCH_WORKSPACE")) workspace = env;

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("plotra-bench-workspace-" + std::to_string(QCoreApplication::applicationPid()));
    std::filesystem::create_directories(dir);
    // The recent-file list the saves and opens write goes to the run's folder, not the user's.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QString::fromStdString(dir.string()));
    if (scenario == "metro" && workspace.empty()) {
        // Made by bench/scale, never here.
        const char* env = std::getenv("PLOTRA_SCALE_DIR");
        const std::filesystem::path scale = env ? env : "out/scale";
        workspace = (scale / "metro.hws").string();
        if (surveys.empty())
            for (int i = 1; i <= 4; ++i)
                if (const auto f = scale / "metro" / ("metro" + std::to_string(i) + ".hsd");
                    std::filesystem::exists(f))
                    surveys.push_back(f.string());
        if (!std::filesystem::exists(workspace)) {
            std::fprintf(
                stderr,
                "%s is missing: make it with bench/scale metro (the survey files alone are%s there)\n",
                workspace.c_str(), surveys.empty() ? " not" : "");
            if (surveys.empty()) return 2;
            workspace.clear();
        }
        jobsOnly = !withSync;
        if (rounds == 0) rounds = 1;
    }
    if (rounds == 0) rounds = 3;

    std::string path = workspace;
    if (path.empty() && scenario != "metro") {
        path = (dir / (scenario + ".hws")).string();
        const auto start = Clock::now();
        CPlotraDoc doc;
        const std::optional<sim::ScenarioParams> s = sim::BuiltInScenario(scenario);
        if (!s) {
            std::fprintf(stderr, "no scenario %s\n", scenario.c_str());
            return 2;
        }
        const sim::GeneratedSurvey generated = sim::Generate(*s, 1);
        if (surveys.empty())
            for (const sim::GeneratedFile& f : generated.files) {
                const std::string file = (dir / f.name).string();
                if (!WriteSurveyFile(file, f.image)) return 1;
                surveys.push_back(file);
            }
        test::PlaceGenerated(doc, generated);
        const std::size_t ticked = test::ProcessTickAndCover(doc);
        if (!doc.WriteWorkspace(path)) return 1;
        std::printf(
            "%s: %zu points, %zu APs (%zu ticked), %d x %d nodes, workspace %.1f MB (made in %.1f s)\n",
            scenario.c_str(), doc.Survey().m_aDataPoints.size(), doc.Aps().m_aAPs.size(), ticked,
            doc.Frame().m_nGridCols, doc.Frame().m_nGridRows,
            static_cast<double>(std::filesystem::file_size(path)) / 1e6,
            std::chrono::duration<double>(Clock::now() - start).count());
    }
    const std::string saved = (dir / "saved.hws").string();
    const std::string table = (dir / "table.txt").string();
    const std::string pdf = (dir / "table.pdf").string();

    {
        GuiSession session;
        MapPrompts prompts; // no message box; the offer to process again after a Cancel: No
        prompts.map = map;
        session.setPrompts(&prompts);
        CMainFrame frame(session);
        frame.resize(1280, 800);
        frame.show();
        session.doc().OnNewDocument();
        QApplication::processEvents();
        CPlotraDoc& doc = session.doc();
        auto waitForJobs = [&] {
            while (session.jobRunning())
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        };

        std::vector<Gap> mapSync, mapJob, loadSync, loadJob, openSync, saveSync, openJob, saveJob, exportSync, exportJob,
            printSync, printJob, graphPrintSync, graphPrint, processJob;
        std::vector<CDataFile> files;
        for (const std::string& f : surveys)
            AddSurveyFile(files, f, prompts);
        if (!files.empty() && !map.empty() && !doc.LoadProjectionFile(map)) {
            std::fprintf(stderr, "the map %s was refused\n", map.c_str());
            return 1;
        }
        for (int round = 0; round < rounds; ++round) {
            // Loading the survey files; the processing it starts is cancelled (it is not measured here).
            if (!files.empty()) {
                if (!jobsOnly) {
                    loadSync.push_back(
                        Measure([&] { doc.ReplaceSurveyFiles(files, true); }, [&] { return true; }));
                    session.cancelJob();
                    waitForJobs();
                }
                bool loaded = false;
                loadJob.push_back(
                    Measure([&] { session.replaceSurveyFiles(files, true, [&](bool) { loaded = true; }); },
                            [&] { return loaded; }));
                if (process) {
                    // The processing to its end: its result is applied and the window shows it.
                    const CPlotraView* graph = frame.findChild<CPlotraView*>();
                    const int drawnBefore = graph ? graph->picturesDrawn() : 0;
                    processJob.push_back(Measure([] {}, [&] { return !session.jobRunning(); }));
                    std::printf("processing: the graph window shows %s; it drew %d picture(s) itself\n",
                                GraphPictureOf(doc).isNull() ? "no picture" : "the processed project",
                                graph ? graph->picturesDrawn() - drawnBefore : -1);
                }
                session.cancelJob();
                waitForJobs();
                if (doc.Survey().m_aFiles.size() != files.size()) return 1;
                // A map loaded over the placed survey, which is read again onto it.
                if (!map.empty()) {
                    if (!jobsOnly) {
                        mapSync.push_back(Measure([&] { doc.LoadProjectionFile(map); }, [&] { return true; }));
                        session.cancelJob();
                        waitForJobs();
                    }
                    bool taken = false;
                    mapJob.push_back(Measure([&] { session.loadMap([&](bool) { taken = true; }); },
                                             [&] { return taken; }));
                    session.cancelJob();
                    waitForJobs();
                }
            }
            if (!path.empty()) {
                bool finished = false;
                if (!jobsOnly) {
                    openSync.push_back(
                        Measure([&] { finished = doc.OnOpenDocument(path); }, [&] { return true; }));
                    if (!finished) return 1;
                    Edit::Project(doc).m_strWorkspacePath = saved;
                    saveSync.push_back(Measure([&] { doc.OnSaveProject(); }, [&] { return true; }));
                }
                const CPlotraView* graph = frame.findChild<CPlotraView*>();
                int drawnBefore = 0; // read once the loop has settled (the last project's paint)
                openJob.push_back(Measure(
                    [&] {
                        drawnBefore = graph ? graph->picturesDrawn() : 0;
                        session.openDocument(path);
                    },
                    [&] { return !session.jobRunning(); }));
                // The opened project's first picture: the job's, unless the window drew one itself.
                std::printf("open: the graph window shows %s; it drew %d picture(s) itself\n",
                            GraphPictureOf(doc).isNull() ? "no picture" : "the opened project",
                            graph ? graph->picturesDrawn() - drawnBefore : -1);
                if (doc.Project().m_strWorkspacePath != path || doc.IsModified()) return 1;
                Edit::Project(doc).m_strWorkspacePath = saved; // never written over the workspace measured
                saveJob.push_back(
                    Measure([&] { session.saveProject(false); }, [&] { return !session.jobRunning(); }));
                if (doc.IsModified()) return 1;
                // The graph's printout: one page of the picture the window drew, into a PDF file;
                // before on this thread, now painted on the printer as a job.
                if (!jobsOnly)
                    graphPrintSync.push_back(Measure(
                        [&] {
                            QPrinter printer(QPrinter::HighResolution);
                            printer.setOutputFormat(QPrinter::PdfFormat);
                            printer.setOutputFileName(QString::fromStdString(pdf));
                            QPainter painter(&printer);
                            DrawPrintedGraph(painter, QRect(0, 0, printer.width(), printer.height()),
                                             GraphPictureOf(doc));
                        },
                        [&] { return true; }));
                if (CPlotraView* view = frame.findChild<CPlotraView*>()) {
                    view->choosePrinter = [&](QPrinter& printer) {
                        printer.setOutputFormat(QPrinter::PdfFormat);
                        printer.setOutputFileName(QString::fromStdString(pdf));
                        return true;
                    };
                    graphPrint.push_back(Measure([&] { view->runCommand(kCmdPrint); },
                                                 [&] { return !session.jobRunning(); }));
                }
            }

            // The table: saved as text, and a hundred pages of it printed into a PDF file.
            if (!withTable) continue;
            const TableExport what{table, true, true, '\t'};
            if (!jobsOnly)
                exportSync.push_back(
                    Measure([&] { WriteTableFile(doc, what, nullptr); }, [&] { return true; }));
            exportJob.push_back(
                Measure([&] { session.exportTable(what); }, [&] { return !session.jobRunning(); }));
            CTableView view(session);
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
            printer.setFromTo(2, 101);
            if (!jobsOnly)
                printSync.push_back(Measure(
                    [&] { PrintTable(printer, doc, view.tableModel().rowIndex(), PrintFontSettings()); },
                    [&] { return true; }));
            printJob.push_back(Measure([&] { view.PrintOn(printer); }, [&] { return true; }));
        }
        std::printf("%d rounds, heartbeat 10 ms%s\n", rounds, jobsOnly ? ", jobs only" : "");
        if (!mapSync.empty()) Report("load map, synchronous", mapSync);
        if (!mapJob.empty()) Report("load map, job", mapJob);
        if (!loadSync.empty()) Report("load survey, synchronous", loadSync);
        if (!loadJob.empty()) Report("load survey, job", loadJob);
        if (!processJob.empty()) Report("processing to its picture", processJob);
        if (!openSync.empty()) Report("open, synchronous", openSync);
        if (!openJob.empty()) Report("open, job", openJob);
        if (!saveSync.empty()) Report("save, synchronous", saveSync);
        if (!saveJob.empty()) Report("save, job", saveJob);
        if (!exportSync.empty()) Report("table text, synchronous", exportSync);
        if (!exportJob.empty()) Report("table text, job", exportJob);
        if (!printSync.empty()) Report("print 100 pages, at once", printSync);
        if (!printJob.empty()) Report("print 100 pages, paged", printJob);
        if (!graphPrintSync.empty()) Report("print the graph, synchronous", graphPrintSync);
        if (!graphPrint.empty()) Report("print the graph, job", graphPrint);
    }

    // The window's peak: a fresh window opens the workspace and draws it with its coverage (the
    // measured window and its project are gone first).
    if (!path.empty()) {
        const double before = StatusMb("VmHWM");
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from the current size
        GuiSession session;
        SilentPrompts prompts;
        session.setPrompts(&prompts);
        CMainFrame frame(session);
        frame.resize(1280, 800);
        frame.show();
        session.doc().OnNewDocument();
        session.openDocument(path);
        QApplication::processEvents();
        while (session.jobRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QEventLoop drawing; // a second for the window to draw it
        QTimer::singleShot(1000, &drawing, &QEventLoop::quit);
        drawing.exec();
        const CPlotraDoc& doc = session.doc();
        // The peak counts the pages of the mapped workspace file as well (they are the page cache's,
        // given back under pressure); the anonymous part is the project itself.
        std::printf("memory: peak %.0f MB with the workspace open and drawn (coverage %s); then %.0f MB "
                    "resident, %.0f MB of it the project's own (anonymous), %.0f MB file pages; %.0f MB peak "
                    "before\n",
                    StatusMb("VmHWM"), doc.Coverage().m_bCoverageReady ? "shown" : "none stored",
                    StatusMb("VmRSS"), StatusMb("RssAnon"), StatusMb("RssFile"), before);
    } else {
        std::printf(
            "memory: peak %.0f MB over the run (the survey loaded, not processed), %.0f MB resident\n",
            StatusMb("VmHWM"), StatusMb("VmRSS"));
    }
    FlushSettings(); // nothing is still on its way into the folder removed
    std::filesystem::remove_all(dir);
    return 0;
}
