#include "mapview/gui/RulerDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string S(const QLineEdit* edit) {
    return edit->text().toStdString();
}

} // namespace

CRulerDlg::CRulerDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("137"));
    setWindowTitle(QStringLiteral("Ruler"));

    auto* input = new QGroupBox(QStringLiteral("Input"), this);
    input->setObjectName(QStringLiteral("Input"));
    auto* grid = new QGridLayout(input);
    auto pointLabel = [&](const char* first, const char* name) {
        auto* label = new QLabel(QString::fromLatin1(first) + QStringLiteral("\nPoint"), input);
        label->setObjectName(QString::fromLatin1(name));
        return label;
    };
    grid->addWidget(pointLabel("First ", "FirstPoint"), 0, 0);
    grid->addWidget(pointLabel("Second ", "SecondPoint"), 1, 0);
    const int leftLabels[2] = {1082, 1083}, rightLabels[2] = {1084, 1085};
    const int firstIds[2] = {1023, 1025}, secondIds[2] = {1024, 1026};
    for (int row = 0; row < 2; ++row) {
        m_leftLabel[row] = AddField(leftLabels[row], true);
        m_rightLabel[row] = AddField(rightLabels[row], true);
        for (QLineEdit* label : {m_leftLabel[row], m_rightLabel[row]}) {
            label->setMaximumWidth(34);
            label->setAlignment(Qt::AlignCenter);
            label->setFrame(false);
        }
    }
    for (int side = 0; side < 2; ++side) {
        m_first[side] = AddField(firstIds[side], false);
        m_second[side] = AddField(secondIds[side], false);
    }
    for (int row = 0; row < 2; ++row) {
        QLineEdit* const* values = row == 0 ? m_first : m_second;
        grid->addWidget(m_leftLabel[row], row, 1);
        grid->addWidget(values[0], row, 2);
        grid->addWidget(m_rightLabel[row], row, 3);
        grid->addWidget(values[1], row, 4);
    }

    auto* output = new QGroupBox(QStringLiteral("Output"), this);
    output->setObjectName(QStringLiteral("Output"));
    auto* out = new QHBoxLayout(output);
    m_distanceLabel = AddField(1066, true);
    m_distanceLabel->setFrame(false);
    m_distanceLabel->setMinimumWidth(110);
    m_distance = AddField(1022, false);
    m_calculation = new QPushButton(QStringLiteral("Calculation"), output);
    m_calculation->setObjectName(QStringLiteral("1042"));
    m_calculation->setAutoDefault(false);
    out->addWidget(m_distanceLabel);
    out->addWidget(m_distance, 1);
    out->addWidget(m_calculation);
    connect(m_calculation, &QPushButton::clicked, this, &CRulerDlg::calculate);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* fields = new QVBoxLayout;
    fields->addWidget(input);
    fields->addWidget(output);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* main = new QHBoxLayout(this);
    main->addLayout(fields, 1);
    main->addLayout(buttons);
    setMinimumWidth(420);
}

QLineEdit* CRulerDlg::AddField(int id, bool readOnly) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(readOnly);
    if (readOnly) {
        // Labels that happen to be edits: no box of their own.
        edit->setFocusPolicy(Qt::NoFocus);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        edit->setPalette(palette);
    }
    return edit;
}

QLineEdit* CRulerDlg::field(int id) const {
    return findChild<QLineEdit*>(QString::number(id));
}

void CRulerDlg::setReading(const RulerReading& reading) {
    m_bMetric = reading.metric;
    m_unit = reading.unit;
    for (int row = 0; row < 2; ++row) {
        m_leftLabel[row]->setText(Q(reading.leftLabel));
        m_rightLabel[row]->setText(Q(reading.rightLabel));
    }
    m_first[0]->setText(Q(reading.left1));
    m_first[1]->setText(Q(reading.right1));
    m_second[0]->setText(Q(reading.left2));
    m_second[1]->setText(Q(reading.right2));
    m_distanceLabel->setText(Q(reading.distanceLabel));
    m_distance->setText(Q(reading.distance));
}

void CRulerDlg::calculate() {
    m_distance->setText(
        Q(RulerDistance(m_bMetric, m_unit, S(m_first[0]), S(m_first[1]), S(m_second[0]), S(m_second[1]))));
}

} // namespace plotra::gui
