#pragma once
/// \brief The view of the AP tree (ApTreeModel): tick boxes, icons and the filter. It never changes
/// a tick itself: a click on a tick box (or Space on the current row) tells the owner which row and
/// which tick the user asked for, the owner asks the document, and the document's notice brings the
/// row up to date (a refused edit leaves the tick as the document has it). A click on an icon, or a
/// right click on it, is told too; a click on the text tells nothing. A double click on a box is two
/// clicks. Every group stays expanded; after a reset the first group is at the top.

#include <QPersistentModelIndex>
#include <QTreeView>

namespace plotra::gui {

class ApTreeModel;

class ApTreeView : public QTreeView {
    Q_OBJECT
  public:
    explicit ApTreeView(ApTreeModel& model, QWidget* parent = nullptr);

    ApTreeModel& Model() const { return m_model; }

    /// What a point of the viewport hits: nothing, a row's tick box, its icon or its text.
    enum class Hit { None, TickBox, Icon, Text };
    Hit HitTest(const QPoint& viewportPoint, QModelIndex* index = nullptr) const;

    /// Shows only the APs whose MAC or SSID contains \p text (case-insensitive) and the groups with
    /// at least one of them shown; an empty text shows everything. The filter holds across resets.
    void SetFilter(const QString& text);
    const QString& Filter() const { return m_filter; }

  signals:
    /// The tick box of \p index was clicked: the user asks for \p ticked.
    void tickClicked(const QModelIndex& index, bool ticked);
    void iconClicked(const QModelIndex& index);
    void iconRightClicked(const QModelIndex& index);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    /// Makes \p index current and asks for the other tick.
    void ToggleTick(const QModelIndex& index);
    void AfterReset();
    /// Hides the rows the filter leaves out.
    void ApplyFilter();

    ApTreeModel& m_model;
    QString m_filter;
    /// The row whose tick box the button went down on (and toggled), until the button comes up.
    QPersistentModelIndex m_pressedTick;
};

} // namespace plotra::gui
