#include "point_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_f.h"
#include "number_text.h"
#include "point_edit.h"
#include "uStreamSoundProfil.h"

namespace {

// Everything a point step changes: the table's texts, the series and the link.
struct State {
    std::vector<std::u16string> Texts;
    std::vector<double> X;
    std::vector<double> Y;
    std::vector<int32_t> Rows;
    bool operator==(const State&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const State& S) {
    Out << "rows:";
    for (const std::u16string& text : S.Texts) {
        Out << " " << std::string(text.begin(), text.end());
    }
    Out << " | points:";
    for (std::size_t i = 0; i < S.X.size(); ++i) {
        Out << " (" << S.X[i] << ", " << S.Y[i] << ")->" << (i < S.Rows.size() ? S.Rows[i] : -9);
    }
    return Out;
}

class PointSteps : public ::testing::Test {
protected:
    PointSteps() {
        UserNotation = NumberNotation{u'.'};
        // As the chart's view does: new points lose their links, one point changed keeps them.
        form.Series1.OnChange = [this] { form.ChartRows.Forget(); };
        form.Series1.OnPointChange = [this](std::size_t, TLineSeries::TPointChange) { ++told; };
        form.Desktop.MessageDlg = [](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
            return TModalResult::mrOk;
        };
        // Out of order in the table, so that rows and points differ.
        CurrentSoundProfil.xyData = {{1000, 0}, {100, -3}, {20, 6}, {5000, 1.5}};
        form.Execute(u"Update / Sort", [this] { form.ShowProfile(); });
    }
    ~PointSteps() override {
        form.Series1.OnChange = nullptr;
        form.Series1.OnPointChange = nullptr;
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
    // A gain or frequency as the table writes numbers: the float's general text.
    static std::u16string Text(float Value) { return FormatGeneral(Value, UserNotation); }
    const std::u16string& Cell(int32_t Col, int32_t Row) const {
        return form.StringGrid1.Cells(Col, Row);
    }

    TForm1 form;
    TPointSteps& steps = form.PointSteps;
    const std::u16string shown = u"Update / Sort"; // the step that showed the points
    int told = 0;
};

TEST_F(PointSteps, ADragMovesTheGainCellAtOnceAndMakesOneStepThatUndoAndRedoTakeExactly) {
    // Points: 20 (row 3), 100 (row 2), 1000 (row 1), 5000 (row 4).
    const State before = Now();
    ASSERT_EQ(before.Rows, (std::vector<int32_t>{3, 2, 1, 4}));
    ASSERT_TRUE(steps.BeginMove(1));
    steps.MoveTo(150, -2.04, false);
    EXPECT_EQ(Cell(2, 2), u"-2");
    EXPECT_EQ(form.Series1.YValues()[1], -2.0);
    EXPECT_EQ(form.Series1.XValues()[1], 100); // the frequency stays without Ctrl
    steps.MoveTo(150, 4.26, false);
    EXPECT_EQ(Cell(2, 2), Text(4.3f));
    EXPECT_EQ(form.Series1.YValues()[1], static_cast<double>(4.3f));
    EXPECT_EQ(form.UndoText(), shown); // no step until the release
    steps.EndMove();
    EXPECT_EQ(form.UndoText(), u"Move point");
    const State after = Now();
    EXPECT_EQ(after.Rows, before.Rows);

    form.Undo();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(form.UndoText(), shown);
    form.Redo();
    EXPECT_EQ(Now(), after);
    // The link is exact after both: the point can be dragged again at once.
    EXPECT_EQ(steps.Refusal(1), u"");
}

TEST_F(PointSteps, WithCtrlTheFrequencyMovesTooInWholeHertzBetweenTheNeighbours) {
    ASSERT_TRUE(steps.BeginMove(1)); // 100 Hz between 20 and 1000
    steps.MoveTo(300.4, -3, true);
    EXPECT_EQ(Cell(1, 2), u"300");
    EXPECT_EQ(Cell(2, 2), u"-3"); // unchanged gain: its text stays
    steps.MoveTo(4000, -3, true);
    EXPECT_EQ(Cell(1, 2), u"999");
    steps.MoveTo(1, -3, true);
    EXPECT_EQ(Cell(1, 2), u"21");
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 21, 1000, 5000}));
    steps.EndMove();
    form.Undo();
    EXPECT_EQ(Cell(1, 2), u"100");
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 100, 1000, 5000}));
}

TEST_F(PointSteps, EscapeOrAMoveBackPutsEverythingBackAndMakesNoStep) {
    form.StringGrid1.SetCells(2, 4, u"1.50"); // typed: reads as the point still
    const State before = Now();
    const std::u16string undoText = form.UndoText();
    ASSERT_TRUE(steps.BeginMove(3));
    steps.MoveTo(5000, 7.7, true);
    ASSERT_EQ(Cell(2, 4), Text(7.7f));
    steps.CancelMove();
    EXPECT_EQ(Now(), before); // "1.50" again, not "1.5"
    EXPECT_EQ(form.UndoText(), undoText);

    ASSERT_TRUE(steps.BeginMove(3));
    steps.MoveTo(5000, 7.7, false);
    steps.MoveTo(5000, 1.5, false);
    steps.EndMove();
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(form.UndoText(), undoText);
}

TEST_F(PointSteps, KeyPressesOnOnePointAreOneStepAndAnotherPointStartsTheNext) {
    const State before = Now();
    ASSERT_TRUE(steps.Nudge(0, true, false));  // 20 Hz: 6 -> 6.1
    ASSERT_TRUE(steps.Nudge(0, true, true));   // 7.1
    ASSERT_TRUE(steps.Nudge(0, false, false)); // 7
    EXPECT_EQ(Cell(2, 3), Text(7.0f));
    ASSERT_TRUE(steps.Nudge(2, false, true)); // 1000 Hz: 0 -> -1
    EXPECT_EQ(Cell(2, 1), u"-1");
    steps.EndMove();
    const State after = Now();
    form.Undo();
    EXPECT_EQ(Cell(2, 3), u"7");
    EXPECT_EQ(Cell(2, 1), u"0");
    EXPECT_EQ(form.UndoText(), u"Move point");
    form.Undo();
    EXPECT_EQ(Now(), before);
    form.Redo();
    form.Redo();
    EXPECT_EQ(Now(), after);
}

TEST_F(PointSteps, AnAddedPointGetsARowWhereInsertRowWouldPutIt) {
    struct Case {
        double Hz;
        double Db;
        int32_t Row;    // where its row goes
        std::size_t At; // its index in the series
    };
    // Points 20 (row 3), 100 (row 2), 1000 (row 1), 5000 (row 4).
    const Case cases[] = {{10.2, 1.04, 3, 0}, {500.6, -2.25, 1, 2}, {8000, 0, 5, 4}};
    for (const Case& c : cases) {
        const State before = Now();
        ASSERT_EQ(steps.Add(c.Hz, c.Db), u"") << c.Hz;
        EXPECT_EQ(form.UndoText(), u"Add point");
        EXPECT_EQ(form.StringGrid1.RowCount(), 6);
        EXPECT_EQ(Cell(0, c.Row), u"*");
        EXPECT_EQ(Cell(1, c.Row), FormatGeneral(DrawnFrequency(c.Hz), UserNotation));
        EXPECT_EQ(Cell(2, c.Row), FormatGeneral(static_cast<float>(DrawnGain(c.Db)), UserNotation));
        EXPECT_EQ(form.Series1.XValues()[c.At], DrawnFrequency(c.Hz));
        EXPECT_EQ(form.ChartRows.RowOf(c.At), c.Row);
        EXPECT_EQ(steps.Refusal(c.At), u"");
        const State after = Now();
        // Every other point keeps its own row.
        for (std::size_t i = 0; i < before.X.size(); ++i) {
            const std::size_t now = i < c.At ? i : i + 1;
            const int32_t row = before.Rows[i] >= c.Row ? before.Rows[i] + 1 : before.Rows[i];
            EXPECT_EQ(after.Rows[now], row) << c.Hz << ", point " << i;
        }
        form.Undo();
        EXPECT_EQ(Now().X, before.X);
        EXPECT_EQ(Now().Rows, before.Rows);
        form.Redo();
        EXPECT_EQ(Now(), after);
        form.Undo();
    }
}

TEST_F(PointSteps, AFrequencyAPointHasAlreadyIsRefusedWithANoteAndChangesNothing) {
    const State before = Now();
    EXPECT_EQ(steps.Add(99.6, 5), u"A point at 100 Hz exists already");
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(form.UndoText(), shown);
}

TEST_F(PointSteps, ADeletedPointTakesItsRowAndUndoBringsBothBack) {
    const State before = Now();
    ASSERT_TRUE(steps.Delete(1)); // 100 Hz, row 2
    EXPECT_EQ(form.UndoText(), u"Delete point");
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 1000, 5000}));
    EXPECT_EQ(Now().Rows, (std::vector<int32_t>{2, 1, 3}));
    EXPECT_EQ(form.StringGrid1.RowCount(), 4);
    const State after = Now();
    form.Undo();
    EXPECT_EQ(Now(), before);
    form.Redo();
    EXPECT_EQ(Now(), after);
}

TEST_F(PointSteps, APointWhoseRowWasTypedOverOrDeletedCanNeitherMoveNorGo) {
    form.StringGrid1.SetCells(2, 2, u"5"); // typed over the 100 Hz point's gain
    const State before = Now();
    EXPECT_EQ(steps.Refusal(1), u"Update / Sort first");
    EXPECT_FALSE(steps.BeginMove(1));
    EXPECT_FALSE(steps.Nudge(1, true, false));
    EXPECT_FALSE(steps.Delete(1));
    EXPECT_EQ(Now(), before);
    EXPECT_EQ(steps.Refusal(0), u""); // the others still can

    form.StringGrid1.SelectCell(1, 3);
    form.Execute(&TForm1::acDelRowExecute); // the 20 Hz point's row
    EXPECT_EQ(steps.Refusal(0), u"Update / Sort first");
    EXPECT_FALSE(steps.Delete(0));
    EXPECT_EQ(form.Series1.Count(), 4u);
}

TEST_F(PointSteps, UndoAndRedoThroughMixedStepsLeadBackToEachStateExactly) {
    std::vector<State> states{Now()};
    ASSERT_TRUE(steps.BeginMove(2));
    steps.MoveTo(700, 2.5, true);
    steps.EndMove();
    states.push_back(Now());
    ASSERT_EQ(steps.Add(60, -1), u"");
    states.push_back(Now());
    form.StringGrid1.SetCells(1, 1, u"777"); // typing between them
    states.push_back(Now());
    ASSERT_TRUE(steps.Delete(4)); // 5000 Hz
    states.push_back(Now());
    ASSERT_TRUE(steps.Nudge(1, true, true)); // 60 Hz
    steps.EndMove();
    states.push_back(Now());
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        form.Undo();
        ASSERT_EQ(Now().Texts, states[i - 1].Texts) << "undo to state " << i - 1;
        ASSERT_EQ(Now().X, states[i - 1].X) << "undo to state " << i - 1;
        ASSERT_EQ(Now().Y, states[i - 1].Y) << "undo to state " << i - 1;
    }
    EXPECT_EQ(form.UndoText(), shown);
    for (std::size_t i = 1; i < states.size(); ++i) {
        form.Redo();
        ASSERT_EQ(Now().Texts, states[i].Texts) << "redo to state " << i;
        ASSERT_EQ(Now().X, states[i].X) << "redo to state " << i;
        ASSERT_EQ(Now().Y, states[i].Y) << "redo to state " << i;
    }
}

TEST_F(PointSteps, UpdateSortAndSaveSeeTheMovedPointsAsTheTableHoldsThem) {
    ASSERT_TRUE(steps.BeginMove(1));
    steps.MoveTo(300, 2.22, true);
    steps.EndMove();
    form.Execute(&TForm1::acSortExecute);
    EXPECT_EQ(form.Series1.XValues(), (std::vector<double>{20, 300, 1000, 5000}));
    EXPECT_EQ(form.Series1.YValues()[1], static_cast<double>(2.2f));
}

} // namespace
