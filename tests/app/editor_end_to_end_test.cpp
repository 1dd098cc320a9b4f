// The editor used as a person would: the real window offscreen, real keys and clicks, only the
// file dialogs and message boxes scripted.

#include "MainWindow.h"

#include <gtest/gtest.h>

#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCore/QMimeData>
#include <QtGui/QDragEnterEvent>
#include <QtGui/QDropEvent>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QTableView>

#include <bit>
#include <cmath>
#include <deque>
#include <string>
#include <vector>

#include "../core/test_support.h"
#include "number_text.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

namespace fs = std::filesystem;
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        folder_ = MakeTemporaryFolder("editor-e2e");

        TDesktop& desktop = window_.Form().Desktop;
        desktop.RunOpenDialog = [this](const TFileDialogSettings&) { return Next(); };
        desktop.RunSaveDialog = [this](const TFileDialogSettings&) { return Next(); };
        desktop.MessageDlg = [this](TMsgDlgType, TMsgDlgButtons, const std::u16string& text) {
            messages_.push_back(Utf16ToUtf8(text));
            return TModalResult::mrOk;
        };
        window_.resize(900, 500);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        table_ = window_.findChild<QTableView*>("StringGrid1");
        name_ = window_.findChild<QLineEdit*>("Edit1");
        ASSERT_NE(table_, nullptr);
        ASSERT_NE(name_, nullptr);
    }
    void TearDown() override {
        fs::remove_all(folder_);
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    fs::path Write(const std::string& name, const Bytes& bytes) {
        const fs::path path = folder_ / name;
        WriteFileBytes(path, bytes);
        return path;
    }

    // The rows the table view shows below its header row, "f;g" each.
    std::vector<std::string> Shown() const {
        std::vector<std::string> rows;
        const QAbstractItemModel* model = table_->model();
        for (int r = 1; r < model->rowCount(); ++r) {
            rows.push_back(
                (model->index(r, 1).data().toString() + ";" + model->index(r, 2).data().toString())
                    .toStdString());
        }
        return rows;
    }
    // The points Qt Charts draws, in Hz along the frequency axis.
    std::vector<double> Drawn() const {
        auto* chart = window_.findChild<QChartView*>("Chart1");
        std::vector<double> hz;
        for (QAbstractSeries* series : chart->chart()->series()) {
            if (auto* line = qobject_cast<QLineSeries*>(series); line && line->isVisible()) {
                for (const QPointF& p : line->points()) {
                    hz.push_back(std::round(std::pow(10.0, p.x()) * 10) / 10);
                }
                break;
            }
        }
        return hz;
    }
    QString FileLabel() const { return window_.findChild<QLabel*>("lbFilename")->text(); }

    void TypeIntoCell(int row, int col, const char* text) {
        const QModelIndex cell = table_->model()->index(row, col);
        table_->scrollTo(cell);
        QTest::mouseClick(table_->viewport(), Qt::LeftButton, {},
                          table_->visualRect(cell).center());
        // The first key opens the cell editor, which takes the keys after it.
        for (const char* c = text; *c != 0; ++c) {
            QTest::keyClick(QApplication::focusWidget(), *c);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // Return commits and closes the editor through a queued call; a person's next click
        // comes after it.
        QApplication::processEvents();
    }
    void Press(QKeyCombination key) {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
        QApplication::processEvents();
    }

    std::optional<fs::path> Next() {
        if (answers_.empty()) {
            return std::nullopt;
        }
        fs::path answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    fs::path folder_;
    MainWindow window_;
    QTableView* table_ = nullptr;
    QLineEdit* name_ = nullptr;
    std::deque<fs::path> answers_;
    std::vector<std::string> messages_;
};

TEST_F(EndToEnd, OpenEditUpdateAndSaveGiveTheExpectedFile) {
    answers_ = {Write("hall.ump", Cat({Int32(1),
                                       Int32(4),
                                       {'H', 0, 'a', 0, 'l', 0, 'l', 0},
                                       Int32(3),
                                       Int32(2),
                                       Float(1000),
                                       Float(-3.5f),
                                       Int32(2),
                                       Float(100),
                                       Float(1),
                                       Int32(2),
                                       Float(31.5f),
                                       Float(2)}))};
    Press(Qt::CTRL | Qt::Key_O);
    EXPECT_EQ(name_->text(), "Hall");
    EXPECT_EQ(FileLabel(), "hall.ump");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1000;-3.5", "100;1", "31.5;2"}));
    EXPECT_EQ(Drawn(), (std::vector<double>{31.5, 100, 1000}));

    TypeIntoCell(2, 2, "-6,5"); // German notation is read too
    TypeIntoCell(3, 1, "50");
    name_->setFocus();
    name_->selectAll();
    QTest::keyClicks(name_, "Saal");
    Press(Qt::Key_F4);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"50;2", "100;-6.5", "1000;-3.5"}));
    EXPECT_EQ(Drawn(), (std::vector<double>{50, 100, 1000}));
    EXPECT_EQ(name_->text(), "Saal");

    const fs::path saved = folder_ / "saal.ump";
    answers_ = {saved};
    Press(Qt::CTRL | Qt::Key_S);
    EXPECT_EQ(messages_, std::vector<std::string>{"Sound Profile saved: " + saved.string()});
    EXPECT_EQ(FileLabel(), "saal.ump");
    EXPECT_EQ(ReadFileBytes(saved), Cat({Int32(1),
                                         Int32(4),
                                         {'S', 0, 'a', 0, 'a', 0, 'l', 0},
                                         Int32(3),
                                         Int32(2),
                                         Float(50),
                                         Float(2),
                                         Int32(2),
                                         Float(100),
                                         Float(-6.5f),
                                         Int32(2),
                                         Float(1000),
                                         Float(-3.5f)}));
}

TEST_F(EndToEnd, ImportFillsTableNameFieldAndChart) {
    name_->setFocus();
    QTest::keyClicks(name_, "Old");
    const std::string text = "Frequency;Gain\r\n20;-1,5\r\n1000;0\r\n20000;3.25\r\n";
    answers_ = {Write("curve.txt", Bytes(text.begin(), text.end()))};
    Press(Qt::CTRL | Qt::Key_I);
    EXPECT_TRUE(messages_.empty());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"20.0;-1.50", "1000.0;0.00", "20000.0;3.25"}));
    EXPECT_EQ(name_->text(), "?");
    EXPECT_EQ(FileLabel(), "curve.txt");
    EXPECT_EQ(Drawn(), (std::vector<double>{20, 1000, 20000}));
}

TEST_F(EndToEnd, DroppedFilesOpenTheFirstAsProfileOrImportIt) {
    const fs::path profile =
        Write("bass.ump",
              Cat({Int32(1), Int32(2), {'B', 0, 'x', 0}, Int32(1), Int32(2), Float(40), Float(6)}));
    const std::string text = "f;g\r\n20;1\r\n200;2\r\n";
    const fs::path curve = Write("curve.txt", Bytes(text.begin(), text.end()));
    const auto drop = [this](const std::vector<fs::path>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const fs::path& file : files) {
            urls.push_back(QUrl::fromLocalFile(QString::fromStdU16String(file.u16string())));
        }
        data.setUrls(urls);
        const QPoint at = table_->mapTo(&window_, table_->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window_, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window_, &drop);
    };

    drop({profile, curve});
    EXPECT_EQ(name_->text(), "Bx");
    EXPECT_EQ(FileLabel(), "bass.ump");
    EXPECT_EQ(Shown(), std::vector<std::string>{"40;6"});

    drop({curve, profile});
    EXPECT_EQ(name_->text(), "?");
    EXPECT_EQ(FileLabel(), "curve.txt");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"20.0;1.00", "200.0;2.00"}));

    // A profile that does not read is reported like one opened through the menu.
    drop({Write("broken.ump", Int32(7))});
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(FileLabel(), "broken.ump");
}

} // namespace
