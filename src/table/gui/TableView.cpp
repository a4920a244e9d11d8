#include "table/gui/TableView.h"

#include "gui/AppSettings.h"
#include "gui/GuiSession.h"
#include "gui/SessionPrinter.h"
#include "table/TableModel.h"
#include "table/gui/TablePrinter.h"
#include "table/gui/TableSaveOptionsDialog.h"

#include <QHeaderView>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>

#include <optional>

namespace plotra::gui {

CTableView::CTableView(GuiSession& session, QWidget* parent) : QTableView(parent), m_session(session) {
    setObjectName("CTableView");
    m_model = new CTableItemModel(session.doc(), this);
    setModel(m_model);

    // A plain list of text: no grid, no selection, no editing, no row numbers beside it.
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Base, Qt::white);
    setPalette(colours);

    QHeaderView* header = horizontalHeader();
    header->setObjectName("214");
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    m_nCharWidth = std::max(1, header->fontMetrics().horizontalAdvance(QLatin1Char('X')));
    const auto& columns = CTableModel::MeasurementColumns();
    for (std::size_t c = 0; c < columns.size(); ++c)
        header->resizeSection(static_cast<int>(c), columns[c].m_nWidth * m_nCharWidth);

    // Every row is as high as the header.
    m_nRowHeight = std::max(header->sizeHint().height(), fontMetrics().height() + 2);
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(m_nRowHeight);

    // The rows come from the document's points while they are shown: when the whole project is
    // replaced or reprocessed, the table counts them again (other notices leave it as it is).
    connect(&session.notices(), &DocumentSignals::changed, this, [this](const ChangeNotice& notice) {
        if (notice.what != DocChange::Everything) return;
        m_model->Rebuild();
        ShowStatusText();
    });
    ShowStatusText();
}

int CTableView::topRow() const {
    return verticalScrollBar()->value();
}

void CTableView::ShowStatusText() {
    const CPlotraDoc& doc = m_session.doc();
    m_session.setStatusText(QStringLiteral("%1 Points, %2 APs")
                                .arg(static_cast<qulonglong>(doc.Survey().m_aDataPoints.size()))
                                .arg(static_cast<qulonglong>(doc.Aps().m_aAPs.size())));
}

void CTableView::wheelEvent(QWheelEvent* event) {
    // One line per notch of the wheel, away from the user scrolling down; the bar's range bounds it.
    m_wheelRemainder += event->angleDelta().y();
    const int lines = m_wheelRemainder / -120;
    m_wheelRemainder %= 120;
    if (lines != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() + lines);
    event->accept();
}

bool CTableView::handlesCommand(int id) const {
    return id == kCmdSaveTableAs || id == kCmdPrint || id == kCmdPrintPreview;
}

CommandState CTableView::commandState(int id) const {
    if (id == kCmdSaveTableAs) return {m_session.doc().Display().m_bTableWindowActive != 0, false};
    return {handlesCommand(id), false};
}

void CTableView::runCommand(int id) {
    switch (id) {
    case kCmdSaveTableAs:
        OnSaveTableAs();
        break;
    case kCmdPrint:
        OnFilePrint();
        break;
    case kCmdPrintPreview:
        OnFilePrintPreview();
        break;
    default:
        break;
    }
}

void CTableView::OnSaveTableAs() {
    CPlotraDoc& doc = m_session.doc();
    CTableSaveOptionsDialog options(this);
    if (options.exec() != QDialog::Accepted) return;
    FileChooserRequest request;
    request.title = "Save As";
    request.filter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";
    request.defaultExtension = "txt";
    request.defaultName = DefaultTableFileName(m_session.documentTitle());
    const std::optional<std::string> path = doc.Prompts().chooseSaveFile(request);
    if (!path) return;
    // Written from the document's points row by row as a job: a large survey is never formatted
    // whole, and the window keeps answering.
    m_session.exportTable(TableExport{*path, options.headings(), options.quotes(), options.delimiter()});
}

int CTableView::PrintOn(QPrinter& printer) {
    return PrintPages(printer, false);
}

int CTableView::PrintPages(QPrinter& printer, bool preview) {
    // A printout into a file replaces an old one only once it is complete (not for the preview,
    // whose printer writes no file).
    std::optional<PrintFileGuard> file;
    if (!preview) file.emplace(printer);
    // Page by page from the event loop, behind the progress window: a survey of millions of rows
    // has thousands of pages, and the window keeps answering (and Cancel ends the printout there).
    const TablePrintout out = PrintTable(printer, m_session.doc(), m_model->rowIndex(), PrintFontSettings(),
                                         [this](int count, const std::function<bool(int)>& page) {
                                             return m_session.runSteps("Printing the table...", count, page);
                                         });
    if (file) file->Finish(!out.refused && !out.stopped);
    if (out.refused) ReportPrintJobFailure(printer, m_session.doc().Prompts());
    return out.pagesPrinted;
}

void CTableView::OnFilePrint() {
    if (m_session.doc().RefuseWhileBusy()) return;
    // The session's printer, as Print Setup left it.
    QPrinter& printer = PrinterForNewJob(m_session);
    QPrintDialog dialog(&printer, this);
    dialog.setObjectName("printDialog");
    if (dialog.exec() != QDialog::Accepted) return;
    PrintOn(printer);
}

void CTableView::OnFilePrintPreview() {
    if (m_session.doc().RefuseWhileBusy()) return;
    QPrinter& printer = PrinterForNewJob(m_session);
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName("printPreview");
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintPages(*p, true); });
    preview.exec();
}

} // namespace plotra::gui
