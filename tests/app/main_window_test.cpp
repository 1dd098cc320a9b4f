#include "MainWindow.h"

#include <gtest/gtest.h>

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChartView>
#include <QtCore/QDir>
#include <QtCore/QMimeData>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtGui/QContextMenuEvent>
#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtGui/QImageReader>
#include <QtSvg/QSvgRenderer>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractScrollArea>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QMessageBox>
#include <QtWidgets/QProgressDialog>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableView>
#include <QtWidgets/QToolTip>

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "LinkLabel.h"
#include "QtDesktop.h"
#include "ResponseChartView.h"
#include "editor_errors.h"
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
        desktop.RunSaveDialogWithFilter = [this](const TFileDialogSettings& s) {
            log.push_back("export dialog: " + Narrow(s.Title));
            return std::optional<TSaveChoice>();
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
    {"acImportMeasurement", "File", "Import Measurement", "Ctrl+Shift+I",
     "open dialog: Import measurement / [,200,2][,100,1] file ?"},
    {"acExport", "File", "Export Profile", "Ctrl+E",
     "export dialog: Export profile / [,100,1][,200,2] file ?"},
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

// A caption as the user reads it: without the mnemonic's '&' and the key shown after a tab.
QString Caption(const QString& text) {
    return text.section(u'\t', 0, 0).remove(u'&');
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
        EXPECT_EQ(Caption(item->text()), want.caption);
        EXPECT_FALSE(QKeySequence::mnemonic(item->text()).isEmpty()) << "no mnemonic";
        auto* action = editor.Find<QAction>(want.action);
        // The item shows the action's key; only the action holds it.
        EXPECT_EQ(item->text().section(u'\t', 1),
                  action->shortcut().toString(QKeySequence::NativeText));
        EXPECT_TRUE(item->shortcut().isEmpty());
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
    EXPECT_EQ(Caption(file->title()), "File");
    EXPECT_EQ(Caption(table->title()), "Table");
    EXPECT_EQ(QKeySequence::mnemonic(file->title()), QKeySequence(Qt::ALT | Qt::Key_F));
    EXPECT_EQ(QKeySequence::mnemonic(table->title()), QKeySequence(Qt::ALT | Qt::Key_T));
    auto* edit = editor.Find<QMenu>("EditMenu1");
    EXPECT_EQ(Caption(edit->title()), "Edit");
    EXPECT_EQ(QKeySequence::mnemonic(edit->title()), QKeySequence(Qt::ALT | Qt::Key_E));
    auto* curve = editor.Find<QMenu>("Curve1");
    EXPECT_EQ(Caption(curve->title()), "Curve");
    const QList<QAction*> top = menuBar->actions();
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[0], file->menuAction());
    EXPECT_EQ(top[1], edit->menuAction());
    EXPECT_EQ(top[2], table->menuAction());
    EXPECT_EQ(top[3], curve->menuAction());
    // "Info" is an entry of the bar itself, without a menu.
    EXPECT_EQ(top[4]->menu(), nullptr);
    ExpectItems(editor, {top[4]}, {{"Info1", "Info", "acInfo"}});
    // Undo and Redo name the step they take and run only with one to take.
    TForm1& form = editor.window.Form();
    const auto stepToUndoAndToRedo = [&form] {
        form.Execute(&TForm1::acAppendExecute);
        form.Execute(&TForm1::acAppendExecute);
        form.Undo();
    };
    stepToUndoAndToRedo();
    ExpectItems(editor, edit->actions(),
                {{"Undo1", "Undo Append row", "acUndo"}, {"Redo1", "Redo Append row", "acRedo"}});

    ExpectItems(editor, file->actions(),
                {{"New1", "New", "acClear"},
                 {"N2", "", ""},
                 {"Save1", "Save as Sound Profile", "acSaveProfile"},
                 {"Export1", "Export Profile...", "acExport"},
                 {"OpenProfile1", "Open Sound Profile", "acOPenProfile"},
                 {"ImportASCII1", "Import Profile (ASCII)", "acImport"},
                 {"ImportMeasurement1", "Import Measurement...", "acImportMeasurement"},
                 {"ImportParametricEq1", "Import Parametric EQ...", "acImportParametricEq"},
                 {"N4", "", ""},
                 {"LoadReference1", "Load Reference Curve...", "acLoadReference"},
                 {"ClearReference1", "Clear Reference Curve", "acClearReference"},
                 {"ExportChart1", "Export Chart Image...", "acExportChart"},
                 {"N1", "", ""},
                 {"mClose", "Close", "acClose"}});
    ExpectItems(editor, table->actions(),
                {{"Clear1", "Clear table", "acClear"},
                 {"acInsert1", "Insert row", "acInsert"},
                 {"acDelRow1", "Delete row", "acDelRow"},
                 {"acSort1", "Update / Sort", "acSort"},
                 {"acAppend1", "Append row", "acAppend"}});
    editor.window.Form().Desktop.AskValues = [](const TValueDialog&) {
        return std::optional<std::vector<std::u16string>>();
    };
    ExpectItems(editor, curve->actions(),
                {{"Invert1", "Invert gains", "acInvert"},
                 {"Offset1", "Offset gains...", "acOffset"},
                 {"Normalize1", "Normalize at frequency...", "acNormalize"},
                 {"Smooth1", "Smooth...", "acSmooth"},
                 {"Resample1", "Resample...", "acResample"},
                 {"Limit1", "Limit frequency range...", "acLimit"},
                 {"Merge1", "Merge duplicate frequencies", "acMerge"},
                 {"N5", "", ""},
                 {"Correction1", "Correction to Reference...", "acCorrection"},
                 {"SubtractReference1", "Subtract Reference", "acSubtractReference"},
                 {"AddReference1", "Add Reference", "acAddReference"},
                 {"FitParametricEq1", "Fit Parametric EQ...", "acFitParametricEq"}});
    stepToUndoAndToRedo();
    ExpectItems(editor, editor.Find<QMenu>("PopupMenu1")->actions(),
                {{"Undo2", "Undo Append row", "acUndo"},
                 {"Redo2", "Redo Append row", "acRedo"},
                 {"N3", "", ""},
                 {"acInsert2", "Insert row", "acInsert"},
                 {"acDelRow2", "Delete row", "acDelRow"},
                 {"acSort2", "Update / Sort", "acSort"},
                 {"Append1", "Append", "acAppend"}});
}

// The curve tools from the menu with the keyboard, their values typed into the real dialog.
TEST(MainWindow, CurveToolsRunFromTheirMenuWithTheirValuesDialog) {
    struct Case {
        char item;         // the item's mnemonic in the Curve menu
        const char* typed; // into the dialog's first field, empty for none
        std::string effect;
    };
    const std::vector<Case> cases = {
        {'I', "", "[,100,-1][,200,-2] file ?"},
        {'O', "1,5", "[,100,2.5][,200,3.5] file ?"},
        {'N', "200", "[,100,-1][,200,0] file ?"},
        {'L', "150", "[,200,2] file ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Editor editor;
        editor.window.Form().Desktop = QtDesktop(editor.window);
        editor.window.Form().Desktop.MessageDlg = [&](TMsgDlgType, TMsgDlgButtons,
                                                      const std::u16string& text) {
            editor.log.push_back(Narrow(text));
            return TModalResult::mrOk;
        };
        editor.FillTwoRows();
        QString title;
        if (*c.typed != '\0') {
            // The dialog is modal: typed into once it shows.
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr) {
                    return; // the effect below tells
                }
                title = dialog->windowTitle();
                auto* field = dialog->findChild<QLineEdit*>();
                EXPECT_EQ(field->selectedText(), field->text()); // typing replaces the default
                QTest::keyClicks(field, QString::fromLatin1(c.typed));
                QTest::keyClick(field, Qt::Key_Return);
            });
        }
        QTest::keyClick(&editor.window, Qt::Key_C, Qt::AltModifier);
        auto* curve = editor.Find<QMenu>("Curve1");
        ASSERT_TRUE(curve->isVisible());
        QTest::keyClick(curve, static_cast<Qt::Key>(c.item));
        Settle();
        EXPECT_EQ(editor.Effect(), c.effect);
        EXPECT_EQ(title.isEmpty(), *c.typed == '\0');
    }
}

// Smooth and Resample offer the octave fractions as a choice; the first, 1/1, is taken with the
// keyboard. Undo takes the tool back as one step.
TEST(MainWindow, SmoothAndResampleRunFromTheirMenuWithTheFractionChosen) {
    struct Case {
        char item;
        std::string effect;
    };
    const std::vector<Case> cases = {
        {'S', "[,100,1.5][,125,1.5][,1000,6] file ?"},
        {'R', "[,100,0][,125,3][,250,4][,500,5][,1000,6] file ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Editor editor;
        editor.window.Form().Desktop = QtDesktop(editor.window);
        editor.Grid().SetRowCount(4);
        const char16_t* const rows[][2] = {{u"1000", u"6"}, {u"100", u"0"}, {u"125", u"3"}};
        for (int32_t row = 1; row <= 3; ++row) {
            editor.Grid().SetCells(1, row, rows[row - 1][0]);
            editor.Grid().SetCells(2, row, rows[row - 1][1]);
        }
        const std::string before = editor.Effect();
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* choice = dialog->findChild<QComboBox*>();
            ASSERT_NE(choice, nullptr);
            QTest::keyClick(choice, Qt::Key_Home);
            EXPECT_EQ(choice->currentText(), "1/1");
            QTest::keyClick(choice, Qt::Key_Return);
        });
        QTest::keyClick(&editor.window, Qt::Key_C, Qt::AltModifier);
        auto* curve = editor.Find<QMenu>("Curve1");
        ASSERT_TRUE(curve->isVisible());
        QTest::keyClick(curve, static_cast<Qt::Key>(c.item));
        Settle();
        EXPECT_EQ(editor.Effect(), c.effect);
        // Offscreen, no window manager gives the window back its activation.
        editor.window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&editor.window));
        QTest::keyClick(&editor.window, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(editor.Effect(), before);
    }
}

TEST(MainWindow, ClosingWithUnsavedChangesAsksAndCancelKeepsTheWindowOpen) {
    Editor editor;
    TForm1& form = editor.window.Form();
    // The real close: the window's close event, which the frame's button and Alt+F4 send too.
    form.Desktop.CloseMainWindow = [&editor] { editor.window.close(); };
    std::deque<TModalResult> answers;
    form.Desktop.MessageDlg = [&](TMsgDlgType, TMsgDlgButtons buttons, const std::u16string& text) {
        editor.log.push_back(Narrow(text));
        EXPECT_EQ(buttons, TMsgDlgButtons::mbYesNoCancel);
        const TModalResult answer = answers.front();
        answers.pop_front();
        return answer;
    };
    editor.FillTwoRows();
    answers = {TModalResult::mrCancel};
    editor.Find<QAction>("acClose")->trigger();
    EXPECT_TRUE(editor.window.isVisible());
    answers = {TModalResult::mrCancel};
    EXPECT_FALSE(editor.window.close());
    EXPECT_EQ(editor.log, (std::vector<std::string>{"Save changes to the sound profile?",
                                                    "Save changes to the sound profile?"}));
    answers = {TModalResult::mrNo};
    editor.Find<QAction>("acClose")->trigger();
    EXPECT_FALSE(editor.window.isVisible());
    EXPECT_EQ(editor.log.size(), 3u);
}

TEST(MainWindow, EveryCommandOfTheTableHasItsActionNamedAsItsStep) {
    Editor editor;
    for (const TCommand& command : Commands()) {
        SCOPED_TRACE(command.Action);
        auto* action = editor.Find<QAction>(command.Action);
        ASSERT_NE(action, nullptr);
        if (command.Caption != nullptr) {
            EXPECT_EQ(action->text(), QString::fromUtf16(command.Caption));
        }
    }
}

TEST(MainWindow, NoMenuHasTwoItemsWithOneAltLetter) {
    Editor editor;
    std::vector<const QWidget*> menus{editor.window.menuBar()};
    for (const QMenu* menu : editor.window.findChildren<QMenu*>()) {
        menus.push_back(menu);
    }
    for (const QWidget* menu : menus) {
        SCOPED_TRACE(menu->objectName().toStdString());
        std::vector<QKeySequence> letters;
        for (const QAction* item : menu->actions()) {
            const QKeySequence letter = QKeySequence::mnemonic(item->text());
            if (item->isSeparator() || letter.isEmpty()) {
                continue;
            }
            EXPECT_EQ(std::count(letters.begin(), letters.end(), letter), 0)
                << item->text().toStdString();
            letters.push_back(letter);
        }
    }
}

TEST(MainWindow, ShiftF10OpensTheTablesPopUpMenuAtTheCurrentCell) {
    Editor editor;
    editor.FillTwoRows();
    auto* grid = editor.Find<QTableView>("StringGrid1");
    auto* popup = editor.Find<QMenu>("PopupMenu1");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->geometry().contains(
        grid->viewport()->mapToGlobal(grid->visualRect(grid->currentIndex()).center()) +
        QPoint(1, 1)));
    popup->close();
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
    // A name that reads as markup is shown as it is, on one line.
    editor.window.Form().lbFilename.SetText(u"<b>bold</b>a<br>b.ump");
    EXPECT_EQ(file->textFormat(), Qt::PlainText);
    EXPECT_EQ(file->text(), "<b>bold</b>a<br>b.ump");
}

TEST(MainWindow, LocaleChangeRebuildsTheUserNotationAndShowsTheTableInIt) {
    Editor editor;
    const char16_t system = SystemNotation().DecimalSeparator;
    const char16_t old = system == u',' ? u'.' : u',';
    UserNotation = NumberNotation{old};
    editor.Grid().SetRowCount(2);
    editor.Grid().SetCells(1, 1, std::u16string(u"1") + old + u"5");
    // Gains 0 to 0.5 dB: the gain labels need decimals.
    editor.window.Form().Series1.AddXY(100, 0, u"", TLineSeries::Color);
    editor.window.Form().Series1.AddXY(1000, 0.5, u"", TLineSeries::Color);
    Settle();
    const auto gainLabels = [&] {
        auto* chart = editor.Find<QChartView>("Chart1")->chart();
        const auto axes = chart->axes(Qt::Vertical);
        return axes.isEmpty() ? QStringList()
                              : qobject_cast<QCategoryAxis*>(axes.front())->categoriesLabels();
    };
    ASSERT_TRUE(gainLabels().join(u' ').contains(QChar(old)))
        << gainLabels().join(u' ').toStdString();
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&editor.window, &change);
    EXPECT_EQ(UserNotation.DecimalSeparator, system);
    EXPECT_EQ(editor.Grid().Cells(1, 1), std::u16string(u"1") + system + u"5");
    EXPECT_FALSE(gainLabels().join(u' ').contains(QChar(old)));
    EXPECT_TRUE(gainLabels().join(u' ').contains(QChar(system)));
}

// Qt's warnings while it lives, the offscreen platform's notes about size limits aside.
class WarningLog {
public:
    WarningLog() : previous_(qInstallMessageHandler(&Record)) { Messages().clear(); }
    ~WarningLog() { qInstallMessageHandler(previous_); }
    WarningLog(const WarningLog&) = delete;
    WarningLog& operator=(const WarningLog&) = delete;

    std::string Text() const { return Messages().join(u'\n').toStdString(); }

private:
    static QStringList& Messages() {
        static QStringList messages;
        return messages;
    }
    static void Record(QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg &&
            !text.startsWith(QStringLiteral("This plugin does not support"))) {
            Messages().push_back(text);
        }
    }

    QtMessageHandler previous_;
};

// Three points, the first frequency cell clicked.
void FillThreeRowsAndClickTheFirst(Editor& editor) {
    editor.Grid().SetRowCount(4);
    const char16_t* const rows[][2] = {{u"20", u"1"}, {u"50", u"2"}, {u"100", u"3"}};
    for (int32_t row = 1; row <= 3; ++row) {
        editor.Grid().SetCells(1, row, rows[row - 1][0]);
        editor.Grid().SetCells(2, row, rows[row - 1][1]);
    }
    auto* grid = editor.Find<QTableView>("StringGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(1, 1)).center());
}

QLineEdit* CellEditor(QTableView* grid) {
    return qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
}

// Types into the current cell with real keys: the first opens the editor.
void TypeIntoCurrentCell(const char* text) {
    for (const char* c = text; *c != '\0'; ++c) {
        QTest::keyClick(QApplication::focusWidget(), *c);
    }
}

QWidget* FocusOrWindow(Editor& editor) {
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : &editor.window;
}

void OpenMenuWithTheMouse(Editor& editor, QMenu* menu) {
    auto* bar = editor.Find<QMenuBar>("MainMenu1");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    ASSERT_EQ(QApplication::activePopupWidget(), menu);
}

void ClickItem(QMenu* menu, QAction* item) {
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

// A local file dropped on the window.
void Drop(QWidget& window, const QString& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    const QPoint at(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

TEST(MainWindow, EveryCommandKeyEndsTheOpenCellEditBeforeItRuns) {
    struct KeyCase {
        const char* key;
        std::string effect;
    };
    const std::string unchanged = "[,30000,1][,50,2][,100,3] file ?";
    const std::string sorted = "[,50,2][,100,3][,30000,1] file ?";
    const KeyCase cases[] = {
        {"F2", "[*,,][,30000,1][,50,2][,100,3] file ?"},
        {"F3", "[,50,2][,100,3] file ?"},
        {"F4", sorted},
        {"F5", "[,30000,1][,50,2][,100,3][,,] file ?"},
        {"Ctrl+S", "confirmation: Sound profile Name missed. Continue? / save dialog: Save as "
                   "Ulmaro sound profile / " +
                       sorted},
        {"Ctrl+O", "open dialog: Load Ulmaro sound profile / " + unchanged},
        {"Ctrl+I", "open dialog: Import sound profile (ASCII) / " + unchanged},
    };
    for (const KeyCase& c : cases) {
        SCOPED_TRACE(c.key);
        Editor editor;
        FillThreeRowsAndClickTheFirst(editor);
        auto* grid = editor.Find<QTableView>("StringGrid1");
        TypeIntoCurrentCell("30000");
        ASSERT_NE(CellEditor(grid), nullptr);

        PressShortcut(QApplication::focusWidget(), c.key);
        EXPECT_EQ(CellEditor(grid), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), grid);
        EXPECT_EQ(editor.Effect(), c.effect);
        // The next key starts a new edit of the current cell; it does not go on with the old
        // text in a row the command has moved.
        QTest::keyClick(grid, Qt::Key_1);
        const QModelIndex current = grid->currentIndex();
        EXPECT_EQ(editor.Grid().Cells(current.column(), current.row()), u"1");
    }
}

TEST(MainWindow, MenusPopUpItemsButtonsAndDropsEndTheOpenCellEditToo) {
    struct TriggerCase {
        const char* name;
        std::function<void(Editor&)> trigger;
        std::string effect;
    };
    const TriggerCase cases[] = {
        {"Table menu by mouse",
         [](Editor& editor) {
             auto* menu = editor.Find<QMenu>("able1");
             OpenMenuWithTheMouse(editor, menu);
             ClickItem(menu, editor.Find<QAction>("Clear1"));
         },
         "[,,][,,][,,] file "},
        {"Info on the menu bar by mouse",
         [](Editor& editor) {
             auto* bar = editor.Find<QMenuBar>("MainMenu1");
             QTest::mouseClick(bar, Qt::LeftButton, {},
                               bar->actionGeometry(editor.Find<QAction>("Info1")).center());
         },
         "information: Marvek Engineering Germany / [,30000,1][,50,2][,100,3] file ?"},
        {"pop-up menu",
         [](Editor& editor) {
             auto* grid = editor.Find<QTableView>("StringGrid1");
             const QPoint at(20, 10);
             QContextMenuEvent click(QContextMenuEvent::Mouse, at,
                                     grid->viewport()->mapToGlobal(at));
             QApplication::sendEvent(grid->viewport(), &click);
             auto* popup = editor.Find<QMenu>("PopupMenu1");
             ASSERT_TRUE(popup->isVisible());
             ClickItem(popup, editor.Find<QAction>("acSort2"));
         },
         "[,50,2][,100,3][,30000,1] file ?"},
        {"tool button",
         [](Editor& editor) { QTest::mouseClick(editor.Find("Button1"), Qt::LeftButton); },
         "[,30000,1][,50,2][,100,3][,,] file ?"},
        // A file that does not exist: the drop changes nothing else.
        {"drop", [](Editor& editor) { Drop(editor.window, QStringLiteral("/no/such/file.txt")); },
         "[,30000,1][,50,2][,100,3] file ?"},
    };
    for (const TriggerCase& c : cases) {
        SCOPED_TRACE(c.name);
        Editor editor;
        FillThreeRowsAndClickTheFirst(editor);
        auto* grid = editor.Find<QTableView>("StringGrid1");
        TypeIntoCurrentCell("30000");
        ASSERT_NE(CellEditor(grid), nullptr);
        c.trigger(editor);
        EXPECT_EQ(CellEditor(grid), nullptr);
        EXPECT_EQ(editor.Effect(), c.effect);
    }
}

// Offscreen, no window manager gives the window back its activation when a dialog closes.
void ReactivateLikeAWindowManager(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// A control that claims every key for its own use, as a line edit on X11 claims Ctrl+E.
class GreedyField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
            return true;
        }
        return QLineEdit::event(event);
    }
};

// Every place the focus can be in: each window key then runs its command exactly once.
TEST(MainWindow, ShortcutsRunTheirCommandOnceInEveryFocusState) {
    const auto closeModalSoon = [] {
        QTimer::singleShot(0, [] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
    };
    struct FocusState {
        const char* name;
        std::function<void(Editor&)> reach;
        const char* focus; // the focus widget's name, where the state depends on it
    };
    const FocusState states[] = {
        {"table", [](Editor& editor) { FillThreeRowsAndClickTheFirst(editor); }, "StringGrid1"},
        {"open cell editor",
         [](Editor& editor) {
             FillThreeRowsAndClickTheFirst(editor);
             TypeIntoCurrentCell("7");
         },
         nullptr},
        {"name field",
         [](Editor& editor) { QTest::mouseClick(editor.Find("Edit1"), Qt::LeftButton); }, "Edit1"},
        {"menu dismissed with the mouse",
         [](Editor& editor) {
             OpenMenuWithTheMouse(editor, editor.Find<QMenu>("able1"));
             QWidget* popup = QApplication::activePopupWidget();
             QTest::mouseClick(popup, Qt::LeftButton, {},
                               popup->mapFromGlobal(editor.window.mapToGlobal(QPoint(400, 250))));
             ASSERT_EQ(QApplication::activePopupWidget(), nullptr);
         },
         nullptr},
        {"menu dismissed with Escape",
         [](Editor& editor) {
             OpenMenuWithTheMouse(editor, editor.Find<QMenu>("File1"));
             QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
         },
         "MainMenu1"},
        {"F10, then Escape",
         [](Editor& editor) {
             QTest::keyClick(FocusOrWindow(editor), Qt::Key_F10);
             ASSERT_EQ(QApplication::activePopupWidget(), editor.Find("File1"));
             QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
         },
         "MainMenu1"},
        {"message box closed",
         [closeModalSoon](Editor& editor) {
             closeModalSoon();
             QtDesktop(editor.window)
                 .MessageDlg(TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK, u"File invalid.");
             ReactivateLikeAWindowManager(editor.window);
         },
         nullptr},
        {"file dialog cancelled",
         [closeModalSoon](Editor& editor) {
             closeModalSoon();
             QtDesktop(editor.window).RunOpenDialog({u"All|*.*", u"Import", {}, {}});
             ReactivateLikeAWindowManager(editor.window);
         },
         nullptr},
        {"chart clicked",
         [](Editor& editor) {
             auto* chart = editor.Find<QAbstractScrollArea>("Chart1");
             QTest::mouseClick(chart->viewport(), Qt::LeftButton, {},
                               chart->viewport()->rect().center());
         },
         nullptr},
        {"tool button clicked",
         [](Editor& editor) { QTest::mouseClick(editor.Find("Button3"), Qt::LeftButton); },
         nullptr},
        {"a control that claims every key",
         [](Editor& editor) {
             auto* field = new GreedyField(editor.Find("Panel1"));
             field->setObjectName(QStringLiteral("Greedy"));
             field->show();
             field->setFocus();
         },
         "Greedy"},
    };
    const std::pair<const char*, const char*> keys[] = {
        {"F2", "acInsert"},
        {"F3", "acDelRow"},
        {"F4", "acSort"},
        {"F5", "acAppend"},
        {"Ctrl+S", "acSaveProfile"},
        {"Ctrl+O", "acOPenProfile"},
        {"Ctrl+I", "acImport"},
        {"Ctrl+Shift+I", "acImportMeasurement"},
        {"Ctrl+E", "acExport"},
        {"Ctrl+Z", "acUndo"},
        {"Ctrl+Y", "acRedo"},
        {"Ctrl+Shift+Z", "acRedo"},
    };
    for (const FocusState& state : states) {
        for (const auto& [key, actionName] : keys) {
            SCOPED_TRACE(std::string(state.name) + ", " + key);
            Editor editor;
            editor.window.activateWindow();
            WarningLog warnings;
            state.reach(editor);
            if (state.focus) {
                ASSERT_EQ(QApplication::focusWidget(), editor.Find(state.focus));
            }
            // Undo and Redo get a step to take, without a change of the focus.
            const std::string name = actionName;
            TForm1& form = editor.window.Form();
            form.Execute(&TForm1::acAppendExecute);
            if (name == "acRedo") {
                form.Undo();
            }
            const int32_t rowsBefore = editor.Grid().RowCount();
            QSignalSpy runs(editor.Find<QAction>(actionName), &QAction::triggered);
            PressShortcut(FocusOrWindow(editor), key);
            EXPECT_EQ(runs.count(), 1);
            const int32_t rowsAdded = editor.Grid().RowCount() - rowsBefore;
            EXPECT_EQ(rowsAdded, name == "acUndo" ? -1 : name == "acRedo" ? 1 : rowsAdded);
            EXPECT_EQ(warnings.Text(), "");
        }
    }
}

// Typing in the name field or a cell editor is taken back by the editor's history, never by a
// second one inside the text field: by the keys and by the field's own context menu.
TEST(MainWindow, UndoInTheNameFieldAndTheCellEditorWorksOnTheOneHistory) {
    Editor editor;
    auto* undo = editor.Find<QAction>("acUndo");
    auto* redo = editor.Find<QAction>("acRedo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(editor.Find<QAction>("Undo1")->text(), "&Undo\tCtrl+Z");

    auto* name = editor.Find<QLineEdit>("Edit1");
    QTest::mouseClick(name, Qt::LeftButton);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, "ab");
    EXPECT_EQ(name->text(), "?ab");
    EXPECT_EQ(undo->text(), "Undo Typing");
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(name->text(), "?");
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(redo->text(), "Redo Typing");
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(name->text(), "?ab");

    // In an open cell editor: the run typed there goes back whole and the editor closes.
    FillThreeRowsAndClickTheFirst(editor);
    TypeIntoCurrentCell("75");
    auto* grid = editor.Find<QTableView>("StringGrid1");
    ASSERT_NE(CellEditor(grid), nullptr);
    EXPECT_EQ(Narrow(editor.Grid().Cells(1, 1)), "75");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Narrow(editor.Grid().Cells(1, 1)), "20");
    EXPECT_EQ(QApplication::focusWidget(), grid); // the editor has closed
    QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Narrow(editor.Grid().Cells(1, 1)), "75");

    // The field's context menu offers the same Undo.
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        const QList<QAction*> items = menu->actions();
        const auto found = std::find_if(items.begin(), items.end(), [](const QAction* item) {
            return item->text().startsWith(QLineEdit::tr("&Undo"));
        });
        ASSERT_NE(found, items.end());
        QAction* item = *found;
        EXPECT_TRUE(item->isEnabled());
        ClickItem(menu, item);
    });
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(5, 5),
                              name->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(name, &menuKey);
    // The newest step is taken back, the cell's typing, not the field's own last change.
    EXPECT_EQ(Narrow(editor.Grid().Cells(1, 1)), "20");
    EXPECT_EQ(name->text(), "?ab");
}

TEST(MainWindow, F10OpensTheFirstMenuAndAltLettersReachTheMenusNotTheNameField) {
    Editor editor;
    auto* name = editor.Find<QLineEdit>("Edit1");
    QTest::keyClick(name, Qt::Key_Q, Qt::AltModifier); // no menu's letter
    EXPECT_EQ(name->text(), "?");
    QTest::keyClick(name, Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(QApplication::activePopupWidget(), editor.Find("able1"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), editor.Find("MainMenu1"));
    QTest::keyClick(FocusOrWindow(editor), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_EQ(name->text(), "?");

    QTest::keyClick(FocusOrWindow(editor), Qt::Key_F10);
    EXPECT_EQ(QApplication::activePopupWidget(), editor.Find("File1"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
}

TEST(MainWindow, ANameLongerThanQtsDefaultLimitStaysWhole) {
    Editor editor;
    const std::u16string longName(40'000, u'n');
    editor.window.Form().Edit1.SetText(longName);
    auto* name = editor.Find<QLineEdit>("Edit1");
    EXPECT_EQ(name->text().size(), 40'000);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClick(name, Qt::Key_X);
    EXPECT_EQ(editor.window.Form().Edit1.Text(), longName + u"x");
}

TEST(MainWindow, FileDragsAreTakenAnywhereOnTheWindowAndOtherDragsRefused) {
    Editor editor;
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QStringLiteral("/a.txt")),
                   QUrl::fromLocalFile(QStringLiteral("/b.ump"))});
    // The name field lets a file drag go on to the window.
    auto* name = editor.Find<QLineEdit>("Edit1");
    QDragEnterEvent onName(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(name, &onName);
    EXPECT_TRUE(onName.isAccepted());
    EXPECT_EQ(name->text(), "?");

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://www.example.com/a.ump"))});
    QDragEnterEvent fromWeb(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&editor.window, &fromWeb);
    EXPECT_FALSE(fromWeb.isAccepted());
}

// The chart's file commands run through the window: the save dialog's filter decides the
// picture's format, a reference that does not read shows its reader's message, and neither
// makes a step of the edit history.
TEST(
    MainWindow,
    ChartImageFormatFollowsTheTypedExtensionElseTheFilterAndAReferenceThatDoesNotReadChangesNothing) {
    QTemporaryDir folder;
    Editor editor;
    editor.FillTwoRows();
    editor.Find<QAction>("acSort")->trigger();
    TForm1& form = editor.window.Form();
    const std::u16string undoText = form.UndoText();
    struct Answer {
        QString name;
        std::size_t filter;
    };
    Answer answer;
    form.Desktop.RunSaveDialogWithFilter = [&](const TFileDialogSettings& s) {
        EXPECT_EQ(Narrow(s.Filter), "PNG image|*.png|SVG image|*.svg");
        EXPECT_TRUE(s.ConfirmOverwrite);
        return std::optional(
            TSaveChoice{folder.filePath(answer.name).toStdU16String(), answer.filter});
    };
    auto* exportChart = editor.Find<QAction>("acExportChart");
    answer = {QStringLiteral("picture"), 1};
    exportChart->trigger();
    EXPECT_TRUE(QSvgRenderer(folder.filePath("picture")).isValid());
    answer = {QStringLiteral("picture.svg"), 0};
    exportChart->trigger();
    EXPECT_TRUE(QSvgRenderer(folder.filePath("picture.svg")).isValid());
    answer = {QStringLiteral("picture.PNG"), 1};
    exportChart->trigger();
    EXPECT_EQ(QImageReader(folder.filePath("picture.PNG")).format(), "png");
    answer = {QStringLiteral("missing/picture.png"), 0};
    exportChart->trigger();
    EXPECT_EQ(editor.log.back(), "error: Cannot create file \"" +
                                     folder.filePath("missing/picture.png").toStdString() + "\"");

    auto* chart = editor.Find<ResponseChartView>("Chart1");
    std::optional<std::filesystem::path> reference =
        folder.filePath("missing.ump").toStdU16String();
    form.Desktop.RunOpenDialog = [&](const TFileDialogSettings&) { return reference; };
    editor.Find<QAction>("acLoadReference")->trigger();
    EXPECT_FALSE(chart->HasReference());
    EXPECT_EQ(editor.log.back().rfind("error: ", 0), 0u) << editor.log.back();
    reference = folder.filePath("reference.ump").toStdU16String();
    SaveSoundProfil(*reference, TSoundProfil{SoundProfilVersion, u"Target", {{100, 1}, {200, 2}}});
    editor.Find<QAction>("acLoadReference")->trigger();
    EXPECT_TRUE(chart->HasReference());
    editor.Find<QAction>("acClearReference")->trigger();
    EXPECT_FALSE(chart->HasReference());
    EXPECT_EQ(form.UndoText(), undoText);
    EXPECT_FALSE(form.CanRedo());
}

TEST(MainWindow, CellsCutOffByTheirColumnShowTheirWholeTextAsToolTip) {
    Editor editor;
    editor.Grid().SetRowCount(3);
    editor.Grid().SetCells(2, 1, u"3");
    editor.Grid().SetCells(2, 2, u"-2.79999995231628");
    auto* grid = editor.Find<QTableView>("StringGrid1");
    const auto tipAt = [grid](int row) {
        const QPoint at = grid->visualRect(grid->model()->index(row, 2)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(1), "");
    EXPECT_EQ(tipAt(2), "-2.79999995231628");
    QToolTip::hideText();
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
#ifdef Q_OS_WIN
        {u"Ulmaro Sound Profile|*.ump|All|*.*", {"Ulmaro Sound Profile (*.ump)", "All (*.*)"}},
        {u"All|*.*", {"All (*.*)"}},
#else
        // Qt's "*.*" would hide the names without a dot there.
        {u"Ulmaro Sound Profile|*.ump|All|*.*", {"Ulmaro Sound Profile (*.ump)", "All (*)"}},
        {u"All|*.*", {"All (*)"}},
        {u"Text|*.txt;*.*", {"Text (*.txt *)"}},
#endif
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

TEST(QtDesktop, MessageBoxesAreWideEnoughForTheirTitleBesideTheFrameButtons) {
    QWidget owner;
    owner.show();
    const TDesktop desktop = QtDesktop(owner);
    for (TMsgDlgType type : {TMsgDlgType::mtWarning, TMsgDlgType::mtError,
                             TMsgDlgType::mtInformation, TMsgDlgType::mtConfirmation}) {
        int width = 0;
        QString title;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            width = box->width();
            title = box->windowTitle();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        desktop.MessageDlg(type, TMsgDlgButtons::mbOK, u"File invalid.");
        QFont bold = owner.font();
        bold.setBold(true);
        // An icon and three buttons of a title bar take some 120 pixels.
        EXPECT_GE(width, QFontMetrics(bold).horizontalAdvance(title) + 120) << title.toStdString();
    }
}

TEST(QtDesktop, MessageBoxesShowFileNamesAsTheyAreAndAnswerWithTheButtonPressed) {
    QWidget owner;
    owner.show();
    const TDesktop desktop = QtDesktop(owner);
    struct Case {
        TMsgDlgButtons buttons;
        QMessageBox::StandardButton pressed;
        TModalResult answer;
    };
    const Case cases[] = {
        {TMsgDlgButtons::mbOK, QMessageBox::Ok, TModalResult::mrOk},
        {TMsgDlgButtons::mbYesNo, QMessageBox::No, TModalResult::mrNo},
        {TMsgDlgButtons::mbYesNoCancel, QMessageBox::Yes, TModalResult::mrYes},
        {TMsgDlgButtons::mbYesNoCancel, QMessageBox::No, TModalResult::mrNo},
        {TMsgDlgButtons::mbYesNoCancel, QMessageBox::Cancel, TModalResult::mrCancel},
    };
    for (const Case& c : cases) {
        QString text;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            text = box->text();
            format = box->textFormat();
            box->button(c.pressed)->click();
        });
        EXPECT_EQ(desktop.MessageDlg(TMsgDlgType::mtInformation, c.buttons,
                                     u"Sound Profile saved: /tmp/<b>bold</b>.ump"),
                  c.answer);
        EXPECT_EQ(text, "Sound Profile saved: /tmp/<b>bold</b>.ump");
        EXPECT_EQ(format, Qt::PlainText);
    }
}

TEST(QtDesktop, LongWorkRunsBesideTheWindowWhichKeepsItsEventsAndGetsTheWorksError) {
    QWidget owner;
    owner.show();
    const TDesktop desktop = QtDesktop(owner);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    std::thread::id worker;
    QProgressDialog* shown = nullptr;
    desktop.RunBusy(u"Reading big.txt...", [&] {
        worker = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
    });
    for (QProgressDialog* dialog : owner.findChildren<QProgressDialog*>()) {
        shown = dialog;
    }
    EXPECT_NE(worker, std::this_thread::get_id());
    EXPECT_GE(ticks, 10);      // the event loop ran while the work did
    EXPECT_EQ(shown, nullptr); // the busy dialog is gone with the work
    EXPECT_THROW(desktop.RunBusy(u"x", [] { throw FileError("Cannot open file"); }), FileError);
}

// The folder the real dialog shows when it opens.
QString OpenDialogFolder(const TDesktop& desktop, const std::filesystem::path& initial) {
    QString folder;
    QTimer::singleShot(0, [&folder] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        folder = dialog->directory().absolutePath();
        dialog->reject();
    });
    EXPECT_EQ(desktop.RunOpenDialog({u"All|*.*", u"Import", {}, initial}), std::nullopt);
    return folder;
}

#ifndef Q_OS_WIN
TEST(QtDesktop, FileDialogsOpenInTheLastFolderElseInTheDocumentsElseAtHome) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString user = folder.filePath(QStringLiteral("user"));
    const QString last = folder.filePath(QStringLiteral("last"));
    ASSERT_TRUE(QDir().mkpath(user) && QDir().mkpath(last));
    qputenv("HOME", user.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    QWidget owner;
    const TDesktop desktop = QtDesktop(owner);

    EXPECT_EQ(OpenDialogFolder(desktop, {}), user);
    ASSERT_TRUE(QDir(user).mkdir(QStringLiteral("Documents")));
    EXPECT_EQ(OpenDialogFolder(desktop, {}), user + QStringLiteral("/Documents"));
    EXPECT_EQ(OpenDialogFolder(desktop, last.toStdU16String()), last);

    qputenv("HOME", home);
    if (config.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", config);
    }
}
#endif

// Info reads the version words from the executable file the build made, not from the code.
TEST(EditorExecutable, CarriesItsVersionRecord) {
    EXPECT_EQ(FileVersionText(EDITOR_EXECUTABLE), u"1.0.0.0");
}

} // namespace
