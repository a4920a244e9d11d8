#pragma once
/// \brief The table window (CTableView): every measurement point of the survey as text, one line per
/// AP reading, under a header of eight resizable columns whose widths are counted in characters.
/// It scrolls by whole lines and formats only the rows it shows. It saves the table as delimited
/// text ("Save Table As..."), prints it and shows its print preview.

#include "gui/Commands.h"
#include "table/gui/TableItemModel.h"

#include <QTableView>

class QPrinter;

namespace plotra::gui {

class GuiSession;

class CTableView : public QTableView, public CommandTarget {
    Q_OBJECT
  public:
    CTableView(GuiSession& session, QWidget* parent = nullptr);

    CTableItemModel& tableModel() { return *m_model; }
    /// Width of "X" in the header's font: column widths in characters become pixels with it.
    int charWidth() const { return m_nCharWidth; }
    /// The row height: the header's height.
    int rowHeight() const { return m_nRowHeight; }
    /// The first visible row.
    int topRow() const;

    /// "Save Table As...": the options, the file name, then the text file.
    void OnSaveTableAs();
    /// Prints the table on a printer already set up (what Print draws), page by page behind the
    /// progress window; a printout into a file replaces an old file only when complete. Returns the
    /// pages printed.
    int PrintOn(QPrinter& printer);

    // CommandTarget
    bool handlesCommand(int id) const override;
    CommandState commandState(int id) const override;
    void runCommand(int id) override;

  protected:
    void wheelEvent(QWheelEvent* event) override;

  private:
    void OnFilePrint();
    void OnFilePrintPreview();
    /// PrintOn, or the pages of the print preview (\p preview: no file to guard).
    int PrintPages(QPrinter& printer, bool preview);
    void ShowStatusText();

    GuiSession& m_session;
    CTableItemModel* m_model;
    int m_nCharWidth = 1;
    int m_nRowHeight = 1;
    int m_wheelRemainder = 0; ///< wheel turns of less than a notch, kept for the next event
};

} // namespace plotra::gui
