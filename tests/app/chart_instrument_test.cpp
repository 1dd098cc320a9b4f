#include "ResponseChartView.h"

#include <gtest/gtest.h>

#include <QtCharts/QLineSeries>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtGui/QImage>
#include <QtGui/QMouseEvent>
#include <QtGui/QWheelEvent>
#include <QtSvg/QSvgRenderer>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>

#include <cmath>
#include <string>
#include <vector>

#include "../core/test_support.h"
#include "main_f.h"
#include "uStreamSoundProfil.h"

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The chart as the window has it: following a form's table and series.
class ChartInstrument : public ::testing::Test {
protected:
    ChartInstrument() : view(form.Series1) {
        UserNotation = NumberNotation{u'.'};
        view.Follow(form.ChartRows, form.Edit1, form.lbFilename);
        form.Desktop.MessageDlg = [](TMsgDlgType, TMsgDlgButtons, const std::u16string&) {
            return TModalResult::mrOk;
        };
        view.resize(640, 400);
        view.show();
        Settle();
    }

    static void Settle() {
        for (int i = 0; i < 5; ++i) {
            QApplication::processEvents();
        }
    }

    void Show(std::vector<std::vector<float>> rows) {
        CurrentSoundProfil.xyData = std::move(rows);
        form.Execute([this] { form.ShowProfile(); });
        Settle();
    }

    // Where a frequency and gain lie in the viewport.
    QPointF At(double hz, double db) const {
        const TPlotFrame frame = Frame();
        const TChartWindow w = view.Window();
        return {frame.Left + (std::log10(hz) - w.Left) / (w.Right - w.Left) * frame.Width,
                frame.Top + (w.Top - db) / (w.Top - w.Bottom) * frame.Height};
    }
    TPlotFrame Frame() const {
        const QRectF plot = view.viewportTransform().mapRect(
            view.chart()->mapRectToScene(view.chart()->plotArea()));
        return {plot.left(), plot.top(), plot.width(), plot.height()};
    }
    // The frequency at a viewport x.
    double HzAt(double x) const {
        const TPlotFrame frame = Frame();
        const TChartWindow w = view.Window();
        return std::pow(10.0, w.Left + (x - frame.Left) / frame.Width * (w.Right - w.Left));
    }

    void Move(QPointF at, Qt::MouseButtons buttons = Qt::NoButton) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                         buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        Settle();
    }
    void Wheel(QPointF at, int notches, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        Settle();
    }
    void Click(QPointF at) {
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at.toPoint());
        Settle();
    }
    QImage Grab() { return view.grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TForm1 form;
    ResponseChartView view;
};

TEST_F(ChartInstrument, TheReadoutShowsThePointerAndTheNearestPointOnTheScreenUntilItLeaves) {
    Show({{100, 0}, {1000, 0}, {1100, 6}, {10000, -6}});
    struct Case {
        double hz, db;
        const char* point; // the nearest point's part of the readout
    };
    // Near 1 kHz the nearest point in frequency is not the nearest on the screen.
    const Case cases[] = {{120, 1, "point 100 Hz, 0 dB"},
                          {1000, 5, "point 1.1 kHz, 6 dB"},
                          {1050, -0.5, "point 1000 Hz, 0 dB"},
                          {8000, -3, "point 10 kHz, -6 dB"}};
    for (const Case& c : cases) {
        Move(At(c.hz, c.db));
        EXPECT_TRUE(view.ReadoutText().endsWith(QString("  |  ") + c.point)) << c.point;
    }
    Move(At(1250, -2.8));
    EXPECT_EQ(view.ReadoutText(), "1.25 kHz, -2.8 dB  |  point 1000 Hz, 0 dB");
    const QImage shown = Grab();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view.viewport(), &leave);
    Settle();
    EXPECT_TRUE(view.ReadoutText().isEmpty());
    EXPECT_NE(Grab(), shown);
    Move({2, 2}); // outside the plot
    EXPECT_TRUE(view.ReadoutText().isEmpty());
}

TEST_F(ChartInstrument, AClickOnAPointSelectsItsRowWhileTheTableHoldsTheChartsRows) {
    Show({{1000, 0}, {100, 3}, {10000, -3}});
    const double nearby = 5; // pixels: within reach
    Click(At(100, 3) + QPointF(nearby * 0.6, nearby * 0.8));
    EXPECT_EQ(view.PickedPoint(), 0u);
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    EXPECT_EQ(form.StringGrid1.Col(), 2);
    EXPECT_EQ(form.frowindex, 2);

    const TChartWindow shown = view.Window();
    Click(At(1000, 0) + QPointF(0, 7)); // too far: nothing picked, and nothing panned
    EXPECT_EQ(view.PickedPoint(), 0u);
    EXPECT_EQ(form.StringGrid1.Row(), 2);
    EXPECT_EQ(view.Window(), shown);

    form.Execute(&TForm1::acInsertExecute); // above 100 Hz: the point's row moves down
    Click(At(100, 3));
    EXPECT_EQ(view.PickedPoint(), 0u);
    EXPECT_EQ(form.StringGrid1.Row(), 3);
    EXPECT_EQ(form.frowindex, 3);
    form.Undo(); // the rows put back have no points until they are shown again
    const int32_t row = form.StringGrid1.Row();
    Click(At(1000, 0));
    EXPECT_EQ(view.PickedPoint(), 1u);
    EXPECT_EQ(form.StringGrid1.Row(), row);
    EXPECT_EQ(form.frowindex, row);
    form.Execute(&TForm1::acSortExecute); // shown again, sorted
    Click(At(100, 3));
    EXPECT_EQ(view.PickedPoint(), 0u);
    EXPECT_EQ(form.StringGrid1.Row(), 1);
    EXPECT_EQ(form.frowindex, 1);
}

TEST_F(ChartInstrument, SparseLinesShowMarkersDenseOnesDoNot) {
    Show({{100, 0}, {1000, 0}, {10000, 1}});
    const auto line = [this] { return qobject_cast<QLineSeries*>(view.chart()->series().at(0)); };
    EXPECT_TRUE(line()->pointsVisible());
    std::vector<std::vector<float>> rows;
    const int dense = static_cast<int>(Frame().Width / 8) + 1;
    for (int i = 0; i < dense; ++i) {
        rows.push_back({20 * std::pow(1000.0f, static_cast<float>(i) / dense), 0});
    }
    Show(rows);
    EXPECT_FALSE(line()->pointsVisible());
    Wheel(At(1000, 0), 10); // a third of them in view: sparse again
    EXPECT_TRUE(line()->pointsVisible());
}

TEST_F(ChartInstrument, WheelZoomsAroundThePointerDragPansDoubleClickAndNewPointsReset) {
    Show({{20, -6}, {2000, 0}, {20000, 6}});
    const TChartWindow automatic = view.Window();
    const QPointF at = At(3000, 1);
    const double hz = HzAt(at.x());
    Wheel(at, 3);
    ASSERT_TRUE(view.Zoomed());
    EXPECT_NEAR(view.Window().Right - view.Window().Left,
                (automatic.Right - automatic.Left) / std::pow(1.25, 3), 1e-9);
    EXPECT_NEAR(HzAt(at.x()), hz, hz * 1e-9);
    EXPECT_EQ(view.Window().Top, automatic.Top);
    Wheel(at, 2, Qt::ShiftModifier);
    EXPECT_NEAR(view.Window().Top - view.Window().Bottom,
                (automatic.Top - automatic.Bottom) / std::pow(1.25, 2), 1e-9);

    // Dragging empty plot moves the content with the pointer.
    const TChartWindow before = view.Window();
    const QPoint from = At(5000, -2).toPoint();
    const double under = HzAt(from.x());
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
    Move(from + QPoint(40, 0), Qt::LeftButton);
    Move(from + QPoint(80, 0), Qt::LeftButton);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, from + QPoint(80, 0));
    Settle();
    EXPECT_NEAR(HzAt(from.x() + 80), under, under * 1e-6);
    EXPECT_NEAR(view.Window().Right - view.Window().Left, before.Right - before.Left, 1e-9);

    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, At(1000, 0).toPoint());
    Settle();
    EXPECT_FALSE(view.Zoomed());
    EXPECT_EQ(view.Window(), automatic);

    Wheel(at, 2);
    ASSERT_TRUE(view.Zoomed());
    Show({{20, -6}, {2000, 0}, {20000, 6}}); // ShowSeries
    EXPECT_FALSE(view.Zoomed());
    Wheel(at, 2);
    form.Execute(&TForm1::acClearExecute); // Empty
    EXPECT_FALSE(view.Zoomed());
}

TEST_F(ChartInstrument, TheReferenceIsDrawnCoversTheRangesAndSurvivesTheCommands) {
    Show({{100, 0}, {1000, 2}});
    const QImage without = Grab();
    TLineSeries reference;
    ShowSeries(
        [] {
            TDatentyp d;
            d.DatenXYZ[0] = {50, 500, 5000};
            d.DatenXYZ[1] = {-9, 4, -1};
            return d;
        }(),
        reference, u"");
    view.ShowReference(reference, "Target");
    Settle();
    EXPECT_NEAR(view.Window().Left, std::log10(50.0), 1e-12);
    EXPECT_NEAR(view.Window().Right, std::log10(5000.0), 1e-12);
    EXPECT_LE(view.Window().Bottom, -9);
    const auto grey = [this](const QImage& image, double hz, double db) {
        // Dashes: look along a few pixels of the line for its grey.
        const QPointF at = At(hz, db);
        for (int dx = -6; dx <= 6; ++dx) {
            const QColor c =
                image.pixelColor(QPoint(static_cast<int>(at.x()) + dx, static_cast<int>(at.y())));
            if (std::abs(c.red() - c.green()) < 8 && std::abs(c.green() - c.blue()) < 8 &&
                c.red() < 200) {
                return true;
            }
        }
        return false;
    };
    const QImage with = Grab();
    EXPECT_NE(with, without);
    EXPECT_TRUE(grey(with, 500, 4));

    // The reference stays through the commands, and they see nothing of it.
    form.Execute(&TForm1::acSortExecute);
    form.Execute(&TForm1::acClearExecute);
    Show({{200, 1}, {400, 2}});
    Settle();
    EXPECT_TRUE(view.HasReference());
    EXPECT_NEAR(view.Window().Left, std::log10(50.0), 1e-12);
    EXPECT_TRUE(grey(Grab(), 500, 4));
    EXPECT_EQ(form.KorrDataTemp.DatenXYZ[0], (std::vector<float>{200, 400}));
    EXPECT_EQ(form.StringGrid1.RowCount(), 3);

    Show({{100, 0}, {1000, 2}});
    view.ClearReference();
    Settle();
    EXPECT_FALSE(view.HasReference());
    EXPECT_NEAR(view.Window().Left, 2, 1e-12);
    EXPECT_EQ(Grab(), without);
}

TEST_F(ChartInstrument, TheImageIsWhatTheChartShowsAsPngAtTwiceThePixelDensityOrAsSvg) {
    Show({{100, 0}, {1000, 2}, {10000, -2}});
    Wheel(At(1000, 0), 2);
    Move(At(1000, 0)); // a readout, which the picture leaves out
    ASSERT_FALSE(view.ReadoutText().isEmpty());
    QTemporaryDir folder;
    const QString png = folder.filePath("chart.png");
    ASSERT_TRUE(view.SavePng(png));
    QImage image(png);
    const double ratio = 2 * view.devicePixelRatioF();
    ASSERT_EQ(image.size(), view.viewport()->size() * ratio);
    const auto pixel = [&](QPointF at) { return image.pixelColor((at * ratio).toPoint()); };
    EXPECT_EQ(pixel(At(1000, 2) + QPointF(0, 2)), QColor(0x44, 0x66, 0xA3)); // a marker
    // Where the readout's black text shows on the screen, the picture has none.
    const TPlotFrame frame = Frame();
    const auto blackAlongTheReadout = [&](const QImage& shot, double scale) {
        int black = 0;
        for (double x = frame.Left + 8; x < frame.Left + 120; x += 0.5) {
            for (double y = frame.Top + 6; y < frame.Top + 18; y += 0.5) {
                const QColor c = shot.pixelColor((QPointF(x, y) * scale).toPoint());
                black += c.red() < 0x40 && c.green() < 0x40 && c.blue() < 0x40;
            }
        }
        return black;
    };
    EXPECT_GT(blackAlongTheReadout(Grab(), view.devicePixelRatioF()), 20);
    EXPECT_EQ(blackAlongTheReadout(image, ratio), 0);
    EXPECT_EQ(pixel({3, 3}), QColor(Qt::white));

    const QString svg = folder.filePath("chart.svg");
    ASSERT_TRUE(view.SaveSvg(svg));
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), view.viewport()->size()));
    // Written again over the first pictures, with nothing left beside them.
    ASSERT_TRUE(view.SavePng(png));
    ASSERT_TRUE(view.SaveSvg(svg));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"chart.png", "chart.svg"}));
    EXPECT_FALSE(view.SavePng(folder.filePath("missing/chart.png")));

    // A write the system refuses half way (a file size limit) leaves the older picture whole.
    const QByteArray pngBefore = ReadAll(png);
    const QByteArray svgBefore = ReadAll(svg);
    bool pngWritten = true;
    bool svgWritten = true;
    {
        const FileSizeLimit limit(64);
        ASSERT_TRUE(limit.Set());
        pngWritten = view.SavePng(png);
        svgWritten = view.SaveSvg(svg);
    }
    EXPECT_FALSE(pngWritten);
    EXPECT_FALSE(svgWritten);
    EXPECT_EQ(ReadAll(png), pngBefore);
    EXPECT_EQ(ReadAll(svg), svgBefore);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"chart.png", "chart.svg"}));
    EXPECT_FALSE(view.SaveSvg(folder.filePath("missing/chart.svg")));
}

} // namespace
