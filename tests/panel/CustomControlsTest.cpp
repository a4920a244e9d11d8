// The panel's own controls: the two-thumb slider's arithmetic and drags, the one-thumb slider's
// positions, reset and texts, the three-frame toggle and the picture button; mouse and keyboard.
#include "PanelFixture.h"
#include "mapview/Axes.h"
#include "model/EditAccess.h"
#include "panel/BitCheckButton.h"
#include "panel/ImageTextButton.h"
#include "panel/PanelArtwork.h"
#include "panel/RangeControl.h"
#include "panel/ResolutionControl.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace plotra::gui;
using namespace plotra::test;

TEST(RangeControl, ThumbPositionsDragsAndTheNotificationOfTheDraggedThumb) {
    CRangeControl slider(artwork::RangeArt::PowerRange, -100, -30, "dBm");
    slider.resize(200, 30);
    slider.show();
    slider.SetValues(-100, -30);
    // Both ends of the 140-pixel track.
    EXPECT_EQ(slider.LowThumbX(), 30);
    EXPECT_EQ(slider.HighThumbX(), 168);
    slider.SetValues(-65, -65);
    EXPECT_EQ(slider.LowThumbX(), 100);
    EXPECT_EQ(slider.HighThumbX(), 98);
    // (x - grab - 25) / s + minimum, truncated toward zero: x = grab + 25 is the minimum.
    EXPECT_EQ(slider.ValueAt(5 + 25, 5), -100);
    EXPECT_EQ(slider.ValueAt(5 + 25 + 140, 5), -30);
    EXPECT_EQ(slider.ValueAt(5 + 25 + 1, 5), -99); // -99.5 truncates toward zero

    slider.SetValues(-90, -50);
    int dragSeen = -1;
    QSignalSpy spy(&slider, &CRangeControl::notified);
    QObject::connect(&slider, &CRangeControl::notified, [&] { dragSeen = slider.DragState(); });
    // The low thumb dragged far beyond the high one stops at the high value.
    DragThumb(slider, false, 190);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(dragSeen, CRangeControl::kLowThumb);
    EXPECT_EQ(slider.LowValue(), -50);
    EXPECT_EQ(spy.at(0).at(0).toInt(), -50);
    EXPECT_EQ(slider.DragState(), CRangeControl::kNone); // cleared after the owner was told
    // The high thumb dragged left of the low one stops at the low value; to the far right at the maximum.
    slider.SetValues(-90, -50);
    DragThumb(slider, true, 0);
    EXPECT_EQ(dragSeen, CRangeControl::kHighThumb);
    EXPECT_EQ(slider.HighValue(), -90);
    slider.SetValues(-90, -50); // thumbs at one value: a press on them takes the low one
    DragThumb(slider, true, 400);
    EXPECT_EQ(slider.HighValue(), -30);
    slider.SetValues(-90, -50);
    DragThumb(slider, false, 0);
    EXPECT_EQ(slider.LowValue(), -100);
    // A press away from both thumbs takes nothing and tells nothing.
    const int before = static_cast<int>(spy.count());
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(60, 15));
    EXPECT_EQ(spy.count(), before);

    // Keyboard: the arrows move the active thumb (the last one taken), Up/Down choose it.
    slider.SetValues(-80, -40);
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_Down);
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(slider.LowValue(), -79);
    EXPECT_EQ(dragSeen, CRangeControl::kLowThumb);
    QTest::keyClick(&slider, Qt::Key_Up);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.HighValue(), -30);
    EXPECT_EQ(dragSeen, CRangeControl::kHighThumb);
    QTest::keyClick(&slider, Qt::Key_Home); // not below the low thumb
    EXPECT_EQ(slider.HighValue(), -79);
    // An empty range (a flat coverage) neither divides by zero nor moves the thumbs off the track.
    slider.SetRange(5, 5);
    slider.SetValues(5, 5);
    EXPECT_EQ(slider.LowThumbX(), 30);
    EXPECT_EQ(slider.ValueAt(500, 5), 5 + (500 - 30) / 140);
}

TEST(ResolutionControl, PositionsValuesTextsResetAndDrag) {
    CResolutionControl matrix(artwork::ResolutionArt::Matrix);
    matrix.show();
    matrix.SetWholeNumbers(false);
    matrix.SetParameters(200, 50, 200, 200, "Meter(X)");
    EXPECT_EQ(matrix.Position(), 84);
    EXPECT_EQ(matrix.ValueText(), "200.0 Meter(X)");
    matrix.SetParameters(50, 50, 200, 200, "Feet(X)");
    EXPECT_EQ(matrix.Position(), 0);
    EXPECT_EQ(matrix.ValueText(), "50.0 Feet(X)");

    CResolutionControl grid(artwork::ResolutionArt::Grid);
    grid.show();
    grid.SetParameters(5, 3, 10, 5, "Lines");
    EXPECT_EQ(grid.Position(), 24);
    EXPECT_EQ(grid.ValueText(), "   4 Lines"); // five divisions: four lines between the edges
    grid.SetCountShown(0);
    EXPECT_EQ(grid.ValueText(), "   5 Lines");

    QSignalSpy spy(&matrix, &CResolutionControl::notified);
    // Dragging the thumb 42 pixels right: half the range; beyond the end: the maximum.
    matrix.SetParameters(50, 50, 200, 120, "Meter(X)");
    QTest::mousePress(&matrix, Qt::LeftButton, {}, QPoint(5, 18));
    EXPECT_EQ(matrix.DragState(), CResolutionControl::kThumb);
    QTest::mouseRelease(&matrix, Qt::LeftButton, {}, QPoint(5 + 42, 18));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(matrix.Position(), 42);
    EXPECT_DOUBLE_EQ(spy.at(0).at(0).toDouble(), 125.0);
    QTest::mousePress(&matrix, Qt::LeftButton, {}, QPoint(47, 18));
    QTest::mouseRelease(&matrix, Qt::LeftButton, {}, QPoint(300, 18));
    EXPECT_EQ(matrix.Position(), 84);
    EXPECT_DOUBLE_EQ(spy.at(1).at(0).toDouble(), 200.0);
    // The mark at the left end puts the thumb at the default: (120 - 50) / 150 * 84 = 39.2 -> 39.
    QTest::mouseClick(&matrix, Qt::LeftButton, {}, QPoint(8, 30));
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(matrix.Position(), 39);
    EXPECT_DOUBLE_EQ(spy.at(2).at(0).toDouble(), 150.0 * 39 / 84 + 50);
    // Keyboard: arrows and ends, Backspace resets.
    matrix.setFocus();
    QTest::keyClick(&matrix, Qt::Key_Right);
    EXPECT_EQ(matrix.Position(), 40);
    QTest::keyClick(&matrix, Qt::Key_Home);
    EXPECT_EQ(matrix.Position(), 0);
    QTest::keyClick(&matrix, Qt::Key_Backspace);
    EXPECT_EQ(matrix.Position(), 39);
    EXPECT_EQ(spy.count(), 6);
    // A range of one value keeps the thumb at the left end.
    matrix.SetParameters(7, 7, 7, 7, "Feet(X)");
    EXPECT_EQ(matrix.Position(), 0);
}

// The grid slider's label against the grid the graph draws with the panel's value, at every pixel
// of the track reached by keyboard.
TEST(ResolutionControl, GridLabelCountsTheLinesTheGraphDraws) {
    PanelFixture f;
    f.LoadProject();
    auto* grid = f.Find<CResolutionControl>("186");
    ASSERT_NE(grid, nullptr);
    const int W = 400, H = 300;
    const auto linesDrawn = [&] {
        QImage image(W, H, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            plotra::DrawAxes(p, f.doc, plotra::VisibleFrame{0, 0, 100, 100}, W, H, true, false);
        }
        int lines = 0;
        for (int x = 0; x < W; ++x) {
            int yellow = 0;
            for (int y = 0; y < H; ++y)
                yellow += (image.pixel(x, y) & 0xFFFFFF) == 0xFFFF00;
            lines += yellow > H / 4;
        }
        return lines;
    };
    // Every pixel of the track, each reached by a drag of the thumb (the arrow keys step by counts).
    for (int position = 0; position <= CResolutionControl::kTrack; ++position) {
        const int grab = 5;
        QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(grid->Position() + grab, 18));
        QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(position + grab, 18));
        ASSERT_EQ(grid->Position(), position);
        const QString text = grid->ValueText();
        ASSERT_TRUE(text.endsWith(" Lines"));
        EXPECT_EQ(text.chopped(6).trimmed().toInt(), linesDrawn())
            << "at " << position << ": " << text.toStdString() << ", " << f.doc.Display().m_nGridDivisions
            << " divisions";
    }
    EXPECT_EQ(grid->ValueText(), "   9 Lines");
}

// Every slider of the panel over its document: an arrow key moves the thumb one step and back, tells
// the panel once per press, and the document takes the value the thumb shows. (The transparency
// slider used to show the alpha truncated by 256ths: Right came back where it was, Left fell two.)
TEST(PanelSliders, ArrowsMoveOneStepEachWayAndNotifyOnce) {
    PanelFixture f;
    plotra::Edit::Coverage(f.doc).m_dPowerMin = -95, plotra::Edit::Coverage(f.doc).m_dPowerMax = -35;
    plotra::Edit::Display(f.doc).m_panel.m_nContourLow = -80,
    plotra::Edit::Display(f.doc).m_panel.m_nContourHigh = -50;
    plotra::Edit::Display(f.doc).m_nAlpha = 192;
    f.LoadProject();

    // One step towards the side with room, then back; towards a side without room nothing moves.
    const auto stepAndBack = [](QWidget* w, int& notices, const std::function<int()>& value, int lower,
                                int upper, int step) {
        const int start = value();
        const bool right = start + step <= upper;
        const int before = notices;
        QTest::keyClick(w, right ? Qt::Key_Right : Qt::Key_Left);
        EXPECT_EQ(value(), right ? start + step : start - step);
        EXPECT_EQ(notices, before + 1);
        QTest::keyClick(w, right ? Qt::Key_Left : Qt::Key_Right);
        EXPECT_EQ(value(), start);
        EXPECT_EQ(notices, before + 2);
        if (start == upper || start == lower) {
            QTest::keyClick(w, start == upper ? Qt::Key_Right : Qt::Key_Left);
            EXPECT_EQ(value(), start);
            EXPECT_EQ(notices, before + 2);
        }
    };

    struct Range {
        const char* id;
        std::function<std::pair<int, int>()> document; // what the document holds for low and high
    };
    const std::vector<Range> ranges = {
        {"136",
         [&] {
             return std::pair{f.doc.Display().m_nAlpha, f.doc.Display().m_nAlpha};
         }},
        {"215",
         [&] {
             return std::pair{f.doc.Display().m_nPowerRangeLow, f.doc.Display().m_nPowerRangeHigh};
         }},
        {"140",
         [&] {
             return std::pair{f.doc.Display().m_panel.m_nContourLow, f.doc.Display().m_panel.m_nContourHigh};
         }},
    };
    for (const Range& r : ranges) {
        SCOPED_TRACE(r.id);
        auto* s = f.Find<CRangeControl>(r.id);
        ASSERT_NE(s, nullptr);
        int notices = 0;
        QObject::connect(s, &CRangeControl::notified, [&notices] { ++notices; });
        s->setFocus();
        const bool transparency = std::string(r.id) == "136";
        for (const bool high : {false, true}) {
            QTest::keyClick(s, high ? Qt::Key_Up : Qt::Key_Down); // chooses the thumb, moves nothing
            EXPECT_EQ(notices, 0);
            const auto value = [&] { return high ? s->HighValue() : s->LowValue(); };
            stepAndBack(s, notices, value, high ? s->LowValue() : s->Minimum(),
                        high ? s->Maximum() : s->HighValue(), 1);
            // The document took the value the thumb shows.
            const auto [low, top] = r.document();
            if (transparency)
                EXPECT_EQ(low, value() * 255 / 100);
            else
                EXPECT_EQ(high ? top : low, value());
            notices = 0;
        }
        // From the middle of the track the thumb steps by one both ways as well.
        if (transparency) {
            QTest::keyClick(s, Qt::Key_Down);
            for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Left, Qt::Key_Right, Qt::Key_Left}) {
                const int before = s->LowValue();
                QTest::keyClick(s, key);
                EXPECT_EQ(s->LowValue(), before + (key == Qt::Key_Right ? 1 : -1));
                EXPECT_EQ(f.doc.Display().m_nAlpha, s->LowValue() * 255 / 100);
            }
            EXPECT_EQ(notices, 4);
        }
    }

    // The grid slider steps by whole divisions (the label names the lines), the matrix sliders by
    // one pixel of their track.
    auto* grid = f.Find<CResolutionControl>("186");
    ASSERT_NE(grid, nullptr);
    int gridNotices = 0;
    QObject::connect(grid, &CResolutionControl::notified, [&gridNotices] { ++gridNotices; });
    grid->setFocus();
    const int divisions = f.doc.Display().m_nGridDivisions;
    stepAndBack(
        grid, gridNotices, [&] { return static_cast<int>(grid->Value()); }, 3, 10, 1);
    EXPECT_EQ(f.doc.Display().m_nGridDivisions, divisions);
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(f.doc.Display().m_nGridDivisions, divisions + 1);
    EXPECT_EQ(grid->ValueText(), QString::asprintf("%4d Lines", divisions));
    QTest::keyClick(grid, Qt::Key_End);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(f.doc.Display().m_nGridDivisions, 9);
    QTest::keyClick(grid, Qt::Key_Home);
    gridNotices = 0;
    stepAndBack(
        grid, gridNotices, [&] { return f.doc.Display().m_nGridDivisions; }, 3, 10, 1);
    for (const char* id : {"168", "189"}) {
        SCOPED_TRACE(id);
        auto* matrix = f.Find<CResolutionControl>(id);
        ASSERT_NE(matrix, nullptr);
        int notices = 0;
        QObject::connect(matrix, &CResolutionControl::notified, [&notices] { ++notices; });
        matrix->setFocus();
        stepAndBack(
            matrix, notices, [&] { return matrix->Position(); }, 0, CResolutionControl::kTrack, 1);
        QTest::keyClick(matrix, Qt::Key_Home);
        notices = 0;
        stepAndBack(
            matrix, notices, [&] { return matrix->Position(); }, 0, CResolutionControl::kTrack, 1);
        const double resolution =
            std::string(id) == "168" ? f.doc.Frame().m_dResolutionY : f.doc.Frame().m_dResolutionX;
        EXPECT_DOUBLE_EQ(resolution, matrix->Value());
    }
}

TEST(CustomButtons, ToggleFramesAndPictureButtonStates) {
    CBitCheckButton toggle("Walk Path");
    EXPECT_EQ(toggle.ShownFrame(), 0); // without a strip nothing is drawn, and nothing breaks
    toggle.grab();
    toggle.LoadBitmaps(artwork::ToggleStrip(artwork::ToggleArt::WalkPath));
    EXPECT_EQ(toggle.GetSize(), QSize(32, 32));
    toggle.show();
    QSignalSpy clicks(&toggle, &CBitCheckButton::clicked);
    // Not a toggle: a click tells the owner but keeps the state.
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(toggle.GetCheck(), 0);
    toggle.SetToggle(true);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.IsDown());
    EXPECT_EQ(toggle.ShownFrame(), 1);
    toggle.setEnabled(false);
    EXPECT_EQ(toggle.ShownFrame(), 2); // disabled: frame 2 whatever the state
    toggle.setEnabled(true);
    EXPECT_EQ(toggle.ShownFrame(), 1);
    toggle.SetCheck(7); // not a state: kept as it was
    EXPECT_EQ(toggle.GetCheck(), 1);
    toggle.SetCheck(2);
    QTest::mouseClick(&toggle, Qt::LeftButton); // the third state does not flip
    EXPECT_EQ(toggle.GetCheck(), 2);
    toggle.SetCheck(0);
    toggle.setFocus();
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_EQ(toggle.GetCheck(), 1);
    EXPECT_EQ(clicks.count(), 4);
    // The frames differ: up, down and disabled are three pictures.
    const QImage strip = artwork::ToggleStrip(artwork::ToggleArt::LonLat).toImage();
    EXPECT_NE(strip.copy(0, 0, 32, 32), strip.copy(32, 0, 32, 32));
    EXPECT_NE(strip.copy(32, 0, 32, 32), strip.copy(64, 0, 32, 32));

    CImageTextButton one("One");
    one.SetImages(artwork::HeaderPicture(false, false));
    EXPECT_EQ(one.size(), QSize(210, 20)); // the button takes its picture's size
    one.setDown(true);
    EXPECT_EQ(one.ShownImage(), 0);
    one.setEnabled(false);
    EXPECT_EQ(one.ShownImage(), 0);
    CImageTextButton two("Two");
    two.SetImages(artwork::PlotCoveragePicture(false), artwork::PlotCoveragePicture(true));
    two.setDown(true);
    EXPECT_EQ(two.ShownImage(), 1);
    two.setEnabled(false);
    EXPECT_EQ(two.ShownImage(), 0);
    // The text at (20, 1) in its colour: the pixels right of x = 20 in the top rows change.
    CImageTextButton header("Header");
    header.SetImages(artwork::HeaderPicture(true, false));
    const QImage bare = header.grab().toImage();
    header.SetText("Header");
    header.SetTextColours(QColor(20, 20, 200), QColor(200, 20, 20));
    header.SetTextPos(20, 1);
    header.SetFont("Arial", 16);
    const QImage text = header.grab().toImage();
    int changedLeft = 0, changedRight = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 210; ++x)
            if (bare.pixel(x, y) != text.pixel(x, y)) ++(x < 20 ? changedLeft : changedRight);
    EXPECT_EQ(changedLeft, 0);
    EXPECT_GT(changedRight, 40);
}
