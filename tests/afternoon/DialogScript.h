#pragma once
/// \brief Answers the modal dialogs of a real window as a user would: every message box is recorded
/// ("Caption: text") and answered (Yes, No or Cancel from a queue for questions, OK otherwise); every other
/// dialog goes to the next expected answer in order. A dialog nobody expects, a question without an
/// answer and a dialog left open too long are closed and reported, so that a wrong road fails the
/// test instead of hanging it in a modal loop.
///
/// Answers run from the event loop, outside the watcher: an answer may itself open further dialogs
/// (a button that opens a file dialog), which the watcher then answers while the first one waits.

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QVariant>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace plotra::test {

class DialogScript : public QObject {
  public:
    /// How long a dialog may stay open before it is closed as forgotten.
    static constexpr int kForgottenMs = 30000;

    DialogScript() {
        m_watch.setInterval(5);
        QObject::connect(&m_watch, &QTimer::timeout, this, [this] { Watch(); });
        m_watch.start();
    }

    /// The next dialog that is not a message box must be a \p T; \p answer handles it (and must
    /// close it). \p what names the dialog in failures.
    template <class T> void Expect(const std::string& what, std::function<void(T*)> answer) {
        m_expected.push_back({what, [answer](QDialog* d) {
                                  auto* t = qobject_cast<T*>(d);
                                  if (t) answer(t);
                                  return t != nullptr;
                              }});
    }
    /// The answer to one question: true for Yes, false for No, or the button to click
    /// (QMessageBox::Cancel of a "Save changes?" question).
    struct Reply {
        Reply(bool yes) : button(yes ? QMessageBox::Yes : QMessageBox::No) {}
        Reply(QMessageBox::StandardButton b) : button(b) {}
        QMessageBox::StandardButton button;
    };
    /// Answers of the next questions (message boxes with Yes and No), in order.
    std::deque<Reply> answers;

    /// The message boxes shown since the last call, as "Caption: text".
    std::vector<std::string> TakeMessages() {
        std::vector<std::string> out;
        out.swap(m_messages);
        return out;
    }
    /// Dialogs that came unexpected, questions without an answer, dialogs left open, expected
    /// dialogs that never came.
    std::vector<std::string> TakeFailures() {
        std::vector<std::string> out;
        out.swap(m_failures);
        for (const Expected& e : m_expected)
            out.push_back("expected but not shown: " + e.what);
        m_expected.clear();
        return out;
    }
    bool Idle() const { return m_expected.empty(); }

  private:
    struct Expected {
        std::string what;
        std::function<bool(QDialog*)> answer;
    };

    void Watch() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        // The progress window of a printout is modal while it runs; it asks nothing.
        if (dialog->inherits("plotra::gui::ProgressDialog")) return;
        // Each dialog is answered once; one that stays open too long was forgotten by its answer.
        const QVariant seen = dialog->property("afternoonDeadline");
        if (seen.isValid()) {
            if (QDeadlineTimer(seen.toLongLong()).hasExpired()) {
                m_failures.push_back("left open: " + dialog->windowTitle().toStdString());
                dialog->setProperty("afternoonDeadline", QDeadlineTimer(kForgottenMs).deadline());
                dialog->reject();
            }
            return;
        }
        dialog->setProperty("afternoonDeadline", QDeadlineTimer(kForgottenMs).deadline());
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            Answer(box);
            return;
        }
        if (m_expected.empty()) {
            m_failures.push_back("unexpected dialog: " + dialog->windowTitle().toStdString() + " (" +
                                 dialog->metaObject()->className() + ")");
            Later(dialog, [dialog] { dialog->reject(); });
            return;
        }
        Expected next = m_expected.front();
        m_expected.pop_front();
        Later(dialog, [this, dialog, next] {
            if (!next.answer(dialog)) {
                m_failures.push_back("expected " + next.what +
                                     ", shown: " + dialog->windowTitle().toStdString() + " (" +
                                     dialog->metaObject()->className() + ")");
                dialog->reject();
            }
        });
    }

    void Answer(QMessageBox* box) {
        m_messages.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
        QAbstractButton* button = box->button(QMessageBox::Ok);
        if (box->button(QMessageBox::Yes)) {
            QMessageBox::StandardButton reply = QMessageBox::No;
            if (answers.empty())
                m_failures.push_back("unanswered question: " + box->text().toStdString());
            else {
                reply = answers.front().button;
                answers.pop_front();
            }
            button = box->button(reply);
            // A question without the button meant (Cancel of a plain Yes/No) is a wrong road.
            if (!button) {
                m_failures.push_back("no such answer to: " + box->text().toStdString());
                button = box->button(QMessageBox::No);
            }
        }
        Later(box, [button] {
            if (button) button->click();
        });
    }

    /// Runs \p f from the event loop while \p context lives.
    template <class F> static void Later(QObject* context, F f) { QTimer::singleShot(0, context, f); }

    QTimer m_watch;
    std::deque<Expected> m_expected;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_failures;
};

} // namespace plotra::test
