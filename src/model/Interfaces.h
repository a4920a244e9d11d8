#pragma once
/// \brief The document's only ways to the outside: questions and messages to the user, progress of
/// long work, and the few view states a document operation may touch. The GUI implements them with
/// widgets, the command-line tool with stderr and default answers, tests with recorders.

#include "model/Records.h"

#include <atomic>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plotra {

enum class PromptIcon { Stop, Information, Warning };

/// \brief What a file chooser shows.
struct FileChooserRequest {
    std::string title;
    std::string filter;           ///< "Description|*.ext|...||" as the platform file dialogs take it
    std::string defaultExtension; ///< without the dot
    std::string defaultName;
    /// False when the caller asks about replacing the file itself (it writes under another name
    /// than the one chosen, and asks about that one).
    bool confirmOverwrite = true;
};

/// \brief What the survey file selection returns: the project's files with their ticks, and whether
/// the APs of several files are merged.
struct SurveySelection {
    std::vector<CDataFile> files;
    bool merge = true;
};

/// \brief Messages, questions and file choosers.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void message(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
    /// Yes/No question; true means Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    /// Yes/No/Cancel question: true Yes, false No, nothing Cancel. Without a Cancel button of their
    /// own, prompts ask Yes/No.
    virtual std::optional<bool> askYesNoCancel(const std::string& text, const std::string& caption) {
        return askYesNo(text, caption);
    }
    /// A message with OK and Cancel: true OK. Without buttons of their own, prompts tell it and answer OK.
    virtual bool askOkCancel(const std::string& text, const std::string& caption, PromptIcon icon) {
        message(text, caption, icon);
        return true;
    }
    virtual std::optional<std::string> chooseOpenFile(const FileChooserRequest&) { return std::nullopt; }
    virtual std::optional<std::string> chooseSaveFile(const FileChooserRequest&) { return std::nullopt; }
    /// The survey file selection of a new project, starting from \p current and \p merge; nothing
    /// when the user cancels.
    virtual std::optional<SurveySelection> chooseSurveyFiles(const std::vector<CDataFile>& /*current*/,
                                                             bool /*merge*/) {
        return std::nullopt;
    }
};

/// \brief Progress of a long operation. Safe to call from a worker thread.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void setPosition(int /*percent*/) {}
    virtual void setText(const std::string& /*text*/) {}
    virtual void show() {}
    virtual void hide() {}
    /// Set by the user (another thread); read by the worker.
    bool cancelRequested() const { return m_cancel.load(std::memory_order_relaxed); }
    void requestCancel() { m_cancel.store(true, std::memory_order_relaxed); }
    void clearCancel() { m_cancel.store(false, std::memory_order_relaxed); }

private:
    std::atomic<bool> m_cancel{false};
};

/// Control panel sections (their open/closed state is kept with the document).
enum PanelSection : unsigned {
    kSectionMeasurement = 1u,
    kSectionSorting = 2u,
    kSectionReliability = 4u,
    kSectionGraph = 8u,
};

class CPlotraDoc;

/// \brief The graph window and the main window as far as document operations touch them. Called on
/// the user-interface thread only; what the windows show otherwise follows the document's change
/// notices.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    /// The document's path name; \p addToRecent puts it on the recent-file list.
    virtual void setPathName(const std::string& /*path*/, bool /*addToRecent*/) {}
    virtual void setTitle(const std::string& /*title*/) {}
    /// Client size of the graph window in pixels.
    virtual std::pair<int, int> graphClientSize() const { return {800, 500}; }
    virtual bool mapShown() const { return m_bShowMap; }
    virtual void setMapShown(bool on) { m_bShowMap = on; }
    virtual void setShowDirections(bool /*on*/) {}
    /// Zoom offsets 0 and scale factors 1.
    virtual void resetZoom() {}

private:
    bool m_bShowMap = false;
};

/// \brief Prompts that answer every question with its default and show nothing.
class SilentPrompts : public UserPrompts {
public:
    void message(const std::string&, const std::string&, PromptIcon) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

} // namespace plotra
