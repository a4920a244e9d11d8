#pragma once
/// \brief The main window (CMainFrame): menus, toolbar and status bar, and a splitter with the control
/// panel on the left and the graph window or the table window on the right.
///
/// Commands. Every menu item and toolbar button is a QAction whose objectName is its command id
/// ("57600"). A command goes to the right pane first, then to the control panel, then to this window
/// (which hands document commands to CPlotraDoc): the first pane that is a CommandTarget and
/// handlesCommand(id) runs it and answers whether it is enabled and checked. The states are refreshed
/// from the same routing whenever the document sends a notice, the view state changes, a job starts
/// or ends, a menu opens and after every command; a command nobody handles is disabled.
///
/// Panes. The panes come from the factories of Panes.h. The right pane is destroyed and made anew
/// on every switch between the graph and the table window; the document saves its flags on the way
/// to the table and restores them on the way back.

#include "gui/AppSettings.h"
#include "gui/Commands.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

namespace plotra::gui {

class LiveSurvey;

class GuiSession;

class CMainFrame : public QMainWindow {
    Q_OBJECT
    /// Read by dialogs of the panes (F1) that open the same help pages.
    Q_PROPERTY(QString helpDirectory MEMBER helpDirectory)
  public:
    /// What the right pane shows.
    enum class PaneKind { Graph, Table };

    /// \brief How the panes are made: the factories of Panes.h unless a test puts its own.
    struct PaneFactories {
        std::function<QWidget*(GuiSession&, QWidget*)> controlPanel, graphView, tableView;
    };

    explicit CMainFrame(GuiSession& session, QWidget* parent = nullptr, PaneFactories factories = {});
    ~CMainFrame() override;

    GuiSession& session() const { return m_session; }

    // ---- commands ----------------------------------------------------------------------------------
    /// The menu or toolbar action of a command id (recent files: 57616 to 57619); null if none.
    QAction* action(int id) const;
    /// Whether the command can be given now and shows a check mark: asked along the routing.
    CommandState commandState(int id) const;
    /// Runs a command along the routing; a disabled command does nothing.
    void runCommand(int id);
    /// Re-reads every action's enabled and checked state.
    void refreshCommands();

    // ---- panes ---------------------------------------------------------------------------------------
    QWidget* leftPane() const { return m_left; }
    QWidget* rightPane() const { return m_right; }
    PaneKind rightPaneKind() const { return m_kind; }
    QSplitter* splitter() const { return m_splitter; }
    /// Puts a new pane of \p kind on the right, unless one is shown already.
    void SwitchView(PaneKind kind);

    // ---- status bar ----------------------------------------------------------------------------------
    /// Shows \p text in the "Mouse Position" pane, which takes the width of its text.
    void SetStatusText(const QString& text);
    QLabel* mousePositionPane() const { return m_mousePane; }
    QLabel* messagePane() const { return m_messagePane; }
    QToolBar* toolBar() const { return m_toolBar; }

    // ---- start-up ------------------------------------------------------------------------------------
    /// Shows the splash picture centred over the window for \p milliseconds; the event loop keeps
    /// running meanwhile.
    void ShowSplash(int milliseconds);
    QWidget* splash() const { return m_splash; }

    // ---- document title and recent files --------------------------------------------------------------
    /// The window title: the document's title, if any, before "Hovrin Analyzer".
    QString documentTitle() const { return m_docTitle; }
    const QStringList& recentFiles() const { return m_recent.files(); }
    /// Folder of the help pages (index.html): `help` in the program's resource folder unless set otherwise.
    QString helpDirectory;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct CommandText;
    QAction* AddCommand(const CommandText& text);
    /// Adds the actions of \p ids to a menu or a toolbar; 0 adds a separator.
    template <class Bar> void AddCommands(Bar& bar, std::initializer_list<int> ids);
    /// Every command of the window as an action: its texts, shortcut and tick box.
    void AddAllCommands();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void RebuildRecentMenu();
    void UpdateWindowTitle();
    QWidget* CreatePane(PaneKind kind);

    CommandState OwnState(int id) const;
    void RunOwnCommand(int id);
    /// The project's commands (files, maps, edits, reports, the survey) and the window's own (panes,
    /// bars, printer, help, colour scale); false for another command.
    bool RunProjectCommand(int id);
    bool RunWindowCommand(int id);
    void OnTableWindow();
    void OnGraphWindow();
    void OnSelectMetric();
    /// Survey > Start Survey…: the previous survey (ended) and its pane make room for the new one.
    void OnStartSurvey();
    /// An indoor survey is running: the graph's clicks place its scans and Undo takes them back.
    bool SurveyTakesClicks() const;
    void OnFilePrintSetup();
    void OnHelpUsing();
    void OnAppAbout();
    void OpenRecentFile(int index);
    void OnPathNameChanged(const std::string& path, bool addToRecent);
    void OnTitleChanged(const std::string& title);
    void FocusNextPane();

    GuiSession& m_session;
    PaneFactories m_factories;
    std::map<int, QAction*> m_actions;
    QMenu* m_recentMenuAnchor = nullptr; ///< the File menu, where the recent entries live
    QAction* m_recentSeparator = nullptr;
    std::vector<QAction*> m_recentActions;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_messagePane = nullptr;
    QLabel* m_mousePane = nullptr;
    QSplitter* m_splitter = nullptr;
    QPointer<QWidget> m_left;
    QPointer<QWidget> m_right;
    PaneKind m_kind = PaneKind::Graph;
    bool m_panesSized = false;
    bool m_closing = false;
    QPointer<QWidget> m_splash;
    QPointer<LiveSurvey> m_survey; ///< the survey started last (running or ended)
    QString m_docTitle;
    RecentFileList m_recent;
};

} // namespace plotra::gui
