#include "MeasurementPreviewDialog.h"

#include <gtest/gtest.h>

#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QTableView>
#include <QtWidgets/QTableWidget>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "QtDesktop.h"
#include "ResponseChartView.h"
#include "number_text.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;

const char kThreeColumns[] = "* Measurement of left ear\r\n"
                             "* Format: 1/48 octave\r\n"
                             "* Freq(Hz)\tSPL(dB)\tPhase(degrees)\r\n"
                             "100\t72.93\t-39.03\r\n"
                             "1000\t73.11\t-38.5\r\n"
                             "10000\t70\r\n";

class MeasurementFile {
public:
    explicit MeasurementFile(const char* name, const std::string& text) {
        EXPECT_TRUE(folder_.isValid());
        path_ = fs::path(folder_.path().toStdU16String()) / name;
        std::ofstream(path_, std::ios::binary) << text;
    }
    const fs::path& Path() const { return path_; }

private:
    QTemporaryDir folder_;
    fs::path path_;
};

// The points the chart's line holds.
QList<QPointF> ChartPoints(QWidget& dialog) {
    auto* chart = dialog.findChild<ResponseChartView*>(QStringLiteral("chart"));
    EXPECT_NE(chart, nullptr);
    const auto* line = qobject_cast<QLineSeries*>(chart->chart()->series().front());
    return line->points();
}

std::vector<QString> TableRows(QWidget& dialog) {
    auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("points"));
    std::vector<QString> rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        rows.push_back(table->item(r, 0)->text() + u';' + table->item(r, 1)->text());
    }
    return rows;
}

class MeasurementPreviewDialogTest : public ::testing::Test {
protected:
    void SetUp() override { UserNotation = NumberNotation{u'.'}; }
    void TearDown() override { UserNotation = NumberNotation{u'.'}; }
};

TEST_F(MeasurementPreviewDialogTest, ShowsLinesLayoutAndPointsAndFollowsTheChosenColumn) {
    const MeasurementFile file("left.frd", kThreeColumns);
    const TMeasurementPreview preview = PreviewMeasurement(file.Path());
    MeasurementPreviewDialog dialog(preview);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    EXPECT_EQ(dialog.windowTitle(), "Import measurement: left.frd");
    EXPECT_EQ(dialog.findChild<QPlainTextEdit*>(QStringLiteral("lines"))->toPlainText(),
              QString::fromLatin1(kThreeColumns).remove(u'\r').chopped(1));
    auto* layout = dialog.findChild<QLabel*>(QStringLiteral("layout"));
    auto* columns = dialog.findChild<QComboBox*>(QStringLiteral("columns"));
    ASSERT_TRUE(columns->isVisible());
    ASSERT_EQ(columns->count(), 2);
    EXPECT_EQ(columns->itemText(0), "SPL(dB)");
    EXPECT_EQ(columns->itemText(1), "Phase(degrees)");

    EXPECT_EQ(layout->text(), "Delimiter: tab, data lines: 3, skipped lines: 0");
    EXPECT_EQ(TableRows(dialog),
              std::vector<QString>({"100.0;72.93", "1000.0;73.11", "10000.0;70.00"}));
    EXPECT_EQ(ChartPoints(dialog).size(), 3);
    EXPECT_FLOAT_EQ(ChartPoints(dialog)[1].y(), 73.11f);

    // The gain column is chosen with the keyboard, as a person would: Alt+G, then Down.
    QTest::keyClick(&dialog, Qt::Key_G, Qt::AltModifier);
    ASSERT_TRUE(columns->hasFocus());
    QTest::keyClick(columns, Qt::Key_Down);
    EXPECT_EQ(layout->text(), "Delimiter: tab, data lines: 2, skipped lines: 1");
    EXPECT_EQ(TableRows(dialog), std::vector<QString>({"100.0;-39.03", "1000.0;-38.50"}));
    ASSERT_EQ(ChartPoints(dialog).size(), 2);
    EXPECT_FLOAT_EQ(ChartPoints(dialog)[1].y(), -38.5f);

    QTest::keyClick(columns, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Choice(), 1u);
}

TEST_F(MeasurementPreviewDialogTest, TwoColumnsOfferNoChoiceAndEscapeCancels) {
    const MeasurementFile file("cal.txt", "20;1,5\n40;2\n");
    const TMeasurementPreview preview = PreviewMeasurement(file.Path());
    MeasurementPreviewDialog dialog(preview);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_FALSE(dialog.findChild<QComboBox*>(QStringLiteral("columns"))->isVisible());
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("layout"))->text(),
              "Delimiter: semicolon, data lines: 2, skipped lines: 0");
    EXPECT_EQ(TableRows(dialog), std::vector<QString>({"20.0;1.50", "40.0;2.00"}));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// A file name is shown as it is named, never read as markup.
TEST_F(MeasurementPreviewDialogTest, FileNamesShowAsPlainText) {
    for (const char* name : {"<b>bold.txt", "a<br>b.txt", "x&amp;y.txt"}) {
        SCOPED_TRACE(name);
        const MeasurementFile file(name, "<i>20</i>;1\n20;1\n");
        const TMeasurementPreview preview = PreviewMeasurement(file.Path());
        MeasurementPreviewDialog dialog(preview);
        const QString expected = QStringLiteral("First lines of ") + QString::fromUtf8(name) + u':';
        std::vector<QLabel*> shown;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().startsWith(QStringLiteral("First lines of "))) {
                shown.push_back(label);
            }
        }
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0]->text(), expected);
        EXPECT_EQ(shown[0]->textFormat(), Qt::PlainText);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("layout"))->textFormat(), Qt::PlainText);
        EXPECT_EQ(dialog.findChild<QPlainTextEdit*>(QStringLiteral("lines"))->toPlainText(),
                  "<i>20</i>;1\n20;1");
    }
}

// Points that share a whole hertz after Update / Sort are counted, and merged unless the person
// unchecks the box; a file without any offers no box.
TEST_F(MeasurementPreviewDialogTest, SharedHertzAreCountedAndMergedByDefault) {
    const MeasurementFile fine("fine.txt", "20.0;1\n20.3;2\n20.6;3\n20.9;4\n22;5\n");
    const TMeasurementPreview preview = PreviewMeasurement(fine.Path());
    MeasurementPreviewDialog dialog(preview);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* merge = dialog.findChild<QCheckBox*>(QStringLiteral("merge"));
    auto* shared = dialog.findChild<QLabel*>(QStringLiteral("shared"));
    ASSERT_NE(merge, nullptr);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(merge->text(), "&Merge points that share a whole hertz");
    EXPECT_TRUE(merge->isVisible());
    EXPECT_TRUE(merge->isChecked());
    EXPECT_TRUE(shared->isVisible());
    EXPECT_EQ(shared->text(), "4 points share a whole hertz with another after Update / Sort.");
    EXPECT_EQ(dialog.Pick().Choice, 0u);
    EXPECT_TRUE(dialog.Pick().Merge);
    // Alt+M clicks the box as a person would; the click lands after its short animation.
    QTest::keyClick(&dialog, Qt::Key_M, Qt::AltModifier);
    for (int wait = 0; wait < 50 && merge->isChecked(); ++wait) {
        QTest::qWait(20);
    }
    EXPECT_FALSE(merge->isChecked());
    EXPECT_FALSE(dialog.Pick().Merge);

    const MeasurementFile whole("whole.txt", "20;1\n21;2\n");
    const TMeasurementPreview apart = PreviewMeasurement(whole.Path());
    MeasurementPreviewDialog other(apart);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EXPECT_FALSE(other.findChild<QCheckBox*>(QStringLiteral("merge"))->isVisible());
    EXPECT_FALSE(other.findChild<QLabel*>(QStringLiteral("shared"))->isVisible());
    EXPECT_FALSE(other.Pick().Merge);
}

// The whole command from the window's key, through the real preview dialog.
TEST_F(MeasurementPreviewDialogTest, ImportMeasurementKeyTakesThePreviewedColumnIntoTheWindow) {
    CurrentSoundProfil = TSoundProfil{};
    const MeasurementFile file("Left ear.frd", kThreeColumns);
    MainWindow window;
    window.Form().Desktop.RunOpenDialog = [&file](const TFileDialogSettings&) {
        return std::optional<fs::path>(file.Path());
    };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QString title;
    // The file is read beside the window first: the preview comes a few turns of the loop later.
    std::function<void()> answer = [&title, &answer] {
        auto* dialog = qobject_cast<MeasurementPreviewDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, answer);
            return;
        }
        title = dialog->windowTitle();
        auto* columns = dialog->findChild<QComboBox*>(QStringLiteral("columns"));
        QTest::keyClick(dialog, Qt::Key_G, Qt::AltModifier);
        QTest::keyClick(columns, Qt::Key_Down);
        QTest::keyClick(columns, Qt::Key_Return);
    };
    QTimer::singleShot(0, answer);
    QTest::keyClick(&window, Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(title, "Import measurement: Left ear.frd");
    const TForm1& form = window.Form();
    EXPECT_EQ(form.Edit1.Text(), u"Left ear");
    EXPECT_EQ(form.lbFilename.Text(), u"Left ear.frd");
    ASSERT_EQ(form.StringGrid1.RowCount(), 3);
    EXPECT_EQ(form.StringGrid1.Cells(2, 2), u"-38.50");
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), "Left ear");
    CurrentSoundProfil = TSoundProfil{};
}

TEST(ExportDialog, TheChosenFilterGivesTheFormatAndTheDefaultExtension) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QWidget owner;
    const TDesktop desktop = QtDesktop(owner);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        QTest::keyClick(types, Qt::Key_Down);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        QTest::keyClicks(name, QStringLiteral("cans"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    const auto choice = desktop.RunSaveDialogWithFilter(
        {u"Semicolon text|*.txt|CSV|*.csv|FRD|*.frd", u"Export profile", u".txt",
         fs::path(folder.path().toStdU16String())});
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->FilterIndex, 1u);
    EXPECT_EQ(choice->FileName, fs::path(folder.path().toStdU16String()) / "cans.csv");
}

TEST(ExportDialog, FilterSuffixIsTheFirstPatternsExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"CSV (*.csv)", "csv"},
        {"Measurement files (*.txt *.frd)", "txt"},
        {"Text (semicolon) (*.txt)", "txt"},
        {"All (*)", ""},
        {"All (*.*)", ""},
    };
    for (const auto& [filter, suffix] : cases) {
        EXPECT_EQ(FilterSuffix(QString::fromLatin1(filter)), suffix) << filter;
    }
}

} // namespace
