#include "ResponseChartView.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtGui/QFontMetricsF>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtWidgets/QGraphicsLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kLineColor = QColor::fromRgb(TLineSeries::Color);
const QColor kHighlightColor(255, 0, 0, 128);
const QColor kAxisColor(0x40, 0x40, 0x40);
const QColor kGridColor(0xA9, 0xA9, 0xA9);
const QColor kGradientStart(0xEA, 0xEA, 0xEA);
const QColor kGradientEnd(Qt::white);
constexpr qreal kMarkerSize = 7;

QPen LinePen() {
    return QPen(kLineColor, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Qt Charts draws a solid pen segment by segment, and where the half-transparent segments overlap
// at the points they show darker dots. Any other pen style is drawn as one path; one dash longer
// than any screen keeps the line whole.
QPen HighlightPen() {
    QPen pen(kHighlightColor, 3, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setDashPattern({1e6, 1});
    return pen;
}

QFont LabelFont() {
    return QFont(QStringLiteral("Verdana"), 8);
}

void StyleAxis(QCategoryAxis* axis) {
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(LabelFont());
    axis->setLabelsColor(Qt::black);
    axis->setLineVisible(false); // drawn crisp by the view
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setShadesVisible(false);
    axis->setTitleVisible(false);
}

// One category per label, ending at its position, so that every label sits on its value; the
// first category starts below the range so that a label on the range's start shows too.
void SetLabels(QCategoryAxis* axis, double min, double max,
               std::vector<std::pair<double, QString>> labels) {
    for (const QString& label : axis->categoriesLabels()) {
        axis->remove(label);
    }
    axis->setStartValue(min - (max - min));
    // Categories only take increasing positions; a reversed axis gives them the other way round.
    std::sort(labels.begin(), labels.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [at, text] : labels) {
        axis->append(text, at);
    }
}

} // namespace

ResponseChartView::ResponseChartView(TLineSeries& series, QWidget* parent)
    : QChartView(parent), series_(series), line_(new QLineSeries), hoverZone_(new QLineSeries),
      frequencyAxis_(new QCategoryAxis), gainAxis_(new QCategoryAxis) {
    QChart* chart = this->chart();
    chart->legend()->hide();
    chart->setBackgroundVisible(false); // the gradients come from drawBackground
    chart->setPlotAreaBackgroundVisible(false);
    chart->setBackgroundRoundness(0);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    setRenderHint(QPainter::Antialiasing);
    setFrameShape(QFrame::NoFrame);

    // The chart takes over the series and axes.
    chart->addSeries(line_);
    chart->addSeries(hoverZone_); // added last, so it lies on top and gets the pointer first
    chart->addAxis(frequencyAxis_, Qt::AlignBottom);
    chart->addAxis(gainAxis_, Qt::AlignLeft);
    for (QLineSeries* s : {line_, hoverZone_}) {
        s->attachAxis(frequencyAxis_);
        s->attachAxis(gainAxis_);
    }
    // Pens and axis looks after adding: the chart theme decorates what it is given.
    line_->setPen(LinePen());
    line_->setMarkerSize(kMarkerSize);
    QPen zone(Qt::NoPen);
    zone.setWidth(6);
    hoverZone_->setPen(zone);
    StyleAxis(frequencyAxis_);
    StyleAxis(gainAxis_);

    connect(hoverZone_, &QLineSeries::hovered, this,
            [this](const QPointF&, bool state) { SetHighlighted(state); });
    series_.OnChange = [this] { ShowPoints(); };
    ShowPoints();
    connect(chart, &QChart::plotAreaChanged, this, [this] {
        Arrange(false);
        viewport()->update(); // the back wall and grid move with the plot area
    });
}

ResponseChartView::~ResponseChartView() {
    series_.OnChange = nullptr;
}

void ResponseChartView::ShowPoints() {
    frequencyRange_ = FrequencyAxis(series_.XValues(), series_.YValues());
    // Cleared first, so that the new ranges do not make the chart place the old points again.
    line_->clear();
    hoverZone_->clear();
    const double start = AxisPosition(frequencyRange_.Min);
    const double end = AxisPosition(frequencyRange_.Max);
    frequencyAxis_->setRange(std::min(start, end), std::max(start, end));
    Arrange(true);
    PlacePoints();
    SetHighlighted(false); // new points start plain, even when a key changed them under the pointer
}

void ResponseChartView::PlacePoints() {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    placedColumns_ = Columns();
    const std::vector<std::size_t> kept = LinePoints(xs, ys, frequencyRange_, placedColumns_);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(kept.size()));
    for (std::size_t i : kept) {
        points.append({AxisPosition(FrequencyPlotX(frequencyRange_, xs[i])), ys[i]});
    }
    line_->replace(points);
    hoverZone_->replace(points);
    // A line through one point has no length and draws nothing: that point shows as a dot.
    line_->setPointsVisible(points.size() == 1);
}

TPlotColumns ResponseChartView::Columns() const {
    const QRectF plot = chart()->plotArea();
    const QPointF left = viewportTransform().map(chart()->mapToScene(plot.topLeft()));
    const double ratio = devicePixelRatioF();
    return {left.x() * ratio, plot.width() * ratio};
}

double ResponseChartView::AxisPosition(double hz) const {
    return FrequencyPosition(frequencyRange_, hz);
}

void ResponseChartView::Arrange(bool always) {
    // Qt Charts elides a label longer than its share of the axis: the axis length over the
    // labels plus one, less a padding of 4 px on each side.
    const QFontMetricsF metrics(LabelFont());
    const QSizeF plot = chart()->plotArea().size();
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("00.0k")) + 12;
    const double labelHeight = metrics.height() + 12;
    const int frequencyRoom = std::max(2, static_cast<int>(plot.width() / labelWidth) - 1);
    const int gainRoom = std::max(3, static_cast<int>(plot.height() / labelHeight) - 1);
    if (!always && frequencyRoom == frequencyLabelRoom_ && gainRoom == gainLabelRoom_) {
        return;
    }
    frequencyLabelRoom_ = frequencyRoom;
    gainLabelRoom_ = gainRoom;

    gainRange_ = GainAxis(series_.XValues(), series_.YValues(), gainRoom);
    gainAxis_->setRange(gainRange_.Min, gainRange_.Max);
    frequencyTicks_ = FrequencyTicks(frequencyRange_, frequencyRoom);
    gainTicks_ = GainTicks(gainRange_);
    WriteLabels();
}

void ResponseChartView::WriteLabels() {
    std::vector<std::pair<double, QString>> labels;
    for (double hz : frequencyTicks_) {
        labels.emplace_back(AxisPosition(hz),
                            QString::fromStdU16String(FrequencyLabel(hz, UserNotation)));
    }
    SetLabels(frequencyAxis_, frequencyAxis_->min(), frequencyAxis_->max(), labels);
    labels.clear();
    for (double db : gainTicks_) {
        labels.emplace_back(
            db, QString::fromStdU16String(GainLabel(db, gainRange_.Step, UserNotation)));
    }
    SetLabels(gainAxis_, gainAxis_->min(), gainAxis_->max(), labels);
    viewport()->update();
}

void ResponseChartView::NotationChanged() {
    WriteLabels();
}

void ResponseChartView::SetHighlighted(bool on) {
    line_->setPen(on ? HighlightPen() : LinePen());
    viewport()->update(); // the wide pen reaches past what the chart repaints for the line
}

void ResponseChartView::paintEvent(QPaintEvent* event) {
    if (Columns() != placedColumns_) {
        PlacePoints();
    }
    QChartView::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(viewport());
        const QRect edge = viewport()->rect();
        const QColor frame = palette().color(QPalette::Highlight);
        painter.fillRect(edge.left(), edge.top(), edge.width(), 1, frame);
        painter.fillRect(edge.left(), edge.bottom(), edge.width(), 1, frame);
        painter.fillRect(edge.left(), edge.top(), 1, edge.height(), frame);
        painter.fillRect(edge.right(), edge.top(), 1, edge.height(), frame);
    }
}

void ResponseChartView::focusInEvent(QFocusEvent* event) {
    QChartView::focusInEvent(event);
    viewport()->update();
}

void ResponseChartView::focusOutEvent(QFocusEvent* event) {
    QChartView::focusOutEvent(event);
    viewport()->update();
}

void ResponseChartView::drawBackground(QPainter* painter, const QRectF&) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);

    const QRectF panel = mapToScene(viewport()->rect()).boundingRect();
    QLinearGradient panelGradient(panel.bottomLeft(), panel.topLeft());
    panelGradient.setColorAt(0, kGradientStart);
    panelGradient.setColorAt(0.5, kGradientStart);
    panelGradient.setColorAt(1, kGradientEnd);
    painter->fillRect(panel, panelGradient);

    // From here on the painter counts device pixels. Whole pixels: column `left` holds the points
    // at the range's start, row `bottom` those at its minimum, as the antialiased line draws them.
    const QTransform toDevice = painter->deviceTransform();
    const QRectF plot = toDevice.mapRect(chart()->mapRectToScene(chart()->plotArea()));
    painter->setWorldTransform(toDevice.inverted() * painter->worldTransform());
    const int left = static_cast<int>(std::floor(plot.left()));
    const int right = static_cast<int>(std::floor(plot.right()));
    const int top = static_cast<int>(std::floor(plot.top()));
    const int bottom = static_cast<int>(std::floor(plot.bottom()));
    if (right <= left || bottom <= top) {
        painter->restore();
        return;
    }
    const QRect wall(QPoint(left, top), QPoint(right, bottom));
    QLinearGradient wallGradient(wall.bottomLeft(), wall.topLeft());
    wallGradient.setColorAt(0, kGradientStart);
    wallGradient.setColorAt(1, kGradientEnd);
    painter->fillRect(wall, wallGradient);

    const double xMin = frequencyAxis_->min();
    const double xSpan = frequencyAxis_->max() - xMin;
    for (double hz : frequencyTicks_) {
        const double at = plot.left() + (AxisPosition(hz) - xMin) / xSpan * plot.width();
        const int column = std::clamp(static_cast<int>(std::floor(at)), left, right);
        painter->fillRect(column, top, 1, bottom - top + 1, kGridColor);
    }
    const double yMax = gainAxis_->max();
    const double ySpan = yMax - gainAxis_->min();
    for (double db : gainTicks_) {
        const double at = plot.top() + (yMax - db) / ySpan * plot.height();
        const int row = std::clamp(static_cast<int>(std::floor(at)), top, bottom);
        painter->fillRect(left, row, right - left + 1, 1, kGridColor);
    }
    painter->fillRect(left, top, 1, bottom - top + 1, kAxisColor);
    painter->fillRect(left, bottom, right - left + 1, 1, kAxisColor);
    painter->restore();
}
