#include "panel/PanelParts.h"

#include "gui/GuiSession.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>

#include <array>

namespace plotra::gui {

namespace {

/// The separator lines between the rows of a section.
class Separator : public QWidget {
  public:
    explicit Separator(QWidget* parent) : QWidget(parent) { setFixedHeight(6); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(QColor(200, 200, 20), 2));
        p.drawLine(5, 3, width() - 2, 3);
    }
};

/// Header bar pictures: open/closed x normal/pressed, made once.
const QPixmap& HeaderPixmap(bool open, bool pressed) {
    static const std::array<QPixmap, 4> pictures{
        artwork::HeaderPicture(false, false), artwork::HeaderPicture(false, true),
        artwork::HeaderPicture(true, false), artwork::HeaderPicture(true, true)};
    return pictures[(open ? 2u : 0u) + (pressed ? 1u : 0u)];
}

/// The edit boxes' font: the default face whose lines (ascent and descent) are 15 pixels high, or
/// the largest size below that when the face has no such size.
QFont EditFont() {
    constexpr int kLineHeight = 15;
    QFont font;
    int size = kLineHeight;
    for (; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= kLineHeight) break;
    }
    font.setPixelSize(size);
    return font;
}

} // namespace

PanelSection::PanelSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : QWidget(parent), m_session(session), m_fonts(fonts) {
    connect(&session.notices(), &DocumentSignals::changed, this,
            [this](const ChangeNotice& notice) { OnNotice(notice); });
}

CPlotraDoc& PanelSection::Doc() {
    return m_session.doc();
}

void PanelSection::Relayout() {
    if (layout()) layout()->invalidate();
    updateGeometry();
}

PanelFonts MakePanelFonts(const QFont& panelFont) {
    PanelFonts fonts;
    fonts.text = QFont(QStringLiteral("Arial"));
    fonts.text.setPointSize(9);
    fonts.edit = EditFont();
    fonts.lineHeight = QFontMetrics(panelFont).boundingRect(QStringLiteral("XXXXX")).height();
    return fonts;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

CImageTextButton* MakeHeader(QWidget* parent, const char* id, const QString& title) {
    auto* h = new CImageTextButton(title, parent);
    h->setObjectName(id);
    h->SetText(title);
    h->SetTextColours(kPanelTextColour, kHeaderDisabledText);
    h->SetTextPos(20, 1);
    h->SetFont(QStringLiteral("Arial"), 16);
    ShowHeaderState(h, false);
    return h;
}

void ShowHeaderState(CImageTextButton* header, bool open) {
    const bool wasOpen = header->property("open").toBool();
    if (header->ImageCount() > 0 && wasOpen == open) return;
    header->setProperty("open", open);
    header->SetImages(HeaderPixmap(open, false), HeaderPixmap(open, true));
}

QWidget* MakeSeparator(QWidget* parent) {
    return new Separator(parent);
}

QWidget* MakeGap(QWidget* parent, int height) {
    auto* gap = new QWidget(parent);
    gap->setFixedHeight(height);
    return gap;
}

QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    return l;
}

void ShowText(QLineEdit* edit, const QString& text, bool force) {
    if (!force && edit->property("shown").toString() == text && edit->property("shownSet").toBool()) return;
    edit->setProperty("shown", text);
    edit->setProperty("shownSet", true);
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SetLabel(QLabel* label, const std::string& text) {
    const QString t = Q(text);
    if (label->text() != t) label->setText(t);
}

} // namespace plotra::gui
