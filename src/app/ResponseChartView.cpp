#include "ResponseChartView.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtCore/QBuffer>
#include <QtCore/QSaveFile>
#include <QtCore/QSet>
#include <QtCore/QSignalBlocker>
#include <QtGui/QFontMetricsF>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QWheelEvent>
#include <QtSvg/QSvgGenerator>
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
const QColor kReferenceColor(0x80, 0x80, 0x80);
const QColor kPickColor(0xE0, 0x60, 0x00);
constexpr qreal kMarkerSize = 7;      // a single point
constexpr qreal kSmallMarkerSize = 5; // each point of a sparse line
constexpr double kPickRadius = 6;     // pixels around a point that a click picks it in
constexpr double kNotch = 120;        // a wheel's angle delta per notch

QPen ReferencePen() {
    QPen pen(kReferenceColor, 1.5, Qt::DashLine, Qt::FlatCap, Qt::RoundJoin);
    pen.setCosmetic(true);
    return pen;
}

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
// first category starts below the range so that a label on the range's start shows too. The chart
// makes its label items anew on every change of the categories, so labels that stay as they are
// are left alone, and new ones tell the chart once.
void SetLabels(QCategoryAxis* axis, double min, double max,
               std::vector<std::pair<double, QString>> labels) {
    // Categories only take increasing positions; a reversed axis gives them the other way round.
    std::sort(labels.begin(), labels.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const QStringList shown = axis->categoriesLabels();
    if (axis->startValue() < min && shown.size() == static_cast<qsizetype>(labels.size()) &&
        std::equal(labels.begin(), labels.end(), shown.begin(),
                   [axis](const auto& label, const QString& text) {
                       return label.second == text && axis->endValue(text) == label.first;
                   })) {
        return;
    }
    // The axis takes only a new text at a higher position; the last append tells the chart only
    // when every one is taken.
    QSet<QString> texts;
    bool taken = true;
    for (std::size_t i = 0; i < labels.size() && taken; ++i) {
        taken =
            (i == 0 || labels[i - 1].first < labels[i].first) && !texts.contains(labels[i].second);
        texts.insert(labels[i].second);
    }
    {
        const QSignalBlocker quiet(taken && !labels.empty() ? axis : nullptr);
        for (const QString& label : shown) {
            axis->remove(label);
        }
        axis->setStartValue(min - (max - min));
        for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
            axis->append(labels[i].second, labels[i].first);
        }
    }
    if (!labels.empty()) {
        axis->append(labels.back().second, labels.back().first); // tells the chart
    }
}

// The picture made in memory, then written beside the file and renamed over it: a write that
// fails, even half way, leaves an older picture whole. Encoders write through streams that do
// not tell of a short write, so the bytes are counted here.
bool WritePicture(const QString& file, const QByteArray& bytes) {
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
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
    setMouseTracking(true);

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

void ResponseChartView::Follow(TChartRows& rows, TTextField& name, TTextField& file) {
    rows_ = &rows;
    name_ = &name;
    file_ = &file;
    const auto repaint = [this](const std::u16string&) {
        if (HasReference()) {
            viewport()->update(); // the legend names the profile
        }
    };
    nameSub_ = name.Edits.Subscribe(repaint);
    fileSub_ = file.Edits.Subscribe(repaint);
}

void ResponseChartView::ShowPoints() {
    if (rows_) {
        rows_->Forget(); // a command that showed these points links them right after
    }
    picked_.reset();
    ascending_ = Ascending(series_.XValues());
    extremes_ =
        ascending_ ? TExtremesPyramid(series_.XValues(), series_.YValues()) : TExtremesPyramid();
    window_.reset(); // new points show at the automatic ranges
    FindRanges();
    SetHighlighted(false); // new points start plain, even when a key changed them under the pointer
}

void ResponseChartView::ReleasePoints() {
    line_->clear();
    hoverZone_->clear();
}

void ResponseChartView::FindRanges() {
    ReleasePoints();
    // The extremes of both curves, found once per change of either, stand for all their points.
    extremesX_.clear();
    extremesY_.clear();
    AddExtremes(series_.XValues(), series_.YValues(), extremesX_, extremesY_);
    AddExtremes(referenceX_, referenceY_, extremesX_, extremesY_);
    frequencyRange_ = FrequencyAxis(extremesX_, extremesY_);
    Arrange(true);
    PlacePoints();
}

void ResponseChartView::SetWindow(std::optional<TChartWindow> window) {
    window_ = window;
    ReleasePoints();
    Arrange(true);
    PlacePoints();
}

TChartWindow ResponseChartView::Window() const {
    return window_ ? *window_ : AutoWindow(frequencyRange_, gainRange_);
}

void ResponseChartView::PlacePoints() {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    placedColumns_ = Columns();
    // At the automatic ranges every point is in view; zoomed, only those in view are reduced.
    const std::vector<std::size_t> kept =
        !window_ ? LinePoints(xs, ys, frequencyRange_, placedColumns_)
        : ascending_
            ? WindowLinePoints(xs, ys, frequencyRange_, *window_, placedColumns_, extremes_)
            : WindowLinePoints(xs, ys, frequencyRange_, *window_, placedColumns_, false);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(kept.size()));
    for (std::size_t i : kept) {
        points.append({AxisPosition(FrequencyPlotX(frequencyRange_, xs[i])), ys[i]});
    }
    // A line through one point has no length and draws nothing: that point shows as a dot. A
    // sparse line shows its points as small markers, and Qt Charts draws it.
    const bool sparse =
        ShowsMarkers(xs, ys, frequencyRange_, Window(), chart()->plotArea().width(), ascending_);
    const bool markers = points.size() == 1 || (sparse && !points.isEmpty());
    ReleasePoints();
    line_->setMarkerSize(points.size() == 1 ? kMarkerSize : kSmallMarkerSize);
    line_->setPointsVisible(markers);
    drawsLine_ = !markers;
    line_->setVisible(markers);
    {
        const QSignalBlocker quiet(drawsLine_ ? line_ : nullptr);
        line_->replace(points);
    }
    {
        const QSignalBlocker quiet(hoverZone_);
        hoverZone_->replace(points);
    }

    referenceKept_ = WindowLinePoints(referenceX_, referenceY_, frequencyRange_, Window(),
                                      placedColumns_, referenceAscending_);
    viewport()->update();
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

    gainRange_ = GainAxis(extremesX_, extremesY_, gainRoom);
    const TChartWindow shown = Window();
    frequencyAxis_->setRange(shown.Left, shown.Right);
    gainAxis_->setRange(shown.Bottom, shown.Top);
    gainShown_ = window_ ? WindowGainAxis(*window_, gainRange_, gainRoom) : gainRange_;
    frequencyTicks_ = FrequencyTicks(
        window_ ? WindowFrequencyAxis(*window_, frequencyRange_) : frequencyRange_, frequencyRoom);
    gainTicks_ = GainTicks(gainShown_);
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
            db, QString::fromStdU16String(GainLabel(db, gainShown_.Step, UserNotation)));
    }
    SetLabels(gainAxis_, gainAxis_->min(), gainAxis_->max(), labels);
    viewport()->update();
}

void ResponseChartView::NotationChanged() {
    WriteLabels();
}

void ResponseChartView::SetHighlighted(bool on) {
    if (on == highlighted_) {
        return;
    }
    highlighted_ = on;
    line_->setPen(on ? HighlightPen() : LinePen());
    viewport()->update(); // the wide pen reaches past what the chart repaints for the line
}

void ResponseChartView::paintEvent(QPaintEvent* event) {
    if (Columns() != placedColumns_) {
        PlacePoints();
    }
    QChartView::paintEvent(event);
    if (!readout_.isEmpty()) {
        // In the plot's top left corner, over the chart and outside any picture of it.
        QPainter painter(viewport());
        painter.setFont(LabelFont());
        const TPlotFrame plot = Frame();
        const QFontMetricsF metrics(LabelFont());
        const QRectF box(plot.Left + 4, plot.Top + 4, metrics.horizontalAdvance(readout_) + 10,
                         metrics.height() + 6);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.setPen(kGridColor);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, readout_);
    }
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

    if (referenceKept_.size() >= 2) {
        // Behind the profile's line, which the chart draws over the background.
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setClipRect(plot);
        const double yMin = gainAxis_->min();
        QPolygonF path;
        path.reserve(static_cast<qsizetype>(referenceKept_.size()));
        for (std::size_t i : referenceKept_) {
            const double at = AxisPosition(FrequencyPlotX(frequencyRange_, referenceX_[i]));
            path.append({plot.left() + (at - xMin) / xSpan * plot.width(),
                         plot.bottom() - (referenceY_[i] - yMin) / ySpan * plot.height()});
        }
        QPen pen = ReferencePen();
        pen.setWidthF(pen.widthF() * toDevice.m11());
        painter->setPen(pen);
        painter->drawPolyline(path);
    }
    painter->restore();
}

bool ResponseChartView::OverLine(QPointF at) const {
    const QList<QPointF> points = hoverZone_->points();
    const TPlotFrame frame = Frame();
    const double xMin = frequencyAxis_->min();
    const double xScale = frame.Width / (frequencyAxis_->max() - xMin);
    const double yMax = gainAxis_->max();
    const double yScale = frame.Height / (yMax - gainAxis_->min());
    const auto screen = [&](QPointF p) {
        return QPointF(frame.Left + (p.x() - xMin) * xScale, frame.Top + (yMax - p.y()) * yScale);
    };
    // Qt Charts outlines a line 1.42 pen widths wide for the pointer.
    const double reach = hoverZone_->pen().widthF() * 0.71;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const QPointF b = screen(points[i]);
        const QPointF a = i > 0 ? screen(points[i - 1]) : b;
        const QPointF ab = b - a;
        const double length = QPointF::dotProduct(ab, ab);
        const double along =
            length > 0 ? std::clamp(QPointF::dotProduct(at - a, ab) / length, 0.0, 1.0) : 0.0;
        const QPointF off = at - (a + along * ab);
        if (QPointF::dotProduct(off, off) <= reach * reach) {
            return true;
        }
    }
    return false;
}

void ResponseChartView::DrawLine(QPainter* painter) {
    const QList<QPointF> values = line_->points();
    if (values.size() < 2) {
        return;
    }
    // In the plot's own coordinates, as Qt Charts places the points of a series.
    const QRectF area = chart()->plotArea();
    const double xMin = frequencyAxis_->min();
    const double yMin = gainAxis_->min();
    const double xScale = area.width() / (frequencyAxis_->max() - xMin);
    const double yScale = area.height() / (gainAxis_->max() - yMin);
    QList<QPointF> points(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        points[i] = {(values[i].x() - xMin) * xScale,
                     area.height() - (values[i].y() - yMin) * yScale};
    }
    painter->save();
    painter->translate(chart()->mapToScene(area.topLeft()) - area.topLeft());
    painter->translate(area.topLeft());
    // Half a pixel more where the plot ends between pixels, so that a line along its edge shows.
    QRectF clip(QPointF(0, 0), area.size());
    const double x1 = area.left() - int(area.left());
    const double y1 = area.top() - int(area.top());
    const double x2 = (clip.width() + 0.5) - int(clip.width() + 0.5);
    const double y2 = (clip.height() + 0.5) - int(clip.height() + 0.5);
    clip.adjust(-x1, -y1, std::max(x1, x2), std::max(y1, y2));
    painter->setClipRect(clip);
    const QPen pen = line_->pen();
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    if (pen.style() == Qt::SolidLine) {
        for (qsizetype i = 1; i < points.size(); ++i) {
            painter->drawLine(points[i - 1], points[i]);
        }
    } else {
        QPainterPath path(points[0]);
        for (qsizetype i = 1; i < points.size(); ++i) {
            path.lineTo(points[i]);
        }
        painter->drawPath(path);
    }
    painter->restore();
}

void ResponseChartView::drawForeground(QPainter* painter, const QRectF&) {
    if (drawsLine_) {
        DrawLine(painter);
    }
    const QRectF plot = chart()->mapRectToScene(chart()->plotArea());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (picked_ && *picked_ < series_.Count()) {
        const double x = AxisPosition(FrequencyPlotX(frequencyRange_, series_.XValues()[*picked_]));
        const QPointF at =
            chart()->mapToScene(chart()->mapToPosition({x, series_.YValues()[*picked_]}, line_));
        if (plot.adjusted(-1, -1, 1, 1).contains(at)) {
            painter->setPen(QPen(kPickColor, 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(at, 5, 5);
        }
    }
    if (HasReference()) {
        // Top right in the plot: a stroke of each line and its name.
        const QFont font = LabelFont();
        const QFontMetricsF metrics(font);
        const QString names[] = {ProfileName(), referenceName_};
        double textWidth = 0;
        for (const QString& name : names) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(name));
        }
        constexpr double kStroke = 24;
        const double rowHeight = metrics.height() + 2;
        const QRectF box = LegendBox(plot, {textWidth + kStroke + 18, 2 * rowHeight + 6});
        painter->setPen(kGridColor);
        painter->setBrush(QColor(255, 255, 255, 220));
        painter->drawRect(box);
        painter->setFont(font);
        const QPen pens[] = {LinePen(), ReferencePen()};
        for (int row = 0; row < 2; ++row) {
            const double y = box.top() + 3 + rowHeight * (row + 0.5);
            painter->setPen(pens[row]);
            painter->drawLine(QPointF(box.left() + 6, y), QPointF(box.left() + 6 + kStroke, y));
            painter->setPen(Qt::black);
            painter->drawText(
                QRectF(box.left() + 12 + kStroke, y - rowHeight / 2, textWidth + 2, rowHeight),
                Qt::AlignLeft | Qt::AlignVCenter, names[row]);
        }
    }
    painter->restore();
}

QRectF ResponseChartView::LegendBox(const QRectF& plot, const QSizeF& size) const {
    const double right = plot.right() - size.width() - 4;
    const double bottom = plot.bottom() - size.height() - 4;
    const QRectF corners[] = {{QPointF(right, plot.top() + 4), size},
                              {QPointF(right, bottom), size},
                              {QPointF(plot.left() + 4, bottom), size}};
    int hidden[std::size(corners)] = {};
    const auto count = [&](const std::vector<double>& xs, const std::vector<double>& ys) {
        // Every point of a sparse curve, a sample of a dense one: the corners only compare.
        const std::size_t points = std::min(xs.size(), ys.size());
        const std::size_t step = std::max<std::size_t>(1, points / 2000);
        for (std::size_t i = 0; i < points; i += step) {
            if (!IsDrawable(xs[i], ys[i])) {
                continue;
            }
            const double x = AxisPosition(FrequencyPlotX(frequencyRange_, xs[i]));
            const QPointF at = chart()->mapToScene(chart()->mapToPosition({x, ys[i]}, line_));
            for (std::size_t c = 0; c < std::size(corners); ++c) {
                hidden[c] += corners[c].adjusted(-3, -3, 3, 3).contains(at);
            }
        }
    };
    count(series_.XValues(), series_.YValues());
    count(referenceX_, referenceY_);
    return corners[std::min_element(std::begin(hidden), std::end(hidden)) - std::begin(hidden)];
}

QString ResponseChartView::ProfileName() const {
    const QString name = name_ ? QString::fromStdU16String(name_->Text()) : QString();
    if (!name.isEmpty() && name != QStringLiteral("?")) {
        return name;
    }
    const QString file = file_ ? QString::fromStdU16String(file_->Text()) : QString();
    return file.isEmpty() || file == QStringLiteral("?") ? QStringLiteral("Profile") : file;
}

void ResponseChartView::ShowReference(const TLineSeries& reference, const QString& name) {
    referenceX_ = reference.XValues();
    referenceY_ = reference.YValues();
    referenceAscending_ = Ascending(referenceX_);
    referenceName_ = name;
    window_.reset(); // the automatic ranges now cover the reference too
    FindRanges();
}

void ResponseChartView::ClearReference() {
    referenceX_.clear();
    referenceY_.clear();
    referenceName_.clear();
    window_.reset();
    FindRanges();
}

TPlotFrame ResponseChartView::Frame() const {
    const QRectF plot = viewportTransform().mapRect(chart()->mapRectToScene(chart()->plotArea()));
    return {plot.left(), plot.top(), plot.width(), plot.height()};
}

std::optional<std::size_t> ResponseChartView::PointAt(QPointF at) const {
    const std::vector<double>& xs = series_.XValues();
    const std::vector<double>& ys = series_.YValues();
    const TPlotFrame frame = Frame();
    const std::optional<std::size_t> nearest = NearestPoint(
        xs, ys, frequencyRange_, Window(), frame, at.x(), at.y(), ascending_, &extremes_);
    if (!nearest) {
        return std::nullopt;
    }
    const double dx = ScreenX(Window(), frame, frequencyRange_, xs[*nearest]) - at.x();
    const double dy = ScreenY(Window(), frame, ys[*nearest]) - at.y();
    return std::hypot(dx, dy) <= kPickRadius ? nearest : std::nullopt;
}

void ResponseChartView::UpdateReadout(QPointF at) {
    const TPlotFrame frame = Frame();
    QString text;
    if (at.x() >= frame.Left && at.x() <= frame.Left + frame.Width && at.y() >= frame.Top &&
        at.y() <= frame.Top + frame.Height) {
        const TChartWindow window = Window();
        const double place =
            window.Left + (at.x() - frame.Left) / frame.Width * (window.Right - window.Left);
        const double hz = std::pow(10.0, frequencyRange_.Reversed ? -place : place);
        const double db =
            window.Top - (at.y() - frame.Top) / frame.Height * (window.Top - window.Bottom);
        const std::vector<double>& xs = series_.XValues();
        const std::vector<double>& ys = series_.YValues();
        std::optional<std::pair<double, double>> point;
        if (const auto nearest = NearestPoint(xs, ys, frequencyRange_, window, frame, at.x(),
                                              at.y(), ascending_, &extremes_)) {
            point = std::pair{xs[*nearest], ys[*nearest]};
        }
        text = QString::fromStdU16String(Readout(hz, db, window, point, UserNotation));
    }
    if (text != readout_) {
        readout_ = text;
        viewport()->update();
    }
}

void ResponseChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    const TPlotFrame frame = Frame();
    const QPointF at = event->position();
    if (at.x() < frame.Left || at.x() > frame.Left + frame.Width || at.y() < frame.Top ||
        at.y() > frame.Top + frame.Height) {
        return;
    }
    if (const std::optional<std::size_t> point = PointAt(at)) {
        picked_ = point;
        if (rows_) {
            rows_->SelectRowOf(*point);
        }
        viewport()->update();
        return;
    }
    panFrom_ = at;
}

void ResponseChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const QPointF at = event->position();
    SetHighlighted(OverLine(at)); // as the pointer moves, as Qt Charts' hover did
    if (panFrom_ && (event->buttons() & Qt::LeftButton)) {
        const TPlotFrame frame = Frame();
        const QPointF moved = at - *panFrom_;
        panFrom_ = at;
        SetWindow(Pan(Window(), moved.x() / frame.Width, moved.y() / frame.Height));
    }
    UpdateReadout(at);
}

void ResponseChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        panFrom_.reset();
    }
    QChartView::mouseReleaseEvent(event);
}

void ResponseChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        panFrom_.reset();
        SetWindow(std::nullopt);
        UpdateReadout(event->position());
    }
}

void ResponseChartView::wheelEvent(QWheelEvent* event) {
    const TPlotFrame frame = Frame();
    const QPointF at = event->position();
    if (at.x() < frame.Left || at.x() > frame.Left + frame.Width || at.y() < frame.Top ||
        at.y() > frame.Top + frame.Height) {
        event->ignore();
        return;
    }
    // Some systems turn a wheel with Shift held into a sideways one.
    const QPoint delta = event->angleDelta();
    const double notches = (delta.y() != 0 ? delta.y() : delta.x()) / kNotch;
    const TChartWindow window = Window();
    const TChartWindow automatic = AutoWindow(frequencyRange_, gainRange_);
    if (event->modifiers() & Qt::ShiftModifier) {
        const double db =
            window.Top - (at.y() - frame.Top) / frame.Height * (window.Top - window.Bottom);
        SetWindow(ZoomGain(window, automatic, db, notches));
    } else {
        const double place =
            window.Left + (at.x() - frame.Left) / frame.Width * (window.Right - window.Left);
        SetWindow(ZoomFrequency(window, automatic, place, notches));
    }
    UpdateReadout(at);
    event->accept();
}

bool ResponseChartView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        SetHighlighted(false);
        if (!readout_.isEmpty()) {
            readout_.clear();
            viewport()->update();
        }
    }
    return QChartView::viewportEvent(event);
}

void ResponseChartView::Render(QPainter& painter, QSize size) {
    // The view's own render draws its background and foreground but not the readout and frame
    // of paintEvent.
    render(&painter, QRectF(QPointF(0, 0), size), viewport()->rect());
}

bool ResponseChartView::SavePng(const QString& file) {
    const QSize size = viewport()->size();
    const qreal ratio = 2 * devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        Render(painter, size);
    }
    QBuffer png;
    return png.open(QIODevice::WriteOnly) && image.save(&png, "PNG") &&
           WritePicture(file, png.data());
}

bool ResponseChartView::SaveSvg(const QString& file) {
    const QSize size = viewport()->size();
    QBuffer text;
    if (!text.open(QIODevice::WriteOnly)) {
        return false;
    }
    QSvgGenerator svg;
    svg.setOutputDevice(&text);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("Response chart"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        return false;
    }
    Render(painter, size);
    return painter.end() && WritePicture(file, text.data());
}
