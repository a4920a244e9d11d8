#pragma once
/// \brief Controls the two notes dialogs of the report both use.

#include <QString>

class QBoxLayout;
class QLineEdit;
class QPlainTextEdit;

namespace plotra::gui {

class PagedNotesDialog;

/// A one-line edit that shows a text the user does not change.
QLineEdit* ReadOnlyLine(PagedNotesDialog* dialog, const QString& id);
/// The multi-line notes edit.
QPlainTextEdit* NotesEdit(PagedNotesDialog* dialog, const QString& id);
/// The row of OK, "Prev", "Next" and Cancel, connected to the dialog.
QBoxLayout* PagingButtons(PagedNotesDialog* dialog, const QString& prevId, const QString& nextId);

} // namespace plotra::gui
