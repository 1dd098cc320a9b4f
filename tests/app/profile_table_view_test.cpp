#include "GridTableModel.h"
#include "ProfileTableView.h"
#include "main_f.h"

#include <gtest/gtest.h>

#include <QtGui/QAction>
#include <QtTest/QAbstractItemModelTester>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QScrollBar>
#include <QtWidgets/QVBoxLayout>

#include <string>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>; // (row, column), as Qt counts

// The editor's table in a window of its own; the form's selection handler and the view's change
// handler sit behind a log.
class ProfileTable : public ::testing::Test {
protected:
    ProfileTable() : view(new ProfileTableView(&window)) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        window.resize(300, 400);
        view->SetGrid(form.StringGrid1);
        auto follow = form.StringGrid1.OnChange;
        form.StringGrid1.OnChange = [this, follow](const TGridChange& change) {
            ++reportsRunning;
            follow(change);
            --reportsRunning;
        };
        auto handler = form.StringGrid1.OnSelectCell;
        form.StringGrid1.OnSelectCell = [this, handler](int32_t col, int32_t row) {
            // The grid's viewers must not change it while it reports.
            EXPECT_EQ(reportsRunning, 0) << "selected (" << col << ", " << row << ") from a report";
            reports.emplace_back(row, col);
            handler(col, row);
        };
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        view->setFocus();
    }

    TStringGrid& Grid() { return form.StringGrid1; }

    // Data rows 1..count with frequencies "r00" and gains "-r", index texts "r0".
    void Fill(int count) {
        TGridUpdateScope update(Grid());
        Grid().SetRowCount(count + 1);
        for (int r = 1; r <= count; ++r) {
            const std::u16string n = QString::number(r).toStdU16String();
            Grid().SetCells(0, r, n + u"0");
            Grid().SetCells(1, r, n + u"00");
            Grid().SetCells(2, r, u"-" + n);
        }
    }

    QString Shown(int row, int col) const {
        return view->model()->index(row, col).data().toString();
    }
    Cell Current() const { return {view->currentIndex().row(), view->currentIndex().column()}; }
    QRect Rect(int row, int col) const { return view->visualRect(view->model()->index(row, col)); }
    QLineEdit* Editor() const {
        return qobject_cast<QLineEdit*>(view->indexWidget(view->currentIndex()));
    }

    void Click(int row, int col) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, Rect(row, col).center());
    }

    TForm1 form;
    QWidget window;
    ProfileTableView* view;
    std::vector<Cell> reports;
    int reportsRunning = 0;
};

TEST_F(ProfileTable, ShowsTheGridWithoutQtHeadersInFixedCellsAndColumnZeroHidden) {
    EXPECT_FALSE(view->horizontalHeader()->isVisible());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    EXPECT_EQ(view->model()->rowCount(), 1);
    EXPECT_EQ(view->model()->columnCount(), 3);
    EXPECT_TRUE(view->isColumnHidden(0));
    EXPECT_EQ(Shown(0, 1), "f(Hz)");
    EXPECT_EQ(Shown(0, 2), "Gain(dB)");
    EXPECT_EQ(view->columnWidth(1), 64);
    EXPECT_EQ(view->columnWidth(2), 64);
    EXPECT_EQ(view->rowHeight(0), 24);
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ContiguousSelection);
    for (QHeaderView* header : {view->horizontalHeader(), view->verticalHeader()}) {
        EXPECT_EQ(header->sectionResizeMode(1), QHeaderView::Fixed);
        EXPECT_FALSE(header->sectionsMovable());
    }
    // Start-up selects (1, 0) without a report.
    EXPECT_EQ(Current(), Cell(0, 1));
    EXPECT_TRUE(reports.empty());
}

TEST_F(ProfileTable, EveryKeystrokeReachesTheGridWhileTheEditorIsOpen) {
    Fill(1);
    Click(1, 1);
    QTest::keyClick(view, Qt::Key_4); // typing opens the editor over the old text
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Grid().Cells(1, 1), u"4");

    QTest::keyClicks(editor, "40");
    EXPECT_EQ(Grid().Cells(1, 1), u"440");
    // Typing inside the text: the cursor stays where the user typed and undo still works.
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_1);
    EXPECT_EQ(Grid().Cells(1, 1), u"1440");
    EXPECT_EQ(editor->cursorPosition(), 1);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "440");
    EXPECT_EQ(Grid().Cells(1, 1), u"440");
    EXPECT_EQ(Editor(), editor);
}

TEST_F(ProfileTable, EscapePutsBackTheTextTheCellHadWhenTheEditorOpened) {
    Fill(1);
    int writes = 0;
    auto follow = Grid().OnChange;
    Grid().OnChange = [&writes, follow](const TGridChange& change) {
        writes += change.Kind == TGridChangeKind::CellsChanged ? 1 : 0;
        follow(change);
    };
    struct EscapeCase {
        const char* typed;
        int writes; // the typed keys, then one to put the old text back
    };
    const EscapeCase cases[] = {{"75", 3}, {"", 0}};
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.typed);
        writes = 0;
        Click(1, 1);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, Rect(1, 1).center());
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, c.typed);
        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_EQ(Grid().Cells(1, 1), u"100");
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(writes, c.writes);
    }
}

TEST_F(ProfileTable, ACellTextLongerThanQtsDefaultLimitStaysWholeInTheEditor) {
    Fill(1);
    const std::u16string text(40'000, u'9');
    Grid().SetCells(1, 1, text);
    Click(1, 1);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, Rect(1, 1).center());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_1);
    EXPECT_EQ(Grid().Cells(1, 1), text + u"1");
}

TEST_F(ProfileTable, TheHeaderRowIsEditedLikeADataRow) {
    Click(0, 2); // a double click comes as press, release, double click
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, Rect(0, 2).center());
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Gain(dB)");
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, " x");
    EXPECT_EQ(Grid().Cells(2, 0), u"Gain(dB) x");
    EXPECT_EQ(reports, std::vector<Cell>({{0, 2}}));
}

TEST_F(ProfileTable, WindowShortcutsWinOverTheCellEditorAndF2NeverStartsEditing) {
    Fill(1);
    Click(1, 1);
    QTest::keyClick(view, Qt::Key_F2); // before any action could take it
    EXPECT_EQ(Editor(), nullptr);

    const std::vector<QKeySequence> keys = {
        Qt::Key_F2,           Qt::Key_F3,           Qt::Key_F4,          Qt::Key_F5,
        Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_I};
    std::vector<QString> triggered;
    for (const QKeySequence& key : keys) {
        auto* action = new QAction(&window);
        action->setShortcut(key);
        QObject::connect(action, &QAction::triggered,
                         [&triggered, key] { triggered.push_back(key.toString()); });
        window.addAction(action);
    }

    QTest::keyClick(view, Qt::Key_7);
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    for (const QKeySequence& key : keys) {
        QTest::keyClick(editor, key[0].key(), key[0].keyboardModifiers());
        EXPECT_EQ(editor->text(), "7") << key.toString().toStdString();
    }
    std::vector<QString> expected;
    for (const QKeySequence& key : keys) {
        expected.push_back(key.toString());
    }
    EXPECT_EQ(triggered, expected);
    EXPECT_EQ(Grid().Cells(1, 1), u"7");
}

// Insert, delete and sort move texts under the open editor as one range of changed cells.
TEST_F(ProfileTable, AnOpenEditorShowsTheTextACommandMovesIntoItsCell) {
    Fill(2);
    Click(1, 1);
    QTest::keyClick(view, Qt::Key_7);
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);

    form.acInsertExecute(); // at frowindex 1, the edited row
    EXPECT_EQ(Grid().Cells(1, 2), u"7");
    EXPECT_EQ(editor->text(), "");
    QTest::keyClick(editor, Qt::Key_8);
    EXPECT_EQ(Grid().Cells(1, 1), u"8");
    EXPECT_EQ(Grid().Cells(1, 2), u"7");
}

TEST_F(ProfileTable, EachMoveOfTheUserIsReportedOnceAndNeverEntersColumnZero) {
    Fill(3);
    Click(2, 1);
    EXPECT_EQ(reports, std::vector<Cell>({{2, 1}}));
    EXPECT_EQ(form.frowindex, 2);
    Click(2, 1);
    EXPECT_EQ(reports.size(), 1u);

    struct Move {
        Qt::Key key;
        Cell to;
        bool reported;
    };
    const Move moves[] = {
        {Qt::Key_Left, {2, 1}, false}, // column 0 is hidden
        {Qt::Key_Home, {2, 1}, false}, {Qt::Key_Down, {3, 1}, true}, {Qt::Key_Right, {3, 2}, true},
        {Qt::Key_Up, {2, 2}, true},    {Qt::Key_Home, {2, 1}, true},
    };
    for (const Move& move : moves) {
        reports.clear();
        QTest::keyClick(view, move.key);
        EXPECT_EQ(Current(), move.to) << move.key;
        EXPECT_EQ(reports, move.reported ? std::vector<Cell>({move.to}) : std::vector<Cell>())
            << move.key;
    }
    EXPECT_EQ(Grid().Col(), 1);
    EXPECT_EQ(Grid().Row(), 2);
}

TEST_F(ProfileTable, DeletingTheSelectedLastRowMovesTheCurrentCellToTheNewLastRowOnce) {
    Fill(3);
    Click(3, 2);
    for (int last = 2; last >= 1; --last) {
        reports.clear();
        form.acDelRowExecute();
        EXPECT_EQ(view->model()->rowCount(), last + 1);
        EXPECT_EQ(Current(), Cell(last, 2));
        EXPECT_TRUE(view->selectionModel()->isSelected(view->currentIndex()));
        EXPECT_EQ(reports, std::vector<Cell>({{last, 2}}));
        EXPECT_EQ(form.frowindex, last);
    }
}

TEST_F(ProfileTable, RowChangesAndResetsKeepTheViewInStepWithoutReports) {
    Fill(4);
    Click(2, 2);
    reports.clear();

    InsertGridRow(2, Grid());
    EXPECT_EQ(view->model()->rowCount(), 6);
    EXPECT_EQ(Shown(2, 1), "");
    EXPECT_EQ(Shown(3, 1), "200");
    EXPECT_EQ(Shown(5, 2), "-4");

    DeleteGridRow(5, Grid());
    AppendGridRow(Grid()); // the deleted row's texts come back
    EXPECT_EQ(view->model()->rowCount(), 6);
    EXPECT_EQ(Shown(5, 1), "400");

    // Several rows at once, the current one among them.
    Click(5, 1);
    reports.clear();
    Grid().SetCells(0, 5, u"");
    Grid().SetCells(1, 5, u"");
    Grid().SetCells(2, 5, u"");
    RemoveEmptyRows(Grid()); // rows 2 and 5
    EXPECT_EQ(view->model()->rowCount(), 4);
    EXPECT_EQ(Shown(3, 1), "300");
    EXPECT_EQ(Current(), Cell(3, 1));
    EXPECT_EQ(reports, std::vector<Cell>({{3, 1}}));

    // A reset reads widths again and would show column 0 and lose the current cell.
    Click(2, 2);
    reports.clear();
    Grid().SetColWidth(2, 80);
    EXPECT_TRUE(view->isColumnHidden(0));
    EXPECT_EQ(view->columnWidth(2), 80);
    EXPECT_EQ(Current(), Cell(2, 2));
    EXPECT_TRUE(reports.empty());
}

TEST_F(ProfileTable, AMillionRowsShowInUniformFixedRowsAndScrollToTheEnd) {
    Grid().SetRowCount(1'000'001);
    Grid().SetCells(1, 1'000'000, u"last");
    QHeaderView* rows = view->verticalHeader();
    EXPECT_EQ(view->model()->rowCount(), 1'000'001);
    EXPECT_EQ(rows->sectionResizeMode(500'000), QHeaderView::Fixed);
    EXPECT_EQ(rows->length(), 24 * 1'000'001); // no row was measured
    EXPECT_EQ(rows->sectionSize(1'000'000), 24);

    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Current(), Cell(1'000'000, 2));
    EXPECT_EQ(reports, std::vector<Cell>({{1'000'000, 2}}));
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(view->viewport()->rect().contains(Rect(1'000'000, 2)));
    EXPECT_EQ(Shown(1'000'000, 1), "last");
}

TEST(ProfileTableFixedCells, AClickOnAFixedCellLeavesTheCurrentCellAndReportsNothing) {
    TStringGrid grid; // one fixed row and column, current cell (1, 1)
    int reports = 0;
    grid.OnSelectCell = [&](int32_t, int32_t) { ++reports; };
    ProfileTableView view;
    view.SetGrid(grid);
    view.resize(300, 300);
    view.show();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      view.visualRect(view.model()->index(0, 2)).center());
    EXPECT_EQ(view.currentIndex(), view.model()->index(1, 1));
    EXPECT_EQ(reports, 0);
}

QStringList warnings;

TEST(GridTableModelUnderTest, NotificationsMatchEveryKindOfGridChange) {
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg) {
                warnings.push_back(text);
            }
        });

    TStringGrid grid;
    GridTableModel model(grid);
    grid.OnChange = [&model](const TGridChange& change) { model.Apply(change); };
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);

    grid.SetColCount(3);
    grid.SetRowCount(1);
    grid.SetColWidth(0, 0);
    grid.SetCells(1, 0, u"f(Hz)");
    grid.SetRowCount(8);
    for (int32_t r = 1; r < 8; ++r) {
        grid.SetCells(1, r, QString::number(8 - r).toStdU16String());
        grid.SetCells(2, r, u"-1.5");
    }
    InsertGridRow(3, grid);
    DeleteGridRow(5, grid);
    AppendGridRow(grid);
    RemoveEmptyRows(grid);
    SortGridRows(grid, 1, true);
    grid.SetRowCount(2);
    grid.SetColCount(2);

    EXPECT_EQ(model.rowCount(), grid.RowCount());
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.index(1, 1).data().toString().toStdU16String(), grid.Cells(1, 1));
    EXPECT_TRUE(model.setData(model.index(1, 1), "12"));
    EXPECT_EQ(grid.Cells(1, 1), u"12");
    EXPECT_FALSE(model.flags(model.index(1, 0)) & Qt::ItemIsEditable);

    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings.join('\n').toStdString(), "");
}

TEST(ProfileTableLifetime, GridsOutliveTheirViewWhichFollowsOnlyTheLastOneShown) {
    TStringGrid first;
    TStringGrid second;
    {
        ProfileTableView view;
        view.SetGrid(first);
        view.SetGrid(second);
        EXPECT_FALSE(first.OnChange);
        second.SetRowCount(7);
        EXPECT_EQ(view.model()->rowCount(), 7);
    }
    EXPECT_FALSE(second.OnChange);
    second.SetRowCount(9); // no view left to call
    EXPECT_EQ(second.RowCount(), 9);
}

} // namespace
