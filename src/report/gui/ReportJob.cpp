#include "report/gui/ReportJob.h"

#include "app/GuiSession.h"
#include "model/Job.h"
#include "panel/ProgressDialog.h"

#include <QPushButton>
#include <QMetaObject>
#include <QPointer>

#include <memory>

namespace plotra::gui {

namespace {

/// The job's progress: reports reach the progress dialog through the event loop (the dialog may be
/// gone by then), and the dialog's Cancel reaches the job through this object's cancel flag.
class ForwardedProgress : public Progress {
  public:
    ForwardedProgress(QObject* context, ProgressDialog* dialog) : m_context(context), m_dialog(dialog) {}
    void setPosition(int percent) override {
        Post([percent](ProgressDialog& d) { d.setPosition(percent); });
    }
    void setText(const std::string& text) override {
        const QString t = QString::fromStdString(text);
        Post([t](ProgressDialog& d) { d.setText(t); });
    }
    void show() override {
        Post([](ProgressDialog& d) { d.showCentred(); });
    }
    void hide() override {
        Post([](ProgressDialog& d) { d.hide(); });
    }

  private:
    template <class F> void Post(F f) {
        QMetaObject::invokeMethod(
            m_context,
            [this, f] {
                if (!m_dialog) return;
                if (m_dialog->cancelRequested()) requestCancel();
                f(*m_dialog);
            },
            Qt::QueuedConnection);
    }
    QObject* m_context;
    QPointer<ProgressDialog> m_dialog; ///< read on the user-interface thread only
};

/// One report being written: the work and what follows it. It belongs to the session; when it goes,
/// it waits for its job, which never touches anything else.
class ReportJobRunner : public QObject {
  public:
    ReportJobRunner(GuiSession& session, ReportWork work, ReportDone done)
        : QObject(&session), m_session(session), m_work(std::move(work)), m_done(std::move(done)),
          m_progress(this, &session.progressDialog()) {}

    ~ReportJobRunner() override {
        m_progress.requestCancel();
        m_job.reset();
    }

    void Start() {
        m_session.doc().SetJobRunning(true);
        m_session.progress().clearCancel();
        // Cancel stops the job between its steps; nothing is then written.
        connect(m_session.progressDialog().cancelButton(), &QAbstractButton::clicked, this,
                [this] { m_progress.requestCancel(); });
        m_job = std::make_unique<Job<ReportResult>>([this] { return m_work(m_progress); },
                                                    [this] {
                                                        QMetaObject::invokeMethod(
                                                            this, [this] { Finish(); }, Qt::QueuedConnection);
                                                    });
        emit m_session.jobStarted();
    }

  private:
    void Finish() {
        std::string failure;
        const std::optional<ReportResult> result = m_job->Take(&failure);
        m_session.doc().SetJobRunning(false);
        m_session.progressDialog().hide();
        if (m_done) m_done(result, failure);
        emit m_session.jobFinished(result == ReportResult::Written);
        deleteLater();
    }

    GuiSession& m_session;
    const ReportWork m_work;
    const ReportDone m_done;
    ForwardedProgress m_progress;
    std::unique_ptr<Job<ReportResult>> m_job;
};

} // namespace

void StartReportJob(GuiSession& session, ReportWork work, ReportDone done) {
    auto* runner = new ReportJobRunner(session, std::move(work), std::move(done));
    runner->Start();
}

} // namespace plotra::gui
