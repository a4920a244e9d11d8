#pragma once
/// \brief "AP Icon Options": the six marker icons an AP can be drawn with; a click picks one, the
/// chosen one is framed and shown again under "Selected".

#include <QDialog>
#include <QPoint>

#include <array>

class QPainter;

namespace plotra::gui {

class CDialogApicon : public QDialog {
    Q_OBJECT
  public:
    explicit CDialogApicon(QWidget* parent = nullptr);

    int m_nIconOption = 0; ///< 0..5, the place of the chosen icon
    int m_nIconId = 185;   ///< its icon id

    /// Icon ids and top-left corners of the six choices, and where the chosen one is repeated.
    static constexpr std::array<int, 6> kIconIds{185, 236, 237, 238, 239, 240};
    static constexpr std::array<QPoint, 6> kPlaces{QPoint(42, 40), QPoint(82, 40), QPoint(122, 40),
                                                   QPoint(42, 90), QPoint(82, 90), QPoint(122, 90)};
    static constexpr QPoint kSelectedPlace{82, 165};

    /// The choice at a client point: the index of the square it lies in, -1 between the squares.
    static int ChoiceAt(const QPoint& pos);

    /// Draws the six choices and the chosen icon (called by the dialog's icon layer).
    void paintIcons(QPainter& painter);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QWidget* m_board = nullptr;
};

} // namespace plotra::gui
