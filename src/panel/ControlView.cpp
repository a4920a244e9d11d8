#include "panel/ControlView.h"

#include "panel/DisplaySection.h"
#include "panel/GraphSection.h"
#include "panel/MeasurementSection.h"
#include "panel/ReliabilitySection.h"
#include "panel/SortingSection.h"

#include <QScrollBar>
#include <QVBoxLayout>

namespace plotra::gui {

CControlView::CControlView(GuiSession& session, QWidget* parent) : QScrollArea(parent) {
    setObjectName("CControlView");
    const PanelFonts fonts = MakePanelFonts(font());
    m_lineHeight = fonts.lineHeight;

    m_content = new QWidget(this);
    m_content->setObjectName("CControlViewContent");
    m_content->setAutoFillBackground(true);
    QPalette palette = m_content->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, kPanelTextColour);
    m_content->setPalette(palette);

    m_column = new QVBoxLayout(m_content);
    m_column->setContentsMargins(5, 4, 5, 20);
    m_column->setSpacing(0);
    m_column->setSizeConstraint(QLayout::SetMinAndMaxSize);
    m_column->addWidget(m_measurement = new MeasurementSection(session, fonts, m_content));
    m_column->addWidget(m_sorting = new SortingSection(session, fonts, m_content));
    m_column->addWidget(m_reliability = new ReliabilitySection(session, fonts, m_content));
    m_column->addWidget(m_display = new DisplaySection(session, fonts, m_content));
    m_column->addWidget(m_graph = new GraphSection(session, fonts, m_content));
    // The spare height while the sorting section is closed; an open one takes it for its tree.
    m_column->addStretch(0);
    auto stretchSorting = [this](bool open) { m_column->setStretchFactor(m_sorting, open ? 1 : 0); };
    connect(m_sorting, &SortingSection::openChanged, this, stretchSorting);
    stretchSorting(m_sorting->IsOpen());

    setWidget(m_content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    setFrameShape(QFrame::NoFrame);
    setMinimumWidth(kPanelColumnWidth + 12 + verticalScrollBar()->sizeHint().width());
}

CControlView::~CControlView() = default;

ApTreeModel& CControlView::TreeModel() {
    return m_sorting->TreeModel();
}

ApTreeView& CControlView::TreeView() {
    return m_sorting->TreeView();
}

} // namespace plotra::gui
