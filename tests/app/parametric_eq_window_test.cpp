#include "MainWindow.h"

#include <gtest/gtest.h>

#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ParametricEqDialog.h"
#include "ResponseChartView.h"
#include "number_text.h"
#include "parametric_eq.h"
#include "text_utf.h"
#include "uStreamSoundProfil.h"

namespace {

const QColor kFitColor(0x00, 0x99, 0x44);

// Pixels near the fit's colour: the line's antialiased edges blend it with what lies below.
int FitPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - kFitColor.red()) + std::abs(c.green() - kFitColor.green()) +
                    std::abs(c.blue() - kFitColor.blue()) <
                60) {
                ++count;
            }
        }
    }
    return count;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The main window with a target in its table: a dip and a lift at the top, at 1/12-octave points.
class ParametricEqWindow : public ::testing::Test {
protected:
    void SetUp() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
        TDesktop& desktop = window.Form().Desktop;
        desktop.MessageDlg = [this](TMsgDlgType, TMsgDlgButtons, const std::u16string& text) {
            log.push_back(Utf16ToUtf8(text));
            return TModalResult::mrOk;
        };
        desktop.RunSaveDialog = [this](const TFileDialogSettings& settings) {
            log.push_back("save: " + Utf16ToUtf8(settings.Filter));
            return std::optional<std::filesystem::path>(exported);
        };
        const TProfileRows target = RenderParametricEq(
            {0, {{TFilterType::Peaking, 250, -7, 1.2}, {TFilterType::HighShelf, 5000, 5, 0.7}}},
            48000, 12);
        TStringGrid& grid = window.Form().StringGrid1;
        grid.SetRowCount(static_cast<int32_t>(target.size()) + 1);
        for (std::size_t i = 0; i < target.size(); ++i) {
            grid.SetCells(1, static_cast<int32_t>(i + 1),
                          FormatGeneral(target[i][0], UserNotation));
            grid.SetCells(2, static_cast<int32_t>(i + 1),
                          FormatGeneral(target[i][1], UserNotation));
        }
        window.Form().Execute(TCommandId::Sort);
        window.resize(900, 600);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        chart = window.findChild<ResponseChartView*>(QStringLiteral("Chart1"));
        ASSERT_NE(chart, nullptr);
    }
    void TearDown() override {
        UserNotation = NumberNotation{u'.'};
        CurrentSoundProfil = TSoundProfil{};
    }

    // Runs Fit through its real settings dialog, with the shelves box unchecked.
    void Fit() {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* shelves = dialog->findChild<QCheckBox*>();
            ASSERT_NE(shelves, nullptr);
            EXPECT_TRUE(shelves->isChecked());
            shelves->setChecked(false);
            dialog->accept();
        });
        window.findChild<QAction*>(QStringLiteral("acFitParametricEq"))->trigger();
        QApplication::processEvents();
    }
    std::vector<ParametricEqDialog*> OpenResults() const {
        std::vector<ParametricEqDialog*> open;
        for (auto* dialog : window.findChildren<ParametricEqDialog*>()) {
            if (dialog->isVisible()) {
                open.push_back(dialog);
            }
        }
        return open;
    }

    MainWindow window;
    ResponseChartView* chart = nullptr;
    std::vector<std::string> log;
    QTemporaryDir folder;
    std::filesystem::path exported =
        std::filesystem::path(folder.path().toStdU16String()) / "fit.txt";
};

TEST_F(ParametricEqWindow, FitListsTheFiltersDrawsTheFitExportsAndCloses) {
    const int bare = FitPixels(chart);
    Fit();
    const std::vector<ParametricEqDialog*> open = OpenResults();
    ASSERT_EQ(open.size(), 1u);
    ParametricEqDialog* result = open.front();
    auto* filters = result->findChild<QTableWidget*>(QStringLiteral("Filters"));
    ASSERT_NE(filters, nullptr);
    ASSERT_GE(filters->rowCount(), 2);
    EXPECT_LE(filters->rowCount(), 10);
    for (int row = 0; row < filters->rowCount(); ++row) {
        EXPECT_EQ(filters->item(row, 0)->text(), QStringLiteral("Peaking")); // shelves unchecked
    }
    const QString preamp = result->findChild<QLabel*>(QStringLiteral("Preamp"))->text();
    EXPECT_TRUE(preamp.startsWith(QStringLiteral("Preamp: ")) && preamp.endsWith(" dB"))
        << preamp.toStdString();
    EXPECT_TRUE(result->findChild<QLabel*>(QStringLiteral("RmsError"))
                    ->text()
                    .startsWith(QStringLiteral("RMS error: ")));

    // The third line and its legend entry.
    ASSERT_TRUE(chart->HasFit());
    EXPECT_EQ(chart->LegendNames(),
              (QStringList{QStringLiteral("Profile"), QStringLiteral("EQ fit")}));
    EXPECT_GT(FitPixels(chart), bare + 100);

    // Export writes the filters listed.
    result->findChild<QPushButton*>(QStringLiteral("Export"))->click();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "save: Parametric EQ|*.txt");
    EXPECT_EQ(log[1], "Parametric EQ exported: " + Utf16ToUtf8(PathToUtf16(exported)));
    const std::string text = ReadAll(exported);
    EXPECT_EQ(text.rfind("Preamp: " + preamp.mid(8).toStdString() + "\r\n", 0), 0u) << text;
    const std::string first = "Filter 1: ON PK Fc " + filters->item(0, 1)->text().toStdString() +
                              " Hz Gain " + filters->item(0, 2)->text().toStdString() + " dB Q " +
                              filters->item(0, 3)->text().toStdString() + "\r\n";
    EXPECT_NE(text.find(first), std::string::npos) << text;
    EXPECT_TRUE(chart->HasFit());

    // Close takes the line away.
    result->findChild<QPushButton*>(QStringLiteral("Close"))->click();
    QApplication::processEvents();
    EXPECT_TRUE(OpenResults().empty());
    EXPECT_FALSE(chart->HasFit());
    EXPECT_TRUE(chart->LegendNames().isEmpty());
    EXPECT_LE(FitPixels(chart), bare);
}

TEST_F(ParametricEqWindow, OneResultWindowAtATimeAndNewPointsTakeTheLineAway) {
    Fit();
    Fit();
    EXPECT_EQ(OpenResults().size(), 1u);
    EXPECT_TRUE(chart->HasFit());
    window.findChild<QAction*>(QStringLiteral("acInvert"))->trigger();
    EXPECT_FALSE(chart->HasFit());
    EXPECT_EQ(OpenResults().size(), 1u); // the list stays to read

    Fit();
    window.findChild<QAction*>(QStringLiteral("acClearReference"))->trigger();
    EXPECT_FALSE(chart->HasFit());
}

} // namespace
