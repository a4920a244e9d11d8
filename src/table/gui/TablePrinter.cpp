#include "table/gui/TablePrinter.h"

#include "model/PlotraDoc.h"
#include "table/TableModel.h"
#include "table/TablePrintLayout.h"
#include "table/gui/TableItemModel.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace plotra::gui {

namespace {

/// The style a font falls back on when its face is missing, from the family code kept with the
/// settings (the pitch in the low bits, the family from 0x10 on).
QFont::StyleHint StyleHintOf(int family) {
    switch (family & 0xF0) {
    case 0x10:
        return QFont::Serif;
    case 0x30:
        return QFont::TypeWriter;
    case 0x40:
        return QFont::Cursive;
    case 0x50:
        return QFont::Decorative;
    default:
        return QFont::SansSerif;
    }
}

QFont PrintFont(const FontSettings& settings, int pixelHeight) {
    QFont font(settings.name);
    font.setStyleHint(StyleHintOf(settings.family));
    font.setPixelSize(std::max(1, pixelHeight));
    return font;
}

/// One page of the printout on an open painter.
class PageWriter {
  public:
    PageWriter(QPainter& painter, QPrinter& printer, const CPlotraDoc& doc, const CTableRowIndex& index,
               const FontSettings& settings)
        : p(painter), m_doc(doc), m_index(index) {
        const int h0 = PrintFontPixelHeight(settings.size, printer.logicalDpiY());
        m_normal = PrintFont(settings, h0);
        m_half = PrintFont(settings, h0 / 2);
        m_double = PrintFont(settings, 2 * h0);
        const QFontMetrics metrics(m_normal, &printer);
        cx = std::max(1, metrics.horizontalAdvance(QLatin1Char('X')));
        cy = std::max(1, metrics.height());
        m_rect = QRect(0, 0, printer.width(), printer.height());
        // A line "unit" is a dot of a 300 dpi printer, so that rules look alike at any resolution.
        m_unit = std::max(1.0, printer.logicalDpiY() / 300.0);
        linesPerPage = TableLinesPerPage(m_rect.height(), cy);
    }

    void Page(int page) {
        p.setBackgroundMode(Qt::TransparentMode);
        p.setPen(Qt::black);
        if (page == 1)
            Cover();
        else
            Rows(RowsOfTablePage(page, m_index.RowCount(), linesPerPage));
        Footer();
    }

    int linesPerPage = 1;

  private:
    /// The names of the ticked survey files, centred one under the other, and the printout's title.
    void Cover() {
        p.setFont(m_double);
        int band = 0;
        for (const CDataFile& f : m_doc.Survey().m_aFiles) {
            if (!f.m_bUse) continue;
            ++band;
            const QRect r(m_rect.left() + 2 * cx, m_rect.top() + 2 * cy * band, m_rect.width() - 4 * cx,
                          2 * cy);
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine,
                       QString::fromStdString(DisplayUtf8(f.m_strName)));
        }
        p.setFont(m_normal);
        p.drawText(QRect(m_rect.left() + 2 * cx, m_rect.top() + 5 * cy, m_rect.width() - 4 * cx, cy),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("Table printout."));
    }

    /// The headings on the first line, a rule, and the page's rows from the third line on.
    void Rows(const TablePageRows& rows) {
        p.setFont(m_normal);
        const auto& columns = CTableModel::MeasurementColumns();
        auto cellRect = [&](std::size_t column, int line) {
            int x = m_rect.left();
            for (std::size_t c = 0; c < column; ++c)
                x += columns[c].m_nWidth * cx;
            return QRect(x, m_rect.top() + line * cy, columns[column].m_nWidth * cx, cy);
        };
        for (std::size_t c = 0; c < columns.size(); ++c)
            p.drawText(cellRect(c, 0), CTableItemModel::Alignment(columns[c].m_nFormat) | Qt::TextSingleLine,
                       QString::fromStdString(columns[c].m_strText));

        p.save();
        p.setPen(QPen(Qt::black, 3 * m_unit, Qt::SolidLine, Qt::FlatCap));
        const double ruleY = m_rect.top() + 1.5 * cy;
        p.drawLine(QPointF(m_rect.left(), ruleY), QPointF(m_rect.right(), ruleY));
        p.restore();

        CTableModel::CRowInfo row;
        for (std::uint64_t i = 0; i < rows.count; ++i) {
            FormatTableRow(m_doc, m_index, rows.first + i, row);
            const int line = static_cast<int>(i) + 2;
            for (std::size_t c = 0; c < row.m_aCells.size() && c < columns.size(); ++c)
                p.drawText(cellRect(c, line),
                           CTableItemModel::Alignment(row.m_aCells[c].m_nFormat) | Qt::TextSingleLine,
                           QString::fromStdString(DisplayUtf8(row.m_aCells[c].m_strText)));
        }
    }

    /// Three framed boxes across the page's bottom band.
    void Footer() {
        const int top = m_rect.bottom() - static_cast<int>(3.5 * cy);
        const int bottom = m_rect.bottom() - cy / 2;
        const QRect frame(QPoint(m_rect.left() + 2 * cx, top), QPoint(m_rect.right() - 2 * cx, bottom));
        const int third = frame.width() / 3;
        p.save();
        p.setPen(QPen(Qt::black, m_unit));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame);
        QRect boxes[3];
        for (int i = 0; i < 3; ++i) {
            boxes[i] = QRect(frame.left() + i * third, frame.top(),
                             i == 2 ? frame.width() - 2 * third : third, frame.height());
            p.drawRect(boxes[i]);
        }
        p.restore();

        // The first box is left blank; the second is for the surveyor's name, written by hand.
        const int pad = std::max(1, cx / 2);
        const QRect second = boxes[1].adjusted(pad, cy / 4, -pad, 0);
        p.setFont(m_half);
        p.drawText(second, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QStringLiteral("Data collected by:"));

        const QRect dateBox = boxes[2].adjusted(pad, cy / 4, -pad, 0);
        const QString date = QString::fromStdString(FooterDateText(m_doc.Project().m_timeCreated));
        const QString time = QString::fromStdString(FooterTimeText(m_doc.Project().m_timeCreated));
        LabelAndValue(dateBox.topLeft(), dateBox.width(), QStringLiteral("Date:"), date);
        LabelAndValue(dateBox.topLeft() + QPoint(0, cy + cy / 3), dateBox.width(), QStringLiteral("Time:"),
                      time);
    }

    /// A label in the half font and its value in the normal font after it, on one baseline in a line
    /// of height cy.
    void LabelAndValue(QPoint at, int width, const QString& label, const QString& value) {
        const QFontMetrics normal(m_normal, p.device()), half(m_half, p.device());
        const int baseline = at.y() + (cy - normal.height()) / 2 + normal.ascent();
        const int labelWidth = half.horizontalAdvance(label + QLatin1Char(' '));
        p.setFont(m_half);
        p.drawText(QPoint(at.x(), baseline), half.elidedText(label, Qt::ElideRight, width));
        p.setFont(m_normal);
        p.drawText(QPoint(at.x() + labelWidth, baseline),
                   normal.elidedText(value, Qt::ElideRight, std::max(0, width - labelWidth)));
    }

    QPainter& p;
    const CPlotraDoc& m_doc;
    const CTableRowIndex& m_index;
    QFont m_normal, m_half, m_double;
    int cx = 1, cy = 1;
    QRect m_rect;
    double m_unit = 1.0;
};

} // namespace

TablePrintout PrintTable(QPrinter& printer, const CPlotraDoc& doc, const CTableRowIndex& index,
                         const FontSettings& fonts, const PageRunner& run) {
    TablePrintout out;
    if (doc.Survey().m_bNoData) return out;
    QPainter painter;
    if (!painter.begin(&printer)) {
        out.refused = true;
        return out;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PageWriter writer(painter, printer, doc, index, fonts);
    out.linesPerPage = writer.linesPerPage;
    out.pageCount = TablePageCount(index.RowCount(), writer.linesPerPage);
    int first = printer.fromPage() > 0 ? printer.fromPage() : 1;
    int last = printer.toPage() > 0 ? printer.toPage() : out.pageCount;
    first = std::clamp(first, 1, out.pageCount);
    last = std::clamp(last, first, out.pageCount);
    auto page = [&](int i) {
        if (i > 0 && !printer.newPage()) return false;
        writer.Page(first + i);
        ++out.pagesPrinted;
        return true;
    };
    const int count = last - first + 1;
    if (run) {
        out.stopped = run(count, page) < count;
    } else {
        for (int i = 0; i < count && page(i); ++i) {
        }
    }
    painter.end();
    return out;
}

} // namespace plotra::gui
