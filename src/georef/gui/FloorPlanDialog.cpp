#include "georef/gui/FloorPlanDialog.h"

#include "georef/WorldFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace plotra::gui {

namespace {

QDoubleSpinBox* Spin(QWidget* parent, const char* name, double lo, double hi, int decimals,
                     const QString& suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lo, hi);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

} // namespace

FloorPlanDialog::FloorPlanDialog(std::string path, PlanLoad first, QWidget* parent)
    : QDialog(parent), m_path(std::move(path)) {
    setObjectName("FloorPlanDialog");
    setWindowTitle(tr("Floor Plan Scale"));
    auto* layout = new QVBoxLayout(this);
    auto* hint =
        new QLabel(tr("Click two points a known distance apart on the plan (the ends of a long wall or of a "
                      "dimension line), then type the distance between them."),
                   this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_canvas = new PlanCanvas(this);
    m_canvas->clicked = [this](QPointF pixel) { OnCanvasClicked(pixel); };
    layout->addWidget(m_canvas, 1);
    auto* controls = new QWidget(this);
    BuildControls(controls);
    layout->addWidget(controls);
    m_summary = new QLabel(this);
    m_summary->setObjectName("summary");
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &FloorPlanDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 760);
    SetPlan(std::move(first.plan));
}

void FloorPlanDialog::BuildControls(QWidget* controls) {
    auto* form = new QFormLayout(controls);
    form->setContentsMargins(0, 0, 0, 0);
    // The page chooser of a PDF; hidden for a picture.
    auto* pageRow = new QWidget(controls);
    auto* pageLayout = new QHBoxLayout(pageRow);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    m_page = new QSpinBox(pageRow);
    m_page->setObjectName("page");
    m_page->setKeyboardTracking(false);
    m_pageLabel = new QLabel(pageRow);
    pageLayout->addWidget(m_page);
    pageLayout->addWidget(m_pageLabel, 1);
    connect(m_page, &QSpinBox::valueChanged, this, &FloorPlanDialog::OnPageChanged);
    form->addRow(tr("&Page:"), pageRow);
    m_form = form;
    m_pageRow = pageRow;

    auto* pointsRow = new QWidget(controls);
    auto* pointsLayout = new QHBoxLayout(pointsRow);
    pointsLayout->setContentsMargins(0, 0, 0, 0);
    static const char* const kNames[4] = {"x1", "y1", "x2", "y2"};
    static const char* const kLabels[4] = {"1:  x", "y", "   2:  x", "y"};
    for (std::size_t i = 0; i < 4; ++i) {
        m_coords[i] = Spin(pointsRow, kNames[i], 0.0, 1e9, 1, {});
        pointsLayout->addWidget(new QLabel(QString::fromLatin1(kLabels[i]), pointsRow));
        pointsLayout->addWidget(m_coords[i], 1);
        connect(m_coords[i], &QDoubleSpinBox::valueChanged, this, [this] {
            if (!m_updating) {
                m_pointsSet = 2;
                Refresh();
            }
        });
    }
    form->addRow(tr("Points (pixels):"), pointsRow);

    auto* distanceRow = new QWidget(controls);
    auto* distanceLayout = new QHBoxLayout(distanceRow);
    distanceLayout->setContentsMargins(0, 0, 0, 0);
    m_distance = new QLineEdit(distanceRow);
    m_distance->setObjectName("distance");
    m_distance->setPlaceholderText(tr("distance between the two points"));
    m_unit = new QComboBox(distanceRow);
    m_unit->setObjectName("unit");
    m_unit->addItem(tr("m"));
    m_unit->addItem(tr("ft"));
    distanceLayout->addWidget(m_distance, 1);
    distanceLayout->addWidget(m_unit);
    connect(m_distance, &QLineEdit::textChanged, this, [this] { Refresh(); });
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    form->addRow(tr("&Distance:"), distanceRow);

    m_north = Spin(controls, "north", -360.0, 360.0, 1, QStringLiteral("°"));
    m_north->setWrapping(true);
    m_north->setToolTip(tr("Clockwise angle from the plan's up to true north"));
    connect(m_north, &QDoubleSpinBox::valueChanged, this, [this] { Refresh(); });
    form->addRow(tr("&North:"), m_north);

    auto* originRow = new QWidget(controls);
    auto* originLayout = new QHBoxLayout(originRow);
    originLayout->setContentsMargins(0, 0, 0, 0);
    m_lat = Spin(originRow, "originLatitude", -kMaxPlanLatitude, kMaxPlanLatitude, 7, QStringLiteral("°"));
    m_lon = Spin(originRow, "originLongitude", -180.0, 180.0, 7, QStringLiteral("°"));
    originLayout->addWidget(new QLabel(tr("latitude"), originRow));
    originLayout->addWidget(m_lat, 1);
    originLayout->addWidget(new QLabel(tr("longitude"), originRow));
    originLayout->addWidget(m_lon, 1);
    connect(m_lat, &QDoubleSpinBox::valueChanged, this, [this] { Refresh(); });
    connect(m_lon, &QDoubleSpinBox::valueChanged, this, [this] { Refresh(); });
    form->addRow(tr("Top-left corner at:"), originRow);
}

void FloorPlanDialog::SetPlan(PlanPicture plan) {
    m_plan = std::move(plan);
    m_canvas->setPlan(m_plan.image, m_plan.sourceWidth, m_plan.sourceHeight);
    m_updating = true;
    const bool pdf = m_plan.pageCount > 0;
    m_page->setRange(1, std::max(1, m_plan.pageCount));
    m_page->setValue(std::max(1, m_plan.page));
    m_page->setEnabled(m_plan.pageCount > 1);
    m_pageLabel->setText(tr("of %1").arg(m_plan.pageCount));
    m_form->setRowVisible(m_pageRow, pdf);
    for (std::size_t i = 0; i < 4; ++i) {
        m_coords[i]->setMaximum(i % 2 == 0 ? m_plan.sourceWidth : m_plan.sourceHeight);
        m_coords[i]->setValue(0.0);
    }
    m_updating = false;
    m_pointsSet = 0;
    Refresh();
}

void FloorPlanDialog::OnPageChanged(int page) {
    if (m_updating || page == m_plan.page) return;
    PlanRequest request;
    request.page = page;
    PlanLoad load = LoadPlanPicture(m_path, request);
    if (!load.ok) {
        m_summary->setText(QString::fromStdString(load.message));
        return;
    }
    SetPlan(std::move(load.plan));
}

// The first two clicks set the points in turn; later clicks move the nearer one.
void FloorPlanDialog::OnCanvasClicked(QPointF pixel) {
    std::size_t which = static_cast<std::size_t>(m_pointsSet);
    if (m_pointsSet >= 2) {
        const QPointF p1(m_coords[0]->value(), m_coords[1]->value()),
            p2(m_coords[2]->value(), m_coords[3]->value());
        const QPointF d1 = pixel - p1, d2 = pixel - p2;
        which = QPointF::dotProduct(d1, d1) <= QPointF::dotProduct(d2, d2) ? 0 : 1;
    }
    m_updating = true;
    m_coords[2 * which]->setValue(pixel.x());
    m_coords[2 * which + 1]->setValue(pixel.y());
    m_updating = false;
    m_pointsSet = std::min(2, std::max(m_pointsSet, static_cast<int>(which) + 1));
    Refresh();
    if (m_pointsSet == 2 && m_distance->text().isEmpty()) m_distance->setFocus();
}

std::optional<double> FloorPlanDialog::DistanceMetres() const {
    const std::string text = m_distance->text().trimmed().toStdString();
    // A number takes the unit chosen beside it; "12 ft" typed in full is read as written.
    if (const auto n = ParseNumber(text)) return *n * (m_unit->currentIndex() == 1 ? kMetresPerFoot : 1.0);
    return ParseDistance(text);
}

PlanPlacement FloorPlanDialog::placement() const {
    PlanPlacement p;
    p.scale = PlanScale{m_coords[0]->value(), m_coords[1]->value(), m_coords[2]->value(),
                        m_coords[3]->value(), DistanceMetres().value_or(0.0)};
    p.northDegrees = m_north->value();
    p.originLat = m_lat->value();
    p.originLon = m_lon->value();
    return p;
}

void FloorPlanDialog::Refresh() {
    std::array<std::optional<QPointF>, 2> points;
    if (m_pointsSet >= 1) points[0] = QPointF(m_coords[0]->value(), m_coords[1]->value());
    if (m_pointsSet >= 2) points[1] = QPointF(m_coords[2]->value(), m_coords[3]->value());
    m_canvas->setPoints(points);
    const PlanPlacement p = placement();
    const bool feet = m_unit->currentIndex() == 1;
    QString text;
    bool ok = false;
    if (m_pointsSet < 2) {
        text = m_pointsSet == 0 ? tr("Click the first point of a known distance on the plan.")
                                : tr("Click the second point.");
    } else if (!DistanceMetres()) {
        text = m_distance->text().trimmed().isEmpty()
                   ? tr("Type the distance between the two points.")
                   : tr("The distance \"%1\" is not a number.").arg(m_distance->text().trimmed());
    } else if (const std::string refusal = CheckPlacement(p, m_plan.sourceWidth, m_plan.sourceHeight);
               !refusal.empty()) {
        text = QString::fromStdString(refusal);
    } else {
        const double mpp = p.scale.MetresPerPixel(), unit = feet ? kMetresPerFoot : 1.0;
        const QString u = feet ? tr("ft") : tr("m");
        text = tr("%1 pixels = %2 %3: %4 %3 per pixel; the plan is %5 x %6 %3.")
                   .arg(p.scale.PixelLength(), 0, 'f', 1)
                   .arg(p.scale.metres / unit, 0, 'g', 6)
                   .arg(u)
                   .arg(mpp / unit, 0, 'g', 4)
                   .arg(m_plan.sourceWidth * mpp / unit, 0, 'f', 1)
                   .arg(m_plan.sourceHeight * mpp / unit, 0, 'f', 1);
        ok = true;
    }
    m_canvas->setScale(ok ? p.scale.MetresPerPixel() : 0.0, p.northDegrees, feet);
    m_summary->setText(text);
    m_ok->setEnabled(ok);
}

void FloorPlanDialog::accept() {
    if (!m_ok->isEnabled()) return;
    m_map = MakeFloorPlanMap(m_plan, placement());
    if (!m_map.ok) {
        m_summary->setText(QString::fromStdString(m_map.message));
        return;
    }
    QDialog::accept();
}

} // namespace plotra::gui
