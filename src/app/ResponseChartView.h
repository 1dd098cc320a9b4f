#pragma once
// The response chart: draws a TLineSeries as one line over a logarithmic frequency axis and
// redraws whenever the series changes. It is also an instrument: a readout under the pointer,
// points picked with a click (and their table row), wheel zoom and drag pan, a reference curve
// behind the profile and a picture of what it shows. What it shows and where is decided by its
// TChartModel; the view turns events into the model's calls and paints.

#include <QtCharts/QChartView>
#include <QtCore/QStringList>

#include <memory>
#include <optional>
#include <vector>

#include "chart_model.h"
#include "point_commands.h"
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

    // Drawing on the chart: a marked point dragged with the left button moves its gain (with
    // Ctrl its frequency too), Ctrl+click away from the points adds one, and with the focus on
    // the chart Up/Down move the marked point's gain, Left/Right mark its neighbours, Delete
    // deletes it and Escape unmarks it or, during a drag, puts it back. `steps` must outlive the
    // view.
    void Edit(TPointSteps& steps) { steps_ = &steps; }

    // Writes the axis labels again in the current UserNotation and repaints; the window calls it
    // after the system's number notation changed.
    void NotationChanged();

    // The curve drawn behind the profile, in grey dashes, with a legend naming both; it counts for
    // the automatic ranges and stays until it is replaced or cleared.
    void ShowReference(const TLineSeries& reference, const QString& name);
    void ClearReference();
    bool HasReference() const { return model_.HasReference(); }
    // The reference's points in its order; empty without one.
    const std::vector<double>& ReferenceX() const { return model_.ReferenceX(); }
    const std::vector<double>& ReferenceY() const { return model_.ReferenceY(); }

    // An equaliser's fitted response as a third line in its own colour, named "EQ fit" in the
    // legend; new points and ClearReference take it away.
    void ShowFit(std::vector<double> x, std::vector<double> y);
    void ClearFit();
    bool HasFit() const { return model_.HasFit(); }
    // The legend's names, one per curve shown: the profile, the reference, "EQ fit"; none while
    // the profile's line is alone.
    QStringList LegendNames() const;

    // The chart as it shows now, zoom, reference and markers, without the readout and the focus
    // frame: as a PNG at twice the screen's pixel density, or as SVG. False when the file could
    // not be written.
    bool SavePng(const QString& file);
    bool SaveSvg(const QString& file);

    // What the plot shows, the point picked last (an index into the series) and the readout
    // (empty while the pointer is not over the plot).
    TChartWindow Window() const { return model_.Window(); }
    bool Zoomed() const { return model_.Zoomed(); }
    std::optional<std::size_t> PickedPoint() const { return model_.PickedPoint(); }
    QString ReadoutText() const;

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
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    // The pointer leaving the plot's widget takes the readout away.
    bool viewportEvent(QEvent* event) override;

private:
    void ShowPoints();
    // The model's window changed: the axes, labels and points follow it.
    void Refresh();
    // Hands the line and its hover zone the points that draw the series on the current columns
    // of the part in view.
    void PlacePoints();
    // Hands the line and its hover zone the points the model placed.
    void ShowLine();
    TPlotColumns Columns() const;
    // Label counts follow the size of the plot area; the axes take the window when they change.
    void Arrange(bool always);
    void WriteLabels();
    void SetHighlighted(bool on);
    // Empties both series, so that a change of the ranges does not make Qt Charts place their old
    // points again.
    void ReleasePoints();
    // The dense line as Qt Charts draws it: segment by segment, clipped to the plot.
    void DrawLine(QPainter* painter);
    // The ranges the axes hold, as Qt Charts draws them.
    TChartWindow Axes() const;
    TPlotFrame Frame() const;
    void UpdateReadout(QPointF at);
    // A point of the series changed alone: during a drag only the line is placed again; after
    // any other change the ranges follow too.
    void PointChanged(std::size_t index, TLineSeries::TPointChange change);
    // A drag or a key step ended: the ranges may follow the points again.
    void Settle();
    void ShowNote(const std::u16string& note);

    TLineSeries& series_;
    TChartModel model_;
    QLineSeries* line_;
    QLineSeries* hoverZone_; // never drawn; holds the line's points, as Qt Charts' hover zone did
    // Qt Charts outlines every line it holds, for the pointer, on each change of its points or
    // ranges: a dense line is held without telling it and drawn by the view instead.
    bool drawsLine_ = false;
    bool highlighted_ = false;
    QCategoryAxis* frequencyAxis_; // in FrequencyPosition places, so that labels can read 20, 1k
    QCategoryAxis* gainAxis_;
    QString referenceName_;

    TPointSteps* steps_ = nullptr;
    // The point a press took, until the release, and where; dragging once it moved.
    std::optional<std::size_t> pressed_;
    QPointF pressedAt_;
    bool dragging_ = false;

    TTextField* name_ = nullptr;
    TTextField* file_ = nullptr;
    TListeners<std::u16string>::Subscription nameSub_;
    TListeners<std::u16string>::Subscription fileSub_;
};
