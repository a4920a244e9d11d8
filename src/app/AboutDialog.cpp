#include "app/AboutDialog.h"

#include "gui/Artwork.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace plotra::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("CAboutDlg");
    setWindowTitle(tr("About Hovrin Analyzer"));
    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(ApplicationIcon().pixmap(48, 48));
    auto* version = new QLabel(tr("Hovrin Analyzer Version 1.0.2"), this);
    version->setObjectName("version");
    auto* purpose = new QLabel(tr("Coverage, contours and reports from Wi-Fi site surveys"), this);
    purpose->setObjectName("purpose");
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(purpose, 1, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    setFixedSize(sizeHint());
}

} // namespace plotra::gui
