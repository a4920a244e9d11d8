#include "panel/DisplaySection.h"

#include "gui/GuiSession.h"
#include "panel/BitCheckButton.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"
#include "panel/PanelTexts.h"
#include "panel/RangeControl.h"
#include "panel/ResolutionControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace plotra::gui {

DisplaySection::DisplaySection(GuiSession& session, const PanelFonts& fonts, QWidget* parent)
    : PanelSection(session, fonts, parent) {
    setObjectName("DisplaySection");
    // Never taller than its contents: the spare height belongs to the tree.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_block = BuildBlock());
    column->addWidget(m_gap = MakeGap(this, 20));
    Connect();
    Refresh(true);
}

QWidget* DisplaySection::BuildBlock() {
    auto* block = new QWidget(this);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(5, 0, 0, 0);
    column->setSpacing(2);
    auto* transparencyLabel = MakeLabel(block, QStringLiteral("Transparency"), Fonts().text);
    transparencyLabel->setObjectName("131");
    column->addWidget(transparencyLabel);
    m_transparency = new CRangeControl(artwork::RangeArt::Transparency, 0, 100, QString(), block);
    m_transparency->setObjectName("136");
    m_transparency->SetCaption(QStringLiteral("Transparency"));
    m_transparency->SetValues(0, 100);
    m_transparency->SetBackColour(QColor(144, 144, 80));
    m_transparency->SetBandColour(QColor(144, 144, 80));
    m_transparency->setFixedSize(200, Fonts().lineHeight + 12);
    column->addWidget(m_transparency);
    column->addSpacing(10);

    auto toggle = [&](const char* id, const QString& caption, artwork::ToggleArt art, const QString& tip) {
        auto* t = new CBitCheckButton(caption, block);
        t->setObjectName(id);
        t->LoadBitmaps(artwork::ToggleStrip(art));
        t->SetToggle(true);
        t->setToolTip(tip);
        return t;
    };
    auto row = [&](int indent) {
        auto* r = new QHBoxLayout;
        r->setSpacing(1);
        r->setContentsMargins(indent, 0, 0, 0);
        column->addLayout(r);
        return r;
    };
    m_togglePath =
        toggle("132", QStringLiteral("Walk Path"), artwork::ToggleArt::WalkPath, QStringLiteral("Walk path"));
    m_lineWidth = new CImageTextButton(QString(), block);
    m_lineWidth->setObjectName("218");
    m_lineWidth->setToolTip(QStringLiteral("Walk-path width"));
    m_lineWidth->SetImages(artwork::LineWidthPicture(1, false), artwork::LineWidthPicture(1, true));
    m_lineWidth->setProperty("width", 1);
    m_toggleNoGps = toggle("229", QStringLiteral("Path without GPS"), artwork::ToggleArt::PathWithoutGps,
                           QStringLiteral("Path points without GPS fix"));
    m_toggleApMarkers = toggle("134", QStringLiteral("AP Markers"), artwork::ToggleArt::ApMarkers,
                               QStringLiteral("AP markers"));
    // The latitude/longitude toggle carries the walk path's caption; it is never drawn.
    m_toggleLonLat = toggle("221", QStringLiteral("Walk Path"), artwork::ToggleArt::LonLat,
                            QStringLiteral("Axis labels in latitude/longitude"));
    auto* first = row(15);
    for (QWidget* w : std::initializer_list<QWidget*>{m_togglePath, m_lineWidth, m_toggleNoGps,
                                                      m_toggleApMarkers, m_toggleLonLat})
        first->addWidget(w);
    first->addStretch(1);

    m_toggleXGrid = toggle("142", QStringLiteral("X-axis grid"), artwork::ToggleArt::XGrid,
                           QStringLiteral("X-axis grid"));
    m_toggleYGrid = toggle("143", QStringLiteral("Y-axis grid"), artwork::ToggleArt::YGrid,
                           QStringLiteral("Y-axis grid"));
    m_gridResolution = new CResolutionControl(artwork::ResolutionArt::Grid, block);
    m_gridResolution->setObjectName("186");
    m_gridResolution->SetParameters(5, 3, 10, 5, QStringLiteral("Lines"));
    column->addSpacing(4);
    auto* second = row(15);
    second->addWidget(m_toggleXGrid);
    second->addWidget(m_toggleYGrid);
    second->addSpacing(4);
    second->addWidget(m_gridResolution);
    second->addStretch(1);

    AddMatrixAndPlotRows(block, column);
    return block;
}

void DisplaySection::AddMatrixAndPlotRows(QWidget* block, QVBoxLayout* column) {
    m_matrixY = new CResolutionControl(artwork::ResolutionArt::Matrix, block);
    m_matrixY->setObjectName("168");
    m_matrixX = new CResolutionControl(artwork::ResolutionArt::Matrix, block);
    m_matrixX->setObjectName("189");
    for (CResolutionControl* m : {m_matrixY, m_matrixX}) {
        m->SetWholeNumbers(false);
        m->SetParameters(200, 50, 200, 200, QString());
    }
    column->addSpacing(4);
    auto* third = new QHBoxLayout;
    third->setContentsMargins(0, 0, 0, 0);
    column->addLayout(third);
    third->setSpacing(4);
    third->addWidget(m_matrixY);
    third->addWidget(m_matrixX);
    third->addStretch(1);

    m_plotCoverage = new CImageTextButton(QStringLiteral("Plot Coverage"), block);
    m_plotCoverage->setObjectName("190");
    m_plotCoverage->SetImages(artwork::PlotCoveragePicture(false), artwork::PlotCoveragePicture(true));
    m_plotCoverage->SetText(QStringLiteral("Plot Coverage"));
    m_plotCoverage->SetTextColours(kPanelTextColour, QColor(150, 150, 150));
    m_plotCoverage->SetTextPos(20, 1);
    m_plotCoverage->SetFont(QStringLiteral("Arial"), 16);
    column->addSpacing(8);
    auto* fourth = new QHBoxLayout;
    fourth->setSpacing(1);
    fourth->setContentsMargins(25, 0, 0, 0);
    column->addLayout(fourth);
    fourth->addWidget(m_plotCoverage);
    fourth->addStretch(1);
}

void DisplaySection::Connect() {
    CPlotraDoc& doc = Doc();
    // A gesture the document refused without a notice must not leave a control as the click left it.
    auto then = [this](auto&& f) {
        return [this, f] {
            f();
            Refresh(true);
        };
    };
    auto flag = [&](CBitCheckButton* toggle, DisplayFlag f) {
        connect(toggle, &CBitCheckButton::clicked, this,
                then([&doc, toggle, f] { doc.SetDisplayFlag(f, toggle->IsDown()); }));
    };
    flag(m_togglePath, DisplayFlag::Path);
    flag(m_toggleNoGps, DisplayFlag::PathWithoutGps);
    flag(m_toggleLonLat, DisplayFlag::LonLat);
    flag(m_toggleApMarkers, DisplayFlag::ApMarkers);
    flag(m_toggleXGrid, DisplayFlag::XGrid);
    flag(m_toggleYGrid, DisplayFlag::YGrid);
    connect(m_lineWidth, &QAbstractButton::clicked, this, then([&doc] { doc.CycleLineWidth(); }));
    connect(m_transparency, &CRangeControl::notified, this, then([&doc, this] {
                if (m_transparency->DragState() == CRangeControl::kLowThumb)
                    doc.SetTransparency(m_transparency->LowValue());
                else if (m_transparency->DragState() == CRangeControl::kHighThumb)
                    doc.SetTransparency(m_transparency->HighValue());
            }));
    connect(m_gridResolution, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetGridDivisions(static_cast<int>(value));
        Refresh(true);
    });
    connect(m_matrixX, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetResolution(false, value);
        Refresh(true);
    });
    connect(m_matrixY, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetResolution(true, value);
        Refresh(true);
    });
    connect(m_plotCoverage, &QAbstractButton::clicked, this, &DisplaySection::OnPlotCoverage);
    // One calculation at a time: the button waits while one runs.
    connect(&Session(), &GuiSession::jobStarted, this, [this] { Refresh(false); });
    connect(&Session(), &GuiSession::jobFinished, this, [this] { Refresh(false); });
}

void DisplaySection::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Display:
        if (notice.setting == DisplaySetting::All || notice.setting == DisplaySetting::Alpha ||
            notice.setting == DisplaySetting::Flag || notice.setting == DisplaySetting::LineWidth ||
            notice.setting == DisplaySetting::GridLines || notice.setting == DisplaySetting::Resolution)
            Refresh(false);
        break;
    case DocChange::Everything:
    case DocChange::Files:
    case DocChange::Projection:
    case DocChange::Frame:
    case DocChange::Selection: // the matrix sliders follow the rectangle around the ticked APs
    case DocChange::Aps:
    case DocChange::Coverage:
        Refresh(false);
        break;
    default:
        break;
    }
}

void DisplaySection::Refresh(bool force) {
    const CPlotraDoc& doc = Doc();
    Shown now;
    now.data = doc.Display().m_bDataLoaded != 0;
    if (now.data) {
        // The percent the alpha came from (alpha = percent * 255 / 100, truncated), rounded back: a
        // percent set by a drag or a key shows as itself, and 255 as 100.
        now.percent = (doc.Display().m_nAlpha * 100 + 127) / 255;
        now.path = doc.Display().m_bShowPath != 0;
        now.noGps = doc.Display().m_bShowNoGps != 0;
        now.markers = doc.Display().m_bShowApMarkers != 0;
        now.lonLat = doc.Display().m_bShowLonLat != 0;
        now.xGrid = doc.Display().m_bXGrid != 0;
        now.yGrid = doc.Display().m_bYGrid != 0;
        now.lineWidth = std::clamp(doc.Display().m_nLineWidth, 1, 3);
        now.gridLines = doc.Display().m_nGridDivisions;
        const ResolutionSlider &x = doc.Display().m_panel.m_resolutionX,
                               &y = doc.Display().m_panel.m_resolutionY;
        now.xValue = x.value, now.xMin = x.minimum, now.xMax = x.maximum;
        now.yValue = y.value, now.yMin = y.minimum, now.yMax = y.maximum;
        now.xUnit = MatrixUnit(doc, false);
        now.yUnit = MatrixUnit(doc, true);
        now.jobRunning = Session().jobRunning();
    }
    // A gesture shows its controls again (force); only a change of what they show counts.
    const bool changed = !(now == m_shown);
    if (!force && !changed) return;
    if (changed) CountRebuild();
    m_shown = now;
    m_block->setVisible(now.data);
    Relayout();
    if (!now.data) return;
    if (!m_transparency->Dragging()) m_transparency->SetValues(now.percent, m_transparency->HighValue());
    m_togglePath->SetCheck(now.path ? 1 : 0);
    m_toggleNoGps->SetCheck(now.noGps ? 1 : 0);
    m_toggleApMarkers->SetCheck(now.markers ? 1 : 0);
    m_toggleLonLat->SetCheck(now.lonLat ? 1 : 0);
    m_toggleXGrid->SetCheck(now.xGrid ? 1 : 0);
    m_toggleYGrid->SetCheck(now.yGrid ? 1 : 0);
    // Without the path there is nothing to widen and no GPS state to mark on it.
    m_lineWidth->setEnabled(now.path);
    m_toggleNoGps->setEnabled(now.path);
    if (m_lineWidth->property("width").toInt() != now.lineWidth) {
        m_lineWidth->setProperty("width", now.lineWidth);
        m_lineWidth->SetImages(artwork::LineWidthPicture(now.lineWidth, false),
                               artwork::LineWidthPicture(now.lineWidth, true));
    }
    if (m_gridResolution->DragState() == CResolutionControl::kNone &&
        static_cast<int>(m_gridResolution->Value()) != now.gridLines)
        m_gridResolution->SetParameters(now.gridLines, 3, 10, 5, QStringLiteral("Lines"));
    ShowMatrix(m_matrixX, now.xValue, now.xMin, now.xMax, Q(now.xUnit));
    ShowMatrix(m_matrixY, now.yValue, now.yMin, now.yMax, Q(now.yUnit));
    m_plotCoverage->setEnabled(!now.jobRunning);
}

void DisplaySection::ShowMatrix(CResolutionControl* control, double value, double minimum, double maximum,
                                const QString& unit) {
    if (control->DragState() != CResolutionControl::kNone) return;
    const double tolerance = 1e-9 * std::max(1.0, std::abs(maximum - minimum));
    // A value the thumb itself produced is not set again: the thumb would move back a pixel whenever
    // the division does not come out exactly.
    if (control->Unit() != unit || control->Minimum() != minimum || control->Maximum() != maximum ||
        std::abs(control->Value() - value) > tolerance)
        control->SetParameters(value, minimum, maximum, maximum, unit);
}

void DisplaySection::OnPlotCoverage() {
    const CPlotraDoc& doc = Doc();
    if (doc.Aps().m_aAPs.empty() || doc.Display().m_bTableWindowActive || Session().jobRunning()) return;
    Session().startCoverage();
    Refresh(false);
}

} // namespace plotra::gui
