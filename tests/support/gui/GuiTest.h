#pragma once
/// \brief Helpers of the window tests: waiting on the event loop with a deadline, and answering the
/// modal dialog that a gesture opens.

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace plotra::test {

/// Runs the event loop until \p done is true or \p ms milliseconds have passed; true when done.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

/// Calls \p act with the next modal dialog or message box that opens (of type T, or any QDialog),
/// once it is shown; used to answer dialogs that a gesture opens with exec().
template <class T = QDialog> void OnNextModal(std::function<void(T*)> act, int ms = 10000) {
    auto* timer = new QTimer;
    auto started = std::make_shared<QDeadlineTimer>(ms);
    QObject::connect(timer, &QTimer::timeout, [timer, act, started] {
        if (auto* modal = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        } else if (started->hasExpired()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

} // namespace plotra::test
