// Processing and coverage as jobs: snapshot in, result out, applied on the caller's thread; one job
// at a time; cancel; a failing job reports instead of ending the program; no host call off the
// caller's thread (the recorder host checks the thread of every call).
#include "analysis/Coverage.h"
#include "analysis/Processing.h"
#include "model/PlotraDoc.h"
#include "support/DocFixtures.h"
#include "support/PromptRecorder.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace plotra;
using namespace plotra::test;

namespace {

/// Progress that holds the worker at its first text until the test opens the gate.
class GateProgress : public Progress {
  public:
    void setText(const std::string& text) override {
        std::unique_lock lock(m_mutex);
        texts.push_back(text);
        if (m_entered) return;
        m_entered = true;
        m_cv.notify_all();
        m_cv.wait(lock, [&] { return m_open; });
    }
    void WaitEntered() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return m_entered; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_cv.notify_all();
    }
    std::vector<std::string> texts;

  private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_entered = false, m_open = false;
};

const char kBusy[] = "Busy: A calculation is still running. Please wait until it has finished, or cancel it.";

} // namespace

TEST(Jobs, ProcessingIsOneJobAtATimeAndAppliedOnTheCallersThread) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 2);
    RecordedDoc r;
    PlaceGenerated(r.doc, survey);
    const std::size_t aps = r.doc.Aps().m_aAPs.size();
    GateProgress gate;
    std::atomic<int> finished{0};
    auto job = StartProcessingJob(r.doc, gate, [&] { ++finished; });
    ASSERT_TRUE(job);
    gate.WaitEntered();
    // The job holds the APs; the document refuses every start and load meanwhile.
    EXPECT_TRUE(r.doc.Aps().m_aAPs.empty());
    EXPECT_TRUE(r.doc.JobRunning());
    EXPECT_FALSE(StartProcessingJob(r.doc, r.progress));
    EXPECT_FALSE(StartCoverageJob(r.doc, r.progress));
    EXPECT_FALSE(r.doc.LoadSurveyFiles());
    EXPECT_FALSE(r.doc.OnOpenDocument("/nowhere.hws"));
    EXPECT_EQ(r.prompts.Messages(), std::vector<std::string>(3, kBusy));
    EXPECT_EQ(r.notices.Count(DocChange::Everything), 1); // the APs left with the job

    gate.Open();
    EXPECT_TRUE(ApplyProcessingJob(r.doc, *job));
    EXPECT_EQ(finished.load(), 1);
    EXPECT_FALSE(r.doc.JobRunning());
    EXPECT_EQ(r.doc.Aps().m_aAPs.size(), aps);
    EXPECT_EQ(r.doc.Display().m_bDataLoaded, 1);
    EXPECT_EQ(gate.texts.size(), aps + 1);
    EXPECT_EQ(r.notices.Count(DocChange::Everything), 2);
    // The groups were built and the resolution sliders reset with the result.
    EXPECT_FALSE(r.doc.Aps().m_groups.m_aGroups.empty());
    EXPECT_DOUBLE_EQ(r.doc.Display().m_panel.m_resolutionX.value, r.doc.Frame().m_dResolutionX);

    // A finished job does not block the next one; coverage runs as a job the same way.
    EXPECT_TRUE(r.doc.RunProcessing());
    std::vector<int> all(aps);
    for (std::size_t i = 0; i < aps; ++i) all[i] = static_cast<int>(i);
    r.doc.SetTickedAps(all);
    auto coverage = StartCoverageJob(r.doc, r.progress);
    ASSERT_TRUE(coverage);
    EXPECT_TRUE(r.doc.JobRunning());
    EXPECT_TRUE(ApplyCoverageJob(r.doc, *coverage));
    EXPECT_EQ(r.doc.Coverage().m_bCoverageReady, 1);
    EXPECT_FALSE(r.doc.JobRunning());
}

TEST(Jobs, CancelAndFailure) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 2);
    {
        // Cancelled between two APs: the APs come back, the project is not marked as processed.
        RecordedDoc r;
        PlaceGenerated(r.doc, survey);
        const std::size_t aps = r.doc.Aps().m_aAPs.size();
        GateProgress gate;
        auto job = StartProcessingJob(r.doc, gate);
        gate.WaitEntered();
        gate.requestCancel();
        gate.Open();
        EXPECT_FALSE(ApplyProcessingJob(r.doc, *job));
        EXPECT_EQ(r.doc.Aps().m_aAPs.size(), aps);
        EXPECT_EQ(r.doc.Display().m_bDataLoaded, 0);
        EXPECT_FALSE(r.doc.JobRunning());
    }
    {
        // A job whose work throws ends as a failure with a readable text.
        Job<int> job([]() -> int { throw std::runtime_error("disk on fire"); });
        std::string failure;
        EXPECT_FALSE(job.Take(&failure));
        EXPECT_EQ(failure, "The calculation failed: disk on fire");
        Job<int> hungry([]() -> int { throw std::bad_alloc(); });
        EXPECT_FALSE(hungry.Take(&failure));
        EXPECT_EQ(failure, "There is not enough memory for this calculation.");
    }
}
