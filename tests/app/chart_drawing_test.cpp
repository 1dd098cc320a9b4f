#include "ResponseChartView.h"

#include <gtest/gtest.h>

#include <QtGui/QMouseEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <cmath>
#include <string>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "uStreamSoundProfil.h"

namespace {

// Everything drawing on the chart changes: the table's texts, the series and the row link.
struct State {
    std::vector<std::u16string> Texts;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<int32_t> Rows;
    bool operator==(const State&) const = default;
};

// The chart as the window has it, drawing into a form's table and series.
class ChartDrawing : public ::testing::Test {
protected:
    ChartDrawing() : view(form.Series1) {
        UserNotation = NumberNotation{u'.'};
        view.Follow(form.ChartRows, form.Edit1, form.lbFilename);
        view.Edit(form.PointSteps);
        form.Desktop.MessageDlg = [](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
            return TModalResult::mrOk;
        };
        view.resize(640, 400);
        view.show();
        view.activateWindow();
        view.setFocus();
        Settle();
        // Out of order in the table: point k is not row k.
        CurrentSoundProfil.xyData = {{1000, 0}, {100, 2}, {10000, -6}, {20, 6}};
        form.Execute(u"Update / Sort", [this] { form.ShowProfile(); });
        Settle();
    }

    static void Settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    }

    State Now() const {
        State s;
        for (int32_t r = 0; r < form.StringGrid1.RowCount(); ++r) {
            for (int32_t c = 0; c < 3; ++c) {
                s.Texts.push_back(form.StringGrid1.Cells(c, r));
            }
        }
        s.X = form.Series1.XValues();
        s.Y = form.Series1.YValues();
        for (std::size_t i = 0; i < form.Series1.Count(); ++i) {
            s.Rows.push_back(form.ChartRows.RowOf(i).value_or(-1));
        }
        return s;
    }
    static std::u16string Text(float Value) { return FormatGeneral(Value, UserNotation); }

    // Where a frequency and gain lie in the viewport.
    QPoint At(double hz, double db) const {
        const QRectF plot = view.viewportTransform().mapRect(
            view.chart()->mapRectToScene(view.chart()->plotArea()));
        const TChartWindow w = view.Window();
        return QPointF(plot.left() + (std::log10(hz) - w.Left) / (w.Right - w.Left) * plot.width(),
                       plot.top() + (w.Top - db) / (w.Top - w.Bottom) * plot.height())
            .toPoint();
    }

    void Press(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, at);
        Settle();
    }
    void Release(QPoint at) {
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at);
        Settle();
    }
    // The pointer moved with the left button held.
    void Drag(QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, modifiers);
        QApplication::sendEvent(view.viewport(), &move);
        Settle();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view, static_cast<Qt::Key>(key), modifiers);
        Settle();
    }

    TForm1 form;
    ResponseChartView view;
    // Points: 20 Hz (row 4), 100 Hz (row 2), 1000 Hz (row 1), 10 kHz (row 3).
    const std::u16string shown = u"Update / Sort";
};

TEST_F(ChartDrawing, DraggingAPointMovesItsGainAndCellAndReleasingMakesOneStep) {
    const State before = Now();
    Press(At(1000, 0));
    Drag(At(1000, 1.5));
    Drag(At(1000, 3));
    // The cell and the series follow at once, before the release.
    EXPECT_EQ(form.StringGrid1.Cells(2, 1), Text(3.0f));
    EXPECT_EQ(form.Series1.YValues()[2], 3.0);
    EXPECT_EQ(form.Series1.XValues()[2], 1000);
    EXPECT_TRUE(view.ReadoutText().endsWith("point 1000 Hz, 3 dB"))
        << view.ReadoutText().toStdString();
    EXPECT_EQ(form.UndoText(), shown);
    Release(At(1000, 3));
    EXPECT_EQ(form.UndoText(), u"Move point");
    const State after = Now();
    EXPECT_EQ(after.Rows, before.Rows);

    form.Undo();
    Settle();
    EXPECT_EQ(Now(), before);
    form.Redo();
    Settle();
    EXPECT_EQ(Now(), after);
    // The link came back with the step: the point drags again.
    Press(At(1000, 3));
    Drag(At(1000, -2));
    Release(At(1000, -2));
    EXPECT_EQ(form.StringGrid1.Cells(2, 1), Text(-2.0f));
}

TEST_F(ChartDrawing, WithCtrlTheFrequencyFollowsInWholeHertzAndStopsBeforeTheNeighbours) {
    Press(At(1000, 0));
    Drag(At(3000, 0), Qt::ControlModifier);
    const double hz = form.Series1.XValues()[2];
    EXPECT_EQ(hz, std::round(hz));
    EXPECT_GT(hz, 2800);
    EXPECT_LT(hz, 3200);
    EXPECT_EQ(form.StringGrid1.Cells(1, 1), Text(static_cast<float>(hz)));
    Drag(At(15000, 0), Qt::ControlModifier);
    EXPECT_EQ(form.Series1.XValues()[2], 9999);
    Drag(At(20, 0), Qt::ControlModifier);
    EXPECT_EQ(form.Series1.XValues()[2], 101);
    Release(At(20, 0));
    EXPECT_EQ(form.StringGrid1.Cells(1, 1), u"101");
    EXPECT_EQ(form.UndoText(), u"Move point");
}

TEST_F(ChartDrawing, EscapeDuringADragPutsThePointAndCellBackAndMakesNoStep) {
    const State before = Now();
    Press(At(100, 2));
    Drag(At(100, 5));
    ASSERT_EQ(form.StringGrid1.Cells(2, 2), Text(5.0f));
    Key(Qt::Key_Escape);
    EXPECT_EQ(Now(), before);
    Drag(At(100, 7)); // the rest of this drag moves nothing
    Release(At(100, 7));
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(form.UndoText(), shown);
}

TEST_F(ChartDrawing, APressThatDoesNotMoveMarksThePointAndGoesToItsGainCell) {
    const State before = Now();
    Press(At(100, 2));
    Release(At(100, 2));
    EXPECT_EQ(view.PickedPoint(), 1u);
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    EXPECT_EQ(form.StringGrid1.Col(), 2);
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(form.UndoText(), shown);
}

TEST_F(ChartDrawing, CtrlClickAddsAPointAndItsRowAndRefusesAFrequencyTaken) {
    const State before = Now();
    const TChartWindow window = view.Window();
    const QPoint at = At(500, -1);
    Press(at, Qt::ControlModifier);
    Release(at);
    ASSERT_EQ(form.UndoText(), u"Add point");
    // The axes stay under the pointer, so that the next click lands where it is aimed.
    EXPECT_EQ(view.Window(), window);
    ASSERT_EQ(form.Series1.Count(), 5u);
    const double hz = form.Series1.XValues()[2];
    EXPECT_EQ(hz, std::round(hz));
    EXPECT_NEAR(hz, 500, 20);
    EXPECT_NEAR(form.Series1.YValues()[2], -1, 0.15);
    // Its row is inserted where the 1000 Hz point's row was, as Insert row there would.
    EXPECT_EQ(form.ChartRows.RowOf(2), 1);
    EXPECT_EQ(form.ChartRows.RowOf(3), 2);
    EXPECT_EQ(form.StringGrid1.Cells(0, 1), u"*");
    EXPECT_EQ(form.StringGrid1.Cells(1, 1), Text(static_cast<float>(hz)));
    EXPECT_EQ(form.StringGrid1.Cells(2, 1), Text(static_cast<float>(form.Series1.YValues()[2])));
    const State after = Now();

    // The same pixel again: the frequency is the new point's, which lies within reach, so the
    // press takes the point; further down, the same frequency is refused with a note.
    const QPoint below(at.x(), At(500, -5).y());
    Press(below, Qt::ControlModifier);
    Release(below);
    EXPECT_EQ(view.ReadoutText().toStdU16String(),
              u"A point at " + FormatGeneral(hz, UserNotation) + u" Hz exists already");
    EXPECT_EQ(Now(), after);

    form.Undo();
    Settle();
    EXPECT_EQ(Now().X, before.X);
    EXPECT_EQ(Now().Rows, before.Rows);
    form.Redo();
    Settle();
    EXPECT_EQ(Now(), after);
}

TEST_F(ChartDrawing, KeysMoveMarkAndDeleteAndEachRunIsOneStep) {
    const State start = Now();
    Press(At(100, 2));
    Release(At(100, 2));
    ASSERT_EQ(view.PickedPoint(), 1u);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(form.Series1.YValues()[1], static_cast<double>(3.2f));
    EXPECT_EQ(form.StringGrid1.Cells(2, 2), Text(3.2f));
    Key(Qt::Key_Right); // ends the run and marks 1000 Hz
    EXPECT_EQ(view.PickedPoint(), 2u);
    EXPECT_EQ(form.StringGrid1.Row(), 1);
    EXPECT_EQ(form.UndoText(), u"Move point");
    const State raised = Now();
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(form.StringGrid1.Cells(2, 1), Text(-1.1f));
    Key(Qt::Key_Left);
    EXPECT_EQ(view.PickedPoint(), 1u);
    const State lowered = Now();
    Key(Qt::Key_Delete);
    EXPECT_EQ(form.UndoText(), u"Delete point");
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 1000, 10000}));
    EXPECT_EQ(form.StringGrid1.RowCount(), 4);
    EXPECT_EQ(view.PickedPoint(), std::nullopt);
    Key(Qt::Key_Up); // nothing marked: nothing moves
    const State deleted = Now();

    for (const State* back : {&lowered, &raised, &start}) {
        form.Undo();
        Settle();
        EXPECT_EQ(Now(), *back);
    }
    EXPECT_EQ(form.UndoText(), shown);
    for (const State* again : {&raised, &lowered, &deleted}) {
        form.Redo();
        Settle();
        EXPECT_EQ(Now(), *again);
    }
}

// The axes do not jump under the person drawing: the lowest frequency gone, the frequency axis
// stays, and a double click brings back the automatic ranges of the points left.
TEST_F(ChartDrawing, TheAxesStayWhileEveryPointShowsUntilADoubleClick) {
    const TChartWindow window = view.Window();
    Press(At(100, 2));
    Release(At(100, 2));
    Key(Qt::Key_Left); // 20 Hz, at the axis' left end
    Key(Qt::Key_Delete);
    ASSERT_EQ(form.Series1.XValues(), (std::vector<double>{100, 1000, 10000}));
    EXPECT_EQ(view.Window(), window);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, At(300, -5));
    Settle();
    EXPECT_GT(view.Window().Left, window.Left);
}

TEST_F(ChartDrawing, EscapeUnmarks) {
    Press(At(20, 6));
    Release(At(20, 6));
    ASSERT_EQ(view.PickedPoint(), 0u);
    Key(Qt::Key_Escape);
    EXPECT_EQ(view.PickedPoint(), std::nullopt);
    Key(Qt::Key_Delete);
    EXPECT_EQ(form.Series1.Count(), 4u);
}

TEST_F(ChartDrawing, APointWhoseRowWasTypedOverIsOnlyMarkedAndTheReadoutSaysWhy) {
    form.StringGrid1.SetCells(2, 1, u"4"); // the 1000 Hz point's gain, typed over
    const State before = Now();
    Press(At(1000, 0));
    Drag(At(1000, 2));
    EXPECT_EQ(view.ReadoutText(), "Update / Sort first");
    Release(At(1000, 2));
    EXPECT_EQ(view.PickedPoint(), 2u);
    Key(Qt::Key_Down);
    Key(Qt::Key_Delete);
    EXPECT_EQ(view.ReadoutText(), "Update / Sort first");
    EXPECT_EQ(Now(), before);
}

} // namespace
