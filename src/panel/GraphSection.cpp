#include "panel/GraphSection.h"

#include "gui/GuiSession.h"
#include "panel/BitCheckButton.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"
#include "panel/PanelTexts.h"
#include "panel/RangeControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plotra::gui {

GraphSection::GraphSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : PanelSection(session, fonts, parent) {
    setObjectName("GraphSection");
    // Never taller than its contents: the spare height belongs to the tree.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = MakeHeader(this, "169", QStringLiteral("Graph Selection"));
    column->addWidget(m_header);
    column->addWidget(BuildBody());
    Connect();
    Refresh(true);
}

QWidget* GraphSection::BuildBody() {
    auto* part = new QWidget(this);
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(5, 2, 0, 0);
    column->setSpacing(2);
    m_radios = new QWidget(part);
    auto* radios = new QVBoxLayout(m_radios);
    radios->setContentsMargins(0, 0, 0, 0);
    radios->setSpacing(0);
    // The radios' control ids, in kGraphKinds order.
    constexpr std::array<const char*, kGraphKinds.size()> kRadioIds{"176", "178", "180"};
    for (std::size_t i = 0; i < kGraphKinds.size(); ++i) {
        const GraphFacts& graph = FactsOf(kGraphKinds[i]);
        auto* r = new QRadioButton(Q(std::string(graph.caption)), m_radios);
        r->setObjectName(kRadioIds[i]);
        r->setFont(Fonts().text);
        r->setAutoExclusive(false);
        radios->addWidget(r);
        // A graph the panel does not offer keeps its radio, never shown.
        if (!graph.panelChoice) r->hide();
        m_graphRadios[i] = r;
    }
    column->addWidget(m_radios);
    column->addSpacing(6);

    auto toggle = [&](const char* id, const QString& caption, artwork::ToggleArt art) {
        auto* t = new CBitCheckButton(caption, part);
        t->setObjectName(id);
        t->LoadBitmaps(artwork::ToggleStrip(art));
        t->SetToggle(true);
        t->setToolTip(caption);
        return t;
    };
    m_toggleMultiContours =
        toggle("141", QStringLiteral("Multiple contours"), artwork::ToggleArt::MultiContours);
    m_toggleOverlay = toggle("183", QStringLiteral("Coverage overlay"), artwork::ToggleArt::CoverageOverlay);
    auto* toggles = new QHBoxLayout;
    toggles->setContentsMargins(40, 0, 0, 0);
    toggles->addWidget(m_toggleMultiContours);
    toggles->addSpacing(38);
    toggles->addWidget(m_toggleOverlay);
    toggles->addStretch(1);
    column->addLayout(toggles);
    column->addSpacing(4);
    auto* contourLabel = MakeLabel(part, QStringLiteral("Contour"), Fonts().text);
    contourLabel->setObjectName("138");
    column->addWidget(contourLabel);
    m_contour = new CRangeControl(artwork::RangeArt::Contour, -100, -30, QStringLiteral("dBm"), part);
    m_contour->setObjectName("140");
    m_contour->SetValues(-100, -30);
    m_contour->SetBackColour(QColor(128, 200, 0));
    m_contour->SetBandColour(QColor(128, 200, 0));
    m_contour->setFixedSize(200, Fonts().lineHeight + 12);
    column->addWidget(m_contour);
    m_labelContourCaption = new QLabel(part);
    m_labelContourCaption->setFont(Fonts().text);
    column->addWidget(m_labelContourCaption);
    return part;
}

void GraphSection::Connect() {
    CPlotraDoc& doc = Doc();
    // A gesture the document refused without a notice must not leave a control as the click left it.
    auto then = [this](auto&& f) {
        return [this, f] {
            f();
            Refresh(true);
        };
    };
    connect(m_header, &QAbstractButton::clicked, this, then([&doc] { doc.ToggleSection(kSectionGraph); }));
    for (std::size_t i = 0; i < kGraphKinds.size(); ++i)
        connect(m_graphRadios[i], &QRadioButton::clicked, this,
                then([&doc, kind = kGraphKinds[i]] { doc.SetGraphType(kind); }));
    connect(m_toggleOverlay, &CBitCheckButton::clicked, this, then([&doc, this] {
                doc.SetDisplayFlag(DisplayFlag::CoverageOverlay, m_toggleOverlay->IsDown());
            }));
    connect(m_toggleMultiContours, &CBitCheckButton::clicked, this,
            then([&doc, this] { doc.SetMultipleContours(m_toggleMultiContours->IsDown()); }));
    connect(m_contour, &CRangeControl::notified, this, then([&doc, this] {
                const bool high = m_contour->DragState() == CRangeControl::kHighThumb;
                if (m_contour->DragState() != CRangeControl::kNone)
                    doc.SetThreshold(high, high ? m_contour->HighValue() : m_contour->LowValue());
            }));
}

void GraphSection::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Display:
        if (notice.setting == DisplaySetting::All || notice.setting == DisplaySetting::Sections ||
            notice.setting == DisplaySetting::DisplayMode || notice.setting == DisplaySetting::GraphType ||
            notice.setting == DisplaySetting::Flag)
            Refresh(false);
        break;
    case DocChange::Notes:
        break;
    default:
        // A new coverage, and every edit that leaves it stale: ticks, colours, moved APs.
        Refresh(false);
        break;
    }
}

void GraphSection::Refresh(bool force) {
    const CPlotraDoc& doc = Doc();
    Shown now;
    now.combined = doc.Display().m_bCombined != 0;
    now.open = doc.SectionExpanded(kSectionGraph);
    now.graph = doc.Graph();
    now.multi = doc.Display().m_bMultiContours != 0;
    now.overlay = doc.Display().m_bCoverageOverlay != 0;
    const auto [low, high] = doc.ContourSliderRange();
    now.low = low, now.high = high;
    now.contourLow = doc.Display().m_panel.m_nContourLow;
    now.contourHigh = doc.Display().m_panel.m_nContourHigh;
    // A gesture shows its controls again (force); only a change of what they show counts.
    const bool changed = !(now == m_shown);
    if (!force && !changed) return;
    if (changed) CountRebuild();
    m_shown = now;
    setVisible(now.combined);
    ShowHeaderState(m_header, now.open);
    const GraphFacts& graph = FactsOf(now.graph);
    const QString graphName = Q(std::string(graph.caption));
    if (m_header->DrawnText() != graphName) {
        m_header->SetText(graphName);
        m_header->setText(graphName);
    }
    m_radios->setVisible(now.open);
    Relayout();
    for (std::size_t i = 0; i < kGraphKinds.size(); ++i)
        m_graphRadios[i]->setChecked(kGraphKinds[i] == now.graph);
    m_toggleMultiContours->SetCheck(now.multi ? 1 : 0);
    m_toggleOverlay->SetCheck(now.overlay ? 1 : 0);
    // The overlay applies to the plain coverage; the multiple contours draw their own areas.
    m_toggleOverlay->setEnabled(!now.multi);
    if (!m_contour->Dragging()) {
        m_contour->SetRange(now.low, now.high);
        m_contour->SetValues(now.contourLow, now.contourHigh);
        m_contour->SetUnit(Q(std::string(graph.unit)));
    }
    const QString caption =
        now.combined ? Q(std::string(graph.contourCaption)) : QStringLiteral("Show Contour");
    m_contour->SetCaption(caption);
    if (m_labelContourCaption->text() != caption) m_labelContourCaption->setText(caption);
}

} // namespace plotra::gui
