#pragma once
/// \brief The main window's panes, made by their own subsystems: the control panel on the left, and
/// on the right the graph window or the table window (the main window destroys and recreates the
/// right pane on every switch). Each pane that handles menu or toolbar commands implements
/// CommandTarget.

class QWidget;

namespace plotra::gui {

class GuiSession;

/// The control panel (left pane).
QWidget* CreateControlPanel(GuiSession& session, QWidget* parent);
/// The graph window (right pane).
QWidget* CreateGraphView(GuiSession& session, QWidget* parent);
/// The table window (right pane).
QWidget* CreateTableView(GuiSession& session, QWidget* parent);

} // namespace plotra::gui
