#pragma once
// The response chart: draws a TLineSeries as one line over a logarithmic frequency axis and
// redraws whenever the series changes. It is also an instrument: a readout under the pointer,
// points picked with a click (and their table row), wheel zoom and drag pan, a reference curve
// behind the profile and a picture of what it shows.

#include <QtCharts/QChartView>

#include <memory>
#include <optional>
#include <vector>

#include "chart_rows.h"
#include "chart_window.h"
#include "extremes_pyramid.h"
#include "teechart_basics.h"
#include "text_field.h"

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

    // A picked point moves the table's current cell to the row `rows` links it to, and the view
    // tells `rows` when the points change; the legend names the profile by `name`, else by
    // `file`. All must outlive the view.
    void Follow(TChartRows& rows, TTextField& name, TTextField& file);

    // Writes the axis labels again in the current UserNotation and repaints; the window calls it
    // after the system's number notation changed.
    void NotationChanged();

    // The curve drawn behind the profile, in grey dashes, with a legend naming both; it counts for
    // the automatic ranges and stays until it is replaced or cleared.
    void ShowReference(const TLineSeries& reference, const QString& name);
    void ClearReference();
    bool HasReference() const { return !referenceX_.empty(); }

    // The chart as it shows now, zoom, reference and markers, without the readout and the focus
    // frame: as a PNG at twice the screen's pixel density, or as SVG. False when the file could
    // not be written.
    bool SavePng(const QString& file);
    bool SaveSvg(const QString& file);

    // What the plot shows, the point picked last (an index into the series) and the readout
    // (empty while the pointer is not over the plot).
    TChartWindow Window() const;
    bool Zoomed() const { return window_.has_value(); }
    std::optional<std::size_t> PickedPoint() const { return picked_; }
    QString ReadoutText() const { return readout_; }

protected:
    // Gradients, grid and axis lines, painted without antialiasing so that the 1-pixel lines stay
    // crisp in their exact colours; the antialiased line and the labels are drawn over them.
    // They are placed on device pixels, so that they stay one screen pixel wide at any ratio.
    // The reference curve follows, behind the profile's line.
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    // The picked point's ring and the legend, over the chart.
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    // The pixel columns move with the plot area and with the screen's pixel ratio; either shows
    // here before anything is drawn, and the points are reduced again for the new columns. The
    // readout and the focus frame are drawn over the chart.
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The pointer leaving the plot's widget takes the readout away.
    bool viewportEvent(QEvent* event) override;

private:
    void ShowPoints();
    // Hands the line and its hover zone the points that draw the series on the current columns
    // of the part in view.
    void PlacePoints();
    TPlotColumns Columns() const;
    // Label counts follow the size of the plot area, and with them the gain range, which ends on
    // whole label steps.
    void Arrange(bool always);
    void WriteLabels();
    void SetHighlighted(bool on);
    // Whether `at` lies within the hover zone around the line.
    bool OverLine(QPointF at) const;
    // Empties both series, so that a change of the ranges does not make Qt Charts place their old
    // points again.
    void ReleasePoints();
    // The dense line as Qt Charts draws it: segment by segment, clipped to the plot.
    void DrawLine(QPainter* painter);
    // Where a frequency lies on the horizontal axis, so that the axis runs from its minimum on the
    // left also when reversed.
    double AxisPosition(double hz) const;
    // The automatic ranges of the profile and the reference together.
    void FindRanges();
    void SetWindow(std::optional<TChartWindow> window);
    TPlotFrame Frame() const;
    void UpdateReadout(QPointF at);
    // The visible point within 6 pixels of `at`, nearest first.
    std::optional<std::size_t> PointAt(QPointF at) const;
    QString ProfileName() const;
    // The legend's place, a corner of the plot (not the top left, the readout's) where it hides
    // the fewest points of the two curves; the top right when that is as good as any.
    QRectF LegendBox(const QRectF& plot, const QSizeF& size) const;
    void Render(QPainter& painter, QSize size);

    TLineSeries& series_;
    QLineSeries* line_;
    QLineSeries*
        hoverZone_; // never drawn; its points and width decide where the pointer highlights
    // Qt Charts outlines every line it holds, for the pointer, on each change of its points or
    // ranges: a dense line is held without telling it and drawn by the view instead.
    bool drawsLine_ = false;
    bool highlighted_ = false;
    TExtremesPyramid extremes_;    // of the series, while its X ascend
    QCategoryAxis* frequencyAxis_; // in AxisPosition units, so that the labels can read 20, 1k
    QCategoryAxis* gainAxis_;
    TFrequencyAxis frequencyRange_;
    TPlotColumns placedColumns_;         // what the line's points were reduced for
    TGainAxis gainRange_;                // automatic
    TGainAxis gainShown_;                // in view
    std::vector<double> frequencyTicks_; // Hz
    std::vector<double> gainTicks_;      // dB
    int frequencyLabelRoom_ = 0;
    int gainLabelRoom_ = 0;

    std::optional<TChartWindow> window_; // none: the automatic ranges
    bool ascending_ = true;
    std::optional<std::size_t> picked_;
    QString readout_;
    std::optional<QPointF> panFrom_;

    std::vector<double> referenceX_;
    std::vector<double> referenceY_;
    bool referenceAscending_ = true;
    QString referenceName_;
    std::vector<std::size_t> referenceKept_;

    std::vector<double> extremesX_; // of the profile and the reference, for the ranges
    std::vector<double> extremesY_;

    TChartRows* rows_ = nullptr;
    TTextField* name_ = nullptr;
    TTextField* file_ = nullptr;
    TListeners<std::u16string>::Subscription nameSub_;
    TListeners<std::u16string>::Subscription fileSub_;
};
