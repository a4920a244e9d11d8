#include "panel/SortingSection.h"

#include "gui/GuiSession.h"
#include "panel/ApTreeModel.h"
#include "panel/ApTreeView.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"
#include "panel/RangeControl.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace plotra::gui {

namespace {

bool SameTexts(const SelectedApTexts& a, const SelectedApTexts& b) {
    return a.yLabel == b.yLabel && a.xLabel == b.xLabel && a.y == b.y && a.x == b.x &&
           a.exponent == b.exponent && a.shadowing == b.shadowing;
}

} // namespace

SortingSection::SortingSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : PanelSection(session, fonts, parent), m_model(new ApTreeModel(session.doc(), this)) {
    setObjectName("SortingSection");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = MakeHeader(this, "171", QStringLiteral("AP Sorting & Selection"));
    column->addWidget(m_header);
    m_body = new QWidget(this);
    BuildControls(m_body);
    column->addWidget(m_body, 1);
    column->addWidget(MakeGap(this, 30));
    Connect();
    Refresh(true);
    RefreshSelectedAp(true);
}

void SortingSection::BuildControls(QWidget* body) {
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(5, 3, 0, 0);
    column->setSpacing(2);
    m_radioSsid = new QRadioButton(QStringLiteral("By SSID"), body);
    m_radioSsid->setObjectName("161");
    m_radioChannel = new QRadioButton(QStringLiteral("By Channel"), body);
    m_radioChannel->setObjectName("163");
    for (QRadioButton* r : {m_radioSsid, m_radioChannel}) {
        r->setFont(Fonts().text);
        r->setAutoExclusive(false); // the document's sort mode decides which one is checked
        column->addWidget(r);
    }
    auto* powerLabel = new QLabel(body);
    powerLabel->setObjectName("216");
    powerLabel->setTextFormat(Qt::PlainText);
    powerLabel->setText(QStringLiteral("        Select Power Range in dBm"));
    powerLabel->setFont(Fonts().text);
    column->addSpacing(4);
    column->addWidget(powerLabel);
    m_powerRange = new CRangeControl(artwork::RangeArt::PowerRange, -100, -30, QStringLiteral("dBm"), body);
    m_powerRange->setObjectName("215");
    m_powerRange->SetCaption(QStringLiteral("Power Range"));
    m_powerRange->SetValues(-100, -30);
    m_powerRange->setFixedSize(200, Fonts().lineHeight + 15);
    column->addWidget(m_powerRange);
    column->addSpacing(8);

    m_treeFilter = new QLineEdit(body);
    m_treeFilter->setObjectName("apFilter");
    m_treeFilter->setPlaceholderText(QStringLiteral("Filter by MAC or SSID"));
    m_treeFilter->setClearButtonEnabled(true);
    m_treeFilter->setFont(Fonts().edit);
    column->addWidget(m_treeFilter);

    m_tree = new ApTreeView(*m_model, body);
    m_tree->setObjectName("165");
    // At least the header's width, wider with the pane; long item texts scroll sideways. At least a
    // few rows high, and any height the pane has to spare: a survey can hold a thousand APs.
    m_tree->setMinimumWidth(208);
    m_tree->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setIndentation(14);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_tree->setPalette(palette);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    column->addWidget(m_tree, 1);
    column->addWidget(m_selectedApBlock = BuildSelectedApBlock());
}

QWidget* SortingSection::BuildSelectedApBlock() {
    auto* block = new QWidget(m_body);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 8, 0, 0);
    column->setSpacing(2);
    auto label = [&](const QString& text) { return MakeLabel(block, text, Fonts().text); };
    column->addWidget(label(QStringLiteral("Location of Selected AP")));
    auto* location = new QGridLayout;
    location->setHorizontalSpacing(4);
    location->setVerticalSpacing(2);
    m_labelApY = label(QStringLiteral("Lat:"));
    m_labelApX = label(QStringLiteral("Lon:"));
    m_editApY = new QLineEdit(block);
    m_editApY->setObjectName("114");
    m_editApX = new QLineEdit(block);
    m_editApX->setObjectName("115");
    for (QLineEdit* e : {m_editApY, m_editApX}) {
        e->setFont(Fonts().edit);
        e->setFixedWidth(92);
    }
    m_inputPosition = new CImageTextButton(QStringLiteral("Input AP Position"), block);
    m_inputPosition->setObjectName("242");
    m_inputPosition->setToolTip(QStringLiteral("Input AP Position"));
    m_inputPosition->SetImages(artwork::InputPositionPicture(false), artwork::InputPositionPicture(true));
    location->addWidget(m_labelApY, 0, 0);
    location->addWidget(m_editApY, 0, 1);
    location->addWidget(m_labelApX, 1, 0);
    location->addWidget(m_editApX, 1, 1);
    location->addWidget(m_inputPosition, 0, 2, 2, 1, Qt::AlignCenter);
    location->setColumnStretch(0, 1);
    column->addLayout(location);
    column->addWidget(MakeSeparator(block));
    auto* model = new QGridLayout;
    model->setHorizontalSpacing(4);
    model->setVerticalSpacing(2);
    m_editExponent = new QLineEdit(block);
    m_editExponent->setObjectName("124");
    m_editShadowing = new QLineEdit(block);
    m_editShadowing->setObjectName("125");
    for (QLineEdit* e : {m_editExponent, m_editShadowing}) {
        e->setFont(Fonts().edit);
        e->setReadOnly(true);
        e->setFixedWidth(47);
    }
    model->addWidget(label(QStringLiteral("Path Loss Exponent:")), 0, 0);
    model->addWidget(m_editExponent, 0, 1);
    model->addWidget(label(QStringLiteral("Shadowing Std. in dB:")), 1, 0);
    model->addWidget(m_editShadowing, 1, 1);
    model->setColumnStretch(0, 1);
    column->addLayout(model);
    column->addWidget(MakeSeparator(block));
    return block;
}

void SortingSection::Connect() {
    CPlotraDoc& doc = Doc();
    // A gesture the document refused without a notice must not leave a control as the click left it.
    auto then = [this](auto&& f) {
        return [this, f] {
            f();
            Refresh(true);
        };
    };
    connect(m_header, &QAbstractButton::clicked, this, then([&doc] { doc.ToggleSection(kSectionSorting); }));
    connect(m_radioSsid, &QRadioButton::clicked, this, then([&doc] { doc.SetSortMode(1); }));
    connect(m_radioChannel, &QRadioButton::clicked, this, then([&doc] { doc.SetSortMode(2); }));
    connect(m_powerRange, &CRangeControl::notified, this, then([&doc, this] {
                if (m_powerRange->DragState() == CRangeControl::kLowThumb)
                    doc.SetPowerRange(m_powerRange->LowValue(), doc.Display().m_nPowerRangeHigh);
                else if (m_powerRange->DragState() == CRangeControl::kHighThumb)
                    doc.SetPowerRange(doc.Display().m_nPowerRangeLow, m_powerRange->HighValue());
            }));
    connect(m_inputPosition, &QAbstractButton::clicked, this, &SortingSection::OnInputApPosition);
    connect(m_editApY, &QLineEdit::returnPressed, this, &SortingSection::OnInputApPosition);
    connect(m_editApX, &QLineEdit::returnPressed, this, &SortingSection::OnInputApPosition);
    connect(m_treeFilter, &QLineEdit::textChanged, m_tree, &ApTreeView::SetFilter);
    connect(m_tree, &ApTreeView::tickClicked, this, &SortingSection::OnTickClicked);
    connect(m_tree, &ApTreeView::iconClicked, this,
            [&doc](const QModelIndex& index) { doc.ClickTreeIcon(ApTreeModel::ItemData(index) < 0); });
    connect(m_tree, &ApTreeView::iconRightClicked, this, &SortingSection::OnIconRightClicked);
}

void SortingSection::OnNotice(const ChangeNotice& notice) {
    m_model->OnNotice(notice);
    switch (notice.what) {
    case DocChange::Everything:
        Refresh(false);
        RefreshSelectedAp(true);
        break;
    case DocChange::Groups:
        Refresh(false);
        break;
    case DocChange::Files:
    case DocChange::Projection:
        Refresh(false);
        RefreshSelectedAp(false);
        break;
    case DocChange::Selection:
        RefreshSelectedAp(false);
        break;
    case DocChange::Aps:
        // A move or a refit replaces the location even while the user types another one.
        RefreshSelectedAp(notice.field == ApField::Position || notice.field == ApField::Model ||
                          notice.field == ApField::All);
        break;
    case DocChange::Display:
        if (DisplayConcerns(notice, DisplaySetting::Sections) ||
            DisplayConcerns(notice, DisplaySetting::PowerRange)) {
            Refresh(false);
            // The unit and the switch to the table window come as notices about every setting.
            if (notice.setting == DisplaySetting::All) RefreshSelectedAp(false);
        }
        break;
    default:
        break;
    }
}

void SortingSection::Refresh(bool force) {
    const CPlotraDoc& doc = Doc();
    Shown now;
    now.open = doc.SectionExpanded(kSectionSorting);
    now.sortMode = doc.Display().m_nSortMode;
    now.powerLow = doc.Display().m_nPowerRangeLow;
    now.powerHigh = doc.Display().m_nPowerRangeHigh;
    now.treeRows = static_cast<int>(std::min<std::size_t>(doc.Aps().m_aAPs.size(), 5));
    // A gesture shows its controls again (force); only a change of what they show counts.
    const bool changed = !(now == m_shown);
    if (!force && !changed) return;
    if (changed) CountRebuild();
    m_shown = now;
    ShowHeaderState(m_header, now.open);
    m_body->setVisible(now.open);
    Relayout();
    m_radioSsid->setChecked(now.sortMode == 1);
    m_radioChannel->setChecked(now.sortMode == 2);
    if (!m_powerRange->Dragging()) m_powerRange->SetValues(now.powerLow, now.powerHigh);
    m_tree->setMinimumHeight((now.treeRows + 3) * Fonts().lineHeight);
    // Open, it takes the spare height for its tree; closed, it stays as tall as its header.
    setSizePolicy(QSizePolicy::Preferred, now.open ? QSizePolicy::Preferred : QSizePolicy::Maximum);
    if (m_open != now.open) {
        m_open = now.open;
        emit openChanged(now.open);
    }
}

void SortingSection::RefreshSelectedAp(bool force) {
    const CPlotraDoc& doc = Doc();
    const bool shown = SelectedApShown(doc);
    const SelectedApTexts t = SelectedApValues(doc, doc.Display().m_panel.m_nSelectedAP);
    const bool changed = shown != m_selectedShown || (shown && !SameTexts(t, m_selectedTexts));
    if (!force && !changed) return;
    if (changed) ++m_selectedRebuilds;
    m_selectedShown = shown;
    m_selectedApBlock->setVisible(shown);
    Relayout();
    if (!shown && !force) return;
    m_selectedTexts = t;
    SetLabel(m_labelApY, t.yLabel);
    SetLabel(m_labelApX, t.xLabel);
    ShowText(m_editApY, Q(t.y), force);
    ShowText(m_editApX, Q(t.x), force);
    ShowText(m_editExponent, Q(t.exponent), force);
    ShowText(m_editShadowing, Q(t.shadowing), force);
}

void SortingSection::OnTickClicked(const QModelIndex& index, bool ticked) {
    const int data = ApTreeModel::ItemData(index);
    // The notice brings the rows up to date; a refused edit sends one that shows the document's ticks.
    if (data < 0)
        Doc().SetGroupTicked(-1 - data, ticked);
    else
        Doc().SetApTicked(data, ticked);
}

void SortingSection::OnIconRightClicked(const QModelIndex& index) {
    const int data = ApTreeModel::ItemData(index);
    const bool group = data < 0;
    const int item = group ? -1 - data : data;
    std::optional<COLORREF> chosen;
    if (const std::optional<COLORREF> current = Doc().TreeIconColour(group, item)) {
        QColorDialog dialog(QColor(RedOf(*current), GreenOf(*current), BlueOf(*current)));
        dialog.setObjectName("CColorDialog");
        if (dialog.exec() == QDialog::Accepted) {
            const QColor c = dialog.selectedColor();
            chosen = Rgb(c.red(), c.green(), c.blue());
        }
    }
    // Also without a dialog, and after Cancel: the combined display is dropped and the views redrawn.
    Doc().SetTreeIconColour(group, item, chosen);
}

void SortingSection::OnInputApPosition() {
    if (!SelectedApShown(Doc())) return;
    Doc().TypeApPosition(m_editApY->text().toStdString(), m_editApX->text().toStdString());
    // Accepted, refused or ignored: the edits show where the AP is now.
    RefreshSelectedAp(true);
}

} // namespace plotra::gui
