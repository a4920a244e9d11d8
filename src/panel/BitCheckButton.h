#pragma once
/// \brief CBitCheckButton: a two-state toggle drawn entirely from a strip of three frames (up, down,
/// disabled). A click flips the state when the toggle is set to do so, and always tells the owner
/// (clicked). The Space key clicks too.

#include <QPixmap>
#include <QWidget>

namespace plotra::gui {

class CBitCheckButton : public QWidget {
    Q_OBJECT
  public:
    /// \p caption is not drawn; it names the toggle for the user (accessible name).
    explicit CBitCheckButton(const QString& caption, QWidget* parent = nullptr);

    /// The strip of three frames side by side; a frame is a third of its width.
    void LoadBitmaps(const QPixmap& strip);
    void SetToggle(bool toggles) { m_toggles = toggles; }
    /// 0 up, 1 down, 2 the third state.
    int GetCheck() const { return m_state; }
    /// States 0, 1 and 2 are stored; any other value is ignored (the picture is redrawn anyway).
    void SetCheck(int state);
    /// True when the state is exactly 1.
    bool IsDown() const { return m_state == 1; }
    QSize GetSize() const { return m_frame; }
    /// The frame the toggle shows: its state while enabled, 2 while disabled.
    int ShownFrame() const { return isEnabled() ? m_state : 2; }

    QSize sizeHint() const override { return m_frame.isValid() ? m_frame : QSize(32, 32); }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Click();

    QPixmap m_strip;
    QSize m_frame{0, 0};
    bool m_toggles = false;
    int m_state = 0;
};

} // namespace plotra::gui
