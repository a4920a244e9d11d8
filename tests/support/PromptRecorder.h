#pragma once
/// \brief Test doubles for the document's outside world: every message and question is recorded
/// with its exact text, questions are answered from a queue (default No), file choosers from lists.

#include "model/Interfaces.h"
#include "model/Notices.h"
#include "model/PlotraDoc.h"

#include <gtest/gtest.h>

#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace plotra::test {

struct RecordedPrompt {
    std::string kind; ///< "message" or "question"
    std::string text;
    std::string caption;
    PromptIcon icon = PromptIcon::Information;
};

class PromptRecorder : public UserPrompts {
public:
    void message(const std::string& text, const std::string& caption, PromptIcon icon) override {
        std::lock_guard lock(m_mutex);
        prompts.push_back({"message", text, caption, icon});
    }
    bool askYesNo(const std::string& text, const std::string& caption) override {
        std::lock_guard lock(m_mutex);
        prompts.push_back({"question", text, caption, PromptIcon::Information});
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    /// Answered from \c threeWayAnswers (default Cancel, so that nothing is lost by accident).
    std::optional<bool> askYesNoCancel(const std::string& text, const std::string& caption) override {
        std::lock_guard lock(m_mutex);
        prompts.push_back({"question3", text, caption, PromptIcon::Information});
        if (threeWayAnswers.empty()) return std::nullopt;
        const std::optional<bool> a = threeWayAnswers.front();
        threeWayAnswers.pop_front();
        return a;
    }
    std::optional<std::string> chooseOpenFile(const FileChooserRequest& r) override {
        std::lock_guard lock(m_mutex);
        choosers.push_back(r);
        if (openFiles.empty()) return std::nullopt;
        auto f = openFiles.front();
        openFiles.pop_front();
        return f;
    }
    std::optional<std::string> chooseSaveFile(const FileChooserRequest& r) override {
        std::lock_guard lock(m_mutex);
        choosers.push_back(r);
        if (saveFiles.empty()) return std::nullopt;
        auto f = saveFiles.front();
        saveFiles.pop_front();
        return f;
    }
    std::optional<SurveySelection> chooseSurveyFiles(const std::vector<CDataFile>& current, bool merge) override {
        std::lock_guard lock(m_mutex);
        offeredFiles = current;
        offeredMerge = merge;
        if (surveySelections.empty()) return std::nullopt;
        auto s = surveySelections.front();
        surveySelections.pop_front();
        return s;
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& p : prompts)
            if (p.kind == "message") out.push_back(p.caption + ": " + p.text);
        return out;
    }

    std::vector<RecordedPrompt> prompts;
    std::deque<bool> answers;
    std::deque<std::optional<bool>> threeWayAnswers;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;
    std::vector<FileChooserRequest> choosers;
    std::deque<std::optional<SurveySelection>> surveySelections;
    std::vector<CDataFile> offeredFiles;
    bool offeredMerge = true;

private:
    std::mutex m_mutex;
};

/// \brief Records the progress positions and texts in order.
class ProgressRecorder : public Progress {
public:
    void setPosition(int percent) override {
        std::lock_guard lock(m_mutex);
        positions.push_back(percent);
    }
    void setText(const std::string& text) override {
        std::lock_guard lock(m_mutex);
        texts.push_back(text);
    }
    void show() override {
        std::lock_guard lock(m_mutex);
        ++shows;
    }
    void hide() override {
        std::lock_guard lock(m_mutex);
        ++hides;
    }
    std::vector<int> positions;
    std::vector<std::string> texts;
    int shows = 0, hides = 0;

private:
    std::mutex m_mutex;
};

/// \brief A host with a fixed client size that records what the document asked of it. Every call
/// must come from the thread that created it (the user-interface thread of a real program): a call
/// from a worker fails the test.
class HostRecorder : public DocumentHost {
public:
    void setPathName(const std::string& path, bool addToRecent) override {
        CheckThread();
        pathName = path;
        if (addToRecent) recent.push_back(path);
    }
    void setTitle(const std::string& t) override {
        CheckThread();
        title = t;
    }
    std::pair<int, int> graphClientSize() const override {
        CheckThread();
        return clientSize;
    }
    bool mapShown() const override {
        CheckThread();
        return DocumentHost::mapShown();
    }
    void setMapShown(bool on) override {
        CheckThread();
        DocumentHost::setMapShown(on);
    }
    void setShowDirections(bool on) override {
        CheckThread();
        showDirections = on;
    }
    void resetZoom() override {
        CheckThread();
        ++zoomResets;
    }

    std::pair<int, int> clientSize{800, 500};
    int zoomResets = 0;
    bool showDirections = false;
    std::string pathName, title;
    std::vector<std::string> recent;

private:
    void CheckThread() const {
        EXPECT_EQ(std::this_thread::get_id(), m_thread) << "a host was called from a worker thread";
    }
    std::thread::id m_thread = std::this_thread::get_id();
};

/// \brief Records the document's notices in order.
class NoticeRecorder : public DocumentObserver {
public:
    void documentChanged(const ChangeNotice& notice) override { notices.push_back(notice); }
    /// How many notices of a kind were received.
    int Count(DocChange what) const {
        int n = 0;
        for (const auto& x : notices) n += x.what == what;
        return n;
    }
    std::vector<ChangeNotice> notices;
};

/// \brief A document with every recorder attached: prompts, progress, host (processing at once)
/// and notices.
struct RecordedDoc {
    PromptRecorder prompts;
    ProgressRecorder progress;
    HostRecorder host;
    NoticeRecorder notices;
    CPlotraDoc doc;
    RecordedDoc() {
        doc.SetOutside(&prompts, &progress, &host);
        doc.AddObserver(&notices);
    }
};

} // namespace plotra::test
