// The processing worker: one run at a time, the caller waits by joining, the document waits too.
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
        if (text != "Beginning Data Processing...") return;
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

} // namespace

TEST(ProcessingWorker, SecondStartIsRefusedWhileOneRuns) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 2);
    CPlotraDoc doc;
    GateProgress progress;
    PromptRecorder prompts;
    doc.SetOutside(&prompts, &progress, nullptr);
    PlaceGenerated(doc, survey);
    const std::size_t aps = doc.m_aAPs.size();

    ASSERT_TRUE(doc.StartProcessing());
    progress.WaitEntered();
    EXPECT_TRUE(doc.ProcessingRunning());
    EXPECT_FALSE(doc.StartProcessing());
    EXPECT_FALSE(doc.RunProcessing());
    // Loading while the worker owns the model is refused and changes nothing.
    EXPECT_FALSE(doc.LoadSurveyFiles());
    doc.BuildAccessPoints();
    EXPECT_EQ(doc.m_aAPs.size(), aps);
    EXPECT_EQ(prompts.Messages(),
              (std::vector<std::string>{
                  "Busy: Data processing is still running. Please wait until it has finished."}));

    progress.Open();
    doc.JoinProcessing();
    EXPECT_FALSE(doc.ProcessingRunning());
    EXPECT_EQ(doc.m_bDataLoaded, 1);
    EXPECT_EQ(progress.texts.size(), aps + 1);

    // A finished run does not block the next one.
    EXPECT_TRUE(doc.RunProcessing());
    EXPECT_EQ(doc.m_bDataLoaded, 1);
}

TEST(ProcessingWorker, DocumentWaitsForItsWorker) {
    const auto survey = sim::Generate(*sim::BuiltInScenario("tiny"), 2);
    GateProgress progress;
    {
        CPlotraDoc doc;
        doc.SetOutside(nullptr, &progress, nullptr);
        PlaceGenerated(doc, survey);
        ASSERT_TRUE(doc.StartProcessing());
        progress.WaitEntered();
        progress.Open();
    } // the destructor joins the worker
    EXPECT_GE(progress.texts.size(), 2u);
}
