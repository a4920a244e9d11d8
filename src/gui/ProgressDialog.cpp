#include "gui/ProgressDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace plotra::gui {

/// Forwards a worker's reports to the dialog on the user-interface thread. It may outlive the dialog
/// (a job still reporting while the program closes): reports to a dialog that is gone are dropped.
class ProgressDialog::Sink : public Progress {
public:
    explicit Sink(ProgressDialog* dialog) : m_dialog(dialog) {}
    void setPosition(int percent) override {
        Post([percent](ProgressDialog* d) { d->setPosition(percent); });
    }
    void setText(const std::string& text) override {
        const QString t = QString::fromStdString(text);
        Post([t](ProgressDialog* d) { d->setText(t); });
    }
    void show() override {
        Post([](ProgressDialog* d) { d->showCentred(); });
    }
    void hide() override {
        Post([](ProgressDialog* d) { d->hide(); });
    }

private:
    template <class F> void Post(F f) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!app) return;
        if (QThread::currentThread() == app->thread()) {
            if (m_dialog) f(m_dialog.data());
            return;
        }
        // The application object outlives every job; the dialog is looked at on its own thread.
        QPointer<ProgressDialog> dialog = m_dialog;
        QMetaObject::invokeMethod(
            app,
            [dialog, f] {
                if (dialog) f(dialog.data());
            },
            Qt::QueuedConnection);
    }
    QPointer<ProgressDialog> m_dialog;
};

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent), m_progress(std::make_shared<Sink>(this)) {
    setObjectName("CProgressDialog");
    setModal(false);
    // No caption: a frame without title bar text, as the calculations' progress always was.
    setWindowTitle(QString());
    m_text = new QLabel(this);
    m_text->setObjectName("1068");
    m_text->setMinimumWidth(400);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName("1067");
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName("2");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::reject);
}

void ProgressDialog::reject() {
    m_progress->requestCancel();
    hide();
}

ProgressDialog::~ProgressDialog() = default;

Progress& ProgressDialog::progress() { return *m_progress; }

std::shared_ptr<Progress> ProgressDialog::sharedProgress() const { return m_progress; }

bool ProgressDialog::cancelRequested() const { return m_progress->cancelRequested(); }

int ProgressDialog::position() const { return m_bar->value(); }

QString ProgressDialog::text() const { return m_text->text(); }

void ProgressDialog::setPosition(int percent) { m_bar->setValue(qBound(0, percent, 100)); }

void ProgressDialog::setText(const QString& text) { m_text->setText(text); }

void ProgressDialog::showCentred() {
    show();
    if (QWidget* owner = parentWidget()) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        move(centre - rect().center());
    }
    raise();
}

} // namespace plotra::gui
