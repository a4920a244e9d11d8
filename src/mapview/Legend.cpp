#include "mapview/Legend.h"
#include "model/TextFormat.h"

#include "mapview/CoverageImages.h"
#include "model/PlotraDoc.h"
#include "model/ViewState.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <string>
#include <tuple>

namespace plotra {

namespace {

QFontMetrics MetricsFor(const QFont& font, const QPaintDevice* device) {
    // QFontMetrics wants a non-const device; it only reads its resolution.
    return device ? QFontMetrics(font, const_cast<QPaintDevice*>(device)) : QFontMetrics(font);
}

QString LegendText(const std::string& s) {
    return QString::fromLocal8Bit(s.c_str());
}

// Where the texts of a row start: titles, the labels after a colour swatch (a little apart from it),
// the threshold labels (which open with a blank of their own) and the file names after the path mark.
constexpr int kTitleX = 5, kLevelX = 34, kThresholdX = 30, kFileX = 40;
// Room right of the widest text and below the last row, clear of the border.
constexpr int kRightMargin = 5, kBottomMargin = 2;
// The gap between the path rows and the contour blocks.
constexpr int kBlockGap = 5;

std::string ThresholdLabel(double value) {
    return FormatText<64>(" >= %3.0f ", value);
}

} // namespace

Legend::Legend() {
    // The face name the legend asks for; the font database substitutes a serif face where it is missing.
    m_font = QFont(QStringLiteral("Time New Roman"));
    m_font.setStyleHint(QFont::Serif);
    m_font.setPointSize(8);
}

void Legend::Refresh(const CPlotraDoc& doc, PaletteKind palette) {
    m_aFileColor = doc.Survey().m_aFileColor;
    m_aFiles = doc.Survey().m_aFiles;
    m_bShowPath = doc.Display().m_bShowPath;
    m_bMultiLevels = doc.Display().m_bCombined && doc.Display().m_bMultiContours;
    m_bSingleLevel = doc.Display().m_bCombined && doc.Display().m_bShowContour;
    m_graph = doc.Graph();
    const GraphFacts& graph = FactsOf(m_graph);
    // Contour level k is drawn in palette entry k. Range bands list the top band first, so they take
    // the palette backwards; the rows of numbers of APs run upward from N=1 and take it in order.
    const bool upward = graph.levels == GraphLevels::ApCounts;
    for (std::size_t i = 0; i < m_aLevelColour.size(); ++i)
        m_aLevelColour[i] = InPalette(palette, doc.Display().m_crPalette[upward ? i : 9 - i]);
    m_byAlpha = static_cast<std::uint8_t>(std::clamp(doc.Display().m_nAlpha, 0, 255));
    std::tie(m_dRangeMin, m_dRangeMax) = graph.range(doc);
    if (doc.Display().m_bShowContour == 1) {
        m_dRangeMax = doc.Display().m_panel.m_nContourHigh;
        m_dRangeMin = doc.Display().m_panel.m_nContourLow;
    }
}

QSize Legend::GetSize(const QPaintDevice* device) const {
    // Measured from what Draw writes, so that every text of every row lies inside the legend.
    const QFontMetrics fm = MetricsFor(m_font, device);
    const int h = fm.height() + 2;
    int width = 0, height = 0;
    const auto fit = [&](int x, const std::string& text) {
        width = std::max(width, x + fm.horizontalAdvance(LegendText(text)) + kRightMargin);
    };
    if (m_bShowPath) {
        fit(kTitleX, "Path");
        height += h;
        for (const CDataFile& f : m_aFiles) {
            if (!f.m_bUse) continue;
            fit(kFileX, f.m_strName);
            height += h;
        }
    }
    if (m_bMultiLevels || m_bSingleLevel) height += kBlockGap;
    if (m_bMultiLevels) {
        fit(kTitleX, Title());
        height += h;
        for (int i = 0; i < static_cast<int>(m_aLevelColour.size()); ++i) {
            fit(kLevelX, LevelLabel(i));
            height += h;
        }
    }
    if (m_bSingleLevel) {
        fit(kTitleX, Title());
        fit(kThresholdX, ThresholdLabel(m_dRangeMax));
        fit(kThresholdX, ThresholdLabel(m_dRangeMin));
        height += 3 * h;
    }
    if (width <= 0 || height <= 0) return QSize(0, 0);
    return QSize(width, height + kBottomMargin);
}

std::string Legend::Title() const {
    return std::string(FactsOf(m_graph).legendTitle);
}

std::string Legend::LevelLabel(int i) const {
    char buffer[64];
    if (FactsOf(m_graph).levels == GraphLevels::ApCounts) {
        if (i < 9)
            std::snprintf(buffer, sizeof buffer, "N=%d", i + 1);
        else
            std::snprintf(buffer, sizeof buffer, "N>=10");
        return buffer;
    }
    // Truncations as the labels define them, held inside the int range for damaged ranges.
    const long long top = TruncPixel(m_dRangeMax);
    const long long step = TruncPixel((m_dRangeMax - TruncPixel(m_dRangeMin)) / 10.0);
    std::snprintf(buffer, sizeof buffer, "%lld:%lld", top - (i + 1) * step, top - i * step);
    return buffer;
}

void Legend::Draw(QPainter& painter, const QRect& rect) const {
    painter.save();
    const int left = rect.left(), top = rect.top();
    const int right = rect.left() + rect.width(), bottom = rect.top() + rect.height();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect, Qt::white);
    painter.setPen(QPen(QColor(20, 20, 20), 0));
    painter.drawLine(left, top, left, bottom - 1);
    painter.drawLine(left, bottom - 1, right - 1, bottom - 1);

    painter.setFont(m_font);
    const QFontMetrics fm = MetricsFor(m_font, painter.device());
    const int h = fm.height() + 2;
    const int ascent = fm.ascent();
    const int x = left;
    int y = top;
    auto text = [&](int tx, int ty, const std::string& s) {
        painter.setPen(Qt::black);
        painter.drawText(tx, ty + 1 + ascent, LegendText(s));
    };
    // A colour swatch blended onto the white legend with the overlay's transparency.
    auto swatch = [&](int sy, COLORREF colour) {
        painter.save();
        painter.setOpacity(m_byAlpha / 255.0);
        painter.fillRect(QRect(x + 10, sy + 1, 20, h - 2), ToQColor(colour));
        painter.restore();
    };

    if (m_bShowPath) {
        text(x + kTitleX, y, "Path");
        y += h;
        std::size_t colour = 0;
        for (const CDataFile& f : m_aFiles) {
            if (!f.m_bUse) continue;
            const COLORREF c = colour < m_aFileColor.size() ? m_aFileColor[colour] : 0;
            ++colour;
            const int mid = y + h / 2;
            painter.setPen(QPen(ToQColor(c), 0));
            painter.setBrush(Qt::white);
            painter.drawLine(x + 10, mid, x + 35, mid);
            painter.drawEllipse(QPoint(x + 20, mid), 2, 2);
            text(x + kFileX, y, f.m_strName);
            y += h;
        }
    }
    y += kBlockGap;
    if (m_bMultiLevels) {
        text(x + kTitleX, y, Title());
        y += h;
        for (int i = 0; i < static_cast<int>(m_aLevelColour.size()); ++i) {
            swatch(y, m_aLevelColour[static_cast<std::size_t>(i)]);
            text(x + kLevelX, y, LevelLabel(i));
            y += h;
        }
    }
    if (m_bSingleLevel) {
        text(x + kTitleX, y, Title());
        y += h;
        swatch(y, Rgb(128, 80, 0));
        text(x + kThresholdX, y, ThresholdLabel(m_dRangeMax));
        y += h;
        swatch(y, Rgb(128, 200, 0));
        text(x + kThresholdX, y, ThresholdLabel(m_dRangeMin));
    }
    painter.restore();
}

} // namespace plotra
