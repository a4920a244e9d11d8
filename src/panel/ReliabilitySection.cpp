#include "panel/ReliabilitySection.h"

#include "analysis/Reliability.h"
#include "gui/GuiSession.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

QString ReliabilityText(float value) {
    // Zero is what a new project holds: the field stays empty until the user types or a result comes.
    return value == 0.0f ? QString() : QString::number(static_cast<double>(value), 'g', 6);
}

} // namespace

ReliabilitySection::ReliabilitySection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : PanelSection(session, fonts, parent) {
    setObjectName("ReliabilitySection");
    // Never taller than its contents: the spare height belongs to the tree.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = MakeHeader(this, "101", QStringLiteral("Reliability Analysis"));
    column->addWidget(m_header);
    m_body = new QWidget(this);
    BuildBody();
    column->addWidget(m_body);
    column->addWidget(m_gap = MakeGap(this, 30));

    CPlotraDoc& doc = Doc();
    auto then = [this](auto&& f) {
        return [this, f] {
            f();
            Refresh(true);
        };
    };
    connect(m_header, &QAbstractButton::clicked, this,
            then([&doc] { doc.ToggleSection(kSectionReliability); }));
    connect(m_radioSingle, &QRadioButton::clicked, this, then([&doc] { doc.SetAnalysisMode(1); }));
    connect(m_radioGroup, &QRadioButton::clicked, this, then([&doc] { doc.SetAnalysisMode(2); }));
    connect(m_buttonToRadius, &QPushButton::clicked, this, [this] { OnReliability(false); });
    connect(m_buttonToProbability, &QPushButton::clicked, this, [this] { OnReliability(true); });
    Refresh(true);
    RefreshFields(true);
}

void ReliabilitySection::BuildBody() {
    QWidget* body = m_body;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(5, 3, 0, 0);
    column->setSpacing(2);
    auto label = [&](const QString& text) { return MakeLabel(body, text, Fonts().text); };
    auto edit = [&](const char* id, int width, bool readOnly) {
        auto* e = new QLineEdit(body);
        e->setObjectName(id);
        e->setFont(Fonts().edit);
        e->setFixedWidth(width);
        e->setReadOnly(readOnly);
        return e;
    };
    m_radioSingle = new QRadioButton(QStringLiteral("Single AP Analysis"), body);
    m_radioSingle->setObjectName("173");
    m_radioGroup = new QRadioButton(QStringLiteral("Group AP analysis"), body);
    m_radioGroup->setObjectName("174");
    for (QRadioButton* r : {m_radioSingle, m_radioGroup}) {
        r->setFont(Fonts().text);
        r->setAutoExclusive(false);
        column->addWidget(r);
    }
    column->addWidget(MakeSeparator(body));
    auto* threshold = new QHBoxLayout;
    m_editThreshold = edit("148", 50, false);
    threshold->addWidget(label(QStringLiteral("Power Threshold in dBm:")));
    threshold->addStretch(1);
    threshold->addWidget(m_editThreshold);
    column->addLayout(threshold);
    column->addWidget(MakeSeparator(body));
    auto* titles = new QHBoxLayout;
    m_labelRadius = label(QStringLiteral("Radius (feet)"));
    titles->addWidget(m_labelRadius);
    titles->addStretch(1);
    titles->addWidget(label(QStringLiteral("Bn. Reliability")));
    column->addLayout(titles);
    auto* fields = new QHBoxLayout;
    fields->setSpacing(2);
    m_editRadius = edit("153", 63, false);
    m_editProbability = edit("156", 63, false);
    m_buttonToRadius = new QPushButton(QStringLiteral("<-"), body);
    m_buttonToRadius->setObjectName("149");
    m_buttonToProbability = new QPushButton(QStringLiteral("->"), body);
    m_buttonToProbability->setObjectName("150");
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(1);
    for (QPushButton* b : {m_buttonToRadius, m_buttonToProbability}) {
        b->setFixedSize(68, 17);
        b->setFont(Fonts().text);
        arrows->addWidget(b);
    }
    m_buttonToRadius->setToolTip(QStringLiteral("Radius for the boundary reliability"));
    m_buttonToProbability->setToolTip(QStringLiteral("Reliabilities for the radius"));
    fields->addWidget(m_editRadius);
    fields->addLayout(arrows);
    fields->addWidget(m_editProbability);
    column->addLayout(fields);
    column->addWidget(MakeSeparator(body));
    auto* cell = new QHBoxLayout;
    m_editCell = edit("151", 55, true);
    cell->addWidget(label(QStringLiteral("Cell Reliability:")));
    cell->addStretch(1);
    cell->addWidget(m_editCell);
    column->addLayout(cell);
}

void ReliabilitySection::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Everything:
        Refresh(false);
        RefreshFields(true);
        break;
    case DocChange::Files:
    case DocChange::Projection:
        Refresh(false);
        break;
    case DocChange::Aps:
        if (notice.field == ApField::Reliability || notice.field == ApField::All) RefreshFields(false);
        break;
    case DocChange::Display:
        if (DisplayConcerns(notice, DisplaySetting::Sections) ||
            DisplayConcerns(notice, DisplaySetting::AnalysisMode))
            Refresh(false);
        break;
    default:
        break;
    }
}

void ReliabilitySection::Refresh(bool force) {
    const CPlotraDoc& doc = Doc();
    const bool data = doc.Display().m_bDataLoaded != 0;
    Shown now;
    now.open = doc.SectionExpanded(kSectionReliability);
    now.single = data && doc.Display().m_nAnalysisMode == 1;
    now.group = data && doc.Display().m_nAnalysisMode == 2;
    now.radiusLabel = RadiusLabel(doc);
    // A gesture shows its controls again (force); only a change of what they show counts.
    const bool changed = !(now == m_shown);
    if (!force && !changed) return;
    if (changed) CountRebuild();
    m_shown = now;
    ShowHeaderState(m_header, now.open);
    m_gap->setFixedHeight(now.open ? 20 : 30);
    m_body->setVisible(now.open);
    Relayout();
    m_radioSingle->setChecked(now.single);
    m_radioGroup->setChecked(now.group);
    SetLabel(m_labelRadius, now.radiusLabel);
}

void ReliabilitySection::RefreshFields(bool force) {
    const auto& values = Doc().Display().m_panel.m_afReliability;
    const bool changed = !m_valuesShown || values != m_shownValues;
    if (!force && !changed) return;
    if (changed) CountRebuild();
    const std::array<QLineEdit*, 4> edits{m_editRadius, m_editThreshold, m_editProbability, m_editCell};
    for (std::size_t k = 0; k < 4; ++k)
        if (force || !m_valuesShown || values[k] != m_shownValues[k])
            ShowText(edits[k], ReliabilityText(values[k]), true);
    m_shownValues = values;
    m_valuesShown = true;
}

void ReliabilitySection::OnReliability(bool fromRadius) {
    ReliabilityFields fields{m_editRadius->text().toStdString(), m_editThreshold->text().toStdString(),
                             m_editProbability->text().toStdString(), m_editCell->text().toStdString()};
    // The results are written from the fields below; the notice in between must not rewrite them.
    m_valuesShown = false;
    if (fromRadius)
        ReliabilityFromRadius(Doc(), fields);
    else
        RadiusFromReliability(Doc(), fields);
    if (fromRadius)
        ShowText(m_editProbability, Q(fields.probability), true);
    else
        ShowText(m_editRadius, Q(fields.radius), true);
    ShowText(m_editCell, Q(fields.cell), true);
    m_shownValues = Doc().Display().m_panel.m_afReliability;
    m_valuesShown = true;
    Refresh(false);
}

} // namespace plotra::gui
