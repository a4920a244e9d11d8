#include "panel/ControlView.h"

#include "analysis/Reliability.h"
#include "app/GuiSession.h"
#include "model/PlotraDoc.h"
#include "panel/ApTreeBuilder.h"
#include "panel/ApTreeCtrl.h"
#include "panel/BitCheckButton.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"
#include "panel/PanelTexts.h"
#include "panel/RangeControl.h"
#include "panel/ResolutionControl.h"

#include <QColorDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace plotra::gui {

namespace {

const QColor kTextColour(20, 20, 200);
const QColor kHeaderDisabledText(200, 20, 20);
constexpr int kColumnWidth = 210; // the width of a header bar; everything else fits inside it

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

/// The separator lines between the rows of a section.
class Separator : public QWidget {
  public:
    explicit Separator(QWidget* parent) : QWidget(parent) { setFixedHeight(6); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(QColor(200, 200, 20), 2));
        p.drawLine(5, 3, width() - 2, 3);
    }
};

QWidget* Gap(QWidget* parent, int height) {
    auto* gap = new QWidget(parent);
    gap->setFixedHeight(height);
    return gap;
}

/// Header bar pictures: open/closed x normal/pressed, made once.
const QPixmap& HeaderPixmap(bool open, bool pressed) {
    static const std::array<QPixmap, 4> pictures{
        artwork::HeaderPicture(false, false), artwork::HeaderPicture(false, true),
        artwork::HeaderPicture(true, false), artwork::HeaderPicture(true, true)};
    return pictures[(open ? 2u : 0u) + (pressed ? 1u : 0u)];
}

void ShowHeaderState(CImageTextButton* header, bool open) {
    const bool wasOpen = header->property("open").toBool();
    if (header->ImageCount() > 0 && wasOpen == open) return;
    header->setProperty("open", open);
    header->SetImages(HeaderPixmap(open, false), HeaderPixmap(open, true));
}

/// Sets an edit's text when the document's text for it changed since it was last shown, so that
/// what the user is typing survives notices about other things.
void ShowText(QLineEdit* edit, const QString& text, bool force = false) {
    if (!force && edit->property("shown").toString() == text && edit->property("shownSet").toBool()) return;
    edit->setProperty("shown", text);
    edit->setProperty("shownSet", true);
    edit->setText(text);
    edit->setCursorPosition(0);
}

void SetLabel(QLabel* label, const std::string& text) {
    const QString t = Q(text);
    if (label->text() != t) label->setText(t);
}

/// The edit boxes' font: the default face whose lines (ascent and descent) are 15 pixels high, or
/// the largest size below that when the face has no such size.
QFont EditFont() {
    constexpr int kLineHeight = 15;
    QFont font;
    int size = kLineHeight;
    for (; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).height() <= kLineHeight) break;
    }
    font.setPixelSize(size);
    return font;
}

QString ReliabilityText(float value) {
    // Zero is what a new project holds: the field stays empty until the user types or a result comes.
    return value == 0.0f ? QString() : QString::number(static_cast<double>(value), 'g', 6);
}

} // namespace

CControlView::CControlView(GuiSession& session, QWidget* parent) : QScrollArea(parent), m_session(session) {
    setObjectName("CControlView");
    m_fontText = QFont(QStringLiteral("Arial"));
    m_fontText.setPointSize(9);
    m_fontEdit = EditFont();
    m_lineHeight = QFontMetrics(font()).boundingRect(QStringLiteral("XXXXX")).height();
    BuildControls();
    Connect();
    m_treeBuilder->RebuildApTree();
    SyncReliabilityFields(true);
    SyncFromDocument();
}

CControlView::~CControlView() = default;

CPlotraDoc& CControlView::Doc() {
    return m_session.doc();
}

// ---------------------------------------------------------------------------------------------
// Building the controls

void CControlView::BuildControls() {
    m_content = new QWidget(this);
    m_content->setObjectName("CControlViewContent");
    m_content->setAutoFillBackground(true);
    QPalette palette = m_content->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, kTextColour);
    m_content->setPalette(palette);

    auto* column = new QVBoxLayout(m_content);
    column->setContentsMargins(5, 4, 5, 20);
    column->setSpacing(0);
    column->setSizeConstraint(QLayout::SetMinAndMaxSize);

    auto header = [this](const char* id, const QString& title) {
        auto* h = new CImageTextButton(title, m_content);
        h->setObjectName(id);
        h->SetText(title);
        h->SetTextColours(kTextColour, kHeaderDisabledText);
        h->SetTextPos(20, 1);
        h->SetFont(QStringLiteral("Arial"), 16);
        ShowHeaderState(h, false);
        return h;
    };

    m_headerMeasurement = header("144", QStringLiteral("Measurement Information"));
    column->addWidget(m_headerMeasurement);
    column->addWidget(m_bodyMeasurement = BuildMeasurementSection());
    column->addWidget(m_gapMeasurement = Gap(m_content, 30));

    m_headerSorting = header("171", QStringLiteral("AP Sorting & Selection"));
    column->addWidget(m_headerSorting);
    // The open sorting section takes the height the other sections leave, for its tree.
    column->addWidget(m_bodySorting = BuildSortingSection(), 1);
    column->addWidget(m_gapSorting = Gap(m_content, 30));

    m_headerReliability = header("101", QStringLiteral("Reliability Analysis"));
    column->addWidget(m_headerReliability);
    column->addWidget(m_bodyReliability = BuildReliabilitySection());
    column->addWidget(m_gapReliability = Gap(m_content, 30));

    column->addWidget(m_displayBlock = BuildDisplayBlock());
    column->addWidget(m_gapDisplay = Gap(m_content, 20));

    m_headerGraph = header("169", QStringLiteral("Graph Selection"));
    m_graphSection = new QWidget(m_content);
    auto* graph = new QVBoxLayout(m_graphSection);
    graph->setContentsMargins(0, 0, 0, 0);
    graph->setSpacing(0);
    m_headerGraph->setParent(m_graphSection);
    graph->addWidget(m_headerGraph);
    graph->addWidget(BuildGraphSection());
    column->addWidget(m_graphSection);
    // The spare height while the sorting section is closed (an open one has the larger stretch).
    column->addStretch(0);

    setWidget(m_content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setBackgroundRole(QPalette::Base);
    setFrameShape(QFrame::NoFrame);
    setMinimumWidth(kColumnWidth + 12 + verticalScrollBar()->sizeHint().width());
}

QWidget* CControlView::BuildMeasurementSection() {
    auto* body = new QWidget(m_content);
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(5, 3, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, body);
        l->setFont(m_fontText);
        return l;
    };
    auto edit = [&](const char* id) {
        auto* e = new QLineEdit(body);
        e->setObjectName(id);
        e->setFont(m_fontEdit);
        e->setReadOnly(true);
        e->setFixedWidth(68);
        return e;
    };
    m_labelNorth = label(QStringLiteral("North"));
    m_labelWest = label(QStringLiteral("West"));
    m_labelSouth = label(QStringLiteral("South"));
    m_labelEast = label(QStringLiteral("East"));
    m_editNorth = edit("103");
    m_editSouth = edit("107");
    m_editEast = edit("108");
    m_editWest = edit("109");
    grid->addWidget(m_labelNorth, 0, 0);
    grid->addWidget(m_editNorth, 0, 1);
    grid->addWidget(m_labelWest, 0, 2);
    grid->addWidget(m_editWest, 0, 3);
    grid->addWidget(m_labelSouth, 1, 0);
    grid->addWidget(m_editSouth, 1, 1);
    grid->addWidget(m_labelEast, 1, 2);
    grid->addWidget(m_editEast, 1, 3);
    grid->addWidget(new Separator(body), 2, 0, 1, 4);
    m_labelArea = label(QStringLiteral("Area Size in Feet:"));
    grid->addWidget(m_labelArea, 3, 0, 1, 4);
    m_editHeight = edit("1020");
    m_editWidth = edit("1021");
    grid->addWidget(label(QStringLiteral("Height:")), 4, 0);
    grid->addWidget(m_editHeight, 4, 1);
    grid->addWidget(label(QStringLiteral("Width:")), 4, 2);
    grid->addWidget(m_editWidth, 4, 3);
    grid->addWidget(new Separator(body), 5, 0, 1, 4);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);
    return body;
}

QWidget* CControlView::BuildSortingSection() {
    auto* body = new QWidget(m_content);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(5, 3, 0, 0);
    column->setSpacing(2);
    m_radioSsid = new QRadioButton(QStringLiteral("By SSID"), body);
    m_radioSsid->setObjectName("161");
    m_radioChannel = new QRadioButton(QStringLiteral("By Channel"), body);
    m_radioChannel->setObjectName("163");
    for (QRadioButton* r : {m_radioSsid, m_radioChannel}) {
        r->setFont(m_fontText);
        r->setAutoExclusive(false); // the document's sort mode decides which one is checked
        column->addWidget(r);
    }
    auto* powerLabel = new QLabel(body);
    powerLabel->setObjectName("216");
    powerLabel->setTextFormat(Qt::PlainText);
    powerLabel->setText(QStringLiteral("        Select Power Range in dBm"));
    powerLabel->setFont(m_fontText);
    column->addSpacing(4);
    column->addWidget(powerLabel);
    m_powerRange = new CRangeControl(artwork::RangeArt::PowerRange, -100, -30, QStringLiteral("dBm"), body);
    m_powerRange->setObjectName("215");
    m_powerRange->SetCaption(QStringLiteral("Power Range"));
    m_powerRange->SetValues(-100, -30);
    m_powerRange->setFixedSize(200, m_lineHeight + 15);
    column->addWidget(m_powerRange);
    column->addSpacing(8);

    m_treeFilter = new QLineEdit(body);
    m_treeFilter->setObjectName("apFilter");
    m_treeFilter->setPlaceholderText(QStringLiteral("Filter by MAC or SSID"));
    m_treeFilter->setClearButtonEnabled(true);
    m_treeFilter->setFont(m_fontEdit);
    column->addWidget(m_treeFilter);

    m_tree = new ApTreeCtrl(body);
    m_tree->setObjectName("165");
    // At least the header's width, wider with the pane; long item texts scroll sideways. At least a
    // few rows high, and any height the pane has to spare: a survey can hold a thousand APs.
    m_tree->setMinimumWidth(208);
    m_tree->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setIndentation(14);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_tree->setPalette(palette);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_treeBuilder = std::make_unique<ApTreeBuilder>(*m_tree, Doc());
    column->addWidget(m_tree, 1);
    column->addWidget(m_selectedApBlock = BuildSelectedApBlock());
    return body;
}

QWidget* CControlView::BuildSelectedApBlock() {
    auto* block = new QWidget(m_content);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(0, 8, 0, 0);
    column->setSpacing(2);
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, block);
        l->setFont(m_fontText);
        return l;
    };
    column->addWidget(label(QStringLiteral("Location of Selected AP")));
    auto* location = new QGridLayout;
    location->setHorizontalSpacing(4);
    location->setVerticalSpacing(2);
    m_labelApY = label(QStringLiteral("Lat:"));
    m_labelApX = label(QStringLiteral("Lon:"));
    m_editApY = new QLineEdit(block);
    m_editApY->setObjectName("114");
    m_editApX = new QLineEdit(block);
    m_editApX->setObjectName("115");
    for (QLineEdit* e : {m_editApY, m_editApX}) {
        e->setFont(m_fontEdit);
        e->setFixedWidth(92);
    }
    m_inputPosition = new CImageTextButton(QStringLiteral("Input AP Position"), block);
    m_inputPosition->setObjectName("242");
    m_inputPosition->setToolTip(QStringLiteral("Input AP Position"));
    m_inputPosition->SetImages(artwork::InputPositionPicture(false), artwork::InputPositionPicture(true));
    location->addWidget(m_labelApY, 0, 0);
    location->addWidget(m_editApY, 0, 1);
    location->addWidget(m_labelApX, 1, 0);
    location->addWidget(m_editApX, 1, 1);
    location->addWidget(m_inputPosition, 0, 2, 2, 1, Qt::AlignCenter);
    location->setColumnStretch(0, 1);
    column->addLayout(location);
    column->addWidget(new Separator(block));
    auto* model = new QGridLayout;
    model->setHorizontalSpacing(4);
    model->setVerticalSpacing(2);
    m_editExponent = new QLineEdit(block);
    m_editExponent->setObjectName("124");
    m_editShadowing = new QLineEdit(block);
    m_editShadowing->setObjectName("125");
    for (QLineEdit* e : {m_editExponent, m_editShadowing}) {
        e->setFont(m_fontEdit);
        e->setReadOnly(true);
        e->setFixedWidth(47);
    }
    model->addWidget(label(QStringLiteral("Path Loss Exponent:")), 0, 0);
    model->addWidget(m_editExponent, 0, 1);
    model->addWidget(label(QStringLiteral("Shadowing Std. in dB:")), 1, 0);
    model->addWidget(m_editShadowing, 1, 1);
    model->setColumnStretch(0, 1);
    column->addLayout(model);
    column->addWidget(new Separator(block));
    return block;
}

QWidget* CControlView::BuildReliabilitySection() {
    auto* body = new QWidget(m_content);
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(5, 3, 0, 0);
    column->setSpacing(2);
    auto label = [&](const QString& text) {
        auto* l = new QLabel(text, body);
        l->setFont(m_fontText);
        return l;
    };
    auto edit = [&](const char* id, int width, bool readOnly) {
        auto* e = new QLineEdit(body);
        e->setObjectName(id);
        e->setFont(m_fontEdit);
        e->setFixedWidth(width);
        e->setReadOnly(readOnly);
        return e;
    };
    m_radioSingle = new QRadioButton(QStringLiteral("Single AP Analysis"), body);
    m_radioSingle->setObjectName("173");
    m_radioGroup = new QRadioButton(QStringLiteral("Group AP analysis"), body);
    m_radioGroup->setObjectName("174");
    for (QRadioButton* r : {m_radioSingle, m_radioGroup}) {
        r->setFont(m_fontText);
        r->setAutoExclusive(false);
        column->addWidget(r);
    }
    column->addWidget(new Separator(body));
    auto* threshold = new QHBoxLayout;
    m_editThreshold = edit("148", 50, false);
    threshold->addWidget(label(QStringLiteral("Power Threshold in dBm:")));
    threshold->addStretch(1);
    threshold->addWidget(m_editThreshold);
    column->addLayout(threshold);
    column->addWidget(new Separator(body));
    auto* titles = new QHBoxLayout;
    m_labelRadius = label(QStringLiteral("Radius (feet)"));
    titles->addWidget(m_labelRadius);
    titles->addStretch(1);
    titles->addWidget(label(QStringLiteral("Bn. Reliability")));
    column->addLayout(titles);
    auto* fields = new QHBoxLayout;
    fields->setSpacing(2);
    m_editRadius = edit("153", 63, false);
    m_editProbability = edit("156", 63, false);
    m_buttonToRadius = new QPushButton(QStringLiteral("<-"), body);
    m_buttonToRadius->setObjectName("149");
    m_buttonToProbability = new QPushButton(QStringLiteral("->"), body);
    m_buttonToProbability->setObjectName("150");
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(1);
    for (QPushButton* b : {m_buttonToRadius, m_buttonToProbability}) {
        b->setFixedSize(68, 17);
        b->setFont(m_fontText);
        arrows->addWidget(b);
    }
    m_buttonToRadius->setToolTip(QStringLiteral("Radius for the boundary reliability"));
    m_buttonToProbability->setToolTip(QStringLiteral("Reliabilities for the radius"));
    fields->addWidget(m_editRadius);
    fields->addLayout(arrows);
    fields->addWidget(m_editProbability);
    column->addLayout(fields);
    column->addWidget(new Separator(body));
    auto* cell = new QHBoxLayout;
    m_editCell = edit("151", 55, true);
    cell->addWidget(label(QStringLiteral("Cell Reliability:")));
    cell->addStretch(1);
    cell->addWidget(m_editCell);
    column->addLayout(cell);
    return body;
}

QWidget* CControlView::BuildDisplayBlock() {
    auto* block = new QWidget(m_content);
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(5, 0, 0, 0);
    column->setSpacing(2);
    auto* transparencyLabel = new QLabel(QStringLiteral("Transparency"), block);
    transparencyLabel->setObjectName("131");
    transparencyLabel->setFont(m_fontText);
    column->addWidget(transparencyLabel);
    m_transparency = new CRangeControl(artwork::RangeArt::Transparency, 0, 100, QString(), block);
    m_transparency->setObjectName("136");
    m_transparency->SetCaption(QStringLiteral("Transparency"));
    m_transparency->SetValues(0, 100);
    m_transparency->SetBackColour(QColor(144, 144, 80));
    m_transparency->SetBandColour(QColor(144, 144, 80));
    m_transparency->setFixedSize(200, m_lineHeight + 12);
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

    m_matrixY = new CResolutionControl(artwork::ResolutionArt::Matrix, block);
    m_matrixY->setObjectName("168");
    m_matrixX = new CResolutionControl(artwork::ResolutionArt::Matrix, block);
    m_matrixX->setObjectName("189");
    for (CResolutionControl* m : {m_matrixY, m_matrixX}) {
        m->SetWholeNumbers(false);
        m->SetParameters(200, 50, 200, 200, QString());
    }
    column->addSpacing(4);
    auto* third = row(0);
    third->setSpacing(4);
    third->addWidget(m_matrixY);
    third->addWidget(m_matrixX);
    third->addStretch(1);

    m_plotCoverage = new CImageTextButton(QStringLiteral("Plot Coverage"), block);
    m_plotCoverage->setObjectName("190");
    m_plotCoverage->SetImages(artwork::PlotCoveragePicture(false), artwork::PlotCoveragePicture(true));
    m_plotCoverage->SetText(QStringLiteral("Plot Coverage"));
    m_plotCoverage->SetTextColours(kTextColour, QColor(150, 150, 150));
    m_plotCoverage->SetTextPos(20, 1);
    m_plotCoverage->SetFont(QStringLiteral("Arial"), 16);
    column->addSpacing(8);
    auto* fourth = row(25);
    fourth->addWidget(m_plotCoverage);
    fourth->addStretch(1);
    return block;
}

QWidget* CControlView::BuildGraphSection() {
    auto* part = new QWidget(m_content);
    auto* column = new QVBoxLayout(part);
    column->setContentsMargins(5, 2, 0, 0);
    column->setSpacing(2);
    m_bodyGraph = new QWidget(part);
    auto* radios = new QVBoxLayout(m_bodyGraph);
    radios->setContentsMargins(0, 0, 0, 0);
    radios->setSpacing(0);
    m_radioPower = new QRadioButton(QStringLiteral("Signal Power"), m_bodyGraph);
    m_radioPower->setObjectName("176");
    m_radioSnr = new QRadioButton(QStringLiteral("Signal-to-Noise Ratio"), m_bodyGraph);
    m_radioSnr->setObjectName("178");
    m_radioCount = new QRadioButton(QStringLiteral("Number of Overlay APs"), m_bodyGraph);
    m_radioCount->setObjectName("180");
    for (QRadioButton* r : {m_radioPower, m_radioSnr, m_radioCount}) {
        r->setFont(m_fontText);
        r->setAutoExclusive(false);
        radios->addWidget(r);
    }
    // The panel offers two of the three graphs: the SNR choice exists but is never shown.
    m_radioSnr->hide();
    column->addWidget(m_bodyGraph);
    column->addSpacing(6);

    auto toggle = [&](const char* id, const QString& caption, artwork::ToggleArt art) {
        auto* t = new CBitCheckButton(caption, part);
        t->setObjectName(id);
        t->LoadBitmaps(artwork::ToggleStrip(art));
        t->SetToggle(true);
        t->setToolTip(caption);
        return t;
    };
    m_toggleMultiContours =
        toggle("141", QStringLiteral("Multiple contours"), artwork::ToggleArt::MultiContours);
    m_toggleOverlay = toggle("183", QStringLiteral("Coverage overlay"), artwork::ToggleArt::CoverageOverlay);
    auto* toggles = new QHBoxLayout;
    toggles->setContentsMargins(40, 0, 0, 0);
    toggles->addWidget(m_toggleMultiContours);
    toggles->addSpacing(38);
    toggles->addWidget(m_toggleOverlay);
    toggles->addStretch(1);
    column->addLayout(toggles);
    column->addSpacing(4);
    auto* contourLabel = new QLabel(QStringLiteral("Contour"), part);
    contourLabel->setObjectName("138");
    contourLabel->setFont(m_fontText);
    column->addWidget(contourLabel);
    m_contour = new CRangeControl(artwork::RangeArt::Contour, -100, -30, QStringLiteral("dBm"), part);
    m_contour->setObjectName("140");
    m_contour->SetValues(-100, -30);
    m_contour->SetBackColour(QColor(128, 200, 0));
    m_contour->SetBandColour(QColor(128, 200, 0));
    m_contour->setFixedSize(200, m_lineHeight + 12);
    column->addWidget(m_contour);
    m_labelContourCaption = new QLabel(part);
    m_labelContourCaption->setFont(m_fontText);
    column->addWidget(m_labelContourCaption);
    return part;
}

// ---------------------------------------------------------------------------------------------
// Gestures

void CControlView::Connect() {
    CPlotraDoc& doc = Doc();
    connect(&m_session.notices(), &DocumentSignals::changed, this, &CControlView::OnNotice);
    connect(&m_session, &GuiSession::jobStarted, this, &CControlView::SyncFromDocument);
    connect(&m_session, &GuiSession::jobFinished, this, &CControlView::SyncFromDocument);

    // Every gesture ends by showing the document again: an edit the document refused (or that needed
    // no notice) must not leave a control in the state the click put it in.
    auto then = [this](auto&& f) {
        return [this, f] {
            f();
            SyncFromDocument();
        };
    };
    connect(m_headerMeasurement, &QAbstractButton::clicked, this,
            then([&doc] { doc.ToggleSection(kSectionMeasurement); }));
    connect(m_headerSorting, &QAbstractButton::clicked, this,
            then([&doc] { doc.ToggleSection(kSectionSorting); }));
    connect(m_headerReliability, &QAbstractButton::clicked, this,
            then([&doc] { doc.ToggleSection(kSectionReliability); }));
    connect(m_headerGraph, &QAbstractButton::clicked, this,
            then([&doc] { doc.ToggleSection(kSectionGraph); }));

    connect(m_radioSingle, &QRadioButton::clicked, this, then([&doc] { doc.SetAnalysisMode(1); }));
    connect(m_radioGroup, &QRadioButton::clicked, this, then([&doc] { doc.SetAnalysisMode(2); }));
    connect(m_radioPower, &QRadioButton::clicked, this, then([&doc] { doc.SetGraphType(1); }));
    connect(m_radioSnr, &QRadioButton::clicked, this, then([&doc] { doc.SetGraphType(2); }));
    connect(m_radioCount, &QRadioButton::clicked, this, then([&doc] { doc.SetGraphType(3); }));
    connect(m_radioSsid, &QRadioButton::clicked, this, then([&doc] { doc.SetSortMode(1); }));
    connect(m_radioChannel, &QRadioButton::clicked, this, then([&doc] { doc.SetSortMode(2); }));

    connect(m_plotCoverage, &QAbstractButton::clicked, this, &CControlView::OnPlotCoverage);
    connect(m_inputPosition, &QAbstractButton::clicked, this, &CControlView::OnInputApPosition);
    connect(m_editApY, &QLineEdit::returnPressed, this, &CControlView::OnInputApPosition);
    connect(m_editApX, &QLineEdit::returnPressed, this, &CControlView::OnInputApPosition);
    connect(m_buttonToRadius, &QPushButton::clicked, this, [this] { OnReliability(false); });
    connect(m_buttonToProbability, &QPushButton::clicked, this, [this] { OnReliability(true); });

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
    flag(m_toggleOverlay, DisplayFlag::CoverageOverlay);
    connect(m_toggleMultiContours, &CBitCheckButton::clicked, this,
            then([&doc, this] { doc.SetMultipleContours(m_toggleMultiContours->IsDown()); }));
    connect(m_lineWidth, &QAbstractButton::clicked, this, then([&doc] { doc.CycleLineWidth(); }));

    connect(m_transparency, &CRangeControl::notified, this, then([&doc, this] {
                switch (m_transparency->DragState()) {
                case CRangeControl::kLowThumb:
                    doc.SetTransparency(m_transparency->LowValue());
                    break;
                case CRangeControl::kHighThumb:
                    doc.SetTransparency(m_transparency->HighValue());
                    break;
                default:
                    break;
                }
            }));
    connect(m_powerRange, &CRangeControl::notified, this, then([&doc, this] {
                if (m_powerRange->DragState() == CRangeControl::kLowThumb)
                    doc.SetPowerRange(m_powerRange->LowValue(), doc.m_nPowerRangeHigh);
                else if (m_powerRange->DragState() == CRangeControl::kHighThumb)
                    doc.SetPowerRange(doc.m_nPowerRangeLow, m_powerRange->HighValue());
            }));
    connect(m_contour, &CRangeControl::notified, this, then([&doc, this] {
                const bool high = m_contour->DragState() == CRangeControl::kHighThumb;
                if (m_contour->DragState() != CRangeControl::kNone)
                    doc.SetThreshold(high, high ? m_contour->HighValue() : m_contour->LowValue());
            }));
    connect(m_gridResolution, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetGridDivisions(static_cast<int>(value));
        SyncFromDocument();
    });
    connect(m_matrixX, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetResolution(false, value);
        SyncFromDocument();
    });
    connect(m_matrixY, &CResolutionControl::notified, this, [this, &doc](double value) {
        doc.SetResolution(true, value);
        SyncFromDocument();
    });

    connect(m_treeFilter, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_treeBuilder->SetFilter(text); });
    connect(m_tree, &ApTreeCtrl::tickClicked, this, &CControlView::OnTickClicked);
    connect(m_tree, &ApTreeCtrl::iconClicked, this, &CControlView::OnIconClicked);
    connect(m_tree, &ApTreeCtrl::iconRightClicked, this, &CControlView::OnIconRightClicked);
}

void CControlView::OnTickClicked(QTreeWidgetItem* item) {
    const int data = ApTreeCtrl::ItemData(item);
    const bool ticked = item->checkState(0) == Qt::Checked;
    if (data < 0)
        Doc().SetGroupTicked(-1 - data, ticked);
    else
        Doc().SetApTicked(data, ticked);
    // The notice has brought the concerned items up to date; an edit that was refused has sent none,
    // and the tick boxes must show the document's ticks, not the click's.
    if (data >= 0)
        m_treeBuilder->UpdateTicks({data});
    else
        m_treeBuilder->UpdateGroupTicks(-1 - data);
    SyncFromDocument();
}

void CControlView::OnIconClicked(QTreeWidgetItem* item) {
    Doc().ClickTreeIcon(ApTreeCtrl::ItemData(item) < 0);
    SyncFromDocument();
}

void CControlView::OnIconRightClicked(QTreeWidgetItem* item) {
    const int data = ApTreeCtrl::ItemData(item);
    const bool group = data < 0;
    const int index = group ? -1 - data : data;
    std::optional<COLORREF> chosen;
    if (const std::optional<COLORREF> current = Doc().TreeIconColour(group, index)) {
        QColorDialog dialog(QColor(RedOf(*current), GreenOf(*current), BlueOf(*current)));
        dialog.setObjectName("CColorDialog");
        if (dialog.exec() == QDialog::Accepted) {
            const QColor c = dialog.selectedColor();
            chosen = Rgb(c.red(), c.green(), c.blue());
        }
    }
    // Also without a dialog, and after Cancel: the combined display is dropped and the views redrawn.
    Doc().SetTreeIconColour(group, index, chosen);
    SyncFromDocument();
}

void CControlView::OnPlotCoverage() {
    const CPlotraDoc& doc = Doc();
    if (doc.m_aAPs.empty() || doc.m_bTableWindowActive || m_session.jobRunning()) return;
    m_session.startCoverage();
    SyncFromDocument();
}

void CControlView::OnInputApPosition() {
    if (!SelectedApShown(Doc())) return;
    Doc().TypeApPosition(m_editApY->text().toStdString(), m_editApX->text().toStdString());
    // Accepted, refused or ignored: the edits show where the AP is now.
    SyncSelectedAp(true);
    SyncFromDocument();
}

void CControlView::OnReliability(bool fromRadius) {
    ReliabilityFields fields{m_editRadius->text().toStdString(), m_editThreshold->text().toStdString(),
                             m_editProbability->text().toStdString(), m_editCell->text().toStdString()};
    // The results are written from the fields below; the notice in between must not rewrite them.
    m_reliabilityShown = false;
    if (fromRadius)
        ReliabilityFromRadius(Doc(), fields);
    else
        RadiusFromReliability(Doc(), fields);
    if (fromRadius)
        ShowText(m_editProbability, Q(fields.probability), true);
    else
        ShowText(m_editRadius, Q(fields.radius), true);
    ShowText(m_editCell, Q(fields.cell), true);
    m_shownReliability = Doc().m_panel.m_afReliability;
    m_reliabilityShown = true;
    SyncFromDocument();
}

// ---------------------------------------------------------------------------------------------
// Showing the document

void CControlView::OnNotice(const ChangeNotice& notice) {
    switch (notice.what) {
    case DocChange::Everything:
        m_treeBuilder->RebuildApTree();
        SyncReliabilityFields(true);
        SyncSelectedAp(true);
        break;
    case DocChange::Groups:
        if (notice.field == ApField::Colour)
            m_treeBuilder->RefreshApTreeIcons();
        else
            m_treeBuilder->RebuildApTree();
        break;
    case DocChange::Selection:
        m_treeBuilder->UpdateTicks(notice.aps);
        break;
    case DocChange::Aps:
        if (notice.field == ApField::Position || notice.field == ApField::Model ||
            notice.field == ApField::All)
            SyncSelectedAp(true);
        break;
    default:
        break;
    }
    SyncFromDocument();
}

void CControlView::SyncReliabilityFields(bool force) {
    const auto& values = Doc().m_panel.m_afReliability;
    if (!force && m_reliabilityShown && values == m_shownReliability) return;
    const std::array<QLineEdit*, 4> edits{m_editRadius, m_editThreshold, m_editProbability, m_editCell};
    for (std::size_t k = 0; k < 4; ++k)
        if (force || !m_reliabilityShown || values[k] != m_shownReliability[k])
            ShowText(edits[k], ReliabilityText(values[k]), true);
    m_shownReliability = values;
    m_reliabilityShown = true;
}

void CControlView::SyncSelectedAp(bool force) {
    const CPlotraDoc& doc = Doc();
    const SelectedApTexts t = SelectedApValues(doc, doc.m_panel.m_nSelectedAP);
    SetLabel(m_labelApY, t.yLabel);
    SetLabel(m_labelApX, t.xLabel);
    ShowText(m_editApY, Q(t.y), force);
    ShowText(m_editApX, Q(t.x), force);
    ShowText(m_editExponent, Q(t.exponent), force);
    ShowText(m_editShadowing, Q(t.shadowing), force);
}

void CControlView::SyncFromDocument() {
    const CPlotraDoc& doc = Doc();
    const bool data = doc.m_bDataLoaded != 0;
    const bool combined = doc.m_bCombined != 0;
    m_content->setUpdatesEnabled(false);

    // Measurement Information.
    const bool measurementOpen = doc.SectionExpanded(kSectionMeasurement);
    ShowHeaderState(m_headerMeasurement, measurementOpen);
    m_bodyMeasurement->setVisible(measurementOpen);
    m_gapMeasurement->setFixedHeight(measurementOpen ? 14 : 30);
    if (measurementOpen) {
        const MeasurementTexts m = MeasurementValues(doc);
        SetLabel(m_labelNorth, m.northLabel);
        SetLabel(m_labelWest, m.westLabel);
        SetLabel(m_labelSouth, m.southLabel);
        SetLabel(m_labelEast, m.eastLabel);
        SetLabel(m_labelArea, m.areaLabel);
        ShowText(m_editNorth, Q(m.north));
        ShowText(m_editWest, Q(m.west));
        ShowText(m_editSouth, Q(m.south));
        ShowText(m_editEast, Q(m.east));
        ShowText(m_editHeight, Q(m.height));
        ShowText(m_editWidth, Q(m.width));
    }

    // AP Sorting & Selection.
    const bool sortingOpen = doc.SectionExpanded(kSectionSorting);
    ShowHeaderState(m_headerSorting, sortingOpen);
    m_bodySorting->setVisible(sortingOpen);
    m_radioSsid->setChecked(doc.m_nSortMode == 1);
    m_radioChannel->setChecked(doc.m_nSortMode == 2);
    if (!m_powerRange->Dragging()) m_powerRange->SetValues(doc.m_nPowerRangeLow, doc.m_nPowerRangeHigh);
    const int shownAps = static_cast<int>(std::min<std::size_t>(doc.m_aAPs.size(), 5));
    m_tree->setMinimumHeight((shownAps + 3) * m_lineHeight);
    const bool selectedShown = SelectedApShown(doc);
    m_selectedApBlock->setVisible(selectedShown);
    if (selectedShown) SyncSelectedAp(false);

    // Reliability Analysis.
    const bool reliabilityOpen = doc.SectionExpanded(kSectionReliability);
    ShowHeaderState(m_headerReliability, reliabilityOpen);
    m_bodyReliability->setVisible(reliabilityOpen);
    m_radioSingle->setChecked(data && doc.m_nAnalysisMode == 1);
    m_radioGroup->setChecked(data && doc.m_nAnalysisMode == 2);
    SetLabel(m_labelRadius, RadiusLabel(doc));
    SyncReliabilityFields(false);

    // Display block.
    m_displayBlock->setVisible(data);
    m_gapReliability->setFixedHeight(reliabilityOpen ? 20 : 30);
    if (data) {
        // The percent the alpha came from (alpha = percent * 255 / 100, truncated), rounded back: a
        // percent set by a drag or a key shows as itself, and 255 as 100.
        if (!m_transparency->Dragging())
            m_transparency->SetValues((doc.m_nAlpha * 100 + 127) / 255, m_transparency->HighValue());
        m_togglePath->SetCheck(doc.m_bShowPath ? 1 : 0);
        m_toggleNoGps->SetCheck(doc.m_bShowNoGps ? 1 : 0);
        m_toggleApMarkers->SetCheck(doc.m_bShowApMarkers ? 1 : 0);
        m_toggleLonLat->SetCheck(doc.m_bShowLonLat ? 1 : 0);
        m_toggleXGrid->SetCheck(doc.m_bXGrid ? 1 : 0);
        m_toggleYGrid->SetCheck(doc.m_bYGrid ? 1 : 0);
        // Without the path there is nothing to widen and no GPS state to mark on it.
        m_lineWidth->setEnabled(doc.m_bShowPath != 0);
        m_toggleNoGps->setEnabled(doc.m_bShowPath != 0);
        const int width = std::clamp(doc.m_nLineWidth, 1, 3);
        if (m_lineWidth->property("width").toInt() != width) {
            m_lineWidth->setProperty("width", width);
            m_lineWidth->SetImages(artwork::LineWidthPicture(width, false),
                                   artwork::LineWidthPicture(width, true));
        }
        if (m_gridResolution->DragState() == CResolutionControl::kNone &&
            static_cast<int>(m_gridResolution->Value()) != doc.m_nGridDivisions)
            m_gridResolution->SetParameters(doc.m_nGridDivisions, 3, 10, 5, QStringLiteral("Lines"));
        auto matrix = [&](CResolutionControl* control, const ResolutionSlider& s, bool yAxis) {
            const QString unit = Q(MatrixUnit(doc, yAxis));
            const double tolerance = 1e-9 * std::max(1.0, std::abs(s.maximum - s.minimum));
            if (control->DragState() != CResolutionControl::kNone) return;
            // A value the thumb itself produced is not set again: the thumb would move back a pixel
            // whenever the division does not come out exactly.
            if (control->Unit() != unit || control->Minimum() != s.minimum ||
                control->Maximum() != s.maximum || std::abs(control->Value() - s.value) > tolerance)
                control->SetParameters(s.value, s.minimum, s.maximum, s.maximum, unit);
        };
        matrix(m_matrixX, doc.m_panel.m_resolutionX, false);
        matrix(m_matrixY, doc.m_panel.m_resolutionY, true);
        // One calculation at a time: the button waits while one runs.
        m_plotCoverage->setEnabled(!m_session.jobRunning());
    }

    // Graph Selection.
    m_graphSection->setVisible(combined);
    const bool graphOpen = doc.SectionExpanded(kSectionGraph);
    ShowHeaderState(m_headerGraph, graphOpen);
    const QString graphName = Q(GraphName(doc.m_nGraphType));
    if (m_headerGraph->DrawnText() != graphName) {
        m_headerGraph->SetText(graphName);
        m_headerGraph->setText(graphName);
    }
    m_bodyGraph->setVisible(graphOpen);
    m_radioPower->setChecked(doc.m_nGraphType == 1);
    m_radioSnr->setChecked(doc.m_nGraphType == 2);
    m_radioCount->setChecked(doc.m_nGraphType == 3);
    m_toggleMultiContours->SetCheck(doc.m_bMultiContours ? 1 : 0);
    m_toggleOverlay->SetCheck(doc.m_bCoverageOverlay ? 1 : 0);
    // The overlay applies to the plain coverage; the multiple contours draw their own areas.
    m_toggleOverlay->setEnabled(!doc.m_bMultiContours);
    if (!m_contour->Dragging()) {
        const auto [low, high] = doc.ContourSliderRange();
        m_contour->SetRange(low, high);
        m_contour->SetValues(doc.m_panel.m_nContourLow, doc.m_panel.m_nContourHigh);
        m_contour->SetUnit(doc.m_nGraphType == 3   ? QString()
                           : doc.m_nGraphType == 2 ? QStringLiteral("dB")
                                                   : QStringLiteral("dBm"));
    }
    const QString caption = combined ? Q(ContourCaption(doc.m_nGraphType)) : QStringLiteral("Show Contour");
    m_contour->SetCaption(caption);
    if (m_labelContourCaption->text() != caption) m_labelContourCaption->setText(caption);

    m_content->setUpdatesEnabled(true);
}

} // namespace plotra::gui
