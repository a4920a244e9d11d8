#include "panel/MeasurementSection.h"

#include "gui/GuiSession.h"
#include "panel/ImageTextButton.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

bool operator==(const MeasurementTexts& a, const MeasurementTexts& b) {
    return a.northLabel == b.northLabel && a.westLabel == b.westLabel && a.southLabel == b.southLabel &&
           a.eastLabel == b.eastLabel && a.north == b.north && a.west == b.west && a.south == b.south &&
           a.east == b.east && a.areaLabel == b.areaLabel && a.height == b.height && a.width == b.width;
}

} // namespace

MeasurementSection::MeasurementSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : PanelSection(session, fonts, parent) {
    setObjectName("MeasurementSection");
    // Never taller than its contents: the spare height belongs to the tree.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = MakeHeader(this, "144", QStringLiteral("Measurement Information"));
    column->addWidget(m_header);

    m_body = new QWidget(this);
    auto* grid = new QGridLayout(m_body);
    grid->setContentsMargins(5, 3, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    auto label = [&](const QString& text) { return MakeLabel(m_body, text, fonts.text); };
    auto edit = [&](const char* id) {
        auto* e = new QLineEdit(m_body);
        e->setObjectName(id);
        e->setFont(fonts.edit);
        e->setReadOnly(true);
        e->setFixedWidth(68);
        return e;
    };
    m_labelNorth = label(QStringLiteral("North"));
    m_labelWest = label(QStringLiteral("West"));
    m_labelSouth = label(QStringLiteral("South"));
    m_labelEast = label(QStringLiteral("East"));
    m_editNorth = edit("103");
    m_editSouth = edit("107");
    m_editEast = edit("108");
    m_editWest = edit("109");
    grid->addWidget(m_labelNorth, 0, 0);
    grid->addWidget(m_editNorth, 0, 1);
    grid->addWidget(m_labelWest, 0, 2);
    grid->addWidget(m_editWest, 0, 3);
    grid->addWidget(m_labelSouth, 1, 0);
    grid->addWidget(m_editSouth, 1, 1);
    grid->addWidget(m_labelEast, 1, 2);
    grid->addWidget(m_editEast, 1, 3);
    grid->addWidget(MakeSeparator(m_body), 2, 0, 1, 4);
    m_labelArea = label(QStringLiteral("Area Size in Feet:"));
    grid->addWidget(m_labelArea, 3, 0, 1, 4);
    m_editHeight = edit("1020");
    m_editWidth = edit("1021");
    grid->addWidget(label(QStringLiteral("Height:")), 4, 0);
    grid->addWidget(m_editHeight, 4, 1);
    grid->addWidget(label(QStringLiteral("Width:")), 4, 2);
    grid->addWidget(m_editWidth, 4, 3);
    grid->addWidget(MakeSeparator(m_body), 5, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    column->addWidget(m_body);
    column->addWidget(m_gap = MakeGap(this, 30));

    connect(m_header, &QAbstractButton::clicked, this, [this] {
        Doc().ToggleSection(kSectionMeasurement);
        Refresh(false);
    });
    Refresh(true);
}

void MeasurementSection::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Everything:
    case DocChange::Frame:
    case DocChange::Projection:
    case DocChange::Selection: // the rectangle is drawn around the ticked APs
    case DocChange::Aps:
        Refresh(false);
        break;
    case DocChange::Display:
        if (DisplayConcerns(notice, DisplaySetting::Sections)) Refresh(false);
        break;
    default:
        break;
    }
}

void MeasurementSection::Refresh(bool force) {
    const CPlotraDoc& doc = Doc();
    const bool open = doc.SectionExpanded(kSectionMeasurement);
    // A closed section keeps the texts it showed last and shows the new ones when it opens.
    MeasurementTexts m;
    if (open) m = MeasurementValues(doc);
    const bool changed = open != m_open || (open && !(m_shownSet && m == m_shown));
    if (!force && !changed) return;
    if (changed) CountRebuild();
    m_open = open;
    ShowHeaderState(m_header, open);
    m_gap->setFixedHeight(open ? 14 : 30);
    m_body->setVisible(open);
    Relayout();
    if (!open) return;
    m_shown = m;
    m_shownSet = true;
    SetLabel(m_labelNorth, m.northLabel);
    SetLabel(m_labelWest, m.westLabel);
    SetLabel(m_labelSouth, m.southLabel);
    SetLabel(m_labelEast, m.eastLabel);
    SetLabel(m_labelArea, m.areaLabel);
    ShowText(m_editNorth, Q(m.north));
    ShowText(m_editWest, Q(m.west));
    ShowText(m_editSouth, Q(m.south));
    ShowText(m_editEast, Q(m.east));
    ShowText(m_editHeight, Q(m.height));
    ShowText(m_editWidth, Q(m.width));
}

} // namespace plotra::gui
