#include "panel/UnitDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace plotra::gui {

CUnitDialog::CUnitDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("CUnitDialog");
    // Named after the command that opens it: without a caption of its own the window would carry
    // the program's name, which says nothing about the choice.
    setWindowTitle(tr("Select the metric"));
    auto* label = new QLabel(tr("Metric Selection"), this);
    label->setObjectName("metricLabel");
    m_combo = new QComboBox(this);
    m_combo->setObjectName("1079");
    m_combo->addItems({tr("Feet"), tr("Meter")});
    m_combo->setMinimumWidth(180);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_combo);
    layout->addSpacing(6);
    layout->addWidget(ok, 0, Qt::AlignRight);

    connect(m_combo, &QComboBox::currentIndexChanged, this, [this](int line) {
        if (line >= 0) m_nSelection = line;
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setSelection(kFeet);
}

void CUnitDialog::setSelection(int line) {
    m_nSelection = line == kMeter ? kMeter : kFeet;
    m_combo->setCurrentIndex(m_nSelection);
}

} // namespace plotra::gui
