// Opening and saving the workspace of the simulated city (processed, every AP with more than 20
// points ticked, combined coverage) in the real main window, offscreen, while a 10 ms heartbeat timer
// runs on the user-interface thread: the longest gap between two beats says how long the window did
// not answer. Each is measured twice: the synchronous commands the window ran before (the whole
// read or write on the user-interface thread) and the jobs it runs now (read or written on the
// job's thread, the result taken over on the user-interface thread).
//
//   bench_workspace_window [SCENARIO] [ROUNDS]     (default: city 3)
#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "app/GuiSession.h"
#include "app/MainWindow.h"
#include "support/DocFixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
};

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
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    longest = 0;
    const Clock::time_point start = Clock::now();
    last = start;
    run();
    while (!done())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The work the result leaves for the loop (the windows redrawing the project) counts as well.
    const Clock::time_point end = Clock::now();
    QElapsedTimer after;
    after.start();
    while (after.elapsed() < 100)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    beat.stop();
    longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
    return {longest, std::chrono::duration<double, std::milli>(end - start).count()};
}

void Report(const char* what, std::vector<Gap> gaps) {
    std::sort(gaps.begin(), gaps.end(), [](const Gap& a, const Gap& b) { return a.longestMs < b.longestMs; });
    double worst = 0, total = 0;
    for (const Gap& g : gaps) {
        worst = std::max(worst, g.longestMs);
        total += g.totalMs;
    }
    std::printf("%-22s longest UI gap: median %7.1f ms, worst %7.1f ms   total: mean %7.1f ms\n", what,
                gaps[gaps.size() / 2].longestMs, worst, total / static_cast<double>(gaps.size()));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string scenario = argc > 1 ? argv[1] : "city";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "plotra-bench-workspace";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / (scenario + ".hws")).string();
    {
        const auto start = Clock::now();
        CPlotraDoc doc;
        const std::optional<sim::ScenarioParams> s = sim::BuiltInScenario(scenario);
        if (!s) {
            std::fprintf(stderr, "no scenario %s\n", scenario.c_str());
            return 2;
        }
        test::PlaceGenerated(doc, sim::Generate(*s, 1));
        ProcessData(doc);
        std::vector<int> ticked;
        for (std::size_t i = 0; i < doc.m_aAPs.size(); ++i)
            if (doc.m_aAPs[i].m_aApPoints.size() > kMinCoveragePoints) ticked.push_back(static_cast<int>(i));
        doc.SetTickedAps(ticked);
        CalculateCoverage(doc);
        if (!doc.WriteWorkspace(path)) return 1;
        std::printf(
            "%s: %zu points, %zu APs (%zu ticked), %d x %d nodes, workspace %.1f MB (made in %.1f s)\n",
            scenario.c_str(), doc.m_aDataPoints.size(), doc.m_aAPs.size(), ticked.size(), doc.m_nGridCols,
            doc.m_nGridRows, static_cast<double>(std::filesystem::file_size(path)) / 1e6,
            std::chrono::duration<double>(Clock::now() - start).count());
    }

    GuiSession session;
    CMainFrame frame(session);
    frame.resize(1280, 800);
    frame.show();
    session.doc().OnNewDocument();
    QApplication::processEvents();
    CPlotraDoc& doc = session.doc();

    std::vector<Gap> openSync, saveSync, openJob, saveJob;
    for (int round = 0; round < rounds; ++round) {
        bool finished = false;
        openSync.push_back(Measure([&] { finished = doc.OnOpenDocument(path); }, [&] { return true; }));
        if (!finished) return 1;
        saveSync.push_back(Measure([&] { doc.OnSaveProject(); }, [&] { return true; }));
        openJob.push_back(
            Measure([&] { session.openDocument(path); }, [&] { return !session.jobRunning(); }));
        if (doc.m_strWorkspacePath != path || doc.IsModified()) return 1;
        saveJob.push_back(
            Measure([&] { session.saveProject(false); }, [&] { return !session.jobRunning(); }));
        if (doc.IsModified()) return 1;
    }
    std::printf("%d rounds, heartbeat 10 ms\n", rounds);
    Report("open, synchronous", openSync);
    Report("open, job", openJob);
    Report("save, synchronous", saveSync);
    Report("save, job", saveJob);
    std::filesystem::remove_all(dir);
    return 0;
}
