// The control panel through its widgets: sections and what they show, every control's edit of the
// document, Plot Coverage as a job and the graph choice after it, the reliability analysis with its
// messages, the selected AP's block and typed positions.
#include "PanelFixture.h"
#include "analysis/Reliability.h"
#include "mapview/DemoDocument.h"
#include "model/EditAccess.h"
#include "panel/PanelTexts.h"

#include <gtest/gtest.h>

#include <QColorDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>

#include <cmath>

using namespace plotra;
using namespace plotra::gui;
using namespace plotra::test;

namespace {

std::string Format4(double v) {
    return QString::asprintf("%1.4f", v).toStdString();
}

} // namespace

TEST(ControlView, SectionsOpenOnlyWithDataAndShowTheMeasuredArea) {
    PanelFixture f;
    EXPECT_EQ(f.panel->objectName(), "CControlView");
    // No data: three closed headers, nothing else; clicking them changes nothing.
    for (const char* header : {"144", "171", "101"})
        EXPECT_TRUE(f.Shown(header)) << header;
    for (const char* hidden : {"103", "161", "165", "173", "190", "136", "169"})
        EXPECT_FALSE(f.Shown(hidden)) << hidden;
    f.Click("144");
    f.Click("101");
    EXPECT_FALSE(f.Shown("103"));
    EXPECT_EQ(f.doc.Display().m_bShowCellRadius, 0);
    EXPECT_EQ(f.Find<CImageTextButton>("144")->DrawnText(), "Measurement Information");

    f.LoadProject();
    f.doc.SetApTicked(0, true); // the measured area follows the ticked APs: 100 x 100 m from (10, 5)
    EXPECT_TRUE(f.Shown("190"));
    f.Click("144");
    EXPECT_TRUE(f.doc.SectionExpanded(kSectionMeasurement));
    EXPECT_TRUE(f.Shown("103"));
    EXPECT_EQ(f.Text("103"), "110.00");
    EXPECT_EQ(f.Text("107"), "10.00");
    EXPECT_EQ(f.Text("108"), "105.00");
    EXPECT_EQ(f.Text("109"), "5.00");
    EXPECT_EQ(f.Text("1020"), "100.00");
    EXPECT_EQ(f.Text("1021"), "100.00");
    // The edit boxes' lines are 15 pixels high: the largest size of the face that fits them.
    for (const char* id : {"103", "114", "148"}) {
        QFont font = f.Find(id)->font();
        EXPECT_LE(QFontMetrics(font).height(), 15) << id;
        font.setPixelSize(font.pixelSize() + 1);
        EXPECT_GT(QFontMetrics(font).height(), 15) << id;
    }
    const auto labels = f.Find("103")->parentWidget()->findChildren<QLabel*>();
    auto hasLabel = [&](const QString& text) {
        return std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == text; });
    };
    EXPECT_TRUE(hasLabel("Top") && hasLabel("Left") && hasLabel("Bottom") && hasLabel("Right"));
    EXPECT_TRUE(hasLabel("Area Size in Meter:"));
    // Feet: the same area in feet, and every unit label follows.
    Edit::Display(f.doc).m_dUnitFactor = 0.3048;
    f.doc.Notify(DocChange::Display);
    EXPECT_EQ(f.Text("103"), "360.89");
    EXPECT_EQ(f.Text("1020"), "328.08");
    EXPECT_TRUE(hasLabel("Area Size in Feet:"));
    // Latitude/longitude: five decimals, compass labels.
    Edit::Map(f.doc).m_bMetricXY = 0;
    f.doc.Notify(DocChange::Display);
    EXPECT_EQ(f.Text("103"), "110.00000");
    EXPECT_TRUE(hasLabel("North") && hasLabel("West") && hasLabel("South") && hasLabel("East"));
    Edit::Map(f.doc).m_bMetricXY = 1;
    f.Click("144");
    EXPECT_FALSE(f.Shown("103"));

    // Reliability: open selects the cell-radius display, closing returns to plain coverage.
    f.Click("101");
    EXPECT_TRUE(f.Shown("148"));
    EXPECT_EQ(f.doc.Display().m_bShowCellRadius, 1);
    EXPECT_EQ(f.doc.Display().m_bCoveragePlotted, 0);
    f.Click("101");
    EXPECT_EQ(f.doc.Display().m_bShowCellRadius, 0);
    EXPECT_EQ(f.doc.Display().m_bCoveragePlotted, 1);

    // The table window takes the data away from the panel: sections closed, display block hidden.
    f.Click("171");
    EXPECT_TRUE(f.Shown("165"));
    f.doc.EnterTableWindow();
    EXPECT_FALSE(f.Shown("165"));
    EXPECT_FALSE(f.Shown("190"));
    f.doc.LeaveTableWindow();
    EXPECT_TRUE(f.Shown("165"));
    EXPECT_TRUE(f.Shown("190"));
    // Taller than a short window: the column scrolls up and down, never sideways.
    f.panel->resize(260, 300);
    QCoreApplication::processEvents();
    EXPECT_GT(f.panel->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(f.panel->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    f.panel->resize(260, 2000);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.panel->verticalScrollBar()->maximum(), 0);
}

TEST(ControlView, DisplayBlockControlsWriteTheDocument) {
    PanelFixture f;
    f.LoadProject();
    auto toggle = [&](const char* id) { return f.Find<CBitCheckButton>(id); };
    // Walk path off: width button and "Path without GPS" off and disabled; on again: enabled.
    EXPECT_TRUE(toggle("132")->IsDown());
    f.Click("132");
    EXPECT_EQ(f.doc.Display().m_bShowPath, 0);
    EXPECT_EQ(f.doc.Display().m_bShowNoGps, 0);
    EXPECT_FALSE(f.Find("218")->isEnabled());
    EXPECT_FALSE(toggle("229")->isEnabled());
    EXPECT_EQ(toggle("229")->ShownFrame(), 2);
    f.Click("132");
    EXPECT_EQ(f.doc.Display().m_bShowPath, 1);
    EXPECT_TRUE(toggle("229")->isEnabled());
    // Path without GPS with every point at a 3D fix: the flag is set and the user told.
    f.Click("229");
    EXPECT_EQ(f.doc.Display().m_bShowNoGps, 1);
    EXPECT_EQ(f.TakeMessages(), std::vector<std::string>{"GPS Status: All the points have 3D fix."});
    // In the real box: OK keeps the choice, Cancel takes it back and the toggle comes up.
    f.Click("229");
    EXPECT_EQ(f.doc.Display().m_bShowNoGps, 0);
    f.session.setPrompts(&f.session.prompts());
    for (const auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        QString caption, text;
        QMessageBox::StandardButtons buttons;
        OnNextModal<QMessageBox>([&](QMessageBox* box) {
            caption = box->windowTitle();
            text = box->text();
            buttons = box->standardButtons();
            box->button(answer)->click();
        });
        f.Click("229");
        EXPECT_EQ(caption, "GPS Status");
        EXPECT_EQ(text, "All the points have 3D fix.");
        EXPECT_EQ(buttons, QMessageBox::Ok | QMessageBox::Cancel);
        EXPECT_EQ(f.doc.Display().m_bShowNoGps, answer == QMessageBox::Ok ? 1 : 0);
        EXPECT_EQ(toggle("229")->IsDown(), answer == QMessageBox::Ok);
    }
    f.session.setPrompts(&f.prompts);
    f.Click("221");
    EXPECT_EQ(f.doc.Display().m_bShowLonLat, 0);
    f.Click("142");
    f.Click("143");
    EXPECT_EQ(f.doc.Display().m_bXGrid + f.doc.Display().m_bYGrid, 2);
    // AP markers without a ticked AP are refused; the toggle shows them off.
    f.Click("134");
    EXPECT_EQ(f.doc.Display().m_bShowApMarkers, 0);
    EXPECT_FALSE(toggle("134")->IsDown());
    EXPECT_EQ(f.TakeMessages(), std::vector<std::string>{"No AP: No AP Is Selected. Please Select AP."});
    f.doc.SetApTicked(0, true);
    f.Click("134");
    EXPECT_EQ(f.doc.Display().m_bShowApMarkers, 1);
    EXPECT_TRUE(toggle("134")->IsDown());
    // The width button cycles 1, 2, 3, 1; a stored 5 also becomes 1.
    std::vector<int> widths;
    for (int k = 0; k < 3; ++k) {
        f.Click("218");
        widths.push_back(f.doc.Display().m_nLineWidth);
    }
    EXPECT_EQ(widths, (std::vector<int>{2, 3, 1}));
    Edit::Display(f.doc).m_nLineWidth = 5;
    f.Click("218");
    EXPECT_EQ(f.doc.Display().m_nLineWidth, 1);

    // Transparency: either thumb sets it; 100 gives alpha 255, which shows as 100 on the low thumb.
    auto* transparency = f.Find<CRangeControl>("136");
    EXPECT_EQ(transparency->LowValue(), 75); // alpha 192 is 75.3 %
    DragThumb(*transparency, true, 400);
    EXPECT_EQ(f.doc.Display().m_nAlpha, 255);
    EXPECT_EQ(transparency->LowValue(), 100);
    DragThumb(*transparency, false, 133); // (133 - 5 - 25) / 1.4 = 73.6: 73 %
    EXPECT_EQ(f.doc.Display().m_nAlpha, 73 * 255 / 100);
    EXPECT_EQ(transparency->LowValue(), 73); // the percent dragged to, not one below
    // Power range: the dragged thumb's end only.
    auto* power = f.Find<CRangeControl>("215");
    DragThumb(*power, false, power->LowThumbX() + 20); // 2 pixels per dBm
    EXPECT_EQ(f.doc.Display().m_nPowerRangeLow, -90);
    EXPECT_EQ(f.doc.Display().m_nPowerRangeHigh, -30);
    EXPECT_EQ(power->LowValue(), -90);

    // Grid lines by keyboard; the matrix sliders reset to W/400..W/50 by the tick and write the
    // document's resolution only when moved.
    auto* grid = f.Find<CResolutionControl>("186");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End);
    EXPECT_EQ(f.doc.Display().m_nGridDivisions, 10);
    auto* matrixX = f.Find<CResolutionControl>("189");
    auto* matrixY = f.Find<CResolutionControl>("168");
    EXPECT_DOUBLE_EQ(matrixX->Minimum(), 100.0 / 400);
    EXPECT_DOUBLE_EQ(matrixX->Maximum(), 100.0 / 50);
    EXPECT_EQ(matrixX->Position(), 84);
    EXPECT_EQ(matrixX->Unit(), "Meter(X)");
    EXPECT_EQ(matrixY->Unit(), "Meter(Y)");
    EXPECT_EQ(f.doc.Frame().m_dResolutionX, 2.0);
    matrixX->setFocus();
    QTest::keyClick(matrixX, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(f.doc.Frame().m_dResolutionX, 0.25);
    EXPECT_EQ(matrixX->Position(), 0); // the document's value does not move the thumb back
    QTest::keyClick(matrixX, Qt::Key_Right);
    EXPECT_EQ(matrixX->Position(), 1);
    EXPECT_DOUBLE_EQ(f.doc.Frame().m_dResolutionX, 1.75 / 84 + 0.25);
    matrixY->setFocus();
    QTest::keyClick(matrixY, Qt::Key_Home);
    EXPECT_DOUBLE_EQ(f.doc.Frame().m_dResolutionY, 0.25);
    QTest::keyClick(matrixY, Qt::Key_Backspace); // back to the default, the largest cell
    EXPECT_DOUBLE_EQ(f.doc.Frame().m_dResolutionY, 2.0);
    Edit::Display(f.doc).m_dUnitFactor = 0.3048;
    f.doc.Notify(DocChange::Display);
    EXPECT_EQ(matrixX->Unit(), "Feet(X)");

    // Analysis scope and grouping radios.
    f.Click("101");
    f.Click("174");
    EXPECT_EQ(f.doc.Display().m_nAnalysisMode, 2);
    EXPECT_TRUE(f.Find<QRadioButton>("174")->isChecked());
    EXPECT_FALSE(f.Find<QRadioButton>("173")->isChecked());
    f.Click("173");
    EXPECT_EQ(f.doc.Display().m_nAnalysisMode, 1);
    EXPECT_FALSE(f.Find<QRadioButton>("174")->isChecked());
    f.Click("173"); // a second click on the checked radio keeps it checked
    EXPECT_TRUE(f.Find<QRadioButton>("173")->isChecked());
}

TEST(ControlView, PlotCoverageRunsAsAJobAndTheGraphChoiceFollows) {
    PanelFixture f;
    DemoOptions options;
    options.coverage = false;
    BuildDemoDocument(f.doc, options);
    const auto [w, h] = f.doc.GridRectangleDisplay();
    Edit::Frame(f.doc).m_dResolutionX = w / 60;
    Edit::Frame(f.doc).m_dResolutionY = h / 60;
    f.doc.RebuildGroups();
    f.doc.Notify(DocChange::Everything);
    auto* plot = f.Find<CImageTextButton>("190");
    EXPECT_FALSE(f.Shown("169"));

    // Refused while the table window is shown, and without APs.
    f.doc.EnterTableWindow();
    plot->click();
    EXPECT_FALSE(f.session.jobRunning());
    f.doc.LeaveTableWindow();

    int finished = 0;
    QObject::connect(&f.session, &GuiSession::jobFinished, [&](bool) { ++finished; });
    f.Click("190");
    ASSERT_TRUE(f.session.jobRunning());
    EXPECT_FALSE(plot->isEnabled()); // a second start cannot be asked for
    plot->click();
    EXPECT_FALSE(f.Shown("169"));
    ASSERT_TRUE(WaitUntil([&] { return finished > 0; }, 120000));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_TRUE(plot->isEnabled());
    EXPECT_EQ(f.doc.Display().m_bCombined, 1);

    // After the job: "Signal Power" checked, its header closed, overlay toggle enabled.
    auto* header = f.Find<CImageTextButton>("169");
    EXPECT_TRUE(f.Shown("169"));
    EXPECT_EQ(header->DrawnText(), "Signal Power");
    EXPECT_TRUE(f.Find<QRadioButton>("176")->isChecked());
    EXPECT_FALSE(f.Shown("176"));
    EXPECT_TRUE(f.Find("183")->isEnabled());
    auto* contour = f.Find<CRangeControl>("140");
    EXPECT_EQ(contour->Minimum(), static_cast<int>(f.doc.Coverage().m_dPowerMin));
    EXPECT_EQ(contour->Maximum(), static_cast<int>(f.doc.Coverage().m_dPowerMax));
    EXPECT_EQ(contour->LowValue(), contour->Minimum());
    EXPECT_EQ(contour->Caption(), "Draw Signal Power Contour (dBm)");
    EXPECT_EQ(f.Find<CRangeControl>("136")->LowValue(), 75);

    // Graph choice: the section opens with two of the three graphs and stays open after a choice,
    // so that one graph after the other can be looked at.
    f.Click("169");
    EXPECT_TRUE(f.Shown("176"));
    EXPECT_TRUE(f.Shown("180"));
    EXPECT_FALSE(f.Shown("178"));
    f.Click("180");
    EXPECT_EQ(f.doc.Graph(), GraphKind::ApCount);
    EXPECT_TRUE(f.Shown("176"));
    EXPECT_TRUE(f.Shown("180"));
    EXPECT_EQ(header->DrawnText(), "Number of Overlay APs");
    f.Click("176");
    EXPECT_EQ(f.doc.Graph(), GraphKind::SignalPower);
    EXPECT_EQ(header->DrawnText(), "Signal Power");
    EXPECT_TRUE(f.Shown("180"));
    f.Click("180");
    EXPECT_EQ(contour->Minimum(), 1);
    EXPECT_EQ(contour->Maximum(), 10);
    EXPECT_EQ(contour->LowValue(), 1);
    EXPECT_EQ(contour->HighValue(), 10);
    EXPECT_EQ(contour->Caption(), "Draw Contour for Number of APs");

    // The single contour at the dragged thumb's value; multiple contours released by it.
    f.Click("141");
    EXPECT_EQ(f.doc.Display().m_bMultiContours, 1);
    EXPECT_FALSE(f.Find("183")->isEnabled());
    DragThumb(*contour, true, contour->HighThumbX() - 60);
    EXPECT_LT(contour->HighValue(), 10);
    EXPECT_EQ(f.doc.Display().m_panel.m_nContourHigh, contour->HighValue());
    EXPECT_EQ(f.doc.Display().m_bShowContour, 1);
    EXPECT_EQ(f.doc.Display().m_bMultiContours, 0);
    EXPECT_EQ(f.doc.Display().m_bCoveragePlotted, 0);
    EXPECT_FALSE(f.Find<CBitCheckButton>("141")->IsDown());
    EXPECT_TRUE(f.Find("183")->isEnabled());
    f.Click("141");
    f.Click("141");
    EXPECT_EQ(f.doc.Display().m_bMultiContours, 0);
    EXPECT_EQ(f.doc.Display().m_bCoveragePlotted, 1);
    f.Click("183");
    EXPECT_EQ(f.doc.Display().m_bCoverageOverlay, 0);

    // A tick makes the combined coverage out of date: the graph choice goes away.
    f.doc.SetApTicked(0, false);
    EXPECT_FALSE(f.Shown("169"));
    EXPECT_EQ(contour->Caption(), "Show Contour");
}

TEST(ControlView, ReliabilityResultsAndMessages) {
    PanelFixture f;
    f.LoadProject();
    f.Click("101");
    f.doc.SetApTicked(0, true); // 120 points, slope -30, intercept -35, shadowing 6
    f.Type("148", "-80");
    f.Type("153", "50");
    f.Click("150"); // "->": reliabilities for the radius
    EXPECT_EQ(f.Text("156").toStdString(), Format4(EdgeReliability(-30, -35, 6, -80, 50)));
    EXPECT_EQ(f.Text("151").toStdString(), Format4(CellReliability(-30, -35, 6, -80, 50)));
    EXPECT_FLOAT_EQ(f.doc.Aps().m_aAPs[0].m_fReliability, 50.0f);
    EXPECT_EQ(f.doc.Display().m_bShowCellRadius, 1);
    EXPECT_TRUE(f.prompts.prompts.empty());
    // A notice about something else leaves the results as they are.
    f.doc.SetGridDivisions(7);
    EXPECT_EQ(f.Text("156").toStdString(), Format4(EdgeReliability(-30, -35, 6, -80, 50)));

    f.Type("156", "0.5");
    f.Click("149"); // "<-": the radius where the model meets the threshold
    EXPECT_EQ(f.Text("153").toStdString(), Format4(std::pow(10.0, (-80.0 + 35.0) / -30.0)));
    EXPECT_EQ(f.Text("151").toStdString(), Format4(CellReliability(-30, -35, 6, -80, std::pow(10.0, 1.5))));

    f.Type("153", "-1");
    f.Click("150");
    ASSERT_EQ(f.prompts.prompts.size(), 1u);
    EXPECT_EQ(f.prompts.prompts[0].icon, PromptIcon::Stop);
    EXPECT_EQ(f.TakeMessages(), std::vector<std::string>{"Invalid Radius: Radius has to be larger than 0!"});
    EXPECT_EQ(f.Text("156"), "N/A");
    EXPECT_EQ(f.Text("151"), "N/A");
    f.Type("156", "1.5");
    f.Click("149");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid Probability: Probability has to be in [0, 1]!"});
    EXPECT_EQ(f.Text("153"), "N/A");
    // Text that does not parse keeps the previous value: the radius is still -1.
    f.Type("153", "abc");
    f.Click("150");
    EXPECT_EQ(f.TakeMessages(), std::vector<std::string>{"Invalid Radius: Radius has to be larger than 0!"});

    // Single AP with 79 points.
    f.doc.SetApTicked(3, true);
    f.Type("153", "50");
    f.Click("150");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Insufficient Points: No Enough Measurement Points (< 80) "
                                       "for this AP: c"});
    // Group scope: APs 0 and 3 ticked gives AP 0's values and names AP 3; AP 3 alone: no valid AP.
    f.Click("174");
    f.Click("150");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid AP: No enough points for the following AP: \n "
                                       "00-1A-2B-3C-4D-04, c \n \n"});
    EXPECT_EQ(f.Text("156").toStdString(), Format4(EdgeReliability(-30, -35, 6, -80, 50)));
    f.doc.SetApTicked(0, false);
    f.Click("150");
    EXPECT_EQ(f.TakeMessages(),
              (std::vector<std::string>{
                  "No Valid AP: No AP has enough point!",
                  "Invalid AP: No enough points for the following AP: \n 00-1A-2B-3C-4D-04, c \n \n"}));
    EXPECT_EQ(f.Text("156"), "N/A");
    // Two APs with models: the means. Feet: a radius of 100 is 30.48 m.
    f.doc.SetApTicked(0, true);
    f.doc.SetApTicked(2, true);
    Edit::Display(f.doc).m_dUnitFactor = 0.3048;
    f.doc.Notify(DocChange::Display);
    f.Type("153", "100");
    f.Click("150");
    f.TakeMessages();
    const double r = 100 * 0.3048;
    EXPECT_EQ(f.Text("156").toStdString(),
              Format4((EdgeReliability(-30, -35, 6, -80, r) + EdgeReliability(-25, -40, 6, -80, r)) / 2));
}

TEST(ControlView, SelectedApBlockAndTypedPositions) {
    PanelFixture f;
    f.LoadProject();
    f.Click("171");
    EXPECT_FALSE(f.Shown("114"));
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::TickBox);
    ASSERT_EQ(f.doc.Display().m_panel.m_nSelectedAP, 0);
    EXPECT_TRUE(f.Shown("114"));
    EXPECT_TRUE(f.Shown("242"));
    EXPECT_EQ(f.Text("114"), "60.00");
    EXPECT_EQ(f.Text("115"), "55.00");
    EXPECT_EQ(f.Text("124"), "3.0");
    EXPECT_EQ(f.Text("125"), "6.0");
    const auto labels = f.Find("114")->parentWidget()->findChildren<QLabel*>();
    auto label = [&](const QString& t) {
        return std::any_of(labels.begin(), labels.end(), [&](QLabel* l) { return l->text() == t; });
    };
    EXPECT_TRUE(label("Y(m):") && label("X(m):"));
    Edit::Display(f.doc).m_dUnitFactor = 0.3048;
    f.doc.Notify(DocChange::Display);
    EXPECT_EQ(f.Text("114"), "196.85");
    EXPECT_TRUE(label("Y(ft):") && label("X(ft):"));
    Edit::Display(f.doc).m_dUnitFactor = 1.0;
    f.doc.Notify(DocChange::Display);

    // 79 points and no fixed position: "N/A"; fixed: the values whatever the number of points.
    f.ClickItem(f.Tree().ApIndex(3), ApTreeView::Hit::TickBox);
    EXPECT_EQ(f.Text("114"), "N/A");
    EXPECT_EQ(f.Text("125"), "N/A");
    Edit::Aps(f.doc).m_aAPs[3].m_bFixed = 1;
    f.doc.Notify(DocChange::Aps, ApField::All, {3});
    EXPECT_EQ(f.Text("114"), "90.00");
    EXPECT_EQ(f.Text("124"), "3.0");
    // Unticked: the block goes away.
    f.ClickItem(f.Tree().ApIndex(3), ApTreeView::Hit::TickBox);
    EXPECT_FALSE(f.Shown("114"));

    // A typed position: "N/A" refused with its message, a position far away refused by the refit,
    // a near one accepted (the AP is refitted and fixed).
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::TickBox);
    f.ClickItem(f.Tree().ApIndex(0), ApTreeView::Hit::TickBox);
    ASSERT_TRUE(f.Shown("114"));
    f.TakeMessages();
    f.Type("114", "N/A");
    f.Click("242");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid Location: Please input the value for Y(m)."});
    EXPECT_EQ(f.Text("114"), "60.00"); // the edit shows where the AP still is
    f.Type("114", "0"); // the corner of the surveyed area: the readings would rise with distance
    f.Type("115", "0");
    f.Click("242");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid Position: This AP position results in wrong "
                                       "progation parameters."});
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_posAP.m_dY, 60.0);
    EXPECT_EQ(f.Text("114"), "60.00");
    EXPECT_EQ(f.Text("115"), "55.00");
    f.Type("114", "62.5");
    f.Type("115", "54");
    QTest::keyClick(f.Find("115"), Qt::Key_Return);
    EXPECT_TRUE(f.prompts.prompts.empty());
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_posAP.m_dY, 62.5);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_posAP.m_dX, 54.0);
    EXPECT_EQ(f.doc.Aps().m_posMovedFrom.m_dY, 60.0);
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_bFixed, 1);
    EXPECT_EQ(f.Text("114"), "62.50");
    EXPECT_EQ(f.Text("124").toStdString(),
              QString::asprintf("%2.1f", f.doc.Aps().m_aAPs[0].m_dSlope / -10).toStdString());
    // Out of range (1e10 m) is ignored silently; unparsable text is refused like "N/A".
    f.Type("114", "2e10");
    f.Click("242");
    EXPECT_TRUE(f.prompts.prompts.empty());
    f.Type("115", "east");
    f.Click("242");
    EXPECT_EQ(f.TakeMessages(),
              std::vector<std::string>{"Invalid Location: Please input the value for X(m)."});
    EXPECT_EQ(f.doc.Aps().m_aAPs[0].m_posAP.m_dX, 54.0);
}
