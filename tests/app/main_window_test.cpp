#include "MainWindow.h"

#include <gtest/gtest.h>

#include <QtGui/QContextMenuEvent>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "LinkLabel.h"
#include "QtDesktop.h"
#include "general_utils.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

std::string Narrow(const std::u16string& text) {
    return Utf16ToUtf8(text);
}

// The main window with its desktop scripted: every dialog is cancelled and logged, every message
// box logged (up to its first line break) and answered OK or Yes.
class Editor {
public:
    Editor() {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        TDesktop& desktop = window.Form().Desktop;
        desktop.RunOpenDialog = [this](const TFileDialogSettings& s) {
            return Cancel("open dialog: " + Narrow(s.Title));
        };
        desktop.RunSaveDialog = [this](const TFileDialogSettings& s) {
            return Cancel("save dialog: " + Narrow(s.Title));
        };
        desktop.MessageDlg = [this](TMsgDlgType type, TMsgDlgButtons buttons,
                                    const std::u16string& text) {
            static const char* const kinds[] = {"warning", "error", "information", "confirmation"};
            log.push_back(std::string(kinds[static_cast<int>(type)]) + ": " +
                          Narrow(text.substr(0, text.find(u'\r'))));
            return buttons == TMsgDlgButtons::mbOK ? TModalResult::mrOk : TModalResult::mrYes;
        };
        desktop.CloseMainWindow = [this] { log.push_back("close"); };
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ~Editor() {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    template <class T = QWidget> T* Find(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    TStringGrid& Grid() { return window.Form().StringGrid1; }

    // Two data rows out of frequency order, row 1 selected.
    void FillTwoRows() {
        Grid().SetRowCount(3);
        Grid().SetCells(1, 1, u"200");
        Grid().SetCells(2, 1, u"2");
        Grid().SetCells(1, 2, u"100");
        Grid().SetCells(2, 2, u"1");
        Grid().SelectCell(1, 1);
    }

    // What the commands did: the dialogs and messages, the table's rows, the file label.
    std::string Effect() {
        // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on chains of +.
        std::string effect;
        for (const std::string& line : log) {
            effect.append(line).append(" / ");
        }
        for (int32_t row = 1; row < Grid().RowCount(); ++row) {
            effect.append("[").append(Narrow(Grid().Cells(0, row))).append(",");
            effect.append(Narrow(Grid().Cells(1, row))).append(",");
            effect.append(Narrow(Grid().Cells(2, row))).append("]");
        }
        return effect.append(" file ").append(Narrow(window.Form().lbFilename.Text()));
    }

    MainWindow window;
    std::vector<std::string> log;

private:
    std::optional<std::filesystem::path> Cancel(std::string line) {
        log.push_back(std::move(line));
        return std::nullopt;
    }
};

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

// Where a widget lies inside `ancestor`.
QRect GeometryIn(const QWidget* widget, const QWidget* ancestor) {
    return {widget->mapTo(ancestor, QPoint(0, 0)), widget->size()};
}

void PressShortcut(QWidget* target, const QString& shortcut) {
    const QKeyCombination key = QKeySequence(shortcut)[0];
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
}

struct ActionCase {
    const char* name;
    const char* category;
    const char* caption;
    const char* shortcut;
    std::string effect; // of the command on FillTwoRows
};

const std::vector<ActionCase> kActions = {
    {"acImport", "File", "Import ASCII", "Ctrl+I",
     "open dialog: Import sound profile (ASCII) / [,200,2][,100,1] file ?"},
    {"acSaveProfile", "File", "Save Profile", "Ctrl+S",
     "confirmation: Sound profile Name missed. Continue? / save dialog: Save as Ulmaro sound "
     "profile / [,100,1][,200,2] file ?"},
    {"acClose", "File", "Close", "", "close / [,200,2][,100,1] file ?"},
    {"acClear", "Table", "Clear table", "", "[,,][,,] file "},
    {"acAppend", "Table", "Append row", "F5", "[,200,2][,100,1][,,] file ?"},
    {"acDelRow", "Table", "Delete row", "F3", "[,100,1] file ?"},
    {"acInsert", "Table", "Insert row", "F2", "[*,,][,200,2][,100,1] file ?"},
    {"acSort", "Table", "Update / Sort", "F4", "[,100,1][,200,2] file ?"},
    {"acOPenProfile", "File", "Open profile", "Ctrl+O",
     "open dialog: Load Ulmaro sound profile / [,200,2][,100,1] file ?"},
    {"acInfo", "Info", "Info", "",
     "information: Marvek Engineering Germany / [,200,2][,100,1] file ?"},
};

TEST(MainWindow, ActionsRunTheirCommandsFromTheActionAndFromTheShortcutKey) {
    for (const ActionCase& c : kActions) {
        SCOPED_TRACE(c.name);
        {
            Editor editor;
            auto* action = editor.Find<QAction>(c.name);
            EXPECT_EQ(action->property("category").toString(), c.category);
            EXPECT_EQ(action->text(), c.caption);
            EXPECT_EQ(action->shortcut(), QKeySequence(c.shortcut));
            // An action that is not the window's own gets no shortcut.
            EXPECT_TRUE(editor.window.actions().contains(action));
            editor.FillTwoRows();
            action->trigger();
            EXPECT_EQ(editor.Effect(), c.effect);
        }
        if (*c.shortcut != '\0') {
            Editor editor;
            editor.FillTwoRows();
            auto* name = editor.Find<QLineEdit>("Edit1");
            ASSERT_TRUE(name->hasFocus());
            PressShortcut(name, c.shortcut);
            EXPECT_EQ(editor.Effect(), c.effect);
        }
    }
}

struct Item {
    const char* name;
    const char* caption; // empty for a separator
    const char* action;
};

void ExpectItems(Editor& editor, const QList<QAction*>& items, const std::vector<Item>& expected) {
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Item& want = expected[i];
        QAction* item = items[static_cast<qsizetype>(i)];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(item->objectName(), want.name);
        if (*want.caption == '\0') {
            EXPECT_TRUE(item->isSeparator());
            continue;
        }
        EXPECT_EQ(item->text(), want.caption);
        auto* action = editor.Find<QAction>(want.action);
        EXPECT_EQ(item->shortcut(), action->shortcut());
        QSignalSpy runs(action, &QAction::triggered);
        item->trigger();
        EXPECT_EQ(runs.count(), 1);
    }
}

TEST(MainWindow, MenuBarAndTablePopUpMenuShowTheirItemsInOrderAndRunTheirActions) {
    Editor editor;
    auto* menuBar = editor.Find<QMenuBar>("MainMenu1");
    EXPECT_EQ(editor.window.menuBar(), menuBar);
    auto* file = editor.Find<QMenu>("File1");
    auto* table = editor.Find<QMenu>("able1");
    EXPECT_EQ(file->title(), "File");
    EXPECT_EQ(table->title(), "Table");
    const QList<QAction*> top = menuBar->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0], file->menuAction());
    EXPECT_EQ(top[1], table->menuAction());
    // "Info" is an entry of the bar itself, without a menu.
    EXPECT_EQ(top[2]->menu(), nullptr);
    ExpectItems(editor, {top[2]}, {{"Info1", "Info", "acInfo"}});

    ExpectItems(editor, file->actions(),
                {{"New1", "New", "acClear"},
                 {"N2", "", ""},
                 {"Save1", "Save as Sound Profile", "acSaveProfile"},
                 {"OpenProfile1", "Open Sound Profile", "acOPenProfile"},
                 {"ImportASCII1", "Import Profile (ASCII)", "acImport"},
                 {"N1", "", ""},
                 {"mClose", "Close", "acClose"}});
    ExpectItems(editor, table->actions(),
                {{"Clear1", "Clear table", "acClear"},
                 {"acInsert1", "Insert row", "acInsert"},
                 {"acDelRow1", "Delete row", "acDelRow"},
                 {"acSort1", "Update / Sort", "acSort"},
                 {"acAppend1", "Append row", "acAppend"}});
    ExpectItems(editor, editor.Find<QMenu>("PopupMenu1")->actions(),
                {{"acInsert2", "Insert row", "acInsert"},
                 {"acDelRow2", "Delete row", "acDelRow"},
                 {"acSort2", "Update / Sort", "acSort"},
                 {"Append1", "Append", "acAppend"}});
}

TEST(MainWindow, RightClickOnTheTableOpensItsPopUpMenu) {
    Editor editor;
    auto* grid = editor.Find<QTableView>("StringGrid1");
    auto* popup = editor.Find<QMenu>("PopupMenu1");
    const QPoint at(20, 10);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &click);
    EXPECT_TRUE(popup->isVisible());
    popup->close();
}

TEST(MainWindow, ToolButtonsSitSideBySideWithTheirPicturesCaptionsAndToolTips) {
    struct ButtonCase {
        const char* name;
        int x;
        const char* caption;
        const char* toolTip;
        const char* action;
    };
    const ButtonCase cases[] = {
        {"Button4", 3, " ", "", "acOPenProfile"},
        {"Button1", 44, " ", "Append row", "acAppend"},
        {"Button2", 85, "-", "Delete row", "acDelRow"},
        {"Button3", 126, " ", "Sort / Update chart", "acSort"},
    };
    Editor editor;
    auto* bar = editor.Find("paKopfMenue");
    auto* holder = editor.Find("TitleBarPanel1");
    EXPECT_EQ(GeometryIn(bar, editor.window.centralWidget()),
              QRect(0, 0, editor.window.centralWidget()->width(), 40));
    EXPECT_TRUE(bar->autoFillBackground());
    EXPECT_EQ(bar->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(GeometryIn(holder, bar), QRect(0, 0, 610, 37));
    for (const ButtonCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto* button = editor.Find<QPushButton>(c.name);
        EXPECT_EQ(GeometryIn(button, holder), QRect(c.x, 0, 38, 37));
        EXPECT_EQ(button->text(), c.caption);
        EXPECT_EQ(button->toolTip(), c.toolTip);
        EXPECT_EQ(button->icon().pixmap(32, 32).size(), QSize(32, 32));
        QSignalSpy runs(editor.Find<QAction>(c.action), &QAction::triggered);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(runs.count(), 1);
    }
}

TEST(MainWindow, StartsWithItsCaptionTextsIconAndFocusInTheNameField) {
    Editor editor;
    EXPECT_EQ(editor.window.windowTitle(), "Ulmaro Sound Profile Editor");
    // The client area is 610 x 310 unless the outer size limit asks for more; offscreen windows
    // have a thin frame and no title bar.
    const int outerExtra = editor.window.frameGeometry().height() - editor.window.height() +
                           editor.window.menuBar()->height();
    EXPECT_EQ(editor.window.centralWidget()->size(), QSize(610, std::max(310, 350 - outerExtra)));
    EXPECT_EQ(QApplication::focusWidget(), editor.Find("Edit1"));
    EXPECT_EQ(editor.Find<QLineEdit>("Edit1")->text(), "?");
    EXPECT_EQ(editor.Find<QLabel>("lbFilename")->text(), "?");
    EXPECT_EQ(editor.Find<QLabel>("Label1")->text(), "Sound profile name:");
    EXPECT_TRUE(editor.Find<QLabel>("Label1")->font().bold());
    auto* hint = editor.Find<QLabel>("Label2");
    EXPECT_EQ(hint->text(), "Use \"Update\" from main menu / table popup menu to make changes in "
                            "chart visble.");
    EXPECT_TRUE(hint->wordWrap());
    EXPECT_EQ(editor.window.font().pointSize(), 9);
    EXPECT_EQ(editor.Find<QLabel>("lbFilename")->font().pointSize(), 8);
    const QList<QSize> sizes = editor.window.windowIcon().availableSizes();
    for (int pixels : {16, 20, 24, 32, 40, 48, 64, 256}) {
        EXPECT_TRUE(sizes.contains(QSize(pixels, pixels))) << pixels;
    }

    // Tab goes from the name field through the chart and the table to the tool buttons.
    for (const char* next : {"Chart1", "StringGrid1", "Button1", "Button2", "Button3", "Button4"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), editor.Find(next)) << next;
    }
}

// The grid panel's cells as laid out for the current window size.
void ExpectLayout(Editor& editor) {
    QWidget* client = editor.window.centralWidget();
    auto* panel = editor.Find<QFrame>("GridPanel1");
    auto* status = editor.Find<QFrame>("Panel1");
    const int width = client->width();
    const int height = client->height();
    EXPECT_EQ(GeometryIn(panel, client), QRect(3, 43, width - 6, height - 40 - 22 - 6));
    EXPECT_EQ(GeometryIn(status, client), QRect(0, height - 22, width, 22));
    EXPECT_EQ(GeometryIn(editor.Find("EsLinkLabel1"), status).topLeft(),
              status->contentsRect().topLeft() + QPoint(7, 0));
    EXPECT_EQ(GeometryIn(editor.Find("lbFilename"), status).topLeft(), QPoint(192, 4));

    const QRect inside = panel->contentsRect();
    const int rest = inside.width() - 150;
    const QRect label = GeometryIn(editor.Find("Label1"), panel);
    EXPECT_NEAR(label.width(), rest * 0.3809234371130772, 1.0);
    EXPECT_EQ(GeometryIn(editor.Find("StringGrid1"), panel),
              QRect(inside.left(), inside.top(), 150, inside.height()));
    EXPECT_EQ(label, QRect(inside.left() + 150, inside.top(), label.width(), 30));
    EXPECT_EQ(GeometryIn(editor.Find("Edit1"), panel),
              QRect(label.right() + 4, inside.top() + 3, rest - label.width() - 6, 24));
    EXPECT_EQ(GeometryIn(editor.Find("Label2"), panel),
              QRect(inside.left() + 153, inside.top() + 33, rest - 6, 34));
    EXPECT_EQ(GeometryIn(editor.Find("Chart1"), panel),
              QRect(inside.left() + 153, inside.top() + 73, rest - 6, inside.height() - 76));
}

TEST(MainWindow, GridPanelKeepsTheTableColumnAndSharesTheRestInItsRatio) {
    Editor editor;
    {
        SCOPED_TRACE("at start");
        ExpectLayout(editor);
    }
    editor.window.resize(1000, 600);
    Settle();
    SCOPED_TRACE("widened");
    ExpectLayout(editor);
}

TEST(MainWindow, OuterFrameIsHeldAtLeast500By350) {
    struct SizeCase {
        QSize asked;
        QSize outer;
    };
    const SizeCase cases[] = {
        {{300, 200}, {500, 350}},
        {{300, 500}, {500, 500}},
        {{700, 200}, {700, 350}},
        {{800, 600}, {800, 600}},
    };
    Editor editor;
    const QSize frame = editor.window.frameGeometry().size() - editor.window.size();
    for (const SizeCase& c : cases) {
        editor.window.resize(c.asked - frame);
        Settle();
        EXPECT_EQ(editor.window.frameGeometry().size(), c.outer)
            << c.asked.width() << "x" << c.asked.height();
    }
}

TEST(MainWindow, ShortcutsWinOverAnOpenCellEditorWhichHasAlreadyWrittenWhatIsTyped) {
    Editor editor;
    editor.Grid().SetRowCount(2);
    editor.Grid().SetCells(2, 1, u"3");
    auto* grid = editor.Find<QTableView>("StringGrid1");
    const QModelIndex cell = grid->model()->index(1, 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    ASSERT_EQ(editor.window.Form().frowindex, 1);
    grid->edit(cell);
    auto* cellEditor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(cellEditor, nullptr);

    QTest::keyClicks(cellEditor, "125");
    EXPECT_EQ(editor.Grid().Cells(1, 1), u"125");
    // Save runs Update / Sort, which reads the table while the editor is still open.
    PressShortcut(cellEditor, "Ctrl+S");
    ASSERT_EQ(CurrentSoundProfil.xyData.size(), 1u);
    EXPECT_EQ(CurrentSoundProfil.xyData[0], (std::vector<float>{125, 3}));

    PressShortcut(QApplication::focusWidget(), "F2");
    EXPECT_EQ(editor.Grid().RowCount(), 3);
    EXPECT_EQ(editor.Grid().Cells(0, 1), u"*");
    EXPECT_EQ(editor.Grid().Cells(1, 2), u"125");
}

TEST(MainWindow, NameFieldAndFileLabelFollowTheForm) {
    Editor editor;
    auto* name = editor.Find<QLineEdit>("Edit1");
    name->selectAll();
    QTest::keyClicks(name, "ab");
    EXPECT_EQ(editor.window.Form().Edit1.Text(), u"ab");
    // Writing back what was typed would throw the cursor to the end.
    QTest::keyClick(name, Qt::Key_Home);
    QTest::keyClicks(name, "XY");
    EXPECT_EQ(name->text(), "XYab");
    EXPECT_EQ(editor.window.Form().Edit1.Text(), u"XYab");

    editor.FillTwoRows();
    PressShortcut(name, "Ctrl+S");
    EXPECT_EQ(editor.log, std::vector<std::string>{"save dialog: Save as Ulmaro sound profile"});
    EXPECT_EQ(CurrentSoundProfil.stName, u"XYab");

    editor.window.Form().Edit1.SetText(u"Treble");
    EXPECT_EQ(name->text(), "Treble");
    auto* file = editor.Find<QLabel>("lbFilename");
    editor.window.Form().lbFilename.SetText(u"a rather long file name.ump");
    EXPECT_EQ(file->text(), "a rather long file name.ump");
    EXPECT_GE(file->width(), file->sizeHint().width());
}

TEST(MainWindow, LocaleChangeRebuildsTheUserNotation) {
    Editor editor;
    UserNotation = NumberNotation{u'#'};
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&editor.window, &change);
    EXPECT_EQ(UserNotation.DecimalSeparator, SystemNotation().DecimalSeparator);
}

TEST(LinkLabel, ClickOpensTheAddressAndRetriesOnceWithHttp) {
    struct OpenCase {
        std::vector<bool> answers;
        std::vector<QString> expected;
    };
    const OpenCase cases[] = {
        {{true}, {"www.example.com"}},
        {{false, true}, {"www.example.com", "http://www.example.com"}},
        {{false, false}, {"www.example.com", "http://www.example.com"}},
    };
    for (const OpenCase& c : cases) {
        Editor editor;
        auto* link = editor.Find<LinkLabel>("EsLinkLabel1");
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        std::deque<bool> answers(c.answers.begin(), c.answers.end());
        std::vector<QString> opened;
        link->OpenAddress = [&](const QString& address) {
            opened.push_back(address);
            const bool answer = answers.front();
            answers.pop_front();
            return answer;
        };
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_EQ(opened, c.expected);

        // A press that is released outside the label opens nothing.
        opened.clear();
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
        EXPECT_TRUE(opened.empty());
    }
}

// Whether some pixel of the widget has exactly that colour (the underline's do).
bool Shows(QWidget* widget, const QColor& colour) {
    const QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == colour.rgb()) {
                return true;
            }
        }
    }
    return false;
}

TEST(LinkLabel, LinkColourLightensWhileHoveredAndDarkensWhilePressed) {
    Editor editor;
    auto* link = editor.Find<LinkLabel>("EsLinkLabel1");
    const QColor plain = link->palette().color(QPalette::Link);
    const QColor hot = ShiftLightness(plain, 60);
    const QColor pressed = ShiftLightness(plain, -60);
    EXPECT_TRUE(Shows(link, plain));
    EXPECT_FALSE(Shows(link, hot));

    QEnterEvent enter(QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)),
                      link->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(link, &enter);
    EXPECT_TRUE(Shows(link, hot));
    QTest::mousePress(link, Qt::LeftButton);
    EXPECT_TRUE(Shows(link, pressed));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_TRUE(Shows(link, pressed));
}

TEST(LinkLabel, ShiftLightnessMovesLightnessOnA240ScaleAndClamps) {
    struct ShiftCase {
        QColor colour;
        int steps;
        QColor expected;
    };
    const ShiftCase cases[] = {
        {QColor(0, 0, 255), 60, QColor(128, 128, 255)},     // lightness 120 -> 180
        {QColor(0, 0, 255), -60, QColor(0, 0, 128)},        // 120 -> 60
        {QColor(0, 102, 204), 60, QColor(77, 166, 255)},    // 96 -> 156, hue 210 kept
        {QColor(200, 230, 255), 60, QColor(255, 255, 255)}, // clamped at 240
        {QColor(40, 20, 20), -60, QColor(0, 0, 0)},         // clamped at 0
        {QColor(128, 128, 128), 60, QColor(191, 191, 191)}, // grey stays grey
    };
    for (const ShiftCase& c : cases) {
        const QColor shifted = ShiftLightness(c.colour, c.steps);
        SCOPED_TRACE(c.colour.name().toStdString() + " " + std::to_string(c.steps));
        EXPECT_NEAR(shifted.red(), c.expected.red(), 1);
        EXPECT_NEAR(shifted.green(), c.expected.green(), 1);
        EXPECT_NEAR(shifted.blue(), c.expected.blue(), 1);
    }
}

TEST(QtDesktop, FiltersBecomeQtNameFiltersInOrder) {
    struct FilterCase {
        std::u16string filter;
        QStringList expected;
    };
    const FilterCase cases[] = {
        {u"Ulmaro Sound Profile|*.ump|All|*.*", {"Ulmaro Sound Profile (*.ump)", "All (*.*)"}},
        {u"All|*.*", {"All (*.*)"}},
        {u"Text|*.txt;*.csv", {"Text (*.txt *.csv)"}},
        {u"Profiles|*.ump|Dangling", {"Profiles (*.ump)"}},
        {u"", {}},
    };
    for (const FilterCase& c : cases) {
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << Narrow(c.filter);
    }
}

TEST(QtDesktop, OnlyAProfileAsFirstArgumentIsOpened) {
    struct ArgumentCase {
        QStringList arguments;
        std::optional<std::filesystem::path> opened;
    };
    const ArgumentCase cases[] = {
        {{"editor"}, std::nullopt},
        {{"editor", "/data/hall.ump"}, std::filesystem::path("/data/hall.ump")},
        {{"editor", "Raum 2.UMP", "more"}, std::filesystem::path("Raum 2.UMP")},
        {{"editor", "notes.txt"}, std::nullopt},
        {{"editor", "--verbose", "hall.ump"}, std::nullopt},
        {{"editor", "ump"}, std::nullopt},
    };
    for (const ArgumentCase& c : cases) {
        EXPECT_EQ(ProfileArgument(c.arguments), c.opened) << c.arguments.join(' ').toStdString();
    }
}

// Info reads the version words from the executable file the build made, not from the code.
TEST(EditorExecutable, CarriesItsVersionRecord) {
    EXPECT_EQ(FileVersionText(EDITOR_EXECUTABLE), u"1.0.0.0");
}

} // namespace
