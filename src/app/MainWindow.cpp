#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/MainWindowRouting.h"
#include "gui/Artwork.h"
#include "gui/GuiSession.h"
#include "gui/Panes.h"
#include "gui/SessionPrinter.h"
#include "files/ResourceDir.h"
#include "capture/gui/LiveSurvey.h"
#include "files/gui/SurveySelectDialog.h"
#include "georef/gui/LoadFloorPlan.h"
#include "mapview/GraphExport.h"
#include "mapview/GraphRenderer.h"
#include "gui/ProgressDialog.h"
#include "panel/UnitDialog.h"
#include "report/gui/ClientReportDialog.h"
#include "report/gui/ReportCommand.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace plotra::gui {

using namespace main_window;

namespace {

constexpr int kLeftPaneWidth = 237;
const QString kWindowTitle = QStringLiteral("Hovrin Analyzer");

/// The toolbar's commands after its file group, in its order and groups (0: a separator); the Tools
/// menu lists them too, so that the keyboard reaches every button.
const std::initializer_list<int> kToolCommands = {
    kCmdSelectMetric, kCmdShowDirections, kCmdInfoWindow, kCmdShowLegend, 0, kCmdMoveAp,    kCmdRuler,
    kCmdZoomIn,       kCmdZoomOut,        kCmdFitWindow,  kCmdFitMapPath, 0, kCmdCreateKml, kCmdCreateReport};
/// The document's name until it has a title of its own.
const QString kDefaultDocTitle = QStringLiteral("Hovrin");

} // namespace

/// A command's menu text, shortcut, status-bar prompt and tool tip.
struct CMainFrame::CommandText {
    int id;
    const char* text;
    const char* prompt;
    const char* tip = nullptr; ///< the prompt when not given
    QKeySequence shortcut = {};
    bool checkable = false;
};

CMainFrame::CMainFrame(GuiSession& session, QWidget* parent, PaneFactories factories)
    : QMainWindow(parent), m_session(session), m_factories(std::move(factories)) {
    if (!m_factories.controlPanel) m_factories.controlPanel = &CreateControlPanel;
    if (!m_factories.graphView) m_factories.graphView = &CreateGraphView;
    if (!m_factories.tableView) m_factories.tableView = &CreateTableView;
    setObjectName("CMainFrame");
    setWindowIcon(ApplicationIcon());
    // Beside the executable in a build tree, in the shared data folder when installed.
    helpDirectory = QString::fromStdString(ProgramResourceDir()) + QStringLiteral("/help");
    m_docTitle = kDefaultDocTitle;
    m_session.setWindow(this);
    m_session.setPalette(LoadPaletteSetting());

    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName("splitter");
    m_splitter->setChildrenCollapsible(false);
    m_left = m_factories.controlPanel(m_session, m_splitter);
    if (m_left && m_left->parentWidget() != m_splitter) m_splitter->addWidget(m_left);
    m_right = CreatePane(PaneKind::Graph);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    resize(1200, 800);

    // F6 and Shift+F6 move the focus between the two panes.
    auto* next = new QShortcut(QKeySequence(Qt::Key_F6), this);
    next->setObjectName("F6");
    connect(next, &QShortcut::activated, this, [this] { FocusNextPane(); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    previous->setObjectName("Shift+F6");
    connect(previous, &QShortcut::activated, this, [this] { FocusNextPane(); });

    // The document's host tells this window its path name and title; the new-project flow shows the
    // survey file selection here.
    m_session.pathNameChanged = [this](const std::string& path, bool addToRecent) {
        OnPathNameChanged(path, addToRecent);
    };
    m_session.titleChanged = [this](const std::string& title) { OnTitleChanged(title); };
    m_session.prompts().surveyChooser = [this](QWidget* parent, const std::vector<CDataFile>& files,
                                               bool merge) -> std::optional<SurveySelection> {
        CHSDSelectDialog dialog(m_session.doc().Prompts(), files, merge, parent ? parent : this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selection();
    };

    connect(&m_session.notices(), &DocumentSignals::changed, this, &CMainFrame::refreshCommands);
    connect(&m_session, &GuiSession::viewChanged, this, &CMainFrame::refreshCommands);
    connect(&m_session, &GuiSession::jobStarted, this, &CMainFrame::refreshCommands);
    connect(&m_session, &GuiSession::jobFinished, this, &CMainFrame::refreshCommands);
    connect(&m_session, &GuiSession::undoChanged, this, &CMainFrame::refreshCommands);
    connect(&m_session, &GuiSession::statusText, this, &CMainFrame::SetStatusText);

    UpdateWindowTitle();
    refreshCommands();
}

CMainFrame::~CMainFrame() {
    // Children going away (toolbar, panes) must not ask this half-destroyed window for states.
    m_closing = true;
    m_session.pathNameChanged = nullptr;
    m_session.titleChanged = nullptr;
    m_session.prompts().surveyChooser = nullptr;
    // The progress dialog belongs to the session, which outlives this window.
    ProgressDialog& progress = m_session.progressDialog();
    if (progress.parent() == this) progress.setParent(nullptr, progress.windowFlags());
    m_session.setWindow(nullptr);
    // The panes go first, while the session they show is certainly still there.
    delete m_splitter;
}

// ---- building -------------------------------------------------------------------------------------------

QAction* CMainFrame::AddCommand(const CommandText& t) {
    auto* a = new QAction(QString::fromUtf8(t.text), this);
    a->setObjectName(QString::number(t.id));
    a->setStatusTip(QString::fromUtf8(t.prompt));
    a->setToolTip(QString::fromUtf8(t.tip ? t.tip : t.prompt));
    if (!t.shortcut.isEmpty()) a->setShortcut(t.shortcut);
    a->setIcon(CommandIcon(t.id));
    // Menus show their own texts without icons, as the toolbar shows icons without texts.
    a->setIconVisibleInMenu(false);
    a->setCheckable(t.checkable);
    const int id = t.id;
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    m_actions[id] = a;
    return a;
}

template <class Bar> void CMainFrame::AddCommands(Bar& bar, std::initializer_list<int> ids) {
    for (int id : ids) {
        if (id == 0)
            bar.addSeparator();
        else
            bar.addAction(m_actions[id]);
    }
}

void CMainFrame::AddAllCommands() {
    // Menu texts with "\t" carry their shortcut's name; the shortcut itself is the action's.
    const CommandText commands[] = {
        {kCmdNewProject, "&New Project\tCtrl+N", "Start a new project from survey data files", "New Project",
         QKeySequence(Qt::CTRL | Qt::Key_N)},
        {kCmdOpenProject, "&Open Existing Project \tCtrl+O", "Open an existing project (workspace file)",
         "Open Existing Project", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {kCmdSaveProject, "&Save Project\tCtrl+S", "Save the project", "Save Project",
         QKeySequence(Qt::CTRL | Qt::Key_S)},
        {kCmdSaveProjectAs, "Save Project &As...", "Save the project under a new name", "Save Project As"},
        {kCmdLoadFloorPlan, "Load &Floor Plan…", "Load a floor plan picture or PDF page and set its scale",
         "Load Floor Plan"},
        {kCmdSaveGraphImage, "Save Graph Image...", "Save the graph as a bitmap"},
        {kCmdSaveTableAs, "Save &Table As...", "Save the table as ..."},
        {kCmdPrint, "&Print...\tCtrl+P", "Print the active window", "Print",
         QKeySequence(Qt::CTRL | Qt::Key_P)},
        {kCmdPrintPreview, "Print Pre&view", "Display full pages", "Print Preview"},
        {kCmdPrintSetup, "P&rint Setup...", "Change the printer and printing options", "Print Setup"},
        {kCmdProcessAgain, "Process Survey &Data Again",
         "Process the survey data of a project whose processing did not finish"},
        {kCmdExit, "E&xit", "Quit the application", "Exit"},
        {kCmdUndo, "&Undo\tCtrl+Z", "Undo the last edit", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {kCmdRedo, "&Redo\tCtrl+Y", "Redo the edit last undone", "Redo", QKeySequence(Qt::CTRL | Qt::Key_Y)},
        {kCmdToolbar, "&Toolbar", "Show or hide the toolbar", "Toggle Toolbar", {}, true},
        {kCmdStatusBar, "&Status Bar", "Show or hide the status bar", "Toggle Status Bar", {}, true},
        {kCmdGraphWindow, "Graph Window", "Show the graph..."},
        {kCmdTableWindow, "Table Window", "Show the table..."},
        {kCmdAbout, "&About Analyzer...", "Display program information and version number", "About"},
        {kCmdHelpUsing, "Help Using Hovrin Analyzer", "Html help to use hovrin analyzer"},
        // The toolbar's commands, also in the Tools menu for the keyboard: the button's prompt names
        // each, with a letter of its own to pick it in the menu.
        {kCmdLoadMap, "&Load the map of the measured area", "Load the map of the measured area"},
        {kCmdShowMap, "Show the &geo-coded map", "Show the geo-coded map", nullptr, {}, true},
        {kCmdSelectMetric, "Select the &metric", "Select the metric"},
        {kCmdShowDirections, "Show &directions", "Show directions", nullptr, {}, true},
        {kCmdInfoWindow, "&Information Window", "Information Window", nullptr, {}, true},
        {kCmdShowLegend, "Show L&egend", "Show Legend", nullptr, {}, true},
        {kCmdMoveAp, "Move &Access Point", "Move Access Point", nullptr, {}, true},
        {kCmdRuler, "&Ruler", "Ruler", nullptr, {}, true},
        {kCmdZoomIn, "&Zoom in", "Zoom in", nullptr, {}, true},
        {kCmdZoomOut, "Zoom &out", "Zoom out", nullptr, {}, true},
        {kCmdFitWindow, "&Fit in the window", "Fit in the window"},
        {kCmdFitMapPath, "Fit in the map/&path", "Fit in the map/path"},
        {kCmdCreateKml, "Create a &Kml file", "Create a Kml file"},
        {kCmdCreateReport, "Create a &Html report", "Create a Html report"},
        {kCmdClientReport, "Export &Client Report (PDF)...", "Export a report for the client as a PDF file"},
        {kCmdStartSurvey, "&Start Survey...", "Scan with this computer's Wi-Fi adapter and GPS into a survey file",
         "Start Survey"},
        {kCmdStopSurvey, "S&top Survey", "Stop the survey: the file is closed and may be processed", "Stop Survey"},
        {kCmdPaletteClassic, "&Classic", "Draw contours and AP counts in the program's classic colours",
         nullptr, {}, true},
        {kCmdPaletteViridis, "&Viridis (colour-blind safe)",
         "Draw contours and AP counts in viridis, readable with colour-vision deficiencies", nullptr, {}, true},
        {kCmdPaletteCividis, "C&ividis (colour-blind safe)",
         "Draw contours and AP counts in cividis, readable with colour-vision deficiencies", nullptr, {}, true},
    };
    for (const CommandText& c : commands)
        AddCommand(c);
}

void CMainFrame::BuildMenus() {
    AddAllCommands();
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("menuFile");
    file->addAction(m_actions[kCmdNewProject]);
    file->addAction(m_actions[kCmdOpenProject]);
    file->addAction(m_actions[kCmdLoadFloorPlan]);
    file->addAction(m_actions[kCmdSaveProject]);
    file->addAction(m_actions[kCmdSaveProjectAs]);
    file->addAction(m_actions[kCmdProcessAgain]);
    file->addSeparator();
    file->addAction(m_actions[kCmdSaveGraphImage]);
    file->addAction(m_actions[kCmdSaveTableAs]);
    file->addAction(m_actions[kCmdClientReport]);
    file->addSeparator();
    file->addAction(m_actions[kCmdPrint]);
    file->addAction(m_actions[kCmdPrintPreview]);
    file->addAction(m_actions[kCmdPrintSetup]);
    file->addSeparator();
    m_recentMenuAnchor = file;
    m_recentSeparator = file->addSeparator();
    file->addAction(m_actions[kCmdExit]);
    RebuildRecentMenu();

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->setObjectName("menuEdit");
    AddCommands(*edit, {kCmdUndo, kCmdRedo});
    m_actions[kCmdRedo]->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName("menuView");
    view->addAction(m_actions[kCmdToolbar]);
    view->addAction(m_actions[kCmdStatusBar]);
    view->addSeparator();
    QMenu* scale = view->addMenu(tr("&Colour Scale"));
    scale->setObjectName("menuColourScale");
    scale->menuAction()->setObjectName("colourScale");
    AddCommands(*scale, {kCmdPaletteClassic, kCmdPaletteViridis, kCmdPaletteCividis});
    auto* scales = new QActionGroup(scale); // one of three: shown as radio items
    for (int id : {kCmdPaletteClassic, kCmdPaletteViridis, kCmdPaletteCividis})
        scales->addAction(m_actions[id]);

    QMenu* survey = menuBar()->addMenu(tr("&Survey"));
    survey->setObjectName("menuSurvey");
    AddCommands(*survey, {kCmdStartSurvey, kCmdStopSurvey});

    // Every toolbar command, in the toolbar's order and groups, so that the keyboard reaches them.
    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    tools->setObjectName("menuTools");
    AddCommands(*tools, {kCmdLoadMap, kCmdShowMap});
    AddCommands(*tools, kToolCommands);

    QMenu* window = menuBar()->addMenu(tr("&Window"));
    window->setObjectName("menuWindow");
    window->addAction(m_actions[kCmdGraphWindow]);
    window->addAction(m_actions[kCmdTableWindow]);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName("menuHelp");
    help->addAction(m_actions[kCmdAbout]);
    help->addAction(m_actions[kCmdHelpUsing]);

    // A menu shows what is possible at the moment it opens.
    for (QMenu* menu : {file, edit, view, scale, survey, tools, window, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::refreshCommands);
}

void CMainFrame::BuildToolBar() {
    m_toolBar = new QToolBar(tr("Toolbar"), this);
    m_toolBar->setObjectName(QString::number(kCmdToolbar));
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    // The toolbar's own hide entry of the context menu is the "&Toolbar" command's.
    m_toolBar->toggleViewAction()->setVisible(false);
    connect(m_toolBar, &QToolBar::visibilityChanged, this, [this] { refreshCommands(); });
    AddCommands(*m_toolBar,
                {kCmdNewProject, kCmdLoadMap, kCmdShowMap, kCmdOpenProject, kCmdSaveProject, kCmdPrint, 0});
    AddCommands(*m_toolBar, kToolCommands);
    AddCommands(*m_toolBar, {kCmdAbout});
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QString::number(kCmdStatusBar));
    // The message pane: "Ready" while idle; the status bar covers it with an action's prompt while
    // the mouse is on a menu item or a button.
    m_messagePane = new QLabel(tr("Ready"), bar);
    m_messagePane->setObjectName("messagePane");
    bar->addWidget(m_messagePane, 1);
    m_mousePane = new QLabel(bar);
    m_mousePane->setObjectName("61446");
    m_mousePane->setToolTip(tr("Mouse Position"));
    m_mousePane->setContentsMargins(4, 0, 4, 0);
    bar->addPermanentWidget(m_mousePane);
    SetStatusText(QString());
}

QWidget* CMainFrame::CreatePane(PaneKind kind) {
    QWidget* pane = kind == PaneKind::Graph ? m_factories.graphView(m_session, m_splitter)
                                            : m_factories.tableView(m_session, m_splitter);
    if (pane && pane->parentWidget() != m_splitter) m_splitter->addWidget(pane);
    return pane;
}

// ---- panes
// -------------------------------------------------------------------------------------------------

void CMainFrame::SwitchView(PaneKind kind) {
    if (m_right && m_kind == kind) return;
    const QList<int> sizes = m_splitter->sizes();
    QWidget* focus = QApplication::focusWidget();
    const bool hadFocus = m_right && focus && (m_right == focus || m_right->isAncestorOf(focus));
    QWidget* old = m_right;
    m_kind = kind;
    m_right = CreatePane(kind);
    if (old) {
        // Later, not now: the old pane may be the one whose gesture led here.
        old->hide();
        old->setParent(nullptr);
        old->deleteLater();
    }
    if (sizes.size() >= 2) m_splitter->setSizes(sizes);
    if (hadFocus && m_right) m_right->setFocus();
    UpdateWindowTitle();
    refreshCommands();
}

void CMainFrame::OnTableWindow() {
    m_session.doc().EnterTableWindow();
    SwitchView(PaneKind::Table);
}

void CMainFrame::OnGraphWindow() {
    m_session.doc().LeaveTableWindow();
    SwitchView(PaneKind::Graph);
}

void CMainFrame::FocusNextPane() {
    // With two panes the next and the previous one are the same: the one without the focus.
    QWidget* focus = QApplication::focusWidget();
    const bool inLeft = m_left && focus && (m_left == focus || m_left->isAncestorOf(focus));
    QWidget* target = inLeft ? m_right.data() : m_left.data();
    if (target) target->setFocus(Qt::ShortcutFocusReason);
}

// ---- document commands of this window ------------------------------------------------------------------

void CMainFrame::OnSelectMetric() {
    CPlotraDoc& doc = m_session.doc();
    CUnitDialog dialog(this);
    dialog.setSelection(CUnitDialog::LineForUnitFactor(doc.Display().m_dUnitFactor));
    // The list has no Cancel: whatever line it shows when it closes is the unit.
    dialog.exec();
    doc.ChangeDisplayUnit(dialog.selection() == CUnitDialog::kMeter);
}

void CMainFrame::OnFilePrintSetup() {
    // A printout painted as a job uses the printer until it ends.
    if (m_session.doc().RefuseWhileBusy()) return;
    // The session's printer: what is set up here is what Print and Print Preview of either window use.
    QPageSetupDialog dialog(&SessionPrinter(m_session), this);
    dialog.setObjectName("pageSetupDialog");
    dialog.exec();
}

void CMainFrame::OnHelpUsing() {
    const QString index = QDir(helpDirectory).filePath(QStringLiteral("index.html"));
    if (!QFileInfo::exists(index)) {
        m_session.doc().Prompts().message("The help pages were not found: \"" + index.toStdString() + "\"",
                                          "Help Using Hovrin Analyzer", PromptIcon::Stop);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(index)))
        m_session.doc().Prompts().message("No program to show the help pages could be started. Open \"" +
                                              index.toStdString() + "\" in a web browser.",
                                          "Help Using Hovrin Analyzer", PromptIcon::Information);
}

void CMainFrame::OnAppAbout() {
    CAboutDlg about(this);
    about.exec();
}

// ---- title and recent files
// --------------------------------------------------------------------------------

void CMainFrame::OnPathNameChanged(const std::string& path, bool addToRecent) {
    const QString qpath = QString::fromStdString(path);
    m_docTitle = QFileInfo(qpath).fileName();
    if (addToRecent && !qpath.isEmpty()) {
        m_recent.add(QFileInfo(qpath).absoluteFilePath());
        RebuildRecentMenu();
    }
    UpdateWindowTitle();
}

void CMainFrame::OnTitleChanged(const std::string& title) {
    m_docTitle = QString::fromStdString(title);
    UpdateWindowTitle();
}

void CMainFrame::UpdateWindowTitle() {
    // "[*]" is where the window shows its modified mark: after the document's name, which the table
    // window follows with " (Table View)".
    const QString pane = m_kind == PaneKind::Table ? QStringLiteral(" (Table View)") : QString();
    if (m_docTitle.isEmpty() && pane.isEmpty())
        setWindowTitle(kWindowTitle + QStringLiteral("[*]"));
    else
        setWindowTitle((m_docTitle.isEmpty() ? kDefaultDocTitle : m_docTitle) + QStringLiteral("[*]") + pane +
                       QStringLiteral(" - ") + kWindowTitle);
    setWindowModified(m_session.doc().IsModified());
}

void CMainFrame::RebuildRecentMenu() {
    for (QAction* a : m_recentActions) {
        m_recentMenuAnchor->removeAction(a);
        a->deleteLater();
    }
    m_recentActions.clear();
    const QStringList& files = m_recent.files();
    if (files.isEmpty()) {
        // The place holder of an empty list, never enabled.
        auto* a = new QAction(tr("Recent File"), this);
        a->setObjectName(QString::number(kFirstRecentId));
        a->setEnabled(false);
        m_recentMenuAnchor->insertAction(m_recentSeparator, a);
        m_recentActions.push_back(a);
        refreshCommands();
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const int id = kFirstRecentId + i;
        auto* a =
            new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QDir::toNativeSeparators(files[i])), this);
        a->setObjectName(QString::number(id));
        a->setStatusTip(tr("Open this project"));
        connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
        m_recentMenuAnchor->insertAction(m_recentSeparator, a);
        m_recentActions.push_back(a);
    }
    refreshCommands();
}

void CMainFrame::OpenRecentFile(int index) {
    if (index < 0 || index >= m_recent.files().size()) return;
    const QString path = m_recent.files()[index];
    // A file that cannot be opened any more leaves the list; one that was not opened now stays.
    m_session.openDocument(path.toStdString(), [this, path](OpenOutcome outcome) {
        if (outcome != OpenOutcome::Refused) return;
        m_recent.remove(path);
        RebuildRecentMenu();
    });
}

// ---- status bar and splash
// ---------------------------------------------------------------------------------

void CMainFrame::SetStatusText(const QString& text) {
    m_mousePane->setText(text);
    const QMargins m = m_mousePane->contentsMargins();
    const int width = m_mousePane->fontMetrics().horizontalAdvance(text) + m.left() + m.right() +
                      2 * m_mousePane->frameWidth() + 2;
    m_mousePane->setFixedWidth(width);
}

void CMainFrame::ShowSplash(int milliseconds) {
    if (m_splash) m_splash->close();
    auto* splash = new QLabel(this, Qt::SplashScreen | Qt::FramelessWindowHint);
    splash->setObjectName("SPLASH");
    splash->setAttribute(Qt::WA_DeleteOnClose);
    splash->setPixmap(SplashPicture());
    splash->setFrameStyle(QFrame::Box | QFrame::Plain);
    splash->adjustSize();
    // Centred over the window, in its own size.
    const QPoint centre = isVisible() ? mapToGlobal(rect().center()) : geometry().center();
    splash->move(centre - splash->rect().center());
    splash->show();
    splash->raise();
    m_splash = splash;
    QTimer::singleShot(milliseconds, splash, &QWidget::close);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The panes get their first widths once the window has its size.
    if (!m_panesSized) {
        m_panesSized = true;
        const int total = std::max(m_splitter->width(), width());
        m_splitter->setSizes({kLeftPaneWidth, std::max(1, total - kLeftPaneWidth)});
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Unsaved edits are asked about; Cancel keeps the window open. A Yes saves as a job: the window
    // closes once the file has been written, and stays open when the save failed or was cancelled.
    bool closeNow = false;
    // Set while the answer comes at once; a save job's success later closes the window again.
    auto answerNow = std::make_shared<bool*>(&closeNow);
    m_session.saveModifiedThen([answerNow, window = QPointer<CMainFrame>(this)] {
        if (*answerNow)
            **answerNow = true;
        else if (window)
            window->close();
    });
    *answerNow = nullptr;
    if (!closeNow) {
        event->ignore();
        refreshCommands();
        return;
    }
    if (m_splash) m_splash->close();
    QMainWindow::closeEvent(event);
}

} // namespace plotra::gui
