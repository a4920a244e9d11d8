// The client report's text: fonts, headings, paragraphs broken to the content width, and tables
// whose SSID and MAC cells shrink their font rather than cut a group.
#include "report/ClientReportWriter.h"

#include "model/Geometry.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plotra {

namespace client_report {

QString Q(const std::string& bytes) {
    return QString::fromStdString(DisplayUtf8(bytes));
}

std::string Fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, std::isfinite(v) ? v : 0.0);
    return buf;
}

QColor Colour(COLORREF c, int alpha) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c), alpha);
}

std::string UnitName(const CPlotraDoc& doc) {
    return doc.Display().m_dUnitFactor > 0.5 ? "m" : "ft";
}

QFont Writer::Font(double size, bool bold) const {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(size);
    f.setBold(bold);
    return f;
}

void Writer::Footer() {
    const QFont f = Font(8);
    p.setFont(f);
    p.setPen(QColor(90, 90, 90));
    const QRectF band(m_content.left(), m_content.bottom() + 16, m_content.width(), 14);
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, Q(o.title));
    p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Page %1").arg(m_page));
}

void Writer::NewPage() {
    m_pdf.newPage();
    ++m_page;
    y = m_content.top();
    Footer();
}

void Writer::Ensure(double h) {
    if (y + h > m_content.bottom() && y > m_content.top()) NewPage();
}

void Writer::Text(const QString& text, const QFont& f, const QColor& colour) {
    p.setFont(f);
    p.setPen(colour);
    const QFontMetricsF fm(f);
    p.drawText(QPointF(m_content.left(), y + fm.ascent()), text);
    y += fm.lineSpacing();
}

void Writer::Line(const QColor& colour, double width) {
    p.setPen(QPen(colour, width));
    p.drawLine(QPointF(m_content.left(), y), QPointF(m_content.right(), y));
}

void Writer::Heading(const std::string& text) {
    const QFont f = Font(16, true);
    Ensure(QFontMetricsF(f).lineSpacing() * 3);
    for (const std::string& line : Lines(text, f, m_content.width(), true))
        Text(QString::fromStdString(line), f, QColor(20, 40, 90));
    y += 2;
    Line(QColor(20, 40, 90), 0.8);
    y += 10;
}

void Writer::SubHeading(const std::string& text) {
    const QFont f = Font(12, true);
    Ensure(QFontMetricsF(f).lineSpacing() * 3);
    Text(QString::fromStdString(text), f, QColor(20, 40, 90));
    y += 4;
}

std::vector<std::string> Writer::Lines(const std::string& text, const QFont& f, double width,
                                       bool grouped) const {
    const QFontMetricsF fm(f);
    const auto measure = [&fm](std::string_view s) {
        return fm.horizontalAdvance(QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())));
    };
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) nl = text.size();
        std::string para = text.substr(start, nl - start);
        if (!para.empty() && para.back() == '\r') para.pop_back();
        for (std::string& line : BreakAtGroups(para, measure, width)) {
            if (grouped || measure(line) <= width) {
                out.push_back(std::move(line));
                continue;
            }
            // A prose word wider than the line: cut it at characters.
            QString rest = QString::fromStdString(line);
            while (!rest.isEmpty()) {
                qsizetype n = rest.size();
                while (n > 1 && fm.horizontalAdvance(rest.left(n)) > width)
                    --n;
                out.push_back(rest.left(n).toStdString());
                rest = rest.mid(n);
            }
        }
        start = nl + 1;
    }
    return out;
}

void Writer::Paragraph(const std::string& text, const QFont& f) {
    const QFontMetricsF fm(f);
    p.setFont(f);
    for (const std::string& line : Lines(text, f, m_content.width(), false)) {
        Ensure(fm.lineSpacing());
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QPointF(m_content.left(), y + fm.ascent()), QString::fromStdString(line));
        y += fm.lineSpacing();
    }
}

std::pair<std::vector<std::string>, QFont> Writer::CellLines(const std::string& text, double width,
                                                             bool grouped, bool bold) const {
    for (double size = 9.0;; size -= 0.5) {
        const QFont f = Font(size, bold);
        std::vector<std::string> lines = Lines(text, f, width, grouped);
        const QFontMetricsF fm(f);
        const bool fits = std::all_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return fm.horizontalAdvance(QString::fromStdString(l)) <= width;
        });
        if (fits || !grouped || size <= 6.0) return {std::move(lines), f};
    }
}

void Writer::Table(const TableSpec& t) {
    constexpr double pad = 3.0;
    std::vector<double> x{m_content.left()};
    for (double share : t.widths)
        x.push_back(x.back() + share * m_content.width());
    const auto rowHeight = [&](const std::vector<std::pair<std::vector<std::string>, QFont>>& cells) {
        double h = 0;
        for (const auto& [lines, f] : cells)
            h = std::max(h, static_cast<double>(lines.size()) * QFontMetricsF(f).lineSpacing());
        return h + 2 * pad;
    };
    const auto layout = [&](const std::vector<std::string>& row, bool heading) {
        std::vector<std::pair<std::vector<std::string>, QFont>> cells;
        for (std::size_t c = 0; c < t.widths.size(); ++c)
            cells.push_back(CellLines(c < row.size() ? row[c] : std::string(), x[c + 1] - x[c] - 2 * pad,
                                      !heading && c < t.grouped.size() && t.grouped[c], heading));
        return cells;
    };
    const auto draw = [&](const std::vector<std::pair<std::vector<std::string>, QFont>>& cells, double h,
                          bool heading, const QColor& last) {
        if (heading) p.fillRect(QRectF(x.front(), y, x.back() - x.front(), h), QColor(225, 230, 240));
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const auto& [lines, f] = cells[c];
            const QFontMetricsF fm(f);
            p.setFont(f);
            p.setPen(c + 1 == cells.size() && last.isValid() ? last : QColor(Qt::black));
            p.save();
            p.setClipRect(QRectF(x[c], y, x[c + 1] - x[c], h));
            double ly = y + pad;
            for (const std::string& line : lines) {
                p.drawText(QPointF(x[c] + pad, ly + fm.ascent()), QString::fromStdString(line));
                ly += fm.lineSpacing();
            }
            p.restore();
        }
        p.setPen(QPen(QColor(150, 150, 150), 0.5));
        p.drawLine(QPointF(x.front(), y + h), QPointF(x.back(), y + h));
        for (double cx : x)
            p.drawLine(QPointF(cx, y), QPointF(cx, y + h));
    };
    std::vector<std::string> headings;
    for (const QString& h : t.headings)
        headings.push_back(h.toStdString());
    const auto head = layout(headings, true);
    const double headHeight = rowHeight(head);
    const auto drawHead = [&] {
        p.setPen(QPen(QColor(150, 150, 150), 0.5));
        p.drawLine(QPointF(x.front(), y), QPointF(x.back(), y));
        draw(head, headHeight, true, QColor());
        y += headHeight;
    };
    bool first = true;
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const auto cells = layout(t.rows[r], false);
        const double h = rowHeight(cells);
        // A row that does not fit goes to the next page, under the headings again.
        if (first) {
            Ensure(headHeight + h);
            drawHead();
            first = false;
        } else if (y + h > m_content.bottom()) {
            NewPage();
            drawHead();
        }
        draw(cells, h, false, r < t.rowColour.size() ? t.rowColour[r] : QColor());
        y += h;
    }
    y += 4;
}

} // namespace client_report

std::vector<std::string>
BreakAtGroups(std::string_view text, const std::function<double(std::string_view)>& width, double maxWidth) {
    // Groups end after a separator, which stays with the group before it. Words end at spaces and
    // commas; a word too wide for the line is split further at ':' and '-' (the octets of a MAC, the
    // parts of a hyphenated SSID), never inside such a part.
    const auto split = [](std::string_view s, std::string_view separators) {
        std::vector<std::string_view> parts;
        std::size_t start = 0;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (separators.find(s[i]) != std::string_view::npos) {
                parts.push_back(s.substr(start, i + 1 - start));
                start = i + 1;
            }
        if (start < s.size()) parts.push_back(s.substr(start));
        return parts;
    };
    const auto trimmedWidth = [&width](std::string_view s) {
        while (!s.empty() && s.back() == ' ')
            s.remove_suffix(1);
        return width(s);
    };
    std::vector<std::string_view> groups;
    for (std::string_view word : split(text, " ,")) {
        if (trimmedWidth(word) <= maxWidth) {
            groups.push_back(word);
            continue;
        }
        for (std::string_view part : split(word, ":-"))
            groups.push_back(part);
    }
    std::vector<std::string> lines;
    std::string line;
    for (std::string_view g : groups) {
        std::string candidate = line + std::string(g);
        // Trailing spaces take no room at the end of a line.
        if (line.empty() || trimmedWidth(candidate) <= maxWidth) {
            line = std::move(candidate);
        } else {
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            lines.push_back(std::move(line));
            line = std::string(g);
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (!line.empty() || lines.empty()) lines.push_back(std::move(line));
    return lines;
}

} // namespace plotra
