#include "ResponseChartView.h"

#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLineSeries>
#include <QtCore/QBuffer>
#include <QtCore/QSaveFile>
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
void SetLabels(QCategoryAxis* axis, double min, double max, const std::vector<TAxisLabel>& labels) {
    const QStringList shown = axis->categoriesLabels();
    std::vector<TAxisLabel> standing;
    for (const QString& text : shown) {
        standing.push_back({axis->endValue(text), text.toStdU16String()});
    }
    if (LabelsStand(standing, axis->startValue() < min, labels)) {
        return;
    }
    // The axis takes only a new text at a higher position; the last append tells the chart only
    // when every one is taken.
    {
        const QSignalBlocker quiet(TakesEveryLabel(labels) && !labels.empty() ? axis : nullptr);
        for (const QString& label : shown) {
            axis->remove(label);
        }
        axis->setStartValue(min - (max - min));
        for (std::size_t i = 0; i + 1 < labels.size(); ++i) {
            axis->append(QString::fromStdU16String(labels[i].Text), labels[i].Position);
        }
    }
    if (!labels.empty()) {
        // tells the chart
        axis->append(QString::fromStdU16String(labels.back().Text), labels.back().Position);
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
    : QChartView(parent), series_(series), model_(series), line_(new QLineSeries),
      hoverZone_(new QLineSeries), frequencyAxis_(new QCategoryAxis), gainAxis_(new QCategoryAxis) {
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
    zone.setWidthF(kHoverWidth);
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
    model_.Follow(rows);
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
    model_.SeriesChanged(); // new points show at the automatic ranges
    Refresh();
    SetHighlighted(false); // new points start plain, even when a key changed them under the pointer
}

void ResponseChartView::ReleasePoints() {
    line_->clear();
    hoverZone_->clear();
}

void ResponseChartView::Refresh() {
    ReleasePoints();
    Arrange(true);
    PlacePoints();
}

void ResponseChartView::PlacePoints() {
    model_.PlacePoints(Columns(), chart()->plotArea().width());
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(model_.Line().size()));
    for (const TPlotPoint& p : model_.Line()) {
        points.append({p.Place, p.Db});
    }
    // A sparse line shows its points as small markers, and Qt Charts draws it.
    const bool markers = model_.Markers();
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
    viewport()->update();
}

TPlotColumns ResponseChartView::Columns() const {
    const QRectF plot = chart()->plotArea();
    const QPointF left = viewportTransform().map(chart()->mapToScene(plot.topLeft()));
    const double ratio = devicePixelRatioF();
    return {left.x() * ratio, plot.width() * ratio};
}

void ResponseChartView::Arrange(bool always) {
    const QFontMetricsF metrics(LabelFont());
    const QSizeF plot = chart()->plotArea().size();
    if (!model_.Arrange(plot.width(), plot.height(),
                        metrics.horizontalAdvance(QStringLiteral("00.0k")), metrics.height(),
                        always)) {
        return;
    }
    const TChartWindow shown = model_.Window();
    frequencyAxis_->setRange(shown.Left, shown.Right);
    gainAxis_->setRange(shown.Bottom, shown.Top);
    WriteLabels();
}

void ResponseChartView::WriteLabels() {
    SetLabels(frequencyAxis_, frequencyAxis_->min(), frequencyAxis_->max(),
              model_.FrequencyLabels(UserNotation));
    SetLabels(gainAxis_, gainAxis_->min(), gainAxis_->max(), model_.GainLabels(UserNotation));
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
    if (model_.NeedsPlacing(Columns())) {
        PlacePoints();
    }
    QChartView::paintEvent(event);
    if (const QString readout = ReadoutText(); !readout.isEmpty()) {
        // In the plot's top left corner, over the chart and outside any picture of it.
        QPainter painter(viewport());
        painter.setFont(LabelFont());
        const TPlotFrame plot = Frame();
        const QFontMetricsF metrics(LabelFont());
        const QRectF box(plot.Left + 4, plot.Top + 4, metrics.horizontalAdvance(readout) + 10,
                         metrics.height() + 6);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.setPen(kGridColor);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, readout);
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
    for (double hz : model_.FrequencyTicks()) {
        const double at = plot.left() + (FrequencyPosition(model_.FrequencyRange(), hz) - xMin) /
                                            xSpan * plot.width();
        const int column = std::clamp(static_cast<int>(std::floor(at)), left, right);
        painter->fillRect(column, top, 1, bottom - top + 1, kGridColor);
    }
    const double yMax = gainAxis_->max();
    const double ySpan = yMax - gainAxis_->min();
    for (double db : model_.GainTicks()) {
        const double at = plot.top() + (yMax - db) / ySpan * plot.height();
        const int row = std::clamp(static_cast<int>(std::floor(at)), top, bottom);
        painter->fillRect(left, row, right - left + 1, 1, kGridColor);
    }
    painter->fillRect(left, top, 1, bottom - top + 1, kAxisColor);
    painter->fillRect(left, bottom, right - left + 1, 1, kAxisColor);

    if (const std::vector<TPlotPoint>& reference = model_.ReferenceLine(); reference.size() >= 2) {
        // Behind the profile's line, which the chart draws over the background.
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setClipRect(plot);
        const double yMin = gainAxis_->min();
        QPolygonF path;
        path.reserve(static_cast<qsizetype>(reference.size()));
        for (const TPlotPoint& p : reference) {
            path.append({plot.left() + (p.Place - xMin) / xSpan * plot.width(),
                         plot.bottom() - (p.Db - yMin) / ySpan * plot.height()});
        }
        QPen pen = ReferencePen();
        pen.setWidthF(pen.widthF() * toDevice.m11());
        painter->setPen(pen);
        painter->drawPolyline(path);
    }
    painter->restore();
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
    if (const auto picked = model_.PickedPoint(); picked && *picked < series_.Count()) {
        const double x = model_.Place(series_.XValues()[*picked]);
        const QPointF at =
            chart()->mapToScene(chart()->mapToPosition({x, series_.YValues()[*picked]}, line_));
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
        const QString names[] = {
            QString::fromStdU16String(LegendProfileName(name_ ? name_->Text() : std::u16string(),
                                                        file_ ? file_->Text() : std::u16string())),
            referenceName_};
        double textWidth = 0;
        for (const QString& name : names) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(name));
        }
        constexpr double kStroke = 24;
        const double rowHeight = metrics.height() + 2;
        const TPlotFrame corner =
            model_.LegendBox({plot.left(), plot.top(), plot.width(), plot.height()},
                             textWidth + kStroke + 18, 2 * rowHeight + 6);
        const QRectF box(corner.Left, corner.Top, corner.Width, corner.Height);
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

void ResponseChartView::ShowReference(const TLineSeries& reference, const QString& name) {
    referenceName_ = name;
    model_.ShowReference(reference); // the automatic ranges now cover the reference too
    Refresh();
}

void ResponseChartView::ClearReference() {
    referenceName_.clear();
    model_.ClearReference();
    Refresh();
}

TPlotFrame ResponseChartView::Frame() const {
    const QRectF plot = viewportTransform().mapRect(chart()->mapRectToScene(chart()->plotArea()));
    return {plot.left(), plot.top(), plot.width(), plot.height()};
}

void ResponseChartView::UpdateReadout(QPointF at) {
    if (model_.PointerAt(Frame(), at.x(), at.y(), UserNotation)) {
        viewport()->update();
    }
}

void ResponseChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    const QPointF at = event->position();
    if (model_.Press(Frame(), at.x(), at.y()) == TChartModel::TPress::Picked) {
        viewport()->update();
    }
}

void ResponseChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const QPointF at = event->position();
    // As the pointer moves, as Qt Charts' hover did.
    SetHighlighted(model_.OverLine(Frame(), at.x(), at.y()));
    if ((event->buttons() & Qt::LeftButton) && model_.DragTo(Frame(), at.x(), at.y())) {
        Refresh();
    }
    UpdateReadout(at);
}

void ResponseChartView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.EndDrag();
    }
    QChartView::mouseReleaseEvent(event);
}

void ResponseChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        model_.Unzoom();
        Refresh();
        UpdateReadout(event->position());
    }
}

void ResponseChartView::wheelEvent(QWheelEvent* event) {
    const QPointF at = event->position();
    // Some systems turn a wheel with Shift held into a sideways one.
    const QPoint delta = event->angleDelta();
    if (!model_.Wheel(Frame(), at.x(), at.y(), delta.y() != 0 ? delta.y() : delta.x(),
                      event->modifiers() & Qt::ShiftModifier)) {
        event->ignore();
        return;
    }
    Refresh();
    UpdateReadout(at);
    event->accept();
}

bool ResponseChartView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        SetHighlighted(false);
        if (model_.PointerLeft()) {
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
