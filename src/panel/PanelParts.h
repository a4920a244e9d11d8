#pragma once
/// \brief What the control panel's sections share: the base of a section (the session, the fonts,
/// the notices it listens to and a count of the times it changed what it shows), the header bars,
/// the separator lines and gaps, and the rule that an edit box shows a new text only when the
/// document's text for it changed.

#include "model/Notices.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <string>

class QLabel;
class QLineEdit;

namespace plotra {
class CPlotraDoc;
}

namespace plotra::gui {

class CImageTextButton;
class GuiSession;

/// The panel's text colour and the colour of a disabled header's text.
inline const QColor kPanelTextColour(20, 20, 200);
inline const QColor kHeaderDisabledText(200, 20, 20);
/// The width of a header bar; everything else fits inside it.
constexpr int kPanelColumnWidth = 210;

/// \brief The fonts and the line height every section is laid out in.
struct PanelFonts {
    QFont text;          ///< painted labels and radio buttons
    QFont edit;          ///< every edit box
    int lineHeight = 16; ///< the height of "XXXXX" in the panel's font
};

/// \brief One section of the panel: it listens to the document's notices itself and shows only
/// what changed. Rebuilds() counts the times it actually changed what it shows, so that a test can
/// tell which sections a notice reached.
class PanelSection : public QWidget {
    Q_OBJECT
  public:
    PanelSection(GuiSession& session, const PanelFonts& fonts, QWidget* parent);

    int Rebuilds() const { return m_rebuilds; }

  protected:
    /// Called for every notice; a section lets pass what it does not show.
    virtual void OnNotice(const ChangeNotice& notice) = 0;
    CPlotraDoc& Doc();
    GuiSession& Session() { return m_session; }
    const PanelFonts& Fonts() const { return m_fonts; }
    void CountRebuild() { ++m_rebuilds; }
    /// After a part was shown or hidden: the column takes the section's new height at once, not
    /// only once the event loop has run (a picture of the panel may be taken before).
    void Relayout();

  private:
    GuiSession& m_session;
    PanelFonts m_fonts;
    int m_rebuilds = 0;
};

/// The fonts of a panel whose own font is \p panelFont.
PanelFonts MakePanelFonts(const QFont& panelFont);

QString Q(const std::string& s);
/// A header bar named \p id with \p title, shown closed.
CImageTextButton* MakeHeader(QWidget* parent, const char* id, const QString& title);
/// Shows a header open or closed (its pictures change only when the state does).
void ShowHeaderState(CImageTextButton* header, bool open);
/// The separator line between the rows of a section.
QWidget* MakeSeparator(QWidget* parent);
/// An empty widget of a fixed height.
QWidget* MakeGap(QWidget* parent, int height);
/// A label in the panel's text font.
QLabel* MakeLabel(QWidget* parent, const QString& text, const QFont& font);
/// Sets an edit's text when the document's text for it changed since it was last shown, so that
/// what the user is typing survives notices about other things (\p force: set it anyway).
void ShowText(QLineEdit* edit, const QString& text, bool force = false);
void SetLabel(QLabel* label, const std::string& text);

/// True for a Display notice about \p setting, or about any setting.
inline bool DisplayConcerns(const ChangeNotice& notice, DisplaySetting setting) {
    return notice.what == DocChange::Display &&
           (notice.setting == setting || notice.setting == DisplaySetting::All);
}

} // namespace plotra::gui
