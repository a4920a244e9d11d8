#pragma once
/// \brief The document's only ways to the outside: questions and messages to the user, progress of
/// long work, and the few view states a document operation may touch. The GUI implements them with
/// widgets, the command-line tool with stderr and default answers, tests with recorders.

#include <atomic>
#include <optional>
#include <string>
#include <utility>

namespace plotra {

enum class PromptIcon { Stop, Information, Warning };

/// \brief What a file chooser shows.
struct FileChooserRequest {
    std::string title;
    std::string filter;           ///< "Description|*.ext|...||" as the platform file dialogs take it
    std::string defaultExtension; ///< without the dot
    std::string defaultName;
};

/// \brief Messages, questions and file choosers.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    virtual void message(const std::string& text, const std::string& caption, PromptIcon icon) = 0;
    /// Yes/No question; true means Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    virtual std::optional<std::string> chooseOpenFile(const FileChooserRequest&) { return std::nullopt; }
    virtual std::optional<std::string> chooseSaveFile(const FileChooserRequest&) { return std::nullopt; }
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

/// Control panel sections a document operation may collapse.
enum PanelSection : unsigned {
    kSectionMeasurement = 1u,
    kSectionSorting = 2u,
    kSectionReliability = 4u,
    kSectionGraph = 8u,
};

/// \brief Views and panel as far as document operations touch them.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;
    virtual void updateAllViews() {}
    /// The document's path name; \p addToRecent puts it on the recent-file list.
    virtual void setPathName(const std::string& /*path*/, bool /*addToRecent*/) {}
    virtual void setTitle(const std::string& /*title*/) {}
    /// Client size of the graph window in pixels.
    virtual std::pair<int, int> graphClientSize() const { return {800, 500}; }
    virtual bool mapShown() const { return m_bShowMap; }
    virtual void setMapShown(bool on) { m_bShowMap = on; }
    virtual void setShowDirections(bool /*on*/) {}
    virtual void collapseSections(unsigned /*sectionMask*/) {}
    /// Zoom offsets 0 and scale factors 1.
    virtual void resetZoom() {}
    /// The AP trees and option buttons of the panel must be refilled from the document.
    virtual void refreshPanel() {}

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
