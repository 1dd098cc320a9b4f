#pragma once
// The response chart: draws a TLineSeries as one line over a logarithmic frequency axis and
// redraws whenever the series changes.

#include <QtCharts/QChartView>

#include <vector>

#include "teechart_basics.h"

QT_BEGIN_NAMESPACE
class QCategoryAxis;
class QLineSeries;
QT_END_NAMESPACE

class ResponseChartView : public QChartView {
    Q_OBJECT

public:
    // Follows `series` through its OnChange until the view is destroyed; the series must outlive
    // the view.
    explicit ResponseChartView(TLineSeries& series, QWidget* parent = nullptr);
    ~ResponseChartView() override;

    ResponseChartView(const ResponseChartView&) = delete;
    ResponseChartView& operator=(const ResponseChartView&) = delete;

    // Writes the axis labels again in the current UserNotation and repaints; the window calls it
    // after the system's number notation changed.
    void NotationChanged();

protected:
    // Gradients, grid and axis lines, painted without antialiasing so that the 1-pixel lines stay
    // crisp in their exact colours; the antialiased line and the labels are drawn over them.
    // They are placed on device pixels, so that they stay one screen pixel wide at any ratio.
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    // The pixel columns move with the plot area and with the screen's pixel ratio; either shows
    // here before anything is drawn, and the points are reduced again for the new columns. The
    // focus frame is drawn over the chart.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ShowPoints();
    // Hands the line and its hover zone the points that draw the series on the current columns.
    void PlacePoints();
    TPlotColumns Columns() const;
    // Label counts follow the size of the plot area, and with them the gain range, which ends on
    // whole label steps.
    void Arrange(bool always);
    void WriteLabels();
    void SetHighlighted(bool on);
    // Where a frequency lies on the horizontal axis, so that the axis runs from its minimum on the
    // left also when reversed.
    double AxisPosition(double hz) const;

    TLineSeries& series_;
    QLineSeries* line_;
    QLineSeries* hoverZone_; // invisible and wider than the line: only there to catch the pointer
    QCategoryAxis* frequencyAxis_; // in AxisPosition units, so that the labels can read 20, 1k
    QCategoryAxis* gainAxis_;
    TFrequencyAxis frequencyRange_;
    TPlotColumns placedColumns_; // what the line's points were reduced for
    TGainAxis gainRange_;
    std::vector<double> frequencyTicks_; // Hz
    std::vector<double> gainTicks_;      // dB
    int frequencyLabelRoom_ = 0;
    int gainLabelRoom_ = 0;
};
