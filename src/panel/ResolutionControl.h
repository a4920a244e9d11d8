#pragma once
/// \brief CResolutionControl: a slider with one thumb that selects a real value shown with its unit
/// (grid divisions, labelled with the grid lines they give; the coverage cell size in metres or
/// feet). The thumb stands at a whole pixel 0..84 of
/// its track, and the value is (maximum - minimum) * position / 84 + minimum. A click on the small
/// mark at the left end puts the thumb back at the default value. The owner hears of every change
/// (notified, code 101, with the value).
///
/// Keyboard (a focused slider): Left/Right move the thumb by one pixel (by one whole count where the
/// owner takes the value as a count), Page Up/Page Down by ten pixels, Home/End to the ends, Backspace
/// resets to the default; each key that moves the thumb notifies once.

#include "panel/PanelArtwork.h"

#include <QImage>
#include <QWidget>

#include <optional>

namespace plotra::gui {

class CResolutionControl : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kTrack = 84;
    enum Drag { kNone = 0, kThumb = 1, kReset = 2 };

    explicit CResolutionControl(artwork::ResolutionArt art, QWidget* parent = nullptr);

    /// Unit, range and reset value; the thumb goes to (value - minimum) / (maximum - minimum) * 84,
    /// truncated.
    void SetParameters(double value, double minimum, double maximum, double defaultValue,
                       const QString& unit);
    /// Show the value without decimals ("%4.0f") or with one ("%4.1f").
    void SetWholeNumbers(bool whole);
    /// For a value its owner takes as a whole count (truncated): the label shows that count plus
    /// \p offset ("%4d"), so that it names what the count gives. The grid slider starts with -1:
    /// its value is the number of divisions, and the grid lines between the edges are one fewer.
    void SetCountShown(int offset);

    int Position() const { return m_pos; }
    /// The value of the thumb's position.
    double Value() const;
    double Minimum() const { return m_min; }
    double Maximum() const { return m_max; }
    double Default() const { return m_default; }
    QString Unit() const { return m_unit; }
    /// The value text as drawn: "%4.0f %s" or "%4.1f %s", or "%4d %s" with the count shown.
    QString ValueText() const;
    /// kThumb while the mouse holds the thumb, otherwise kNone (a reset happens at the press).
    int DragState() const { return m_drag; }
    /// The picture's size (the panel sizes the control with it).
    QSize GetSize() const { return m_body.size(); }
    /// What a press at \p point takes: kThumb, kReset or kNone.
    int HitTest(QPoint point) const;

    QSize sizeHint() const override { return GetSize(); }

  signals:
    /// Code 101 with the new value.
    void notified(double value);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int PositionOf(double value) const;
    /// Where one arrow key step in \p direction (+1 or -1) takes the thumb from \p pos.
    int StepFrom(int pos, int direction) const;
    void Reset();

    QImage m_body, m_thumb, m_resetMask;
    int m_pos = 0;
    int m_drag = kNone;
    int m_grab = 0;
    QString m_unit;
    double m_max = 10.0, m_min = 1.0, m_default = 5.0;
    bool m_whole = true;
    std::optional<int> m_countOffset;
};

} // namespace plotra::gui
