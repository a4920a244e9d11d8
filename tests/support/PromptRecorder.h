#pragma once
/// \brief Test doubles for the document's outside world: every message and question is recorded
/// with its exact text, questions are answered from a queue (default No), file choosers from lists.

#include "model/Interfaces.h"

#include <deque>
#include <mutex>
#include <optional>
#include <string>
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

    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& p : prompts)
            if (p.kind == "message") out.push_back(p.caption + ": " + p.text);
        return out;
    }

    std::vector<RecordedPrompt> prompts;
    std::deque<bool> answers;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;
    std::vector<FileChooserRequest> choosers;

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

/// \brief A host with a fixed client size that counts what the document asked of it.
class HostRecorder : public DocumentHost {
public:
    void updateAllViews() override { ++updates; }
    void setPathName(const std::string& path, bool addToRecent) override {
        pathName = path;
        if (addToRecent) recent.push_back(path);
    }
    void setTitle(const std::string& t) override { title = t; }
    std::pair<int, int> graphClientSize() const override { return clientSize; }
    void setShowDirections(bool on) override { showDirections = on; }
    void collapseSections(unsigned mask) override { collapsed |= mask; }
    void resetZoom() override { ++zoomResets; }
    void refreshPanel() override { ++panelRefreshes; }

    std::pair<int, int> clientSize{800, 500};
    int updates = 0, zoomResets = 0, panelRefreshes = 0;
    unsigned collapsed = 0;
    bool showDirections = false;
    std::string pathName, title;
    std::vector<std::string> recent;
};

} // namespace plotra::test
