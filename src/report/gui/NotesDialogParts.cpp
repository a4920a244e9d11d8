#include "report/gui/NotesDialogParts.h"

#include "report/gui/PagedNotesDialog.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace plotra::gui {

QLineEdit* ReadOnlyLine(PagedNotesDialog* dialog, const QString& id) {
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(id);
    edit->setReadOnly(true);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

QPlainTextEdit* NotesEdit(PagedNotesDialog* dialog, const QString& id) {
    auto* edit = new QPlainTextEdit(dialog);
    edit->setObjectName(id);
    edit->setTabChangesFocus(true);
    return edit;
}

QBoxLayout* PagingButtons(PagedNotesDialog* dialog, const QString& prevId, const QString& nextId) {
    auto* ok = new QPushButton(QObject::tr("OK"), dialog);
    ok->setObjectName("1");
    ok->setAutoDefault(false);
    auto* prev = new QPushButton(QObject::tr("Prev"), dialog);
    prev->setObjectName(prevId);
    prev->setAutoDefault(false);
    auto* next = new QPushButton(QObject::tr("Next"), dialog);
    next->setObjectName(nextId);
    next->setAutoDefault(false);
    auto* cancel = new QPushButton(QObject::tr("Cancel"), dialog);
    cancel->setObjectName("2");
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &PagedNotesDialog::accept);
    QObject::connect(prev, &QPushButton::clicked, dialog, &PagedNotesDialog::OnPrev);
    QObject::connect(next, &QPushButton::clicked, dialog, &PagedNotesDialog::OnNext);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &PagedNotesDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(ok);
    row->addWidget(prev);
    row->addWidget(next);
    row->addWidget(cancel);
    return row;
}

} // namespace plotra::gui
