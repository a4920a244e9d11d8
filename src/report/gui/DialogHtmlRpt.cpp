#include "report/gui/DialogHtmlRpt.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace plotra::gui {

namespace {
constexpr int kFirstId = 1099;
} // namespace

CDialogHtmlRpt::CDialogHtmlRpt(QWidget* parent) : QDialog(parent) {
    setObjectName("CDialogHtmlRpt");
    setWindowTitle(tr("Html Report Options"));
    const char* texts[] = {
        "Show Selected Files", "Show AP's Information",           "Show Walk/Drive Path",
        "Show AP's Coverage",  "Show Contour of Signal Strength", "Show Contour of # of APs"};
    auto* boxes = new QVBoxLayout;
    for (int i = 0; i < 6; ++i) {
        m_boxes[static_cast<std::size_t>(i)] = new QCheckBox(tr(texts[i]), this);
        m_boxes[static_cast<std::size_t>(i)]->setObjectName(QString::number(kFirstId + i));
        m_boxes[static_cast<std::size_t>(i)]->setChecked(true);
        boxes->addWidget(m_boxes[static_cast<std::size_t>(i)]);
    }
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName("2");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(boxes);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setCoverageReady(false);
}

void CDialogHtmlRpt::setCoverageReady(bool ready) {
    // The boxes keep their ticks; only whether they can be changed follows the coverage.
    m_boxes[4]->setEnabled(ready);
    m_boxes[5]->setEnabled(ready);
}

QCheckBox* CDialogHtmlRpt::box(int id) const {
    const int i = id - kFirstId;
    return i >= 0 && i < 6 ? m_boxes[static_cast<std::size_t>(i)] : nullptr;
}

ReportOptions CDialogHtmlRpt::options() const {
    ReportOptions o;
    o.files = m_boxes[0]->isChecked();
    o.apInfo = m_boxes[1]->isChecked();
    o.walkPath = m_boxes[2]->isChecked();
    o.apCoverage = m_boxes[3]->isChecked();
    o.signalContours = m_boxes[4]->isChecked();
    o.countContours = m_boxes[5]->isChecked();
    return o;
}

} // namespace plotra::gui
