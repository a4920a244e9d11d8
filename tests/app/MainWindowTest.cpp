// The main window: its menus (every toolbar command reached from the keyboard), toolbar and status
// bar, the routing of commands through the panes, the switch between the graph and the table window
// with the flags it saves and the title it shows, the metric, help, about and print setup commands,
// the recent files and the new-project road through the selection dialog.
#include "app/MainWindow.h"
#include "app/AboutDialog.h"
#include "gui/GuiSession.h"
#include "gui/SessionPrinter.h"
#include "files/FileIo.h"
#include "files/gui/SurveySelectDialog.h"
#include "mapview/GraphRenderer.h"
#include "mapview/gui/PlotraView.h"
#include "panel/UnitDialog.h"
#include "report/gui/ClientReportDialog.h"
#include "support/Fixtures.h"
#include "support/PromptRecorder.h"
#include "support/gui/AppTest.h"
#include "support/gui/GuiTest.h"
#include "table/gui/TableSaveOptionsDialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <filesystem>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

/// A pane that handles a few commands and records what it was asked to run.
class FakePane : public QLabel, public CommandTarget {
  public:
    FakePane(std::map<int, CommandState> states, QWidget* parent)
        : QLabel(parent), states(std::move(states)) {}
    bool handlesCommand(int id) const override { return states.count(id) > 0; }
    CommandState commandState(int id) const override { return states.at(id); }
    void runCommand(int id) override { ran.push_back(id); }
    std::map<int, CommandState> states;
    std::vector<int> ran;
};

/// A main window over its own session, with the messages recorded and private settings.
class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        session.setPrompts(&prompts);
        session.doc().OnNewDocument(); // the start-up call: the empty project is started
    }
    CMainFrame& Frame() {
        if (!frame) frame = std::make_unique<CMainFrame>(session, nullptr, factories);
        return *frame;
    }
    bool Enabled(int id) { return Frame().action(id) && Frame().action(id)->isEnabled(); }
    /// The graph and table window commands' enabled states.
    std::pair<bool, bool> WindowCommands() { return {Enabled(kCmdGraphWindow), Enabled(kCmdTableWindow)}; }

    SettingsSandbox settings;
    PromptRecorder prompts;
    GuiSession session;
    CMainFrame::PaneFactories factories;
    std::unique_ptr<CMainFrame> frame;
};

/// Object names of a menu's items, separators as "-".
std::vector<std::string> Items(const QMenu* menu) {
    std::vector<std::string> out;
    for (const QAction* a : menu->actions())
        out.push_back(a->isSeparator() ? "-" : a->objectName().toStdString());
    return out;
}

} // namespace

TEST_F(MainWindowTest, MenusToolbarAndStatusBarAreTheProgramsOwn) {
    CMainFrame& w = Frame();
    std::vector<std::string> titles;
    std::vector<QMenu*> menus;
    for (QAction* a : w.menuBar()->actions()) {
        titles.push_back(a->text().toStdString());
        menus.push_back(a->menu());
    }
    EXPECT_EQ(titles,
              (std::vector<std::string>{"&File", "&Edit", "&View", "&Survey", "&Tools", "&Window", "&Help"}));
    ASSERT_EQ(menus.size(), 7u);
    // Start and Stop of a survey made with this computer (SurveyWindowTest drives them).
    EXPECT_EQ(Items(menus[3]), (std::vector<std::string>{"32850", "32851"}));
    menus.erase(menus.begin() + 3);
    // Undo and Redo (their texts follow the undo stack: EditMenuTest); the others keep their places below.
    EXPECT_EQ(Items(menus[1]), (std::vector<std::string>{"57643", "57644"}));
    menus.erase(menus.begin() + 1);
    EXPECT_EQ(Items(menus[0]), (std::vector<std::string>{"57600", "57601", "32845", "57603", "57604", "32830", "-",
                                                         "32798", "32808", "32831", "-", "57607", "57609",
                                                         "57606", "-", "57616", "-", "57665"}));
    EXPECT_EQ(Items(menus[1]), (std::vector<std::string>{"59392", "59393", "-", "colourScale"}));
    // Every toolbar button's command, in the toolbar's order and groups, is the same action.
    EXPECT_EQ(Items(menus[2]),
              (std::vector<std::string>{"32774", "32813", "32794", "32812", "32797", "32804", "-", "32814",
                                        "32775", "32783", "32784", "32786", "32806", "-", "32791", "32803"}));
    for (QAction* a : menus[2]->actions())
        if (!a->isSeparator()) {
            EXPECT_TRUE(w.toolBar()->actions().contains(a)) << a->objectName().toStdString();
        }
    EXPECT_EQ(Items(menus[3]), (std::vector<std::string>{"32810", "32811"}));
    EXPECT_EQ(Items(menus[4]), (std::vector<std::string>{"57664", "32801"}));

    const std::map<int, std::string> texts = {{57600, "&New Project\tCtrl+N"},
                                              {57601, "&Open Existing Project \tCtrl+O"},
                                              {57603, "&Save Project\tCtrl+S"},
                                              {57604, "Save Project &As..."},
                                              {32845, "Load &Floor Plan…"},
                                              {32798, "Save Graph Image..."},
                                              {32808, "Save &Table As..."},
                                              {57607, "&Print...\tCtrl+P"},
                                              {57609, "Print Pre&view"},
                                              {57606, "P&rint Setup..."},
                                              {57616, "Recent File"},
                                              {57665, "E&xit"},
                                              {59392, "&Toolbar"},
                                              {59393, "&Status Bar"},
                                              {32810, "Graph Window"},
                                              {32811, "Table Window"},
                                              {57664, "&About Analyzer..."},
                                              {32801, "Help Using Hovrin Analyzer"},
                                              {32774, "&Load the map of the measured area"},
                                              {32813, "Show the &geo-coded map"},
                                              {32794, "Select the &metric"},
                                              {32812, "Show &directions"},
                                              {32797, "&Information Window"},
                                              {32804, "Show L&egend"},
                                              {32814, "Move &Access Point"},
                                              {32775, "&Ruler"},
                                              {32783, "&Zoom in"},
                                              {32784, "Zoom &out"},
                                              {32786, "&Fit in the window"},
                                              {32806, "Fit in the map/&path"},
                                              {32791, "Create a &Kml file"},
                                              {32803, "Create a &Html report"}};
    for (const auto& [id, text] : texts) {
        ASSERT_NE(w.action(id), nullptr) << id;
        EXPECT_EQ(w.action(id)->text().toStdString(), text) << id;
    }
    EXPECT_EQ(w.action(57600)->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(w.action(57601)->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(w.action(57603)->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(w.action(57607)->shortcut(), QKeySequence("Ctrl+P"));

    // The toolbar in its order, with the prompts as tool tips and status texts.
    QToolBar* bar = w.toolBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->objectName(), "59392");
    std::vector<std::string> order;
    for (QAction* a : bar->actions())
        if (a->isVisible()) order.push_back(a->isSeparator() ? "0" : a->objectName().toStdString());
    EXPECT_EQ(order, (std::vector<std::string>{"57600", "32774", "32813", "57601", "57603", "57607",
                                               "0",     "32794", "32812", "32797", "32804", "0",
                                               "32814", "32775", "32783", "32784", "32786", "32806",
                                               "0",     "32791", "32803", "57664"}));
    const std::map<int, std::string> prompts = {{32774, "Load the map of the measured area"},
                                                {32813, "Show the geo-coded map"},
                                                {32794, "Select the metric"},
                                                {32812, "Show directions"},
                                                {32797, "Information Window"},
                                                {32804, "Show Legend"},
                                                {32814, "Move Access Point"},
                                                {32775, "Ruler"},
                                                {32783, "Zoom in"},
                                                {32784, "Zoom out"},
                                                {32786, "Fit in the window"},
                                                {32806, "Fit in the map/path"},
                                                {32791, "Create a Kml file"},
                                                {32803, "Create a Html report"},
                                                {32810, "Show the graph..."},
                                                {32811, "Show the table..."},
                                                {32808, "Save the table as ..."},
                                                {32798, "Save the graph as a bitmap"},
                                                {32801, "Html help to use hovrin analyzer"}};
    for (const auto& [id, text] : prompts) {
        EXPECT_EQ(w.action(id)->statusTip().toStdString(), text) << id;
        EXPECT_EQ(w.action(id)->toolTip().toStdString(), text) << id;
    }
    for (QAction* a : bar->actions()) {
        if (!a->isSeparator()) {
            EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
        }
    }

    // Status bar: the message pane says "Ready"; the mouse position pane follows it.
    EXPECT_EQ(w.statusBar()->objectName(), "59393");
    EXPECT_EQ(w.messagePane()->text(), "Ready");
    EXPECT_EQ(w.mousePositionPane()->objectName(), "61446");

    // Panes: the control panel 237 pixels wide on the left, the graph window on the right.
    w.show();
    EXPECT_EQ(w.leftPane()->objectName(), "CControlView");
    EXPECT_EQ(w.rightPane()->objectName(), "CPlotraView");
    EXPECT_EQ(w.rightPaneKind(), CMainFrame::PaneKind::Graph);
    EXPECT_EQ(w.splitter()->sizes().value(0), 237);
    EXPECT_EQ(w.windowTitle(), "Hovrin[*] - Hovrin Analyzer");
    EXPECT_FALSE(w.windowIcon().isNull());
}

TEST_F(MainWindowTest, CommandsGoToTheRightPaneThenTheLeftThenTheWindow) {
    FakePane* left = nullptr;
    FakePane* right = nullptr;
    int rightPanesMade = 0;
    factories.controlPanel = [&](GuiSession&, QWidget* parent) {
        left = new FakePane(
            {{kCmdShowMap, {true, true}}, {kCmdInfoWindow, {true, true}}, {kCmdSaveProject, {false, false}}},
            parent);
        return left;
    };
    factories.graphView = [&](GuiSession&, QWidget* parent) {
        ++rightPanesMade;
        right = new FakePane({{kCmdShowMap, {true, false}}, {kCmdZoomIn, {true, true}}}, parent);
        right->setObjectName("fakeGraph");
        return right;
    };
    CMainFrame& w = Frame();
    // The right pane answers first, the control panel next; nobody's commands are disabled.
    EXPECT_TRUE(w.action(kCmdShowMap)->isEnabled());
    EXPECT_FALSE(w.action(kCmdShowMap)->isChecked());
    EXPECT_TRUE(w.action(kCmdInfoWindow)->isChecked());
    EXPECT_TRUE(w.action(kCmdZoomIn)->isChecked());
    EXPECT_FALSE(w.action(kCmdSaveProject)->isEnabled());
    EXPECT_FALSE(w.action(kCmdCreateKml)->isEnabled());
    EXPECT_TRUE(w.action(kCmdNewProject)->isEnabled());

    w.action(kCmdShowMap)->trigger();
    w.action(kCmdInfoWindow)->trigger();
    w.runCommand(kCmdSaveProject); // disabled: nothing runs
    EXPECT_EQ(right->ran, std::vector<int>{kCmdShowMap});
    EXPECT_EQ(left->ran, std::vector<int>{kCmdInfoWindow});

    // A pane's state is shown again when the session says the view changed.
    right->states[kCmdShowMap] = {true, true};
    left->states[kCmdInfoWindow] = {false, false};
    session.notifyViewChanged();
    EXPECT_TRUE(w.action(kCmdShowMap)->isChecked());
    EXPECT_FALSE(w.action(kCmdInfoWindow)->isEnabled());

    // Switching to the table and back makes a new graph window each time; the old one goes.
    LoadProcessedTiny(session.doc());
    QPointer<QWidget> first = w.rightPane();
    w.runCommand(kCmdTableWindow);
    EXPECT_EQ(w.rightPane()->objectName(), "CTableView");
    EXPECT_FALSE(w.action(kCmdZoomIn)->isEnabled()); // the table does not zoom
    w.runCommand(kCmdGraphWindow);
    EXPECT_EQ(rightPanesMade, 2);
    EXPECT_EQ(w.rightPane(), right);
    EXPECT_NE(w.rightPane(), first.data());
    EXPECT_EQ(w.splitter()->count(), 2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(MainWindowTest, WindowCommandsNeedDataAndTheOtherPane) {
    CMainFrame& w = Frame();
    EXPECT_EQ(WindowCommands(), std::make_pair(false, false)); // no data at all
    w.runCommand(kCmdTableWindow);
    EXPECT_EQ(w.rightPaneKind(), CMainFrame::PaneKind::Graph);

    CPlotraDoc& doc = session.doc();
    LoadProcessedTiny(doc);
    EXPECT_EQ(WindowCommands(), std::make_pair(false, true));
    doc.ToggleSection(kSectionMeasurement);
    doc.ToggleSection(kSectionReliability);
    session.setMapShown(true);
    ASSERT_EQ(doc.Display().m_bDataLoaded, 1);

    w.runCommand(kCmdTableWindow);
    EXPECT_EQ(w.rightPaneKind(), CMainFrame::PaneKind::Table);
    EXPECT_EQ(doc.Display().m_bTableWindowActive, 1);
    EXPECT_EQ(doc.Display().m_bDataLoaded, 0);
    EXPECT_FALSE(doc.SectionExpanded(kSectionMeasurement));
    EXPECT_EQ(WindowCommands(), std::make_pair(true, false));
    EXPECT_FALSE(Enabled(kCmdCreateReport)); // a graph window command
    session.setMapShown(false);

    w.runCommand(kCmdGraphWindow);
    EXPECT_EQ(w.rightPaneKind(), CMainFrame::PaneKind::Graph);
    EXPECT_EQ(doc.Display().m_bTableWindowActive, 0);
    EXPECT_EQ(doc.Display().m_bDataLoaded, 1);
    EXPECT_TRUE(doc.SectionExpanded(kSectionMeasurement));
    EXPECT_FALSE(doc.SectionExpanded(kSectionSorting));
    EXPECT_TRUE(doc.SectionExpanded(kSectionReliability));
    EXPECT_TRUE(session.view().m_bShowMap);
    EXPECT_EQ(WindowCommands(), std::make_pair(false, true));

    // While the table is shown, the document's graph-only commands refuse.
    w.runCommand(kCmdTableWindow);
    prompts.prompts.clear();
    w.runCommand(kCmdNewProject);
    EXPECT_EQ(prompts.Messages(), std::vector<std::string>{"Invalid Window: Please Select Graph Window"});
}

TEST_F(MainWindowTest, BackFromTheTableShowsTheResultOfAProcessingThatEndedMeanwhile) {
    CMainFrame& w = Frame();
    CPlotraDoc& doc = session.doc();
    LoadProcessedTiny(doc);
    w.runCommand(kCmdTableWindow);
    w.runCommand(kCmdGraphWindow);

    // Processing again as a job: no data now, but the table was last left with data.
    int finished = 0;
    QObject::connect(&session, &GuiSession::jobFinished, [&](bool) { ++finished; });
    session.startProcessing(doc);
    ASSERT_TRUE(session.jobRunning());
    EXPECT_EQ(doc.Display().m_bDataLoaded, 0);
    EXPECT_EQ(WindowCommands(), std::make_pair(false, true));
    w.runCommand(kCmdTableWindow); // the job's result is applied by the event loop, so after this
    ASSERT_TRUE(WaitUntil([&] { return finished == 1; }, 60000));
    // The table window keeps the graph commands' flag down until the switch back...
    EXPECT_EQ(doc.Display().m_bDataLoaded, 0);
    EXPECT_EQ(WindowCommands(), std::make_pair(true, false));

    // ... which shows the new result, not the state from before the processing: data, the window
    // commands and the sections that open.
    w.runCommand(kCmdGraphWindow);
    EXPECT_EQ(doc.Display().m_bDataLoaded, 1);
    EXPECT_EQ(WindowCommands(), std::make_pair(false, true));
    doc.ToggleSection(kSectionMeasurement);
    EXPECT_TRUE(doc.SectionExpanded(kSectionMeasurement));
    EXPECT_TRUE(prompts.prompts.empty());

    // A processing cancelled while the table is shown: the way back stays open, and from the graph
    // window the survey can be processed again.
    w.runCommand(kCmdGraphWindow);
    session.startProcessing(doc);
    ASSERT_TRUE(session.jobRunning());
    w.runCommand(kCmdTableWindow);
    session.cancelJob();
    ASSERT_TRUE(WaitUntil([&] { return finished == 2; }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return !prompts.prompts.empty(); }, 10000)); // "process again?" No
    EXPECT_EQ(prompts.prompts.back().caption, "Data Processing");
    EXPECT_TRUE(Enabled(kCmdGraphWindow));
    w.runCommand(kCmdGraphWindow);
    EXPECT_EQ(w.rightPaneKind(), CMainFrame::PaneKind::Graph);
    EXPECT_TRUE(Enabled(kCmdProcessAgain));
    prompts.prompts.clear();

    // The metric chosen in the table window converts the resolution like in the graph window.
    w.runCommand(kCmdTableWindow);
    doc.ChangeDisplayUnit(false);
    EXPECT_EQ(doc.Frame().m_dResolutionX, doc.GridRectangleMetres().first / 0.3048 / 50.0);
}

TEST_F(MainWindowTest, MousePositionPaneTakesTheWidthOfItsText) {
    CMainFrame& w = Frame();
    w.show();
    QLabel* pane = w.mousePositionPane();
    const int empty = pane->width();
    session.setStatusText("Y: 1234.56 m  X: 789.01 m  -71.0 dBm");
    EXPECT_EQ(pane->text(), "Y: 1234.56 m  X: 789.01 m  -71.0 dBm");
    const int wide = pane->width();
    EXPECT_GT(wide, empty + pane->fontMetrics().horizontalAdvance("Y: 1234.56 m  X: 789.01 m") - 1);
    session.setStatusText("Y: 1 m");
    EXPECT_LT(pane->width(), wide);
    EXPECT_GT(pane->width(), empty);
    session.setStatusText("");
    EXPECT_EQ(pane->width(), empty);
    EXPECT_EQ(w.messagePane()->text(), "Ready");
}

TEST_F(MainWindowTest, SelectTheMetricPresetsTheUnitAndChangesIt) {
    CMainFrame& w = Frame();
    CPlotraDoc& doc = session.doc();
    LoadProcessedTiny(doc);
    ASSERT_DOUBLE_EQ(doc.Display().m_dUnitFactor, 0.3048);
    const double widthMetres = doc.GridRectangleMetres().first;

    int presetLine = -1;
    QStringList lines;
    QString caption;
    OnNextModal<CUnitDialog>([&](CUnitDialog* d) {
        caption = d->windowTitle();
        auto* combo = Named<QComboBox>(*d, "1079");
        presetLine = combo->currentIndex();
        for (int i = 0; i < combo->count(); ++i)
            lines << combo->itemText(i);
        combo->setCurrentIndex(CUnitDialog::kMeter);
        Named<QPushButton>(*d, "1")->click();
    });
    w.runCommand(kCmdSelectMetric);
    EXPECT_EQ(caption, "Select the metric");
    EXPECT_EQ(presetLine, CUnitDialog::kFeet);
    EXPECT_EQ(lines, (QStringList{"Feet", "Meter"}));
    EXPECT_DOUBLE_EQ(doc.Display().m_dUnitFactor, 1.0);
    EXPECT_EQ(doc.Display().m_bUnitUnchanged, 0);
    EXPECT_DOUBLE_EQ(doc.Frame().m_dResolutionX, widthMetres / 50.0);

    // Now it opens on metres; keeping them changes nothing.
    OnNextModal<CUnitDialog>([&](CUnitDialog* d) {
        presetLine = d->selection();
        d->accept();
    });
    w.runCommand(kCmdSelectMetric);
    EXPECT_EQ(presetLine, CUnitDialog::kMeter);
    EXPECT_DOUBLE_EQ(doc.Display().m_dUnitFactor, 1.0);
    EXPECT_EQ(doc.Display().m_bUnitUnchanged, 1);
    EXPECT_EQ(CUnitDialog::LineForUnitFactor(0.5), CUnitDialog::kFeet);
    EXPECT_EQ(CUnitDialog::LineForUnitFactor(0.51), CUnitDialog::kMeter);
}

TEST_F(MainWindowTest, ToolbarCommandsAreReachedFromTheKeyboard) {
    CMainFrame& w = Frame();
    LoadProcessedTiny(session.doc());
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QMenu* tools = w.findChild<QMenu*>("menuTools");
    ASSERT_NE(tools, nullptr);
    // Alt+T opens the Tools menu; a command's letter runs it, as its button would.
    auto pick = [&](Qt::Key letter) {
        QTest::keyClick(&w, Qt::Key_T, Qt::AltModifier);
        if (!WaitUntil([&] { return tools->isVisible(); }, 5000)) return false;
        QTest::keyClick(tools, letter);
        return WaitUntil([&] { return !tools->isVisible(); }, 5000);
    };
    ASSERT_TRUE(pick(Qt::Key_R));
    EXPECT_TRUE(session.view().m_bRuler);
    EXPECT_TRUE(w.action(kCmdRuler)->isChecked());
    ASSERT_TRUE(pick(Qt::Key_Z));
    EXPECT_TRUE(session.view().m_bZoomIn);
    EXPECT_FALSE(session.view().m_bRuler);
    ASSERT_TRUE(pick(Qt::Key_E));
    EXPECT_TRUE(w.action(kCmdShowLegend)->isChecked());
    EXPECT_EQ(session.doc().Display().m_bShowLegend, 1);
    // The window commands have their menu's letter too.
    QMenu* window = w.findChild<QMenu*>("menuWindow");
    QTest::keyClick(&w, Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(WaitUntil([&] { return window->isVisible(); }, 5000));
    window->hide();
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(MainWindowTest, TheTableWindowNamesItselfInTheTitleAndSavesTheGraphPicture) {
    CMainFrame& w = Frame();
    CPlotraDoc& doc = session.doc();
    LoadProcessedTiny(doc);
    w.runCommand(kCmdTableWindow);
    EXPECT_EQ(w.windowTitle(), "Hovrin[*] (Table View) - Hovrin Analyzer");
    session.setTitle("campus.hws");
    EXPECT_EQ(w.windowTitle(), "campus.hws[*] (Table View) - Hovrin Analyzer");
    EXPECT_EQ(w.isWindowModified(), doc.IsModified());

    // "Save Graph Image..." saves the picture the graph window last showed, also from here.
    QImage shown(64, 40, QImage::Format_RGB32);
    shown.fill(QColor(10, 200, 30));
    KeepGraphPicture(doc, shown);
    w.refreshCommands();
    ASSERT_TRUE(Enabled(kCmdSaveGraphImage));
    TempDir dir;
    prompts.saveFiles = {dir.File("graph.bmp")};
    w.action(kCmdSaveGraphImage)->trigger();
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("graph.bmp"))).convertToFormat(QImage::Format_RGB32),
              shown);
    ASSERT_EQ(prompts.choosers.size(), 1u);
    EXPECT_EQ(prompts.choosers[0].title, "Save picture as a Bitmap file");

    w.runCommand(kCmdGraphWindow);
    EXPECT_EQ(w.windowTitle(), "campus.hws[*] - Hovrin Analyzer");
    EXPECT_TRUE(prompts.prompts.empty());
}

TEST_F(MainWindowTest, PrintSetupIsThePageBothWindowsPrintAndAJobThatCannotStartSaysSo) {
    CMainFrame& w = Frame();
    LoadProcessedTiny(session.doc());
    QPrinter& printer = SessionPrinter(session);
    ASSERT_TRUE(Enabled(kCmdPrintSetup));
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    QPrinter* setUp = nullptr;
    OnNextModal<QPageSetupDialog>([&](QPageSetupDialog* d) {
        setUp = d->printer();
        for (QRadioButton* r : d->findChildren<QRadioButton*>())
            if (r->text().remove('&') == "Landscape") r->click();
        d->accept();
    });
    w.runCommand(kCmdPrintSetup);
    EXPECT_EQ(setUp, &printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);

    // The graph window prints on that printer; a PDF in a folder that does not exist is reported.
    auto* graph = qobject_cast<CPlotraView*>(w.rightPane());
    ASSERT_NE(graph, nullptr);
    QPrinter* graphPrinter = nullptr;
    graph->choosePrinter = [&](QPrinter& p) {
        graphPrinter = &p;
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName("/nonexistent-folder/graph.pdf");
        return true;
    };
    w.runCommand(kCmdPrint);
    ASSERT_TRUE(WaitUntil([&] { return !session.jobRunning(); })); // painted as a job
    EXPECT_EQ(graphPrinter, &printer);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"Print: The printout could not be written to "
                                       "\"/nonexistent-folder/graph.pdf\".\nCheck that the folder "
                                       "\"/nonexistent-folder\" exists and can be written, or choose "
                                       "another file in the print dialog."});
    prompts.prompts.clear();

    // So does the table window, through its print dialog.
    w.runCommand(kCmdTableWindow);
    printer.setOutputFileName("/nonexistent-folder/table.pdf");
    QPrinter* tablePrinter = nullptr;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    OnNextModal<QPrintDialog>([&](QPrintDialog* d) {
        tablePrinter = d->printer();
        orientation = d->printer()->pageLayout().orientation();
        d->accept();
    });
    w.runCommand(kCmdPrint);
    EXPECT_EQ(tablePrinter, &printer);
    EXPECT_EQ(orientation, QPageLayout::Landscape);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].caption, "Print");
    EXPECT_NE(prompts.prompts[0].text.find("\"/nonexistent-folder/table.pdf\""), std::string::npos);
}

/// Receives the URLs the help command opens.
class UrlCatcher : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { urls << url; }

  public:
    QList<QUrl> urls;
};

TEST_F(MainWindowTest, HelpAboutToolbarAndStatusBarCommands) {
    CMainFrame& w = Frame();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    w.helpDirectory = QStringLiteral(PLOTRA_SOURCE_DIR "/resources/help");
    w.runCommand(kCmdHelpUsing);
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_TRUE(catcher.urls[0].toLocalFile().endsWith("resources/help/index.html"));
    w.helpDirectory = "/nonexistent/help";
    w.runCommand(kCmdHelpUsing);
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(catcher.urls.size(), 1);
    ASSERT_EQ(prompts.prompts.size(), 1u);
    EXPECT_EQ(prompts.prompts[0].caption, "Help Using Hovrin Analyzer");

    QString caption;
    QStringList texts;
    OnNextModal<CAboutDlg>([&](CAboutDlg* d) {
        caption = d->windowTitle();
        for (QLabel* l : d->findChildren<QLabel*>())
            if (!l->text().isEmpty()) texts << l->text();
        Named<QPushButton>(*d, "1")->click();
    });
    w.runCommand(kCmdAbout);
    EXPECT_EQ(caption, "About Hovrin Analyzer");
    EXPECT_TRUE(texts.contains("Hovrin Analyzer Version 1.0.2"));
    EXPECT_EQ(texts.size(), 2);

    // F1 in "Save Table Options" opens the page on saving the table from the same help folder.
    LoadProcessedTiny(session.doc());
    w.runCommand(kCmdTableWindow);
    w.helpDirectory = QStringLiteral(PLOTRA_SOURCE_DIR "/resources/help");
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    OnNextModal<CTableSaveOptionsDialog>([&](CTableSaveOptionsDialog* d) {
        QTest::keyClick(d, Qt::Key_F1);
        Named<QPushButton>(*d, "2")->click();
    });
    w.runCommand(kCmdSaveTableAs);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[1].toLocalFile(), QStringLiteral(PLOTRA_SOURCE_DIR "/resources/help/export.html"));
    w.runCommand(kCmdGraphWindow);

    w.show();
    EXPECT_TRUE(w.action(kCmdToolbar)->isChecked());
    w.action(kCmdToolbar)->trigger();
    EXPECT_TRUE(w.toolBar()->isHidden());
    EXPECT_FALSE(w.action(kCmdToolbar)->isChecked());
    w.action(kCmdStatusBar)->trigger();
    EXPECT_TRUE(w.statusBar()->isHidden());
    EXPECT_FALSE(w.action(kCmdStatusBar)->isChecked());
    w.action(kCmdToolbar)->trigger();
    EXPECT_FALSE(w.toolBar()->isHidden());
    EXPECT_TRUE(w.action(kCmdToolbar)->isChecked());
}

TEST_F(MainWindowTest, OpenedProjectsNameTheWindowAndFillTheRecentFiles) {
    TempDir dir;
    CPlotraDoc source;
    LoadProcessedTiny(source);
    std::vector<std::string> paths;
    for (const char* name : {"a.hws", "b.hws", "c.hws", "d.hws", "e.hws"}) {
        paths.push_back(dir.File(name));
        ASSERT_TRUE(source.WriteWorkspace(paths.back()));
    }
    CMainFrame& w = Frame();
    EXPECT_FALSE(Enabled(kCmdRecentFile)); // the place holder of an empty list
    for (const std::string& p : paths)
        ASSERT_TRUE(session.doc().OnOpenDocument(p));
    EXPECT_EQ(w.windowTitle(), "e.hws[*] - Hovrin Analyzer");
    EXPECT_FALSE(w.isWindowModified());
    // Newest first, four at most, kept in the settings.
    const QStringList expected{QString::fromStdString(paths[4]), QString::fromStdString(paths[3]),
                               QString::fromStdString(paths[2]), QString::fromStdString(paths[1])};
    EXPECT_EQ(w.recentFiles(), expected);
    EXPECT_EQ(RecentFileList().files(), expected);
    FlushSettings(); // written off the window's thread
    EXPECT_EQ(QSettings("Norlit Systems", "Plotra").value("Settings/RecentFiles").toStringList(), expected);
    EXPECT_EQ(w.action(kCmdRecentFile + 3)->text(), "&4 " + QDir::toNativeSeparators(expected[3]));
    EXPECT_EQ(w.action(kCmdRecentFile + 4), nullptr);

    // Opening the fourth entry puts it first.
    w.action(kCmdRecentFile + 3)->trigger();
    ASSERT_TRUE(session.jobRunning()); // read as a job
    ASSERT_TRUE(WaitUntil([&] { return !session.jobRunning(); }));
    EXPECT_EQ(w.recentFiles().front(), expected[3]);
    EXPECT_EQ(w.windowTitle(), "b.hws[*] - Hovrin Analyzer");

    // An entry whose file has gone is reported and dropped.
    std::filesystem::remove(paths[2]);
    const int index = static_cast<int>(w.recentFiles().indexOf(QString::fromStdString(paths[2])));
    ASSERT_GE(index, 0);
    w.runCommand(kCmdRecentFile + index);
    ASSERT_TRUE(WaitUntil([&] { return !session.jobRunning() && w.recentFiles().size() == 3; }));
    EXPECT_EQ(prompts.Messages(),
              std::vector<std::string>{"File Open Error: Could not open file \"" + paths[2] + "\""});
    EXPECT_EQ(w.recentFiles().size(), 3);
    EXPECT_FALSE(w.recentFiles().contains(QString::fromStdString(paths[2])));
    EXPECT_FALSE(Enabled(kCmdRecentFile + 3));

    // A new project's title is the program's alone.
    session.doc().Host().setTitle("");
    EXPECT_EQ(w.windowTitle(), "Hovrin Analyzer[*]");
}

namespace {

/// Records messages but lets the window's own survey file selection run.
class RecorderWithSelection : public PromptRecorder {
  public:
    explicit RecorderWithSelection(GuiPrompts& gui) : m_gui(gui) {}
    std::optional<SurveySelection> chooseSurveyFiles(const std::vector<CDataFile>& files,
                                                     bool merge) override {
        return m_gui.chooseSurveyFiles(files, merge);
    }

  private:
    GuiPrompts& m_gui;
};

} // namespace

TEST_F(MainWindowTest, NewProjectRunsTheSelectionAndProcessesAsAJob) {
    RecorderWithSelection recorder(session.prompts());
    session.setPrompts(&recorder);
    CMainFrame& w = Frame();
    w.show();
    const std::string survey = PLOTRA_SOURCE_DIR "/samples/demo1.hsd";
    std::vector<std::string> buttons;
    OnNextModal<CHSDSelectDialog>([&](CHSDSelectDialog* d) {
        d->chooseFile = [&](QWidget*) { return std::optional<std::string>(survey); };
        Named<QPushButton>(*d, "1080")->click();
        Named<QPushButton>(*d, "1")->click();
    });
    int finished = 0;
    QObject::connect(&session, &GuiSession::jobFinished, [&](bool) { ++finished; });
    w.action(kCmdNewProject)->trigger();
    // The question about a map came first (answered No), then the dialog; the reading runs as a
    // job now, and the processing after it.
    ASSERT_EQ(recorder.prompts.size(), 1u);
    EXPECT_EQ(recorder.prompts[0].caption, "No Projection File");
    EXPECT_TRUE(session.jobRunning());
    EXPECT_TRUE(session.doc().Survey().m_aFiles.empty()) << "the project changed before the files were read";
    EXPECT_TRUE(w.isEnabled());
    ASSERT_TRUE(WaitUntil([&] { return finished == 2; }, 60000));
    ASSERT_EQ(session.doc().Survey().m_aFiles.size(), 1u);
    EXPECT_EQ(session.doc().Survey().m_aFiles[0].m_strPath, survey);
    EXPECT_EQ(session.doc().Display().m_bDataLoaded, 1);
    EXPECT_FALSE(session.doc().Aps().m_aAPs.empty());
    EXPECT_EQ(WindowCommands(), std::make_pair(false, true));
    EXPECT_EQ(w.windowTitle(), "Hovrin Analyzer[*]");
    EXPECT_TRUE(w.isWindowModified());
    EXPECT_EQ(recorder.prompts.size(), 1u);

    // A cancelled selection changes nothing (the processed project is not saved: kept unsaved).
    EXPECT_TRUE(session.doc().IsModified());
    recorder.threeWayAnswers.push_back(false);
    OnNextModal<CHSDSelectDialog>([&](CHSDSelectDialog* d) { d->reject(); });
    w.runCommand(kCmdNewProject);
    EXPECT_FALSE(session.jobRunning());
    EXPECT_EQ(session.doc().Display().m_bDataLoaded, 1);
}

TEST_F(MainWindowTest, FileMenuExportsTheClientReportAsAPdf) {
    CMainFrame& w = Frame();
    EXPECT_FALSE(Enabled(kCmdClientReport)); // nothing to report on yet
    LoadProcessedTiny(session.doc());
    w.refreshCommands();
    ASSERT_TRUE(Enabled(kCmdClientReport));
    EXPECT_EQ(w.action(kCmdClientReport)->text(), "Export &Client Report (PDF)...");

    TempDir dir;
    const std::string pdf = dir.File("client.pdf");
    prompts.saveFiles = {pdf};
    OnNextModal<ClientReportDialog>([](ClientReportDialog* d) {
        d->titleEdit()->setText(QStringLiteral("Head office"));
        d->accept();
    });
    w.action(kCmdClientReport)->trigger();
    ASSERT_FALSE(prompts.choosers.empty());
    EXPECT_EQ(prompts.choosers.back().defaultExtension, "pdf");
    // The PDF is the session's job, written from a copy of the project: the window is free and the
    // document takes no edit until the job has ended.
    ASSERT_TRUE(session.jobRunning());
    const auto ticks = [&] {
        std::vector<int> on;
        for (const CAPInfo& ap : session.doc().Aps().m_aAPs)
            on.push_back(ap.m_bSelected);
        return on;
    };
    const std::vector<int> before = ticks();
    session.doc().SetTickedAps({static_cast<int>(before.size()) - 1});
    EXPECT_EQ(ticks(), before);
    ASSERT_TRUE(WaitUntil([&] { return !session.jobRunning(); }, 60000));
    EXPECT_EQ(prompts.Messages().back(), "Client Report: The client report was written to " + pdf + ".");
    EXPECT_TRUE(ReadWholeFile(pdf).bytes.size() > 1000);
}

TEST_F(MainWindowTest, TheColourScaleIsAViewChoiceKeptInTheSettings) {
    CMainFrame& w = Frame();
    const int scale[] = {kCmdPaletteClassic, kCmdPaletteViridis, kCmdPaletteCividis};
    const auto checked = [&] {
        std::vector<bool> on;
        for (int id : scale) on.push_back(w.action(id)->isChecked());
        return on;
    };
    w.refreshCommands();
    EXPECT_EQ(checked(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(w.action(kCmdPaletteViridis)->text(), "&Viridis (colour-blind safe)");
    EXPECT_EQ(session.palette(), PaletteKind::Classic);

    // Chosen with a project loaded: the window draws it, the project is not modified by it.
    LoadProcessedTiny(session.doc());
    session.doc().Saved();
    w.action(kCmdPaletteCividis)->trigger();
    EXPECT_EQ(checked(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(session.palette(), PaletteKind::Cividis);
    EXPECT_EQ(session.view().m_palette, PaletteKind::Cividis);
    EXPECT_FALSE(session.doc().IsModified());
    FlushSettings();
    EXPECT_EQ(QSettings("Norlit Systems", "Plotra").value("Settings/Palette").toString(), "cividis");

    // The next window starts with it; a hand-edited value falls back to the classic colours.
    frame.reset();
    GuiSession next;
    next.setPrompts(&prompts);
    CMainFrame again(next, nullptr, factories);
    EXPECT_EQ(next.palette(), PaletteKind::Cividis);
    QSettings("Norlit Systems", "Plotra").setValue("Settings/Palette", "rainbow");
    GuiSession third;
    CMainFrame last(third, nullptr, factories);
    EXPECT_EQ(third.palette(), PaletteKind::Classic);
}

#include "MainWindowTest.moc"
