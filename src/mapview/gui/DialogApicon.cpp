#include "mapview/gui/DialogApicon.h"

#include "mapview/ApIcons.h"

#include <QGroupBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace plotra::gui {

namespace {

constexpr int kIcon = 32;

QGroupBox* Group(QWidget* parent, const char* title, const char* name, const QRect& rect) {
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(rect);
    // The icons are painted by the dialog under the frame; clicks go through to the dialog.
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

void DrawChoice(QPainter& p, const QPoint& place, int iconId, bool framed) {
    const QRect square(place, QSize(kIcon, kIcon));
    p.fillRect(square, Qt::white);
    p.drawImage(place, ApIcon(iconId));
    if (framed) {
        p.setPen(QPen(QColor(20, 20, 20), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(square.adjusted(-2, -2, 1, 1));
    }
}

// The icons lie above the group boxes, whose frames a style may fill with a tint.
class IconBoard : public QWidget {
  public:
    explicit IconBoard(CDialogApicon& dialog) : QWidget(&dialog), m_dialog(dialog) {
        setObjectName(QStringLiteral("Icons"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_dialog.paintIcons(p);
    }

  private:
    CDialogApicon& m_dialog;
};

} // namespace

CDialogApicon::CDialogApicon(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("241"));
    setWindowTitle(QStringLiteral("AP Icon Options"));
    setFixedSize(196, 262);
    Group(this, "Please select", "PleaseSelect", QRect(28, 16, 140, 122));
    Group(this, "Selected", "Selected", QRect(68, 145, 60, 64));
    m_board = new IconBoard(*this);
    m_board->setGeometry(rect());
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    ok->setGeometry(14, 222, 80, 26);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    cancel->setGeometry(102, 222, 80, 26);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

int CDialogApicon::ChoiceAt(const QPoint& pos) {
    for (std::size_t i = 0; i < kPlaces.size(); ++i)
        if (QRect(kPlaces[i], QSize(kIcon, kIcon)).contains(pos)) return static_cast<int>(i);
    return -1;
}

void CDialogApicon::mousePressEvent(QMouseEvent* event) {
    const int choice = ChoiceAt(event->position().toPoint());
    if (choice >= 0) {
        m_nIconOption = choice;
        m_nIconId = kIconIds[static_cast<std::size_t>(choice)];
    }
    m_board->update();
    QDialog::mousePressEvent(event);
}

void CDialogApicon::paintIcons(QPainter& p) {
    // An option from an old or damaged project that names no place shows the first icon chosen.
    if (m_nIconOption < 0 || m_nIconOption >= static_cast<int>(kPlaces.size())) {
        m_nIconOption = 0;
        m_nIconId = kIconIds[0];
    }
    for (std::size_t i = 0; i < kPlaces.size(); ++i)
        DrawChoice(p, kPlaces[i], kIconIds[i], static_cast<int>(i) == m_nIconOption);
    DrawChoice(p, kSelectedPlace, m_nIconId, true);
}

} // namespace plotra::gui
