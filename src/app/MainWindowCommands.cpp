// The main window's command routing: which pane answers a command, the state of the window's own
// commands, and running them.
#include "app/MainWindow.h"
#include "app/MainWindowRouting.h"

#include "capture/gui/LiveSurvey.h"
#include "georef/gui/LoadFloorPlan.h"
#include "gui/GuiSession.h"
#include "mapview/GraphExport.h"
#include "mapview/GraphRenderer.h"
#include "report/gui/ClientReportDialog.h"
#include "report/gui/ReportCommand.h"

#include <QAction>
#include <QStatusBar>
#include <QToolBar>

namespace plotra::gui {

using namespace main_window;

QAction* CMainFrame::action(int id) const {
    if (IsRecentId(id)) {
        const auto index = static_cast<std::size_t>(id - kFirstRecentId);
        return index < m_recentActions.size() ? m_recentActions[index] : nullptr;
    }
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

CommandState CMainFrame::commandState(int id) const {
    for (QWidget* pane : {m_right.data(), m_left.data()})
        if (CommandTarget* target = TargetOf(pane); target && target->handlesCommand(id))
            return target->commandState(id);
    return OwnState(id);
}

void CMainFrame::runCommand(int id) {
    if (!commandState(id).enabled) {
        refreshCommands(); // a stale button: show it as it is
        return;
    }
    bool handled = false;
    for (QWidget* pane : {m_right.data(), m_left.data()})
        if (CommandTarget* target = TargetOf(pane); target && target->handlesCommand(id)) {
            target->runCommand(id);
            handled = true;
            break;
        }
    if (!handled) RunOwnCommand(id);
    refreshCommands();
}

void CMainFrame::refreshCommands() {
    if (m_closing) return;
    // The title's modified mark follows the document after every change, save and open.
    setWindowModified(m_session.doc().IsModified());
    auto apply = [this](int id, QAction* a) {
        const CommandState state = commandState(id);
        a->setEnabled(state.enabled);
        if (state.checked && !a->isCheckable()) a->setCheckable(true);
        if (a->isCheckable()) a->setChecked(state.checked);
    };
    for (const auto& [id, a] : m_actions)
        apply(id, a);
    const UndoStack& undo = m_session.undoStack();
    m_actions[kCmdUndo]->setText(EditCommandText(tr("&Undo"), SurveyTakesClicks() ? "Click" : undo.UndoText(),
                                                 QStringLiteral("Ctrl+Z")));
    m_actions[kCmdRedo]->setText(EditCommandText(tr("&Redo"), undo.RedoText(), QStringLiteral("Ctrl+Y")));
    for (std::size_t i = 0; i < m_recentActions.size(); ++i)
        apply(kFirstRecentId + static_cast<int>(i), m_recentActions[i]);
}

CommandState CMainFrame::OwnState(int id) const {
    const CPlotraDoc& doc = m_session.doc();
    // The window commands need data: loaded now, or loaded when the table was last shown.
    const bool anyData = doc.TableSwitch().dataLoaded != 0 || doc.Display().m_bDataLoaded != 0;
    switch (id) {
    case kCmdNewProject:
    case kCmdOpenProject:
    case kCmdSaveProject:
    case kCmdSaveProjectAs:
    case kCmdLoadMap:
    case kCmdLoadFloorPlan:
    case kCmdSelectMetric:
    case kCmdAbout:
    case kCmdHelpUsing:
    case kCmdExit:
        return {true, false};
    case kCmdProcessAgain:
        return {m_session.canProcessAgain() && m_kind == PaneKind::Graph, false};
    case kCmdPrintSetup:
        return {true, false};
    // The graph window saves its picture itself; elsewhere (the table window) the document saves the
    // picture the graph window last showed.
    case kCmdSaveGraphImage:
        return {!GraphPictureOf(doc).isNull(), false};
    // The table window hides the graph window's state, which an undo would write behind its back.
    case kCmdUndo:
        if (SurveyTakesClicks()) return {!m_survey->clicks().empty(), false};
        return {m_kind == PaneKind::Graph && m_session.undoStack().CanUndo(), false};
    case kCmdRedo:
        return {m_kind == PaneKind::Graph && m_session.undoStack().CanRedo(), false};
    case kCmdToolbar:
        return {true, m_toolBar && !m_toolBar->isHidden()};
    case kCmdStatusBar:
        return {true, !statusBar()->isHidden()};
    case kCmdPaletteClassic:
    case kCmdPaletteViridis:
    case kCmdPaletteCividis:
        return {true, m_session.palette() == PaletteOfCommand(id)};
    case kCmdStartSurvey:
        return {!(m_survey && m_survey->running()) && !m_session.jobRunning(), false};
    case kCmdStopSurvey:
        return {m_survey && m_survey->running(), false};
    case kCmdGraphWindow:
        // The way back from the table is always open: a processing cancelled while the table was
        // shown would otherwise leave no way to the graph window's commands.
        return {m_kind != PaneKind::Graph, false};
    case kCmdTableWindow:
        // A save on its way writes the graph window's flags, which the switch would put aside.
        return {m_kind != PaneKind::Table && anyData && !doc.JobReadsDocument(), false};
    // The report is the graph window's command.
    case kCmdCreateReport:
    case kCmdClientReport:
        return {m_kind == PaneKind::Graph && CanCreateReport(m_session), false};
    default:
        if (IsRecentId(id)) return {id - kFirstRecentId < m_recent.files().size(), false};
        return {false, false};
    }
}

bool CMainFrame::SurveyTakesClicks() const {
    return m_survey && m_survey->running() && m_survey->placesByClicks();
}

void CMainFrame::OnStartSurvey() {
    if (m_survey && m_survey->running()) return;
    LiveSurvey* previous = m_survey;
    LiveSurvey* started = StartSurvey(m_session, this);
    if (!started) return;
    if (previous) previous->deleteLater();
    m_survey = started;
    connect(started, &LiveSurvey::finished, this, &CMainFrame::refreshCommands);
    connect(started, &LiveSurvey::changed, this, &CMainFrame::refreshCommands);
}

void CMainFrame::RunOwnCommand(int id) {
    if (RunProjectCommand(id) || RunWindowCommand(id)) return;
    if (IsRecentId(id)) OpenRecentFile(id - kFirstRecentId);
}

bool CMainFrame::RunProjectCommand(int id) {
    CPlotraDoc& doc = m_session.doc();
    switch (id) {
    // Reading the survey files, the map and the workspace, and writing the workspace, run as jobs;
    // the window keeps answering meanwhile.
    case kCmdNewProject:
        m_session.newProject();
        return true;
    case kCmdOpenProject:
        m_session.openProject();
        return true;
    case kCmdSaveProject:
        m_session.saveProject(false);
        return true;
    case kCmdSaveProjectAs:
        m_session.saveProject(true);
        return true;
    case kCmdLoadMap:
        m_session.loadMap();
        return true;
    case kCmdUndo:
        // While an indoor survey runs, Undo takes back its last click (the project is not edited).
        if (SurveyTakesClicks())
            m_survey->undoClick();
        else
            m_session.undoStack().Undo();
        return true;
    case kCmdRedo:
        m_session.undoStack().Redo();
        return true;
    case kCmdLoadFloorPlan:
        LoadFloorPlan(m_session, this);
        return true;
    case kCmdProcessAgain:
        m_session.processAgain();
        return true;
    case kCmdSaveGraphImage:
        SaveGraphImage(doc, doc.Prompts());
        return true;
    case kCmdClientReport:
        ExportClientReport(m_session, this);
        return true;
    case kCmdCreateReport:
        CreateReport(m_session, this);
        return true;
    case kCmdStartSurvey:
        OnStartSurvey();
        return true;
    case kCmdStopSurvey:
        StopSurvey(m_survey);
        return true;
    default:
        return false;
    }
}

bool CMainFrame::RunWindowCommand(int id) {
    switch (id) {
    case kCmdPrintSetup:
        OnFilePrintSetup();
        return true;
    case kCmdSelectMetric:
        OnSelectMetric();
        return true;
    case kCmdGraphWindow:
        OnGraphWindow();
        return true;
    case kCmdTableWindow:
        OnTableWindow();
        return true;
    case kCmdAbout:
        OnAppAbout();
        return true;
    case kCmdHelpUsing:
        OnHelpUsing();
        return true;
    case kCmdExit:
        close();
        return true;
    case kCmdToolbar:
        m_toolBar->setHidden(!m_toolBar->isHidden());
        return true;
    case kCmdStatusBar:
        statusBar()->setHidden(!statusBar()->isHidden());
        return true;
    case kCmdPaletteClassic:
    case kCmdPaletteViridis:
    case kCmdPaletteCividis:
        m_session.setPalette(PaletteOfCommand(id));
        SavePaletteSetting(m_session.palette());
        return true;
    default:
        return false;
    }
}

} // namespace plotra::gui
