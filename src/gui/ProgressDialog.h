#pragma once
/// \brief The modeless progress window of every long calculation (CProgressDialog): a message line,
/// a bar and "Cancel". A calculation on a worker thread drives it through progress(), a Progress that
/// may be called from any thread: positions, texts, show and hide reach the dialog through its event
/// loop, so the window keeps painting and Cancel keeps working while the worker runs.

#include "model/Interfaces.h"

#include <QDialog>

#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace plotra::gui {

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent);
    ~ProgressDialog() override;

    /// The thread-safe side the calculations report to; its cancel flag is the dialog's cancel byte.
    Progress& progress();
    /// The same, for an owner that must reach it after the dialog is gone (a job that still runs).
    std::shared_ptr<Progress> sharedProgress() const;
    /// True after "Cancel" until the next calculation clears it.
    bool cancelRequested() const;

    int position() const;
    QString text() const;
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    /// "Cancel", the Escape key and closing the window: the cancel byte is set and the window hides.
    void reject() override;
    void setPosition(int percent);
    void setText(const QString& text);
    void showCentred();

private:
    class Sink;
    QLabel* m_text;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    std::shared_ptr<Sink> m_progress;
};

} // namespace plotra::gui
